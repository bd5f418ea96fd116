// The reader thread and the link lock: reports reach the event window while a program
// runs, the window thread gets the port between two reads, and a link goes away cleanly
// whatever its reader is doing.
#include <gtest/gtest.h>

#include "LinkRig.h"
#include "config/DebugLog.h"
#include "controller/ControllerCodes.h"
#include "platform/Clock.h"

namespace wirvela {
namespace {

using test::LinkRig;

TEST(Reader, DeliversReportsWhileAProgramRuns) {
    LinkRig rig;
    {
        DebugLog debugLog(rig.dir.Path(), true, false);
        LinkServices services = rig.Services();
        services.debugLog = &debugLog;
        rig.link = std::make_unique<ComClass>(services, &rig.channel);
        ComClass& link = *rig.link;
        link.ResumeReader();
        ASSERT_EQ(link.Start(), STAT_OK);
        rig.recorder->Report(WYL_LEWY);
        rig.recorder->Report(STAT_END);
        ASSERT_TRUE(rig.WaitForEvent(STAT_END));
        EXPECT_EQ(rig.events, (std::vector<int>{WYL_LEWY, STAT_END}));
        EXPECT_EQ(link.TakeBackFromReader(), STAT_OK);
        rig.link.reset();
    }
    const std::string log = rig.dir.Read("debug_log.txt");
    EXPECT_NE(log.find(DebugLog::ReplyRecord(STAT_END)), std::string::npos);
}

TEST(Reader, ReportsGoToTheCurrentEventWindow) {
    LinkRig rig;
    std::vector<int> other;
    EventChannel cutting([&](int code, std::intptr_t) {
        other.push_back(code);
        return std::intptr_t{0};
    });
    ComClass& link = rig.Open();
    link.SetEventWindow(&cutting);
    EXPECT_EQ(link.EventWindow(), &cutting);
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.recorder->Report(STAT_ERR_IPWM);
    for (int i = 0; i < 500 && other.empty(); ++i) cutting.WaitAndProcess(10);
    EXPECT_EQ(other, std::vector<int>{STAT_ERR_IPWM});
    EXPECT_TRUE(rig.events.empty());
    rig.link.reset();
}

TEST(Reader, ReadFailureIsPostedAndEndsTheReader) {
    LinkRig rig;
    {
        DebugLog debugLog(rig.dir.Path(), true, false);
        LinkServices services = rig.Services();
        services.debugLog = &debugLog;
        rig.link = std::make_unique<ComClass>(services, &rig.channel);
        rig.link->ResumeReader();
        ASSERT_EQ(rig.link->Start(), STAT_OK);
        rig.recorder->Fail(RecordingFtdi::Call::Read, kFtIoError);
        ASSERT_TRUE(rig.WaitForEvent(COM_ASYNCH_ERR_READ));
        // The reader released the lock before it ended: the port comes back.
        EXPECT_EQ(rig.link->TakeBackFromReader(), STAT_OK);
        rig.link.reset();
    }
    EXPECT_NE(
        rig.dir.Read("debug_log.txt").find(DebugLog::ValueRecord("asynch thread:: FT_Read status not FT_OK = ", 4)),
        std::string::npos);
}

TEST(LinkLockTest, WindowThreadGetsThePortBetweenReads) {
    LinkRig rig("[RSparam]\nTimeoutRX=1\nWaitSynchMutexTimeout=100\n");
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(link.QueryState(), STATE_NORM) << i;
        ASSERT_EQ(link.SetHeatingLive(40), STAT_OK) << i;
    }
    EXPECT_TRUE(link.Running());
    EXPECT_EQ(link.Cancel(), STAT_OK);
    EXPECT_FALSE(link.Running());
}

TEST(LinkLockTest, ReaderDoesNotReadWhileTheWindowThreadHoldsThePort) {
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    ASSERT_EQ(link.Hold(), STAT_OK);
    rig.recorder->Report(STAT_END);
    // Every read goes through the lock, so the byte stays for the window thread.
    EXPECT_EQ(link.SendByteCommand(cmd::C_NOP, 0), STAT_END);
    EXPECT_TRUE(rig.events.empty());
}

TEST(LinkLockTest, LockIsOwnedByThreads) {
    LinkLock lock("RS_LOCK_MUTEX1");
    EXPECT_TRUE(lock.Acquire(0));
    EXPECT_TRUE(lock.Acquire(0));  // held already: not counted
    bool otherGot = true;
    bool otherReleased = true;
    std::thread([&] {
        otherGot = lock.Acquire(5);
        otherReleased = lock.Release();
    }).join();
    EXPECT_FALSE(otherGot);
    EXPECT_FALSE(otherReleased);
    EXPECT_TRUE(lock.Release());
    EXPECT_FALSE(lock.Release());
    std::stop_source stop;
    EXPECT_TRUE(lock.AcquireForReader(stop.get_token()));
    EXPECT_TRUE(lock.Release());
}

TEST(LinkLockTest, StoppedReaderStopsWaiting) {
    LinkLock lock("RS_LOCK_MUTEX1");
    ASSERT_TRUE(lock.Acquire(-1));
    std::stop_source stop;
    bool got = true;
    std::thread reader([&] { got = lock.AcquireForReader(stop.get_token()); });
    stop.request_stop();
    reader.join();
    EXPECT_FALSE(got);
    EXPECT_TRUE(lock.HeldByCurrentThread());
}

// ---- destruction ----------------------------------------------------------------------

TEST(Destruction, IdleLinkWithASuspendedReaderGoesAway) {
    LinkRig rig;
    rig.link = std::make_unique<ComClass>(rig.Services(), &rig.channel);
    EXPECT_TRUE(rig.link->HasReader());
    rig.link.reset();
    EXPECT_FALSE(rig.recorder->IsOpen());
}

TEST(Destruction, RunningLinkGoesAway) {
    LinkRig rig;
    ASSERT_EQ(rig.Open().Start(), STAT_OK);
    rig.link.reset();
    EXPECT_FALSE(rig.recorder->IsOpen());
}

TEST(Destruction, ReportBeingDeliveredIsHandledFirst) {
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.recorder->Report(STAT_END);
    // Once the reader has the byte it delivers it, and waits for this thread to handle it.
    while (rig.recorder->Waiting() != 0) SleepMs(1);
    rig.link.reset();
    EXPECT_EQ(rig.events, std::vector<int>{STAT_END});
}

TEST(Destruction, LinkIsCreatedAnewOnTheSameDevice) {
    LinkRig rig;
    ASSERT_EQ(rig.Open().Handshake(), STAT_OK);
    ASSERT_EQ(rig.Open().Handshake(), STAT_OK);
    EXPECT_TRUE(rig.link->IsOpen());
}

}  // namespace
}  // namespace wirvela
