#include "model/command_results.h"
#include "model/file_item.h"
#include "model/options.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/unified_diff.h"
#include "model/version_item.h"
#include "ops/compare_capture.h"
#include "rcs/rcs_programs.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestro {
namespace {

using test::CheckIn;
using test::RunProgram;

struct CompareMergeReportTest : test::ProjectFixture {
    CompareMergeReportTest() { CommandResults::instance().ClearResults(); }
    RCSFileItem* Add(const std::string& path)
    {
        RCSFileItem* file = doc->AddFile(path);
        EXPECT_NE(file, nullptr) << path;
        return file;
    }
    static std::string Results() { return CommandResults::instance().Text(); }
    static std::string TakeResults()
    {
        std::string text = Results();
        CommandResults::instance().ClearResults();
        return text;
    }
    // The echoed command line: the results up to the first line end.
    static std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }
    // The working and RCS paths as they end a command line.
    static std::string Paths(const RCSFileItem& file)
    {
        std::string paths;
        AppendArgument(paths, file.GetWorkingPath());
        AppendArgument(paths, file.GetRcsPath());
        return paths;
    }
    CompareSettings& compare() { return RCSOptions::instance().compare; }
    MergeSettings& merge() { return RCSOptions::instance().merge; }
    ReportSettings& report() { return RCSOptions::instance().report; }
};

TEST(CompareMergeReport, NeverCheckedInFilesAreRefused)
{
    CompareMergeReportTest t;
    test::WriteText("new.c", "text\n");
    RCSFileItem* file = t.Add("new.c");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Compare(), 2);
    EXPECT_EQ(file->Merge(), 1);
    EXPECT_EQ(file->Report(), 1);
    EXPECT_EQ(t.Results(), "Cannot compare new.c as it has never been checked in\r\n"
                           "Cannot merge new.c as it has never been checked in\r\n"
                           "Cannot report on new.c as it has never been checked in\r\n");
}

// The revisions and options asked for reach rcsdiff in their order; with no
// second revision the working file is compared.
TEST(CompareMergeReport, CompareArgumentsAndResults)
{
    CompareMergeReportTest t;
    CheckIn("f.c", "one\n", "first", {"-l"});
    CheckIn("f.c", "two\n", "second", {"-l"});
    RCSFileItem* file = t.Add("f.c");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Compare(), 0) << "the head against the unchanged working file";
    test::WriteText("f.c", "TWO\n\n");
    struct Case {
        const char* revision1;
        const char* revision2;
        bool options;
        std::string arguments;
        int result;
        const char* shown;
        const char* absent;
    };
    const Case cases[] = {
        {"", "", false, "", 1, "> TWO", nullptr},
        {" 1.1 ", "", false, " -r1.1", 1, "< one", nullptr},
        {"1.1", "1.2", false, " -r1.1 -r1.2", 1, "> two", "TWO"},
        {"", "", true, " -kk -c -B -b -i -w -p", 0, nullptr, nullptr},
        {"1.1", "", true, " -r1.1 -kk -c -B -b -i -w -p", 1, "! TWO", nullptr},
        {"1.1", "NoSuch", false, " -r1.1 -rNoSuch", 2, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        test::ResetOptions();
        auto& settings = t.compare();
        settings.revision1 = c.revision1;
        settings.revision2 = c.revision2;
        settings.noKeywords = settings.contextDiff = settings.ignoreBlankLines = settings.ignoreBlankSpace =
            settings.ignoreCase = settings.ignoreWhiteSpace = settings.showCFunction = c.options;
        t.TakeResults();
        EXPECT_EQ(file->Compare(), c.result) << c.arguments;
        const std::string results = t.TakeResults();
        EXPECT_EQ(t.FirstLine(results), DirectProgram("rcsdiff") + c.arguments + t.Paths(*file));
        if (c.shown) {
            EXPECT_TRUE(test::Has(results, c.shown)) << results;
        }
        if (c.absent) {
            EXPECT_FALSE(test::Has(results, c.absent)) << results;
        }
    }
}

TEST(CompareMergeReport, CaptureCollectsUnifiedOutputOfEveryFile)
{
    CompareMergeReportTest t;
    CheckIn("a.c", "one\ntwo\n", "first", {"-l"});
    CheckIn("b.c", "same\n", "first", {"-l"});
    RCSFileItem* a = t.Add("a.c");
    RCSFileItem* b = t.Add("b.c");
    ASSERT_TRUE(a && b);
    test::WriteText("a.c", "one\n2\n");
    t.TakeResults();

    std::string captured;
    {
        CompareCapture capture(true);
        EXPECT_EQ(t.doc->root->Compare(), 1);
        captured = capture.text;
    }
    EXPECT_EQ(t.FirstLine(t.TakeResults()), DirectProgram("rcsdiff") + " -u" + t.Paths(*a));
    const std::vector<FileDiff> files = ParseUnifiedDiff(captured);
    ASSERT_EQ(files.size(), 2u) << captured;
    ASSERT_EQ(files[0].hunks.size(), 1u) << captured;
    EXPECT_EQ(files[0].hunks[0].lines.back().text, "2");
    EXPECT_EQ(files[0].hunks[0].lines.back().kind, DiffLineKind::Added);
    EXPECT_FALSE(files[1].differs());

    // Without a capture the output form stays the plain one.
    a->Compare();
    EXPECT_EQ(t.FirstLine(t.TakeResults()), DirectProgram("rcsdiff") + t.Paths(*a));
}

TEST(CompareMergeReport, MergeBranchIntoWorkingFile)
{
    CompareMergeReportTest t;
    // The keyword line differs in every revision, so only -kk lets the
    // branch change merge cleanly.
    CheckIn("f.c", "$Revision$\n1\n2\n3\n4\na\n", "base", {"-l"});
    CheckIn("f.c", "top\n$Revision$\n1\n2\n3\n4\na\n", "trunk", {"-l"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.1", "f.c"}), 0);
    CheckIn("f.c", "$Revision$\n1\n2\n3\n4\nA\n", "branch", {"-r1.1.1"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2", "f.c"}), 0);
    RCSFileItem* file = t.Add("f.c");
    ASSERT_NE(file, nullptr);
    const std::string trunkText = test::ReadFile("f.c");
    t.TakeResults();

    t.merge().revision1 = "1.1";
    t.merge().revision2 = "1.1.1.1";
    EXPECT_EQ(file->Merge(), 1) << "the expanded keywords conflict";
    EXPECT_EQ(t.FirstLine(t.TakeResults()), DirectProgram("rcsmerge") + " -r1.1 -r1.1.1.1" + t.Paths(*file));

    test::WriteText("f.c", trunkText);
    t.merge().ignoreKeywords = true;
    EXPECT_EQ(file->Merge(), 0);
    EXPECT_EQ(t.FirstLine(t.TakeResults()), DirectProgram("rcsmerge") + " -r1.1 -r1.1.1.1 -kk" + t.Paths(*file));
    EXPECT_EQ(test::ReadFile("f.c"), "top\n$Revision: 1.2 $\n1\n2\n3\n4\nA\n");
    EXPECT_EQ(file->FindRevision("1.2")->StatusCode(), LockedTip) << "the model is unchanged";
}

TEST(CompareMergeReport, ReportOptions)
{
    CompareMergeReportTest t;
    const std::string user = test::LoginName();
    CheckIn("f.c", "1\n", "first", {"-l", "-d2024/01/05 10:00:00", "-sStable"});
    CheckIn("f.c", "2\n", "second", {"-l", "-d2024/02/05 10:00:00"});
    ASSERT_EQ(RunProgram({"rcs", "-q", "-NShip_1:1.1", "f.c"}), 0);
    RCSFileItem* file = t.Add("f.c");
    ASSERT_NE(file, nullptr);
    t.TakeResults();
    const std::string rcsPath = file->GetRcsPath();

    using Set = std::function<void(ReportSettings&)>;
    struct Case {
        Set set;
        std::string arguments;
        const char* present;
        const char* absent;
    };
    const Case cases[] = {
        {[](ReportSettings& s) { s.information = 1; }, " -R", "RCS/f.c,v\n", "head:"},
        {[](ReportSettings& s) { s.information = 2; }, " -h", "Ship_1: 1.1", "description:"},
        {[](ReportSettings& s) { s.information = 3; }, " -t", "description:\ntest file", "revision 1.1"},
        {[](ReportSettings& s) { s.symbolicNames = false; }, " -N", "revision 1.1\n", "Ship_1"},
        {[&](ReportSettings& s) { s.lockedOnly = true, s.users = user; }, " -L -l" + user, "revision 1.2", "revision 1.1"},
        {[&](ReportSettings& s) { s.users = user; }, " -w" + user, "revision 1.1", nullptr},
        {[](ReportSettings& s) { s.dates = "<2024/01/31 12:00"; }, " \"-d<2024/01/31 12:00\"", "revision 1.1\n",
         "revision 1.2"},
        {[](ReportSettings& s) { s.states = "Stable"; }, " -sStable", "revision 1.1\n", "revision 1.2"},
        {[](ReportSettings& s) { s.revisions = "1.2"; }, " -r1.2", "revision 1.2", "revision 1.1"},
    };
    for (const Case& c : cases) {
        test::ResetOptions();
        c.set(t.report());
        EXPECT_EQ(file->Report(), 0) << c.arguments;
        const std::string results = t.TakeResults();
        EXPECT_EQ(t.FirstLine(results), DirectProgram("rlog") + c.arguments + " " + rcsPath) << c.arguments;
        EXPECT_NE(results.find(c.present), std::string::npos) << c.arguments << "\n" << results;
        if (c.absent) {
            EXPECT_EQ(results.find(c.absent), std::string::npos) << c.arguments << "\n" << results;
        }
    }
}

TEST(CompareMergeReport, ReportNamesTheRcsFileNotTheName)
{
    CompareMergeReportTest t;
    CheckIn("./-x.c", "1\n", "odd name");
    RCSFileItem* file = t.Add("-x.c");
    ASSERT_NE(file, nullptr);
    t.TakeResults();
    EXPECT_EQ(file->Report(), 0);
    const std::string results = t.TakeResults();
    EXPECT_EQ(t.FirstLine(results), DirectProgram("rlog") + " RCS/-x.c,v");
    EXPECT_NE(results.find("odd name"), std::string::npos) << results;
}

TEST(CompareMergeReport, LogMessagesOnlyOnTheRoot)
{
    CompareMergeReportTest t;
    CheckIn("a.c", "1\n", "a first", {"-l"});
    CheckIn("a.c", "2\n", "a second");
    CheckIn("b.c", "1\n", "b first");
    ASSERT_NE(t.Add("a.c"), nullptr);
    ASSERT_NE(t.Add("b.c"), nullptr);
    t.TakeResults();

    t.report().information = 4;
    EXPECT_EQ(t.doc->root->Report(), 0);
    const std::string results = t.TakeResults();
    EXPECT_EQ(results.find("rlog"), std::string::npos) << "no command lines\n" << results;
    EXPECT_EQ(results.find("head:"), std::string::npos) << "no headers\n" << results;
    ASSERT_EQ(results.rfind("a.c:\r\n----------------------------\nrevision 1.2\n", 0), 0u) << results;
    const std::size_t b = results.find("b.c:\r\n----------------------------\nrevision 1.1\n");
    ASSERT_NE(b, std::string::npos) << results;
    EXPECT_LT(results.find("a first"), b);
    EXPECT_GT(results.find("b first"), b);

    // A failed run still shows what the program said, under the name.
    t.report().revisions = "NoSuch";
    EXPECT_NE(t.doc->root->Report(), 0);
    EXPECT_EQ(t.TakeResults().rfind("a.c:\r\nrlog: ", 0), 0u);
}

TEST(CompareMergeReport, RevisionsAfterTheGivenOne)
{
    CompareMergeReportTest t;
    for (int i = 1; i <= 7; ++i)
        CheckIn("f.c", std::to_string(i) + "\n", "message " + std::to_string(i), {"-l"});
    RCSFileItem* file = t.Add("f.c");
    ASSERT_NE(file, nullptr);
    t.TakeResults();

    t.report().information = 4;
    t.report().afterRevision = true;
    for (const char* typed : {"1.5", "1.5:"}) {
        t.report().revisions = typed;
        EXPECT_EQ(file->Report(), 0) << typed;
        const std::string results = t.TakeResults();
        EXPECT_NE(results.find("message 7"), std::string::npos) << typed << "\n" << results;
        EXPECT_NE(results.find("message 6"), std::string::npos) << typed << "\n" << results;
        EXPECT_EQ(results.find("message 5"), std::string::npos) << typed << "\n" << results;
        EXPECT_EQ(results.find("message 4"), std::string::npos) << typed << "\n" << results;
        EXPECT_NE(results.find("\n====="), std::string::npos) << "the report's end stays\n" << results;
    }

    // Without the box the given revision is listed too.
    t.report().afterRevision = false;
    t.report().revisions = "1.5:";
    EXPECT_EQ(file->Report(), 0);
    EXPECT_NE(t.TakeResults().find("message 5"), std::string::npos);
}

TEST(CompareMergeReport, UniqueLogMessagesAcrossFiles)
{
    CompareMergeReportTest t;
    const std::string dashed = "Two parts\n------------------------------------\nsecond part";
    CheckIn("a.c", "1\n", "Shared fix", {"-l"});
    CheckIn("a.c", "2\n", "Only in a", {"-l"});
    // a.c's 1.1 gets a branch, so rlog lists "branches:" before its message.
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.1", "a.c"}), 0);
    CheckIn("a.c", "1b\n", dashed, {"-r1.1.1"});
    CheckIn("b.c", "1\n", "Shared fix", {"-l"});
    CheckIn("b.c", "2\n", dashed);
    ASSERT_NE(t.Add("a.c"), nullptr);
    ASSERT_NE(t.Add("b.c"), nullptr);
    t.TakeResults();

    t.report().information = 5;
    EXPECT_EQ(t.doc->root->Report(), 0);
    const std::string results = t.TakeResults();
    EXPECT_EQ(test::Count(results, "Shared fix\n"), 1u) << results;
    EXPECT_EQ(test::Count(results, dashed + "\n"), 1u) << "a message is not split at a line of dashes\n" << results;
    EXPECT_EQ(test::Count(results, "Only in a\n"), 1u) << results;
    EXPECT_EQ(results.rfind("----------------------------\r\n", 0), 0u) << results;
    for (const char* absent : {"rlog", "a.c:", "revision ", "date:", "branches:", "====="})
        EXPECT_EQ(results.find(absent), std::string::npos) << absent << "\n" << results;
}

TEST(CompareMergeReport, NarrowedReportLeavesTheTipAlone)
{
    CompareMergeReportTest t;
    CheckIn("f.c", "1\n", "trunk 1", {"-l"});
    CheckIn("f.c", "2\n", "trunk 2", {"-l"});
    CheckIn("f.c", "3\n", "trunk 3");
    RCSFileItem* file = t.Add("f.c");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);

    t.report().revisions = "1.1";
    EXPECT_EQ(file->Report(), 0);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.1")->StatusCode(), Revision);

    // A full report finds a revision checked in elsewhere and moves the tip.
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.3", "f.c"}), 0);
    CheckIn("f.c", "4\n", "trunk 4");
    t.report().revisions.clear();
    EXPECT_EQ(file->Report(), 0);
    ASSERT_NE(file->FindRevision("1.4"), nullptr);
    EXPECT_EQ(file->FindRevision("1.4")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Revision);
}

} // namespace
} // namespace kestro
