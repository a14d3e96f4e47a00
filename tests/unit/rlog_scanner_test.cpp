#include "rcs/rlog_scanner.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

constexpr std::size_t End = static_cast<std::size_t>(-1);  // stands for the text's length

TEST(RlogScanner, SkipPast)
{
    struct Case {
        std::string text;
        std::size_t start;
        std::string token, stops;
        bool found;
        std::size_t position;
    };
    const std::vector<Case> cases = {
        {"abc", 1, "", "", true, 1},           // an empty token is found at once
        {"", 5, "", "", true, 5},              // ... even past the end
        {"head: 1.3", 0, "head:", "", true, 5},
        {"a:b:c", 2, ":", "", true, 4},        // the search starts at the position
        {"abc", 3, "c", "", false, 3},         // at the end
        {"abc", 7, "c", "", false, 7},         // past the end
        {"abc", 0, "x", "", false, 0},         // not found: unchanged
        {"abc", 0, "x", "b", false, 0},        // not found beats a stop character
        {"ab", 0, "abc", "", false, 0},        // a token longer than the rest
        {"r 1.4\tlocked by: fred;", 5, "locked by:", ";\n", true, 16},
        {"r 1.4\ndate: x\tlocked by: j;", 5, "locked by:", ";\n", false, 5},  // stop right here
        {"x;y\nlocked by: j", 0, "locked by:", ";\n", false, 1},              // first stop wins
        {"locked by:;", 0, "locked by:", ";", true, 10},  // a stop after the token does not count
    };
    for (const Case& c : cases) {
        std::size_t position = c.start;
        EXPECT_EQ(SkipPast(position, c.text, c.token, c.stops), c.found) << c.text << " / " << c.token;
        EXPECT_EQ(position, c.position) << c.text << " / " << c.token;
    }
}

TEST(RlogScanner, ExtractField)
{
    struct Case {
        std::string text;
        std::size_t start;
        std::string token, delimiters;
        bool skipBlanks, stopAtDelimiter;
        std::string value;
        std::size_t position;  // End: the text's length
    };
    const std::vector<Case> cases = {
        {"\nhead: 1.3;\n", 0, "\nhead:", ";\r\n\t ", true, false, "1.3", 10},
        {"\nhead:  1.3\r\n", 0, "\nhead:", ";\r\n\t ", false, false, "", 6},  // blanks kept, and one delimits
        {"\nbranch:\nlocks", 0, "\nbranch:", ";\r\n\t ", true, false, "", 8},
        {"\nbranch:\t 1.2", 0, "\nbranch:", ";\r\n\t ", true, false, "", 8},  // only blanks are skipped
        {"date: 1998/02/12 09:00:00;  author", 0, "date:", "\r\n", true, false,
         "1998/02/12 09:00:00;  author", End},  // runs to the end of the text
        {"Fixed it\r\nnext", 0, "", "\r\n", false, false, "Fixed it", 8},
        {"abc", 3, "", "\r\n", false, false, "", 3},  // an empty token at the end
        {"abc", 0, "x", ";", true, false, "", End},   // not found: to the end
        // With stopAtDelimiter the search stays on the line it started on.
        {"1.4\tlocked by: fred;\n", 3, "locked by:", ";\r\n", true, true, "fred", 19},
        {"1.4\ndate: x", 3, "locked by:", ";\r\n", true, true, "", 3},
        {"1.4\r\nlocked by: j;", 3, "locked by:", ";\r\n", true, true, "", 3},
        {"1.4\tx;\nlocked by: j;", 3, "locked by:", ";\r\n", true, true, "", 5},  // stopped at ';'
        {"1.4\tx", 3, "locked by:", ";\r\n", true, true, "", End},  // not on a delimiter: to the end
        {"1.4", 3, "locked by:", ";\r\n", true, true, "", 3},       // at the end: stays
    };
    for (const Case& c : cases) {
        std::size_t position = c.start;
        EXPECT_EQ(ExtractField(position, c.text, c.token, c.delimiters, c.skipBlanks, c.stopAtDelimiter), c.value)
            << c.text;
        EXPECT_EQ(position, c.position == End ? c.text.size() : c.position) << c.text;
    }
}

} // namespace
} // namespace kestro
