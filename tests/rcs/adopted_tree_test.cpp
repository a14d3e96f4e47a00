// A tree that RCS alone kept, brought into a new project: files are
// recognised as checked in by their text, RCS files beside their working
// files are found, and the tree can be frozen at once.

#include "support/rcs_history.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr int Directories = 10;
constexpr int FilesPerDirectory = 30;

// d0 .. d9 with 30 files each, checked in with ci -l in one run per
// directory; d7 has no RCS directory, so its RCS files lie beside.
std::vector<std::string> BuildTree()
{
    std::vector<std::string> paths;
    for (int d = 0; d < Directories; ++d) {
        const std::string directory = "d" + std::to_string(d);
        fs::create_directories(directory);
        if (d != 7)
            fs::create_directories(directory + "/RCS");
        std::vector<std::string> ci{"ci", "-q", "-l", "-t-adopted", "-mfirst"};
        for (int f = 0; f < FilesPerDirectory; ++f) {
            const std::string path = directory + "/f" + std::to_string(f) + ".c";
            test::WriteText(path, "/* $Id$ */\nint f" + std::to_string(f) + ";\n");
            ci.push_back(path);
            paths.push_back(path);
        }
        std::string output;
        EXPECT_EQ(test::RunProgram(ci, &output), 0) << output;
    }
    return paths;
}

using AdoptedTree = test::RcsProjectTest;

TEST_F(AdoptedTree, FilesEqualToTheirRevisionAreCheckedInAndTheTreeFreezes)
{
    std::vector<std::string> paths = BuildTree();
    ASSERT_TRUE(fs::exists("d7/f3.c,v"));
    test::Rewrite("d2/f5.c", "/* edited */\n");
    // The RCS file beside its working file names that working file.
    paths[7 * FilesPerDirectory + 3] = "d7/f3.c,v";

    const std::vector<RCSFileItem*> added = doc->AddFiles(paths);
    ASSERT_EQ(added.size(), paths.size());
    ASSERT_EQ(doc->root->children.size(), paths.size());

    RCSFileItem* beside = doc->root->FindFile("d7\\f3.c");
    ASSERT_NE(beside, nullptr);
    EXPECT_EQ(beside->GetRcsPath(), "d7/f3.c,v");

    RCSFileItem* edited = doc->root->FindFile("d2\\f5.c");
    for (RCSFileItem* file : added) {
        EXPECT_EQ(file->StatusCode(), file == edited ? Modified : CheckedIn) << file->name;
        EXPECT_TRUE(file == edited || file->workingRevision == "1.1") << file->name;
    }

    // Every file that keeps the release from being made is named at once.
    test::WriteText("d9/new.c", "new\n");
    ASSERT_NE(doc->AddFile("d9/new.c"), nullptr);
    CommandResults::instance().ClearResults();
    EXPECT_EQ(FreezeProject(*doc, "R1"), nullptr);
    EXPECT_EQ(interaction.messages,
              std::vector<std::string>{"d2\\f5.c is not checked in\r\nd9\\new.c is not checked in"});

    RCSOptions::instance().checkin.logMessage = "edit";
    RCSOptions::instance().checkin.revision.clear();
    for (RCSFileItem* file : {edited, doc->root->FindFile("d9\\new.c")})
        ASSERT_EQ(file->Checkin(nullptr), 0) << test::Results();
    RCSReleaseItem* release = FreezeProject(*doc, "R1");
    ASSERT_NE(release, nullptr) << test::Results();
    EXPECT_EQ(release->children.size(), paths.size() + 1);
    EXPECT_TRUE(test::Has(test::Rlog("d7/f3.c,v"), "\tR1: 1.1\n"));

    // Check-out and check-in keep to the RCS file beside the working file,
    // which either of its names finds.
    EXPECT_EQ(doc->AddFile("d7/f3.c"), beside);
    RCSOptions::instance().checkout.lock = true;
    ASSERT_EQ(beside->Checkout(), 0) << test::Results();
    test::WriteText("d7/f3.c", "edited\n");
    ASSERT_EQ(beside->Checkin(nullptr), 0) << test::Results();
    EXPECT_EQ(beside->workingRevision, "1.2");
    EXPECT_FALSE(fs::exists("d7/RCS")) << "no second RCS file was made";
}

} // namespace
} // namespace kestro
