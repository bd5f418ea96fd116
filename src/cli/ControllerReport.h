#pragma once
// Small helpers the commands that follow a controller run share.
#include <string>

#include "controller/ControllerCodes.h"

namespace wirvela {

// A report that ends a run: the end of the program, or an error that stops the wire.
inline bool IsEndReport(int code) { return code == STAT_END || code == STAT_ERR_OVERR || code == STAT_ERR_IPWM; }

// Message texts may hold line breaks; a summary line keeps them on one line.
inline std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

}  // namespace wirvela
