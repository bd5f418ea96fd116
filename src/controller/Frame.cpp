#include "controller/Frame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/CommandNames.h"

namespace wirvela {

namespace {

void Put16(Frame& f, std::size_t at, std::uint16_t v) {
    f[at] = static_cast<std::uint8_t>(v & 0xFF);
    f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Frame& f, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Frame Empty(std::uint8_t letter) {
    Frame f{};
    f[0] = letter;
    return f;
}

}  // namespace

Frame ByteFrame(std::uint8_t letter, std::uint8_t a1) {
    Frame f = Empty(letter);
    f[1] = a1;
    return f;
}

Frame LongFrame(std::uint8_t letter, std::int32_t a1) {
    Frame f = Empty(letter);
    Put32(f, 1, static_cast<std::uint32_t>(a1));
    return f;
}

Frame TurnFrame(std::uint8_t letter, std::int32_t dfi, std::uint16_t v) {
    Frame f = Empty(letter);
    Put32(f, 1, static_cast<std::uint32_t>(dfi));
    Put32(f, 5, v);
    return f;
}

Frame FieldFrame(std::uint8_t letter, std::uint16_t a1, std::int32_t a2, std::uint16_t a3, std::uint16_t interNum,
                 std::uint16_t kfd) {
    Frame f = Empty(letter);
    const auto bits = static_cast<std::uint32_t>(a2);
    Put16(f, 1, a1);
    Put16(f, 3, static_cast<std::uint16_t>(bits & 0xFFFF));
    f[5] = static_cast<std::uint8_t>((bits >> 16) & 0xFF);
    if (a2 < 0) f[5] |= 0x80;
    Put16(f, 6, a3);
    Put16(f, 8, interNum);
    Put16(f, 10, kfd);
    return f;
}

Frame BlockFrame(std::uint8_t letter, std::uint32_t address, std::uint32_t length) {
    Frame f = Empty(letter);
    Put32(f, 1, address);
    Put32(f, 5, length);
    return f;
}

std::uint16_t MajorCount(std::int32_t n) {
    const std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    std::uint16_t v = static_cast<std::uint16_t>(magnitude & 0x7FFF);
    if (n < 0) v |= 0x8000;
    return v;
}

std::int32_t SlopeField(std::int32_t minor, std::int32_t major) {
    if (major == 0) return 0;
    const double slope = static_cast<double>(minor) / static_cast<double>(major);
    // |slope| ≤ 1 on every line segment, so the magnitude fits in 17 bits; the bound
    // only keeps a misuse from overflowing.
    const auto magnitude = static_cast<std::uint32_t>(std::trunc(std::fmin(std::fabs(slope), 32767.0) * 65536.0));
    std::uint32_t bits = magnitude & 0x7FFFFFFF;
    if (slope < 0) bits |= 0x80000000u;
    return static_cast<std::int32_t>(bits);
}

std::string FrameDumpText(const Frame& frame) {
    std::string out;
    char byte[8];
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", frame[i]);
        out += byte;
        if (i == 5) out += "  ";
    }
    out += "   ";
    out += CommandNameOf(frame[0]);
    return out;
}

std::string FrameHex(const Frame& frame) {
    std::string out;
    char byte[4];
    for (std::uint8_t b : frame) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        out += byte;
    }
    return out;
}

}  // namespace wirvela
