// The de-duplicating tables must answer exactly what a linear scan of the table answers
// (the first matching vertex or line in table order), whatever happened to the table
// before. Random operation sequences run against a literal scanning model of each table.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {
namespace {

bool SameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// ---------------------------------------------------------------- vertices

struct ScanVert {
  std::vector<VertexRecord> v;
  double grid = 0.0;
  bool dedup = true;

  static double Snap(double c, double g) {
    if (g == 0.0) return c;
    return g * std::floor(std::fabs(c) / g) * (c < 0 ? -1.0 : 1.0);
  }
  int Find(double x, double y) const {
    for (std::size_t i = 0; i < v.size(); ++i)
      if (v[i].x == x && v[i].y == y) return static_cast<int>(i);
    return -1;
  }
  int Add(VertexRecord r) {
    if (v.size() > 49994) return 0;
    r.x = Snap(r.x, grid);
    r.y = Snap(r.y, grid);
    if (dedup) {
      const int found = Find(r.x, r.y);
      if (found >= 0) return found;
    }
    v.push_back(r);
    return static_cast<int>(v.size()) - 1;
  }
};

const std::vector<double> kCoords = {0.0, -0.0, 1.0, -1.0, 2.5, 2.0, 7.9, -7.9, -7.0, 0.3, -0.3, 1e300,
                                     std::numeric_limits<double>::quiet_NaN()};

class VertAgainstScan : public testing::TestWithParam<unsigned> {};

TEST_P(VertAgainstScan, FindAndAddMatchTheLinearScan) {
  std::mt19937 rng(GetParam());
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto coord = [&] { return kCoords[static_cast<std::size_t>(pick(static_cast<int>(kCoords.size())))]; };

  TVert table;
  ScanVert scan;

  for (int step = 0; step < 3000; ++step) {
    const int op = pick(100);
    if (op < 55) {
      const VertexRecord r{coord(), coord(), static_cast<std::uint8_t>(pick(3)), pick(5), static_cast<std::uint8_t>(pick(2)),
                           pick(3), pick(3) - 1};
      ASSERT_EQ(table.AddVertex(r), scan.Add(r)) << "step " << step;
    } else if (op < 62) {
      scan.dedup = !scan.dedup;
      table.SetDeduplication(scan.dedup);
    } else if (op < 66) {
      const double grids[] = {0.0, 1.0, 0.5};
      scan.grid = grids[pick(3)];
      table.SetSnapGrid(scan.grid);
    } else if (op < 74) {
      // Mostly the last few vertices, sometimes a large part of the table.
      const int size = static_cast<int>(scan.v.size());
      const int n = op < 71 ? std::max(0, size - pick(4)) : pick(size + 1);
      table.Truncate(n);
      scan.v.resize(static_cast<std::size_t>(std::min<int>(n, static_cast<int>(scan.v.size()))));
    } else if (op < 88 && !scan.v.empty()) {
      const int i = pick(static_cast<int>(scan.v.size()));
      const double x = coord(), y = coord();
      ASSERT_TRUE(table.SetPosition(i, x, y));
      scan.v[static_cast<std::size_t>(i)].x = x;
      scan.v[static_cast<std::size_t>(i)].y = y;
    } else if (op < 94 && !scan.v.empty()) {
      const int i = pick(static_cast<int>(scan.v.size()));
      const int j = pick(static_cast<int>(scan.v.size()));
      const VertexRecord copy = scan.v[static_cast<std::size_t>(j)];  // copy one vertex over another
      ASSERT_TRUE(table.SetRecord(i, copy));
      scan.v[static_cast<std::size_t>(i)] = copy;
    } else if (op < 98) {
      const double dx = pick(2) == 0 ? 1.0 : -2.5;
      table.TransformPositions([dx](double& x, double& y) {
        x = -x;
        y += dx;
      });
      for (VertexRecord& r : scan.v) {
        r.x = -r.x;
        r.y += dx;
      }
    } else {
      table.ClearVertices();
      scan.v.clear();
    }

    ASSERT_EQ(table.Count(), static_cast<int>(scan.v.size())) << "step " << step;
    for (std::size_t i = 0; i < scan.v.size(); ++i) {
      const VertexRecord& a = table[static_cast<int>(i)];
      const VertexRecord& b = scan.v[i];
      ASSERT_TRUE(SameBits(a.x, b.x) && SameBits(a.y, b.y) && a.obj == b.obj && a.segLink == b.segLink)
          << "step " << step << " vertex " << i;
    }
    for (double x : kCoords)
      for (double y : kCoords) ASSERT_EQ(table.FindVertex(x, y), scan.Find(x, y)) << "step " << step << " at " << x << "," << y;
    // Shifted and negated positions leave the pool; ask for every stored place too.
    for (const VertexRecord& r : scan.v) ASSERT_EQ(table.FindVertex(r.x, r.y), scan.Find(r.x, r.y)) << "step " << step;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, VertAgainstScan, testing::Values(11u, 12u, 13u, 14u, 15u, 16u));

// ---------------------------------------------------------------- lines

struct ScanLines {
  std::vector<LineRecord> l;
  bool dedup = true;

  LineRef Find(int a, int b) const {
    for (std::size_t i = 0; i < l.size(); ++i) {
      if (l[i].p == a && l[i].k == b) return {static_cast<int>(i), 1};
      if (l[i].p == b && l[i].k == a) return {static_cast<int>(i), -1};
    }
    return {-1, 0};
  }
  int Add(LineRecord r) {
    if (l.size() > 99994 || r.p == r.k) return 0;
    if (dedup) {
      const LineRef found = Find(r.p, r.k);
      if (found.index >= 0) {
        ++l[static_cast<std::size_t>(found.index)].multiplicity;
        return 2;
      }
    }
    r.multiplicity = 1;
    l.push_back(r);
    return 1;
  }
  LineRef AddGetIndex(const LineRecord& r) {
    const int result = Add(r);
    if (result == 0) return {0, 0};
    const int i = result == 1 ? static_cast<int>(l.size()) - 1 : Find(r.p, r.k).index;
    return {i, l[static_cast<std::size_t>(i)].p == r.p ? 1 : -1};
  }
};

constexpr int kVertices = 7;  // few vertices: many repeated and reversed lines

class LinesAgainstScan : public testing::TestWithParam<unsigned> {};

TEST_P(LinesAgainstScan, FindAndAddMatchTheLinearScan) {
  std::mt19937 rng(GetParam());
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

  TVert vertices;
  TLines table(vertices);
  ScanLines scan;

  for (int step = 0; step < 3000; ++step) {
    const int op = pick(100);
    LineRecord r;
    r.p = pick(kVertices);
    r.k = pick(kVertices);
    r.obj = pick(4);
    r.kind = static_cast<std::uint8_t>(1 + pick(2));
    r.pen = 1 + pick(5);
    r.multiplicity = 77;  // ignored by AddLine
    if (op < 35) {
      ASSERT_EQ(table.AddLine(r), scan.Add(r)) << "step " << step;
    } else if (op < 50) {
      const LineRef got = table.AddLineGetIndex(r);
      const LineRef want = scan.AddGetIndex(r);
      ASSERT_EQ(got.index, want.index) << "step " << step;
      ASSERT_EQ(got.direction, want.direction) << "step " << step;
    } else if (op < 56) {
      scan.dedup = !scan.dedup;
      table.SetDeduplication(scan.dedup);
    } else if (op < 64) {
      const int size = static_cast<int>(scan.l.size());
      const int n = op < 61 ? std::max(0, size - pick(4)) : pick(size + 1);
      table.Truncate(n);
      scan.l.resize(static_cast<std::size_t>(std::min<int>(n, static_cast<int>(scan.l.size()))));
    } else if (op < 76 && !scan.l.empty()) {
      const int i = pick(static_cast<int>(scan.l.size()));
      ASSERT_TRUE(table.RemoveBySwap(i));
      scan.l[static_cast<std::size_t>(i)] = scan.l.back();
      scan.l.pop_back();
    } else if (op < 90 && !scan.l.empty()) {
      const int i = pick(static_cast<int>(scan.l.size()));
      ASSERT_TRUE(table.SetEnds(i, r.p, r.k));  // p == k allowed here: a direct change
      scan.l[static_cast<std::size_t>(i)].p = r.p;
      scan.l[static_cast<std::size_t>(i)].k = r.k;
    } else if (op < 98 && !scan.l.empty()) {
      const int i = pick(static_cast<int>(scan.l.size()));
      ASSERT_TRUE(table.SetRecord(i, r));
      scan.l[static_cast<std::size_t>(i)] = r;
    } else {
      table.ClearLines();
      scan.l.clear();
    }

    ASSERT_EQ(table.Count(), static_cast<int>(scan.l.size())) << "step " << step;
    for (std::size_t i = 0; i < scan.l.size(); ++i) {
      const LineRecord& a = table[static_cast<int>(i)];
      const LineRecord& b = scan.l[i];
      ASSERT_TRUE(a.p == b.p && a.k == b.k && a.multiplicity == b.multiplicity && a.obj == b.obj && a.pen == b.pen)
          << "step " << step << " line " << i;
    }
    for (int a = 0; a < kVertices; ++a) {
      for (int b = 0; b < kVertices; ++b) {
        const LineRef got = table.FindLine(a, b);
        const LineRef want = scan.Find(a, b);
        ASSERT_EQ(got.index, want.index) << "step " << step << " line " << a << "-" << b;
        ASSERT_EQ(got.direction, want.direction) << "step " << step << " line " << a << "-" << b;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LinesAgainstScan, testing::Values(21u, 22u, 23u, 24u, 25u, 26u));

}  // namespace
}  // namespace wirvela
