#include "ui/ClickPanel.h"

#include <QMouseEvent>
#include <QPalette>

namespace wirvela {

ClickPanel::ClickPanel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setMinimumHeight(22);
}

void ClickPanel::SetColours(const QColor& background, const QColor& text) {
    background_ = background;
    QPalette p = QLabel::palette();
    const QPalette base = parentWidget() ? parentWidget()->palette() : QPalette();
    p.setColor(QPalette::Window, background.isValid() ? background : base.color(QPalette::Window));
    p.setColor(QPalette::WindowText, text.isValid() ? text : base.color(QPalette::WindowText));
    setPalette(p);
    setAutoFillBackground(background.isValid());
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->position().toPoint()))
        emit clicked();
}

}  // namespace wirvela
