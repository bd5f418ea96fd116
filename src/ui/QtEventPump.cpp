#include "ui/QtEventPump.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/EventChannel.h"

namespace wirvela {

// What the notifiers share with the pump: they may outlive it and run on any thread.
struct QtEventPump::Waker {
    std::mutex mutex;
    QtEventPump* pump = nullptr;  // null once the pump is gone
    std::atomic<bool> scheduled{false};

    void Wake() {
        // One queued wake-up is enough however many events arrive before it runs.
        if (scheduled.exchange(true)) return;
        std::lock_guard lock(mutex);
        if (pump) QMetaObject::invokeMethod(pump, &QtEventPump::Woken, Qt::QueuedConnection);
    }
};

QtEventPump::QtEventPump(QObject* parent) : QObject(parent), waker_(std::make_shared<Waker>()) {
    waker_->pump = this;
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &QtEventPump::Drain);
}

QtEventPump::~QtEventPump() {
    std::lock_guard lock(waker_->mutex);
    waker_->pump = nullptr;
}

std::function<void()> QtEventPump::Notifier() const {
    return [waker = waker_] { waker->Wake(); };
}

void QtEventPump::Watch(EventChannel& channel) {
    if (Watching(channel)) return;
    channel.BindToCurrentThread();
    channels_.push_back(&channel);
    if (!poll_.isActive()) poll_.start();
    // Events may have been queued before the channel was watched.
    waker_->Wake();
}

void QtEventPump::Unwatch(EventChannel& channel) {
    channels_.erase(std::remove(channels_.begin(), channels_.end(), &channel), channels_.end());
    if (channels_.empty()) poll_.stop();
}

bool QtEventPump::Watching(const EventChannel& channel) const {
    return std::find(channels_.begin(), channels_.end(), &channel) != channels_.end();
}

void QtEventPump::Woken() {
    waker_->scheduled = false;
    Drain();
}

int QtEventPump::Drain() {
    int handled = 0;
    // A handler may open a dialog whose loop drains again, or unwatch a channel: walk a copy
    // and skip what is no longer watched.
    const std::vector<EventChannel*> channels = channels_;
    for (EventChannel* channel : channels) {
        if (!Watching(*channel)) continue;
        handled += channel->ProcessPending();
    }
    if (handled > 0) emit Handled();
    return handled;
}

}  // namespace wirvela
