#include "generators/Multiplication.h"

#include <gtest/gtest.h>

#include <vector>

#include "drawing/Drawing.h"

namespace wirvela {
namespace {

using F = MultiplicationField;

// A joined drawing built by hand: closed polygons (objects 0, 1, …), an entry vertex
// joined to the first polygon's first vertex, and a cut path entry line, first polygon
// around, entry line back (the other polygons stay off the path; only the grid copies
// look at them). Drawing units; the default scale is 40 units per millimetre.
class Joined {
public:
    Joined() { d.SelectFigure(TDrawing::kFigure1); }

    void Polygon(const std::vector<Point2d>& points) {
        const int obj = ++objects_;
        std::vector<int> ids;
        for (const Point2d& p : points) ids.push_back(d.V().AddVertex(p.x, p.y, 0, obj));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            LineRecord r;
            r.p = ids[i];
            r.k = ids[(i + 1) % ids.size()];
            r.obj = obj;
            r.kind = 1;
            d.L().AddLine(r);
        }
    }
    // Points along the bottom edge and one apex: a closed polygon of n vertices.
    void Comb(int n, double width = 1000, double height = 500) {
        std::vector<Point2d> p;
        for (int i = 0; i < n - 1; ++i) p.push_back({width * i / (n - 2), 0});
        p.push_back({0, height});
        Polygon(p);
    }
    // The entry vertex at `at`, joined to vertex `node`; the path runs around polygon 0.
    void Join(Point2d at, int node = 0) {
        const int contour = d.L().Count();
        const bool dedup = d.V().Deduplication();
        d.V().SetDeduplication(false);
        const int entry = d.V().AddVertex(at.x, at.y, 2, 10000, 1);
        d.V().SetDeduplication(dedup);
        LineRecord r;
        r.p = entry;
        r.k = node;
        r.obj = 10000;
        r.kind = 2;
        const int line = d.L().AddLineGetIndex(r).index;
        auto path = std::make_unique<TLineList>(contour + 2);
        path->Append(line, 1, 2);
        // Polygon 0's lines run from its vertex i to i + 1, starting at the node.
        int around = 0;
        while (around < contour && d.L()[around].obj == 0) ++around;
        for (int i = 0; i < around; ++i) path->Append((node + i) % around, 1, 2);
        path->Append(line, -1, 2);
        d.Set(TDrawing::kFigure1).cutPath = std::move(path);
        d.Oelems() = objects_;
        d.Set(TDrawing::kFigure1).oelems = objects_;
    }

    // Everything a refusal must leave as it was.
    std::vector<double> Snapshot() {
        std::vector<double> s{static_cast<double>(d.Oelems()), d.Settings().entryX, d.Settings().entryY};
        for (const VertexRecord& v : d.V().Records()) s.insert(s.end(), {v.x, v.y, double(v.obj), double(v.mark)});
        for (const LineRecord& l : d.L().Records()) s.insert(s.end(), {double(l.p), double(l.k), double(l.obj), double(l.kind)});
        if (const TLineList* path = d.CutPath()) {
            s.push_back(path->Capacity());
            for (int i = 0; i <= path->LastIndex(); ++i) s.insert(s.end(), {double((*path)[i].line), (*path)[i].dir});
        }
        return s;
    }

    TDrawing d;

private:
    int objects_ = -1;
};

MultiplicationTexts ByCount(const char* nx, const char* ny) {
    MultiplicationTexts t;
    t.columns = nx;
    t.rows = ny;
    return t;
}

MultiplicationTexts Multiwire(const char* copies, const char* offset = "1", const char* distance = "100") {
    MultiplicationTexts t = ByCount(copies, copies);
    t.multiwire = true;
    t.lineOffset = offset;
    t.wireDistance = distance;
    return t;
}

// Consecutive entries meet: the wire never jumps.
void ExpectNoGap(const TDrawing& d) {
    const TLineList& path = *d.Set(TDrawing::kFigure1).cutPath;
    ASSERT_GE(path.LastIndex(), 1);
    for (int i = 0; i < path.LastIndex(); ++i) {
        ASSERT_GE(path[i].line, 0);
        EXPECT_EQ(path.PathEnd(i, d.L()), path.PathStart(i + 1, d.L())) << "entries " << i << " and " << i + 1;
    }
}

TEST(Multiplication, GridCopiesAddTheirVerticesAsObjectsOneToFive) {
    Joined j;
    j.Comb(100, 980);
    j.Join({-40, -40});
    const int lines = j.d.L().Count() - 1;
    ASSERT_TRUE(Multiply(j.d, ByCount("3", "2"), MultiwireLayout::None).Ok());
    EXPECT_EQ(j.d.V().Count(), 600) << "the entry vertex goes, five copies of 100 come";
    EXPECT_EQ(j.d.L().Count(), 6 * lines);
    EXPECT_EQ(j.d.Oelems(), 5);
    EXPECT_EQ(j.d.Set(TDrawing::kFigure1).oelems, 5);
    EXPECT_TRUE(j.d.Settings().dedup) << "de-duplication is on again";
    const double px = 980 + 40;  // width + 1 mm
    const double py = 500 + 40;
    for (int copy = 0; copy < 6; ++copy) {
        const int i = copy / 2;
        const int jj = copy % 2;
        const VertexRecord& v = j.d.V()[copy * 100 + 5];
        EXPECT_EQ(v.obj, copy);
        EXPECT_DOUBLE_EQ(v.x, j.d.V()[5].x + px * i);
        EXPECT_DOUBLE_EQ(v.y, j.d.V()[5].y + py * jj);
        const LineRecord& l = j.d.L()[copy * lines + 3];
        EXPECT_EQ(l.p, j.d.L()[3].p + copy * 100);
        EXPECT_EQ(l.obj, copy);
        EXPECT_EQ(l.kind, 1);
    }
}

TEST(Multiplication, MaterialSizeGivesTheCountsThatFit) {
    Joined j;
    j.Polygon({{0, 0}, {12000, 0}, {12000, 8000}, {0, 8000}});  // 300 × 200 mm
    j.Join({0, 0});
    MultiplicationTexts t;
    t.byCount = false;
    t.width = "1000";
    t.height = "500";
    MultiplicationPlan plan;
    ASSERT_TRUE(PlanMultiplication(j.d, t, MultiwireLayout::None, &plan).Ok());
    EXPECT_EQ(plan.nx, 3);
    EXPECT_EQ(plan.ny, 2);
    EXPECT_EQ(plan.px, 12040);
}

TEST(Multiplication, TheCopiedVertexLimitLiesAt32001) {
    for (const int n : {10666, 10667}) {
        Joined j;
        j.Comb(n, 40000);
        j.Join({-40, -40});
        const std::vector<double> before = j.Snapshot();
        const MultiplicationResult r = Multiply(j.d, ByCount("3", "1"), MultiwireLayout::None);
        if (n == 10666) {
            EXPECT_TRUE(r.Ok());
            EXPECT_EQ(j.d.V().Count(), 3 * n);
        } else {
            EXPECT_EQ(r.message, 197);
            EXPECT_EQ(j.Snapshot(), before);
        }
    }
}

TEST(Multiplication, ColumnLayoutWithTheEntryNodeAtTheTopStartsAtTheNode) {
    Joined j;
    j.Polygon({{0, 4000}, {0, 0}, {2000, 0}, {2000, 4000}});  // 50 × 100 mm, vertex 0 at maxY
    j.Join({-40, 4100}, 0);
    const int before = j.d.L().Count() - 1;
    ASSERT_TRUE(Multiply(j.d, Multiwire("2"), MultiwireLayout::Column).Ok());
    const TLineList& path = *j.d.CutPath();
    const LineRecord first = path.GetPathLine(0, j.d.L()).line;
    EXPECT_EQ(first.p, 4) << "P0 is the first new vertex";
    EXPECT_EQ(first.k, 0) << "P1 coincides with P0: the path goes straight to the entry node";
    EXPECT_EQ(j.d.V()[4].x, -40);
    EXPECT_EQ(j.d.V()[4].y, 4000);
    EXPECT_EQ(j.d.Settings().entryX, -1.0) << "the entry point is P0 in mm";
    EXPECT_EQ(j.d.Settings().entryY, 100.0);
    // Block 0: contour, P1→e, P1→P2; block 1 the same and the line from block 0's exit.
    EXPECT_EQ(j.d.L().Count(), 2 * (before + 2) + 1);
    EXPECT_EQ(j.d.V()[6 + 4].y, 4000 - (4000 + 40)) << "the copy lies one pitch down";
    ExpectNoGap(j.d);
}

TEST(Multiplication, RowLayoutRunsFromP0ThroughEveryCopyToTheLineLength) {
    Joined j;
    j.Polygon({{0, 0}, {2000, 0}, {2000, 1000}, {1000, 1000}, {0, 1000}});  // 50 × 25 mm
    j.Join({1000, 1200}, 3);
    MultiplicationTexts t = Multiwire("3");
    t.lineLength = "300";
    ASSERT_TRUE(Multiply(j.d, t, MultiwireLayout::Row).Ok());
    ExpectNoGap(j.d);
    const TLineList& path = *j.d.CutPath();
    const TVert& v = j.d.V();
    const int start = path.PathStart(0, j.d.L());
    EXPECT_EQ(v[start].x, 0);
    EXPECT_EQ(v[start].y, 1040) << "spine on top, 1 mm above";
    EXPECT_EQ(v[path.PathEnd(path.LastIndex(), j.d.L())].x, 300 * 40) << "the exit runs to the line length";
    // Every contour line of every copy runs once.
    std::vector<int> runs(static_cast<std::size_t>(j.d.L().Count()), 0);
    for (int i = 0; i <= path.LastIndex(); ++i) ++runs[static_cast<std::size_t>(path[i].line)];
    for (int i = 0; i < j.d.L().Count(); ++i) {
        if (j.d.L()[i].kind == 1) {
            EXPECT_EQ(runs[static_cast<std::size_t>(i)], 1) << "line " << i;
        }
    }
    EXPECT_EQ(j.d.Oelems(), 2) << "objects 0, 1, 2";
}

TEST(Multiplication, TooWideForTheWiresAndTooLongForTheLineAreRefused) {
    Joined j;
    j.Polygon({{0, 0}, {6000, 0}, {6000, 1000}, {0, 1000}});  // 150 × 25 mm
    j.Join({0, 0});
    const std::vector<double> before = j.Snapshot();
    EXPECT_EQ(Multiply(j.d, Multiwire("2"), MultiwireLayout::Column).message, 500);
    EXPECT_EQ(j.Snapshot(), before);
    MultiplicationTexts t = Multiwire("3");
    t.lineLength = "400";
    const MultiplicationResult r = Multiply(j.d, t, MultiwireLayout::Row);
    EXPECT_EQ(r.message, 501);
    EXPECT_DOUBLE_EQ(r.argument, 3 * 151 - 1) << "three pitches of 151 mm less one gap";
    EXPECT_EQ(j.Snapshot(), before);
    EXPECT_EQ(Multiply(j.d, t, MultiwireLayout::Row).message, 501) << "the row layout's first pass refuses too";
}

struct BadField {
    const char* what;
    MultiwireLayout layout;
    MultiplicationTexts texts;
    int message;
    F field;
};

MultiplicationTexts With(MultiplicationTexts t, std::string MultiplicationTexts::*field, const char* value) {
    t.*field = value;
    return t;
}

MultiplicationTexts BySize() {
    MultiplicationTexts t;
    t.byCount = false;
    return t;
}

std::vector<BadField> BadFields() {
    using T = MultiplicationTexts;
    const auto grid = MultiwireLayout::None;
    const auto row = MultiwireLayout::Row;
    std::vector<BadField> cases;
    for (const char* v : {"abc", "-2", "0", "1e300", ""}) {
        cases.push_back({"columns", grid, With(T{}, &T::columns, v), 611, F::Columns});
        cases.push_back({"rows", grid, With(T{}, &T::rows, v), 611, F::Rows});
        cases.push_back({"width", grid, With(BySize(), &T::width, v), 612, F::Width});
        cases.push_back({"height", grid, With(BySize(), &T::height, v), 612, F::Height});
        cases.push_back({"offset", row, With(Multiwire("2"), &T::lineOffset, v), 612, F::LineOffset});
        cases.push_back({"wire distance", row, With(Multiwire("2"), &T::wireDistance, v), 612, F::WireDistance});
    }
    for (const char* v : {"abc", "-2", "1e300", "inf"}) {
        cases.push_back({"gap x", grid, With(T{}, &T::gapX, v), 612, F::GapX});
        cases.push_back({"gap y", grid, With(T{}, &T::gapY, v), 612, F::GapY});
        cases.push_back({"line length", row, With(Multiwire("2"), &T::lineLength, v), 612, F::LineLength});
    }
    // Lengths that read but leave no room: a material smaller than one copy.
    cases.push_back({"small material", grid, With(BySize(), &T::width, "10"), 613, F::None});
    return cases;
}

TEST(Multiplication, EveryUnusableFieldIsNamedAndChangesNothing) {
    for (const BadField& c : BadFields()) {
        SCOPED_TRACE(std::string(c.what) + " = \"" + c.texts.columns + "|" + c.texts.width + "|" + c.texts.gapX + "\"");
        Joined j;
        j.Polygon({{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}});
        j.Join({0, -40});
        const std::vector<double> before = j.Snapshot();
        const MultiplicationResult r = Multiply(j.d, c.texts, c.layout);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.field, c.field);
        EXPECT_EQ(j.Snapshot(), before);
    }
}

TEST(Multiplication, ADrawingWithoutLinesOrCutPathIsNotCopied) {
    Joined empty;
    empty.d.V().AddVertex(0, 0);
    empty.Join({-40, -40}, 0);
    EXPECT_EQ(Multiply(empty.d, MultiplicationTexts{}, MultiwireLayout::None).message, 614);

    Joined unjoined;
    unjoined.Polygon({{0, 0}, {100, 0}, {100, 100}});
    EXPECT_EQ(Multiply(unjoined.d, MultiplicationTexts{}, MultiwireLayout::None).message, 614);

    // A zero-width drawing has no horizontal pitch without a gap.
    Joined flat;
    flat.Polygon({{0, 0}, {0, 100}, {0, 200}});
    flat.Join({0, -40});
    EXPECT_EQ(Multiply(flat.d, With(MultiplicationTexts{}, &MultiplicationTexts::gapX, "0"), MultiwireLayout::None)
                  .message,
              613);
}

TEST(Multiplication, TheLayoutComesFromTheMultiwireSetting) {
    EXPECT_EQ(MultiwireLayoutFromSetting("V"), MultiwireLayout::Row);
    EXPECT_EQ(MultiwireLayoutFromSetting("v"), MultiwireLayout::Row);
    EXPECT_EQ(MultiwireLayoutFromSetting("h"), MultiwireLayout::Column);
    EXPECT_EQ(MultiwireLayoutFromSetting("N"), MultiwireLayout::None);
    EXPECT_EQ(MultiwireLayoutFromSetting("VH"), MultiwireLayout::None);
}

}  // namespace
}  // namespace wirvela
