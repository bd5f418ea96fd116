#pragma once
// Fast versions of the pairwise line passes of the planarisation, the junction splitting
// and the splitting of connecting lines. Each gives exactly the result of the function
// of the same name without "Fast": the same line and vertex tables (order, positions,
// every field), the same object numbers and the same sink output (progress, status
// texts, log lines). Only the work differs: instead of examining every pair of lines,
// a segment grid (SegmentGrid) hands each line the lines whose boxes meet its own, and
// those are examined in the order of the literal loops, including lines split or added
// while a pass runs. Pairs the grid leaves out are pairs the literal test rejects. Where
// the grid would not save work (lines piling up at one place) a line's scan runs through
// the later lines one by one, as the literal loop does; a table with a line ending at a
// vertex beyond the vertex count takes the literal pass.
//
// Stopping works as in the reference passes, except that the stop token is checked once
// per examined pair (and once per outer line) rather than once per pair of the table; a
// stopped pass leaves every line joining two valid vertices and returns false.
#include <stop_token>

#include "drawing/Lines.h"
#include "planning/PlanariseSink.h"

namespace wirvela {

// As RemoveDuplicates: later lines joining the same two vertices as an earlier one are
// removed by copying the last line over them.
bool RemoveDuplicatesFast(TLines& lines, PlanariseSink& sink, std::stop_token stop = {});

// As SnapPktsToLines: exact ends inside lines and collinear overlaps.
bool SnapPktsToLinesFast(TLines& lines, PlanariseSink& sink, std::stop_token stop = {});

// As ReduceCrossings: proper crossings split (all pairs when crossAll, else only lines
// of different objects).
bool ReduceCrossingsFast(TLines& lines, bool crossAll, PlanariseSink& sink, std::stop_token stop = {});

// As SnapPktsToLines2: ends on (tol 0) or near (tol > 0) other lines split them.
// aperture: the point aperture, drawing units.
bool SnapPktsToLines2Fast(TLines& lines, double tol, double aperture, PlanariseSink& sink, std::stop_token stop = {});

// As SplitJunctions: T-junctions and crossings of different objects split, touching
// objects merged, duplicates removed; `oelems` lowered by one per merge.
bool SplitJunctionsFast(TLines& lines, int& oelems, double conModif, PlanariseSink& sink, std::stop_token stop = {});

// As SplitConnectingLines: connecting lines (kind 2) split where they properly cross
// object lines (kind 1).
bool SplitConnectingLinesFast(TLines& lines, int entryLine, std::stop_token stop = {});

}  // namespace wirvela
