#pragma once
// Command frames built by hand from the frame layouts, for the simulated controller's
// tests, plus a small host that exchanges them with a SimulatedController directly.
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controller/SimulatedController.h"

namespace wirvela::simtest {

using Frame = std::array<std::uint8_t, 12>;

inline void Put16(Frame& f, int at, std::uint32_t v) {
    f[at] = static_cast<std::uint8_t>(v & 0xFF);
    f[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

inline void Put32(Frame& f, int at, std::uint32_t v) {
    Put16(f, at, v & 0xFFFF);
    Put16(f, at + 2, v >> 16);
}

inline std::uint16_t Get16(const Frame& f, int at) {
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

// Layout B.
inline Frame B(char letter, std::uint8_t a1 = 0) {
    Frame f{};
    f[0] = static_cast<std::uint8_t>(letter);
    f[1] = a1;
    return f;
}

// Layout L.
inline Frame L(char letter, std::int32_t a1) {
    Frame f{};
    f[0] = static_cast<std::uint8_t>(letter);
    Put32(f, 1, static_cast<std::uint32_t>(a1));
    return f;
}

// Layout T.
inline Frame T(char letter, std::int32_t dfi, std::uint16_t v) {
    Frame f{};
    f[0] = static_cast<std::uint8_t>(letter);
    Put32(f, 1, static_cast<std::uint32_t>(dfi));
    Put32(f, 5, v);
    return f;
}

// Layout F; a2 is the 32-bit argument: bits 0-23 go to bytes 3-5 and bit 7 of byte 5 is
// forced to 1 when the argument is negative (bit 31 set).
inline Frame F(char letter, std::uint16_t a1, std::uint32_t a2, std::uint16_t a3, std::uint16_t interNum,
               std::uint16_t kfd) {
    Frame f{};
    f[0] = static_cast<std::uint8_t>(letter);
    Put16(f, 1, a1);
    Put16(f, 3, a2 & 0xFFFF);
    f[5] = static_cast<std::uint8_t>((a2 >> 16) & 0xFF);
    if (a2 & 0x80000000u) f[5] |= 0x80;
    Put16(f, 6, a3);
    Put16(f, 8, interNum);
    Put16(f, 10, kfd);
    return f;
}

// Layout F with the setup defaults (a2 = 0, a3 = 0xFFFF, InterNum = 1, Kfd = 0).
inline Frame Setup(char letter, std::uint16_t a1) {
    return F(letter, a1, 0, 0xFFFF, 1, 0);
}

// Layout D.
inline Frame D(std::uint32_t start, std::uint32_t length) {
    Frame f{};
    f[0] = 'J';
    Put32(f, 1, start);
    Put32(f, 5, length);
    return f;
}

constexpr double kClock = 7372800.0;

// One line segment (|x|, |y| <= 32760) encoded as the link encodes it.
inline Frame Line(std::int32_t x, std::int32_t y, bool delay, double periodUs, double rotRatio = 0,
                  double clock = kClock) {
    const bool xMajor = std::abs(x) >= std::abs(y);
    const std::int32_t major = xMajor ? x : y;
    const std::int32_t minor = xMajor ? y : x;
    const char letter = xMajor ? (delay ? 'c' : 'a') : (delay ? 'd' : 'b');
    std::uint16_t a1 = static_cast<std::uint16_t>(std::abs(major));
    if (major < 0) a1 |= 0x8000;
    const double slope = major == 0 ? 0.0 : static_cast<double>(minor) / major;
    std::uint32_t a2 = static_cast<std::uint32_t>(std::trunc(std::fabs(slope) * 65536.0));
    if (slope < 0) a2 |= 0x80000000u;
    const double m = xMajor ? rotRatio : std::fabs(static_cast<double>(x) / y) * rotRatio;
    std::uint32_t interNum = 1;
    std::uint32_t kfd = static_cast<std::uint32_t>(std::trunc(std::fabs(m) * 32768.0));
    if (std::fabs(m) > 1) {
        const std::int64_t scaled = static_cast<std::int64_t>(std::trunc(std::fabs(m) * 32768.0));
        const std::int64_t n = static_cast<std::int64_t>(std::trunc(std::fabs(m))) + 1;
        for (std::int64_t i = 2; i <= n; ++i) {
            if (scaled / i <= 32768) {
                interNum = static_cast<std::uint32_t>(i);
                kfd = static_cast<std::uint32_t>(scaled / i);
                break;
            }
        }
    }
    const double t = clock * periodUs * 1.25e-7 / interNum;
    const auto a3 = static_cast<std::uint16_t>(-static_cast<std::int32_t>(std::trunc(t)));
    if (m < 0) interNum |= 0x8000;
    return F(letter, a1, a2, a3, static_cast<std::uint16_t>(interNum), static_cast<std::uint16_t>(kfd));
}

// Step period in ms the controller makes of a period in microseconds (whole timer ticks).
inline double StepMs(double periodUs, std::uint32_t interNum = 1, double clock = kClock) {
    const double ticks = std::trunc(clock * periodUs * 1.25e-7 / interNum);
    return ticks * 8000.0 / clock * interNum;
}

inline std::vector<std::uint8_t> Concat(const std::vector<Frame>& frames) {
    std::vector<std::uint8_t> bytes;
    for (const Frame& f : frames) bytes.insert(bytes.end(), f.begin(), f.end());
    return bytes;
}

// Talks to a controller as the link does: a frame out, one byte back.
class Host {
public:
    explicit Host(SimulatedController& sim) : sim_(sim) {}

    // The reply byte, or -1 when none came within the wait.
    int Exchange(const Frame& frame, std::uint32_t waitMs = 200) {
        sim_.HostWrite(frame.data(), frame.size());
        return ReadByte(waitMs);
    }
    int ReadByte(std::uint32_t waitMs = 200) {
        std::uint8_t b = 0;
        return sim_.HostRead(&b, 1, waitMs) == 1 ? b : -1;
    }
    // Keeps reading until a byte comes (reads of a fast controller return after 1 ms).
    int AwaitByte(int timeoutMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            const int b = ReadByte(10);
            if (b >= 0) return b;
        }
        return -1;
    }
    void WriteBytes(const std::vector<std::uint8_t>& bytes) { sim_.HostWrite(bytes.data(), bytes.size()); }

    // A whole block: C_WRDMA, the bytes, and the checksum read back (high, low).
    // Returns the reply of C_WRDMA when it is not 16, else the checksum read back.
    int SendBlock(const std::vector<std::uint8_t>& bytes) {
        const int reply = Exchange(D(0, static_cast<std::uint32_t>(bytes.size())));
        if (reply != 16) return reply;
        WriteBytes(bytes);
        const int hi = Exchange(B('K', 0x37));
        const int lo = Exchange(B('K', 0x36));
        return hi * 256 + lo;
    }

    // Block mode as the link does it: 'Y' (a new program), block write, then 'r'.
    int StartBlock(const std::vector<std::uint8_t>& bytes) {
        if (Exchange(B('Y')) != 16) return -2;
        SendBlock(bytes);
        return Exchange(B('r'));
    }

private:
    SimulatedController& sim_;
};

}  // namespace wirvela::simtest
