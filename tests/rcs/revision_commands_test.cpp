#include "app/working_directory.h"
#include "support/rcs_history.h"

namespace fs = std::filesystem;

namespace kestro {
namespace {

using namespace test;

using RevisionCommandsTest = RcsProjectTest;

// Trunk 1.1-1.3 with the branches 1.2.1 (two revisions) and 1.2.2 below 1.2.
void BranchedHistory()
{
    CheckIn("a.c", "1\n", "one", {"-l"});
    CheckIn("a.c", "2\n", "two", {"-l"});
    CheckIn("a.c", "3\n", "three");
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2", "a.c"}), 0);
    CheckIn("a.c", "b1\n", "b1", {"-l", "-r1.2.1"});
    CheckIn("a.c", "b2\n", "b2", {"-u", "-r1.2.1"});
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2", "a.c"}), 0);
    CheckIn("a.c", "c1\n", "c1", {"-u", "-r1.2.2"});
}

// The answer's boxes decide what goes besides the item; what cannot be
// removed is reported and keeps its item.
TEST_F(RevisionCommandsTest, FilesGoAsTheAnswerSays)
{
    CheckIn("a.c", "a\n", "a");
    CheckIn("src/b.c", "b\n", "b");
    RCSFileItem* a = Add("a.c");
    RCSFileItem* b = Add("src/b.c");
    RCSOptions::instance().compare.item = a->FindRevision("1.1");
    RCSOptions::instance().merge.item = b;
    doc->SetModifiedFlag(false);

    interaction.deleteAnswer = 1;
    EXPECT_EQ(DeleteItem(*doc, a), 0);
    EXPECT_EQ(interaction.confirmations, std::vector<std::string>{"File a.c"});
    EXPECT_EQ(interaction.offered, std::vector<unsigned>{6});
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(fs::exists("a.c") && fs::exists("RCS/a.c,v"));
    EXPECT_EQ(RCSOptions::instance().compare.item, nullptr) << "the destroyed revision is forgotten";
    EXPECT_EQ(RCSOptions::instance().merge.item, b) << "other items stay remembered";

    // The read-only working file goes too.
    CommandResults::instance().AppendResults("left from before\r\n");
    interaction.deleteAnswer = 7;
    EXPECT_EQ(DeleteItem(*doc, b), 0);
    EXPECT_FALSE(fs::exists("src/b.c") || fs::exists("src/RCS/b.c,v"));
    EXPECT_EQ(Results(), "del src/RCS/b.c,v\r\ndel " + scratch.path() + "src/b.c\r\n");
    EXPECT_TRUE(doc->root->children.empty());

    EXPECT_EQ(DeleteFile("absent.c"), 0);
    test::WriteText("c.c", "c\n");
    RCSFileItem* file = Add("c.c");
    fs::remove("c.c");
    fs::create_directory("c.c");
    interaction.deleteAnswer = 5;
    EXPECT_EQ(DeleteItem(*doc, file), -1);
    EXPECT_EQ(Results(), "del " + scratch.path() + "c.c\r\nFile not found\r\n");
    EXPECT_EQ(doc->root->children.size(), 1u);
}

TEST_F(RevisionCommandsTest, ItemsThatAReleaseUsesAreRefused)
{
    BranchedHistory();
    ASSERT_EQ(RunProgram({"rcs", "-q", "-NR1:1.2.1.1", "a.c"}), 0);
    RCSFileItem* file = Add("a.c");
    ASSERT_EQ(doc->releaseRoot->children.size(), 1u);
    interaction.deleteAnswer = 7;

    for (RCSItem* item : std::vector<RCSItem*>{file, file->FindRevision("1.2"), file->FindRevision("1.2.1.1")}) {
        interaction.messages.clear();
        EXPECT_NE(DeleteItem(*doc, item), 0);
        EXPECT_EQ(interaction.messages,
                  std::vector<std::string>{item->GetDescription() + "\r\nis in use in one or more releases"});
    }
    EXPECT_TRUE(interaction.confirmations.empty()) << "refused before asking";
    EXPECT_EQ(Results(), "");
    EXPECT_TRUE(fs::exists("a.c"));
    EXPECT_NE(file->FindRevision("1.2.1.1"), nullptr);

    // Revisions outside the release can go.
    interaction.deleteAnswer = 3;
    EXPECT_EQ(DeleteItem(*doc, file->FindRevision("1.2.2.1")), 0);
    EXPECT_EQ(file->FindRevision("1.2.2.1"), nullptr);
}

TEST_F(RevisionCommandsTest, RevisionGoesAfterTheBranchesThatSproutFromIt)
{
    BranchedHistory();
    ASSERT_EQ(RunProgram({"rcs", "-q", "-l1.2.1.2", "a.c"}), 0);
    RCSFileItem* file = Add("a.c");
    ASSERT_TRUE(file->FindRevision("1.2.1.2")->IsLocked());

    interaction.deleteAnswer = 3;
    EXPECT_EQ(DeleteItem(*doc, file->FindRevision("1.2")), 0);
    EXPECT_EQ(interaction.confirmations, std::vector<std::string>{"a.c Version 1.2"});

    const auto at = [results = Results()](const std::string& run) { return results.find(run + " RCS/a.c,v\r\n"); };
    ASSERT_NE(at("rcs -o1.2"), std::string::npos) << Results();
    EXPECT_LT(at("rcs -u1.2.1.2"), at("rcs -o1.2.1.2")) << Results();
    EXPECT_LT(at("rcs -o1.2.1.2"), at("rcs -o1.2.1.1")) << Results();
    EXPECT_LT(at("rcs -o1.2.1.1"), at("rcs -o1.2")) << Results();
    EXPECT_LT(at("rcs -o1.2.2.1"), at("rcs -o1.2")) << Results();

    EXPECT_FALSE(test::Has(Rlog("a.c"), "revision 1.2\n"));
    EXPECT_EQ(file->FindRevision("1.2.1.1"), nullptr);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);
}

TEST_F(RevisionCommandsTest, FailingOutdateStopsTheWalkAndKeepsTheRevision)
{
    BranchedHistory();
    RCSFileItem* file = Add("a.c");
    RCSVersionItem* revision = file->FindRevision("1.2");
    // The model knows a branch that RCS does not, so outdating it fails.
    ASSERT_NE(file->FindOrAddRevision("1.2.3.1", "not in RCS", 0), nullptr);
    ASSERT_EQ(revision->children.back()->name, "1.2.3.1") << "visited after the real branches";
    RCSOptions::instance().checkin.item = file->FindRevision("1.2.1.2");

    interaction.deleteAnswer = 3;
    EXPECT_NE(DeleteItem(*doc, revision), 0);
    const std::string results = Results();
    EXPECT_TRUE(test::Has(results, "rcs -o1.2.3.1 RCS/a.c,v\r\n")) << results;
    EXPECT_FALSE(test::Has(results, "rcs -o1.2 RCS/a.c,v\r\n")) << results;

    EXPECT_TRUE(test::Has(Rlog("a.c"), "revision 1.2\n"));
    EXPECT_EQ(file->FindRevision("1.2"), revision) << "the item stays";
    EXPECT_EQ(file->FindRevision("1.2.2.1"), nullptr) << "what RCS outdated leaves the tree";
    EXPECT_EQ(RCSOptions::instance().checkin.item, nullptr);
}

TEST_F(RevisionCommandsTest, LockUnlockAndOwnerFollowRcs)
{
    CheckIn("a.c", "1\n", "one", {"-l"});
    CheckIn("a.c", "2\n", "two");
    RCSFileItem* file = Add("a.c");
    RCSVersionItem* tip = file->FindRevision("1.2");
    RCSVersionItem* older = file->FindRevision("1.1");
    ASSERT_EQ(tip->StatusCode(), Tip);

    EXPECT_EQ(tip->SetLocked(true), 0);
    EXPECT_EQ(tip->StatusCode(), LockedTip);
    EXPECT_EQ(tip->locker, test::LoginName());
    EXPECT_TRUE(test::Has(view.node(tip->treeItem)->text, "(" + test::LoginName() + ")"));
    EXPECT_TRUE(test::Has(Rlog("a.c"), "\t" + test::LoginName() + ": 1.2\n"));

    EXPECT_EQ(tip->SetLocked(false), 0);
    EXPECT_EQ(tip->StatusCode(), Tip);
    EXPECT_FALSE(test::Has(Rlog("a.c"), "\t" + test::LoginName() + ": 1.2\n"));

    EXPECT_EQ(older->SetLocked(true), 0);
    EXPECT_EQ(older->StatusCode(), LockedRevision);

    // A failed rcs run changes nothing.
    RCSVersionItem* unknown = file->FindOrAddRevision("1.9", "not in RCS", 0);
    EXPECT_NE(unknown->SetLocked(true), 0);
    EXPECT_EQ(unknown->StatusCode(), Revision);
    EXPECT_EQ(unknown->locker, "");

    // The owning site is found, created or refused; the project changes only
    // with the owner.
    Site* paris = doc->siteList->Add("Paris", "paris@example.org");
    const std::size_t known = doc->siteList->sites.size();
    const std::tuple<std::string, bool, std::string, std::size_t, bool> changes[] = {
        {"PARIS", true, "Paris", known, true}, {"Paris", true, "Paris", known, false},
        {"Tokyo", true, "Tokyo", known + 1, true}, {" ", false, "Tokyo", known + 1, false}};
    for (const auto& [typed, accepted, owner, sites, modified] : changes) {
        doc->SetModifiedFlag(false);
        EXPECT_EQ(ChangeOwningSite(*doc, older, typed), accepted) << typed;
        EXPECT_EQ(older->owningSite->name, owner) << typed;
        EXPECT_EQ(doc->siteList->sites.size(), sites) << typed;
        EXPECT_EQ(doc->IsModified(), modified) << typed;
    }
    EXPECT_TRUE(test::Has(view.node(older->treeItem)->text, "[Tokyo]"));

    // A file hands a new owner to its revisions.
    file->SetOwningSite(paris);
    EXPECT_EQ(file->FindRevision("1.1")->owningSite, paris);
    EXPECT_EQ(file->FindRevision("1.2")->owningSite, paris);
}

TEST_F(RevisionCommandsTest, SetAndResetMoveTheTip)
{
    BranchedHistory();
    ASSERT_EQ(RunProgram({"co", "-f", "-l1.2.1.2", "a.c"}), 0);
    CheckIn("a.c", "b3\n", "b3", {"-u", "-r1.2.1"});
    RCSFileItem* file = Add("a.c");
    ASSERT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);

    EXPECT_EQ(file->FindRevision("1.2.1.1")->SetDefaultBranch(), 0);
    EXPECT_TRUE(test::Has(Rlog("a.c"), "branch: 1.2.1\n"));
    EXPECT_EQ(file->FindRevision("1.2.1.3")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Revision);

    ASSERT_EQ(file->FindRevision("1.2.2.1")->SetDefaultBranch(), 0);
    EXPECT_EQ(doc->root->ResetDefaultBranch(), 0);
    EXPECT_TRUE(test::Has(Rlog("a.c"), "branch:\n"));
    EXPECT_EQ(file->FindRevision("1.3")->StatusCode(), Tip);
    EXPECT_EQ(file->FindRevision("1.2.2.1")->StatusCode(), Revision);
}

TEST_F(RevisionCommandsTest, ANewDirectoryForgetsTheRecordedTimes)
{
    CheckIn("a.c", "a\n", "a");
    RCSFileItem* file = Add("a.c");
    ASSERT_EQ(file->StatusCode(), CheckedIn);
    const std::time_t recorded = file->recordedTime;

    doc->SetModifiedFlag(false);
    EXPECT_FALSE(ChangeWorkingDirectory(*doc, scratch.path() + "missing"));
    EXPECT_EQ(interaction.messages, std::vector<std::string>{"Cannot change directory to " + scratch.path() + "missing"});
    EXPECT_EQ(doc->GetWorkingDirectory(), scratch.path());
    EXPECT_FALSE(doc->IsModified());
    interaction.messages.clear();

    // Naming the same directory again changes nothing.
    EXPECT_TRUE(ChangeWorkingDirectory(*doc, scratch.path()));
    EXPECT_EQ(file->recordedTime, recorded);

    // A copy elsewhere with the same time is not the file that was checked in.
    fs::create_directory("other");
    fs::copy_file("a.c", "other/a.c");
    fs::last_write_time("other/a.c", fs::last_write_time("a.c"));
    doc->SetModifiedFlag(false);
    EXPECT_TRUE(ChangeWorkingDirectory(*doc, scratch.path() + "other"));
    EXPECT_EQ(doc->GetWorkingDirectory(), scratch.path() + "other/");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(file->recordedTime, 0);
    EXPECT_EQ(file->StatusCode(), Modified);
    EXPECT_TRUE(interaction.messages.empty());
}

} // namespace
} // namespace kestro
