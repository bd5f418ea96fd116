#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `multiply FILE (--count NX NY | --size W H) [--gap GX GY] [--multiwire row|column
// --offset M --wire-distance D [--length L] [--spine bottom]] [--yes] [--geometry]`: loads
// and joins FILE as `plan` does, multiplies it as the multiplication dialog would with
// these fields (--multiwire takes the place of the Multiwire setting), joins grid copies
// again as the main window does afterwards, and reports the final cut path with plan's
// figure fields. A refusal the dialog would show goes to standard error with its message
// number. Exit codes as plan's, and 2 also for a refused multiplication.
void AddMultiplyCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
