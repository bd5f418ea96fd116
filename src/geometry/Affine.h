#pragma once
// Affine maps of the plane as 3 × 3 matrices with the last row (0, 0, 1):
// x' = m00·x + m01·y + m02, y' = m10·x + m11·y + m12. A product a · b applies b first.
#include <cmath>
#include <numbers>

#include "geometry/Matrix33.h"
#include "geometry/Point2d.h"

namespace wirvela {

// Cosine and sine of an angle in degrees. The angle is reduced to [0°, 360°) first and
// multiples of 90° give exact values: sin 360° is then 0 rather than -2.4e-16, which a
// snap grid (truncation toward zero) would turn into a point one unit off, leaving a
// full circle open or an arc ending at 270° beside the line it meets.
inline void CosSinDeg(double degrees, double& c, double& s) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0.0) r += 360.0;
    if (r == 0.0 || r == 360.0) {
        c = 1.0, s = 0.0;
    } else if (r == 90.0) {
        c = 0.0, s = 1.0;
    } else if (r == 180.0) {
        c = -1.0, s = 0.0;
    } else if (r == 270.0) {
        c = 0.0, s = -1.0;
    } else {
        const double a = r * std::numbers::pi / 180.0;
        c = std::cos(a);
        s = std::sin(a);
    }
}

inline TMatrix33 AffineTranslation(double dx, double dy) {
    TMatrix33 t = TMatrix33::Identity();
    t.m[0][2] = dx;
    t.m[1][2] = dy;
    return t;
}

// Counter-clockwise by `degrees`.
inline TMatrix33 AffineRotation(double degrees) {
    double c = 1.0;
    double s = 0.0;
    CosSinDeg(degrees, c, s);
    TMatrix33 t = TMatrix33::Identity();
    t.m[0][0] = c;
    t.m[0][1] = -s;
    t.m[1][0] = s;
    t.m[1][1] = c;
    return t;
}

inline TMatrix33 AffineScaling(double sx, double sy) {
    TMatrix33 t = TMatrix33::Identity();
    t.m[0][0] = sx;
    t.m[1][1] = sy;
    return t;
}

// The image of p.
inline Point2d Apply(const TMatrix33& t, Point2d p) {
    return {t.m[0][0] * p.x + t.m[0][1] * p.y + t.m[0][2], t.m[1][0] * p.x + t.m[1][1] * p.y + t.m[1][2]};
}

}  // namespace wirvela
