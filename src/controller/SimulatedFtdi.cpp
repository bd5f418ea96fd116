#include "controller/SimulatedFtdi.h"

#include <atomic>
#include <utility>

namespace wirvela {

namespace {

// Handles differ between opens, so a handle kept after Close is refused.
std::atomic<FtHandle> nextHandle{0x51D00001};

}  // namespace

SimulatedFtdi::SimulatedFtdi(std::shared_ptr<SimulatedController> controller) : controller_(std::move(controller)) {
    if (!controller_) controller_ = std::make_shared<SimulatedController>();
}

bool SimulatedFtdi::IsOpen(FtHandle handle) const {
    return handle != 0 && handle == handle_;
}

FtStatus SimulatedFtdi::Reach(FtHandle handle) const {
    if (!IsOpen(handle)) return kFtInvalidHandle;
    // A handle of a removed device stays valid, but nothing goes through it.
    return controller_->Unplugged() ? kFtIoError : kFtOk;
}

FtStatus SimulatedFtdi::CreateDeviceInfoList(std::uint32_t& count) {
    count = controller_->Unplugged() ? 0 : 1;
    return kFtOk;
}

FtStatus SimulatedFtdi::GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) {
    if (index != 0 || controller_->Unplugged()) return kFtDeviceNotFound;
    std::lock_guard lock(m_);
    info = FtDeviceInfo{};
    info.flags = handle_ != 0 ? 1u : 0u;  // bit 0: opened
    info.type = kType;
    info.id = kId;
    info.location = 0;
    info.serialNumber = kSerialNumber;
    info.description = kDescription;
    info.handle = handle_;
    return kFtOk;
}

FtStatus SimulatedFtdi::Open(std::uint32_t index, FtHandle& handle) {
    handle = 0;
    if (index != 0 || controller_->Unplugged()) return kFtDeviceNotFound;
    std::lock_guard lock(m_);
    if (handle_ != 0) return kFtDeviceNotOpened;  // one user at a time, as with a real device
    handle_ = nextHandle++;
    settings_ = Settings{};
    handle = handle_;
    return kFtOk;
}

FtStatus SimulatedFtdi::Close(FtHandle handle) {
    std::lock_guard lock(m_);
    if (!IsOpen(handle)) return kFtInvalidHandle;
    handle_ = 0;
    return kFtOk;
}

FtStatus SimulatedFtdi::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                               std::uint8_t parity) {
    std::lock_guard lock(m_);
    if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4) {
        return kFtInvalidParameter;
    }
    settings_.wordLength = wordLength;
    settings_.stopBits = stopBits;
    settings_.parity = parity;
    return kFtOk;
}

FtStatus SimulatedFtdi::SetDivisor(FtHandle handle, std::uint16_t divisor) {
    std::lock_guard lock(m_);
    if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    settings_.divisor = divisor;
    return kFtOk;
}

FtStatus SimulatedFtdi::SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) {
    std::lock_guard lock(m_);
    if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    settings_.latencyMs = milliseconds;
    return kFtOk;
}

FtStatus SimulatedFtdi::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    std::lock_guard lock(m_);
    if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    settings_.readTimeoutMs = readMs;
    settings_.writeTimeoutMs = writeMs;
    return kFtOk;
}

FtStatus SimulatedFtdi::Purge(FtHandle handle, std::uint32_t mask) {
    {
        std::lock_guard lock(m_);
        if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    }
    // Bytes written reach the controller at once, so only the receive side holds anything.
    if (mask & kFtPurgeRx) controller_->HostPurge();
    return kFtOk;
}

FtStatus SimulatedFtdi::Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count,
                              std::uint32_t& written) {
    written = 0;
    {
        std::lock_guard lock(m_);
        if (const FtStatus status = Reach(handle); status != kFtOk) return status;
    }
    if (count > 0 && bytes == nullptr) return kFtInvalidParameter;
    controller_->HostWrite(bytes, count);
    written = count;
    return kFtOk;
}

FtStatus SimulatedFtdi::Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    std::uint32_t timeoutMs = 0;
    {
        std::lock_guard lock(m_);
        if (const FtStatus status = Reach(handle); status != kFtOk) return status;
        timeoutMs = settings_.readTimeoutMs;
    }
    if (count > 0 && bytes == nullptr) return kFtInvalidParameter;
    read = static_cast<std::uint32_t>(controller_->HostRead(bytes, count, timeoutMs));
    // Pulled out while the read waited.
    return read == 0 && controller_->Unplugged() ? kFtIoError : kFtOk;
}

SimulatedFtdi::Settings SimulatedFtdi::CurrentSettings() const {
    std::lock_guard lock(m_);
    return settings_;
}

}  // namespace wirvela
