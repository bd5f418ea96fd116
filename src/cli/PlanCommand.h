#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `plan FILE [--yes] [--geometry] [--planner reference|fast]`: loads a drawing as the
// Open command does, runs the connect command to its end (junction splitting, joining,
// entry line, path search) with the chosen planner (default fast) and reports each
// figure's cut path and the path search's integrity counts; one JSON object with --json. Progress goes to standard error when that is a terminal.
// Exit code 0 when a cut path was found, 1 when the file cannot be read, 2 when the
// loader refused the drawing, 3 when the joining or the path search failed (the report
// is printed all the same).
void AddPlanCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
