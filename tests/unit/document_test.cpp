#include "model/file_item.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/site_list.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestro {
namespace {

using test::ProjectFixture;

TEST(Document, NewProjectTakesTheDefaults)
{
    ProjectFixture project;
    RCSOptions& options = RCSOptions::instance();
    CKestroDoc& doc = *project.doc;
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_EQ(doc.root->name, "Untitled");
    EXPECT_EQ(doc.releaseRoot->name, "Releases");
    EXPECT_EQ(doc.releaseRoot->StatusCode(), ReleaseRoot);
    EXPECT_EQ(doc.GetProjectDirectory(), project.scratch.path());
    EXPECT_EQ(doc.GetWorkingDirectory(), project.scratch.path());
    EXPECT_EQ(doc.fileTypes, options.defaultFileTypes);
    EXPECT_EQ(doc.releaseNameFile, options.defaultReleaseNameFile);
    EXPECT_EQ(doc.releaseNameTemplate, "#define RELEASE \"%s\"\r\n");
    EXPECT_FALSE(doc.IsModified());
}

TEST(Document, SavingMovesAWorkingDirectoryThatWasTheProjectDirectory)
{
    ProjectFixture project;
    std::filesystem::create_directories("elsewhere");
    std::string error;
    ASSERT_TRUE(project.doc->OnSaveDocument("elsewhere/Parser.rcs", error)) << error;
    const std::string elsewhere = project.scratch.path() + "elsewhere/";
    EXPECT_EQ(project.doc->GetWorkingDirectory(), elsewhere);
    EXPECT_EQ(project.doc->GetProjectDirectory(), elsewhere);
    EXPECT_EQ(project.doc->root->name, "Parser");
    EXPECT_EQ(std::filesystem::current_path().string() + "/", elsewhere)
        << "the project directory becomes the current directory";
}

TEST(Document, ChangedWorkingDirectoryStaysWhenSavedElsewhere)
{
    ProjectFixture project;
    std::filesystem::create_directories("work");
    std::filesystem::create_directories("other");
    ASSERT_TRUE(project.doc->SetWorkingDirectory("work/", true));
    EXPECT_TRUE(project.doc->IsModified());
    std::string error;
    ASSERT_TRUE(project.doc->OnSaveDocument(project.scratch.path() + "other/P.rcs", error)) << error;
    EXPECT_EQ(project.doc->GetWorkingDirectory(), project.scratch.path() + "work/");
    EXPECT_FALSE(project.doc->IsModified());
}

TEST(Document, WorkingDirectoryMustExist)
{
    ProjectFixture project;
    const std::string before = project.doc->GetWorkingDirectory();
    EXPECT_FALSE(project.doc->SetWorkingDirectory("no/such/dir", true));
    EXPECT_EQ(project.doc->GetWorkingDirectory(), before);
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_TRUE(project.doc->SetWorkingDirectory("", false));
    EXPECT_EQ(project.doc->GetWorkingDirectory(), project.scratch.path());
}

TEST(Document, SavedProjectOpensWithTheSameContents)
{
    ProjectFixture project;
    CKestroDoc& doc = *project.doc;
    Site* paris = doc.siteList->Add("Paris", "paris@example.org");
    auto file = std::make_unique<RCSFileItem>("src\\a.c", doc.root.get());
    RCSFileItem* fileItem = file.get();
    file->workingRevision = "1.2";
    file->recordedTime = 123456;
    auto revision = std::make_unique<RCSVersionItem>();
    revision->name = "1.2";
    revision->file = fileItem;
    revision->owningSite = paris;
    revision->locker = "fred";
    revision->message = "first line";
    revision->date = 777;
    RCSVersionItem* revisionItem = revision.get();
    file->AddChild(std::move(revision));
    doc.root->AddChild(std::move(file));
    doc.releaseRoot->FindOrCreateRelease("R1", revisionItem)->AddRevision(revisionItem);
    doc.fileTypes = "All (*.*)|*.*";
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument("P.rcs", error)) << error;
    const std::string saved = test::ReadFile("P.rcs");

    CKestroDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument("P.rcs", error)) << error;
    ASSERT_EQ(reopened.root->children.size(), 1u);
    auto* file2 = dynamic_cast<RCSFileItem*>(reopened.root->children[0].get());
    ASSERT_NE(file2, nullptr);
    EXPECT_EQ(file2->name, "src\\a.c");
    EXPECT_EQ(file2->recordedTime, 123456);
    auto* revision2 = dynamic_cast<RCSVersionItem*>(file2->children.at(0).get());
    ASSERT_NE(revision2, nullptr);
    EXPECT_EQ(revision2->file, file2);
    EXPECT_EQ(revision2->owningSite, reopened.siteList->Find("Paris"));
    EXPECT_EQ(revision2->locker, "fred");
    EXPECT_EQ(revision2->date, 777);
    EXPECT_EQ(reopened.fileTypes, "All (*.*)|*.*");
    EXPECT_FALSE(reopened.IsModified());
    ASSERT_TRUE(reopened.OnSaveDocument("Q.rcs", error)) << error;
    const std::string again = test::ReadFile("Q.rcs");
    // Only the root's name (the title) differs.
    std::string expected = saved;
    expected.replace(expected.find("\x01P"), 2, std::string("\x01Q"));
    EXPECT_EQ(again, expected);
}

TEST(Document, OpeningLooksAtTheFilesOnlyWhenAsked)
{
    ProjectFixture project;
    CKestroDoc& doc = *project.doc;
    std::ofstream("a.c") << "a\n";
    RCSFileItem* file = doc.AddFile("a.c");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->StatusCode(), NewFile);
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument("P.rcs", error)) << error;
    std::filesystem::remove("a.c");

    CKestroDoc asSaved;
    asSaved.statusOnOpen = false;
    ASSERT_TRUE(asSaved.OnOpenDocument("P.rcs", error)) << error;
    RCSFileItem* unseen = asSaved.root->FindFile("a.c");
    ASSERT_NE(unseen, nullptr);
    EXPECT_EQ(unseen->StatusCode(), NewFile) << "the status it was saved with";
    unseen->UpdateStatus();
    EXPECT_EQ(unseen->StatusCode(), MissingFile);

    CKestroDoc looked;
    ASSERT_TRUE(looked.OnOpenDocument("P.rcs", error)) << error;
    EXPECT_EQ(looked.root->FindFile("a.c")->StatusCode(), MissingFile);
}

TEST(Document, ADocumentWithoutAFileTreeIsNeverSaved)
{
    test::ScratchDirectory scratch;
    test::ResetOptions();
    CKestroDoc doc;
    std::string error;
    EXPECT_FALSE(doc.OnSaveDocument("Empty.rcs", error));
    EXPECT_NE(error.find("Empty.rcs"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("Empty.rcs"));
}

TEST(Document, ReleaseNameFileFillsTheTemplate)
{
    ProjectFixture project;
    CKestroDoc& doc = *project.doc;
    doc.releaseNameFile = "release.h";
    doc.WriteReleaseNameFile("Beta 2");
    EXPECT_EQ(test::ReadFile("release.h"), "#define RELEASE \"Beta 2\"\r\n");

    doc.releaseNameTemplate = "%s is number %d at 100%%, %%d stays";
    doc.WriteReleaseNameFile("R12b3");
    EXPECT_EQ(test::ReadFile("release.h"), "R12b3 is number 12 at 100%, %d stays");
    doc.WriteReleaseNameFile("Alpha");
    EXPECT_EQ(test::ReadFile("release.h"), "Alpha is number %d at 100%, %d stays");

    doc.releaseNameTemplate.clear();
    doc.WriteReleaseNameFile("Gamma");
    EXPECT_EQ(test::ReadFile("release.h"), "Alpha is number %d at 100%, %d stays") << "an empty template writes nothing";
}

} // namespace
} // namespace kestro
