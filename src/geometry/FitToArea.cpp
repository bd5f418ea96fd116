#include "geometry/FitToArea.h"

namespace wirvela {

void FitToArea(TMatrix33& matrix, int width, int height, int minX, int minY, int maxX, int maxY) {
    matrix.SetIdentity();
    if (minY == maxY || width <= 0 || height <= 0) return;
    // In double: the differences of two ints may exceed the int range.
    const double spanX = static_cast<double>(maxX) - static_cast<double>(minX);
    const double spanY = static_cast<double>(maxY) - static_cast<double>(minY);
    const double h =
        spanX / spanY > static_cast<double>(width) / static_cast<double>(height) ? spanX / width : spanY / height;
    if (h == 0.0) return;
    matrix.m[0][0] = 1.0 / h;
    matrix.m[1][1] = -1.0 / h;
    matrix.m[0][2] = -static_cast<double>(minX) / h;
    matrix.m[1][2] = height * 0.5 + (static_cast<double>(minY) + static_cast<double>(maxY)) * 0.5 / h;
}

}  // namespace wirvela
