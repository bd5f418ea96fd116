#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `simulate FILE [--material N] [--yes]`: loads and plans the drawing as `plan`
// does and prepares the cutting simulation as the Simulate command does (the motion
// timing with the simulate flag, for one figure or two), then reports each figure's
// simulation table: its records, the sums of its moves in steps, its corner moves and
// the simulated time with the corner pauses. --json prints
// {"material": n, "figures": [{"figure", "records", "steps": [x, y], "corners", "seconds"}]}.
//
// --material N takes material N (1 … 10); without it the remembered material (`Ostatni`).
// Nothing is stored. Exit codes: 0 prepared, 1 the file cannot be read, 2 the loader
// refused the drawing, 3 no cut path was found.
void AddSimulateCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
