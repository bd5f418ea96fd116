#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `info FILE [--yes] [--geometry]`: loads a drawing through the loader (without the
// connect command) and reports its figures, pens and segment nodes; one JSON object with
// --json. Exit code 0 when loaded, 1 when the file cannot be read, 2 when the loader
// refused the drawing (the report is printed all the same).
void AddInfoCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
