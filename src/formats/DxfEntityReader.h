#pragma once
// Reads the entity list of a DXF section or block into a line table: straight lines,
// polylines with bulge arcs, circles, arcs, ellipses and block references with rows and
// columns. Curves become chains of straight segments within a tolerance.
#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "drawing/Lines.h"
#include "formats/TDXFanalizator.h"
#include "geometry/Affine.h"

namespace wirvela {

// The number of straight segments for a full turn of a curve of radius r with the
// tolerance d (both DXF units): 4 when 3.41 × d ≥ r; otherwise the smallest n from 4 to
// 359 with π ÷ arccos(1 − d ÷ r) ≤ n, or 360 if none.
int DxfSegmentCount(double r, double d);

struct DxfEntityCounts {
    int entities = 0;            // top-level entities read (each one object)
    int rejectedEntities = 0;    // skipped for non-finite numbers or an absurd sweep
    int droppedSegments = 0;     // segments whose transformed ends were not finite
    int refusedInserts = 0;      // block references beyond the nesting limit
    bool tablesFull = false;     // reading stopped because the tables are full
    bool workExhausted = false;  // reading stopped at the work limit
};

class DxfEntityReader {
public:
    // Block references are followed to this depth (the top-level list is depth 0).
    static constexpr int kMaxInsertDepth = 16;
    // A file may make at most this many segment additions, block copies and entity
    // visits inside blocks together. Tables that cannot hold more than 100000 lines
    // never need as much; it bounds the time of repeated copies that de-duplication
    // would otherwise absorb without filling the tables (arrays with zero spacing,
    // blocks inserting each other).
    static constexpr long kWorkLimit = 1L << 22;
    // Curves sweeping more than this (degrees) are rejected; so are start angles so
    // large that a step of a degree would not change them.
    static constexpr double kMaxSweep = 3600.0;
    static constexpr double kMaxAngle = 1e9;

    // scale: drawing units per DXF unit; tolerance: DXF units. lastObject is the set's
    // last object number, raised by one for each top-level entity.
    DxfEntityReader(const TDXFanalizator& dxf, TLines& lines, double scale, double tolerance, int& lastObject,
                    long workLimit = kWorkLimit);

    // Reads the entities that follow group `start` up to the end of its section or block.
    void ReadEntities(std::size_t start, const TMatrix33& t, int depth);

    const DxfEntityCounts& Counts() const { return counts_; }

private:
    struct PolyVertex {
        Point2d p;
        double bulge = 0.0;
    };

    bool Stopped() const { return counts_.tablesFull || counts_.workExhausted; }
    bool Spend();
    // Top-level entities become a new object.
    void BeginObject(int depth);

    void ReadEntity(std::size_t i, const TMatrix33& t, int depth);
    void ReadLine(std::size_t i, const TMatrix33& t, int depth);
    void ReadLwPolyline(std::size_t i, const TMatrix33& t, int depth);
    void ReadPolyline(std::size_t i, const TMatrix33& t, int depth);
    void ReadCircle(std::size_t i, const TMatrix33& t, int depth, bool arc);
    void ReadEllipse(std::size_t i, const TMatrix33& t, int depth);
    void ReadInsert(std::size_t i, const TMatrix33& t, int depth);

    // The collected vertices_: rejected when a number is not finite, else one object.
    void DrawPolyline(bool closed, const TMatrix33& t, int depth);
    void DrawBulge(Point2d p1, Point2d p2, double bulge, const TMatrix33& t);
    // Ellipse from s to e degrees around c with major-axis vector m and axis ratio k.
    void DrawEllipse(Point2d c, Point2d m, double k, double s, double e, const TMatrix33& t);
    bool SweepIsSane(double s, double e) const;
    // Transforms both ends, applies the DXF scale and adds the line.
    void AddSegment(Point2d a, Point2d b, const TMatrix33& t);

    std::size_t FindBlock(std::string_view name);

    const TDXFanalizator& dxf_;
    TLines& lines_;
    double scale_;
    double tolerance_;
    int& lastObject_;
    long workLimit_;
    long work_ = 0;
    DxfEntityCounts counts_;
    std::vector<PolyVertex> vertices_;  // reused by every polyline
    // The end of the last segment added (drawing units, before snapping) and its vertex.
    Point2d last_;
    int lastIndex_ = 0;
    bool haveLast_ = false;
    bool blocksIndexed_ = false;
    std::unordered_map<std::string_view, std::size_t> blocks_;  // name → its (0, "BLOCK") group
};

}  // namespace wirvela
