#include "cli/CliSession.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "config/SettingCheck.h"

namespace wirvela {

namespace {

// Why the settings file cannot serve; empty when it can.
std::string SettingsFileProblem(const std::filesystem::path& directory) {
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) return "the folder " + directory.string() + " does not exist";
    const std::filesystem::path file = directory / "wirvela.ini";
    if (!std::filesystem::exists(file, ec)) return file.string() + " is missing";
    if (!std::filesystem::is_regular_file(file, ec)) return file.string() + " is not a file";
    std::ifstream in(file, std::ios::binary);
    if (!in) return file.string() + " cannot be read: " + std::strerror(errno);
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.empty()) return file.string() + " is empty";
    if (head.find('\0') != std::string::npos || head.find('[') == std::string::npos)
        return file.string() + " is not a settings file";
    return {};
}

}  // namespace

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
