// The manual-control window: creation, the frames of its motions, the keypad, the field
// limits, the inch fields, failures and the service commands, on the simulated controller.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ManualControlRig.h"
#include "config/MessageFormat.h"
#include "controller/ControllerCodes.h"
#include "platform/Beep.h"

namespace wirvela {
namespace {

using test::ManualRig;
using Jog = ManualControl::Jog;

bool StartsEnabled(const ManualControl& m) {
    const ManualControl::Controls& c = m.Form();
    return c.Button1.enabled && c.Button4.enabled && c.Button9.enabled && c.SpeedButton1.enabled &&
           c.SpeedButton3.enabled;
}

TEST(ManualControlCreation, ReadsTheMachineConstantsAndStartsTheLink) {
    ManualRig rig("DefTemp=40\nDefHeating=250\nDefVelocity=15\nImperial=1\nCone=1\nStepsPer360=3600\n",
                  "[Pilot]\nPilotConnect=1\n");
    ManualControl& m = rig.Make();
    const ManualControl::Controls& c = m.Form();

    EXPECT_EQ(rig.outcome.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(rig.outcome.handshake, STAT_OK);
    EXPECT_EQ(c.Lerrors, rig.messages.MessageText(111));
    EXPECT_EQ(rig.pendant.connects, 1);
    EXPECT_EQ(m.Machine().stepsPer360, 3600);
    EXPECT_DOUBLE_EQ(m.Machine().stepsPerMm, 100);
    EXPECT_EQ(c.Edit3.text, "0.01");

    EXPECT_EQ(c.ScrollBar1.min, 1);
    EXPECT_EQ(c.ScrollBar1.max, 100);
    EXPECT_EQ(c.ScrollBar1.position, 60);
    EXPECT_EQ(c.Label23, "40");
    EXPECT_EQ(c.ScrollBar2.max, 4000);  // VxyManMax absent: this window's own default
    EXPECT_EQ(c.ScrollBar2.position, 15);
    EXPECT_EQ(c.Edit1.text, "15");
    EXPECT_EQ(c.Edit11.text, "250");
    EXPECT_TRUE(c.Edit14.visible);
    EXPECT_TRUE(c.CheckBox1.visible);
    EXPECT_EQ(rig.model->Link()->EventWindow(), &rig.model->Channel());
}

TEST(ManualControlCreation, HidesConeAndInchControlsAndChecksTheAxisBoxes) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    m.CheckBox1Clicked(false);
    m.Show();
    EXPECT_FALSE(m.Form().CheckBox1.visible);
    EXPECT_FALSE(m.Form().Label24Visible);
    EXPECT_TRUE(m.Form().CheckBox1.checked);
    EXPECT_FALSE(m.Form().Edit14.visible);
    EXPECT_EQ(rig.pendant.connects, 0);
}

TEST(ManualControlMove, JogRightWithSmallStepsIsOneLineOf24194Steps) {
    ManualRig rig("mmPerStep=0.124\nDefVelocity=20\n");
    ManualControl& m = rig.Make();
    EXPECT_EQ(m.JogPress(Jog::Right), STAT_OK);
    EXPECT_EQ(rig.Letters(), "EZaRSWTXUQQRSWTXUer");
    const SimLine line = ManualRig::Line(rig.Sent('a').at(0));
    EXPECT_EQ(line.dx, 24194);
    EXPECT_EQ(line.dy, 0);
    EXPECT_FALSE(line.delay);
    EXPECT_TRUE(m.Moving());
    EXPECT_TRUE(m.MoveRunning());
    EXPECT_EQ(m.Form().Panel1, ManualControl::PanelColour::Red);
    EXPECT_FALSE(StartsEnabled(m));
    EXPECT_EQ(rig.dispatcher.ActiveMode(), ControllerDispatcher::kModeManual);

    rig.frames.clear();
    EXPECT_EQ(m.Release(), ManualControl::kOk);
    EXPECT_EQ(rig.Letters(), "E");
    EXPECT_FALSE(m.Moving());
    EXPECT_EQ(m.Form().Panel1, ManualControl::PanelColour::Silver);
    EXPECT_TRUE(StartsEnabled(m));
}

TEST(ManualControlMove, SetupCarriesTheManualParameters) {
    ManualRig rig("DefVelocity=12\n");
    ManualControl& m = rig.Make();
    m.Edit11Changed("321");
    ASSERT_EQ(m.JogPress(Jog::UpLeft), STAT_OK);
    // 300000 steps each way, split: the first segment is (−32760, 32760).
    const SimLine line = ManualRig::Line(rig.Sent('a').at(0));
    EXPECT_EQ(line.dx, -32760);
    EXPECT_EQ(line.dy, 32760);
    EXPECT_EQ(ManualRig::A1(rig.Sent('R').at(0)), 321);  // corner delay = preheating field
    EXPECT_EQ(ManualRig::A1(rig.Sent('W').at(0)), 321);
    EXPECT_EQ(rig.Sent('S').at(0)[1], 35);  // 100 − heating bar, which stands at 100 − DefTemp
    EXPECT_EQ(SimDecodeLong(rig.Sent('T').at(0)), 1);
    EXPECT_EQ(ManualRig::A1(rig.Sent('X').at(0)), 30);
    EXPECT_EQ(ManualRig::A1(rig.Sent('U').at(0)), 0);
    // P = 0.01 × 60000 / 120 = 5 ms per step along the path; the diagonal's major steps
    // take 5 × √2 ms.
    EXPECT_NEAR(rig.model->Link()->StoredParameters().feedPeriod, 5.0, 1e-12);
    EXPECT_EQ(line.ticksPerSubStep, static_cast<std::uint32_t>(7372800 * 5 * std::sqrt(2.0) * 1000 * 1.25e-7));
}

struct HeatingCase {
    int position;
    int sentInSetup;  // C_SETCURRENT of the move's parameters
    int sentLive;     // C_SETCURRENT when the bar moves during a run
};

class ManualHeating : public testing::TestWithParam<HeatingCase> {};

TEST_P(ManualHeating, BarPositionGivesTheHeating) {
    const HeatingCase& c = GetParam();
    ManualRig rig("", "[ParamsLimits]\nTempMin=0\nTempMax=100\n");
    ManualControl& m = rig.Make();
    m.ScrollBar1Changed(c.position);
    EXPECT_TRUE(rig.Sent('S').empty());  // nothing live while no program runs
    EXPECT_EQ(m.Form().Label23, std::to_string(100 - c.position));
    EXPECT_EQ(rig.pendant.sent.back(), (std::pair<int, std::int32_t>{3, 100 - c.position}));

    rig.sim->SetRunLimit(0);  // the run stays at its start
    ASSERT_EQ(m.Move(10, 0, 0, true), STAT_OK);
    EXPECT_EQ(rig.Sent('S').at(0)[1], c.sentInSetup);
    rig.frames.clear();
    m.ScrollBar1Changed(c.position);
    ASSERT_EQ(rig.Sent('S').size(), 1u);
    EXPECT_EQ(rig.Sent('S')[0][1], c.sentLive);
    EXPECT_TRUE(rig.model->Link()->Running());  // the reader keeps the port
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualHeating,
                         testing::Values(HeatingCase{0, 99, 96},  // 100 is sent as 99; live limited to 96
                                         HeatingCase{100, 0, 1},  // live heating 0 is raised to 1
                                         HeatingCase{65, 35, 35}));

struct TurnCase {
    const char* ploter;
    double degrees;
    std::int32_t aStep;
};

class ManualTurn : public testing::TestWithParam<TurnCase> {};

TEST_P(ManualTurn, AngleBecomesTheSignMagnitudeTableStep) {
    const TurnCase& c = GetParam();
    ManualRig rig(c.ploter);
    ManualControl& m = rig.Make();
    rig.sim->SetRunLimit(0);  // the frames are what counts here, not the turn
    ASSERT_EQ(m.Turn(c.degrees, true), STAT_OK);
    EXPECT_EQ(rig.Letters(), "EZaaRSWTXUfRSWTXUer");
    EXPECT_EQ(ManualRig::Line(rig.Sent('a')[0]).dx, 1);
    EXPECT_EQ(ManualRig::Line(rig.Sent('a')[1]).dx, -1);
    EXPECT_EQ(SimDecodeLong(rig.Sent('T').at(0)), c.aStep);
    EXPECT_EQ(ManualRig::A1(rig.Sent('U').at(0)), 1);
    EXPECT_EQ(ManualRig::A1(rig.Sent('X').at(0)), 2);  // DefRotVelocity
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualTurn,
                         testing::Values(TurnCase{"StepsPer360=1000\n", 0.05, 1},  // below one step: still 1
                                         TurnCase{"", 36, 100},                    // StepsPer360 absent: 1000 here
                                         TurnCase{"StepsPer360=3600\n", -90,
                                                  static_cast<std::int32_t>(0x80000000u | 900u)},
                                         // the largest whole turn the counters hold (beyond: refused, below)
                                         TurnCase{"StepsPer360=1000\n", 773094112, 2147483644}));

// A typed distance or angle beyond the 32-bit step counters is refused before anything is
// sent: with mmPerStep 0.01 a move reaches 21474836.47 mm, with StepsPer360 3600 a turn
// 214748364.7 degrees.
struct LimitCase {
    const char* typed;
    bool turn;
    bool fits;
};

class ManualLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(ManualLimits, BeyondTheStepCountersNothingIsSent) {
    const LimitCase& c = GetParam();
    ManualRig rig("StepsPer360=3600\n");
    ManualControl& m = rig.Make();
    rig.sim->SetRunLimit(0);
    int r = 0;
    if (c.turn) {
        m.Edit6Changed(c.typed);
        r = m.TurnByField(true);
    } else {
        m.Edit4Changed(c.typed);
        m.Edit5Changed("1");
        r = m.MoveByDistance(true);
    }
    if (c.fits) {
        EXPECT_EQ(r, STAT_OK);
        EXPECT_FALSE(rig.frames.empty());
        EXPECT_TRUE(rig.asked.empty());
        return;
    }
    EXPECT_EQ(r, ManualControl::kFailed);
    EXPECT_TRUE(rig.frames.empty()) << rig.Letters();
    EXPECT_EQ(rig.sim->Snapshot().state, SimState::Idle);
    EXPECT_EQ(rig.Keys(), std::vector<int>{c.turn ? 610 : 609});
    const std::string largest = c.turn ? "214748364" : "21474836";
    EXPECT_NE(rig.asked.at(0).text.find(" " + largest + " "), std::string::npos) << rig.asked[0].text;
    EXPECT_EQ(m.Form().Lerrors, rig.asked[0].text);
    EXPECT_TRUE(StartsEnabled(m));
    EXPECT_FALSE(m.MoveRunning());
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualLimits,
                         testing::Values(LimitCase{"21474836", false, true}, LimitCase{"21474837", false, false},
                                         LimitCase{"-21474837", false, false}, LimitCase{"1e12", false, false},
                                         LimitCase{"214748364", true, true}, LimitCase{"214748365", true, false},
                                         LimitCase{"-1e12", true, false}, LimitCase{"1e300", true, false}));

TEST(ManualRefusal, ThePendantsMoveIsRefusedWithoutABox) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    EXPECT_EQ(m.PendantMoveBy(0, -1e12), ManualControl::kFailed);
    EXPECT_TRUE(rig.frames.empty());
    EXPECT_TRUE(rig.asked.empty());
    EXPECT_FALSE(m.ExecutingPendantMove());
    EXPECT_NE(m.Form().Lerrors.find("21474836"), std::string::npos);
}

// A machine setting edited outside its domain refuses every motion of the window.
TEST(ManualRefusal, AMachineSettingOutsideItsDomainRefusesEveryMotion) {
    ManualRig rig("manualScaling=abc\n");
    ManualControl& m = rig.Make();
    m.Edit4Changed("5");
    const int results[] = {m.JogPress(Jog::Up, true),   m.MoveByDistance(true), m.TurnByField(true),
                           m.TurnPress(true),           m.MoveToStartCorner(true),
                           m.HeatExternalWire(true, true), m.HeatExternalWire(false, true)};
    for (int r : results) EXPECT_EQ(r, ManualControl::kFailed);
    EXPECT_EQ(m.PendantMoveBy(1, 1), ManualControl::kFailed);
    EXPECT_TRUE(rig.Sent('b').empty() && rig.Sent('a').empty() && rig.Sent('U').empty()) << rig.Letters();
    EXPECT_EQ(rig.Keys(), std::vector<int>(std::size(results), 601));
    EXPECT_EQ(rig.asked.at(0).text, FormatMessage(rig.messages.MessageText(601),
                                                  {"Ploter", "manualScaling", "abc", "is not a number"}));
    EXPECT_FALSE(m.MoveRunning());
    EXPECT_FALSE(m.MovingToStartCorner());
}

TEST(ManualControlMove, ExternalWireHeatingTurnsTheTableAgainstTheMove) {
    ManualRig rig("DefVelocity=12\n");
    ManualControl& m = rig.Make();
    // P = 5 ms, P(60) = 1 ms: r = 5 × 5 / 1 − 1 = 24 table steps per X step, negative.
    ASSERT_EQ(m.HeatExternalWire(true, true), STAT_OK);
    const SimLine line = ManualRig::Line(rig.Sent('a').at(0));
    EXPECT_EQ(line.dx, -32760);
    EXPECT_TRUE(line.rotaryNegative);
    EXPECT_EQ(line.subStepsPerStep, 24u);
    EXPECT_EQ(line.kfd, 32768u);
    m.Stop();

    rig.frames.clear();
    ASSERT_EQ(m.HeatExternalWire(false, true), STAT_OK);
    EXPECT_EQ(SimDecodeLong(rig.Sent('T').at(0)), static_cast<std::int32_t>(0x80000000u | 100000u));
}

TEST(ManualControlMove, MoveToStartCornerAimsTenMetresDownLeft) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    ASSERT_EQ(m.MoveToStartCorner(false), STAT_OK);
    EXPECT_TRUE(m.MovingToStartCorner());
    std::int64_t dx = 0;
    std::int64_t dy = 0;
    for (const Frame& f : rig.Sent('a')) {
        dx += ManualRig::Line(f).dx;
        dy += ManualRig::Line(f).dy;
    }
    EXPECT_EQ(dx, -1000000);
    EXPECT_EQ(dy, -1000000);
    m.Stop();
    EXPECT_FALSE(m.MovingToStartCorner());
}

struct AxisCase {
    bool cone;
    bool first;
    bool second;
    std::uint16_t mode0;  // C_SETMODE a1 of register 0 (value × 256 + register)
    std::uint16_t mode1;
};

class ManualAxes : public testing::TestWithParam<AxisCase> {};

TEST_P(ManualAxes, AxisBoxesSelectTheModes) {
    const AxisCase& c = GetParam();
    ManualRig rig(c.cone ? "Cone=1\n" : "Cone=0\n");
    ManualControl& m = rig.Make();
    m.CheckBox1Clicked(c.first);
    m.CheckBox2Clicked(c.second);
    ASSERT_EQ(m.Move(10, 10, 0, true), STAT_OK);
    const std::vector<Frame> modes = rig.Sent('Q');
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(ManualRig::A1(modes[0]), c.mode0);
    EXPECT_EQ(ManualRig::A1(modes[1]), c.mode1);
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualAxes,
                         testing::Values(AxisCase{true, true, true, 0x0300, 0x0001},
                                         AxisCase{true, true, false, 0x0100, 0x0001},
                                         AxisCase{true, false, true, 0x0200, 0x0001},
                                         AxisCase{true, false, false, 0x0200, 0x0101},
                                         AxisCase{false, false, false, 0x0300, 0x0001}));  // hidden: checked

class ManualKeypad : public testing::Test {
protected:
    void SetUp() override {
        SetBeepHook([this] { ++beeps; });
    }
    void TearDown() override { SetBeepHook({}); }
    int beeps = 0;
};

TEST_F(ManualKeypad, HeldKeyBeepsOnceAndJogsUntilReleased) {
    ManualRig rig("mmPerStep=0.124\nDefVelocity=20\n");
    ManualControl& m = rig.Make();
    EXPECT_FALSE(m.KeypadDown(ManualControl::kKeypad5));
    EXPECT_FALSE(m.KeypadDown(65));
    EXPECT_TRUE(rig.frames.empty());

    EXPECT_TRUE(m.KeypadDown(102));  // keypad 6: right
    EXPECT_TRUE(m.KeypadDown(102));  // auto-repeat while held
    EXPECT_TRUE(m.KeypadDown(104));  // another key while the first is held
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(m.KeypadGuard());
    ASSERT_EQ(rig.Sent('a').size(), 1u);
    EXPECT_GT(ManualRig::Line(rig.Sent('a')[0]).dx, 0);
    EXPECT_EQ(ManualRig::Line(rig.Sent('a')[0]).dy, 0);

    rig.frames.clear();
    EXPECT_TRUE(m.KeypadUp(102));
    EXPECT_EQ(rig.Letters(), "E");
    EXPECT_FALSE(m.KeypadGuard());
    EXPECT_TRUE(StartsEnabled(m));

    EXPECT_TRUE(m.KeypadDown(97));  // keypad 1: down-left
    EXPECT_EQ(beeps, 2);
    const SimLine line = ManualRig::Line(rig.Sent('b').empty() ? rig.Sent('a').back() : rig.Sent('b').back());
    EXPECT_LT(line.dx, 0);
    EXPECT_LT(line.dy, 0);
}

struct StepsCase {
    const char* mmPerStep;  // Edit3
    double mm;
    std::int32_t steps;
};

class ManualSteps : public testing::TestWithParam<StepsCase> {};

TEST_P(ManualSteps, DistanceToSteps) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    m.Edit3Changed(GetParam().mmPerStep);
    EXPECT_EQ(m.Steps(GetParam().mm), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualSteps,
                         testing::Values(StepsCase{"0.124", 3000, 24194}, StepsCase{"0.124", -3000, -24194},
                                         StepsCase{"0,5", 3000, 6000},  // comma read as a point
                                         StepsCase{"0.01", 0.004, 0}, StepsCase{"0.01", -0.006, -1},
                                         StepsCase{"0", 12, 1}, StepsCase{"abc", -12, 1},  // no mm per step
                                         StepsCase{"1e-9", 1e9, 2147483647}, StepsCase{"1e-9", -1e9, -2147483647}));

TEST(ManualControlFields, SpeedFieldMovesTheBarAndIsClampedOnLeaving) {
    ManualRig rig("", "[ParamsLimits]\nVxyManMin=4\nVxyManMax=60\n");
    ManualControl& m = rig.Make();
    m.Edit1Changed("25");
    EXPECT_EQ(m.Form().ScrollBar2.position, 25);
    m.Edit1Changed("5000");
    EXPECT_EQ(m.Form().ScrollBar2.position, 25);
    EXPECT_EQ(m.Form().Edit1.text, "5000");
    m.Edit1Exit();
    EXPECT_EQ(m.Form().ScrollBar2.position, 60);
    EXPECT_EQ(m.Form().Edit1.text, "60");
    m.Edit1Changed("x");
    m.Edit1Exit();
    EXPECT_EQ(m.Form().Edit1.text, "4");
    using P = std::pair<int, std::int32_t>;
    EXPECT_EQ(rig.pendant.sent, (std::vector<P>{{2, 25}, {2, 60}, {2, 4}}));
}

TEST(ManualControlFields, PreheatingIsClampedOnLeavingAndBeforeEveryMove) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    m.Edit11Changed("0");
    m.Edit11Exit();
    EXPECT_EQ(m.Form().Edit11.text, "1");
    EXPECT_EQ(rig.pendant.sent.back(), (std::pair<int, std::int32_t>{4, 1}));

    m.Edit11Changed("99999");
    m.Edit1Changed("9999");
    m.Edit4Changed("1");
    ASSERT_EQ(m.MoveByDistance(true), STAT_OK);
    EXPECT_EQ(m.Form().Edit11.text, "10000");
    EXPECT_EQ(ManualRig::A1(rig.Sent('W').at(0)), 10000);
    EXPECT_EQ(m.Form().ScrollBar2.position, 4000);
}

TEST(ManualControlFields, PendantValuesNeedSharedAccessAndReportFailures) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    rig.pendant.available = false;
    m.ScrollBar2Changed(30);
    EXPECT_TRUE(rig.pendant.sent.empty());
    rig.pendant.available = true;
    rig.pendant.failing = true;
    m.ScrollBar2Changed(31);
    EXPECT_EQ(m.Form().Lerrors, "pendant error 5");
    EXPECT_TRUE(m.Form().Timer1.enabled);
    m.Timer1Fired();
    EXPECT_EQ(m.Form().Lerrors, "");
    EXPECT_FALSE(m.Form().Timer1.enabled);
}

TEST(ManualInches, FieldsFollowEachOtherBeyondTheTolerance) {
    ManualRig rig("Imperial=1\n");
    ManualControl& m = rig.Make();
    m.Edit4Changed("25.4");
    EXPECT_EQ(m.Form().Edit14.text, "1\"");
    m.Edit4Changed("25.9");  // 0.5 mm from 1": the inch field stays
    EXPECT_EQ(m.Form().Edit14.text, "1\"");
    m.Edit14Changed("2 1/2\"");
    EXPECT_EQ(m.Form().Edit4.text, "63.5");
    m.Edit14Changed("2 1/");  // unreadable while typing: the millimetres stay
    EXPECT_EQ(m.Form().Edit4.text, "63.5");
    m.Edit5Changed("");
    EXPECT_EQ(m.Form().Edit15.text, "0");
    m.Edit5Changed("abc");
    EXPECT_EQ(m.Form().Edit15.text, "Format error");
}

TEST(ManualInches, UnreadableInchFieldStopsTheMoveWithItsMessage) {
    ManualRig rig("Imperial=1\n");
    ManualControl& m = rig.Make();
    m.Edit14Changed("1/2");
    m.Edit15Changed("x");
    EXPECT_EQ(m.MoveByDistance(true), ManualControl::kFailed);
    EXPECT_EQ(rig.Keys(), std::vector<int>{204});
    EXPECT_TRUE(rig.Sent('a').empty() && rig.Sent('b').empty());

    m.Edit15Changed("-1\"");
    ASSERT_EQ(m.MoveByDistance(true), STAT_OK);
    EXPECT_EQ(m.Form().Edit4.text, "12.7");
    EXPECT_EQ(m.Form().Edit5.text, "-25.4");
    const SimLine line = ManualRig::Line(rig.Sent('b').at(0));
    EXPECT_EQ(line.dx, 1270);
    EXPECT_EQ(line.dy, -2540);
}

TEST(ManualControlFailure, RefusedLineReleasesTheLockAndShowsTheCode) {
    ManualRig rig("mmPerStep=1\nDefVelocity=10\n");  // 600 ms per step: beyond the controller's timer
    ManualControl& m = rig.Make();
    EXPECT_EQ(m.JogPress(Jog::Up, true), ERR_COUNTER_OVERFLOW);
    EXPECT_EQ(rig.Letters(), "EZ");
    EXPECT_EQ(m.Form().Lerrors, ControllerCodes::FormatCode(rig.messages, ERR_COUNTER_OVERFLOW));
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked[0].caption, rig.messages.MessageText(112));
    EXPECT_TRUE(StartsEnabled(m));
    EXPECT_FALSE(m.MoveRunning());

    rig.asked.clear();
    EXPECT_EQ(m.PendantMoveBy(0, 5), ERR_COUNTER_OVERFLOW);
    EXPECT_TRUE(rig.asked.empty());  // not interactive: status line only
    EXPECT_FALSE(m.ExecutingPendantMove());
}

TEST(ManualControlFailure, ControllerErrorDuringAMoveSuppressesTheReleaseCancel) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    rig.sim->FailWith(STAT_ERR_IPWM, 0);
    ASSERT_EQ(m.JogPress(Jog::Left), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());
    EXPECT_TRUE(m.ErrorFlag());
    EXPECT_EQ(m.LastEvent(), STAT_ERR_IPWM);
    EXPECT_TRUE(StartsEnabled(m));
    EXPECT_EQ(rig.Keys(), std::vector<int>{50});  // the code's box
    rig.frames.clear();
    EXPECT_EQ(m.Release(), ManualControl::kOk);
    EXPECT_TRUE(rig.frames.empty());
}

TEST(ManualControlStop, StopCancelsARunAndClearsTheFlags) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    rig.sim->SetRunLimit(0);
    SetBeepHook([] {});
    m.KeypadDown(98);
    SetBeepHook({});
    EXPECT_EQ(m.PendantMoveBy(1, 1), STAT_OK);
    EXPECT_TRUE(m.ExecutingPendantMove());
    EXPECT_EQ(m.Stop(), STAT_OK);
    EXPECT_EQ(m.Form().Lerrors, rig.messages.MessageText(100));
    EXPECT_FALSE(m.ExecutingPendantMove());
    EXPECT_FALSE(m.KeypadGuard());
    EXPECT_FALSE(m.MoveRunning());
    EXPECT_TRUE(StartsEnabled(m));
    EXPECT_TRUE(rig.sim->WaitForState(SimState::Idle, 2000));

    EXPECT_EQ(m.Stop(), STAT_OK);  // nothing runs: the code's own text
    EXPECT_EQ(m.Form().Lerrors, ControllerCodes::FormatCode(rig.messages, STAT_OK));
}

TEST(ManualControlService, StateQueries) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    EXPECT_EQ(m.DeviceState(), "C0h 192: Można wysyłać dane");
    EXPECT_EQ(m.StatePanel(), "STATE_NORM");
    rig.sim->SetRunLimit(0);
    ASSERT_EQ(m.Move(5, 5, 0, true), STAT_OK);
    EXPECT_EQ(m.DeviceState(), "C1h 193: Trwa wycinanie, poczekaj na zakończenie");
    EXPECT_EQ(m.Form().Lerrors, "C1h 193: Trwa wycinanie, poczekaj na zakończenie");
    m.Stop();
}

TEST(ManualControlService, VariableDumpWritesEveryVariableAsReceived) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    m.Edit4Changed("1");
    m.Edit5Changed("-0.5");
    ASSERT_EQ(m.MoveByDistance(false), STAT_OK);
    ASSERT_TRUE(rig.WaitForEnd());

    EXPECT_EQ(m.DumpVariables(), ManualControl::kOk);
    EXPECT_TRUE(m.Form().Button24.enabled);
    const std::string dump = rig.dir.Read("vars.txt");
    EXPECT_EQ(dump.size(), 32u * 17u);
    EXPECT_EQ(dump.substr(0, 34), "\n00: C0 00 00 00 \n04: 64 00 00 00 ");  // state, x of wire end 1
    EXPECT_NE(dump.find("\n08: CE FF FF FF "), std::string::npos);          // y = −50
    EXPECT_NE(dump.find("\n7C: 00 00 00 00 "), std::string::npos);
    EXPECT_TRUE(rig.asked.empty());
}

TEST(ManualControlService, VariableDumpFailuresEndItAndReenableTheButton) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    rig.sim->SetSilent(true);
    EXPECT_EQ(m.DumpVariables(), ManualControl::kFailed);
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked[0].caption, "SENDFRAME błąd");
    EXPECT_TRUE(m.Form().Button24.enabled);
    EXPECT_EQ(rig.dir.Read("vars.txt"), "");

    rig.asked.clear();
    std::filesystem::remove(rig.dir.Path() / "vars.txt");
    std::filesystem::create_directory(rig.dir.Path() / "vars.txt");
    EXPECT_EQ(m.DumpVariables(), ManualControl::kFailed);
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked[0].text, "Błąd otwarcia pliku vars.TXT");
    EXPECT_EQ(rig.asked[0].caption, "Błąd");
}

TEST(ManualControlService, StatusLineAndIndicatorTimers) {
    ManualRig rig;
    ManualControl& m = rig.Make();
    m.ShowStatus("text");
    m.LerrorsClick();
    EXPECT_EQ(m.Form().Lerrors, "");
    rig.sim->SetRunLimit(0);
    ASSERT_EQ(m.Move(1, 0, 0, true), STAT_OK);
    m.Timer2Fired();
    EXPECT_EQ(m.Form().Panel1, ManualControl::PanelColour::Silver);
    m.Timer2Fired();
    EXPECT_EQ(m.Form().Panel1, ManualControl::PanelColour::Red);
    m.Stop();
    m.Timer2Fired();  // stopped: stays silver
    EXPECT_EQ(m.Form().Panel1, ManualControl::PanelColour::Silver);
}

TEST(ManualControlCreation, WithoutAControllerTheWindowStaysUsable) {
    ManualRig rig;
    rig.sim->SetSilent(true);
    ManualControl& m = rig.Make();
    EXPECT_EQ(rig.outcome.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(rig.outcome.handshake, RS_EMPTY_RESP);
    EXPECT_EQ(rig.Keys(), std::vector<int>{110});
    rig.asked.clear();
    EXPECT_EQ(m.Move(10, 0, 0, false), RS_EMPTY_RESP);
    EXPECT_TRUE(StartsEnabled(m));
    EXPECT_EQ(m.Release(), ManualControl::kFailed);
}

}  // namespace
}  // namespace wirvela
