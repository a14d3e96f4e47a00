#include "model/command_results.h"
#include "model/file_item.h"
#include "model/root_item.h"
#include "model/version_item.h"
#include "model/release_item.h"
#include "model/release_root.h"
#include "model/site_list.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct RevisionSearchTest : test::ProjectFixture {
    RevisionSearchTest()
    {
        auto created = std::make_unique<RCSFileItem>("a.c", doc->root.get());
        file = created.get();
        doc->root->AddChild(std::move(created));
        CommandResults::instance().ClearResults();
    }
    void Add(std::initializer_list<const char*> numbers)
    {
        for (const char* number : numbers)
            ASSERT_NE(file->FindOrAddRevision(number, "message", 1000), nullptr);
    }
    RCSVersionItem* Rev(const char* number) { return file->FindRevision(number); }

    struct Resolved {
        int result;
        std::string requested;
        std::string lower;
        std::string higher;
    };
    Resolved Resolve(const std::string& request)
    {
        Resolved r{0, request, {}, {}};
        RCSVersionItem* lower = nullptr;
        RCSVersionItem* higher = nullptr;
        r.result = file->ResolveCheckinRevision(r.requested, lower, higher);
        r.lower = lower ? lower->name : "-";
        r.higher = higher ? higher->name : "-";
        return r;
    }

    RCSFileItem* file;
};

TEST(RevisionSearch, FindOrAddRevisionPlacesBranchesBelowTheirBranchPoint)
{
    RevisionSearchTest t;
    RCSVersionItem* deep = t.file->FindOrAddRevision("1.2.1.1.3.1", "deep", 5);
    ASSERT_NE(deep, nullptr);
    RCSVersionItem* branchPoint = t.Rev("1.2.1.1");
    ASSERT_NE(branchPoint, nullptr);
    EXPECT_EQ(deep->parent, branchPoint);
    EXPECT_EQ(branchPoint->parent, t.Rev("1.2"));
    EXPECT_EQ(t.Rev("1.2")->parent, t.file);
    EXPECT_EQ(deep->file, t.file);
    EXPECT_EQ(deep->message, "deep");
    EXPECT_EQ(deep->date, 5);

    // Found again: nothing new, empty message and zero date leave the item alone.
    EXPECT_EQ(t.file->FindOrAddRevision("1.2.1.1.3.1", "", 0), deep);
    EXPECT_EQ(deep->message, "deep");
    EXPECT_EQ(deep->date, 5);
    EXPECT_EQ(t.file->children.size(), 1u);

    // A revision found below the wrong parent moves to the right one.
    std::unique_ptr<RCSItem> moved = t.Rev("1.2.1.1")->Detach();
    t.file->AddChild(std::move(moved));
    t.file->FindOrAddRevision("1.2.1.1", "", 0);
    EXPECT_EQ(t.Rev("1.2.1.1")->parent, t.Rev("1.2"));

    EXPECT_EQ(t.file->FindOrAddRevision("", "x", 1), nullptr);
}

TEST(RevisionSearch, ResolveCheckinRevisionOnTheTrunk)
{
    RevisionSearchTest t;
    auto r = t.Resolve("");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.requested, "1.1") << "no tip yet";

    t.Add({"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7"});
    t.Rev("1.7")->SetStatusCode(Tip);
    r = t.Resolve("");
    EXPECT_EQ(r.requested, "1.7");
    EXPECT_EQ(r.lower, "1.7");

    r = t.Resolve("2");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.requested, "1.8") << "the level names the successor of the highest trunk revision";
    EXPECT_EQ(r.lower, "1.7");

    r = t.Resolve("1.4");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.higher, "1.7");
    EXPECT_EQ(r.requested, "1.4");

    r = t.Resolve("1.9");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lower, "1.7");
    EXPECT_EQ(r.requested, "1.9");

    r = t.Resolve("1.10");
    EXPECT_EQ(r.lower, "1.7") << "1.10 lies above 1.9, not between 1.1 and 1.2";
}

TEST(RevisionSearch, ResolveCheckinRevisionWithoutTrunk)
{
    RevisionSearchTest t;
    auto r = t.Resolve("2");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.requested, "2.1");
    EXPECT_EQ(r.lower, "-");
}

TEST(RevisionSearch, ResolveCheckinRevisionOnBranches)
{
    RevisionSearchTest t;
    t.Add({"1.1", "1.2", "1.3"});
    auto r = t.Resolve("1.2.1");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.requested, "1.2.1.1");
    EXPECT_EQ(r.lower, "1.2") << "a new branch starts from its branch point";

    t.Add({"1.2.1.1", "1.2.1.2", "1.2.2.1", "1.2.11.1"});
    r = t.Resolve("1.2.1");
    EXPECT_EQ(r.requested, "1.2.1.3");
    EXPECT_EQ(r.lower, "1.2.1.2");

    r = t.Resolve("1.2.1.2");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lower, "1.2.1.2") << "the exact revision exists";

    r = t.Resolve("1.2.1.1");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.higher, "1.2.1.2");

    r = t.Resolve("3.1.1");
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.requested, "3.1.1");
    EXPECT_EQ(CommandResults::instance().Text(), "Revision 3.1 does not exist\r\n");
}

TEST(RevisionSearch, LocksOfTheCurrentUser)
{
    RevisionSearchTest t;
    t.Add({"1.1", "1.2", "1.3", "1.1.1.1"});
    RCSVersionItem* first = nullptr;
    EXPECT_EQ(t.file->FindLockedByUser(first), 0);
    EXPECT_EQ(first, nullptr);

    const auto lock = [&](const char* number, const char* user, std::uint32_t code) {
        t.Rev(number)->locker = user;
        t.Rev(number)->SetStatusCode(code);
    };
    lock("1.1", "jim", LockedRevision);
    lock("1.1.1.1", "FRED", LockedRevision);
    EXPECT_EQ(t.file->FindLockedByUser(first), 1) << "another user's lock does not count; case does not matter";
    EXPECT_EQ(first, t.Rev("1.1.1.1"));

    lock("1.3", "fred", LockedTip);
    lock("1.2", "fred", LockedRevision);
    EXPECT_EQ(t.file->FindLockedByUser(first), 3);
    EXPECT_EQ(first, t.Rev("1.3")) << "the locked tip wins";
    EXPECT_EQ(t.file->FindDefaultBranchTip(), t.Rev("1.3"));
}

TEST(RevisionSearch, NewBranchNameForASite)
{
    RevisionSearchTest t;
    SiteList& sites = *t.doc->siteList;
    Site* paris = sites.Add("Paris", "");
    Site* rome = sites.Add("Rome", "");
    Site* oslo = sites.Add("Oslo", "");
    t.Add({"1.3"});
    EXPECT_EQ(t.Rev("1.3")->NewBranchName(paris), "1.3.1");

    t.Add({"1.3.1.1", "1.3.2.1", "1.3.2.2"});
    t.Rev("1.3.1.1")->owningSite = rome;
    t.Rev("1.3.2.1")->owningSite = paris;
    t.Rev("1.3.2.2")->owningSite = paris;
    EXPECT_EQ(t.Rev("1.3")->NewBranchName(paris), "1.3.2") << "a site reuses its branch";
    EXPECT_EQ(t.Rev("1.3")->NewBranchName(oslo), "1.3.3");
}

TEST(RevisionSearch, FillComboListsRevisionsThenReleases)
{
    RevisionSearchTest t;
    t.Add({"1.1", "1.2", "1.1.1.1"});
    RCSReleaseItem* release = t.doc->releaseRoot->FindOrCreateRelease("Beta 2", t.Rev("1.2"));
    std::vector<ComboEntry> combo;
    EXPECT_EQ(t.file->FillCombo(combo), 4);
    ASSERT_EQ(combo.size(), 4u);
    EXPECT_EQ(combo[0].text, "1.1");
    EXPECT_EQ(combo[1].text, "1.1.1.1");
    EXPECT_EQ(combo[2].text, "1.2");
    EXPECT_EQ(combo[3].text, "Beta 2");
    EXPECT_EQ(combo[3].item, release);
}

} // namespace
} // namespace kestro
