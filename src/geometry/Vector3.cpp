#include "geometry/Vector3.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace wirvela {

TVector3& TVector3::operator+=(const TVector3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
}

TVector3& TVector3::operator-=(const TVector3& b) {
    x -= b.x;
    y -= b.y;
    z -= b.z;
    return *this;
}

TVector3& TVector3::operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

TVector3 operator+(const TVector3& a, const TVector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TVector3 operator-(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector3 operator*(double s, const TVector3& a) {
    return {s * a.x, s * a.y, s * a.z};
}
TVector3 operator*(const TVector3& a, double s) {
    return s * a;
}
bool operator==(const TVector3& a, const TVector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
double Dot2D(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y;
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Length(const TVector3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
double Length2D(const TVector3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}
double SquaredLength2D(const TVector3& a) {
    return a.x * a.x + a.y * a.y;
}

TVector3 UnitNormal2D(const TVector3& a) {
    TVector3 n{a.y, -a.x, 0.0};
    const double len = Length2D(a);
    if (len != 0.0) {
        n.x /= len;
        n.y /= len;
    }
    return n;
}

double Cos2D(const TVector3& a, const TVector3& b) {
    const double la = Length2D(a);
    const double lb = Length2D(b);
    if (la == 0.0 || lb == 0.0) return std::numeric_limits<double>::quiet_NaN();
    return Dot2D(a, b) / la / lb;
}

double Azimuth(const TVector3& a) {
    if (a.x == 0.0 && a.y == 0.0) return 0.0;
    return std::atan2(a.y, a.x);
}

double AzimuthNormalised(const TVector3& a) {
    const double angle = Azimuth(a);
    return angle < 0.0 ? angle + 2.0 * std::numbers::pi : angle;
}

}  // namespace wirvela
