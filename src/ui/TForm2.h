#pragma once
// The colours dialog ("Ustawianie kolorów"): the view of ColoursModel. Clicking a
// coloured panel opens the standard colour dialog; "Zastosuj" writes the colours and ends
// with Accepted, "Anuluj" (or closing the window) writes nothing.
#include <QDialog>
#include <memory>

#include "app/windows/ColoursModel.h"

namespace wirvela {

class QtLocalisableWindow;
class TMessages;

class TForm2 final : public QDialog {
    Q_OBJECT
public:
    TForm2(ColoursModel& model, const TMessages& messages, QWidget* parent = nullptr);
    ~TForm2() override;

    // The colour dialog; QColorDialog unless replaced (tests).
    void SetColourDialog(ColoursModel::ColourDialog dialog) { dialog_ = std::move(dialog); }

    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ColoursModel& model_;
    ColoursModel::ColourDialog dialog_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
};

}  // namespace wirvela
