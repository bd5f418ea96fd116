#pragma once
// What one painting of the drawing view needs besides the drawing and the transform:
// the colours of section kolory, the main window's debug switches, figure 2's offset on
// the view and the size of the drawing area. Gathered afresh for every painting, so a
// colour changed in the colours dialog shows at the next repaint.
#include <cstdint>

namespace wirvela {

class TDrawing;
class TParameters;

// The colours of one figure, platform colour values (0x00BBGGRR).
struct FigureColours {
    std::int32_t objects = 0;      // object lines (kind 1), entry mark, object numbers
    std::int32_t connecting = 0;   // connecting lines (kind 2)
    std::int32_t firstPass = 0;    // lines the simulation has run over once (mark 0x10)
    std::int32_t secondPass = 0;   // ... twice (mark 0x20)
    std::int32_t secondSpeed = 0;  // lines of pen 2
};

struct PaintColours {
    std::int32_t background = 0;
    FigureColours figure1;
    FigureColours figure2;
    std::int32_t segmentLines = 0;  // everything of the segment set
    std::int32_t faultyNode = 0;    // circle around a faulty segment node

    // Section kolory, every key read with default 0: without the section the picture is
    // black on black.
    static PaintColours FromStore(const TParameters& parameters);
    // The pendant's picture: white background (16777215), everything else black.
    static PaintColours BlackOnWhite();
};

// The main window's state a painting reads (its controls and the process-wide overlay flag).
struct PaintInputs {
    bool lineNumbers = false;    // CheckBox3 "Rysuj numery linii"
    bool objectNumbers = false;  // CheckBox1 "Rysuj numery obiektów"
    bool pathOverlay = false;    // set by the profile generation
    double offsetXmm = 0.0;      // TEoffsetX, TEoffsetY: figure 2's offset, millimetres
    double offsetYmm = 0.0;
    double scalePercent = 100.0;  // Edit2
};

struct PaintSettings {
    PaintColours colours;
    bool lineNumbers = false;
    bool objectNumbers = false;
    bool pathOverlay = false;
    // Figure 2's offset on the view, whole drawing units.
    double offsetX = 0.0;
    double offsetY = 0.0;
    // The drawing area: origin (0, 0), the off-screen bitmap's size in pixels.
    int width = 0;
    int height = 0;
    // The size report: millimetres = units × sizeScale × scalePercent × 0.01.
    double scalePercent = 100.0;
    double sizeScale = 1.0;  // SkalaHPGL of section Drawings
};

// The offset in millimetres as whole drawing units: mm ÷ (SkalaHPGL × percent × 0.01),
// truncated toward zero; 0 when that divisor is 0 or the result is not finite.
double OffsetInUnits(double mm, double mmPerUnit, double scalePercent);

// Colours from the store, the switches and offsets from `inputs` (the offsets through the
// drawing's scale), the area size as given, the size report's scale from SkalaHPGL of
// section Drawings (default 1.0).
PaintSettings GatherPaintSettings(const TParameters& parameters, const TDrawing& drawing, const PaintInputs& inputs,
                                  int width, int height);

}  // namespace wirvela
