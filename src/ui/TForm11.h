#pragma once
// The scale dialog of figure 2: the view of ScaleDialogModel. The operator types the scale
// in per cent and clicks one of the nine anchor buttons, which ends the dialog with
// Accepted; the caller then scales figure 2 (ScaleFigure2) with the model's scale and
// anchors.
#include <QDialog>
#include <memory>

namespace wirvela {

class QtLocalisableWindow;
class ScaleDialogModel;
class TMessages;

class TForm11 final : public QDialog {
    Q_OBJECT
public:
    TForm11(ScaleDialogModel& model, const TMessages& messages, QWidget* parent = nullptr);
    ~TForm11() override;

    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ScaleDialogModel& model_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
};

}  // namespace wirvela
