#pragma once
// Stop requests during a machine command: while a guard lives, SIGINT (Ctrl+C), SIGTERM
// and SIGHUP only raise a flag that the command's loop reads, so the command can cancel
// the controller's program, save the wear and report before it ends with 128 + the
// signal's number. The previous handlers come back when the guard goes. One guard at a
// time; a command makes it first thing, so a signal at any moment of the run is caught.
#include <csignal>
#include <functional>
#include <string_view>

namespace wirvela {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // A stop signal arrived since the guard was made.
    bool Interrupted() const;
    // The first signal that arrived; 0 before any.
    int Signal() const;
    // 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
    int ExitCode() const;
    // How the summary names it: "Ctrl+C", "SIGTERM", "SIGHUP".
    const char* Name() const;

private:
    struct sigaction previous_[3];
};

// The phases of a machine command ("loaded", "linked", "block", "running"): a test can
// have a signal arrive at a chosen one. Without a hook nothing happens.
void SetRunPhaseHook(std::function<void(std::string_view phase)> hook);
void RunPhase(std::string_view phase);

}  // namespace wirvela
