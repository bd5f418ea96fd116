#pragma once
// The 3 × 3 affine transform of a DXF reading context (row-major, last row 0 0 1): the
// identity for the top-level entity list, the product of the enclosing block
// references' transforms inside a block.
#include <array>
#include <cmath>
#include <numbers>

namespace wirvela {

// Cosine and sine of an angle in degrees. The angle is reduced to [0°, 360°) first and
// multiples of 90° give exact values: sin 360° is then 0 rather than -2.4e-16, which
// the snap grid (truncation toward zero) would turn into a point one unit off, leaving
// a full circle open or an arc ending at 270° beside the line it meets.
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

struct DxfPoint {
    double x = 0.0;
    double y = 0.0;
};

struct DxfTransform {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

    static DxfTransform Translation(double dx, double dy) { return {{1, 0, dx, 0, 1, dy, 0, 0, 1}}; }
    // Counter-clockwise by `degrees`.
    static DxfTransform Rotation(double degrees) {
        double c = 1.0;
        double s = 0.0;
        CosSinDeg(degrees, c, s);
        return {{c, -s, 0, s, c, 0, 0, 0, 1}};
    }
    static DxfTransform Scaling(double sx, double sy) { return {{sx, 0, 0, 0, sy, 0, 0, 0, 1}}; }

    // this · other: other is applied first.
    DxfTransform operator*(const DxfTransform& o) const {
        DxfTransform r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[At(i, j)] = m[At(i, 0)] * o.m[At(0, j)] + m[At(i, 1)] * o.m[At(1, j)] + m[At(i, 2)] * o.m[At(2, j)];
        return r;
    }

    DxfPoint Apply(DxfPoint p) const { return {m[0] * p.x + m[1] * p.y + m[2], m[3] * p.x + m[4] * p.y + m[5]}; }

private:
    static constexpr std::size_t At(int i, int j) { return static_cast<std::size_t>(i * 3 + j); }
};

}  // namespace wirvela
