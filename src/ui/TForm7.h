#pragma once
// The device list ("Podlaczone urzadzenia"): the view of DeviceList. The operator picks
// the FTDI bridge that is the cutter's controller; "Wybierz" (or a double click) stores it
// and ends the dialog with Accepted, after which the caller re-creates the controller link.
#include <QDialog>

namespace wirvela {

class DeviceList;
class Prompt;
class TMessages;
class TParameters;

class TForm7 final : public QDialog {
    Q_OBJECT
public:
    TForm7(DeviceList& model, TParameters& parameters, Prompt& prompt, const TMessages& messages,
           QWidget* parent = nullptr);

    // Re-reads the model.
    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Choose();

    DeviceList& model_;
    TParameters& parameters_;
    Prompt& prompt_;
    bool updating_ = false;
};

}  // namespace wirvela
