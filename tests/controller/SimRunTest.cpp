// Programs executed by the simulated controller: motion, time, the table, hold, resume,
// cancel, limit switches and the failures it can be told to produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "SimFrames.h"
#include "controller/SimulatedController.h"

namespace wirvela {
namespace {

using simtest::B;
using simtest::Frame;

struct Move {
    std::int32_t dx;
    std::int32_t dy;
    bool delay;
    double periodUs;
};

class SimRun : public ::testing::Test {
protected:
    SimulatedController sim{SimulatedControllerConfig::Fast()};
    simtest::Host host{sim};

    // Sends the moves frame by frame (direct mode), then C_LINEEND and C_CUTROT.
    void Start(const std::vector<Move>& moves) {
        for (const Move& m : moves) ASSERT_EQ(host.Exchange(simtest::Line(m.dx, m.dy, m.delay, m.periodUs)), 16);
        ASSERT_EQ(host.Exchange(B('e')), 16);
        ASSERT_EQ(host.Exchange(B('r')), 16);
    }

    // Every byte the controller reports until STAT_END (included) or nothing more comes.
    std::vector<int> ReportsUntilEnd() {
        std::vector<int> reports;
        for (int b = host.AwaitByte(); b >= 0; b = host.AwaitByte()) {
            reports.push_back(b);
            if (b == 48) break;
        }
        return reports;
    }

    static double Duration(const std::vector<Move>& moves) {
        double ms = 0;
        for (const Move& m : moves) ms += std::max(std::abs(m.dx), std::abs(m.dy)) * simtest::StepMs(m.periodUs);
        return ms;
    }
};

TEST_F(SimRun, ShortProgramEndsWithStatEndAtTheSumOfItsMoves) {
    ASSERT_EQ(host.Exchange(simtest::Setup('R', 20)), 16);   // corner delay, ms
    ASSERT_EQ(host.Exchange(simtest::Setup('W', 100)), 16);  // preheating, ms
    ASSERT_EQ(host.Exchange(B('S', 50)), 16);
    const std::vector<Move> moves = {
        {1000, 500, false, 500}, {-300, 800, true, 700}, {-200, -1500, false, 400}, {5, -3, true, 1000}};
    Start(moves);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));

    const SimSnapshot s = sim.Snapshot();
    EXPECT_EQ(s.state, SimState::Idle);
    EXPECT_EQ(s.stateReply, 0xC0);
    const SimPoint sum{505, -203};
    EXPECT_EQ(s.ends[0], sum);
    EXPECT_EQ(s.ends[1], sum) << "without a mode both wire ends follow program 0";
    EXPECT_EQ(s.table, 0);
    EXPECT_EQ(s.heating, 0) << "the wire is off after the run";
    EXPECT_EQ(s.counters.lines, 4u);
    EXPECT_EQ(s.counters.cornerPauses, 2u);
    EXPECT_NEAR(s.elapsedMs, 100 + 2 * 20 + Duration(moves), 1e-6);

    const std::vector<SimSample> trace = sim.Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().event, SimEvent::RunStart);
    EXPECT_EQ(trace.front().heating, 50);
    EXPECT_EQ(trace.back().event, SimEvent::RunEnd);
    std::vector<SimPoint> lineEnds;
    for (const SimSample& x : trace) {
        if (x.event == SimEvent::Line) lineEnds.push_back(x.ends[0]);
    }
    EXPECT_EQ(lineEnds, (std::vector<SimPoint>{{1000, 500}, {700, 1300}, {500, -200}, {505, -203}}));
    EXPECT_TRUE(std::is_sorted(trace.begin(), trace.end(),
                               [](const SimSample& a, const SimSample& b) { return a.timeMs < b.timeMs; }));
}

TEST_F(SimRun, BlockOfTheSplit70000By35000LineIsExecutedLikeTheMove) {
    const std::vector<Frame> frames = {simtest::Line(32760, 16380, true, 50), simtest::Line(32760, 16380, false, 50),
                                       simtest::Line(4480, 2240, false, 50), B('e')};
    EXPECT_EQ(host.StartBlock(simtest::Concat(frames)), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{70000, 35000}));
}

TEST_F(SimRun, EmptyProgramEndsAtOnce) {
    ASSERT_EQ(host.Exchange(B('r')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().runs, 1u);
}

// The two-figure program as the link builds it: mode (0, 2) and address 0 for figure 1,
// mode (1, 1) and address 1 for figure 2, one block. Returns the address frame of figure 2.
Frame SendTwoFigures(simtest::Host& host, const std::vector<Frame>& figure1, const std::vector<Frame>& figure2) {
    std::vector<Frame> block = figure1;
    block.push_back(B('e'));
    const std::uint32_t second = static_cast<std::uint32_t>(block.size() * 12);
    block.insert(block.end(), figure2.begin(), figure2.end());
    block.push_back(B('e'));
    Frame adr = B('[', 0x03);
    simtest::Put16(adr, 2, second & 0xFFFF);
    EXPECT_EQ(host.Exchange(B('E')), 16);
    EXPECT_EQ(host.Exchange(simtest::Setup('Q', 0x0200)), 16);
    EXPECT_EQ(host.Exchange(B('[', 0x02)), 16);  // address 0
    EXPECT_EQ(host.Exchange(simtest::Setup('Q', 0x0101)), 16);
    EXPECT_EQ(host.Exchange(adr), 16);
    EXPECT_EQ(host.StartBlock(simtest::Concat(block)), 16);
    return adr;
}

TEST_F(SimRun, TwoFiguresRunSideBySideOnTheirOwnWireEnds) {
    // 23 moves and C_LINEEND: figure 2 starts after 24 frames, at byte 288.
    const std::vector<Frame> figure1(23, simtest::Line(10, -5, false, 1000));
    const std::vector<Frame> figure2 = {simtest::Line(200, 0, false, 2000), simtest::Line(0, 150, false, 2000)};
    const Frame adr = SendTwoFigures(host, figure1, figure2);
    EXPECT_EQ(adr, (Frame{'[', 0x03, 0x20, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    const SimSnapshot s = sim.Snapshot();
    EXPECT_EQ(s.programStart[1], 288u);
    EXPECT_EQ(s.ends[1], (SimPoint{230, -115})) << "program 0 (mode 2) drives wire end 2";
    EXPECT_EQ(s.ends[0], (SimPoint{200, 150})) << "program 1 (mode 1) drives wire end 1";
    EXPECT_NEAR(s.elapsedMs, std::max(230 * simtest::StepMs(1000), 350 * simtest::StepMs(2000)), 1e-6)
        << "both figures run at the same time";
}

TEST_F(SimRun, SecondFigureBeyond64KiBIsFoundFromTheLow16BitsOfItsAddress) {
    std::vector<Frame> figure1(6000, simtest::Line(1, 1, false, 100));  // 72000 bytes
    const std::vector<Frame> figure2 = {simtest::Line(-7, 3, false, 100)};
    SendTwoFigures(host, figure1, figure2);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().programStart[1], 72012u);
    EXPECT_EQ(sim.Snapshot().ends[1], (SimPoint{6000, 6000}));
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{-7, 3}));
}

TEST_F(SimRun, RotaryStepsTurnFramesAndRepeatsMoveTheTable) {
    ASSERT_EQ(host.Exchange(simtest::Line(1000, 0, false, 1000, 2.5)), 16);      // +2500
    ASSERT_EQ(host.Exchange(simtest::Line(-400, 0, false, 1000, -0.5)), 16);     // -200
    ASSERT_EQ(host.Exchange(simtest::T('g', -300, 0xFC67)), 16);                 // -300
    ASSERT_EQ(host.Exchange(B('e')), 16);
    ASSERT_EQ(host.Exchange(B('r')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().table, 2000);
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{600, 0}));
}

// The manual turn: moves, then C_REPEAT; `steps` repetitions, each after a table turn of
// aStep (sign-magnitude) at rotVelocity ms per step.
TEST_F(SimRun, RepeatRunsTheProgramAgainAfterTurningTheTable) {
    ASSERT_EQ(host.Exchange(simtest::Setup('U', 2)), 16);
    ASSERT_EQ(host.Exchange(simtest::L('T', static_cast<std::int32_t>(0x80000000u | 50))), 16);
    ASSERT_EQ(host.Exchange(simtest::Setup('X', 3)), 16);
    ASSERT_EQ(host.Exchange(simtest::Line(10, 0, false, 1000)), 16);
    ASSERT_EQ(host.Exchange(simtest::Line(-10, 0, true, 1000)), 16);
    ASSERT_EQ(host.Exchange(B('f')), 16);
    ASSERT_EQ(host.Exchange(B('e')), 16);
    ASSERT_EQ(host.Exchange(B('r')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    const SimSnapshot s = sim.Snapshot();
    EXPECT_EQ(s.counters.repeats, 2u);
    EXPECT_EQ(s.counters.lines, 6u);
    EXPECT_EQ(s.table, -100);
    EXPECT_EQ(s.ends[0], (SimPoint{0, 0}));
    EXPECT_NEAR(s.elapsedMs, 3 * 20 * simtest::StepMs(1000) + 2 * 50 * 3, 1e-6);
}

class SimRunMidway : public SimRun {
protected:
    // A 10000-step move of about 10 s, frozen at 2 s.
    void StartFrozen() {
        sim.SetRunLimit(2000);
        Start({{10000, 0, false, 1000}});
        ASSERT_TRUE(sim.WaitForSimTime(2000, 10000));
    }
};

TEST_F(SimRunMidway, HoldStopsTheMotionAndResumeFinishesIt) {
    StartFrozen();
    EXPECT_EQ(host.Exchange(B('y')), 16);
    EXPECT_EQ(host.Exchange(B('F')), 0xC2);
    const SimSnapshot held = sim.Snapshot();
    EXPECT_EQ(held.ends[0].x, static_cast<std::int64_t>(2000 / simtest::StepMs(1000)));
    sim.SetRunLimit(-1);
    EXPECT_FALSE(sim.WaitForSimTime(2100, 50)) << "no simulated time passes while held";
    EXPECT_EQ(sim.Snapshot().ends[0], held.ends[0]);
    EXPECT_EQ(host.Exchange(B('s')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{10000, 0}));
    std::vector<SimEvent> marks;
    for (const SimSample& x : sim.Trace()) {
        if (x.event == SimEvent::Hold || x.event == SimEvent::Resume) marks.push_back(x.event);
    }
    EXPECT_EQ(marks, (std::vector<SimEvent>{SimEvent::Hold, SimEvent::Resume}));
}

TEST_F(SimRunMidway, CancelStopsWithoutStatEnd) {
    StartFrozen();
    EXPECT_EQ(host.Exchange(B('E')), 16);
    EXPECT_EQ(host.Exchange(B('F')), 0xC0);
    sim.SetRunLimit(-1);
    EXPECT_EQ(host.ReadByte(20), -1) << "no STAT_END after a cancel";
    const SimSnapshot s = sim.Snapshot();
    EXPECT_GT(s.ends[0].x, 0);
    EXPECT_LT(s.ends[0].x, 10000);
    EXPECT_EQ(s.programLength, 0u);
    EXPECT_EQ(sim.Trace().back().event, SimEvent::Cancel);
    EXPECT_EQ(sim.Trace().back().heating, 0);
}

TEST_F(SimRunMidway, HeatingChangesDuringTheRun) {
    ASSERT_EQ(host.Exchange(B('S', 30)), 16);
    StartFrozen();
    EXPECT_EQ(host.Exchange(B('S', 60)), 16);
    EXPECT_EQ(sim.Snapshot().heating, 60);
    const SimSample last = sim.Trace().back();
    EXPECT_EQ(last.event, SimEvent::Heating);
    EXPECT_EQ(last.heating, 60);
    EXPECT_NEAR(last.timeMs, 2000, 1e-6);
    sim.SetRunLimit(-1);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
}

class SimLimits : public SimRun {
protected:
    void SetUp() override {
        SimAxisTravel x{true, -100, 1000};
        SimAxisTravel y{true, -50, 500};
        sim.SetTravel(x, y);
    }
};

TEST_F(SimLimits, AxisStopsAtItsLimitAndTheSwitchIsReported) {
    Start({{2000, 0, false, 100}});
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{0x92, 48})) << "WYL_PRAWY, then the end of the program";
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{1000, 0}));
    EXPECT_EQ(host.Exchange(B('F')), 0x92) << "an idle controller on a limit answers the switch";

    ASSERT_EQ(host.Exchange(B('E')), 16);
    Start({{-500, 0, false, 100}});
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{0x90, 48})) << "the switch opens at the first step back";
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{500, 0}));
    EXPECT_EQ(host.Exchange(B('F')), 0xC0);
}

TEST_F(SimLimits, RunningIntoTheLowerLeftCornerGivesLeftBottom) {
    Start({{-5000, -5000, false, 100}});
    // Bottom (y reaches -50) comes before left (x reaches -100).
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{0x98, 0x99, 48}));
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{-100, -50}));
    EXPECT_EQ(sim.Snapshot().ends[1], (SimPoint{-100, -50}));
}

TEST_F(SimRun, NoWireCurrentIsReportedAndTheProgramWaitsForResume) {
    sim.FailWith(135);
    Start({{300, 0, false, 1000}});
    EXPECT_EQ(host.AwaitByte(), 135);
    ASSERT_TRUE(sim.WaitForState(SimState::Fault, 1000));
    EXPECT_EQ(host.Exchange(B('F')), 0xC3);
    EXPECT_EQ(sim.Snapshot().heating, 0);
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{0, 0}));
    EXPECT_EQ(host.Exchange(B('s')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{300, 0}));
}

TEST_F(SimRun, TooFastAtAGivenTimeStopsMidway) {
    sim.FailWith(131, 100);
    Start({{1000, 0, false, 1000}});
    EXPECT_EQ(host.AwaitByte(), 131);
    const SimSnapshot s = sim.Snapshot();
    EXPECT_NEAR(s.elapsedMs, 100, 1e-6);
    EXPECT_EQ(s.ends[0].x, static_cast<std::int64_t>(100 / simtest::StepMs(1000)));
    EXPECT_EQ(host.Exchange(B('s')), 16);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0].x, 1000);
}

TEST_F(SimRun, MoveFasterThanTheMachineCanGoIsTooFast) {
    sim.SetMinStepPeriod(500);
    Start({{100, 0, false, 1000}, {100, 0, false, 300}, {100, 0, false, 600}});
    EXPECT_EQ(host.AwaitByte(), 131);
    EXPECT_EQ(sim.Snapshot().ends[0].x, 100) << "stopped before the fast move";
    EXPECT_EQ(host.Exchange(B('s')), 16) << "resume runs the move as it is";
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0].x, 300);
}

TEST_F(SimRun, ObserversOnOtherThreadsDuringARun) {
    std::atomic<bool> done{false};
    std::thread observer([&] {
        while (!done) {
            (void)sim.Snapshot();
            (void)sim.Trace();
        }
    });
    std::vector<Move> moves;
    for (int i = 0; i < 200; ++i) moves.push_back({i % 2 ? 50 : -30, 20, i % 5 == 0, 300});
    Start(moves);
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    done = true;
    observer.join();
    EXPECT_EQ(sim.Snapshot().ends[0], (SimPoint{100 * 50 - 100 * 30, 200 * 20}));
}

TEST_F(SimRun, PacedRunEndsToo) {
    sim.SetSpeedUp(200);
    Start({{100, 0, false, 1000}});  // 100 ms simulated, half a millisecond real
    EXPECT_EQ(ReportsUntilEnd(), (std::vector<int>{48}));
    EXPECT_EQ(sim.Snapshot().ends[0].x, 100);
}

}  // namespace
}  // namespace wirvela
