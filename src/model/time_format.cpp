#include "model/time_format.h"

#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kestro {

std::string FormatTime(std::time_t time, const std::string& format)
{
    if (format.empty())
        return {};
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    // strftime gives 0 both for an empty result and for a buffer too small,
    // so grow the buffer a few times before taking the result as empty.
    std::vector<char> buffer(format.size() * 4 + 64);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::size_t length = std::strftime(buffer.data(), buffer.size(), format.c_str(), &local);
        if (length > 0)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 8);
    }
    return {};
}

namespace {

std::tm DayAt(const std::tm& calendar, int hour, int minute, int second)
{
    std::tm time{};
    time.tm_year = calendar.tm_year;
    time.tm_mon = calendar.tm_mon;
    time.tm_mday = calendar.tm_mday;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    return time;
}

// Universal minus local time over the whole day, when it is the same at the
// day's first and last second and mktime kept both as given.
std::optional<std::time_t> SteadyOffset(const std::tm& calendar)
{
    std::tm first = DayAt(calendar, 0, 0, 0);
    std::tm last = DayAt(calendar, 23, 59, 59);
    std::tm firstUniversal = first;
    std::tm lastUniversal = last;
    const std::time_t start = std::mktime(&first);
    const std::time_t end = std::mktime(&last);
    if (start == -1 || end == -1 || first.tm_hour != 0 || first.tm_mday != calendar.tm_mday || last.tm_hour != 23
        || last.tm_mday != calendar.tm_mday)
        return std::nullopt;
    const std::time_t offset = timegm(&firstUniversal) - start;
    if (timegm(&lastUniversal) - end != offset)
        return std::nullopt;
    return offset;
}

} // namespace

std::time_t LocalCalendarTime(const std::tm& calendar)
{
    // Each thread keeps the offsets of the days it has seen, for the zone
    // TZ named when it saw them.
    thread_local std::unordered_map<long long, std::optional<std::time_t>> offsets;
    thread_local std::string zone;
    thread_local bool zoneSet = false;
    const char* currentZone = std::getenv("TZ");
    if (zoneSet != (currentZone != nullptr) || (currentZone && zone != currentZone)) {
        offsets.clear();
        zoneSet = currentZone != nullptr;
        zone = currentZone ? currentZone : "";
    }

    std::tm universal = calendar;
    const std::time_t asUniversal = timegm(&universal);
    // Fields out of range (31 February, second 60) are left to mktime.
    const bool inRange = asUniversal != -1 && universal.tm_year == calendar.tm_year
                         && universal.tm_mon == calendar.tm_mon && universal.tm_mday == calendar.tm_mday
                         && universal.tm_hour == calendar.tm_hour && universal.tm_min == calendar.tm_min
                         && universal.tm_sec == calendar.tm_sec;
    if (inRange) {
        const long long day = (static_cast<long long>(calendar.tm_year) * 12 + calendar.tm_mon) * 32 + calendar.tm_mday;
        auto it = offsets.find(day);
        if (it == offsets.end())
            it = offsets.emplace(day, SteadyOffset(calendar)).first;
        if (it->second)
            return asUniversal - *it->second;
    }
    std::tm local = calendar;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace kestro
