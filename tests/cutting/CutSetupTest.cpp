// The table's turn during a single-figure cut: the ratio from the screw pitch, and the two
// refusals with the numbers their messages name.
#include "cutting/CutSetup.h"

#include <gtest/gtest.h>

#include <array>

namespace wirvela {
namespace {

struct TurnCase {
    bool on;       // the turn during the cut is chosen
    double pitch;  // cm per table revolution
    bool reverse;
    int t;  // the material's heating
    double rotRatio;
    int refusal;
    std::array<int, 2> args;
};

class TurnDuringCut : public ::testing::TestWithParam<TurnCase> {};

// 0.04 mm per step and 3600 table steps per revolution: 14.4 / pitch table steps per X
// step. V = 40 gives 6 ms per step; the table keeps up while 4 ms × ratio × 0.2 ≤ 6.
TEST_P(TurnDuringCut, FollowsThePitchOrRefusesWithTheTablesLimits) {
    const TurnCase& c = GetParam();
    CutSetup setup;
    setup.material = {"", 40, c.t, 1000, 200, 90};
    setup.motion.mmPerStep = 0.04;
    setup.stepsPer360 = 3600;
    setup.options.turnDuringCut = c.on;
    setup.options.pitchCm = c.pitch;
    setup.options.reverseTurn = c.reverse;
    const TableTurn turn = setup.TurnDuringCut(setup.Record());
    EXPECT_DOUBLE_EQ(turn.rotRatio, c.rotRatio);
    EXPECT_EQ(turn.refusal, c.refusal);
    EXPECT_EQ(turn.args, c.args);
}

INSTANTIATE_TEST_SUITE_P(
    Pitches, TurnDuringCut,
    ::testing::Values(TurnCase{true, 10, false, 100, 1.44, 0, {}}, TurnCase{true, 10, true, 100, -1.44, 0, {}},
                      TurnCase{true, 2, false, 100, 7.2, 0, {}},
                      // 14.4: trunc(300 / 14.4), trunc(heating × 5 / 14.4) with the heating sent (99 at most)
                      TurnCase{true, 1, false, 100, 0, TableTurn::kTableTooSlow, {20, 34}},
                      TurnCase{true, 1, false, 35, 0, TableTurn::kTableTooSlow, {20, 12}},
                      // a pitch of 0 asks for an infinite turn
                      TurnCase{true, 0, false, 35, 0, TableTurn::kTableTooSlow, {0, 0}},
                      TurnCase{true, -5, false, 35, 0, TableTurn::kPitchNotPositive, {}},
                      TurnCase{false, -5, true, 35, 0, 0, {}}));

}  // namespace
}  // namespace wirvela
