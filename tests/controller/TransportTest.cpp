// The USB transport: device search and opening, the raw exchange and its failures,
// byte-by-byte sending, resynchronisation, handshake and info read, and the traces.
#include <gtest/gtest.h>

#include <algorithm>

#include "LinkRig.h"
#include "controller/ControllerCodes.h"

namespace wirvela {
namespace {

using test::LinkRig;

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::unique_ptr<RecordingFtdi> Devices(std::vector<FtDeviceInfo> devices) {
    return std::make_unique<RecordingFtdi>(std::move(devices));
}

// ---- search and open --------------------------------------------------------------------

TEST(FindAndOpen, NoDeviceShowsCountZeroAndLeavesTheLinkUsable) {
    LinkRig rig(test::kQuickLink, Devices({}));
    ComClass& link = rig.Open();
    EXPECT_EQ(rig.memo, (std::vector<std::string>{" SW configured for:", "   VID=0403 PID=6010", "   Serial=00000000",
                                                  "Wykryto 0 urzadzen FTDI"}));
    EXPECT_EQ(link.InitError(), 0);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(link.HasReader());
    EXPECT_EQ(link.SendByteCommand(cmd::C_STATE, 0), RS_WRITE_ERR);
    EXPECT_EQ(link.Line(100, 0, false, 1000, 0), RS_WRITE_ERR);
    EXPECT_EQ(link.Handshake(), RS_WRITE_ERR);
}

TEST(FindAndOpen, OpensOnlyTheDeviceWhoseSerialMatchesExactly) {
    auto ftdi = Devices({RecordingFtdi::Device(0x0403, 0x6010, "SIM0000", "First", 0x21),
                         RecordingFtdi::Device(0x0403, 0x6011, "SIM00001", "Other PID", 0x22),
                         RecordingFtdi::Device(0x0403, 0x6010, "SIM00001", "The controller", 0x23)});
    RecordingFtdi* device = ftdi.get();
    LinkRig rig(std::string(test::kQuickLink) + "VID=1027\nPID=24592\nSerialNo=SIM00001\n", std::move(ftdi));
    ComClass& link = rig.Open();
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.SerialNo(), "SIM00001");
    EXPECT_EQ(link.Description(), "The controller");
    EXPECT_EQ(link.Vid(), 0x0403);
    EXPECT_EQ(link.Pid(), 0x6010);
    EXPECT_TRUE(
        Contains(rig.memo, "[2]: flags=0x2 type=0x6 ID=0x04036010 Loc=0x23 serialNo=SIM00001 desc=The controller"));
    EXPECT_EQ(rig.memo.back(), "^--found matching device---");
    EXPECT_TRUE(Contains(rig.memo, "FT_HANDLE=00000000"));
    EXPECT_TRUE(device->IsOpen());
    rig.link.reset();
    EXPECT_FALSE(device->IsOpen());
}

TEST(FindAndOpen, AppliesTheBridgeSettings) {
    LinkRig rig("[RSparam]\nBaudDivisor=3.9\nLatency=16\nTimeoutRX=7\n");
    rig.Open();
    EXPECT_EQ(rig.recorder->Divisor(), 3);
    EXPECT_EQ(rig.recorder->Latency(), 16);
    EXPECT_EQ(rig.recorder->ReadTimeout(), 7u);
}

class OpenFailure : public ::testing::TestWithParam<RecordingFtdi::Call> {};

TEST_P(OpenFailure, LeavesNoDeviceNoLockAndNoThread) {
    LinkRig rig;
    rig.recorder->Fail(GetParam(), kFtIoError);
    ComClass& link = rig.Open();
    EXPECT_EQ(link.InitError(), RS_OPEN_COM_ERR);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(rig.recorder->IsOpen());
    EXPECT_FALSE(link.HasReader());
    EXPECT_EQ(link.LockName(), "");
    EXPECT_EQ(link.SendFieldCommand(cmd::C_SETDELAY, 1, 0, 0xFFFF, 1, 0), RS_OPEN_COM_ERR);
    EXPECT_EQ(link.SendLongCommand(cmd::C_SETASTEP, 1), RS_OPEN_COM_ERR);
    EXPECT_EQ(link.OpenByIndex(0), RS_SETRS_COM_ERR);
}

INSTANTIATE_TEST_SUITE_P(Calls, OpenFailure,
                         ::testing::Values(RecordingFtdi::Call::Open, RecordingFtdi::Call::Characteristics,
                                           RecordingFtdi::Call::Divisor, RecordingFtdi::Call::Latency,
                                           RecordingFtdi::Call::Timeouts));

TEST(FindAndOpen, FailedListIsNoDevice) {
    LinkRig rig;
    rig.recorder->Fail(RecordingFtdi::Call::List, kFtIoError);
    ComClass& link = rig.Open();
    EXPECT_EQ(link.InitError(), 0);
    EXPECT_FALSE(link.IsOpen());
}

TEST(FindAndOpen, LockIsNamedAfterTheProcess) {
    LinkRig rig;
    LinkServices services = rig.Services();
    services.processId = 4242;
    ComClass link(services, &rig.channel);
    EXPECT_EQ(link.LockName(), "RS_LOCK_MUTEX4242");
    EXPECT_TRUE(link.HoldsPort());
}

// ---- raw exchange ----------------------------------------------------------------------

struct ExchangeFailure {
    const char* name;
    std::function<void(RecordingFtdi&)> arrange;
    int expected;
};

class RawExchangeFailure : public ::testing::TestWithParam<ExchangeFailure> {};

TEST_P(RawExchangeFailure, GivesItsCode) {
    LinkRig rig;
    ComClass& link = rig.Open();
    GetParam().arrange(*rig.recorder);
    std::uint8_t reply = 0;
    EXPECT_EQ(link.RawExchange(ByteFrame(cmd::C_STATE, 0), reply, false), GetParam().expected);
    EXPECT_EQ(link.SendByteCommand(cmd::C_STATE, 0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RawExchangeFailure,
    ::testing::Values(
        ExchangeFailure{"WriteFails", [](RecordingFtdi& d) { d.Fail(RecordingFtdi::Call::Write, kFtIoError); },
                        RS_WRITE_ERR},
        ExchangeFailure{"ShortWrite", [](RecordingFtdi& d) { d.LimitWrite(5); }, RS_WRITE_ERR},
        ExchangeFailure{"NoReply",
                        [](RecordingFtdi& d) { d.SetResponder([](const Frame&) { return RecordingFtdi::kSilent; }); },
                        RS_EMPTY_RESP},
        ExchangeFailure{"ReadFails", [](RecordingFtdi& d) { d.Fail(RecordingFtdi::Call::Read, kFtIoError); },
                        static_cast<int>(kFtIoError)},
        // A status that reads like success must not pass as one.
        ExchangeFailure{"ReadFailsWithSixteen", [](RecordingFtdi& d) { d.Fail(RecordingFtdi::Call::Read, 16); },
                        RS_BUSY}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawExchange, PurgesTheReceiveBufferBeforeACancel) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->Report(0x55);  // a stale byte
    EXPECT_EQ(link.SendByteCommand(cmd::C_CANCEL, 0), STAT_OK);
    EXPECT_EQ(rig.recorder->Purges(kFtPurgeRx), 1);
}

int WritesOfSize(const std::vector<std::vector<std::uint8_t>>& writes, std::size_t size) {
    return static_cast<int>(
        std::count_if(writes.begin(), writes.end(), [&](const auto& w) { return w.size() == size; }));
}

TEST(ByteByByte, BufferedLinkSendsCancelHoldAndCurrentByteByByte) {
    LinkRig rig(std::string(test::kQuickLink) + "Buffered=1\n");
    ComClass& link = rig.Open();
    for (std::uint8_t letter : {cmd::C_CANCEL, cmd::C_HOLD, cmd::C_SETCURRENT}) {
        rig.recorder->ClearRecord();
        EXPECT_EQ(link.SendByteCommand(letter, 7), STAT_OK);
        EXPECT_EQ(WritesOfSize(rig.recorder->Writes(), 1), 12) << letter;
        ASSERT_EQ(rig.recorder->Frames().size(), 1u);
        EXPECT_EQ(rig.recorder->Frames()[0], ByteFrame(letter, 7));
    }
    rig.recorder->ClearRecord();
    EXPECT_EQ(link.SendByteCommand(cmd::C_STATE, 0), STATE_NORM);
    EXPECT_EQ(WritesOfSize(rig.recorder->Writes(), 12), 1);
}

TEST(ByteByByte, UnbufferedLinkWritesACancelAtOnceEvenWhileRunning) {
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.recorder->ClearRecord();
    EXPECT_EQ(link.Cancel(), STAT_OK);
    EXPECT_EQ(rig.recorder->Writes().size(), 1u);
    EXPECT_EQ(WritesOfSize(rig.recorder->Writes(), 12), 1);
}

TEST(ByteByByte, ReadFailureIsBusy) {
    LinkRig rig(std::string(test::kQuickLink) + "Buffered=1\n");
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame&) { return RecordingFtdi::kSilent; });
    EXPECT_EQ(link.SendByteCommand(cmd::C_HOLD, 0), RS_EMPTY_RESP);
    rig.recorder->Fail(RecordingFtdi::Call::Read, kFtIoError);
    EXPECT_EQ(link.SendByteCommand(cmd::C_CANCEL, 0), RS_BUSY);
}

// ---- resynchronisation and handshake ----------------------------------------------------

TEST(Resync, SilentControllerGives294After24Tries) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame&) { return RecordingFtdi::kSilent; });
    EXPECT_EQ(link.Resync(), RS_EMPTY_RESP);
    EXPECT_EQ(WritesOfSize(rig.recorder->Writes(), 1), 24);
    EXPECT_EQ(rig.recorder->Purges(kFtPurgeRx | kFtPurgeTx), 1);
    EXPECT_EQ(link.Handshake(), RS_EMPTY_RESP);
}

TEST(Resync, EndsAtTheFirstByteBack) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Resync(), 0);
    // Twelve single 'E' bytes make the one frame the controller answers.
    EXPECT_EQ(WritesOfSize(rig.recorder->Writes(), 1), 12);
    Frame cancels;
    cancels.fill('E');
    EXPECT_EQ(rig.recorder->Frames().at(0), cancels);
}

struct HandshakeCase {
    const char* name;
    std::uint8_t letter;
    int reply;
    int expected;
};

class HandshakeReply : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeReply, Decides) {
    const HandshakeCase& c = GetParam();
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder(
        [c](const Frame& f) { return f[0] == c.letter && f[1] == 0 && f[2] == 0 ? c.reply : RecordingFtdi::kDefault; });
    EXPECT_EQ(link.Handshake(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Replies, HandshakeReply,
                         ::testing::Values(HandshakeCase{"Compatible", 'C', 38, STAT_OK},
                                           HandshakeCase{"OtherVersion", 'C', 37, ERR_VERSION},
                                           HandshakeCase{"VersionUnknown", 'C', STAT_UNK, ERR_VERSION},
                                           HandshakeCase{"NoVersionReply", 'C', RecordingFtdi::kSilent, RS_EMPTY_RESP},
                                           HandshakeCase{"LimitSwitch", 'F', 0x95, STAT_OK},
                                           HandshakeCase{"Cutting", 'F', STATE_CUT, ERR_STATE},
                                           HandshakeCase{"Error", 'F', STATE_ERR, ERR_STATE},
                                           HandshakeCase{"NopIgnored", '@', STAT_UNK, STAT_OK}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Handshake, CancelIsTriedFiveTimes) {
    LinkRig rig;
    ComClass& link = rig.Open();
    // The resynchronisation frame is twelve 'E' bytes too; only proper cancels are refused.
    rig.recorder->SetResponder(
        [](const Frame& f) { return f[0] == 'E' && f[1] == 0 ? STAT_ERR_PARITY : RecordingFtdi::kDefault; });
    EXPECT_EQ(link.Handshake(), STAT_ERR_PARITY);
    const auto frames = rig.recorder->Frames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), ByteFrame(cmd::C_CANCEL, 0)), 5);
    EXPECT_EQ(frames.back(), ByteFrame(cmd::C_CANCEL, 0));
}

// ---- info and clock ---------------------------------------------------------------------

TEST(ReadInfo, ReadsTheTextAndTheClock) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetInfo("Sterownik v3.8");
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'L' ? 2 : RecordingFtdi::kDefault; });
    EXPECT_EQ(link.ReadInfo(), 2);
    EXPECT_EQ(link.Info(), "Sterownik v3.8");
    EXPECT_EQ(link.Clock(), 14745600);
}

TEST(ReadInfo, RefusedRewindLeavesTheTextEmptyButQueriesTheClock) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) {
        if (f[0] == 'H') return static_cast<int>(STAT_UNK);
        return f[0] == 'L' ? 3 : RecordingFtdi::kDefault;
    });
    EXPECT_EQ(link.ReadInfo(), 3);
    EXPECT_EQ(link.Info(), "");
    EXPECT_EQ(link.Clock(), 16000000);
}

TEST(ReadInfo, TextEndsAt901Characters) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'I' ? 'x' : RecordingFtdi::kDefault; });
    link.ReadInfo();
    EXPECT_EQ(link.Info().size(), 901u);
}

TEST(ReadInfo, SilentControllerEndsTheText) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) {
        if (f[0] == 'I') return RecordingFtdi::kSilent;
        return RecordingFtdi::kDefault;
    });
    link.ReadInfo();
    EXPECT_EQ(link.Info(), "");
}

// ---- traces -------------------------------------------------------------------------------

TEST(Traces, ParameterTraceGoesToDebugLines) {
    LinkRig rig(std::string(test::kQuickLink) + "DebugRS=1\n");
    ComClass& link = rig.Open();
    link.SendByteCommand(cmd::C_NOP, 5);
    link.Line(-10, 4, true, 1000, 0);
    link.Turn(-3, 500);
    link.SendLongCommand(cmd::C_SETASTEP, -7);
    rig.link.reset();
    EXPECT_EQ(rig.dir.Read("debug_lines.txt"),
              "\n\tcom=0x40\ta1=5"
              "\ndx=-10\tdy=4\tdelay=1\tperiod=1000.000000\t"
              "\n\tcom=0x63\ta1=32778\ta2=-2147457434\ta3=64615\tInterNum=1\tKfd=0"
              "\n\tcom=0x67\tdfi=-3\tV=65076"
              "\n\tcom=0x54\ta1=-7");
}

TEST(Traces, NoTraceFileWithoutTheSwitch) {
    LinkRig rig;
    rig.Open().SendByteCommand(cmd::C_NOP, 0);
    rig.link.reset();
    EXPECT_FALSE(std::filesystem::exists(rig.dir.Path() / "debug_lines.txt"));
}

TEST(Traces, FrameDumpAndDiagnosticRecords) {
    LinkRig rig(std::string(test::kQuickLink) + "[Ploter]\nDebug=1\n");
    {
        MessageLog messageLog(rig.dir.Path(), MessageLogSwitches{false, true, true});
        DebugLog debugLog(rig.dir.Path(), true, false);
        LinkServices services = rig.Services();
        services.messageLog = &messageLog;
        services.debugLog = &debugLog;
        ComClass link(services, &rig.channel);
        EXPECT_EQ(link.SendByteCommand(cmd::C_STATE, 0), STATE_NORM);
    }
    EXPECT_EQ(rig.dir.Read("log_msg.txt"),
              "\n46 00 00 00 00 00   00 00 00 00 00 00    C_STATE"
              "\n->46 00 00 00 00 00   00 00 00 00 00 00    C_STATE");
    const std::string debug = rig.dir.Read("debug_log.txt");
    EXPECT_NE(debug.find(DebugLog::FrameRecord(ByteFrame(cmd::C_STATE, 0), 0xC0, 0)), std::string::npos) << debug;
}

}  // namespace
}  // namespace wirvela
