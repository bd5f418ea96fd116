#include "cli/CliDevice.h"

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

}  // namespace wirvela
