#include "model/unified_diff.h"

#include <algorithm>
#include <charconv>

namespace kestro {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Splits on "\n"; a last line without one is still a line.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Reads "START[,COUNT]" after the sign; an omitted count is 1.
bool ReadRange(std::string_view& text, int& start, int& count)
{
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, start);
    if (ec != std::errc() || start < 0)
        return false;
    count = 1;
    if (p != end && *p == ',') {
        auto [q, ec2] = std::from_chars(p + 1, end, count);
        if (ec2 != std::errc() || count < 0)
            return false;
        p = q;
    }
    text.remove_prefix(static_cast<std::size_t>(p - text.data()));
    return true;
}

// "@@ -OLD[,N] +NEW[,N] @@[ text]"
bool ReadHunkHeader(std::string_view line, DiffHunk& hunk)
{
    if (!StartsWith(line, "@@ -"))
        return false;
    std::string_view rest = line.substr(4);
    if (!ReadRange(rest, hunk.oldStart, hunk.oldCount) || !StartsWith(rest, " +"))
        return false;
    rest.remove_prefix(2);
    if (!ReadRange(rest, hunk.newStart, hunk.newCount) || !StartsWith(rest, " @@"))
        return false;
    hunk.header = std::string(line);
    return true;
}

// The label without the date and revision diff puts after a tab.
std::string Label(std::string_view text)
{
    return std::string(text.substr(0, text.find('\t')));
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void MarkChange(const std::string& left, const std::string& right, SideBySideRow& row)
{
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(left.size(), right.size());
    while (prefix < shorter && left[prefix] == right[prefix])
        ++prefix;
    while (prefix > 0 && (IsContinuationByte(left[prefix]) || IsContinuationByte(right[prefix])))
        --prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && left[left.size() - 1 - suffix] == right[right.size() - 1 - suffix])
        ++suffix;
    // A suffix that starts inside a character gives that character back to
    // the changed part.
    while (suffix > 0 && (IsContinuationByte(left[left.size() - suffix]) ||
                          IsContinuationByte(right[right.size() - suffix])))
        --suffix;
    row.leftChangeStart = prefix;
    row.leftChangeLength = left.size() - prefix - suffix;
    row.rightChangeStart = prefix;
    row.rightChangeLength = right.size() - prefix - suffix;
}

} // namespace

std::vector<FileDiff> ParseUnifiedDiff(std::string_view text)
{
    std::vector<FileDiff> files;
    auto current = [&]() -> FileDiff& {
        if (files.empty())
            files.emplace_back();
        return files.back();
    };
    const std::vector<std::string_view> lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (StartsWith(line, "RCS file: ")) {
            files.emplace_back().rcsFile = std::string(line.substr(10));
        } else if (StartsWith(line, "--- ") && i + 1 < lines.size() && StartsWith(lines[i + 1], "+++ ")) {
            FileDiff& file = current();
            // A second pair of labels without an "RCS file:" line starts
            // another file, as plain diff output of many files does.
            FileDiff& target = file.hunks.empty() && !file.binary ? file : files.emplace_back();
            target.oldLabel = Label(line.substr(4));
            target.newLabel = Label(lines[i + 1].substr(4));
            ++i;
        } else if (StartsWith(line, "Binary files ") && line.ends_with(" differ")) {
            current().binary = true;
        } else if (DiffHunk hunk; ReadHunkHeader(line, hunk)) {
            int oldLine = hunk.oldStart;
            int newLine = hunk.newStart;
            int oldLeft = hunk.oldCount;
            int newLeft = hunk.newCount;
            while (i + 1 < lines.size()) {
                const std::string_view body = lines[i + 1];
                if (StartsWith(body, "\\")) {
                    // "\ No newline at end of file" belongs to the line before.
                    if (!hunk.lines.empty())
                        hunk.lines.back().noNewlineAtEnd = true;
                    ++i;
                    continue;
                }
                if (oldLeft == 0 && newLeft == 0)
                    break;
                DiffLine entry;
                const char sign = body.empty() ? ' ' : body[0];
                if (sign == ' ' && oldLeft > 0 && newLeft > 0) {
                    entry.kind = DiffLineKind::Context;
                    entry.oldLine = oldLine++;
                    entry.newLine = newLine++;
                    --oldLeft;
                    --newLeft;
                } else if (sign == '-' && oldLeft > 0) {
                    entry.kind = DiffLineKind::Removed;
                    entry.oldLine = oldLine++;
                    --oldLeft;
                } else if (sign == '+' && newLeft > 0) {
                    entry.kind = DiffLineKind::Added;
                    entry.newLine = newLine++;
                    --newLeft;
                } else {
                    break;  // cut short: keep what was read
                }
                entry.text = std::string(body.empty() ? body : body.substr(1));
                hunk.lines.push_back(std::move(entry));
                ++i;
            }
            current().hunks.push_back(std::move(hunk));
        }
    }
    return files;
}

std::vector<SideBySideRow> AlignHunk(const DiffHunk& hunk)
{
    std::vector<SideBySideRow> rows;
    rows.reserve(hunk.lines.size());
    const int count = static_cast<int>(hunk.lines.size());
    int i = 0;
    while (i < count) {
        if (hunk.lines[static_cast<std::size_t>(i)].kind == DiffLineKind::Context) {
            rows.push_back({.left = i, .right = i});
            ++i;
            continue;
        }
        int removedEnd = i;
        while (removedEnd < count && hunk.lines[static_cast<std::size_t>(removedEnd)].kind == DiffLineKind::Removed)
            ++removedEnd;
        int addedEnd = removedEnd;
        while (addedEnd < count && hunk.lines[static_cast<std::size_t>(addedEnd)].kind == DiffLineKind::Added)
            ++addedEnd;
        const int removed = removedEnd - i;
        const int added = addedEnd - removedEnd;
        for (int k = 0; k < std::max(removed, added); ++k) {
            SideBySideRow row;
            if (k < removed)
                row.left = i + k;
            if (k < added)
                row.right = removedEnd + k;
            if (row.left >= 0 && row.right >= 0)
                MarkChange(hunk.lines[static_cast<std::size_t>(row.left)].text,
                           hunk.lines[static_cast<std::size_t>(row.right)].text, row);
            rows.push_back(row);
        }
        i = addedEnd;
    }
    return rows;
}

} // namespace kestro
