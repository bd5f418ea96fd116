#pragma once
// Vertex table of a drawing set: a fixed array of vertex records, valid from 0 to
// Count()-1, each keeping its index while it exists.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "drawing/KeyIndex.h"
#include "drawing/LazyArray.h"
#include "geometry/Point2d.h"

namespace wirvela {

// One vertex. Coordinates in drawing units. A default-constructed record is a cleared one.
struct VertexRecord {
  double x = 0.0;
  double y = 0.0;
  // Work mark of the path-planning passes: 1 segment-set vertex, 2 entry vertex,
  // 16 faulty segment node, line counts during junction splitting.
  std::uint8_t mark = 0;
  // Object number; in the segment set the figure label 1 or 2; 10000 for the entry vertex.
  std::int32_t obj = 0;
  // Extents-exclusion byte: non-zero leaves the vertex out of bounding boxes taken over
  // drawn vertices only (the entry vertex has 1).
  std::uint8_t noExtents = 0;
  // Auxiliary word, carried along when vertices are copied.
  std::int32_t aux = 0;
  // In a figure: object number of the segment line that ends here; -1 when unset.
  std::int32_t segLink = -1;

  // Where the vertex stands; the planning predicates take vertices as points.
  operator Point2d() const { return {x, y}; }  // NOLINT(google-explicit-constructor)
};

// The fields of a stored vertex that may be changed in place. The coordinates are
// missing on purpose: they are the de-duplication key and change only through
// TVert::SetPosition / SetRecord / TransformPositions, which keep the index right.
struct VertexFields {
  std::uint8_t& mark;
  std::int32_t& obj;
  std::uint8_t& noExtents;
  std::int32_t& aux;
  std::int32_t& segLink;
};

// Snaps a coordinate toward zero onto a grid: grid × ⌊|c| ÷ grid⌋ × sign(c), sign(c) = -1
// for c < 0 and +1 otherwise (7.9 on a grid of 1 gives 7, -7.9 gives -7). A grid of 0
// leaves c unchanged; so does a grid that is not finite (a scale of 0 in the settings
// would otherwise turn every coordinate into NaN). A negative grid snaps like its size.
double SnapToGrid(double c, double grid);

class TVert {
 public:
  static constexpr int kCapacity = 50000;
  // AddVertex refuses once the table holds more vertices than this (so at most 49995).
  static constexpr int kAddLimit = 49994;

  // snapGrid in drawing units (0: no snapping); dedup: AddVertex reuses an existing
  // vertex at the same (snapped) place.
  explicit TVert(double snapGrid = 0.0, bool dedup = true);
  TVert(const TVert&) = delete;
  TVert& operator=(const TVert&) = delete;

  int Count() const { return count_; }
  // 0 <= i < kCapacity. Records at or beyond Count() are cleared or left over from
  // vertices removed by Truncate.
  const VertexRecord& operator[](int i) const { return records_[Slot(i)]; }
  // The valid vertices 0 … Count()-1.
  std::span<const VertexRecord> Records() const { return {records_.data(), static_cast<std::size_t>(count_)}; }
  // Writable non-key fields of vertex i, 0 <= i < kCapacity.
  VertexFields Edit(int i);

  // Snaps (x, y) onto the grid; with de-duplication on returns the first vertex already
  // at exactly the snapped place (its other fields unchanged); otherwise stores a new
  // vertex and returns its index. A full table (more than kAddLimit vertices) stores
  // nothing and returns 0, even for a place that exists.
  int AddVertex(double x, double y, std::uint8_t mark = 0, std::int32_t obj = 0, std::uint8_t noExtents = 0,
                std::int32_t aux = 0, std::int32_t segLink = -1);
  // The same with every field taken from a record (its coordinates are snapped too).
  int AddVertex(const VertexRecord& v);

  // First vertex with exactly this x and y (no snapping; -0.0 equals 0.0, NaN matches
  // nothing), or -1.
  int FindVertex(double x, double y) const;

  // Every record cleared, count 0. Costs what the table held since the last clearing,
  // not its capacity.
  void ClearVertices();

  // Direct changes for the algorithms that move vertices. No snapping, no merging: two
  // vertices may end up at one place, and FindVertex then answers the lower index.
  // Out-of-range indices (not below Count()) change nothing and give false.
  bool SetPosition(int i, double x, double y);
  bool SetRecord(int i, const VertexRecord& v);
  // Lowers the count to n (removing from the end); n >= Count() changes nothing.
  void Truncate(int n);
  // Calls f(x, y) with references to the coordinates of every valid vertex, then
  // rebuilds the index in one pass (origin shift, rotation).
  template <class F>
  void TransformPositions(F&& f) {
    for (int i = 0; i < count_; ++i) {
      VertexRecord& v = records_.Writable(Slot(i));
      f(v.x, v.y);
    }
    RebuildIndex();
  }

  // Extreme coordinates: start from vertex 0's value, then take each vertex 0 … Count()-1
  // that beats it strictly; vertices with a non-zero extents-exclusion byte take part
  // only when includeExcluded is set. An empty table gives vertex 0's stored value.
  double MaxX(bool includeExcluded) const;
  double MaxY(bool includeExcluded) const;
  double MinX(bool includeExcluded) const;
  double MinY(bool includeExcluded) const;

  double SnapGrid() const { return snapGrid_; }
  void SetSnapGrid(double grid) { snapGrid_ = grid; }
  bool Deduplication() const { return dedup_; }
  void SetDeduplication(bool on) { dedup_ = on; }

 private:
  struct KeyTraits {
    struct Key {
      double x;
      double y;
    };
    static bool Indexable(const Key& k) { return !std::isnan(k.x) && !std::isnan(k.y); }
    static std::uint64_t Hash(const Key& k);
    static bool Equal(const Key& a, const Key& b) { return a.x == b.x && a.y == b.y; }
  };
  using Key = KeyTraits::Key;

  static std::size_t Slot(int i) { return static_cast<std::size_t>(i); }
  // -0.0 becomes 0.0 so that both hash alike.
  static Key KeyOf(double x, double y) { return {x == 0.0 ? 0.0 : x, y == 0.0 ? 0.0 : y}; }
  static Key KeyOf(const VertexRecord& v) { return KeyOf(v.x, v.y); }

  template <class Better>
  double Extreme(double VertexRecord::*coord, bool includeExcluded, Better better) const;
  void RebuildIndex();

  // Records from written_ on have not been written since the table was created or
  // last cleared, so they are still cleared ones.
  void Touch(int i) { written_ = std::max(written_, i + 1); }

  LazyArray<VertexRecord> records_;
  TKeyIndex<KeyTraits> index_;
  int count_ = 0;
  int written_ = 0;
  double snapGrid_;
  bool dedup_;
};

}  // namespace wirvela
