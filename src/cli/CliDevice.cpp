#include "cli/CliDevice.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <utility>

#include "cli/CliSession.h"
#include "cli/ControllerReport.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/SimulatedFtdi.h"
#include "platform/FtdiUsb.h"

namespace wirvela {

namespace {

std::function<void(SimulatedController&)>& SimulatorHook() {
    static std::function<void(SimulatedController&)> hook;
    return hook;
}

}  // namespace

void SetSimulatorHook(std::function<void(SimulatedController&)> hook) {
    SimulatorHook() = std::move(hook);
}

CliDevice CliDevice::Open(const std::string& device, double speedUp, CliSession& session, LinkServices& services) {
    CliDevice d;
    if (device == "usb") {
        d.ftdi = std::make_unique<FtdiUsb>();
    } else {
        SimulatedControllerConfig config;
        config.speedUp = speedUp;
        d.sim = std::make_shared<SimulatedController>(config);
        if (SimulatorHook()) SimulatorHook()(*d.sim);
        d.ftdi = std::make_unique<SimulatedFtdi>(d.sim);
        services.identity = DeviceIdentity{0x0403, 0x6010, SimulatedFtdi::kSerialNumber};
    }
    services.parameters = &session.Parameters();
    services.messages = &session.Messages();
    services.ftdi = d.ftdi.get();
    services.directory = session.Directory();
    return d;
}

bool LinkStarted(const LinkStartup& up, CliSession& session, std::ostream& err) {
    if (up.link && up.outcome == LinkStartup::Outcome::Continue && up.handshake == STAT_OK) return true;
    const int code = up.handshake >= 0 ? up.handshake : (up.link ? up.link->InitError() : RS_OPEN_COM_ERR);
    err << "wirvela-cli: the controller link could not be started:"
        << OneLine(ControllerCodes::FormatCode(session.Messages(), code)) << '\n';
    return false;
}

void AddDeviceOptions(CLI::App* command, std::string& device, double& speedUp, std::string& trace) {
    command->add_option("--device", device, "sim (the simulated controller) or usb (the configured real device)")
        ->check(CLI::IsMember({"sim", "usb"}))
        ->capture_default_str();
    command->add_option("--speedup", speedUp,
                        "Simulated controller: machine milliseconds per real millisecond (0: as fast as possible)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    command->add_option("--trace", trace, "Simulated controller: write its motion trace to this CSV file");
}

}  // namespace wirvela
