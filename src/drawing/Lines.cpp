#include "drawing/Lines.h"

#include <algorithm>
#include <cassert>
#include <limits>

namespace wirvela {

TLines::TLines(TVert& vertices, bool dedup)
    : vertices_(&vertices), records_(kCapacity), index_(kCapacity), dedup_(dedup) {}

LineFields TLines::Edit(int i) {
  assert(i >= 0 && i < kCapacity);
  Touch(i);
  LineRecord& l = records_.Writable(Slot(i));
  return {l.multiplicity, l.display, l.obj, l.kind, l.kind2, l.spare, l.pen};
}

TLines::Added TLines::Add(const LineRecord& line) {
  if (count_ > kAddLimit || line.p == line.k) return {0, -1};
  if (!IsVertexIndex(line.p) || !IsVertexIndex(line.k)) return {0, -1};
  if (dedup_) {
    const int existing = index_.First(KeyOf(line));
    if (existing >= 0) {
      std::int32_t& multiplicity = records_.Writable(Slot(existing)).multiplicity;
      if (multiplicity < std::numeric_limits<std::int32_t>::max()) ++multiplicity;
      return {2, existing};
    }
  }
  const int i = count_;
  LineRecord& stored = records_.Writable(Slot(i));
  stored = line;
  stored.multiplicity = 1;
  index_.Insert(i, KeyOf(stored));
  ++count_;
  Touch(i);
  return {1, i};
}

int TLines::AddLine(const LineRecord& line) { return Add(line).result; }

int TLines::AddLine(int p, int k, std::uint8_t kind, std::int32_t pen) {
  return AddLine(LineRecord{.p = p, .k = k, .kind = kind, .pen = pen});
}

LineRef TLines::AddLineGetIndex(const LineRecord& line) {
  const Added added = Add(line);
  if (added.result == 0) return {0, 0};
  return {added.index, records_[Slot(added.index)].p == line.p ? 1 : -1};
}

LineRef TLines::AddLineGetIndex(int p, int k, std::uint8_t kind, std::int32_t pen) {
  return AddLineGetIndex(LineRecord{.p = p, .k = k, .kind = kind, .pen = pen});
}

LineRef TLines::FindLine(int a, int b) const {
  const int i = index_.First(KeyOf(a, b));
  if (i < 0) return {};
  return {i, records_[Slot(i)].p == a ? 1 : -1};
}

LineLookup TLines::GetLine(int i) const {
  if (i < 0 || i >= count_) return {};
  return {records_[Slot(i)], true};
}

void TLines::ClearLines() {
  index_.Clear();
  count_ = 0;
  std::fill(records_.data(), records_.data() + std::min(written_, kCapacity), LineRecord{});
  written_ = 0;
}

bool TLines::SetEnds(int i, int p, int k) {
  if (i < 0 || i >= count_ || !IsVertexIndex(p) || !IsVertexIndex(k)) return false;
  LineRecord& l = records_.Writable(Slot(i));
  index_.Remove(i, KeyOf(l));
  l.p = p;
  l.k = k;
  index_.Insert(i, KeyOf(l));
  return true;
}

bool TLines::SetRecord(int i, const LineRecord& line) {
  if (i < 0 || i >= count_ || !IsVertexIndex(line.p) || !IsVertexIndex(line.k)) return false;
  LineRecord& l = records_.Writable(Slot(i));
  index_.Remove(i, KeyOf(l));
  l = line;
  index_.Insert(i, KeyOf(l));
  return true;
}

void TLines::Truncate(int n) {
  n = std::max(n, 0);
  while (count_ > n) {
    --count_;
    index_.Remove(count_, KeyOf(records_[Slot(count_)]));
  }
}

bool TLines::RemoveBySwap(int i) {
  if (i < 0 || i >= count_) return false;
  const int last = count_ - 1;
  if (i != last) {
    index_.Remove(last, KeyOf(records_[Slot(last)]));
    index_.Remove(i, KeyOf(records_[Slot(i)]));
    records_.Writable(Slot(i)) = records_[Slot(last)];
    index_.Insert(i, KeyOf(records_[Slot(i)]));
  } else {
    index_.Remove(i, KeyOf(records_[Slot(i)]));
  }
  count_ = last;
  return true;
}

}  // namespace wirvela
