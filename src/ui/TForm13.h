#pragma once
// The bent moulding dialog: the view of MouldingModel. "Oblicz" shows N and L; "Utworz
// linie ciecia" ends the dialog with Accepted once the outline is in the drawing.
#include <QDialog>
#include <memory>

namespace wirvela {

class MouldingModel;
class QtLocalisableWindow;

class TForm13 final : public QDialog {
    Q_OBJECT
public:
    TForm13(MouldingModel& model, QWidget* parent = nullptr);
    ~TForm13() override;

    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    MouldingModel& model_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
};

}  // namespace wirvela
