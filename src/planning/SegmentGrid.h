#pragma once
// Spatial index of the fast line passes: items (line indices) with closed axis-aligned
// boxes, found by the boxes they meet. The plane is cut into square cells of one size.
// Cells inside a core rectangle (where most items lie) are kept in a plain array, cells
// outside it in a hash map, so the grid has no fixed extent: lines added far outside
// the drawing while a pass runs fit in as well. Each item is listed, with a copy of its
// box, in every cell its box covers; an item whose box covers too many cells, lies
// beyond the cell numbering or is not finite is kept on a list that every query looks
// through. A box with an infinite bound meets every box; one with a NaN bound is taken
// as infinite on all sides.
//
// The items of a whole table are placed at once (PlaceAll), into one array sorted by
// cell; items placed or moved later go to small lists per cell, and the array keeps a
// dead mark where an item left it.
//
// The grid only narrows the search: a query answers every item whose box meets the
// query box (closed boxes, touching counts), never fewer. Callers choose boxes large
// enough that a pair their exact test could accept always meets.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "geometry/Box2d.h"

namespace wirvela {

class SegmentGrid {
public:
    // An item may cover at most this many cells before it goes on the list of wide items.
    static constexpr std::int64_t kMaxCellsPerItem = 1024;

    // cellSize in drawing units (one that is not positive and finite becomes 1); `core`:
    // the rectangle kept as a plain array of cells, when that takes at most maxCoreCells
    // cells (else every cell is hashed).
    SegmentGrid(double cellSize, const Box2d& core, std::int64_t maxCoreCells);

    double CellSize() const { return cell_; }

    // Items 0 … boxes.size()-1 get these boxes, those whose `placed` flag is 0 excepted.
    // Only on a grid where nothing is placed yet. The grid keeps `boxes` as its own.
    void PlaceAll(std::vector<Box2d> boxes, const std::vector<char>& placed);
    // Item `id` (>= 0) now has `box`; an item placed before is moved.
    void Place(int id, Box2d box);
    // Forgets item `id` (nothing when it is not placed).
    void Remove(int id);
    bool Placed(int id) const;
    // The box of a placed item.
    const Box2d& BoxOf(int id) const { return boxes_[static_cast<std::size_t>(id)]; }

    // The ids above `after` whose boxes meet `box`, ascending, into `out` (cleared first).
    void Query(const Box2d& box, int after, std::vector<int>& out) const;
    // As Query, unless it would look at more than maxLoad entries (Load): then false, and
    // `out` is left cleared. Each cell is looked up once, where Load and then Query would
    // look it up twice; a refused query has looked at no more than maxLoad entries.
    bool QueryUpTo(const Box2d& box, int after, std::int64_t maxLoad, std::vector<int>& out) const;
    // The number of entries Query(box, …) looks at: those of the cells the box covers and
    // the wide items, or every item when the query looks at every item.
    std::int64_t Load(const Box2d& box) const;

    // Every Place and Remove after PlaceAll is a change, numbered from 1 on; Stamp() is the
    // number of the last one (0: none yet).
    std::uint32_t Stamp() const { return clock_; }
    // True when no change after `stamp` touched what a query with `box` looks at (the
    // cells it covers and the wide items), so that the query answers as it did then.
    // False also for a box whose query looks at every item.
    bool UnchangedSince(const Box2d& box, std::uint32_t stamp) const;

private:
    // An item listed in a cell. cx0, cy0: the first cell of the item's range, so that a
    // query over several cells reports the item from one of them only.
    struct Entry {
        Box2d box;
        std::int32_t id;    // kDead: the item has left this place of the sorted array
        std::int32_t slot;  // which cell of the item's range this is
        std::int32_t cx0;
        std::int32_t cy0;
    };
    static constexpr std::int32_t kDead = -1;
    // The entries of a cell: sorted_[begin … end) and, when later items came, extras_[extra].
    struct Cell {
        std::int32_t begin = 0;
        std::int32_t end = 0;
        std::int32_t extra = -1;
        std::uint32_t stamp = 0;  // the change that last placed or removed an item here
    };
    enum class Where : std::uint8_t { None, Cells, Wide };
    struct Item {
        Where where = Where::None;
        // Cell range covered, for Where::Cells; slot s is the s-th cell of the range, row by row.
        std::int32_t cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0;
        // Where the item's entries are: pos_[posBase … posBase+posCap), per slot an index
        // into sorted_ (>= 0) or -1 - (index into the cell's extra list).
        std::int32_t posBase = 0;
        std::int32_t posCap = 0;
        // Position in wide_ for Where::Wide.
        std::int32_t listPos = -1;
    };
    struct CellRange {
        std::int64_t cx0, cy0, cx1, cy1;
        std::int64_t Count() const { return (cx1 - cx0 + 1) * (cy1 - cy0 + 1); }
    };

    // The cells a finite box covers; false when the box lies beyond the cell numbering.
    bool Cells(const Box2d& box, CellRange& range) const;
    // Index into cells_ of cell (cx, cy); -1 when it has none (and `create` is false).
    std::int32_t CellIndex(std::int64_t cx, std::int64_t cy) const {
        const std::int64_t dx = cx - coreX0_;
        const std::int64_t dy = cy - coreY0_;
        if (dx >= 0 && dx < coreW_ && dy >= 0 && dy < coreH_) return static_cast<std::int32_t>(dy * coreW_ + dx);
        return OutsideIndex(cx, cy);
    }
    // CellIndex of a cell outside the core.
    std::int32_t OutsideIndex(std::int64_t cx, std::int64_t cy) const;
    std::int32_t CellIndex(std::int64_t cx, std::int64_t cy, bool create);
    Item& At(int id);
    // The item's range for the cells, or false when it goes on the wide list.
    bool Range(const Box2d& box, CellRange& range) const;
    void SetRange(Item& item, const CellRange& range);
    void PlaceWide(int id, Item& item);
    void QueryAll(const Box2d& box, int after, std::vector<int>& out) const;

    double cell_;
    // 1 / cell_, when finite: cell numbers are then taken by multiplying, which is as
    // monotone as dividing, so boxes that meet still share a cell.
    double inverse_ = 0.0;
    // The core: cells coreX0 … coreX0+coreW-1 by coreY0 … coreY0+coreH-1 are cells_[0 …].
    std::int64_t coreX0_ = 0, coreY0_ = 0, coreW_ = 0, coreH_ = 0;
    std::unordered_map<std::uint64_t, std::int32_t> outside_;  // cell key → index into cells_
    std::vector<Cell> cells_;
    std::vector<Entry> sorted_;
    std::vector<std::vector<Entry>> extras_;
    std::vector<Item> items_;
    std::vector<Box2d> boxes_;      // box of each placed item
    std::vector<std::int32_t> pos_;   // entry places, see Item::posBase
    std::vector<std::int32_t> wide_;  // items on the list
    std::uint32_t clock_ = 0;         // the last change
    std::uint32_t wideStamp_ = 0;     // the last change of the wide items
};

}  // namespace wirvela
