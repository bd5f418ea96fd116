#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `profiles MODEL.raw --count N [--clearance C] [--base D] [--no-plinth |
// --plinth-height H --plinth-width W] --out PROJECT.hpr [--no-dumps] [--log FILE]`: the
// profile generator of the 3-D model window without the window. Writes PROJECT.hpr and
// its profile files (and, unless --no-dumps, the projection dumps) beside it, only when
// every profile was made. Exit 0 when written,
// 1 when the model cannot be opened or a file cannot be written, 2 for refused input
// (a bad model, an option out of range, a plinth that misses the part, no entry or exit
// point), 3 when an outline walk did not reach its exit.
void AddProfilesCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
