// Check-in with the real ci: the revision it builds on, refusals, log
// messages, times, whole-project runs and merges that leave conflicts.

#include "model/command_progress.h"
#include "support/rcs_history.h"

#include <sstream>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr std::time_t Year2001 = 978307200;

void Lock(const std::string& path, const std::string& revision)
{
    ASSERT_EQ(RunProgram({"rcs", "-q", "-l" + revision, path}), 0);
}

std::string Description(const std::string& path)
{
    const std::string log = Rlog(path);
    const std::size_t start = log.find("description:\n") + 13;
    return log.substr(start, log.find("\n----------------------------\n", start) - start);
}

struct CheckinTest : RcsProjectTest {
    // Checks in the texts one after the other, the last one locked as "-l"
    // leaves it, and adds the file.
    RCSFileItem* History(const std::string& path, const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts)
            CheckIn(path, text, "message " + text, {"-l"});
        return doc->AddFile(path);
    }
    // Checks the file in with the results cleared first.
    int Checkin(RCSFileItem* file, Site* site = nullptr)
    {
        CommandResults::instance().ClearResults();
        return file->Checkin(site);
    }
    std::string Ci(const std::string& options) const { return DirectProgram("ci") + options; }
    CheckinSettings& settings = RCSOptions::instance().checkin;
};

TEST_F(CheckinTest, InitialCheckinDescribesTheFileAndGoesToTheMasterSite)
{
    WriteText("src/main.c", "int main;\n");
    RCSFileItem* file = doc->AddFile("src/main.c");
    Site* paris = doc->siteList->Add("Paris", "");
    doc->siteList->SetMaster(paris);
    settings.logMessage = "old message";
    settings.revision = "9.9";
    EXPECT_TRUE(file->PrepareCheckin());
    EXPECT_EQ(settings.revision, "");
    EXPECT_EQ(settings.logMessage, "src\\main.c - Initial checkin");

    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Ci(" -l " + file->GetWorkingPath() + " src/RCS/main.c,v\r\n"))) << Results();
    EXPECT_EQ(Description("src/RCS/main.c,v"), "src\\main.c - Initial checkin");
    ASSERT_NE(file->FindRevision("1.1"), nullptr);
    EXPECT_EQ(file->FindRevision("1.1")->owningSite, paris);
    EXPECT_EQ(file->StatusCode(), CheckedIn);
    settings.logMessage = "kept";
    file->PrepareCheckin();
    EXPECT_EQ(settings.logMessage, "kept") << "once there is a history the typed message stays";
}

TEST_F(CheckinTest, ALockedTipLetsCiChooseMessagesAreKeptAsTypedAndKeepTimeRestoresTheTime)
{
    RCSFileItem* file = History("a.c", {"one\n"});
    Rewrite("a.c", "two\n");
    settings.logMessage = "second";
    EXPECT_EQ(Checkin(file), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Ci(" -l " + file->GetWorkingPath() + " RCS/a.c,v\r\n"))) << Results();
    EXPECT_EQ(file->workingRevision, "1.2");
    EXPECT_EQ(file->FindRevision("1.2")->locker, LoginName());

    // Log messages are stored as typed.
    std::ostringstream large;
    for (int line = 0; line < 4000; ++line)
        large << "line " << line << " of a long message\n";
    const std::pair<std::string, std::string> messages[] = {
        {"first\n\n\ncaf\xC3\xA9 \xE6\x97\xA5\r\nwith\r\n.\r\n.\rend\n. \n..\n.",
         "first\n\n\ncaf\xC3\xA9 \xE6\x97\xA5\nwith\n .\n .\nend\n. \n..\n .\n"},
        {large.str() + "end", large.str() + "end\n"},
    };
    int revision = 2;
    for (const auto& [typed, stored] : messages) {
        Rewrite("a.c", std::to_string(++revision) + "\n");
        settings.logMessage = typed;
        ASSERT_EQ(file->Checkin(nullptr), 0) << Results();
        EXPECT_EQ(LogMessage("RCS/a.c,v", "1." + std::to_string(revision)), stored);
    }

    Rewrite("a.c", "three\n");
    SetModificationTime("a.c", Year2001);
    settings.keepTime = true;
    settings.lock = false;
    EXPECT_EQ(Checkin(file), 0) << Results();
    EXPECT_TRUE(Results().starts_with(Ci(" -M -u " + file->GetWorkingPath() + " RCS/a.c,v\r\n"))) << Results();
    EXPECT_EQ(ModificationTime("a.c"), Year2001);
    EXPECT_EQ(fs::status("a.c").permissions() & fs::perms::owner_write, fs::perms::none)
        << "ci -u leaves the file read-only, and so must setting its time";
    EXPECT_EQ(file->recordedTime, Year2001);
    EXPECT_EQ(file->StatusCode(), CheckedIn);
}

// Which revision a check-in builds on, by the locks the user holds.
TEST_F(CheckinTest, TheBaseRevisionFollowsTheLocks)
{
    // Several locks: the locked tip goes on.
    RCSFileItem* tip = History("tip.c", {"one\n", "two\n"});
    Lock("tip.c", "1.1");
    tip->Synchronise(true);
    Rewrite("tip.c", "three\n");
    EXPECT_EQ(Checkin(tip), 0) << Results();
    EXPECT_TRUE(Has(Results(), Ci(" -l1.3 ")));

    // The checked-out older revision among two locks starts a branch.
    RCSFileItem* old = History("old.c", {"one\n", "two\n", "three\n"});
    RCSOptions::instance().checkout.revision = "1.1";
    RCSOptions::instance().checkout.force = true;
    ASSERT_EQ(old->Checkout(), 0) << Results();
    Rewrite("old.c", "one, edited\n");
    ASSERT_EQ(Checkin(old), 0) << Results();
    EXPECT_TRUE(Has(Results(), "old.c : checking in on top of revision 1.1\r\n"));
    EXPECT_EQ(old->workingRevision, "1.1.1.1");
    EXPECT_EQ(RevisionText("RCS/old.c,v", "1.1.1.1"), "one, edited\n");
    EXPECT_EQ(RevisionText("RCS/old.c,v", "1"), "three\n");
    EXPECT_TRUE(old->FindRevision("1.3")->IsLocked()) << "the other lock is untouched";

    // The tip among a tip lock and a branch lock checked in elsewhere.
    RCSFileItem* line = History("line.c", {"one\n", "two\n"});
    Lock("RCS/line.c,v", "1.1");
    WriteText("elsewhere/line.c", "branch\n");
    ASSERT_EQ(RunProgram({"ci", "-q", "-l", "-r1.1.1", "-mbranch", "elsewhere/line.c", "RCS/line.c,v"}), 0);
    line->Synchronise(true);
    Rewrite("line.c", "three\n");
    ASSERT_EQ(Checkin(line), 0) << Results();
    EXPECT_EQ(line->workingRevision, "1.3");
    EXPECT_EQ(RevisionText("RCS/line.c,v", "1.1.1.1"), "branch\n");

    // Locks on an older trunk revision and a branch with the tip unlocked:
    // which one is meant cannot be guessed.
    CheckIn("side.c", "one\n", "first", {"-l"});
    CheckIn("side.c", "two\n", "second");
    Lock("side.c", "1.1");
    CheckIn("side.c", "branch\n", "branch", {"-r1.1.1"});
    Lock("side.c", "1.1");
    Lock("side.c", "1.1.1.1");
    RCSFileItem* side = doc->AddFile("side.c");
    const std::string before = Rlog("RCS/side.c,v");
    EXPECT_EQ(Checkin(side), 1);
    EXPECT_EQ(Results(), "side.c : multiple revisions locked by " + LoginName() + " - please specify one\r\n");
    EXPECT_EQ(Rlog("RCS/side.c,v"), before);
}

TEST_F(CheckinTest, RefusalsRunNothing)
{
    CheckIn("r.c", "1\n", "first", {"-l"});
    CheckIn("r.c", "2\n", "second", {"-l"});
    CheckIn("r.c", "3\n", "third");
    RCSFileItem* file = doc->AddFile("r.c");
    const std::string before = Rlog("RCS/r.c,v");
    const std::pair<std::string, std::string> cases[] = {
        {"", "r.c : no revisions locked by " + LoginName() + "\r\n"},
        {"1.5.1", "Revision 1.5 does not exist\r\nr.c : cannot checkin 1.5.1 - parent revision doesn't exist\r\n"},
        {"1.2", "r.c : cannot checkin 1.2 - must be greater than 1.3\r\n"},
        {"1.3", "r.c : cannot checkin 1.3 - it already exists\r\n"},
    };
    for (const auto& [revision, message] : cases) {
        settings.revision = revision;
        EXPECT_EQ(Checkin(file), 1) << revision;
        EXPECT_EQ(Results(), message);
    }
    EXPECT_EQ(Rlog("RCS/r.c,v"), before);

    // A failing ci keeps the working file and its time.
    settings.revision = "2.1";
    Rewrite("r.c", "changed\n");
    SetModificationTime("r.c", Year2001);
    EXPECT_NE(Checkin(file), 0);
    EXPECT_TRUE(Has(Results(), "no lock set by")) << Results();
    EXPECT_EQ(ModificationTime("r.c"), Year2001);
    EXPECT_EQ(Rlog("RCS/r.c,v"), before);
    EXPECT_EQ(file->workingRevision, "1.3") << "the revision it was added at";
}

TEST_F(CheckinTest, BranchesAreCompletedAndOtherSitesRevisionsAreNotExtended)
{
    RCSFileItem* own = History("b.c", {"1\n", "2\n"});
    Rewrite("b.c", "branch\n");
    settings.revision = "1.2.1";
    EXPECT_EQ(Checkin(own), 0) << Results();
    EXPECT_TRUE(Has(Results(), Ci(" -l1.2.1.1 ")));

    // 1.2 and its branch 1.2.1 belong to Paris: this site starts its own branch.
    CheckIn("p.c", "1\n", "first", {"-l"});
    CheckIn("p.c", "2\n", "second", {"-l"});
    CheckIn("p.c", "paris\n", "paris", {"-r1.2.1"});
    Lock("p.c", "1.2");
    RCSFileItem* shared = doc->AddFile("p.c");
    Site* paris = doc->siteList->Add("Paris", "");
    shared->FindRevision("1.2")->SetOwningSite(paris);
    shared->FindRevision("1.2.1.1")->SetOwningSite(paris);
    Rewrite("p.c", "london\n");
    settings.revision.clear();
    EXPECT_EQ(Checkin(shared), 0) << Results();
    EXPECT_TRUE(Has(Results(), Ci(" -l1.2.2 ")));
    ASSERT_NE(shared->FindRevision("1.2.2.1"), nullptr);
    EXPECT_EQ(shared->FindRevision("1.2.2.1")->owningSite, doc->siteList->GetLocalSite());

    // An import from Paris gives the new revision to Paris.
    CheckIn("i.c", "1\n", "first");
    RCSFileItem* imported = doc->AddFile("i.c");
    Rewrite("i.c", "from paris\n");
    settings.revision = "1";
    EXPECT_EQ(Checkin(imported, paris), 0) << Results();
    EXPECT_TRUE(Has(Results(), Ci(" -l1.1.1 ")));
    ASSERT_NE(imported->FindRevision("1.1.1.1"), nullptr);
    EXPECT_EQ(imported->FindRevision("1.1.1.1")->owningSite, paris);
}

// Changed and new files share one ci run; a stopped check-in starts none. A
// file whose RCS file is busy fails alone and is named, as is one not locked,
// and every other file gets its own text, the message and its revision.
TEST_F(CheckinTest, ProjectIsCheckedInInSharedRunsAndFailuresOrAStopAreNamed)
{
    std::vector<RCSFileItem*> files;
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i) {
        paths.push_back((i % 2 ? "src/f" : "f") + std::to_string(i) + ".c");
        if (i % 5 == 4) {
            WriteText(paths.back(), "new " + paths.back() + "\n");
        } else {
            CheckIn(paths.back(), "one " + paths.back() + "\n", "first", {"-l"});
            Rewrite(paths.back(), "two " + paths.back() + "\n");
        }
        files.push_back(doc->AddFile(paths.back()));
    }
    CheckIn("unlocked.c", "u\n", "first");
    RCSFileItem* unlocked = doc->AddFile("unlocked.c");
    settings.logMessage = "together\n.\nin one run";
    CommandProgress& progress = CommandProgress::instance();
    progress.Reset();
    progress.RequestStop();
    EXPECT_NE(doc->root->Checkin(nullptr), 0) << "a stopped command did not do all it was asked";
    EXPECT_TRUE(TakeResults().ends_with("Stopped\r\n"));
    EXPECT_EQ(progress.Get().summary, "0 checked in, 0 failed, stopped");
    EXPECT_EQ(LogMessage("RCS/f0.c,v", "1.2"), "(none)");

    progress.Reset();
    WriteText("RCS/,f12.c,", "");
    EXPECT_NE(doc->root->Checkin(nullptr), 0);
    fs::remove("RCS/,f12.c,");
    const std::string results = Results();
    EXPECT_TRUE(Has(results, "ci: RCS file RCS/f12.c,v is in use")) << results;
    EXPECT_TRUE(Has(results, "unlocked.c : no revisions locked by " + LoginName() + "\r\n")) << results;
    EXPECT_EQ(progress.Get().summary, "29 checked in, 2 failed: f12.c, unlocked.c");
    EXPECT_EQ(progress.Get().done, 31);
    // One run over all, then the busy file alone; histories are read without echo.
    EXPECT_EQ(Count(results, Ci(" -l ")), 2u) << results;
    EXPECT_EQ(Count(results, "rlog"), 0u) << results;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string rcsFile = (i % 2 ? "src/RCS/f" : "RCS/f") + std::to_string(i) + ".c,v";
        const bool busy = i == 12;
        const bool created = i % 5 == 4;
        const std::string revision = busy || created ? "1.1" : "1.2";
        EXPECT_EQ(RevisionText(rcsFile, revision), (busy ? "one " : created ? "new " : "two ") + paths[i] + "\n");
        EXPECT_EQ(files[i]->workingRevision, busy ? "" : revision) << rcsFile;
        const std::string message = created ? Description(rcsFile) : busy ? "" : LogMessage(rcsFile, "1.2");
        EXPECT_EQ(message, created ? "together\n .\nin one run" : busy ? "" : "together\n .\nin one run\n");
        EXPECT_NE(files[i]->FindRevision(revision), nullptr) << "history read again: " << rcsFile;
    }
    EXPECT_EQ(ReadFile("f12.c"), "two f12.c\n") << "the busy file's text stays";
    EXPECT_EQ(unlocked->workingRevision, "1.1");
}

TEST_F(CheckinTest, MergeConflictIsReportedAndItsMarkersAreNotCheckedIn)
{
    RCSFileItem* file = History("m.c", {"line\n", "theirs\n"});
    Rewrite("m.c", "mine\n");
    file->UpdateStatus();
    RCSOptions::instance().merge.revision1 = "1.1";
    RCSOptions::instance().merge.revision2 = "1.2";
    EXPECT_EQ(file->Merge(), 1) << Results();
    EXPECT_TRUE(Has(Results(), "m.c : merged with conflicts\r\n")) << Results();
    EXPECT_EQ(CommandResults::instance().Summary("merge", 1), "merge: merged with conflicts");
    EXPECT_EQ(file->StatusCode(), Modified) << "the status follows the merge at once";

    settings.force = false;
    EXPECT_EQ(Checkin(file), 1);
    EXPECT_EQ(Results(), "m.c : line 1 holds a merge conflict marker - resolve the conflict, or check in with Force\r\n");
    EXPECT_EQ(file->FindRevision("1.3"), nullptr);
    settings.force = true;
    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_NE(file->FindRevision("1.3"), nullptr) << "Force checks the file in as it is";

    const std::pair<std::string, int> markers[] = {
        {"a\nb\n", 0}, {"a\n<<<<<<< f\nx\n=======\ny\n>>>>>>> 1.2\n", 2}, {"a\r\nb\r\n>>>>>>>\r\n", 3},
        {"x <<<<<<< y\n<<<<<<<< eight\n// =======\n", 0},
    };
    for (const auto& [text, line] : markers) {
        WriteText("f", text);
        EXPECT_EQ(ConflictMarkerLine("f"), line) << text;
    }
    EXPECT_EQ(ConflictMarkerLine("no-such-file"), 0);
}

} // namespace
} // namespace kestro
