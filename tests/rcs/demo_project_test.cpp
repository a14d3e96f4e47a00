#include "app/demo_project.h"
#include "app/text_tree_view.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "support/test_project.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

TEST(DemoProject, HoldsEveryKindOfHistory)
{
    test::ScratchDirectory scratch;
    test::ResetOptions();
    RCSOptions::instance().timeFormat = "%Y-%m-%d";
    TextTreeView view;
    SetItemView(&view);
    CKestroDoc doc;
    std::string path;
    std::string error;
    ASSERT_TRUE(BuildDemoProject(doc, scratch.path() + "demo", path, error)) << error;
    EXPECT_EQ(path, scratch.path() + "demo/Demo.rcs");
    doc.InsertTreesIntoView();
    const std::string tree = view.Render(true);
    SetItemView(nullptr);

    EXPECT_NE(tree.find("[11] Release 1 "), std::string::npos) << tree;
    EXPECT_NE(tree.find("[11] Beta 2 "), std::string::npos) << tree;
    EXPECT_NE(tree.find("[0] Demo\n"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[4] doc\\readme.txt Modified Version 1.2"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[1] src\\lexer.c New file"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[5] src\\main.c Checked in Version 1.3"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[9] 1.3 (" + test::LoginName() + ") 2026-02-02 Report errors"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[10] 1.2.1.1 2026-01-20 Patch for the Paris site"), std::string::npos) << tree;
    EXPECT_NE(tree.find("[8] 1.2.1.1.1.1 2026-01-27 Experimental error recovery"), std::string::npos) << tree;

    CKestroDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.root->children.size(), 4u);
}

TEST(DemoProject, CommandLineBuildsAndShowsIt)
{
    test::ScratchDirectory scratch;
    QProcess demo;
    demo.start(KESTRO_CLI, {"demo", QString::fromStdString(scratch.path() + "d")});
    ASSERT_TRUE(demo.waitForFinished(120000));
    ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
    const QString project = QString::fromUtf8(demo.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(std::filesystem::exists(project.toStdString()));

    QProcess again;
    again.start(KESTRO_CLI, {"demo", QString::fromStdString(scratch.path() + "d")});
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_EQ(again.exitCode(), 1) << "a directory that is not empty is refused";

    QProcess show;
    show.start(KESTRO_CLI, {"show", project, "--codes"});
    ASSERT_TRUE(show.waitForFinished(60000));
    EXPECT_EQ(show.exitCode(), 0);
    EXPECT_TRUE(show.readAllStandardOutput().startsWith("[12] Releases\n"));
}

} // namespace
} // namespace kestro
