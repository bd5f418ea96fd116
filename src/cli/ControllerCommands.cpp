#include "cli/ControllerCommands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/DeviceList.h"
#include "controller/LinkStartup.h"
#include "controller/MergedFtdi.h"
#include "controller/RecordingFtdi.h"
#include "controller/SimulatedFtdi.h"
#include "platform/EventChannel.h"
#include "platform/FtdiUsb.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct ProtocolArgs {
    double dx = 0;
    double dy = 0;
    double dfi = 0;
    double period = 0;
    double rot = 0;
    bool delay = false;
    double clock = RSport::kDefaultClock;
    bool twoFigure = false;
};

struct HandshakeArgs {
    std::string device = "sim";
};

std::string Hex4(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
    return text;
}

int PrintDevices(CliSession& session, bool json, std::ostream& out) {
    std::unique_ptr<Ftdi> ftdi = MakeDefaultFtdi();
    DeviceList list(*ftdi, session.Messages());
    list.Show();
    if (json) {
        Json devices = Json::array();
        for (std::size_t i = 0; i < list.Lines().size(); ++i) {
            const FtDeviceInfo& d = list.Devices()[i];
            devices.push_back({{"index", i},
                               {"line", list.Lines()[i]},
                               {"location", d.location},
                               {"vid", Hex4(d.id >> 16)},
                               {"pid", Hex4(d.id & 0xFFFF)},
                               {"serialNo", d.serialNumber},
                               {"description", d.description}});
        }
        out << Json{{"devices", devices}}.dump(2) << '\n';
        return 0;
    }
    for (const std::string& line : list.Lines()) out << line << '\n';
    return 0;
}

// A step count given on the command line; false when it is not a whole number in range.
bool ToSteps(double v, std::int32_t& steps) {
    if (!(v >= -2147483648.0 && v <= 2147483647.0) || v != static_cast<double>(static_cast<long long>(v))) {
        return false;
    }
    steps = static_cast<std::int32_t>(v);
    return true;
}

// Runs one operation of the command layer on a recording bridge and prints the frames it
// handed to the exchange (also those a block-mode link keeps on the host).
int PrintFrames(CliSession& session, bool json, const ProtocolArgs& args, bool twoFigure,
                const std::function<int(ComClass&)>& operation, std::ostream& out) {
    RecordingFtdi device;
    LinkServices services;
    services.parameters = &session.Parameters();
    services.messages = &session.Messages();
    services.ftdi = &device;
    services.directory = session.Directory();
    services.identity = DeviceIdentity{};  // the recording bridge's default identity
    services.twoFigureDrawing = [twoFigure] { return twoFigure; };
    EventChannel events([](int, std::intptr_t) { return std::intptr_t{0}; });
    ComClass link(services, &events);
    link.SetClock(args.clock);
    std::vector<std::string> frames;
    link.SetFrameObserver([&frames](const Frame& f) { frames.push_back(FrameHex(f)); });
    const int result = operation(link);

    if (json) {
        Json j{{"frames", frames}, {"result", result}};
        if (result != STAT_OK) j["text"] = ControllerCodes::FormatCode(session.Messages(), result);
        out << j.dump(2) << '\n';
    } else {
        for (const std::string& f : frames) out << f << '\n';
        if (result != STAT_OK)
            out << "code " << result << ":" << ControllerCodes::FormatCode(session.Messages(), result) << '\n';
    }
    return result == STAT_OK ? 0 : 1;
}

int RunHandshake(CliSession& session, bool json, const HandshakeArgs& args, std::ostream& out) {
    std::unique_ptr<Ftdi> ftdi;
    LinkServices services;
    if (args.device == "usb") {
        ftdi = std::make_unique<FtdiUsb>();
    } else {
        ftdi = std::make_unique<SimulatedFtdi>(std::make_shared<SimulatedController>());
        services.identity = DeviceIdentity{0x0403, 0x6010, SimulatedFtdi::kSerialNumber};
    }
    std::vector<std::string> memo;
    std::vector<std::string> status;
    std::vector<PromptRequest> boxes;
    services.parameters = &session.Parameters();
    services.messages = &session.Messages();
    services.ftdi = ftdi.get();
    services.directory = session.Directory();
    services.memo = [&memo](std::string_view line) { memo.emplace_back(line); };
    ScriptedPrompt prompt([&boxes](const PromptRequest& r) {
        boxes.push_back(r);
        return AffirmativeAnswer(r.buttons);
    });
    EventChannel events([](int, std::intptr_t) { return std::intptr_t{0}; });
    LinkStartup up =
        LinkStartup::Run(services, &events, prompt, [&status](std::string_view s) { status.emplace_back(s); });

    const int initError = up.link ? up.link->InitError() : 0;
    // Before the handshake is reached the construction's error is the result.
    const int result = up.handshake >= 0 ? up.handshake : initError;
    const bool ok = result == STAT_OK;
    const std::string text = ControllerCodes::FormatCode(session.Messages(), result);
    const double clock = up.link ? up.link->Clock() : RSport::kDefaultClock;
    const std::string info = up.link ? up.link->Info() : "";
    up.link.reset();

    if (json) {
        Json messages = Json::array();
        for (const PromptRequest& r : boxes)
            messages.push_back({{"key", r.messageKey}, {"caption", r.caption}, {"text", r.text}});
        out << Json{{"device", args.device},
                    {"search", memo},
                    {"status", status},
                    {"messages", messages},
                    {"initError", initError},
                    {"handshake", result},
                    {"text", text},
                    {"info", info},
                    {"clock", clock},
                    {"outcome", up.outcome == LinkStartup::Outcome::Exit ? "exit" : "continue"},
                    {"exitCode", up.exitCode}}
                   .dump(2)
            << '\n';
        return ok ? 0 : 1;
    }
    for (const std::string& line : memo) out << line << '\n';
    for (const PromptRequest& r : boxes) {
        out << "message";
        if (r.messageKey >= 0) out << ' ' << r.messageKey;
        out << ": " << r.text << '\n';
    }
    out << "info: " << info << '\n';
    out << "clock: " << static_cast<long long>(clock) << " Hz\n";
    out << "result: " << result << text << '\n';
    if (up.outcome == LinkStartup::Outcome::Exit) out << "the program would end with exit code " << up.exitCode << '\n';
    return ok ? 0 : 1;
}

}  // namespace

void AddControllerCommands(CLI::App& app, CliOptions& options,
                           std::function<int(std::ostream&, std::ostream&)>& action) {
    CLI::App* devices = app.add_subcommand("devices", "List the connected FTDI devices as the device list shows them");
    devices->callback([&options, &action] {
        action = [&options](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            return PrintDevices(session, options.json, out);
        };
    });

    auto args = std::make_shared<ProtocolArgs>();
    CLI::App* protocol = app.add_subcommand("protocol", "Print the frames a controller operation sends");
    protocol->require_subcommand(1);

    CLI::App* line = protocol->add_subcommand("line", "Frames of one straight move (Line)");
    line->add_option("DX", args->dx, "X steps")->required();
    line->add_option("DY", args->dy, "Y steps")->required();
    line->add_option("--period", args->period, "Step period of the major axis, microseconds")->required();
    line->add_option("--rot", args->rot, "Rotary steps per X step");
    line->add_flag("--delay", args->delay, "Corner delay before the move");
    line->add_option("--clock", args->clock, "Controller clock, Hz")->capture_default_str();
    line->add_flag("--two-figure", args->twoFigure, "The drawing has a second figure");
    line->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            std::int32_t dx = 0;
            std::int32_t dy = 0;
            if (!ToSteps(args->dx, dx) || !ToSteps(args->dy, dy)) {
                err << "error: DX and DY must be whole step counts within 32 bits\n";
                return 2;
            }
            CliSession session(options, err);
            return PrintFrames(
                session, options.json, *args, args->twoFigure,
                [&](ComClass& link) { return link.Line(dx, dy, args->delay, args->period, args->rot); }, out);
        };
    });

    CLI::App* turn = protocol->add_subcommand("turn", "Frames of one table turn (Turn)");
    turn->add_option("DFI", args->dfi, "Table steps")->required();
    turn->add_option("--period", args->period, "Step period, microseconds")->required();
    turn->add_option("--clock", args->clock, "Controller clock, Hz")->capture_default_str();
    turn->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            std::int32_t dfi = 0;
            if (!ToSteps(args->dfi, dfi)) {
                err << "error: DFI must be a whole step count within 32 bits\n";
                return 2;
            }
            CliSession session(options, err);
            return PrintFrames(
                session, options.json, *args, false, [&](ComClass& link) { return link.Turn(dfi, args->period); }, out);
        };
    });

    auto hs = std::make_shared<HandshakeArgs>();
    CLI::App* handshake = app.add_subcommand("handshake", "Connect to the controller: search, handshake, info read");
    handshake->add_option("--device", hs->device, "sim (the simulated controller) or usb (the configured real device)")
        ->check(CLI::IsMember({"sim", "usb"}))
        ->capture_default_str();
    handshake->callback([&options, &action, hs] {
        action = [&options, hs](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            return RunHandshake(session, options.json, *hs, out);
        };
    });
}

}  // namespace wirvela
