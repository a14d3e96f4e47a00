#pragma once

#include <ctime>
#include <string>

namespace kestro {

// Formats a time in the local time of this process with strftime codes.
std::string FormatTime(std::time_t time, const std::string& format);

} // namespace kestro
