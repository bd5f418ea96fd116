#pragma once
#include <functional>
#include <iosfwd>

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;

// Adds the controller link's commands:
//  - `devices`: the connected FTDI devices (real USB and the simulated controller) as the
//    device list shows them;
//  - `protocol line DX DY --period US [--rot R] [--delay] [--clock HZ] [--two-figure]` and
//    `protocol turn DFI --period US [--clock HZ]`: the frames the operation sends, one per
//    line as 24 hex digits, without a device; a result other than 16 is printed with its
//    text and exits 1;
//  - `handshake [--device sim|usb]`: the start-up of the link (device search, handshake,
//    info read) and its result; exits 1 when the handshake does not succeed.
void AddControllerCommands(CLI::App& app, CliOptions& options,
                           std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
