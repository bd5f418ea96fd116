#include "drawing/LineList.h"

#include <algorithm>
#include <cassert>

namespace wirvela {

TLineList::TLineList(int n) : n_(std::max(n, 0)), entries_(Slot(n_) + kSpare) {}

LineListFields TLineList::Edit(int i) {
  assert(i >= 0 && i < n_);
  LineListEntry& e = entries_[Slot(i)];
  return {e.dir, e.kind, e.seg, e.nDel};
}

void TLineList::ScanLength(int from) {
  length_ = from;
  while (length_ < n_ && Used(length_)) ++length_;
}

int TLineList::Append(int line, double dir, int kind) {
  if (length_ >= n_) return 1;
  entries_[Slot(length_)] = LineListEntry{line, dir, kind, 0.0, 0};
  ScanLength(length_);
  return 0;
}

int TLineList::InsertAt(int index, const LineListEntry& entry) {
  if (index < 0 || index >= n_) return 1;
  std::move_backward(entries_.begin() + index, entries_.begin() + (n_ - 1), entries_.begin() + n_);
  entries_[Slot(index)] = entry;
  if (index <= length_) ScanLength(index);
  return 0;
}

int TLineList::RemoveAt(int index) {
  if (index < 0 || index >= n_) return 1;
  int firstFree = index + 1;
  while (Used(firstFree)) ++firstFree;  // stops at n_ at the latest: spare entries stay free
  std::move(entries_.begin() + index + 1, entries_.begin() + firstFree + 1, entries_.begin() + index);
  if (index < length_) {
    --length_;
  } else {
    ScanLength(length_);
  }
  return 0;
}

int TLineList::SetEntry(int index, const LineListEntry& entry) {
  if (index < 0 || index >= n_) return 1;
  entries_[Slot(index)] = entry;
  if (index < length_ && entry.line == -1) {
    length_ = index;
  } else if (index == length_) {
    ScanLength(length_);
  }
  return 0;
}

void TLineList::Clear() {
  std::fill(entries_.begin(), entries_.end(), LineListEntry{});
  length_ = 0;
}

LineLookup TLineList::GetPathLine(int index, const TLines& lines) const {
  if (index < 0 || index >= n_ || !Used(index)) return {};
  const LineListEntry& e = entries_[Slot(index)];
  LineLookup found = lines.GetLine(e.line);
  if (found.found && e.dir != 1.0) std::swap(found.line.p, found.line.k);
  return found;
}

int TLineList::PathStart(int index, const TLines& lines) const {
  const LineLookup found = GetPathLine(index, lines);
  return found.found ? found.line.p : -1;
}

int TLineList::PathEnd(int index, const TLines& lines) const {
  const LineLookup found = GetPathLine(index, lines);
  return found.found ? found.line.k : -1;
}

void TLineList::RemoveLast() {
  if (length_ == 0) return;
  --length_;
  entries_[Slot(length_)] = LineListEntry{};
}

}  // namespace wirvela
