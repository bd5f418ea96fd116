#pragma once
// The crossing test of candidate connections (CrossesAnyLine) over a line table that
// does not change while it is asked, answered from a uniform grid of the lines instead
// of a scan of the whole table.
//
// The answer is exactly CrossesAnyLine's for the lines as they stood when the index was
// built: a line is judged by the same expressions, and the grid only leaves out lines
// that cannot pass them. A line that CrossesAnyLine counts has a bounding box meeting
// the candidate's and comes, within the rounding of the orientation products (a few
// 1e-7 of the largest coordinate), onto the candidate; every line is filed in the cells
// along its own length, and the candidate's cells are taken along its length widened by
// 1e-5 of the largest coordinate, so the two always share a cell. Lines with an end that
// is not finite, and candidates with such an end, are judged by the full scan.
#include <cstdint>
#include <vector>

#include "drawing/Lines.h"
#include "planning/Predicates.h"

namespace wirvela {

class CrossingIndex {
public:
    // Files every line 0 … Count()−1 of `lines` with the positions of its end vertices
    // as they are now.
    explicit CrossingIndex(const TLines& lines);

    // CrossesAnyLine(P, Q, lines) for the lines filed at construction. Not thread-safe:
    // each call marks the lines it has judged.
    bool Crosses(Point2d P, Point2d Q);

    int LineCount() const { return static_cast<int>(ends_.size()); }

private:
    struct Segment {
        Point2d a;
        Point2d b;
    };

    // Calls cell(index) for every grid cell that the segment A–B widened by `margin`
    // (drawing units) may touch; a cell may come more than once.
    template <class Visit>
    void CoverSegment(Point2d A, Point2d B, double margin, Visit&& cell) const;
    int Column(double x) const;
    int Row(double y) const;
    bool Judge(std::int32_t line, Point2d P, Point2d Q);

    std::vector<Segment> ends_;
    // Lines that the grid cannot hold (an end not finite): asked every time.
    std::vector<std::int32_t> always_;
    // Cell c holds lines cellLines_[cellStart_[c] … cellStart_[c + 1] − 1].
    std::vector<std::int32_t> cellStart_;
    std::vector<std::int32_t> cellLines_;
    // Marks of the last query that judged each line.
    std::vector<std::uint32_t> judged_;
    std::uint32_t query_ = 0;

    double minX_ = 0.0;
    double minY_ = 0.0;
    double cell_ = 1.0;  // cell side, drawing units
    int columns_ = 1;
    int rows_ = 1;
    double magnitude_ = 0.0;  // largest absolute coordinate of a filed line end
};

}  // namespace wirvela
