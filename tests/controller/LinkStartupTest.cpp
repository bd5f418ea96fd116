// Start-up of the link: the messages and outcomes of each way it can go.
#include <gtest/gtest.h>

#include "LinkRig.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/LinkStartup.h"

namespace wirvela {
namespace {

using test::LinkRig;

class StartupTest : public ::testing::Test {
protected:
    LinkStartup Run(LinkRig& rig) {
        return LinkStartup::Run(rig.Services(), &rig.channel, prompt,
                                [this](std::string_view text) { status.emplace_back(text); });
    }
    std::string Message(LinkRig& rig, int key) { return rig.messages.MessageText(key); }

    std::vector<PromptRequest> boxes;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        boxes.push_back(r);
        return PromptAnswer::Ok;
    }};
    std::vector<std::string> status;
};

TEST_F(StartupTest, ConnectsAndReadsTheControllerInfo) {
    LinkRig rig;
    rig.recorder->SetInfo("Ploter v38");
    LinkStartup s = Run(rig);
    ASSERT_TRUE(s.link);
    EXPECT_EQ(s.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(s.handshake, STAT_OK);
    EXPECT_EQ(s.link->Info(), "Ploter v38");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(status, (std::vector<std::string>{Message(rig, 103), Message(rig, 111)}));
}

TEST_F(StartupTest, WithoutADeviceTheProgramGoesOn) {
    LinkRig rig(test::kQuickLink, std::make_unique<RecordingFtdi>(std::vector<FtDeviceInfo>{}));
    LinkStartup s = Run(rig);
    EXPECT_EQ(s.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(s.link->InitError(), 0);
    EXPECT_NE(std::find(rig.memo.begin(), rig.memo.end(), "Wykryto 0 urzadzen FTDI"), rig.memo.end());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].messageKey, 110);
    EXPECT_EQ(boxes[0].text, Message(rig, 110) + " VID/PID=0403/6010 SerNo=00000000)");
    EXPECT_EQ(boxes[0].caption, Message(rig, 109));
    EXPECT_EQ(boxes[0].icon, PromptIcon::Warning);
    EXPECT_EQ(status, std::vector<std::string>{Message(rig, 103)});
    // Every later command fails with the transport's code.
    EXPECT_EQ(s.link->QueryState(), RS_WRITE_ERR);
}

TEST_F(StartupTest, SilentControllerIsReportedWithTheConfiguredIdentity) {
    LinkRig rig(std::string(test::kQuickLink) + "VID=1027\nPID=24593\nSerialNo=AB12\n",
                std::make_unique<RecordingFtdi>(std::vector{RecordingFtdi::Device(0x0403, 0x6011, "AB12")}));
    static_cast<RecordingFtdi*>(rig.device.get())->SetResponder([](const Frame&) { return RecordingFtdi::kSilent; });
    LinkStartup s = Run(rig);
    EXPECT_EQ(s.outcome, LinkStartup::Outcome::Continue);
    EXPECT_EQ(s.handshake, RS_EMPTY_RESP);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Message(rig, 110) + " VID/PID=0403/6011 SerNo=AB12)");
}

TEST_F(StartupTest, IncompatibleFirmwareEndsTheProgram) {
    LinkRig rig;
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'C' ? 37 : RecordingFtdi::kDefault; });
    LinkStartup s = Run(rig);
    EXPECT_EQ(s.outcome, LinkStartup::Outcome::Exit);
    EXPECT_EQ(s.exitCode, 0);
    EXPECT_EQ(s.handshake, ERR_VERSION);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Message(rig, 108));
    EXPECT_EQ(boxes[0].caption, Message(rig, 109));
}

TEST_F(StartupTest, DeviceThatCannotBeConfiguredEndsTheProgram) {
    LinkRig rig(std::string(test::kQuickLink) + "COM=COM7\n");
    rig.recorder->Fail(RecordingFtdi::Call::Latency, kFtIoError);
    LinkStartup s = Run(rig);
    EXPECT_EQ(s.outcome, LinkStartup::Outcome::Exit);
    EXPECT_EQ(s.exitCode, -1);
    EXPECT_EQ(s.handshake, -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ControllerCodes::FormatCode(rig.messages, RS_OPEN_COM_ERR) + Message(rig, 106) + "COM7" +
                                 Message(rig, 107));
    EXPECT_EQ(boxes[0].caption, Message(rig, 105));
}

TEST_F(StartupTest, ReCreationFindsTheDeviceAgain) {
    LinkRig rig;
    LinkStartup first = Run(rig);
    ASSERT_EQ(first.handshake, STAT_OK);
    first.link.reset();
    LinkStartup second = Run(rig);
    EXPECT_EQ(second.handshake, STAT_OK);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace wirvela
