#include "cli/MotionProgress.h"

#include <algorithm>
#include <ostream>

#include "cutting/CutSetup.h"

namespace wirvela {

std::string MotionProgressText(const MotionProgress& p) {
    std::string text = p.turn ? "turning: " : "moving: ";
    if (p.done) {
        const long long done = std::clamp(*p.done, 0LL, std::max(p.total, 0LL));
        text += std::to_string(done) + " of " + std::to_string(p.total) + (p.turn ? " table steps" : " steps");
        if (p.total > 0) text += " (" + std::to_string(done * 100 / p.total) + "%)";
        text += ", ";
    }
    return text + DurationText(static_cast<long long>(std::max(0.0, p.seconds)));
}

void MotionProgressLine::Update(const MotionProgress& progress) {
    if (progress.seconds < kFirstAfterSeconds) return;
    if (shownAt_ && progress.seconds - *shownAt_ < kEverySeconds) return;
    shownAt_ = progress.seconds;
    err_ << '\r' << MotionProgressText(progress) << "\x1b[K" << std::flush;
}

void MotionProgressLine::Finish() {
    if (shownAt_) err_ << '\n';
    shownAt_.reset();
}

}  // namespace wirvela
