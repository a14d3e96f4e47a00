#include "exchange/dir_traverser.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kestro {
namespace {

namespace fs = std::filesystem;

// Notes every entry it visits, relative to the start, as "name" or "name/".
class Recorder : public DirTraverser {
public:
    Recorder(std::int16_t startDepth, std::uint16_t walkFlags, std::string start, std::string stopAt = {})
        : DirTraverser(startDepth, walkFlags), start_(std::move(start)), stopAt_(std::move(stopAt)) {}
    int Visit() override
    {
        const std::string relative = fullPath.size() > start_.size() ? fullPath.substr(start_.size() + 1) : ".";
        visited.push_back(relative + (isDirectory ? "/" : ""));
        return relative == stopAt_ ? 7 : 0;
    }
    std::vector<std::string> visited;

private:
    std::string start_;
    std::string stopAt_;
};

struct Tree {
    Tree()
    {
        scratch.write("t/a.c", "a");
        scratch.write("t/sub/b.c", "b");
        scratch.write("t/sub/deeper/c.c", "c");
        scratch.write("t/.hidden/d.c", "d");
    }
    test::ScratchDirectory scratch;
    std::string start = scratch.path() + "t";
};

TEST(DirTraverser, DepthAndFlagsChooseWhatIsVisitedAndWhen)
{
    Tree t;
    using V = std::vector<std::string>;
    Recorder children(1, 0, t.start);
    children.Traverse(t.start);
    EXPECT_EQ(children.visited, (V{"a.c", "sub/"}));

    Recorder preOrder(0, DirTraverser::Unlimited | DirTraverser::VisitAllLevels, t.start);
    preOrder.Traverse(t.start);
    EXPECT_EQ(preOrder.visited, (V{"./", "a.c", "sub/", "sub/b.c", "sub/deeper/", "sub/deeper/c.c"}));

    Recorder postOrder(1, DirTraverser::Unlimited | DirTraverser::PostOrder, t.start);
    postOrder.Traverse(t.start);
    EXPECT_EQ(postOrder.visited, (V{"a.c", "sub/b.c", "sub/deeper/c.c", "sub/deeper/", "sub/"}))
        << "contents before their directory, the start left out";

    Recorder stopped(1, DirTraverser::Unlimited, t.start, "sub/b.c");
    EXPECT_EQ(stopped.Traverse(t.start), 7);
    EXPECT_EQ(stopped.visited, (V{"a.c", "sub/", "sub/b.c"}));
}

struct SendDirectory : test::ProjectFixture {
    SendDirectory() : site(doc->siteList->Add("Paris", "p@example.org"))
    {
        directory = site->SendDirectory();
        scratch.write("outside.c", "keep me");
        scratch.write("elsewhere/x.c", "keep me too");
    }
    bool Exists(const std::string& path) const { return fs::exists(fs::symlink_status(path)); }
    Site* site;
    std::string directory;
};

TEST(ClearSendDirectory, DeletesEverythingBelowButDotEntriesAndNothingOutsideTheSitesArea)
{
    SendDirectory t;
    ASSERT_EQ(t.directory, t.scratch.path() + "RCSSites/Untitled/Paris/");
    t.scratch.write("RCSSites/Untitled/Paris/a.c", "a");
    t.scratch.write("RCSSites/Untitled/Paris/sub/b.c", "b");
    t.scratch.write("RCSSites/Untitled/Paris/.keep", "");
    t.scratch.write("RCSSites/Untitled/Paris/.git/config", "");
    // A link is removed as a link; what it points to is not touched.
    fs::create_directory_symlink(t.scratch.path() + "elsewhere", t.directory + "link");

    t.site->ClearSendDirectory();

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(t.directory))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".git", ".keep"}));
    EXPECT_TRUE(t.Exists(t.directory + ".git/config"));
    EXPECT_TRUE(t.Exists(t.scratch.path() + "elsewhere/x.c"));
    EXPECT_TRUE(t.Exists(t.scratch.path() + "outside.c"));

    // Nothing outside the sites area is deleted: not for a name no site can
    // be given, set behind the list's back,
    for (const std::string name : {"..", "../..", "../../.."}) {
        t.site->name = name;
        t.site->ClearSendDirectory();
    }
    EXPECT_TRUE(t.Exists(t.scratch.path() + "outside.c"));
    EXPECT_TRUE(t.Exists(t.scratch.path() + "elsewhere/x.c"));

    // nor where the send directory, or a directory above it, is a link out.
    t.site->name = "Paris";
    fs::remove_all(t.directory);
    fs::create_directories(t.scratch.path() + "RCSSites/Untitled");
    fs::create_directory_symlink(t.scratch.path() + "elsewhere", t.directory.substr(0, t.directory.size() - 1));
    t.site->ClearSendDirectory();
    EXPECT_TRUE(t.Exists(t.scratch.path() + "elsewhere/x.c"));

    fs::remove(t.scratch.path() + "RCSSites/Untitled/Paris");
    fs::remove(t.scratch.path() + "RCSSites/Untitled");
    t.scratch.write("away/Paris/y.c", "y");
    fs::create_directory_symlink(t.scratch.path() + "away", t.scratch.path() + "RCSSites/Untitled");
    t.site->ClearSendDirectory();
    EXPECT_TRUE(t.Exists(t.scratch.path() + "away/Paris/y.c"));
}

} // namespace
} // namespace kestro
