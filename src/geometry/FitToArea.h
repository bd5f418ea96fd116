#pragma once
// The fit transform: maps a drawing's bounding box into a view of width × height
// pixels so that the drawing touches the left edge, is centred vertically and y grows
// upward. Used by the main window's view, the connect command and the rotary window.
#include "geometry/Matrix33.h"

namespace wirvela {

// Sets `matrix` to the identity; then, when minY ≠ maxY, takes the drawing units per
// pixel h = (maxX − minX) ÷ width when (maxX − minX) ÷ (maxY − minY) > width ÷ height,
// else (maxY − minY) ÷ height (all quotients in double), and when h is not 0 sets
// m00 = 1/h, m11 = −1/h, m02 = −minX/h, m12 = height·0.5 + (minY + maxY)·0.5/h, so that
// (x, y) maps to ((x − minX)/h, height/2 − (y − (minY + maxY)/2)/h).
// A view without area (width or height not positive) keeps the identity.
void FitToArea(TMatrix33& matrix, int width, int height, int minX, int minY, int maxX, int maxY);

}  // namespace wirvela
