#pragma once
// Small helpers the commands that follow a controller run share.
#include <string>

#include "controller/ControllerCodes.h"

namespace wirvela {

// A report that ends a run: the end of the program, or an error that stops the wire.
inline bool IsEndReport(int code) { return code == STAT_END || code == STAT_ERR_OVERR || code == STAT_ERR_IPWM; }

// The link's reader thread gave up (the device was unplugged, its port lock failed): no
// report of the run can arrive any more, so waiting for one would never end.
inline bool ReaderEnded(int code) { return code == COM_ASYNCH_ERR_READ || code == COM_MUTEX_BUSY_ASYNCH; }

// Message texts may hold line breaks; a summary line keeps them on one line.
inline std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

}  // namespace wirvela
