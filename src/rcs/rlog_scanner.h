#pragma once

// Token scanning over rlog output with a moving position. Both functions
// work on bytes and never read outside the text.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

// Moves position just past the next occurrence of token and returns true.
// An empty token gives true at once. When the token is not found, or the
// position is at or past the end, returns false with the position unchanged.
// When stopCharacters is not empty and one of them occurs before the token,
// the position moves to the first such character and the result is false.
bool SkipPast(std::size_t& position, std::string_view text, std::string_view token,
              std::string_view stopCharacters = {});

// Skips past token (with the delimiters as stop characters when
// stopAtDelimiter is set), then, when skipBlanks is set, past blanks (only
// ' '), and returns the longest run of characters holding none of the
// delimiters; the position then rests on the delimiter. When the token is not
// found the value is empty and the position moves to the end of the text,
// except with stopAtDelimiter, where it stays on a delimiter it stopped at.
std::string ExtractField(std::size_t& position, std::string_view text, std::string_view token,
                         std::string_view delimiters, bool skipBlanks, bool stopAtDelimiter);

} // namespace kestro
