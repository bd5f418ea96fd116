#pragma once
// What the view tests share: the shipped wirvela.ini and local.txt in a scratch directory,
// loaded as the program loads them; a prompt that records and answers; looking up the
// controls of a window by name; running the GUI loop until something has happened.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "support/TempDir.h"
#include "ui/ControlBinding.h"

namespace wirvela::test {

class ShippedData {
public:
    ShippedData() {
        for (const char* name : {"wirvela.ini", "local.txt"})
            std::filesystem::copy_file(ShippedDataDir() / name, dir.Path() / name);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        messages.CheckLocalFile(dir.Path());
        messages.LoadMessages();
    }

    TempDir dir;
    TParameters parameters;
    TMessages messages;
};

// Answers every question affirmatively (or with `answer` for Yes/No questions) and keeps it.
class RecordingPrompt : public Prompt {
public:
    PromptAnswer Ask(const PromptRequest& request) override {
        asked.push_back(request);
        if (request.buttons == PromptButtons::YesNo) return answer;
        return AffirmativeAnswer(request.buttons);
    }
    std::vector<PromptRequest> asked;
    PromptAnswer answer = PromptAnswer::Yes;
};

// Runs the GUI loop until `done` holds; gives up after a generous limit so that a fault
// fails the test instead of hanging it.
template <class Done>
bool SpinUntil(Done done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    check.start(1);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

// The control named `name` of a window, cast to its widget type; fails the test when
// there is none.
template <class W = QObject>
W* Control(const QWidget& window, const char* name) {
    QObject* object = FindControl(window, name);
    EXPECT_NE(object, nullptr) << "no control " << name;
    W* widget = qobject_cast<W*>(object);
    EXPECT_NE(widget, nullptr) << name << " is not of the expected kind";
    return widget;
}

// Types `text` into `widget` one key press per character, as the keyboard would.
inline void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
    }
}

// Every window text, caption and tool tip of a localised window: none may be the
// placeholder of a key missing from local.txt.
inline std::vector<std::string> MissingTexts(const QWidget& window) {
    std::vector<std::string> missing;
    const QString placeholder = QString::fromLatin1(TMessages::kMissingWindowText);
    if (window.windowTitle() == placeholder) missing.push_back("Caption");
    for (const QObject* child : window.findChildren<QObject*>()) {
        for (const char* property : {"text", "title", "toolTip"}) {
            if (child->property(property).toString() == placeholder)
                missing.push_back(FromQt(child->objectName()) + "." + property);
        }
    }
    return missing;
}

}  // namespace wirvela::test
