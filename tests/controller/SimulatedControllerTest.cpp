#include "controller/SimulatedController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "SimFrames.h"

namespace wirvela {
namespace {

using simtest::B;
using simtest::Frame;

class SimProtocol : public ::testing::Test {
protected:
    SimulatedController sim{SimulatedControllerConfig::Fast()};
    simtest::Host host{sim};

    std::vector<int> Drain() {
        std::vector<int> bytes;
        for (int b = host.ReadByte(5); b >= 0; b = host.ReadByte(5)) bytes.push_back(b);
        return bytes;
    }
};

// The reply of an idle controller to one frame of each kind.
class SimReplies : public SimProtocol, public ::testing::WithParamInterface<std::tuple<Frame, int>> {};

TEST_P(SimReplies, AnswersOneByte) {
    const auto& [frame, reply] = GetParam();
    EXPECT_EQ(host.Exchange(frame), reply);
    EXPECT_TRUE(Drain().empty()) << "exactly one byte per frame";
}

INSTANTIATE_TEST_SUITE_P(
    CommandTable, SimReplies,
    ::testing::Values(std::tuple{B('@'), 16},                           // C_NOP
                      std::tuple{B('C'), 38},                           // C_PVER: STAT_VER
                      std::tuple{B('E'), 16},                           // C_CANCEL
                      std::tuple{B('F'), 0xC0},                         // C_STATE: STATE_NORM
                      std::tuple{B('H'), 16},                           // C_RESETINFO
                      std::tuple{B('L'), 1},                            // clock query
                      std::tuple{simtest::Setup('Q', 0x0200), 16},      // C_SETMODE
                      std::tuple{simtest::Setup('R', 250), 16},         // C_SETDELAY
                      std::tuple{B('S', 40), 16},                       // C_SETCURRENT
                      std::tuple{simtest::L('T', 1000), 16},            // C_SETASTEP
                      std::tuple{simtest::Setup('U', 2), 16},           // C_SETSTEPS
                      std::tuple{simtest::Setup('W', 1500), 16},        // C_SETHEATING
                      std::tuple{simtest::Setup('X', 30), 16},          // C_SETRV
                      std::tuple{B('Y'), 16},                           // C_LSPEED
                      std::tuple{B('Z'), 16},                           // C_HSPEED
                      std::tuple{B('[', 1), 16},                        // C_SETADR
                      std::tuple{simtest::Line(10, 5, false, 1000), 16},  // a line, stored
                      std::tuple{B('e'), 16},                           // C_LINEEND, stored
                      std::tuple{B('f'), 16},                           // C_REPEAT, stored
                      std::tuple{simtest::T('g', 100, 0xFC67), 16},     // table turn, stored
                      std::tuple{B('s'), 133},                          // C_RESUME without a program
                      std::tuple{B('y'), 133},                          // C_HOLD without a program
                      std::tuple{B('K', 0x12), 134},                    // C_READ_POS, unknown register
                      std::tuple{B('V'), 133},                          // named, never served
                      std::tuple{B('x'), 133},
                      std::tuple{B('p'), 134},                          // not a command: STAT_UNK
                      std::tuple{B(0), 134}));

TEST_F(SimProtocol, InfoTextIsReadCharacterByCharacterAfterARewind) {
    sim.SetInfo("SIM v2");
    EXPECT_EQ(host.Exchange(B('H')), 16);
    std::string text;
    for (int i = 0; i < 10; ++i) {
        const int c = host.Exchange(B('I'));
        if (c == 0) break;
        text += static_cast<char>(c);
    }
    EXPECT_EQ(text, "SIM v2");
    EXPECT_EQ(host.Exchange(B('I')), 0) << "stays at the end";
    EXPECT_EQ(host.Exchange(B('H')), 16);
    EXPECT_EQ(host.Exchange(B('I')), 'S') << "rewound";
}

TEST_F(SimProtocol, VersionAndClockRepliesCanBeChanged) {
    sim.SetVersionReply(37);
    sim.SetClockReply(134);
    EXPECT_EQ(host.Exchange(B('C')), 37);
    EXPECT_EQ(host.Exchange(B('L')), 134);
}

TEST_F(SimProtocol, ReadVarAnswersStatusThenTheVariableLittleEndian) {
    ASSERT_EQ(host.Exchange(simtest::Setup('R', 0x1234)), 16);
    ASSERT_EQ(host.Exchange(simtest::L('T', static_cast<std::int32_t>(0x80000005u))), 16);
    EXPECT_EQ(host.Exchange(B('G', 28)), 16);  // variable 7: the corner delay
    EXPECT_EQ(Drain(), (std::vector<int>{0x34, 0x12, 0, 0}));
    EXPECT_EQ(host.Exchange(B('G', 36)), 16);  // variable 9: aStep as sent
    EXPECT_EQ(Drain(), (std::vector<int>{5, 0, 0, 0x80}));
    EXPECT_EQ(host.Exchange(B('G', 0)), 16);  // variable 0: the state
    EXPECT_EQ(Drain(), (std::vector<int>{0xC0, 0, 0, 0}));
}

TEST_F(SimProtocol, ResyncProbeGetsAReplyAndRestoresFrameSync) {
    // Half a frame of garbage, as a broken earlier transfer leaves it.
    host.WriteBytes({'Q', 1, 2, 3, 4});
    host.WriteBytes({'E'});
    EXPECT_GE(host.ReadByte(), 0) << "the single 'E' of the resynchronisation is answered";
    EXPECT_EQ(host.Exchange(B('C')), 38) << "the next frame is read from its first byte";
}

TEST_F(SimProtocol, TwelveEBytesWithoutAReadAreOneCancel) {
    host.WriteBytes(std::vector<std::uint8_t>(12, 'E'));
    EXPECT_EQ(Drain(), (std::vector<int>{16}));
}

TEST_F(SimProtocol, IdleReadReturnsNothingAfterTheTimeout) {
    std::uint8_t b = 0;
    EXPECT_EQ(sim.HostRead(&b, 1, 20), 0u);
    host.WriteBytes({'@', 0, 0});  // a partial frame that is not a probe: no reply yet
    EXPECT_EQ(sim.HostRead(&b, 1, 20), 0u);
}

TEST_F(SimProtocol, BlockIsStoredAndItsByteSumReadBackHighThenLow) {
    std::vector<std::uint8_t> block;
    for (int i = 0; i < 600; ++i) {
        const Frame f = simtest::Line(200 + i, -i, i % 3 == 0, 900);
        block.insert(block.end(), f.begin(), f.end());
    }
    std::uint32_t sum = 0;
    for (std::uint8_t b : block) sum += b;
    ASSERT_EQ(host.Exchange(B('Y')), 16);
    EXPECT_EQ(host.SendBlock(block), static_cast<int>(sum & 0xFFFF));
    EXPECT_EQ(sim.ProgramMemory(), block);
    EXPECT_EQ(sim.Snapshot().checksum, sum & 0xFFFF);
}

TEST_F(SimProtocol, ChecksumErrorFailureChangesBothBytes) {
    const std::vector<std::uint8_t> block = simtest::Concat({simtest::Line(100, 0, false, 1000), B('e')});
    const int good = host.SendBlock(block);
    sim.SetChecksumError(true);
    const int bad = host.SendBlock(block);
    EXPECT_NE(bad >> 8, good >> 8);
    EXPECT_NE(bad & 0xFF, good & 0xFF);
}

TEST_F(SimProtocol, ShortBlockIsABreakInTheTransfer) {
    ASSERT_EQ(host.Exchange(simtest::D(0, 120)), 16);
    host.WriteBytes(std::vector<std::uint8_t>(50, 'a'));
    // The checksum query is swallowed as block bytes; the host then waits for a reply.
    EXPECT_EQ(host.Exchange(B('K', 0x37)), 138);
    EXPECT_EQ(sim.Snapshot().programLength, 0u);
    EXPECT_EQ(host.Exchange(B('C')), 38) << "back to frames";
}

TEST_F(SimProtocol, BlockLargerThanTheProgramMemoryIsRefused) {
    EXPECT_EQ(host.Exchange(simtest::D(0, 0xffc00 + 1)), 139);
    EXPECT_EQ(host.Exchange(simtest::D(0xffc00, 1)), 139);
    EXPECT_EQ(host.Exchange(simtest::D(0, 0xffc00)), 16) << "exactly full is fine";
}

TEST_F(SimProtocol, DirectFramesFillTheMemoryUpTo87296Frames) {
    const Frame line = simtest::Line(1, 0, false, 1000);
    std::vector<std::uint8_t> chunk;
    for (int i = 0; i < 1024; ++i) chunk.insert(chunk.end(), line.begin(), line.end());
    std::size_t ok = 0;
    for (int sent = 0; sent < 87296; sent += 1024) {
        const std::size_t frames = std::min(1024, 87296 - sent);
        sim.HostWrite(chunk.data(), frames * 12);
        for (int reply : Drain()) ok += reply == 16 ? 1 : 0;
    }
    ASSERT_EQ(ok, 87296u);
    EXPECT_EQ(host.Exchange(line), 132) << "STAT_ERR_OVERFM";
    EXPECT_EQ(sim.Snapshot().programLength, 87296u * 12u);
    EXPECT_EQ(host.Exchange(B('Y')), 16);
    EXPECT_EQ(sim.Snapshot().programLength, 0u) << "a new program";
}

TEST_F(SimProtocol, AddressFramesSetProgramStarts) {
    // Direct mode: the address is where the next frame goes.
    for (int i = 0; i < 3; ++i) ASSERT_EQ(host.Exchange(simtest::Line(5, 0, false, 1000)), 16);
    ASSERT_EQ(host.Exchange(B('e')), 16);
    ASSERT_EQ(host.Exchange(B('[', 1)), 16);
    EXPECT_EQ(sim.Snapshot().programStart[1], 48u);
    // Block mode: '[' 0x03 0x20 0x01 after 24 buffered frames names byte 288.
    Frame adr = B('[', 0x03);
    adr[2] = 0x20;
    adr[3] = 0x01;
    ASSERT_EQ(host.Exchange(adr), 16);
    EXPECT_EQ(sim.Snapshot().programStart[1], 288u);
    EXPECT_EQ(host.Exchange(simtest::Setup('Q', 0x0200)), 16);
    EXPECT_EQ(host.Exchange(simtest::Setup('Q', 0x0101)), 16);
    EXPECT_EQ(sim.Snapshot().mode, (std::array<std::uint8_t, 2>{2, 1}));
    EXPECT_EQ(host.Exchange(B('E')), 16);
    const SimSnapshot after = sim.Snapshot();
    EXPECT_EQ(after.programLength, 0u) << "cancel clears the program";
    EXPECT_EQ(after.programStart, (std::array<std::uint32_t, 2>{0, 0}));
    EXPECT_EQ(after.mode, (std::array<std::uint8_t, 2>{3, 0}));
}

TEST_F(SimProtocol, SetupFramesAreKept) {
    ASSERT_EQ(host.Exchange(simtest::Setup('R', 120)), 16);
    ASSERT_EQ(host.Exchange(B('S', 77)), 16);
    ASSERT_EQ(host.Exchange(simtest::Setup('W', 900)), 16);
    ASSERT_EQ(host.Exchange(simtest::L('T', 360)), 16);
    ASSERT_EQ(host.Exchange(simtest::Setup('U', 3)), 16);
    ASSERT_EQ(host.Exchange(simtest::Setup('X', 25)), 16);
    const SimParameters p = sim.Snapshot().parameters;
    EXPECT_EQ(p.cornerDelay, 120);
    EXPECT_EQ(p.heating, 77);
    EXPECT_EQ(p.heatingTime, 900);
    EXPECT_EQ(p.aStep, 360u);
    EXPECT_EQ(p.steps, 3);
    EXPECT_EQ(p.rotVelocity, 25);
}

TEST_F(SimProtocol, SilentControllerNeverAnswers) {
    sim.SetSilent(true);
    EXPECT_EQ(host.Exchange(B('@'), 20), -1);
    host.WriteBytes({'E'});
    EXPECT_EQ(host.ReadByte(20), -1) << "not even the resynchronisation";
    sim.SetSilent(false);
    EXPECT_EQ(host.Exchange(B('C')), 38);
}

TEST_F(SimProtocol, ReportBeforeStartReplyComesFirstOnceAndTheRunStarts) {
    sim.SetRunLimit(0);  // the run stands still at its start
    sim.ReportBeforeStartReply(0x91);
    ASSERT_EQ(host.Exchange(simtest::Line(100, 0, false, 1000)), 16);
    ASSERT_EQ(host.Exchange(B('e')), 16);
    EXPECT_EQ(host.Exchange(B('r')), 0x91);
    EXPECT_EQ(host.ReadByte(20), 16) << "the start's own reply follows";
    EXPECT_EQ(host.Exchange(B('F')), 0xC1);
    ASSERT_EQ(host.Exchange(B('E')), 16);
    ASSERT_EQ(host.Exchange(simtest::Line(100, 0, false, 1000)), 16);
    ASSERT_EQ(host.Exchange(B('e')), 16);
    EXPECT_EQ(host.Exchange(B('r')), 16) << "it fires once";
}

TEST_F(SimProtocol, ReceivePurgeDropsWaitingBytes) {
    host.WriteBytes(simtest::Concat({B('@'), B('C')}));
    sim.HostPurge();
    EXPECT_TRUE(Drain().empty());
}

TEST_F(SimProtocol, ProgramChangesAreRefusedWhileAProgramRuns) {
    sim.SetRunLimit(0);  // the run stands still at its start
    ASSERT_EQ(host.Exchange(simtest::Line(100, 0, false, 1000)), 16);
    ASSERT_EQ(host.Exchange(B('e')), 16);
    ASSERT_EQ(host.Exchange(B('r')), 16);
    EXPECT_EQ(host.Exchange(B('F')), 0xC1);
    EXPECT_EQ(host.Exchange(simtest::Line(1, 0, false, 1000)), 133);
    EXPECT_EQ(host.Exchange(B('Y')), 133);
    EXPECT_EQ(host.Exchange(simtest::D(0, 12)), 133);
    EXPECT_EQ(host.Exchange(B('r')), 133);
    EXPECT_EQ(host.Exchange(B('s')), 16) << "resuming a running program changes nothing";
    EXPECT_EQ(host.Exchange(B('E')), 16);
    EXPECT_EQ(host.Exchange(B('F')), 0xC0);
}

}  // namespace
}  // namespace wirvela
