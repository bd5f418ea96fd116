#pragma once
// Several FTDI backends shown as one device list: the devices of the first backend, then
// those of the second, and so on. Every handle it gives out is its own and is routed to the
// backend that opened the device. A backend whose list call fails contributes no devices;
// the merged list call itself always succeeds.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Ftdi.h"

namespace wirvela {

class SimulatedController;

class MergedFtdi : public Ftdi {
public:
    MergedFtdi() = default;
    explicit MergedFtdi(std::vector<std::shared_ptr<Ftdi>> backends);

    // Backends are added before the first use.
    void Add(std::shared_ptr<Ftdi> backend);

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

private:
    struct Route {
        std::shared_ptr<Ftdi> backend;
        FtHandle handle = 0;
    };
    struct Listed {
        std::size_t backend = 0;
        std::uint32_t index = 0;
    };

    void Snapshot();  // call with m_ held
    bool Find(FtHandle handle, Route& route) const;

    mutable std::mutex m_;
    std::vector<std::shared_ptr<Ftdi>> backends_;
    std::vector<Listed> list_;
    bool listed_ = false;
    std::map<FtHandle, Route> routes_;
    FtHandle nextHandle_ = 0x4D000001;
};

// The device list of the program: the real USB devices (libftdi1) first, then one
// simulated controller. Pass a controller to configure it or to watch it; without one a
// default controller (real time) is made. `includeUsb` false leaves the USB backend out
// (tests that must not touch the USB bus).
std::unique_ptr<Ftdi> MakeDefaultFtdi(std::shared_ptr<SimulatedController> controller = nullptr,
                                      bool includeUsb = true);

}  // namespace wirvela
