#include "view/DrawingView.h"

#include <cstdint>

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

// Releases the drawing mutex taken by Acquire, if it was taken.
class DrawingLock {
public:
    DrawingLock(RecursiveTimedMutex* m, std::int64_t milliseconds)
        : m_(m), owns_(m != nullptr && LockFor(*m, milliseconds)) {}
    ~DrawingLock() {
        if (owns_) m_->unlock();
    }
    DrawingLock(const DrawingLock&) = delete;
    DrawingLock& operator=(const DrawingLock&) = delete;
    // Without a mutex there is nothing to wait for: the holder goes on.
    bool Usable() const { return m_ == nullptr || owns_; }

private:
    RecursiveTimedMutex* m_;
    bool owns_;
};

double MenuFactor(DrawingView::ZoomCommand command) {
    switch (command) {
        case DrawingView::ZoomCommand::In:
            return 1.5;
        case DrawingView::ZoomCommand::InX2:
            return 2.0;
        case DrawingView::ZoomCommand::InX5:
            return 5.0;
        case DrawingView::ZoomCommand::Out:
            return 1.0 / 1.5;
        case DrawingView::ZoomCommand::OutX2:
            return 1.0 / 2.0;
        case DrawingView::ZoomCommand::OutX5:
            return 1.0 / 5.0;
        case DrawingView::ZoomCommand::All:
            break;
    }
    return 1.0;
}

}  // namespace

DrawingView::DrawingView(DrawingViewServices services)
    : s_(std::move(services)), painter_(*s_.drawing, PainterServices{s_.messages, s_.log, s_.status}) {}

void DrawingView::Log(std::string_view text) const {
    if (s_.log != nullptr) s_.log->Log(text);
}

void DrawingView::SetArea(int width, int height) {
    std::lock_guard<std::mutex> guard(lock_);
    width_ = width;
    height_ = height;
}

int DrawingView::AreaWidth() const {
    std::lock_guard<std::mutex> guard(lock_);
    return width_;
}

int DrawingView::AreaHeight() const {
    std::lock_guard<std::mutex> guard(lock_);
    return height_;
}

void DrawingView::Resize(int width, int height, bool closing) {
    SetArea(width, height);
    if (!closing) ZoomAll();
}

TZoom DrawingView::Zoom() const {
    std::lock_guard<std::mutex> guard(lock_);
    return zoom_;
}

void DrawingView::SetZoom(const TZoom& zoom) {
    std::lock_guard<std::mutex> guard(lock_);
    zoom_ = zoom;
}

PaintSettings DrawingView::CurrentSettings() const {
    const PaintInputs inputs = s_.inputs ? s_.inputs() : PaintInputs{};
    std::lock_guard<std::mutex> guard(lock_);
    return GatherPaintSettings(*s_.parameters, *s_.drawing, inputs, width_, height_);
}

void DrawingView::ZoomAll() {
    if (!ViewReady()) return;
    {
        DrawingLock drawing(s_.drawingMutex, kMutexWaitMs);
        if (!drawing.Usable()) return;
        const PaintSettings settings = CurrentSettings();
        const Box2d box = ViewBox(*s_.drawing, settings.offsetX, settings.offsetY);
        std::lock_guard<std::mutex> guard(lock_);
        zoom_.FitView(width_, height_, box.minX, box.minY, box.maxX, box.maxY);
    }
    SetViewReady(true);
    Rysuj();
}

void DrawingView::FitToBox(double minX, double minY, double maxX, double maxY) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        zoom_.FitView(width_, height_, minX, minY, maxX, maxY);
    }
    SetViewReady(true);
}

void DrawingView::ZoomAbout(double f, double cx, double cy) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        zoom_.ZoomBy(f, cx, cy);
    }
    Rysuj();
}

void DrawingView::PopupAt(int x, int y) {
    popupX_ = x;
    popupY_ = y;
}

void DrawingView::MenuCommand(ZoomCommand command) {
    if (command == ZoomCommand::All) {
        ZoomAll();
        return;
    }
    ZoomAbout(MenuFactor(command), popupX_, popupY_);
}

void DrawingView::Wheel(bool up, int x, int y) {
    if (SimulationRunning()) return;
    ZoomAbout(up ? kWheelFactor : 1.0 / kWheelFactor, x, y);
}

void DrawingView::MouseDown(MouseButton button, int x, int y) {
    if (button != MouseButton::Left || SimulationRunning()) return;
    pressed_ = true;
    pressX_ = x;
    pressY_ = y;
}

void DrawingView::MouseUp(MouseButton button, int x, int y) {
    if (button != MouseButton::Left) return;
    const bool pressed = pressed_;
    pressed_ = false;
    if (!pressed || SimulationRunning()) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        zoom_.Pan(static_cast<double>(x) - pressX_, static_cast<double>(y) - pressY_);
    }
    Rysuj();
}

std::string DrawingView::Readout(int x, int y) const {
    if (!ViewReady()) return {};
    // The joining worker may be changing the drawing: no waiting on a mouse move.
    DrawingLock drawing(s_.drawingMutex, 0);
    if (!drawing.Usable()) return {};
    const Point2d p = Zoom().ToDrawing(x, y);
    const double s = s_.parameters->GetNumber(settings::kDrawingsSkalaHPGL);
    const TVert& v = s_.drawing->V();
    const std::string format = s_.messages != nullptr ? s_.messages->MessageText(kReadoutMessage) : std::string();
    return FormatMessage(format, {(p.x - v.MinX(false)) * s, (p.y - v.MinY(false)) * s});
}

void DrawingView::MouseMove(int x, int y) {
    if (!ViewReady()) return;
    const std::string text = Readout(x, y);
    if (!text.empty() && s_.status) s_.status(kReadoutPanel, text);
}

std::string DrawingView::MutexText() const {
    return std::to_string(reinterpret_cast<std::uintptr_t>(s_.drawingMutex));
}

bool DrawingView::Rysuj() {
    Log("Rysuj():DrawMutex=" + MutexText());
    {
        DrawingLock drawing(s_.drawingMutex, kMutexWaitMs);
        if (!drawing.Usable()) {
            Log("Rysuj(): Mutex timeout !!!");
            return false;
        }
        Log("-->>>> Rysuj() start (mutex owned & locked)");
        const PaintSettings settings = CurrentSettings();
        if (!SimulationRunning() && s_.bitmap != nullptr) painter_.PaintDrawing(*s_.bitmap, Zoom(), settings, true);
        if (s_.present) s_.present();
    }
    Log("<<<<-- Rysuj() end (mutex released)");
    return true;
}

}  // namespace wirvela
