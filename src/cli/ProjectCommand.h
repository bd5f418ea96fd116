#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `project save PROJECT --drawing FILE [multiplication options]`: what Save as
// writes, without a window. The drawing is copied beside the project (as PROJECT with the
// drawing's extension) unless it is that file already, and the project names it; with
// multiplication options (those of `multiply`) it also holds the multiplication to repeat
// when it is opened. ".con" is appended to a PROJECT without it. Exit 0 when saved, 1 when
// the drawing cannot be read or copied, 2 for options that describe no multiplication or
// a project that cannot be written; nothing is written then.
void AddProjectCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
