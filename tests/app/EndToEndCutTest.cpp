// A cut as the operator runs it: a drawing file of examples/ loaded and joined, the
// cutting window's Start against the simulated controller, and the run followed through
// the controller's reports to its end, with hold, continue, stop and a controller error
// on the way. The controller's motion trace is the evidence.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/windows/CuttingJob.h"
#include "app/windows/Materials.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkRig.h"
#include "controller/LinkStartup.h"
#include "controller/SimulatedFtdi.h"
#include "cutting/MotionTiming.h"
#include "formats/DrawingLoader.h"
#include "planning/FigurePlanner.h"
#include "planning/FigureSeparation.h"
#include "support/CuttingWiring.h"

namespace wirvela {
namespace {

std::filesystem::path Example(const char* name) {
    return test::ShippedDataDir().parent_path() / "examples" / name;
}

std::string ShippedIni() {
    std::ifstream in(test::ShippedDataDir() / "wirvela.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Loads a drawing as the Open command does (questions answered Yes) and plans it to its
// end, as the connect command does. True when a cut path was found.
bool LoadAndJoin(TDrawing& drawing, LoaderWindowState& window, const TParameters& parameters, const TMessages& messages,
                 const std::filesystem::path& file) {
    DeriveDrawingSettings(drawing, parameters);
    RecursiveTimedMutex mutex;
    MessageLog log;
    HpglPenState pens;
    AcceptingPrompt prompt;
    LoaderContext context(drawing, &mutex, parameters, messages, log, &prompt, pens, window);
    SeparationEnv env;
    env.messages = &messages;
    env.log = &log;
    context.separation = FigureSeparationFor(drawing, env);
    std::atomic<bool> crossingSplit{false};
    std::atomic<int> segmentStartNode{-1};
    bool planned = false;
    context.connect.start = [](int) { return 16; };
    context.connect.resume = [&] {
        PlanSettings settings(parameters, messages);
        settings.splitJunctions = window.planarisationPending;
        settings.scalePercent = window.scalePercent;
        settings.prompt = &prompt;
        settings.crossingSplit = &crossingSplit;
        settings.segmentStartNode = &segmentStartNode;
        PlanSink quiet;
        const PlanOutcome outcome = PlanDrawing(drawing, settings, quiet);
        planned = outcome.end == PlanOutcome::End::Done && !outcome.pathFailed;
    };
    if (LoadDrawing(context, file, 1) != 16) return false;
    drawing.SelectFigure(TDrawing::kFigure1);
    return planned;
}

// The cutting window, its materials table, the dispatcher and a link to the simulated
// controller (as fast as it can run), on the shipped settings with a fine machine
// (0.05 mm per step), two-figure mode on and block transfers.
class SimCut : public ::testing::Test {
protected:
    SimCut()
        : sim(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast())),
          rig(ShippedIni(), std::make_unique<SimulatedFtdi>(sim)),
          prompt([this](const PromptRequest& r) {
              asked.push_back(r);
              return AffirmativeAnswer(r.buttons);
          }),
          dispatcher(rig.messages, prompt),
          job(Wiring().JobServices(materials)),
          materials(Wiring().MaterialServices(job)) {
        Set("Ploter", "mmPerStep", "0.05");
        Set("Ploter", "Cone", "1");
        Set("RSparam", "TimeoutRX", "50");
        Set("RSparam", "TimeoutTX", "50");
        Set("RSparam", "InterCharDelay", "0");
        Set("RSparam", "WRpacketSize", "4000");
        Set("RSparam", "Buffered", "1");
        Set("RSparam", "WaitSynchMutexTimeout", "2000");
        // 7.5 ms per step along the path, 1.5 s preheating, 200 ms in corners of 90° or less.
        Set("Material1", "V", "40");
        Set("Material1", "Rozgrzew", "1500");
        Set("Material1", "OpWKacie", "200");
        Set("Material1", "KatGr", "90");
        Set("Material", "Ostatni", "0");
    }
    ~SimCut() override {
        if (up.link) up.link->SetEventWindow(nullptr);
        job.SetLink(nullptr);
        dispatcher.SetLink(nullptr);
        up.link.reset();
    }

    void Set(const char* section, const char* key, const char* value) {
        ASSERT_EQ(rig.parameters.SetText(section, key, value), 0) << section << '/' << key;
    }

    test::CuttingWiring Wiring() { return {rig.parameters, rig.messages, prompt, drawing, dispatcher, window}; }

    // Loads and joins the example, starts the link and opens the cutting window.
    void Open(const char* example) {
        ASSERT_TRUE(LoadAndJoin(drawing, window, rig.parameters, rig.messages, Example(example)));
        LinkServices services = rig.Services();
        services.cuttingStatus = [this](std::string_view text) { job.ShowStatus(text); };
        services.twoFigureDrawing = [this] { return drawing.Set(TDrawing::kFigure2).V.Count() > 0; };
        up = LinkStartup::Run(services, &job.Channel(), prompt, [](std::string_view) {});
        ASSERT_TRUE(up.link);
        ASSERT_EQ(up.handshake, STAT_OK);
        job.SetLink(up.link.get());
        dispatcher.SetLink(up.link.get());
        dispatcher.SetCutting(&job);
        job.SetEventObserver([this](int code) { events.push_back(code); });
        job.Show();
        materials.Create();
    }

    // Handles the window's events until the window has closed (the end of the run).
    bool RunToEnd() {
        for (int i = 0; i < 2000 && job.Visible(); ++i) job.Channel().WaitAndProcess(10);
        return !job.Visible();
    }
    bool Received(int code) const { return std::find(events.begin(), events.end(), code) != events.end(); }

    std::vector<SimSample> Lines(int program) const {
        std::vector<SimSample> out;
        for (const SimSample& s : sim->Trace())
            if (s.event == SimEvent::Line && s.program == program) out.push_back(s);
        return out;
    }

    std::shared_ptr<SimulatedController> sim;
    test::LinkRig rig;
    std::vector<PromptRequest> asked;
    ScriptedPrompt prompt;
    ControllerDispatcher dispatcher;
    TDrawing drawing;
    LoaderWindowState window;
    CuttingJob job;
    Materials materials;
    LinkStartup up;
    std::vector<int> events;
};

// ---- single figure ---------------------------------------------------------------------

struct SingleCase {
    const char* example;
    int v2;  // cm/min of the pen-2 lines; 0: the bar as stored
};

class SingleFigureCut : public SimCut, public ::testing::WithParamInterface<SingleCase> {};

// The estimate leaves out the two one-step moves and the corner pause that end every
// program (2 × 7.5 + 200 ms here), and it times pen-2 lines at the material's speed: a
// drawing with pen-2 lines matches it when the V2 bar stands at that speed.
TEST_P(SingleFigureCut, RunsToItsEndBackAtTheStartWithinTwoPerCentOfTheEstimate) {
    Open(GetParam().example);
    if (GetParam().v2 > 0) job.MoveV2Bar(GetParam().v2);
    ASSERT_EQ(job.Start(false), 16);
    EXPECT_FALSE(job.StartEnabled());
    ASSERT_TRUE(RunToEnd());

    EXPECT_TRUE(Received(STAT_END));
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_FALSE(job.HoldEnabled());
    EXPECT_FALSE(up.link->Running());
    const SimSnapshot snap = sim->Snapshot();
    EXPECT_EQ(snap.state, SimState::Idle);
    EXPECT_EQ(snap.ends[0], SimPoint{});
    EXPECT_EQ(snap.ends[1], SimPoint{});
    EXPECT_EQ(snap.parameters.heating, 35);

    const double estimate = job.CurrentEstimate().milliseconds;
    EXPECT_NEAR(snap.elapsedMs, estimate, 0.02 * estimate);
    EXPECT_EQ(job.CurrentEstimate().seconds, static_cast<int>(estimate / 1000));
    EXPECT_GT(job.CurrentEstimate().seconds, 100);
}

INSTANTIATE_TEST_SUITE_P(Examples, SingleFigureCut,
                         ::testing::Values(SingleCase{"letters.plt", 0}, SingleCase{"mounting_plate.dxf", 0},
                                           SingleCase{"nested_parts.plt", 40}));

TEST_F(SimCut, PenTwoLinesRunAtTheV2Speed) {
    Open("nested_parts.plt");
    EXPECT_TRUE(job.V2Visible());
    job.MoveV2Bar(60);
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(RunToEnd());
    // The small circles are drawn in pen 2: at 60 instead of 40 cm/min the run is shorter.
    EXPECT_LT(sim->Snapshot().elapsedMs, 0.99 * job.CurrentEstimate().milliseconds);
}

// ---- two figures -----------------------------------------------------------------------

// When the wire end of one figure stands at a segment node: it arrives with the end of a
// move and leaves after the corner pause of the next move, if that move has one.
struct NodeVisit {
    int segLink = -1;
    double arrive = 0;  // simulated ms
    double leave = 0;
    double period = 0;  // major-step period of the arriving move, ms
};

// The samples of one program (a figure), and the wire end it drives.
struct ProgramTrace {
    std::vector<SimSample> samples;  // its lines and corner pauses
    std::size_t end = 0;             // index of the wire end in the samples
    double startMs = 0;              // the end of the preheating
};

ProgramTrace TraceOf(const std::vector<SimSample>& trace, int program, std::size_t end) {
    ProgramTrace t;
    t.end = end;
    for (const SimSample& s : trace) {
        if (s.event == SimEvent::PreheatEnd) t.startMs = s.timeMs;
        if (s.program == program && (s.event == SimEvent::Line || s.event == SimEvent::CornerPause))
            t.samples.push_back(s);
    }
    return t;
}

// The visits of the figure's path to its segment nodes, in path order: the start of
// each entry whose first vertex is a node is the end of the k-th move sent, k being the
// number of moves (after the carry, non-empty) before the entry.
std::vector<NodeVisit> NodeVisits(TDrawing& drawing, int figure, double stepScale, const ProgramTrace& trace) {
    std::vector<std::size_t> lineIndex;  // sample index of each line
    for (std::size_t i = 0; i < trace.samples.size(); ++i)
        if (trace.samples[i].event == SimEvent::Line) lineIndex.push_back(i);

    std::vector<NodeVisit> out;
    drawing.SelectFigure(figure);
    const TLineList& path = *drawing.CutPath();
    const TLines& table = drawing.L();
    StepCarry carry;
    std::size_t sent = 0;
    for (int i = 0; i < path.Length(); ++i) {
        const int start = path.PathStart(i, table);
        if (i > 0 && start >= 0 && table.Vertices()[start].segLink >= 0 && sent > 0) {
            const std::size_t at = lineIndex.at(sent - 1);
            const SimSample& s = trace.samples[at];
            NodeVisit v;
            v.segLink = table.Vertices()[start].segLink;
            v.arrive = s.timeMs;
            v.leave = s.timeMs;
            if (at + 1 < trace.samples.size() && trace.samples[at + 1].event == SimEvent::CornerPause)
                v.leave = trace.samples[at + 1].timeMs;
            const double from = at > 0 ? trace.samples[at - 1].timeMs : trace.startMs;
            const SimPoint a = at > 0 ? trace.samples[at - 1].ends[trace.end] : SimPoint{};
            const SimPoint b = s.ends[trace.end];
            const auto major = std::max(std::llabs(b.x - a.x), std::llabs(b.y - a.y));
            v.period = major > 0 ? (s.timeMs - from) / static_cast<double>(major) : 0;
            out.push_back(v);
        }
        const StepVector m = EntryMove(path, table, i, stepScale);
        if (m.x == 0 && m.y == 0) continue;
        const StepCarry::Steps steps = carry.Take(m.x, m.y);
        if (steps.x != 0 || steps.y != 0) ++sent;
    }
    drawing.SelectFigure(TDrawing::kFigure1);
    return out;
}

// Both wire ends stand at every pair of matching nodes at one moment (to within one step
// period of the slower end's arriving move): one end may arrive first and wait out its
// corner pause there while the other arrives.
TEST_F(SimCut, TwoFiguresMeetAtEverySegmentNodeAndReturnToTheirStarts) {
    Open("wing_two_figure.plt");
    ASSERT_GT(drawing.Set(TDrawing::kFigure2).V.Count(), 0);
    ASSERT_GT(drawing.Set(TDrawing::kSegments).L.Count(), 0);
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Received(STAT_END));

    const SimSnapshot snap = sim->Snapshot();
    EXPECT_EQ(snap.ends[0], SimPoint{});
    EXPECT_EQ(snap.ends[1], SimPoint{});

    // Figure 1 is program 0 and drives wire end 2; figure 2 is program 1, wire end 1.
    const std::vector<SimSample> trace = sim->Trace();
    const double stepScale = MotionSettings::FromStore(rig.parameters, 100, 90).stepScale;
    const auto root = NodeVisits(drawing, TDrawing::kFigure1, stepScale, TraceOf(trace, 0, 1));
    const auto tip = NodeVisits(drawing, TDrawing::kFigure2, stepScale, TraceOf(trace, 1, 0));
    ASSERT_GE(root.size(), 12u);
    ASSERT_EQ(root.size(), tip.size());
    for (std::size_t k = 0; k < root.size(); ++k) {
        SCOPED_TRACE("visit " + std::to_string(k) + ", segment line " + std::to_string(root[k].segLink));
        EXPECT_EQ(root[k].segLink, tip[k].segLink);
        const double together = std::min(root[k].leave, tip[k].leave) - std::max(root[k].arrive, tip[k].arrive);
        EXPECT_GE(together, -std::max(root[k].period, tip[k].period));
    }
}

// The estimate follows figure 1 at the material's speed. Both figures enter from the same
// entry point; the tip (figure 2) lies inside the root's outline, so its entry line is the
// longer one and figure 1 waits on its entry and exit lines: the run takes the estimate
// plus the difference of the two entry lines, twice, at the material's speed.
TEST_F(SimCut, TwoFiguresTakeTheEstimatePlusTheLongerEntryLine) {
    Open("wing_two_figure.plt");
    MotionTiming timing(drawing, MotionSettings::FromStore(rig.parameters, 100, 90), MotionOutput{});
    const FigureLengthResult root = timing.FigureLength(TDrawing::kFigure1);
    const FigureLengthResult tip = timing.FigureLength(TDrawing::kFigure2);
    ASSERT_GT(tip.firstLength, root.firstLength);
    ASSERT_GT(root.length, tip.length);

    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(RunToEnd());
    const double feed = FeedPeriod(0.05, 40);
    const double expected = job.CurrentEstimate().milliseconds + 2 * (tip.firstLength - root.firstLength) * feed;
    EXPECT_NEAR(sim->Snapshot().elapsedMs, expected, 0.02 * expected);
}

// ---- supervision mid-cut ---------------------------------------------------------------

TEST_F(SimCut, HoldStopsTheWireAndContinueFinishesTheCutAsIfNothingHappened) {
    Open("letters.plt");
    // The uninterrupted run, for comparison.
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(RunToEnd());
    const double whole = sim->Snapshot().elapsedMs;

    job.Show();
    sim->SetRunLimit(60000);
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(sim->WaitForSimTime(60000, 5000));
    ASSERT_EQ(job.Hold(false), 16);
    EXPECT_EQ(sim->Snapshot().state, SimState::Held);
    EXPECT_TRUE(job.ContinueEnabled());
    EXPECT_FALSE(job.HoldEnabled());
    EXPECT_EQ(job.Text().lerrors, rig.messages.MessageText(129));
    const SimPoint held = sim->Snapshot().ends[0];
    EXPECT_NE(held, SimPoint{});

    sim->SetRunLimit(-1);
    job.Channel().WaitAndProcess(20);
    EXPECT_EQ(sim->Snapshot().ends[0], held);  // held: nothing moves
    ASSERT_EQ(job.Continue(false), 16);
    EXPECT_TRUE(job.HoldEnabled());
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Received(STAT_END));
    const SimSnapshot snap = sim->Snapshot();
    EXPECT_EQ(snap.ends[0], SimPoint{});
    EXPECT_NEAR(snap.elapsedMs, whole, 1.0);
}

TEST_F(SimCut, StopEndsTheCutWhereTheWireIsAndANewStartCutsAgain) {
    Open("letters.plt");
    sim->SetRunLimit(30000);
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(sim->WaitForSimTime(30000, 5000));
    EXPECT_EQ(job.Stop(false), 16);
    EXPECT_FALSE(job.Visible());
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_FALSE(up.link->Running());
    ASSERT_TRUE(sim->WaitForState(SimState::Idle, 5000));
    const SimPoint stopped = sim->Snapshot().ends[0];
    EXPECT_NE(stopped, SimPoint{});
    job.Channel().WaitAndProcess(50);
    EXPECT_FALSE(Received(STAT_END));

    // The machine starts the next cut where the wire stands.
    sim->SetRunLimit(-1);
    job.Show();
    ASSERT_EQ(job.Start(false), 16);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(sim->Snapshot().ends[0], stopped);
}

TEST_F(SimCut, AControllerErrorHoldsTheRunUntilContinue) {
    Open("letters.plt");
    sim->FailWith(STAT_ERR_IPWM, 20000);
    ASSERT_EQ(job.Start(false), 16);
    for (int i = 0; i < 500 && !Received(STAT_ERR_IPWM); ++i) job.Channel().WaitAndProcess(10);
    ASSERT_TRUE(Received(STAT_ERR_IPWM));
    EXPECT_TRUE(job.Visible());
    EXPECT_TRUE(job.ContinueEnabled());
    EXPECT_FALSE(job.HoldEnabled());
    EXPECT_FALSE(job.StartEnabled());
    EXPECT_FALSE(up.link->Running());
    EXPECT_EQ(job.Text().lerrors, ControllerCodes::FormatCode(rig.messages, STAT_ERR_IPWM));

    ASSERT_EQ(job.Continue(false), 16);
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Received(STAT_END));
    EXPECT_EQ(sim->Snapshot().ends[0], SimPoint{});
}

}  // namespace
}  // namespace wirvela
