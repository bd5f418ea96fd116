#pragma once
// Drains the event channels of the window models on the GUI thread. Worker threads (the
// joining worker, the controller link's reader thread, the pendant threads) Post or Send
// to a model's EventChannel; the pump handles what they queue on the thread that owns the
// widgets, so a model's handler never runs beside the GUI. A Send from a worker waits, as
// EventChannel makes it, until the pump has handled the event.
//
// A channel built with Notifier() wakes the pump at once; the pump also polls every
// watched channel every kPollMs, for channels whose owners built them without a notifier.
// Create, use and destroy the pump on the GUI thread; only the notifier may be called from
// any thread, also after the pump is gone (it then does nothing).
//
// A handler may open a modal dialog; the dialog's event loop keeps draining, so events
// queued meanwhile are handled inside it, in order.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace wirvela {

class EventChannel;

class QtEventPump : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 10;

    explicit QtEventPump(QObject* parent = nullptr);
    ~QtEventPump() override;

    // The notifier to give an EventChannel at construction: wakes this pump from any thread.
    // The channel must also be watched.
    std::function<void()> Notifier() const;

    // Starts and ends the draining of a channel. A watched channel must be unwatched before
    // it is destroyed. Watching a channel twice is watching it once. The channel's handler
    // runs on the GUI thread, so the channel is bound to it.
    void Watch(EventChannel& channel);
    void Unwatch(EventChannel& channel);
    bool Watching(const EventChannel& channel) const;

    // Handles what is queued on every watched channel now; returns how many events.
    int Drain();

signals:
    // Some events have been handled: views refresh from their models.
    void Handled();

private:
    struct Waker;
    void Woken();

    std::shared_ptr<Waker> waker_;
    std::vector<EventChannel*> channels_;
    QTimer poll_;
};

}  // namespace wirvela
