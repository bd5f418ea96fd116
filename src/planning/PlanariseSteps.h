#pragma once
// Building blocks shared by the planarisation passes and the junction splitting.
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
int CrossingVertex(TVert& vertices, Point2D x, int obj);

// Vertex q lies strictly inside the line (PointInsideSegment). A line whose two ends are
// at one place has no inside here: the bare predicate would call every point with the
// same x inside it and the split would invent a line to that point.
bool InsideLine(const TVert& vertices, const LineRecord& line, int q);

// Same two ends, in either direction (vertex indices).
bool SameEnds(const LineRecord& a, const LineRecord& b);

// Panel 0 shows message `key` with (current, total), every 100 lines.
void ShowProgress(PlanariseSink& sink, int key, int current, int total, bool repaint);

// The closing counts: log message 7 + objects + message 8 and panel 2 message 9 +
// objects, where objects = oelems + 1.
void ReportObjectCount(PlanariseSink& sink, int oelems);
// Panel 3 shows message 10 + the number of lines.
void ReportLineCount(PlanariseSink& sink, int lineCount);

}  // namespace wirvela
