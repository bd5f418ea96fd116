#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds the manual-control window's motions:
//  - `move --dx MM --dy MM [--speed V]`: the move by distance (Button9) of dx, dy
//    millimetres (divided by manualScaling, as typed distances are) at V cm/min (the speed
//    bar; without --speed the bar's start position, DefVelocity);
//  - `turn DEGREES`: the table turn by an angle (SpeedButton1).
// Both take `--device sim|usb` (the simulated controller unless a real one is asked for)
// and `--speedup K` (simulated controller: machine milliseconds per real millisecond,
// 0 as fast as possible), start the link as the program's start-up does, run the motion
// non-interactively and wait for its end; Ctrl+C stops it (the STOP button). The result
// is printed, with the positions the simulated controller reached; --json prints
// {"command", "device", "result", "end", "steps" or "degrees" and "tableSteps", "speed",
// "simulated": {"ends": [[x, y], [x, y]], "table", "seconds"}} ("end" is null without an
// end report, "simulated" only for the simulated controller).
//
// Exit codes: 0 the motion ran to STAT_END, 2 a distance, speed or angle is not a finite
// number, 4 the controller link could not be started, 5 the motion was refused (the
// controller's code is printed), 6 the run ended with a controller error or without its
// end report, 130 interrupted by Ctrl+C.
void AddManualCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
