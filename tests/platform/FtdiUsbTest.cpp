#include "platform/FtdiUsb.h"

#include <gtest/gtest.h>

#include <tuple>

namespace wirvela {
namespace {

class FtdiBaudRate : public ::testing::TestWithParam<std::tuple<std::uint16_t, int>> {};

TEST_P(FtdiBaudRate, FollowsTheChipsDivisorRule) {
    const auto [divisor, baud] = GetParam();
    EXPECT_EQ(FtdiBaudRateForDivisor(divisor), baud);
}

INSTANTIATE_TEST_SUITE_P(Divisors, FtdiBaudRate,
                         ::testing::Values(std::tuple{std::uint16_t{0}, 3000000},   // special case
                                           std::tuple{std::uint16_t{1}, 2000000},   // special case
                                           std::tuple{std::uint16_t{2}, 1500000},
                                           std::tuple{std::uint16_t{3}, 1000000},
                                           std::tuple{std::uint16_t{26}, 115385},
                                           std::tuple{std::uint16_t{0x4000 | 26}, 113208},  // 26.5
                                           std::tuple{std::uint16_t{0x8000 | 2}, 1333333},  // 2.25
                                           std::tuple{std::uint16_t{0xC000 | 3}, 960000},   // 3.125
                                           std::tuple{std::uint16_t{0x4001}, 2000000},      // 1.5: no such divisor
                                           std::tuple{std::uint16_t{16383}, 183}));

// No test machine has the cutter's bridge plugged in, but a developer's may have some FTDI
// device: the checks hold either way and never block.
TEST(FtdiUsb, ListCallSucceedsAndIndicesPastTheListAreRefused) {
    FtdiUsb usb;
    std::uint32_t count = 12345;
    ASSERT_EQ(usb.CreateDeviceInfoList(count), kFtOk);
    EXPECT_LT(count, 12345u);
    FtDeviceInfo info;
    EXPECT_EQ(usb.GetDeviceInfoDetail(count, info), kFtDeviceNotFound);
    FtHandle h = 99;
    EXPECT_EQ(usb.Open(count, h), kFtDeviceNotFound);
    EXPECT_EQ(h, 0u);
}

TEST(FtdiUsb, EveryCallOnAHandleThatIsNotOpenFails) {
    FtdiUsb usb;
    const FtHandle h = 0x1234;
    std::uint8_t byte = 0;
    std::uint32_t n = 5;
    EXPECT_EQ(usb.Close(h), kFtInvalidHandle);
    EXPECT_EQ(usb.SetDataCharacteristics(h, 8, 0, 0), kFtInvalidHandle);
    EXPECT_EQ(usb.SetDivisor(h, 1), kFtInvalidHandle);
    EXPECT_EQ(usb.SetLatencyTimer(h, 2), kFtInvalidHandle);
    EXPECT_EQ(usb.SetTimeouts(h, 10, 10), kFtInvalidHandle);
    EXPECT_EQ(usb.Purge(h, kFtPurgeRx), kFtInvalidHandle);
    EXPECT_EQ(usb.Write(h, &byte, 1, n), kFtInvalidHandle);
    EXPECT_EQ(n, 0u);
    n = 5;
    EXPECT_EQ(usb.Read(h, &byte, 1, n), kFtInvalidHandle);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(usb.SetDataCharacteristics(h, 9, 0, 0), kFtInvalidParameter) << "bad settings are refused first";
}

}  // namespace
}  // namespace wirvela
