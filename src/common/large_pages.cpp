#include "common/large_pages.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace cs {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Room for the image, its working copies and the tables built from them (about 2.5 MB for a
// full 8000-channel database).
constexpr std::size_t kReserve = std::size_t{6} << 20;
// The block below the first large page; held for the whole run.
void* volatile keptAside = nullptr;

} // namespace

void useLargePagesForTheHeap() {
    // A program on a database touches a few megabytes of fresh memory at once: the file, the
    // records, the entries, the tables built from them. Faulted in 4 KiB at a time that is some
    // 600 page faults, most of the run time of the command line's `info` or `save`; in 2 MiB
    // pages it is a handful. So the large buffers come from the heap rather than from mappings
    // of their own, the heap grows once by the whole reserve and keeps it, and the aligned part
    // of it asks for large pages. Where the system offers none, nothing changes.
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(kReserve)) == 0 ||
        mallopt(M_TOP_PAD, static_cast<int>(kReserve)) == 0 || mallopt(M_TRIM_THRESHOLD, static_cast<int>(4 * kReserve)) == 0)
        return;
    void* block = std::malloc(kReserve - 4096);
    if (!block)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(::sbrk(0)) & ~(kLargePage - 1);
    if (to <= from) {
        std::free(block);
        return;
    }
    (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    std::free(block);
    // The part of the heap below the first large page is kept aside, never touched (so it
    // costs no memory), so that the buffers that follow start in the large pages.
    if (from - start > 64)
        keptAside = std::malloc(from - start - 64);
}

} // namespace cs
