#include "config/UsedMessages.h"

namespace wirvela {

namespace {

std::vector<UsedMessage> Table() {
    std::vector<UsedMessage> table = {
        // Application title; caption of general boxes (device list, pendant).
        {0, ""},
        // Main window, loading, joining, simulation.
        {1, ""},        // caption: file cannot be opened, copy failed, save changes
        {2, "%f%f"},    // drawing size: width, height in mm
        {3, "%d%d"},    // junction splitting / planarisation progress: line, lines
        {4, "%d%d"},
        {5, ""},
        {6, "%d%d"},
        {7, ""},        // log: message 7 + object count + message 8
        {8, ""},
        {9, ""},        // status prefix, followed by object counts
        {10, ""},       // status prefix, followed by line counts
        {11, ""}, {12, ""}, {13, ""}, {15, ""}, {16, ""}, {17, ""}, {18, ""},
        {20, ""}, {21, ""}, {22, ""}, {23, ""}, {24, ""},
        // Manual control and controller start-up.
        {100, ""}, {101, ""}, {102, ""}, {103, ""}, {104, ""}, {105, ""},
        {106, ""},      // appended: message 106 + port name + message 107
        {107, ""}, {108, ""}, {109, ""},
        {110, ""},      // passed as %s to "%s VID/PID=%04X/%04X SerNo=%s)"
        {111, ""}, {112, ""},
        // Cutting job and motion timing.
        {120, ""}, {121, ""}, {122, ""}, {123, ""},
        {124, ""},      // used as a format without arguments
        {125, ""},
        {126, "%d%d"},  // rotary table limits
        {127, ""}, {128, ""}, {129, ""},
        // Rotary projects.
        {140, ""}, {141, ""}, {142, ""}, {143, ""}, {144, ""},
        {145, "%d"},    // number of the profile just finished
        {146, ""}, {148, ""}, {149, ""},
        // Materials table.
        {160, ""}, {161, ""}, {162, ""}, {163, ""}, {164, ""}, {165, ""},
        {166, "%s%s%d%s%s%s%s"},  // name, V, VxyMax, T, Rozgrzew, OpWKacie, KatGr
        {167, ""},
        {168, "%d"},    // largest speed
        {169, ""}, {170, ""}, {171, ""}, {172, ""},
        // Path search, progress and status texts.
        {180, "%d"},    // connection limit of a node (80)
        {181, ""}, {190, ""},
        {194, "%d"},    // joining progress, per cent
        {196, "%f"},    // total joining time, seconds
        {197, ""}, {198, ""}, {199, ""},
        {200, "%d"},    // profile limit (100)
        {201, "%d"},    // point limit of a profile (1500)
        {202, ""}, {203, ""}, {204, ""},
        {205, "%s%d%d%d"},  // profile file, ends, isolated points, branches
        {206, ""},
        {207, "%f"},    // program transfer progress, per cent
        {208, "%f%f"},  // mouse position in mm
        {209, ""}, {210, ""}, {211, ""}, {212, ""},
        // Loading, figure separation, segment timing.
        {300, ""}, {301, ""}, {302, ""}, {303, ""}, {304, ""}, {306, ""}, {307, ""},
        {308, ""}, {309, ""}, {310, ""}, {311, ""}, {312, ""}, {313, ""}, {314, ""},
        {315, ""}, {316, ""}, {317, ""},
        // Profile generation from a 3-D model.
        {350, ""},
        {351, "%d%d"},  // profile, profiles
        {352, ""},
        {353, "%d%d"},  // profile, profiles
        {354, ""}, {355, ""}, {356, ""}, {357, ""}, {358, ""}, {359, ""},
        {360, "%d%d"},  // triangle, triangles
        {362, "%d"},    // outline walk step count
        {363, ""},
        // 3-D models the profile generator refuses.
        {635, "%d"},    // number of profiles given
        {636, "%s"},    // model file
        {637, "%s"},    // model file
        {638, "%d%d"},  // triangle, largest coordinate in mm
        {639, ""},
        // Bent moulding.
        {379, ""}, {380, ""}, {381, ""}, {382, ""}, {383, ""}, {384, ""}, {385, ""}, {386, ""},
        // Device selection and about box.
        {465, "%d%d%d%s%s"},  // location, vendor ID, product ID, serial number, description
        {466, ""}, {467, ""}, {468, ""},
        // Drawing multiplication.
        {500, ""},
        {501, "%f"},    // row length in mm
        {611, "%s%s"},  // count field, its text
        {612, "%s%s"},  // length field, its text
        {613, ""}, {614, ""},
        // Projects.
        {552, ""},
        {620, "%s%s"},    // project, why it cannot be read
        {621, "%s"},      // project
        {622, "%s%s"},    // project, File1
        {623, "%s%s%s"},  // File1, project, why
        {624, "%d"},      // multiplications since the load
        {625, "%s%s"},    // project, why it was not written
        // Rotary projects.
        {630, "%s%d"},    // profile name, row
        {631, "%s"},      // profile file
        {632, "%s%s"},    // profile file, why
        {633, "%s%d%d"},  // project, line, longest line
        {634, "%s%d"},    // project, rows
        // Settings checks.
        {600, "%s%s%s"},    // key, value, why
        {601, "%s%s%s%s"},  // section, key, value, why
        // Drawings the machine cannot cut.
        {602, "%s"},  // the table sizes
        {603, "%s"},  // entity, group, line
        {604, "%s"},  // size and reach
        // Drawings that were not loaded.
        {605, "%s%s"},  // file, why it cannot be opened
        {606, "%s"},    // file
        // Settings file.
        {607, "%s%s"},  // why wirvela.ini cannot serve, the shipped settings' folder
        {608, "%s"},    // why the shipped settings were not put in place
        // Manual control: the largest move (mm) and turn (degrees) that fit.
        {609, "%s"},
        {610, "%s"},
        // Frame and bent moulding: refused input.
        {615, "%s%s"},  // field, its text
        {616, "%s"},    // what must be greater than 0
        {617, "%s"},    // what must not be negative
        {618, "%s%s"},  // vertices needed, room left
        {619, "%s%s"},  // segments or vertices needed, at most
        // Pendant search and connection.
        {739, ""}, {770, ""}, {771, ""},
        {772, "%d%d"},  // port, ports
        {775, ""}, {776, ""}, {777, ""},
    };
    // Controller status codes: each code's own text (shown through "%s" and so taken as
    // it stands), key 74 also for codes without a text of their own.
    for (int key = 30; key <= 75; ++key) table.push_back({key, ""});
    table.push_back({92, ""});
    table.push_back({93, ""});
    // Pendant link codes c: message 740 + c.
    for (int code = 0; code <= 20; ++code) table.push_back({740 + code, ""});
    for (int code : {101, 102, 103}) table.push_back({740 + code, ""});
    return table;
}

}  // namespace

const std::vector<UsedMessage>& UsedMessages() {
    static const std::vector<UsedMessage> table = Table();
    return table;
}

}  // namespace wirvela
