#pragma once
// The view transform of the drawing view: maps drawing units to pixels of the drawing
// area (columns to the right, rows downward). The main window owns one for its view; the
// pendant's picture fits a temporary one. Not thread-safe: DrawingView guards its own.
#include "geometry/Matrix33.h"
#include "geometry/Point2d.h"
#include "view/Canvas.h"

namespace wirvela {

class TZoom {
public:
    // ToScreen keeps its results within ±kScreenLimit, so that differences of two pixels
    // still fit an int; a line that far out is off any real area anyway.
    static constexpr int kScreenLimit = (1 << 30) - 1;

    // The identity.
    TZoom();

    // 3 × 3, row-major: (column, row, 1) = matrix × (x, y, 1); the last row stays (0, 0, 1).
    const TMatrix33& Matrix() const { return m_; }
    void SetIdentity() { m_.SetIdentity(); }

    // Fits the box x0 … x1 × y0 … y1 (drawing units) into an area of width × height
    // pixels: the box's left edge on column 0, its vertical middle on the middle row, y
    // upward. Drawing units per pixel k = (x1 − x0) ÷ width when the box is relatively
    // wider than the area, else (y1 − y0) ÷ height; then m00 = 1/k, m11 = −1/k,
    // m02 = −round(x0)/k, m12 = height/2 + round(y0 + y1)/2/k (round: halves away from
    // zero). For an integer box this is FitToArea's matrix. The transform stays the
    // identity for a box without height (y0 = y1), for k = 0, for an area without pixels
    // and for coordinates that are not finite.
    void FitView(int width, int height, double x0, double y0, double x1, double y1);

    // The pixel of a drawing point, each coordinate truncated toward zero (NaN gives 0).
    CanvasPoint ToScreen(double x, double y) const;
    // The drawing point of a pixel, through the inverse matrix.
    Point2d ToDrawing(double column, double row) const;

    // Scales the view by f about the pixel (cx, cy), which keeps its drawing point.
    // A factor that is not a finite positive number changes nothing.
    void ZoomBy(double f, double cx, double cy);
    // Moves the picture by (dx, dy) pixels.
    void Pan(double dx, double dy);

private:
    TMatrix33 m_;
};

}  // namespace wirvela
