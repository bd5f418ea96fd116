#include "controller/SimulatedController.h"

#include <algorithm>
#include <utility>

namespace wirvela {

namespace {

constexpr std::uint8_t kStatOk = 16;
constexpr std::uint8_t kStatEnd = 48;
constexpr std::uint8_t kStatUnknown = 134;
constexpr std::uint8_t kStatNotSupported = 133;
constexpr std::uint8_t kStatMemoryFull = 132;
constexpr std::uint8_t kStatTransferBreak = 138;
constexpr std::uint8_t kStatBlockTooBig = 139;

constexpr std::uint8_t kStateNormal = 0xC0;
constexpr std::uint8_t kStateCut = 0xC1;
constexpr std::uint8_t kStateHold = 0xC2;
constexpr std::uint8_t kStateError = 0xC3;

// Simulated time advanced per round of the worker: the resolution of limit switch
// reports and of real-time pacing.
constexpr double kSliceMs = 5.0;
// Running as fast as possible, the worker leaves the lock alone this long, this often
// (see WorkerLoop): at most 5 % of the run's real time.
constexpr std::chrono::microseconds kFastRunPause{50};
constexpr std::chrono::milliseconds kFastRunPauseEvery{1};

}  // namespace

SimulatedControllerConfig SimulatedControllerConfig::Fast() {
    SimulatedControllerConfig c;
    c.speedUp = 0;
    c.readWaitCapMs = 1;
    return c;
}

SimulatedController::SimulatedController(SimulatedControllerConfig config)
    : config_(std::move(config)), motion_(config_.traceCapacity) {
    motion_.SetTravel(config_.travelX, config_.travelY);
    worker_ = std::thread([this] { WorkerLoop(); });
}

SimulatedController::~SimulatedController() {
    {
        std::lock_guard lock(m_);
        quit_ = true;
    }
    work_.notify_all();
    worker_.join();
}

// ---------------------------------------------------------------------------------------
// The link side

void SimulatedController::HostWrite(const std::uint8_t* bytes, std::size_t count) {
    {
        std::lock_guard lock(m_);
        if (silent_ || unplugged_) return;
        for (std::size_t i = 0; i < count; ++i) Consume(bytes[i]);
    }
    progress_.notify_all();
}

std::size_t SimulatedController::HostRead(std::uint8_t* bytes, std::size_t count, std::uint32_t timeoutMs) {
    if (count == 0) return 0;
    std::unique_lock lock(m_);
    if (pending_.empty() && dmaRemaining_ > 0) {
        // The host waits for a reply while block bytes are still due: it stopped sending
        // the block.
        dmaRemaining_ = 0;
        memory_.clear();
        Send(kStatTransferBreak);
    } else if (dmaRemaining_ == 0 && !frame_.empty() && frame_.back() == 'E') {
        // The resynchronisation probe: single 'E' bytes, each followed by a read. A report
        // already waiting answers it as well; the partial frame goes either way.
        frame_.clear();
        if (pending_.empty()) Send(kStatOk);
    }
    std::uint32_t wait = timeoutMs;
    if (config_.readWaitCapMs >= 0) wait = std::min<std::uint32_t>(wait, static_cast<std::uint32_t>(config_.readWaitCapMs));
    output_.wait_for(lock, std::chrono::milliseconds(wait), [&] { return pending_.size() >= count || unplugged_; });
    if (unplugged_) return 0;
    const std::size_t n = std::min(count, pending_.size());
    std::copy_n(pending_.begin(), n, bytes);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void SimulatedController::HostPurge() {
    std::lock_guard lock(m_);
    pending_.clear();
}

void SimulatedController::Send(std::uint8_t byte) {
    if (silent_ || pending_.size() >= kMaxPendingBytes) return;
    pending_.push_back(byte);
    output_.notify_all();
}

void SimulatedController::Consume(std::uint8_t byte) {
    if (dmaRemaining_ > 0) {
        memory_[dmaNext_++] = byte;
        dmaSum_ += byte;
        if (--dmaRemaining_ == 0) checksum_ = static_cast<std::uint16_t>(dmaSum_ & 0xFFFFu);
        return;
    }
    frame_.push_back(byte);
    if (frame_.size() < kSimFrameSize) return;
    SimFrame frame;
    std::copy_n(frame_.begin(), kSimFrameSize, frame.begin());
    frame_.clear();
    Dispatch(frame);
}

// ---------------------------------------------------------------------------------------
// Frames

void SimulatedController::Dispatch(const SimFrame& frame) {
    ++frames_;
    const bool busy = state_ != SimState::Idle;
    const SimFieldArgs f = SimDecodeFields(frame);
    switch (frame[0]) {
        case '@':  // C_NOP
            Send(kStatOk);
            break;
        case 'C':  // C_PVER
            Send(config_.versionReply);
            break;
        case 'E':  // C_CANCEL
            if (busy) StopRun(SimEvent::Cancel);
            ResetProgram();
            Send(kStatOk);
            break;
        case 'F':  // C_STATE
            Send(StateReply());
            break;
        case 'G':  // C_READVAR
            WriteVariable(frame[1]);
            break;
        case 'H':  // C_RESETINFO
            infoCursor_ = 0;
            Send(kStatOk);
            break;
        case 'I':  // C_INFO: the next character, 0 from the end on
            if (infoCursor_ < config_.info.size()) {
                Send(static_cast<std::uint8_t>(config_.info[infoCursor_++]));
            } else {
                Send(0);
            }
            break;
        case 'J': {  // C_WRDMA
            const SimBlock block = SimDecodeBlock(frame);
            if (busy) {
                Send(kStatNotSupported);
            } else if (block.start > kProgramCapacity || block.length > kProgramCapacity - block.start) {
                Send(kStatBlockTooBig);
            } else {
                memory_.resize(static_cast<std::size_t>(block.start) + block.length);
                dmaNext_ = block.start;
                dmaRemaining_ = block.length;
                dmaSum_ = 0;
                if (block.length == 0) checksum_ = 0;
                Send(kStatOk);
            }
            break;
        }
        case 'K': {  // C_READ_POS: the block checksum, high byte then low byte
            const std::uint16_t sum = checksumError_ ? static_cast<std::uint16_t>(checksum_ ^ 0x0101u) : checksum_;
            if (frame[1] == 0x37) {
                Send(static_cast<std::uint8_t>(sum >> 8));
            } else if (frame[1] == 0x36) {
                Send(static_cast<std::uint8_t>(sum & 0xFF));
            } else {
                Send(kStatUnknown);
            }
            break;
        }
        case 'L':  // clock query
            Send(config_.clockReply);
            break;
        case 'Q': {  // C_SETMODE: a1 low byte the register, high byte the value
            const std::uint8_t reg = static_cast<std::uint8_t>(f.a1 & 0xFF);
            if (reg < 2) mode_[reg] = static_cast<std::uint8_t>(f.a1 >> 8);
            Send(kStatOk);
            break;
        }
        case 'R':
            params_.cornerDelay = f.a1;
            Send(kStatOk);
            break;
        case 'S':
            params_.heating = frame[1];
            if (state_ == SimState::Running || state_ == SimState::Held) motion_.SetWireCurrent(frame[1]);
            Send(kStatOk);
            break;
        case 'T':
            params_.aStep = static_cast<std::uint32_t>(SimDecodeLong(frame));
            Send(kStatOk);
            break;
        case 'U':
            params_.steps = f.a1;
            Send(kStatOk);
            break;
        case 'W':
            params_.heatingTime = f.a1;
            Send(kStatOk);
            break;
        case 'X':
            params_.rotVelocity = f.a1;
            Send(kStatOk);
            break;
        case 'Y':  // C_LSPEED: a new program
            if (busy) {
                Send(kStatNotSupported);
            } else {
                memory_.clear();
                Send(kStatOk);
            }
            break;
        case 'Z':  // C_HSPEED
            Send(kStatOk);
            break;
        case '[': {  // C_SETADR: bit 0 the program, bit 1 the address is in bytes 2-3
            const std::size_t program = frame[1] & 1u;
            startExplicit_[program] = (frame[1] & 2u) != 0;
            start_[program] = startExplicit_[program] ? SimLe16(&frame[2]) : static_cast<std::uint32_t>(memory_.size());
            Send(kStatOk);
            break;
        }
        case 'a':
        case 'b':
        case 'c':
        case 'd':
        case 'e':
        case 'f':
        case 'g':  // program frames sent one by one
            if (busy) {
                Send(kStatNotSupported);
            } else if (memory_.size() + kSimFrameSize > kProgramCapacity) {
                Send(kStatMemoryFull);
            } else {
                memory_.insert(memory_.end(), frame.begin(), frame.end());
                Send(kStatOk);
            }
            break;
        case 'r':  // C_CUTROT
            if (busy) {
                Send(kStatNotSupported);
            } else {
                if (startReport_ != 0) Send(std::exchange(startReport_, std::uint8_t{0}));
                Send(kStatOk);
                StartRun();
            }
            break;
        case 's':  // C_RESUME
            if (state_ == SimState::Held || state_ == SimState::Fault) {
                if (state_ == SimState::Fault) motion_.SetWireCurrent(params_.heating);
                state_ = SimState::Running;
                motion_.Mark(SimEvent::Resume);
                Kick();
                Send(kStatOk);
            } else {
                Send(state_ == SimState::Running ? kStatOk : kStatNotSupported);
            }
            break;
        case 'y':  // C_HOLD
            if (state_ == SimState::Running) {
                state_ = SimState::Held;
                motion_.Mark(SimEvent::Hold);
                Kick();
                Send(kStatOk);
            } else {
                Send(busy ? kStatOk : kStatNotSupported);
            }
            break;
        case 'V':
        case 't':
        case 'u':
        case 'w':
        case 'x':  // named by the protocol, not served by this controller
            Send(kStatNotSupported);
            break;
        default:
            Send(kStatUnknown);
            break;
    }
}

std::uint8_t SimulatedController::StateReply() const {
    switch (state_) {
        case SimState::Running: return kStateCut;
        case SimState::Held: return kStateHold;
        case SimState::Fault: return kStateError;
        case SimState::Idle: break;
    }
    const std::uint8_t switches = motion_.SwitchBits();
    return switches ? static_cast<std::uint8_t>(0x90 | switches) : kStateNormal;
}

void SimulatedController::WriteVariable(std::uint8_t address) {
    std::int64_t value = 0;
    switch (address / 4) {
        case 0: value = StateReply(); break;
        case 1: value = motion_.Ends()[0].x; break;
        case 2: value = motion_.Ends()[0].y; break;
        case 3: value = motion_.Ends()[1].x; break;
        case 4: value = motion_.Ends()[1].y; break;
        case 5: value = motion_.Table(); break;
        case 6: value = params_.heating; break;
        case 7: value = params_.cornerDelay; break;
        case 8: value = params_.heatingTime; break;
        case 9: value = params_.aStep; break;
        case 10: value = params_.steps; break;
        case 11: value = params_.rotVelocity; break;
        case 12: value = static_cast<std::int64_t>(memory_.size()); break;
        case 13: value = checksum_; break;
        case 14: value = start_[0]; break;
        case 15: value = start_[1]; break;
        case 16: value = mode_[0]; break;
        case 17: value = mode_[1]; break;
        case 18: value = static_cast<std::int64_t>(motion_.ElapsedMs()); break;
        case 19: value = motion_.SwitchBits(); break;
        case 20: value = runs_; break;
        default: break;
    }
    const auto v = static_cast<std::uint32_t>(value);
    Send(kStatOk);
    for (int shift = 0; shift < 32; shift += 8) Send(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

// The program start addresses the next run uses. A block-mode '[' carries only 16 bits of
// the address; of the addresses with those low bits the first one that follows the end of
// an earlier program (a C_LINEEND frame) is taken, so a first program longer than 64 KiB
// still hands over to the right place.
std::array<std::uint32_t, 2> SimulatedController::ResolvedStarts() const {
    std::array<std::uint32_t, 2> starts = start_;
    for (std::size_t p = 0; p < 2; ++p) {
        if (!startExplicit_[p]) continue;
        for (std::size_t c = start_[p]; c + kSimFrameSize <= memory_.size(); c += 65536) {
            if (c == 0 || (c % kSimFrameSize == 0 && memory_[c - kSimFrameSize] == 'e')) {
                starts[p] = static_cast<std::uint32_t>(c);
                break;
            }
        }
    }
    return starts;
}

void SimulatedController::ResetProgram() {
    memory_.clear();
    dmaRemaining_ = 0;
    start_ = {0, 0};
    startExplicit_ = {false, false};
    mode_ = {3, 0};
}

// ---------------------------------------------------------------------------------------
// Runs

void SimulatedController::StartRun() {
    SimRunSetup setup;
    setup.program = memory_;
    setup.start = ResolvedStarts();
    setup.mode = mode_;
    setup.cornerDelayMs = params_.cornerDelay;
    setup.heatingTimeMs = params_.heatingTime;
    setup.repeats = params_.steps;
    setup.repeatTurn = params_.aStep;
    setup.rotVelocityMs = params_.rotVelocity;
    setup.heating = params_.heating;
    setup.clockHz = SimClockForReply(config_.clockReply);
    setup.minStepPeriodUs = config_.minStepPeriodUs;
    motion_.Begin(std::move(setup));
    state_ = SimState::Running;
    ++runs_;
    anchorValid_ = false;
    Kick();
}

void SimulatedController::StopRun(SimEvent event) {
    motion_.Stop(event);
    state_ = SimState::Idle;
    Kick();
}

void SimulatedController::TripFault(std::uint8_t code) {
    state_ = SimState::Fault;
    motion_.SetWireCurrent(0);
    motion_.Mark(SimEvent::Fault, code);
    Send(code);
    progress_.notify_all();
}

bool SimulatedController::CanAdvance() const {
    if (state_ != SimState::Running || !motion_.Running()) return false;
    return runLimitMs_ < 0 || motion_.ElapsedMs() < runLimitMs_ - 1e-9;
}

void SimulatedController::Kick() {
    kicked_ = true;
    work_.notify_all();
}

void SimulatedController::WorkerLoop() {
    std::unique_lock lock(m_);
    while (!quit_) {
        if (!CanAdvance()) {
            anchorValid_ = false;
            work_.wait(lock, [&] { return quit_ || kicked_; });
            kicked_ = false;
            continue;
        }
        const double now = motion_.ElapsedMs();
        double maxMs = kSliceMs;
        if (runLimitMs_ >= 0) maxMs = std::min(maxMs, runLimitMs_ - now);
        if (failCode_ != 0) {
            if (now >= failAtMs_) {
                const std::uint8_t code = failCode_;
                failCode_ = 0;
                TripFault(code);
                continue;
            }
            maxMs = std::min(maxMs, failAtMs_ - now);
        }
        if (!anchorValid_) {
            anchorReal_ = std::chrono::steady_clock::now();
            anchorSim_ = now;
            anchorValid_ = true;
        }
        const SimStep step = motion_.Advance(maxMs);
        for (std::uint8_t code : step.reports) Send(code);
        if (step.fault != 0) {
            TripFault(step.fault);
        } else if (step.finished) {
            state_ = SimState::Idle;
            Send(kStatEnd);
        }
        progress_.notify_all();
        if (state_ == SimState::Running && config_.speedUp > 0) {
            const std::chrono::duration<double, std::milli> real((motion_.ElapsedMs() - anchorSim_) / config_.speedUp);
            const auto target = anchorReal_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(real);
            work_.wait_until(lock, target, [&] { return quit_ || kicked_; });
            kicked_ = false;
        } else if (state_ == SimState::Running) {
            // As fast as possible, yet never holding the controller for a whole program:
            // every millisecond the lock is left alone for a moment, so that whoever waits
            // for it gets in, a host call (a cancel above all) as well as the link's reader
            // waking from its wait on `progress_` (it holds the port a cancel needs).
            if (std::chrono::steady_clock::now() - lastPause_ >= kFastRunPauseEvery) {
                lock.unlock();
                std::this_thread::sleep_for(kFastRunPause);
                lock.lock();
                lastPause_ = std::chrono::steady_clock::now();
            }
        }
    }
}

// ---------------------------------------------------------------------------------------
// Knobs and observation

void SimulatedController::SetSpeedUp(double speedUp) {
    std::lock_guard lock(m_);
    config_.speedUp = std::max(0.0, speedUp);
    anchorValid_ = false;
    Kick();
}

void SimulatedController::SetReadWaitCap(int ms) {
    std::lock_guard lock(m_);
    config_.readWaitCapMs = ms;
}

void SimulatedController::SetTravel(const SimAxisTravel& x, const SimAxisTravel& y) {
    std::lock_guard lock(m_);
    config_.travelX = x;
    config_.travelY = y;
    motion_.SetTravel(x, y);
}

void SimulatedController::SetPositions(const std::array<SimPoint, 2>& ends, std::int64_t table) {
    std::lock_guard lock(m_);
    motion_.SetPositions(ends, table);
}

void SimulatedController::SetVersionReply(std::uint8_t reply) {
    std::lock_guard lock(m_);
    config_.versionReply = reply;
}

void SimulatedController::SetClockReply(std::uint8_t reply) {
    std::lock_guard lock(m_);
    config_.clockReply = reply;
}

void SimulatedController::SetInfo(const std::string& text) {
    std::lock_guard lock(m_);
    config_.info = text;
    infoCursor_ = 0;
}

void SimulatedController::SetMinStepPeriod(double microseconds) {
    std::lock_guard lock(m_);
    config_.minStepPeriodUs = microseconds;
}

void SimulatedController::FailWith(std::uint8_t code, double atMs) {
    std::lock_guard lock(m_);
    failCode_ = code;
    failAtMs_ = atMs;
    Kick();
}

void SimulatedController::SetSilent(bool silent) {
    std::lock_guard lock(m_);
    silent_ = silent;
    if (silent) pending_.clear();
}

void SimulatedController::SetChecksumError(bool wrong) {
    std::lock_guard lock(m_);
    checksumError_ = wrong;
}

void SimulatedController::SetUnplugged(bool unplugged) {
    {
        std::lock_guard lock(m_);
        unplugged_ = unplugged;
    }
    output_.notify_all();
}

bool SimulatedController::Unplugged() const {
    std::lock_guard lock(m_);
    return unplugged_;
}

void SimulatedController::ReportBeforeStartReply(std::uint8_t code) {
    std::lock_guard lock(m_);
    startReport_ = code;
}

void SimulatedController::SetRunLimit(double ms) {
    std::lock_guard lock(m_);
    runLimitMs_ = ms;
    Kick();
}

SimSnapshot SimulatedController::Snapshot() const {
    std::lock_guard lock(m_);
    SimSnapshot s;
    s.state = state_;
    s.stateReply = StateReply();
    s.ends = motion_.Ends();
    s.table = motion_.Table();
    s.heating = motion_.WireCurrent();
    s.switches = motion_.SwitchBits();
    s.elapsedMs = motion_.ElapsedMs();
    s.counters = motion_.Counters();
    s.runs = runs_;
    s.parameters = params_;
    s.programLength = static_cast<std::uint32_t>(memory_.size());
    s.checksum = checksum_;
    s.programStart = ResolvedStarts();
    s.mode = mode_;
    s.frames = frames_;
    return s;
}

std::vector<SimSample> SimulatedController::Trace() const {
    std::lock_guard lock(m_);
    return motion_.Trace();
}

std::size_t SimulatedController::DroppedSamples() const {
    std::lock_guard lock(m_);
    return motion_.DroppedSamples();
}

std::vector<std::uint8_t> SimulatedController::ProgramMemory() const {
    std::lock_guard lock(m_);
    return memory_;
}

bool SimulatedController::WaitForState(SimState state, int timeoutMs) const {
    std::unique_lock lock(m_);
    return progress_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state_ == state; });
}

bool SimulatedController::WaitForSimTime(double ms, int timeoutMs) const {
    std::unique_lock lock(m_);
    progress_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return motion_.ElapsedMs() >= ms - 1e-9 || state_ != SimState::Running; });
    return motion_.ElapsedMs() >= ms - 1e-9;
}

}  // namespace wirvela
