#pragma once
// The program of one rotary profile: the controller's preparation, the chained path as
// straight moves in steps, the table's turn after the profile (none after the last one)
// and the closing step out and back. Start and the reporting are the run's (RotaryRun).
//
// Units: drawing units in the path, motor steps on the wire, feed periods in ms per step,
// periods on the wire in µs.
#include <cstdint>
#include <optional>
#include <string>

#include "controller/CutParameters.h"

namespace wirvela {

class RotaryLink;
class TLineList;
class TLines;

// What the path's moves add up to.
struct StreamedPath {
    int lines = 0;        // Line operations sent
    std::int64_t dx = 0;  // sum of the steps sent
    std::int64_t dy = 0;
};

// Streams the path: each entry's move scaled to steps (zero-length entries skipped),
// rounded with the remainders carried, the corner delay set where the path turns back by
// the material's limit angle or more, the step period from the feed period. 16, or the
// first other result of a Line.
int StreamProfilePath(RotaryLink& link, const TLineList& path, const TLines& lines, double stepScale, double feedPeriod,
                      double limitCos, StreamedPath* streamed = nullptr);

// The controller's preparation: Cancel, BeginBlock, Setup(record); 16 or the first
// other result.
int PrepareController(RotaryLink& link, const CutParameters& record);

// The table turn after a profile: angle (degrees, read by its decimal prefix) ×
// stepsPer360 / 360, truncated toward zero (and kept within the step counter's range);
// none after the last profile.
std::optional<std::int32_t> TurnSteps(const std::string& angle, double stepsPer360, bool lastProfile);

// The program's end: the turn (at DefRotVelocity ms per step) when there is one, the
// record again, C_REPEAT 0, one step out and one back, the second with the corner delay.
int CloseProgram(RotaryLink& link, const CutParameters& record, std::optional<std::int32_t> turn,
                 double defRotVelocity);

}  // namespace wirvela
