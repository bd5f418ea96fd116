#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace wirvela {

namespace {

void RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = path.filename().string() + ".tmp.";
    std::error_code ec;
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string pidText = name.substr(prefix.size());
        if (pidText.empty() || pidText.size() > 9 ||
            !std::all_of(pidText.begin(), pidText.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(pidText));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) std::filesystem::remove(entry.path(), ec);
    }
}

// The rename is durable only once the folder's entry is on disk too.
void SyncFolder(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text, std::string* error, unsigned mode) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    RemoveStaleTemporaries(path);
    std::filesystem::path temp = path;
    temp += ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return fail("cannot create " + temp.string() + ": " + std::strerror(errno));
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    bool ok = written == text.size() && ::fsync(fd) == 0;
    int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        if (ok) savedErrno = errno;
        ::unlink(temp.c_str());
        return fail("cannot write " + path.string() + ": " + std::strerror(savedErrno));
    }
    SyncFolder(path);
    return true;
}

}  // namespace wirvela
