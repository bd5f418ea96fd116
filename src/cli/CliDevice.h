#pragma once
// The controller a machine command drives: the simulated controller, unless the operator
// asks for the configured real device, and the start-up of the link to it.
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "controller/LinkServices.h"
#include "controller/LinkStartup.h"
#include "controller/SimulatedController.h"
#include "platform/Ftdi.h"

namespace CLI {
class App;
}

namespace wirvela {

class CliSession;

struct CliDevice {
    std::shared_ptr<SimulatedController> sim;  // null for the real device
    std::unique_ptr<Ftdi> ftdi;

    // "usb": the configured real device; anything else the simulated controller running
    // `speedUp` times faster than the machine. Fills the link services' device, settings,
    // messages and directory.
    static CliDevice Open(const std::string& device, double speedUp, CliSession& session, LinkServices& services);
};

// Called with every simulated controller a machine command makes, before the link to it
// starts: a test puts the controller in a fault there. Without a hook nothing happens.
void SetSimulatorHook(std::function<void(SimulatedController&)> hook);

// The options of a command that drives the controller: --device sim|usb, --speedup K and
// --trace FILE (the simulated controller's motion trace).
void AddDeviceOptions(CLI::App* command, std::string& device, double& speedUp, std::string& trace);

// True when the start-up gave a link that shook hands; otherwise says why on `err`.
bool LinkStarted(const LinkStartup& up, CliSession& session, std::ostream& err);

}  // namespace wirvela
