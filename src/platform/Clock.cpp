#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace wirvela {

namespace {
const auto kStart = std::chrono::steady_clock::now();
}

std::uint64_t TickCount64() {
    auto elapsed = std::chrono::steady_clock::now() - kStart;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

std::uint32_t TickCount() { return static_cast<std::uint32_t>(TickCount64()); }

void SleepMs(std::uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace wirvela
