#pragma once
// The event channel of one window model: worker threads hand the window events (an event
// code and an argument) without touching the window's state themselves.
//  - Post queues the event and returns at once.
//  - PostText queues an event whose argument is a text: the channel keeps the text until
//    the handler has run and hands the handler a pointer to it (a NUL-terminated char
//    array), as a Send of a text would. With Wake::AtNextLook it does not wake the
//    window's thread: the event waits for the thread's next look at the queue (its
//    poll, or the next event that wakes it). For frequent progress texts, where waking
//    the thread for each costs the sender more than the text is worth.
//  - Send waits until the window's thread has handled the event and returns the
//    handler's result; called on the window's own thread it runs the handler at once.
// The window's thread (the GUI thread, or the CLI's and tests' own loop) calls
// ProcessPending to handle what is queued, in order. Close wakes every waiting sender;
// events sent or posted after Close are dropped.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace wirvela {

class EventChannel {
public:
    using Handler = std::function<std::intptr_t(int code, std::intptr_t arg)>;

    // The handler runs on the thread that calls ProcessPending, which from now on is
    // the window's thread. The notifier (optional) is called after an event is queued,
    // from the queueing thread, so a GUI can wake its event loop.
    explicit EventChannel(Handler handler, std::function<void()> notifier = {});
    ~EventChannel();
    EventChannel(const EventChannel&) = delete;
    EventChannel& operator=(const EventChannel&) = delete;

    // Makes the calling thread the window's thread (the creating thread is by default).
    void BindToCurrentThread();

    // How a posted event reaches the window's thread.
    enum class Wake { Now, AtNextLook };

    void Post(int code, std::intptr_t arg = 0);
    void PostText(int code, std::string text, Wake wake = Wake::Now);
    // Returns the handler's result, or -1 when the channel was closed before handling.
    std::intptr_t Send(int code, std::intptr_t arg = 0);

    // Handles every queued event; returns how many. Call on the window's thread.
    int ProcessPending();
    // Waits at most `milliseconds` for an event to arrive, then handles what is queued.
    int WaitAndProcess(int milliseconds);

    void Close();
    bool Closed() const;

private:
    struct Event {
        int code = 0;
        std::intptr_t arg = 0;
        std::uint64_t ticket = 0;  // 0 for posted events
        bool hasText = false;      // the argument is `text`
        std::string text;
    };

    void Queue(Event event, Wake wake);
    // Returns once the window's thread has answered `ticket`, or after a short while.
    void WatchForAnswer(std::uint64_t ticket) const;

    Handler handler_;
    std::function<void()> notifier_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable handled_;
    std::deque<Event> queue_;
    std::thread::id owner_;
    std::uint64_t nextTicket_ = 1;
    std::unordered_map<std::uint64_t, std::intptr_t> results_;  // by ticket, until the sender takes it
    // The last ticket answered: tickets are handed out in queue order and answered in it.
    std::atomic<std::uint64_t> lastAnswered_{0};
    bool closed_ = false;
};

}  // namespace wirvela
