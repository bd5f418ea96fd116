#pragma once
// The diagnostic log: a structured, optionally time-stamped record of the controller
// traffic and of important events, appended to "debug_log.txt" across runs (nothing
// truncates it). The application core owns the one instance of a run, `debug_log`,
// from the main window's creation to its destruction.
//
// Record lines, after the optional time stamp "<seconds since 1970>\t<ms, 3 digits>\t":
//   1\t<frame>   R=0x<reply>  Err=0x<error> <command name>   (LogFrame)
//   2\t-- ... --   R=0x<reply>                                (LogReply)
//   3\t<text>                                                 (LogText)
//   3\t<text>\t<value> (0x<value hex>)                        (LogValue)
// Called from several threads; every record is written as one unit.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace wirvela {

class DebugLog {
public:
    static constexpr const char* kFileName = "debug_log.txt";
    static constexpr std::size_t kFrameBytes = 12;

    DebugLog() = default;  // disabled
    // When enabled, opens directory/debug_log.txt for appending and writes the start
    // line. A file that cannot be opened leaves the log disabled without a report.
    DebugLog(const std::filesystem::path& directory, bool enabled, bool timeStamp);
    // Writes the stop line and closes the file.
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // A controller frame, the status byte it got back and the exchange's result code.
    void LogFrame(std::span<const std::uint8_t, kFrameBytes> frame, std::uint8_t reply, unsigned error);
    void LogReply(std::uint8_t reply);
    void LogText(std::string_view text);
    void LogValue(std::string_view text, int value);

    bool IsOpen() const;

    // The record texts without time stamp, for the controller's own frame dumps and tests.
    static std::string FrameRecord(std::span<const std::uint8_t, kFrameBytes> frame, std::uint8_t reply,
                                   unsigned error);
    static std::string ReplyRecord(std::uint8_t reply);
    static std::string TextRecord(std::string_view text);
    static std::string ValueRecord(std::string_view text, int value);

private:
    void Write(const std::string& record);

    std::mutex mutex_;  // one record at a time
    std::FILE* file_ = nullptr;
    bool timeStamp_ = false;
};

}  // namespace wirvela
