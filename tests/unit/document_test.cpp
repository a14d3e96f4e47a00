#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestro {
namespace {

using test::ProjectFixture;

// A save elsewhere moves a working directory that was the project directory
// and keeps one that was chosen; a directory that does not exist is refused.
TEST(Document, WorkingDirectoryFollowsASaveUnlessChosen)
{
    ProjectFixture project;
    CKestroDoc& doc = *project.doc;
    for (const char* directory : {"elsewhere", "work", "other"})
        std::filesystem::create_directory(directory);
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument("elsewhere/Parser.rcs", error)) << error;
    const std::string elsewhere = project.scratch.path() + "elsewhere/";
    EXPECT_TRUE(doc.GetWorkingDirectory() == elsewhere && doc.GetProjectDirectory() == elsewhere);
    EXPECT_EQ(doc.root->name, "Parser");
    EXPECT_EQ(std::filesystem::current_path().string() + "/", elsewhere)
        << "the project directory becomes the current directory";

    EXPECT_FALSE(doc.SetWorkingDirectory("no/such/dir", true));
    EXPECT_EQ(doc.GetWorkingDirectory(), elsewhere);
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(doc.SetWorkingDirectory(project.scratch.path() + "work/", true));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.OnSaveDocument(project.scratch.path() + "other/P.rcs", error)) << error;
    EXPECT_EQ(doc.GetWorkingDirectory(), project.scratch.path() + "work/");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.SetWorkingDirectory("", false));
    EXPECT_EQ(doc.GetWorkingDirectory(), project.scratch.path() + "other/") << "none given: the project's own";
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

TEST(Document, AnUnchangedProjectFileIsLeftAloneButNeverLost)
{
    ProjectFixture project;
    CKestroDoc& doc = *project.doc;
    const std::string path = project.scratch.path() + "P.rcs";
    std::string error;
    const auto saveLeavesFile = [&] {
        const std::uint64_t before = StampOfFile(path).inode;
        EXPECT_TRUE(doc.OnSaveDocument(path, error)) << error;
        return before != 0 && StampOfFile(path).inode == before;
    };
    EXPECT_FALSE(saveLeavesFile());
    const std::string saved = test::ReadFile(path);
    EXPECT_TRUE(saveLeavesFile()) << "nothing changed";
    std::filesystem::remove(path);
    EXPECT_FALSE(saveLeavesFile());
    EXPECT_EQ(test::ReadFile(path), saved) << "gone since: written again, whole";
    doc.fileTypes = "*.c";
    EXPECT_FALSE(saveLeavesFile()) << "changed";
    ASSERT_TRUE(doc.OnOpenDocument(path, error)) << error;
    EXPECT_TRUE(saveLeavesFile()) << "read back unchanged";
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
