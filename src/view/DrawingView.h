#pragma once
// The main window's drawing view: the view transform and its commands (Zoom All, the
// pop-up menu zooms, the mouse wheel, panning with the left button), the view-ready flag,
// the mouse position readout of status panel 4, and Rysuj(), the repaint of the
// off-screen bitmap under the drawing mutex.
//
// Threads: everything runs on the window thread except FitToBox and SetViewReady, which
// the joining worker and the generators may call from their own threads; the transform
// and the area are guarded for that. Rysuj and the mouse readout read the drawing under
// the drawing mutex; Zoom All too.
//
// Positions (mouse, pop-up menu) are pixels of the drawing area, the off-screen bitmap's
// own coordinates. The bitmap sits under the window's 40-pixel tool bar; the view
// converts window positions before it calls in.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Sync.h"
#include "view/Canvas.h"
#include "view/DrawingPainter.h"
#include "view/PaintSettings.h"
#include "view/Zoom.h"

namespace wirvela {

class MessageLog;
class TDrawing;
class TMessages;
class TParameters;

struct DrawingViewServices {
    TDrawing* drawing = nullptr;                  // required
    const TParameters* parameters = nullptr;      // required: kolory, Drawings/SkalaHPGL
    const TMessages* messages = nullptr;          // messages 2 and 208; absent: empty texts
    MessageLog* log = nullptr;                    // Rysuj's trace, the size report's line
    RecursiveTimedMutex* drawingMutex = nullptr;  // absent: no mutual exclusion
    Canvas* bitmap = nullptr;                     // the off-screen bitmap; absent: nothing painted
    // Status panel `panel` (0 … 4) of the main window shows `text`.
    std::function<void(int panel, std::string_view text)> status;
    // Copies the bitmap to the window (at (0, 40), under the canvas lock).
    std::function<void()> present;
    // The simulation's Timer1 runs: no painting over the animation, no mouse zoom or pan.
    std::function<bool()> simulationRunning;
    // The main window's check boxes, offsets and scale percentage at this moment.
    std::function<PaintInputs()> inputs;
};

class DrawingView {
public:
    static constexpr int kMutexWaitMs = 100;
    static constexpr double kWheelFactor = 1.1;
    static constexpr int kReadoutPanel = 4;
    static constexpr int kReadoutMessage = 208;

    // The pop-up menu: Zoom1, ZoomIn1, ZoomInx21, ZoomInx51, ZoomOut1, ZoomOut21, ZoomOut51.
    enum class ZoomCommand { All, In, InX2, InX5, Out, OutX2, OutX5 };
    enum class MouseButton { Left, Right, Middle };

    explicit DrawingView(DrawingViewServices services);

    // The drawing area: the off-screen bitmap's size in pixels.
    void SetArea(int width, int height);
    int AreaWidth() const;
    int AreaHeight() const;
    // The window was resized (the bitmap already has its new size): Zoom All unless the
    // window is closing.
    void Resize(int width, int height, bool closing);

    // Set once the view has been fitted to a drawing; until then Zoom All does nothing and
    // the mouse readout is off.
    bool ViewReady() const { return viewReady_.load(); }
    void SetViewReady(bool ready) { viewReady_.store(ready); }

    // Zoom1: only with the view-ready flag; fits the view to ViewBox (figure 2 at its offset
    // on the view) and repaints. Nothing changes when the drawing mutex cannot be had
    // within kMutexWaitMs.
    void ZoomAll();
    // The end of a joining run or a generator: fits the view to this box of drawing units
    // and sets the view-ready flag; no repaint (the caller's repaint timer follows).
    void FitToBox(double minX, double minY, double maxX, double maxY);

    // Where the pop-up menu was opened: the centre of its zoom commands.
    void PopupAt(int x, int y);
    // A command of the pop-up menu: Zoom All, or a zoom by 1.5, 2 or 5 about the menu's
    // position (in and out), then a repaint. Works while the simulation runs.
    void MenuCommand(ZoomCommand command);
    // One step of the mouse wheel at (x, y): ×1.1 up, ÷1.1 down, then a repaint.
    void Wheel(bool up, int x, int y);
    // The left button pressed and released pans the picture by the distance between the
    // two positions, on release, then repaints.
    void MouseDown(MouseButton button, int x, int y);
    void MouseUp(MouseButton button, int x, int y);
    // With the view-ready flag: status panel 4 shows message 208 with the position in
    // millimetres from the current set's corner.
    void MouseMove(int x, int y);
    // The readout text for a position (what MouseMove shows); empty without the flag or
    // when the drawing mutex is held elsewhere.
    std::string Readout(int x, int y) const;

    // Repaints the bitmap and presents it. Waits at most kMutexWaitMs for the drawing
    // mutex; on a time-out logs "Rysuj(): Mutex timeout !!!" and leaves the picture as it
    // was (false).
    bool Rysuj();

    // A copy of the transform at this moment.
    TZoom Zoom() const;
    void SetZoom(const TZoom& zoom);
    // The settings a painting would use now.
    PaintSettings CurrentSettings() const;
    DrawingPainter& Painter() { return painter_; }

private:
    bool SimulationRunning() const { return s_.simulationRunning && s_.simulationRunning(); }
    void ZoomAbout(double f, double cx, double cy);
    void Log(std::string_view text) const;
    std::string MutexText() const;

    DrawingViewServices s_;
    DrawingPainter painter_;
    mutable std::mutex lock_;  // zoom_, width_, height_
    TZoom zoom_;
    int width_ = 0;
    int height_ = 0;
    std::atomic<bool> viewReady_{false};
    int popupX_ = 0;
    int popupY_ = 0;
    bool pressed_ = false;  // the left button went down outside a simulation
    int pressX_ = 0;
    int pressY_ = 0;
};

}  // namespace wirvela
