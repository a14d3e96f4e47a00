#include "ops/compare_choice.h"
#include "support/test_project.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::AddFile;

struct CompareChoiceTest : test::ProjectFixture {
    CompareSettings& settings = RCSOptions::instance().compare;
    std::pair<std::string, std::string> Revisions() const { return {settings.revision1, settings.revision2}; }
};

TEST(CompareChoice, WhatIsComparedForThePickedItemsAndThePreviousRevision)
{
    CompareChoiceTest t;
    RCSFileItem* file = AddFile(*t.doc->root, "a.c");
    RCSFileItem* other = AddFile(*t.doc->root, "b.c");
    RCSVersionItem* r11 = test::AddRevision(*file, *file, "1.1");
    RCSVersionItem* r12 = test::AddRevision(*file, *file, "1.2");
    RCSVersionItem* r13 = test::AddRevision(*file, *file, "1.3");
    RCSVersionItem* b11 = test::AddRevision(*other, *other, "1.1");
    file->workingRevision = "1.2";
    using Pair = std::pair<std::string, std::string>;

    // Left over from an earlier compare of another file.
    t.settings.revision2 = "9.9";
    ASSERT_TRUE(PrepareCompareChoice(*r12, {r12}));
    EXPECT_EQ(t.Revisions(), Pair("1.2", "")) << "a revision against the working file";
    EXPECT_EQ(t.settings.item, file);

    t.settings.revision2 = "9.9";
    ASSERT_TRUE(PrepareCompareChoice(*file, {file}));
    EXPECT_EQ(t.Revisions(), Pair("1.2", "")) << "the working file against its working revision";

    // Two revisions of one file, picked in either order: lower first.
    ASSERT_TRUE(PrepareCompareChoice(*r11, {r13, r11}));
    EXPECT_EQ(t.Revisions(), Pair("1.1", "1.3"));
    EXPECT_EQ(t.settings.item, file);

    // Revisions of two files, or three picks, fall back to the current item.
    ASSERT_TRUE(PrepareCompareChoice(*r13, {r13, b11}));
    EXPECT_EQ(t.Revisions(), Pair("1.3", ""));
    ASSERT_TRUE(PrepareCompareChoice(*r12, {r11, r12, r13}));
    EXPECT_EQ(t.Revisions(), Pair("1.2", ""));

    // The root has no revision of its own.
    ASSERT_TRUE(PrepareCompareChoice(*t.doc->root, {t.doc->root.get()}));
    EXPECT_EQ(t.Revisions(), Pair("", ""));

    // The previous revision, which a revision's own changes are compared
    // with, follows the line of descent.
    RCSVersionItem* r19 = test::AddRevision(*file, *file, "1.9");
    RCSVersionItem* r110 = test::AddRevision(*file, *file, "1.10");
    RCSVersionItem* r21 = test::AddRevision(*file, *file, "2.1");
    RCSVersionItem* b1 = test::AddRevision(*r19, *file, "1.9.1.1");
    RCSVersionItem* b2 = test::AddRevision(*r19, *file, "1.9.1.2");
    RCSVersionItem* c1 = test::AddRevision(*r19, *file, "1.9.2.1");
    EXPECT_EQ(PreviousRevision(*r11), "");
    EXPECT_EQ(PreviousRevision(*r12), "1.1");
    EXPECT_EQ(PreviousRevision(*r110), "1.9") << "numbers compare by value";
    EXPECT_EQ(PreviousRevision(*r21), "1.10") << "a new trunk level continues the old";
    EXPECT_EQ(PreviousRevision(*b1), "1.9");
    EXPECT_EQ(PreviousRevision(*b2), "1.9.1.1");
    EXPECT_EQ(PreviousRevision(*c1), "1.9") << "another branch from the same revision";
}

} // namespace
} // namespace kestro
