#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds the main job's commands:
//  - `estimate FILE [--material N] [--yes]`: loads and plans the drawing as `plan` does
//    and prints the cutting window's estimate; --json: {"seconds", "lengthMetres",
//    "duration"}.
//  - `cut FILE [--material N] [--device sim|usb] [--speedup K] [--yes] [--trace FILE]`:
//    loads and plans the drawing, starts the cut as the cutting window's Start does,
//    follows the controller's reports until the run ends (STAT_END, a controller error,
//    or Ctrl+C, which performs Stop) with a progress bar when standard error is a
//    terminal, then saves the settings store (the wear counters). The simulated
//    controller is the default; a real machine moves only with --device usb.
//
// --material N selects material N (1 … 10) as a click in the cutting window does (it is
// remembered as `Ostatni`); without it the remembered material is used. --yes makes the
// run interactive: the loader's questions (splitting a two-figure drawing) and the wear
// warning are answered Yes and every message is printed to standard error; without it
// Start runs as the pendant starts it and refuses near the wear limit.
//
// Exit codes: 0 the cut ran to STAT_END (estimate: the estimate was printed), 1 the file
// cannot be read, 2 the loader refused the drawing, 3 no cut path was found, 4 the
// controller link could not be started, 5 Start refused or failed, 6 the run ended with a
// controller error or without its end report, 130 interrupted by Ctrl+C.
void AddCutCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
