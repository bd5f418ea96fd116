#pragma once
// The progress line of a manual motion (wirvela-cli move and turn) on a terminal: how far
// the motion has come where the controller's position is known, and how long it has run.
// Short motions stay quiet: the line appears only once a motion has run a second.
#include <iosfwd>
#include <optional>
#include <string>

namespace wirvela {

struct MotionProgress {
    bool turn = false;   // a table turn, else a move of the wire
    double seconds = 0;  // real time since the motion started
    // Steps along the motion's longest axis (the table's for a turn): done so far, known
    // only where the controller's position can be watched (the simulated controller), and
    // in all.
    std::optional<long long> done;
    long long total = 0;
};

// "moving: 1250 of 4000 steps (31%), 00:00:05"; "turning: 00:00:12" without a position.
std::string MotionProgressText(const MotionProgress& progress);

// Draws MotionProgressText in place on one line of `err`.
class MotionProgressLine {
public:
    static constexpr double kFirstAfterSeconds = 1.0;
    static constexpr double kEverySeconds = 0.25;

    explicit MotionProgressLine(std::ostream& err) : err_(err) {}

    // Draws the line when it is due: not before kFirstAfterSeconds of the motion, then at
    // most every kEverySeconds.
    void Update(const MotionProgress& progress);
    // Ends the line, when one was drawn, so that what follows starts on a line of its own.
    void Finish();

private:
    std::ostream& err_;
    std::optional<double> shownAt_;
};

}  // namespace wirvela
