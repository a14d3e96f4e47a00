#include "model/options.h"
#include "model/time_format.h"

#include "app/archive.h"

#include <QSettings>
#include <QStringList>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace kestro {
namespace {

template <class Block>
std::string BlockBytes(Block block)
{
    Archive ar;
    block.serialize(ar);
    return ar.bytes();
}

// Every stored field of the options block set away from its default.
RCSOptions Changed()
{
    RCSOptions o;
    o.import.sourceSite = "York";
    o.import.keepTime = true;
    o.send.destinationSite = "Leeds";
    o.send.sendChoice = 1;
    o.defaultReleaseNameFile = "release.h";
    o.defaultBuildTemplate = "RELEASE=%s\n";
    o.merge.ignoreKeywords = true;
    o.compare.revision2 = "1.7";
    o.report.information = 3;
    o.checkin.logMessage = "fix";
    o.checkout.checkoutDate = "today";
    return o;
}

struct Stored {
    std::string import, send, releaseNameFile, buildTemplate, merge, compare, report, checkin,
        checkout;
};

Stored StoredParts(const RCSOptions& o)
{
    return {BlockBytes(o.import),  BlockBytes(o.send),   o.defaultReleaseNameFile,
            o.defaultBuildTemplate, BlockBytes(o.merge), BlockBytes(o.compare),
            BlockBytes(o.report),  BlockBytes(o.checkin), BlockBytes(o.checkout)};
}

std::string WrittenBlock(RCSOptions o)
{
    Archive ar;
    o.serialize(ar);
    return ar.bytes();
}

// Version v holds the items from firstItem[v] to 11 (version 4: merge onwards,
// leaving import, send and the release-name defaults alone); 8 is written.
TEST(OptionsBlock, EachVersionHoldsItsTailOfItems)
{
    const int firstItem[] = {0, 10, 9, 8, 7, 5, 4, 3, 2};
    const RCSOptions source = Changed();
    const Stored changed = StoredParts(source);
    const Stored defaults = StoredParts(RCSOptions());
    for (std::uint32_t version = 1; version <= 8; ++version) {
        const int first = firstItem[version];
        Archive bytes;
        bytes.writeU32(version);
        RCSOptions writer = source;
        if (first <= 3) writer.import.serialize(bytes);
        if (first <= 4) writer.send.serialize(bytes);
        if (first <= 5) bytes.writeString(writer.defaultReleaseNameFile);
        if (first <= 6) bytes.writeString(writer.defaultBuildTemplate);
        if (first <= 7) writer.merge.serialize(bytes);
        if (first <= 8) writer.compare.serialize(bytes);
        if (first <= 9) writer.report.serialize(bytes);
        if (first <= 10) writer.checkin.serialize(bytes);
        writer.checkout.serialize(bytes);

        if (version == 8) {
            EXPECT_EQ(WrittenBlock(source), bytes.bytes());
        }

        RCSOptions target;
        Archive ar(bytes.bytes());
        target.serialize(ar);
        EXPECT_TRUE(ar.atEnd()) << version;
        const Stored got = StoredParts(target);
        auto pick = [&](int item, const std::string& a, const std::string& b) {
            return item >= first ? a : b;
        };
        EXPECT_EQ(got.import, pick(3, changed.import, defaults.import)) << version;
        EXPECT_EQ(got.send, pick(4, changed.send, defaults.send)) << version;
        EXPECT_EQ(got.releaseNameFile, pick(5, changed.releaseNameFile, defaults.releaseNameFile))
            << version;
        EXPECT_EQ(got.buildTemplate, pick(6, changed.buildTemplate, defaults.buildTemplate))
            << version;
        EXPECT_EQ(got.merge, pick(7, changed.merge, defaults.merge)) << version;
        EXPECT_EQ(got.compare, pick(8, changed.compare, defaults.compare)) << version;
        EXPECT_EQ(got.report, pick(9, changed.report, defaults.report)) << version;
        EXPECT_EQ(got.checkin, pick(10, changed.checkin, defaults.checkin)) << version;
        EXPECT_EQ(got.checkout, changed.checkout) << version;
    }
}

TEST(OptionsBlock, DamagedBlockChangesNothing)
{
    const std::string good = WrittenBlock(Changed());
    RCSOptions target;
    target.defaultReleaseNameFile = "untouched.h";
    target.import.message = "untouched";
    const std::string before = WrittenBlock(target);

    for (std::size_t length = 0; length < good.size(); ++length) {
        Archive ar(good.substr(0, length));
        EXPECT_THROW(target.serialize(ar), ArchiveError) << length;
    }
    for (std::uint32_t version : {0u, 9u}) {
        Archive bad;
        bad.writeU32(version);
        Archive ar(bad.bytes() + good.substr(4));
        try {
            target.serialize(ar);
            ADD_FAILURE() << "version " << version << " accepted";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Unsupported options block version " + std::to_string(version));
        }
    }
    EXPECT_EQ(WrittenBlock(target), before);
}

TEST(TimeZoneValue, NameAndStandardOffset)
{
    struct Case {
        std::string standard, daylight;
        bool inEffect;
        long secondsWest;
        std::string expected;
    };
    const Case cases[] = {
        {"EST", "EDT", false, 5 * 3600, "EST5"},
        {"EST", "EDT", true, 5 * 3600, "EDT5"},  // the daylight offset is not added
        {"CET", "CEST", false, -3600, "CET-1"},
        {"IST", "IST", false, -19800, "IST-5"},  // +5:30 truncates toward zero
        {"NST", "NDT", false, 12600, "NST3"},
        {"GMT", "", true, 0, "GMT0"},  // no daylight name: the standard one
        {"", "", false, 0, "UTC0"},
        {"", "", true, -7200, "UTC-2"},
        {"+04", "", false, -14400, "<+04>-4"},
        {"-03", "", false, 10800, "<-03>3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeZoneValue(c.standard, c.daylight, c.inEffect, c.secondsWest), c.expected)
            << c.expected;
}

// Sets Kestro's own zone for one test and puts the old one back.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

TEST(ApplyTimeZone, FollowsTheSystemZoneWithoutChangingOwnEnvironment)
{
    struct Case {
        const char* zone;
        const char* expected;
    };
    const Case cases[] = {
        {"CET-1", "CET-1"},
        {"EST5", "EST5"},
        {"EST5EDT,0/0,J365/25", "EDT5"},  // daylight saving all year
        {"<+04>-4", "<+04>-4"},
    };
    for (const Case& c : cases) {
        ScopedZone zone(c.zone);
        RCSOptions options;
        EXPECT_EQ(options.childTimeZone, "UTC0");
        options.useUniversalTime = true;
        options.ApplyTimeZone();
        EXPECT_EQ(options.childTimeZone, c.expected);
        EXPECT_STREQ(std::getenv("TZ"), c.zone);
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
                    std::tm calendar{};
                    calendar.tm_year = 2026 - 1900;
                    calendar.tm_mon = month;
                    calendar.tm_mday = day;
                    calendar.tm_hour = minute / 60;
                    calendar.tm_min = minute % 60;
                    calendar.tm_sec = second;
                    std::tm expected = calendar;
                    expected.tm_isdst = -1;
                    EXPECT_EQ(LocalCalendarTime(calendar), std::mktime(&expected))
                        << zone << " " << month + 1 << "/" << day << " " << minute << ":" << second;
                }
            }
        }
    }
}

const char* const kStringKeys[] = {"Time Format", "File Types", "Build File", "Build Template",
                                   "Site Name", "Site Email", "Send Command"};

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

TEST_F(OptionsSettings, FreshInstallationKeepsDefaults)
{
    RCSOptions& options = RCSOptions::instance();
    options.LoadOptions();
    EXPECT_EQ(options.timeFormat, "%d %b %y %H:%M:%S");
    EXPECT_EQ(options.defaultFileTypes,
              "C Source Files (*.c;*.cpp;*.h;*.rc)|*.c;*.cpp;*.h;*.rc|Text files (*.txt)|*.txt");
    EXPECT_TRUE(options.sortHighestFirst);
    EXPECT_EQ(options.defaultReleaseNameFile, "");
    EXPECT_EQ(options.defaultBuildTemplate, "#define RELEASE \"%s\"\r\n");
    EXPECT_FALSE(options.useUniversalTime);
    EXPECT_EQ(options.defaultSiteName, QSysInfo::machineHostName().toStdString());
    EXPECT_EQ(options.defaultSiteEmail, "");
    EXPECT_EQ(options.defaultSendCommand, "");
    EXPECT_EQ(options.childTimeZone, "UTC0");
    EXPECT_FALSE(options.userName.empty());
}

TEST_F(OptionsSettings, SaveWritesStringsAndIntegerSwitches)
{
    ScopedZone zone("EST5");
    RCSOptions& options = RCSOptions::instance();
    options.sortHighestFirst = false;
    options.useUniversalTime = true;
    options.defaultSiteEmail = "ann@example.org";
    options.SaveOptions();

    const auto store = Store();
    QStringList expectedKeys = {"Sort Highest Revisions First", "Use UTC Time"};
    for (const char* key : kStringKeys)
        expectedKeys << key;
    expectedKeys.sort();
    QStringList keys = store->childKeys();
    keys.sort();
    EXPECT_EQ(keys, expectedKeys);
    for (const char* key : kStringKeys)
        EXPECT_EQ(store->value(key).typeId(), QMetaType::QString) << key;
    EXPECT_EQ(store->value("Site Email").toString(), "ann@example.org");
    EXPECT_EQ(store->value("Sort Highest Revisions First").toString(), "0");
    EXPECT_EQ(store->value("Use UTC Time").toString(), "1");
    EXPECT_EQ(options.childTimeZone, "EST5");
}

TEST_F(OptionsSettings, SavedValuesLoadBack)
{
    RCSOptions& options = RCSOptions::instance();
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

    options = RCSOptions();
    options.LoadOptions();
    EXPECT_EQ(options.timeFormat, saved.timeFormat);
    EXPECT_EQ(options.defaultFileTypes, saved.defaultFileTypes);
    EXPECT_EQ(options.sortHighestFirst, saved.sortHighestFirst);
    EXPECT_EQ(options.defaultReleaseNameFile, saved.defaultReleaseNameFile);
    EXPECT_EQ(options.defaultBuildTemplate, saved.defaultBuildTemplate);
    EXPECT_EQ(options.useUniversalTime, saved.useUniversalTime);
    EXPECT_EQ(options.defaultSiteName, saved.defaultSiteName);
    EXPECT_EQ(options.defaultSiteEmail, saved.defaultSiteEmail);
    EXPECT_EQ(options.defaultSendCommand, saved.defaultSendCommand);
    EXPECT_EQ(options.childTimeZone, saved.childTimeZone);
}

TEST_F(OptionsSettings, MissingValuesKeepTheCurrentOnes)
{
    {
        const auto store = Store();
        store->setValue("Time Format", "%H:%M");
        store->setValue("Use UTC Time", 1);
    }
    ScopedZone zone("EST5");
    RCSOptions& options = RCSOptions::instance();
    options.defaultSiteEmail = "current@example.org";
    options.sortHighestFirst = false;
    options.LoadOptions();
    EXPECT_EQ(options.timeFormat, "%H:%M");
    EXPECT_TRUE(options.useUniversalTime);
    EXPECT_EQ(options.defaultSiteEmail, "current@example.org");
    EXPECT_FALSE(options.sortHighestFirst);
    EXPECT_EQ(options.childTimeZone, "EST5");
}

}  // namespace
}  // namespace kestro
