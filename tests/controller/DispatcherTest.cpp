// The dispatch of controller reports to the window whose run they belong to.
#include <gtest/gtest.h>

#include "LinkRig.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/CuttingEvents.h"
#include "controller/ManualControlEvents.h"
#include "controller/RotaryEvents.h"
#include "support/PendantStub.h"

namespace wirvela {
namespace {

using test::LinkRig;

// Records what the dispatcher did to a window, as one line per call.
class WindowLog {
public:
    std::vector<std::string> calls;
    std::vector<std::string> status;
    bool startEnabled = false;
};

class FakeManual : public ManualControlEvents {
public:
    FakeManual() : events([](int, std::intptr_t) { return std::intptr_t{0}; }) {}
    const EventChannel* Events() const override { return &events; }
    void ShowStatus(std::string_view text) override { log.status.emplace_back(text); }
    void EnableStart(bool enable) override { log.startEnabled = enable; }
    void StopIndicator() override { log.calls.push_back("StopIndicator"); }
    void SetErrorFlag() override { log.calls.push_back("SetErrorFlag"); }
    bool MovingToStartCorner() const override { return startCorner; }
    bool ExecutingPendantMove() const override { return pendantMove; }

    EventChannel events;
    WindowLog log;
    bool startCorner = false;
    bool pendantMove = false;
};

class FakeCutting : public CuttingEvents {
public:
    FakeCutting() : events([](int, std::intptr_t) { return std::intptr_t{0}; }) {}
    const EventChannel* Events() const override { return &events; }
    void ShowStatus(std::string_view text) override { log.status.emplace_back(text); }
    void EnableStart(bool enable) override { log.startEnabled = enable; }
    void EnableContinue(bool enable) override { log.calls.push_back(enable ? "Continue on" : "Continue off"); }
    void EnableHold(bool enable) override { log.calls.push_back(enable ? "Hold on" : "Hold off"); }
    void Stop() override { log.calls.push_back("Stop"); }

    EventChannel events;
    WindowLog log;
};

class FakeRotary : public RotaryEvents {
public:
    FakeRotary() : events([](int, std::intptr_t) { return std::intptr_t{0}; }) {}
    const EventChannel* Events() const override { return &events; }
    void ShowStatus(std::string_view text) override { log.status.emplace_back(text); }
    void EnableStart(bool enable) override { log.startEnabled = enable; }
    void EnableContinue(bool enable) override { log.calls.push_back(enable ? "Continue on" : "Continue off"); }
    void EnableHold(bool enable) override { log.calls.push_back(enable ? "Hold on" : "Hold off"); }
    bool LastProfile() const override { return last; }
    int CurrentRow() const override { return row; }
    void MovePreviewToCurrentRow() override { log.calls.push_back("Preview"); }
    int SendNextProfile() override {
        log.calls.push_back("Next");
        return STAT_OK;
    }
    void Stop() override { log.calls.push_back("Stop"); }

    EventChannel events;
    WindowLog log;
    bool last = false;
    int row = 4;
};

class FakePendant : public test::PendantStub {
public:
    bool TryAcquireShared() override { return available; }
    void ReleaseShared() override { ++releases; }
    int SendEvent(int first, int second) override {
        sent.emplace_back(first, second);
        return result;
    }
    std::string ErrorText(int code) const override { return "pendant error " + std::to_string(code); }

    bool available = true;
    int result = 0;
    int releases = 0;
    std::vector<std::pair<int, int>> sent;
};

class DispatcherTest : public ::testing::Test {
protected:
    DispatcherTest() : dispatcher(rig.messages, prompt) {
        dispatcher.SetManualControl(&manual);
        dispatcher.SetCutting(&cutting);
        dispatcher.SetRotary(&rotary);
        dispatcher.SetPendant(&pendant);
        link = &rig.Open();
        dispatcher.SetLink(link);
    }
    // The link goes before the windows whose channels it may point at.
    ~DispatcherTest() override { rig.link.reset(); }

    // A run in `mode` with `window` as the event window; the start lock is taken.
    void Run(int mode, const EventChannel* window) {
        dispatcher.SetActiveMode(mode);
        link->SetEventWindow(const_cast<EventChannel*>(window));
        dispatcher.StartLock(false);
        ASSERT_EQ(link->Start(), STAT_OK);
    }

    std::string Text(int code) { return ControllerCodes::FormatCode(rig.messages, code); }

    LinkRig rig;
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    }};
    ControllerDispatcher dispatcher;
    FakeManual manual;
    FakeCutting cutting;
    FakeRotary rotary;
    FakePendant pendant;
    ComClass* link = nullptr;
};

TEST_F(DispatcherTest, EndOfACutStopsTheCuttingWindowAndTakesTheLinkBack) {
    Run(2, &cutting.events);
    dispatcher.Dispatch(STAT_END);
    EXPECT_EQ(cutting.log.status, std::vector<std::string>{Text(STAT_END)});
    EXPECT_EQ(cutting.log.calls, (std::vector<std::string>{"Continue off", "Hold off", "Stop"}));
    EXPECT_TRUE(manual.log.startEnabled && cutting.log.startEnabled && rotary.log.startEnabled);
    EXPECT_FALSE(link->Running());
    EXPECT_TRUE(link->HoldsPort());
    EXPECT_EQ(pendant.sent, (std::vector<std::pair<int, int>>{{0, 7}}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DispatcherTest, TooFastInACutHoldsItAndTakesTheLinkBack) {
    Run(2, &cutting.events);
    dispatcher.Dispatch(STAT_ERR_OVERR);
    EXPECT_EQ(cutting.log.calls, (std::vector<std::string>{"Continue on", "Hold off"}));
    EXPECT_FALSE(cutting.log.startEnabled);  // the run is held, not ended
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Text(STAT_ERR_OVERR));
    EXPECT_EQ(boxes[0].caption, rig.messages.MessageText(109));
    EXPECT_EQ(boxes[0].icon, PromptIcon::Warning);
    EXPECT_FALSE(link->Running());
    EXPECT_TRUE(pendant.sent.empty());
}

TEST_F(DispatcherTest, LimitSwitchInACutOnlyShowsTheText) {
    Run(2, &cutting.events);
    dispatcher.Dispatch(WYL_LEWY_DOL);
    EXPECT_EQ(cutting.log.status, std::vector<std::string>{Text(WYL_LEWY_DOL)});
    EXPECT_TRUE(cutting.log.calls.empty());
    EXPECT_TRUE(link->Running());
    EXPECT_TRUE(pendant.sent.empty());
}

TEST_F(DispatcherTest, RotaryProfileThatIsNotTheLastSendsTheNextOne) {
    Run(3, &rotary.events);
    dispatcher.Dispatch(STAT_END);
    EXPECT_EQ(rotary.log.calls, (std::vector<std::string>{"Hold off", "Preview", "Next", "Hold on"}));
    EXPECT_EQ(rotary.log.status, std::vector<std::string>{"Profile 3 finished, cutting the next one..."});
    EXPECT_FALSE(rotary.log.startEnabled);
    EXPECT_TRUE(link->Running());  // the link stays with the reader
    EXPECT_TRUE(pendant.sent.empty());
}

TEST_F(DispatcherTest, LastRotaryProfileEndsTheProject) {
    rotary.last = true;
    Run(3, &rotary.events);
    dispatcher.Dispatch(STAT_END);
    EXPECT_EQ(rotary.log.calls, (std::vector<std::string>{"Hold off", "Continue off", "Hold off", "Stop"}));
    EXPECT_EQ(rotary.log.status, std::vector<std::string>{Text(STAT_END)});
    EXPECT_TRUE(rotary.log.startEnabled);
    EXPECT_FALSE(link->Running());
    EXPECT_EQ(pendant.sent, (std::vector<std::pair<int, int>>{{0, 7}}));
}

TEST_F(DispatcherTest, NoWireCurrentInManualControlStopsTheMove) {
    Run(1, &manual.events);
    dispatcher.Dispatch(STAT_ERR_IPWM);
    EXPECT_EQ(manual.log.calls, (std::vector<std::string>{"SetErrorFlag", "StopIndicator"}));
    EXPECT_EQ(manual.log.status, std::vector<std::string>{Text(STAT_ERR_IPWM)});
    EXPECT_TRUE(manual.log.startEnabled);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(link->Running());
}

TEST_F(DispatcherTest, ManualMoveEndNotifiesThePendantWhenItAskedForTheMove) {
    manual.pendantMove = true;
    Run(1, &manual.events);
    dispatcher.Dispatch(STAT_END);
    EXPECT_EQ(manual.log.calls, std::vector<std::string>{"StopIndicator"});
    EXPECT_EQ(pendant.sent, (std::vector<std::pair<int, int>>{{0, 23}}));
    EXPECT_EQ(pendant.releases, 1);
}

TEST_F(DispatcherTest, StartCornerReachedNotifiesThePendant) {
    manual.startCorner = true;
    Run(1, &manual.events);
    dispatcher.Dispatch(WYL_LEWY_DOL);
    EXPECT_EQ(pendant.sent, (std::vector<std::pair<int, int>>{{0, 21}}));
    dispatcher.Dispatch(WYL_LEWY);
    EXPECT_EQ(pendant.sent.size(), 1u);
    EXPECT_EQ(manual.log.status.size(), 2u);
}

TEST_F(DispatcherTest, UnknownModeIsManualControl) {
    Run(7, &manual.events);
    dispatcher.Dispatch(0x10000 | STAT_END);  // only the low 16 bits are the code
    EXPECT_EQ(manual.log.status, std::vector<std::string>{Text(STAT_END)});
    EXPECT_FALSE(link->Running());
}

TEST_F(DispatcherTest, OtherCodesGetNoReaction) {
    Run(2, &cutting.events);
    for (int code : {COM_ASYNCH_ERR_READ, COM_MUTEX_BUSY_ASYNCH, STAT_OK, STATE_NORM, 2001}) dispatcher.Dispatch(code);
    EXPECT_TRUE(cutting.log.status.empty());
    EXPECT_TRUE(cutting.log.calls.empty());
    EXPECT_TRUE(link->Running());
}

TEST_F(DispatcherTest, StatusGoesOnlyToTheEventWindow) {
    link->SetEventWindow(&rotary.events);
    dispatcher.ShowStatus("x");
    link->SetEventWindow(&rig.channel);
    dispatcher.ShowStatus("y");
    EXPECT_EQ(rotary.log.status, std::vector<std::string>{"x"});
    EXPECT_TRUE(manual.log.status.empty());
    EXPECT_TRUE(cutting.log.status.empty());
}

TEST_F(DispatcherTest, PendantNotification) {
    link->SetEventWindow(&cutting.events);
    pendant.result = 5;
    dispatcher.NotifyPendant(7);
    EXPECT_EQ(cutting.log.status, std::vector<std::string>{"pendant error 5"});
    EXPECT_EQ(pendant.releases, 1);
    pendant.available = false;
    dispatcher.NotifyPendant(7);
    EXPECT_EQ(pendant.sent.size(), 1u);
    EXPECT_EQ(pendant.releases, 1);
    dispatcher.SetPendant(nullptr);
    dispatcher.NotifyPendant(7);  // no pendant: dropped
}

// The whole road: the reader delivers the end of a cut to the cutting window, whose
// model hands it to the dispatcher on the window thread.
TEST(DispatcherWithReader, EndOfProgramFromTheReaderTakesTheLinkBack) {
    LinkRig rig;
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt([&](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    });
    ControllerDispatcher dispatcher(rig.messages, prompt);
    FakeCutting cutting;
    bool ended = false;
    EventChannel cuttingEvents([&](int code, std::intptr_t) {
        dispatcher.Dispatch(code);
        ended = ended || code == STAT_END;
        return std::intptr_t{0};
    });
    dispatcher.SetCutting(&cutting);
    ComClass& link = rig.Open();
    dispatcher.SetLink(&link);
    dispatcher.SetActiveMode(2);
    link.SetEventWindow(&cuttingEvents);
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.recorder->Report(STAT_END);
    for (int i = 0; i < 500 && !ended; ++i) cuttingEvents.WaitAndProcess(10);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(link.Running());
    EXPECT_TRUE(link.HoldsPort());
    EXPECT_EQ(cutting.log.calls.back(), "Stop");
    EXPECT_EQ(link.QueryState(), STATE_NORM);
    rig.link.reset();
}

}  // namespace
}  // namespace wirvela
