#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/site_list.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "rcs/rcs_programs.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t Year2001 = 978307200;

std::time_t ModificationTime(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mtime;
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const utimbuf times{time, time};
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

bool IsReadOnly(const std::string& path)
{
    return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Replaces a working file's text, whatever its permissions.
void Rewrite(const std::string& path, const std::string& text)
{
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    test::WriteText(path, text);
}

void LockRevision(const std::string& path, const std::string& revision)
{
    std::string output;
    ASSERT_EQ(test::RunProgram({"rcs", "-l" + revision, path}, &output), 0) << output;
}

// The whole log message of one revision as rlog prints it.
std::string LogMessage(const std::string& path, const std::string& revision)
{
    std::string log;
    EXPECT_EQ(test::RunProgram({"rlog", "-r" + revision, path}, &log), 0) << log;
    const std::size_t date = log.find("\ndate: ");
    if (date == std::string::npos)
        return "(no revision " + revision + ")";
    const std::size_t text = log.find('\n', date + 1) + 1;
    return log.substr(text, log.rfind("\n=====") - text);
}

std::string Description(const std::string& path)
{
    const std::string log = test::Rlog(path);
    const std::size_t start = log.find("description:\n") + 13;
    const std::size_t end = log.find("\n----------------------------\n", start);
    return log.substr(start, end - start);
}

struct CheckinTest : ::testing::Test {
    CheckinTest()
    {
        RCSOptions::instance().userName = test::LoginName();
        CommandResults::instance().ClearResults();
    }
    CheckinSettings& settings = RCSOptions::instance().checkin;
    std::string Results() const { return CommandResults::instance().Text(); }
    test::ProjectFixture project;
};

TEST(EscapeLogMessage, LoneDotLinesAreEscapedAndTheMessageIsEnded)
{
    EXPECT_EQ(EscapeLogMessage(""), "\n.\n");
    EXPECT_EQ(EscapeLogMessage("fix"), "fix\n.\n");
    EXPECT_EQ(EscapeLogMessage("fix\n"), "fix\n\n.\n");
    EXPECT_EQ(EscapeLogMessage(".\nx\n.\n.\ny\n."), " .\nx\n .\n .\ny\n .\n.\n");
    EXPECT_EQ(EscapeLogMessage("a\r\n.\r\nb\rc"), "a\n .\nb\nc\n.\n");
    EXPECT_EQ(EscapeLogMessage(". \n.."), ". \n..\n.\n") << "only a lone dot ends a message";
}

TEST_F(CheckinTest, InitialCheckinDescribesTheFileAndGoesToTheMasterSite)
{
    test::WriteText("src/main.c", "int main;\n");
    RCSFileItem* file = project.doc->AddFile("src/main.c");
    ASSERT_NE(file, nullptr);
    Site* paris = project.doc->siteList->Add("Paris", "");
    project.doc->siteList->SetMaster(paris);

    settings.logMessage = "old message";
    settings.revision = "9.9";
    EXPECT_TRUE(file->PrepareCheckin());
    EXPECT_EQ(settings.item, file);
    EXPECT_EQ(settings.revision, "");
    EXPECT_EQ(settings.logMessage, "src\\main.c - Initial checkin");

    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("ci") + " -l " + file->GetWorkingPath() + " src/RCS/main.c,v\r\n")) << Results();
    EXPECT_EQ(Description("src/RCS/main.c,v"), "src\\main.c - Initial checkin");

    RCSVersionItem* initial = file->FindRevision("1.1");
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(initial->owningSite, paris);
    EXPECT_EQ(initial->locker, test::LoginName());
    EXPECT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
    EXPECT_EQ(file->recordedTime, ModificationTime("src/main.c"));

    // Once there is a history the message is left as the user last typed it.
    settings.logMessage = "kept";
    file->PrepareCheckin();
    EXPECT_EQ(settings.logMessage, "kept");
}

TEST_F(CheckinTest, SingleLockLetsCiChooseTheRevision)
{
    test::CheckIn("a.c", "one\n", "first", {"-l"});
    RCSFileItem* file = project.doc->AddFile("a.c");
    ASSERT_NE(file, nullptr);
    Rewrite("a.c", "two\n");
    settings.logMessage = "second";

    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("ci") + " -l " + file->GetWorkingPath() + " RCS/a.c,v\r\n")) << Results();
    EXPECT_EQ(LogMessage("RCS/a.c,v", "1.2"), "second");
    EXPECT_EQ(file->workingRevision, "1.2");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
    ASSERT_NE(file->FindRevision("1.2"), nullptr);
    EXPECT_EQ(file->FindRevision("1.2")->locker, test::LoginName());
    EXPECT_EQ(file->FindRevision("1.2")->owningSite, project.doc->siteList->GetLocalSite());
}

TEST_F(CheckinTest, SeveralLocksGoOnFromTheLockedTipOnly)
{
    test::CheckIn("tip.c", "one\n", "first", {"-l"});
    test::CheckIn("tip.c", "two\n", "second", {"-l"});
    LockRevision("tip.c", "1.1");
    RCSFileItem* tip = project.doc->AddFile("tip.c");
    Rewrite("tip.c", "three\n");

    EXPECT_EQ(tip->Checkin(nullptr), 0) << Results();
    EXPECT_NE(Results().find(DirectProgram("ci") + " -l1.3 "), std::string::npos) << Results();
    EXPECT_EQ(tip->workingRevision, "1.3");

    // Locks on an older trunk revision and a branch, with the tip unlocked:
    // which one is meant cannot be guessed.
    test::CheckIn("side.c", "one\n", "first", {"-l"});
    test::CheckIn("side.c", "two\n", "second");
    LockRevision("side.c", "1.1");
    test::CheckIn("side.c", "branch\n", "branch", {"-r1.1.1"});
    LockRevision("side.c", "1.1");
    LockRevision("side.c", "1.1.1.1");
    RCSFileItem* side = project.doc->AddFile("side.c");
    const std::string before = test::Rlog("RCS/side.c,v");
    CommandResults::instance().ClearResults();

    EXPECT_EQ(side->Checkin(nullptr), 1);
    EXPECT_EQ(Results(), "side.c : multiple revisions locked by " + test::LoginName() + " - please specify one\r\n");
    EXPECT_EQ(test::Rlog("RCS/side.c,v"), before);
}

TEST_F(CheckinTest, RefusalsRunNothing)
{
    test::CheckIn("r.c", "1\n", "first", {"-l"});
    test::CheckIn("r.c", "2\n", "second", {"-l"});
    test::CheckIn("r.c", "3\n", "third");
    RCSFileItem* file = project.doc->AddFile("r.c");
    const std::string before = test::Rlog("RCS/r.c,v");
    const std::string user = test::LoginName();

    const std::pair<std::string, std::string> cases[] = {
        {"", "r.c : no revisions locked by " + user + "\r\n"},
        {"1.5.1", "Revision 1.5 does not exist\r\nr.c : cannot checkin 1.5.1 - parent revision doesn't exist\r\n"},
        {"1.2", "r.c : cannot checkin 1.2 - must be greater than 1.3\r\n"},
        {"1.3", "r.c : cannot checkin 1.3 - it already exists\r\n"},
    };
    for (const auto& [revision, message] : cases) {
        CommandResults::instance().ClearResults();
        settings.revision = revision;
        EXPECT_EQ(file->Checkin(nullptr), 1) << revision;
        EXPECT_EQ(Results(), message);
    }
    EXPECT_EQ(test::Rlog("RCS/r.c,v"), before);
    EXPECT_EQ(file->workingRevision, "1.3") << "the revision it was added at";
}

TEST_F(CheckinTest, BranchesAreCompletedAndOtherSitesRevisionsAreNotExtended)
{
    test::CheckIn("b.c", "1\n", "first", {"-l"});
    test::CheckIn("b.c", "2\n", "second", {"-l"});
    RCSFileItem* own = project.doc->AddFile("b.c");
    Rewrite("b.c", "branch\n");
    settings.revision = "1.2.1";
    EXPECT_EQ(own->Checkin(nullptr), 0) << Results();
    EXPECT_NE(Results().find(DirectProgram("ci") + " -l1.2.1.1 "), std::string::npos) << Results();
    EXPECT_NE(own->FindRevision("1.2.1.1"), nullptr);

    // 1.2 and its branch 1.2.1 belong to Paris: this site starts its own branch.
    test::CheckIn("p.c", "1\n", "first", {"-l"});
    test::CheckIn("p.c", "2\n", "second", {"-l"});
    test::CheckIn("p.c", "paris\n", "paris", {"-r1.2.1"});
    LockRevision("p.c", "1.2");
    RCSFileItem* shared = project.doc->AddFile("p.c");
    Site* paris = project.doc->siteList->Add("Paris", "");
    shared->FindRevision("1.2")->SetOwningSite(paris);
    shared->FindRevision("1.2.1.1")->SetOwningSite(paris);
    Rewrite("p.c", "london\n");
    settings.revision.clear();
    CommandResults::instance().ClearResults();

    EXPECT_EQ(shared->Checkin(nullptr), 0) << Results();
    EXPECT_NE(Results().find(DirectProgram("ci") + " -l1.2.2 "), std::string::npos) << Results();
    RCSVersionItem* created = shared->FindRevision("1.2.2.1");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->owningSite, project.doc->siteList->GetLocalSite());
    EXPECT_EQ(shared->workingRevision, "1.2.2.1");
}

TEST_F(CheckinTest, ImportLocksTheSendersRevisionAndGivesTheNewOneToTheSender)
{
    test::CheckIn("i.c", "1\n", "first");
    RCSFileItem* file = project.doc->AddFile("i.c");
    Site* paris = project.doc->siteList->Add("Paris", "");
    Rewrite("i.c", "from paris\n");
    settings.revision = "1";

    EXPECT_EQ(file->Checkin(paris), 0) << Results();
    EXPECT_NE(Results().find(DirectProgram("ci") + " -l1.1.1 "), std::string::npos) << Results();
    RCSVersionItem* created = file->FindRevision("1.1.1.1");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->owningSite, paris);
}

TEST_F(CheckinTest, KeepTimeRestoresTheTimeOfAReadOnlyWorkingFile)
{
    test::CheckIn("k.c", "1\n", "first", {"-l"});
    RCSFileItem* file = project.doc->AddFile("k.c");
    Rewrite("k.c", "2\n");
    SetModificationTime("k.c", Year2001);
    settings.keepTime = true;
    settings.lock = false;

    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("ci") + " -M -u " + file->GetWorkingPath() + " RCS/k.c,v\r\n")) << Results();
    EXPECT_EQ(ModificationTime("k.c"), Year2001);
    EXPECT_TRUE(IsReadOnly("k.c")) << "ci -u leaves the file read-only, and so must setting its time";
    EXPECT_EQ(file->recordedTime, Year2001);
    EXPECT_EQ(file->workingRevision, "1.2");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
}

TEST_F(CheckinTest, FailedCiKeepsTheWorkingFileAndItsTime)
{
    test::CheckIn("f.c", "1\n", "first");
    RCSFileItem* file = project.doc->AddFile("f.c");
    Rewrite("f.c", "changed\n");
    SetModificationTime("f.c", Year2001);
    const std::string before = test::Rlog("RCS/f.c,v");
    settings.revision = "2.1";

    EXPECT_NE(file->Checkin(nullptr), 0);
    EXPECT_TRUE(Results().starts_with(DirectProgram("ci") + " -l2.1 " + file->GetWorkingPath() + " RCS/f.c,v\r\n")) << Results();
    EXPECT_NE(Results().find("no lock set by"), std::string::npos) << Results();
    EXPECT_EQ(ModificationTime("f.c"), Year2001);
    EXPECT_EQ(test::Rlog("RCS/f.c,v"), before);
    EXPECT_EQ(file->workingRevision, "1.1") << "the revision it was added at";
}

TEST_F(CheckinTest, LogMessagesAreStoredAsTyped)
{
    test::CheckIn("m.txt", "0\n", "first", {"-l"});
    RCSFileItem* file = project.doc->AddFile("m.txt");

    std::ostringstream large;
    for (int line = 0; line < 4000; ++line)
        large << "line " << line << " of a long message\n";
    const std::pair<std::string, std::string> messages[] = {
        {"first line\n\n\nafter blank lines", "first line\n\n\nafter blank lines"},
        {"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"},
        {"typed\r\nwith\r\n.\r\nreturns", "typed\nwith\n .\nreturns"},
        {"dots\n.\n.\nin a row", "dots\n .\n .\nin a row"},
        {"ends with a dot\n.", "ends with a dot\n ."},
        {large.str() + "end", large.str() + "end"},
    };
    int revision = 1;
    for (const auto& [typed, stored] : messages) {
        Rewrite("m.txt", std::to_string(++revision) + "\n");
        settings.logMessage = typed;
        ASSERT_EQ(file->Checkin(nullptr), 0) << Results();
        EXPECT_EQ(LogMessage("RCS/m.txt,v", "1." + std::to_string(revision)), stored);
    }
    EXPECT_EQ(file->workingRevision, "1.7");
}

TEST_F(CheckinTest, RootChecksInEveryFileWithTheSameMessage)
{
    test::CheckIn("a.c", "a\n", "first", {"-l"});
    test::CheckIn("b.c", "b\n", "first");
    test::CheckIn("c.c", "c\n", "first", {"-l"});
    RCSFileItem* a = project.doc->AddFile("a.c");
    RCSFileItem* b = project.doc->AddFile("b.c");
    RCSFileItem* c = project.doc->AddFile("c.c");
    Rewrite("a.c", "a2\n");
    Rewrite("c.c", "c2\n");
    settings.logMessage = "together";

    EXPECT_NE(project.doc->root->Checkin(nullptr), 0);
    EXPECT_NE(Results().find("b.c : no revisions locked by " + test::LoginName() + "\r\n"), std::string::npos)
        << Results();
    EXPECT_EQ(LogMessage("RCS/a.c,v", "1.2"), "together");
    EXPECT_EQ(LogMessage("RCS/c.c,v", "1.2"), "together");
    EXPECT_EQ(a->workingRevision, "1.2");
    EXPECT_EQ(b->workingRevision, "1.1") << "refused, it keeps the revision it was added at";
    EXPECT_EQ(c->workingRevision, "1.2");
}

// Count of the lines in the results that start with the text.
int LinesStartingWith(const std::string& results, const std::string& start)
{
    int count = 0;
    std::istringstream lines(results);
    for (std::string line; std::getline(lines, line);)
        count += line.starts_with(start) ? 1 : 0;
    return count;
}

// Changed and new files share one ci run; a file whose RCS file is busy
// fails alone and is named, and every other file gets its own text, the
// message and its recorded revision.
TEST_F(CheckinTest, ProjectIsCheckedInInSharedRunsAndABusyFileIsNamed)
{
    std::vector<RCSFileItem*> files;
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i) {
        paths.push_back((i % 2 ? "src/f" : "f") + std::to_string(i) + ".c");
        if (i % 5 == 4) {
            test::WriteText(paths.back(), "new " + paths.back() + "\n");
        } else {
            test::CheckIn(paths.back(), "one " + paths.back() + "\n", "first", {"-l"});
            Rewrite(paths.back(), "two " + paths.back() + "\n");
        }
        files.push_back(project.doc->AddFile(paths.back()));
    }
    test::WriteText("RCS/,f12.c,", "");
    const std::string busyRevision = project.doc->root->FindFile("f12.c")->workingRevision;
    settings.logMessage = "together\n.\nin one run";
    CommandProgress::instance().Reset();

    EXPECT_NE(project.doc->root->Checkin(nullptr), 0);
    fs::remove("RCS/,f12.c,");
    const std::string results = Results();
    EXPECT_NE(results.find("ci: RCS file RCS/f12.c,v is in use"), std::string::npos) << results;
    EXPECT_EQ(CommandProgress::instance().Get().summary, "29 checked in, 1 failed: f12.c");
    // One run over all, then the busy file alone.
    EXPECT_EQ(LinesStartingWith(results, DirectProgram("ci") + " -l "), 2) << results;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path path(paths[i]);
        const std::string rcsFile = (path.parent_path() / "RCS" / path.filename()).string() + ",v";
        const bool busy = files[i]->name == "f12.c";
        const bool created = i % 5 == 4;
        const std::string revision = busy ? "1.1" : created ? "1.1" : "1.2";
        std::string text;
        EXPECT_EQ(test::RunProgram({"co", "-q", "-p" + revision, rcsFile}, &text), 0) << rcsFile;
        EXPECT_EQ(text, (busy ? "one " : created ? "new " : "two ") + paths[i] + "\n") << rcsFile;
        EXPECT_EQ(files[i]->workingRevision, busy ? busyRevision : revision) << files[i]->name;
        if (created) {
            EXPECT_EQ(Description(rcsFile), "together\n .\nin one run") << rcsFile;
        } else if (!busy) {
            EXPECT_EQ(LogMessage(rcsFile, "1.2"), "together\n .\nin one run") << rcsFile;
        }
        EXPECT_NE(files[i]->FindRevision(revision), nullptr) << "history read again: " << files[i]->name;
    }
    EXPECT_EQ(test::ReadFile("f12.c"), "two f12.c\n") << "the busy file's text stays";
}

// A check-in of the whole project counts its files and sums them up; once
// stopped it starts no more runs and leaves the files alone.
TEST_F(CheckinTest, ARootCheckinSaysHowFarItGotAndAStopLeavesTheRestAlone)
{
    constexpr int files = 12;
    std::vector<RCSFileItem*> items;
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(100 + i) + ".c";
        test::CheckIn(name, "one\n", "first", {"-l"});
        items.push_back(project.doc->AddFile(name));
        Rewrite(name, "two\n");
    }
    settings.logMessage = "second";
    CommandProgress& progress = CommandProgress::instance();
    progress.Reset();
    progress.RequestStop();
    EXPECT_NE(project.doc->root->Checkin(nullptr), 0) << "a stopped command did not do all it was asked";
    for (RCSFileItem* item : items) {
        EXPECT_EQ(LogMessage("RCS/" + item->name + ",v", "1.2"), "(no revision 1.2)") << item->name;
        EXPECT_EQ(item->workingRevision, "1.1") << item->name;
    }
    EXPECT_TRUE(Results().ends_with("Stopped\r\n")) << Results();
    EXPECT_EQ(progress.Get().summary, "0 checked in, 0 failed, stopped");

    // Without a stop they all go in, with one line that says so.
    CommandResults::instance().ClearResults();
    progress.Reset();
    EXPECT_EQ(project.doc->root->Checkin(nullptr), 0);
    EXPECT_EQ(progress.Get().summary, std::to_string(files) + " checked in, 0 failed");
    EXPECT_EQ(progress.Get().done, files);
    for (RCSFileItem* item : items)
        EXPECT_EQ(item->workingRevision, "1.2") << item->name;
}

} // namespace
} // namespace kestro
