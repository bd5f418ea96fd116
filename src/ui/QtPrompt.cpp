#include "ui/QtPrompt.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

#include "ui/ControlBinding.h"

namespace wirvela {

namespace {

QMessageBox::StandardButtons ButtonsOf(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return QMessageBox::Ok;
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton EscapeOf(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return QMessageBox::Ok;
        case PromptButtons::YesNo:
            return QMessageBox::No;
        case PromptButtons::OkCancel:
        case PromptButtons::YesNoCancel:
        case PromptButtons::RetryCancel:
            break;
    }
    return QMessageBox::Cancel;
}

QMessageBox::Icon IconOf(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::None:
            return QMessageBox::NoIcon;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtPrompt::QtPrompt(QWidget* fallbackParent) : fallbackParent_(fallbackParent) {}

std::unique_ptr<QMessageBox> QtPrompt::MakeBox(const PromptRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(ToQt(request.caption));
    box->setTextFormat(Qt::PlainText);
    box->setText(ToQt(request.text));
    box->setIcon(IconOf(request.icon));
    box->setStandardButtons(ButtonsOf(request.buttons));
    box->setEscapeButton(EscapeOf(request.buttons));
    const auto affirmative = ButtonsOf(request.buttons) & (QMessageBox::Ok | QMessageBox::Yes | QMessageBox::Retry);
    box->setDefaultButton(static_cast<QMessageBox::StandardButton>(affirmative.toInt()));
    return box;
}

PromptAnswer QtPrompt::AnswerOf(int button, PromptButtons buttons) {
    const auto allowed = ButtonsOf(buttons);
    if (!(allowed & static_cast<QMessageBox::StandardButton>(button))) return NegativeAnswer(buttons);
    switch (button) {
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Retry:
            return PromptAnswer::Retry;
        default:
            break;
    }
    return NegativeAnswer(buttons);
}

PromptAnswer QtPrompt::Ask(const PromptRequest& request) {
    if (QThread::currentThread() == thread()) return AskHere(request);
    PromptAnswer answer = NegativeAnswer(request.buttons);
    QMetaObject::invokeMethod(
        this, [this, &request] { return AskHere(request); }, Qt::BlockingQueuedConnection, &answer);
    return answer;
}

PromptAnswer QtPrompt::AskHere(const PromptRequest& request) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    if (!parent) parent = fallbackParent_.data();
    const std::unique_ptr<QMessageBox> box = MakeBox(request, parent);
    if (hook_) hook_(*box);
    return AnswerOf(box->exec(), request.buttons);
}

}  // namespace wirvela
