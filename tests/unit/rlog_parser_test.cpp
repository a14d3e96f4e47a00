#include "model/revision_numbers.h"
#include "model/string_helpers.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// rlog a.c from GNU RCS 5.10: trunk 1.1 to 1.4, branches 1.2.1 (two
// revisions, one locked by another user), 1.2.1.1.1 and 1.2.11 below 1.2,
// one log message over two lines, an empty one, and one that starts like
// rlog's branch list.
const std::string FullHistory = test::ReadFile(KESTRO_TEST_DATA "/rlog/full_history.txt");

// An excerpt of rlog output: header lines elided with "...", and the closing
// row of "=" cut short.
const std::string Excerpt = test::ReadFile(KESTRO_TEST_DATA "/rlog/excerpt.txt");

std::string Replaced(std::string text, const std::string& part, const std::string& replacement = "")
{
    ReplaceAll(text, part, replacement);
    return text;
}

// rcs -b changes nothing in rlog's output but the branch line.
std::string WithBranchLine(const std::string& text, const std::string& branch)
{
    return Replaced(text, "\nbranch:\n", "\nbranch: " + branch + "\n");
}

void Collect(RCSItem& item, std::map<std::string, RCSVersionItem*>& found)
{
    for (auto& child : item.children) {
        if (auto* revision = dynamic_cast<RCSVersionItem*>(child.get()))
            found[revision->name] = revision;
        Collect(*child, found);
    }
}

struct ParserTest : test::ProjectFixture {
    ParserTest() : file(test::AddFile(*doc->root, "a.c")) {}
    std::map<std::string, RCSVersionItem*> Revisions()
    {
        std::map<std::string, RCSVersionItem*> found;
        Collect(*file, found);
        return found;
    }
    std::vector<std::string> Tips()
    {
        std::vector<std::string> tips;
        for (const auto& [number, revision] : Revisions()) {
            if (revision->StatusCode() == Tip || revision->StatusCode() == LockedTip)
                tips.push_back(number);
        }
        return tips;
    }
    RCSVersionItem* Existing(const std::string& number, RCSItem* parentItem)
    {
        return test::AddRevision(*parentItem, *file, number, 1234, "old");
    }
    // "release: revision" for every release entry.
    std::vector<std::string> ReleaseEntries()
    {
        std::vector<std::string> entries;
        for (auto& release : doc->releaseRoot->children) {
            for (auto& child : release->children) {
                auto* entry = static_cast<RCSReleaseVersionItem*>(child.get());
                entries.push_back(release->name + ": " + entry->revisionRef->name);
                EXPECT_TRUE(entry->IsCovered()) << entries.back();
            }
        }
        return entries;
    }
    RCSFileItem* file;
};

struct Expected {
    std::string parent;  // empty: the file
    ItemStatus code;
    std::string locker;
    std::string message;
    std::time_t date;
};

const std::map<std::string, Expected> FullHistoryRevisions = {
    {"1.4", {"", LockedTip, "fred", "*** empty log message ***", 887616000}},
    {"1.3", {"", Revision, "", "Fixed the parser", 887274000}},
    {"1.2", {"", Revision, "", "Added options", 887131800}},
    {"1.1", {"", Revision, "", "Initial revision", 886327200}},
    {"1.2.11.1", {"1.2", Revision, "", "Eleventh branch", 887529600}},
    // Only rlog's own list of branches is passed over, not a message that
    // starts the same way.
    {"1.2.1.2", {"1.2", LockedRevision, "jim", "branches: are mentioned first", 887356800}},
    {"1.2.1.1", {"1.2", Revision, "", "Patch for site B", 887184000}},
    {"1.2.1.1.1.1", {"1.2.1.1", Revision, "", "Deep branch", 887443200}},
};

TEST(RlogParser, MarksTheNewestRevisionOfTheDefaultBranchOnly)
{
    // One file read again and again, as synchronisations after each
    // rcs -b would: every reading sets every code anew. The branch set
    // (empty: none, the head decides) and the tip (empty: none).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "1.4"},
        {"1.2.1", "1.2.1.2"},  // not 1.2.11.1, which is listed first
        {"1", "1.4"}, {"1.2.11", "1.2.11.1"},
        {"1.2", "1.2"},        // a revision number names that revision
        {"1.2.1.1.1", "1.2.1.1.1.1"},
        {"1.2.7", ""},         // a branch without revisions
        {"1.2.1", "1.2.1.2"},
    };
    ParserTest t;
    for (const auto& [branch, tip] : cases) {
        SCOPED_TRACE(branch);
        const std::string text = branch.empty() ? FullHistory : WithBranchLine(FullHistory, branch);
        t.file->ParseRlog(Replaced(text, "\n", "\r\n"), false, nullptr);
        EXPECT_EQ(t.Tips(), tip.empty() ? std::vector<std::string>{} : std::vector<std::string>{tip});
        const auto revisions = t.Revisions();
        EXPECT_TRUE(revisions.at("1.4")->IsLocked());
        EXPECT_TRUE(revisions.at("1.2.1.2")->IsLocked());
        EXPECT_FALSE(revisions.at("1.3")->IsLocked());
    }
    // A lock that is gone is dropped on the next reading.
    t.file->ParseRlog(Replaced(FullHistory, "\tlocked by: jim;"), false, nullptr);
    EXPECT_EQ(t.Revisions().at("1.2.1.2")->locker, "");
    EXPECT_EQ(t.Revisions().at("1.2.1.2")->StatusCode(), Revision);
}

TEST(RlogParser, OutputOfSomeRevisionsLeavesTheTipAlone)
{
    ParserTest t;
    t.file->ParseRlog(WithBranchLine(FullHistory, "1"), false, nullptr);
    // As rlog -r1.1:1.3 prints it: the newest trunk revision listed is 1.3.
    const std::string newestCut = Replaced(FullHistory, "revision 1.4\tlocked by: fred;\n");
    t.file->ParseRlog(WithBranchLine(newestCut, "1"), false, nullptr, false);
    EXPECT_EQ(t.Tips(), std::vector<std::string>{"1.4"});
    EXPECT_EQ(t.Revisions().at("1.4")->StatusCode(), LockedTip);
    // A tip that is listed keeps its mark while its lock follows RCS.
    t.file->ParseRlog(WithBranchLine(Replaced(FullHistory, "\tlocked by: fred;"), "1.2.1"), false, nullptr, false);
    EXPECT_EQ(t.Tips(), std::vector<std::string>{"1.4"});
    EXPECT_EQ(t.Revisions().at("1.4")->StatusCode(), Tip);
}

TEST(RlogParser, SymbolicNamesBecomeReleases)
{
    // The release given (empty: none), header only, the entries made and the releases there are.
    const std::vector<std::tuple<std::string, bool, std::vector<std::string>, std::size_t>> cases = {
        {"", true, {"Beta 1: 1.2.1.1", "Release 2: 1.2"}, 2},
        {"", false, {"Beta 1: 1.2.1.1", "Release 2: 1.2"}, 2}, {"Beta 1", true, {"Beta 1: 1.2.1.1"}, 1},
        {"  Beta 1 ", false, {"  Beta 1 : 1.2.1.1"}, 1},  // trimmed before comparing
        {"beta 1", true, {}, 1},                          // the symbol is compared exactly
        {"site b", false, {}, 1},                         // names a branch
    };
    for (const auto& [given, headerOnly, entries, releases] : cases) {
        SCOPED_TRACE(given + (headerOnly ? " header" : " full"));
        ParserTest t;
        RCSVersionItem* r12 = t.Existing("1.2", t.file);
        // Hung in the wrong place, as a damaged project could have it.
        RCSVersionItem* r1211 = t.Existing("1.2.1.1", t.file);
        r1211->SetStatusCode(LockedRevision);
        r1211->locker = "someone";
        // Without a release given, an existing release is reused.
        RCSReleaseItem* release = t.doc->releaseRoot->FindOrCreateRelease(
            given.empty() ? std::string("Beta 1") : given, nullptr);
        if (given.empty())
            release = nullptr;

        t.file->ParseRlog(FullHistory, headerOnly, release);
        EXPECT_EQ(t.ReleaseEntries(), entries);
        EXPECT_EQ(t.doc->releaseRoot->children.size(), releases);
        const auto revisions = t.Revisions();
        if (headerOnly) {
            EXPECT_EQ(revisions.size(), 2u) << "no revision is made";
            EXPECT_TRUE(r1211->StatusCode() == LockedRevision && r1211->locker == "someone" && r1211->message == "old"
                        && !r1211->IsCovered());
        } else {
            // The existing revisions are reused, each moved to its place.
            EXPECT_TRUE(revisions.size() == 8 && revisions.at("1.2") == r12 && revisions.at("1.2.1.1") == r1211);
            EXPECT_TRUE(r1211->parent == r12 && revisions.at("1.2.1.1.1.1")->parent == r1211);
            EXPECT_EQ(r1211->message, "Patch for site B");
        }
    }
}

// The date read for each date line (1234: the old date stays); without a
// date line neither the date nor the message changes.
TEST(RlogParser, DatesAndMessages)
{
    const std::vector<std::pair<std::string, std::time_t>> cases = {
        {"date: 1998/02/16 08:00:00;  author: fred\n", 887616000}, {"date: 1998/2/16 8:0:0\n", 887616000},
        {"date: 1969/07/20 20:17:40;\n", -14182940},  // before 1970
        {"date: 1998/13/01 00:00:00;\n", 915148800},  // the calendar carries the month over
        {"date: 1998/02/16;  author: fred\n", 1234},  // three numbers only
        {"date: 1998-02-16 08:00:00\n", 1234}, {"date: yesterday\n", 1234},
        {"date: 99999999999/01/01 00:00:00\n", 1234}, {"", 1234},
    };
    for (const auto& [dateLine, date] : cases) {
        SCOPED_TRACE(dateLine);
        ParserTest t;
        RCSVersionItem* existing = t.Existing("1.1", t.file);
        t.file->ParseRlog("\nhead: 1.1\nbranch:\n----------------------------\nrevision 1.1\n" + dateLine
                              + "New message\n==========",
                          false, nullptr);
        EXPECT_EQ(t.Revisions().size(), 1u);
        EXPECT_EQ(existing->date, date);
        EXPECT_EQ(existing->message, dateLine.empty() ? "old" : "New message");
        EXPECT_EQ(existing->StatusCode(), Tip);
    }
}

TEST(RlogParser, DamagedOutputGivesFewerUpdates)
{
    using Numbers = std::vector<std::string>;
    const Numbers all = {"1.1", "1.2", "1.2.1.1", "1.2.1.1.1.1", "1.2.1.2", "1.2.11.1", "1.3", "1.4"};
    // The damage, the output, the revisions, tips and releases read.
    const std::vector<std::tuple<std::string, std::string, Numbers, Numbers, std::size_t>> cases = {
        // Without a head line nothing after it is found.
        {"no head", Replaced(FullHistory, "head: 1.4\n"), {}, {}, 0}, {"empty", "", {}, {}, 0},
        {"an excerpt", Excerpt, {"1.2", "1.2.1.1", "1.3"}, {"1.3"}, 1},
        {"garbage between blocks",
         Replaced(FullHistory, "Fixed the parser\n",
                  "Fixed the parser\n\t\tnoise: ;;\n---\nrevision\n----------------------------\nnot a block\n"),
         all, {"1.4"}, 2},
        // A blank after the number: the later revisions are read all the same.
        {"blank after a number",
         Replaced(Replaced(FullHistory, "\tlocked by: jim;"), "revision 1.3\n", "revision 1.3 \n"), all, {"1.4"}, 2},
        {"a separator without a revision", Replaced(FullHistory, "revision 1.1\n"),
         {"1.2", "1.2.1.1", "1.2.1.1.1.1", "1.2.1.2", "1.2.11.1", "1.3", "1.4"}, {"1.4"}, 2},
        {"symbols without revisions",
         Replaced(FullHistory, "\tsite_b: 1.2.1\n", "\tnothing\n\tempty: \n\t: 1.2\n\tgone: 9.9\n"), all, {"1.4"}, 2},
    };
    for (const auto& [name, text, revisions, tips, releases] : cases) {
        SCOPED_TRACE(name);
        ParserTest t;
        t.file->ParseRlog(text, false, nullptr);
        Numbers numbers;
        for (const auto& entry : t.Revisions())
            numbers.push_back(entry.first);
        EXPECT_EQ(numbers, revisions);
        EXPECT_EQ(t.Tips(), tips);
        EXPECT_EQ(t.doc->releaseRoot->children.size(), releases);
    }
}

TEST(RlogParser, DamagedOutputCannotNestRevisionsWithoutEnd)
{
    // Each revision branches from the one before: 1.1, 1.1.1.1, 1.1.1.1.1.1...
    std::string text = "\nhead: 1.1\nbranch:\n";
    std::string number = "1.1";
    for (int i = 0; i < 150; ++i, number += ".1.1")
        text += "----------------------------\nrevision " + number + "\ndate: 1998/02/16 08:00:00;\nx\n";
    ParserTest t;
    t.file->ParseRlog(text, false, nullptr);
    int deepest = 0;
    for (const auto& entry : t.Revisions())
        deepest = std::max(deepest, CountRevisionFields(entry.first));
    EXPECT_EQ(deepest, 200);
}

// Every prefix of the output, in either line end, leaves nothing half read;
// the whole output gives every revision, lock and release.
TEST(RlogParser, OutputCutShortLeavesNothingHalfRead)
{
    const std::time_t started = std::time(nullptr);
    for (const std::string& full : {FullHistory, Replaced(FullHistory, "\n", "\r\n")}) {
        ParserTest t;
        for (std::size_t length = 0; length <= full.size(); ++length) {
            SCOPED_TRACE("cut at " + std::to_string(length));
            const bool whole = length == full.size();
            t.doc->releaseRoot->children.clear();
            t.file->children.clear();
            t.file->ParseRlog(full.substr(0, length), false, nullptr);
            const auto revisions = t.Revisions();
            for (const auto& [number, revision] : revisions) {
                ASSERT_TRUE(FullHistoryRevisions.count(number)) << number;
                const Expected& e = FullHistoryRevisions.at(number);
                const RCSItem* parent = e.parent.empty() ? static_cast<RCSItem*>(t.file) : revisions.at(e.parent);
                EXPECT_TRUE(revision->parent == parent && revision->file == t.file) << number;
                // Not read yet, or read whole.
                EXPECT_TRUE((!whole && revision->message.empty()) || revision->message == e.message) << number;
                EXPECT_TRUE((!whole && revision->locker.empty()) || revision->locker == e.locker) << number;
                EXPECT_TRUE((!whole && revision->date >= started) || revision->date == e.date) << number;
                EXPECT_TRUE(!whole || (revision->StatusCode() == e.code && revision->IsCovered())) << number;
            }
            const auto tips = t.Tips();
            EXPECT_TRUE((!whole && tips.empty()) || tips == std::vector<std::string>{"1.4"});
            const auto entries = t.ReleaseEntries();
            for (const std::string& entry : entries)
                EXPECT_TRUE(entry == "Beta 1: 1.2.1.1" || entry == "Release 2: 1.2") << entry;
            if (whole) {
                // site_b names a branch, not a revision, and is passed over.
                EXPECT_EQ(revisions.size(), FullHistoryRevisions.size());
                EXPECT_EQ(entries, (std::vector<std::string>{"Beta 1: 1.2.1.1", "Release 2: 1.2"}));
                for (auto& release : t.doc->releaseRoot->children)
                    EXPECT_TRUE(release->IsCovered());
            }
        }
    }
}

} // namespace
} // namespace kestro
