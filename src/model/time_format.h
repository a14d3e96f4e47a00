#pragma once

#include <ctime>
#include <string>

namespace kestro {

// Formats a time in the local time of this process with strftime codes.
std::string FormatTime(std::time_t time, const std::string& format);

// The time of a local calendar date and time, as mktime with tm_isdst -1
// gives it, or -1. mktime reads the time zone anew on every call, which
// costs more than reading a revision of a history, so a day without a
// change of offset converts at that day's offset; other days, and fields out
// of their ranges, go through mktime. A change of TZ is seen at once, a
// change of the system's zone file once the process starts again.
std::time_t LocalCalendarTime(const std::tm& calendar);

} // namespace kestro
