#include "config/SettingsFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <system_error>

#include "platform/SettingsFileLock.h"

namespace wirvela {

namespace fs = std::filesystem;

std::string SettingsFileProblem(const fs::path& directory) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) return "the folder " + directory.string() + " does not exist";
    const fs::path file = directory / kSettingsFileName;
    if (!fs::exists(file, ec)) return file.string() + " is missing";
    if (!fs::is_regular_file(file, ec)) return file.string() + " is not a file";
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

namespace {

// wirvela.ini.bad-20260101T120000Z, or with -2, -3 … when that name is taken.
fs::path AsideName(const fs::path& file) {
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "unknown-time";
    if (const std::tm* utc = std::gmtime(&now)) std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", utc);
    const std::string base = file.string() + ".bad-" + stamp;
    fs::path aside = base;
    std::error_code ec;
    for (int n = 2; fs::exists(fs::symlink_status(aside, ec)); ++n) aside = base + "-" + std::to_string(n);
    return aside;
}

SettingsRestore Failed(std::string error) {
    SettingsRestore r;
    r.error = std::move(error);
    return r;
}

}  // namespace

SettingsRestore RestoreShippedSettings(const fs::path& directory, const fs::path& shipped) {
    const fs::path source = shipped / kSettingsFileName;
    const fs::path target = directory / kSettingsFileName;
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) return Failed(source.string() + " is not there");
    if (!fs::is_directory(directory, ec)) return Failed("the folder " + directory.string() + " does not exist");

    const SettingsFileLock lock(target);
    SettingsRestore r;
    if (fs::exists(fs::symlink_status(target, ec))) {
        const fs::path aside = AsideName(target);
        fs::rename(target, aside, ec);
        if (ec) return Failed("cannot keep " + target.string() + " aside as " + aside.string() + ": " + ec.message());
        r.keptAs = aside;
    }
    const fs::path partial = target.string() + ".new";
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, target, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(partial, ec);
        return Failed("cannot copy " + source.string() + " to " + target.string() + ": " + why);
    }
    r.ok = true;
    return r;
}

}  // namespace wirvela
