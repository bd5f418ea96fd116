#pragma once
// Serialises the read-modify-write of a settings file between processes: the desktop
// program and wirvela-cli, or two `param set` at once, would otherwise each read the file,
// change their key and write the whole file back, and the later writer would undo the
// earlier one. The lock is an advisory flock on the folder that holds the file (the file
// itself is replaced by a rename on every write, so it cannot carry the lock), held for
// the lifetime of the object and released by the kernel if the process dies.
#include <filesystem>

namespace wirvela {

class SettingsFileLock {
public:
    explicit SettingsFileLock(const std::filesystem::path& file);
    ~SettingsFileLock();
    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

    // False when the folder could not be opened or locked; the write goes ahead unlocked,
    // as it always did, rather than losing the operator's change.
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace wirvela
