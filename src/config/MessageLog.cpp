#include "config/MessageLog.h"

#include <string>
#include <utility>

namespace wirvela {

MessageLog::MessageLog(const std::filesystem::path& directory, MessageLogSwitches switches)
    : memo_(switches.memo), flush_(switches.flush) {
    if (switches.file) file_ = std::fopen((directory / kFileName).string().c_str(), "w");
}

MessageLog::~MessageLog() {
    if (file_) std::fclose(file_);
}

void MessageLog::Log(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (memo_ && memoHook_) memoHook_(text);
    if (!file_) return;
    std::string line;
    line.reserve(text.size() + 1);
    line += '\n';
    line += text;
    std::fwrite(line.data(), 1, line.size(), file_);  // write errors are ignored
    if (flush_) std::fflush(file_);
}

void MessageLog::SetMemoHook(std::function<void(std::string_view)> hook) {
    std::lock_guard lock(mutex_);
    memoHook_ = std::move(hook);
}

void MessageLog::SetMemoEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    memo_ = enabled;
}

bool MessageLog::FileOpen() const {
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

}  // namespace wirvela
