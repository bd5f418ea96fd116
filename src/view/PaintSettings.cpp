#include "view/PaintSettings.h"

#include <cmath>
#include <limits>

#include "config/Parameters.h"
#include "config/Settings.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

constexpr std::int32_t kWhite = 16777215;

std::int32_t Colour(const TParameters& p, const SettingKey& key) {
    const double v = std::trunc(p.GetNumber(key));
    // A colour is a 32-bit value; anything outside is no colour at all.
    if (!(v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())) return 0;
    return static_cast<std::int32_t>(v);
}

}  // namespace

PaintColours PaintColours::FromStore(const TParameters& p) {
    PaintColours c;
    c.background = Colour(p, settings::kTlo);
    c.figure1 = {Colour(p, settings::kObiekty), Colour(p, settings::kLinie_laczace),
                 Colour(p, settings::kLinia_1_ciecia), Colour(p, settings::kLinia_2_ciecia),
                 Colour(p, settings::kKolor_szybkosc_2)};
    c.figure2 = {Colour(p, settings::kObiekty_2), Colour(p, settings::kLinie_laczace_2),
                 Colour(p, settings::kLinia_1_ciecia_2), Colour(p, settings::kLinia_2_ciecia_2),
                 Colour(p, settings::kKolor_szybkosc_2_2)};
    c.segmentLines = Colour(p, settings::kKolor_linii_segmentow);
    c.faultyNode = Colour(p, settings::kNiepoprawny_wezel_jednoczesnosci);
    return c;
}

PaintColours PaintColours::BlackOnWhite() {
    PaintColours c;
    c.background = kWhite;
    return c;
}

double OffsetInUnits(double mm, double mmPerUnit, double scalePercent) {
    const double divisor = mmPerUnit * scalePercent * 0.01;
    if (divisor == 0.0) return 0.0;
    const double units = std::trunc(mm / divisor);
    return std::isfinite(units) ? units : 0.0;
}

PaintSettings GatherPaintSettings(const TParameters& parameters, const TDrawing& drawing, const PaintInputs& inputs,
                                  int width, int height) {
    PaintSettings s;
    s.colours = PaintColours::FromStore(parameters);
    s.lineNumbers = inputs.lineNumbers;
    s.objectNumbers = inputs.objectNumbers;
    s.pathOverlay = inputs.pathOverlay;
    const double scale = drawing.Settings().scale;
    s.offsetX = OffsetInUnits(inputs.offsetXmm, scale, inputs.scalePercent);
    s.offsetY = OffsetInUnits(inputs.offsetYmm, scale, inputs.scalePercent);
    s.width = width;
    s.height = height;
    s.scalePercent = inputs.scalePercent;
    s.sizeScale = parameters.GetNumber(settings::kDrawingsSkalaHPGL, settings::kDrawingsSkalaHPGLForPainter);
    return s;
}

}  // namespace wirvela
