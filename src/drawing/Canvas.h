#pragma once
// The surface the painters draw on: the main window's off-screen bitmap (QPainter in the
// GUI), a software raster headless. Coordinates are pixels of the drawing area, columns
// to the right and rows downward; colours are platform colour values (0x00BBGGRR), the
// integers of section kolory.
#include <cstdint>

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
};

}  // namespace wirvela
