#pragma once

// Where the revision blocks of one file's rlog output lie, and whether they
// can be trusted. rlog prints log messages and the description as they
// were checked in, so a message holding a row of 28 "-" and a line
// "revision ..." looks exactly like another revision. The header's counts
// tell: rlog says how many revisions it selected, and the head must be one
// of them. Pure functions of the text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

struct RlogBlock {
    std::string number;
    std::size_t start = 0;  // the line feed before the block's separator row
    std::size_t end = 0;    // where the next block or the closing row begins
};

struct RlogLayout {
    std::string head;
    int totalRevisions = -1;     // -1 when the header does not say
    int selectedRevisions = -1;  // rlog prints only the total with -h and -t
    std::vector<RlogBlock> blocks;
};

// The header's head and counts, and every block that starts with a row of
// exactly 28 "-" followed by a line beginning "revision ".
RlogLayout ScanRlogLayout(std::string_view text);

// Whether the blocks are exactly the revisions rlog selected: as many as it
// says, each number a revision number that occurs once, and the head among
// them when every revision was selected.
bool IsUnambiguous(const RlogLayout& layout);

// Whether the text is a revision number: an even count of fields of digits.
bool IsRevisionNumber(std::string_view number);

// The description that "rlog -t" printed, as it stands between the line
// "description:" and the first block in every rlog output of that file;
// false when the text does not hold one.
bool DescriptionOf(std::string_view rlogT, std::string& description);

// From the output of "rlog -rNUMBER" for one revision, its block cut to what
// the parser reads (revision line, date line, branches line, first message
// line), each line ended by a line feed, starting with its separator row. The block is found right after
// the description, so no text inside a message or the description can
// stand in for it. False when rlog did not select exactly that revision.
bool SingleRevisionBlock(std::string_view output, std::string_view description, std::string_view number,
                         std::string& block);

// rlog's list of the branches that sprout from a revision, printed between
// the date line and the log message. A log message that merely starts with
// the same word is not one.
bool IsBranchList(std::string_view line);

// Numbers in the order rlog lists revisions for the parser's purposes: the
// trunk before branches, the newest revision of each branch first.
void SortAsRlogLists(std::vector<std::string>& numbers);

} // namespace kestro
