#include "rcs/batch_output.h"
#include "rcs/rlog_batch.h"

#include <gtest/gtest.h>

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

template <std::size_t N>
void Check(const Case (&cases)[N], const std::vector<std::string>& startLines,
           std::vector<BatchPart> (*split)(const std::string&, const std::vector<std::string>&) = SplitBatchOutput)
{
    for (const Case& c : cases) {
        const std::vector<BatchPart> parts = split(c.output, startLines);
        ASSERT_EQ(parts.size(), startLines.size()) << c.name;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i].outcome, c.outcomes[i]) << c.name << ", file " << i;
            EXPECT_TRUE(c.texts.empty() || parts[i].text == c.texts[i]) << c.name << ", file " << i;
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
    Check(cases, lines);
}

// Captured from `rcs ci -l` of GNU RCS 5.10.1 over a.c, b.c and a new c.c.
TEST(BatchOutput, SplitsCiOutputOfACheckinPerFile)
{
    const std::vector<std::string> lines = {CiStartLine("RCS/a.c,v", "a.c"), CiStartLine("RCS/b.c,v", "b.c"),
                                            CiStartLine("RCS/c.c,v", "/w/c.c")};
    const std::string a = "RCS/a.c,v  <--  a.c\nnew revision: 1.2; previous revision: 1.1\ndone\n";
    const std::string b = "RCS/b.c,v  <--  b.c\nfile is unchanged; reverting to previous revision 1.2\ndone\n";
    const std::string c = "RCS/c.c,v  <--  /w/c.c\ninitial revision: 1.1\ndone\n";
    const std::string busy = "ci: RCS file RCS/b.c,v is in use\n";
    const Case cases[] = {
        {"all checked in", a + b + c, {S, S, S}, {a, b, c}},
        {"a busy file in the middle", a + busy + c, {S, F, S}, {a, busy, c}},
        {"no lock, after the first line", a + "RCS/b.c,v  <--  b.c\nci: RCS/b.c,v: no lock set by me\n" + c,
         {S, U, U}, {}},
        {"a busy last file", a + b + "ci: RCS file RCS/c.c,v is in use\n", {S, S, F}, {}},
        {"a check-out line is no check-in line", "RCS/a.c,v  -->  a.c\ndone\n" + b + c, {F, S, S}, {}},
    };
    Check(cases, lines);
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
        {"a warning before the last start", a + b + "rcs: warning: something\n" + c, {S, S, U}, {}},
        {"a failing last file", a + b + busy, {S, S, F}, {a, b, busy}},
    };
    Check(cases, lines);
}

// Captured from `rcs ci -f` of GNU RCS 5.10.1 over a.c, b.c and c.c. A file
// ci may have checked in is never Failed, as it would be checked in again.
TEST(BatchOutput, SplitsCiOutputOfAReceiveWithoutRunningAFileTwice)
{
    const std::vector<std::string> lines = {CiStartLine("RCS/a.c,v", "a.c"), CiStartLine("RCS/b.c,v", "b.c"),
                                            CiStartLine("RCS/c.c,v", "c.c")};
    const std::string a = "RCS/a.c,v  <--  a.c\nnew revision: 1.2; previous revision: 1.1\ndone\n";
    const std::string b = "RCS/b.c,v  <--  b.c\ninitial revision: 1.1\ndone\n";
    const std::string c = "RCS/c.c,v  <--  c.c\nnew revision: 1.1.1.1; previous revision: 1.1\ndone\n";
    const std::string busy = "ci: RCS file RCS/b.c,v is in use\n";
    const std::string noLock = "RCS/b.c,v  <--  b.c\nci: RCS/b.c,v: no lock set by paul\n";
    const Case cases[] = {
        {"all checked in", a + b + c, {S, S, S}, {a, b, c}},
        {"a busy file in the middle", a + busy + c, {S, F, S}, {a, busy, c}},
        {"a refusal after the first line", a + noLock + c, {S, F, S}, {a, noLock, c}},
        {"two failing files in a row", a + busy + "ci: RCS file RCS/c.c,v is in use\n", {S, F, F}, {}},
        {"a refusal, then a busy file", "RCS/a.c,v  <--  a.c\nci: RCS/a.c,v: no lock set by paul\n" + busy + c,
         {F, F, S}, {}},
        {"a run that ended early", a + "RCS/b.c,v  <--  b.c\n", {S, F, F}, {}},
        {"a start line that shows twice", a + b + c + a, {U, U, U}, {}},
        {"files out of order", b + a + c, {U, U, U}, {}},
    };
    Check(cases, lines, SplitCiOutput);
}

// Shaped as `rlog -h` of GNU RCS 5.10.1 prints it over several files.
std::string RlogPart(const std::string& path, const std::string& log = std::string())
{
    return "\nRCS file: " + path + "\nWorking file: x\nhead: 1.1\ntotal revisions: 1\n" + log + std::string(77, '=')
           + "\n";
}

TEST(BatchOutput, SplitsRlogOutputPerFile)
{
    const std::vector<std::string> paths = {"RCS/a.c,v", "RCS/b.c,v", "src/RCS/c d.c,v"};
    const std::string a = RlogPart(paths[0]);
    const std::string b = RlogPart(paths[1]);
    const std::string c = RlogPart(paths[2]);
    const std::string copied = RlogPart(paths[1], std::string(77, '=') + "\n\nRCS file: RCS/c.c,v\n");
    const std::string c2 = RlogPart("RCS/c.c,v");
    const std::vector<std::tuple<const char*, std::string, std::vector<std::string>>> cases = {
        // name, output, parts (none: not split)
        {"all read", a + b + c, {a, "\n" + b, "\n" + c}},
        {"a missing file in the middle (its error went elsewhere)", a + c, {}},
        {"a missing last file", a + b, {}},
        {"files out of order", a + c + b, {}},
        {"a log that copies another file's start", a + copied + c + c2, {a, "\n" + copied, "\n" + c + c2}},
        {"a log that copies a start of this batch", a + RlogPart(paths[1], std::string(77, '=') + "\n\nRCS file: src/RCS/c d.c,v\n") + c,
         {}},
        {"text before the first file", "rlog: warning\n" + a + b + c, {}},
    };
    for (const auto& [name, output, expected] : cases) {
        std::vector<std::string> parts;
        EXPECT_EQ(SplitRlogOutput(output, paths, parts), !expected.empty()) << name;
        EXPECT_TRUE(expected.empty() || parts == expected) << name;
    }
}

} // namespace
} // namespace kestro
