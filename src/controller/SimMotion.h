#pragma once
// The machine inside the simulated controller and the executor of its programs: two wire
// ends (x and y each, in motor steps) and the rotary table (steps), the limit switches, and
// up to two programs that run side by side from the controller's program memory.
//
// Time is simulated: Advance moves the run forward by at most the given number of
// milliseconds and never past the end of a move, a pause or a turn, so every trace sample
// is exact at its time. Not thread-safe; the controller serialises all calls.
//
// Execution rules (the controller's behaviour where the link does not fix it):
//  - Program p starts at its start address; program 0 always runs, program 1 only when its
//    mode register is non-zero. Mode register p is a mask of the wire ends program p
//    drives: bit 0 wire end 1 (index 0), bit 1 wire end 2 (index 1). The rotary table
//    follows program 0 only; program 1's rotary steps and turns take time without turning.
//  - A run begins with the preheating time (heating on, nothing moves).
//  - 'c' / 'd' pause for the corner delay before their move.
//  - 'e' ends the program; running off the end of the memory ends it too.
//  - 'f' (repeat): while fewer than `repeats` repetitions were made, the table turns by
//    `repeatTurn` (sign-magnitude, bit 31 negative) at `rotVelocityMs` per step (at least
//    1 ms) and the program continues at its start address; afterwards 'f' does nothing.
//  - 'g' turns the table by dfi steps, each step lasting the frame's timer period.
//  - Letters outside 'a' to 'g' found in program memory are skipped.
//  - An axis that would leave its travel stays at the limit (the step is not made) and its
//    limit switch closes; it opens again when the axis moves back inside. Every change of
//    the closed switches is reported as 0x90 | bits (1 left, 2 right, 4 top, 8 bottom;
//    0x90 alone when all are open again). Both wire ends share the four switches.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "controller/SimFrameDecoder.h"

namespace wirvela {

struct SimPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const SimPoint&, const SimPoint&) = default;
};

// Travel of one axis in steps; positions min..max are reachable.
struct SimAxisTravel {
    bool limited = false;
    std::int64_t min = 0;
    std::int64_t max = 0;
};

enum class SimEvent : std::uint8_t {
    RunStart,     // C_CUTROT accepted; heating switched on
    PreheatEnd,
    Line,         // a move ended
    CornerPause,  // a corner pause ended
    Turn,         // a table turn ended
    Repeat,       // C_REPEAT jumped back to the program start
    ProgramEnd,   // one program reached its end
    Heating,      // the heating current changed during the run
    Hold,
    Resume,
    LimitSwitch,  // the closed limit switches changed; code = the reported byte
    Fault,        // code = the reported error
    RunEnd,       // every program ended; STAT_END
    Cancel,
};

struct SimSample {
    double timeMs = 0;               // simulated time since the run began
    SimEvent event = SimEvent::RunStart;
    std::int8_t program = -1;        // the program the event belongs to, -1 for the run
    std::array<SimPoint, 2> ends{};  // wire end 1 and wire end 2, steps
    std::int64_t table = 0;          // rotary table, steps
    std::uint8_t heating = 0;        // wire current at this time (0 = off)
    std::uint8_t code = 0;
};

struct SimRunSetup {
    std::vector<std::uint8_t> program;         // the controller's program memory
    std::array<std::uint32_t, 2> start{0, 0};  // start address of program 0 and 1, bytes
    std::array<std::uint8_t, 2> mode{3, 0};
    std::uint16_t cornerDelayMs = 0;
    std::uint16_t heatingTimeMs = 0;
    std::uint16_t repeats = 0;
    std::uint32_t repeatTurn = 0;
    std::uint16_t rotVelocityMs = 0;
    std::uint8_t heating = 0;
    double clockHz = 7372800.0;
    double minStepPeriodUs = 0;  // a move with a shorter major-step period faults with 131
};

struct SimStep {
    double ms = 0;                      // simulated time advanced
    std::vector<std::uint8_t> reports;  // limit switch bytes to send
    std::uint8_t fault = 0;             // 131: a move is too fast; the run stops before it
    bool finished = false;              // every program ended (or no run)
};

struct SimCounters {
    std::uint32_t lines = 0;
    std::uint32_t turns = 0;
    std::uint32_t repeats = 0;
    std::uint32_t cornerPauses = 0;
    double cornerPauseMs = 0;
};

class SimMotion {
public:
    explicit SimMotion(std::size_t traceCapacity = 1000000);

    void SetTravel(const SimAxisTravel& x, const SimAxisTravel& y);
    // Puts the machine somewhere (tests); opens every limit switch.
    void SetPositions(const std::array<SimPoint, 2>& ends, std::int64_t table);
    const std::array<SimPoint, 2>& Ends() const { return ends_; }
    std::int64_t Table() const { return table_; }
    std::uint8_t SwitchBits() const;

    // Starts a run; clears the trace and the counters.
    void Begin(SimRunSetup setup);
    // After a fault of 131 the next Advance runs the move that caused it (the controller
    // calls it again only after a resume).
    SimStep Advance(double maxMs);
    bool Running() const { return running_; }
    double ElapsedMs() const { return elapsed_; }

    void SetWireCurrent(std::uint8_t value);
    std::uint8_t WireCurrent() const { return wire_; }
    // Adds a sample for an event of the run (hold, resume, fault).
    void Mark(SimEvent event, std::uint8_t code = 0);
    // Ends the run at once (cancel); the wire current goes off.
    void Stop(SimEvent event);

    const std::vector<SimSample>& Trace() const { return trace_; }
    std::size_t DroppedSamples() const { return dropped_; }
    const SimCounters& Counters() const { return counters_; }

private:
    enum class Phase : std::uint8_t { None, Pause, Line, Turn };
    struct Pressed {
        bool lo = false;
        bool hi = false;
    };
    struct Runner {
        bool active = false;
        bool done = false;
        std::uint8_t mask = 0;
        std::uint32_t start = 0;
        std::uint32_t pc = 0;
        std::uint32_t repeatsDone = 0;
        bool pausedBeforeLine = false;  // the corner pause of the frame at pc is over
        bool speedAccepted = false;     // the 131 of the frame at pc was reported
        Phase phase = Phase::None;
        double length = 0;  // ms
        double elapsed = 0;  // ms into the phase
        SimLine line;
        double stepMs = 0;     // major step (line) or table step (turn)
        double subStepMs = 0;
        std::int64_t appliedMajor = 0;
        std::int64_t appliedMinor = 0;
        std::int64_t appliedRotary = 0;
        std::int64_t turnSteps = 0;
        std::int32_t turnSign = 1;
    };

    bool Fetch(Runner& r, int program, SimStep& out);
    void StartPhase(Runner& r, Phase phase, double lengthMs);
    void Progress(Runner& r, int program, double dt);
    void Complete(Runner& r, int program);
    void ApplyLine(Runner& r, int program, std::int64_t major, std::int64_t sub);
    void ApplyTurn(Runner& r, int program, std::int64_t steps);
    void MoveEnds(std::uint8_t mask, std::int64_t dx, std::int64_t dy);
    void CheckSwitches(SimStep& out);
    bool AllDone() const;
    void Sample(SimEvent event, int program, std::uint8_t code = 0);

    std::size_t traceCapacity_;
    SimAxisTravel travelX_;
    SimAxisTravel travelY_;
    std::array<SimPoint, 2> ends_{};
    std::int64_t table_ = 0;
    std::array<std::array<Pressed, 2>, 2> pressed_{};  // [end][0 = x, 1 = y]
    std::uint8_t reportedBits_ = 0;

    SimRunSetup setup_;
    bool running_ = false;
    double elapsed_ = 0;
    double preheatLeft_ = 0;
    std::uint8_t wire_ = 0;
    std::array<Runner, 2> runners_{};
    std::vector<SimSample> trace_;
    std::size_t dropped_ = 0;
    SimCounters counters_;
};

}  // namespace wirvela
