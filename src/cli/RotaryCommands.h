#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

class RotaryRun;
struct CliOptions;

// Adds the rotary project commands:
//  - `profile FILE [--row R]`: loads one profile as a rotary project loads its profiles
//    (from the file's folder) and prepares it as row R (default 1) would be cut: the
//    result, the start and end vertex with their coordinates, the counts of ends,
//    isolated points and branches, and the chained path [[line, direction], …].
//    Messages go to standard error with their number. Exit 0 prepared, 1 the file
//    cannot be read, 2 the profile is refused.
//  - `rotary PROJECT.hpr [--material N] [--heating P] [--device sim|usb] [--speedup K]
//    [--trace FILE]`: reads the project and runs it as the rotary project window's Start
//    does: each profile is sent when the controller reports the end of the previous
//    one, until the last one has been cut. Ctrl+C, SIGTERM and SIGHUP stop the run as
//    Stop does (exit 130, 143, 129). --json: per profile the row, file, result, lines
//    and steps sent and the table turn; the end code; the table's final position.
//    Exit codes as `cut`: 1 the project cannot be read, 4 no link, 5 the first profile
//    could not be started, 6 the run ended otherwise than after the last profile.
void AddRotaryCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

// Called with the run after each profile the controller has started (row: the profile's
// row): a test holds and continues a project there. Without a hook nothing happens.
void SetRotaryProfileHook(std::function<void(RotaryRun&, int row)> hook);

}  // namespace wirvela
