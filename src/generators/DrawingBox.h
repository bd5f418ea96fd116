#pragma once
// The box the generators lay their work out by: the end vertices of every line of the
// current set except the last one, which is the entry line of the last joining and so
// not part of the drawing. An empty drawing gives the starting values (200000 and
// -200000), as the generators have always seen it.

namespace wirvela {

class TLines;

enum class BoxRounding {
    Exact,          // coordinates as stored
    TruncateToward0 // every new extreme is truncated toward zero to a whole number
};

struct DrawingBox {
    double minX = 200000.0;
    double minY = 200000.0;
    double maxX = -200000.0;
    double maxY = -200000.0;

    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
    // No line but the entry line: the starting values are still there.
    bool Empty() const { return minX > maxX; }
};

// Strict comparisons, so the first vertex reaching an extreme sets it.
DrawingBox BoxWithoutEntryLine(const TLines& lines, BoxRounding rounding);
// The same over every line, for a drawing that has not been joined (no entry line).
DrawingBox BoxOfAllLines(const TLines& lines, BoxRounding rounding);

}  // namespace wirvela
