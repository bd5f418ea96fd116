#include "controller/RSport.h"

#include <cmath>
#include <cstdarg>
#include <system_error>

#include "config/DebugLog.h"
#include "config/MessageLog.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "controller/ControllerCodes.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

constexpr int kResyncTries = 24;
constexpr std::uint32_t kResyncPauseMs = 2;

std::string Printf(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Byte-by-byte sending during a run is for the letters the controller must take while
// it is busy with the motion.
bool SentByteByByte(std::uint8_t letter) {
    return letter == 'E' || letter == 'y' || letter == 'S';
}

// A failed read passes the library's status on as the result; a status that reads like
// a success code must not, so it becomes a read failure.
int ReadFailureCode(FtStatus status) {
    if (status == static_cast<FtStatus>(STAT_OK) || status > 0xFFFF) return RS_BUSY;
    return static_cast<int>(status);
}

}  // namespace

DeviceIdentity DeviceIdentity::Configured(const TParameters& p) {
    DeviceIdentity id;
    const double vid = p.GetNumber(settings::kVID);
    const double pid = p.GetNumber(settings::kPID);
    id.vid = static_cast<std::uint16_t>(std::isfinite(vid) ? static_cast<long long>(std::fmod(std::trunc(vid), 65536.0))
                                                           : 0);
    id.pid = static_cast<std::uint16_t>(std::isfinite(pid) ? static_cast<long long>(std::fmod(std::trunc(pid), 65536.0))
                                                           : 0);
    id.serialNo = p.GetText(settings::kSerialNo);
    return id;
}

RSport::RSport(LinkServices services, EventChannel* eventWindow) : services_(std::move(services)) {
    const TParameters& p = *services_.parameters;
    buffered_ = p.GetFlag(settings::kBuffered);
    if (buffered_) block_.assign(kBlockBufferBytes, 0);
    frameDump_ = p.GetNumber(settings::kPloterDebug) == 1;
    eventWindow_.store(eventWindow);
    xAxisDir_ = p.GetNumber(settings::kXaxisDir);
    yAxisDir_ = p.GetNumber(settings::kYaxisDir);
    const bool traceOn = p.GetNumber(settings::kDebugRS) == 1;
    waitTimeout_ = ReadInt(settings::kWaitSynchMutexTimeout);
    wanted_ = services_.identity ? *services_.identity : DeviceIdentity::Configured(p);

    if (FindAndOpen() != 0) {
        initError_ = RS_OPEN_COM_ERR;
        return;
    }
    lock_ = std::make_unique<LinkLock>(Printf("RS_LOCK_MUTEX%d", services_.processId));
    // The window thread owns the port until a program starts. A wait without limit on
    // this lock cannot fail, so event 568 of a failed wait never arises here.
    lock_->Acquire(-1);
    try {
        readerDone_ = false;
        reader_ = std::jthread([this](std::stop_token stop) { ReaderLoop(stop); });
    } catch (const std::system_error&) {
        readerDone_ = true;
        initError_ = COM_DEAMON_CREATE_ERR;
        return;
    }
    if (traceOn) trace_ = std::fopen((services_.directory / "debug_lines.txt").string().c_str(), "w");
}

RSport::~RSport() {
    StopReader();
    if (trace_) std::fclose(trace_);
    if (lock_) lock_->Release();
    if (handle_ != 0) services_.ftdi->Close(handle_);
}

int RSport::ReadInt(const SettingKey& key) const {
    const double v = services_.parameters->GetNumber(key);
    if (!(v >= key.limits.lower)) return static_cast<int>(key.limits.lower);
    if (v > key.limits.upper) return static_cast<int>(key.limits.upper);
    return static_cast<int>(std::trunc(v));
}

void RSport::LogMessage(std::string_view text) const {
    if (services_.messageLog) services_.messageLog->Log(text);
}

void RSport::Memo(const std::string& line) const {
    if (services_.memo) services_.memo(line);
}

void RSport::Trace(const char* format, ...) const {
    if (!trace_) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(trace_, format, args);
    va_end(args);
}

int RSport::FindAndOpen() {
    Memo(" SW configured for:");
    Memo(Printf("   VID=%04X PID=%04X", wanted_.vid, wanted_.pid));
    Memo("   Serial=" + wanted_.serialNo);

    if (handle_ != 0) {
        services_.ftdi->Close(handle_);
        handle_ = 0;
    }
    std::uint32_t count = 0;
    const FtStatus listed = services_.ftdi->CreateDeviceInfoList(count);
    Memo(Printf("Wykryto %u urzadzen FTDI", count));
    vid_ = pid_ = 0;
    serialNo_.clear();
    description_.clear();
    if (listed != kFtOk) return 0;

    for (std::uint32_t i = 0;; ++i) {
        FtDeviceInfo info;
        if (services_.ftdi->GetDeviceInfoDetail(i, info) != kFtOk) break;
        Memo(Printf("[%u]: flags=0x%X type=0x%X ID=0x%08X Loc=0x%X serialNo=", i, info.flags, info.type, info.id,
                    info.location) +
             info.serialNumber + " desc=" + info.description);
        Memo(Printf("FT_HANDLE=%08X", static_cast<unsigned>(info.handle)));
        if ((info.id >> 16) == wanted_.vid && (info.id & 0xFFFF) == wanted_.pid &&
            info.serialNumber == wanted_.serialNo) {
            Memo("^--found matching device---");
            return OpenByIndex(i);
        }
    }
    return 0;
}

int RSport::OpenByIndex(std::uint32_t index) {
    Ftdi& ft = *services_.ftdi;
    FtDeviceInfo info;
    if (ft.GetDeviceInfoDetail(index, info) != kFtOk) return RS_SETRS_COM_ERR;
    if (handle_ != 0) {
        ft.Close(handle_);
        handle_ = 0;
    }
    FtHandle handle = 0;
    if (ft.Open(index, handle) != kFtOk || handle == 0) return RS_SETRS_COM_ERR;
    const auto divisor = static_cast<std::uint16_t>(ReadInt(settings::kBaudDivisor));
    const auto latency = static_cast<std::uint8_t>(ReadInt(settings::kLatency));
    const auto rx = static_cast<std::uint32_t>(ReadInt(settings::kTimeoutRX));
    const auto tx = static_cast<std::uint32_t>(ReadInt(settings::kTimeoutTX));
    if (ft.SetDataCharacteristics(handle, 8, 0, 0) != kFtOk || ft.SetDivisor(handle, divisor) != kFtOk ||
        ft.SetLatencyTimer(handle, latency) != kFtOk || ft.SetTimeouts(handle, rx, tx) != kFtOk) {
        // A half-configured device is not kept: every later write fails with 297.
        ft.Close(handle);
        return RS_SETRS_COM_ERR;
    }
    handle_ = handle;
    vid_ = static_cast<std::uint16_t>(info.id >> 16);
    pid_ = static_cast<std::uint16_t>(info.id & 0xFFFF);
    serialNo_ = info.serialNumber.substr(0, kSerialChars);
    description_ = info.description.substr(0, kDescriptionChars);
    return 0;
}

void RSport::WaitTicks(std::uint32_t milliseconds) const {
    // A busy wait on the tick counter, as the controller's byte timing expects.
    const std::uint64_t start = TickCount64();
    while (TickCount64() - start < milliseconds) std::this_thread::yield();
}

int RSport::RawExchange(const Frame& frame, std::uint8_t& reply, bool purge) {
    if (frameDump_) LogMessage("->" + FrameDumpText(frame));
    if (handle_ == 0) return RS_WRITE_ERR;
    Ftdi& ft = *services_.ftdi;
    if (purge) ft.Purge(handle_, kFtPurgeRx);

    std::uint8_t byte = 0;
    std::uint32_t count = 0;
    if (buffered_ && (running_.load() || SentByteByByte(frame[0]))) {
        const auto delay = static_cast<std::uint32_t>(ReadInt(settings::kInterCharDelay));
        for (std::uint8_t b : frame) {
            std::uint32_t written = 0;
            if (ft.Write(handle_, &b, 1, written) != kFtOk || written != 1) return RS_WRITE_ERR;
            WaitTicks(delay);
        }
        if (ft.Read(handle_, &byte, 1, count) != kFtOk) return RS_BUSY;
        if (count == 0) return RS_EMPTY_RESP;
        reply = byte;
        return 0;
    }
    std::uint32_t written = 0;
    if (ft.Write(handle_, frame.data(), kFrameSize, written) != kFtOk || written != kFrameSize) return RS_WRITE_ERR;
    const FtStatus status = ft.Read(handle_, &byte, 1, count);
    if (status != kFtOk) return ReadFailureCode(status);
    if (count == 0) return RS_EMPTY_RESP;
    reply = byte;
    return 0;
}

int RSport::Write(const std::uint8_t* bytes, std::uint32_t count) {
    if (handle_ == 0) return RS_WRITE_ERR;
    std::uint32_t written = 0;
    if (services_.ftdi->Write(handle_, bytes, count, written) != kFtOk || written != count) return RS_WRITE_ERR;
    return 0;
}

std::uint32_t RSport::ReadMore(std::uint8_t* bytes, std::uint32_t count) {
    std::uint32_t got = 0;
    while (handle_ != 0 && got < count) {
        std::uint32_t n = 0;
        if (services_.ftdi->Read(handle_, bytes + got, count - got, n) != kFtOk || n == 0) break;
        got += n;
    }
    return got;
}

int RSport::Resync() {
    if (handle_ == 0) return RS_WRITE_ERR;
    Ftdi& ft = *services_.ftdi;
    ft.Purge(handle_, kFtPurgeRx | kFtPurgeTx);
    for (int attempt = 0; attempt < kResyncTries; ++attempt) {
        const std::uint8_t cancel = 'E';
        std::uint32_t written = 0;
        if (ft.Write(handle_, &cancel, 1, written) != kFtOk || written != 1) return RS_WRITE_ERR;
        WaitTicks(kResyncPauseMs);
        std::uint8_t byte = 0;
        std::uint32_t count = 0;
        if (ft.Read(handle_, &byte, 1, count) == kFtOk && count == 1) return 0;
    }
    return RS_EMPTY_RESP;
}

void RSport::ResumeReader() {
    if (!reader_.joinable()) return;
    {
        std::lock_guard lock(gateMutex_);
        resumed_ = true;
    }
    gate_.notify_all();
}

void RSport::ReaderLoop(std::stop_token stop) {
    {
        std::unique_lock lock(gateMutex_);
        gate_.wait(lock, stop, [this] { return resumed_; });
    }
    while (!stop.stop_requested()) {
        if (!lock_->AcquireForReader(stop)) break;
        std::uint8_t byte = 0;
        std::uint32_t count = 0;
        const FtStatus status = services_.ftdi->Read(handle_, &byte, 1, count);
        lock_->Release();
        if (status != kFtOk) {
            if (services_.debugLog) {
                services_.debugLog->LogValue("asynch thread:: FT_Read status not FT_OK = ", static_cast<int>(status));
            }
            if (EventChannel* window = eventWindow_.load()) window->Post(COM_ASYNCH_ERR_READ, 0);
            break;
        }
        if (count == 0) continue;
        if (services_.debugLog) services_.debugLog->LogReply(byte);
        if (EventChannel* window = eventWindow_.load()) {
            deliveringTo_ = window;
            window->Send(byte, 0);
            deliveringTo_ = nullptr;
        }
    }
    readerDone_ = true;
}

void RSport::StopReader() {
    if (!reader_.joinable()) return;
    reader_.request_stop();
    // The reader may be waiting for the window thread, this thread, to handle a report.
    while (!readerDone_.load()) {
        if (EventChannel* window = deliveringTo_.load()) window->ProcessPending();
        SleepMs(1);
    }
    reader_.join();
}

}  // namespace wirvela
