#include "cli/CliSession.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "config/SettingCheck.h"
#include "config/SettingsFile.h"

namespace wirvela {

CliSession::CliSession(const CliOptions& options, std::ostream& err) : directory_(options.dir) {
    settingsProblem_ = SettingsFileProblem(directory_);
    if (!settingsProblem_.empty())
        err << "wirvela-cli: warning: " << settingsProblem_ << "; the built-in settings stand in for it\n";
    parameters_.Load(directory_, "wirvela.ini", "local.txt");
    for (const std::string& line : settings::HiddenSettingWarnings(parameters_))
        err << "wirvela-cli: warning: " << parameters_.FileName().string() << ' ' << line << '\n';
    const bool present = messages_.CheckLocalFile(directory_);
    if (present) messages_.LoadMessages();
    const std::string damage = messages_.LocalFileWarning();
    if (!damage.empty()) {
        err << "wirvela-cli: warning: " << damage << '\n';
    } else if (!present) {
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
