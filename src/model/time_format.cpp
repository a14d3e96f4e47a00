#include "model/time_format.h"

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

} // namespace kestro
