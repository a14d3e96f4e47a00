#include "cli/prepared_heap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::cli {
namespace {

// The heap a command on a project takes, for each byte of its file: about
// eight for the tree, the rest for the file's bytes as read and as saved
// and for the RCS programs' outputs.
constexpr std::size_t HeapPerProjectByte = 12;
// The largest block malloc can be told to keep on the heap; a bigger one
// would be mapped apart and handed back when freed.
constexpr std::size_t LargestHeapBlock = 32 << 20;

} // namespace

void PrepareHeapForProject(const std::string& projectPath)
{
    struct stat info {};
    if (::stat(projectPath.c_str(), &info) != 0 || info.st_size <= 0)
        return;
    const std::size_t size =
        std::min(static_cast<std::size_t>(info.st_size) * HeapPerProjectByte, LargestHeapBlock - (1 << 20));
    // Large blocks stay on the heap, and freed memory stays with this
    // process: the block readied here is what the tree, and later the RCS
    // programs' outputs, are built in.
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(LargestHeapBlock)) == 0
        || mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * LargestHeapBlock)) == 0)
        return;
    void* block = std::malloc(size);
    if (!block)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + size) / page * page;
    // Kernels without MADV_POPULATE_WRITE refuse it, and the pages are then
    // faulted in one by one as before.
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    std::free(block);
}

} // namespace kestro::cli
