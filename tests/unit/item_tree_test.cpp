#include "model/tree_traverser.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestro {
namespace {

using test::AddFile;
using test::ProjectFixture;

// The texts of a node's children, in the order the view shows them.
std::vector<std::string> ChildTexts(const TextTreeView& view, const RCSItem& item)
{
    std::vector<std::string> texts;
    for (NodeId id : view.node(item.treeItem)->children)
        texts.push_back(view.node(id)->text);
    return texts;
}

class Collector : public TreeTraverser {
public:
    Collector(std::int16_t startDepth, std::uint16_t walkFlags) : TreeTraverser(startDepth, walkFlags) {}
    int Visit() override
    {
        visited.push_back(current->name);
        if (!keepOnly.empty() && current->name != keepOnly)
            current->Detach();
        return current->name == stopAt ? 1 : 0;
    }
    std::vector<std::string> visited;
    std::string stopAt;
    std::string keepOnly;  // when set, every other item visited is detached
};

struct ItemTreeTest : ProjectFixture {
    ItemTreeTest()
    {
        RCSOptions::instance().timeFormat = "%Y-%m-%d";
        SetItemView(&view);
        doc->InsertTreesIntoView();
    }
    TextTreeView view;
};

// Siblings are sorted ignoring case, equal ones in the order added;
// revisions follow the revision order option.
TEST(ItemTree, TheViewSortsSiblingsAndRevisions)
{
    for (const bool highestFirst : {true, false}) {
        ItemTreeTest t;
        RCSOptions::instance().sortHighestFirst = highestFirst;
        RCSRoot& root = *t.doc->root;
        for (const char* name : {"b.c", "A.c", "src\\main.c", "a.C", "c.c", "Z.c"})
            AddFile(root, name);
        EXPECT_EQ(ChildTexts(t.view, root),
                  (std::vector<std::string>{"A.c Missing file", "a.C Missing file", "b.c Missing file",
                                            "c.c Missing file", "src\\main.c Missing file", "Z.c Missing file"}));
        EXPECT_EQ(root.children.front()->name, "b.c") << "the children keep the order of adding";
        RCSFileItem* file = root.FindFile("b.c");
        for (const char* number : {"1.2", "1.10", "1.1", "1.9"})
            test::AddRevision(*file, *file, number);
        std::vector<std::string> expected{"1.1 1970-01-01 ", "1.2 1970-01-01 ", "1.9 1970-01-01 ",
                                          "1.10 1970-01-01 "};
        if (highestFirst)
            std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(ChildTexts(t.view, *file), expected);
    }
}

TEST(ItemTree, TextsShowStatusLockerAndForeignOwners)
{
    ItemTreeTest t;
    RCSOptions::instance().timeFormat = "%d %b %y %H:%M:%S";
    SiteList& sites = *t.doc->siteList;
    Site* paris = sites.Add("Paris", "");
    Site* rome = sites.Add("Rome", "");
    sites.SetMaster(rome);
    RCSFileItem* file = AddFile(*t.doc->root, "a.c");
    RCSVersionItem* revision = test::AddRevision(*file, *file, "1.3");
    revision->date = 887274000;  // 12 Feb 98 09:00:00 UTC
    revision->message = "Fixed the parser.";
    EXPECT_EQ(revision->GetDisplayText(), "1.3 12 Feb 98 09:00:00 Fixed the parser.");
    revision->locker = "fred";
    revision->owningSite = paris;
    EXPECT_EQ(revision->GetDisplayText(), "1.3 (fred) [Paris] 12 Feb 98 09:00:00 Fixed the parser.");
    revision->owningSite = rome;
    EXPECT_EQ(revision->GetDisplayText(), "1.3 (fred) {Rome} 12 Feb 98 09:00:00 Fixed the parser.");
    EXPECT_EQ(revision->GetDescription(), "a.c Version 1.3");

    RCSFileItem mainC("src\\main.c", nullptr);
    mainC.workingRevision = "1.4";
    mainC.workingTime = 889006500;  // 04 Mar 98 10:15:00 UTC
    const std::vector<std::pair<std::uint32_t, std::string>> cases{
        {NewFile, "src\\main.c New file"}, {MissingFile, "src\\main.c Missing file"},
        {OnlyInRcs, "src\\main.c Only in RCS Version 1.4 on 04 Mar 98 10:15:00"},
        {Modified, "src\\main.c Modified Version 1.4 on 04 Mar 98 10:15:00"},
        {CheckedIn, "src\\main.c Checked in Version 1.4 on 04 Mar 98 10:15:00"},
        {Tip, "src\\main.c Version 1.4 on 04 Mar 98 10:15:00"},
    };
    for (const auto& [code, text] : cases) {
        mainC.SetStatusCode(code);
        EXPECT_EQ(mainC.GetDisplayText(), text);
    }
    mainC.SetStatusCode(CheckedIn);
    mainC.workingRevision.clear();
    mainC.workingTime = 0;
    EXPECT_EQ(mainC.GetDisplayText(), "src\\main.c Checked in");
    EXPECT_EQ(mainC.GetDescription(), "File src\\main.c");
}

TEST(ItemTree, AddChildDetachAndRefreshKeepTheViewInStep)
{
    ItemTreeTest t;
    RCSFileItem* file = AddFile(*t.doc->root, "a.c");
    RCSVersionItem* revision = test::AddRevision(*file, *file, "1.1");
    test::AddRevision(*revision, *file, "1.1.1.1");
    ASSERT_NE(revision->treeItem, 0u);
    EXPECT_EQ(t.view.itemOf(revision->treeItem), revision);

    revision->SetMessage("first");
    EXPECT_EQ(t.view.node(revision->treeItem)->text, "1.1 1970-01-01 first");
    // Clearing the covered flag clears it below the item only.
    file->SetCovered(true);
    revision->SetCovered(true);
    file->ClearCovered();
    EXPECT_TRUE(file->IsCovered() && !revision->IsCovered() && revision->StatusCode() == Revision);

    std::unique_ptr<RCSItem> detached = revision->Detach();
    ASSERT_EQ(detached.get(), revision);
    EXPECT_EQ(revision->parent, nullptr);
    EXPECT_TRUE(file->children.empty());
    EXPECT_TRUE(t.view.node(file->treeItem)->children.empty());
    // A child of an unshown parent is not shown at the top level.
    RCSFileItem orphan("loose.c", nullptr);
    test::AddRevision(orphan, orphan, "1.1");
    EXPECT_EQ(t.view.Render(false), "Releases\nUntitled\n  a.c Missing file\n");
}

TEST(ItemTree, TraverseHonoursDepthAndFlags)
{
    ProjectFixture project;
    RCSRoot& root = *project.doc->root;
    root.name = "root";
    RCSFileItem* a = AddFile(root, "a");
    RCSVersionItem* a11 = test::AddRevision(*a, *a, "1.1");
    test::AddRevision(*a11, *a, "1.1.1.1");
    test::AddRevision(*a, *a, "1.2");
    AddFile(root, "b");

    const auto walk = [&](std::int16_t depth, std::uint16_t flags) {
        Collector collector(depth, flags);
        collector.Traverse(&root);
        return collector.visited;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(walk(1, 0), (V{"a", "b"}));
    EXPECT_EQ(walk(1, TreeTraverser::Unlimited), (V{"a", "1.1", "1.1.1.1", "1.2", "b"}));
    EXPECT_EQ(walk(2, TreeTraverser::Unlimited), (V{"1.1", "1.1.1.1", "1.2"}));
    EXPECT_EQ(walk(0, 0), (V{"root"}));
    EXPECT_EQ(walk(1, TreeTraverser::VisitAllLevels), (V{"root", "a", "b"}));
    EXPECT_EQ(walk(-1, TreeTraverser::PostOrder), (V{"1.1.1.1", "1.1", "1.2", "a", "b", "root"}));
    EXPECT_EQ(walk(1, TreeTraverser::Unlimited | TreeTraverser::PostOrder),
              (V{"1.1.1.1", "1.1", "1.2", "a", "b"}));

    Collector stopper(1, TreeTraverser::Unlimited);
    stopper.stopAt = "1.1.1.1";
    EXPECT_EQ(stopper.Traverse(&root), 1);
    EXPECT_EQ(stopper.current->name, "1.1.1.1");
    EXPECT_EQ(stopper.visited, (V{"a", "1.1", "1.1.1.1"}));
}

TEST(ItemTree, PostOrderVisitMayRemoveTheVisitedItem)
{
    ProjectFixture project;
    RCSFileItem* file = AddFile(*project.doc->root, "a");
    for (const char* number : {"1.1", "1.2", "1.3", "1.4"})
        test::AddRevision(*file, *file, number);
    Collector remover(1, TreeTraverser::Unlimited | TreeTraverser::PostOrder);
    remover.keepOnly = "1.3";
    remover.Traverse(file);
    EXPECT_EQ(remover.visited, (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4"}));
    ASSERT_EQ(file->children.size(), 1u);
    EXPECT_EQ(file->children.front()->name, "1.3");
}

TEST(ItemTree, FileIndexFollowsAddRemoveAndRename)
{
    ProjectFixture project;
    RCSRoot& root = *project.doc->root;
    RCSFileItem* first = AddFile(root, "a.c");
    test::AddRevision(*first, *first, "1.1");
    EXPECT_EQ(root.FindFile("1.1"), nullptr) << "only files are indexed";
    EXPECT_NE(NameSearch("1.1", TreeTraverser::Unlimited).Find(&root), nullptr) << "a name search finds revisions";
    EXPECT_EQ(root.FindFile("A.C"), first) << "builds the index";
    RCSFileItem* twin = AddFile(root, "A.c");
    RCSFileItem* other = AddFile(root, "b.c");
    EXPECT_EQ(root.FindFile("a.c"), first) << "the first of two names that fold alike wins";
    EXPECT_EQ(root.FindFile("B.c"), other) << "an addition joins the built index";

    std::unique_ptr<RCSItem> removed = first->Detach();
    EXPECT_EQ(root.FindFile("a.c"), twin);
    removed = other->Detach();
    EXPECT_EQ(root.FindFile("b.c"), nullptr);

    twin->SetName("c.c");
    EXPECT_EQ(root.FindFile("a.c"), nullptr);
    EXPECT_EQ(root.FindFile("C.C"), twin);
}

} // namespace
} // namespace kestro
