#pragma once
// The message log: free-text trace lines of the whole program, to the main window's log
// memo and/or the file "log_msg.txt". Called from the window thread and from worker
// threads; each line is written as a unit.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string_view>

namespace wirvela {

struct MessageLogSwitches {
    bool memo = false;   // DebugMemo: lines go to the memo hook
    bool file = false;   // DebugFile: lines go to "log_msg.txt"
    bool flush = false;  // DebugFlush: the file is flushed after every line
};

class MessageLog {
public:
    static constexpr const char* kFileName = "log_msg.txt";

    MessageLog() = default;  // everything off
    // With switches.file set, creates (empties) directory/log_msg.txt; the program
    // passes its current directory. A file that cannot be created leaves file output
    // off without a report.
    MessageLog(const std::filesystem::path& directory, MessageLogSwitches switches);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Appends one line. The file gets "\n" + text, so it starts with an empty line and
    // its last line has no line break.
    void Log(std::string_view text);

    // The memo receives each line while the memo switch is on. The hook runs under the
    // log's lock, on the logging thread, so memo lines keep the file's order; it must
    // hand the text over to the window thread and must not call Log itself.
    void SetMemoHook(std::function<void(std::string_view)> hook);
    // DebugMemo is read again after the parameter editor closes.
    void SetMemoEnabled(bool enabled);

    bool FileOpen() const;

private:
    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool memo_ = false;
    bool flush_ = false;
    std::function<void(std::string_view)> memoHook_;
};

}  // namespace wirvela
