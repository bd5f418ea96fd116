#include "rotary/ProfileStream.h"

#include <cmath>
#include <limits>

#include "config/NumberText.h"
#include "controller/ControllerCodes.h"
#include "cutting/MotionTiming.h"
#include "drawing/LineList.h"
#include "rotary/RotaryLink.h"

namespace wirvela {

int StreamProfilePath(RotaryLink& link, const TLineList& path, const TLines& lines, double stepScale, double feedPeriod,
                      double limitCos, StreamedPath* streamed) {
    StepCarry carry;
    StepVector previous;
    for (int i = 0; i <= path.LastIndex(); ++i) {
        const StepVector d = EntryMove(path, lines, i, stepScale);
        if (std::hypot(d.x, d.y) == 0) continue;
        const StepCarry::Steps s = carry.Take(d.x, d.y);
        const bool delay = i != 0 && IsCorner(CornerCos(d.x, d.y, previous.x, previous.y), limitCos);
        const double period = StepPeriod(feedPeriod, d.x, d.y) * 1000;
        const int result = link.Line(s.x, s.y, delay, period, 0);
        if (result != STAT_OK) return result;
        if (streamed) {
            ++streamed->lines;
            streamed->dx += s.x;
            streamed->dy += s.y;
        }
        previous = d;
    }
    return STAT_OK;
}

int PrepareController(RotaryLink& link, const CutParameters& record) {
    int result = link.Cancel();
    if (result == STAT_OK) result = link.BeginBlock();
    if (result == STAT_OK) result = link.Setup(record);
    return result;
}

std::optional<std::int32_t> TurnSteps(const std::string& angle, double stepsPer360, bool lastProfile) {
    if (lastProfile) return std::nullopt;
    const double steps = std::trunc(DecimalPrefix(angle) * stepsPer360 / 360);
    if (!std::isfinite(steps)) return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::fmin(std::fmax(steps, kMin), kMax));
}

int CloseProgram(RotaryLink& link, const CutParameters& record, std::optional<std::int32_t> turn,
                 double defRotVelocity) {
    int result = turn ? link.Turn(*turn, defRotVelocity * 1000) : STAT_OK;
    if (result == STAT_OK) result = link.Setup(record);
    if (result == STAT_OK) result = link.Repeat(0);
    const double period = record.feedPeriod * 1000;
    if (result == STAT_OK) result = link.Line(1, 0, false, period, 0);
    if (result == STAT_OK) result = link.Line(-1, 0, true, period, 0);
    return result;
}

}  // namespace wirvela
