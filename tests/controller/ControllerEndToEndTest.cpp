// The link against the simulated controller: programs streamed, started, executed and
// ended, with hold, resume, cancel and the controller's failures on the way.
#include <gtest/gtest.h>

#include <array>

#include "LinkRig.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/CuttingEvents.h"
#include "controller/LinkStartup.h"
#include "controller/SimulatedFtdi.h"
#include "platform/FtdiUsb.h"

namespace wirvela {
namespace {

using test::LinkRig;

struct Move {
    std::int32_t dx, dy;
};

const std::vector<Move> kMoves = {{1200, 0}, {0, 800}, {-450, 310}, {70000, -35000}, {-3, -40000}, {17, 2}};

std::string SimIni(bool buffered) {
    return std::string(
               "[RSparam]\nSerialNo=SIM00001\nTimeoutRX=20\nTimeoutTX=20\nInterCharDelay=0\nWRpacketSize=500\n") +
           "Buffered=" + (buffered ? "1" : "0") + "\n";
}

class SimLink {
public:
    explicit SimLink(bool buffered, SimulatedControllerConfig config = SimulatedControllerConfig::Fast())
        : sim(std::make_shared<SimulatedController>(std::move(config))),
          rig(SimIni(buffered), std::make_unique<SimulatedFtdi>(sim)) {}

    LinkStartup StartUp() {
        return LinkStartup::Run(rig.Services(), &rig.channel, prompt, [](std::string_view) {});
    }

    // Streams the moves as one program; the caller starts it.
    int Stream(ComClass& link, const std::vector<Move>& moves, double period = 200) {
        int r = link.BeginBlock();
        if (r != STAT_OK) return r;
        bool first = true;
        for (const Move& m : moves) {
            r = link.Line(m.dx, m.dy, first, period, 0);
            first = false;
            if (r != STAT_OK) return r;
        }
        CutParameters p;
        p.cornerDelay = 5;
        p.heating = 30;
        p.heatingTime = 10;
        return link.Setup(p);
    }

    std::shared_ptr<SimulatedController> sim;
    LinkRig rig;
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    }};
};

SimPoint Sum(const std::vector<Move>& moves) {
    SimPoint p;
    for (const Move& m : moves) {
        p.x += m.dx;
        p.y += m.dy;
    }
    return p;
}

class EndToEnd : public ::testing::TestWithParam<bool> {};

TEST_P(EndToEnd, ProgramRunsToItsEndAtTheSumOfTheMoves) {
    SimLink s(GetParam());
    LinkStartup up = s.StartUp();
    ASSERT_EQ(up.handshake, STAT_OK);
    EXPECT_TRUE(s.boxes.empty());
    ComClass& link = *up.link;
    EXPECT_EQ(link.Info(), "wirvela simulated controller, protocol 38");
    EXPECT_EQ(link.Clock(), 7372800);

    ASSERT_EQ(s.Stream(link, kMoves), STAT_OK);
    ASSERT_EQ(link.Start(), STAT_OK);
    EXPECT_TRUE(link.Running());
    ASSERT_TRUE(s.rig.WaitForEvent(STAT_END));
    ASSERT_EQ(link.TakeBackFromReader(), STAT_OK);

    const SimSnapshot snap = s.sim->Snapshot();
    EXPECT_EQ(snap.state, SimState::Idle);
    EXPECT_EQ(snap.ends[0], Sum(kMoves));
    EXPECT_EQ(snap.ends[1], Sum(kMoves));
    EXPECT_EQ(snap.runs, 1u);
    EXPECT_EQ(snap.parameters.heating, 30);
    EXPECT_EQ(link.QueryState(), STATE_NORM);
    up.link.reset();
}

INSTANTIATE_TEST_SUITE_P(Transfer, EndToEnd, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Block" : "FrameByFrame"; });

TEST(EndToEndControl, HoldResumeAndCancelInTheMiddle) {
    SimLink s(true);
    s.sim->SetRunLimit(100);  // the run stops moving at 100 simulated ms
    LinkStartup up = s.StartUp();
    ComClass& link = *up.link;
    ASSERT_EQ(s.Stream(link, {{5000, 2500}}, 1000), STAT_OK);  // 5 s of motion
    ASSERT_EQ(link.Start(), STAT_OK);
    ASSERT_TRUE(s.sim->WaitForSimTime(100, 5000));

    EXPECT_EQ(link.Hold(), STAT_OK);
    EXPECT_FALSE(link.Running());
    EXPECT_EQ(link.QueryState(), STATE_HOLD);
    const SimPoint held = s.sim->Snapshot().ends[0];
    EXPECT_GT(held.x, 0);
    EXPECT_LT(held.x, 5000);

    EXPECT_EQ(link.Resume(false), STAT_OK);
    EXPECT_TRUE(link.Running());
    EXPECT_EQ(link.QueryState(), STATE_CUT);
    EXPECT_EQ(link.SetHeatingLive(120), STAT_OK);
    EXPECT_EQ(s.sim->Snapshot().heating, 96);

    EXPECT_EQ(link.Cancel(), STAT_OK);
    EXPECT_FALSE(link.Running());
    ASSERT_TRUE(s.sim->WaitForState(SimState::Idle, 5000));
    EXPECT_EQ(s.sim->Snapshot().ends[0], held);
    s.rig.channel.WaitAndProcess(20);
    EXPECT_TRUE(std::find(s.rig.events.begin(), s.rig.events.end(), STAT_END) == s.rig.events.end());
    up.link.reset();
}

TEST(EndToEndControl, ReadVariableTakesTheValueBytesAfterTheStatus) {
    SimLink s(false);
    s.sim->SetRunLimit(0);  // a started run stays at its start
    LinkStartup up = s.StartUp();
    ASSERT_EQ(up.handshake, STAT_OK);
    ComClass& link = *up.link;
    CutParameters p;
    p.cornerDelay = 0x1234;
    p.aStep = static_cast<std::int32_t>(0x80000005u);
    ASSERT_EQ(link.Setup(p), STAT_OK);

    std::array<std::uint8_t, 4> value{};
    EXPECT_EQ(link.ReadVariable(28, value), STAT_OK);  // variable 7: the corner delay
    EXPECT_EQ(value, (std::array<std::uint8_t, 4>{0x34, 0x12, 0, 0}));
    EXPECT_EQ(link.ReadVariable(36, value), STAT_OK);  // variable 9: aStep as sent
    EXPECT_EQ(value, (std::array<std::uint8_t, 4>{5, 0, 0, 0x80}));
    EXPECT_EQ(link.QueryState(), STATE_NORM) << "no value byte is left to be read as a reply";

    // While a program runs the reader owns the port; nothing is sent.
    ASSERT_EQ(s.Stream(link, {{100, 0}}), STAT_OK);
    ASSERT_EQ(link.Start(), STAT_OK);
    int frames = 0;
    link.SetFrameObserver([&frames](const Frame&) { ++frames; });
    EXPECT_EQ(link.ReadVariable(0, value), COM_CUT_PROCESSING);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(link.Cancel(), STAT_OK);
    up.link.reset();
}

TEST(EndToEndFailures, ReadVariableWithoutTheValueBytesGives294) {
    LinkRig rig;  // the recording bridge answers C_READVAR with the status byte only
    ComClass& link = rig.Open();
    std::array<std::uint8_t, 4> value{};
    EXPECT_EQ(link.ReadVariable(4, value), RS_EMPTY_RESP);
    rig.recorder->SetResponder([](const Frame&) { return STAT_NOTSUP; });
    EXPECT_EQ(link.ReadVariable(4, value), STAT_NOTSUP) << "a refusal is the reply itself";
}

TEST(EndToEndControl, HeldProgramResumesToItsEnd) {
    SimLink s(false);
    s.sim->SetRunLimit(30);
    LinkStartup up = s.StartUp();
    ComClass& link = *up.link;
    ASSERT_EQ(s.Stream(link, kMoves), STAT_OK);
    ASSERT_EQ(link.Start(), STAT_OK);
    ASSERT_TRUE(s.sim->WaitForSimTime(30, 5000));
    ASSERT_EQ(link.Hold(), STAT_OK);
    s.sim->SetRunLimit(-1);
    ASSERT_EQ(link.Resume(true), STAT_OK);
    ASSERT_TRUE(s.rig.WaitForEvent(STAT_END));
    ASSERT_EQ(link.TakeBackFromReader(), STAT_OK);
    EXPECT_EQ(s.sim->Snapshot().ends[0], Sum(kMoves));
    up.link.reset();
}

class FakeCutting : public CuttingEvents {
public:
    explicit FakeCutting(const EventChannel* channel) : channel_(channel) {}
    const EventChannel* Events() const override { return channel_; }
    void ShowStatus(std::string_view text) override { status.emplace_back(text); }
    void EnableStart(bool enable) override { startEnabled = enable; }
    void EnableContinue(bool enable) override { continueEnabled = enable; }
    void EnableHold(bool) override {}
    void Stop() override { ++stops; }

    std::vector<std::string> status;
    bool startEnabled = false;
    bool continueEnabled = false;
    int stops = 0;

private:
    const EventChannel* channel_;
};

// A cut whose wire fails halfway: the dispatcher shows it, leaves the run held, takes
// the link back; Continue resumes it to its end, which stops the cutting window.
TEST(EndToEndControl, WireFailureHoldsTheCutUntilContinue) {
    SimLink s(true);
    s.sim->FailWith(STAT_ERR_IPWM, 50);
    ControllerDispatcher dispatcher(s.rig.messages, s.prompt);
    bool ended = false;
    EventChannel cuttingEvents([&](int code, std::intptr_t) {
        dispatcher.Dispatch(code);
        ended = ended || code == STAT_END;
        return std::intptr_t{0};
    });
    FakeCutting cutting(&cuttingEvents);
    dispatcher.SetCutting(&cutting);
    dispatcher.SetActiveMode(ControllerDispatcher::kModeCutting);

    LinkStartup up = s.StartUp();
    ComClass& link = *up.link;
    dispatcher.SetLink(&link);
    link.SetEventWindow(&cuttingEvents);
    ASSERT_EQ(s.Stream(link, kMoves), STAT_OK);
    ASSERT_EQ(link.Start(), STAT_OK);
    dispatcher.StartLock(false);

    for (int i = 0; i < 500 && s.boxes.empty(); ++i) cuttingEvents.WaitAndProcess(10);
    ASSERT_EQ(s.boxes.size(), 1u);
    EXPECT_EQ(s.boxes[0].text, ControllerCodes::FormatCode(s.rig.messages, STAT_ERR_IPWM));
    EXPECT_TRUE(cutting.continueEnabled);
    EXPECT_FALSE(link.Running());
    EXPECT_EQ(link.QueryState(), STATE_ERR);

    ASSERT_EQ(link.Resume(false), STAT_OK);
    for (int i = 0; i < 500 && !ended; ++i) cuttingEvents.WaitAndProcess(10);
    ASSERT_TRUE(ended);
    EXPECT_EQ(cutting.stops, 1);
    EXPECT_TRUE(cutting.startEnabled);
    EXPECT_FALSE(link.Running());
    EXPECT_EQ(s.sim->Snapshot().ends[0], Sum(kMoves));
    up.link.reset();
}

TEST(EndToEndFailures, ChecksumMismatchGives302) {
    SimLink s(true);
    s.sim->SetChecksumError(true);
    LinkStartup up = s.StartUp();
    ComClass& link = *up.link;
    ASSERT_EQ(s.Stream(link, kMoves), STAT_OK);
    EXPECT_EQ(link.Start(), RS_DMA_CRC_ERROR);
    EXPECT_FALSE(link.Running());
    EXPECT_EQ(s.sim->Snapshot().runs, 0u);
    up.link.reset();
}

TEST(EndToEndFailures, SilentControllerGives294AndTheProgramGoesOn) {
    SimLink s(false);
    s.sim->SetSilent(true);
    LinkStartup up = s.StartUp();
    EXPECT_EQ(up.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(up.handshake, RS_EMPTY_RESP);
    ASSERT_EQ(s.boxes.size(), 1u);
    EXPECT_EQ(s.boxes[0].messageKey, 110);
    EXPECT_EQ(up.link->SendByteCommand(cmd::C_STATE, 0), RS_EMPTY_RESP);
    up.link.reset();
}

TEST(EndToEndFailures, IncompatibleFirmwareEndsTheProgram) {
    SimulatedControllerConfig config = SimulatedControllerConfig::Fast();
    config.versionReply = 37;
    SimLink s(false, config);
    LinkStartup up = s.StartUp();
    EXPECT_EQ(up.handshake, ERR_VERSION);
    EXPECT_EQ(up.outcome, LinkStartup::Outcome::Exit);
    EXPECT_EQ(up.exitCode, 0);
}

// Without any real FTDI device the search finds none, the handshake fails, message 110
// is shown, and the program goes on. Skipped on a machine with a device attached.
TEST(EndToEndFailures, WithoutARealDeviceStartUpGoesOn) {
    LinkRig rig(test::kQuickLink, std::make_unique<FtdiUsb>());
    std::uint32_t count = 0;
    if (rig.device->CreateDeviceInfoList(count) != kFtOk || count != 0) GTEST_SKIP() << "an FTDI device is attached";
    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt([&](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    });
    LinkStartup up = LinkStartup::Run(rig.Services(), &rig.channel, prompt, [](std::string_view) {});
    EXPECT_EQ(up.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(up.link->InitError(), 0);
    EXPECT_NE(std::find(rig.memo.begin(), rig.memo.end(), "Wykryto 0 urzadzen FTDI"), rig.memo.end());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].messageKey, 110);
}

}  // namespace
}  // namespace wirvela
