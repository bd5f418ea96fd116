#include "generators/Multiplication.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "config/NumberText.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

// C0 × copies from here on is refused (message 197).
constexpr double kCopiedVertexLimit = 32001.0;
// More copies than that limit allows for the smallest drawing (one line, two vertices)
// can only be a slip of the keyboard.
constexpr long kMaxCopies = 16000;
// The spine adds at most three vertices and four lines to block 0.
constexpr int kSpineVertices = 3;
constexpr int kSpineLines = 4;
// Room the multi-wire path is given per copy beyond block 0's entries.
constexpr int kPathRoomPerCopy = 10;

MultiplicationResult Refuse(int message, MultiplicationField field = MultiplicationField::None,
                            std::string text = {}) {
    MultiplicationResult r;
    r.message = message;
    r.field = field;
    r.text = std::move(text);
    return r;
}

// The fields as numbers; every length in drawing units. A refusal leaves `refusal` set.
class FieldReader {
public:
    FieldReader(const MultiplicationTexts& t, double scale) : t_(t), scale_(scale) {}

    // A count: a whole number from 1 to kMaxCopies ("3.0" is three, "1e3" is not a count).
    long Count(const std::string& text, MultiplicationField field) {
        const long n = IntegerPrefix(text);
        const bool usable = IsDecimalNumber(text) && DecimalPrefixWithCommas(text) == static_cast<double>(n) &&
                            n >= 1 && n <= kMaxCopies;
        if (!usable) Fail(kMultiplyBadCount, field, text);
        return usable ? n : 0;
    }

    // A length in millimetres, as drawing units. `positive`: 0 is refused as well.
    double Length(const std::string& text, MultiplicationField field, bool positive) {
        const double mm = DecimalPrefixWithCommas(text);
        const double units = mm / scale_;
        const bool usable = IsDecimalNumber(text) && std::isfinite(units) && std::fabs(mm) <= kMultiplyMaxLengthMm &&
                            (positive ? mm > 0.0 : mm >= 0.0);
        if (!usable) Fail(kMultiplyBadLength, field, text);
        return usable ? units : 0.0;
    }

    const MultiplicationTexts& Texts() const { return t_; }
    double Scale() const { return scale_; }
    MultiplicationResult refusal;

private:
    void Fail(int message, MultiplicationField field, const std::string& text) {
        if (refusal.Ok()) refusal = Refuse(message, field, text);
    }

    const MultiplicationTexts& t_;
    double scale_;
};

// A joined single-figure drawing: at least one line besides the entry line, which runs
// from the last vertex (the entry vertex) into the drawing; multi-wire cutting also needs
// the cut path to start and end on the entry line.
bool Joined(const TDrawing& d, bool multiwire) {
    if (d.Figure() == TDrawing::kSegments || d.Set(TDrawing::kSegments).V.Count() > 0) return false;
    const TLines& l = d.L();
    const TVert& v = d.V();
    const TDrawingSet& set = d.Set(d.Figure());
    if (l.Count() < 2 || v.Count() < 2 || !set.cutPath) return false;
    const int entry = l.Count() - 1;
    if (l[entry].p != v.Count() - 1 || l[entry].k < 0 || l[entry].k >= v.Count() - 1) return false;
    if (!multiwire) return true;
    const TLineList& path = *set.cutPath;
    return path.LastIndex() >= 1 && path[0].line == entry && path[path.LastIndex()].line == entry;
}

Point2d Snapped(const TDrawing& d, Point2d p) {
    const double grid = d.V().SnapGrid();
    return {SnapToGrid(p.x, grid), SnapToGrid(p.y, grid)};
}

struct Spine {
    Point2d p0, p1, p2;
    Point2d a;  // along the spine
};

// The spine points as they will be stored (snapped onto the grid), so that the rule
// "P1 only where it differs from P0 along the spine" looks at the vertices themselves.
Spine SpineOf(const TDrawing& d, const MultiplicationPlan& p) {
    const DrawingBox& b = p.box;
    const Point2d e = d.V()[p.entryNode];
    Spine s;
    if (p.layout == MultiwireLayout::Column) {
        const double x = b.minX - p.offset;
        s = {{x, b.maxY}, {x, e.y}, {x, b.minY}, {0.0, -1.0}};
    } else {
        const double y = p.spineOnTop ? b.maxY + p.offset : b.minY - p.offset;
        s = {{b.minX, y}, {e.x, y}, {b.maxX, y}, {1.0, 0.0}};
    }
    s.p0 = Snapped(d, s.p0);
    s.p1 = Snapped(d, s.p1);
    s.p2 = Snapped(d, s.p2);
    return s;
}

double Along(Point2d a, Point2d from, Point2d to) {
    return a.x * (from.x - to.x) + a.y * (from.y - to.y);
}

MultiplicationResult ReadFields(FieldReader& f, MultiwireLayout layout, MultiplicationPlan& p) {
    const MultiplicationTexts& t = f.Texts();
    using F = MultiplicationField;
    // Multi-wire cutting lays the copies out in one line; the other direction's fields
    // are disabled in the dialog and count as one copy, whatever they hold.
    const bool useX = !p.multiwire || layout == MultiwireLayout::Row;
    const bool useY = !p.multiwire || layout == MultiwireLayout::Column;
    double w = 0.0;
    double h = 0.0;
    if (t.byCount) {
        p.nx = useX ? f.Count(t.columns, F::Columns) : 1;
        p.ny = useY ? f.Count(t.rows, F::Rows) : 1;
    } else {
        if (useX) w = f.Length(t.width, F::Width, true);
        if (useY) h = f.Length(t.height, F::Height, true);
    }
    const double gx = useX ? f.Length(t.gapX, F::GapX, false) : 0.0;
    const double gy = useY ? f.Length(t.gapY, F::GapY, false) : 0.0;
    double distance = 0.0;
    if (p.multiwire) {
        p.offset = f.Length(t.lineOffset, F::LineOffset, true);
        distance = f.Length(t.wireDistance, F::WireDistance, true);
        if (layout == MultiwireLayout::Row) p.lineLength = f.Length(t.lineLength, F::LineLength, false);
    }
    if (!f.refusal.Ok()) return f.refusal;

    const DrawingBox& b = p.box;
    if (p.multiwire) {
        const double across = layout == MultiwireLayout::Column ? b.Width() : b.Height();
        if (across + p.offset > distance) return Refuse(kMultiplyWiderThanWires);
    }
    p.px = std::trunc(b.Width() + gx);
    p.py = std::trunc(b.Height() + gy);
    if ((useX && p.px <= 0.0) || (useY && p.py <= 0.0)) return Refuse(kMultiplyNoLayout);
    if (!t.byCount) {
        p.nx = useX ? static_cast<long>(std::trunc((w + gx) / p.px)) : 1;
        p.ny = useY ? static_cast<long>(std::trunc((h + gy) / p.py)) : 1;
        if (p.nx < 1 || p.ny < 1) return Refuse(kMultiplyNoLayout);
    }
    if (p.multiwire && layout == MultiwireLayout::Row && p.lineLength != 0.0) {
        const double row = static_cast<double>(p.nx) * p.px - gx;
        if (row > p.lineLength) {
            MultiplicationResult r = Refuse(kMultiplyRowTooLong);
            r.argument = row * f.Scale();
            return r;
        }
    }
    return {};
}

// The copies must fit the tables: the program's own limit on the copied vertices, then
// what the vertex and line tables can hold at all.
bool CopiesFit(const TDrawing& d, const MultiplicationPlan& p) {
    const double c0 = d.V().Count() - 1;
    const double l0 = d.L().Count() - 1;
    const double copies = p.multiwire ? static_cast<double>(p.Copies()) : static_cast<double>(p.nx) * p.ny;
    if (c0 * copies >= kCopiedVertexLimit) return false;
    const double vertices = p.multiwire ? (c0 + kSpineVertices) * copies : c0 * copies;
    const double lines = p.multiwire ? (l0 + kSpineLines + 1) * copies : l0 * copies;
    return vertices <= TVert::kAddLimit + 1 && lines <= TLines::kAddLimit + 1;
}

}  // namespace

MultiwireLayout MultiwireLayoutFromSetting(std::string_view setting) {
    if (setting == "V" || setting == "v") return MultiwireLayout::Row;
    if (setting == "H" || setting == "h") return MultiwireLayout::Column;
    return MultiwireLayout::None;
}

MultiplicationResult PlanMultiplication(const TDrawing& d, const MultiplicationTexts& fields, MultiwireLayout layout,
                                        MultiplicationPlan* out) {
    MultiplicationPlan p;
    p.multiwire = fields.multiwire && layout != MultiwireLayout::None;
    p.layout = layout;
    p.spineOnTop = fields.spineOnTop;
    if (!Joined(d, p.multiwire)) return Refuse(kMultiplyNothingToCopy);
    p.box = BoxWithoutEntryLine(d.L(), BoxRounding::TruncateToward0);
    if (p.box.Empty()) return Refuse(kMultiplyNothingToCopy);
    p.entryNode = d.L()[d.L().Count() - 1].k;

    FieldReader reader(fields, d.Settings().scale);
    if (MultiplicationResult r = ReadFields(reader, layout, p); !r.Ok()) return r;
    if (!CopiesFit(d, p)) return Refuse(kMultiplyTooManyCopies);
    if (p.multiwire) {
        const Spine s = SpineOf(d, p);
        // An offset below the snap grid would put the lead line's bend onto the entry node.
        const Point2d e = d.V()[p.entryNode];
        if (s.p1.x == e.x && s.p1.y == e.y) return Refuse(kMultiplyBadLength, MultiplicationField::LineOffset,
                                                          fields.lineOffset);
        p.p0 = s.p0;
    }
    if (out != nullptr) *out = p;
    return {};
}

namespace {

// The last object number of the current set, written to the set as well.
void SetObjects(TDrawing& d, int oelems) {
    d.Oelems() = oelems;
    d.Set(d.Figure()).oelems = oelems;
}

// Copies of one vertex or line keep every field but the ones a copy changes, so a copy
// made with the record itself keeps what later passes carry along (pen, spare words).
void GridCopies(TDrawing& d, const MultiplicationPlan& p) {
    TLines& l = d.L();
    TVert& v = d.V();
    // The whole source drawing, its former connecting lines included, becomes object 0.
    for (int i = 0; i < l.Count(); ++i) {
        const LineFields f = l.Edit(i);
        f.obj = 0;
        f.kind = 1;
        v.Edit(l[i].p).obj = 0;
        v.Edit(l[i].k).obj = 0;
    }
    const int c0 = v.Count();
    const int l0 = l.Count();
    int objects = 0;
    for (long i = 0; i < p.nx; ++i) {
        for (long j = 0; j < p.ny; ++j) {
            if (i == 0 && j == 0) continue;
            const int n = ++objects;
            const double dx = p.px * static_cast<double>(i);
            const double dy = p.py * static_cast<double>(j);
            for (int q = 0; q < c0; ++q) {
                VertexRecord r = v[q];
                r.x += dx;
                r.y += dy;
                r.obj = n;
                v.AddVertex(r);
            }
            const int shift = static_cast<int>(i * p.ny + j) * c0;
            for (int q = 0; q < l0; ++q) {
                LineRecord r = l[q];
                r.p += shift;
                r.k += shift;
                r.obj = n;
                r.kind = 1;
                l.AddLine(r);
            }
        }
    }
    SetObjects(d, objects);
}

// A connecting line of the spine (kind 2, object 0) and its index.
int SpineLine(TLines& l, int from, int to) {
    LineRecord r;
    r.p = from;
    r.k = to;
    r.kind = 2;
    r.obj = 0;
    return l.AddLineGetIndex(r).index;
}

LineListEntry PathEntry(int line, double dir) {
    LineListEntry e;
    e.line = line;
    e.dir = dir;
    e.kind = 2;
    return e;
}

// A path that can take `capacity` entries, keeping the entries it had.
void EnlargePath(TDrawingSet& set, int capacity) {
    const TLineList& old = *set.cutPath;
    if (old.Capacity() >= capacity) return;
    auto larger = std::make_unique<TLineList>(capacity);
    for (int i = 0; i <= old.LastIndex(); ++i) larger->SetEntry(i, old[i]);
    set.cutPath = std::move(larger);
}

// Block 0's path: P0, P1, e, its contour back to e, P1, P2. Returns the index of P0.
int SpineOfBlock0(TDrawing& d, const MultiplicationPlan& p) {
    TLines& l = d.L();
    TVert& v = d.V();
    TLineList& path = *d.CutPath();
    const Spine s = SpineOf(d, p);
    const int e = p.entryNode;
    const int i0 = v.AddVertex(s.p0.x, s.p0.y);
    const int i1 = Along(s.a, s.p0, s.p1) != 0.0 ? v.AddVertex(s.p1.x, s.p1.y) : i0;
    const int i2 = Along(s.a, s.p1, s.p2) != 0.0 ? v.AddVertex(s.p2.x, s.p2.y) : i1;

    path.RemoveAt(0);
    path.RemoveLast();
    int front = 0;
    if (i1 != i0) path.InsertAt(front++, PathEntry(SpineLine(l, i0, i1), 1.0));
    const int toEntry = SpineLine(l, i1, e);
    path.InsertAt(front, PathEntry(toEntry, 1.0));
    path.Append(toEntry, -1.0, 2);
    if (i2 != i1) path.Append(SpineLine(l, i1, i2), 1.0, 2);
    return i0;
}

void MultiwireCopies(TDrawing& d, const MultiplicationPlan& p) {
    TLines& l = d.L();
    TVert& v = d.V();
    TLineList& path = *d.CutPath();
    const int p0 = SpineOfBlock0(d, p);
    d.SetEntryOffset(p.p0.x * d.Settings().scale, p.p0.y * d.Settings().scale);

    const int c = v.Count();
    const int lc = l.Count();
    const int np = path.Length();
    const int s = d.Oelems() + 1;
    int objects = d.Oelems();
    const long k = p.Copies();
    for (int copy = 1; copy < k; ++copy) {
        const double dx = p.layout == MultiwireLayout::Row ? p.px * copy : 0.0;
        const double dy = p.layout == MultiwireLayout::Column ? -p.py * copy : 0.0;
        for (int q = 0; q < c; ++q) {
            VertexRecord r = v[q];
            r.x += dx;
            r.y += dy;
            r.obj += s * copy;
            objects = copy == 1 && q == 0 ? r.obj : std::max(objects, r.obj);
            v.AddVertex(r);
        }
        const int linesBefore = l.Count();
        for (int q = 0; q < lc; ++q) {
            LineRecord r = l[q];
            r.p += c * copy;
            r.k += c * copy;
            r.obj += s * copy;
            l.AddLine(r);
        }
        path.Append(SpineLine(l, c * copy - 1, c * copy + p0), 1.0, 2);
        for (int i = 0; i < np; ++i) path.Append(path[i].line + linesBefore, path[i].dir, path[i].kind);
    }
    if (p.layout == MultiwireLayout::Row && p.lineLength != 0.0) {
        const int end = path.PathEnd(path.LastIndex(), l);
        v.SetPosition(end, p.box.minX + p.lineLength, v[end].y);
    }
    SetObjects(d, objects);
}

// Removes the entry line and the entry vertex of the last joining.
void RemoveEntry(TDrawing& d) {
    d.L().Truncate(d.L().Count() - 1);
    d.V().Truncate(d.V().Count() - 1);
}

}  // namespace

MultiplicationResult RemoveEntryForRowLayout(TDrawing& d, const MultiplicationTexts& fields, MultiwireLayout layout,
                                             Point2d* entryMm) {
    MultiplicationPlan p;
    const MultiplicationResult r = PlanMultiplication(d, fields, layout, &p);
    if (!r.Ok()) return r;
    RemoveEntry(d);
    if (entryMm != nullptr) *entryMm = {p.p0.x * d.Settings().scale, p.p0.y * d.Settings().scale};
    return r;
}

MultiplicationResult Multiply(TDrawing& d, const MultiplicationTexts& fields, MultiwireLayout layout) {
    MultiplicationPlan p;
    const MultiplicationResult r = PlanMultiplication(d, fields, layout, &p);
    if (!r.Ok()) return r;
    TDrawingSet& set = d.Set(d.Figure());
    if (p.multiwire) EnlargePath(set, (set.cutPath->Length() + kPathRoomPerCopy) * static_cast<int>(p.Copies()));
    RemoveEntry(d);
    const bool dedup = d.Settings().dedup;
    d.SetDeduplication(false);
    if (p.multiwire) {
        MultiwireCopies(d, p);
    } else {
        GridCopies(d, p);
    }
    d.SetDeduplication(dedup);
    return r;
}

}  // namespace wirvela
