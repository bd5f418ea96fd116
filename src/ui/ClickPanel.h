#pragma once
// A panel of the windows: a framed text area that may be coloured and clicked (the wire
// panel of the cutting window, the movement indicator, the colour panels, the status
// lines). Disabled, it ignores clicks.
#include <QColor>
#include <QLabel>

namespace wirvela {

class ClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(const QString& text = {}, QWidget* parent = nullptr);

    // Background and text colour; an invalid colour returns to the style's own.
    void SetColours(const QColor& background, const QColor& text = {});
    QColor Background() const { return background_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor background_;
};

}  // namespace wirvela
