#pragma once
// Shared pieces of the rotary tests: the shipped message texts and profiles written as
// small HP-GL files.
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"
#include "config/Messages.h"

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
