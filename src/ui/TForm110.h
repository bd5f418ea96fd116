#pragma once
// The parameter editor ("Parametry"): the view of ParameterEditorModel. Sections and
// parameters in a tree by their display names; clicking a parameter commits the value
// being edited and selects the clicked one. Closing the window in any way commits and
// writes the whole store back to wirvela.ini (the model's SaveError() tells whether that
// failed).
#include <QDialog>
#include <memory>
#include <vector>

#include "app/windows/ParameterEditorModel.h"

class QTreeWidgetItem;

namespace wirvela {

class QtLocalisableWindow;

class TForm110 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm110(ParameterEditorModel& model, QWidget* parent = nullptr);
    ~TForm110() override;

    // The colour dialog of the colour panel; QColorDialog unless replaced (tests).
    void SetColourDialog(ParameterEditorModel::ColourDialog dialog) { dialog_ = std::move(dialog); }

    // Re-reads the model: node texts, the selected node, value, hint and colour.
    void Refresh();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Rebuild();
    QTreeWidgetItem* Item(int node) const;

    ParameterEditorModel& model_;
    ParameterEditorModel::ColourDialog dialog_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
    std::vector<QTreeWidgetItem*> items_;  // by node index
    bool updating_ = false;
};

}  // namespace wirvela
