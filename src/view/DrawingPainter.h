#pragma once
// The painter of the drawing view: draws the three drawing sets onto a canvas through a
// view transform — background, entry mark, every line in the colour of its kind, pass and
// pen, faulty segment nodes, line / vertex / object numbers and the path overlay — and
// reports the drawing's size. The main window's view (DrawingView), the pendant's picture
// and the simulation's start use it.
//
// The caller holds the drawing mutex. The painter selects each set in turn and leaves the
// drawing with the set (and last object number) that was current before.
#include <functional>
#include <string_view>

#include "geometry/Box2d.h"
#include "view/Canvas.h"
#include "view/PaintSettings.h"
#include "view/Zoom.h"

namespace wirvela {

class MessageLog;
class TDrawing;
class TMessages;

// Where the painter reports. Every member is optional.
struct PainterServices {
    const TMessages* messages = nullptr;  // message 2, the size report of panel 1
    MessageLog* log = nullptr;            // "Rozmiar rysunku ..." lines
    // Status panel `panel` (0 … 4) of the main window shows `text`.
    std::function<void(int panel, std::string_view text)> status;
};

// The box Zoom All and the pendant's picture fit: figure 1's vertices (all of them), each
// bound truncated toward zero, widened by figure 2's (when it has vertices) shifted by
// its offset on the view.
Box2d ViewBox(const TDrawing& drawing, double offsetX, double offsetY);

class DrawingPainter {
public:
    static constexpr int kSizeMessage = 2;
    static constexpr int kSizePanel = 1;
    static constexpr std::int32_t kRed = 255;
    static constexpr std::int32_t kYellow = 65535;
    static constexpr int kEntryMarkRadius = 2;    // pixels
    static constexpr int kFaultyNodeRadius = 10;  // pixels
    static constexpr std::uint8_t kFaultyNodeMark = 16;

    DrawingPainter(TDrawing& drawing, PainterServices services);

    // The whole picture onto `canvas`: background, then the segment set (when it has
    // vertices), figure 1 and figure 2 (when it has vertices), then the path overlay.
    // updateStatus: panel 1 gets the size report (message 2) or is emptied.
    void PaintDrawing(Canvas& canvas, const TZoom& zoom, const PaintSettings& settings, bool updateStatus);

    // The pendant's picture: black on white, no numbers, no overlay, fitted to the
    // canvas's size and the ViewBox; no status update. offsetX, offsetY: figure 2's offset
    // on the view, drawing units.
    void PaintForPendant(Canvas& canvas, double offsetX, double offsetY);

    // The picture of a simulation run at full speed, over what Zoom All has painted: each
    // figure's cut path in path order, a line not yet run in firstPass then marked 0x10,
    // a line run once in secondPass then marked 0x20 (lines run twice are left alone);
    // figure 2 shifted by (offsetX, offsetY). Each line's start is logged as "x: …, y: …".
    void PaintImmediateSimulation(Canvas& canvas, const TZoom& zoom, std::int32_t firstPass, std::int32_t secondPass,
                                  double offsetX, double offsetY);

private:
    void PaintSet(Canvas& canvas, const TZoom& zoom, const PaintSettings& settings, int set, bool updateStatus);
    void SizeReport(int set, const PaintSettings& settings, bool updateStatus);
    void ObjectNumbers(Canvas& canvas, const TZoom& zoom, const FigureColours& colours, double dx, double dy);
    void PathOverlay(Canvas& canvas, const TZoom& zoom);
    void Log(std::string_view text) const;

    TDrawing& drawing_;
    PainterServices s_;
};

}  // namespace wirvela
