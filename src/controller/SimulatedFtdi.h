#pragma once
// One simulated controller presented as one FTDI device: VID 0x0403, PID 0x6010, serial
// "SIM00001". Writes go to the controller, reads come from it and wait at most the read
// time-out set with SetTimeouts (1000 ms until then; 0 returns at once with what is
// there). The controller keeps running when the device is closed, like a real machine.
#include <cstdint>
#include <memory>
#include <mutex>

#include "controller/SimulatedController.h"
#include "platform/Ftdi.h"

namespace wirvela {

class SimulatedFtdi : public Ftdi {
public:
    static constexpr std::uint32_t kId = 0x04036010;
    static constexpr const char* kSerialNumber = "SIM00001";
    static constexpr const char* kDescription = "wirvela simulated controller";
    static constexpr std::uint32_t kType = 4;  // the D2XX number of an FT2232

    explicit SimulatedFtdi(std::shared_ptr<SimulatedController> controller);

    SimulatedController& Controller() const { return *controller_; }
    const std::shared_ptr<SimulatedController>& SharedController() const { return controller_; }

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override;
    FtStatus GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) override;
    FtStatus Open(std::uint32_t index, FtHandle& handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus SetDivisor(FtHandle handle, std::uint16_t divisor) override;
    FtStatus SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) override;
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus Purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) override;
    FtStatus Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) override;

    // The settings of the open device, for tests.
    struct Settings {
        std::uint8_t wordLength = 8;
        std::uint8_t stopBits = 0;
        std::uint8_t parity = 0;
        std::uint16_t divisor = 0;
        std::uint8_t latencyMs = 16;
        std::uint32_t readTimeoutMs = 1000;
        std::uint32_t writeTimeoutMs = 1000;
    };
    Settings CurrentSettings() const;

private:
    bool IsOpen(FtHandle handle) const;  // call with m_ held
    // kFtOk, kFtInvalidHandle, or kFtIoError once the device is unplugged; call with m_ held.
    FtStatus Reach(FtHandle handle) const;

    std::shared_ptr<SimulatedController> controller_;
    mutable std::mutex m_;
    FtHandle handle_ = 0;
    Settings settings_;
};

}  // namespace wirvela
