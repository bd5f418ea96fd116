#include "controller/ComClass.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "config/DebugLog.h"
#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/Settings.h"
#include "controller/ControllerCodes.h"

namespace wirvela {

namespace {

constexpr int kCancelTries = 5;
constexpr int kMaxHeating = 96;
constexpr double kTickFactor = 1.25e-7;  // controller timer ticks per (Hz × µs)
constexpr int kMaxTicks = 65535;
constexpr std::int32_t kMaxInterNum = 32767;
constexpr double kKfdUnit = 32768;
constexpr int kProgressMessage = 207;

// x × factor truncated toward zero, held inside the 32-bit range.
std::int32_t ScaleSteps(std::int32_t x, double factor) {
    const double v = std::trunc(static_cast<double>(x) * factor);
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::int64_t Abs64(std::int64_t v) {
    return v < 0 ? -v : v;
}

// The timer field: −trunc(t) as 16 bits, t known to be in 0 … 65535.
std::uint16_t TimerField(double ticks) {
    return static_cast<std::uint16_t>(-static_cast<std::int32_t>(std::trunc(ticks)) & 0xFFFF);
}

bool TicksFit(double ticks) {
    return ticks >= 0 && ticks <= kMaxTicks;
}

}  // namespace

ComClass::ComClass(LinkServices services, EventChannel* eventWindow) : RSport(std::move(services), eventWindow) {}

ComClass::~ComClass() {
    StopReader();
}

// ---- frames ------------------------------------------------------------------------

int ComClass::SendByteCommand(std::uint8_t letter, std::uint8_t a1) {
    Trace("\n\tcom=0x%x\ta1=%d", letter, a1);
    std::uint8_t reply = 0;
    const int code = Exchange(ByteFrame(letter, a1), reply, letter == cmd::C_CANCEL);
    return code != 0 ? code : reply;
}

int ComClass::SendLongCommand(std::uint8_t letter, std::int32_t a1) {
    Trace("\n\tcom=0x%x\ta1=%ld", letter, static_cast<long>(a1));
    if (initError_ == RS_OPEN_COM_ERR) return RS_OPEN_COM_ERR;
    std::uint8_t reply = 0;
    const int code = Exchange(LongFrame(letter, a1), reply, letter == cmd::C_CANCEL);
    return code != 0 ? code : reply;
}

int ComClass::SendTurnCommand(std::uint8_t letter, std::int32_t dfi, std::uint16_t v) {
    Trace("\n\tcom=0x%x\tdfi=%ld\tV=%d", letter, static_cast<long>(dfi), v);
    std::uint8_t reply = 0;
    const int code = Exchange(TurnFrame(letter, dfi, v), reply, false);
    return code != 0 ? code : reply;
}

int ComClass::SendFieldCommand(std::uint8_t letter, std::uint16_t a1, std::int32_t a2, std::uint16_t a3,
                               std::uint16_t interNum, std::uint16_t kfd) {
    Trace("\n\tcom=0x%x\ta1=%d\ta2=%ld\ta3=%d\tInterNum=%d\tKfd=%d", letter, a1, static_cast<long>(a2), a3, interNum,
          kfd);
    if (initError_ == RS_OPEN_COM_ERR) return RS_OPEN_COM_ERR;
    std::uint8_t reply = 0;
    const int code = Exchange(FieldFrame(letter, a1, a2, a3, interNum, kfd), reply, letter == cmd::C_CANCEL);
    return code != 0 ? code : reply;
}

int ComClass::Exchange(const Frame& frame, std::uint8_t& reply, bool purge) {
    if (observer_) observer_(frame);
    if (frameDump_) LogMessage(FrameDumpText(frame));
    reply = 0;
    const int result = BlockLayer(frame, reply, purge);
    if (services_.debugLog) services_.debugLog->LogFrame(frame, reply, static_cast<unsigned>(result));
    return result;
}

int ComClass::BlockLayer(const Frame& frame, std::uint8_t& reply, bool purge) {
    if (!buffered_) return RawExchange(frame, reply, purge);
    const std::uint8_t letter = frame[0];
    if (letter == cmd::C_LSPEED) {
        blockLength_ = 0;
        blockMode_ = true;
        LogMessage("Start DMA block ++++++++++");
        reply = STAT_OK;
        return 0;
    }
    if (letter == cmd::C_HSPEED) {
        blockMode_ = false;
        LogMessage("Disable DMA ----------------");
        return RawExchange(frame, reply, purge);
    }
    if (!blockMode_) return RawExchange(frame, reply, purge);
    if (letter == cmd::C_SETADR) {
        // The controller learns where in the block the address change falls.
        Frame address = frame;
        address[1] = static_cast<std::uint8_t>(frame[1] | 2);
        address[2] = static_cast<std::uint8_t>(blockLength_ & 0xFF);
        address[3] = static_cast<std::uint8_t>((blockLength_ >> 8) & 0xFF);
        return RawExchange(address, reply, purge);
    }
    if (IsBlockClass(letter)) {
        if (blockLength_ < kBlockBufferBytes) {
            std::copy(frame.begin(), frame.end(), block_.begin() + blockLength_);
            blockLength_ += kFrameSize;
            reply = STAT_OK;
        } else {
            reply = STAT_ERR_OVERFM;
        }
        return 0;
    }
    if (letter == cmd::C_CUTROT) return FlushAndStart(frame, reply, purge);
    return RawExchange(frame, reply, purge);
}

int ComClass::FlushAndStart(const Frame& frame, std::uint8_t& reply, bool purge) {
    Frame begin = frame;
    begin[0] = cmd::C_LSPEED;
    int r = RawExchange(begin, reply, purge);
    if (r != 0 || reply != STAT_OK) return r;  // a refusal travels up as the reply
    LogMessage("Flush DMA block ------------");
    r = BlockWrite(blockLength_, ReadInt(settings::kWRpacketSize));
    if (r != 0) return r;
    return RawExchange(frame, reply, purge);
}

int ComClass::BlockWrite(std::uint32_t length, int packetSize) {
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < length; ++i) sum += block_[i];
    sum &= 0xFFFF;

    std::uint8_t reply = 0;
    int r = RawExchange(BlockFrame(cmd::C_WRDMA, 0, length), reply, true);
    if (r != 0) return r;
    // Zero means success to the caller; a zero reply is no acceptance.
    if (reply != STAT_OK) return reply != 0 ? reply : RS_EXTRA_FRAME;

    const auto packet = static_cast<std::uint32_t>(packetSize);
    for (std::uint32_t offset = 0; offset < length; offset += packet) {
        const std::uint32_t n = std::min(packet, length - offset);
        if (Write(block_.data() + offset, n) != 0) return RS_WRITE_ERR;
        if (services_.cuttingStatus) {
            const double percent = static_cast<double>(offset) * 100.0 / static_cast<double>(length);
            services_.cuttingStatus(FormatMessage(services_.messages->MessageText(kProgressMessage), {percent}));
        }
    }
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    r = RawExchange(ByteFrame(cmd::C_READ_POS, 0x37), high, false);
    if (r != 0) return r;
    r = RawExchange(ByteFrame(cmd::C_READ_POS, 0x36), low, false);
    if (r != 0) return r;
    return ((static_cast<std::uint32_t>(high) << 8) | low) == sum ? 0 : RS_DMA_CRC_ERROR;
}

// ---- handshake, info, clock --------------------------------------------------------

int ComClass::Handshake() {
    int r = Resync();
    if (r != 0) return r;
    for (int i = 0; i < kCancelTries; ++i) {
        r = SendByteCommand(cmd::C_CANCEL, 0);
        if (r == STAT_OK) break;
    }
    if (r != STAT_OK) return r;
    SendByteCommand(cmd::C_NOP, 0);
    // A transport code is no reply: it is passed on rather than read as a wrong version
    // or state.
    r = SendByteCommand(cmd::C_PVER, 0);
    if (r > 0xFF) return r;
    if (r != STAT_VER) return ERR_VERSION;
    r = SendByteCommand(cmd::C_STATE, 0);
    if (r > 0xFF) return r;
    return r == STATE_NORM || IsLimitSwitch(r) ? STAT_OK : ERR_STATE;
}

int ComClass::ReadInfo() {
    info_.clear();
    if (SendByteCommand(cmd::C_RESETINFO, 0) == STAT_OK) {
        while (info_.size() < kMaxInfoChars) {
            const int c = SendByteCommand(cmd::C_INFO, 0);
            // A transport failure ends the text instead of filling it with code bytes.
            if (c > 0xFF) break;
            if ((c & 0xFF) == 0) break;
            info_ += static_cast<char>(c & 0xFF);
        }
    }
    return QueryClock();
}

double ComClass::ClockOfReply(int reply) {
    switch (reply) {
        case 2:
            return 14745600;
        case 3:
            return 16000000;
        default:
            return kDefaultClock;
    }
}

int ComClass::QueryClock() {
    const int taken = TakePort();
    if (taken != STAT_OK) return taken;
    const int reply = SendByteCommand(cmd::C_CLOCK, 0);
    clock_ = ClockOfReply(reply);
    return reply;
}

// ---- port ownership ------------------------------------------------------------------

int ComClass::TakePort() {
    if (!running_.load()) return STAT_OK;
    if (!lock_) return COM_MUTEX_ERR;
    if (!lock_->Acquire(waitTimeout_)) return COM_MUTEX_BUSY;
    running_ = false;
    return STAT_OK;
}

int ComClass::GivePort() {
    if (lock_) lock_->Release();
    running_ = true;
    return 0;
}

int ComClass::TakeBackFromReader() {
    if (!lock_) return COM_MUTEX_ERR;
    if (!lock_->Acquire(waitTimeout_)) return COM_MUTEX_BUSY;
    running_ = false;
    return STAT_OK;
}

int ComClass::Cancel() {
    // The cancel goes out even when the bounded wait fails, but never while the reader
    // reads: the reader gives way to a waiting window thread within one read.
    if (TakePort() != STAT_OK && lock_) {
        lock_->Acquire(-1);
        running_ = false;
    }
    return SendByteCommand(cmd::C_CANCEL, 0);
}

int ComClass::QueryState() {
    if (!running_.load()) return SendByteCommand(cmd::C_STATE, 0);
    const int taken = TakePort();
    if (taken != STAT_OK) return taken;
    const int state = SendByteCommand(cmd::C_STATE, 0);
    GivePort();
    return state;
}

int ComClass::SetHeatingLive(int value) {
    const int heating = value < 1 ? 1 : (value > kMaxHeating ? kMaxHeating : value);
    if (!running_.load()) return STAT_OK;
    const int taken = TakePort();
    if (taken != STAT_OK) return taken;
    const int reply = SendByteCommand(cmd::C_SETCURRENT, static_cast<std::uint8_t>(heating));
    GivePort();
    return reply;
}

int ComClass::Hold() {
    if (!running_.load()) return STAT_OK;
    const int taken = TakePort();
    if (taken != STAT_OK) return taken;
    const int reply = SendByteCommand(cmd::C_HOLD, 0);
    if (reply != STAT_OK) GivePort();
    return reply;
}

// ---- program -------------------------------------------------------------------------

int ComClass::BeginBlock() {
    if (running_.load()) return COM_CUT_PROCESSING;
    return SendByteCommand(cmd::C_LSPEED, 0);
}

int ComClass::EndBlock() {
    if (running_.load()) return COM_CUT_PROCESSING;
    return SendByteCommand(cmd::C_HSPEED, 0);
}

int ComClass::Setup(const CutParameters& p) {
    if (running_.load()) return COM_CUT_PROCESSING;
    parameters_ = p;
    const CutParameters& s = parameters_;
    int r = SendFieldCommand(cmd::C_SETDELAY, s.cornerDelay, 0, 0xFFFF, 1, 0);
    if (r != STAT_OK) return r;
    r = SendByteCommand(cmd::C_SETCURRENT, s.heating);
    if (r != STAT_OK) return r;
    r = SendFieldCommand(cmd::C_SETHEATING, s.heatingTime, 0, 0xFFFF, 1, 0);
    if (r != STAT_OK) return r;
    r = SendLongCommand(cmd::C_SETASTEP, s.aStep);
    if (r != STAT_OK) return r;
    r = SendFieldCommand(cmd::C_SETRV, s.rotVelocity, 0, 0xFFFF, 1, 0);
    if (r != STAT_OK) return r;
    return SendFieldCommand(cmd::C_SETSTEPS, s.steps, 0, 0xFFFF, 1, 0);
}

int ComClass::SetMode(std::uint8_t reg, std::uint8_t value) {
    return SendFieldCommand(cmd::C_SETMODE, static_cast<std::uint16_t>(value * 256 + reg), 0, 0xFFFF, 1, 0);
}

int ComClass::SetAddress(std::uint8_t address) {
    return SendByteCommand(cmd::C_SETADR, address);
}

int ComClass::ReadVariable(std::uint8_t address, std::array<std::uint8_t, 4>& value) {
    if (running_.load()) return COM_CUT_PROCESSING;
    std::uint8_t reply = 0;
    const int code = Exchange(ByteFrame(cmd::C_READVAR, address), reply, true);
    if (code != 0) return code;
    if (reply != STAT_OK) return reply;
    return ReadMore(value.data(), static_cast<std::uint32_t>(value.size())) == value.size() ? STAT_OK : RS_EMPTY_RESP;
}

bool ComClass::TwoFigureDrawing() const {
    return services_.twoFigureDrawing && services_.twoFigureDrawing();
}

int ComClass::Segment(std::int32_t x, std::int32_t y, bool delay, double period, double rotRatio) {
    if (running_.load()) return COM_CUT_PROCESSING;
    if (x == 0 && y == 0) return STAT_OK;
    const std::int64_t ax = Abs64(x);
    const std::int64_t ay = Abs64(y);
    if (ax > kMaxSegmentSteps || ay > kMaxSegmentSteps) return ERR_SEGMENT_LONG;

    std::uint8_t letter;
    std::uint16_t a1;
    std::int32_t a2;
    double m;
    if (ax >= ay) {
        letter = delay ? cmd::C_LINEXD : cmd::C_LINEX;
        a1 = MajorCount(x);
        a2 = SlopeField(y, x);
        m = rotRatio;
    } else {
        letter = delay ? cmd::C_LINEYD : cmd::C_LINEY;
        a1 = MajorCount(y);
        a2 = SlopeField(x, y);
        m = std::fabs(static_cast<double>(x) / static_cast<double>(y)) * rotRatio;
    }

    // Sub-steps: the rotary axis may need several timer steps per major step; each then
    // carries Kfd/32768 rotary steps.
    const double am = std::fabs(m);
    if (!std::isfinite(am)) return ERR_INTER_OVERFLOW;
    std::int32_t interNum = 1;
    std::int64_t kfd = 0;
    if (am <= 1) {
        kfd = static_cast<std::int64_t>(std::trunc(am * kKfdUnit));
    } else {
        const double n = std::trunc(am) + 1;
        if (n > kMaxInterNum) return ERR_INTER_OVERFLOW;
        const auto total = static_cast<std::int64_t>(std::trunc(am * kKfdUnit));
        for (std::int32_t i = 2; i <= static_cast<std::int32_t>(n); ++i) {
            if (total / i <= static_cast<std::int64_t>(kKfdUnit)) {
                interNum = i;
                kfd = total / i;
                break;
            }
        }
    }

    const double ticks = clock_ * period * kTickFactor / interNum;
    if (!TicksFit(ticks)) return TwoFigureDrawing() ? ERR_COUNTER_OVERFLOW_EXT : ERR_COUNTER_OVERFLOW;
    std::uint16_t interField = static_cast<std::uint16_t>(interNum);
    if (m < 0) interField |= 0x8000;
    return SendFieldCommand(letter, a1, a2, TimerField(ticks), interField, static_cast<std::uint16_t>(kfd));
}

int ComClass::Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double rotRatio) {
    const std::int32_t x = ScaleSteps(dx, xAxisDir_);
    const std::int32_t y = ScaleSteps(dy, yAxisDir_);
    Trace("\ndx=%ld\tdy=%ld\tdelay=%d\tperiod=%f\t", static_cast<long>(x), static_cast<long>(y), delay ? 1 : 0, period);
    if (running_.load()) return COM_CUT_PROCESSING;
    if (x == 0 && y == 0) return STAT_OK;
    if (Abs64(x) < kMaxSegmentSteps && Abs64(y) < kMaxSegmentSteps) return Segment(x, y, delay, period, rotRatio);

    const bool xMajor = Abs64(x) >= Abs64(y);
    const double slope = xMajor ? static_cast<double>(y) / x : static_cast<double>(x) / y;
    const std::int64_t majorChunk = (xMajor ? x : y) < 0 ? -kMaxSegmentSteps : kMaxSegmentSteps;
    const auto minorChunk = static_cast<std::int64_t>(std::trunc(static_cast<double>(majorChunk) * slope));
    const std::int64_t cx = xMajor ? majorChunk : minorChunk;
    const std::int64_t cy = xMajor ? minorChunk : majorChunk;
    std::int64_t rx = x;
    std::int64_t ry = y;
    bool first = true;
    do {
        const int r =
            Segment(static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy), first && delay, period, rotRatio);
        first = false;
        if (r != STAT_OK) return r;
        rx -= cx;
        ry -= cy;
    } while (Abs64(xMajor ? rx : ry) > kMaxSegmentSteps);

    // The truncated minor chunks can leave more than one segment's worth on the minor
    // axis of a long, nearly diagonal line; that rest goes out in equal parts.
    const std::int64_t longest = std::max(Abs64(rx), Abs64(ry));
    const std::int64_t parts = longest > kMaxSegmentSteps ? (longest + kMaxSegmentSteps - 1) / kMaxSegmentSteps : 1;
    std::int64_t sentX = 0;
    std::int64_t sentY = 0;
    int r = STAT_OK;
    for (std::int64_t i = 1; i <= parts && r == STAT_OK; ++i) {
        const std::int64_t px = rx * i / parts - sentX;
        const std::int64_t py = ry * i / parts - sentY;
        r = Segment(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py), false, period, rotRatio);
        sentX += px;
        sentY += py;
    }
    return r;
}

int ComClass::Turn(std::int32_t dfi, double period) {
    if (running_.load()) return COM_CUT_PROCESSING;
    if (dfi == 0) return STAT_OK;
    const double ticks = clock_ * period * kTickFactor;
    if (!TicksFit(ticks)) return ERR_COUNTER_OVERFLOW;
    return SendTurnCommand(cmd::C_TURN, dfi, TimerField(ticks));
}

int ComClass::Start() {
    if (running_.load()) return COM_CUT_PROCESSING;
    int r = Setup(parameters_);
    if (r != STAT_OK) return r;
    r = SendByteCommand(cmd::C_LINEEND, 0);
    if (r != STAT_OK) return r;
    r = SendByteCommand(cmd::C_CUTROT, 0);
    if (r != STAT_OK) return r;
    GivePort();
    return STAT_OK;
}

int ComClass::Resume(bool wait) {
    // The resume must not race the reader: the port is taken first unless this thread
    // holds it already (after Hold or the end-of-program handling).
    if (lock_ && !lock_->HeldByCurrentThread()) {
        if (!lock_->Acquire(wait ? -1 : waitTimeout_)) return wait ? ERR_WAIT_MUTEX : COM_MUTEX_BUSY;
        running_ = false;
    }
    const int reply = SendByteCommand(cmd::C_RESUME, 0);
    if (reply == STAT_OK) GivePort();
    return reply;
}

}  // namespace wirvela
