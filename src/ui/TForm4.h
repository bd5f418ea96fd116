#pragma once
// The cutting window ("Wycinanie"): the view of CuttingJob. It mirrors the model after
// every action of the operator and every event the model handles, and forwards the
// actions; the window closes itself when the model closes (Stop, or the end of the
// program reported by the controller).
#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

namespace wirvela {

class CuttingJob;
class QtEventPump;
class TMessages;

class TForm4 final : public QDialog {
    Q_OBJECT
public:
    // With a pump, the model's event channel is drained on the GUI thread while the view
    // exists and the view follows every handled event.
    TForm4(CuttingJob& model, const TMessages& messages, QtEventPump* pump = nullptr, QWidget* parent = nullptr);
    ~TForm4() override;

    // "Edycja materiałów" (Button3): opens the materials dialog modally.
    void SetOpenMaterials(std::function<void()> open) { openMaterials_ = std::move(open); }

    // Re-reads the model; closes the window when the model has closed.
    void Refresh();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    void Connect();
    // Runs an operator action on the model, then mirrors it.
    void Act(const std::function<void()>& action);

    CuttingJob& model_;
    QtEventPump* pump_;
    std::function<void()> openMaterials_;
    QTimer statusTimer_;  // Timer1
    std::string shownStatus_;
    bool updating_ = false;
};

}  // namespace wirvela
