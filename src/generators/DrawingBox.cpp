#include "generators/DrawingBox.h"

#include <cmath>

#include "drawing/Lines.h"

namespace wirvela {

namespace {

DrawingBox BoxOfFirstLines(const TLines& lines, int count, BoxRounding rounding) {
    const TVert& v = lines.Vertices();
    const auto round = [rounding](double c) { return rounding == BoxRounding::TruncateToward0 ? std::trunc(c) : c; };
    DrawingBox box;
    const auto take = [&](int vertex) {
        const double x = v[vertex].x;
        const double y = v[vertex].y;
        if (x < box.minX) box.minX = round(x);
        if (y < box.minY) box.minY = round(y);
        if (x > box.maxX) box.maxX = round(x);
        if (y > box.maxY) box.maxY = round(y);
    };
    for (int i = 0; i < count; ++i) {
        take(lines[i].p);
        take(lines[i].k);
    }
    return box;
}

}  // namespace

DrawingBox BoxWithoutEntryLine(const TLines& lines, BoxRounding rounding) {
    return BoxOfFirstLines(lines, lines.Count() - 1, rounding);
}

DrawingBox BoxOfAllLines(const TLines& lines, BoxRounding rounding) {
    return BoxOfFirstLines(lines, lines.Count(), rounding);
}

}  // namespace wirvela
