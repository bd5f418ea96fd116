#include "ui/QtCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include "ui/ControlBinding.h"

namespace wirvela {

QtCanvas::QtCanvas(QSize size) { Resize(size); }

QtCanvas::~QtCanvas() { End(); }

void QtCanvas::Resize(QSize size) {
    End();
    image_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    if (!image_.isNull()) image_.fill(Qt::black);
}

const QImage& QtCanvas::Image() {
    End();
    return image_;
}

QColor QtCanvas::ToQColor(std::int32_t color) {
    const auto c = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

std::int32_t QtCanvas::FromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

QPainter& QtCanvas::Painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!image_.isNull()) painter_->begin(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
    }
    return *painter_;
}

void QtCanvas::End() {
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
}

void QtCanvas::SetPenColor(std::int32_t color) { pen_ = ToQColor(color); }

void QtCanvas::Line(CanvasPoint from, CanvasPoint to) {
    if (image_.isNull()) return;
    QPainter& p = Painter();
    p.setPen(QPen(pen_, 0));
    p.drawLine(from.x, from.y, to.x, to.y);
    // Both ends belong to the line; Qt leaves out the last pixel of some lines.
    p.drawPoint(to.x, to.y);
}

void QtCanvas::Fill(std::int32_t color) {
    if (image_.isNull()) return;
    End();
    image_.fill(ToQColor(color));
}

void QtCanvas::FillCircle(CanvasPoint centre, int radius, std::int32_t color) {
    if (image_.isNull() || radius < 0) return;
    QPainter& p = Painter();
    const QColor c = ToQColor(color);
    p.setPen(QPen(c, 0));
    p.setBrush(c);
    // An aliased ellipse in a (2r+1)-pixel square covers the pixels within r of the centre.
    p.drawEllipse(QPoint(centre.x, centre.y), radius, radius);
    p.setBrush(Qt::NoBrush);
}

void QtCanvas::Circle(CanvasPoint centre, int radius) {
    if (image_.isNull() || radius < 0) return;
    QPainter& p = Painter();
    p.setPen(QPen(pen_, 0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(centre.x, centre.y), radius, radius);
}

void QtCanvas::Text(CanvasPoint at, std::string_view text, std::int32_t color) {
    if (image_.isNull() || text.empty()) return;
    QPainter& p = Painter();
    QFont font = p.font();
    font.setPointSize(8);
    p.setFont(font);
    p.setPen(ToQColor(color));
    p.drawText(QPoint(at.x, at.y + QFontMetrics(font).ascent()), ToQt(text));
}

}  // namespace wirvela
