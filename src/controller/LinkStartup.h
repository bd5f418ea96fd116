#pragma once
// Start-up of the controller link, performed when the manual-control window is created
// and again whenever the link is re-created (a device chosen in the device list, a new
// COM setting): construct the link, let the reader run, check the construction, shake
// hands and read the controller's info.
//
// Where the program would end, the start-up returns the outcome instead and the caller
// (the application, wirvela-cli) ends the run with the given exit code; the core never
// ends the process itself.
#include <functional>
#include <memory>
#include <string_view>

#include "controller/ComClass.h"

namespace wirvela {

class Prompt;

struct LinkStartup {
    enum class Outcome {
        Continue,  // the program goes on (also without a controller)
        Exit,      // the program ends with exitCode
    };

    std::unique_ptr<ComClass> link;  // null only when the link could not be created
    Outcome outcome = Outcome::Continue;
    int exitCode = 0;
    int handshake = -1;  // the handshake's result; -1 when it was not reached

    // Messages: 104/105 (no link object, exit 0), FormatCode of the initialisation
    // error (+ 106, COM, 107 for 289; caption 105, exit −1), 108/109 (firmware not
    // compatible, exit 0), 110/109 (no answer: the program goes on). The manual-control
    // status line (`status`) shows 103 while connecting and 111 once connected.
    static LinkStartup Run(const LinkServices& services, EventChannel* manualWindow, Prompt& prompt,
                           const std::function<void(std::string_view)>& status);
};

}  // namespace wirvela
