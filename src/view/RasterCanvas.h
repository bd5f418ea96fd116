#pragma once
// A software raster behind the Canvas seam: 32-bit pixels holding platform colour values
// (0x00BBGGRR), one-pixel lines, circles and a tiny built-in font. Used headless (tests,
// the command-line front end) and for the pendant's small picture.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "view/Canvas.h"

namespace wirvela {

class RasterCanvas : public Canvas {
public:
    // Glyph cell of the built-in font: 3 × 5 pixels plus one column of spacing.
    static constexpr int kGlyphWidth = 3;
    static constexpr int kGlyphHeight = 5;
    static constexpr int kGlyphAdvance = kGlyphWidth + 1;
    // Larger areas are refused (the canvas stays empty) instead of allocating without bound.
    static constexpr int kMaxSide = 16384;

    // Every text drawn since the last Fill, in order (tests check numbers by their text,
    // not their pixels).
    struct TextRecord {
        CanvasPoint at;
        std::string text;
        std::int32_t color = 0;
    };

    // width × height pixels, all 0 (black); a side that is not positive or above
    // kMaxSide gives an empty canvas.
    RasterCanvas(int width, int height);

    // Changes the size; every pixel becomes 0 and the text records are dropped.
    void Resize(int width, int height);

    void SetPenColor(std::int32_t color) override { pen_ = color; }
    void Line(CanvasPoint from, CanvasPoint to) override;
    void Fill(std::int32_t color) override;
    void FillCircle(CanvasPoint centre, int radius, std::int32_t color) override;
    void Circle(CanvasPoint centre, int radius) override;
    // Digits in the built-in font; other characters as the outline of a glyph cell.
    void Text(CanvasPoint at, std::string_view text, std::int32_t color) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }

    std::int32_t PenColor() const { return pen_; }
    // The colour at (x, y); -1 outside the canvas.
    std::int32_t Pixel(int x, int y) const;
    // How many pixels hold `color`.
    int Count(std::int32_t color) const;
    const std::vector<std::int32_t>& Pixels() const { return pixels_; }
    const std::vector<TextRecord>& Texts() const { return texts_; }

private:
    void Put(int x, int y, std::int32_t color);
    void Glyph(int x, int y, char c, std::int32_t color);

    int width_ = 0;
    int height_ = 0;
    std::int32_t pen_ = 0;
    std::vector<std::int32_t> pixels_;  // row after row
    std::vector<TextRecord> texts_;
};

}  // namespace wirvela
