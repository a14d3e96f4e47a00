#include "app/batch_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro {
namespace {

using Outcome = BatchPart::Outcome;
constexpr Outcome S = BatchPart::Succeeded;
constexpr Outcome F = BatchPart::Failed;
constexpr Outcome U = BatchPart::Unknown;

struct Case {
    const char* name;
    std::string output;
    std::vector<Outcome> outcomes;
    std::vector<std::string> texts;  // empty: not checked
};

void Check(const Case& c, const std::vector<std::string>& startLines)
{
    const std::vector<BatchPart> parts = SplitBatchOutput(c.output, startLines);
    ASSERT_EQ(parts.size(), startLines.size()) << c.name;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].outcome, c.outcomes[i]) << c.name << ", file " << i;
        if (!c.texts.empty()) {
            EXPECT_EQ(parts[i].text, c.texts[i]) << c.name << ", file " << i;
        }
    }
}

// Captured from `rcs co` of GNU RCS 5.10.1 over a.c, b.c and c.c.
TEST(BatchOutput, SplitsCoOutputPerFile)
{
    const std::vector<std::string> lines = {CoStartLine("RCS/a.c,v", "a.c"), CoStartLine("RCS/b.c,v", "b.c"),
                                            CoStartLine("RCS/c.c,v", "c.c")};
    const std::string a = "RCS/a.c,v  -->  a.c\nrevision 1.1 (locked)\ndone\n";
    const std::string b = "RCS/b.c,v  -->  b.c\nrevision 1.2 (locked)\ndone\n";
    const std::string c = "RCS/c.c,v  -->  c.c\nrevision 1.1 (locked)\ndone\n";
    const std::string busy = "co: RCS file RCS/b.c,v is in use\n";
    const std::string missing = "co: RCS/b.c,v: No such file or directory\n";
    const Case cases[] = {
        {"all checked out", a + b + c, {S, S, S}, {a, b, c}},
        {"a busy file in the middle", a + busy + c, {S, F, S}, {a, busy, c}},
        {"a missing first file", missing + b + c, {F, S, S}, {missing, b, c}},
        {"a failing last file", a + b + "co: RCS/c.c,v: No such file or directory\n", {S, S, F}, {}},
        {"two failing files in a row", a + busy + missing, {S, U, U}, {}},
        {"two failures before a success cannot be told apart", busy + missing + c, {U, U, U}, {}},
        {"a run that ended early", a + "RCS/b.c,v  -->  b.c\nrevision 1.2 (locked)\n", {S, U, U}, {}},
        {"no output", "", {U, U, U}, {}},
        {"a start line that shows twice", a + b + c + a, {U, U, U}, {}},
        {"a file name inside another line is no start", "co: x RCS/a.c,v  -->  a.c\n" + b + c, {F, S, S}, {}},
    };
    for (const Case& each : cases)
        Check(each, lines);
}

// Captured from `rcs -Nrel:1.1` of GNU RCS 5.10.1 over three RCS files.
TEST(BatchOutput, SplitsRcsOutputPerFile)
{
    const std::vector<std::string> lines = {RcsStartLine("RCS/a.c,v"), RcsStartLine("RCS/b.c,v"),
                                            RcsStartLine("src/RCS/c d.c,v")};
    const std::string a = "RCS file: RCS/a.c,v\ndone\n";
    const std::string b = "RCS file: RCS/b.c,v\ndone\n";
    const std::string c = "RCS file: src/RCS/c d.c,v\ndone\n";
    const std::string busy = "rcs: RCS file RCS/b.c,v is in use\n";
    const Case cases[] = {
        {"all changed", a + b + c, {S, S, S}, {a, b, c}},
        {"a busy file in the middle", a + busy + c, {S, F, S}, {a, busy, c}},
        {"a symbol error after the first line", a + "RCS file: RCS/b.c,v\nrcs: RCS/b.c,v: invalid symbol\n" + c,
         {S, U, U}, {}},
        {"a warning before a start", a + b + "rcs: warning: something\n" + c, {S, S, F}, {}},
    };
    for (const Case& each : cases)
        Check(each, lines);
}

} // namespace
} // namespace kestro
