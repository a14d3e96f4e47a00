#include "model/command_progress.h"
#include "rcs/command_runner.h"
#include "rcs/rlog_batch.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

using namespace test;

struct SynchroniseTest : RcsProjectTest {
    RCSRoot& root() { return *doc->root; }
    RCSReleaseRoot& releases() { return *doc->releaseRoot; }

    // Files f0.c, f1.c ... in the project, checked in in one ci run but for
    // every one whose number divides by withoutRcs (when not 0).
    std::vector<RCSFileItem*> ManyFiles(int count, int withoutRcs = 0)
    {
        std::vector<std::string> names, checkin{"ci", "-q", "-u", "-t-x", "-mfirst"};
        std::filesystem::create_directory("RCS");
        for (int i = 0; i < count; ++i) {
            names.push_back("f" + std::to_string(i) + ".c");
            test::WriteText(names.back(), "one\n");
            if (withoutRcs == 0 || i % withoutRcs != 0)
                checkin.push_back(names.back());
        }
        EXPECT_EQ(RunProgram(checkin), 0);
        const std::vector<RCSFileItem*> files = doc->AddFiles(names);
        EXPECT_EQ(files.size(), names.size());
        return files;
    }
};

std::string ReleaseNames(RCSReleaseRoot& releases)
{
    std::string names;
    for (auto& release : releases.children)
        names += release->name + ";";
    return names;
}

TEST_F(SynchroniseTest, RevisionsLocksTipsAndReleasesComeFromRlog)
{
    CheckIn("src/main.c", "one\n", "First version", {"-l", "-d2026/01/05 10:00:00"});
    CheckIn("src/main.c", "two\n", "Second version\nwith a second line", {"-l", "-d2026/01/06 10:00:00"});
    CheckIn("src/main.c", "three\n", "Third", {"-l", "-d2026/01/07 10:00:00"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2", "src/main.c"}), 0);
    CheckIn("src/main.c", "branch\n", "On a branch", {"-l", "-r1.2.1", "-d2026/01/08 10:00:00"});
    CheckIn("src/main.c", "deeper\n", "", {"-u", "-r1.2.1.1.1", "-d2026/01/09 10:00:00"});
    ASSERT_EQ(RunProgram({"rcs", "-q", "-NBeta_2:1.2", "-NGamma:1.2", "src/main.c"}), 0);

    RCSFileItem* file = Add("src/main.c");
    ASSERT_NE(file, nullptr);
    const std::map<std::string, RevisionRow> expected{
        {"1.1", RevisionRow{Revision, "", "First version"}},
        {"1.2", RevisionRow{Revision, "", "Second version"}},
        {"1.3", RevisionRow{LockedTip, test::LoginName(), "Third"}},
        {"1.2.1.1", RevisionRow{Revision, "", "On a branch"}},
        {"1.2.1.1.1.1", RevisionRow{Revision, "", "*** empty log message ***"}},
    };
    EXPECT_EQ(Revisions(*file), expected);
    EXPECT_EQ(file->FindRevision("1.2.1.1")->parent, file->FindRevision("1.2"));
    EXPECT_EQ(file->FindRevision("1.2.1.1.1.1")->parent, file->FindRevision("1.2.1.1"));

    // Several symbols on one revision, blanks read back from "_"; rlog lists
    // the newest symbol first.
    EXPECT_EQ(ReleaseNames(releases()), "Gamma;Beta 2;");
    RCSReleaseItem* beta = releases().FindRelease("Beta 2");
    ASSERT_EQ(beta->children.size(), 1u);
    EXPECT_EQ(static_cast<RCSReleaseVersionItem*>(beta->children[0].get())->revisionRef, file->FindRevision("1.2"));

    // The default branch decides the tip.
    ASSERT_EQ(RunProgram({"rcs", "-q", "-b1.2.1", "src/main.c"}), 0);
    file->Synchronise(true);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), LockedRevision);
    EXPECT_EQ(file->FindRevision("1.2.1.1")->StatusCode(), Tip);
}

TEST_F(SynchroniseTest, OutdatedRevisionGoesUnlessAReleaseNeedsIt)
{
    for (const char* text : {"1\n", "2\n", "3\n", "4\n"})
        CheckIn("a.c", text, std::string("version ") + text, {"-l"});
    ASSERT_EQ(RunProgram({"rcs", "-q", "-NKeep:1.2", "a.c"}), 0);
    RCSFileItem* file = Add("a.c");
    ASSERT_NE(file->FindRevision("1.2"), nullptr);
    ASSERT_EQ(releases().children.size(), 1u);

    ASSERT_EQ(RunProgram({"rcs", "-q", "-o1.2:1.3", "a.c"}), 0);
    file->Synchronise(false);
    EXPECT_NE(file->FindRevision("1.3"), nullptr) << "without top nothing is removed";

    file->Synchronise(true);
    EXPECT_EQ(file->FindRevision("1.3"), nullptr);
    ASSERT_NE(file->FindRevision("1.2"), nullptr);
    EXPECT_EQ(file->FindRevision("1.2")->message, "** Missing from RCS **");
    EXPECT_EQ(file->FindRevision("1.4")->message, "version 4");
}

TEST_F(SynchroniseTest, ReleasesDisappearOnlyWithARootSynchronisationThatReadEveryFile)
{
    CheckIn("a.c", "a\n", "a");
    CheckIn("b.c", "b\n", "b");
    for (const char* name : {"a.c", "b.c"})
        ASSERT_EQ(RunProgram({"rcs", "-q", "-NOld:1.1", "-NKept:1.1", name}), 0);
    Add("a.c");
    Add("b.c");
    ASSERT_EQ(ReleaseNames(releases()), "Kept;Old;");

    for (const char* name : {"a.c", "b.c"})
        ASSERT_EQ(RunProgram({"rcs", "-q", "-NOld", name}), 0);
    root().children[0]->Synchronise(true);
    EXPECT_EQ(ReleaseNames(releases()), "Kept;Old;") << "a single file leaves the release tree alone";
    EXPECT_EQ(root().Synchronise(true), 0);
    EXPECT_EQ(ReleaseNames(releases()), "Kept;");
    EXPECT_EQ(releases().children[0]->children.size(), 2u);

    // An unreadable history leaves the model alone.
    RCSFileItem* a = root().FindFile("a.c");
    test::Rewrite("RCS/a.c,v", "this is not an RCS file\n");
    TakeResults();
    EXPECT_NE(root().Synchronise(true), 0);
    EXPECT_NE(a->FindRevision("1.1"), nullptr) << "revisions stay when rlog fails";
    EXPECT_EQ(a->FindRevision("1.1")->message, "a");
    ASSERT_EQ(releases().children.size(), 1u) << "releases stay when any file failed";
    EXPECT_EQ(releases().children[0]->children.size(), 2u) << "and so do their entries";
    EXPECT_TRUE(Has(Results(), "a.c : the history could not be read")) << Results();
}

TEST_F(SynchroniseTest, ManyFilesAreReadInSeveralRunsEachIntoItsOwnFile)
{
    // Every 40th file has no RCS file, and one in a later run is damaged.
    constexpr int Files = 200;
    constexpr const char* Damaged = "f191.c";
    const std::vector<RCSFileItem*> files = ManyFiles(Files, 40);
    Rewrite(std::string("RCS/") + Damaged + ",v", "not an RCS file\n");

    // Each output goes to its own file, once, in order, from several runs.
    int runs = 0;
    std::vector<RCSFileItem*> applied, missing;
    RunRlogForFiles(
        files, {"-h"},
        [&](RCSFileItem* file, int result, const std::string& output) {
            applied.push_back(file);
            EXPECT_EQ(result != 0, file->name == Damaged) << file->name;
            EXPECT_TRUE(result != 0 || Has(output, "RCS file: " + file->GetRcsPath() + "\n")) << file->name;
        },
        [&](const std::string& command) { runs += Count(command, ",v") > 1; },
        [&](RCSFileItem* file) { missing.push_back(file); });
    EXPECT_GE(runs, 2);
    std::vector<RCSFileItem*> withRcs, withoutRcs;
    for (int i = 0; i < Files; ++i)
        (i % 40 == 0 ? withoutRcs : withRcs).push_back(files[i]);
    EXPECT_EQ(applied, withRcs);
    EXPECT_EQ(missing, withoutRcs);
}

TEST_F(SynchroniseTest, AStopEndsAReadingThatOnlyLooksWithoutReadingFileByFile)
{
    const std::vector<RCSFileItem*> files = ManyFiles(150);
    CommandProgress& progress = CommandProgress::instance();

    // Histories read back after a change are read whole, stop or not.
    progress.Reset();
    progress.RequestStop();
    int unread = 0;
    RunRlogForFiles(files, {"-h"}, [&](RCSFileItem*, int result, const std::string&) { unread += result != 0; });
    EXPECT_EQ(unread, 0);

    progress.Reset();
    // The stop comes as the second run is planned, while the first may
    // still be going on: that one is ended, the second never starts.
    std::vector<std::string> runs;
    std::vector<RCSFileItem*> applied;
    std::vector<int> results;
    RunRlogForFiles(
        files, {"-h"},
        [&](RCSFileItem* file, int result, const std::string&) {
            applied.push_back(file);
            results.push_back(result);
        },
        [&](const std::string& command) {
            runs.push_back(command);
            if (runs.size() == 2) {
                progress.RequestStop();
                StopRunningProgram();
            }
        },
        {}, OnStop::StopReading);
    progress.Reset();
    ASSERT_EQ(runs.size(), 2u) << "no file is read alone after a stop";
    EXPECT_EQ(applied, files) << "every file hears, once and in order";
    // The first run was read whole or not at all; nothing after it.
    const std::size_t first = Count(runs[0], ",v");
    ASSERT_LT(first, files.size());
    EXPECT_TRUE(results[0] == 0 || results[0] == NotReadAfterStop) << results[0];
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], i < first ? results[0] : NotReadAfterStop) << files[i]->name;

    // A stopped synchronise leaves every history as it was and says so once.
    TakeResults();
    progress.RequestStop();
    EXPECT_NE(root().Synchronise(true), 0);
    progress.Reset();
    EXPECT_EQ(Results(), "Stopped before 150 files were read; their revisions are left as they were\r\n");
    for (RCSFileItem* file : files)
        EXPECT_NE(file->FindRevision("1.1"), nullptr) << file->name;
}

TEST_F(SynchroniseTest, RcsFilesWithoutSuffixAndLocksOfOtherUsers)
{
    CheckIn("a.c", "a\n", "a", {"-l"});
    CheckIn("a.c", "b\n", "b", {"-l"});
    // An RCS file written by another tool: no ",v" suffix, and a lock held by
    // someone else.
    std::string rcs = ReadFile("RCS/a.c,v");
    const std::size_t locks = rcs.find("locks");
    const std::size_t end = rcs.find(';', locks);
    rcs.replace(locks, end - locks, "locks\n\tjim:1.2");
    std::filesystem::remove("RCS/a.c,v");
    test::WriteText("RCS/a.c", rcs);

    RCSFileItem* file = Add("a.c");
    EXPECT_EQ(file->GetRcsPath(), "RCS/a.c");
    EXPECT_EQ(file->FindRevision("1.2")->locker, "jim");
    EXPECT_EQ(file->FindRevision("1.2")->StatusCode(), LockedTip);
    RCSVersionItem* mine = nullptr;
    EXPECT_EQ(file->FindLockedByUser(mine), 0);

    // A deleted RCS file takes the revisions along.
    std::filesystem::remove("RCS/a.c");
    file->Synchronise(true);
    EXPECT_TRUE(file->children.empty());
    EXPECT_EQ(file->StatusCode(), NewFile);
}

TEST_F(SynchroniseTest, WorkingOrRcsFileNameTheSameItemAndOutsideFilesAreRefused)
{
    CheckIn("src/main.c", "text\n", "first");
    RCSFileItem* added = Add("src/main.c");
    EXPECT_EQ(added->name, "src\\main.c");
    EXPECT_EQ(added->children.size(), 1u);
    EXPECT_TRUE(doc->IsModified());
    // Naming the RCS file finds the same item.
    EXPECT_EQ(doc->AddFile(scratch.path() + "src/RCS/main.c,v"), added);
    EXPECT_EQ(root().children.size(), 1u);

    CheckIn("lib/util.c", "text\n", "first");
    std::filesystem::remove("lib/util.c");
    EXPECT_EQ(Add("lib/RCS/util.c,v")->GetDisplayText(), "lib\\util.c Only in RCS");
    test::WriteText("notes.txt", "x");
    Add("notes.txt");
    EXPECT_TRUE(test::Has(view.Render(true), "\n  [1] notes.txt New file\n")) << view.Render(true);
    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_EQ(root().children.size(), 3u);

    test::WriteText(Incoming("outside.c"), "x");
    EXPECT_EQ(doc->AddFile(Incoming("outside.c")), nullptr);
    EXPECT_EQ(interaction.messages, std::vector<std::string>{"Cannot add file " + Incoming("outside.c")
                                                             + " \r\nas it is not in a subdirectory of " + scratch.path()});
    EXPECT_EQ(doc->AddFile("no-such-file.c"), nullptr);
    EXPECT_EQ(doc->AddFile(scratch.path() + "lib"), nullptr) << "directories are not added";
    EXPECT_EQ(root().children.size(), 3u);
}

} // namespace
} // namespace kestro
