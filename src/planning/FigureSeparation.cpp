#include "planning/FigureSeparation.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "config/MessageLog.h"
#include "config/Messages.h"

namespace wirvela {

namespace {

constexpr std::uint8_t kFaultyNode = 16;
constexpr std::uint8_t kSegmentVertex = 1;

void Log(const SeparationEnv& env, const std::string& line) {
    if (env.log != nullptr) env.log->Log(line);
}

void LogCount(const SeparationEnv& env, const char* name, long long value) {
    Log(env, std::string(name) + std::to_string(value));
}

void Status(const SeparationEnv& env, int key) {
    if (env.status && env.messages != nullptr) env.status(env.messages->MessageText(key));
}

// Pen of the lines that go into set s.
constexpr std::array<int, 3> kPenOfSet = {5, 3, 4};

// Scratch copy of a line table with its vertices (the sets are cleared while they are
// filled from it).
struct Scratch {
    Scratch() : V(std::make_unique<TVert>(0.0, true)), L(std::make_unique<TLines>(*V, true)) {}
    std::unique_ptr<TVert> V;
    std::unique_ptr<TLines> L;
};

void CopyLines(const TLines& from, Scratch& to) {
    const TVert& v = from.Vertices();
    for (const LineRecord& l : from.Records()) {
        LineRecord copy = l;
        copy.p = to.V->AddVertex(v[l.p]);
        copy.k = to.V->AddVertex(v[l.k]);
        to.L->AddLine(copy);
    }
}

// Fills set s with the scratch lines of its pen and renumbers their objects.
void FillSet(TDrawing& drawing, int s, const Scratch& scratch, int objectCount, const SeparationEnv& env) {
    drawing.SelectFigure(s);
    TDrawingSet& set = drawing.Set(s);
    set.ClearTables();
    std::vector<char> used(static_cast<std::size_t>(objectCount), 0);
    // Copies keep their coordinates: snapping them again could move them by a grid step.
    const double grid = set.V.SnapGrid();
    set.V.SetSnapGrid(0.0);
    for (const LineRecord& l : scratch.L->Records()) {
        if (l.pen != kPenOfSet[static_cast<std::size_t>(s)]) continue;
        VertexRecord a = (*scratch.V)[l.p];
        VertexRecord b = (*scratch.V)[l.k];
        if (s == TDrawing::kSegments) a.mark = b.mark = kSegmentVertex;
        LineRecord copy = l;
        copy.p = set.V.AddVertex(a);
        copy.k = set.V.AddVertex(b);
        set.L.AddLine(copy);
        if (l.obj >= 0 && l.obj < objectCount) used[static_cast<std::size_t>(l.obj)] = 1;
    }
    set.V.SetSnapGrid(grid);

    std::vector<int> renumbered(used.size(), 0);
    int next = 0;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i]) renumbered[i] = next++;
        LogCount(env, "*(Oelems + i) ", renumbered[i]);
    }
    set.oelems = next - 1;
    if (s != TDrawing::kSegments) set.cutPath.reset();

    for (int k = 0; k < set.L.Count(); ++k) {
        const LineRecord& l = set.L[k];
        if (l.obj < 0 || l.obj >= objectCount) continue;
        const int obj = renumbered[static_cast<std::size_t>(l.obj)];
        set.L.Edit(k).obj = obj;
        set.V.Edit(l.p).obj = obj;
        set.V.Edit(l.k).obj = obj;
        LogCount(env, "L->data[k].obj ", obj);
    }
}

}  // namespace

int SeparateObj(TDrawing& drawing, const SeparationEnv& env) {
    Status(env, 304);
    Scratch scratch;
    CopyLines(drawing.L(), scratch);
    LogCount(env, "L->elems ", drawing.L().Count());
    LogCount(env, "V->elems ", drawing.V().Count());
    LogCount(env, "Lsep->elems ", scratch.L->Count());
    LogCount(env, "Vsep->elems ", scratch.V->Count());
    LogCount(env, "Oelems  ", drawing.Oelems());
    LogCount(env, "Oelems1 ", drawing.Oelems1());
    LogCount(env, "Oelems2 ", drawing.Oelems2());
    LogCount(env, "OelemsS ", drawing.OelemsS());

    const long long n = static_cast<long long>(drawing.Oelems()) + 1;
    if (n <= 0) {
        Log(env, "Oelems < 0, nie mozna bylo rozdzielic obiektow.");
        Log(env, "------SeparateObj");
        return 1;
    }
    // Object numbers above the highest one a line uses are unused anyway; the renumbering
    // table stops there, so a file of countless empty objects costs nothing.
    int highest = -1;
    for (const LineRecord& l : scratch.L->Records()) highest = std::max(highest, l.obj);
    const int objectCount = static_cast<int>(std::min<long long>(n, static_cast<long long>(highest) + 1));

    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) FillSet(drawing, s, scratch, objectCount, env);

    Log(env, "Po rozdzieleniu objektow:");
    static constexpr std::array<const char*, 3> kOelemsName = {"OelemsSeg ", "Oelems1 ", "Oelems2 "};
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        drawing.SelectFigure(s);
        Log(env, "SelectFigure(" + std::to_string(s) + ")");
        LogCount(env, "L->elems ", drawing.L().Count());
        LogCount(env, "V->elems ", drawing.V().Count());
        LogCount(env, kOelemsName[static_cast<std::size_t>(s)], drawing.Set(s).oelems);
    }
    drawing.SelectFigure(TDrawing::kFigure1);
    Log(env, "------SeparateObj");
    return 0;
}

void MarkSegNodesWithFigures(TDrawing& drawing, const SeparationEnv& env) {
    Status(env, 306);
    Log(env, "+++++MarkSegNodesWithFigures");
    drawing.SelectFigure(TDrawing::kFigure1);
    const TVert& figure1 = drawing.Set(TDrawing::kFigure1).V;
    TDrawingSet& seg = drawing.Set(TDrawing::kSegments);
    for (const LineRecord& l : seg.L.Records()) {
        const VertexRecord& a = seg.V[l.p];
        const bool startOnFigure1 = figure1.FindVertex(a.x, a.y) >= 0;
        seg.V.Edit(l.p).obj = startOnFigure1 ? 1 : 2;
        seg.V.Edit(l.k).obj = startOnFigure1 ? 2 : 1;
        Log(env, std::string(startOnFigure1 ? "figure1" : "figure2") + ", Lnp: " + std::to_string(l.p) +
                     " Lnk: " + std::to_string(l.k));
    }
    Log(env, "-----MarkSegNodesWithFigures");
}

int CheckSegNodesConneCtion(TDrawing& drawing, const SeparationEnv& env) {
    Status(env, 311);
    Log(env, "+++++CheckSegNodesConneCtion");
    TDrawingSet& seg = drawing.Set(TDrawing::kSegments);
    const int lines = seg.L.Count();
    // The first two lines (in line order) that end at each vertex: the first line other
    // than j at a vertex of line j is one of them. Keeps the check linear.
    constexpr int kNone = -1;
    std::vector<std::array<int, 2>> atVertex(static_cast<std::size_t>(seg.V.Count()), {kNone, kNone});
    auto note = [&](int v, int j) {
        if (v < 0 || v >= seg.V.Count()) return;
        auto& first = atVertex[static_cast<std::size_t>(v)];
        if (first[0] == j || first[1] == j) return;
        if (first[0] == kNone) {
            first[0] = j;
        } else if (first[1] == kNone) {
            first[1] = j;
        }
    };
    for (int j = 0; j < lines; ++j) {
        note(seg.L[j].p, j);
        note(seg.L[j].k, j);
    }
    auto firstOther = [&](int v, int j) {
        if (v < 0 || v >= seg.V.Count()) return kNone;
        const auto& first = atVertex[static_cast<std::size_t>(v)];
        return first[0] != j ? first[0] : first[1];
    };

    int repetitions = 0;
    for (int j = 0; j < lines; ++j) {
        const int a = seg.L[j].p;
        const int b = seg.L[j].k;
        bool repeated = a == b;
        const int fa = firstOther(a, j);
        const int fb = firstOther(b, j);
        if (fa != kNone && (fb == kNone || fa <= fb)) {
            seg.V.Edit(a).mark = kFaultyNode;
            repeated = true;
        } else if (fb != kNone) {
            seg.V.Edit(b).mark = kFaultyNode;
            repeated = true;
        }
        if (repeated) ++repetitions;
    }
    if (repetitions > 0) Log(env, "Znaleziono " + std::to_string(repetitions) + " powtorzen");
    Log(env, "-----CheckSegNodesConneCtion");
    return repetitions;
}

int CheckSegNodeLinks(TDrawing& drawing, const SeparationEnv& env) {
    Status(env, 307);
    TDrawingSet& seg = drawing.Set(TDrawing::kSegments);
    int unmatched = 0;
    for (const LineRecord& l : seg.L.Records()) {
        for (const int e : {l.p, l.k}) {
            const VertexRecord& end = seg.V[e];
            if (end.obj != TDrawing::kFigure1 && end.obj != TDrawing::kFigure2) continue;
            TVert& figure = drawing.Set(end.obj).V;
            const int node = figure.FindVertex(end.x, end.y);
            if (node >= 0) {
                figure.Edit(node).segLink = l.obj;
            } else {
                seg.V.Edit(e).mark = kFaultyNode;
                ++unmatched;
            }
        }
    }
    drawing.SelectFigure(TDrawing::kFigure1);
    if (unmatched > 0) Log(env, "Nie polaczono " + std::to_string(unmatched) + " wezlow");
    return unmatched;
}

FigureSeparationSteps FigureSeparationFor(TDrawing& drawing, SeparationEnv env) {
    auto shared = std::make_shared<const SeparationEnv>(std::move(env));
    FigureSeparationSteps steps;
    steps.separateObj = [&drawing, shared] { return SeparateObj(drawing, *shared); };
    steps.checkSegNodesConnection = [&drawing, shared] { return CheckSegNodesConneCtion(drawing, *shared); };
    steps.markSegNodesWithFigures = [&drawing, shared] { MarkSegNodesWithFigures(drawing, *shared); };
    steps.checkSegNodeLinks = [&drawing, shared] { return CheckSegNodeLinks(drawing, *shared); };
    return steps;
}

int CountFaultySegmentNodes(const TDrawing& drawing) {
    const TVert& v = drawing.Set(TDrawing::kSegments).V;
    return static_cast<int>(std::count_if(v.Records().begin(), v.Records().end(),
                                          [](const VertexRecord& r) { return r.mark == kFaultyNode; }));
}

}  // namespace wirvela
