#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/CommandNames.h"
#include "config/DebugLog.h"
#include "config/MessageLog.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::TempDir;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// True when text has the shape of pattern: '#' stands for one decimal digit, every
// other character for itself.
bool FitsPattern(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '#' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

// Splits "<seconds>\t<ms>\t<record>" into seconds and record; false when the line has no
// such stamp (milliseconds must be three digits).
bool SplitTimeStamp(const std::string& line, long& seconds, std::string& record) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab > 18) return false;
    for (std::size_t i = 0; i < tab; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    if (!FitsPattern(std::string_view(line).substr(tab, 5), "\t###\t")) return false;
    seconds = std::stol(line.substr(0, tab));
    record = line.substr(tab + 5);
    return true;
}

// ---- command names --------------------------------------------------------------

struct NameCase {
    std::uint8_t letter;
    const char* name;
};

class CommandNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CommandNameTest, LetterGivesItsName) {
    EXPECT_EQ(CommandNameOf(GetParam().letter), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Letters, CommandNameTest,
                         ::testing::Values(NameCase{'@', "C_NOP"}, NameCase{'C', "C_PVER"},
                                           NameCase{'K', "C_READ_POS"}, NameCase{'V', "C_SETADRES"},
                                           NameCase{'[', "C_SETADR"}, NameCase{'d', "C_LINEYD"},
                                           NameCase{'x', "C_CLEARMEM"}, NameCase{'y', "C_HOLD"},
                                           NameCase{'L', "UNKNOWN"}, NameCase{'g', "UNKNOWN"},
                                           NameCase{0x00, "UNKNOWN"}, NameCase{0xFF, "UNKNOWN"}));

TEST(CommandNameTable, EveryEntryIsFoundByItsLetter) {
    std::set<std::uint8_t> letters;
    for (const CommandName& entry : CommandNameTable()) {
        EXPECT_TRUE(letters.insert(entry.letter).second) << "letter named twice: " << entry.letter;
        EXPECT_EQ(CommandNameOf(entry.letter), entry.name);
    }
}

// ---- diagnostic log -------------------------------------------------------------

constexpr std::array<std::uint8_t, 12> kFrame = {0x43, 0x01, 0x02, 0x03, 0x04, 0x05,
                                                 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};

// The log's content between the start and the stop line of one run.
std::vector<std::string> RecordsOfOneRun(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    EXPECT_GE(lines.size(), 2u);
    if (lines.size() < 2) return {};
    return {lines.begin() + 1, lines.end() - 1};
}

TEST(DebugLogTest, RecordsWithoutTimeStamps) {
    TempDir dir;
    {
        DebugLog log(dir.Path(), true, false);
        ASSERT_TRUE(log.IsOpen());
        log.LogFrame(kFrame, 0x2A, 0);
        log.LogFrame({{'a', 0xFF, 0x7F, 0, 0, 0x80, 0xFF, 0xFF, 0x01, 0x80, 0x00, 0x40}}, 0x84, 289);
        log.LogReply(0x30);
        log.LogText("Start button pressed");
        log.LogValue("heating", 96);
        log.LogValue("code", -1);
    }
    const std::vector<std::string> expected = {
        "1\t43:01 02 03 04 05 06 07 | 08 09 0A 0B   R=0x2A  Err=0x00 C_PVER",
        "1\t61:FF 7F 00 00 80 FF FF | 01 80 00 40   R=0x84  Err=0x121 C_LINEX",
        "2\t-- -- -- -- -- -- -- -- -- -- -- --   R=0x30",
        "3\tStart button pressed",
        "3\theating\t96 (0x60)",
        "3\tcode\t-1 (0xFFFFFFFF)",
    };
    EXPECT_EQ(RecordsOfOneRun(dir.Read("debug_log.txt")), expected);
}

TEST(DebugLogTest, FrameRecordIsExact) {
    EXPECT_EQ(DebugLog::FrameRecord(kFrame, 0x2A, 0),
              "1\t43:01 02 03 04 05 06 07 | 08 09 0A 0B   R=0x2A  Err=0x00 C_PVER\n");
}

TEST(DebugLogTest, TimeStampPrecedesEveryRecord) {
    TempDir dir;
    // time() reads the coarse clock on Linux and can lag the stamp's clock by a tick
    // across a second boundary; read the same clock the stamp reads.
    const auto secondsNow = [] {
        using namespace std::chrono;
        return static_cast<long>(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
    };
    const long before = secondsNow();
    {
        DebugLog log(dir.Path(), true, true);
        log.LogText("phase");
        log.LogReply(0x10);
    }
    const long after = secondsNow();
    const std::vector<std::string> records = RecordsOfOneRun(dir.Read("debug_log.txt"));
    ASSERT_EQ(records.size(), 2u);
    long seconds = 0;
    std::string record;
    ASSERT_TRUE(SplitTimeStamp(records[0], seconds, record)) << records[0];
    EXPECT_EQ(record, "3\tphase");
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    ASSERT_TRUE(SplitTimeStamp(records[1], seconds, record)) << records[1];
    EXPECT_EQ(record, "2\t-- -- -- -- -- -- -- -- -- -- -- --   R=0x10");
}

TEST(DebugLogTest, TwoRunsLeaveTwoStartAndTwoStopLines) {
    TempDir dir;
    for (int run = 0; run < 2; ++run) {
        DebugLog log(dir.Path(), true, false);
        log.LogText("run");
    }
    const std::string start = "Program started at: ##:##:##  ####-##-## " + std::string(19, '+');
    const std::string stop = "Program stopped at: ##:##:##  ####-##-## " + std::string(19, '-');
    const std::vector<std::string> lines = Lines(dir.Read("debug_log.txt"));
    ASSERT_EQ(lines.size(), 6u);
    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(FitsPattern(lines[3 * run], start)) << lines[3 * run];
        EXPECT_EQ(lines[3 * run + 1], "3\trun");
        EXPECT_TRUE(FitsPattern(lines[3 * run + 2], stop)) << lines[3 * run + 2];
    }
}

TEST(DebugLogTest, DisabledOrUnopenableLogWritesNothing) {
    TempDir dir;
    {
        DebugLog log(dir.Path(), false, true);
        EXPECT_FALSE(log.IsOpen());
        log.LogFrame(kFrame, 0, 0);
        log.LogText("ignored");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "debug_log.txt"));

    DebugLog missingDirectory(dir.Path() / "no" / "such", true, true);
    EXPECT_FALSE(missingDirectory.IsOpen());
    missingDirectory.LogValue("ignored", 1);
}

TEST(DebugLogTest, RecordsFromSeveralThreadsStayWhole) {
    TempDir dir;
    constexpr int kThreads = 4;
    constexpr int kRecords = 500;
    {
        DebugLog log(dir.Path(), true, true);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kRecords; ++i) {
                    if (i % 2) {
                        log.LogValue("thread " + std::to_string(t), i);
                    } else {
                        log.LogFrame(kFrame, static_cast<std::uint8_t>(t), 0);
                    }
                }
            });
        }
        for (auto& thread : threads) thread.join();
    }
    std::multiset<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kRecords; ++i) {
            expected.insert(i % 2 ? DebugLog::ValueRecord("thread " + std::to_string(t), i)
                                  : DebugLog::FrameRecord(kFrame, static_cast<std::uint8_t>(t), 0));
        }
    }
    std::multiset<std::string> written;
    for (const std::string& line : RecordsOfOneRun(dir.Read("debug_log.txt"))) {
        long seconds = 0;
        std::string record;
        ASSERT_TRUE(SplitTimeStamp(line, seconds, record)) << line;
        written.insert(record + "\n");
    }
    EXPECT_EQ(written, expected);
}

// ---- message log ----------------------------------------------------------------

TEST(MessageLogTest, AllSwitchesOffWritesNothing) {
    TempDir dir;
    int memoLines = 0;
    {
        MessageLog log(dir.Path(), {});
        log.SetMemoHook([&](std::string_view) { ++memoLines; });
        log.Log("nothing");
        EXPECT_FALSE(log.FileOpen());
    }
    EXPECT_EQ(memoLines, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "log_msg.txt"));
}

TEST(MessageLogTest, FileStartsWithABreakAndEndsWithoutOne) {
    TempDir dir;
    dir.Write("log_msg.txt", "from the previous run\n");
    {
        MessageLog log(dir.Path(), {.file = true});
        log.Log("++++ FindPath()");
        log.Log("MinX: 12");
    }
    EXPECT_EQ(dir.Read("log_msg.txt"), "\n++++ FindPath()\nMinX: 12");
}

TEST(MessageLogTest, FlushMakesEveryLineVisibleAtOnce) {
    TempDir dir;
    MessageLog log(dir.Path(), {.file = true, .flush = true});
    log.Log("first");
    EXPECT_EQ(dir.Read("log_msg.txt"), "\nfirst");
    log.Log("second");
    EXPECT_EQ(dir.Read("log_msg.txt"), "\nfirst\nsecond");
}

TEST(MessageLogTest, WithoutFlushLinesArriveInBlocks) {
    TempDir dir;
    {
        MessageLog log(dir.Path(), {.file = true});
        log.Log("short line");
        EXPECT_EQ(dir.Read("log_msg.txt"), "");
    }
    EXPECT_EQ(dir.Read("log_msg.txt"), "\nshort line");
}

TEST(MessageLogTest, MemoReceivesLinesWhileSwitchedOn) {
    TempDir dir;
    std::vector<std::string> memo;
    MessageLog log(dir.Path(), {.memo = true});
    log.SetMemoHook([&](std::string_view text) { memo.emplace_back(text); });
    log.Log("one");
    log.SetMemoEnabled(false);
    log.Log("two");
    log.SetMemoEnabled(true);
    log.Log("three");
    EXPECT_EQ(memo, (std::vector<std::string>{"one", "three"}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "log_msg.txt"));
}

TEST(MessageLogTest, UncreatableFileIsSilentlyOff) {
    TempDir dir;
    MessageLog log(dir.Path() / "missing", {.file = true, .flush = true});
    EXPECT_FALSE(log.FileOpen());
    log.Log("lost");
}

TEST(MessageLogTest, LinesFromSeveralThreadsStayWhole) {
    TempDir dir;
    constexpr int kThreads = 4;
    constexpr int kLines = 500;
    std::vector<std::string> memo;
    {
        MessageLog log(dir.Path(), {.memo = true, .file = true});
        log.SetMemoHook([&](std::string_view text) { memo.emplace_back(text); });
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kLines; ++i) {
                    log.Log("thread " + std::to_string(t) + " line " + std::to_string(i));
                }
            });
        }
        for (auto& thread : threads) thread.join();
    }
    std::vector<std::string> lines = Lines(dir.Read("log_msg.txt"));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines + 1));
    EXPECT_EQ(lines.front(), "");
    lines.erase(lines.begin());
    EXPECT_EQ(lines, memo);  // the memo sees the file's order
    std::multiset<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            expected.insert("thread " + std::to_string(t) + " line " + std::to_string(i));
        }
    }
    EXPECT_EQ(std::multiset<std::string>(lines.begin(), lines.end()), expected);
}

}  // namespace
}  // namespace wirvela
