// Properties of the cut path over many generated drawings: random simple polygons that
// touch and cross each other, rectangles (whose corner the default entry point hits),
// triangles standing on another polygon's edge, and open polylines, loose or hanging
// from a polygon's vertex.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

#include "planning/Predicates.h"
#include "support/ConnectTestSupport.h"
#include "support/TestBudget.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::ConnectHarness;
using test::CountRuns;
using test::ExpectContinuousFromEntry;
using test::kClosedTag;
using test::Pt;
using test::Rect;

constexpr unsigned kSeed = 20240611;

struct Segment {
    Pt a;
    Pt b;
    bool open = false;  // of an open polyline
};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    // Fills `lines` with a new drawing; returns its last object number.
    int Fill(TLines& lines) {
        segments_.clear();
        vertices_.clear();
        edges_.clear();
        int obj = 0;
        const int shapes = Int(1, 7);
        for (int s = 0; s < shapes; ++s) {
            std::vector<Pt> points;
            bool closed = true;
            switch (Int(0, 4)) {
                case 0:
                case 1:
                    points = Star();
                    break;
                case 2:
                    points = Box();
                    break;
                case 3:
                    points = StandingTriangle();
                    break;
                default:
                    points = Polyline();
                    closed = false;
                    break;
            }
            if (points.empty() || !Acceptable(points, closed)) continue;
            AddPolyline(lines, points, obj++, closed);
            Remember(points, closed);
        }
        if (obj == 0) {
            const auto box = Rect(0, 0, 100, 60);
            AddPolyline(lines, box, obj++, true);
        }
        return obj - 1;
    }

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

private:
    std::vector<Pt> Star() {
        const double cx = Int(0, 1000);
        const double cy = Int(0, 1000);
        const double r = Int(30, 250);
        const int n = Int(3, 9);
        std::vector<double> angles;
        for (int i = 0; i < n; ++i)
            angles.push_back(std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(rng_));
        std::sort(angles.begin(), angles.end());
        std::vector<Pt> p;
        for (double a : angles) {
            const double rr = r * std::uniform_real_distribution<double>(0.4, 1.0)(rng_);
            p.push_back({std::round(cx + rr * std::cos(a)), std::round(cy + rr * std::sin(a))});
        }
        return p;
    }

    std::vector<Pt> Box() {
        const double x = Int(0, 1000);
        const double y = Int(0, 1000);
        return Rect(x, y, x + Int(10, 300), y + Int(10, 300));
    }

    // A triangle whose apex lies inside an edge of a polygon already drawn.
    std::vector<Pt> StandingTriangle() {
        if (edges_.empty()) return Star();
        const Segment e = edges_[static_cast<std::size_t>(Int(0, static_cast<int>(edges_.size()) - 1))];
        const double dx = e.b.x - e.a.x;
        const double dy = e.b.y - e.a.y;
        const int steps = std::gcd(static_cast<int>(std::fabs(dx)), static_cast<int>(std::fabs(dy)));
        if (steps < 2) return {};
        const int k = Int(1, steps - 1);
        const Pt apex{e.a.x + dx * k / steps, e.a.y + dy * k / steps};
        const double side = Int(0, 1) == 0 ? 1 : -1;
        const double nx = -dy / std::hypot(dx, dy) * side;
        const double ny = dx / std::hypot(dx, dy) * side;
        const double h = Int(20, 120);
        const double w = Int(10, 80);
        return {apex,
                {std::round(apex.x + nx * h + ny * w), std::round(apex.y + ny * h - nx * w)},
                {std::round(apex.x + nx * h - ny * w), std::round(apex.y + ny * h + nx * w)}};
    }

    // Loose, or hanging from a vertex of a closed polygon already drawn.
    std::vector<Pt> Polyline() {
        std::vector<Pt> p;
        if (!vertices_.empty() && Int(0, 1) == 0) {
            p.push_back(vertices_[static_cast<std::size_t>(Int(0, static_cast<int>(vertices_.size()) - 1))]);
        } else {
            p.push_back({static_cast<double>(Int(0, 1000)), static_cast<double>(Int(0, 1000))});
        }
        const int n = Int(1, 4);
        for (int i = 0; i < n; ++i) {
            p.push_back({p.back().x + Int(-120, 120), p.back().y + Int(-120, 120)});
        }
        return p;
    }

    static std::vector<Segment> Edges(const std::vector<Pt>& p, bool closed) {
        std::vector<Segment> e;
        for (std::size_t i = 0; i + 1 < p.size() + (closed ? 1 : 0); ++i) e.push_back({p[i], p[(i + 1) % p.size()]});
        return e;
    }

    static bool SamePlace(Pt a, Pt b) { return a.x == b.x && a.y == b.y; }
    static Point2d P(Pt a) { return {a.x, a.y}; }

    // Collinear and sharing more than a point.
    static bool Overlap(const Segment& s, const Segment& t) {
        if (Orientation(P(s.a), P(s.b), P(t.a)) != 0 || Orientation(P(s.a), P(s.b), P(t.b)) != 0) return false;
        return PointInsideSegment(P(s.a), P(s.b), P(t.a)) || PointInsideSegment(P(s.a), P(s.b), P(t.b)) ||
               PointInsideSegment(P(t.a), P(t.b), P(s.a)) || PointInsideSegment(P(t.a), P(t.b), P(s.b)) ||
               (SamePlace(s.a, t.a) && SamePlace(s.b, t.b)) || (SamePlace(s.a, t.b) && SamePlace(s.b, t.a));
    }

    // Closed polygons must be simple and may touch or cross others, but not overlap along
    // a line or meet in a point that three lines pass; an open polyline may touch
    // nothing except at its hanging start.
    bool Acceptable(const std::vector<Pt>& p, bool closed) const {
        for (std::size_t i = 0; i < p.size(); ++i) {
            for (std::size_t j = i + 1; j < p.size(); ++j) {
                if (SamePlace(p[i], p[j])) return false;
            }
        }
        const std::vector<Segment> own = Edges(p, closed);
        for (std::size_t i = 0; i < own.size(); ++i) {
            if (SamePlace(own[i].a, own[i].b)) return false;
            for (std::size_t j = i + 1; j < own.size(); ++j) {
                const bool adjacent = j == i + 1 || (closed && i == 0 && j + 1 == own.size());
                if (adjacent) {
                    if (Overlap(own[i], own[j])) return false;
                    continue;
                }
                if (SegmentsCross(P(own[i].a), P(own[i].b), P(own[j].a), P(own[j].b)) != kSegmentsCrossNone ||
                    SegmentsCross(P(own[j].a), P(own[j].b), P(own[i].a), P(own[i].b)) != kSegmentsCrossNone) {
                    return false;
                }
            }
        }
        for (const Segment& s : own) {
            for (const Segment& t : segments_) {
                if (Overlap(s, t)) return false;
                const int c = SegmentsCross(P(s.a), P(s.b), P(t.a), P(t.b));
                if (closed && t.open) {
                    // A polygon must leave open polylines alone (except their hanging start).
                    if (c != kSegmentsCrossNone || SegmentsCross(P(t.a), P(t.b), P(s.a), P(s.b)) != kSegmentsCrossNone)
                        return false;
                    if (PointInsideSegment(P(s.a), P(s.b), P(t.a)) || PointInsideSegment(P(s.a), P(s.b), P(t.b)) ||
                        PointInsideSegment(P(t.a), P(t.b), P(s.a)) || PointInsideSegment(P(t.a), P(t.b), P(s.b)))
                        return false;
                }
                if (!closed) {
                    const bool hanging = SamePlace(s.a, p.front()) && (SamePlace(t.a, s.a) || SamePlace(t.b, s.a));
                    if (c != kSegmentsCrossNone || SegmentsCross(P(t.a), P(t.b), P(s.a), P(s.b)) != kSegmentsCrossNone)
                        return false;
                    if (!hanging &&
                        (SamePlace(s.a, t.a) || SamePlace(s.a, t.b) || SamePlace(s.b, t.a) || SamePlace(s.b, t.b)))
                        return false;
                    if (PointInsideSegment(P(t.a), P(t.b), P(s.a)) || PointInsideSegment(P(t.a), P(t.b), P(s.b)))
                        return false;
                }
            }
        }
        // No crossing point or touching point shared by three lines.
        std::vector<Segment> all = segments_;
        all.insert(all.end(), own.begin(), own.end());
        std::vector<Pt> contacts;
        for (std::size_t i = 0; i < all.size(); ++i) {
            for (std::size_t j = i + 1; j < all.size(); ++j) {
                const int c = SegmentsCross(P(all[i].a), P(all[i].b), P(all[j].a), P(all[j].b));
                if (c == kSegmentsCrossProper) {
                    const Point2d x = LineIntersection(P(all[i].a), P(all[i].b), P(all[j].a), P(all[j].b));
                    contacts.push_back({std::trunc(x.x), std::trunc(x.y)});
                }
            }
        }
        std::sort(contacts.begin(), contacts.end(), [](Pt a, Pt b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
        for (std::size_t i = 1; i < contacts.size(); ++i) {
            if (SamePlace(contacts[i - 1], contacts[i])) return false;
        }
        for (const Pt& c : contacts) {
            for (const Segment& s : all) {
                if (SamePlace(c, s.a) || SamePlace(c, s.b)) return false;
            }
        }
        return true;
    }

    void Remember(const std::vector<Pt>& p, bool closed) {
        for (Segment s : Edges(p, closed)) {
            s.open = !closed;
            segments_.push_back(s);
            if (closed) edges_.push_back(s);
        }
        if (closed) vertices_.insert(vertices_.end(), p.begin(), p.end());
    }

    std::mt19937 rng_;
    std::vector<Segment> segments_;
    std::vector<Segment> edges_;  // of closed polygons
    std::vector<Pt> vertices_;    // of closed polygons
};

// Object lines meet only at shared vertices.
bool ObjectLinesArePlanar(const TLines& l) {
    const TVert& v = l.Vertices();
    for (int i = 0; i < l.Count(); ++i) {
        if (l[i].kind != 1) continue;
        for (int j = i + 1; j < l.Count(); ++j) {
            if (l[j].kind != 1) continue;
            if (SegmentsCross(v[l[i].p], v[l[i].k], v[l[j].p], v[l[j].k]) == kSegmentsCrossProper) return false;
        }
        for (int q = 0; q < v.Count(); ++q) {
            if (q != l[i].p && q != l[i].k && PointInsideSegment(v[l[i].p], v[l[i].k], v[q])) return false;
        }
    }
    return true;
}

// Every vertex meets an even number of closed-contour lines. Snapping a crossing point to
// the grid can make two pieces of different contours join the same two vertices; one of
// them is then removed as a duplicate and the contours are no longer closed there.
bool ContoursStayClosed(const TLines& l) {
    std::vector<int> degree(static_cast<std::size_t>(l.Vertices().Count()), 0);
    for (int i = 0; i < l.Count(); ++i) {
        if (l[i].kind != 1 || l[i].spare[0] != kClosedTag) continue;
        ++degree[static_cast<std::size_t>(l[i].p)];
        ++degree[static_cast<std::size_t>(l[i].k)];
    }
    return std::all_of(degree.begin(), degree.end(), [](int d) { return d % 2 == 0; });
}

TEST(PlanProperty, TheCutPathRunsClosedContoursOnceAndEverythingElseOutAndBack) {
    ConnectHarness plain;
    ConnectHarness crossingTest(std::map<std::string, std::string>{{"CrossingTest", "1"}});
    Generator gen(kSeed);
    const int drawings = test::BudgetedCases(400, 40);
    int checked = 0;
    int skipped = 0;
    for (int n = 0; n < drawings; ++n) {
        SCOPED_TRACE("seed " + std::to_string(kSeed) + ", drawing " + std::to_string(n));
        ConnectHarness& h = n % 5 == 4 ? crossingTest : plain;
        const bool splitCrossings = n % 3 == 2;
        h.D().Set(TDrawing::kFigure1).ClearTables();
        h.SetObjects(gen.Fill(h.L()));
        if (n % 2 == 0) {
            h.D().SetEntryOffset(0, 0);
        } else {
            h.D().SetEntryOffset(gen.Int(-20, 20) * 0.25, gen.Int(-20, 20) * 0.25);
        }
        h.Command().SetCrossingSplit(splitCrossings);
        const ConnectReport report = h.Run();
        ASSERT_EQ(report.state, kConnectSucceeded);

        const TDrawingSet& set = h.D().Set(TDrawing::kFigure1);
        const TLines& l = set.L;
        ASSERT_TRUE(set.cutPath);
        const IntegrityCounts& c = report.figures.at(0).integrity;
        EXPECT_EQ(c.surplus, 0);
        if (c.unvisitedPoints != 0 || c.unvisitedLines != 0) {
            ++skipped;
            continue;
        }
        EXPECT_EQ(report.figures.at(0).unjoinedObjects, 0);
        ExpectContinuousFromEntry(*set.cutPath, l);
        if (!ObjectLinesArePlanar(l) || !ContoursStayClosed(l)) {
            ++skipped;
            continue;
        }
        ++checked;
        const auto runs = CountRuns(*set.cutPath);
        for (int i = 0; i + 1 < l.Count(); ++i) {
            const auto it = runs.find(i);
            ASSERT_NE(it, runs.end()) << "line " << i << " never runs";
            const test::Runs r = it->second;
            const bool closedLine = l[i].kind == 1 && l[i].spare[0] == kClosedTag;
            if (splitCrossings) {
                // Pieces of a connecting line cut where it crossed a third object join that
                // object a second time and close a cycle: the lines on it run once, or out
                // and back.
                EXPECT_TRUE(r.forward + r.backward == 1 || (r.forward == 1 && r.backward == 1)) << "line " << i;
            } else if (closedLine) {
                EXPECT_EQ(r.forward + r.backward, 1) << "closed contour line " << i;
            } else {
                EXPECT_EQ(r.forward, 1) << "open or connecting line " << i;
                EXPECT_EQ(r.backward, 1) << "open or connecting line " << i;
            }
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(checked, drawings * 3 / 4) << skipped << " drawings skipped";
}

}  // namespace
}  // namespace wirvela
