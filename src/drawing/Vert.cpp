#include "drawing/Vert.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace wirvela {

double SnapToGrid(double c, double grid) {
  if (grid == 0.0 || !std::isfinite(grid)) return c;
  const double g = std::fabs(grid);
  return g * std::floor(std::fabs(c) / g) * (c < 0.0 ? -1.0 : 1.0);
}

std::uint64_t TVert::KeyTraits::Hash(const Key& k) {
  const std::uint64_t hx = std::bit_cast<std::uint64_t>(k.x);
  const std::uint64_t hy = std::bit_cast<std::uint64_t>(k.y);
  return MixBits(hx ^ (MixBits(hy) + 0x9e3779b97f4a7c15ULL));
}

TVert::TVert(double snapGrid, bool dedup)
    : records_(kCapacity), index_(kCapacity), snapGrid_(snapGrid), dedup_(dedup) {}

VertexFields TVert::Edit(int i) {
  assert(i >= 0 && i < kCapacity);
  Touch(i);
  VertexRecord& v = records_.Writable(Slot(i));
  return {v.mark, v.obj, v.noExtents, v.aux, v.segLink};
}

int TVert::AddVertex(double x, double y, std::uint8_t mark, std::int32_t obj, std::uint8_t noExtents,
                     std::int32_t aux, std::int32_t segLink) {
  return AddVertex(VertexRecord{x, y, mark, obj, noExtents, aux, segLink});
}

int TVert::AddVertex(const VertexRecord& v) {
  if (count_ > kAddLimit) return 0;
  VertexRecord stored = v;
  stored.x = SnapToGrid(v.x, snapGrid_);
  stored.y = SnapToGrid(v.y, snapGrid_);
  if (dedup_) {
    const int existing = FindVertex(stored.x, stored.y);
    if (existing >= 0) return existing;
  }
  const int i = count_;
  records_.Writable(Slot(i)) = stored;
  index_.Insert(i, KeyOf(stored));
  ++count_;
  Touch(i);
  return i;
}

int TVert::FindVertex(double x, double y) const { return index_.First(KeyOf(x, y)); }

void TVert::ClearVertices() {
  index_.Clear();
  count_ = 0;
  std::fill(records_.data(), records_.data() + std::min(written_, kCapacity), VertexRecord{});
  written_ = 0;
}

bool TVert::SetPosition(int i, double x, double y) {
  if (i < 0 || i >= count_) return false;
  VertexRecord& v = records_.Writable(Slot(i));
  index_.Remove(i, KeyOf(v));
  v.x = x;
  v.y = y;
  index_.Insert(i, KeyOf(v));
  return true;
}

bool TVert::SetRecord(int i, const VertexRecord& record) {
  if (i < 0 || i >= count_) return false;
  VertexRecord& v = records_.Writable(Slot(i));
  index_.Remove(i, KeyOf(v));
  v = record;
  index_.Insert(i, KeyOf(v));
  return true;
}

void TVert::Truncate(int n) {
  n = std::max(n, 0);
  while (count_ > n) {
    --count_;
    index_.Remove(count_, KeyOf(records_[Slot(count_)]));
  }
}

void TVert::RebuildIndex() {
  index_.Clear();
  index_.Reserve(static_cast<std::size_t>(count_));
  for (int i = 0; i < count_; ++i) index_.Insert(i, KeyOf(records_[Slot(i)]));
}

template <class Better>
double TVert::Extreme(double VertexRecord::*coord, bool includeExcluded, Better better) const {
  double extreme = records_[0].*coord;
  for (const VertexRecord& v : Records()) {
    if (v.noExtents != 0 && !includeExcluded) continue;
    if (better(v.*coord, extreme)) extreme = v.*coord;
  }
  return extreme;
}

double TVert::MaxX(bool includeExcluded) const {
  return Extreme(&VertexRecord::x, includeExcluded, [](double a, double b) { return a > b; });
}

double TVert::MaxY(bool includeExcluded) const {
  return Extreme(&VertexRecord::y, includeExcluded, [](double a, double b) { return a > b; });
}

double TVert::MinX(bool includeExcluded) const {
  return Extreme(&VertexRecord::x, includeExcluded, [](double a, double b) { return a < b; });
}

double TVert::MinY(bool includeExcluded) const {
  return Extreme(&VertexRecord::y, includeExcluded, [](double a, double b) { return a < b; });
}

}  // namespace wirvela
