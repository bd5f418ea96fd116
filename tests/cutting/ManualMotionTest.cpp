// The manual motions without a window: the start values within the limits, and the start
// lock around a motion that cannot start. The motions' frames are shown by the
// manual-control window's tests.
#include <gtest/gtest.h>

#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/ManualControlEvents.h"
#include "cutting/ManualMotion.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

TParameters Load(const test::TempDir& dir, const std::string& ini) {
    dir.Write("wirvela.ini", ini);
    TParameters p;
    p.Load(dir.Path(), "wirvela.ini", "local.txt");
    return p;
}

TEST(ManualMotionStart, MachineDefaultsAreKeptWithinTheLimits) {
    test::TempDir dir;
    const TParameters p = Load(dir,
                               "[Ploter]\nmmPerStep=0.05\nDefVelocity=5000\nDefTemp=120\nDefHeating=0\n"
                               "[ParamsLimits]\nVxyManMin=10\nVxyManMax=60\nTempMin=5\nTempMax=2\n");
    const ManualMotion::Limits limits = ManualMotion::Limits::Read(p);
    EXPECT_EQ(limits.heatingBar.max, 5) << "a maximum below its minimum is the minimum";
    const ManualMotion::Settings s = ManualMotion::Initial(MachineConstants::Read(p), limits);
    EXPECT_DOUBLE_EQ(s.distanceMmPerStep, 0.05);
    EXPECT_EQ(s.speed, 60);
    EXPECT_EQ(s.heating, 95);  // the heating bar at its minimum, 5
    EXPECT_EQ(s.preheating, 1);
    EXPECT_TRUE(s.firstAxis && s.secondAxis);
}

struct StartLockWatch : ManualControlEvents {
    const EventChannel* Events() const override { return nullptr; }
    void ShowStatus(std::string_view) override {}
    void EnableStart(bool enable) override { locks.push_back(enable); }
    void StopIndicator() override {}
    void SetErrorFlag() override {}
    bool MovingToStartCorner() const override { return false; }
    bool ExecutingPendantMove() const override { return false; }
    std::vector<bool> locks;
};

TEST(ManualMotionWithoutALink, EveryMotionIsRefusedAndTheStartLockOpensAgain) {
    test::TempDir dir;
    const TParameters p = Load(dir, "[Ploter]\nmmPerStep=0.01\n");
    TMessages messages;
    ScriptedPrompt prompt([](const PromptRequest&) { return PromptAnswer::Ok; });
    ControllerDispatcher dispatcher(messages, prompt);
    StartLockWatch window;
    dispatcher.SetManualControl(&window);
    dispatcher.SetActiveMode(ControllerDispatcher::kModeCutting);
    const MachineConstants machine = MachineConstants::Read(p);
    ManualMotion motion(nullptr, dispatcher, p, machine, ManualMotion::Settings{});

    for (int r : {motion.Move(10, 0, 0), motion.Turn(90), motion.MoveToStartCorner(), motion.HeatExternalWire(true),
                  motion.HeatExternalWire(false), motion.Stop()}) {
        EXPECT_EQ(r, RS_OPEN_COM_ERR);
    }
    EXPECT_EQ(dispatcher.ActiveMode(), ControllerDispatcher::kModeManual);
    EXPECT_EQ(window.locks, (std::vector<bool>{false, true, false, true, false, true, false, true, false, true, true}));
    EXPECT_EQ(motion.Stop(false), STAT_OK) << "nothing to cancel after the controller's own error";
    EXPECT_TRUE(window.locks.back());
}

}  // namespace
}  // namespace wirvela
