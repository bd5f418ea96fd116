#pragma once
// Planarisation of a line table: afterwards lines meet only at shared vertices. Used by
// the profile generator on lines projected from a 3-D model; its predicates and
// RemoveDuplicates are shared with the junction splitting.
//
// All passes work in place on `lines` and its vertex table (lines.Vertices()), changing
// vertex positions and line ends only through the drawing model's mutators and adding
// vertices and lines through its insertion (which reuses a vertex at the same snapped
// place and raises the multiplicity of an existing line instead of adding a duplicate).
//
// Splitting a line n at a vertex R: line n keeps its start and now ends at R, and a new
// line from R to n's old end is added with all of n's other fields. The loops re-read
// the number of lines at every step, so lines added during a pass are visited too.
//
// Stopping: the long passes take a std::stop_token and check it once per pair of lines.
// A stop request ends the pass after the current change, leaving a consistent model
// (every line joins two valid vertices) that is only partly planarised; the pass then
// returns false. A default-constructed token never stops.
#include <stop_token>
#include <string_view>

#include "drawing/Lines.h"
#include "planning/PlanariseSink.h"
#include "planning/Planner.h"

namespace wirvela {

struct PlanariseOptions {
    // true: crossings between any two lines are split; false: only between lines of
    // different objects.
    bool crossAll = true;
    // `TollPktSnapToLine` of section `3D_raw`, drawing units; 0 selects the exact test
    // in the second snapping.
    double tol = 0.0;
    // `SnapToLine2nd` of section `3D_raw` (default 1), as an integer: 0 skips the
    // second snapping.
    int snapToLine2nd = 1;
    // The point aperture ε, `PointAperture` ÷ `SkalaHPGL`, drawing units.
    double aperture = 4.0;
    // Fast: the indexed passes of FastPlanarise.h; Reference: the literal ones below.
    // Both give the same tables and the same sink output.
    Planner planner = Planner::Fast;
};

// The whole planarisation: marks cleared, RemoveDuplicates, SnapPktsToLines,
// RemoveDuplicates, ReduceCrossings, SnapPktsToLines2 (when snapToLine2nd is non-zero),
// RemoveDuplicates, then the counts (`oelems` is the set's last object number) on the
// status bar and in the log. false when stopped.
bool Planarise(TLines& lines, int oelems, const PlanariseOptions& options, PlanariseSink& sink,
               std::stop_token stop = {});

// Removes every later line that joins the same two vertices as an earlier one (either
// direction) by copying the last line over it. Progress: message 6 on panel 0 every 100
// lines. false when stopped.
bool RemoveDuplicates(TLines& lines, PlanariseSink& sink, std::stop_token stop = {});

// Splits lines where an end of one lies exactly inside another and reduces collinear
// overlaps to shared pieces (the overlap code table). Progress: message 3. false when
// stopped.
bool SnapPktsToLines(TLines& lines, PlanariseSink& sink, std::stop_token stop = {});

// Splits lines at their proper crossings (all pairs when crossAll, else only pairs of
// different objects). Progress: message 4. false when stopped.
bool ReduceCrossings(TLines& lines, bool crossAll, PlanariseSink& sink, std::stop_token stop = {});

// Second snapping: ends lying on (tol 0: exactly inside; tol > 0: within tol of) another
// line split that line. aperture as for PointNearSegment. Progress: message 3. false
// when stopped.
bool SnapPktsToLines2(TLines& lines, double tol, double aperture, PlanariseSink& sink, std::stop_token stop = {});

// Consistency checks of a line pair; each failed check logs `context` followed by its
// text. 1 when anything was logged, else 0. Ends are looked up in `vertices`.
int CheckLinePair(const TVert& vertices, std::string_view context, const LineRecord& line1, const LineRecord& line2,
                  PlanariseSink& sink);

// Number of lines whose two ends have the same x and y; logs `format` with its first
// "%d" replaced by that number.
int CountZeroLines(const TLines& lines, std::string_view format, PlanariseSink& sink);

}  // namespace wirvela
