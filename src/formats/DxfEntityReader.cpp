#include "formats/DxfEntityReader.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace wirvela {

namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

bool Finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// P(θ) = C + M cos θ + k × M⊥ sin θ, θ in degrees, M⊥ = M turned by +90°.
Point2d EllipsePoint(Point2d c, Point2d m, double k, double degrees) {
    double cs = 1.0;
    double sn = 0.0;
    CosSinDeg(degrees, cs, sn);
    return {c.x + m.x * cs + k * -m.y * sn, c.y + m.y * cs + k * m.x * sn};
}

// The end angle as the curve is drawn: an end below the start is a turn further on.
double EndAfter(double s, double e) {
    return s > e ? e + 360.0 : e;
}

// Whether a curve point at angle theta comes before the end angle. Angles are taken as
// start + i × step rather than summed, and a point within a billionth of a step of the
// end is left out: rounding would otherwise add a sliver segment next to the end
// point, one snap-grid unit long after snapping.
bool InsideSweep(double theta, double end, double step) {
    return theta < end - step * 1e-9;
}

}  // namespace

int DxfSegmentCount(double r, double d) {
    if (3.41 * d >= r) return 4;
    const double x = std::numbers::pi / std::acos(1.0 - d / r);
    if (!(x <= 359.0)) return 360;  // also NaN: no n from 4 to 359 qualifies
    return std::max(4, static_cast<int>(std::ceil(x)));
}

DxfEntityReader::DxfEntityReader(const TDXFanalizator& dxf, TLines& lines, double scale, double tolerance,
                                 int& lastObject, long workLimit)
    : dxf_(dxf), lines_(lines), scale_(scale), tolerance_(tolerance), lastObject_(lastObject), workLimit_(workLimit) {}

bool DxfEntityReader::Spend() {
    if (++work_ > workLimit_) counts_.workExhausted = true;
    return !counts_.workExhausted;
}

void DxfEntityReader::BeginObject(int depth) {
    // The contents of a block reference share the reference's object.
    if (depth != 0) return;
    ++lastObject_;
    ++counts_.entities;
}

void DxfEntityReader::ReadEntities(std::size_t start, const TMatrix33& t, int depth) {
    std::size_t i = start;
    while (!Stopped()) {
        i = dxf_.NextGroup(i, 0);
        if (i == TDXFanalizator::kNone) return;
        if (depth != 0 && !Spend()) return;
        ReadEntity(i, t, depth);
    }
}

void DxfEntityReader::ReadEntity(std::size_t i, const TMatrix33& t, int depth) {
    const std::string_view name = dxf_.Groups().Value(i);
    if (name == "LINE") {
        ReadLine(i, t, depth);
    } else if (name == "LWPOLYLINE") {
        ReadLwPolyline(i, t, depth);
    } else if (name == "POLYLINE") {
        ReadPolyline(i, t, depth);
    } else if (name == "CIRCLE") {
        ReadCircle(i, t, depth, false);
    } else if (name == "ARC") {
        ReadCircle(i, t, depth, true);
    } else if (name == "ELLIPSE") {
        ReadEllipse(i, t, depth);
    } else if (name == "INSERT") {
        ReadInsert(i, t, depth);
    }
}

void DxfEntityReader::ReadLine(std::size_t i, const TMatrix33& t, int depth) {
    const Point2d a{dxf_.EntityNumber(i, 10), dxf_.EntityNumber(i, 20)};
    const Point2d b{dxf_.EntityNumber(i, 11), dxf_.EntityNumber(i, 21)};
    if (!Finite({a.x, a.y, b.x, b.y})) {
        ++counts_.rejectedEntities;
        return;
    }
    BeginObject(depth);
    AddSegment(a, b, t);
}

void DxfEntityReader::ReadLwPolyline(std::size_t i, const TMatrix33& t, int depth) {
    const long count = dxf_.EntityInteger(i, 90);
    const bool closed = (dxf_.EntityInteger(i, 70) & 1) != 0;
    // One pass over the entity: each group 10 starts a vertex; the first 20 and the
    // first 42 before the next 10 are its y and its bulge.
    vertices_.clear();
    bool haveY = false;
    bool haveBulge = false;
    const TDXF& groups = dxf_.Groups();
    for (std::size_t j = i + 1; j < groups.Count() && groups.Code(j) != 0; ++j) {
        const std::int32_t code = groups.Code(j);
        if (code == 10) {
            if (static_cast<long>(vertices_.size()) >= count) break;
            vertices_.push_back({{dxf_.Number(j), 0.0}, 0.0});
            haveY = haveBulge = false;
        } else if (code == 20 && !vertices_.empty() && !haveY) {
            vertices_.back().p.y = dxf_.Number(j);
            haveY = true;
        } else if (code == 42 && !vertices_.empty() && !haveBulge) {
            vertices_.back().bulge = dxf_.Number(j);
            haveBulge = true;
        }
    }
    DrawPolyline(closed, t, depth);
}

void DxfEntityReader::ReadPolyline(std::size_t i, const TMatrix33& t, int depth) {
    const bool closed = (dxf_.EntityInteger(i, 70) & 1) != 0;
    vertices_.clear();
    // The VERTEX entities that follow, up to SEQEND; any other entity also ends the
    // polyline, so a missing SEQEND cannot take in the vertices of a later one.
    for (std::size_t j = dxf_.NextGroup(i, 0); j != TDXFanalizator::kNone; j = dxf_.NextGroup(j, 0)) {
        if (dxf_.Groups().Value(j) != "VERTEX") break;
        vertices_.push_back({{dxf_.EntityNumber(j, 10), dxf_.EntityNumber(j, 20)}, dxf_.EntityNumber(j, 42)});
    }
    DrawPolyline(closed, t, depth);
}

void DxfEntityReader::DrawPolyline(bool closed, const TMatrix33& t, int depth) {
    for (const PolyVertex& v : vertices_) {
        if (!Finite({v.p.x, v.p.y, v.bulge})) {
            ++counts_.rejectedEntities;
            return;
        }
    }
    BeginObject(depth);
    for (std::size_t j = 0; j + 1 < vertices_.size() && !Stopped(); ++j) {
        const PolyVertex& v = vertices_[j];
        if (v.bulge != 0.0) {
            DrawBulge(v.p, vertices_[j + 1].p, v.bulge, t);
        } else {
            AddSegment(v.p, vertices_[j + 1].p, t);
        }
    }
    // The closing segment takes the last vertex's bulge, as every CAD program writes it:
    // drawing it straight would cut a chord across a closing arc.
    if (closed && !vertices_.empty()) {
        const PolyVertex& v = vertices_.back();
        if (v.bulge != 0.0 && vertices_.size() > 1) {
            DrawBulge(v.p, vertices_.front().p, v.bulge, t);
        } else {
            AddSegment(v.p, vertices_.front().p, t);
        }
    }
}

void DxfEntityReader::ReadCircle(std::size_t i, const TMatrix33& t, int depth, bool arc) {
    const Point2d c{dxf_.EntityNumber(i, 10), dxf_.EntityNumber(i, 20)};
    const double r = dxf_.EntityNumber(i, 40);
    const double s = arc ? dxf_.EntityNumber(i, 50) : 0.0;
    const double e = arc ? dxf_.EntityNumber(i, 51) : 360.0;
    if (!Finite({c.x, c.y, r, s, e}) || !SweepIsSane(s, e)) {
        ++counts_.rejectedEntities;
        return;
    }
    BeginObject(depth);
    DrawEllipse(c, {r, 0.0}, 1.0, s, e, t);
}

void DxfEntityReader::ReadEllipse(std::size_t i, const TMatrix33& t, int depth) {
    const Point2d c{dxf_.EntityNumber(i, 10), dxf_.EntityNumber(i, 20)};
    const Point2d m{dxf_.EntityNumber(i, 11), dxf_.EntityNumber(i, 21)};
    const double k = dxf_.EntityNumber(i, 40);
    const double s = dxf_.EntityNumber(i, 41) * kDegPerRad;
    const double e = dxf_.EntityNumber(i, 42) * kDegPerRad;
    if (!Finite({c.x, c.y, m.x, m.y, k, s, e}) || !SweepIsSane(s, e)) {
        ++counts_.rejectedEntities;
        return;
    }
    BeginObject(depth);
    DrawEllipse(c, m, k, s, e, t);
}

bool DxfEntityReader::SweepIsSane(double s, double e) const {
    const double end = EndAfter(s, e);
    return std::abs(s) <= kMaxAngle && std::abs(end) <= kMaxAngle && end - s <= kMaxSweep;
}

void DxfEntityReader::DrawEllipse(Point2d c, Point2d m, double k, double s, double e, const TMatrix33& t) {
    const double a = std::hypot(m.x, m.y);
    const double b = a * k;
    const double step = 360.0 / DxfSegmentCount(std::min(a, b), tolerance_);
    e = EndAfter(s, e);
    const Point2d first = EllipsePoint(c, m, k, s);
    Point2d last = first;
    for (int i = 1; InsideSweep(s + i * step, e, step) && !Stopped(); ++i) {
        const Point2d p = EllipsePoint(c, m, k, s + i * step);
        AddSegment(last, p, t);
        last = p;
    }
    // A full turn ends where it began: both closing segments join the last point to the
    // first one (the line then has multiplicity 2). Taking P(e) instead would, for an end
    // written a little short of 2π, leave a second end point a hair away from the first
    // and, after snapping, an open curve with a stub.
    const bool fullTurn = std::abs(e - s - 360.0) < 0.0001;
    if (fullTurn) AddSegment(last, first, t);
    AddSegment(last, fullTurn ? first : EllipsePoint(c, m, k, e), t);
}

void DxfEntityReader::DrawBulge(Point2d p1, Point2d p2, double bulge, const TMatrix33& t) {
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double c = std::hypot(dx, dy);
    const double h = bulge * c / 2.0;              // sagitta, signed like the bulge
    const double r = h / 2.0 + c * c / (8.0 * h);  // radius, signed like the bulge
    if (c == 0.0 || !Finite({c, h, r})) {
        AddSegment(p1, p2, t);
        return;
    }
    // The arc bulges to the right of P1→P2 for a positive bulge (counter-clockwise), so
    // the centre lies h − R along the right-hand normal from the chord's midpoint.
    const double offset = h - r;
    const Point2d centre{(p1.x + p2.x) / 2.0 + offset * dy / c, (p1.y + p2.y) / 2.0 - offset * dx / c};
    const double a1 = std::atan2(p1.y - centre.y, p1.x - centre.x) * kDegPerRad;
    const double a2 = std::atan2(p2.y - centre.y, p2.x - centre.x) * kDegPerRad;
    double smaller = std::abs(a2 - a1);
    if (smaller > 180.0) smaller = 360.0 - smaller;
    double sweep = std::abs(h) > std::abs(r) ? 360.0 - smaller : smaller;
    if (bulge < 0.0) sweep = -sweep;
    const double radius = std::abs(r);
    const double step = 360.0 / DxfSegmentCount(radius, tolerance_);
    const Point2d axis{radius, 0.0};
    Point2d last = p1;
    const double signedStep = sweep > 0.0 ? step : -step;
    for (int i = 1; InsideSweep(i * step, std::abs(sweep), step) && !Stopped(); ++i) {
        const Point2d p = EllipsePoint(centre, axis, 1.0, a1 + i * signedStep);
        AddSegment(last, p, t);
        last = p;
    }
    AddSegment(last, p2, t);
}

void DxfEntityReader::ReadInsert(std::size_t i, const TMatrix33& t, int depth) {
    const std::string_view name = dxf_.EntityText(i, 2);
    const Point2d at{dxf_.EntityNumber(i, 10), dxf_.EntityNumber(i, 20)};
    double sx = dxf_.EntityNumber(i, 41);
    double sy = dxf_.EntityNumber(i, 42);
    const double rotation = dxf_.EntityNumber(i, 50);
    long columns = dxf_.EntityInteger(i, 70);
    long rows = dxf_.EntityInteger(i, 71);
    const double columnSpacing = dxf_.EntityNumber(i, 44);
    const double rowSpacing = dxf_.EntityNumber(i, 45);
    if (!Finite({at.x, at.y, sx, sy, rotation, columnSpacing, rowSpacing})) {
        ++counts_.rejectedEntities;
        return;
    }
    if (sx == 0.0) sx = 1.0;
    if (sy == 0.0) sy = 1.0;
    if (columns == 0) columns = 1;
    if (rows == 0) rows = 1;
    BeginObject(depth);
    if (depth >= kMaxInsertDepth) {
        ++counts_.refusedInserts;
        return;
    }
    const std::size_t block = FindBlock(name);
    if (block == TDXFanalizator::kNone) return;
    const TMatrix33 placed =
        AffineTranslation(at.x, at.y) * AffineRotation(rotation) * AffineScaling(sx, sy);
    // Every copy costs work even when the block draws nothing, so that huge row and
    // column counts end at the work limit.
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < columns; ++c) {
            if (Stopped() || !Spend()) return;
            const TMatrix33 local = placed * AffineTranslation(static_cast<double>(c) * columnSpacing,
                                                                          static_cast<double>(r) * rowSpacing);
            ReadEntities(block, t * local, depth + 1);
        }
    }
}

std::size_t DxfEntityReader::FindBlock(std::string_view name) {
    if (!blocksIndexed_) {
        blocksIndexed_ = true;
        const std::size_t section = dxf_.FindDxfSection("BLOCKS");
        const TDXF& groups = dxf_.Groups();
        for (std::size_t j = section + 1; section != 0 && j < groups.Count(); ++j) {
            if (groups.Code(j) != 0) continue;
            if (groups.Value(j) == "ENDSEC") break;
            // The first block of a name is the one found.
            if (groups.Value(j) == "BLOCK") blocks_.try_emplace(dxf_.EntityText(j, 2), j);
        }
    }
    const auto it = blocks_.find(name);
    return it == blocks_.end() ? TDXFanalizator::kNone : it->second;
}

void DxfEntityReader::AddSegment(Point2d a, Point2d b, const TMatrix33& t) {
    if (Stopped()) return;
    Point2d pa = Apply(t, a);
    Point2d pb = Apply(t, b);
    pa = {pa.x * scale_, pa.y * scale_};
    pb = {pb.x * scale_, pb.y * scale_};
    if (!Finite({pa.x, pa.y, pb.x, pb.y})) {
        ++counts_.droppedSegments;
        return;
    }
    TVert& v = lines_.Vertices();
    // A full vertex table answers 0 for every point, which would join the segment to
    // vertex 0; once either table is full the rest of the file is not read.
    if (v.Count() > TVert::kAddLimit || lines_.Count() > TLines::kAddLimit) {
        counts_.tablesFull = true;
        return;
    }
    if (!Spend()) return;
    const std::int32_t obj = lastObject_ < 0 ? 0 : lastObject_;
    const int before = v.Count();
    // Chains (polylines, curves) start each segment where the last one ended: that
    // point's vertex is known, and AddVertex would answer the same index again.
    const bool chained = haveLast_ && pa.x == last_.x && pa.y == last_.y;
    const int p = chained ? lastIndex_ : v.AddVertex(pa.x, pa.y, 0, obj);
    if (v.Count() > TVert::kAddLimit) {
        // No room for the other end: the segment is not added, nor its first end.
        v.Truncate(before);
        counts_.tablesFull = true;
        return;
    }
    LineRecord line;
    line.p = p;
    line.k = v.AddVertex(pb.x, pb.y, 0, obj);
    line.obj = obj;
    line.kind = 1;
    line.pen = 1;
    last_ = pb;
    lastIndex_ = line.k;
    haveLast_ = true;
    lines_.AddLine(line);
}

}  // namespace wirvela
