#include "model/string_helpers.h"
#include "ops/compare_capture.h"
#include "support/rcs_history.h"

#include <functional>

namespace kestro {
namespace {

using namespace test;

struct CompareMergeReport : RcsProjectTest {
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
    MergeSettings& merge() { return RCSOptions::instance().merge; }
    ReportSettings& report() { return RCSOptions::instance().report; }
};

TEST_F(CompareMergeReport, NeverCheckedInFilesAreRefused)
{
    WriteText("new.c", "text\n");
    RCSFileItem* file = Add("new.c");
    EXPECT_EQ(file->Compare(), 2);
    EXPECT_EQ(file->Merge(), 1);
    EXPECT_EQ(file->Report(), 1);
    EXPECT_EQ(Results(), "Cannot compare new.c as it has never been checked in\r\n"
                         "Cannot merge new.c as it has never been checked in\r\n"
                         "Cannot report on new.c as it has never been checked in\r\n");
}

// The revisions and options asked for reach rcsdiff in their order; with no
// second revision the working file is compared.
TEST_F(CompareMergeReport, CompareArgumentsAndResults)
{
    CheckIn("f.c", "one\n", "first", {"-l"});
    CheckIn("f.c", "two\n", "second", {"-l"});
    RCSFileItem* file = Add("f.c");
    EXPECT_EQ(file->Compare(), 0) << "the head against the unchanged working file";
    WriteText("f.c", "TWO\n\n");
    // Revisions, the options all on or off, and what rcsdiff gets, returns and shows.
    const std::tuple<const char*, const char*, bool, std::string, int, const char*, const char*> cases[] = {
        {"", "", false, "", 1, "> TWO", nullptr},
        {" 1.1 ", "", false, " -r1.1", 1, "< one", nullptr},
        {"1.1", "1.2", false, " -r1.1 -r1.2", 1, "> two", "TWO"},
        {"", "", true, " -kk -c -B -b -i -w -p", 0, nullptr, nullptr},
        {"1.1", "", true, " -r1.1 -kk -c -B -b -i -w -p", 1, "! TWO", nullptr},
        {"1.1", "NoSuch", false, " -r1.1 -rNoSuch", 2, nullptr, nullptr},
    };
    for (const auto& [revision1, revision2, options, arguments, result, shown, absent] : cases) {
        ResetOptions();
        auto& settings = RCSOptions::instance().compare;
        settings.revision1 = revision1;
        settings.revision2 = revision2;
        settings.noKeywords = settings.contextDiff = settings.ignoreBlankLines = settings.ignoreBlankSpace =
            settings.ignoreCase = settings.ignoreWhiteSpace = settings.showCFunction = options;
        TakeResults();
        EXPECT_EQ(file->Compare(), result) << arguments;
        const std::string results = TakeResults();
        EXPECT_EQ(FirstLine(results), DirectProgram("rcsdiff") + arguments + Paths(*file));
        EXPECT_TRUE(!shown || Has(results, shown)) << results;
        EXPECT_FALSE(absent && Has(results, absent)) << results;
    }
}

TEST_F(CompareMergeReport, CaptureCollectsUnifiedOutputOfEveryFile)
{
    CheckIn("a.c", "one\ntwo\n", "first", {"-l"});
    CheckIn("b.c", "same\n", "first", {"-l"});
    RCSFileItem* a = Add("a.c");
    ASSERT_NE(Add("b.c"), nullptr);
    WriteText("a.c", "one\n2\n");
    TakeResults();

    std::string captured;
    {
        CompareCapture capture(true);
        EXPECT_EQ(doc->root->Compare(), 1);
        captured = capture.text;
    }
    EXPECT_EQ(FirstLine(TakeResults()), DirectProgram("rcsdiff") + " -u" + Paths(*a));
    EXPECT_EQ(Count(captured, "RCS file: "), 2u) << captured;
    EXPECT_TRUE(Has(captured, "\n-two\n+2\n")) << captured;

    // Without a capture the output form stays the plain one.
    a->Compare();
    EXPECT_EQ(FirstLine(TakeResults()), DirectProgram("rcsdiff") + Paths(*a));
}

TEST_F(CompareMergeReport, MergeBranchIntoWorkingFile)
{
    // The keyword line differs in every revision, so only -kk lets the
    // branch change merge cleanly.
    CheckIn("f.c", "$Revision$\n1\n2\n3\n4\na\n", "base", {"-l"});
    CheckIn("f.c", "top\n$Revision$\n1\n2\n3\n4\na\n", "trunk", {"-l"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.1", "f.c"}), 0);
    CheckIn("f.c", "$Revision$\n1\n2\n3\n4\nA\n", "branch", {"-r1.1.1"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2", "f.c"}), 0);
    RCSFileItem* file = Add("f.c");
    const std::string trunkText = ReadFile("f.c");
    TakeResults();

    merge().revision1 = "1.1";
    merge().revision2 = "1.1.1.1";
    EXPECT_EQ(file->Merge(), 1) << "the expanded keywords conflict";
    EXPECT_EQ(FirstLine(TakeResults()), DirectProgram("rcsmerge") + " -r1.1 -r1.1.1.1" + Paths(*file));

    WriteText("f.c", trunkText);
    merge().ignoreKeywords = true;
    EXPECT_EQ(file->Merge(), 0);
    EXPECT_EQ(FirstLine(TakeResults()), DirectProgram("rcsmerge") + " -r1.1 -r1.1.1.1 -kk" + Paths(*file));
    EXPECT_EQ(ReadFile("f.c"), "top\n$Revision: 1.2 $\n1\n2\n3\n4\nA\n");
    EXPECT_EQ(file->FindRevision("1.2")->StatusCode(), LockedTip) << "the model is unchanged";
}

TEST_F(CompareMergeReport, ReportOptions)
{
    const std::string user = LoginName();
    CheckIn("f.c", "1\n", "first", {"-l", "-d2024/01/05 10:00:00", "-sStable"});
    CheckIn("f.c", "2\n", "second", {"-l", "-d2024/02/05 10:00:00"});
    ASSERT_EQ(RunProgram({"rcs", "-q", "-NShip_1:1.1", "f.c"}), 0);
    RCSFileItem* file = Add("f.c");
    TakeResults();

    // A setting, the options it gives rlog, and what the report holds and lacks.
    const std::tuple<std::function<void(ReportSettings&)>, std::string, const char*, const char*> cases[] = {
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
    for (const auto& [set, arguments, present, absent] : cases) {
        ResetOptions();
        set(report());
        EXPECT_EQ(file->Report(), 0) << arguments;
        const std::string results = TakeResults();
        EXPECT_EQ(FirstLine(results), DirectProgram("rlog") + arguments + " " + file->GetRcsPath()) << arguments;
        EXPECT_TRUE(Has(results, present)) << arguments << "\n" << results;
        EXPECT_FALSE(absent && Has(results, absent)) << arguments << "\n" << results;
    }
}

TEST_F(CompareMergeReport, RevisionsAfterTheGivenOne)
{
    for (int i = 1; i <= 7; ++i)
        CheckIn("f.c", std::to_string(i) + "\n", "message " + std::to_string(i), {"-l"});
    RCSFileItem* file = Add("f.c");
    TakeResults();

    report().information = 4;
    report().afterRevision = true;
    for (const char* typed : {"1.5", "1.5:"}) {
        report().revisions = typed;
        EXPECT_EQ(file->Report(), 0) << typed;
        const std::string results = TakeResults();
        EXPECT_TRUE(Has(results, "message 7") && Has(results, "message 6")) << typed << "\n" << results;
        EXPECT_FALSE(Has(results, "message 5") || Has(results, "message 4")) << typed << "\n" << results;
        EXPECT_TRUE(Has(results, "\n=====")) << "the report's end stays\n" << results;
    }

    // Without the box the given revision is listed too.
    report().afterRevision = false;
    report().revisions = "1.5:";
    EXPECT_EQ(file->Report(), 0);
    EXPECT_TRUE(Has(TakeResults(), "message 5"));
}

TEST_F(CompareMergeReport, LogMessagesOnlyOnTheRootAndUniqueOnesAcrossFiles)
{
    const std::string dashed = "Two parts\n------------------------------------\nsecond part";
    CheckIn("a.c", "1\n", "Shared fix", {"-l"});
    CheckIn("a.c", "2\n", "Only in a", {"-l"});
    // a.c's 1.1 gets a branch, so rlog lists "branches:" before its message.
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.1", "a.c"}), 0);
    CheckIn("a.c", "1b\n", dashed, {"-r1.1.1"});
    CheckIn("b.c", "1\n", "Shared fix", {"-l"});
    CheckIn("b.c", "2\n", dashed);
    Add("a.c");
    Add("b.c");
    TakeResults();

    report().information = 5;
    EXPECT_EQ(doc->root->Report(), 0);
    const std::string results = TakeResults();
    EXPECT_EQ(Count(results, "Shared fix\n"), 1u) << results;
    EXPECT_EQ(Count(results, dashed + "\n"), 1u) << "a message is not split at a line of dashes\n" << results;
    EXPECT_EQ(Count(results, "Only in a\n"), 1u) << results;
    EXPECT_TRUE(results.starts_with("----------------------------\r\n")) << results;
    for (const char* absent : {"rlog", "a.c:", "revision ", "date:", "branches:", "====="})
        EXPECT_FALSE(Has(results, absent)) << absent << "\n" << results;

    // The log messages alone, each file's under its name.
    report().information = 4;
    EXPECT_EQ(doc->root->Report(), 0);
    const std::string logs = TakeResults();
    EXPECT_FALSE(Has(logs, "rlog") || Has(logs, "head:")) << "no command lines or headers\n" << logs;
    ASSERT_TRUE(logs.starts_with("a.c:\r\n----------------------------\nrevision 1.2")) << logs;
    const std::size_t b = logs.find("b.c:\r\n----------------------------\nrevision 1.2\n");
    ASSERT_NE(b, std::string::npos) << logs;
    EXPECT_LT(logs.find("Shared fix"), b);
    EXPECT_GT(logs.rfind("Shared fix"), b);

    // A failed run still shows what the program said, under the name.
    report().revisions = "NoSuch";
    EXPECT_NE(doc->root->Report(), 0);
    EXPECT_TRUE(TakeResults().starts_with("a.c:\r\nrlog: "));
}

TEST_F(CompareMergeReport, NarrowedReportLeavesTheTipAlone)
{
    CheckIn("f.c", "1\n", "trunk 1", {"-l"});
    CheckIn("f.c", "2\n", "trunk 2", {"-l"});
    CheckIn("f.c", "3\n", "trunk 3");
    RCSFileItem* file = Add("f.c");
    ASSERT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);

    report().revisions = "1.1";
    EXPECT_EQ(file->Report(), 0);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.1")->StatusCode(), Revision);

    // A full report finds a revision checked in elsewhere and moves the tip.
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.3", "f.c"}), 0);
    CheckIn("f.c", "4\n", "trunk 4");
    report().revisions.clear();
    EXPECT_EQ(file->Report(), 0);
    ASSERT_NE(file->FindRevision("1.4"), nullptr);
    EXPECT_EQ(file->FindRevision("1.4")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Revision);
}

} // namespace
} // namespace kestro
