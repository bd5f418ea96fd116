#pragma once
// The about box ("Ploter termiczny"): the view of AboutModel, also the start-up splash,
// which closes itself when the model's Timer1 fires (CzasWiniety ms). The texts filled by
// AboutModel::Create (versions, controller) are shown over the localised ones; whoever
// runs Create passes Localisable() as its view.
#include <QDialog>
#include <QTimer>
#include <memory>

namespace wirvela {

class AboutModel;
class LocalisableWindow;
class QtLocalisableWindow;
class TMessages;

class TForm6 final : public QDialog {
    Q_OBJECT
public:
    TForm6(AboutModel& model, const TMessages& messages, QWidget* parent = nullptr);
    ~TForm6() override;

    LocalisableWindow& Localisable();

    // The start-up splash: shown window-modal without blocking (ShowSplash) or blocking
    // (ExecSplash); closes itself after the model's interval.
    void ShowSplash();
    int ExecSplash();

    void Refresh();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AboutModel& model_;
    std::unique_ptr<QtLocalisableWindow> localisable_;
    QTimer timer_;  // Timer1
};

}  // namespace wirvela
