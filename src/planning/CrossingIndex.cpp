#include "planning/CrossingIndex.h"

#include <algorithm>
#include <cmath>

namespace wirvela {

namespace {

// Width of the band around a candidate that must hold every line the orientation
// products may still count as touching it, per unit of the largest coordinate (their
// rounding keeps such a line within a few 1e-7 of it).
constexpr double kBandPerUnit = 1e-5;

bool Finite(Point2d p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double Largest(Point2d p) {
    return std::max(std::abs(p.x), std::abs(p.y));
}

bool Differs(Point2d e, Point2d p) {
    return e.x != p.x || e.y != p.y;
}

}  // namespace

CrossingIndex::CrossingIndex(const TLines& lines) {
    const TVert& vertices = lines.Vertices();
    const std::span<const LineRecord> records = lines.Records();
    ends_.reserve(records.size());
    judged_.assign(records.size(), 0);

    bool any = false;
    double maxX = 0.0;
    double maxY = 0.0;
    std::vector<std::int32_t> filed;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Segment s{vertices[records[i].p], vertices[records[i].k]};
        ends_.push_back(s);
        const auto line = static_cast<std::int32_t>(i);
        if (!Finite(s.a) || !Finite(s.b)) {
            always_.push_back(line);
            continue;
        }
        filed.push_back(line);
        const double lowX = std::min(s.a.x, s.b.x);
        const double lowY = std::min(s.a.y, s.b.y);
        const double highX = std::max(s.a.x, s.b.x);
        const double highY = std::max(s.a.y, s.b.y);
        minX_ = any ? std::min(minX_, lowX) : lowX;
        minY_ = any ? std::min(minY_, lowY) : lowY;
        maxX = any ? std::max(maxX, highX) : highX;
        maxY = any ? std::max(maxY, highY) : highY;
        magnitude_ = std::max({magnitude_, Largest(s.a), Largest(s.b)});
        any = true;
    }

    // About one cell per filed line, never finer than the band the queries are widened
    // by (so a query covers at most a few cells across) and never more than about three
    // cells per line in all.
    const double width = maxX - minX_;
    const double height = maxY - minY_;
    const double target = static_cast<double>(std::max<std::size_t>(filed.size(), 1));
    double cell = 0.0;
    if (std::isfinite(width) && std::isfinite(height)) {
        cell = width > 0.0 && height > 0.0 ? std::sqrt(width / target * height) : std::max(width, height) / target;
        cell = std::max({cell, width / target, height / target, 4.0 * kBandPerUnit * (magnitude_ + 1.0)});
    }
    if (std::isfinite(cell) && cell > 0.0) {
        cell_ = cell;
        columns_ = static_cast<int>(std::min(width / cell_, target)) + 1;
        rows_ = static_cast<int>(std::min(height / cell_, target)) + 1;
    }

    const double margin = kBandPerUnit * (magnitude_ + 1.0) + 0.01 * cell_;
    cellStart_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_) + 1, 0);
    for (std::int32_t line : filed) {
        const Segment& s = ends_[static_cast<std::size_t>(line)];
        CoverSegment(s.a, s.b, margin, [this](std::size_t c) {
            ++cellStart_[c + 1];
            return false;
        });
    }
    for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
    cellLines_.resize(static_cast<std::size_t>(cellStart_.back()));
    std::vector<std::int32_t> next(cellStart_.begin(), cellStart_.end() - 1);
    for (std::int32_t line : filed) {
        const Segment& s = ends_[static_cast<std::size_t>(line)];
        CoverSegment(s.a, s.b, margin, [&](std::size_t c) {
            cellLines_[static_cast<std::size_t>(next[c]++)] = line;
            return false;
        });
    }
}

int CrossingIndex::Column(double x) const {
    const double t = (x - minX_) / cell_;
    if (!(t >= 0.0)) return 0;
    if (t >= static_cast<double>(columns_)) return columns_ - 1;
    return std::min(static_cast<int>(t), columns_ - 1);
}

int CrossingIndex::Row(double y) const {
    const double t = (y - minY_) / cell_;
    if (!(t >= 0.0)) return 0;
    if (t >= static_cast<double>(rows_)) return rows_ - 1;
    return std::min(static_cast<int>(t), rows_ - 1);
}

// The segment is walked along its longer axis, one column (or row) at a time: in column
// c it can only hold the points whose x lies in the column widened by the margin, and
// their other coordinate lies between its values at the two ends of that stretch (the
// slope is at most 1, so rounding stays within a few units in the last place of the
// largest coordinate). The border columns and rows also hold everything beyond the
// grid, since Column and Row clamp.
template <class Visit>
void CrossingIndex::CoverSegment(Point2d A, Point2d B, double margin, Visit&& cell) const {
    const auto at = [this](int column, int row) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    };
    const double dx = B.x - A.x;
    const double dy = B.y - A.y;
    if (dx == 0.0 && dy == 0.0) {
        for (int c = Column(A.x - margin); c <= Column(A.x + margin); ++c) {
            for (int r = Row(A.y - margin); r <= Row(A.y + margin); ++r) {
                if (cell(at(c, r))) return;
            }
        }
        return;
    }
    const bool alongX = std::abs(dx) >= std::abs(dy);
    // Along the major axis u (x or y), across it w; the same walk for both.
    const double u0 = alongX ? std::min(A.x, B.x) : std::min(A.y, B.y);
    const double u1 = alongX ? std::max(A.x, B.x) : std::max(A.y, B.y);
    const double au = alongX ? A.x : A.y;
    const double aw = alongX ? A.y : A.x;
    const double slope = alongX ? dy / dx : dx / dy;
    const double origin = alongX ? minX_ : minY_;
    const int last = alongX ? columns_ - 1 : rows_ - 1;
    const int first = alongX ? Column(u0 - margin) : Row(u0 - margin);
    const int end = alongX ? Column(u1 + margin) : Row(u1 + margin);
    for (int i = first; i <= end; ++i) {
        const double lo = i == 0 ? u0 : std::clamp(origin + static_cast<double>(i) * cell_ - margin, u0, u1);
        const double hi = i == last ? u1 : std::clamp(origin + static_cast<double>(i + 1) * cell_ + margin, u0, u1);
        const double wa = aw + (lo - au) * slope;
        const double wb = aw + (hi - au) * slope;
        const double wLow = std::min(wa, wb) - margin;
        const double wHigh = std::max(wa, wb) + margin;
        const int j0 = alongX ? Row(wLow) : Column(wLow);
        const int j1 = alongX ? Row(wHigh) : Column(wHigh);
        for (int j = j0; j <= j1; ++j) {
            if (cell(alongX ? at(i, j) : at(j, i))) return;
        }
    }
}

bool CrossingIndex::Judge(std::int32_t line, Point2d P, Point2d Q) {
    const Segment& s = ends_[static_cast<std::size_t>(line)];
    if (!Differs(s.a, P) || !Differs(s.a, Q) || !Differs(s.b, P) || !Differs(s.b, Q)) return false;
    return SegmentsCross(P, Q, s.a, s.b) != kSegmentsCrossNone;
}

bool CrossingIndex::Crosses(Point2d P, Point2d Q) {
    if (!Finite(P) || !Finite(Q)) {
        for (std::size_t i = 0; i < ends_.size(); ++i) {
            if (Judge(static_cast<std::int32_t>(i), P, Q)) return true;
        }
        return false;
    }
    for (std::int32_t line : always_) {
        if (Judge(line, P, Q)) return true;
    }
    if (++query_ == 0) {
        std::fill(judged_.begin(), judged_.end(), 0);
        query_ = 1;
    }
    const double largest = std::max({magnitude_, Largest(P), Largest(Q)});
    const double margin = kBandPerUnit * (largest + 1.0) + 0.01 * cell_;
    bool crosses = false;
    CoverSegment(P, Q, margin, [&](std::size_t c) {
        const auto from = static_cast<std::size_t>(cellStart_[c]);
        const auto to = static_cast<std::size_t>(cellStart_[c + 1]);
        for (std::size_t k = from; k < to; ++k) {
            const std::int32_t line = cellLines_[k];
            std::uint32_t& mark = judged_[static_cast<std::size_t>(line)];
            if (mark == query_) continue;
            mark = query_;
            if (Judge(line, P, Q)) {
                crosses = true;
                return true;
            }
        }
        return false;
    });
    return crosses;
}

}  // namespace wirvela
