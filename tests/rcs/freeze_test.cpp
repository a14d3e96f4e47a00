#include "app/text_tree_view.h"
#include "model/command_progress.h"
#include "model/command_results.h"
#include "model/file_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/release_version_item.h"
#include "model/root_item.h"
#include "model/string_helpers.h"
#include "model/version_item.h"
#include "ops/commands.h"
#include "support/rcs_history.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestro {
namespace {

using test::CheckIn;
using test::Rlog;

struct FreezeTest : test::ProjectFixture {
    FreezeTest()
    {
        SetItemView(&view);
        doc->InsertTreesIntoView();
    }
    // Adds a file whose working file is the given revision, as a check-out
    // leaves it.
    RCSFileItem* AddCheckedIn(const std::string& path, const std::string& revision)
    {
        RCSFileItem* file = doc->AddFile(path);
        EXPECT_NE(file, nullptr) << path;
        file->workingRevision = revision;
        file->GetWorkingFileStatus(&file->recordedTime);
        file->UpdateStatus();
        EXPECT_EQ(file->StatusCode(), CheckedIn);
        return file;
    }
    RCSReleaseRoot& releases() { return *doc->releaseRoot; }
    TextTreeView view;
    test::RecordingInteraction interaction;
};

// The RCS paths of the release's files as one run of rcs gets them.
std::string RcsPaths(const RCSReleaseItem& release)
{
    std::string paths;
    for (const auto& child : release.children)
        AppendArgument(paths, static_cast<const RCSReleaseVersionItem*>(child.get())->revisionRef->file->GetRcsPath());
    return paths;
}

bool HasSymbol(const std::string& rlog, const std::string& symbol)
{
    return rlog.find("\t" + symbol + "\n") != std::string::npos;
}

// The two ways an RCS file refuses a change: another program holds its lock
// file, or the RCS file is gone.
enum class Fault { Busy, Removed };

void Break(const std::string& name, Fault fault)
{
    if (fault == Fault::Busy)
        test::WriteText("RCS/," + name + ",", "");
    else
        std::filesystem::remove("RCS/" + name + ",v");
}

TEST(Freeze, ReleaseNamesMustSuitRcsSymbols)
{
    test::RecordingInteraction interaction;
    const std::string characters = "Characters '$,.:; and @ are not allowed in a release name";
    const std::string letter = "Release name must start with a letter";
    for (const std::string name : {"R1.0", "R:1", "Release;2", "a$b@"}) {
        interaction.messages.clear();
        EXPECT_FALSE(IsValidReleaseName(name)) << name;
        EXPECT_EQ(interaction.messages, std::vector<std::string>{characters}) << name;
    }
    for (const std::string name : {"1st", "", " Beta"}) {
        interaction.messages.clear();
        EXPECT_FALSE(IsValidReleaseName(name)) << name;
        EXPECT_EQ(interaction.messages, std::vector<std::string>{letter}) << name;
    }
    interaction.messages.clear();
    EXPECT_TRUE(IsValidReleaseName("Beta 2"));
    EXPECT_TRUE(interaction.messages.empty());
}

TEST(Freeze, SetsTheSymbolOnEveryWorkingRevisionAndReadsItBack)
{
    FreezeTest t;
    CheckIn("a.c", "1\n", "one", {"-l"});
    CheckIn("a.c", "2\n", "two");
    // A name that starts with "-" must reach rcs as a path, not an option.
    CheckIn("./-x.c", "x\n", "x");
    t.AddCheckedIn("a.c", "1.1");
    t.AddCheckedIn("-x.c", "1.1");
    t.doc->releaseNameFile = "release.h";
    t.doc->releaseNameTemplate = "#define RELEASE \"%s\"\n";
    t.doc->SetModifiedFlag(false);
    CommandResults::instance().ClearResults();

    RCSReleaseItem* release = FreezeProject(*t.doc, "Beta 2");
    ASSERT_NE(release, nullptr);
    EXPECT_TRUE(t.interaction.messages.empty());
    EXPECT_TRUE(t.doc->IsModified());
    ASSERT_EQ(t.releases().children.size(), 1u);
    EXPECT_EQ(t.releases().children[0].get(), release);
    EXPECT_EQ(release->name, "Beta 2");
    ASSERT_EQ(release->children.size(), 2u);
    EXPECT_NE(release->FindFileEntry("-x.c"), nullptr);
    EXPECT_EQ(release->FindFileEntry("a.c")->revisionRef->name, "1.1") << "the working revision, not the tip";
    EXPECT_NE(release->treeItem, 0u) << "the release is shown";

    const std::string results = CommandResults::instance().Text();
    EXPECT_TRUE(results.starts_with("rcs -NBeta_2:1.1" + RcsPaths(*release) + "\r\n")) << "one run: " << results;
    EXPECT_NE(Rlog("a.c").find("\tBeta_2: 1.1\n"), std::string::npos);
    EXPECT_NE(Rlog("RCS/-x.c,v").find("\tBeta_2: 1.1\n"), std::string::npos);
    EXPECT_EQ(test::ReadFile("release.h"), "#define RELEASE \"Beta 2\"\n");

    // Forgotten by the project, the release comes back from the symbols.
    release->Detach();
    ASSERT_EQ(t.doc->root->Synchronise(true), 0);
    RCSReleaseItem* readBack = t.releases().FindRelease("Beta 2");
    ASSERT_NE(readBack, nullptr);
    EXPECT_EQ(readBack->children.size(), 2u);
}

TEST(Freeze, RefusedUnlessEveryFileIsCheckedInAtAnExistingRevision)
{
    FreezeTest t;
    CheckIn("a.c", "a\n", "a");
    CheckIn("b.c", "b\n", "b");
    t.AddCheckedIn("a.c", "1.1");
    // Edited before it joins the project, so it is not taken as checked in.
    std::filesystem::permissions("b.c", std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    test::WriteText("b.c", "b edited\n");
    RCSFileItem* b = t.doc->AddFile("b.c");
    ASSERT_EQ(b->StatusCode(), Modified);
    t.doc->SetModifiedFlag(false);

    EXPECT_EQ(FreezeProject(*t.doc, "R1"), nullptr);
    EXPECT_EQ(t.interaction.messages, std::vector<std::string>{"b.c is not checked in"});
    EXPECT_EQ(t.view.selected(), b->treeItem);
    EXPECT_TRUE(t.releases().children.empty());
    EXPECT_FALSE(HasSymbol(Rlog("a.c"), "R1: 1.1"));
    EXPECT_FALSE(t.doc->IsModified());

    // Checked in, but at a revision RCS no longer has.
    b->workingRevision = "1.7";
    b->GetWorkingFileStatus(&b->recordedTime);
    b->UpdateStatus();
    t.interaction.messages.clear();
    EXPECT_EQ(FreezeProject(*t.doc, "R1"), nullptr);
    EXPECT_EQ(t.interaction.messages, std::vector<std::string>{"b.c version 1.7 has been deleted from RCS"});
    EXPECT_TRUE(t.releases().children.empty());

    // An invalid name is refused after the files are checked.
    b->workingRevision = "1.1";
    t.interaction.messages.clear();
    EXPECT_EQ(FreezeProject(*t.doc, "1st"), nullptr);
    EXPECT_EQ(t.interaction.messages, std::vector<std::string>{"Release name must start with a letter"});
    EXPECT_TRUE(t.releases().children.empty());
}

TEST(Freeze, FreezingANameAgainMovesTheSymbols)
{
    FreezeTest t;
    CheckIn("a.c", "1\n", "one", {"-l"});
    RCSFileItem* a = t.AddCheckedIn("a.c", "1.1");
    ASSERT_NE(FreezeProject(*t.doc, "R1"), nullptr);

    CheckIn("a.c", "2\n", "two");
    a->Synchronise(false);
    a->workingRevision = "1.2";
    a->GetWorkingFileStatus(&a->recordedTime);
    a->UpdateStatus();
    RCSReleaseItem* second = FreezeProject(*t.doc, "R1");
    ASSERT_NE(second, nullptr);

    EXPECT_EQ(t.releases().children.size(), 2u);
    EXPECT_EQ(second->FindFileEntry("a.c")->revisionRef, a->FindRevision("1.2"));
    const std::string rlog = Rlog("a.c");
    EXPECT_TRUE(HasSymbol(rlog, "R1: 1.2")) << rlog;
    EXPECT_FALSE(HasSymbol(rlog, "R1: 1.1")) << rlog;
}

TEST(Freeze, DeletingAReleaseFromRcsRemovesEverySymbol)
{
    FreezeTest t;
    CheckIn("a.c", "a\n", "a");
    CheckIn("src/b.c", "b\n", "b");
    t.AddCheckedIn("a.c", "1.1");
    t.AddCheckedIn("src/b.c", "1.1");
    ASSERT_NE(FreezeProject(*t.doc, "Beta 2"), nullptr);
    ASSERT_NE(FreezeProject(*t.doc, "Keep"), nullptr);
    RCSReleaseItem* release = t.releases().FindRelease("Beta 2");
    RCSOptions::instance().report.item = release->children[0].get();
    t.doc->SetModifiedFlag(false);
    const std::string paths = RcsPaths(*release);

    t.interaction.deleteAnswer = 3;
    EXPECT_EQ(DeleteItem(*t.doc, release), 0);
    EXPECT_EQ(t.interaction.confirmations, std::vector<std::string>{"Release Beta 2"});
    EXPECT_EQ(t.interaction.offered, std::vector<unsigned>{2});

    const std::string results = CommandResults::instance().Text();
    EXPECT_TRUE(results.starts_with("rcs -NBeta_2" + paths + "\r\n")) << "one run: " << results;
    EXPECT_EQ(t.releases().FindRelease("Beta 2"), nullptr);
    EXPECT_EQ(RCSOptions::instance().report.item, nullptr) << "no setting keeps the destroyed entry";
    EXPECT_TRUE(t.doc->IsModified());
    for (const char* path : {"a.c", "src/b.c"}) {
        const std::string rlog = Rlog(path);
        EXPECT_FALSE(HasSymbol(rlog, "Beta_2: 1.1")) << rlog;
        EXPECT_TRUE(HasSymbol(rlog, "Keep: 1.1")) << rlog;
    }
}

TEST(Freeze, AFailedFreezeLeavesNoTraceOfTheRelease)
{
    for (const Fault fault : {Fault::Busy, Fault::Removed}) {
        FreezeTest t;
        for (const char* name : {"a.c", "b.c", "c.c", "d.c"}) {
            CheckIn(name, "1\n", "one");
            t.AddCheckedIn(name, "1.1");
        }
        Break("b.c", fault);
        Break("c.c", fault);
        t.doc->releaseNameFile = "release.h";
        t.doc->releaseNameTemplate = "%s\n";
        t.doc->SetModifiedFlag(false);
        CommandResults::instance().ClearResults();

        EXPECT_EQ(FreezeProject(*t.doc, "R1"), nullptr);
        const std::string results = CommandResults::instance().Text();
        for (const char* line : {"b.c : cannot freeze as R1\r\n", "c.c : cannot freeze as R1\r\n",
                                 "Release R1 was not frozen\r\n"})
            EXPECT_NE(results.find(line), std::string::npos) << line << results;
        EXPECT_TRUE(t.releases().children.empty());
        EXPECT_FALSE(t.doc->IsModified());
        EXPECT_FALSE(std::filesystem::exists("release.h"));
        for (const char* name : {"a.c", "d.c"})
            EXPECT_EQ(Rlog(name).find("R1"), std::string::npos) << name;
    }
}

TEST(Freeze, AFailedRefreezeMovesTheSymbolsBack)
{
    FreezeTest t;
    std::vector<RCSFileItem*> files;
    for (const char* name : {"a.c", "b.c", "c.c"}) {
        CheckIn(name, "1\n", "one", {"-l"});
        files.push_back(t.AddCheckedIn(name, "1.1"));
    }
    RCSReleaseItem* first = FreezeProject(*t.doc, "R1");
    ASSERT_NE(first, nullptr);
    // d.c is new since R1, so a failure takes its symbol away again.
    CheckIn("d.c", "1\n", "one", {"-l"});
    files.push_back(t.AddCheckedIn("d.c", "1.1"));
    for (RCSFileItem* file : files) {
        CheckIn(file->name, "2\n", "two", {"-l"});
        file->Synchronise(false);
        file->workingRevision = "1.2";
        file->GetWorkingFileStatus(&file->recordedTime);
        file->UpdateStatus();
    }
    Break("b.c", Fault::Busy);

    EXPECT_EQ(FreezeProject(*t.doc, "R1"), nullptr);
    std::filesystem::remove("RCS/,b.c,");
    ASSERT_EQ(t.releases().children.size(), 1u);
    EXPECT_EQ(first->FindFileEntry("a.c")->revisionRef->name, "1.1");
    for (const char* name : {"a.c", "b.c", "c.c"}) {
        const std::string rlog = Rlog(name);
        EXPECT_TRUE(HasSymbol(rlog, "R1: 1.1")) << rlog;
    }
    EXPECT_EQ(Rlog("d.c").find("R1"), std::string::npos);
}

TEST(Freeze, ANameWhoseSymbolAnotherReleaseUsesIsRefused)
{
    FreezeTest t;
    CheckIn("a.c", "1\n", "one", {"-l"});
    RCSFileItem* a = t.AddCheckedIn("a.c", "1.1");
    ASSERT_NE(FreezeProject(*t.doc, "R x"), nullptr);
    CheckIn("a.c", "2\n", "two");
    a->Synchronise(false);
    a->workingRevision = "1.2";
    a->GetWorkingFileStatus(&a->recordedTime);
    a->UpdateStatus();
    CommandResults::instance().ClearResults();

    EXPECT_EQ(FreezeProject(*t.doc, "R_x"), nullptr);
    EXPECT_EQ(t.interaction.messages,
              std::vector<std::string>{"Release name R_x would share the RCS symbol R_x with release R x"});
    EXPECT_EQ(CommandResults::instance().Text(), "") << "no rcs was run";
    EXPECT_EQ(t.releases().children.size(), 1u);
    EXPECT_TRUE(HasSymbol(Rlog("a.c"), "R_x: 1.1"));

    EXPECT_NE(FreezeProject(*t.doc, "R x"), nullptr) << "the release of that name may be frozen again";
    EXPECT_TRUE(HasSymbol(Rlog("a.c"), "R_x: 1.2"));
}

TEST(Freeze, AFailedReleaseDeletionPutsEverySymbolBack)
{
    FreezeTest t;
    for (const char* name : {"a.c", "b.c", "c.c"}) {
        CheckIn(name, "1\n", "one");
        t.AddCheckedIn(name, "1.1");
    }
    RCSReleaseItem* release = FreezeProject(*t.doc, "Beta 2");
    ASSERT_NE(release, nullptr);
    Break("b.c", Fault::Busy);
    t.doc->SetModifiedFlag(false);

    t.interaction.deleteAnswer = 3;
    const std::string paths = RcsPaths(*release);
    EXPECT_NE(DeleteItem(*t.doc, release), 0);
    std::filesystem::remove("RCS/,b.c,");
    const std::string results = CommandResults::instance().Text();
    EXPECT_NE(results.find("rcs -NBeta_2" + paths + "\r\n"), std::string::npos) << results;
    EXPECT_NE(results.find("rcs -NBeta_2 RCS/b.c,v\r\nrcs: RCS file RCS/b.c,v is in use"), std::string::npos)
        << "the failing file alone: " << results;
    EXPECT_NE(results.find("rcs -NBeta_2:1.1 RCS/a.c,v\r\n"), std::string::npos) << results;
    EXPECT_EQ(t.releases().FindRelease("Beta 2"), release);
    EXPECT_EQ(release->children.size(), 3u);
    EXPECT_FALSE(t.doc->IsModified());
    for (const char* name : {"a.c", "b.c", "c.c"})
        EXPECT_TRUE(HasSymbol(Rlog(name), "Beta_2: 1.1")) << name;
}

// A few dozen files share one run each way; one busy file is named and
// nothing is left half done.
TEST(Freeze, ManyFilesShareRunsAndOneBusyFileFailsTheWholeRelease)
{
    FreezeTest t;
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("f" + std::to_string(i) + ".c");
        CheckIn(names.back(), "1\n", "one");
        t.AddCheckedIn(names.back(), "1.1");
    }
    Break("f17.c", Fault::Busy);
    CommandResults::instance().ClearResults();

    EXPECT_EQ(FreezeProject(*t.doc, "R1"), nullptr);
    const std::string results = CommandResults::instance().Text();
    EXPECT_NE(results.find("rcs -NR1:1.1 RCS/f17.c,v\r\nrcs: RCS file RCS/f17.c,v is in use"), std::string::npos)
        << "run alone, so rcs names it: " << results;
    EXPECT_NE(results.find("f17.c : cannot freeze as R1\r\n"), std::string::npos) << results;
    EXPECT_EQ(CommandProgress::instance().Get().summary, "29 frozen, 1 failed: f17.c");
    EXPECT_TRUE(t.releases().children.empty());
    for (const std::string& name : names)
        EXPECT_EQ(Rlog(name).find("R1"), std::string::npos) << name;

    std::filesystem::remove("RCS/,f17.c,");
    CommandResults::instance().ClearResults();
    RCSReleaseItem* release = FreezeProject(*t.doc, "R1");
    ASSERT_NE(release, nullptr) << CommandResults::instance().Text();
    EXPECT_EQ(release->children.size(), 30u);
    for (const std::string& name : names)
        EXPECT_TRUE(HasSymbol(Rlog(name), "R1: 1.1")) << name;

    // Deleting it with one busy file keeps every symbol.
    Break("f3.c", Fault::Busy);
    t.interaction.deleteAnswer = 3;
    CommandResults::instance().ClearResults();
    EXPECT_NE(DeleteItem(*t.doc, release), 0);
    EXPECT_NE(CommandResults::instance().Text().find("rcs -NR1 RCS/f3.c,v\r\nrcs: RCS file RCS/f3.c,v is in use"),
              std::string::npos) << CommandResults::instance().Text();
    std::filesystem::remove("RCS/,f3.c,");
    EXPECT_EQ(t.releases().FindRelease("R1"), release);
    for (const std::string& name : names)
        EXPECT_TRUE(HasSymbol(Rlog(name), "R1: 1.1")) << name;
}

} // namespace
} // namespace kestro
