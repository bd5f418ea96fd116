#pragma once
// 3 × 3 matrices of doubles, row-major: m[row][column]. Used as linear maps of 3-vectors
// and, with the third row (0, 0, 1), as affine maps of the plane (the view transforms:
// x' = m00·x + m01·y + m02, y' = m10·x + m11·y + m12).
#include <array>

#include "geometry/Vector3.h"

namespace wirvela {

class TMatrix33 {
public:
    std::array<std::array<double, 3>, 3> m{};  // a new matrix is all zeros

    static TMatrix33 Identity();

    // Makes this matrix the identity.
    void SetIdentity();
    TMatrix33 Transposed() const;
    // Expansion along the first row.
    double Determinant() const;
    // The transposed cofactor matrix times 1 ÷ determinant; a singular matrix yields
    // the transposed cofactor matrix unscaled.
    TMatrix33 Inverse() const;
};

// r[i] = Σj m[i][j]·v[j].
TVector3 operator*(const TMatrix33& a, const TVector3& v);
// a · b: as maps, b is applied first.
TMatrix33 operator*(const TMatrix33& a, const TMatrix33& b);
TMatrix33 operator*(const TMatrix33& a, double s);
TMatrix33 operator*(double s, const TMatrix33& a);

}  // namespace wirvela
