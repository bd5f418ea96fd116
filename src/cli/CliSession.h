#pragma once
// What every subcommand starts with: the settings store and the message table of the
// start-up directory, loaded in the program's start-up order.
#include <filesystem>
#include <iosfwd>
#include <string>

#include "config/Messages.h"
#include "config/Parameters.h"

namespace wirvela {

struct CliOptions {
    std::string dir = ".";
    bool json = false;
};

class CliSession {
public:
    // Loads wirvela.ini and local.txt from options.dir; a missing local.txt prints the
    // program's warning on err and the session goes on without texts, and so does a
    // wirvela.ini that cannot be read, with a warning that names the reason. A damaged
    // local.txt is named with its first bad line, and what could be read of it is used.
    CliSession(const CliOptions& options, std::ostream& err);

    // Empty when wirvela.ini was read; else why the built-in defaults stand in for it
    // (the folder or the file missing, empty, unreadable, not a settings file).
    const std::string& SettingsProblem() const { return settingsProblem_; }
    // For the commands that move the machine: true, or the problem said on err.
    bool SettingsUsable(std::ostream& err) const;

    TParameters& Parameters() { return parameters_; }
    TMessages& Messages() { return messages_; }
    const std::filesystem::path& Directory() const { return directory_; }

private:
    std::filesystem::path directory_;
    std::string settingsProblem_;
    TParameters parameters_;
    TMessages messages_;
};

// Standard error is a terminal (progress lines are drawn only there).
bool StandardErrorIsTerminal();

}  // namespace wirvela
