#pragma once
// The cutting parameter record: filled by the cutting job, manual control and rotary
// projects, kept by the link's setup operation and sent again when a program starts.
#include <cstdint>

namespace wirvela {

struct CutParameters {
    double feedPeriod = 0;          // feed period per step of the caller's speed, ms (kept, not sent)
    std::uint16_t cornerDelay = 0;  // C_SETDELAY
    std::uint8_t heating = 0;       // heating current, C_SETCURRENT
    std::uint16_t heatingTime = 0;  // C_SETHEATING
    std::int32_t aStep = 0;         // C_SETASTEP; manual rotation puts a sign-magnitude step count here
    std::uint16_t steps = 0;        // C_SETSTEPS
    std::uint16_t rotVelocity = 0;  // rotary velocity, C_SETRV
    double rotRatio = 0;            // rotary steps per X step (kept, not sent)
    std::int32_t spare = 0;         // kept, not sent
};

}  // namespace wirvela
