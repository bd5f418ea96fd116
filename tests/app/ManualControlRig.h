#pragma once
// A manual-control window on the simulated controller, with settings, messages, the
// event dispatch and fake pendants, for the manual-control tests; the rig runs the link's
// start-up and hands the link to the window, as the application core does. The test's
// thread is the window thread.
#include <memory>
#include <string>
#include <vector>

#include "app/windows/ManualControl.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkStartup.h"
#include "controller/SimFrameDecoder.h"
#include "controller/SimulatedController.h"
#include "controller/SimulatedFtdi.h"
#include "support/PendantStub.h"
#include "support/TempDir.h"

namespace wirvela::test {

// mmPerStep 0.01 keeps every manual speed within the controller's timer; reads give up
// quickly. A test's own [Ploter] lines come first, so they win over these.
inline const char* kManualPloter = "mmPerStep=0.01\nDefRotVelocity=2\n";
inline const char* kManualLink = "[RSparam]\nTimeoutRX=20\nTimeoutTX=20\nInterCharDelay=0\n";

struct FakeManualPendant : PendantStub {
    void Connect() override { ++connects; }
    bool TryAcquireShared() override { return available; }
    void ReleaseShared() override {}
    int SetParameter(int number, std::int32_t value) override {
        sent.emplace_back(number, value);
        return failing ? 5 : 0;
    }
    std::string ErrorText(int code) const override { return "pendant error " + std::to_string(code); }

    int connects = 0;
    bool available = true;
    bool failing = false;
    std::vector<std::pair<int, std::int32_t>> sent;
};

struct FakeNotifier : PendantStub {
    bool TryAcquireShared() override { return true; }
    void ReleaseShared() override {}
    int SendEvent(int, int second) override {
        events.push_back(second);
        return 0;
    }
    std::string ErrorText(int) const override { return {}; }
    std::vector<int> events;
};

class ManualRig {
public:
    // ploter: lines of section Ploter; more: further sections.
    explicit ManualRig(const std::string& ploter = "", const std::string& more = "",
                       SimulatedControllerConfig config = SimulatedControllerConfig::Fast())
        : sim(std::make_shared<SimulatedController>(config)),
          ftdi(sim),
          prompt([this](const PromptRequest& r) {
              asked.push_back(r);
              return AffirmativeAnswer(r.buttons);
          }),
          dispatcher(messages, prompt) {
        dir.Write("wirvela.ini", "[Ploter]\n" + ploter + kManualPloter + kManualLink + more);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        messages.CheckLocalFile(ShippedDataDir());
        messages.LoadMessages();
        dispatcher.SetPendant(&notifier);
    }

    ManualControl& Make() {
        ManualControl::Services s;
        s.link.parameters = &parameters;
        s.link.messages = &messages;
        s.link.ftdi = &ftdi;
        s.link.directory = dir.Path();
        s.link.identity = DeviceIdentity{0x0403, 0x6010, SimulatedFtdi::kSerialNumber};
        s.prompt = &prompt;
        s.dispatcher = &dispatcher;
        s.pendant = &pendant;
        model = std::make_unique<ManualControl>(s);
        model->Create();
        LinkStartup up = LinkStartup::Run(s.link, &model->Channel(), prompt,
                                          [this](std::string_view text) { model->ShowStatus(text); });
        link = std::move(up.link);
        outcome = {up.outcome, up.exitCode, up.handshake};
        dispatcher.SetLink(link.get());
        model->SetLink(link.get());
        if (link) link->SetFrameObserver([this](const Frame& f) { frames.push_back(f); });
        frames.clear();
        pendant.sent.clear();
        return *model;
    }

    // Handles the controller's reports until the started move has ended (about 5 s at most).
    bool WaitForEnd() {
        for (int i = 0; i < 1000 && model->MoveRunning(); ++i) model->Channel().WaitAndProcess(5);
        return !model->MoveRunning();
    }

    std::vector<Frame> Sent(std::uint8_t letter) const {
        std::vector<Frame> out;
        for (const Frame& f : frames) {
            if (f[0] == letter) out.push_back(f);
        }
        return out;
    }
    std::string Letters() const {
        std::string s;
        for (const Frame& f : frames) s += static_cast<char>(f[0]);
        return s;
    }
    static SimLine Line(const Frame& f) { return SimDecodeLine(f); }
    static std::uint16_t A1(const Frame& f) { return SimDecodeFields(f).a1; }
    std::vector<int> Keys() const {
        std::vector<int> keys;
        for (const PromptRequest& r : asked) keys.push_back(r.messageKey);
        return keys;
    }

    TempDir dir;
    TParameters parameters;
    TMessages messages;
    std::shared_ptr<SimulatedController> sim;
    SimulatedFtdi ftdi;
    std::vector<PromptRequest> asked;
    ScriptedPrompt prompt;
    ControllerDispatcher dispatcher;
    FakeManualPendant pendant;
    FakeNotifier notifier;
    std::vector<Frame> frames;
    struct {
        LinkStartup::Outcome outcome = LinkStartup::Outcome::Continue;
        int exitCode = 0;
        int handshake = -1;
    } outcome;  // what the link's start-up decided
    std::unique_ptr<ManualControl> model;
    std::unique_ptr<ComClass> link;  // last: goes first, before the window it reports to
};

}  // namespace wirvela::test
