#include "planning/SegmentGrid.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace wirvela {
namespace {

// Cell numbers stay within ±2^30, so that a range and its count fit comfortably in 64 bits.
constexpr double kCellLimit = 1073741824.0;

std::size_t U(std::int64_t i) {
    return static_cast<std::size_t>(i);
}

// A NaN bound cannot be compared: such a box is taken as the whole plane.
Box2d Sane(const Box2d& box) {
    if (std::isnan(box.minX) || std::isnan(box.minY) || std::isnan(box.maxX) || std::isnan(box.maxY)) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return {-inf, -inf, inf, inf};
    }
    return box;
}

}  // namespace

SegmentGrid::SegmentGrid(double cellSize, const Box2d& core, std::int64_t maxCoreCells)
    : cell_(cellSize > 0.0 && std::isfinite(cellSize) ? cellSize : 1.0) {
    const double inverse = 1.0 / cell_;
    if (std::isfinite(inverse) && inverse > 0.0) inverse_ = inverse;
    CellRange range{};
    if (core.Finite() && Cells(core, range) && range.Count() <= maxCoreCells) {
        coreX0_ = range.cx0;
        coreY0_ = range.cy0;
        coreW_ = range.cx1 - range.cx0 + 1;
        coreH_ = range.cy1 - range.cy0 + 1;
        cells_.resize(U(range.Count()));
    }
}

namespace {
// The cell number of a position in cells (floor), false when the floor lies beyond
// ±kCellLimit or the position is NaN. Within the limit the conversion is exact, so this
// is std::floor without its library call.
bool CellNumber(double t, std::int64_t& c) {
    if (!(t >= -kCellLimit && t < kCellLimit + 1.0)) return false;
    c = static_cast<std::int64_t>(t);  // toward zero
    if (static_cast<double>(c) > t) --c;
    return true;
}
}  // namespace

bool SegmentGrid::Cells(const Box2d& box, CellRange& range) const {
    double tx0, ty0, tx1, ty1;
    if (inverse_ > 0.0) {
        tx0 = box.minX * inverse_;
        ty0 = box.minY * inverse_;
        tx1 = box.maxX * inverse_;
        ty1 = box.maxY * inverse_;
    } else {
        tx0 = box.minX / cell_;
        ty0 = box.minY / cell_;
        tx1 = box.maxX / cell_;
        ty1 = box.maxY / cell_;
    }
    if (!CellNumber(tx0, range.cx0) || !CellNumber(ty0, range.cy0) || !CellNumber(tx1, range.cx1) ||
        !CellNumber(ty1, range.cy1))
        return false;
    return range.cx0 <= range.cx1 && range.cy0 <= range.cy1;
}

namespace {
std::uint64_t Key(std::int64_t cx, std::int64_t cy) {
    const auto half = [](std::int64_t c) { return static_cast<std::uint64_t>(c + 0x80000000LL) & 0xFFFFFFFFULL; };
    return (half(cx) << 32) | half(cy);
}
}  // namespace

std::int32_t SegmentGrid::OutsideIndex(std::int64_t cx, std::int64_t cy) const {
    const auto found = outside_.find(Key(cx, cy));
    return found == outside_.end() ? -1 : found->second;
}

std::int32_t SegmentGrid::CellIndex(std::int64_t cx, std::int64_t cy, bool create) {
    const std::int32_t index = CellIndex(cx, cy);
    if (index >= 0 || !create) return index;
    const auto added = static_cast<std::int32_t>(cells_.size());
    outside_.emplace(Key(cx, cy), added);
    cells_.emplace_back();
    return added;
}

SegmentGrid::Item& SegmentGrid::At(int id) {
    assert(id >= 0);
    if (U(id) >= items_.size()) {
        items_.resize(U(id) + 1);
        boxes_.resize(U(id) + 1);
    }
    return items_[U(id)];
}

bool SegmentGrid::Placed(int id) const {
    return id >= 0 && U(id) < items_.size() && items_[U(id)].where != Where::None;
}

bool SegmentGrid::Range(const Box2d& box, CellRange& range) const {
    return box.Finite() && Cells(box, range) && range.Count() <= kMaxCellsPerItem;
}

void SegmentGrid::SetRange(Item& item, const CellRange& range) {
    item.where = Where::Cells;
    item.cx0 = static_cast<std::int32_t>(range.cx0);
    item.cy0 = static_cast<std::int32_t>(range.cy0);
    item.cx1 = static_cast<std::int32_t>(range.cx1);
    item.cy1 = static_cast<std::int32_t>(range.cy1);
    const auto slots = static_cast<std::int32_t>(range.Count());
    if (slots > item.posCap) {
        item.posBase = static_cast<std::int32_t>(pos_.size());
        item.posCap = slots;
        pos_.resize(pos_.size() + U(slots));
    }
}

void SegmentGrid::PlaceWide(int id, Item& item) {
    wideStamp_ = clock_;
    item.where = Where::Wide;
    item.listPos = static_cast<std::int32_t>(wide_.size());
    wide_.push_back(id);
}

void SegmentGrid::PlaceAll(std::vector<Box2d> boxes, const std::vector<char>& placed) {
    assert(sorted_.empty() && wide_.empty() && boxes_.empty());
    // The boxes become the grid's own; those of items not placed are never read.
    boxes_ = std::move(boxes);
    const std::size_t count = boxes_.size();
    items_.resize(count);
    const std::int64_t core = coreW_ * coreH_;
    const auto inCore = [&](const CellRange& r) {
        return r.cx0 >= coreX0_ && r.cx1 < coreX0_ + coreW_ && r.cy0 >= coreY0_ && r.cy1 < coreY0_ + coreH_;
    };
    // Counting sort by cell: first the number of entries per core cell, then the places.
    std::vector<std::int32_t> counts(U(core) + 1, 0);
    std::vector<char> bulk(count, 0);
    for (std::size_t id = 0; id < count; ++id) {
        if (!placed[id]) continue;
        const Box2d box = Sane(boxes_[id]);
        CellRange range{};
        if (!Range(box, range) || !inCore(range)) {
            Place(static_cast<int>(id), box);
            continue;
        }
        Item& item = items_[id];
        boxes_[id] = box;
        SetRange(item, range);
        bulk[id] = 1;
        for (std::int64_t cy = range.cy0; cy <= range.cy1; ++cy)
            for (std::int64_t cx = range.cx0; cx <= range.cx1; ++cx) ++counts[U(CellIndex(cx, cy))];
    }
    std::int32_t offset = 0;
    for (std::int64_t c = 0; c < core; ++c) {
        cells_[U(c)].begin = cells_[U(c)].end = offset;
        offset += counts[U(c)];
    }
    sorted_.resize(U(offset));
    for (std::size_t id = 0; id < count; ++id) {
        if (!bulk[id]) continue;
        const Item& item = items_[id];
        std::int32_t slot = 0;
        for (std::int64_t cy = item.cy0; cy <= item.cy1; ++cy) {
            for (std::int64_t cx = item.cx0; cx <= item.cx1; ++cx, ++slot) {
                const std::int32_t at = cells_[U(CellIndex(cx, cy))].end++;
                sorted_[U(at)] = {boxes_[id], static_cast<std::int32_t>(id), slot, item.cx0, item.cy0};
                pos_[U(item.posBase + slot)] = at;
            }
        }
    }
}

void SegmentGrid::Place(int id, Box2d box) {
    Remove(id);
    ++clock_;
    box = Sane(box);
    At(id);
    boxes_[U(id)] = box;
    CellRange range{};
    if (!Range(box, range)) {
        PlaceWide(id, items_[U(id)]);
        return;
    }
    SetRange(items_[U(id)], range);
    const Item& item = items_[U(id)];
    std::int32_t slot = 0;
    for (std::int64_t cy = range.cy0; cy <= range.cy1; ++cy) {
        for (std::int64_t cx = range.cx0; cx <= range.cx1; ++cx, ++slot) {
            const std::int32_t c = CellIndex(cx, cy, true);
            cells_[U(c)].stamp = clock_;
            if (cells_[U(c)].extra < 0) {
                cells_[U(c)].extra = static_cast<std::int32_t>(extras_.size());
                extras_.emplace_back();
            }
            std::vector<Entry>& entries = extras_[U(cells_[U(c)].extra)];
            pos_[U(item.posBase + slot)] = -1 - static_cast<std::int32_t>(entries.size());
            entries.push_back({box, id, slot, item.cx0, item.cy0});
        }
    }
}

void SegmentGrid::Remove(int id) {
    if (!Placed(id)) return;
    ++clock_;
    Item& item = items_[U(id)];
    if (item.where == Where::Cells) {
        std::int32_t slot = 0;
        for (std::int64_t cy = item.cy0; cy <= item.cy1; ++cy) {
            for (std::int64_t cx = item.cx0; cx <= item.cx1; ++cx, ++slot) {
                const std::int32_t at = pos_[U(item.posBase + slot)];
                cells_[U(CellIndex(cx, cy))].stamp = clock_;
                if (at >= 0) {
                    sorted_[U(at)].id = kDead;
                    continue;
                }
                std::vector<Entry>& entries = extras_[U(cells_[U(CellIndex(cx, cy))].extra)];
                const Entry& last = entries.back();
                pos_[U(items_[U(last.id)].posBase + last.slot)] = at;
                entries[U(-1 - at)] = last;
                entries.pop_back();
            }
        }
    } else {
        wideStamp_ = clock_;
        const std::int32_t last = wide_.back();
        wide_[U(item.listPos)] = last;
        items_[U(last)].listPos = item.listPos;
        wide_.pop_back();
        item.listPos = -1;
    }
    item.where = Where::None;
}

void SegmentGrid::QueryAll(const Box2d& box, int after, std::vector<int>& out) const {
    for (std::size_t id = U(std::max(after + 1, 0)); id < items_.size(); ++id) {
        if (items_[id].where != Where::None && boxes_[id].Meets(box)) out.push_back(static_cast<int>(id));
    }
}

std::int64_t SegmentGrid::Load(const Box2d& query) const {
    const Box2d box = Sane(query);
    const auto all = static_cast<std::int64_t>(items_.size());
    CellRange range{};
    if (!box.Finite() || !Cells(box, range) || range.Count() > all) return all;
    auto load = static_cast<std::int64_t>(wide_.size());
    for (std::int64_t cy = range.cy0; cy <= range.cy1; ++cy) {
        for (std::int64_t cx = range.cx0; cx <= range.cx1; ++cx) {
            const std::int32_t index = CellIndex(cx, cy);
            if (index < 0) continue;
            const Cell& cell = cells_[U(index)];
            load += cell.end - cell.begin;
            if (cell.extra >= 0) load += static_cast<std::int64_t>(extras_[U(cell.extra)].size());
        }
    }
    return load;
}

bool SegmentGrid::UnchangedSince(const Box2d& query, std::uint32_t stamp) const {
    const Box2d box = Sane(query);
    CellRange range{};
    if (!box.Finite() || !Cells(box, range) || range.Count() > static_cast<std::int64_t>(items_.size())) return false;
    if (wideStamp_ > stamp) return false;
    for (std::int64_t cy = range.cy0; cy <= range.cy1; ++cy) {
        for (std::int64_t cx = range.cx0; cx <= range.cx1; ++cx) {
            const std::int32_t index = CellIndex(cx, cy);
            if (index >= 0 && cells_[U(index)].stamp > stamp) return false;
        }
    }
    return true;
}

void SegmentGrid::Query(const Box2d& query, int after, std::vector<int>& out) const {
    QueryUpTo(query, after, std::numeric_limits<std::int64_t>::max(), out);
}

bool SegmentGrid::QueryUpTo(const Box2d& query, int after, std::int64_t maxLoad, std::vector<int>& out) const {
    out.clear();
    after = std::max(after, kDead);  // dead entries never answer
    const Box2d box = Sane(query);
    const auto all = static_cast<std::int64_t>(items_.size());
    CellRange range{};
    // Beyond the numbering, or more cells than items: looking at every item is cheaper.
    if (!box.Finite() || !Cells(box, range) || range.Count() > all) {
        if (all > maxLoad) return false;
        QueryAll(box, after, out);
        return true;
    }
    // The entries are counted as the cells are visited: a query over too many is refused
    // once the count passes maxLoad, having looked at no more than that many.
    auto load = static_cast<std::int64_t>(wide_.size());
    if (load > maxLoad) return false;
    bool ascending = range.Count() == 1 && wide_.empty();
    for (std::int64_t cy = range.cy0; cy <= range.cy1; ++cy) {
        for (std::int64_t cx = range.cx0; cx <= range.cx1; ++cx) {
            const std::int32_t index = CellIndex(cx, cy);
            if (index < 0) continue;
            const Cell& cell = cells_[U(index)];
            load += cell.end - cell.begin;
            if (cell.extra >= 0) load += static_cast<std::int64_t>(extras_[U(cell.extra)].size());
            if (load > maxLoad) {
                out.clear();
                return false;
            }
            // The item is listed in every cell of its range; it is answered from the first
            // cell its range shares with the query's.
            const auto visit = [&](const Entry& e) {
                if (e.id <= after || !e.box.Meets(box)) return;
                if (cx != std::max<std::int64_t>(e.cx0, range.cx0) || cy != std::max<std::int64_t>(e.cy0, range.cy0))
                    return;
                out.push_back(e.id);
            };
            for (std::int32_t at = cell.begin; at < cell.end; ++at) visit(sorted_[U(at)]);
            if (cell.extra >= 0) {
                ascending = false;
                for (const Entry& e : extras_[U(cell.extra)]) visit(e);
            }
        }
    }
    for (const std::int32_t id : wide_)
        if (id > after && boxes_[U(id)].Meets(box)) out.push_back(id);
    // The sorted entries of one cell are in id order already (PlaceAll fills them so).
    if (!ascending) std::sort(out.begin(), out.end());
    return true;
}

}  // namespace wirvela
