#include "platform/SettingsFileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace wirvela {

SettingsFileLock::SettingsFileLock(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    int r;
    do {
        r = ::flock(fd_, LOCK_EX);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SettingsFileLock::~SettingsFileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace wirvela
