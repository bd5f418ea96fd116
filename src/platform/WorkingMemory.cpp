#include "platform/WorkingMemory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace wirvela {
namespace {

// The largest array glibc serves from the heap instead of a mapping of its own.
constexpr int kLargestHeapArray = 32 << 20;
// The heap is grown in pieces below that, so that they come from the heap.
constexpr std::size_t kPiece = std::size_t{16} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Advises the whole huge pages inside [begin, begin + bytes).
void AdviseHugePages(char* begin, std::size_t bytes) {
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t end = (start + bytes) / kHugePage * kHugePage;
    // Only advice: where the kernel has no huge pages the touching costs more, nothing else.
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

// Volatile, so that the stores are not dropped as stores to memory freed unread.
void Touch(volatile char* begin, std::size_t bytes, std::size_t page) {
    for (std::size_t at = 0; at < bytes; at += page) begin[at] = 0;
    if (bytes > 0) begin[bytes - 1] = 0;
}

// AddressSanitizer replaces glibc's allocator, which the settings below are for.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kGlibcHeap = false;
#else
constexpr bool kGlibcHeap = true;
#endif

bool SetUpHeap(std::size_t bytes) {
    if (!kGlibcHeap) return false;
    if (mallopt(M_ARENA_MAX, 1) == 0) return false;
    if (mallopt(M_MMAP_THRESHOLD, kLargestHeapArray) == 0) return false;
    // Never give the top of the heap back: the next run would fault it in again.
    if (mallopt(M_TRIM_THRESHOLD, 0x7fffffff) == 0) return false;

    const long pageSize = sysconf(_SC_PAGESIZE);
    const std::size_t page = pageSize > 0 ? static_cast<std::size_t>(pageSize) : 4096;
    std::vector<void*> pieces;
    pieces.reserve(bytes / kPiece + 1);
    bool complete = true;
    for (std::size_t grown = 0; grown < bytes; grown += kPiece) {
        const std::size_t size = std::min(kPiece, bytes - grown);
        void* piece = std::malloc(size);
        if (piece == nullptr) {
            complete = false;
            break;
        }
        pieces.push_back(piece);
        AdviseHugePages(static_cast<char*>(piece), size);
        Touch(static_cast<char*>(piece), size, page);
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) std::free(*it);
    return complete;
}

}  // namespace

bool WorkingMemory::Prepare(std::size_t bytes) {
    // Once per process: the heap then already holds the memory.
    static const bool prepared = SetUpHeap(bytes);
    return prepared;
}

}  // namespace wirvela
