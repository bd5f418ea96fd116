#pragma once
// The 12-byte command frame of the controller and the encodings of its fields.
// Byte 0 is the command letter; multi-byte fields are little-endian. Bytes a layout
// does not list are left 0.
#include <array>
#include <cstdint>
#include <string>

namespace wirvela {

constexpr std::size_t kFrameSize = 12;
using Frame = std::array<std::uint8_t, kFrameSize>;

// Command letters the link sends.
namespace cmd {
constexpr std::uint8_t C_NOP = '@';
constexpr std::uint8_t C_PVER = 'C';
constexpr std::uint8_t C_CANCEL = 'E';
constexpr std::uint8_t C_STATE = 'F';
constexpr std::uint8_t C_READVAR = 'G';
constexpr std::uint8_t C_RESETINFO = 'H';
constexpr std::uint8_t C_INFO = 'I';
constexpr std::uint8_t C_WRDMA = 'J';
constexpr std::uint8_t C_READ_POS = 'K';
constexpr std::uint8_t C_CLOCK = 'L';  // the clock query has no name of its own
constexpr std::uint8_t C_SETMODE = 'Q';
constexpr std::uint8_t C_SETDELAY = 'R';
constexpr std::uint8_t C_SETCURRENT = 'S';
constexpr std::uint8_t C_SETASTEP = 'T';
constexpr std::uint8_t C_SETSTEPS = 'U';
constexpr std::uint8_t C_SETHEATING = 'W';
constexpr std::uint8_t C_SETRV = 'X';
constexpr std::uint8_t C_LSPEED = 'Y';
constexpr std::uint8_t C_HSPEED = 'Z';
constexpr std::uint8_t C_SETADR = '[';
constexpr std::uint8_t C_LINEX = 'a';
constexpr std::uint8_t C_LINEY = 'b';
constexpr std::uint8_t C_LINEXD = 'c';
constexpr std::uint8_t C_LINEYD = 'd';
constexpr std::uint8_t C_LINEEND = 'e';
constexpr std::uint8_t C_REPEAT = 'f';
constexpr std::uint8_t C_TURN = 'g';  // table turn, no name of its own
constexpr std::uint8_t C_CUTROT = 'r';
constexpr std::uint8_t C_RESUME = 's';
constexpr std::uint8_t C_HOLD = 'y';
}  // namespace cmd

// Letters 'a' … 'g' form the block class: buffered on the host in block mode.
constexpr bool IsBlockClass(std::uint8_t letter) {
    return letter >= 'a' && letter <= 'g';
}

// Layout B: byte 1 = a1.
Frame ByteFrame(std::uint8_t letter, std::uint8_t a1);
// Layout L: bytes 1–4 = a1.
Frame LongFrame(std::uint8_t letter, std::int32_t a1);
// Layout T: bytes 1–4 = dfi, bytes 5–8 = V zero-extended.
Frame TurnFrame(std::uint8_t letter, std::int32_t dfi, std::uint16_t v);
// Layout F: bytes 1–2 a1; 3–5 a2 (bits 0–23, bit 7 of byte 5 forced to 1 when a2 is
// negative); 6–7 a3; 8–9 InterNum; 10–11 Kfd.
Frame FieldFrame(std::uint8_t letter, std::uint16_t a1, std::int32_t a2, std::uint16_t a3, std::uint16_t interNum,
                 std::uint16_t kfd);
// Layout D: bytes 1–4 start address, 5–8 length in bytes.
Frame BlockFrame(std::uint8_t letter, std::uint32_t address, std::uint32_t length);

// Sign-magnitude 16 bits: |n| (callers keep it at most 32760), bit 15 set when n < 0.
std::uint16_t MajorCount(std::int32_t n);
// |minor / major| × 65536 truncated, bit 31 set when the slope is negative; major ≠ 0.
std::int32_t SlopeField(std::int32_t minor, std::int32_t major);

// The dump form of the logs: 12 × "%02X ", two extra spaces after the sixth byte,
// three spaces, the command name.
std::string FrameDumpText(const Frame& frame);
// 24 upper-case hex digits.
std::string FrameHex(const Frame& frame);

}  // namespace wirvela
