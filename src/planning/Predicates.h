#pragma once
// The exact geometric predicates of path planning. Everything is plain double arithmetic
// evaluated in the order written here (no epsilon unless a parameter says so), because
// the splitting passes and the joining depend on these answers bit for bit: a faster
// implementation must give the same results.
//
// Points are vertices of a vertex table; only x and y are looked at. Point2d converts
// implicitly from a VertexRecord, so V[i] can be passed directly.
#include "drawing/Lines.h"
#include "drawing/Vert.h"
#include "geometry/Point2d.h"

namespace wirvela {

// Classification results of SegmentsCross.
inline constexpr int kSegmentsCrossProper = 1;    // the segments cross at one inner point
inline constexpr int kSegmentsCrossQ1Inside = 2;  // bit: Q1 lies inside P
inline constexpr int kSegmentsCrossQ2Inside = 4;  // bit: Q2 lies inside P
inline constexpr int kSegmentsCrossNone = 8;      // no crossing

// (A.y − B.y)·P.x − (A.x − B.x)·P.y + B.y·A.x − A.y·B.x, which is (A − P) × (B − P):
// positive when B lies to the left of the directed line P→A (y up).
double Orientation(Point2d P, Point2d A, Point2d B);

// +1 for value > 0, 0 for exactly 0 (either sign of zero), −1 for value < 0; NaN gives 0.
int SideSign(double value);

// Classification of segment P = P1P2 against segment Q = Q1Q2:
//   8  bounding boxes apart, or no crossing (touching at ends, collinear overlaps and
//      P's ends on Q all give 8);
//   1  proper crossing (each segment's ends strictly on both sides of the other's line);
//   2, 4, 6  Q1 (2) and/or Q2 (4) lies on P's line while P's ends lie strictly on both
//      sides of Q's line (an end of Q inside P).
int SegmentsCross(Point2d P1, Point2d P2, Point2d Q1, Point2d Q2);

// 2 when B and C lie strictly on opposite sides of the line P→A, else 1.
int OppositeSides(Point2d P, Point2d A, Point2d B, Point2d C);

// Q lies strictly inside segment P1P2 and exactly on its line (the ends themselves are
// not inside). A zero-length segment (P1 = P2) contains every Q with Q.x = P1.x.
bool PointInsideSegment(Point2d P1, Point2d P2, Point2d Q);

// Q lies within tol (per axis, perpendicular offset) of the inside of segment P1P2.
// aperture is the point aperture ε in drawing units (`PointAperture` ÷ `SkalaHPGL`):
// Q within ε (per axis) of either end is never near, and the range test along an axis
// applies only when the segment spans at least ε along it. A zero-length segment gives
// false.
bool PointNearSegment(Point2d P1, Point2d P2, Point2d Q, double tol, double aperture);

// Intersection of the infinite lines through P1P2 and Q1Q2; (0, 0) for parallel lines
// (and for degenerate ones, whose determinant is 0 as well).
Point2d LineIntersection(Point2d P1, Point2d P2, Point2d Q1, Point2d Q2);

// Det2(a, b, c, d) = a·d − c·b.
double Det2(double a, double b, double c, double d);

// (A.x − B.x)² + (A.y − B.y)².
double SquaredDistance(Point2d A, Point2d B);

// The crossing test of a candidate connection P–Q: true when some line of `lines` (its
// ends looked up in lines.Vertices()) whose two end vertices both differ from P and
// from Q in x or y (exact comparison) is classified other than 8 by
// SegmentsCross(P, Q, its start, its end). Lines sharing an end position with the
// candidate never count. Linear in the number of lines.
bool CrossesAnyLine(Point2d P, Point2d Q, const TLines& lines);

}  // namespace wirvela
