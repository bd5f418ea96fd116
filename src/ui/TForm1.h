#pragma once
// The main window ("Ploter termiczny"): the view of MainWindowModel. It holds the 40-pixel
// tool bar of speed buttons, the menus, the drawing area showing the model's off-screen
// bitmap, the log memo and the debug controls on the right (debug mode), and the status
// bar of five panels. Every control carries its component name as objectName() and is
// mirrored from the model after each change the model reports; the operator's actions,
// the timers and the mouse over the drawing are forwarded to the model. The other windows
// are opened modally when the model asks for them.
//
// The application core must have been started and stays so while the window exists; the
// window shuts it down when it closes (the model's closing first). The event pump must
// watch the core's channels (main() does that); the window refreshes itself and the open
// dialog whenever the pump has handled events.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "app/MainWindowModel.h"
#include "ui/QtCanvas.h"

class QDialog;
class QLabel;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QScrollBar;

namespace wirvela {

class AppCore;
class Prompt;
class QtEventPump;

class TForm1 final : public QMainWindow {
    Q_OBJECT
public:
    // Pixels of the log memo column on the right (debug mode).
    static constexpr int kMemoWidth = 280;

    TForm1(AppCore& core, QtEventPump& pump, Prompt& prompt, QWidget* parent = nullptr);
    ~TForm1() override;

    // Opened as the open command would open it, once the first activation (the splash)
    // has run: the program's FILE argument.
    void SetStartupFile(std::filesystem::path file);
    // Where the open dialog starts until the operator has opened a file.
    void SetDocumentDirectory(std::filesystem::path directory);
    // The open command with the dialog answered by `file` (a dropped file, the FILE
    // argument). Does nothing while the open command is not usable.
    void OpenFile(const std::filesystem::path& file);

    // Re-reads the whole model.
    void Refresh();
    // The first activation has run (the splash closed, the start-up file handed to the
    // open command).
    bool Activated() const { return activated_; }
    // The core has been shut down by the window's closing.
    bool ShutDown() const { return shutDown_; }
    // The window currently shown modally for the model (nullptr when none).
    QDialog* OpenDialog() const { return dialog_.data(); }
    // The drawing area, where the off-screen bitmap is shown.
    QWidget* DrawingArea() const;

    // Closes the window as the operator would: the model closes, then the core shuts
    // down. Also run when the program ends without the window being closed (Exit).
    void Shutdown();

signals:
    // The first activation has run.
    void activated();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Area;

    MainWindowModel& Model() const;
    void BuildMenus();
    void BuildToolBar();
    void BuildCentre();
    void BuildStatusBar();
    void BuildTimers();
    void TabOrder();
    void SetHooks();
    void FirstActivation();
    // Runs a model command; the model reports its changes itself.
    void Command(void (MainWindowModel::*command)());

    void RefreshPanels();
    void RefreshMemo();
    void RefreshTimers();
    void AreaResized();

    std::optional<MainWindowModel::OpenDialogResult> RunOpenDialog(const MainWindowModel::OpenDialogRequest& request);
    // The open dialog of OpenDialog1, or (save) the save dialog of Save as.
    std::optional<MainWindowModel::OpenDialogResult> RunFileDialog(const MainWindowModel::OpenDialogRequest& request,
                                                                   bool save);
    bool ShowModal(MainWindowModel::Dialog dialog);
    static std::optional<std::filesystem::path> DroppedDrawing(const QMimeData* data);

    AppCore& core_;
    QtEventPump& pump_;
    Prompt& prompt_;
    QtCanvas canvas_;
    Area* area_ = nullptr;
    QWidget* debugPanel_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QScrollBar* speedBar_ = nullptr;
    QMenu* popup_ = nullptr;
    std::array<QLabel*, MainWindowModel::kPanelCount> panels_{};
    std::array<QTimer*, 3> timers_{};
    std::array<unsigned, 3> timerStarts_{};
    QPointer<QDialog> dialog_;

    std::optional<std::filesystem::path> startupFile_;
    std::optional<std::filesystem::path> pendingOpen_;  // answers the next open dialog
    std::filesystem::path documentDirectory_;
    std::size_t memoShown_ = 0;
    std::string memoLast_;
    bool activationQueued_ = false;
    bool activated_ = false;
    bool shutDown_ = false;
    bool refreshing_ = false;
};

}  // namespace wirvela
