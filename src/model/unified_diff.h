#pragma once

// Reads what `rcsdiff -u` prints, for one file or many, into files, hunks and
// lines. A pure function of the text: the process code captures the output
// and hands it over, so the tests feed it captured output.
//
// For each file rcsdiff prints a banner of "=" characters, "RCS file: PATH",
// one or two "retrieving revision N" lines and the diff command line; then,
// when the revisions differ, "--- " and "+++ " label lines and the hunks, or
// "Binary files A and B differ" for files diff does not read as text. Lines
// outside a hunk that fit none of these (the echoed command lines of the
// command results, error messages) are skipped.

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

enum class DiffLineKind { Context, Added, Removed };

struct DiffLine {
    DiffLineKind kind = DiffLineKind::Context;
    // Line numbers on the old and the new side; 0 on the side the line is
    // not on.
    int oldLine = 0;
    int newLine = 0;
    std::string text;
    // "\ No newline at end of file" followed the line.
    bool noNewlineAtEnd = false;
};

struct DiffHunk {
    int oldStart = 0;
    int oldCount = 0;
    int newStart = 0;
    int newCount = 0;
    // The whole "@@ ... @@" line, with the function name -p adds.
    std::string header;
    std::vector<DiffLine> lines;
};

struct FileDiff {
    std::string rcsFile;
    std::string oldLabel;  // after "--- "
    std::string newLabel;  // after "+++ "
    bool binary = false;
    std::vector<DiffHunk> hunks;

    bool differs() const { return binary || !hunks.empty(); }
};

std::vector<FileDiff> ParseUnifiedDiff(std::string_view text);

// One row of the side-by-side form of a hunk: indices into the hunk's lines,
// -1 for the side the row leaves empty. A removed line paired with an added
// one marks the part of each that changed (byte offsets into the texts, never
// splitting a UTF-8 character); unpaired rows mark nothing.
struct SideBySideRow {
    int left = -1;
    int right = -1;
    std::size_t leftChangeStart = 0;
    std::size_t leftChangeLength = 0;
    std::size_t rightChangeStart = 0;
    std::size_t rightChangeLength = 0;
};

// Context lines stand on both sides; each run of removed lines is set beside
// the run of added lines that follows it, line by line, and the longer run
// goes on alone.
std::vector<SideBySideRow> AlignHunk(const DiffHunk& hunk);

} // namespace kestro
