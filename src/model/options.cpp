#include "model/options.h"

#include "archive/archive.h"

#include <QSettings>
#include <QString>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>

namespace kestro {

namespace {

constexpr std::uint32_t kNewestBlockVersion = 8;

// Items of the options block, numbered as they follow the version (item 1).
// Item 2 belongs to the receive settings, which store nothing.
enum BlockItem {
    ImportItem = 3,
    SendItem,
    ReleaseNameFileItem,
    BuildTemplateItem,
    MergeItem,
    CompareItem,
    ReportItem,
    CheckinItem,
};

// Each block version holds the tail of the item list starting here.
int firstItemOf(std::uint32_t version)
{
    static constexpr int first[kNewestBlockVersion + 1] = {0, 10, 9, 8, 7, 5, 4, 3, 2};
    return first[version];
}

void transferBlockItems(Archive& ar, RCSOptions& options, std::uint32_t version)
{
    const int first = firstItemOf(version);
    if (first <= ImportItem)
        options.import.serialize(ar);
    if (first <= SendItem)
        options.send.serialize(ar);
    if (first <= ReleaseNameFileItem)
        ar.transfer(options.defaultReleaseNameFile);
    if (first <= BuildTemplateItem)
        ar.transfer(options.defaultBuildTemplate);
    if (first <= MergeItem)
        options.merge.serialize(ar);
    if (first <= CompareItem)
        options.compare.serialize(ar);
    if (first <= ReportItem)
        options.report.serialize(ar);
    if (first <= CheckinItem)
        options.checkin.serialize(ar);
    options.checkout.serialize(ar);
}

void readString(const QSettings& settings, const char* key, std::string& field)
{
    field = settings.value(key, QString::fromStdString(field)).toString().toStdString();
}

void readSwitch(const QSettings& settings, const char* key, bool& field)
{
    field = settings.value(key, field ? 1 : 0).toInt() != 0;
}

void writeString(QSettings& settings, const char* key, const std::string& field)
{
    settings.setValue(key, QString::fromStdString(field));
}

void writeSwitch(QSettings& settings, const char* key, bool field)
{
    settings.setValue(key, field ? 1 : 0);
}

std::string loginName()
{
    const passwd* entry = getpwuid(geteuid());
    return entry && entry->pw_name ? entry->pw_name : "";
}

// A bare TZ name must be three or more letters; anything else is quoted.
bool isBareZoneName(const std::string& name)
{
    return name.size() >= 3 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
}

}  // namespace

RCSOptions::RCSOptions()
    : defaultSiteName(QSysInfo::machineHostName().toStdString()), userName(loginName())
{
    ApplyTimeZone();
}

QSettings ProgramSettings()
{
    return QSettings(QStringLiteral("Fenwycliff"), QStringLiteral("Kestro"));
}

RCSOptions& RCSOptions::instance()
{
    static RCSOptions options;
    return options;
}

void RCSOptions::LoadOptions()
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Options"));
    readString(settings, "Time Format", timeFormat);
    readString(settings, "File Types", defaultFileTypes);
    readString(settings, "Build File", defaultReleaseNameFile);
    readString(settings, "Build Template", defaultBuildTemplate);
    readSwitch(settings, "Use UTC Time", useUniversalTime);
    readString(settings, "Site Name", defaultSiteName);
    readString(settings, "Site Email", defaultSiteEmail);
    readString(settings, "Send Command", defaultSendCommand);
    readSwitch(settings, "Sort Highest Revisions First", sortHighestFirst);
    ApplyTimeZone();
}

void RCSOptions::SaveOptions()
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Options"));
    writeString(settings, "Time Format", timeFormat);
    writeString(settings, "File Types", defaultFileTypes);
    writeSwitch(settings, "Sort Highest Revisions First", sortHighestFirst);
    writeString(settings, "Build File", defaultReleaseNameFile);
    writeString(settings, "Build Template", defaultBuildTemplate);
    writeSwitch(settings, "Use UTC Time", useUniversalTime);
    writeString(settings, "Site Name", defaultSiteName);
    writeString(settings, "Site Email", defaultSiteEmail);
    writeString(settings, "Send Command", defaultSendCommand);
    ApplyTimeZone();
}

void RCSOptions::ApplyTimeZone()
{
    if (!useUniversalTime) {
        // The RCS programs then take local wall-clock time as universal time.
        childTimeZone = "UTC0";
        return;
    }
    tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    const bool daylightInEffect = localtime_r(&now, &local) && local.tm_isdst > 0;
    auto name = [](const char* text) { return std::string(text ? text : ""); };
    childTimeZone = TimeZoneValue(name(tzname[0]), name(tzname[1]), daylightInEffect, timezone);
}

void RCSOptions::serialize(Archive& ar)
{
    if (ar.isStoring()) {
        ar.writeU32(kNewestBlockVersion);
        transferBlockItems(ar, *this, kNewestBlockVersion);
        return;
    }
    const std::uint32_t version = ar.readU32();
    if (version < 1 || version > kNewestBlockVersion)
        ar.fail("Unsupported options block version " + std::to_string(version));
    RCSOptions read = *this;
    transferBlockItems(ar, read, version);
    *this = read;
}

std::string TimeZoneValue(const std::string& standardName, const std::string& daylightName,
                          bool daylightInEffect, long secondsWest)
{
    std::string name = daylightInEffect && !daylightName.empty() ? daylightName : standardName;
    if (name.empty())
        name = "UTC";
    if (!isBareZoneName(name))
        name = "<" + name + ">";
    return name + std::to_string(secondsWest / 3600);
}

KeptCommandSettings::KeptCommandSettings()
    : checkin_(RCSOptions::instance().checkin),
      checkout_(RCSOptions::instance().checkout),
      merge_(RCSOptions::instance().merge)
{
}

KeptCommandSettings::~KeptCommandSettings()
{
    RCSOptions& options = RCSOptions::instance();
    options.checkin = checkin_;
    options.checkout = checkout_;
    options.merge = merge_;
}

}  // namespace kestro
