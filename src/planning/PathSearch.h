#pragma once
// The path search step of the connect command: the cut path of the current figure from
// its line table, whose last line is the entry line and whose last vertex is the entry
// vertex.
#include <memory>

#include "drawing/LineList.h"
#include "drawing/Lines.h"
#include "planning/PathFindingMethods.h"

namespace wirvela {

struct PathSearchOutcome {
    int findPath = 0;           // FindPath's result (not examined by the caller)
    bool stopped = false;       // a stop request ended the search early
    IntegrityCounts integrity;  // TestIntegrity's counts (zero when it did not run)
};

// 1. cutPath becomes a new list of capacity 3 holding the entry line forwards and
//    backwards (kind 2): what remains when the search below stops early.
// 2. BuildGraph, TestDuplicates (keeping the entry vertex's node), FindPath from the
//    entry vertex, PathToLineList into cutPath, TestIntegrity.
// Returns 0, or 1 when the graph could not be built. A stop request leaves the
// provisional two-entry path (or the finished one, when the stop came after it) and
// returns 0 with outcome->stopped set.
int RunPathSearch(TLines& lines, std::unique_ptr<TLineList>& cutPath, const PathSearchEnv& env,
                  PathSearchOutcome* outcome = nullptr);

}  // namespace wirvela
