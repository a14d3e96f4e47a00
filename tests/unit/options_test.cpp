// The options block that project files hold, the settings blocks inside it,
// the time zone handed to the RCS programs, and the options kept in the
// user's settings.

#include "archive/archive.h"
#include "model/options.h"
#include "model/time_format.h"
#include "support/archive_bytes.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>
#include <optional>
#include <tuple>

namespace kestro {
namespace {

std::string Bytes(const std::function<void(Archive&)>& fields)
{
    Archive ar;
    fields(ar);
    return ar.bytes();
}

template <class Block>
std::string Written(Block block)
{
    return Bytes([&](Archive& ar) { block.serialize(ar); });
}

template <class Block>
Block Read(const std::string& bytes, Block block = {})
{
    Archive ar(bytes);
    block.serialize(ar);
    EXPECT_TRUE(ar.atEnd());
    return block;
}

// Every stored field of the options block set away from its default.
RCSOptions Changed()
{
    RCSOptions o;
    o.import = {.sourceSite = "York", .keepTime = true};
    o.send = {.destinationSite = "Leeds", .sendChoice = 1};
    o.defaultReleaseNameFile = "release.h";
    o.defaultBuildTemplate = "RELEASE=%s\n";
    o.merge.ignoreKeywords = true;
    o.compare.revision2 = "1.7";
    o.report.information = 3;
    o.checkin.logMessage = "fix";
    o.checkout.checkoutDate = "today";
    return o;
}

// The items of the options block in their stored order.
void WriteItem(RCSOptions& o, Archive& ar, int item)
{
    switch (item) {
    case 0: o.import.serialize(ar); break;
    case 1: o.send.serialize(ar); break;
    case 2: ar.writeString(o.defaultReleaseNameFile); break;
    case 3: ar.writeString(o.defaultBuildTemplate); break;
    case 4: o.merge.serialize(ar); break;
    case 5: o.compare.serialize(ar); break;
    case 6: o.report.serialize(ar); break;
    case 7: o.checkin.serialize(ar); break;
    default: o.checkout.serialize(ar); break;
    }
}

std::vector<std::string> StoredParts(RCSOptions o)
{
    std::vector<std::string> parts;
    for (int item = 0; item <= 8; ++item)
        parts.push_back(Bytes([&](Archive& ar) { WriteItem(o, ar, item); }));
    return parts;
}

// Version v holds the items from firstItem[v] to the end (version 4: merge
// onwards, leaving import, send and the release-name defaults alone); the
// newest, 8, is written.
TEST(OptionsBlock, EachVersionHoldsItsTailOfItems)
{
    const int firstItem[] = {0, 7, 6, 5, 4, 2, 1, 0, 0};
    RCSOptions source = Changed();
    const std::vector<std::string> changed = StoredParts(source);
    const std::vector<std::string> defaults = StoredParts(RCSOptions());
    for (std::uint32_t version = 1; version <= 8; ++version) {
        const std::string bytes = Bytes([&](Archive& ar) {
            ar.writeU32(version);
            for (int item = firstItem[version]; item <= 8; ++item)
                WriteItem(source, ar, item);
        });
        EXPECT_TRUE(version < 8 || Written(source) == bytes);
        const std::vector<std::string> got = StoredParts(Read<RCSOptions>(bytes));
        for (int item = 0; item <= 8; ++item)
            EXPECT_EQ(got[item], item >= firstItem[version] ? changed[item] : defaults[item])
                << "version " << version << " item " << item;
    }
}

TEST(OptionsBlock, DamagedBlockChangesNothing)
{
    const std::string good = Written(Changed());
    RCSOptions target;
    target.defaultReleaseNameFile = "untouched.h";
    target.import.message = "untouched";
    const std::string before = Written(target);
    for (std::size_t length = 0; length < good.size(); ++length) {
        Archive ar(good.substr(0, length));
        EXPECT_THROW(target.serialize(ar), ArchiveError) << length;
    }
    for (std::uint32_t version : {0u, 9u}) {
        Archive ar(test::ArchiveBytes().u32(version).data + good.substr(4));
        EXPECT_THROW(target.serialize(ar), ArchiveError) << version;
    }
    EXPECT_EQ(Written(target), before);
}

// Each block refuses the numbers just outside the versions it reads.
TEST(ParameterBlocks, UnknownVersionsAreRefused)
{
    const auto expectRefused = [](auto block, std::uint32_t version) {
        Archive ar(test::ArchiveBytes().u32(version).raw(std::string(64, '\0')).data);
        EXPECT_THROW(block.serialize(ar), ArchiveError) << typeid(block).name() << " version " << version;
    };
    expectRefused(CheckinSettings{}, 0);
    expectRefused(CheckinSettings{}, 2);
    expectRefused(CheckoutSettings{}, 3);
    expectRefused(CompareSettings{}, 3);
    expectRefused(MergeSettings{}, 2);
    expectRefused(ReportSettings{}, 7);
    expectRefused(SendSettings{}, 3);
    expectRefused(ImportSettings{}, 0);
    expectRefused(ImportSettings{}, 4);
}

// Choices out of range fall back to the first; fields a block does not store
// keep their values.
TEST(ParameterBlocks, OutOfRangeChoicesAndUnstoredFields)
{
    for (std::uint32_t information : {6u, 0xFFFFFFFFu}) {
        const auto bytes = test::ArchiveBytes().u32(2).str("").str("").str("").str("").u32(0).u32(1).u32(information);
        EXPECT_EQ(Read<ReportSettings>(bytes.data).information, 0) << information;
    }
    // The first layout's parts, whose sum overflows 32 bits, must not wrap
    // back into range.
    auto parts = test::ArchiveBytes().u32(1).u32(0xFFFFFFFFu).str("").u32(2).u32(0).str("").str("").u32(1).u32(0);
    EXPECT_EQ(Read<ReportSettings>(parts.str("").data).information, 0);
    for (std::uint32_t choice : {3u, 0xFFFFFFFFu}) {
        const auto bytes = test::ArchiveBytes().u32(2).str("x").str("x").str("x").u32(choice);
        EXPECT_EQ(Read<SendSettings>(bytes.data).sendChoice, 0) << choice;
    }

    const CheckinSettings target =
        Read(Written(CheckinSettings{}), CheckinSettings{.revision = "1.4", .force = true});
    EXPECT_TRUE(target.revision == "1.4" && target.force);
    EXPECT_FALSE(Read<SendSettings>(Written(SendSettings{.deleteTemporary = true})).deleteTemporary);
}

TEST(TimeZoneValue, NameAndStandardOffset)
{
    // The zone's names, whether daylight saving is in effect, seconds west, the value.
    const std::tuple<std::string, std::string, bool, long, std::string> cases[] = {
        {"EST", "EDT", false, 5 * 3600, "EST5"},
        {"EST", "EDT", true, 5 * 3600, "EDT5"},  // the daylight offset is not added
        {"CET", "CEST", false, -3600, "CET-1"},
        {"IST", "IST", false, -19800, "IST-5"},  // +5:30 truncates toward zero
        {"NST", "NDT", false, 12600, "NST3"},
        {"GMT", "", true, 0, "GMT0"},  // no daylight name: the standard one
        {"", "", false, 0, "UTC0"}, {"", "", true, -7200, "UTC-2"}, {"+04", "", false, -14400, "<+04>-4"},
        {"-03", "", false, 10800, "<-03>3"},
    };
    for (const auto& [standard, daylight, inEffect, secondsWest, expected] : cases)
        EXPECT_EQ(TimeZoneValue(standard, daylight, inEffect, secondsWest), expected) << expected;
}

// Sets Kestro's own zone for one test and puts the old one back.
struct ScopedZone {
    explicit ScopedZone(const char* zone)
    {
        if (const char* was = std::getenv("TZ"))
            old = was;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone()
    {
        old ? setenv("TZ", old->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> old;
};

TEST(ApplyTimeZone, FollowsTheSystemZoneWithoutChangingOwnEnvironment)
{
    for (const auto& [name, expected] : {std::pair{"CET-1", "CET-1"}, {"EST5", "EST5"},
                                         {"EST5EDT,0/0,J365/25", "EDT5"},  // daylight saving all year
                                         {"<+04>-4", "<+04>-4"}}) {
        ScopedZone zone(name);
        RCSOptions options;
        EXPECT_EQ(options.childTimeZone, "UTC0");
        options.useUniversalTime = true;
        options.ApplyTimeZone();
        EXPECT_EQ(options.childTimeZone, expected);
        EXPECT_STREQ(std::getenv("TZ"), name);
        options.useUniversalTime = false;
        options.ApplyTimeZone();
        EXPECT_EQ(options.childTimeZone, "UTC0");
    }
}

// Local dates convert as mktime converts them, around changes of offset
// too, in zones with and without daylight saving, and a change of TZ is
// followed at once.
TEST(LocalCalendarTime, AgreesWithMktime)
{
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "<+0530>-5:30", "UTC0"}) {
        ScopedZone scoped(zone);
        for (const auto& [month, day] : {std::pair{1, 28}, {1, 30}, {2, 8}, {2, 29}, {2, 30}, {9, 25}, {10, 1}}) {
            for (int minute = -15; minute <= 24 * 60 + 15; minute += 15) {
                for (const int second : {0, 59, 60}) {
                    std::tm calendar{.tm_sec = second, .tm_min = minute % 60, .tm_hour = minute / 60,
                                     .tm_mday = day, .tm_mon = month, .tm_year = 2026 - 1900};
                    std::tm expected = calendar;
                    expected.tm_isdst = -1;
                    EXPECT_EQ(LocalCalendarTime(calendar), std::mktime(&expected))
                        << zone << " " << month + 1 << "/" << day << " " << minute << ":" << second;
                }
            }
        }
    }
}

class OptionsSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        RCSOptions::instance() = RCSOptions();
    }
    void TearDown() override { RCSOptions::instance() = RCSOptions(); }

    static std::unique_ptr<QSettings> Store()
    {
        auto settings = std::make_unique<QSettings>("Fenwycliff", "Kestro");
        settings->beginGroup("Options");
        return settings;
    }

private:
    QTemporaryDir dir_;
};

// Strings are stored as strings and switches as the integers 0 and 1, under
// the keys other installations read.
TEST_F(OptionsSettings, SavedValuesLoadBackAndMissingOnesKeepTheCurrentValues)
{
    ScopedZone zone("EST5");
    RCSOptions& options = RCSOptions::instance();
    Store()->setValue("Time Format", "%H:%M");
    Store()->setValue("Use UTC Time", 1);
    options.defaultSiteEmail = "current@example.org";
    options.sortHighestFirst = false;
    options.LoadOptions();
    EXPECT_TRUE(options.timeFormat == "%H:%M" && options.useUniversalTime && !options.sortHighestFirst);
    EXPECT_EQ(options.defaultSiteEmail, "current@example.org");
    EXPECT_EQ(options.childTimeZone, "EST5");

    options.timeFormat = "%Y-%m-%d";
    options.defaultFileTypes = "Headers (*.h)|*.h";
    options.sortHighestFirst = false;
    options.defaultReleaseNameFile = "src/release.h";
    options.defaultBuildTemplate = "const char* r = \"%s\";\r\n";
    options.useUniversalTime = true;
    options.defaultSiteName = "K\xc3\xb8""benhavn";
    options.defaultSiteEmail = "ann@example.org";
    options.defaultSendCommand = "sh -c \"mail %m < %d/x\"";
    options.SaveOptions();
    const RCSOptions saved = options;

    const auto store = Store();
    QStringList keys = store->childKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"Build File", "Build Template", "File Types", "Send Command", "Site Email",
                                 "Site Name", "Sort Highest Revisions First", "Time Format", "Use UTC Time"}));
    for (const QString& key : keys) {
        const bool isSwitch = key.startsWith("Sort") || key.startsWith("Use");
        EXPECT_TRUE(isSwitch || store->value(key).typeId() == QMetaType::QString) << key.toStdString();
    }
    EXPECT_EQ(store->value("Sort Highest Revisions First").toString(), "0");
    EXPECT_EQ(store->value("Use UTC Time").toString(), "1");

    options = RCSOptions();
    options.LoadOptions();
    const auto stored = [](const RCSOptions& o) {
        return std::tie(o.timeFormat, o.defaultFileTypes, o.sortHighestFirst, o.defaultReleaseNameFile,
                        o.defaultBuildTemplate, o.useUniversalTime, o.defaultSiteName, o.defaultSiteEmail,
                        o.defaultSendCommand, o.childTimeZone);
    };
    EXPECT_EQ(stored(options), stored(saved));
}

} // namespace
} // namespace kestro
