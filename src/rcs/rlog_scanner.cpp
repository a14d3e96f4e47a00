#include "rcs/rlog_scanner.h"

#include <algorithm>
#include <array>

namespace kestro {

namespace {

// string_view::find_first_of looks each character up in the set with a
// call of its own; rlog output of thousands of files is cut into fields
// with a handful of delimiters, where one table does it in a single pass.
std::size_t FindAny(std::string_view text, std::size_t from, std::string_view characters)
{
    std::array<bool, 256> wanted{};
    for (const char c : characters)
        wanted[static_cast<unsigned char>(c)] = true;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (wanted[static_cast<unsigned char>(text[i])])
            return i;
    }
    return std::string_view::npos;
}

} // namespace

bool SkipPast(std::size_t& position, std::string_view text, std::string_view token,
              std::string_view stopCharacters)
{
    if (token.empty())
        return true;
    if (position >= text.size())
        return false;
    const std::size_t found = text.find(token, position);
    if (found == std::string_view::npos)
        return false;
    if (!stopCharacters.empty()) {
        const std::size_t stop = FindAny(text.substr(0, found), position, stopCharacters);
        if (stop != std::string_view::npos) {
            position = stop;
            return false;
        }
    }
    position = found + token.size();
    return true;
}

std::string ExtractField(std::size_t& position, std::string_view text, std::string_view token,
                         std::string_view delimiters, bool skipBlanks, bool stopAtDelimiter)
{
    if (!SkipPast(position, text, token, stopAtDelimiter ? delimiters : std::string_view())) {
        const bool onDelimiter = position < text.size() && delimiters.find(text[position]) != std::string_view::npos;
        if (!stopAtDelimiter || (position < text.size() && !onDelimiter))
            position = text.size();
        return {};
    }
    // An empty token succeeds without looking at the position, which may
    // therefore lie past the end.
    if (position >= text.size())
        return {};
    if (skipBlanks) {
        while (position < text.size() && text[position] == ' ')
            ++position;
    }
    const std::size_t end = std::min(FindAny(text, position, delimiters), text.size());
    const std::string value(text.substr(position, end - position));
    position = end;
    return value;
}

} // namespace kestro
