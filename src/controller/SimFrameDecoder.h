#pragma once
// How the simulated controller reads the fields of the 12-byte command frames. Multi-byte
// fields are little-endian. The decoding mirrors the host's encoding exactly:
//  - major step count: 16-bit sign-magnitude (bit 15 = negative);
//  - slope: 24-bit field, bits 0-22 the magnitude of |minor / major| x 65536, bit 23 the
//    sign of the slope (minor and major have opposite signs);
//  - timer period: the field holds -ticks as 16 bits, so ticks = 65536 - field (a field of 0
//    is a full counter round, 65536 ticks); one tick lasts 8 / clock seconds;
//  - InterNum: bits 0-14 the sub-steps per major step, bit 15 the negative rotary direction;
//  - Kfd: rotary steps per sub-step in units of 1/32768.
#include <array>
#include <cstddef>
#include <cstdint>

namespace wirvela {

constexpr std::size_t kSimFrameSize = 12;
using SimFrame = std::array<std::uint8_t, kSimFrameSize>;

// Layout F: a1 (bytes 1-2), a2 (bytes 3-5, raw 24 bits), a3 (bytes 6-7), InterNum (8-9), Kfd (10-11).
struct SimFieldArgs {
    std::uint16_t a1 = 0;
    std::uint32_t a2 = 0;
    std::uint16_t a3 = 0;
    std::uint16_t interNum = 0;
    std::uint16_t kfd = 0;
};

// One line frame ('a' to 'd') as the controller executes it.
struct SimLine {
    bool xMajor = true;
    bool delay = false;                  // 'c' and 'd': corner pause before the move
    std::int32_t majorSign = 1;          // +1 or -1
    std::int32_t minorSign = 1;
    std::uint32_t majorSteps = 0;        // |major|, 0 to 32767
    std::uint32_t slope = 0;             // |minor / major| x 65536
    std::uint32_t ticksPerSubStep = 0;   // 1 to 65536
    std::uint32_t subStepsPerStep = 1;   // InterNum bits 0-14, a field of 0 counts as 1
    bool rotaryNegative = false;
    std::uint32_t kfd = 0;
    std::int32_t dx = 0;                 // the whole move in steps
    std::int32_t dy = 0;
    std::int64_t rotarySteps = 0;        // the whole move's rotary steps, signed
};

// The table-turn frame 'g' (layout T).
struct SimTurn {
    std::int32_t steps = 0;              // dfi
    std::uint32_t ticksPerStep = 0;      // from the low 16 bits of V
};

// The block write frame 'J' (layout D).
struct SimBlock {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

std::uint16_t SimLe16(const std::uint8_t* p);
std::uint32_t SimLe32(const std::uint8_t* p);

SimFieldArgs SimDecodeFields(const SimFrame& frame);
std::int32_t SimDecodeLong(const SimFrame& frame);  // layout L
SimBlock SimDecodeBlock(const SimFrame& frame);
SimTurn SimDecodeTurn(const SimFrame& frame);
bool SimIsLineLetter(std::uint8_t letter);          // 'a' to 'd'
SimLine SimDecodeLine(const SimFrame& frame);

std::int32_t SimSignMagnitude16(std::uint16_t value);
std::uint32_t SimTimerTicks(std::uint16_t field);
// Milliseconds of `ticks` timer ticks with a controller clock of `clockHz` (the timer runs
// at clock / 8).
double SimTicksToMs(double ticks, double clockHz);
// Minor-axis steps made after `majorDone` major steps. The step generator's accumulator
// starts at one half, so the count after the whole line is exactly the host's minor count
// for every major count up to 32767.
std::int64_t SimMinorStepsAt(std::int64_t majorDone, std::uint32_t slope);
// Rotary steps made after `subDone` sub-steps (accumulator likewise starting at one half).
std::int64_t SimRotaryStepsAt(std::int64_t subDone, std::uint32_t kfd);

// Controller clock in Hz selected by the reply to the clock query.
double SimClockForReply(std::uint8_t reply);

// 16-bit byte sum of a program block.
std::uint16_t SimByteSum(const std::uint8_t* bytes, std::size_t count);

}  // namespace wirvela
