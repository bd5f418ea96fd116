#pragma once
// The link lock ("RS_LOCK_MUTEX<process id>"): whoever holds it owns the USB port. The
// window thread holds it while no program runs; the reader thread takes it for one read
// at a time while a program runs.
//
// Built on a mutex and a condition variable instead of std::timed_mutex: gcc 12's timed
// waits are invisible to ThreadSanitizer, and the lock needs two things a plain timed
// mutex lacks:
//  - the window thread has priority: while it waits, the reader does not take the lock
//    again, so a bounded wait gets the port between two reads however fast the reader
//    loops;
//  - the owner is known, so taking the lock twice on one thread or releasing a lock one
//    does not hold is harmless (the first succeeds at once and is not counted, the second
//    is refused) instead of undefined.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace wirvela {

class LinkLock {
public:
    explicit LinkLock(std::string name) : name_(std::move(name)) {}
    LinkLock(const LinkLock&) = delete;
    LinkLock& operator=(const LinkLock&) = delete;

    // Window side: waits at most `milliseconds` (negative: without limit); true when the
    // calling thread holds the lock afterwards.
    bool Acquire(std::int64_t milliseconds);
    // Reader side: waits without limit, giving way to waiting Acquire calls; false when a
    // stop was requested before the lock could be taken.
    bool AcquireForReader(std::stop_token stop);
    // Releases the lock if the calling thread holds it; false otherwise.
    bool Release();

    bool HeldByCurrentThread() const;
    bool Held() const;
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    bool held_ = false;
    std::thread::id owner_;
    int priorityWaiters_ = 0;
};

}  // namespace wirvela
