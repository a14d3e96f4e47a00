// The differences are the form rcsdiff (GNU diff) writes by default; the
// cases were made with diff on the texts shown.

#include "exchange/diff_apply.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct DiffCase {
    const char* name;
    std::string base, difference, result;
};

TEST(DiffApply, AppliesWhatDiffWrote)
{
    const std::vector<DiffCase> cases = {
        {"no difference", "a\nb\n", "", "a\nb\n"}, {"add at the start", "b\n", "0a1\n> a\n", "a\nb\n"},
        {"add at the end", "a\n", "1a2,3\n> b\n> c\n", "a\nb\nc\n"},
        {"delete in the middle", "a\nb\nc\nd\n", "2,3d1\n< b\n< c\n", "a\nd\n"},
        {"delete everything", "a\nb\n", "1,2d0\n< a\n< b\n", ""},
        {"change one into two", "a\nb\nc\n", "2c2,3\n< b\n---\n> x\n> y\n", "a\nx\ny\nc\n"},
        {"several hunks", "1\n2\n3\n4\n5\n6\n", "1d0\n< 1\n3a3\n> 3a\n5,6c5\n< 5\n< 6\n---\n> 56\n",
         "2\n3\n3a\n4\n56\n"},
        {"from an empty file", "", "0a1,2\n> a\n> b\n", "a\nb\n"},
        {"from an empty file, no final line break", "", "0a1\n> a\n\\ No newline at end of file\n", "a"},
        {"to an empty file, no final line break", "a\nb", "1,2d0\n< a\n< b\n\\ No newline at end of file\n", ""},
        {"line break added at the end", "a\nb\nc", "3c3\n< c\n\\ No newline at end of file\n---\n> c\n",
         "a\nb\nc\n"},
        {"line break removed at the end", "a\nc\n", "2c2\n< c\n---\n> c\n\\ No newline at end of file\n", "a\nc"},
        {"unchanged last line without a line break", "a\nb\nc", "1c1\n< a\n---\n> A\n", "A\nb\nc"},
        {"carriage returns belong to the lines", "a\r\nb\r\n", "2c2\n< b\r\n---\n> B\r\n", "a\r\nB\r\n"},
        {"bytes of a binary-looking file", std::string("\x00\x01\n\xff\n", 5),
         std::string("2c2\n< \xff\n---\n> \x00\n", 16), std::string("\x00\x01\n\x00\n", 5)},
        {"empty lines", "\n\n", "1a2\n> \n", "\n\n\n"},
    };
    for (const DiffCase& c : cases) {
        const DiffApplication applied = ApplyNormalDiff(c.base, c.difference);
        EXPECT_TRUE(applied.applied) << c.name << ": " << applied.problem;
        EXPECT_EQ(applied.text, c.result) << c.name;
    }
}

TEST(DiffApply, RefusesWhatDoesNotFitTheBase)
{
    // The result column holds the problem reported.
    const std::vector<DiffCase> cases = {
        {"deleted line differs", "a\nb\nc\n", "2d1\n< x\n",
         "line 2 of the base revision is not the line that the differences remove"},
        {"changed line differs in its second line", "a\nb\nc\n", "1,2c1\n< a\n< B\n---\n> z\n",
         "line 2 of the base revision is not the line that the differences change"},
        {"only a carriage return differs", "a\r\nb\n", "1d0\n< a\n",
         "line 1 of the base revision is not the line that the differences remove"},
        {"base line lacks the line break the difference removes", "a\nb", "2d1\n< b\n",
         "line 2 of the base revision is not the line that the differences remove"},
        {"base line has a line break the difference does not", "a\nb\n", "2d1\n< b\n\\ No newline at end of file\n",
         "line 2 of the base revision is not the line that the differences remove"},
        {"base too short to delete", "a\n", "2,3d1\n< b\n< c\n",
         "the differences reach line 3, beyond the end of the base revision (1 lines)"},
        {"base too short to add after", "a\n", "2a3\n> e\n",
         "the differences reach line 2, beyond the end of the base revision (1 lines)"},
        {"base lacks its final line break where lines are added after it", "a\nb", "2a3\n> c\n",
         "line 2 of the base revision has no line break, which the differences do not expect"},
        {"base goes on after the result's unbroken last line", "a\nb\nc\n",
         "1c1\n< a\n---\n> A\n\\ No newline at end of file\n",
         "the differences end the text at line 1 without a line break, yet the base revision goes on"},
        {"result line numbers disagree, as from another base", "a\nb\nc\n", "1d0\n< a\n3a4\n> d\n",
         "line 3 of the differences does not agree with the changes before it"},
        {"hunks out of order", "a\nb\nc\n", "3d2\n< c\n1d0\n< a\n",
         "line 3 of the differences goes back to a line an earlier change dealt with"},
        {"a line deleted twice", "a\nb\n", "2d1\n< b\n2d1\n< b\n",
         "line 3 of the differences goes back to a line an earlier change dealt with"},
        {"binary files message", "a\n", "Binary files /tmp/T1 and /tmp/T2 differ\n",
         "the differences are those of a binary file and hold no lines"},
        {"unknown command", "a\n", "1x1\n", "line 1 of the differences is not understood"},
        {"context form", "a\n", "*** a\n--- b\n", "line 1 of the differences is not understood"},
        {"add with a range on the left", "a\nb\n", "1,2a3\n> c\n", "line 1 of the differences is not understood"},
        {"delete with a range on the right", "a\nb\n", "1d0,1\n< a\n", "line 1 of the differences is not understood"},
        {"backward range", "a\nb\n", "2,1d0\n< a\n", "line 1 of the differences is not understood"},
        {"delete of line 0", "a\n", "0d0\n", "line 1 of the differences is not understood"},
        {"missing separator", "a\n", "1c1\n< a\n> b\n", "line 3 of the differences should be \"---\""},
        {"too few lines", "a\nb\n", "1,2d0\n< a\n", "line 3 of the differences is missing: the differences end early"},
        {"wrong marker", "a\n", "1c1\n> a\n---\n> b\n",
         "line 2 of the differences should be a line beginning with \"< \""},
        {"truncated last line", "a\n", "1a2\n> b", "line 2 of the differences ends without a line break"},
        {"header without line break", "a\n", "1d0", "line 1 of the differences ends without a line break"},
        {"added line after one without a line break", "", "0a1,2\n> a\n\\ No newline at end of file\n> b\n",
         "line 4 of the differences follows a line that has no line break"},
        {"huge line number", "a\n", "99999999999999999999a1\n> b\n", "line 1 of the differences is not understood"},
    };
    for (const DiffCase& c : cases) {
        const DiffApplication applied = ApplyNormalDiff(c.base, c.difference);
        EXPECT_FALSE(applied.applied) << c.name;
        EXPECT_TRUE(applied.text.empty()) << c.name;
        EXPECT_EQ(applied.problem, c.result) << c.name;
    }
}

} // namespace
} // namespace kestro
