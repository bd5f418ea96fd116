#pragma once
// 3-vectors and the small vector toolkit shared by the 3-D code, the views and the path
// planning. Components are doubles; the units are those of whatever is being measured
// (drawing units in the views, model units in the mesh). The "2-D" operations look only
// at x and y.
namespace wirvela {

class TVector3 {
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr TVector3() = default;
    constexpr TVector3(double vx, double vy, double vz) : x(vx), y(vy), z(vz) {}

    TVector3& operator+=(const TVector3& b);
    TVector3& operator-=(const TVector3& b);
    TVector3& operator*=(double s);
};

TVector3 operator+(const TVector3& a, const TVector3& b);
TVector3 operator-(const TVector3& a, const TVector3& b);
TVector3 operator*(double s, const TVector3& a);
TVector3 operator*(const TVector3& a, double s);
bool operator==(const TVector3& a, const TVector3& b);

// a.x·b.x + a.y·b.y + a.z·b.z.
double Dot(const TVector3& a, const TVector3& b);
// a.x·b.x + a.y·b.y.
double Dot2D(const TVector3& a, const TVector3& b);
// (a.y·b.z − a.z·b.y, a.z·b.x − a.x·b.z, a.x·b.y − a.y·b.x).
TVector3 Cross(const TVector3& a, const TVector3& b);
// √(x² + y² + z²).
double Length(const TVector3& a);
// √(x² + y²).
double Length2D(const TVector3& a);
// x² + y².
double SquaredLength2D(const TVector3& a);
// (a.y, −a.x, 0) divided by the 2-D length of a; the zero vector stays zero. For a y-up
// frame this is a turned a quarter turn clockwise.
TVector3 UnitNormal2D(const TVector3& a);
// Cosine of the angle between the 2-D parts: (a.x·b.x + a.y·b.y) ÷ |a| ÷ |b| with 2-D
// lengths. NaN when either vector has 2-D length 0.
double Cos2D(const TVector3& a, const TVector3& b);
// atan2(y, x) in (−π, π]; 0 for the zero vector (either sign of zero).
double Azimuth(const TVector3& a);
// Azimuth with 2π added to a negative value, in [0, 2π).
double AzimuthNormalised(const TVector3& a);

}  // namespace wirvela
