#include "cli/CliSession.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "config/SettingsFile.h"

namespace wirvela {

CliSession::CliSession(const CliOptions& options, std::ostream& err) : directory_(options.dir) {
    settingsProblem_ = SettingsFileProblem(directory_);
    if (!settingsProblem_.empty())
        err << "wirvela-cli: warning: " << settingsProblem_ << "; the built-in settings stand in for it\n";
    parameters_.Load(directory_, "wirvela.ini", "local.txt");
    if (messages_.CheckLocalFile(directory_)) {
        messages_.LoadMessages();
    } else {
        err << TMessages::kMissingFileCaption << ": " << TMessages::kMissingFileText << '\n';
    }
}

bool CliSession::SettingsUsable(std::ostream& err) const {
    if (settingsProblem_.empty()) return true;
    err << "wirvela-cli: the machine is not driven on guessed settings: " << settingsProblem_
        << " (start from the shipped data/wirvela.ini)\n";
    return false;
}

// The descriptor names a terminal device.
bool StandardErrorIsTerminal() {
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink("/proc/self/fd/2", ec).string();
    if (ec) return false;
    return target.rfind("/dev/pts/", 0) == 0 || target.rfind("/dev/tty", 0) == 0 || target == "/dev/console";
}

}  // namespace wirvela
