#include "planning/FigurePlanner.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "planning/FastJoin.h"
#include "planning/FastPlanarise.h"
#include "planning/JunctionSplitting.h"
#include "planning/ObjectConnection.h"
#include "planning/PathSearch.h"
#include "planning/Predicates.h"
#include "platform/Clock.h"

namespace wirvela {

namespace {

constexpr std::int32_t kEntryObject = 10000;

std::string Seconds(std::uint64_t milliseconds) {
    return NumberToText(static_cast<double>(milliseconds) * 0.001);
}

// One planning run over the figures of a drawing.
class FigureRun {
public:
    FigureRun(TDrawing& drawing, const PlanSettings& settings, PlanSink& sink, std::stop_token stop)
        : d_(drawing), s_(settings), sink_(sink), stop_(std::move(stop)), timingPoint_(settings.timingPoint) {}

    PlanOutcome Execute() {
        std::optional<PlanOutcome::End> end;
        while (!end) end = Figure();
        out_.end = *end;
        return out_;
    }

private:
    // The figure is planned and figure 2 comes next.
    static constexpr std::optional<PlanOutcome::End> kNextFigure = std::nullopt;

    // One figure: the end of the run, or kNextFigure.
    std::optional<PlanOutcome::End> Figure();
    // Entry vertex and entry line of the current figure; false when either could not
    // be added.
    bool AddEntryLine(int& entryVertex, int& entryLine);
    int EntryNode(int entryVertex, Point2d entry);
    int VertexAt(double x, double y, int except) const;
    std::pair<double, double> OffsetUnits() const;
    void Log(const std::string& line) { sink_.Log(line); }
    std::uint64_t Lap() {
        const std::uint64_t now = TickCount64();
        const std::uint64_t ms = now - timingPoint_;
        timingPoint_ = now;
        return ms;
    }

    TDrawing& d_;
    const PlanSettings& s_;
    PlanSink& sink_;
    std::stop_token stop_;
    std::uint64_t timingPoint_;
    PlanOutcome out_;
};

std::pair<double, double> FigureRun::OffsetUnits() const {
    return FigureOffsetUnits(d_.Settings().scale, s_.scalePercent, s_.offsetXmm, s_.offsetYmm);
}

int FigureRun::VertexAt(double x, double y, int except) const {
    // The entry vertex (`except`) is the newest vertex, so a lookup finds it only when no
    // other vertex lies at the place.
    const int found = d_.V().FindVertex(x, y);
    return found == except ? -1 : found;
}

int FigureRun::EntryNode(int entryVertex, Point2d entry) {
    const TVert& v = d_.V();
    const bool segments = d_.Set(TDrawing::kSegments).L.Count() > 0;
    if (!segments) {
        const std::vector<char> onLine = VerticesOnLines(d_.L());
        int nearest = -1;
        double best = 0.0;
        for (int i = 0; i < v.Count(); ++i) {
            if (i == entryVertex || !onLine[static_cast<std::size_t>(i)]) continue;
            const double d2 = SquaredDistance(entry, v[i]);
            if (nearest < 0 || d2 < best) {
                nearest = i;
                best = d2;
            }
        }
        return nearest;
    }
    const TDrawingSet& seg = d_.Set(TDrawing::kSegments);
    int node = -1;
    if (d_.Figure() == TDrawing::kFigure1) {
        double best = 0.0;
        for (int i = 0; i < seg.V.Count(); ++i) {
            if (seg.V[i].obj != 1) continue;
            const double d2 = SquaredDistance(entry, seg.V[i]);
            if (node < 0 || d2 < best) {
                node = i;
                best = d2;
            }
        }
        s_.segmentStartNode->store(node);
    } else {
        const int start = s_.segmentStartNode->load();
        for (int i = 0; i < seg.L.Count() && node < 0; ++i) {
            if (seg.L[i].p == start)
                node = seg.L[i].k;
            else if (seg.L[i].k == start)
                node = seg.L[i].p;
        }
    }
    if (node < 0 || node >= seg.V.Count()) return -1;
    return VertexAt(seg.V[node].x, seg.V[node].y, entryVertex);
}

bool FigureRun::AddEntryLine(int& entryVertex, int& entryLine) {
    TVert& v = d_.V();
    entryVertex = -1;
    entryLine = -1;
    const bool segments = d_.Set(TDrawing::kSegments).L.Count() > 0;
    const int figure = d_.Figure();

    Point2d entry;
    if (segments && figure == TDrawing::kFigure2) {
        const TVert& v1 = d_.Set(TDrawing::kFigure1).V;
        if (v1.Count() == 0) return false;
        entry = v1[v1.Count() - 1];
    } else {
        double minX = v.MinX(true);
        double minY = v.MinY(true);
        const TVert& v2 = d_.Set(TDrawing::kFigure2).V;
        if (segments && figure == TDrawing::kFigure1 && v2.Count() > 0) {
            minX = std::min(minX, v2.MinX(true));
            minY = std::min(minY, v2.MinY(true));
        }
        minX = std::trunc(minX);
        minY = std::trunc(minY);
        const double scale = d_.Settings().scale;
        const auto units = [scale](double mm) {
            const double u = mm / scale;
            return std::isfinite(u) ? u : 0.0;
        };
        const double ex = units(d_.Settings().entryX);
        const double ey = units(d_.Settings().entryY);
        entry = s_.multiplicationRunState != 0 ? Point2d{ex, ey} : Point2d{minX + ex, minY + ey};
    }

    // The entry vertex is always a vertex of its own, even where the entry point falls on
    // a vertex of the drawing (with the default offsets, the corner of every rectangle):
    // reusing that vertex would make the entry line a contour line, which is then not
    // added, and the path would start wherever the last vertex happens to be.
    if (v.Count() > TVert::kAddLimit) return false;
    const bool dedup = v.Deduplication();
    v.SetDeduplication(false);
    entryVertex = v.AddVertex(entry.x, entry.y, 2, kEntryObject, 1);
    v.SetDeduplication(dedup);

    const int node = EntryNode(entryVertex, v[entryVertex]);
    if (node < 0) return false;
    LineRecord line;
    line.p = entryVertex;
    line.k = node;
    line.obj = kEntryObject;
    line.kind = 2;
    const LineRef added = d_.L().AddLineGetIndex(line);
    if (added.direction == 0) return false;
    entryLine = added.index;
    return true;
}

std::optional<PlanOutcome::End> FigureRun::Figure() {
    if (!sink_.EnterFigure()) return PlanOutcome::End::Ended;
    Log("-->>>> ConnectObj start (mutex owned & locked)");
    FigurePlanReport fig;
    fig.figure = d_.Figure();

    if (s_.splitJunctions) {
        const double conModif = s_.parameters.GetNumber(settings::kConModif);
        const bool split = s_.planner == Planner::Fast
                               ? SplitJunctionsFast(d_.L(), d_.Oelems(), conModif, sink_, stop_)
                               : SplitJunctions(d_.L(), d_.Oelems(), conModif, sink_, stop_);
        if (!split) return PlanOutcome::End::Stopped;
        sink_.Stage(kPlanJunctionsSplit);
    }
    Log("ConnectObj:after planaryzacja()");
    Log("Planaryzacja    = " + Seconds(Lap()) + "s");
    Log("------------------------------");
    sink_.Status(0, s_.messages.MessageText(15));

    Log("\r\n++++++++ Laczenie obiektow");
    {
        PathSearchEnv env{&sink_, s_.prompt, s_.iniFile, stop_, s_.planner};
        PATH_FINDING_METHODS check(env);
        // Only the answer is wanted here: the fast planner gets it without building the
        // graph's nodes.
        const int checked = s_.planner == Planner::Fast ? check.CheckGraph(d_.L(), d_.V())
                                                         : check.BuildGraph(d_.L(), d_.V());
        if (checked != 0) {
            sink_.Stage(kPlanNoGraph);
            fig.graphFailed = true;
            out_.figures.push_back(fig);
            return PlanOutcome::End::Ended;
        }
    }
    const bool crossingTest = s_.parameters.GetFlag(settings::kCrossingTest);
    const std::uint64_t joinStart = TickCount64();
    const auto progress = [this](int percent) {
        const int value[] = {percent};
        sink_.Status(0, sink_.MessageText(194, value));
    };
    const JoinResult joined =
        s_.planner == Planner::Fast
            ? JoinObjectsFast(d_.L(), d_.Oelems() + 1, crossingTest, sink_, progress, stop_)
            : JoinObjects(d_.L(), d_.Oelems() + 1, crossingTest, sink_, progress, stop_);
    if (joined.stopped) return PlanOutcome::End::Stopped;
    out_.joiningSeconds = static_cast<double>(TickCount64() - joinStart) * 0.001;
    fig.joined = joined.added;
    fig.unjoinedObjects = joined.unjoined;
    Log("-------- Laczenie obiektow");

    int entryVertex = -1;
    int entryLine = -1;
    const bool entryOk = AddEntryLine(entryVertex, entryLine);
    sink_.Status(0, s_.messages.MessageText(17));

    if (entryOk) {
        if (s_.crossingSplit->load()) {
            const std::uint64_t splitStart = TickCount64();
            const bool split = s_.planner == Planner::Fast ? SplitConnectingLinesFast(d_.L(), entryLine, stop_)
                                                           : SplitConnectingLines(d_.L(), entryLine, stop_);
            if (!split) return PlanOutcome::End::Stopped;
            out_.crossingSplitSeconds = static_cast<double>(TickCount64() - splitStart) * 0.001;
        }
        s_.crossingSplit->store(true);
        MoveEntryToEnds(d_.L(), entryLine, entryVertex);
    } else {
        s_.crossingSplit->store(true);
        Log("ConnectObj: no entry line could be added");
    }
    Log("Łączenie      = " + Seconds(Lap()) + "s");
    sink_.Status(0, s_.messages.MessageText(18));

    TDrawingSet& set = d_.Set(d_.Figure());
    if (entryOk) {
        PathSearchOutcome searched;
        const PathSearchEnv env{&sink_, s_.prompt, s_.iniFile, stop_, s_.planner};
        const int failed = RunPathSearch(d_.L(), set.cutPath, env, &searched);
        if (searched.stopped) return PlanOutcome::End::Stopped;
        fig.searched = failed == 0;
        fig.graphFailed = failed != 0;
        fig.integrity = searched.integrity;
        if (failed != 0) out_.pathFailed = true;
    } else {
        // Without an entry line there is no path to cut: an empty cut path, not one that
        // would run some other line in and out.
        set.cutPath = std::make_unique<TLineList>(0);
        fig.entryFailed = true;
        out_.pathFailed = true;
    }
    Log("Ścieżka = " + Seconds(Lap()) + "s");

    set.oelems = d_.Oelems();
    if (d_.Figure() == TDrawing::kFigure2 && entryOk) {
        const auto [ox, oy] = OffsetUnits();
        const int last = d_.V().Count() - 1;
        d_.V().SetPosition(last, d_.V()[last].x - ox, d_.V()[last].y - oy);
    }
    out_.figures.push_back(fig);

    if (d_.TwoFigures()) {
        Log("Przetwarzanie drugiej figury na potrzeby posegmentowanych obiektow");
        d_.SetTwoFigures(false);
        d_.SelectFigure(TDrawing::kFigure2);
        return kNextFigure;
    }
    return PlanOutcome::End::Done;
}

}  // namespace

std::pair<double, double> FigureOffsetUnits(double drawingScale, double scalePercent, double offsetXmm,
                                            double offsetYmm) {
    const double unit = drawingScale * scalePercent * 0.01;
    if (unit == 0.0 || !std::isfinite(unit)) return {0.0, 0.0};
    const auto convert = [unit](double mm) {
        const double u = std::trunc(mm / unit);
        return std::isfinite(u) ? u : 0.0;
    };
    return {convert(offsetXmm), convert(offsetYmm)};
}

PlanOutcome PlanDrawing(TDrawing& drawing, const PlanSettings& settings, PlanSink& sink, std::stop_token stop) {
    return FigureRun(drawing, settings, sink, std::move(stop)).Execute();
}

}  // namespace wirvela
