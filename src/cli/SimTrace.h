#pragma once
// The simulated controller's motion trace as the machine commands write it (--trace).
#include <iosfwd>
#include <string>
#include <vector>

#include "controller/SimulatedController.h"

namespace wirvela {

// Writes the trace as CSV (time, event, program, both wire ends, table, heating, code);
// false, said on err, when the file cannot be written.
bool WriteTrace(const std::string& file, const std::vector<SimSample>& trace, std::ostream& err);

}  // namespace wirvela
