#pragma once
// Small random drawings for comparing the two planners: figures on a coarse grid, so
// that equal distances, shared points, lines ending on other lines and collinear
// overlaps are common. Rectangles, nested rectangles, random (possibly self-crossing)
// polygons, open polylines, figures touching others at a point or running along their
// edges, T-junctions, repeated and retraced figures, fans, circles; now and then a
// two-figure drawing (pens 3, 4 and 5 with segment lines). The settings of the run
// (crossing test, merge mode, duplicate passes, crossing split, entry point) are drawn too.
#include <cstdint>
#include <string>

#include "drawinggen/PlanningRun.h"

namespace wirvela::drawinggen {

struct RandomCase {
    std::uint64_t seed = 0;
    std::string hpgl;
    RunSettings settings;  // the planner is left at its default

    // Seed, settings and the HP-GL text, for a failure report.
    std::string Describe() const;
};

RandomCase MakeRandomCase(std::uint64_t seed);

}  // namespace wirvela::drawinggen
