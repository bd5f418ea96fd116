#pragma once
// wirvela-cli: the program's core without a window. Every subcommand takes --dir DIR
// (the start-up directory holding wirvela.ini and local.txt, default the current
// directory), runs non-interactively and exits non-zero with a clear message on bad input.
#include <iosfwd>
#include <string>
#include <vector>

namespace wirvela {

// Runs one command line (args without the program name); output goes to out and err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCli(int argc, char** argv);

}  // namespace wirvela
