// The simulated controller as an FTDI device, and the merged device list.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimFrames.h"
#include "controller/MergedFtdi.h"
#include "controller/SimulatedController.h"
#include "controller/SimulatedFtdi.h"

namespace wirvela {
namespace {

TEST(SimulatedFtdi, ListsOneDeviceWithTheControllersIdentity) {
    SimulatedFtdi ftdi(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast()));
    std::uint32_t count = 0;
    ASSERT_EQ(ftdi.CreateDeviceInfoList(count), kFtOk);
    EXPECT_EQ(count, 1u);
    FtDeviceInfo info;
    ASSERT_EQ(ftdi.GetDeviceInfoDetail(0, info), kFtOk);
    EXPECT_EQ(info.id, 0x04036010u);
    EXPECT_EQ(info.serialNumber, "SIM00001");
    EXPECT_EQ(info.description, "wirvela simulated controller");
    EXPECT_LE(info.description.size(), 30u);
    EXPECT_EQ(info.location, 0u);
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(ftdi.GetDeviceInfoDetail(1, info), kFtDeviceNotFound);
}

TEST(SimulatedFtdi, ExchangesFramesThroughTheSeam) {
    SimulatedFtdi ftdi(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast()));
    FtHandle h = 0;
    ASSERT_EQ(ftdi.Open(0, h), kFtOk);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(ftdi.SetDataCharacteristics(h, 8, 0, 0), kFtOk);
    EXPECT_EQ(ftdi.SetDivisor(h, 1), kFtOk);
    EXPECT_EQ(ftdi.SetLatencyTimer(h, 2), kFtOk);
    EXPECT_EQ(ftdi.SetTimeouts(h, 10, 10), kFtOk);
    EXPECT_EQ(ftdi.Purge(h, kFtPurgeRx | kFtPurgeTx), kFtOk);
    const auto frame = simtest::B('C');
    std::uint32_t written = 0;
    ASSERT_EQ(ftdi.Write(h, frame.data(), 12, written), kFtOk);
    EXPECT_EQ(written, 12u);
    std::uint8_t reply = 0;
    std::uint32_t read = 0;
    ASSERT_EQ(ftdi.Read(h, &reply, 1, read), kFtOk);
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(reply, 38);
    ASSERT_EQ(ftdi.Read(h, &reply, 1, read), kFtOk);
    EXPECT_EQ(read, 0u) << "nothing more within the read time-out";

    FtDeviceInfo info;
    ASSERT_EQ(ftdi.GetDeviceInfoDetail(0, info), kFtOk);
    EXPECT_EQ(info.flags & 1u, 1u) << "shown as opened";
    EXPECT_EQ(info.handle, h);
    FtHandle second = 0;
    EXPECT_NE(ftdi.Open(0, second), kFtOk) << "one user at a time";
    EXPECT_EQ(ftdi.Close(h), kFtOk);
    EXPECT_EQ(ftdi.Write(h, frame.data(), 12, written), kFtInvalidHandle);
    EXPECT_EQ(ftdi.Read(h, &reply, 1, read), kFtInvalidHandle);
    FtHandle again = 0;
    ASSERT_EQ(ftdi.Open(0, again), kFtOk);
    EXPECT_NE(again, h) << "a stale handle never becomes valid again";
    EXPECT_EQ(ftdi.Close(again), kFtOk);
}

TEST(SimulatedFtdi, UnpluggedItLeavesTheListAndFailsEveryCallUntilPluggedInAgain) {
    auto sim = std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast());
    SimulatedFtdi ftdi(sim);
    FtHandle h = 0;
    ASSERT_EQ(ftdi.Open(0, h), kFtOk);
    sim->SetUnplugged(true);

    std::uint32_t count = 1;
    ASSERT_EQ(ftdi.CreateDeviceInfoList(count), kFtOk);
    EXPECT_EQ(count, 0u);
    FtDeviceInfo info;
    EXPECT_EQ(ftdi.GetDeviceInfoDetail(0, info), kFtDeviceNotFound);
    const auto frame = simtest::B('@');
    std::uint32_t n = 0;
    std::uint8_t byte = 0;
    EXPECT_EQ(ftdi.Write(h, frame.data(), 12, n), kFtIoError);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(ftdi.Read(h, &byte, 1, n), kFtIoError);
    EXPECT_EQ(ftdi.Purge(h, kFtPurgeRx), kFtIoError);
    EXPECT_EQ(ftdi.SetTimeouts(h, 10, 10), kFtIoError);
    EXPECT_EQ(sim->Snapshot().frames, 0u) << "nothing reached the controller";
    EXPECT_EQ(ftdi.Close(h), kFtOk);
    FtHandle again = 0;
    EXPECT_EQ(ftdi.Open(0, again), kFtDeviceNotFound);

    sim->SetUnplugged(false);
    ASSERT_EQ(ftdi.Open(0, again), kFtOk);
    ASSERT_EQ(ftdi.Write(again, frame.data(), 12, n), kFtOk);
    ASSERT_EQ(ftdi.Read(again, &byte, 1, n), kFtOk);
    EXPECT_EQ(byte, 16);
    EXPECT_EQ(ftdi.Close(again), kFtOk);
}

TEST(SimulatedFtdi, ReadWaitsTheReadTimeoutThatWasSet) {
    SimulatedControllerConfig config;  // reads wait the whole time-out
    config.speedUp = 0;
    SimulatedFtdi ftdi(std::make_shared<SimulatedController>(config));
    FtHandle h = 0;
    ASSERT_EQ(ftdi.Open(0, h), kFtOk);
    ASSERT_EQ(ftdi.SetTimeouts(h, 30, 10), kFtOk);
    const auto before = std::chrono::steady_clock::now();
    std::uint8_t b = 0;
    std::uint32_t read = 7;
    ASSERT_EQ(ftdi.Read(h, &b, 1, read), kFtOk);
    EXPECT_EQ(read, 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
    EXPECT_EQ(ftdi.CurrentSettings().readTimeoutMs, 30u);
}

// A backend with fixed devices and a switchable list failure.
class FakeFtdi : public Ftdi {
public:
    explicit FakeFtdi(std::vector<std::string> serials, FtStatus listStatus = kFtOk)
        : serials_(std::move(serials)), listStatus_(listStatus) {}

    std::vector<std::string> written;

    FtStatus CreateDeviceInfoList(std::uint32_t& count) override {
        count = listStatus_ == kFtOk ? static_cast<std::uint32_t>(serials_.size()) : 0;
        return listStatus_;
    }
    FtStatus GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) override {
        if (index >= serials_.size()) return kFtDeviceNotFound;
        info = FtDeviceInfo{};
        info.id = 0x04036001;
        info.serialNumber = serials_[index];
        info.handle = open_ == index + 1 ? 7 : 0;
        return kFtOk;
    }
    FtStatus Open(std::uint32_t index, FtHandle& handle) override {
        if (index >= serials_.size()) return kFtDeviceNotFound;
        open_ = index + 1;
        handle = 7;  // every backend likes small handles
        return kFtOk;
    }
    FtStatus Close(FtHandle handle) override { return handle == 7 ? (open_ = 0, kFtOk) : kFtInvalidHandle; }
    FtStatus SetDataCharacteristics(FtHandle, std::uint8_t, std::uint8_t, std::uint8_t) override { return kFtOk; }
    FtStatus SetDivisor(FtHandle, std::uint16_t) override { return kFtOk; }
    FtStatus SetLatencyTimer(FtHandle, std::uint8_t) override { return kFtOk; }
    FtStatus SetTimeouts(FtHandle, std::uint32_t, std::uint32_t) override { return kFtOk; }
    FtStatus Purge(FtHandle, std::uint32_t) override { return kFtOk; }
    FtStatus Write(FtHandle h, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& n) override {
        if (h != 7) return kFtInvalidHandle;
        written.emplace_back(reinterpret_cast<const char*>(bytes), count);
        n = count;
        return kFtOk;
    }
    FtStatus Read(FtHandle, std::uint8_t*, std::uint32_t, std::uint32_t& n) override {
        n = 0;
        return kFtOk;
    }

private:
    std::vector<std::string> serials_;
    FtStatus listStatus_;
    std::uint32_t open_ = 0;
};

std::vector<std::string> Serials(Ftdi& ftdi) {
    std::uint32_t count = 0;
    EXPECT_EQ(ftdi.CreateDeviceInfoList(count), kFtOk);
    std::vector<std::string> serials;
    for (std::uint32_t i = 0; i < count; ++i) {
        FtDeviceInfo info;
        EXPECT_EQ(ftdi.GetDeviceInfoDetail(i, info), kFtOk);
        serials.push_back(info.serialNumber);
    }
    return serials;
}

TEST(MergedFtdi, ListsTheBackendsInOrderAndSkipsAFailingOne) {
    auto usb = std::make_shared<FakeFtdi>(std::vector<std::string>{"FT1A", "FT1B"});
    auto broken = std::make_shared<FakeFtdi>(std::vector<std::string>{"X"}, kFtIoError);
    auto sim = std::make_shared<SimulatedFtdi>(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast()));
    MergedFtdi merged({usb, broken, sim});
    EXPECT_EQ(Serials(merged), (std::vector<std::string>{"FT1A", "FT1B", "SIM00001"}));
    FtDeviceInfo info;
    EXPECT_EQ(merged.GetDeviceInfoDetail(3, info), kFtDeviceNotFound);
    FtHandle h = 0;
    EXPECT_EQ(merged.Open(3, h), kFtDeviceNotFound);
}

TEST(MergedFtdi, RoutesEveryHandleToTheBackendThatOpenedIt) {
    auto usb = std::make_shared<FakeFtdi>(std::vector<std::string>{"FT1A"});
    auto other = std::make_shared<FakeFtdi>(std::vector<std::string>{"FT2A"});
    MergedFtdi merged({usb, other});
    std::uint32_t count = 0;
    ASSERT_EQ(merged.CreateDeviceInfoList(count), kFtOk);
    FtHandle a = 0;
    FtHandle b = 0;
    ASSERT_EQ(merged.Open(0, a), kFtOk);
    ASSERT_EQ(merged.Open(1, b), kFtOk);
    EXPECT_NE(a, b) << "the backends' handles collide; the merged ones do not";
    std::uint32_t n = 0;
    ASSERT_EQ(merged.Write(b, reinterpret_cast<const std::uint8_t*>("to-2"), 4, n), kFtOk);
    ASSERT_EQ(merged.Write(a, reinterpret_cast<const std::uint8_t*>("to-1"), 4, n), kFtOk);
    EXPECT_EQ(usb->written, (std::vector<std::string>{"to-1"}));
    EXPECT_EQ(other->written, (std::vector<std::string>{"to-2"}));
    FtDeviceInfo info;
    ASSERT_EQ(merged.GetDeviceInfoDetail(1, info), kFtOk);
    EXPECT_EQ(info.handle, b) << "the handle shown is the merged one";
    EXPECT_EQ(merged.Close(a), kFtOk);
    EXPECT_EQ(merged.Close(a), kFtInvalidHandle);
    EXPECT_EQ(merged.Write(a, reinterpret_cast<const std::uint8_t*>("x"), 1, n), kFtInvalidHandle);
    EXPECT_EQ(merged.Write(b, reinterpret_cast<const std::uint8_t*>("x"), 1, n), kFtOk);
}

TEST(MergedFtdi, DefaultListEndsWithTheGivenSimulatedController) {
    auto controller = std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast());
    auto ftdi = MakeDefaultFtdi(controller, true);  // real USB devices (if any) come first
    std::uint32_t count = 0;
    ASSERT_EQ(ftdi->CreateDeviceInfoList(count), kFtOk);
    ASSERT_GE(count, 1u);
    FtDeviceInfo info;
    ASSERT_EQ(ftdi->GetDeviceInfoDetail(count - 1, info), kFtOk);
    EXPECT_EQ(info.serialNumber, "SIM00001");

    FtHandle h = 0;
    ASSERT_EQ(ftdi->Open(count - 1, h), kFtOk);
    ASSERT_EQ(ftdi->SetTimeouts(h, 10, 10), kFtOk);
    const auto frame = simtest::Setup('R', 321);
    std::uint32_t n = 0;
    ASSERT_EQ(ftdi->Write(h, frame.data(), 12, n), kFtOk);
    std::uint8_t reply = 0;
    ASSERT_EQ(ftdi->Read(h, &reply, 1, n), kFtOk);
    EXPECT_EQ(reply, 16);
    EXPECT_EQ(controller->Snapshot().parameters.cornerDelay, 321) << "the caller's controller is the device";
    EXPECT_EQ(ftdi->Close(h), kFtOk);

    auto simOnly = MakeDefaultFtdi(nullptr, false);
    EXPECT_EQ(Serials(*simOnly), (std::vector<std::string>{"SIM00001"}));
}

}  // namespace
}  // namespace wirvela
