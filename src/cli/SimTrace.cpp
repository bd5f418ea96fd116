#include "cli/SimTrace.h"

#include <cstdio>
#include <fstream>
#include <ostream>

namespace wirvela {

namespace {

const char* EventName(SimEvent e) {
    switch (e) {
        case SimEvent::RunStart:
            return "run-start";
        case SimEvent::PreheatEnd:
            return "preheat-end";
        case SimEvent::Line:
            return "line";
        case SimEvent::CornerPause:
            return "corner-pause";
        case SimEvent::Turn:
            return "turn";
        case SimEvent::Repeat:
            return "repeat";
        case SimEvent::ProgramEnd:
            return "program-end";
        case SimEvent::Heating:
            return "heating";
        case SimEvent::Hold:
            return "hold";
        case SimEvent::Resume:
            return "resume";
        case SimEvent::LimitSwitch:
            return "limit-switch";
        case SimEvent::Fault:
            return "fault";
        case SimEvent::RunEnd:
            return "run-end";
        case SimEvent::Cancel:
            return "cancel";
    }
    return "?";
}

}  // namespace

bool WriteTrace(const std::string& file, const std::vector<SimSample>& trace, std::ostream& err) {
    std::ofstream csv(file, std::ios::binary | std::ios::trunc);
    if (!csv) {
        err << "wirvela-cli: cannot write the trace '" << file << "'\n";
        return false;
    }
    csv << "timeMs,event,program,end1X,end1Y,end2X,end2Y,table,heating,code\n";
    char line[256];
    for (const SimSample& s : trace) {
        std::snprintf(line, sizeof line, "%.3f,%s,%d,%lld,%lld,%lld,%lld,%lld,%u,%u\n", s.timeMs, EventName(s.event),
                      static_cast<int>(s.program), static_cast<long long>(s.ends[0].x),
                      static_cast<long long>(s.ends[0].y), static_cast<long long>(s.ends[1].x),
                      static_cast<long long>(s.ends[1].y), static_cast<long long>(s.table),
                      static_cast<unsigned>(s.heating), static_cast<unsigned>(s.code));
        csv << line;
    }
    return static_cast<bool>(csv);
}

}  // namespace wirvela
