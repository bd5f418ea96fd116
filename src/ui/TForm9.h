#pragma once
// The multiplication dialog: the view of MultiplicationModel. The operator chooses copies
// by count or by material size, the gaps and, where the machine carries several wires,
// multi-wire cutting; "Powiel" multiplies and closes with Accepted, "Anuluj" closes. The
// row layout's joining runs behind the open dialog, paced by the model's two timers, and
// the dialog closes when the copies are made.
#include <QDialog>
#include <QTimer>
#include <map>
#include <string>

class QCheckBox;
class QLabel;

namespace wirvela {

class MultiplicationModel;

class TForm9 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(MultiplicationModel& model, QWidget* parent = nullptr);
    ~TForm9() override;

    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* CheckBox(const char* name);
    // Runs the model's timer while it is enabled, again whenever it was started anew.
    void FollowTimer(QTimer& timer, bool enabled, int interval, unsigned starts, unsigned& seen);

    MultiplicationModel& model_;
    std::map<std::string, QLabel*> labels_;  // each field's label, by the field's name
    QTimer timer1_;
    QTimer timer2_;
    unsigned timer1Starts_ = 0;
    unsigned timer2Starts_ = 0;
};

}  // namespace wirvela
