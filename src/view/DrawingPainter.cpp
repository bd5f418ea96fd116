#include "view/DrawingPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

constexpr std::int32_t kPassMask = 0xF0;
constexpr std::int32_t kFirstPass = 0x10;
constexpr std::int32_t kSecondPass = 0x20;
constexpr std::int32_t kSecondSpeedPen = 2;
constexpr std::int32_t kFigure2Label = 2;  // a segment-set vertex that belongs to figure 2
// Object numbers are placed this far from their object's first vertex, pixels.
constexpr CanvasPoint kObjectNumberShift{5, -10};
constexpr CanvasPoint kLineNumberShift{2, 2};

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (n > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        out.assign(buffer.data(), static_cast<std::size_t>(n));
    }
    va_end(again);
    return out;
}

std::string Number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

bool IsVertexIndex(int v) {
    return v >= 0 && v < TVert::kCapacity;
}

// The pen colour of a line: each later rule overrides the earlier ones. A line of no
// kind keeps the objects colour.
std::int32_t LineColour(const LineRecord& l, const FigureColours& c) {
    std::int32_t colour = c.objects;
    if (l.kind == 1) colour = c.objects;
    if (l.kind == 2) colour = c.connecting;
    const std::int32_t passes = l.display & kPassMask;
    if (passes == kFirstPass) colour = c.firstPass;
    if (passes == kSecondPass) colour = c.secondPass;
    if (l.pen == kSecondSpeedPen) colour = c.secondSpeed;
    return colour;
}

FigureColours SetColours(const PaintColours& colours, int set) {
    if (set == TDrawing::kFigure1) return colours.figure1;
    if (set == TDrawing::kFigure2) return colours.figure2;
    const std::int32_t s = colours.segmentLines;
    return {s, s, s, s, s};
}

CanvasPoint Shifted(CanvasPoint p, CanvasPoint d) {
    return {p.x + d.x, p.y + d.y};
}

}  // namespace

Box2d ViewBox(const TDrawing& drawing, double offsetX, double offsetY) {
    const TVert& v1 = drawing.Set(TDrawing::kFigure1).V;
    Box2d box{std::trunc(v1.MinX(true)), std::trunc(v1.MinY(true)), std::trunc(v1.MaxX(true)),
                   std::trunc(v1.MaxY(true))};
    const TVert& v2 = drawing.Set(TDrawing::kFigure2).V;
    if (v2.Count() > 0) {
        box.minX = std::min(box.minX, std::trunc(v2.MinX(true)) + offsetX);
        box.minY = std::min(box.minY, std::trunc(v2.MinY(true)) + offsetY);
        box.maxX = std::max(box.maxX, std::trunc(v2.MaxX(true)) + offsetX);
        box.maxY = std::max(box.maxY, std::trunc(v2.MaxY(true)) + offsetY);
    }
    return box;
}

DrawingPainter::DrawingPainter(TDrawing& drawing, PainterServices services)
    : drawing_(drawing), s_(std::move(services)) {}

void DrawingPainter::Log(std::string_view text) const {
    if (s_.log != nullptr) s_.log->Log(text);
}

void DrawingPainter::PaintDrawing(Canvas& canvas, const TZoom& zoom, const PaintSettings& settings, bool updateStatus) {
    canvas.Fill(settings.colours.background);
    const int previous = drawing_.Figure();
    const int previousOelems = drawing_.Oelems();
    for (int set : {TDrawing::kSegments, TDrawing::kFigure1, TDrawing::kFigure2}) {
        if (set != TDrawing::kFigure1 && drawing_.Set(set).V.Count() == 0) continue;
        drawing_.SelectFigure(set);
        PaintSet(canvas, zoom, settings, set, updateStatus);
    }
    drawing_.SelectFigure(previous);
    // The current last object number may differ from the stored one while a command
    // works on it; the painting must not change it.
    drawing_.Oelems() = previousOelems;
    if (settings.pathOverlay) PathOverlay(canvas, zoom);
}

void DrawingPainter::SizeReport(int set, const PaintSettings& settings, bool updateStatus) {
    const TVert& v = drawing_.V();
    if (drawing_.L().Count() == 0) {
        if (updateStatus && s_.status) s_.status(kSizePanel, "");
        return;
    }
    const double mmPerUnit = settings.sizeScale * settings.scalePercent * 0.01;
    if (updateStatus && s_.status) {
        const double w = (std::trunc(v.MaxX(false)) - std::trunc(v.MinX(false))) * mmPerUnit;
        const double h = (std::trunc(v.MaxY(false)) - std::trunc(v.MinY(false))) * mmPerUnit;
        const std::string format = s_.messages != nullptr ? s_.messages->MessageText(kSizeMessage) : std::string();
        s_.status(kSizePanel, FormatMessage(format, {w, h}));
    }
    Log(Printf("Rozmiar rysunku %d: %5.1lf x %5.1lf mm", set, (v.MaxX(true) - v.MinX(true)) * mmPerUnit,
               (v.MaxY(true) - v.MinY(true)) * mmPerUnit));
}

void DrawingPainter::PaintSet(Canvas& canvas, const TZoom& zoom, const PaintSettings& settings, int set,
                              bool updateStatus) {
    SizeReport(set, settings, updateStatus);
    const FigureColours colours = SetColours(settings.colours, set);
    const DrawingSettings& ds = drawing_.Settings();
    if (ds.scale != 0.0)
        canvas.FillCircle(zoom.ToScreen(ds.entryX / ds.scale, ds.entryY / ds.scale), kEntryMarkRadius, colours.objects);

    const TVert& v = drawing_.V();
    const TLines& lines = drawing_.L();
    const double dx = settings.offsetX;
    const double dy = settings.offsetY;
    for (int i = 0; i < lines.Count(); ++i) {
        const LineRecord& l = lines[i];
        if (!IsVertexIndex(l.p) || !IsVertexIndex(l.k)) continue;
        const VertexRecord& p = v[l.p];
        const VertexRecord& k = v[l.k];
        bool shiftP = set == TDrawing::kFigure2;
        bool shiftK = set == TDrawing::kFigure2;
        if (set == TDrawing::kSegments) {
            // A segment line ties figure 1 to figure 2: only its figure-2 end moves.
            shiftP = p.obj == kFigure2Label;
            shiftK = !shiftP && k.obj == kFigure2Label;
        }
        const CanvasPoint a = zoom.ToScreen(p.x + (shiftP ? dx : 0.0), p.y + (shiftP ? dy : 0.0));
        const CanvasPoint b = zoom.ToScreen(k.x + (shiftK ? dx : 0.0), k.y + (shiftK ? dy : 0.0));
        canvas.SetPenColor(LineColour(l, colours));
        canvas.Line(a, b);

        if (set == TDrawing::kSegments) {
            canvas.SetPenColor(settings.colours.faultyNode);
            if (p.mark == kFaultyNodeMark) canvas.Circle(a, kFaultyNodeRadius);
            if (k.mark == kFaultyNodeMark) canvas.Circle(b, kFaultyNodeRadius);
        }
        if (settings.lineNumbers) {
            const CanvasPoint middle{static_cast<int>((static_cast<long long>(a.x) + b.x) / 2),
                                     static_cast<int>((static_cast<long long>(a.y) + b.y) / 2)};
            canvas.Text(Shifted(middle, kLineNumberShift), std::to_string(i), kRed);
            canvas.Text(a, std::to_string(l.p), kYellow);
            canvas.Text(b, std::to_string(l.k), kYellow);
        }
    }

    if (settings.objectNumbers && set != TDrawing::kSegments && drawing_.Oelems() >= 0)
        ObjectNumbers(canvas, zoom, colours, set == TDrawing::kFigure2 ? dx : 0.0,
                      set == TDrawing::kFigure2 ? dy : 0.0);
}

void DrawingPainter::ObjectNumbers(Canvas& canvas, const TZoom& zoom, const FigureColours& colours, double dx,
                                   double dy) {
    const TVert& v = drawing_.V();
    // A drawing has at most one object per line; a larger number is a damaged count and
    // must not turn into a loop of billions of texts.
    const int last = std::min(drawing_.Oelems(), TLines::kCapacity);
    // First vertex of each object, found in one pass; vertex 0 for an object without one.
    std::vector<int> first(static_cast<std::size_t>(last) + 1, -1);
    for (int i = 0; i < v.Count(); ++i) {
        const int obj = v[i].obj;
        if (obj >= 0 && obj <= last && first[static_cast<std::size_t>(obj)] < 0)
            first[static_cast<std::size_t>(obj)] = i;
    }
    for (int m = 0; m <= last; ++m) {
        const int i = std::max(first[static_cast<std::size_t>(m)], 0);
        const CanvasPoint at = zoom.ToScreen(v[i].x + dx, v[i].y + dy);
        canvas.Text(Shifted(at, kObjectNumberShift), std::to_string(m + 1), colours.objects);
    }
}

void DrawingPainter::PathOverlay(Canvas& canvas, const TZoom& zoom) {
    const TDrawingSet& figure = drawing_.Set(TDrawing::kFigure1);
    if (figure.cutPath == nullptr) return;
    const TLineList& path = *figure.cutPath;
    canvas.SetPenColor(kRed);
    for (int i = 0; i < path.Length(); ++i) {
        const int a = path.PathStart(i, figure.L);
        const int b = path.PathEnd(i, figure.L);
        if (!IsVertexIndex(a) || !IsVertexIndex(b)) continue;
        canvas.Line(zoom.ToScreen(figure.V[a].x, figure.V[a].y), zoom.ToScreen(figure.V[b].x, figure.V[b].y));
    }
}

void DrawingPainter::PaintForPendant(Canvas& canvas, double offsetX, double offsetY) {
    PaintSettings settings;
    settings.colours = PaintColours::BlackOnWhite();
    settings.offsetX = offsetX;
    settings.offsetY = offsetY;
    settings.width = canvas.Width();
    settings.height = canvas.Height();
    const Box2d box = ViewBox(drawing_, offsetX, offsetY);
    TZoom zoom;
    zoom.FitView(settings.width, settings.height, box.minX, box.minY, box.maxX, box.maxY);
    PaintDrawing(canvas, zoom, settings, false);
}

void DrawingPainter::PaintImmediateSimulation(Canvas& canvas, const TZoom& zoom, std::int32_t firstPass,
                                              std::int32_t secondPass, double offsetX, double offsetY) {
    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        TDrawingSet& set = drawing_.Set(figure);
        if (set.V.Count() == 0 || set.cutPath == nullptr) continue;
        const double dx = figure == TDrawing::kFigure2 ? offsetX : 0.0;
        const double dy = figure == TDrawing::kFigure2 ? offsetY : 0.0;
        const TLineList& path = *set.cutPath;
        for (int i = 0; i < path.Length(); ++i) {
            const int a = path.PathStart(i, set.L);
            const int b = path.PathEnd(i, set.L);
            if (!IsVertexIndex(a) || !IsVertexIndex(b)) continue;
            std::int32_t& display = set.L.Edit(path[i].line).display;
            const std::int32_t passes = display & kPassMask;
            if (passes != 0 && passes != kFirstPass) continue;
            canvas.SetPenColor(passes == 0 ? firstPass : secondPass);
            display += kFirstPass;
            Log("x: " + Number(set.V[a].x) + ", y: " + Number(set.V[a].y));
            canvas.Line(zoom.ToScreen(set.V[a].x + dx, set.V[a].y + dy),
                        zoom.ToScreen(set.V[b].x + dx, set.V[b].y + dy));
        }
    }
}

}  // namespace wirvela
