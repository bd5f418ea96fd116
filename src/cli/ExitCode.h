#pragma once
// The exit codes of the commands that drive the machine (cut, move, turn), one list so a
// script sees the same number for the same outcome whichever command it ran.

namespace wirvela {

enum ExitCode {
    kExitOk = 0,
    kExitUnreadable = 1,    // the drawing file cannot be read
    kExitBadArgument = 2,   // the drawing was not loaded, or an argument is unusable
    kExitNoPath = 3,        // no cut path was found
    kExitNoLink = 4,        // the controller link could not be started
    kExitStartFailed = 5,   // the run was refused or its start failed
    kExitRunFailed = 6,     // the run ended without its normal end report
    kExitNoSettings = 7,    // wirvela.ini is missing or unreadable: the machine is not driven
    kExitInterrupted = 130, // stopped by Ctrl+C
};

}  // namespace wirvela
