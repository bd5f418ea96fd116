#pragma once
// The manual-control window ("Ręczne sterownie ploterem"): the view of ManualControl.
// The jog buttons and the two turn buttons act while they are held: pressing one starts
// the motion, releasing the mouse button anywhere ends it (the model disables the buttons
// while a motion runs, so the release is caught for the whole application). While STOP
// (Button16) has the keyboard focus the numeric keypad jogs the same way.
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/windows/ManualControl.h"

namespace wirvela {

class QtEventPump;
class QtLocalisableWindow;
class TMessages;

class TForm3 final : public QDialog {
    Q_OBJECT
public:
    // With a pump, the model's event channel is drained on the GUI thread while the view
    // exists and the view follows every handled event.
    TForm3(ManualControl& model, const TMessages& messages, QtEventPump* pump = nullptr, QWidget* parent = nullptr);
    ~TForm3() override;

    // The window as ManualControl::Create localises it.
    LocalisableWindow& Localisable();

    // Re-reads the model.
    void Refresh();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Build();
    void Connect();
    void Act(const std::function<void()>& action);
    // A jog or turn button pressed; the motion ends at the next mouse release.
    void Hold(const std::function<void()>& start);
    void ReleaseHeld();
    bool KeypadEvent(QEvent* event);

    ManualControl& model_;
    QtEventPump* pump_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
    QTimer statusTimer_;  // Timer1
    QTimer blinkTimer_;   // Timer2
    std::string shownStatus_;
    bool held_ = false;
    bool starting_ = false;
    bool releasePending_ = false;
    bool updating_ = false;
};

}  // namespace wirvela
