#pragma once
// A controller link on a recording bridge, with settings, messages, logs and an event
// window of its own, for the controller tests. The test's thread is the window thread.
#include <memory>
#include <string>
#include <vector>

#include "config/DebugLog.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "controller/ComClass.h"
#include "controller/RecordingFtdi.h"
#include "platform/EventChannel.h"
#include "support/TempDir.h"

namespace wirvela::test {

// Settings that keep the tests quick: reads give up after 5 ms.
inline const char* kQuickLink = "[RSparam]\nTimeoutRX=5\nTimeoutTX=5\nInterCharDelay=0\n";

class LinkRig {
public:
    explicit LinkRig(const std::string& ini = kQuickLink, std::unique_ptr<Ftdi> ftdi = nullptr)
        : channel([this](int code, std::intptr_t) {
              events.push_back(code);
              return std::intptr_t{0};
          }) {
        dir.Write("wirvela.ini", ini);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        messages.CheckLocalFile(ShippedDataDir());
        messages.LoadMessages();
        if (ftdi) {
            device = std::move(ftdi);
        } else {
            auto recording = std::make_unique<RecordingFtdi>();
            recorder = recording.get();
            device = std::move(recording);
        }
    }

    LinkServices Services() {
        LinkServices s;
        s.parameters = &parameters;
        s.messages = &messages;
        s.ftdi = device.get();
        s.messageLog = &messageLog;
        s.memo = [this](std::string_view line) { memo.emplace_back(line); };
        s.cuttingStatus = [this](std::string_view text) { status.emplace_back(text); };
        s.twoFigureDrawing = [this] { return twoFigures; };
        s.directory = dir.Path();
        return s;
    }

    // A link as the start-up builds it; an earlier one goes first, as on re-creation.
    ComClass& Open() {
        link.reset();
        link = std::make_unique<ComClass>(Services(), &channel);
        link->ResumeReader();
        return *link;
    }

    // Frames the device received since the last call.
    std::vector<Frame> TakeFrames() {
        std::vector<Frame> frames = recorder->Frames();
        recorder->ClearRecord();
        return frames;
    }

    // Handles events until `code` arrived or about five seconds passed.
    bool WaitForEvent(int code) {
        for (int i = 0; i < 500; ++i) {
            for (int e : events) {
                if (e == code) return true;
            }
            channel.WaitAndProcess(10);
        }
        return false;
    }

    TempDir dir;
    TParameters parameters;
    TMessages messages;
    MessageLog messageLog;
    std::unique_ptr<Ftdi> device;
    RecordingFtdi* recorder = nullptr;  // the device when it is the recording bridge
    std::vector<std::string> memo;
    std::vector<std::string> status;
    std::vector<int> events;
    bool twoFigures = false;
    EventChannel channel;
    std::unique_ptr<ComClass> link;  // declared last: goes first, while the channel lives
};

// Frame from 24 hex digits.
inline Frame HexFrame(const std::string& hex) {
    Frame f{};
    for (std::size_t i = 0; i < kFrameSize; ++i)
        f[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return f;
}

}  // namespace wirvela::test
