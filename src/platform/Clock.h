#pragma once
// The millisecond tick counter and sleeping. Ticks come from a monotonic clock, so a
// change of the wall-clock time never makes a time-out fire early or late.
#include <cstdint>

namespace wirvela {

// Milliseconds since an arbitrary fixed point (the first call in the process).
std::uint32_t TickCount();
// The same, without wrap-around.
std::uint64_t TickCount64();
void SleepMs(std::uint32_t milliseconds);

}  // namespace wirvela
