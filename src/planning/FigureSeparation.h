#pragma once
// Figure separation and segment nodes of a two-figure drawing.
//
// A two-figure cut is drawn as one drawing in three pens: pen 3 is figure 1 (the profile
// of the first wire end), pen 4 figure 2 (the second end) and pen 5 the segment lines,
// each joining a node of figure 1 to the node of figure 2 that both wire ends reach at
// the same moment. These steps split the loaded set into the three drawing sets
// (0 segments, 1 figure 1, 2 figure 2), label the ends of every segment line with their
// figure (in the segment set a vertex's obj is its figure, 1 or 2), check that segment
// nodes are used once and meet a node of their figure, and record on each such figure
// node the object number of its segment line (segLink), which motion timing uses to
// keep the wire ends in step. Faulty segment nodes get mark byte 16.
//
// They run on the loader's thread while it holds the drawing mutex. Coordinates are
// compared exactly (the sets were filled from one table).
#include <functional>
#include <string_view>

#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"

namespace wirvela {

class TMessages;
class MessageLog;

// Where the steps report: a status text (messages 304, 306, 311, 307) on the main
// window's first panel and lines of the message log. Every member may be absent.
struct SeparationEnv {
    const TMessages* messages = nullptr;
    MessageLog* log = nullptr;
    std::function<void(std::string_view)> status;
};

// Splits the current set by pen into the three sets, dropping the lines of other pens,
// and renumbers each set's objects consecutively from 0 in their old order. The figures'
// cut paths are discarded; figure 1 is selected afterwards. 0 on success; 1 (nothing
// changed) when the current set has no object (Oelems < 0).
int SeparateObj(TDrawing& drawing, const SeparationEnv& env = {});

// Labels the ends of every segment line: the end that figure 1 has as a vertex is 1, the
// other 2; when figure 1 has no vertex at the start, the start is 2 and the end 1.
// Selects figure 1.
void MarkSegNodesWithFigures(TDrawing& drawing, const SeparationEnv& env = {});

// The number of segment lines that share a node with another segment line; the shared
// node found first (in line order) is marked 16.
int CheckSegNodesConneCtion(TDrawing& drawing, const SeparationEnv& env = {});

// Links every labelled segment end to the figure vertex at its place (segLink = the
// segment line's object number). Returns the number of ends without such a vertex,
// which are marked 16. Selects figure 1.
int CheckSegNodeLinks(TDrawing& drawing, const SeparationEnv& env = {});

// The four steps bound to one drawing, for the loader's context.
FigureSeparationSteps FigureSeparationFor(TDrawing& drawing, SeparationEnv env);

// Segment-set vertices marked 16 (faulty segment nodes).
int CountFaultySegmentNodes(const TDrawing& drawing);

}  // namespace wirvela
