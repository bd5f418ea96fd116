#pragma once
// The materials dialog ("Parametry materiałów"): the view of Materials. The grid is edited
// in place; a finished cell edit (Enter, another cell, leaving the grid) runs the model's
// cell check. "Zamknij" closes only when every row is within its limits; closing the
// window otherwise always closes it (the model then stores nothing when a row fails).
#include <QDialog>

namespace wirvela {

class Materials;
class TMessages;

class TForm5 final : public QDialog {
    Q_OBJECT
public:
    TForm5(Materials& model, const TMessages& messages, QWidget* parent = nullptr);

    // Re-reads the model (the pendant may have changed a value).
    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Materials& model_;
    bool updating_ = false;
};

}  // namespace wirvela
