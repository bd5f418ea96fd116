// The simulation window model: preparation and conversion back to drawing units, the
// timer tick with its clock, corner pauses, pass marks and colours, partial drawing, the
// immediate picture and the stop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MotionTestSupport.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "cutting/MotionTiming.h"
#include "cutting/SimulationModel.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::FigureBuilder;
using test::Pt;

struct DrawnLine {
    std::int32_t color;
    CanvasPoint from, to;
};

class RecordingCanvas : public Canvas {
public:
    void SetPenColor(std::int32_t color) override { pen = color; }
    void Line(CanvasPoint from, CanvasPoint to) override { lines.push_back({pen, from, to}); }
    void Fill(std::int32_t) override {}
    bool Has(std::int32_t color, CanvasPoint from, CanvasPoint to) const {
        for (const DrawnLine& l : lines)
            if (l.color == color && l.from.x == from.x && l.from.y == from.y && l.to.x == to.x && l.to.y == to.y)
                return true;
        return false;
    }
    std::int32_t pen = -1;
    std::vector<DrawnLine> lines;
};

// mmPerStep 0.01 and SkalaHPGL 0.01: one step per drawing unit; V 60 cm/min: 1 ms per step.
constexpr const char* kIni =
    "[Ploter]\nmmPerStep=0.01\nSkalaHPGL=0.01\n"
    "[kolory]\nlinia_1_ciecia=11\nlinia_2_ciecia=12\nlinia_1_ciecia_2=21\nlinia_2_ciecia_2=22\n";

class SimulationPlayback : public ::testing::Test {
protected:
    SimulationPlayback() {
        dir.Write("wirvela.ini", kIni);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        messages.CheckLocalFile(test::ShippedDataDir());
        messages.LoadMessages();
        log.SetMemoEnabled(true);
        log.SetMemoHook([this](std::string_view line) { logLines.emplace_back(line); });
        inputs.material = MaterialValues{"foam", 60, 35, 100, 0, 90};
    }

    SimulationModel& Model() {
        SimulationView view;
        view.canvas = &canvas;
        view.zoomAll = [this] { ++zooms; };
        view.paintDrawing = [this] { ++paints; };
        view.simulationCommands = [this](bool on) { commands.push_back(on); };
        view.statusPanel0 = [this](std::string_view text) { status = text; };
        model = std::make_unique<SimulationModel>(drawing, parameters, &messages, &log, view);
        return *model;
    }

    // Ticks until the simulation ends (or a bound is reached); the number of ticks.
    int RunToEnd(SimulationModel& m, int bound = 100000) {
        int ticks = 0;
        while (m.TimerEnabled() && ticks < bound) {
            m.Tick();
            ++ticks;
        }
        return ticks;
    }

    int Marks(int figure, int line) const { return drawing.Set(figure).L[line].display & 0xF0; }

    test::TempDir dir;
    TParameters parameters;
    TMessages messages;
    MessageLog log;
    std::vector<std::string> logLines;
    TDrawing drawing;
    RecordingCanvas canvas;
    SimulationInputs inputs;
    std::unique_ptr<SimulationModel> model;
    int zooms = 0;
    int paints = 0;
    std::vector<bool> commands;
    std::string status;
};

// ---- clock ---------------------------------------------------------------------------

TEST_F(SimulationPlayback, AtSpeed400ADrawing2020UnitsWideAdvances20MsPerTick) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {2020, 0}, {2020, 10}}, {0, -5});
    SimulationModel& m = Model();
    m.SetSpeed(400);
    m.Start(inputs);
    ASSERT_TRUE(m.TimerEnabled());
    EXPECT_EQ(m.TimerInterval(), SimulationModel::kInitialInterval);
    m.Tick();
    EXPECT_EQ(m.TimerInterval(), 101);
    EXPECT_EQ(m.Clock(), 20);
    m.Tick();
    EXPECT_EQ(m.Clock(), 40);
    EXPECT_EQ(zooms, 1);
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(commands, std::vector<bool>{true});
}

// ---- a whole run ---------------------------------------------------------------------

TEST_F(SimulationPlayback, SingleFigureFinishesAtTheEndOfItsTableAndRestoresTheCommands) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {-20, 0});
    inputs.material.opWKacie = 250;
    SimulationModel& m = Model();
    m.SetSpeed(401);  // 100 ms interval on a 120-unit drawing: 1 ms per tick
    m.Start(inputs);
    ASSERT_NE(drawing.Set(1).simLines, nullptr);
    EXPECT_EQ(drawing.Set(2).simLines, nullptr);
    const SimulationSummary s = m.Summary(1);
    EXPECT_EQ(s.records, 6);
    EXPECT_EQ(s.corners, 4);  // B, C, D and the exit
    EXPECT_DOUBLE_EQ(s.milliseconds, 440 + 4 * 250.0);

    RunToEnd(m);
    EXPECT_FALSE(m.TimerEnabled());
    // The playback pauses in the corners as long as the machine does.
    EXPECT_GE(m.Clock(), s.milliseconds);
    EXPECT_LE(m.Clock(), s.milliseconds + 2);
    EXPECT_EQ(drawing.Set(1).simLines, nullptr);
    EXPECT_EQ(commands, (std::vector<bool>{true, false}));
    EXPECT_EQ(status, messages.MessageText(22));
    EXPECT_EQ(logLines.back(), "Zakończono symulację cięcia.");
    // The wire is back at the entry point; the contour is passed once, the entry twice.
    EXPECT_EQ(m.PointX(1), -20);
    EXPECT_EQ(m.PointY(1), 0);
    for (int line = 0; line < 4; ++line) EXPECT_EQ(Marks(1, line), 0x10) << line;
    EXPECT_EQ(Marks(1, 4), 0x20);
}

TEST_F(SimulationPlayback, ConnectingLineIsDrawnInTheFirstAndThenTheSecondCutColour) {
    FigureBuilder(drawing, 1).OutAndBack({{0, 0}, {50, 0}, {50, 40}}, {-10, 0});
    SimulationModel& m = Model();
    m.SetSpeed(499);
    m.Start(inputs);
    RunToEnd(m);
    EXPECT_TRUE(canvas.Has(11, {0, 0}, {50, 0}));
    EXPECT_TRUE(canvas.Has(12, {50, 0}, {0, 0}));
    EXPECT_TRUE(canvas.Has(11, {-10, 0}, {0, 0}));
    EXPECT_TRUE(canvas.Has(12, {0, 0}, {-10, 0}));
    EXPECT_EQ(Marks(1, 0), 0x20);
}

TEST_F(SimulationPlayback, TheWireFollowsTheClockInsideAMove) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {100, 0}, {100, 100}}, {-100, 0});
    SimulationModel& m = Model();
    m.SetSpeed(301);  // 200 ms interval on a 200-unit drawing: 1 ms per tick
    m.Start(inputs);
    for (int i = 0; i < 25; ++i) m.Tick();
    ASSERT_EQ(m.Clock(), 25);
    const DrawnLine& last = canvas.lines.back();
    EXPECT_EQ(last.color, 11);
    EXPECT_EQ(last.from.x, -100);
    EXPECT_EQ(last.to.x, -75);     // 25 of the entry's 100 steps
    EXPECT_EQ(m.PointX(1), -100);  // the current point moves when the move is complete
}

// ---- conversion ----------------------------------------------------------------------

TEST_F(SimulationPlayback, StepsAreTurnedBackIntoWholeUnitsWithoutDrift) {
    // 0.7 steps per unit: no move is a whole number of units.
    parameters.SetText("Ploter", "SkalaHPGL", "0.007");
    FigureBuilder(drawing, 1).Closed(test::Polygon(23, 300, 400, 400), {50, 50});
    MotionSettings settings = MotionSettings::FromStore(parameters, 100, 90);
    ASSERT_DOUBLE_EQ(settings.stepScale, 0.7);
    MotionTiming(drawing, settings, MotionOutput()).StreamFigure(1, {}, 0, true, 0, false);
    const std::vector<SimulationRecord> steps = test::Records(drawing, 1);

    SimulationModel& m = Model();
    ASSERT_EQ(m.Prepare(inputs), 16);
    const std::vector<SimulationRecord> units = test::Records(drawing, 1);
    ASSERT_EQ(units.size(), steps.size());
    double sx = 0, sy = 0, ux = 0, uy = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(units[i].dx, std::trunc(units[i].dx));
        sx += steps[i].dx;
        sy += steps[i].dy;
        ux += units[i].dx;
        uy += units[i].dy;
        // Every end of the picture lies within one unit of where the steps end.
        EXPECT_LT(std::fabs(ux - sx / 0.7), 1.0 + 1e-9) << i;
        EXPECT_LT(std::fabs(uy - sy / 0.7), 1.0 + 1e-9) << i;
    }
    const SimulationLines& t = *drawing.Set(1).simLines;
    EXPECT_EQ(t.startX, 50);
    EXPECT_EQ(t.startY, 50);
}

// ---- refusal and stop ----------------------------------------------------------------

TEST_F(SimulationPlayback, RefusedRotarySettingsKeepTheCommandsUntilStop) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {100, 0}, {100, 100}}, {-10, 0});
    inputs.singleFigureRecord = [](CutParameters&, double&) { return false; };
    SimulationModel& m = Model();
    m.Start(inputs);
    EXPECT_FALSE(m.TimerEnabled());
    EXPECT_TRUE(m.Active());
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(commands, std::vector<bool>{true});
    EXPECT_TRUE(m.Stop());
    EXPECT_FALSE(m.Active());
    EXPECT_EQ(commands, (std::vector<bool>{true, false}));
    EXPECT_FALSE(m.Stop());  // nothing left to stop: the stop belongs to someone else
}

TEST_F(SimulationPlayback, StopWhilePlayingReleasesTheTablesAndClearsThePassMarks) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {100, 0}, {100, 100}}, {-10, 0});
    drawing.Set(1).L.Edit(1).display = 0x23;
    SimulationModel& m = Model();
    m.SetSpeed(499);
    m.Start(inputs);
    EXPECT_EQ(drawing.Set(1).L[1].display, 0x03);  // cleared at the start, low bits kept
    m.Tick();
    ASSERT_NE(Marks(1, 3), 0);  // the entry line has been run
    ASSERT_TRUE(m.Stop());
    EXPECT_FALSE(m.TimerEnabled());
    EXPECT_EQ(drawing.Set(1).simLines, nullptr);
    EXPECT_EQ(Marks(1, 3), 0);
}

// ---- immediate picture ---------------------------------------------------------------

TEST_F(SimulationPlayback, AtTheMaximumSpeedTheCutPathsArePaintedAtOnce) {
    FigureBuilder(drawing, 1).OutAndBack({{0, 0}, {50, 0}}, {-10, 0});
    FigureBuilder(drawing, 2).OutAndBack({{0, 0}, {30, 0}}, {-10, 0});
    parameters.SetText("Ploter", "SkalaHPGL", "0.01");
    inputs.offsetXmm = 1;  // 100 units at 0.01 mm per unit
    SimulationModel& m = Model();
    m.SetSpeed(SimulationModel::kSpeedMax);
    m.Start(inputs);
    EXPECT_FALSE(m.TimerEnabled());
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(drawing.Set(1).simLines, nullptr);
    EXPECT_TRUE(canvas.Has(11, {0, 0}, {50, 0}));
    EXPECT_TRUE(canvas.Has(12, {50, 0}, {0, 0}));
    // Figure 2 in the same two colours, shifted by the figure offset.
    const double dx = std::trunc(1 / (drawing.Settings().scale * 100 * 0.01));
    const int x0 = static_cast<int>(dx);
    EXPECT_TRUE(canvas.Has(11, {x0, 0}, {x0 + 30, 0}));
    EXPECT_TRUE(canvas.Has(12, {x0 + 30, 0}, {x0, 0}));
    EXPECT_EQ(Marks(2, 0), 0x20);
    EXPECT_EQ(logLines.front(), "x: -10, y: 0");
}

// ---- two figures ---------------------------------------------------------------------

TEST_F(SimulationPlayback, TwoFiguresPlayOnOneClockAndEndTogether) {
    FigureBuilder(drawing, 1).Closed({{0, 0, 0}, {200, 0}, {200, 200, 1}, {0, 200}}, {-100, 0});
    FigureBuilder(drawing, 2).Closed({{0, 0, 0}, {100, 0, 1}, {100, 100}, {0, 100}}, {-50, 0});
    test::AddSegmentLine(drawing, {0, 0}, {0, 0});
    test::AddSegmentLine(drawing, {200, 200}, {100, 0});
    inputs.material.opWKacie = 100;
    SimulationModel& m = Model();
    m.SetSpeed(201);  // 300 ms interval on a 300-unit drawing: 1 ms per tick
    m.Start(inputs);
    ASSERT_NE(drawing.Set(2).simLines, nullptr);
    const double total1 = m.Summary(1).milliseconds;
    const double total2 = m.Summary(2).milliseconds;
    EXPECT_NEAR(total1, total2, 1e-6);

    // Both wire ends reach node C / b at the same tick.
    const auto atNode = [&](int figure, double x, double y) { return m.PointX(figure) == x && m.PointY(figure) == y; };
    int tick1 = -1, tick2 = -1;
    for (int tick = 0; m.TimerEnabled() && tick < 100000; ++tick) {
        m.Tick();
        if (tick1 < 0 && atNode(1, 200, 200)) tick1 = tick;
        if (tick2 < 0 && atNode(2, 100, 0)) tick2 = tick;
    }
    EXPECT_GE(tick1, 0);
    EXPECT_LE(std::abs(tick1 - tick2), 1);
    EXPECT_GE(m.Clock(), total1);
    EXPECT_LE(m.Clock(), total1 + 2);
    EXPECT_EQ(m.PointX(2), -50);
}

}  // namespace
}  // namespace wirvela
