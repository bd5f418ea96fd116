#pragma once
// Ctrl+C during a run: while a guard lives, SIGINT only raises a flag that the run's loop
// reads, so the command can stop the machine and report; the previous handler comes
// back when the guard goes. One guard at a time.

namespace wirvela {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Ctrl+C was pressed since the guard was made.
    bool Interrupted() const;

private:
    void (*previous_)(int);
};

}  // namespace wirvela
