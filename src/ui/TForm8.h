#pragma once
// The rotary project window (" Projekt obrotowy"): the view of RotaryProjectModel. The
// profile list is a table whose first row is the header; Shift + click in its first column
// chooses a profile for that row. Beside it the preview of one profile, picked with the
// vertical bar; below, the material, the heating and the commands. The view mirrors the
// model after every action and every controller report it handles, and closes itself when
// the model closes (Stop, or the end of the project).
#include <QDialog>
#include <functional>
#include <optional>

#include "app/windows/RotaryProjectModel.h"

class QTableWidget;

namespace wirvela {

class TMessages;

class TForm8 final : public QDialog {
    Q_OBJECT
public:
    TForm8(RotaryProjectModel& model, const TMessages& messages, QWidget* parent = nullptr);
    ~TForm8() override;

    // Stands in for the platform's file dialogs (tests, scripted use): asked with the
    // dialog's component name ("OpenDialog1", "OpenDialog2", "SaveDialog1").
    using FileDialog = std::function<std::optional<RotaryProjectModel::FileChoice>(
        const char* name, const RotaryProjectModel::FileRequest&)>;
    void SetFileDialog(FileDialog dialog) { fileDialog_ = std::move(dialog); }
    // ComboBox1's double click: the materials table, shown modally.
    void SetOpenMaterials(std::function<void()> open) { openMaterials_ = std::move(open); }

    // Re-reads the model; closes the window when the model has closed.
    void Refresh();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void Connect();
    void Act(const std::function<void()>& action);
    RotaryProjectModel::FileDialog Dialog(const char* name, bool save);
    void RefreshGrid();

    RotaryProjectModel& model_;
    QTableWidget* grid_ = nullptr;
    FileDialog fileDialog_;
    std::function<void()> openMaterials_;
    bool updating_ = false;
};

}  // namespace wirvela
