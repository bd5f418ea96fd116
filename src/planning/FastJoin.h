#pragma once
// The joining of the connect command without its quadratic work: the same connecting
// lines as JoinObjects (ObjectConnection.h), added in the same order and direction, the
// same log lines, the same unjoined count and the same progress calls, on drawings of
// tens of thousands of lines.
//
// JoinObjects measures every unit pair and scans every pair in each of Prim's steps.
// Here the vertices of the units outside the tree sit in a k-d tree from which a unit's
// vertices are removed when it joins, and every tree vertex has its own nearest-first
// search of them that goes on from where it stopped. The searches wait in one priority
// queue ordered by (squared distance, lower unit, higher unit, earlier vertex, later
// vertex) of the entry each looks at next, so only the search whose entry comes first
// moves on; the first candidate out of the queue whose far vertex is still outside and
// that the crossing test allows is exactly the pair the reference's step takes: its unit
// pair is the lowest at the smallest allowed distance, and its vertex pair the first in
// scan order among that pair's nearest allowed ones. No search looks farther than the
// joining needs, so a vertex closed in by the tree does not test every vertex left
// outside. The crossing test is CrossesAnyLine answered by a CrossingIndex.
//
// A drawing with a vertex that takes part and is not finite is left to JoinObjects
// itself (NaN distances do not order).
#include <functional>
#include <stop_token>

#include "drawing/Lines.h"
#include "planning/ObjectConnection.h"
#include "planning/PlanariseSink.h"

namespace wirvela {

JoinResult JoinObjectsFast(TLines& lines, int objectCount, bool crossingTest, PlanariseSink& sink,
                           const std::function<void(int percent)>& progress = {}, std::stop_token stop = {});

}  // namespace wirvela
