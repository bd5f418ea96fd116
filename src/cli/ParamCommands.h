#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds `param get|number|set|list` and `msg N`. The chosen command stores its action in
// `action`, which returns the exit code.
void AddParamCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
