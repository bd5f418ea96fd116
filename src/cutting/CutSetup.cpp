#include "cutting/CutSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

template <typename T>
T ClampTo(long long v) {
    return static_cast<T>(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

}  // namespace

SpeedRange SpeedRange::V2FromStore(const TParameters& parameters) {
    const int min = TruncatedInt(parameters.GetNumber(settings::kVxyMin));
    return {min, std::max(min, TruncatedInt(parameters.GetNumber(settings::kVxyMax)))};
}

CutOptions CutOptions::FromStore(const TParameters& parameters) {
    const SpeedRange range = SpeedRange::V2FromStore(parameters);
    CutOptions options;
    // A stored speed outside the range stands at the nearer end.
    options.v2 = std::clamp(TruncatedInt(parameters.GetNumber(settings::kDefaultV2)), range.min, range.max);
    return options;
}

CutSetup CutSetup::FromStore(const TParameters& parameters, const MaterialValues& material, const CutOptions& options,
                             double scalePercent) {
    CutSetup setup;
    setup.material = material;
    setup.options = options;
    setup.motion = MotionSettings::FromStore(parameters, scalePercent, material.katGr);
    setup.motion.rotaryCut = options.rotaryCut;
    setup.motion.v2 = options.v2;
    setup.motion.alg2 = options.alg2;
    setup.stepsPer360 = parameters.GetNumber(settings::kStepsPer360);
    return setup;
}

CutParameters CutSetup::Record() const {
    const MaterialValues& m = material;
    CutParameters p;
    p.feedPeriod = FeedPeriod(motion.mmPerStep, m.v);
    // The controller takes at most 99 % heating.
    p.heating = ClampTo<std::uint8_t>(std::min(m.t, 99));
    p.heatingTime = ClampTo<std::uint16_t>(m.rozgrzew);
    p.cornerDelay = ClampTo<std::uint16_t>(m.opWKacie);
    p.steps = 0;
    p.rotVelocity = ClampTo<std::uint16_t>(static_cast<long long>(std::trunc(motion.defRotVelocity)));
    p.rotRatio = 0;
    return p;
}

CutParameters CutSetup::SingleFigureParameters(const CutParameters& record) const {
    CutParameters p = record;
    const double n = options.faces;
    const double a = options.angle;
    const double turn = a == 360 ? a / n * stepsPer360 / 360 + 1 : a / (n - 1) * stepsPer360 / 360 + 1;
    std::uint32_t aStep = static_cast<std::uint32_t>(std::clamp(std::trunc(turn), 0.0, 2147483647.0));
    if (options.reverseFaces) aStep |= 0x80000000u;
    p.aStep = static_cast<std::int32_t>(aStep);
    p.steps = options.rotaryCut ? static_cast<std::uint16_t>(options.faces - 1) : 0;
    return p;
}

TableTurn CutSetup::TurnDuringCut(const CutParameters& record) const {
    TableTurn turn;
    if (!options.turnDuringCut) return turn;
    const double q = 360.0 / options.pitchCm;  // degrees per cm of X travel
    if (q < 0) {
        turn.refusal = TableTurn::kPitchNotPositive;
        return turn;
    }
    const double ratio = std::max(0.0, q * motion.mmPerStep * stepsPer360 / 3600);
    if (FeedPeriod(motion.mmPerStep, 60) * ratio * 0.2 > record.feedPeriod) {
        turn.refusal = TableTurn::kTableTooSlow;
        turn.args = {TruncatedInt(300 / ratio), TruncatedInt(record.heating * 5 / ratio)};
        return turn;
    }
    turn.rotRatio = options.reverseTurn ? -ratio : ratio;
    return turn;
}

CutEstimate CutSetup::Estimate(TDrawing& drawing) const {
    const MaterialValues& m = material;
    const double period = FeedPeriod(motion.mmPerStep, m.v);

    double t = m.rozgrzew;  // ms
    double length = 0;      // steps
    if (const TLineList* path = drawing.CutPath()) {
        const TLines& lines = drawing.L();
        bool hasPrevious = false;
        StepVector previous;
        for (int i = 0; i < path->Length(); ++i) {
            const StepVector v = EntryMove(*path, lines, i, motion.stepScale);
            const double l = std::hypot(v.x, v.y);
            if (l == 0) continue;
            length += l;
            const double major = std::max(std::fabs(std::trunc(v.x)), std::fabs(std::trunc(v.y)));
            t += major * StepPeriod(period, v.x, v.y);
            if (i > 0 && hasPrevious && IsCorner(CornerCos(v.x, v.y, previous.x, previous.y), motion.limitCos)) {
                t += m.opWKacie;
            }
            previous = v;
            hasPrevious = true;
        }
    }

    CutEstimate estimate;
    estimate.milliseconds = t;
    estimate.lengthMetres = length * motion.mmPerStep * 0.001;
    double seconds = std::trunc(t * 0.001);
    if (options.rotaryCut) {
        const double n = options.faces;
        const double a = options.angle;
        const double turned = a == 360 ? a * (n - 1) / n : a;
        seconds = seconds * n + turned * stepsPer360 * motion.defRotVelocity * 0.001 / 360.0;
    }
    estimate.seconds = std::max(0, TruncatedInt(seconds));
    return estimate;
}

std::string DurationText(long long seconds) {
    seconds = std::max(0LL, seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string MetresText(double metres) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.2f", metres);
    return text;
}

}  // namespace wirvela
