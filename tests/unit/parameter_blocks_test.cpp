#include "model/parameter_blocks.h"

#include "archive/archive.h"

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

// The newest layout is exactly `expected`, reads back to the same bytes, and
// is refused when cut short anywhere.
template <class Block>
void ExpectNewestLayout(const Block& block, const std::string& expected)
{
    EXPECT_EQ(Written(block), expected);
    EXPECT_EQ(Written(Read<Block>(expected)), expected);
    for (std::size_t length = 0; length < expected.size(); ++length) {
        Archive ar(expected.substr(0, length));
        Block target;
        EXPECT_THROW(target.serialize(ar), ArchiveError) << "length " << length;
    }
}

template <class Block>
void ExpectRefused(const std::string& bytes)
{
    Archive ar(bytes);
    Block block;
    EXPECT_THROW(block.serialize(ar), ArchiveError);
}

TEST(CheckinSettings, StoresLockKeepTimeAndMessageOnly)
{
    CheckinSettings s;
    s.lock = false;
    s.keepTime = true;
    s.logMessage = "first line\r\nsecond";
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(0);
        a.writeU32(1);
        a.writeString("first line\r\nsecond");
    }));

    CheckinSettings target;
    target.revision = "1.4";
    target.force = true;
    target.determineRevision = true;
    target = Read(Written(s), target);
    EXPECT_EQ(target.revision, "1.4");
    EXPECT_TRUE(target.force && target.determineRevision);
}

TEST(CheckoutSettings, NewestAndFirstLayouts)
{
    CheckoutSettings s;
    s.noKeywords = true;
    s.revision = "1.2.1.3";
    s.lock = false;
    s.keepTime = true;
    s.checkoutDate = "2001/02/03";
    const std::string afterNoKeywords = Bytes([](Archive& a) {
        a.writeString("1.2.1.3");
        a.writeU32(0);
        a.writeU32(1);
        a.writeString("2001/02/03");
    });
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeU32(1);
    }) + afterNoKeywords);

    // The first layout starts with the revision; noKeywords keeps its value.
    CheckoutSettings target;
    target.noKeywords = true;
    target.targetFile = "out.c";
    target = Read(Bytes([](Archive& a) { a.writeU32(1); }) + afterNoKeywords, target);
    EXPECT_EQ(Written(target), Written(s));
    EXPECT_EQ(target.targetFile, "out.c");
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
    const std::string afterNoKeywords = Bytes([](Archive& a) {
        a.writeString("1.1");
        a.writeString("REL_2");
        a.writeU32(1);  // contextDiff
        a.writeU32(0);  // ignoreBlankLines
        a.writeU32(1);  // ignoreBlankSpace
        a.writeU32(0);  // ignoreCase
        a.writeU32(1);  // ignoreWhiteSpace
        a.writeU32(0);  // showCFunction
    });
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeU32(1);
    }) + afterNoKeywords);

    CompareSettings old = s;
    old.noKeywords = false;
    EXPECT_EQ(Written(Read<CompareSettings>(Bytes([](Archive& a) { a.writeU32(1); }) +
                                            afterNoKeywords)),
              Written(old));
}

TEST(MergeSettings, StoresOnlyIgnoreKeywords)
{
    MergeSettings s;
    s.ignoreKeywords = true;
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(1);
    }));
}

TEST(ReportSettings, NewestAndFirstLayouts)
{
    ReportSettings s;
    s.revisions = "1.1:1.5";
    s.dates = "<2001";
    s.users = "ann";
    s.states = "Exp";
    s.lockedOnly = true;
    s.symbolicNames = false;
    s.information = 4;
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeString("1.1:1.5");
        a.writeString("<2001");
        a.writeString("ann");
        a.writeString("Exp");
        a.writeU32(1);
        a.writeU32(0);
        a.writeU32(4);
    }));

    // The first layout kept the information choice in three parts.
    const ReportSettings old = Read<ReportSettings>(Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeU32(1);  // a
        a.writeString("<2001");
        a.writeU32(1);  // b
        a.writeU32(1);  // lockedOnly
        a.writeString("1.1:1.5");
        a.writeString("Exp");
        a.writeU32(0);  // symbolicNames
        a.writeU32(2);  // c
        a.writeString("ann");
    }));
    EXPECT_EQ(Written(old), Written(s));
}

TEST(ReportSettings, InformationOutOfRangeFallsBackToTheFirstChoice)
{
    for (std::uint32_t information : {6u, 0xFFFFFFFFu}) {
        const ReportSettings read = Read<ReportSettings>(Bytes([&](Archive& a) {
            a.writeU32(2);
            for (int i = 0; i < 4; ++i) a.writeString("");
            a.writeU32(0);
            a.writeU32(1);
            a.writeU32(information);
        }));
        EXPECT_EQ(read.information, 0);
    }
    // Parts whose sum overflows 32 bits must not wrap back into range.
    const ReportSettings summed = Read<ReportSettings>(Bytes([](Archive& a) {
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
    EXPECT_EQ(summed.information, 0);
}

TEST(SendSettings, NewestAndFirstLayouts)
{
    SendSettings s;
    s.destinationSite = "Leeds";
    s.releaseToSend = "R2";
    s.originalRelease = "R1";
    s.sendChoice = 2;
    s.deleteTemporary = true;
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(2);
        a.writeString("Leeds");
        a.writeString("R2");
        a.writeString("R1");
        a.writeU32(2);
    }));
    EXPECT_FALSE(Read<SendSettings>(Written(s)).deleteTemporary);

    const SendSettings old = Read<SendSettings>(Bytes([](Archive& a) {
        a.writeU32(1);
        a.writeString("Leeds");
        a.writeString("R2");
        a.writeU32(77);  // skipped
        a.writeString("R1");
        a.writeU32(2);
    }));
    EXPECT_EQ(Written(old), Written(s));

    for (std::uint32_t choice : {3u, 0xFFFFFFFFu}) {
        const SendSettings read = Read<SendSettings>(Bytes([&](Archive& a) {
            a.writeU32(2);
            for (int i = 0; i < 3; ++i) a.writeString("x");
            a.writeU32(choice);
        }));
        EXPECT_EQ(read.sendChoice, 0);
    }
}

TEST(ImportSettings, NewestAndOlderLayouts)
{
    ImportSettings s;
    s.includeSubdirectories = true;
    s.lock = true;
    s.keepTime = true;
    s.sourceSite = "York";
    s.releaseName = "R9";
    s.sourceDirectory = "/tmp/in/";
    s.message = "drop";
    s.determineRevision = true;
    const std::string stringsAndDetermine = Bytes([](Archive& a) {
        a.writeString("York");
        a.writeString("R9");
        a.writeString("/tmp/in/");
        a.writeString("drop");
        a.writeU32(1);
    });
    ExpectNewestLayout(s, Bytes([](Archive& a) {
        a.writeU32(3);
        a.writeU32(1);  // includeSubdirectories
        a.writeU32(0);  // mergeAfterImport
        a.writeU32(1);  // lock
        a.writeU32(0);  // force
        a.writeU32(1);  // keepTime
    }) + stringsAndDetermine);

    // Older layouts lack leading switches, which keep their values.
    ImportSettings kept;
    kept.mergeAfterImport = true;
    kept.force = true;
    ImportSettings v2 = s;
    v2.includeSubdirectories = false;
    v2.mergeAfterImport = true;
    v2.force = false;
    EXPECT_EQ(Written(Read(Bytes([](Archive& a) {
                                a.writeU32(2);
                                a.writeU32(1);
                                a.writeU32(0);
                                a.writeU32(1);
                            }) + stringsAndDetermine,
                            kept)),
              Written(v2));

    ImportSettings v1 = s;
    v1.includeSubdirectories = false;
    v1.mergeAfterImport = true;
    v1.lock = false;
    v1.force = true;
    v1.keepTime = false;
    EXPECT_EQ(Written(Read(Bytes([](Archive& a) { a.writeU32(1); }) + stringsAndDetermine, kept)),
              Written(v1));
}

TEST(ParameterBlocks, UnknownVersionsAreRefusedByName)
{
    auto expectMessage = [](auto block, std::uint32_t version, const std::string& message) {
        Archive ar(Bytes([&](Archive& a) {
            a.writeU32(version);
            for (int i = 0; i < 16; ++i) a.writeU32(0);
        }));
        try {
            block.serialize(ar);
            ADD_FAILURE() << message << " was accepted";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.what(), message);
        }
    };
    expectMessage(CheckinSettings{}, 0, "Unsupported check-in settings version 0");
    expectMessage(CheckinSettings{}, 2, "Unsupported check-in settings version 2");
    expectMessage(CheckoutSettings{}, 3, "Unsupported check-out settings version 3");
    expectMessage(CompareSettings{}, 3, "Unsupported compare settings version 3");
    expectMessage(MergeSettings{}, 2, "Unsupported merge settings version 2");
    expectMessage(ReportSettings{}, 7, "Unsupported report settings version 7");
    expectMessage(SendSettings{}, 3, "Unsupported send settings version 3");
    expectMessage(ImportSettings{}, 0, "Unsupported import settings version 0");
    expectMessage(ImportSettings{}, 4, "Unsupported import settings version 4");
}

}  // namespace
}  // namespace kestro
