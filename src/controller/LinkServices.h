#pragma once
// What the controller link works with: the settings, the message table, the USB library,
// the logs, and the places its lines and progress texts go. The application core fills
// this once; tests and wirvela-cli build their own.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wirvela {

class DebugLog;
class Ftdi;
class MessageLog;
class TMessages;
class TParameters;

// The USB bridge the link looks for: VID and PID (the high and low 16 bits of the
// library's device ID) and the serial number, matched exactly.
struct DeviceIdentity {
    std::uint16_t vid = 0x0403;
    std::uint16_t pid = 0x6010;
    std::string serialNo = "00000000";

    // VID, PID and SerialNo of section RSparam with their defaults (1027, 24592, "00000000").
    static DeviceIdentity Configured(const TParameters& parameters);
};

struct LinkServices {
    TParameters* parameters = nullptr;    // required
    const TMessages* messages = nullptr;  // required
    Ftdi* ftdi = nullptr;                 // required
    MessageLog* messageLog = nullptr;     // frame dumps and block lines; optional
    DebugLog* debugLog = nullptr;         // frame, reply and reader records; optional
    // The main window's log memo: the lines of the device search.
    std::function<void(std::string_view)> memo;
    // The cutting window's status line: progress of a program block transfer.
    std::function<void(std::string_view)> cuttingStatus;
    // True while the second figure of the drawing holds vertices (two-figure work):
    // a too slow segment then reports 772 instead of 769.
    std::function<bool()> twoFigureDrawing;
    // Directory of the parameter trace "debug_lines.txt" (the start-up directory).
    std::filesystem::path directory = ".";
    // The number in the link lock's name; the core has no process id of its own.
    int processId = 0;
    // Looks for this device instead of the configured one (tools that pick the simulated
    // or a recording device); start-up messages then name this identity.
    std::optional<DeviceIdentity> identity;
};

}  // namespace wirvela
