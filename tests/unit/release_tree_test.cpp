#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct ReleaseTreeTest : test::ProjectFixture {
    ReleaseTreeTest()
    {
        RCSOptions::instance().timeFormat = "%Y-%m-%d";
        RCSFileItem* a = test::AddFile(*doc->root, "src\\a.c");
        RCSFileItem* b = test::AddFile(*doc->root, "b.c");
        a12 = test::AddRevision(*a, *a, "1.2", 1000);
        a13 = test::AddRevision(*a, *a, "1.3", 5000);
        b11 = test::AddRevision(*b, *b, "1.1", 2000);
    }
    RCSReleaseRoot& releases() { return *doc->releaseRoot; }

    RCSVersionItem* a12;
    RCSVersionItem* a13;
    RCSVersionItem* b11;
};

TEST(ReleaseTree, AReleaseIsReusedAndRaisesItsDateAndKeepsOneEntryPerFile)
{
    ReleaseTreeTest t;
    RCSReleaseItem* r1 = t.releases().FindOrCreateRelease("Beta 2", t.a12);
    EXPECT_EQ(r1->releaseDate, 1000);
    EXPECT_EQ(t.releases().FindOrCreateRelease("beta 2", t.b11), r1);
    EXPECT_EQ(r1->releaseDate, 2000);
    EXPECT_EQ(t.releases().FindOrCreateRelease("BETA 2", t.a12), r1);
    EXPECT_EQ(r1->releaseDate, 2000) << "an earlier revision does not lower the date";
    EXPECT_EQ(t.releases().children.size(), 1u);
    EXPECT_EQ(t.releases().FindRelease("nothing"), nullptr);
    EXPECT_EQ(r1->GetDisplayText(), "Beta 2 1970-01-01");
    EXPECT_EQ(r1->GetDescription(), "Release Beta 2");

    // A release keeps one entry per file.
    RCSReleaseItem* release = t.releases().FindOrCreateRelease("R1", t.a12);
    RCSReleaseVersionItem* first = release->AddRevision(t.a12);
    release->AddRevision(t.b11);
    EXPECT_EQ(release->children.size(), 2u);
    EXPECT_EQ(release->AddRevision(t.a13), first);
    EXPECT_EQ(release->children.size(), 2u);
    EXPECT_EQ(first->revisionRef, t.a13);
    EXPECT_EQ(first->name, "1.2") << "the entry keeps the number it was made with";
    EXPECT_EQ(release->releaseDate, 5000);
    // The first few lookups walk the entries, later ones use an index; both ignore case.
    for (int lookup = 0; lookup < 6; ++lookup)
        EXPECT_EQ(release->FindFileEntry("SRC\\A.C"), first) << "lookup " << lookup;
    EXPECT_EQ(release->FindFileEntry("c.c"), nullptr);
    EXPECT_EQ(first->GetDescription(), "Release R1 src\\a.c Version 1.3");
    EXPECT_EQ(first->GetDisplayText(), "src\\a.c 1.3 1970-01-01 ");

    RCSReleaseVersionItem without;  // an entry without a revision
    without.name = "1.4";
    EXPECT_TRUE(without.GetDisplayText().empty() && without.GetDescription() == "1.4" && !without.IsLocked());
    EXPECT_TRUE(without.SortCompare(first) == 1 && first->SortCompare(&without) == 1);
}

TEST(ReleaseTree, EntriesAreShownByFileAndReleasesInTheOrderMade)
{
    ReleaseTreeTest t;
    TextTreeView view;
    SetItemView(&view);
    t.doc->InsertTreesIntoView();
    RCSReleaseItem* second = t.releases().FindOrCreateRelease("Zeta", t.a12);
    t.releases().FindOrCreateRelease("Alpha", t.a12);
    second->AddRevision(t.a12);
    second->AddRevision(t.b11);
    const std::string shown = view.Render(true);
    EXPECT_EQ(shown.substr(0, shown.find("Untitled")),
              "[12] Releases\n  [11] Zeta 1970-01-01\n    [6] b.c 1.1 1970-01-01 \n"
              "    [6] src\\a.c 1.2 1970-01-01 \n  [11] Alpha 1970-01-01\n[0] ");
}

} // namespace
} // namespace kestro
