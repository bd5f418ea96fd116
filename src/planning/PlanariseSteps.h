#pragma once
// Building blocks shared by the planarisation passes, the junction splitting and the
// splitting of connecting lines: the work on one pair of lines, which the literal loops
// and the grid-indexed ones (FastPlanarise.h) both call, so that they change the tables
// and report alike.
#include <cstdint>
#include <vector>

#include "drawing/Lines.h"
#include "planning/PlanariseSink.h"
#include "planning/Predicates.h"

namespace wirvela {

// Splits line n at vertex r: line n keeps its start and now ends at r, and a new line
// from r to n's old end is added with all of n's other fields. Returns false and changes
// nothing when r is already an end of line n (the split would leave a line from a vertex
// to itself) or when the line table is full (shortening the line without adding its
// remainder would lose the rest of it).
bool SplitLineAt(TLines& lines, int n, int r);

// True when the line table can take one more line.
bool LineTableHasRoom(const TLines& lines);

// The vertex for a crossing point: inserted like any vertex, with object number obj (an
// existing vertex at the same snapped place is reused). When the vertex table is full,
// an existing vertex at that place is still used, otherwise -1: no vertex can be made
// (inserting would answer vertex 0, an unrelated vertex).
int CrossingVertex(TVert& vertices, Point2d x, int obj);

// Vertex q lies strictly inside the line (PointInsideSegment). A line whose two ends are
// at one place has no inside here: the bare predicate would call every point with the
// same x inside it and the split would invent a line to that point.
bool InsideLine(const TVert& vertices, const LineRecord& line, int q);

// Same two ends, in either direction (vertex indices).
bool SameEnds(const LineRecord& a, const LineRecord& b);

// The object number of connecting lines: those the joining adds and the pieces they are
// cut into.
inline constexpr std::int32_t kConnectingObject = 2048;

// What the scan of line i does after a pair of the overlap reduction: go on with the line
// after j, examine slot j again (line j was shortened, its remainder added at the end),
// or start i's scan over at the line after i (line i was changed).
enum class OverlapNext { Advance, RepeatJ, RestartI };

// Pair (i, j), i < j, of SnapPktsToLines: an end lying exactly inside the other line
// splits it, collinear overlaps are reduced to shared pieces (the overlap code table; an
// impossible code is logged). A pair with a line from a vertex to itself, or of two lines
// joining the same vertices, is left. Advance whenever nothing changed.
OverlapNext ReduceOverlap(TLines& lines, int i, int j, PlanariseSink& sink);

// Pair (i, j) of ReduceCrossings: two lines without a shared vertex that cross properly
// (of different objects only, unless crossAll) are split at a vertex at the crossing
// point that carries line i's object, with the log lines of the pass. true when the pair
// crossed.
bool ReduceCrossingPair(TLines& lines, int i, int j, bool crossAll, PlanariseSink& sink);

// Pair (i, j) of SnapPktsToLines2: each end of one line lying on the other (tol 0:
// exactly inside it; tol > 0: within tol, aperture as for PointNearSegment) splits that
// line, the remainders taking the later ends. Pairs with a line j from a vertex to itself
// or two lines joining the same vertices are left. Lines shortened are appended to
// `touched` when given.
void SnapPairToLines(TLines& lines, int i, int j, double tol, double aperture, std::vector<int>* touched = nullptr);

// Pair (i, j) of the junction splitting's T-junction pass: for lines of different
// objects, the first end found inside the other line splits it. true when an end was
// found inside (the split is still refused when the line table is full).
bool SplitTJunctionPair(TLines& lines, int i, int j);

// Pair (i, j) of the junction splitting's crossing pass: lines of different objects that
// cross properly are both split at a vertex at the crossing point (object of line i).
// true when the vertex could be made.
bool SplitJunctionCrossingPair(TLines& lines, int i, int j);

// Connecting line d against line i in SplitConnectingLines (ObjectConnection.h): an
// object line (kind 1) crossed properly is split at the crossing vertex, and line d is
// shortened to it or cut in two (entryLine keeps the piece at its start). true when the
// tables changed.
bool SplitConnectingPair(TLines& lines, int d, int i, int entryLine);

// Panel 0 shows message `key` with (current, total), every 100 lines.
void ShowProgress(PlanariseSink& sink, int key, int current, int total, bool repaint);

// The closing counts: log message 7 + objects + message 8 and panel 2 message 9 +
// objects, where objects = oelems + 1.
void ReportObjectCount(PlanariseSink& sink, int oelems);
// Panel 3 shows message 10 + the number of lines.
void ReportLineCount(PlanariseSink& sink, int lineCount);

}  // namespace wirvela
