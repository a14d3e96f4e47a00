// Reads arbitrary bytes as an RCC command file, the way a receive reads one
// before it changes anything: the RCS1 and SITE lines, then every entry with
// its log block, and the checks on the names, the release name and the
// address it carries.

#include "exchange/exchange_checks.h"
#include "exchange/rcc_reader.h"
#include "model/command_results.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kestro::CommandResults::instance().ClearResults();
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    std::string keyword, argument1, argument2, argument3;
    for (int line = 0; line < 2; ++line) {
        if (kestro::ReadCommandLine(file, keyword, argument1, argument2, argument3) != 1)
            return 0;
        if (line == 0)
            (void)kestro::UnsafeReleaseNameReason(argument2);
        if (line == 1)
            (void)kestro::IsAcceptableEmailAddress(argument2);
    }
    std::vector<kestro::CommandFileEntry> entries;
    kestro::ReadCommandEntries(file, entries);
    // The targets are looked up below a directory that does not exist, so
    // that nothing on disk decides the result.
    const kestro::ProjectPlaces places{"/nonexistent-kestro-fuzz/", "/nonexistent-kestro-fuzz/P.rcs"};
    for (const kestro::CommandFileEntry& entry : entries)
        (void)kestro::ForbiddenTargetReason(places, entry.fileName);
    return 0;
}
