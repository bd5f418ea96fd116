#pragma once
// The program's working memory, made ready before the first drawing is loaded.
//
// On the virtual machines the program runs on, the first touch of each fresh page of
// memory costs about ten microseconds. Loading and joining a drawing of 10,000 lines
// works on a few megabytes of tables, grids and queues for a few milliseconds, so with
// the allocator's defaults (every thread an arena of its own, freed memory handed back
// to the system, large arrays mapped afresh each time) more than half of that time went
// to page faults, on every load again. Prepare therefore
//  - keeps all threads on one heap (the joining worker's memory is then the memory the
//    window thread made ready),
//  - keeps freed memory in the heap instead of returning it, and serves arrays of up to
//    32 MiB from the heap too, so that one pass reuses what the previous one freed,
//  - and grows the heap once by `bytes`, touched page by page (advised as huge pages
//    where the kernel allows, which makes the touching itself cheap), then frees it for
//    the heap to reuse.
// The cost moves to the program's start (tens of milliseconds) and the memory stays
// with the process: `bytes` should hold the drawing tables and the largest planning run.
//
// With `bytes` 0 only the heap is set up so (one heap, freed memory kept), and nothing is
// touched in advance: for a process that runs one drawing and ends.
//
// Call it early in main(), before other threads start; only the first call in a process
// does anything. In AddressSanitizer builds it does nothing (the sanitizer brings its own
// allocator).
#include <cstddef>

namespace wirvela {

class WorkingMemory {
public:
    // What the program makes ready: the drawing tables (about 45 MiB) and the working
    // memory of joining a drawing of 50,000 lines (about 25 MiB), with room to spare.
    static constexpr std::size_t kProgramBytes = std::size_t{96} << 20;

    // True when the heap was grown by `bytes` and touched (false: the allocator could not
    // be set up so, or the memory was not to be had; the program runs on regardless).
    // Later calls return the first call's answer.
    static bool Prepare(std::size_t bytes);
};

}  // namespace wirvela
