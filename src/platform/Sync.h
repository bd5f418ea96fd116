#pragma once
// Locks with bounded waits, standing in for the named mutexes of the original design.
// The drawing mutex is recursive (the loader holds it while the joining it starts takes
// it again on the same thread in nested runs); the link lock is not.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace wirvela {

using RecursiveTimedMutex = std::recursive_timed_mutex;
using TimedMutex = std::timed_mutex;

// Waits for the lock at most `milliseconds`; a negative wait means without limit.
// The bounded wait polls try_lock instead of calling try_lock_for: ThreadSanitizer
// (gcc 12) does not see locks taken by the timed calls and then reports every later
// unlock. A poll every millisecond is well inside the waits the program uses.
template <typename Mutex>
bool LockFor(Mutex& m, std::int64_t milliseconds) {
    if (milliseconds < 0) {
        m.lock();
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (m.try_lock()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Holds a lock taken with a bounded wait until the end of the scope.
template <typename Mutex>
class TimedLock {
public:
    TimedLock(Mutex& m, std::int64_t milliseconds) : m_(m), owns_(LockFor(m, milliseconds)) {}
    ~TimedLock() {
        if (owns_) m_.unlock();
    }
    TimedLock(const TimedLock&) = delete;
    TimedLock& operator=(const TimedLock&) = delete;
    bool Owns() const { return owns_; }
    explicit operator bool() const { return owns_; }

private:
    Mutex& m_;
    bool owns_;
};

}  // namespace wirvela
