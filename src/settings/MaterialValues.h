#pragma once
// One material of the materials table, as the cutting run, the rotary projects and the
// pendant use it.
#include <string>

namespace wirvela {

// One material as the cutting window, the rotary window and the pendant use it. Values
// are the grid's texts read as integers (a text without a number counts as 0).
struct MaterialValues {
    std::string name;  // Nazwa
    int v = 0;         // wire speed, cm/min
    int t = 0;         // heating, per cent
    int rozgrzew = 0;  // preheating time, ms
    int opWKacie = 0;  // pause in corners, ms
    int katGr = 0;     // limit angle of a corner, degrees
    int number = 0;    // 1 … 10, the table's row; 0 for a record not from the table
};

}  // namespace wirvela
