#include "rcs/rlog_scanner.h"

#include <algorithm>

namespace kestro {

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
        const std::size_t stop = text.substr(position, found - position).find_first_of(stopCharacters);
        if (stop != std::string_view::npos) {
            position += stop;
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
    const std::size_t end = std::min(text.find_first_of(delimiters, position), text.size());
    const std::string value(text.substr(position, end - position));
    position = end;
    return value;
}

} // namespace kestro
