#include "controller/SimFrameDecoder.h"

namespace wirvela {

std::uint16_t SimLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t SimLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

SimFieldArgs SimDecodeFields(const SimFrame& frame) {
    SimFieldArgs f;
    f.a1 = SimLe16(&frame[1]);
    f.a2 = static_cast<std::uint32_t>(frame[3]) | (static_cast<std::uint32_t>(frame[4]) << 8) |
           (static_cast<std::uint32_t>(frame[5]) << 16);
    f.a3 = SimLe16(&frame[6]);
    f.interNum = SimLe16(&frame[8]);
    f.kfd = SimLe16(&frame[10]);
    return f;
}

std::int32_t SimDecodeLong(const SimFrame& frame) {
    return static_cast<std::int32_t>(SimLe32(&frame[1]));
}

SimBlock SimDecodeBlock(const SimFrame& frame) {
    return SimBlock{SimLe32(&frame[1]), SimLe32(&frame[5])};
}

SimTurn SimDecodeTurn(const SimFrame& frame) {
    SimTurn t;
    t.steps = static_cast<std::int32_t>(SimLe32(&frame[1]));
    t.ticksPerStep = SimTimerTicks(static_cast<std::uint16_t>(SimLe32(&frame[5]) & 0xFFFFu));
    return t;
}

bool SimIsLineLetter(std::uint8_t letter) {
    return letter >= 'a' && letter <= 'd';
}

std::int32_t SimSignMagnitude16(std::uint16_t value) {
    const std::int32_t magnitude = value & 0x7FFF;
    return (value & 0x8000) ? -magnitude : magnitude;
}

std::uint32_t SimTimerTicks(std::uint16_t field) {
    return 65536u - field;
}

double SimTicksToMs(double ticks, double clockHz) {
    return ticks * 8000.0 / clockHz;
}

std::int64_t SimMinorStepsAt(std::int64_t majorDone, std::uint32_t slope) {
    return (majorDone * static_cast<std::int64_t>(slope) + 32768) >> 16;
}

std::int64_t SimRotaryStepsAt(std::int64_t subDone, std::uint32_t kfd) {
    return (subDone * static_cast<std::int64_t>(kfd) + 16384) >> 15;
}

SimLine SimDecodeLine(const SimFrame& frame) {
    const SimFieldArgs f = SimDecodeFields(frame);
    SimLine line;
    line.xMajor = frame[0] == 'a' || frame[0] == 'c';
    line.delay = frame[0] == 'c' || frame[0] == 'd';
    const std::int32_t major = SimSignMagnitude16(f.a1);
    line.majorSign = major < 0 ? -1 : 1;
    line.majorSteps = static_cast<std::uint32_t>(major < 0 ? -major : major);
    line.slope = f.a2 & 0x7FFFFFu;
    const bool slopeNegative = (f.a2 & 0x800000u) != 0;
    line.minorSign = slopeNegative ? -line.majorSign : line.majorSign;
    line.ticksPerSubStep = SimTimerTicks(f.a3);
    line.subStepsPerStep = f.interNum & 0x7FFFu;
    if (line.subStepsPerStep == 0) line.subStepsPerStep = 1;
    line.rotaryNegative = (f.interNum & 0x8000u) != 0;
    line.kfd = f.kfd;

    const std::int64_t minor = SimMinorStepsAt(line.majorSteps, line.slope);
    const std::int64_t majorMove = static_cast<std::int64_t>(line.majorSign) * line.majorSteps;
    const std::int64_t minorMove = line.minorSign * minor;
    line.dx = static_cast<std::int32_t>(line.xMajor ? majorMove : minorMove);
    line.dy = static_cast<std::int32_t>(line.xMajor ? minorMove : majorMove);
    const std::int64_t rotary =
        SimRotaryStepsAt(static_cast<std::int64_t>(line.majorSteps) * line.subStepsPerStep, line.kfd);
    line.rotarySteps = line.rotaryNegative ? -rotary : rotary;
    return line;
}

double SimClockForReply(std::uint8_t reply) {
    switch (reply) {
        case 2: return 14745600.0;
        case 3: return 16000000.0;
        default: return 7372800.0;
    }
}

std::uint16_t SimByteSum(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint16_t>(sum & 0xFFFFu);
}

}  // namespace wirvela
