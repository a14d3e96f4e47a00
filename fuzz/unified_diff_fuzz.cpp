// Reads arbitrary bytes as rcsdiff -u output and lines up every hunk side by
// side, checking that each row points at a line of the hunk on its side and
// that each marked change lies within its line.

#include "model/unified_diff.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const kestro::FileDiff& file : kestro::ParseUnifiedDiff(text)) {
        for (const kestro::DiffHunk& hunk : file.hunks) {
            const auto count = static_cast<int>(hunk.lines.size());
            for (const kestro::SideBySideRow& row : kestro::AlignHunk(hunk)) {
                if (row.left >= count || row.right >= count || (row.left < 0 && row.right < 0))
                    std::abort();
                if (row.left >= 0 && row.leftChangeStart + row.leftChangeLength >
                                         hunk.lines[static_cast<std::size_t>(row.left)].text.size())
                    std::abort();
                if (row.right >= 0 && row.rightChangeStart + row.rightChangeLength >
                                          hunk.lines[static_cast<std::size_t>(row.right)].text.size())
                    std::abort();
            }
        }
    }
    return 0;
}
