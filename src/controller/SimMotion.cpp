#include "controller/SimMotion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace wirvela {

namespace {

constexpr double kEpsMs = 1e-9;
// Zero-time frames (empty moves, skipped letters, repeats without a turn) fetched per
// Advance before time moves on; keeps a pathological program from starving the caller.
constexpr int kFetchBudget = 4096;

std::int64_t StepsDone(double elapsedMs, double stepMs, std::int64_t total) {
    if (stepMs <= 0) return total;
    const double steps = std::floor(elapsedMs / stepMs + 1e-9);
    return steps >= static_cast<double>(total) ? total : static_cast<std::int64_t>(steps);
}

}  // namespace

SimMotion::SimMotion(std::size_t traceCapacity) : traceCapacity_(traceCapacity) {}

void SimMotion::SetTravel(const SimAxisTravel& x, const SimAxisTravel& y) {
    travelX_ = x;
    travelY_ = y;
}

void SimMotion::SetPositions(const std::array<SimPoint, 2>& ends, std::int64_t table) {
    ends_ = ends;
    table_ = table;
    pressed_ = {};
    reportedBits_ = 0;
}

std::uint8_t SimMotion::SwitchBits() const {
    std::uint8_t bits = 0;
    for (const auto& end : pressed_) {
        if (end[0].lo) bits |= 1;  // left
        if (end[0].hi) bits |= 2;  // right
        if (end[1].hi) bits |= 4;  // top
        if (end[1].lo) bits |= 8;  // bottom
    }
    return bits;
}

void SimMotion::Begin(SimRunSetup setup) {
    setup_ = std::move(setup);
    trace_.clear();
    dropped_ = 0;
    counters_ = {};
    elapsed_ = 0;
    preheatLeft_ = setup_.heatingTimeMs;
    wire_ = setup_.heating;
    running_ = true;
    for (int p = 0; p < 2; ++p) {
        Runner r;
        r.active = p == 0 || setup_.mode[1] != 0;
        r.mask = static_cast<std::uint8_t>(setup_.mode[static_cast<std::size_t>(p)] & 3u);
        r.start = setup_.start[static_cast<std::size_t>(p)];
        r.pc = r.start;
        runners_[static_cast<std::size_t>(p)] = r;
    }
    Sample(SimEvent::RunStart, -1);
}

SimStep SimMotion::Advance(double maxMs) {
    SimStep out;
    if (!running_) {
        out.finished = true;
        return out;
    }
    maxMs = std::max(0.0, maxMs);
    if (preheatLeft_ > 0) {
        const double dt = std::min(maxMs, preheatLeft_);
        preheatLeft_ -= dt;
        elapsed_ += dt;
        out.ms = dt;
        if (preheatLeft_ <= kEpsMs) {
            preheatLeft_ = 0;
            Sample(SimEvent::PreheatEnd, -1);
        }
        return out;
    }
    for (int p = 0; p < 2; ++p) {
        if (!Fetch(runners_[static_cast<std::size_t>(p)], p, out)) return out;
    }
    if (AllDone()) {
        wire_ = 0;
        running_ = false;
        Sample(SimEvent::RunEnd, -1);
        out.finished = true;
        return out;
    }
    double dt = maxMs;
    for (const Runner& r : runners_) {
        if (!r.active || r.done) continue;
        // A runner still without a timed phase used up its fetch budget: no time passes.
        dt = r.phase == Phase::None ? 0.0 : std::min(dt, r.length - r.elapsed);
    }
    dt = std::max(0.0, dt);
    for (int p = 0; p < 2; ++p) {
        Runner& r = runners_[static_cast<std::size_t>(p)];
        if (r.active && !r.done && r.phase != Phase::None) Progress(r, p, dt);
    }
    elapsed_ += dt;
    out.ms = dt;
    for (int p = 0; p < 2; ++p) {
        Runner& r = runners_[static_cast<std::size_t>(p)];
        if (r.active && !r.done && r.phase != Phase::None && r.elapsed >= r.length - kEpsMs) Complete(r, p);
    }
    CheckSwitches(out);
    return out;
}

bool SimMotion::Fetch(Runner& r, int program, SimStep& out) {
    const auto& memory = setup_.program;
    for (int budget = kFetchBudget; r.active && !r.done && r.phase == Phase::None && budget > 0; --budget) {
        if (static_cast<std::size_t>(r.pc) + kSimFrameSize > memory.size()) {
            r.done = true;
            Sample(SimEvent::ProgramEnd, program);
            break;
        }
        SimFrame frame;
        std::copy_n(memory.begin() + r.pc, kSimFrameSize, frame.begin());
        const std::uint8_t letter = frame[0];
        if (SimIsLineLetter(letter)) {
            const SimLine line = SimDecodeLine(frame);
            if (line.delay && setup_.cornerDelayMs > 0 && !r.pausedBeforeLine) {
                r.pausedBeforeLine = true;
                ++counters_.cornerPauses;
                counters_.cornerPauseMs += setup_.cornerDelayMs;
                StartPhase(r, Phase::Pause, setup_.cornerDelayMs);
                break;
            }
            const double subStepMs = SimTicksToMs(line.ticksPerSubStep, setup_.clockHz);
            const double stepMs = subStepMs * line.subStepsPerStep;
            if (setup_.minStepPeriodUs > 0 && line.majorSteps > 0 && stepMs * 1000.0 < setup_.minStepPeriodUs &&
                !r.speedAccepted) {
                r.speedAccepted = true;
                out.fault = 131;
                return false;
            }
            r.pausedBeforeLine = false;
            r.speedAccepted = false;
            r.pc += kSimFrameSize;
            r.line = line;
            r.stepMs = stepMs;
            r.subStepMs = subStepMs;
            r.appliedMajor = r.appliedMinor = r.appliedRotary = 0;
            StartPhase(r, Phase::Line, line.majorSteps * stepMs);
            if (line.majorSteps == 0) Complete(r, program);
        } else if (letter == 'e') {
            r.done = true;
            Sample(SimEvent::ProgramEnd, program);
        } else if (letter == 'f') {
            if (r.repeatsDone < setup_.repeats) {
                ++r.repeatsDone;
                ++counters_.repeats;
                r.pc = r.start;
                Sample(SimEvent::Repeat, program);
                const std::int64_t magnitude = setup_.repeatTurn & 0x7FFFFFFFu;
                if (magnitude > 0) {
                    r.turnSteps = magnitude;
                    r.turnSign = (setup_.repeatTurn & 0x80000000u) ? -1 : 1;
                    r.stepMs = std::max<double>(1.0, setup_.rotVelocityMs);
                    r.appliedRotary = 0;
                    StartPhase(r, Phase::Turn, static_cast<double>(magnitude) * r.stepMs);
                }
            } else {
                r.pc += kSimFrameSize;
            }
        } else if (letter == 'g') {
            const SimTurn turn = SimDecodeTurn(frame);
            r.pc += kSimFrameSize;
            if (turn.steps != 0) {
                r.turnSteps = std::llabs(static_cast<long long>(turn.steps));
                r.turnSign = turn.steps < 0 ? -1 : 1;
                r.stepMs = SimTicksToMs(turn.ticksPerStep, setup_.clockHz);
                r.appliedRotary = 0;
                StartPhase(r, Phase::Turn, static_cast<double>(r.turnSteps) * r.stepMs);
            }
        } else {
            r.pc += kSimFrameSize;
        }
    }
    return true;
}

void SimMotion::StartPhase(Runner& r, Phase phase, double lengthMs) {
    r.phase = phase;
    r.length = lengthMs;
    r.elapsed = 0;
}

void SimMotion::Progress(Runner& r, int program, double dt) {
    r.elapsed += dt;
    if (r.phase == Phase::Line) {
        const std::int64_t major = r.line.majorSteps;
        ApplyLine(r, program, StepsDone(r.elapsed, r.stepMs, major),
                  StepsDone(r.elapsed, r.subStepMs, major * r.line.subStepsPerStep));
    } else if (r.phase == Phase::Turn) {
        ApplyTurn(r, program, StepsDone(r.elapsed, r.stepMs, r.turnSteps));
    }
}

void SimMotion::Complete(Runner& r, int program) {
    const Phase phase = r.phase;
    r.phase = Phase::None;
    if (phase == Phase::Line) {
        const std::int64_t major = r.line.majorSteps;
        ApplyLine(r, program, major, major * r.line.subStepsPerStep);
        ++counters_.lines;
        Sample(SimEvent::Line, program);
    } else if (phase == Phase::Turn) {
        ApplyTurn(r, program, r.turnSteps);
        ++counters_.turns;
        Sample(SimEvent::Turn, program);
    } else if (phase == Phase::Pause) {
        Sample(SimEvent::CornerPause, program);
    }
}

void SimMotion::ApplyLine(Runner& r, int program, std::int64_t major, std::int64_t sub) {
    const std::int64_t minor = SimMinorStepsAt(major, r.line.slope);
    const std::int64_t rotary = SimRotaryStepsAt(sub, r.line.kfd);
    const std::int64_t dMajor = (major - r.appliedMajor) * r.line.majorSign;
    const std::int64_t dMinor = (minor - r.appliedMinor) * r.line.minorSign;
    const std::int64_t dRotary = rotary - r.appliedRotary;
    r.appliedMajor = major;
    r.appliedMinor = minor;
    r.appliedRotary = rotary;
    if (r.line.xMajor) {
        MoveEnds(r.mask, dMajor, dMinor);
    } else {
        MoveEnds(r.mask, dMinor, dMajor);
    }
    if (program == 0) table_ += r.line.rotaryNegative ? -dRotary : dRotary;
}

void SimMotion::ApplyTurn(Runner& r, int program, std::int64_t steps) {
    const std::int64_t d = steps - r.appliedRotary;
    r.appliedRotary = steps;
    if (program == 0) table_ += d * r.turnSign;
}

namespace {

// One axis that may be stopped by its limit switches; `d` is monotonic within a call.
template <typename PressedT>
void MoveAxis(std::int64_t& pos, std::int64_t d, const SimAxisTravel& travel, PressedT& pressed) {
    if (d == 0) return;
    const std::int64_t target = pos + d;
    if (!travel.limited) {
        pos = target;
        return;
    }
    if (d > 0) {
        if (target > travel.max) {
            pos = std::max(pos, travel.max);
            pressed.hi = true;
        } else {
            pos = target;
        }
        if (pos > travel.min) pressed.lo = false;
    } else {
        if (target < travel.min) {
            pos = std::min(pos, travel.min);
            pressed.lo = true;
        } else {
            pos = target;
        }
        if (pos < travel.max) pressed.hi = false;
    }
}

}  // namespace

void SimMotion::MoveEnds(std::uint8_t mask, std::int64_t dx, std::int64_t dy) {
    for (std::size_t e = 0; e < 2; ++e) {
        if (!(mask & (1u << e))) continue;
        MoveAxis(ends_[e].x, dx, travelX_, pressed_[e][0]);
        MoveAxis(ends_[e].y, dy, travelY_, pressed_[e][1]);
    }
}

void SimMotion::CheckSwitches(SimStep& out) {
    const std::uint8_t bits = SwitchBits();
    if (bits == reportedBits_) return;
    reportedBits_ = bits;
    const auto code = static_cast<std::uint8_t>(0x90 | bits);
    out.reports.push_back(code);
    Sample(SimEvent::LimitSwitch, -1, code);
}

bool SimMotion::AllDone() const {
    for (const Runner& r : runners_) {
        if (r.active && !r.done) return false;
    }
    return true;
}

void SimMotion::SetWireCurrent(std::uint8_t value) {
    wire_ = value;
    if (running_) Sample(SimEvent::Heating, -1);
}

void SimMotion::Mark(SimEvent event, std::uint8_t code) {
    if (running_) Sample(event, -1, code);
}

void SimMotion::Stop(SimEvent event) {
    if (!running_) return;
    wire_ = 0;
    Sample(event, -1);
    running_ = false;
}

void SimMotion::Sample(SimEvent event, int program, std::uint8_t code) {
    if (trace_.size() >= traceCapacity_) {
        ++dropped_;
        return;
    }
    SimSample s;
    s.timeMs = elapsed_;
    s.event = event;
    s.program = static_cast<std::int8_t>(program);
    s.ends = ends_;
    s.table = table_;
    s.heating = wire_;
    s.code = code;
    trace_.push_back(s);
}

}  // namespace wirvela
