#include "platform/EventChannel.h"

#include <chrono>
#include <utility>

namespace wirvela {
namespace {

// Lets the other hardware thread of the core run while this one waits for a memory change.
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

}  // namespace

EventChannel::EventChannel(Handler handler, std::function<void()> notifier)
    : handler_(std::move(handler)), notifier_(std::move(notifier)), owner_(std::this_thread::get_id()) {}

EventChannel::~EventChannel() { Close(); }

void EventChannel::BindToCurrentThread() {
    std::lock_guard lock(mutex_);
    owner_ = std::this_thread::get_id();
}

void EventChannel::Post(int code, std::intptr_t arg) {
    Event event;
    event.code = code;
    event.arg = arg;
    Queue(std::move(event), Wake::Now);
}

void EventChannel::PostText(int code, std::string text, Wake wake) {
    Event event;
    event.code = code;
    event.hasText = true;
    event.text = std::move(text);
    Queue(std::move(event), wake);
}

void EventChannel::Queue(Event event, Wake wake) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        queue_.push_back(std::move(event));
    }
    if (wake == Wake::AtNextLook) return;
    arrived_.notify_all();
    if (notifier_) notifier_();
}

std::intptr_t EventChannel::Send(int code, std::intptr_t arg) {
    std::uint64_t ticket;
    {
        std::unique_lock lock(mutex_);
        if (closed_) return -1;
        if (owner_ == std::this_thread::get_id()) {
            lock.unlock();
            return handler_ ? handler_(code, arg) : 0;
        }
        ticket = nextTicket_++;
        Event event;
        event.code = code;
        event.arg = arg;
        event.ticket = ticket;
        queue_.push_back(std::move(event));
    }
    arrived_.notify_all();
    if (notifier_) notifier_();

    WatchForAnswer(ticket);
    std::unique_lock lock(mutex_);
    handled_.wait(lock, [&] { return closed_ || results_.count(ticket) != 0; });
    auto it = results_.find(ticket);
    if (it == results_.end()) return -1;
    std::intptr_t result = it->second;
    results_.erase(it);
    return result;
}

// The window's thread, once woken, answers within microseconds; a sender that sleeps on the
// condition variable meanwhile pays for going to sleep and for being woken, which on the
// virtual machines the program runs on take tens of microseconds each. The joining sends
// dozens of events per run, so the sender watches for its answer a little first.
void EventChannel::WatchForAnswer(std::uint64_t ticket) const {
    constexpr auto kWatch = std::chrono::microseconds(100);
    const auto until = std::chrono::steady_clock::now() + kWatch;
    while (lastAnswered_.load(std::memory_order_acquire) < ticket) {
        for (int i = 0; i < 32; ++i) CpuRelax();
        if (std::chrono::steady_clock::now() >= until) return;
    }
}

int EventChannel::ProcessPending() {
    int count = 0;
    for (;;) {
        Event ev;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            ev = std::move(queue_.front());
            queue_.pop_front();
        }
        const std::intptr_t arg = ev.hasText ? reinterpret_cast<std::intptr_t>(ev.text.c_str()) : ev.arg;
        std::intptr_t result = handler_ ? handler_(ev.code, arg) : 0;
        ++count;
        if (ev.ticket != 0) {
            {
                std::lock_guard lock(mutex_);
                results_[ev.ticket] = result;
                lastAnswered_.store(ev.ticket, std::memory_order_release);
            }
            handled_.notify_all();
        }
    }
    return count;
}

int EventChannel::WaitAndProcess(int milliseconds) {
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return closed_ || !queue_.empty(); });
    }
    return ProcessPending();
}

void EventChannel::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
    }
    arrived_.notify_all();
    handled_.notify_all();
}

bool EventChannel::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace wirvela
