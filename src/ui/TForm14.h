#pragma once
// The frame dialog ("Ramka"): the view of FrameModel. "Dodaj" ends it with Accepted when
// the model takes the fields; the main window then adds the frame.
#include <QDialog>
#include <memory>

namespace wirvela {

class FrameModel;
class QtLocalisableWindow;

class TForm14 final : public QDialog {
    Q_OBJECT
public:
    TForm14(FrameModel& model, QWidget* parent = nullptr);
    ~TForm14() override;

    void Refresh();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    FrameModel& model_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
};

}  // namespace wirvela
