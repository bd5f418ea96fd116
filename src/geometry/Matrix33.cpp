#include "geometry/Matrix33.h"

namespace wirvela {

TMatrix33 TMatrix33::Identity() {
    TMatrix33 r;
    r.SetIdentity();
    return r;
}

void TMatrix33::SetIdentity() {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

TMatrix33 TMatrix33::Transposed() const {
    TMatrix33 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m[j][i];
    return r;
}

double TMatrix33::Determinant() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

TMatrix33 TMatrix33::Inverse() const {
    // Cofactor C[i][j] of element (i, j); the adjugate is its transpose.
    TMatrix33 adj;
    adj.m[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    adj.m[1][0] = -(m[1][0] * m[2][2] - m[1][2] * m[2][0]);
    adj.m[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    adj.m[0][1] = -(m[0][1] * m[2][2] - m[0][2] * m[2][1]);
    adj.m[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    adj.m[2][1] = -(m[0][0] * m[2][1] - m[0][1] * m[2][0]);
    adj.m[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    adj.m[1][2] = -(m[0][0] * m[1][2] - m[0][2] * m[1][0]);
    adj.m[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double det = Determinant();
    if (det == 0.0) return adj;
    return adj * (1.0 / det);
}

TMatrix33 operator*(const TMatrix33& a, const TMatrix33& b) {
    TMatrix33 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

TVector3 operator*(const TMatrix33& a, const TVector3& v) {
    const double c[3] = {v.x, v.y, v.z};
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = a.m[i][0] * c[0] + a.m[i][1] * c[1] + a.m[i][2] * c[2];
    return {r[0], r[1], r[2]};
}

TMatrix33 operator*(const TMatrix33& a, double s) {
    TMatrix33 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][j] * s;
    return r;
}

TMatrix33 operator*(double s, const TMatrix33& a) {
    return a * s;
}

}  // namespace wirvela
