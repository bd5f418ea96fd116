#include "platform/EventChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sync.h"

namespace wirvela {
namespace {

TEST(EventChannel, PostedEventsAreHandledInOrderOnTheWindowThread) {
    std::vector<int> codes;
    std::thread::id handlerThread;
    EventChannel channel([&](int code, std::intptr_t arg) {
        codes.push_back(code * 10 + static_cast<int>(arg));
        handlerThread = std::this_thread::get_id();
        return std::intptr_t{0};
    });
    std::thread worker([&] {
        channel.Post(2001, 1);
        channel.Post(2004, 2);
    });
    worker.join();
    EXPECT_EQ(channel.ProcessPending(), 2);
    EXPECT_EQ(codes, (std::vector<int>{20011, 20042}));
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST(EventChannel, PostedTextsOutliveTheirSenderAndKeepTheirPlaceAmongSends) {
    std::vector<std::string> seen;
    EventChannel channel([&](int code, std::intptr_t arg) {
        seen.push_back(std::to_string(code) + ":" + reinterpret_cast<const char*>(arg));
        return std::intptr_t{0};
    });
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) channel.PostText(2004, "line " + std::to_string(i * 100));
        const std::string last = "done";
        channel.Send(2009, reinterpret_cast<std::intptr_t>(last.c_str()));
    });
    while (seen.size() < 4) channel.WaitAndProcess(10);
    worker.join();
    EXPECT_EQ(seen, (std::vector<std::string>{"2004:line 0", "2004:line 100", "2004:line 200", "2009:done"}));
    channel.Close();
    channel.PostText(2004, "after close");
    EXPECT_EQ(channel.ProcessPending(), 0);
}

TEST(EventChannel, QuietTextsWaitForTheNextLookWithoutWakingTheWindow) {
    std::vector<std::string> seen;
    std::atomic<int> wakes{0};
    EventChannel channel(
        [&](int code, std::intptr_t arg) {
            seen.push_back(std::to_string(code) + (code == 2004 ? std::string(":") + reinterpret_cast<const char*>(arg)
                                                                 : std::string()));
            return std::intptr_t{0};
        },
        [&] { ++wakes; });
    std::thread worker([&] {
        channel.PostText(2004, "line 100", EventChannel::Wake::AtNextLook);
        channel.PostText(2004, "line 200", EventChannel::Wake::AtNextLook);
        channel.Post(2010);
    });
    worker.join();
    EXPECT_EQ(wakes, 1) << "only the ordinary post wakes the window";
    EXPECT_EQ(channel.ProcessPending(), 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"2004:line 100", "2004:line 200", "2010"}));
}

TEST(EventChannel, SendersOnSeveralThreadsEachGetTheirOwnAnswer) {
    EventChannel channel([](int, std::intptr_t arg) { return arg * 2; });
    constexpr int kSenders = 3;
    constexpr int kSends = 200;
    std::atomic<int> wrong{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kSenders; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kSends; ++i) {
                const std::intptr_t arg = t * 1000 + i;
                if (channel.Send(2009, arg) != arg * 2) ++wrong;
            }
            ++finished;
        });
    }
    while (finished < kSenders) channel.WaitAndProcess(1);
    for (std::thread& s : senders) s.join();
    EXPECT_EQ(wrong, 0);
}

TEST(EventChannel, SendWaitsForTheHandlersResult) {
    EventChannel channel([](int code, std::intptr_t arg) { return static_cast<std::intptr_t>(code + arg); });
    std::atomic<std::intptr_t> result{0};
    std::thread worker([&] { result = channel.Send(100, 5); });
    while (channel.WaitAndProcess(10) == 0) {
    }
    worker.join();
    EXPECT_EQ(result, 105);
    EXPECT_EQ(channel.Send(1, 1), 2) << "a send on the window thread runs at once";
}

TEST(EventChannel, CloseReleasesWaitingSenders) {
    EventChannel channel([](int, std::intptr_t) { return std::intptr_t{1}; });
    std::atomic<std::intptr_t> result{0};
    std::thread worker([&] { result = channel.Send(7); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    channel.Close();
    worker.join();
    EXPECT_EQ(result, -1);
    channel.Post(3);
    EXPECT_EQ(channel.ProcessPending(), 0);
}

TEST(TimedLock, GivesUpAfterTheWait) {
    TimedMutex m;
    std::atomic<bool> got{true};
    m.lock();
    std::thread other([&] { got = TimedLock(m, 20).Owns(); });
    other.join();
    m.unlock();
    EXPECT_FALSE(got);
    RecursiveTimedMutex r;
    TimedLock outer(r, -1);
    TimedLock inner(r, 0);
    EXPECT_TRUE(outer && inner) << "the drawing mutex may be taken again by its holder";
}

}  // namespace
}  // namespace wirvela
