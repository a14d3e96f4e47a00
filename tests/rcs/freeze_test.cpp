// Freezing releases as RCS symbols and deleting them again, with the real rcs.

#include "model/command_progress.h"
#include "model/string_helpers.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct FreezeTest : RcsProjectTest {
    // Checks the text in (locked, as the next revision) and adds the file
    // at that revision, as a check-out leaves it.
    RCSFileItem* Add(const std::string& path, const std::string& text = "1\n")
    {
        CheckIn(path, text, "message", {"-l"});
        RCSFileItem* file = doc->root->FindFile(path);
        if (file)
            file->Synchronise(false);
        else
            file = doc->AddFile(path);
        return At(file, file->FindRevision("1.2") ? "1.2" : "1.1");
    }
    RCSFileItem* At(RCSFileItem* file, const std::string& revision)
    {
        file->workingRevision = revision;
        file->GetWorkingFileStatus(&file->recordedTime);
        file->UpdateStatus();
        EXPECT_EQ(file->StatusCode(), CheckedIn);
        return file;
    }
    RCSReleaseRoot& releases() { return *doc->releaseRoot; }
};

// The RCS paths of the release's files as one run of rcs gets them.
std::string RcsPaths(const RCSReleaseItem& release)
{
    std::string paths;
    for (const auto& child : release.children)
        AppendArgument(paths, static_cast<const RCSReleaseVersionItem*>(child.get())->revisionRef->file->GetRcsPath());
    return paths;
}

bool HasSymbol(const std::string& path, const std::string& symbol)
{
    return Has(Rlog(path), "\t" + symbol + "\n");
}

TEST_F(FreezeTest, SetsTheSymbolOnEveryWorkingRevisionReadsItBackAndDeletesIt)
{
    CheckIn("a.c", "1\n", "one", {"-l"});
    CheckIn("a.c", "2\n", "two");
    At(doc->AddFile("a.c"), "1.1");
    // A name that starts with "-" must reach rcs as a path, not an option.
    Add("./-x.c");
    doc->releaseNameFile = "release.h";
    doc->releaseNameTemplate = "#define RELEASE \"%s\"\n";
    doc->SetModifiedFlag(false);

    RCSReleaseItem* release = FreezeProject(*doc, "Beta 2");
    ASSERT_NE(release, nullptr);
    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(releases().children.size(), 1u);
    ASSERT_EQ(release->children.size(), 2u);
    EXPECT_EQ(release->FindFileEntry("a.c")->revisionRef->name, "1.1") << "the working revision, not the tip";
    EXPECT_NE(release->treeItem, 0u) << "the release is shown";
    EXPECT_TRUE(release->IsCovered() && release->children[1]->IsCovered()) << "as a synchronise finds it";
    EXPECT_TRUE(Results().starts_with("rcs -NBeta_2:1.1" + RcsPaths(*release) + "\r\n")) << "one run: " << Results();
    EXPECT_TRUE(HasSymbol("a.c", "Beta_2: 1.1"));
    EXPECT_TRUE(HasSymbol("RCS/-x.c,v", "Beta_2: 1.1"));
    EXPECT_EQ(ReadFile("release.h"), "#define RELEASE \"Beta 2\"\n");

    // Forgotten by the project, the release comes back from the symbols.
    release->Detach();
    ASSERT_EQ(doc->root->Synchronise(true), 0);
    release = releases().FindRelease("Beta 2");
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(release->children.size(), 2u);

    // Deleted from RCS, it takes its own symbols along in one run.
    ASSERT_NE(FreezeProject(*doc, "Keep"), nullptr);
    RCSOptions::instance().report.item = release->children[0].get();
    doc->SetModifiedFlag(false);
    const std::string paths = RcsPaths(*release);
    TakeResults();
    interaction.deleteAnswer = 3;
    EXPECT_EQ(DeleteItem(*doc, release), 0);
    EXPECT_EQ(interaction.confirmations, std::vector<std::string>{"Release Beta 2"});
    EXPECT_EQ(interaction.offered, std::vector<unsigned>{2});
    EXPECT_TRUE(Results().starts_with("rcs -NBeta_2" + paths + "\r\n")) << "one run: " << Results();
    EXPECT_EQ(releases().FindRelease("Beta 2"), nullptr);
    EXPECT_EQ(RCSOptions::instance().report.item, nullptr) << "no setting keeps the destroyed entry";
    EXPECT_TRUE(doc->IsModified());
    for (const char* path : {"a.c", "RCS/-x.c,v"}) {
        EXPECT_FALSE(HasSymbol(path, "Beta_2: 1.1")) << path;
        EXPECT_TRUE(HasSymbol(path, "Keep: 1.1")) << path;
    }
}

TEST_F(FreezeTest, RefusedUnlessEveryFileIsCheckedInAtAnExistingRevisionWithAFreeName)
{
    RCSFileItem* a = Add("a.c");
    CheckIn("b.c", "b\n", "b");
    // Edited before it joins the project, so it is not taken as checked in.
    Rewrite("b.c", "b edited\n");
    RCSFileItem* b = doc->AddFile("b.c");
    ASSERT_EQ(b->StatusCode(), Modified);
    doc->SetModifiedFlag(false);
    // What a refused freeze said.
    const auto refusal = [&](const std::string& name) {
        interaction.messages.clear();
        EXPECT_EQ(FreezeProject(*doc, name), nullptr) << name;
        return interaction.messages;
    };
    EXPECT_EQ(refusal("R1"), std::vector<std::string>{"b.c is not checked in"});
    EXPECT_EQ(view.selected(), b->treeItem);
    // Checked in, but at a revision RCS no longer has.
    At(b, "1.7");
    EXPECT_EQ(refusal("R1"), std::vector<std::string>{"b.c version 1.7 has been deleted from RCS"});
    // A name RCS cannot take as a symbol is refused after the files are checked.
    b->workingRevision = "1.1";
    for (const char* name : {"1st", " Beta"})
        EXPECT_EQ(refusal(name), std::vector<std::string>{"Release name must start with a letter"});
    for (const char* name : {"R1.0", "R:1", "a$b@;"})
        EXPECT_EQ(refusal(name), std::vector<std::string>{"Characters '$,.:; and @ are not allowed in a release name"});
    EXPECT_TRUE(releases().children.empty());
    EXPECT_FALSE(HasSymbol("a.c", "R1: 1.1"));
    EXPECT_FALSE(doc->IsModified());

    // A name whose symbol another release uses.
    ASSERT_NE(FreezeProject(*doc, "R x"), nullptr);
    Add("a.c", "2\n");
    ASSERT_EQ(a->workingRevision, "1.2");
    CommandResults::instance().ClearResults();
    EXPECT_EQ(refusal("R_x"), std::vector<std::string>{"Release name R_x would share the RCS symbol R_x with release R x"});
    EXPECT_EQ(Results(), "") << "no rcs was run";
    EXPECT_EQ(releases().children.size(), 1u);
    EXPECT_TRUE(HasSymbol("a.c", "R_x: 1.1"));
    EXPECT_NE(FreezeProject(*doc, "R x"), nullptr) << "the release of that name may be frozen again";
    EXPECT_TRUE(HasSymbol("a.c", "R_x: 1.2"));
}

TEST_F(FreezeTest, ARefreezeMovesTheSymbolsAndAFailedOneMovesThemBack)
{
    std::vector<RCSFileItem*> files;
    for (const char* name : {"a.c", "b.c", "c.c"})
        files.push_back(Add(name));
    RCSReleaseItem* first = FreezeProject(*doc, "R1");
    ASSERT_NE(first, nullptr);
    Add("a.c", "2\n");
    RCSReleaseItem* second = FreezeProject(*doc, "R1");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(releases().children.size(), 2u);
    EXPECT_EQ(second->FindFileEntry("a.c")->revisionRef, files[0]->FindRevision("1.2"));
    EXPECT_TRUE(HasSymbol("a.c", "R1: 1.2"));
    EXPECT_FALSE(HasSymbol("a.c", "R1: 1.1"));

    // d.c is new since R1, so a failure takes its symbol away again.
    files.push_back(Add("d.c"));
    for (const char* name : {"b.c", "c.c", "d.c"})
        Add(name, "2\n");
    WriteText("RCS/,b.c,", "");
    EXPECT_EQ(FreezeProject(*doc, "R1"), nullptr);
    fs::remove("RCS/,b.c,");
    EXPECT_EQ(releases().children.size(), 2u);
    EXPECT_TRUE(HasSymbol("a.c", "R1: 1.2"));
    for (const char* name : {"b.c", "c.c"})
        EXPECT_TRUE(HasSymbol(name, "R1: 1.1")) << name;
    EXPECT_FALSE(Has(Rlog("d.c"), "R1"));
}

// A few dozen files share one run each way; one busy file is named and
// nothing is left half done, when freezing or deleting the release.
TEST_F(FreezeTest, ManyFilesShareRunsAndOneBusyFileFailsTheWholeRelease)
{
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("f" + std::to_string(i) + ".c");
        Add(names.back());
    }
    doc->releaseNameFile = "release.h";
    doc->SetModifiedFlag(false);
    WriteText("RCS/,f17.c,", "");
    EXPECT_EQ(FreezeProject(*doc, "R1"), nullptr);
    EXPECT_TRUE(Has(Results(), "rcs -NR1:1.1 RCS/f17.c,v\r\nrcs: RCS file RCS/f17.c,v is in use"))
        << "run alone, so rcs names it: " << Results();
    EXPECT_TRUE(Has(Results(), "f17.c : cannot freeze as R1\r\n") && Has(Results(), "Release R1 was not frozen\r\n"))
        << Results();
    EXPECT_EQ(CommandProgress::instance().Get().summary, "29 frozen, 1 failed: f17.c");
    EXPECT_TRUE(releases().children.empty());
    EXPECT_FALSE(doc->IsModified() || fs::exists("release.h"));
    for (const std::string& name : names)
        EXPECT_FALSE(Has(Rlog(name), "R1")) << name;

    fs::remove("RCS/,f17.c,");
    RCSReleaseItem* release = FreezeProject(*doc, "R1");
    ASSERT_NE(release, nullptr) << Results();
    EXPECT_EQ(release->children.size(), 30u);
    for (const std::string& name : names)
        EXPECT_TRUE(HasSymbol(name, "R1: 1.1")) << name;

    // Deleting it with one busy file puts every symbol back.
    WriteText("RCS/,f3.c,", "");
    interaction.deleteAnswer = 3;
    doc->SetModifiedFlag(false);
    const std::string paths = RcsPaths(*release);
    CommandResults::instance().ClearResults();
    EXPECT_NE(DeleteItem(*doc, release), 0);
    fs::remove("RCS/,f3.c,");
    const std::string results = Results();
    EXPECT_TRUE(Has(results, "rcs -NR1" + paths + "\r\n")) << results;
    EXPECT_TRUE(Has(results, "rcs -NR1 RCS/f3.c,v\r\nrcs: RCS file RCS/f3.c,v is in use")) << results;
    EXPECT_TRUE(Has(results, "rcs -NR1:1.1 RCS/f0.c,v")) << results;
    EXPECT_EQ(releases().FindRelease("R1"), release);
    EXPECT_EQ(release->children.size(), 30u);
    EXPECT_FALSE(doc->IsModified());
    for (const std::string& name : names)
        EXPECT_TRUE(HasSymbol(name, "R1: 1.1")) << name;
}

} // namespace
} // namespace kestro
