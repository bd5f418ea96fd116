// Cost of filling the drawing tables with de-duplication on: the tables must take a full
// drawing (49995 vertices, 99994 lines) in well under 0.1 s.
#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace {

using wirvela::TLines;
using wirvela::TVert;

constexpr int kVertices = TVert::kAddLimit + 1;  // 49995, a full vertex table
constexpr int kLines = 99994;

struct Point {
  double x;
  double y;
};

// Distinct places 1 mm (40 units) apart on a 250-column grid, in an order that is not
// the grid order, as a drawing's objects would give them.
std::vector<Point> DistinctPoints() {
  std::vector<Point> points;
  points.reserve(kVertices);
  for (int i = 0; i < kVertices; ++i) {
    const int cell = static_cast<int>((static_cast<long long>(i) * 7919) % kVertices);
    points.push_back({40.0 * (cell % 250) + 0.3, 40.0 * (cell / 250) + 0.7});
  }
  return points;
}

// Distinct lines over the vertices: i→i+1, then i→i+2, … until there are kLines.
std::vector<std::pair<int, int>> DistinctLines() {
  std::vector<std::pair<int, int>> lines;
  lines.reserve(kLines);
  for (int d = 1; static_cast<int>(lines.size()) < kLines; ++d)
    for (int i = 0; i + d < kVertices && static_cast<int>(lines.size()) < kLines; ++i) lines.emplace_back(i, i + d);
  return lines;
}

// Fresh tables each time, construction included: the whole cost of one full drawing.
void BM_FillFreshTables(benchmark::State& state) {
  const std::vector<Point> points = DistinctPoints();
  const std::vector<std::pair<int, int>> lines = DistinctLines();
  for (auto _ : state) {
    auto v = std::make_unique<TVert>(1.0);
    auto l = std::make_unique<TLines>(*v);
    for (const Point& p : points) benchmark::DoNotOptimize(v->AddVertex(p.x, p.y));
    for (const auto& [a, b] : lines) benchmark::DoNotOptimize(l->AddLine(a, b, 1, 1));
    if (v->Count() != kVertices || l->Count() != kLines) state.SkipWithError("a distinct element was merged");
  }
  state.SetItemsProcessed(state.iterations() * (kVertices + kLines));
}
BENCHMARK(BM_FillFreshTables)->Unit(benchmark::kMillisecond);

void BM_AddDistinctVertices(benchmark::State& state) {
  const std::vector<Point> points = DistinctPoints();
  TVert v(1.0);
  for (auto _ : state) {
    state.PauseTiming();
    v.ClearVertices();
    state.ResumeTiming();
    for (const Point& p : points) benchmark::DoNotOptimize(v.AddVertex(p.x, p.y));
  }
  state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_AddDistinctVertices)->Unit(benchmark::kMillisecond);

void BM_AddDistinctLines(benchmark::State& state) {
  const std::vector<std::pair<int, int>> lines = DistinctLines();
  TVert v;
  TLines l(v);
  for (auto _ : state) {
    state.PauseTiming();
    l.ClearLines();
    state.ResumeTiming();
    for (const auto& [a, b] : lines) benchmark::DoNotOptimize(l.AddLine(a, b, 1, 1));
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_AddDistinctLines)->Unit(benchmark::kMillisecond);

// Mostly repeats: every place is added about 50 times and every line about 50 times,
// half of them reversed, so almost every insertion is answered by the index.
void BM_AddMostlyDuplicates(benchmark::State& state) {
  std::vector<Point> points;
  for (int i = 0; i < kVertices; ++i) points.push_back({40.0 * (i % 1000 % 40), 40.0 * (i % 1000 / 40)});
  std::vector<std::pair<int, int>> lines;
  for (int i = 0; i < kLines; ++i) {
    const int a = i % 2000 % 999;
    const int b = a + 1 + i % 2000 / 999;
    lines.push_back(i % 2 == 0 ? std::pair{a, b} : std::pair{b, a});
  }
  TVert v(1.0);
  TLines l(v);
  for (auto _ : state) {
    state.PauseTiming();
    v.ClearVertices();
    l.ClearLines();
    state.ResumeTiming();
    for (const Point& p : points) benchmark::DoNotOptimize(v.AddVertex(p.x, p.y));
    for (const auto& [a, b] : lines) benchmark::DoNotOptimize(l.AddLine(a, b, 1, 1));
  }
  state.counters["vertices"] = v.Count();
  state.counters["lines"] = l.Count();
  state.SetItemsProcessed(state.iterations() * (kVertices + kLines));
}
BENCHMARK(BM_AddMostlyDuplicates)->Unit(benchmark::kMillisecond);

// De-duplication off (the multiplication copying a drawing): one place stored 49995
// times must not make later insertions or lookups slower.
void BM_SamePlaceWithoutDeduplication(benchmark::State& state) {
  TVert v(1.0, false);
  for (auto _ : state) {
    state.PauseTiming();
    v.ClearVertices();
    state.ResumeTiming();
    for (int i = 0; i < kVertices; ++i) benchmark::DoNotOptimize(v.AddVertex(5.0, 5.0));
    benchmark::DoNotOptimize(v.FindVertex(5.0, 5.0));
    v.Truncate(1);
  }
  state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_SamePlaceWithoutDeduplication)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
