#pragma once
// The simulated cutter controller: the device at the far end of the USB link. It takes the
// bytes the link writes (HostWrite) and produces the bytes the link reads (HostRead), with
// the same frames, replies and status codes as the real controller, and executes programs
// on its own thread in simulated time (see SimMotion for the machine).
//
// Protocol behaviour, where the link leaves the controller open, in short (the full list
// is in docs/simulated-controller.md):
//  - every 12 bytes form a frame and get one reply byte, except the block bytes after
//    C_WRDMA and C_READVAR, which answers STAT_OK and the variable as 4 more bytes;
//  - a read while a partial frame ending in 'E' waits is the link's resynchronisation: the
//    partial frame is dropped and STAT_OK is sent; a read while block bytes are still due
//    ends the transfer with STAT_ERR_DMAWRTM (138);
//  - commands that change or start the program while one runs or is held get
//    STAT_NOTSUP (133), as do hold and resume without a program;
//  - C_CANCEL stops a run without STAT_END, clears the program memory and resets the
//    start addresses, mode registers and repetitions.
// Thread-safe: the link's window thread and reader thread may call it at any time.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controller/SimFrameDecoder.h"
#include "controller/SimMotion.h"

namespace wirvela {

struct SimulatedControllerConfig {
    // Simulated milliseconds per real millisecond; 0 runs programs as fast as possible.
    double speedUp = 1.0;
    // Longest wait of one read for bytes that do not come, ms; negative: the whole read
    // time-out the link set. Replies to frames are ready at once, so tests lose nothing.
    int readWaitCapMs = -1;
    std::uint8_t versionReply = 38;  // reply to C_PVER
    std::uint8_t clockReply = 1;     // reply to the clock query; also the clock used here
    std::string info = "wirvela simulated controller, protocol 38";
    SimAxisTravel travelX;           // shared by both wire ends
    SimAxisTravel travelY;
    double minStepPeriodUs = 0;      // shorter major-step periods fault with 131; 0: no check
    std::size_t traceCapacity = 1000000;

    // As fast as possible, reads wait at most 1 ms: for tests.
    static SimulatedControllerConfig Fast();
};

enum class SimState : std::uint8_t { Idle, Running, Held, Fault };

struct SimParameters {
    std::uint16_t cornerDelay = 0;   // C_SETDELAY, ms
    std::uint8_t heating = 0;        // C_SETCURRENT
    std::uint16_t heatingTime = 0;   // C_SETHEATING, ms
    std::uint32_t aStep = 0;         // C_SETASTEP, sign-magnitude
    std::uint16_t steps = 0;         // C_SETSTEPS, repetitions of C_REPEAT
    std::uint16_t rotVelocity = 0;   // C_SETRV, ms per table step
};

struct SimSnapshot {
    SimState state = SimState::Idle;
    std::uint8_t stateReply = 0xC0;  // what C_STATE would answer now
    std::array<SimPoint, 2> ends{};
    std::int64_t table = 0;
    std::uint8_t heating = 0;        // wire current now
    std::uint8_t switches = 0;       // closed limit switches (1 left, 2 right, 4 top, 8 bottom)
    double elapsedMs = 0;            // simulated time of the current or last run
    SimCounters counters;
    std::uint32_t runs = 0;          // programs started
    SimParameters parameters;
    std::uint32_t programLength = 0; // bytes in program memory
    std::uint16_t checksum = 0;      // of the last block received
    std::array<std::uint32_t, 2> programStart{};  // as the next run would use them
    std::array<std::uint8_t, 2> mode{};
    std::uint64_t frames = 0;        // frames received
};

class SimulatedController {
public:
    static constexpr std::size_t kProgramCapacity = 0xffc00;
    static constexpr std::size_t kMaxPendingBytes = 65536;

    explicit SimulatedController(SimulatedControllerConfig config = {});
    ~SimulatedController();
    SimulatedController(const SimulatedController&) = delete;
    SimulatedController& operator=(const SimulatedController&) = delete;

    // --- The device end of the link.
    void HostWrite(const std::uint8_t* bytes, std::size_t count);
    // Waits at most `timeoutMs` (shortened by readWaitCapMs) until `count` bytes are there;
    // returns how many were copied.
    std::size_t HostRead(std::uint8_t* bytes, std::size_t count, std::uint32_t timeoutMs);
    // Drops the bytes waiting for the host (the receive purge).
    void HostPurge();

    // --- Knobs.
    void SetSpeedUp(double speedUp);
    void SetReadWaitCap(int ms);
    void SetTravel(const SimAxisTravel& x, const SimAxisTravel& y);
    void SetPositions(const std::array<SimPoint, 2>& ends, std::int64_t table = 0);
    void SetVersionReply(std::uint8_t reply);
    void SetClockReply(std::uint8_t reply);
    void SetInfo(const std::string& text);
    void SetMinStepPeriod(double microseconds);
    // Fails the next run (or the current one) with `code` (135 no wire current, 131 too
    // fast) once its simulated time reaches `atMs`: the controller reports the code, stops
    // moving and switches the wire off (state 0xC3) until C_RESUME. Fires once.
    void FailWith(std::uint8_t code, double atMs = 0);
    // A dead controller: input is ignored and nothing is ever sent.
    void SetSilent(bool silent);
    // The checksum read back with C_READ_POS is wrong in both bytes.
    void SetChecksumError(bool wrong);
    // The USB cable pulled (true) or plugged in again: the device leaves the device list
    // and every call on an open handle fails with an I/O error, a read waiting at that
    // moment included. The controller itself runs on, as a machine with its own supply does.
    void SetUnplugged(bool unplugged);
    bool Unplugged() const;
    // The next C_CUTROT is answered with `code` first, as if the controller had sent that
    // report at once, before the host read the start's reply; the reply and the run follow.
    void ReportBeforeStartReply(std::uint8_t code);
    // Freezes the simulated clock of a run at `ms` (negative: no limit). The controller
    // still answers frames; tests use it to act at a known point of a run.
    void SetRunLimit(double ms);

    // --- Observation.
    SimSnapshot Snapshot() const;
    std::vector<SimSample> Trace() const;
    std::size_t DroppedSamples() const;
    std::vector<std::uint8_t> ProgramMemory() const;
    // Wait in real time at most `timeoutMs`; true when the condition holds.
    bool WaitForState(SimState state, int timeoutMs) const;
    // Until the run's simulated time reached `ms` or the controller stopped moving.
    bool WaitForSimTime(double ms, int timeoutMs) const;

private:
    void Consume(std::uint8_t byte);
    void Dispatch(const SimFrame& frame);
    void Send(std::uint8_t byte);
    std::uint8_t StateReply() const;
    void StartRun();
    void StopRun(SimEvent event);
    void TripFault(std::uint8_t code);
    void ResetProgram();
    void WriteVariable(std::uint8_t address);
    std::array<std::uint32_t, 2> ResolvedStarts() const;
    bool CanAdvance() const;
    void Kick();
    void WorkerLoop();

    SimulatedControllerConfig config_;
    mutable std::mutex m_;
    std::chrono::steady_clock::time_point lastPause_;  // the worker's last pause of a fast run
    mutable std::condition_variable progress_;  // state changes and run progress
    std::condition_variable output_;            // bytes for the host
    std::condition_variable work_;              // wakes the worker

    // Link side
    std::deque<std::uint8_t> pending_;  // bytes for the host
    std::vector<std::uint8_t> frame_;   // partial frame
    bool silent_ = false;
    bool checksumError_ = false;
    bool unplugged_ = false;
    std::uint8_t startReport_ = 0;  // sent before the next start's reply; 0: none
    std::uint64_t frames_ = 0;

    // Program memory and block transfer
    std::vector<std::uint8_t> memory_;
    std::uint32_t dmaNext_ = 0;       // next address a block byte goes to
    std::uint32_t dmaRemaining_ = 0;  // block bytes still due
    std::uint32_t dmaSum_ = 0;
    std::uint16_t checksum_ = 0;

    // Registers
    SimParameters params_;
    std::array<std::uint8_t, 2> mode_{3, 0};
    std::array<std::uint32_t, 2> start_{0, 0};
    std::array<bool, 2> startExplicit_{false, false};  // given as 16 bits by a block-mode '['
    std::size_t infoCursor_ = 0;

    // Run
    SimState state_ = SimState::Idle;
    SimMotion motion_;
    std::uint32_t runs_ = 0;
    std::uint8_t failCode_ = 0;
    double failAtMs_ = 0;
    double runLimitMs_ = -1;
    bool anchorValid_ = false;
    std::chrono::steady_clock::time_point anchorReal_;
    double anchorSim_ = 0;
    bool kicked_ = false;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace wirvela
