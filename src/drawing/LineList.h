#pragma once
// The cut path: an ordered list of references to lines of the current set's line table,
// each run in a given direction.
#include <cstdint>
#include <vector>

#include "drawing/Lines.h"

namespace wirvela {

struct LineListEntry {
  std::int32_t line = -1;  // index into the line table; -1: free entry
  double dir = 0.0;        // +1 run from p to k, -1 from k to p
  std::int32_t kind = 0;   // 2 for entries made by the path search
  double seg = 0.0;        // segment value, working field of motion timing
  std::int32_t nDel = 0;   // corner count, working field of motion timing
};

// The working fields of a path entry that may be changed in place. The line index is
// missing on purpose: it decides where the list ends and changes only through the
// list's operations and SetEntry.
struct LineListFields {
  double& dir;
  std::int32_t& kind;
  double& seg;
  std::int32_t& nDel;
};

// Used entries run contiguously from index 0; the first free entry ends the list.
// Capacity n is fixed at creation; the array has n + 10 entries, of which the last 10
// are never used, so there is always a free entry at index n.
class TLineList {
 public:
  static constexpr int kSpare = 10;

  // A negative capacity counts as 0. All entries free, direction 0.
  explicit TLineList(int n);

  int Capacity() const { return n_; }
  // Number of used entries: LastIndex() + 1.
  int Length() const { return length_; }
  // 0 <= i < Capacity() + kSpare.
  const LineListEntry& operator[](int i) const { return entries_[Slot(i)]; }
  // Writable working fields of entry i, 0 <= i < Capacity().
  LineListFields Edit(int i);

  // Fills the first free entry with (line, dir, kind) and zero working fields: 0, or 1
  // (nothing changed) when no free entry is left below the capacity.
  int Append(int line, double dir, int kind);
  // Entries index … n-2 move up by one (entry n-1 is lost) and the new entry takes
  // index. 0, or 1 (nothing changed) for an index outside 0 … n-1.
  int InsertAt(int index, const LineListEntry& entry);
  // The entries after index move down by one, up to and including the first free one.
  // 0, or 1 (nothing changed) for an index outside 0 … n-1.
  int RemoveAt(int index);
  // Replaces entry index (0 … n-1); 0, or 1 for an index outside.
  int SetEntry(int index, const LineListEntry& entry);
  // All entries free.
  void Clear();

  // The line of entry index from the line table, with p and k swapped when the
  // direction is not +1; found false for a free entry, an index outside the list, or a
  // line index that is not a line of the table.
  LineLookup GetPathLine(int index, const TLines& lines) const;
  // Start / end vertex of entry index as run; -1 when GetPathLine finds nothing.
  int PathStart(int index, const TLines& lines) const;
  int PathEnd(int index, const TLines& lines) const;

  // Index of the last used entry, -1 for an empty list.
  int LastIndex() const { return length_ - 1; }
  // Frees the last used entry (nothing for an empty list).
  void RemoveLast();

 private:
  static std::size_t Slot(int i) { return static_cast<std::size_t>(i); }
  bool Used(int i) const { return entries_[Slot(i)].line != -1; }
  // Re-establishes length_ as the first free index, given that entries below from
  // are all used.
  void ScanLength(int from);

  int n_;
  std::vector<LineListEntry> entries_;
  int length_ = 0;  // index of the first free entry (n_ when none is free below n_)
};

}  // namespace wirvela
