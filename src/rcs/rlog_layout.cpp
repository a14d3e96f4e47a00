#include "rcs/rlog_layout.h"

#include "rcs/rlog_scanner.h"

#include <algorithm>
#include <charconv>

namespace kestro {

namespace {

constexpr std::string_view DescriptionLine = "\ndescription:\n";
constexpr std::string_view RevisionLine = "revision ";
const std::string SeparatorRow(28, '-');
const std::string ClosingRow(77, '=');

int CountAfter(std::string_view header, std::string_view label)
{
    const std::size_t at = header.find(label);
    if (at == std::string_view::npos)
        return -1;
    std::size_t from = at + label.size();
    while (from < header.size() && header[from] == ' ')
        ++from;
    int value = -1;
    const auto [end, error] = std::from_chars(header.data() + from, header.data() + header.size(), value);
    return error == std::errc() && end != header.data() + from ? value : -1;
}

// The line that starts at position, without its line end; position moves
// past the line end. Empty at the end of the text.
std::string_view NextLine(std::string_view text, std::size_t& position)
{
    if (position >= text.size())
        return {};
    const std::size_t end = std::min(text.find('\n', position), text.size());
    std::string_view line = text.substr(position, end - position);
    position = end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::vector<long long> FieldsOf(std::string_view number)
{
    std::vector<long long> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = std::min(number.find('.', start), number.size());
        long long value = 0;
        std::from_chars(number.data() + start, number.data() + dot, value);
        fields.push_back(value);
        if (dot == number.size())
            return fields;
        start = dot + 1;
    }
}

} // namespace

RlogLayout ScanRlogLayout(std::string_view text)
{
    RlogLayout layout;
    const std::string_view header = text.substr(0, text.find(DescriptionLine));
    std::size_t position = 0;
    layout.head = ExtractField(position, header, "\nhead:", ";\r\n\t ", true, false);
    layout.totalRevisions = CountAfter(header, "\ntotal revisions:");
    layout.selectedRevisions = CountAfter(header, "selected revisions:");

    static const std::string separator = "\n" + SeparatorRow;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, at + 1)) {
        std::size_t line = at + separator.size();
        if (line < text.size() && text[line] == '\r')
            ++line;
        if (line >= text.size() || text[line] != '\n' || text.substr(line + 1, RevisionLine.size()) != RevisionLine)
            continue;
        std::size_t field = line + 1;
        const std::string number = ExtractField(field, text, RevisionLine, ";\r\n\t ", true, false);
        if (!layout.blocks.empty())
            layout.blocks.back().end = at;
        layout.blocks.push_back({number, at, text.size()});
    }
    const std::size_t closing = text.rfind("\n" + ClosingRow);
    if (!layout.blocks.empty() && closing != std::string_view::npos && closing > layout.blocks.back().start)
        layout.blocks.back().end = closing;
    return layout;
}

bool IsUnambiguous(const RlogLayout& layout)
{
    std::vector<std::string_view> seen;
    seen.reserve(layout.blocks.size());
    for (const RlogBlock& block : layout.blocks) {
        if (!IsRevisionNumber(block.number))
            return false;
        seen.push_back(block.number);
    }
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end())
        return false;
    // Output without counts (cut short, or not from rlog) can only be
    // checked for repeated numbers.
    if (layout.selectedRevisions < 0)
        return true;
    if (static_cast<std::size_t>(layout.selectedRevisions) != layout.blocks.size()
        || layout.selectedRevisions > layout.totalRevisions)
        return false;
    if (layout.selectedRevisions == layout.totalRevisions && layout.totalRevisions > 0)
        return std::binary_search(seen.begin(), seen.end(), std::string_view(layout.head));
    return true;
}

bool IsRevisionNumber(std::string_view number)
{
    if (number.empty() || number.front() == '.' || number.back() == '.')
        return false;
    std::size_t fields = 1;
    for (std::size_t i = 0; i < number.size(); ++i) {
        if (number[i] == '.') {
            if (number[i - 1] == '.')
                return false;
            ++fields;
        } else if (number[i] < '0' || number[i] > '9') {
            return false;
        }
    }
    return fields % 2 == 0;
}

bool DescriptionOf(std::string_view rlogT, std::string& description)
{
    const std::size_t found = rlogT.find(DescriptionLine);
    const std::size_t closing = rlogT.rfind("\n" + ClosingRow);
    if (found == std::string_view::npos || closing == std::string_view::npos)
        return false;
    const std::size_t start = found + DescriptionLine.size();
    if (closing + 1 < start)
        return false;
    description.assign(rlogT.substr(start, closing + 1 - start));
    return true;
}

bool SingleRevisionBlock(std::string_view output, std::string_view description, std::string_view number,
                         std::string& block)
{
    if (ScanRlogLayout(output).selectedRevisions != 1)
        return false;
    const std::size_t found = output.find(DescriptionLine);
    if (found == std::string_view::npos)
        return false;
    std::size_t position = found + DescriptionLine.size();
    if (output.substr(position, description.size()) != description)
        return false;
    position += description.size();
    if (NextLine(output, position) != SeparatorRow)
        return false;
    const std::string_view revisionLine = NextLine(output, position);
    const std::string_view rest = revisionLine.substr(std::min(revisionLine.size(), RevisionLine.size()));
    if (!revisionLine.starts_with(RevisionLine) || !rest.starts_with(number))
        return false;
    if (rest.size() > number.size() && std::string_view(";\t ").find(rest[number.size()]) == std::string_view::npos)
        return false;
    block = SeparatorRow + "\n" + std::string(revisionLine) + "\n";
    const std::string_view dateLine = NextLine(output, position);
    if (!dateLine.starts_with("date:"))
        return true;
    block += std::string(dateLine) + "\n";
    std::string_view message = NextLine(output, position);
    if (IsBranchList(message)) {
        block += std::string(message) + "\n";
        message = NextLine(output, position);
    }
    if (message != ClosingRow)
        block += std::string(message) + "\n";
    return true;
}

bool IsBranchList(std::string_view line)
{
    constexpr std::string_view prefix = "branches: ";
    if (line.substr(0, prefix.size()) != prefix)
        return false;
    const std::string_view rest = line.substr(prefix.size());
    return rest.find_first_not_of(" \t0123456789.;") == std::string_view::npos
           && rest.find_first_of("0123456789") != std::string_view::npos;
}

void SortAsRlogLists(std::vector<std::string>& numbers)
{
    std::stable_sort(numbers.begin(), numbers.end(), [](const std::string& a, const std::string& b) {
        const std::vector<long long> x = FieldsOf(a);
        const std::vector<long long> y = FieldsOf(b);
        if (x.size() != y.size())
            return x.size() < y.size();
        return x > y;
    });
}

} // namespace kestro
