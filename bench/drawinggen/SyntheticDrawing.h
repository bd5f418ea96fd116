#pragma once
// Large generated drawings of the three kinds the planner must handle fast, as HP-GL
// text (pen 1, drawing units = plotter units, integer coordinates):
//  - nested parts: many small disjoint contours, as a sheet of nested parts: outlines
//    (some braced by inner chords), holes, small parts inside holes;
//  - lettering: letters built of overlapping stroke outlines, each stroke its own object,
//    words on underline bars that their stems touch; neighbouring letters sometimes
//    overlap (touching and crossing contours, which the junction splitting merges);
//  - fine arcs: few long polylines of short chords, as DXF arcs and splines come out:
//    wavy open lines, slots with wavy sides and round ends, spirals.
// The same kind, size and seed always give the same text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wirvela::drawinggen {

enum class DrawingKind { NestedParts, Lettering, FineArcs };

inline constexpr DrawingKind kDrawingKinds[] = {DrawingKind::NestedParts, DrawingKind::Lettering,
                                                DrawingKind::FineArcs};

// "nested-parts", "lettering", "fine-arcs".
const char* DrawingKindName(DrawingKind kind);
std::optional<DrawingKind> DrawingKindFromName(std::string_view name);

struct SyntheticDrawing {
    std::string hpgl;
    int lines = 0;      // lines drawn, as the loader will count them
    int vertices = 0;   // distinct points drawn
    int objects = 0;    // strokes (objects of the loaded drawing)
    int crossings = 0;  // proper crossings between different objects (vertices the splitting adds)
};

// A drawing of about `lines` lines. The vertex table holds at most 49,995 vertices and
// the planning adds one per crossing, one for the entry point: where those would not fit,
// the drawing stops short of `lines` (kinds without shared points reach about 47,000).
SyntheticDrawing MakeSyntheticDrawing(DrawingKind kind, int lines, std::uint64_t seed = 1);

}  // namespace wirvela::drawinggen
