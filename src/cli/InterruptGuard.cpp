#include "cli/InterruptGuard.h"

#include <csignal>

namespace wirvela {

namespace {

// Set by the handler, read by the run's loop.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
}

bool InterruptGuard::Interrupted() const {
    return g_interrupted != 0;
}

}  // namespace wirvela
