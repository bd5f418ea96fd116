#include "cli/InterruptGuard.h"

#include <utility>

namespace wirvela {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// Set by the handler, read by the run's loop: the first signal wins.
volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnStopSignal(int signal) {
    if (g_signal == 0) g_signal = signal;
}

std::function<void(std::string_view)>& PhaseHook() {
    static std::function<void(std::string_view)> hook;
    return hook;
}

}  // namespace

InterruptGuard::InterruptGuard() {
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and waits that the signal interrupts go on; the loop looks at the flag.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

InterruptGuard::~InterruptGuard() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool InterruptGuard::Interrupted() const {
    return g_signal != 0;
}

int InterruptGuard::Signal() const {
    return g_signal;
}

int InterruptGuard::ExitCode() const {
    return 128 + (g_signal != 0 ? static_cast<int>(g_signal) : SIGINT);
}

const char* InterruptGuard::Name() const {
    switch (g_signal) {
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "Ctrl+C";
    }
}

void SetRunPhaseHook(std::function<void(std::string_view phase)> hook) {
    PhaseHook() = std::move(hook);
}

void RunPhase(std::string_view phase) {
    if (PhaseHook()) PhaseHook()(phase);
}

}  // namespace wirvela
