#pragma once
// The painters' Canvas on a QImage: the main window's off-screen bitmap. Drawing goes
// through a QPainter that is opened by the first drawing call and closed when the picture
// is taken (Image) or resized, so the picture can be shown between paintings.
// GUI thread only.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <cstdint>
#include <memory>
#include <string_view>

#include "view/Canvas.h"

namespace wirvela {

class QtCanvas final : public Canvas {
public:
    // A black picture of `size` pixels (empty when the size is empty).
    explicit QtCanvas(QSize size = {});
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // A new black picture; the old contents are dropped.
    void Resize(QSize size);
    QSize Size() const { return image_.size(); }
    // The picture with everything drawn so far.
    const QImage& Image();

    void SetPenColor(std::int32_t color) override;
    void Line(CanvasPoint from, CanvasPoint to) override;
    void Fill(std::int32_t color) override;
    void FillCircle(CanvasPoint centre, int radius, std::int32_t color) override;
    void Circle(CanvasPoint centre, int radius) override;
    // The application's small fixed font (8 points), text in one colour on what is there.
    void Text(CanvasPoint at, std::string_view text, std::int32_t color) override;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }

    // A platform colour value 0x00BBGGRR (red in the low byte) as a Qt colour, and back.
    static QColor ToQColor(std::int32_t color);
    static std::int32_t FromQColor(const QColor& color);

private:
    QPainter& Painter();
    void End();

    QImage image_;
    QColor pen_{Qt::black};
    std::unique_ptr<QPainter> painter_;
};

}  // namespace wirvela
