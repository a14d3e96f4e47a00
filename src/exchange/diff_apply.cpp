#include "exchange/diff_apply.h"

#include <optional>
#include <vector>

namespace kestro {

namespace {

// The lines of a text, each with its "\n" when it has one; only the last
// can lack it.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

struct Range {
    std::size_t first = 0;
    std::size_t last = 0;
    bool single = true;
};

// Reads "N" or "N,N2" at position; N2 must not be below N.
std::optional<Range> ReadRange(std::string_view text, std::size_t& at)
{
    const auto readNumber = [&](std::size_t& value) {
        const std::size_t start = at;
        value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (at - start >= 15)
                return false;
            value = value * 10 + static_cast<std::size_t>(text[at++] - '0');
        }
        return at > start;
    };
    Range range;
    if (!readNumber(range.first))
        return std::nullopt;
    range.last = range.first;
    if (at < text.size() && text[at] == ',') {
        ++at;
        if (!readNumber(range.last) || range.last < range.first)
            return std::nullopt;
        range.single = false;
    }
    return range;
}

struct Hunk {
    Range left;
    char kind = 0;
    Range right;
};

// "Na M", "N,N2d M", "N,N2c M,M2" and the like, with the line numbers that
// each kind allows.
std::optional<Hunk> ReadHunkHeader(std::string_view line)
{
    Hunk hunk;
    std::size_t at = 0;
    const std::optional<Range> left = ReadRange(line, at);
    if (!left || at >= line.size())
        return std::nullopt;
    hunk.left = *left;
    hunk.kind = line[at++];
    const std::optional<Range> right = ReadRange(line, at);
    if (!right || at != line.size())
        return std::nullopt;
    hunk.right = *right;
    switch (hunk.kind) {
    case 'a':
        if (!hunk.left.single || hunk.right.first == 0)
            return std::nullopt;
        break;
    case 'd':
        if (!hunk.right.single || hunk.left.first == 0)
            return std::nullopt;
        break;
    case 'c':
        if (hunk.left.first == 0 || hunk.right.first == 0)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    return hunk;
}

class Applier {
public:
    Applier(std::string_view base, std::string_view difference)
        : baseLines_(SplitLines(base)), diffLines_(SplitLines(difference))
    {
    }

    DiffApplication Run()
    {
        while (next_ < diffLines_.size()) {
            if (!ApplyHunk())
                return Refused();
        }
        if (!CopyBaseUpTo(baseLines_.size()))
            return Refused();
        DiffApplication done;
        done.applied = true;
        done.text = std::move(result_);
        return done;
    }

private:
    bool ApplyHunk()
    {
        const std::size_t headerLine = next_ + 1;
        std::string_view header = diffLines_[next_++];
        if (!header.ends_with('\n'))
            return Damaged(headerLine, "ends without a line break");
        header.remove_suffix(1);
        const std::optional<Hunk> hunk = ReadHunkHeader(header);
        if (!hunk) {
            if (headerLine == 1 && header.starts_with("Binary files "))
                return Fail("the differences are those of a binary file and hold no lines");
            return Damaged(headerLine, "is not understood");
        }
        // Hunks follow the base in order and never overlap.
        const std::size_t firstTaken = hunk->kind == 'a' ? hunk->left.first + 1 : hunk->left.first;
        if (firstTaken <= basePosition_)
            return Damaged(headerLine, "goes back to a line an earlier change dealt with");
        const std::size_t lastTaken = hunk->kind == 'a' ? hunk->left.first : hunk->left.last;
        if (lastTaken > baseLines_.size())
            return Fail("the differences reach line " + std::to_string(lastTaken)
                        + ", beyond the end of the base revision (" + std::to_string(baseLines_.size())
                        + " lines)");
        if (!CopyBaseUpTo(firstTaken - 1))
            return false;
        const std::size_t resultBefore = hunk->kind == 'd' ? hunk->right.first : hunk->right.first - 1;
        if (resultBefore != resultLines_)
            return Damaged(headerLine, "does not agree with the changes before it");
        if (hunk->kind != 'a') {
            for (std::size_t line = hunk->left.first; line <= hunk->left.last; ++line) {
                if (!MatchRemoved(line, hunk->kind == 'd' ? "remove" : "change"))
                    return false;
            }
            basePosition_ = hunk->left.last;
        }
        if (hunk->kind == 'c') {
            if (next_ >= diffLines_.size() || diffLines_[next_] != "---\n")
                return Damaged(next_ + 1, "should be \"---\"");
            ++next_;
        }
        if (hunk->kind != 'd') {
            for (std::size_t line = hunk->right.first; line <= hunk->right.last; ++line) {
                if (!TakeAdded())
                    return false;
            }
        }
        return true;
    }

    // Reads a "<" line with its marker and compares it with base line
    // number line.
    bool MatchRemoved(std::size_t line, const char* verb)
    {
        std::string expected;
        if (!ReadBodyLine('<', expected))
            return false;
        if (baseLines_[line - 1] != expected)
            return Fail("line " + std::to_string(line) + " of the base revision is not the line that the differences "
                        + verb);
        return true;
    }

    bool TakeAdded()
    {
        std::string added;
        const std::size_t number = next_ + 1;
        return ReadBodyLine('>', added) && Append(added, number);
    }

    // Reads "< text" or "> text" and the marker after it, giving the line as
    // it stands in its text.
    bool ReadBodyLine(char mark, std::string& line)
    {
        const std::size_t number = next_ + 1;
        if (next_ >= diffLines_.size())
            return Damaged(number, "is missing: the differences end early");
        const std::string_view text = diffLines_[next_++];
        if (!text.ends_with('\n'))
            return Damaged(number, "ends without a line break");
        if (text.size() < 3 || text[0] != mark || text[1] != ' ')
            return Damaged(number, std::string("should be a line beginning with \"") + mark + " \"");
        line.assign(text.substr(2));
        if (next_ < diffLines_.size() && diffLines_[next_].starts_with("\\ ")) {
            ++next_;
            line.pop_back();
        }
        return true;
    }

    bool CopyBaseUpTo(std::size_t line)
    {
        for (; basePosition_ < line; ++basePosition_) {
            if (!Append(baseLines_[basePosition_], 0))
                return false;
        }
        return true;
    }

    // Adds a line to the result; only the result's last line may lack its
    // line break. diffLine is the line of the difference that brings it, 0
    // for a line of the base.
    bool Append(std::string_view line, std::size_t diffLine)
    {
        if (!result_.empty() && !result_.ends_with('\n')) {
            if (lastFromBase_)
                return Fail("line " + std::to_string(baseLines_.size())
                            + " of the base revision has no line break, which the differences do not expect");
            if (diffLine == 0)
                return Fail("the differences end the text at line " + std::to_string(resultLines_)
                            + " without a line break, yet the base revision goes on");
            return Damaged(diffLine, "follows a line that has no line break");
        }
        result_.append(line);
        lastFromBase_ = diffLine == 0;
        ++resultLines_;
        return true;
    }

    bool Damaged(std::size_t line, const std::string& what)
    {
        return Fail("line " + std::to_string(line) + " of the differences " + what);
    }

    bool Fail(std::string text)
    {
        problem_ = std::move(text);
        return false;
    }

    DiffApplication Refused()
    {
        DiffApplication refused;
        refused.problem = std::move(problem_);
        return refused;
    }

    std::vector<std::string_view> baseLines_;
    std::vector<std::string_view> diffLines_;
    std::size_t next_ = 0;          // index of the next line of the difference
    std::size_t basePosition_ = 0;  // base lines dealt with so far
    std::size_t resultLines_ = 0;
    bool lastFromBase_ = false;  // whether the result's last line came from the base
    std::string result_;
    std::string problem_;
};

} // namespace

DiffApplication ApplyNormalDiff(std::string_view base, std::string_view difference)
{
    return Applier(base, difference).Run();
}

} // namespace kestro
