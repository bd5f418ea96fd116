#pragma once
// Shared pieces of the rotary tests: the shipped message texts and profiles written as
// small HP-GL files.
#include <string>
#include <utility>
#include <vector>

#include "config/Messages.h"
#include "support/TempDir.h"

namespace wirvela::test {

// The shipped local.txt, loaded once.
inline const TMessages& ShippedMessages() {
    static const TMessages messages = [] {
        TMessages m;
        m.CheckLocalFile(ShippedDataDir());
        m.LoadMessages();
        return m;
    }();
    return messages;
}

// HP-GL of open polylines in plotter units, one PU/PD run each.
inline std::string Plot(const std::vector<std::vector<std::pair<int, int>>>& polylines) {
    std::string text = "IN;SP1;";
    for (const auto& line : polylines) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            text += (i == 0 ? "PU" : "PD") + std::to_string(line[i].first) + "," + std::to_string(line[i].second) + ";";
        }
    }
    return text + "PU;";
}

}  // namespace wirvela::test

#include <cmath>
#include <cstdint>
#include <sstream>

#include "controller/ControllerCodes.h"
#include "rotary/RotaryLink.h"

namespace wirvela::test {

// Writes down every controller operation; the operation named `failOn` (its `failAt`-th
// call, from 1) answers `failCode`.
class RecordingLink : public RotaryLink {
public:
    int Cancel() override { return Note("Cancel"); }
    int BeginBlock() override { return Note("BeginBlock"); }
    int EndBlock() override { return Note("EndBlock"); }
    int Setup(const CutParameters& r) override {
        std::ostringstream s;
        s << "Setup h" << int{r.heating} << " t" << r.heatingTime << " c" << r.cornerDelay << " rv" << r.rotVelocity
          << " f" << r.feedPeriod;
        return Note(s.str(), "Setup");
    }
    int Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double) override {
        dxSum += dx;
        std::ostringstream s;
        s << "Line " << dx << " " << dy << (delay ? " d" : "") << " p" << std::lround(period);
        return Note(s.str(), "Line");
    }
    int Turn(std::int32_t dfi, double period) override {
        return Note("Turn " + std::to_string(dfi) + " p" + std::to_string(std::lround(period)), "Turn");
    }
    int Repeat(std::uint8_t n) override { return Note("Repeat " + std::to_string(n), "Repeat"); }
    int Start() override { return Note("Start"); }
    int Hold() override { return Note("Hold"); }
    int Resume(bool) override { return Note("Resume"); }
    int SetHeatingLive(int p) override { return Note("Heating " + std::to_string(p), "Heating"); }

    // The calls, one per line.
    std::string Calls() const {
        std::string out;
        for (const std::string& c : calls) out += c + "\n";
        return out;
    }

    std::vector<std::string> calls;
    std::int64_t dxSum = 0;
    std::string failOn;
    int failAt = 1;
    int failCode = 0;

private:
    int Note(const std::string& text, const std::string& op = {}) {
        calls.push_back(text);
        const std::string name = op.empty() ? text : op;
        if (name == failOn && --failAt == 0) return failCode;
        return STAT_OK;
    }
};

}  // namespace wirvela::test
