#pragma once
// The drawing multiplication over the current set of a joined drawing: copies in a grid
// of columns × rows (joined again afterwards by the caller), or the copies for several
// parallel wires with a lead line (the spine) that enters every copy at its entry node
// and builds the cut path itself.
//
// The dialog's fields arrive as texts (MultiplicationTexts) and become numbers here:
// counts by the integer prefix rule, lengths in millimetres ÷ the drawing scale. Every
// refusal leaves the tables, the object count and the cut path exactly as they were: all
// checks run before the first change.
#include <string>
#include <string_view>

#include "formats/MultiplicationTexts.h"
#include "generators/DrawingBox.h"
#include "geometry/Point2d.h"

namespace wirvela {

class TDrawing;

// The multi-wire layout, from `Multiwire` of section Ploter.
enum class MultiwireLayout {
    None,    // multi-wire cutting not offered
    Row,     // "V": copies side by side along +X, the spine along the top or the bottom
    Column,  // "H": copies stacked along −Y, the spine down the left side
};

// "V" / "v" row, "H" / "h" column, anything else none.
MultiwireLayout MultiwireLayoutFromSetting(std::string_view setting);

// The dialog's fields, for naming the one a refusal is about.
enum class MultiplicationField { None, Columns, Rows, Width, Height, GapX, GapY, LineOffset, LineLength, WireDistance };

// Messages of a refusal (caption 109). 197 is shown with the exclamation icon, the others
// with the stop icon.
inline constexpr int kMultiplyTooManyCopies = 197;      // copies beyond the tables
inline constexpr int kMultiplyWiderThanWires = 500;     // drawing + offset over the wire distance
inline constexpr int kMultiplyRowTooLong = 501;         // row length (mm) over the line length
inline constexpr int kMultiplyBadCount = 611;           // a count that is no whole number ≥ 1
inline constexpr int kMultiplyBadLength = 612;          // a length that is no usable number
inline constexpr int kMultiplyNoLayout = 613;           // pitch ≤ 0, or no copy fits the material
inline constexpr int kMultiplyNothingToCopy = 614;      // no joined drawing

// The largest length a field may hold, millimetres; beyond it a value is taken for a slip.
inline constexpr double kMultiplyMaxLengthMm = 100000.0;

struct MultiplicationResult {
    int message = 0;  // 0 done; otherwise the refusal's message and nothing has changed
    double argument = 0.0;  // 501: the row length in millimetres
    MultiplicationField field = MultiplicationField::None;  // 611, 612: the field
    std::string text;  // 611, 612: what the field holds
    bool Ok() const { return message == 0; }
};

// What a multiplication does with the current set; every length in drawing units.
struct MultiplicationPlan {
    bool multiwire = false;
    MultiwireLayout layout = MultiwireLayout::None;
    bool spineOnTop = true;
    DrawingBox box;      // without the entry line, truncated toward zero
    long nx = 0;         // columns
    long ny = 0;         // rows
    double px = 0.0;     // pitches
    double py = 0.0;
    double offset = 0.0;      // m
    double lineLength = 0.0;  // Lmax, 0 no limit
    int entryNode = -1;       // e: where the entry line meets the drawing
    Point2d p0;               // multi-wire: the spine's start, where the cut begins
    // Copies along the wires' direction (multi-wire): nx in the row layout, ny in the column.
    long Copies() const { return layout == MultiwireLayout::Column ? ny : nx; }
};

// Reads the fields and checks everything the multiplication of the current set needs:
// a joined drawing, usable fields, the multi-wire checks (500, 501), the copies' count
// (197, also when the tables could not hold them). Changes nothing.
MultiplicationResult PlanMultiplication(const TDrawing& drawing, const MultiplicationTexts& fields,
                                        MultiwireLayout layout, MultiplicationPlan* plan);

// The first pass of the row layout: after the checks, the entry line and the entry vertex
// are removed, and *entryMm receives the spine's start P0 in millimetres, where the
// caller places the machine's entry point (absolutely) before it joins the drawing again.
MultiplicationResult RemoveEntryForRowLayout(TDrawing& drawing, const MultiplicationTexts& fields,
                                             MultiwireLayout layout, Point2d* entryMm);

// The multiplication itself: the checks, then the grid copies or the multi-wire copies
// with their cut path. A multi-wire run also places the machine's entry point at P0.
MultiplicationResult Multiply(TDrawing& drawing, const MultiplicationTexts& fields, MultiwireLayout layout);

}  // namespace wirvela
