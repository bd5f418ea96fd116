#include "cutting/SimulationModel.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "cutting/MotionTiming.h"
#include "cutting/SimulationLines.h"
#include "drawing/Drawing.h"
#include "geometry/Box2d.h"

namespace wirvela {

namespace {

constexpr std::int32_t kPassMask = 0xF0;
constexpr std::int32_t kPass = 0x10;
constexpr int kFinishedMessage = 22;

std::string Number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

bool HasSegmentLines(const TDrawing& drawing) {
    const TDrawingSet& s = drawing.Set(TDrawing::kSegments);
    return s.V.Count() > 0 && s.L.Count() > 0;
}

// The box of a figure's vertices (all of them, as Zoom All takes it).
Box2d BoxOf(const TVert& v) {
    return {v.MinX(true), v.MinY(true), v.MaxX(true), v.MaxY(true)};
}

}  // namespace

SimulationModel::SimulationModel(TDrawing& drawing, const TParameters& parameters, const TMessages* messages,
                                 MessageLog* log, SimulationView view)
    : drawing_(drawing), parameters_(parameters), messages_(messages), log_(log), view_(std::move(view)) {}

SimulationModel::~SimulationModel() = default;

void SimulationModel::SetSpeed(int position) {
    speed_ = std::clamp(position, 0, kSpeedMax);
}

const SimulationSummary& SimulationModel::Summary(int figure) const {
    return figures_[Slot(figure)].summary;
}

void SimulationModel::Log(const std::string& text) const {
    if (log_ != nullptr) log_->Log(text);
}

std::int32_t SimulationModel::Color(const SettingKey& key) const {
    return static_cast<std::int32_t>(parameters_.GetNumber(key));
}

// ---- start and stop ------------------------------------------------------------------

void SimulationModel::ClearPassMarks() {
    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        TLines& lines = drawing_.Set(figure).L;
        for (int i = 0; i < lines.Count(); ++i) lines.Edit(i).display &= ~kPassMask;
    }
}

void SimulationModel::ReleaseTables() {
    drawing_.Set(TDrawing::kFigure1).simLines.reset();
    drawing_.Set(TDrawing::kFigure2).simLines.reset();
}

void SimulationModel::Start(const SimulationInputs& inputs) {
    ReleaseTables();
    timer_ = false;
    clock_ = 0;
    figures_ = {};
    ClearPassMarks();
    if (view_.zoomAll) view_.zoomAll();

    if (speed_ >= kSpeedMax) {
        offsetX_ = offsetY_ = 0;
        const double unitsPerMm = drawing_.Settings().scale * inputs.scalePercent * 0.01;
        if (unitsPerMm != 0) {
            offsetX_ = std::trunc(inputs.offsetXmm / unitsPerMm);
            offsetY_ = std::trunc(inputs.offsetYmm / unitsPerMm);
        }
        Immediate();
        return;
    }

    active_ = true;
    if (view_.simulationCommands) view_.simulationCommands(true);
    if (Prepare(inputs) != kOk) return;
    if (view_.paintDrawing) view_.paintDrawing();
    interval_ = kInitialInterval;
    timer_ = true;
}

bool SimulationModel::Stop() {
    if (!active_ && !timer_) return false;
    timer_ = false;
    ReleaseTables();
    ClearPassMarks();
    active_ = false;
    if (view_.simulationCommands) view_.simulationCommands(false);
    return true;
}

void SimulationModel::Finish() {
    ReleaseTables();
    timer_ = false;
    active_ = false;
    if (view_.simulationCommands) view_.simulationCommands(false);
    Log("Zakończono symulację cięcia.");
    if (view_.statusPanel0 && messages_ != nullptr) view_.statusPanel0(messages_->MessageText(kFinishedMessage));
}

// ---- prepare -------------------------------------------------------------------------

int SimulationModel::Prepare(const SimulationInputs& inputs) {
    if (inputs.showCuttingWindow) inputs.showCuttingWindow();
    const MaterialValues& m = inputs.material;
    MotionSettings settings = MotionSettings::FromStore(parameters_, inputs.scalePercent, m.katGr);
    settings.rotaryCut = inputs.rotaryCut;
    settings.v2 = inputs.v2;
    settings.alg2 = inputs.alg2;
    stepScale_ = settings.stepScale;
    cornerDelay_ = m.opWKacie;
    segmentLines_ = HasSegmentLines(drawing_);
    figures_ = {};

    const double feedPeriod = FeedPeriod(settings.mmPerStep, m.v);
    MotionTiming timing(drawing_, settings, MotionOutput(nullptr, log_));
    const bool twoFigures = drawing_.Set(TDrawing::kFigure2).V.Count() > 0;
    if (twoFigures) {
        timing.StreamTwoFigures(feedPeriod, static_cast<std::uint16_t>(m.opWKacie), true);
    } else {
        CutParameters record;
        double rotRatio = 0;
        if (inputs.singleFigureRecord && !inputs.singleFigureRecord(record, rotRatio)) return kRefused;
        timing.StreamFigure(feedPeriod, record, rotRatio, true, LimitCos(m.katGr), false);
    }

    // The picture's box: figure 1, widened by figure 2 where the view shows it.
    const double unitsPerMm = drawing_.Settings().scale * inputs.scalePercent * 0.01;
    offsetX_ = unitsPerMm != 0 ? std::trunc(inputs.offsetXmm / unitsPerMm) : 0;
    offsetY_ = unitsPerMm != 0 ? std::trunc(inputs.offsetYmm / unitsPerMm) : 0;
    Box2d box = BoxOf(drawing_.Set(TDrawing::kFigure1).V);
    if (twoFigures) {
        const Box2d b2 = BoxOf(drawing_.Set(TDrawing::kFigure2).V);
        box.minX = std::min(box.minX, b2.minX + offsetX_);
        box.minY = std::min(box.minY, b2.minY + offsetY_);
        box.maxX = std::max(box.maxX, b2.maxX + offsetX_);
        box.maxY = std::max(box.maxY, b2.maxY + offsetY_);
    }
    extent_ = std::max(box.maxX - box.minX, box.maxY - box.minY);

    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) ConvertTable(figure);
    drawing_.SelectFigure(TDrawing::kFigure1);
    return kOk;
}

void SimulationModel::ConvertTable(int figure) {
    SimulationLines* table = drawing_.Set(figure).simLines.get();
    if (table == nullptr) return;
    FigureState& state = figures_[Slot(figure)];

    SimulationSummary& s = state.summary;
    for (int i = 0; i < table->Count(); ++i) {
        const SimulationRecord& r = table->At(i);
        ++s.records;
        s.stepsX += r.dx;
        s.stepsY += r.dy;
        if (r.corner != 0) {
            ++s.corners;
            s.milliseconds += cornerDelay_;
        }
        s.milliseconds += std::hypot(r.dx, r.dy) * r.feedPeriod;
    }

    // The wire starts where the first record's line starts as the path runs it.
    const TDrawingSet& set = drawing_.Set(figure);
    if (table->Count() > 0 && set.cutPath != nullptr) {
        const int line = table->At(0).line;
        int start = -1;
        for (int i = 0; i < set.cutPath->Length() && start < 0; ++i)
            if ((*set.cutPath)[i].line == line) start = set.cutPath->PathStart(i, set.L);
        if (start < 0) start = set.L.GetLine(line).line.p;
        if (start >= 0 && start < set.V.Count()) {
            table->startX = static_cast<std::int32_t>(std::trunc(set.V[start].x));
            table->startY = static_cast<std::int32_t>(std::trunc(set.V[start].y));
        }
    }
    state.x = table->startX;
    state.y = table->startY;

    // Steps back to whole drawing units; the carry keeps the picture's ends where the
    // steps end.
    const double k = stepScale_ != 0 ? stepScale_ : 1.0;
    double carryX = 0;
    double carryY = 0;
    const auto round = [](double value, double& carry) {
        double r = std::trunc(value);
        carry += value - r;
        if (carry <= -1) {
            r -= 1;
            carry += 1;
        } else if (carry >= 1) {
            r += 1;
            carry -= 1;
        }
        return r;
    };
    for (int i = 0; i < table->Count(); ++i) {
        SimulationRecord& r = table->Edit(i);
        r.dx = round(r.dx / k, carryX);
        r.dy = round(r.dy / k, carryY);
    }
    table->tableClock = 0;
    table->current = 0;
    table->finished = false;
    // A first move that starts with a pause (the other figure's corner) waits too.
    if (table->At(0).line != -1 && table->At(0).corner != 0) table->tableClock = cornerDelay_;
}

// ---- playback ------------------------------------------------------------------------

double SimulationModel::RecordTime(const SimulationRecord& r) const {
    return std::hypot(r.dx, r.dy) * stepScale_ * r.feedPeriod;
}

CanvasPoint SimulationModel::Screen(int figure, double x, double y) const {
    if (figure == TDrawing::kFigure2) {
        x += offsetX_;
        y += offsetY_;
    }
    if (view_.toScreen) return view_.toScreen(x, y);
    return {static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y))};
}

std::int32_t SimulationModel::PassColor(int figure, int line) const {
    const LineLookup l = drawing_.Set(figure).L.GetLine(line);
    const bool passedBefore = l.found && (l.line.display & kPassMask) != 0;
    if (figure == TDrawing::kFigure2)
        return Color(passedBefore ? settings::kLinia_2_ciecia_2 : settings::kLinia_1_ciecia_2);
    return Color(passedBefore ? settings::kLinia_2_ciecia : settings::kLinia_1_ciecia);
}

void SimulationModel::DrawMove(int figure, double dx, double dy, std::int32_t color) {
    if (view_.canvas == nullptr) return;
    const FigureState& s = figures_[Slot(figure)];
    view_.canvas->SetPenColor(color);
    view_.canvas->Line(Screen(figure, s.x, s.y), Screen(figure, s.x + dx, s.y + dy));
}

void SimulationModel::Complete(int figure, SimulationLines& table) {
    const SimulationRecord r = table.At(table.current);
    DrawMove(figure, r.dx, r.dy, PassColor(figure, r.line));
    // With segment lines a line may be sent in pieces; its pass counts once.
    const bool lastPiece = !segmentLines_ || table.At(table.current + 1).line != r.line;
    TLines& lines = drawing_.Set(figure).L;
    if (lastPiece && r.line >= 0 && r.line < lines.Count()) {
        std::int32_t& display = lines.Edit(r.line).display;
        if ((display & kPassMask) != kPassMask) display += kPass;
    }
    table.tableClock += RecordTime(r);
    FigureState& s = figures_[Slot(figure)];
    s.x += r.dx;
    s.y += r.dy;
    ++table.current;
    const SimulationRecord& next = table.At(table.current);
    if (next.line == -1) {
        table.finished = true;
    } else if (next.corner != 0) {
        table.tableClock += cornerDelay_;
    }
}

void SimulationModel::Play(int figure, SimulationLines& table) {
    drawing_.SelectFigure(figure);
    const double now = std::floor(clock_);
    while (!table.finished) {
        const SimulationRecord& r = table.At(table.current);
        if (r.line == -1) {
            table.finished = true;
            break;
        }
        const double end = std::floor(table.tableClock + RecordTime(r));
        if (end < now) {
            Complete(figure, table);
            continue;
        }
        if (end == now) {
            Complete(figure, table);
        } else if (std::floor(table.tableClock) < now) {
            // The wire is inside this move: draw the part already run.
            const double f = (clock_ - table.tableClock) / RecordTime(r);
            DrawMove(figure, std::trunc(r.dx * f), std::trunc(r.dy * f), PassColor(figure, r.line));
        }
        break;
    }
}

void SimulationModel::Tick() {
    if (!timer_) return;
    SimulationLines* t1 = drawing_.Set(TDrawing::kFigure1).simLines.get();
    SimulationLines* t2 = drawing_.Set(TDrawing::kFigure2).simLines.get();
    for (SimulationLines* t : {t1, t2})
        if (t != nullptr && t->At(t->current).line == -1) t->finished = true;
    if ((t1 == nullptr || t1->finished) && (t2 == nullptr || t2->finished)) {
        Finish();
        return;
    }

    interval_ = kSpeedMax - speed_ + 1;
    clock_ += std::trunc(extent_ / interval_);
    if (t1 != nullptr) Play(TDrawing::kFigure1, *t1);
    if (t2 != nullptr) Play(TDrawing::kFigure2, *t2);
    drawing_.SelectFigure(TDrawing::kFigure1);
}

// ---- the immediate picture -----------------------------------------------------------

void SimulationModel::Immediate() {
    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        TDrawingSet& set = drawing_.Set(figure);
        if (set.V.Count() == 0 || set.cutPath == nullptr) continue;
        drawing_.SelectFigure(figure);
        const TLineList& path = *set.cutPath;
        for (int i = 0; i < path.Length(); ++i) {
            const int line = path[i].line;
            const int a = path.PathStart(i, set.L);
            const int b = path.PathEnd(i, set.L);
            if (a < 0 || b < 0 || a >= set.V.Count() || b >= set.V.Count()) continue;
            std::int32_t& display = set.L.Edit(line).display;
            const std::int32_t passes = display & kPassMask;
            if (passes > kPass) continue;  // a line is shown twice at most
            const std::int32_t color = Color(passes == 0 ? settings::kLinia_1_ciecia : settings::kLinia_2_ciecia);
            display += kPass;
            Log("x: " + Number(set.V[a].x) + ", y: " + Number(set.V[a].y));
            if (view_.canvas == nullptr) continue;
            view_.canvas->SetPenColor(color);
            view_.canvas->Line(Screen(figure, set.V[a].x, set.V[a].y), Screen(figure, set.V[b].x, set.V[b].y));
        }
    }
    drawing_.SelectFigure(TDrawing::kFigure1);
}

}  // namespace wirvela
