#include "model/command_results.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct RevisionSearchTest : test::ProjectFixture {
    RevisionSearchTest() : file(test::AddFile(*doc->root, "a.c")) { CommandResults::instance().ClearResults(); }
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
    EXPECT_TRUE(deep->file == t.file && deep->message == "deep" && deep->date == 5);

    // Found again: nothing new, empty message and zero date leave the item alone.
    EXPECT_EQ(t.file->FindOrAddRevision("1.2.1.1.3.1", "", 0), deep);
    EXPECT_TRUE(deep->message == "deep" && deep->date == 5);
    EXPECT_EQ(t.file->children.size(), 1u);

    // A revision found below the wrong parent moves to the right one.
    std::unique_ptr<RCSItem> moved = t.Rev("1.2.1.1")->Detach();
    t.file->AddChild(std::move(moved));
    t.file->FindOrAddRevision("1.2.1.1", "", 0);
    EXPECT_EQ(t.Rev("1.2.1.1")->parent, t.Rev("1.2"));

    EXPECT_EQ(t.file->FindOrAddRevision("", "x", 1), nullptr);
}

// A check-in to the requested revision: whether it makes a new revision (1),
// lies below an existing one (0) or cannot be made (-1), the revision it
// resolves to and its neighbours ("-": none; empty or 9: not checked).
TEST(RevisionSearch, ResolveCheckinRevision)
{
    struct Case {
        std::vector<const char*> revisions;  // 1.7, when present, is the tip
        std::string request;
        int result;
        std::string resolved, lower, higher;
    };
    const std::vector<const char*> trunk = {"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7"};
    const std::vector<const char*> branches = {"1.1", "1.2", "1.3", "1.2.1.1", "1.2.1.2", "1.2.2.1", "1.2.11.1"};
    const Case cases[] = {
        {{}, "", 1, "1.1", "", ""},  // no tip yet
        {{}, "2", 1, "2.1", "-", ""},
        {trunk, "", 9, "1.7", "1.7", ""},
        {trunk, "2", 1, "1.8", "1.7", ""},  // the successor of the highest trunk revision
        {trunk, "1.4", 0, "1.4", "", "1.7"},
        {trunk, "1.9", 1, "1.9", "1.7", ""},
        {trunk, "1.10", 9, "", "1.7", ""},  // above 1.9, not between 1.1 and 1.2
        {{"1.1", "1.2", "1.3"}, "1.2.1", 1, "1.2.1.1", "1.2", ""},  // a new branch starts at its branch point
        {branches, "1.2.1", 9, "1.2.1.3", "1.2.1.2", ""},
        {branches, "1.2.1.2", 1, "", "1.2.1.2", ""},  // the exact revision exists
        {branches, "1.2.1.1", 0, "", "", "1.2.1.2"},
        {branches, "3.1.1", -1, "3.1.1", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.revisions.size()) + " revisions, request " + c.request);
        RevisionSearchTest t;
        for (const char* number : c.revisions)
            t.Add({number});
        if (t.Rev("1.7"))
            t.Rev("1.7")->SetStatusCode(Tip);
        const auto r = t.Resolve(c.request);
        EXPECT_TRUE(c.result == 9 || r.result == c.result) << r.result;
        EXPECT_TRUE(c.resolved.empty() || r.requested == c.resolved) << r.requested;
        EXPECT_TRUE(c.lower.empty() || r.lower == c.lower) << r.lower;
        EXPECT_TRUE(c.higher.empty() || r.higher == c.higher) << r.higher;
        EXPECT_TRUE(c.result != -1 || CommandResults::instance().Text() == "Revision 3.1 does not exist\r\n")
            << CommandResults::instance().Text();
    }
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

} // namespace
} // namespace kestro
