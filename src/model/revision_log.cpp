#include "model/revision_log.h"

#include <vector>

namespace kestro {

namespace {

const std::string_view EntrySeparator = "----------------------------";
const std::string_view FileSeparator =
    "=============================================================================";

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string FieldAfter(std::string_view line, std::string_view key)
{
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = line.substr(at + key.size());
    return std::string(rest.substr(0, rest.find(';')));
}

} // namespace

bool ReadRevisionLog(std::string_view rlogOutput, std::string_view revision, RevisionLog& log)
{
    const std::vector<std::string_view> lines = Lines(rlogOutput);
    std::size_t i = 0;
    for (; i + 1 < lines.size(); ++i) {
        const std::string_view next = lines[i + 1];
        if (lines[i] == EntrySeparator && next.starts_with("revision ")) {
            const std::string_view number = next.substr(9, next.find_first_of("\t ", 9) - 9);
            if (number == revision)
                break;
        }
    }
    if (i + 2 >= lines.size() || !lines[i + 2].starts_with("date: "))
        return false;
    log.author = FieldAfter(lines[i + 2], "author: ");
    std::size_t first = i + 3;
    if (first < lines.size() && lines[first].starts_with("branches:"))
        ++first;
    std::size_t end = lines.size();
    while (end > first && lines[end - 1] != FileSeparator)
        --end;
    if (end == first)  // no terminator: the output was cut short
        end = lines.size();
    else
        --end;
    log.message.clear();
    for (std::size_t k = first; k < end; ++k) {
        if (k > first)
            log.message += '\n';
        log.message += lines[k];
    }
    return true;
}

} // namespace kestro
