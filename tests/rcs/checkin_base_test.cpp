// The revision a check-in builds on, and merges that leave conflicts.

#include "model/command_results.h"
#include "model/file_item.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "support/rcs_history.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

namespace fs = std::filesystem;

void Rewrite(const std::string& path, const std::string& text)
{
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    test::WriteText(path, text);
}

std::string RevisionText(const std::string& path, const std::string& revision)
{
    std::string text;
    EXPECT_EQ(test::RunProgram({"co", "-q", "-p" + revision, path}, &text), 0) << text;
    return text;
}

struct CheckinBaseTest : ::testing::Test {
    CheckinBaseTest()
    {
        RCSOptions::instance().userName = test::LoginName();
        CommandResults::instance().ClearResults();
    }
    std::string Results() const { return CommandResults::instance().Text(); }
    CheckinSettings& checkin = RCSOptions::instance().checkin;
    test::ProjectFixture project;
};

TEST_F(CheckinBaseTest, OldRevisionAmongTwoLocksStartsABranchAndLosesNothing)
{
    test::CheckIn("a.c", "one\n", "first", {"-l"});
    test::CheckIn("a.c", "two\n", "second", {"-l"});
    test::CheckIn("a.c", "three\n", "third", {"-l"});
    RCSFileItem* file = project.doc->AddFile("a.c");
    ASSERT_NE(file, nullptr);

    // Check out 1.1 locked as well: the user now holds 1.1 and 1.3.
    CheckoutSettings& checkout = RCSOptions::instance().checkout;
    checkout.revision = "1.1";
    checkout.lock = true;
    checkout.force = true;
    ASSERT_EQ(file->Checkout(), 0) << Results();
    ASSERT_EQ(file->workingRevision, "1.1");
    Rewrite("a.c", "one, edited\n");

    CommandResults::instance().ClearResults();
    checkin.revision.clear();
    checkin.lock = true;
    checkin.logMessage = "edit of one";
    ASSERT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_NE(Results().find("a.c : checking in on top of revision 1.1\r\n"), std::string::npos) << Results();

    EXPECT_EQ(file->workingRevision, "1.1.1.1");
    EXPECT_EQ(RevisionText("RCS/a.c,v", "1.1.1.1"), "one, edited\n");
    EXPECT_EQ(RevisionText("RCS/a.c,v", "1"), "three\n") << "1.3 is still the head of the trunk";
    RCSVersionItem* head = file->FindRevision("1.3");
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(head->IsLocked()) << "the other lock is untouched";
    EXPECT_EQ(file->FindRevision("1.4"), nullptr);
}

TEST_F(CheckinBaseTest, TipAmongTwoLocksContinuesItsLine)
{
    test::CheckIn("b.c", "one\n", "first", {"-l"});
    test::CheckIn("b.c", "two\n", "second", {"-l"});
    RCSFileItem* file = project.doc->AddFile("b.c");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->workingRevision, "1.2");
    // A branch revision locked too, checked in from another working file.
    std::string output;
    ASSERT_EQ(test::RunProgram({"rcs", "-q", "-l1.1", "RCS/b.c,v"}, &output), 0) << output;
    test::WriteText("elsewhere/b.c", "branch\n");
    ASSERT_EQ(test::RunProgram({"ci", "-q", "-l", "-r1.1.1", "-mbranch", "elsewhere/b.c", "RCS/b.c,v"}, &output), 0)
        << output;
    file->Synchronise(true);
    ASSERT_TRUE(file->FindRevision("1.1.1.1")->IsLocked());
    ASSERT_TRUE(file->FindRevision("1.2")->IsLocked());

    Rewrite("b.c", "three\n");
    checkin.revision.clear();
    checkin.logMessage = "third";
    ASSERT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_EQ(file->workingRevision, "1.3");
    EXPECT_EQ(RevisionText("RCS/b.c,v", "1.1.1.1"), "branch\n");
}

TEST_F(CheckinBaseTest, MergeConflictIsReportedAndItsMarkersAreNotCheckedIn)
{
    test::CheckIn("m.c", "line\n", "first", {"-l"});
    test::CheckIn("m.c", "theirs\n", "second", {"-l"});
    RCSFileItem* file = project.doc->AddFile("m.c");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->StatusCode(), CheckedIn);
    Rewrite("m.c", "mine\n");
    file->UpdateStatus();

    MergeSettings& merge = RCSOptions::instance().merge;
    merge.revision1 = "1.1";
    merge.revision2 = "1.2";
    CommandResults::instance().ClearResults();
    EXPECT_EQ(file->Merge(), 1) << Results();
    EXPECT_NE(Results().find("m.c : merged with conflicts\r\n"), std::string::npos) << Results();
    EXPECT_EQ(CommandResults::instance().Summary("merge", 1), "merge: merged with conflicts");
    EXPECT_EQ(file->StatusCode(), Modified) << "the status follows the merge at once";
    EXPECT_EQ(ConflictMarkerLine("m.c"), 1);

    CommandResults::instance().ClearResults();
    checkin.revision.clear();
    checkin.force = false;
    checkin.logMessage = "with markers";
    EXPECT_EQ(file->Checkin(nullptr), 1);
    EXPECT_EQ(Results(), "m.c : line 1 holds a merge conflict marker - resolve the conflict, or check in with Force\r\n");
    EXPECT_EQ(file->FindRevision("1.3"), nullptr);

    checkin.force = true;
    EXPECT_EQ(file->Checkin(nullptr), 0) << Results();
    EXPECT_NE(file->FindRevision("1.3"), nullptr) << "Force checks the file in as it is";
}

TEST(ConflictMarkerLine, OnlyWholeMarkersAtALineStartCount)
{
    test::ScratchDirectory scratch;
    const auto lineOf = [](const std::string& text) {
        test::WriteText("f", text);
        return ConflictMarkerLine("f");
    };
    EXPECT_EQ(lineOf("a\nb\n"), 0);
    EXPECT_EQ(lineOf("a\n<<<<<<< f\nx\n=======\ny\n>>>>>>> 1.2\n"), 2);
    EXPECT_EQ(lineOf("a\r\nb\r\n>>>>>>>\r\n"), 3);
    EXPECT_EQ(lineOf("x <<<<<<< y\n<<<<<<<< eight\n// =======\n"), 0);
    EXPECT_EQ(ConflictMarkerLine("no-such-file"), 0);
}

} // namespace
} // namespace kestro
