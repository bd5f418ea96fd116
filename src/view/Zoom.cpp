#include "view/Zoom.h"

#include <cmath>

#include "geometry/Vector3.h"

namespace wirvela {

namespace {

int ScreenCoordinate(double v) {
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t > TZoom::kScreenLimit) return TZoom::kScreenLimit;
    if (t < -TZoom::kScreenLimit) return -TZoom::kScreenLimit;
    return static_cast<int>(t);
}

}  // namespace

TZoom::TZoom() {
    m_.SetIdentity();
}

void TZoom::FitView(int width, int height, double x0, double y0, double x1, double y1) {
    m_.SetIdentity();
    if (y0 == y1) return;
    if (width <= 0 || height <= 0) return;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    const double w = width;
    const double h = height;
    const double k = (x1 - x0) / (y1 - y0) > w / h ? (x1 - x0) / w : (y1 - y0) / h;
    if (k == 0.0 || !std::isfinite(k)) return;
    m_.m[0][0] = 1.0 / k;
    m_.m[1][1] = -1.0 / k;
    m_.m[0][2] = -std::round(x0) / k;
    m_.m[1][2] = h / 2.0 + std::round(y0 + y1) / 2.0 / k;
}

CanvasPoint TZoom::ToScreen(double x, double y) const {
    const TVector3 p = m_ * TVector3(x, y, 1.0);
    return {ScreenCoordinate(p.x), ScreenCoordinate(p.y)};
}

Point2d TZoom::ToDrawing(double column, double row) const {
    const TVector3 p = m_.Inverse() * TVector3(column, row, 1.0);
    return {p.x, p.y};
}

void TZoom::ZoomBy(double f, double cx, double cy) {
    if (!std::isfinite(f) || f <= 0.0) return;
    m_.m[0][2] -= cx;
    m_.m[1][2] -= cy;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) m_.m[r][c] *= f;
    m_.m[0][2] += cx;
    m_.m[1][2] += cy;
}

void TZoom::Pan(double dx, double dy) {
    m_.m[0][2] += dx;
    m_.m[1][2] += dy;
}

}  // namespace wirvela
