#pragma once
// The start-up directory: where the program finds wirvela.ini and local.txt and writes
// its logs. It is the current directory when that holds a wirvela.ini; otherwise the
// per-user directory ($XDG_CONFIG_HOME/wirvela, else ~/.config/wirvela), which is seeded
// with the shipped wirvela.ini and local.txt on the first start. `--dir DIR` names it
// explicitly; the program then uses DIR as it is and never writes files into it unasked.
//
// Headless: the caller passes the process's current directory and environment values in,
// so tests choose every input.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wirvela {

struct StartupDirectoryRequest {
    // `--dir DIR`, when given.
    std::optional<std::filesystem::path> explicitDirectory;
    // The process's current directory.
    std::filesystem::path currentDirectory;
    // The environment values XDG_CONFIG_HOME and HOME; absent when unset. An empty or
    // relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
    std::optional<std::string> xdgConfigHome;
    std::optional<std::string> home;
    // Candidate directories of the shipped data (the install's share directory, the
    // source tree's data/), tried in order: the first that holds wirvela.ini is used.
    std::vector<std::filesystem::path> shippedDataDirectories;
};

enum class StartupDirectoryStatus {
    Ok = 0,
    ExplicitNotDirectory = 1,  // --dir names no directory
    ExplicitNoSettings = 2,    // --dir names a directory without wirvela.ini
    NoUserDirectory = 3,       // neither XDG_CONFIG_HOME nor HOME gives a per-user directory
    NoShippedData = 4,         // the per-user directory needs seeding and no shipped data was found
    CannotCreate = 5,          // the per-user directory could not be created
    CannotCopy = 6,            // a shipped file could not be copied into it
};

struct StartupDirectory {
    StartupDirectoryStatus status = StartupDirectoryStatus::Ok;
    std::filesystem::path directory;  // valid when status is Ok
    // Files copied from the shipped data on this start (empty when nothing was seeded).
    std::vector<std::filesystem::path> seeded;
    // For the operator: what went wrong (status not Ok), or where the files came from.
    std::string message;

    bool Ok() const { return status == StartupDirectoryStatus::Ok; }
    // The process exit code for a failure (the status value; 0 when Ok).
    int ExitCode() const { return static_cast<int>(status); }

    static constexpr const char* kSettingsFile = "wirvela.ini";
    static constexpr const char* kTextsFile = "local.txt";
    static constexpr const char* kUserFolder = "wirvela";

    // Chooses (and, when needed, seeds) the start-up directory.
    static StartupDirectory Resolve(const StartupDirectoryRequest& request);
    // The first candidate that holds the shipped wirvela.ini; empty when none does.
    static std::filesystem::path ShippedData(const std::vector<std::filesystem::path>& candidates);
    // The per-user directory for these environment values; empty when there is none.
    static std::filesystem::path UserDirectory(const std::optional<std::string>& xdgConfigHome,
                                               const std::optional<std::string>& home);
};

}  // namespace wirvela
