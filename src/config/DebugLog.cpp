#include "config/DebugLog.h"

#include <chrono>
#include <ctime>

#include "config/CommandNames.h"

namespace wirvela {

namespace {

// "<time>  <date>" of the start and stop lines, local time.
std::string NowTimeAndDate() {
    // std::localtime shares one static result; start and stop happen on the window
    // thread before and after the worker threads, and the lock keeps our own calls apart.
    static std::mutex localTimeMutex;
    const std::time_t now = std::time(nullptr);
    char time[32] = "";
    char date[32] = "";
    {
        std::lock_guard lock(localTimeMutex);
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(time, sizeof time, "%H:%M:%S", local);
            std::strftime(date, sizeof date, "%Y-%m-%d", local);
        }
    }
    return std::string(time) + "  " + date;
}

std::string TimeStamp() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    char text[48];
    std::snprintf(text, sizeof text, "%ld\t%03d\t", static_cast<long>(sinceEpoch / 1000),
                  static_cast<int>(sinceEpoch % 1000));
    return text;
}

void AppendFormatted(std::string& out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

}  // namespace

DebugLog::DebugLog(const std::filesystem::path& directory, bool enabled, bool timeStamp)
    : timeStamp_(timeStamp) {
    if (!enabled) return;
    file_ = std::fopen((directory / kFileName).string().c_str(), "ab");
    if (!file_) return;
    const std::string line = "Program started at: " + NowTimeAndDate() + " +++++++++++++++++++\n";
    std::fwrite(line.data(), 1, line.size(), file_);
}

DebugLog::~DebugLog() {
    if (!file_) return;
    const std::string line = "Program stopped at: " + NowTimeAndDate() + " -------------------\n";
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fclose(file_);
}

// file_ changes only in the constructor and the destructor, so reading it needs no lock.
bool DebugLog::IsOpen() const { return file_ != nullptr; }

std::string DebugLog::FrameRecord(std::span<const std::uint8_t, kFrameBytes> frame, std::uint8_t reply,
                                  unsigned error) {
    std::string out = "1\t";
    AppendFormatted(out, "%02X:", frame[0]);
    for (std::size_t i = 1; i <= 7; ++i) AppendFormatted(out, "%02X ", frame[i]);
    out += "| ";
    for (std::size_t i = 8; i <= 11; ++i) AppendFormatted(out, "%02X ", frame[i]);
    AppendFormatted(out, "  R=0x%02X", reply);
    AppendFormatted(out, "  Err=0x%02X ", error);
    out += CommandNameOf(frame[0]);
    out += '\n';
    return out;
}

std::string DebugLog::ReplyRecord(std::uint8_t reply) {
    std::string out = "2\t";
    for (int i = 0; i < 12; ++i) out += "-- ";
    AppendFormatted(out, "  R=0x%02X\n", reply);
    return out;
}

std::string DebugLog::TextRecord(std::string_view text) {
    std::string out = "3\t";
    out += text;
    out += '\n';
    return out;
}

std::string DebugLog::ValueRecord(std::string_view text, int value) {
    std::string out = "3\t";
    out += text;
    char number[48];
    std::snprintf(number, sizeof number, "\t%d (0x%X)\n", value, static_cast<unsigned>(value));
    out += number;
    return out;
}

void DebugLog::Write(const std::string& record) {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    if (timeStamp_) {
        const std::string line = TimeStamp() + record;
        std::fwrite(line.data(), 1, line.size(), file_);
    } else {
        std::fwrite(record.data(), 1, record.size(), file_);
    }
}

void DebugLog::LogFrame(std::span<const std::uint8_t, kFrameBytes> frame, std::uint8_t reply,
                        unsigned error) {
    if (!IsOpen()) return;
    Write(FrameRecord(frame, reply, error));
}

void DebugLog::LogReply(std::uint8_t reply) {
    if (!IsOpen()) return;
    Write(ReplyRecord(reply));
}

void DebugLog::LogText(std::string_view text) {
    if (!IsOpen()) return;
    Write(TextRecord(text));
}

void DebugLog::LogValue(std::string_view text, int value) {
    if (!IsOpen()) return;
    Write(ValueRecord(text, value));
}

}  // namespace wirvela
