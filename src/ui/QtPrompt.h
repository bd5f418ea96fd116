#pragma once
// The operator's message boxes: the Prompt of the core answered with QMessageBox. Asked on
// the GUI thread, the box is shown at once (modal to the active window); asked on another
// thread, the question is handed to the GUI thread and the asking thread waits for the
// answer. So the GUI thread must never wait for a worker that may ask something.
#include <QObject>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <memory>

#include "config/Prompt.h"

class QWidget;

namespace wirvela {

class QtPrompt final : public QObject, public Prompt {
    Q_OBJECT
public:
    // Create on the GUI thread. `fallbackParent` is the boxes' parent when no window of the
    // program is active.
    explicit QtPrompt(QWidget* fallbackParent = nullptr);

    PromptAnswer Ask(const PromptRequest& request) override;

    // Called with each box on the GUI thread just before it is shown (tests answer it).
    void SetBoxHook(std::function<void(QMessageBox&)> hook) { hook_ = std::move(hook); }

    // The box of a request: text (plain, line feeds kept), caption, icon and buttons; the
    // Escape key gives the negative answer (Cancel, or No without Cancel).
    static std::unique_ptr<QMessageBox> MakeBox(const PromptRequest& request, QWidget* parent);
    // The answer of a pressed button; a button outside the set gives the negative answer.
    static PromptAnswer AnswerOf(int button, PromptButtons buttons);

private:
    PromptAnswer AskHere(const PromptRequest& request);

    QPointer<QWidget> fallbackParent_;
    std::function<void(QMessageBox&)> hook_;
};

}  // namespace wirvela
