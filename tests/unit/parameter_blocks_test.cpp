#include "model/parameter_blocks.h"

#include "app/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace kestro {
namespace {

// Bytes as a project file holds them, built field by field.
std::string Bytes(const std::function<void(Archive&)>& fields)
{
    Archive ar;
    fields(ar);
    return ar.bytes();
}

template <class Block>
std::string Written(Block block)
{
    Archive ar;
    block.serialize(ar);
    return ar.bytes();
}

template <class Block>
Block Read(const std::string& bytes, Block block = {})
{
    Archive ar(bytes);
    block.serialize(ar);
    EXPECT_TRUE(ar.atEnd());
    return block;
}

// A block cut short anywhere must be refused, never read as complete.
template <class Block>
void ExpectEveryPrefixFails(const std::string& bytes)
{
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        Archive ar(bytes.substr(0, length));
        Block block;
        EXPECT_THROW(block.serialize(ar), ArchiveError) << "length " << length;
    }
}

template <class Block>
void ExpectRefused(std::uint32_t version, const std::string& message)
{
    Archive ar(Bytes([&](Archive& a) {
        a.writeU32(version);
        for (int i = 0; i < 16; ++i) a.writeU32(0);
    }));
    Block block;
    try {
        block.serialize(ar);
        ADD_FAILURE() << message << " was accepted";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.what(), message);
    }
}

TEST(CheckinSettings, NewestLayoutRoundTripsAndLeavesUnstoredFields)
{
    CheckinSettings s;
    s.lock = false;
    s.keepTime = true;
    s.logMessage = "first line\r\nsecond";
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(0);
        a.writeU32(1);
        a.writeString("first line\r\nsecond");
    });
    EXPECT_EQ(Written(s), expected);

    CheckinSettings target;
    target.revision = "1.4";
    target.force = true;
    target.determineRevision = true;
    target = Read(expected, target);
    EXPECT_FALSE(target.lock);
    EXPECT_TRUE(target.keepTime);
    EXPECT_EQ(target.logMessage, s.logMessage);
    EXPECT_EQ(target.revision, "1.4");
    EXPECT_TRUE(target.force);
    EXPECT_TRUE(target.determineRevision);
    EXPECT_EQ(Written(target), expected);
    ExpectEveryPrefixFails<CheckinSettings>(expected);
}

TEST(CheckoutSettings, NewestAndFirstLayouts)
{
    CheckoutSettings s;
    s.noKeywords = true;
    s.revision = "1.2.1.3";
    s.lock = false;
    s.keepTime = true;
    s.checkoutDate = "2001/02/03";
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeU32(1);
        a.writeString("1.2.1.3");
        a.writeU32(0);
        a.writeU32(1);
        a.writeString("2001/02/03");
    });
    EXPECT_EQ(Written(s), expected);

    CheckoutSettings target;
    target.force = true;
    target.targetFile = "out.c";
    target = Read(expected, target);
    EXPECT_EQ(Written(target), expected);
    EXPECT_TRUE(target.force);
    EXPECT_EQ(target.targetFile, "out.c");
    ExpectEveryPrefixFails<CheckoutSettings>(expected);

    // The first layout starts with the revision; noKeywords keeps its value.
    CheckoutSettings old;
    old.noKeywords = true;
    old = Read(Bytes([](Archive& a) {
                   a.writeU32(1);
                   a.writeString("2.1");
                   a.writeU32(0);
                   a.writeU32(1);
                   a.writeString("yesterday");
               }),
               old);
    EXPECT_TRUE(old.noKeywords);
    EXPECT_EQ(old.revision, "2.1");
    EXPECT_FALSE(old.lock);
    EXPECT_TRUE(old.keepTime);
    EXPECT_EQ(old.checkoutDate, "yesterday");
}

TEST(CompareSettings, NewestAndFirstLayouts)
{
    CompareSettings s;
    s.noKeywords = true;
    s.revision1 = "1.1";
    s.revision2 = "REL_2";
    s.contextDiff = true;
    s.ignoreBlankSpace = true;
    s.ignoreWhiteSpace = true;
    const std::string switchesAfterRevisions = Bytes([](Archive& a) {
        a.writeU32(1);  // contextDiff
        a.writeU32(0);  // ignoreBlankLines
        a.writeU32(1);  // ignoreBlankSpace
        a.writeU32(0);  // ignoreCase
        a.writeU32(1);  // ignoreWhiteSpace
        a.writeU32(0);  // showCFunction
    });
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeU32(1);
        a.writeString("1.1");
        a.writeString("REL_2");
    }) + switchesAfterRevisions;
    EXPECT_EQ(Written(s), expected);
    EXPECT_EQ(Written(Read<CompareSettings>(expected)), expected);
    ExpectEveryPrefixFails<CompareSettings>(expected);

    const CompareSettings old = Read<CompareSettings>(Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeString("1.1");
        a.writeString("REL_2");
    }) + switchesAfterRevisions);
    EXPECT_FALSE(old.noKeywords);
    EXPECT_EQ(old.revision1, "1.1");
    EXPECT_EQ(old.revision2, "REL_2");
    EXPECT_TRUE(old.contextDiff);
    EXPECT_FALSE(old.ignoreBlankLines);
    EXPECT_TRUE(old.ignoreBlankSpace);
    EXPECT_FALSE(old.ignoreCase);
    EXPECT_TRUE(old.ignoreWhiteSpace);
    EXPECT_FALSE(old.showCFunction);
}

TEST(MergeSettings, StoresOnlyIgnoreKeywords)
{
    MergeSettings s;
    s.revision1 = "1.1";
    s.revision2 = "1.3";
    s.ignoreKeywords = true;
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(1);
    });
    EXPECT_EQ(Written(s), expected);
    MergeSettings target;
    target.revision1 = "kept";
    target = Read(expected, target);
    EXPECT_TRUE(target.ignoreKeywords);
    EXPECT_EQ(target.revision1, "kept");
    ExpectEveryPrefixFails<MergeSettings>(expected);
}

TEST(ReportSettings, NewestLayout)
{
    ReportSettings s;
    s.revisions = "1.1:1.5";
    s.dates = "<2001";
    s.users = "ann";
    s.states = "Exp";
    s.lockedOnly = true;
    s.symbolicNames = false;
    s.information = 4;
    s.afterRevision = true;
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeString("1.1:1.5");
        a.writeString("<2001");
        a.writeString("ann");
        a.writeString("Exp");
        a.writeU32(1);
        a.writeU32(0);
        a.writeU32(4);
    });
    EXPECT_EQ(Written(s), expected);
    const ReportSettings back = Read<ReportSettings>(expected);
    EXPECT_EQ(Written(back), expected);
    EXPECT_FALSE(back.afterRevision);
    ExpectEveryPrefixFails<ReportSettings>(expected);
}

TEST(ReportSettings, FirstLayoutSumsTheInformationParts)
{
    const std::string bytes = Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(1);  // a
        a.writeString("<2001");
        a.writeU32(0);  // b
        a.writeU32(1);  // lockedOnly
        a.writeString("1.2");
        a.writeString("Rel");
        a.writeU32(0);  // symbolicNames
        a.writeU32(3);  // c
        a.writeString("bob");
    });
    const ReportSettings old = Read<ReportSettings>(bytes);
    EXPECT_EQ(old.information, 4);
    EXPECT_EQ(old.dates, "<2001");
    EXPECT_TRUE(old.lockedOnly);
    EXPECT_EQ(old.revisions, "1.2");
    EXPECT_EQ(old.states, "Rel");
    EXPECT_FALSE(old.symbolicNames);
    EXPECT_EQ(old.users, "bob");
    ExpectEveryPrefixFails<ReportSettings>(bytes);
}

TEST(ReportSettings, InformationOutOfRangeIsRefused)
{
    for (std::uint32_t information : {6u, 0xFFFFFFFFu}) {
        Archive ar(Bytes([&](Archive& a) {
            a.writeU32(2);
            for (int i = 0; i < 4; ++i) a.writeString("");
            a.writeU32(0);
            a.writeU32(1);
            a.writeU32(information);
        }));
        ReportSettings s;
        EXPECT_THROW(s.serialize(ar), ArchiveError) << information;
    }
    // Parts that overflow 32 bits when added must not wrap into range.
    Archive ar(Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(0xFFFFFFFFu);
        a.writeString("");
        a.writeU32(2);
        a.writeU32(0);
        a.writeString("");
        a.writeString("");
        a.writeU32(1);
        a.writeU32(0);
        a.writeString("");
    }));
    ReportSettings s;
    EXPECT_THROW(s.serialize(ar), ArchiveError);
}

TEST(SendSettings, NewestAndFirstLayouts)
{
    SendSettings s;
    s.destinationSite = "Leeds";
    s.releaseToSend = "R2";
    s.originalRelease = "R1";
    s.sendChoice = 2;
    s.deleteTemporary = true;
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeString("Leeds");
        a.writeString("R2");
        a.writeString("R1");
        a.writeU32(2);
    });
    EXPECT_EQ(Written(s), expected);
    const SendSettings back = Read<SendSettings>(expected);
    EXPECT_EQ(Written(back), expected);
    EXPECT_FALSE(back.deleteTemporary);
    ExpectEveryPrefixFails<SendSettings>(expected);

    const SendSettings old = Read<SendSettings>(Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeString("Leeds");
        a.writeString("R2");
        a.writeU32(77);  // skipped
        a.writeString("R1");
        a.writeU32(1);
    }));
    EXPECT_EQ(old.destinationSite, "Leeds");
    EXPECT_EQ(old.releaseToSend, "R2");
    EXPECT_EQ(old.originalRelease, "R1");
    EXPECT_EQ(old.sendChoice, 1);
}

TEST(SendSettings, ChoiceOutOfRangeIsRefused)
{
    for (std::uint32_t choice : {3u, 0xFFFFFFFFu}) {
        Archive ar(Bytes([&](Archive& a) {
            a.writeU32(2);
            for (int i = 0; i < 3; ++i) a.writeString("x");
            a.writeU32(choice);
        }));
        SendSettings s;
        EXPECT_THROW(s.serialize(ar), ArchiveError) << choice;
    }
}

TEST(ImportSettings, NewestAndOlderLayouts)
{
    ImportSettings s;
    s.includeSubdirectories = true;
    s.mergeAfterImport = false;
    s.lock = true;
    s.force = false;
    s.keepTime = true;
    s.sourceSite = "York";
    s.releaseName = "R9";
    s.sourceDirectory = "/tmp/in/";
    s.message = "drop";
    s.determineRevision = true;
    const std::string strings = Bytes([](Archive& a) {
        a.writeString("York");
        a.writeString("R9");
        a.writeString("/tmp/in/");
        a.writeString("drop");
        a.writeU32(1);  // determineRevision
    });
    const std::string expected = Bytes([](Archive& a) {
        a.writeU32(3);
        a.writeU32(1);  // includeSubdirectories
        a.writeU32(0);  // mergeAfterImport
        a.writeU32(1);  // lock
        a.writeU32(0);  // force
        a.writeU32(1);  // keepTime
    }) + strings;
    EXPECT_EQ(Written(s), expected);
    EXPECT_EQ(Written(Read<ImportSettings>(expected)), expected);
    ExpectEveryPrefixFails<ImportSettings>(expected);

    ImportSettings kept;
    kept.includeSubdirectories = true;
    kept.mergeAfterImport = true;
    kept.lock = true;
    kept.force = true;
    kept.keepTime = true;

    const ImportSettings v2 = Read(Bytes([](Archive& a) {
                                       a.writeU32(2);
                                       a.writeU32(0);
                                       a.writeU32(1);
                                       a.writeU32(0);
                                   }) + strings,
                                   kept);
    EXPECT_TRUE(v2.includeSubdirectories);
    EXPECT_TRUE(v2.mergeAfterImport);
    EXPECT_FALSE(v2.lock);
    EXPECT_TRUE(v2.force);
    EXPECT_FALSE(v2.keepTime);
    EXPECT_EQ(v2.sourceSite, "York");
    EXPECT_EQ(v2.releaseName, "R9");
    EXPECT_EQ(v2.sourceDirectory, "/tmp/in/");
    EXPECT_EQ(v2.message, "drop");
    EXPECT_TRUE(v2.determineRevision);

    const ImportSettings v1 = Read(Bytes([](Archive& a) { a.writeU32(1); }) + strings, kept);
    EXPECT_TRUE(v1.includeSubdirectories && v1.mergeAfterImport && v1.lock && v1.force &&
                v1.keepTime);
    EXPECT_EQ(v1.sourceDirectory, "/tmp/in/");
    EXPECT_TRUE(v1.determineRevision);
}

TEST(ParameterBlocks, UnknownVersionsAreRefused)
{
    ExpectRefused<CheckinSettings>(0, "Unsupported check-in settings version 0");
    ExpectRefused<CheckinSettings>(2, "Unsupported check-in settings version 2");
    ExpectRefused<CheckoutSettings>(3, "Unsupported check-out settings version 3");
    ExpectRefused<CompareSettings>(0, "Unsupported compare settings version 0");
    ExpectRefused<CompareSettings>(3, "Unsupported compare settings version 3");
    ExpectRefused<MergeSettings>(2, "Unsupported merge settings version 2");
    ExpectRefused<ReportSettings>(7, "Unsupported report settings version 7");
    ExpectRefused<SendSettings>(3, "Unsupported send settings version 3");
    ExpectRefused<ImportSettings>(0, "Unsupported import settings version 0");
    ExpectRefused<ImportSettings>(4, "Unsupported import settings version 4");
}

}  // namespace
}  // namespace kestro
