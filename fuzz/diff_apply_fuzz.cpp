// Applies arbitrary differences to arbitrary base texts, as a receive does
// with the DIFF files another site sent. The input is the base, a NUL byte
// and the difference; without a NUL the whole input is the difference.

#include "exchange/diff_apply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view base = split == std::string_view::npos ? std::string_view() : input.substr(0, split);
    const std::string_view difference = split == std::string_view::npos ? input : input.substr(split + 1);
    const kestro::DiffApplication applied = kestro::ApplyNormalDiff(base, difference);
    // A refusal always says why, and an empty difference changes nothing.
    if (applied.applied != applied.problem.empty())
        std::abort();
    if (difference.empty() && (!applied.applied || applied.text != base))
        std::abort();
    return 0;
}
