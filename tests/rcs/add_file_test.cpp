#include "app/text_tree_view.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "support/rcs_history.h"
#include "support/recording_interaction.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

TEST(AddFile, WorkingFileAndRcsFileNameTheSameItem)
{
    test::ProjectFixture project;
    test::RecordingInteraction interaction;
    test::CheckIn("src/main.c", "text\n", "first");

    RCSFileItem* added = project.doc->AddFile("src/main.c");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->name, "src\\main.c");
    EXPECT_EQ(added->children.size(), 1u);
    EXPECT_TRUE(project.doc->IsModified());

    // Naming the RCS file inside the RCS directory finds the same item and
    // only synchronises it.
    EXPECT_EQ(project.doc->AddFile(project.scratch.path() + "src/RCS/main.c,v"), added);
    EXPECT_EQ(project.doc->root->children.size(), 1u);
    EXPECT_TRUE(interaction.messages.empty());
}

TEST(AddFile, RcsFileWithoutWorkingFileIsOnlyInRcs)
{
    test::ProjectFixture project;
    test::CheckIn("lib/util.c", "text\n", "first");
    std::filesystem::remove("lib/util.c");
    RCSFileItem* added = project.doc->AddFile("lib/RCS/util.c,v");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->name, "lib\\util.c");
    EXPECT_EQ(added->StatusCode(), OnlyInRcs);
    EXPECT_EQ(added->GetDisplayText(), "lib\\util.c Only in RCS");
}

TEST(AddFile, FilesOutsideTheProjectAreRefused)
{
    test::ProjectFixture project;
    test::RecordingInteraction interaction;
    std::filesystem::create_directories("project");
    std::string error;
    ASSERT_TRUE(project.doc->OnSaveDocument("project/P.rcs", error)) << error;
    test::WriteText(project.scratch.path() + "outside.c", "x");
    EXPECT_EQ(project.doc->AddFile(project.scratch.path() + "outside.c"), nullptr);
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(interaction.messages[0], "Cannot add file " + project.scratch.path() + "outside.c"
                                           + " \r\nas it is not in a subdirectory of " + project.scratch.path()
                                           + "project/");
    EXPECT_TRUE(project.doc->root->children.empty());
    EXPECT_EQ(project.doc->AddFile("no-such-file.c"), nullptr);
    EXPECT_EQ(project.doc->AddFile(project.scratch.path() + "project"), nullptr) << "directories are not added";
}

TEST(AddFile, NewFileIsShownInTheTree)
{
    test::ProjectFixture project;
    TextTreeView view;
    SetItemView(&view);
    project.doc->InsertTreesIntoView();
    test::WriteText("notes.txt", "x");
    ASSERT_NE(project.doc->AddFile("notes.txt"), nullptr);
    EXPECT_EQ(view.Render(true), "[12] Releases\n[0] Untitled\n  [1] notes.txt New file\n");
}

} // namespace
} // namespace kestro
