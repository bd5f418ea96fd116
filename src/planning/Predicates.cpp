#include "planning/Predicates.h"

#include <algorithm>
#include <cmath>

namespace wirvela {

double Orientation(Point2d P, Point2d A, Point2d B) {
    return (A.y - B.y) * P.x - (A.x - B.x) * P.y + B.y * A.x - A.y * B.x;
}

int SideSign(double value) {
    if (value > 0.0) return 1;
    if (value < 0.0) return -1;
    return 0;
}

int SegmentsCross(Point2d P1, Point2d P2, Point2d Q1, Point2d Q2) {
    if (std::min(P1.x, P2.x) > std::max(Q1.x, Q2.x) || std::min(P1.y, P2.y) > std::max(Q1.y, Q2.y) ||
        std::max(P1.x, P2.x) < std::min(Q1.x, Q2.x) || std::max(P1.y, P2.y) < std::min(Q1.y, Q2.y))
        return kSegmentsCrossNone;
    const int v = SideSign(Orientation(P1, P2, Q1));
    const int w = SideSign(Orientation(P1, P2, Q2));
    const int x = SideSign(Orientation(Q1, Q2, P1));
    const int y = SideSign(Orientation(Q1, Q2, P2));
    if (v * w == -1 && x * y == -1) return kSegmentsCrossProper;
    int result = 0;
    if (v == 0 && x * y == -1) result += kSegmentsCrossQ1Inside;
    if (w == 0 && x * y == -1) result += kSegmentsCrossQ2Inside;
    return result == 0 ? kSegmentsCrossNone : result;
}

int OppositeSides(Point2d P, Point2d A, Point2d B, Point2d C) {
    return SideSign(Orientation(P, A, B)) * SideSign(Orientation(P, A, C)) == -1 ? 2 : 1;
}

bool PointInsideSegment(Point2d P1, Point2d P2, Point2d Q) {
    if (P1.x < P2.x) {
        if (!(P1.x < Q.x && Q.x < P2.x)) return false;
    } else if (P1.x > P2.x) {
        if (!(P2.x < Q.x && Q.x < P1.x)) return false;
    } else {
        if (Q.x != P1.x) return false;
        if (P1.y < P2.y) return P1.y < Q.y && Q.y < P2.y;
        if (P1.y > P2.y) return P2.y < Q.y && Q.y < P1.y;
        return true;
    }
    return (P2.x - P1.x) * (Q.y - P1.y) == (Q.x - P1.x) * (P2.y - P1.y);
}

bool PointNearSegment(Point2d P1, Point2d P2, Point2d Q, double tol, double aperture) {
    const double eps = aperture;
    if (std::abs(P1.x - Q.x) <= eps && std::abs(P1.y - Q.y) <= eps) return false;
    if (std::abs(P2.x - Q.x) <= eps && std::abs(P2.y - Q.y) <= eps) return false;
    if (std::abs(P1.x - P2.x) >= eps && !(std::min(P1.x, P2.x) < Q.x && Q.x < std::max(P1.x, P2.x))) return false;
    if (std::abs(P1.y - P2.y) >= eps && !(std::min(P1.y, P2.y) < Q.y && Q.y < std::max(P1.y, P2.y))) return false;
    const double dx = P2.x - P1.x;
    const double dy = P2.y - P1.y;
    const double ax = Q.x - P1.x;
    const double ay = Q.y - P1.y;
    const double denominator = -(dx * dx + dy * dy);
    // A zero-length segment has no line to be near (the quotient would be NaN, which
    // fails both comparisons below as well).
    if (denominator == 0.0) return false;
    const double t = (ax * dy - ay * dx) / denominator;
    return std::abs(-dy * t) < tol && std::abs(dx * t) < tol;
}

double Det2(double a, double b, double c, double d) {
    return a * d - c * b;
}

Point2d LineIntersection(Point2d P1, Point2d P2, Point2d Q1, Point2d Q2) {
    const double dx1 = P2.x - P1.x;
    const double dy1 = P2.y - P1.y;
    const double dx2 = Q2.x - Q1.x;
    const double dy2 = Q2.y - Q1.y;
    const double d = Det2(dy1, -dx1, dy2, -dx2);
    if (d == 0.0) return {0.0, 0.0};
    const double c1 = P1.x * dy1 - P1.y * dx1;
    const double c2 = Q1.x * dy2 - Q1.y * dx2;
    return {Det2(c1, -dx1, c2, -dx2) / d, Det2(dy1, c1, dy2, c2) / d};
}

double SquaredDistance(Point2d A, Point2d B) {
    return (A.x - B.x) * (A.x - B.x) + (A.y - B.y) * (A.y - B.y);
}

namespace {
bool DiffersFrom(const VertexRecord& e, Point2d p) {
    return e.x != p.x || e.y != p.y;
}
}  // namespace

bool CrossesAnyLine(Point2d P, Point2d Q, const TLines& lines) {
    const TVert& vertices = lines.Vertices();
    for (const LineRecord& line : lines.Records()) {
        const VertexRecord& a = vertices[line.p];
        const VertexRecord& b = vertices[line.k];
        if (!DiffersFrom(a, P) || !DiffersFrom(a, Q) || !DiffersFrom(b, P) || !DiffersFrom(b, Q)) continue;
        if (SegmentsCross(P, Q, a, b) != kSegmentsCrossNone) return true;
    }
    return false;
}

}  // namespace wirvela
