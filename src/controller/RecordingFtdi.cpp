#include "controller/RecordingFtdi.h"

#include <chrono>

namespace wirvela {

RecordingFtdi::RecordingFtdi() : RecordingFtdi({Device(0x0403, 0x6010, "00000000")}) {}

RecordingFtdi::RecordingFtdi(std::vector<FtDeviceInfo> devices)
    : devices_(std::move(devices)), failures_(static_cast<std::size_t>(Call::Read) + 1, kFtOk) {}

FtDeviceInfo RecordingFtdi::Device(std::uint16_t vid, std::uint16_t pid, std::string serial, std::string description,
                                   std::uint32_t location) {
    FtDeviceInfo info;
    info.flags = 2;
    info.type = 6;
    info.id = (static_cast<std::uint32_t>(vid) << 16) | pid;
    info.location = location;
    info.serialNumber = std::move(serial);
    info.description = std::move(description);
    return info;
}

FtStatus RecordingFtdi::Failure(Call call) const {
    return failures_[static_cast<std::size_t>(call)];
}

FtStatus RecordingFtdi::CreateDeviceInfoList(std::uint32_t& count) {
    std::lock_guard lock(mutex_);
    count = 0;
    if (const FtStatus f = Failure(Call::List)) return f;
    count = static_cast<std::uint32_t>(devices_.size());
    return kFtOk;
}

FtStatus RecordingFtdi::GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) {
    std::lock_guard lock(mutex_);
    if (const FtStatus f = Failure(Call::Detail)) return f;
    if (index >= devices_.size()) return kFtDeviceNotFound;
    info = devices_[index];
    if (open_ == index + 1) info.flags |= 1;
    return kFtOk;
}

FtStatus RecordingFtdi::Open(std::uint32_t index, FtHandle& handle) {
    std::lock_guard lock(mutex_);
    handle = 0;
    if (const FtStatus f = Failure(Call::Open)) return f;
    if (index >= devices_.size()) return kFtDeviceNotFound;
    if (open_ != 0) return kFtDeviceNotOpened;
    open_ = index + 1;
    handle = open_;
    return kFtOk;
}

FtStatus RecordingFtdi::Close(FtHandle handle) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || handle != open_) return kFtInvalidHandle;
    open_ = 0;
    return kFtOk;
}

FtStatus RecordingFtdi::SetDataCharacteristics(FtHandle handle, std::uint8_t, std::uint8_t, std::uint8_t) {
    std::lock_guard lock(mutex_);
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    return Failure(Call::Characteristics);
}

FtStatus RecordingFtdi::SetDivisor(FtHandle handle, std::uint16_t divisor) {
    std::lock_guard lock(mutex_);
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    divisor_ = divisor;
    return Failure(Call::Divisor);
}

FtStatus RecordingFtdi::SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) {
    std::lock_guard lock(mutex_);
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    latency_ = milliseconds;
    return Failure(Call::Latency);
}

FtStatus RecordingFtdi::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t) {
    std::lock_guard lock(mutex_);
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    readTimeout_ = readMs;
    return Failure(Call::Timeouts);
}

FtStatus RecordingFtdi::Purge(FtHandle handle, std::uint32_t mask) {
    std::lock_guard lock(mutex_);
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    purges_.push_back(mask);
    if (mask & kFtPurgeRx) rx_.clear();
    if (mask & kFtPurgeTx) pendingSize_ = 0;
    return kFtOk;
}

FtStatus RecordingFtdi::Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) {
    std::unique_lock lock(mutex_);
    written = 0;
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    if (const FtStatus f = Failure(Call::Write)) return f;
    const std::uint32_t n = writeLimit_ != 0 && count > writeLimit_ ? writeLimit_ : count;
    writes_.emplace_back(bytes, bytes + n);
    const std::size_t before = rx_.size();
    for (std::uint32_t i = 0; i < n; ++i) Consume(bytes[i]);
    written = n;
    const bool replied = rx_.size() != before;
    lock.unlock();
    if (replied) arrived_.notify_all();
    return kFtOk;
}

FtStatus RecordingFtdi::Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) {
    std::unique_lock lock(mutex_);
    read = 0;
    if (handle != open_ || handle == 0) return kFtInvalidHandle;
    if (const FtStatus f = Failure(Call::Read)) return f;
    arrived_.wait_for(lock, std::chrono::milliseconds(readTimeout_), [this] { return !rx_.empty(); });
    while (read < count && !rx_.empty()) {
        bytes[read++] = rx_.front();
        rx_.pop_front();
    }
    return kFtOk;
}

void RecordingFtdi::Consume(std::uint8_t byte) {
    if (blockRemaining_ > 0) {
        block_.push_back(byte);
        --blockRemaining_;
        return;
    }
    pending_[pendingSize_++] = byte;
    if (pendingSize_ < kFrameSize) return;
    pendingSize_ = 0;
    const Frame frame = pending_;
    frames_.push_back(frame);
    int reply = responder_ ? responder_(frame) : kDefault;
    if (reply == kDefault) reply = DefaultReply(frame);
    if (reply >= 0) rx_.push_back(static_cast<std::uint8_t>(reply));
    if (frame[0] == cmd::C_WRDMA && reply == 16) {
        block_.clear();
        blockRemaining_ = static_cast<std::uint32_t>(frame[5]) | (static_cast<std::uint32_t>(frame[6]) << 8) |
                          (static_cast<std::uint32_t>(frame[7]) << 16) | (static_cast<std::uint32_t>(frame[8]) << 24);
    }
}

int RecordingFtdi::DefaultReply(const Frame& frame) {
    switch (frame[0]) {
        case cmd::C_PVER:
            return 38;
        case cmd::C_STATE:
            return 0xC0;
        case cmd::C_CLOCK:
            return 1;
        case cmd::C_RESETINFO:
            infoPos_ = 0;
            return 16;
        case cmd::C_INFO:
            return infoPos_ < info_.size() ? static_cast<std::uint8_t>(info_[infoPos_++]) : 0;
        case cmd::C_READ_POS: {
            std::uint32_t sum = 0;
            for (std::uint8_t b : block_) sum += b;
            return frame[1] == 0x37 ? static_cast<int>((sum >> 8) & 0xFF) : static_cast<int>(sum & 0xFF);
        }
        default:
            return 16;
    }
}

void RecordingFtdi::SetResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void RecordingFtdi::SetInfo(std::string info) {
    std::lock_guard lock(mutex_);
    info_ = std::move(info);
}

void RecordingFtdi::Fail(Call call, FtStatus status) {
    std::lock_guard lock(mutex_);
    failures_[static_cast<std::size_t>(call)] = status;
}

void RecordingFtdi::LimitWrite(std::uint32_t bytes) {
    std::lock_guard lock(mutex_);
    writeLimit_ = bytes;
}

void RecordingFtdi::Report(std::uint8_t status) {
    {
        std::lock_guard lock(mutex_);
        rx_.push_back(status);
    }
    arrived_.notify_all();
}

std::vector<Frame> RecordingFtdi::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<std::vector<std::uint8_t>> RecordingFtdi::Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<std::uint8_t> RecordingFtdi::LastBlock() const {
    std::lock_guard lock(mutex_);
    return block_;
}

std::uint16_t RecordingFtdi::BlockChecksum() const {
    std::lock_guard lock(mutex_);
    std::uint32_t sum = 0;
    for (std::uint8_t b : block_) sum += b;
    return static_cast<std::uint16_t>(sum);
}

int RecordingFtdi::Purges(std::uint32_t mask) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (std::uint32_t m : purges_) n += m == mask ? 1 : 0;
    return n;
}

bool RecordingFtdi::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_ != 0;
}

std::size_t RecordingFtdi::Waiting() const {
    std::lock_guard lock(mutex_);
    return rx_.size();
}

std::uint32_t RecordingFtdi::ReadTimeout() const {
    std::lock_guard lock(mutex_);
    return readTimeout_;
}

std::uint16_t RecordingFtdi::Divisor() const {
    std::lock_guard lock(mutex_);
    return divisor_;
}

std::uint8_t RecordingFtdi::Latency() const {
    std::lock_guard lock(mutex_);
    return latency_;
}

void RecordingFtdi::ClearRecord() {
    std::lock_guard lock(mutex_);
    frames_.clear();
    writes_.clear();
    purges_.clear();
}

}  // namespace wirvela
