#pragma once
// The FTDI USB-serial bridge library, reduced to exactly the calls the controller link
// makes. Every call returns a status: 0 (kFtOk) is success, anything else a failure the
// link passes on or maps to its own codes. Backends: real USB through libftdi1, the
// simulated controller, and a list that merges several backends into one device list.
#include <cstdint>
#include <string>

namespace wirvela {

using FtStatus = std::uint32_t;
using FtHandle = std::uintptr_t;  // 0 = no device

constexpr FtStatus kFtOk = 0;
constexpr FtStatus kFtInvalidHandle = 1;
constexpr FtStatus kFtDeviceNotFound = 2;
constexpr FtStatus kFtDeviceNotOpened = 3;
constexpr FtStatus kFtIoError = 4;
constexpr FtStatus kFtInvalidParameter = 6;
constexpr FtStatus kFtOtherError = 18;

constexpr std::uint32_t kFtPurgeRx = 1;
constexpr std::uint32_t kFtPurgeTx = 2;

struct FtDeviceInfo {
    std::uint32_t flags = 0;
    std::uint32_t type = 0;
    std::uint32_t id = 0;        // VID * 65536 + PID
    std::uint32_t location = 0;
    std::string serialNumber;
    std::string description;
    FtHandle handle = 0;
};

class Ftdi {
public:
    virtual ~Ftdi() = default;

    // Takes a fresh snapshot of the connected devices; indices below refer to it.
    virtual FtStatus CreateDeviceInfoList(std::uint32_t& count) = 0;
    virtual FtStatus GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) = 0;
    virtual FtStatus Open(std::uint32_t index, FtHandle& handle) = 0;
    virtual FtStatus Close(FtHandle handle) = 0;
    // wordLength 8, stopBits 0 (one), parity 0 (none) is what the link uses.
    virtual FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                            std::uint8_t parity) = 0;
    virtual FtStatus SetDivisor(FtHandle handle, std::uint16_t divisor) = 0;
    virtual FtStatus SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) = 0;
    virtual FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    // mask: kFtPurgeRx, kFtPurgeTx or both.
    virtual FtStatus Purge(FtHandle handle, std::uint32_t mask) = 0;
    virtual FtStatus Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count,
                           std::uint32_t& written) = 0;
    // Returns after at most the read time-out with what has arrived (read may be 0).
    virtual FtStatus Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) = 0;
};

}  // namespace wirvela
