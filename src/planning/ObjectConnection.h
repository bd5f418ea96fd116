#pragma once
// The joining steps of the planning (planning/FigurePlanner.h runs them in order):
// Prim's joining of all objects with the shortest connecting lines, the splitting of
// connecting lines where they cross object lines, and moving the entry vertex and line
// to the ends of their tables for the path search. Exposed so that tests can check each
// rule on a small drawing.
#include <functional>
#include <span>
#include <stop_token>
#include <utility>
#include <vector>

#include "drawing/Lines.h"

namespace wirvela {

class PlanariseSink;

// Prim's joining over objects 0 … objectCount−1. The object of a vertex is its obj; only
// vertices with 0 <= obj < objectCount that are an end of some line take part (a vertex
// without lines joins nothing, so no connecting line ends where the tour cannot go on).
// The units joined are the objects, except that an object made of several pieces not
// joined by lines (a DXF block reference, say) is one unit per piece, so that no piece is
// left out of the tour; units are ordered by object number, then by first vertex, which
// for objects of one piece each is simply the object order.
//
// The distance of two units is the smallest squared distance of a vertex pair between
// them, the first such pair in vertex scan order (i ascending, then j > i ascending) on
// ties; with crossingTest a pair whose segment meets a drawing line (CrossesAnyLine) is
// not a candidate. Starting from the first unit, each step joins the nearest unit outside
// the tree, the lowest (first unit, second unit) pair on ties; units that no candidate
// reaches stay unjoined. A connecting line (object 2048, kind 2, second kind 1) runs from
// the pair's later vertex to its earlier one when the higher-numbered unit was already in
// the tree, otherwise the other way. Logs "Dolaczono obiekt: %d" per step (one step per
// object, more when there are more units) and "Liczba obiektow: %d." with objectCount.
//
// Distances are computed per unit pair when Prim first needs them, and the lines are
// added after the last step, so the result is that of the full n × n distance matrix
// built before any line is added, without its memory (the matrix of a drawing of 20,000
// objects would need gigabytes). `progress` (optional) gets the percentage of the
// distance work in steps of 5.
struct JoinResult {
    int added = 0;     // connecting lines added
    int unjoined = 0;  // units left out of the tree
    bool stopped = false;
};
JoinResult JoinObjects(TLines& lines, int objectCount, bool crossingTest, PlanariseSink& sink,
                       const std::function<void(int percent)>& progress = {}, std::stop_token stop = {});

// The units of the joining, as JoinObjects forms them: the vertices of one object (0 <= obj <
// objectCount) that are an end of some line and joined by lines to one another, ordered
// by object number, then by first vertex; each holds its vertices in table order.
std::vector<std::vector<int>> JoiningUnits(const TLines& lines, int objectCount);

// The last step of a joining: a connecting line (object kConnectingObject, kind 2,
// second kind 1) from `first` to `second` of each edge, in the order of the steps, then
// the units whose inTree entry is 0 counted as unjoined. `added` counts only lines the
// table did not hold yet.
JoinResult AddConnectingLines(TLines& lines, std::span<const std::pair<int, int>> edges,
                              std::span<const char> inTree);

// Splits connecting lines (kind 2, the entry line included, lines added on the way too)
// where they properly cross object lines (kind 1). With o the crossed line's object and X
// the crossing vertex (object o): a connecting line with just its start on o now starts
// at X, with just its end on o now ends at X, with neither end on o is cut in two at X
// (the entry line `entryLine` keeps the piece at its entry vertex so that it still starts
// there; any other line keeps the piece towards its end and a new connecting line runs
// from X to its old start); in each case the object line is split at X. A crossing whose
// vertex falls on an end of either line, or that the full tables cannot take, is left.
// false when stopped.
bool SplitConnectingLines(TLines& lines, int entryLine, std::stop_token stop = {});

// Exchanges the entry line with the last line and the entry vertex with the last vertex
// (line ends follow the vertices), so that both are last when the path search starts.
void MoveEntryToEnds(TLines& lines, int entryLine, int entryVertex);

// Vertices that are an end of some line (1), by vertex index. A vertex without lines (a
// pen-up position of an HP-GL file, such as the centre a circle is drawn around) carries
// the object number current when it was made, often that of an object far away; joining
// to it would leave the object it was meant to reach cut off from the tour.
std::vector<char> VerticesOnLines(const TLines& lines);

}  // namespace wirvela
