#pragma once
// SIGTERM and SIGHUP (a logout, a service manager, `kill`) end the desktop program the way
// its own exit does: the event loop ends, the main window shuts down in order (the
// controller gets the cancel, the settings are saved), and the exit code is 128 + the
// signal. The handler only writes the signal's number into a pipe that the event loop
// watches, the one thing a signal handler may safely do.
#include <QObject>

class QSocketNotifier;

namespace wirvela {

class QtStopSignals : public QObject {
public:
    explicit QtStopSignals(QObject* parent = nullptr);
    ~QtStopSignals() override;

private:
    void Arrived();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace wirvela
