#pragma once
// The surface the painters draw on: the main window's off-screen bitmap (QPainter in the
// GUI), a software raster headless. Coordinates are pixels of the drawing area, columns
// to the right and rows downward; colours are platform colour values (0x00BBGGRR), the
// integers of section kolory.
//
// Points far outside the area are legal (a deep zoom maps a drawing well beyond the
// window); implementations clip them.
#include <cstdint>
#include <string_view>

namespace wirvela {

struct CanvasPoint {
    int x = 0;
    int y = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // The colour of the lines drawn from now on.
    virtual void SetPenColor(std::int32_t color) = 0;
    // A line from (x0, y0) to (x1, y1) in the pen colour, both ends included.
    virtual void Line(CanvasPoint from, CanvasPoint to) = 0;
    // The whole drawing area in one colour.
    virtual void Fill(std::int32_t color) = 0;

    // The pixels within `radius` of the centre in `color`, outline included (the entry
    // point mark). The pen colour stays.
    virtual void FillCircle(CanvasPoint /*centre*/, int /*radius*/, std::int32_t /*color*/) {}
    // The outline of a circle in the pen colour (faulty segment nodes).
    virtual void Circle(CanvasPoint /*centre*/, int /*radius*/) {}
    // A short text with its top left corner at `at`, background left as it is
    // (line, vertex and object numbers). Fonts are the implementation's choice.
    virtual void Text(CanvasPoint /*at*/, std::string_view /*text*/, std::int32_t /*color*/) {}

    // Size of the drawing area in pixels; 0 when the surface does not know it.
    virtual int Width() const { return 0; }
    virtual int Height() const { return 0; }
};

}  // namespace wirvela
