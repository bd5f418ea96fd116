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
    // program's warning on err and the session goes on without texts.
    CliSession(const CliOptions& options, std::ostream& err);

    TParameters& Parameters() { return parameters_; }
    TMessages& Messages() { return messages_; }
    const std::filesystem::path& Directory() const { return directory_; }

private:
    std::filesystem::path directory_;
    TParameters parameters_;
    TMessages messages_;
};

// Standard error is a terminal (progress lines are drawn only there).
bool StandardErrorIsTerminal();

}  // namespace wirvela
