#include "app/demo_project.h"
#include "support/cli_runner.h"
#include "support/rcs_history.h"

namespace kestro {
namespace {

using DemoProject = test::RcsProjectTest;

TEST_F(DemoProject, HoldsEveryKindOfHistoryAndIsBuiltOnlyInAnEmptyDirectory)
{
    RCSOptions::instance().timeFormat = "%Y-%m-%d";
    std::string path;
    std::string error;
    ASSERT_TRUE(BuildDemoProject(*doc, scratch.path() + "demo", path, error)) << error;
    EXPECT_EQ(path, scratch.path() + "demo/Demo.rcs");
    doc->InsertTreesIntoView();
    const std::string tree = view.Render(true);

    const std::vector<std::string> lines = {
        "[11] Release 1 ", "[11] Beta 2 ", "[0] Demo\n", "[4] doc\\readme.txt Modified Version 1.2",
        "[1] src\\lexer.c New file", "[5] src\\main.c Checked in Version 1.3",
        "[9] 1.3 (" + test::LoginName() + ") 2026-02-02 Report errors", "[10] 1.2.1.1 2026-01-20 Patch for the Paris site",
        "[8] 1.2.1.1.1.1 2026-01-27 Experimental error recovery"};
    for (const std::string& line : lines)
        EXPECT_TRUE(test::Has(tree, line)) << line << "\n" << tree;

    CKestroDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.root->children.size(), 4u);

    // The command line builds it only in an empty directory.
    EXPECT_EQ(test::RunCli({"demo", "demo"}, scratch.path()).exitCode, 1);
    const test::CliResult demo = test::RunCli({"demo", "d"}, scratch.path());
    ASSERT_EQ(demo.exitCode, 0) << demo.err;
    EXPECT_EQ(demo.out, scratch.path() + "d/Demo.rcs\n");
    EXPECT_TRUE(test::RunCli({"show", "d/Demo.rcs", "--codes"}, scratch.path()).out.starts_with("[12] Releases\n"));
}

} // namespace
} // namespace kestro
