#include "model/unified_diff.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kestro {
namespace {

// One line per file, hunk and diff line: "file RCS|old|new|binary",
// "@@ oldStart,oldCount newStart,newCount", then the sign, both line numbers
// and the text, with "$" when no newline ended the line.
std::string Describe(const std::vector<FileDiff>& files)
{
    std::ostringstream out;
    for (const FileDiff& file : files) {
        out << "file " << file.rcsFile << '|' << file.oldLabel << '|' << file.newLabel << (file.binary ? "|binary" : "")
            << '\n';
        for (const DiffHunk& hunk : file.hunks) {
            out << "@@ " << hunk.oldStart << ',' << hunk.oldCount << ' ' << hunk.newStart << ',' << hunk.newCount
                << '\n';
            for (const DiffLine& line : hunk.lines) {
                const char sign = line.kind == DiffLineKind::Added ? '+' : line.kind == DiffLineKind::Removed ? '-' : ' ';
                out << sign << line.oldLine << ' ' << line.newLine << ' ' << line.text
                    << (line.noNewlineAtEnd ? "$" : "") << '\n';
            }
        }
    }
    return out.str();
}

// Rows as "LEFT/RIGHT" hunk line indices, "." for an empty side, and the
// changed parts of paired lines as [start+length|start+length].
std::string DescribeRows(const std::vector<FileDiff>& files)
{
    std::ostringstream out;
    for (const FileDiff& file : files)
        for (const DiffHunk& hunk : file.hunks) {
            for (const SideBySideRow& row : AlignHunk(hunk)) {
                out << (row.left < 0 ? "." : std::to_string(row.left)) << '/'
                    << (row.right < 0 ? "." : std::to_string(row.right));
                if (row.left >= 0 && row.right >= 0 && row.left != row.right)
                    out << '[' << row.leftChangeStart << '+' << row.leftChangeLength << '|' << row.rightChangeStart
                        << '+' << row.rightChangeLength << ']';
                out << ' ';
            }
            out << '\n';
        }
    return out.str();
}

struct DiffCase {
    const char* sample;  // captured rcsdiff -u output under tests/data/unified_diff
    const char* parsed;
    const char* rows;
};

// Captured with GNU RCS 5.10 (LC_ALL=C rcsdiff -u FILE, the working file
// against its head revision).
const DiffCase Cases[] = {
    {"added.txt",
     "file RCS/add.txt,v|add.txt|add.txt\n@@ 1,3 1,5\n 1 1 a\n 2 2 b\n+0 3 new1\n+0 4 new2\n 3 5 c\n",
     "0/0 1/1 ./2 ./3 4/4 \n"},
    {"removed.txt", "file RCS/rem.txt,v|rem.txt|rem.txt\n@@ 1,4 1,2\n 1 1 a\n-2 0 b\n-3 0 c\n 4 2 d\n",
     "0/0 1/. 2/. 3/3 \n"},
    {"changed_with_function.txt",
     "file RCS/chg.c,v|chg.c|chg.c\n@@ 1,4 1,4\n 1 1 int f()\n 2 2 {\n-3 0   return 1;\n+0 3   return 2;\n 4 4 }\n",
     "0/0 1/1 2/3[9+1|9+1] 4/4 \n"},
    {"no_newline.txt", "file RCS/nonl.txt,v|nonl.txt|nonl.txt\n@@ 1,2 1,2\n 1 1 x\n-2 0 y$\n+0 2 z\n",
     "0/0 1/2[0+1|0+1] \n"},
    {"binary.txt", "file RCS/b.bin,v|||binary\n", ""}, {"empty.txt", "file RCS/same.txt,v||\n", ""},
    {"three_files.txt",
     "file RCS/add.txt,v|add.txt|add.txt\n@@ 1,3 1,5\n 1 1 a\n 2 2 b\n+0 3 new1\n+0 4 new2\n 3 5 c\n"
     "file RCS/same.txt,v||\n"
     "file RCS/rem.txt,v|rem.txt|rem.txt\n@@ 1,4 1,2\n 1 1 a\n-2 0 b\n-3 0 c\n 4 2 d\n",
     "0/0 1/1 ./2 ./3 4/4 \n0/0 1/. 2/. 3/3 \n"},
};

TEST(UnifiedDiff, CapturedOutputsParseAndAlign)
{
    for (const DiffCase& c : Cases) {
        SCOPED_TRACE(c.sample);
        const std::string text = test::ReadFile(std::string(KESTRO_TEST_DATA "/unified_diff/") + c.sample);
        ASSERT_FALSE(text.empty());
        const std::vector<FileDiff> files = ParseUnifiedDiff(text);
        EXPECT_EQ(Describe(files), c.parsed);
        EXPECT_EQ(DescribeRows(files), c.rows);
    }
}

TEST(UnifiedDiff, HunkEdgeForms)
{
    // Counts left out mean one line; a new file's old side starts at 0; the
    // command results' echoed lines between files are skipped; a hunk cut
    // short keeps the lines it has; lines that only look like labels inside
    // a hunk are its lines.
    const std::string text = "rcsdiff -u x RCS/x,v\r\n"
                             "--- x\n+++ x\n@@ -0,0 +1 @@\n+only\n"
                             "--- y\n+++ y\n@@ -1 +1,2 @@\n--- gone\n++++ came\n+++ too\n"
                             "--- z\n+++ z\n@@ -5,3 +5,3 @@\n ctx\n";
    EXPECT_EQ(Describe(ParseUnifiedDiff(text)), "file |x|x\n@@ 0,0 1,1\n+0 1 only\n"
                                                "file |y|y\n@@ 1,1 1,2\n-1 0 -- gone\n+0 1 +++ came\n+0 2 ++ too\n"
                                                "file |z|z\n@@ 5,3 5,3\n 5 5 ctx\n");
    EXPECT_TRUE(ParseUnifiedDiff("@@ -x,1 +1 @@\n+a\n").empty());
    EXPECT_TRUE(ParseUnifiedDiff("").empty());
}

TEST(UnifiedDiff, ChangeMarksNeverSplitACharacter)
{
    DiffHunk hunk;
    // "é" and "è" share their first byte.
    hunk.lines = {{DiffLineKind::Removed, 1, 0, "caf\xC3\xA9!", false}, {DiffLineKind::Added, 0, 1, "caf\xC3\xA8!", false}};
    const std::vector<SideBySideRow> rows = AlignHunk(hunk);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].leftChangeStart, 3u);
    EXPECT_EQ(rows[0].leftChangeLength, 2u);
    EXPECT_EQ(rows[0].rightChangeLength, 2u);

    // Identical texts (a change in the newline only) mark nothing.
    hunk.lines = {{DiffLineKind::Removed, 1, 0, "same", true}, {DiffLineKind::Added, 0, 1, "same", false}};
    EXPECT_EQ(AlignHunk(hunk)[0].leftChangeLength, 0u);
}

} // namespace
} // namespace kestro
