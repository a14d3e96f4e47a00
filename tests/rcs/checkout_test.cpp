#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "rcs/rcs_programs.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t Year2001 = 978307200;
constexpr std::time_t Year2002 = 1009843200;

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

void Rewrite(const std::string& path, const std::string& text)
{
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    test::WriteText(path, text);
}

void SetSymbol(const std::string& path, const std::string& symbol)
{
    std::string output;
    ASSERT_EQ(test::RunProgram({"rcs", "-n" + symbol, path}, &output), 0) << output;
}

struct CheckoutTest : ::testing::Test {
    CheckoutTest()
    {
        RCSOptions::instance().userName = test::LoginName();
        CommandResults::instance().ClearResults();
    }
    // Adds a file whose working file counts as unchanged since it was last
    // checked out.
    RCSFileItem* AddUnchanged(const std::string& path)
    {
        RCSFileItem* file = project.doc->AddFile(path);
        EXPECT_NE(file, nullptr) << path;
        file->recordedTime = file->workingTime;
        file->UpdateStatus();
        return file;
    }
    CheckoutSettings& settings = RCSOptions::instance().checkout;
    std::string Results() const { return CommandResults::instance().Text(); }
    test::ProjectFixture project;
};

TEST_F(CheckoutTest, FileNeverCheckedInIsRefused)
{
    test::WriteText("new.c", "x\n");
    RCSFileItem* file = project.doc->AddFile("new.c");
    EXPECT_EQ(file->Checkout(), 1);
    EXPECT_EQ(Results(), "Cannot check out new.c as it has never been checked in\r\n");
}

TEST_F(CheckoutTest, ChangedWorkingFileIsReplacedOnlyWithForce)
{
    test::CheckIn("w.c", "checked in\n", "first");
    RCSFileItem* file = AddUnchanged("w.c");
    Rewrite("w.c", "precious edit\n");
    SetModificationTime("w.c", file->recordedTime + 100);

    EXPECT_EQ(file->Checkout(), 1);
    EXPECT_EQ(Results(), "w.c : the working file has changed since it was last checked in or out"
                         " - check out with Force to replace it\r\n");
    EXPECT_EQ(test::ReadFile("w.c"), "precious edit\n");
    EXPECT_EQ(file->StatusCode(), Modified);

    settings.force = true;
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("co") + " -f -l " + file->GetWorkingPath() + " RCS/w.c,v\r\n")) << Results();
    EXPECT_EQ(test::ReadFile("w.c"), "checked in\n");
    EXPECT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->recordedTime, ModificationTime("w.c"));
    EXPECT_EQ(file->StatusCode(), CheckedIn);
    EXPECT_EQ(file->FindRevision("1.1")->locker, test::LoginName());
}

TEST_F(CheckoutTest, EditInTheSecondOfTheLastCheckoutIsNotLost)
{
    test::CheckIn("s.c", "checked in\n", "first");
    RCSFileItem* file = AddUnchanged("s.c");
    ASSERT_EQ(file->Checkout(), 0) << Results();
    ASSERT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->Checkout(), 0) << "an untouched file in the same second is replaced";

    const std::time_t recorded = file->recordedTime;
    Rewrite("s.c", "edited at once\n");
    SetModificationTime("s.c", recorded);
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Checkout(), 1);
    EXPECT_EQ(test::ReadFile("s.c"), "edited at once\n");
    EXPECT_NE(Results().find("s.c : the working file has changed"), std::string::npos) << Results();
}

TEST_F(CheckoutTest, UnchangedWorkingFileIsReplacedWithTheOptionsAsked)
{
    test::CheckIn("k.c", "$Revision$ one\n", "first", {"-l", "-d2001/06/01 12:00:00"});
    test::CheckIn("k.c", "$Revision$ two\n", "second");
    RCSFileItem* file = AddUnchanged("k.c");
    settings.revision = "1.1";
    settings.lock = false;
    settings.keepTime = true;
    settings.noKeywords = true;

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("co") + " -f -M -kk -u1.1 " + file->GetWorkingPath() + " RCS/k.c,v\r\n"))
        << Results();
    EXPECT_EQ(test::ReadFile("k.c"), "$Revision$ one\n");
    const std::time_t checkedOut = ModificationTime("k.c");
    EXPECT_GE(checkedOut, Year2001) << "the file takes the revision's date";
    EXPECT_LT(checkedOut, Year2002);
    EXPECT_EQ(file->recordedTime, checkedOut);
    EXPECT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
}

TEST_F(CheckoutTest, RevisionCanComeFromTheWorkingFile)
{
    test::CheckIn("d.c", "$Revision$ one\n", "first", {"-l"});
    test::CheckIn("d.c", "two\n", "second");
    std::string output;
    ASSERT_EQ(test::RunProgram({"co", "-f", "-r1.1", "d.c"}, &output), 0) << output;
    RCSFileItem* file = AddUnchanged("d.c");
    settings.revision = "1.2";
    settings.determineRevision = true;

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("co") + " -f -l$ " + file->GetWorkingPath() + " RCS/d.c,v\r\n")) << Results();
    EXPECT_EQ(file->workingRevision, "1.1");
    EXPECT_EQ(file->FindRevision("1.1")->locker, test::LoginName());
    EXPECT_EQ(file->FindRevision("1.2")->locker, "");
}

TEST_F(CheckoutTest, DateWithABlankIsOneArgument)
{
    test::CheckIn("t.c", "january\n", "first", {"-l", "-d1998/01/01 10:00:00"});
    test::CheckIn("t.c", "june\n", "second", {"-d1998/06/01 10:00:00"});
    RCSFileItem* file = AddUnchanged("t.c");
    settings.lock = false;
    settings.checkoutDate = "1998/03/01 12:00";

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("co") + " -f -u \"-d1998/03/01 12:00\" " + file->GetWorkingPath()))
        << Results();
    EXPECT_EQ(test::ReadFile("t.c"), "january\n");
    EXPECT_EQ(file->workingRevision, "1.1");
}

TEST_F(CheckoutTest, RevisionIsReadFromCosOwnLineNotFromTheFileName)
{
    test::CheckIn("revision notes.txt", "1\n", "first", {"-l"});
    test::CheckIn("revision notes.txt", "2\n", "second");
    RCSFileItem* file = AddUnchanged("revision notes.txt");
    settings.lock = false;
    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_EQ(file->workingRevision, "1.2");
}

TEST_F(CheckoutTest, CopyToAnotherFileLeavesTheWorkingFileAlone)
{
    test::CheckIn("src/main.c", "first text\n", "first", {"-l"});
    test::CheckIn("src/main.c", "second text\n", "second");
    RCSFileItem* file = project.doc->AddFile("src/main.c");
    Rewrite("src/main.c", "edited\n");
    file->recordedTime = 1000;
    file->workingRevision = "1.2";
    file->UpdateStatus();

    EXPECT_TRUE(file->PrepareCheckout());
    EXPECT_TRUE(settings.allowTargetFile);
    settings.revision = "1.1";
    settings.lock = false;
    settings.targetFile = "copies/old one/main.c";

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_TRUE(Results().starts_with(DirectProgram("co") + " -u1.1 -p src/RCS/main.c,v >copies/old one/main.c\r\n")) << Results();
    EXPECT_EQ(test::ReadFile("copies/old one/main.c"), "first text\n");
    EXPECT_EQ(test::ReadFile("src/main.c"), "edited\n");
    EXPECT_EQ(file->workingRevision, "1.2");
    EXPECT_EQ(file->recordedTime, 1000);
    EXPECT_EQ(file->StatusCode(), Modified);

    // The runner never writes over a file that exists.
    CommandResults::instance().ClearResults();
    settings.revision = "1.2";
    EXPECT_EQ(file->Checkout(), -1);
    EXPECT_EQ(Results(), DirectProgram("co") + " -u1.2 -p src/RCS/main.c,v >copies/old one/main.c\r\n"
                         "Cannot create copies/old one/main.c\r\n");
    EXPECT_EQ(test::ReadFile("copies/old one/main.c"), "first text\n");
}

TEST_F(CheckoutTest, WorkingDirectoryElsewhereGetsItsDirectoriesMade)
{
    test::CheckIn("sub/x.c", "x\n", "first");
    RCSFileItem* file = project.doc->AddFile("sub/x.c");
    fs::create_directories("elsewhere");
    ASSERT_TRUE(project.doc->SetWorkingDirectory(project.scratch.path() + "elsewhere", false));
    settings.lock = false;

    EXPECT_EQ(file->Checkout(), 0) << Results();
    EXPECT_EQ(test::ReadFile("elsewhere/sub/x.c"), "x\n");
    EXPECT_EQ(file->StatusCode(), CheckedIn);
}

TEST_F(CheckoutTest, ReleaseIsCheckedOutFileByFileAndNamedOnlyWhenComplete)
{
    test::CheckIn("a.c", "a1\n", "first", {"-l"});
    test::CheckIn("a.c", "a2\n", "second");
    test::CheckIn("b.c", "b1\n", "first", {"-l"});
    test::CheckIn("b.c", "b2\n", "second");
    SetSymbol("a.c", "Beta_2:1.1");
    RCSFileItem* a = AddUnchanged("a.c");
    RCSFileItem* b = AddUnchanged("b.c");
    RCSReleaseItem* release = project.doc->releaseRoot->FindOrCreateRelease("Beta 2", a->FindRevision("1.1"));
    release->AddRevision(a->FindRevision("1.1"));
    release->AddRevision(b->FindRevision("1.1"));
    project.doc->releaseNameFile = "release.h";

    auto* entry = static_cast<RCSReleaseVersionItem*>(release->children[0].get());
    EXPECT_TRUE(entry->PrepareCheckout());
    EXPECT_EQ(settings.revision, "1.1");
    EXPECT_TRUE(release->PrepareCheckout());
    EXPECT_EQ(settings.revision, "Beta 2");
    EXPECT_FALSE(settings.allowTargetFile);

    // b.c lacks the symbol: a.c is still checked out, the release is not named.
    EXPECT_NE(release->Checkout(), 0);
    EXPECT_NE(Results().find(DirectProgram("co") + " -f -lBeta_2 " + a->GetWorkingPath()), std::string::npos) << Results();
    EXPECT_EQ(test::ReadFile("a.c"), "a1\n");
    EXPECT_EQ(test::ReadFile("b.c"), "b2\n");
    EXPECT_FALSE(fs::exists("release.h"));

    SetSymbol("b.c", "Beta_2:1.1");
    EXPECT_EQ(release->Checkout(), 0) << Results();
    EXPECT_EQ(test::ReadFile("b.c"), "b1\n");
    EXPECT_EQ(b->workingRevision, "1.1");
    EXPECT_EQ(b->FindRevision("1.1")->locker, test::LoginName());
    EXPECT_EQ(test::ReadFile("release.h"), "#define RELEASE \"Beta 2\"\r\n");
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

TEST_F(CheckoutTest, ProjectIsCheckedOutInSharedRunsAndABusyFileIsNamed)
{
    std::vector<RCSFileItem*> files;
    std::vector<std::string> paths;
    std::string busyRevision;
    for (int i = 0; i < 30; ++i) {
        paths.push_back((i % 2 ? "src/f" : "f") + std::to_string(i) + ".c");
        test::CheckIn(paths.back(), "one " + paths.back() + "\n", "first", {"-l"});
        test::CheckIn(paths.back(), "two " + paths.back() + "\n", "second");
        files.push_back(AddUnchanged(paths.back()));
    }
    test::WriteText("RCS/,f12.c,", "");
    busyRevision = project.doc->root->FindFile("f12.c")->workingRevision;
    settings.lock = true;
    settings.revision = "1.1";

    EXPECT_NE(project.doc->root->Checkout(), 0);
    fs::remove("RCS/,f12.c,");
    const std::string results = Results();
    EXPECT_NE(results.find("co: RCS file RCS/f12.c,v is in use"), std::string::npos) << results;
    EXPECT_EQ(CommandProgress::instance().Get().summary, "29 checked out, 1 failed: f12.c");
    // One run over all, then the busy file alone.
    EXPECT_EQ(LinesStartingWith(results, DirectProgram("co") + " -f -l1.1 "), 2) << results;
    EXPECT_EQ(LinesStartingWith(results, "rlog"), 0) << "histories are read without echo";
    for (std::size_t i = 0; i < files.size(); ++i) {
        RCSFileItem* file = files[i];
        const bool busy = file->name == "f12.c";
        EXPECT_EQ(test::ReadFile(paths[i]), (busy ? "two " : "one ") + paths[i] + "\n") << file->name;
        EXPECT_EQ(file->workingRevision, busy ? busyRevision : "1.1") << file->name;
        EXPECT_EQ(file->FindRevision("1.1")->locker, busy ? "" : test::LoginName()) << file->name;
        EXPECT_EQ(file->StatusCode(), CheckedIn) << file->name;
    }
}

} // namespace
} // namespace kestro
