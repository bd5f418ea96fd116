#include "app/StartupDirectory.h"

#include <system_error>

namespace wirvela {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool IsDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

StartupDirectory Failure(StartupDirectoryStatus status, std::string message) {
    StartupDirectory r;
    r.status = status;
    r.message = std::move(message);
    return r;
}

StartupDirectory Chosen(const fs::path& directory, std::string message = {}) {
    StartupDirectory r;
    r.directory = directory;
    r.message = std::move(message);
    return r;
}

// Copies the shipped files the per-user directory lacks. A settings file that is there
// is never replaced: it holds the operator's own settings.
StartupDirectory Seed(const fs::path& user, const std::vector<fs::path>& candidates) {
    const bool hasSettings = IsFile(user / StartupDirectory::kSettingsFile);
    const bool hasTexts = IsFile(user / StartupDirectory::kTextsFile);
    if (hasSettings && hasTexts) return Chosen(user);

    const fs::path shipped = StartupDirectory::ShippedData(candidates);
    if (shipped.empty()) {
        if (hasSettings) return Chosen(user);  // runs without texts, as with a missing local.txt
        std::string tried;
        for (const fs::path& dir : candidates) tried += "\n  " + dir.string();
        return Failure(StartupDirectoryStatus::NoShippedData,
                       "no wirvela.ini in the current directory or in " + user.string() +
                           ", and no shipped wirvela.ini to start from; looked in:" +
                           (tried.empty() ? std::string("\n  (no candidates)") : tried));
    }

    std::error_code ec;
    fs::create_directories(user, ec);
    if (ec || !IsDirectory(user)) {
        return Failure(StartupDirectoryStatus::CannotCreate, "cannot create the settings directory " + user.string() +
                                                                 (ec ? ": " + ec.message() : std::string()));
    }

    StartupDirectory r = Chosen(user);
    for (const char* name : {StartupDirectory::kSettingsFile, StartupDirectory::kTextsFile}) {
        const fs::path target = user / name;
        if (IsFile(target)) continue;
        const fs::path source = shipped / name;
        if (!IsFile(source)) continue;  // a missing local.txt is warned about at start-up
        fs::copy_file(source, target, fs::copy_options::skip_existing, ec);
        if (ec) {
            return Failure(StartupDirectoryStatus::CannotCopy,
                           "cannot copy " + source.string() + " to " + target.string() + ": " + ec.message());
        }
        r.seeded.push_back(target);
    }
    if (!r.seeded.empty()) r.message = "settings seeded from " + shipped.string() + " into " + user.string();
    return r;
}

}  // namespace

fs::path StartupDirectory::ShippedData(const std::vector<fs::path>& candidates) {
    for (const fs::path& dir : candidates) {
        if (!dir.empty() && IsFile(dir / kSettingsFile)) return dir;
    }
    return {};
}

fs::path StartupDirectory::UserDirectory(const std::optional<std::string>& xdgConfigHome,
                                         const std::optional<std::string>& home) {
    if (xdgConfigHome && !xdgConfigHome->empty()) {
        const fs::path base(*xdgConfigHome);
        if (base.is_absolute()) return base / kUserFolder;
    }
    if (home && !home->empty()) return fs::path(*home) / ".config" / kUserFolder;
    return {};
}

StartupDirectory StartupDirectory::Resolve(const StartupDirectoryRequest& request) {
    if (request.explicitDirectory) {
        const fs::path& dir = *request.explicitDirectory;
        if (!IsDirectory(dir))
            return Failure(StartupDirectoryStatus::ExplicitNotDirectory,
                           "--dir " + dir.string() + ": no such directory");
        if (!IsFile(dir / kSettingsFile))
            return Failure(StartupDirectoryStatus::ExplicitNoSettings,
                           "--dir " + dir.string() + ": the directory holds no wirvela.ini");
        return Chosen(dir);
    }
    if (!request.currentDirectory.empty() && IsFile(request.currentDirectory / kSettingsFile))
        return Chosen(request.currentDirectory);

    const fs::path user = UserDirectory(request.xdgConfigHome, request.home);
    if (user.empty()) {
        return Failure(StartupDirectoryStatus::NoUserDirectory,
                       "no wirvela.ini in the current directory, and neither XDG_CONFIG_HOME nor HOME names a "
                       "settings directory; start the program with --dir DIR");
    }
    return Seed(user, request.shippedDataDirectories);
}

}  // namespace wirvela
