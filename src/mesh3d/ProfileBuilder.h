#pragma once
// Profiles for the rotary table from a triangle mesh: for n views 180/n degrees apart the
// mesh is projected onto a vertical plane, reduced to its outline, stood on a plinth and a
// base block, planarised, and its outer boundary walked from an entry point at the left to
// an exit point at the right. Each walk is written as an HP-GL profile file and a `.hpr`
// project lists them.
//
// Everything happens in figure 1's tables of the drawing handed in, which are overwritten
// for every profile; the walk becomes figure 1's cut path, so the last profile stays
// loaded. Files are written only when the whole series succeeded, each one atomically and
// the project last, so a refused or failed series leaves nothing half made behind.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/Drawing.h"
#include "mesh3d/Graph1.h"
#include "mesh3d/Mesh3D.h"
#include "planning/PlanariseSink.h"

namespace wirvela {

struct ProfileOptions {
    int count = 4;              // n, profiles per 180°
    int clearance = 10;         // "odsunięcie": side clearance of entry and exit, mm
    int baseDepth = 10;         // "podstawa": depth of the base block, mm
    bool plinth = true;         // "Cokol"
    double plinthHeight = 10;   // "wysokosc", mm
    double plinthWidth = 10;    // "szerokosc", mm
    double baseOffset = 0.1;    // `BaseOffset` of section `3D_raw`, mm
    double snapTolerance = 0.5; // `TollPktSnapToLine` of section `3D_raw`, mm
    int snapToLine2nd = 1;      // `SnapToLine2nd` of section `3D_raw`
    bool dumps = true;          // write the projection dumps "rzut_<name>_<j>.plt" too
};

// Where the generator's log lines, status texts and message boxes go. Message boxes come
// with the message number and its text (captions 109 and the warning icon where a box
// warns).
class ProfileSink : public PlanariseSink {
public:
    // false: nobody reads the log, so the per-line trace of the tables is not even
    // formatted (it costs more than the profiles themselves on a large mesh).
    virtual bool Logging() const { return true; }
    virtual void Box(int key, std::string_view text) {
        (void)key;
        (void)text;
    }
};

struct ProfileOutcome {
    int index = 0;             // 1 … n
    double angle = 0.0;        // degrees
    int lines = 0;             // after the planarisation, entry and exit lines included
    int vertices = 0;
    int boundary = -1;         // BoundaryPath: 0 reached the stop point, -1 not
    std::filesystem::path file;
    bool written = false;
};

struct ProfilesResult {
    // 0 when every profile was made and every file written; otherwise the message that
    // stopped the series (350, 352, 359, 362, 638, 639), or the first file that could
    // not be written (355, 357).
    int message = 0;
    std::vector<ProfileOutcome> profiles;
    std::filesystem::path project;
    bool projectWritten = false;
};

// Builds the series for the project file `project` (its folder receives the profile files
// and projection dumps, its stem names them). Uses `scale` (`SkalaHPGL`) for millimetres to
// drawing units; the drawing's own snap grid places the projected vertices.
ProfilesResult BuildProfiles(const TMesh3D& mesh, TDrawing& drawing, const ProfileOptions& options,
                             const std::filesystem::path& project, ProfileSink& sink);

// The outline walk over figure 1's tables from vertex start to vertex stop; `exitNode`
// keeps its neighbours so the walk may pass it again. Replaces figure 1's cut path. 0 when
// the walk reached stop, -1 otherwise (message 359 shown).
int BoundaryPath(TDrawing& drawing, int start, int stop, int exitNode, ProfileSink& sink);

// The `.hpr` list of a series: "<base>_<i>.plt<TAB><step>" with CR LF, i = 1 … n.
std::string ProfileListText(std::string_view baseName, int count);

// Largest absolute model coordinate the generator accepts, mm: beyond it the drawing's
// whole-number file coordinates would overflow.
inline constexpr double kMaxModelCoordinate = 1.0e6;

}  // namespace wirvela
