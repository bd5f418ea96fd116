#pragma once
// The FTDI seam over libftdi1 (real USB devices). The device list mirrors what the vendor
// library shows: every device with FTDI's vendor ID 0x0403 and one of the standard
// product IDs (6001, 6010, 6011, 6014, 6015); a chip with several serial interfaces
// (FT2232: A and B, FT4232: A to D) is listed once per interface, with the interface
// letter appended to the serial number and " A", " B", ... to the description. The
// location is the USB bus number times 256 plus the port number on its hub.
//
// Without a device, without access rights or without a usable USB stack the list is empty
// (count 0, status 0); nothing blocks longer than the time-outs. Reading the serial number
// and description needs the same access as opening the device (docs/usb-access.md); a
// device whose strings cannot be read is listed with empty texts.
#include <cstdint>
#include <memory>

#include "platform/Ftdi.h"

namespace wirvela {

// Baud rate of the bridge for a divisor value as the vendor's FT_SetDivisor takes it: the
// chip's 3 MHz baud clock divided by the divisor. Bits 0-13 hold the integer part, bits
// 14-15 a fraction (0: .0, 1: .5, 2: .25, 3: .125). The values 0 and 1 are the chip's
// special cases 3,000,000 and 2,000,000 baud.
int FtdiBaudRateForDivisor(std::uint16_t divisor);

class FtdiUsb : public Ftdi {
public:
    FtdiUsb();
    ~FtdiUsb() override;  // closes every device still open
    FtdiUsb(const FtdiUsb&) = delete;
    FtdiUsb& operator=(const FtdiUsb&) = delete;

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override;
    FtStatus GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) override;
    FtStatus Open(std::uint32_t index, FtHandle& handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    // Sets the baud rate FtdiBaudRateForDivisor gives (libftdi picks the chip's nearest
    // divisor; it refuses rates it cannot reach within 5 %, which gives kFtInvalidParameter).
    FtStatus SetDivisor(FtHandle handle, std::uint16_t divisor) override;
    // 0 is raised to 1 ms, the shortest latency libftdi accepts.
    FtStatus SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) override;
    // A read returns when all bytes arrived or after readMs (0: one poll of what is there).
    // A write gives up after writeMs (0: libftdi's default of 5000 ms).
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus Purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) override;
    FtStatus Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace wirvela
