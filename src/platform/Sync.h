#pragma once
// Locks with bounded waits, standing in for the named mutexes of the original design.
// The drawing mutex is recursive (the loader holds it while the joining it starts takes
// it again on the same thread in nested runs); the link lock is not.
#include <chrono>
#include <cstdint>
#include <mutex>

namespace wirvela {

using RecursiveTimedMutex = std::recursive_timed_mutex;
using TimedMutex = std::timed_mutex;

// Waits for the lock at most `milliseconds`; a negative wait means without limit.
template <typename Mutex>
bool LockFor(Mutex& m, std::int64_t milliseconds) {
    if (milliseconds < 0) {
        m.lock();
        return true;
    }
    return m.try_lock_for(std::chrono::milliseconds(milliseconds));
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
