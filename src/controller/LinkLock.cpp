#include "controller/LinkLock.h"

#include <chrono>

namespace wirvela {

bool LinkLock::Acquire(std::int64_t milliseconds) {
    std::unique_lock lock(mutex_);
    const auto self = std::this_thread::get_id();
    if (held_ && owner_ == self) return true;
    ++priorityWaiters_;
    const auto free = [this] { return !held_; };
    bool ok = true;
    if (milliseconds < 0) {
        changed_.wait(lock, free);
    } else {
        ok = changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), free);
    }
    --priorityWaiters_;
    if (ok) {
        held_ = true;
        owner_ = self;
    }
    // A reader held back by this waiter may go on now.
    if (priorityWaiters_ == 0) changed_.notify_all();
    return ok;
}

bool LinkLock::AcquireForReader(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait(lock, stop, [this] { return !held_ && priorityWaiters_ == 0; })) return false;
    held_ = true;
    owner_ = std::this_thread::get_id();
    return true;
}

bool LinkLock::Release() {
    {
        std::lock_guard lock(mutex_);
        if (!held_ || owner_ != std::this_thread::get_id()) return false;
        held_ = false;
        owner_ = {};
    }
    changed_.notify_all();
    return true;
}

bool LinkLock::HeldByCurrentThread() const {
    std::lock_guard lock(mutex_);
    return held_ && owner_ == std::this_thread::get_id();
}

bool LinkLock::Held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

}  // namespace wirvela
