#pragma once
// Line table of a drawing set: a fixed array of line records joining two vertices of the
// paired vertex table, valid from 0 to Count()-1 in the order of adding.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "drawing/KeyIndex.h"
#include "drawing/LazyArray.h"
#include "drawing/Vert.h"

namespace wirvela {

// One line. A default-constructed record is a cleared one.
struct LineRecord {
  std::int32_t p = 0;  // start vertex
  std::int32_t k = 0;  // end vertex
  // How many times the line was added (either direction); 1 when created.
  std::int32_t multiplicity = 0;
  // Display mark word: bits 4-7 count the simulation runs over the line (0x10 once,
  // 0x20 twice); the lowest four bits survive the clearing of the display marks.
  std::int32_t display = 0;
  // Object number: 0 … Oelems for drawing objects, 2048 connecting lines, 10000 entry line.
  std::int32_t obj = 0;
  std::uint8_t kind = 0;   // 1 object line, 2 connecting line (entry line included)
  std::uint8_t kind2 = 0;  // 1 for lines added by the joining
  std::array<std::int32_t, 8> spare{};  // carried along when a line is copied or split
  // Pen of the drawing file: 2 second speed; 3, 4, 5 the sets of a segmented drawing.
  std::int32_t pen = 1;
};

// The fields of a stored line that may be changed in place. The ends are missing on
// purpose: they are the de-duplication key and change only through TLines::SetEnds /
// SetRecord / RemoveBySwap, which keep the index right.
struct LineFields {
  std::int32_t& multiplicity;
  std::int32_t& display;
  std::int32_t& obj;
  std::uint8_t& kind;
  std::uint8_t& kind2;
  std::array<std::int32_t, 8>& spare;
  std::int32_t& pen;
};

// A line found in a table. direction +1: stored from the asked start to the asked end;
// -1: stored the other way round; 0: nothing found or added.
struct LineRef {
  int index = -1;
  int direction = 0;
};

// A copy of a line, or found == false (and a cleared record) when there is none.
struct LineLookup {
  LineRecord line;
  bool found = false;
};

class TLines {
 public:
  static constexpr int kCapacity = 100000;
  // AddLine refuses once the table holds more lines than this (so at most 99995).
  static constexpr int kAddLimit = 99994;

  // The table pairs with one vertex table for its lifetime.
  explicit TLines(TVert& vertices, bool dedup = true);
  TLines(const TLines&) = delete;
  TLines& operator=(const TLines&) = delete;

  TVert& Vertices() { return *vertices_; }
  const TVert& Vertices() const { return *vertices_; }

  int Count() const { return count_; }
  // 0 <= i < kCapacity. Records at or beyond Count() are cleared or left over.
  const LineRecord& operator[](int i) const { return records_[Slot(i)]; }
  // The valid lines 0 … Count()-1.
  std::span<const LineRecord> Records() const { return {records_.data(), static_cast<std::size_t>(count_)}; }
  // Writable non-key fields of line i, 0 <= i < kCapacity.
  LineFields Edit(int i);

  // 0: not added (table holds more than kAddLimit lines, p == k, or an end that is no
  // vertex index at all); 2: de-duplication is on and a line already joins p and k in
  // either direction, whose multiplicity was raised by one (the first such line; its
  // other fields stay); 1: stored as a new line with multiplicity 1. The record's
  // multiplicity is ignored.
  int AddLine(const LineRecord& line);
  int AddLine(int p, int k, std::uint8_t kind = 0, std::int32_t pen = 1);

  // AddLine, then the line joining p and k (new or existing) and its direction;
  // {0, 0} when AddLine added nothing.
  LineRef AddLineGetIndex(const LineRecord& line);
  LineRef AddLineGetIndex(int p, int k, std::uint8_t kind = 0, std::int32_t pen = 1);

  // First line joining a and b in either direction, with its direction; {-1, 0} if none.
  LineRef FindLine(int a, int b) const;

  // A copy of line i; beyond the count (or negative) a cleared record and found false.
  LineLookup GetLine(int i) const;

  // Every record cleared, count 0. Costs what the table held since the last clearing,
  // not its capacity.
  void ClearLines();

  // Direct changes for the algorithms that split and reorder lines. No merging: two
  // lines may end up joining the same vertices, and FindLine then answers the lower
  // index. Out-of-range indices (not below Count()) or ends that are no vertex index
  // change nothing and give false.
  bool SetEnds(int i, int p, int k);
  bool SetRecord(int i, const LineRecord& line);
  // Lowers the count to n (removing from the end); n >= Count() changes nothing.
  void Truncate(int n);
  // Removes line i by moving the last line into its slot and lowering the count (the
  // order of lines changes).
  bool RemoveBySwap(int i);

  bool Deduplication() const { return dedup_; }
  void SetDeduplication(bool on) { dedup_ = on; }

 private:
  struct KeyTraits {
    // The unordered pair of ends: lines match in either direction.
    struct Key {
      std::int32_t lo;
      std::int32_t hi;
    };
    static bool Indexable(const Key&) { return true; }
    static std::uint64_t Hash(const Key& k) {
      return MixBits((std::uint64_t{static_cast<std::uint32_t>(k.lo)} << 32) | static_cast<std::uint32_t>(k.hi));
    }
    static bool Equal(const Key& a, const Key& b) { return a.lo == b.lo && a.hi == b.hi; }
  };
  using Key = KeyTraits::Key;

  static std::size_t Slot(int i) { return static_cast<std::size_t>(i); }
  static Key KeyOf(int a, int b) { return a < b ? Key{a, b} : Key{b, a}; }
  static Key KeyOf(const LineRecord& l) { return KeyOf(l.p, l.k); }
  static bool IsVertexIndex(int v) { return v >= 0 && v < TVert::kCapacity; }

  // AddLine's result and the index of the line it added or raised (-1 for none).
  struct Added {
    int result;
    int index;
  };
  Added Add(const LineRecord& line);

  // Records from written_ on have not been written since the table was created or
  // last cleared, so they are still cleared ones.
  void Touch(int i) { written_ = std::max(written_, i + 1); }

  TVert* vertices_;
  LazyArray<LineRecord> records_;
  TKeyIndex<KeyTraits> index_;
  int count_ = 0;
  int written_ = 0;
  bool dedup_;
};

}  // namespace wirvela
