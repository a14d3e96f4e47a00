// What a command says it did, and how rcsdiff's output over many files is
// read file by file.

#include "model/command_results.h"
#include "model/string_helpers.h"
#include "rcs/adopt_files.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct SummaryCase {
    const char* name;
    std::vector<int> outcomes;  // counted per item
    int result;
    bool conflicts;
    const char* expected;
};

TEST(CommandSummary, SaysWhatHappenedAndNeverCompleteAfterAFailure)
{
    const SummaryCase cases[] = {
        {"one item done", {}, 0, false, "checkin complete"},
        {"one item failed", {}, 1, false, "checkin failed"},
        {"several items", {0, 0, 1}, 1, false, "checkin: 2 done, 1 failed"},
        {"several done", {0, 0}, 0, false, "checkin: 2 done, 0 failed"},
        {"refused after every item was done", {0, 0}, 1, false, "checkin failed"},
        {"conflicts", {}, 1, true, "checkin: merged with conflicts"},
    };
    CommandResults& results = CommandResults::instance();
    for (const SummaryCase& c : cases) {
        results.ClearResults();
        results.CountItemOutcomes();
        for (int outcome : c.outcomes)
            results.CountOutcome(outcome);
        if (c.conflicts)
            results.NoteConflicts();
        EXPECT_EQ(results.Summary("checkin", c.result), c.expected) << c.name;
    }

    // Outcomes of commands run on the way are not what the user asked for.
    results.ClearResults();
    results.CountOutcome(0);
    results.CountOutcome(0);
    EXPECT_EQ(results.Summary("release", 0), "release complete");

    results.AppendResults("ci output without a line end");
    results.Finish("send", 2);
    EXPECT_EQ(results.Text(), "ci output without a line end\r\nsend failed\r\n");
    EXPECT_EQ(results.LastSummary(), "send failed");
    results.ClearResults();
    EXPECT_EQ(results.LastSummary(), "");
}

const std::string Rule(67, '=');

std::string Part(const std::string& rcsPath, const std::string& working, const std::string& diff = "")
{
    return Rule + "\nRCS file: " + rcsPath + "\nretrieving revision 1.1\ndiff -r1.1 " + working + "\n" + diff;
}

TEST(RcsdiffOutput, EachFileIsUnchangedOnlyWithNothingButItsHeader)
{
    const std::vector<std::string> paths{"RCS/a,v", "RCS/b,v", "c,v"};
    struct Case {
        const char* name;
        std::string output;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {"all equal", Part("RCS/a,v", "/p/a") + Part("RCS/b,v", "/p/b") + Part("c,v", "/p/c"), {true, true, true}},
        {"one differs", Part("RCS/a,v", "/p/a") + Part("RCS/b,v", "/p/b", "1c1\n< x\n---\n> y\n") + Part("c,v", "/p/c"),
         {true, false, true}},
        {"one unreadable: its message ends the part before",
         Part("RCS/a,v", "/p/a") + "rcsdiff: RCS/b,v: No such file or directory\n" + Part("c,v", "/p/c"),
         {false, false, true}},
        {"another revision retrieved",
         Rule + "\nRCS file: RCS/a,v\nretrieving revision 1.2\ndiff -r1.2 /p/a\n" + Part("RCS/b,v", "/p/b"),
         {false, true, false}},
        {"nothing", "", {false, false, false}},
    };
    for (const Case& c : cases) {
        std::string crlf = c.output;
        ReplaceAll(crlf, "\n", "\r\n");
        EXPECT_EQ(UnchangedInRcsdiffOutput(c.output, paths, "1.1"), c.expected) << c.name;
        EXPECT_EQ(UnchangedInRcsdiffOutput(crlf, paths, "1.1"), c.expected) << c.name << ", CR LF line ends";
    }
}

} // namespace
} // namespace kestro
