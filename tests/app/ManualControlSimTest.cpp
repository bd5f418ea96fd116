// Manual motions executed end to end by the simulated controller: where the wire ends and
// the table stop, how long a move takes, and how the end of a run comes back through the
// event dispatch.
#include <gtest/gtest.h>

#include <cmath>

#include "ManualControlRig.h"
#include "controller/ControllerCodes.h"
#include "cutting/MotionTiming.h"

namespace wirvela {
namespace {

using test::ManualRig;

struct DistanceCase {
    const char* ploter;
    const char* dx;  // Edit4, mm
    const char* dy;  // Edit5, mm
    std::int64_t x;  // steps
    std::int64_t y;
};

class ManualDistance : public testing::TestWithParam<DistanceCase> {};

TEST_P(ManualDistance, BothWireEndsStopAtTheCommandedDistance) {
    const DistanceCase& c = GetParam();
    ManualRig rig(c.ploter);
    ManualControl& m = rig.Make();
    m.Edit4Changed(c.dx);
    m.Edit5Changed(c.dy);
    ASSERT_EQ(m.MoveByDistance(true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());

    const SimSnapshot s = rig.sim->Snapshot();
    EXPECT_EQ(s.ends[0], (SimPoint{c.x, c.y}));
    EXPECT_EQ(s.ends[1], (SimPoint{c.x, c.y}));
    EXPECT_EQ(m.LastEvent(), STAT_END);
    EXPECT_EQ(m.Form().Lerrors, ControllerCodes::FormatCode(rig.messages, STAT_END));
    EXPECT_FALSE(m.Link()->Running());
    EXPECT_TRUE(m.Form().Button9.enabled);
    EXPECT_TRUE(rig.asked.empty());

    // The preheating, then every major step at the feed period along the path.
    const double major = static_cast<double>(std::max(std::llabs(c.x), std::llabs(c.y)));
    const double expected =
        100 + major * StepPeriod(m.ManualFeedPeriod(), static_cast<double>(c.x), static_cast<double>(c.y));
    EXPECT_NEAR(s.elapsedMs, expected, expected * 0.002);
}

INSTANTIATE_TEST_SUITE_P(
    Manual, ManualDistance,
    testing::Values(DistanceCase{"", "10", "5", 1000, 500}, DistanceCase{"", "-7.5", "12,25", -750, 1225},
                    DistanceCase{"", "0", "-3", 0, -300},
                    DistanceCase{"", "700", "350", 70000, 35000},  // split into segments of 32760 steps
                    DistanceCase{"mmPerStep=0.124\nDefVelocity=30\n", "100", "-50", 806, -403},
                    DistanceCase{"manualScaling=2\n", "10", "4", 500, 200},  // typed distances ÷ scaling
                    DistanceCase{"YaxisDir=-1\n", "1", "1", 100, -100}));    // the link reverses the axis

TEST(ManualSim, MovesAccumulateAndReturnToTheStart) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    const std::pair<const char*, const char*> moves[] = {{"3", "4"}, {"-1.5", "0.25"}, {"-1.5", "-4.25"}};
    for (const auto& [dx, dy] : moves) {
        m.Edit4Changed(dx);
        m.Edit5Changed(dy);
        ASSERT_EQ(m.MoveByDistance(false), STAT_OK);
        ASSERT_TRUE(rig.WaitForEnd());
    }
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{0, 0}));
    EXPECT_EQ(rig.sim->Snapshot().runs, 3u);
}

TEST(ManualSim, AxisSelectionChoosesTheWireEnds) {
    ManualRig rig("Cone=1\n");
    ManualControl& m = rig.Make();
    m.CheckBox2Clicked(false);
    ASSERT_EQ(m.Move(200, -100, 0, true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{200, -100}));
    EXPECT_EQ(rig.sim->Snapshot().ends[1], (SimPoint{0, 0}));

    m.CheckBox1Clicked(false);  // neither: both programs, one wire end each
    ASSERT_EQ(m.Move(50, 50, 0, true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{250, -50}));
    EXPECT_EQ(rig.sim->Snapshot().ends[1], (SimPoint{50, 50}));
}

TEST(ManualSim, TurnsMoveOnlyTheTable) {
    ManualRig rig("StepsPer360=1000\n");
    ManualControl& m = rig.Make();
    m.Edit6Changed("36");
    ASSERT_EQ(m.TurnByField(true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().table, 100);
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{0, 0}));

    ASSERT_EQ(m.Turn(-90, true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().table, 100 - 250);
    EXPECT_EQ(m.LastEvent(), STAT_END);
}

TEST(ManualSim, ReleaseStopsAHeldJogWhereItIs) {
    ManualRig rig("DefHeating=1\n");
    ManualControl& m = rig.Make();
    rig.sim->SetRunLimit(300);  // 1 ms preheating, then 6 ms per step: about 50 steps
    ASSERT_EQ(m.JogPress(ManualControl::Jog::Right), STAT_OK);
    ASSERT_TRUE(rig.sim->WaitForSimTime(300, 5000));
    EXPECT_EQ(m.Release(), ManualControl::kOk);
    EXPECT_TRUE(rig.sim->WaitForState(SimState::Idle, 2000));
    const std::int64_t x = rig.sim->Snapshot().ends[0].x;
    EXPECT_GT(x, 40);
    EXPECT_LT(x, 60);
    EXPECT_FALSE(m.Link()->Running());

    // The port is back with the window: the next move runs normally.
    rig.sim->SetRunLimit(-1);
    ASSERT_EQ(m.Move(10, 0, 0, true), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().ends[0].x, x + 10);
}

TEST(ManualSim, StartCornerAndPendantMovesTellThePendantWhenTheyEnd) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    rig.sim->SetPositions({SimPoint{3000, 2000}, SimPoint{3000, 2000}});
    rig.sim->SetTravel({true, 0, 100000}, {true, 0, 100000});
    ASSERT_EQ(m.MoveToStartCorner(false), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{0, 0}));
    EXPECT_EQ(rig.notifier.events, std::vector<int>{ControllerDispatcher::kPendantStartCorner});
    EXPECT_EQ(m.LastEvent(), STAT_END);

    rig.notifier.events.clear();
    ASSERT_EQ(m.PendantMoveBy(2, 1), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_EQ(rig.sim->Snapshot().ends[0], (SimPoint{200, 100}));
    EXPECT_EQ(rig.notifier.events, std::vector<int>{ControllerDispatcher::kPendantMoveDone});

    // An operator's move afterwards is not reported as the pendant's.
    rig.notifier.events.clear();
    m.Edit4Changed("1");
    ASSERT_EQ(m.MoveByDistance(false), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_TRUE(rig.notifier.events.empty());
}

}  // namespace
}  // namespace wirvela
