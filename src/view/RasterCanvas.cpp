#include "view/RasterCanvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace wirvela {

namespace {

// Rows of the digits 0 … 9, three bits each, the leftmost pixel in bit 2.
constexpr std::array<std::array<std::uint8_t, RasterCanvas::kGlyphHeight>, 10> kDigits{{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

// A circle wider than this is not drawn: no painter asks for one, and the outline walk
// is linear in the radius.
constexpr int kMaxRadius = 1 << 16;

bool Inside(double x, double y, int w, int h) {
    return x >= 0 && y >= 0 && x <= w - 1 && y <= h - 1;
}

// Liang–Barsky: cuts the segment to the rectangle 0 … w−1 × 0 … h−1; false when nothing
// of it is inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, int w, int h) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, (w - 1) - x0, y0, (h - 1) - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    const double nx0 = x0 + t0 * dx;
    const double ny0 = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = nx0;
    y0 = ny0;
    return true;
}

}  // namespace

RasterCanvas::RasterCanvas(int width, int height) {
    Resize(width, height);
}

void RasterCanvas::Resize(int width, int height) {
    const bool valid = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
    width_ = valid ? width : 0;
    height_ = valid ? height : 0;
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
    texts_.clear();
}

void RasterCanvas::Put(int x, int y, std::int32_t color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = color;
}

std::int32_t RasterCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

int RasterCanvas::Count(std::int32_t color) const {
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), color));
}

void RasterCanvas::Fill(std::int32_t color) {
    std::fill(pixels_.begin(), pixels_.end(), color);
    texts_.clear();
}

void RasterCanvas::Line(CanvasPoint from, CanvasPoint to) {
    if (width_ == 0) return;
    long long x0 = from.x;
    long long y0 = from.y;
    long long x1 = to.x;
    long long y1 = to.y;
    if (!Inside(x0, y0, width_, height_) || !Inside(x1, y1, width_, height_)) {
        // Far ends are cut to the area first, so the walk below is never longer than the
        // area's diagonal.
        double fx0 = x0, fy0 = y0, fx1 = x1, fy1 = y1;
        if (!Clip(fx0, fy0, fx1, fy1, width_, height_)) return;
        x0 = std::llround(fx0);
        y0 = std::llround(fy0);
        x1 = std::llround(fx1);
        y1 = std::llround(fy1);
    }
    // Bresenham, both ends included.
    const long long dx = std::llabs(x1 - x0);
    const long long dy = -std::llabs(y1 - y0);
    const long long sx = x0 < x1 ? 1 : -1;
    const long long sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    for (;;) {
        Put(static_cast<int>(x0), static_cast<int>(y0), pen_);
        if (x0 == x1 && y0 == y1) break;
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void RasterCanvas::FillCircle(CanvasPoint centre, int radius, std::int32_t color) {
    if (radius < 0 || radius > kMaxRadius || width_ == 0) return;
    const long long r = radius;
    const long long cx = centre.x;
    const long long cy = centre.y;
    const long long top = std::max<long long>(cy - r, 0);
    const long long bottom = std::min<long long>(cy + r, height_ - 1);
    const long long left = std::max<long long>(cx - r, 0);
    const long long right = std::min<long long>(cx + r, width_ - 1);
    // r² + r: the pixels whose centres lie within r + ½, a rounder disc than r².
    for (long long y = top; y <= bottom; ++y)
        for (long long x = left; x <= right; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r + r)
                Put(static_cast<int>(x), static_cast<int>(y), color);
}

void RasterCanvas::Circle(CanvasPoint centre, int radius) {
    if (radius < 0 || radius > kMaxRadius || width_ == 0) return;
    // Midpoint circle: one octant walked, mirrored eight ways.
    const long long cx = centre.x;
    const long long cy = centre.y;
    long long x = radius;
    long long y = 0;
    long long err = 1 - x;
    const auto put = [&](long long px, long long py) {
        const long long ax = cx + px;
        const long long ay = cy + py;
        if (ax < 0 || ay < 0 || ax >= width_ || ay >= height_) return;
        Put(static_cast<int>(ax), static_cast<int>(ay), pen_);
    };
    while (x >= y) {
        put(x, y), put(y, x), put(-y, x), put(-x, y);
        put(-x, -y), put(-y, -x), put(y, -x), put(x, -y);
        ++y;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            --x;
            err += 2 * (y - x) + 1;
        }
    }
}

void RasterCanvas::Glyph(int x, int y, char c, std::int32_t color) {
    const long long gx = x;
    const long long gy = y;
    for (int row = 0; row < kGlyphHeight; ++row) {
        for (int col = 0; col < kGlyphWidth; ++col) {
            bool on;
            if (c >= '0' && c <= '9') {
                on = (kDigits[static_cast<std::size_t>(c - '0')][static_cast<std::size_t>(row)] >> (2 - col) & 1) != 0;
            } else {
                on = row == 0 || row == kGlyphHeight - 1 || col == 0 || col == kGlyphWidth - 1;
            }
            const long long px = gx + col;
            const long long py = gy + row;
            if (on && px >= 0 && py >= 0 && px < width_ && py < height_)
                Put(static_cast<int>(px), static_cast<int>(py), color);
        }
    }
}

void RasterCanvas::Text(CanvasPoint at, std::string_view text, std::int32_t color) {
    texts_.push_back({at, std::string(text), color});
    long long x = at.x;
    for (char c : text) {
        if (x >= width_) break;
        if (c != ' ' && x > -kGlyphAdvance) Glyph(static_cast<int>(x), at.y, c, color);
        x += kGlyphAdvance;
    }
}

}  // namespace wirvela
