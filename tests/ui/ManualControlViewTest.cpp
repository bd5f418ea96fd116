// The manual-control window over ManualControl on the simulated controller: a held jog
// button moves until the mouse is released, the keypad jogs while STOP has the focus, and
// the controller's end report comes back through the event pump to the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <atomic>
#include <memory>

#include "ViewTestSupport.h"
#include "app/windows/ManualControl.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkStartup.h"
#include "controller/SimulatedController.h"
#include "controller/SimulatedFtdi.h"
#include "platform/Beep.h"
#include "ui/ClickPanel.h"
#include "ui/QtEventPump.h"
#include "ui/TForm3.h"

namespace wirvela {
namespace {

void Mouse(QWidget* widget, QEvent::Type type) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Key(QWidget* widget, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::KeypadModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(widget, &event);
}

class ManualControlViewTest : public ::testing::Test {
protected:
    ManualControlViewTest()
        : ftdi(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast())),
          dispatcher(data.messages, prompt),
          model(Services()),
          view(model, data.messages, &pump) {
        SetBeepHook([this] { ++beeps; });
        model.Create(&view.Localisable());
        LinkStartup up = LinkStartup::Run(Services().link, &model.Channel(), prompt,
                                          [this](std::string_view text) { model.ShowStatus(text); });
        link = std::move(up.link);
        outcome.handshake = up.handshake;
        dispatcher.SetLink(link.get());
        model.SetLink(link.get());
    }
    ~ManualControlViewTest() override { SetBeepHook({}); }

    ManualControl::Services Services() {
        ManualControl::Services s;
        s.link.parameters = &data.parameters;
        s.link.messages = &data.messages;
        s.link.ftdi = &ftdi;
        s.link.directory = data.dir.Path();
        s.prompt = &prompt;
        s.dispatcher = &dispatcher;
        return s;
    }

    test::ShippedData data;
    test::RecordingPrompt prompt;
    SimulatedFtdi ftdi;
    ControllerDispatcher dispatcher;
    ManualControl model;
    QtEventPump pump;
    TForm3 view;
    struct {
        int handshake = -1;
    } outcome;  // what the link's start-up decided
    std::unique_ptr<ComClass> link;
    std::atomic<int> beeps{0};
};

TEST_F(ManualControlViewTest, MirrorsTheModelsControls) {
    ASSERT_EQ(outcome.handshake, STAT_OK);
    view.show();
    EXPECT_EQ(view.windowTitle(), "Manual control of the cutter");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    const ManualControl::Controls& c = model.Form();
    for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "Button7", "Button8",
                             "Button9", "Button10", "Button16", "Button24", "SpeedButton1", "SpeedButton2",
                             "SpeedButton3", "Edit1", "Edit3", "Edit4", "Edit5", "Edit6", "Edit11", "Edit14",
                             "Edit15", "ScrollBar1", "ScrollBar2", "CheckBox1", "CheckBox2", "Label23", "Label24",
                             "Label26", "Panel1", "Panel5", "Panel6", "Lerrors"})
        test::Control(view, name);
    EXPECT_EQ(test::Control<QScrollBar>(view, "ScrollBar1")->value(), c.ScrollBar1.position);
    EXPECT_EQ(test::Control<QScrollBar>(view, "ScrollBar2")->maximum(), c.ScrollBar2.max);
    EXPECT_EQ(FromQt(test::Control<QLineEdit>(view, "Edit1")->text()), c.Edit1.text);
    EXPECT_EQ(FromQt(test::Control<QLineEdit>(view, "Edit11")->text()), c.Edit11.text);
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label23")->text()), c.Label23);
    // Imperial=0 and Cone=0 in the shipped settings: no inch fields, no axis selection.
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Edit14")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Label7")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "CheckBox1")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Label26")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Edit3")));
    EXPECT_TRUE(test::Control<QCheckBox>(view, "CheckBox1")->isChecked());

    // The speed typed into its field moves the bar.
    auto* speed = test::Control<QLineEdit>(view, "Edit1");
    speed->selectAll();
    QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QCoreApplication::sendEvent(speed, &five);
    EXPECT_EQ(model.Form().ScrollBar2.position, 5);
    EXPECT_EQ(test::Control<QScrollBar>(view, "ScrollBar2")->value(), 5);
    view.close();
}

TEST_F(ManualControlViewTest, AJogButtonMovesWhileHeld) {
    ASSERT_EQ(outcome.handshake, STAT_OK);
    view.show();
    auto* right = test::Control<QPushButton>(view, "Button4");
    ASSERT_TRUE(right);
    Mouse(right, QEvent::MouseButtonPress);
    EXPECT_TRUE(model.Moving());
    EXPECT_TRUE(model.MoveRunning());
    // The start lock disables the motion buttons while the motion runs.
    EXPECT_FALSE(right->isEnabled());
    EXPECT_FALSE(test::Control<QPushButton>(view, "Button9")->isEnabled());
    EXPECT_EQ(test::Control<ClickPanel>(view, "Panel1")->Background(), QColor(Qt::red));

    Mouse(right, QEvent::MouseButtonRelease);
    EXPECT_FALSE(model.Moving());
    EXPECT_FALSE(model.MoveRunning());
    EXPECT_TRUE(right->isEnabled());
    EXPECT_EQ(test::Control<ClickPanel>(view, "Panel1")->Background(), QColor(Qt::lightGray));
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(ManualControlViewTest, AMoveBeyondTheStepCountersIsRefusedOnTheStatusLine) {
    ASSERT_EQ(outcome.handshake, STAT_OK);
    view.show();
    auto* dx = test::Control<QLineEdit>(view, "Edit4");
    dx->selectAll();
    for (const QChar ch : QStringLiteral("1e12")) {
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(dx, &typed);
    }
    ASSERT_EQ(model.Form().Edit4.text, "1e12");
    test::Control<QPushButton>(view, "Button9")->click();
    EXPECT_FALSE(model.MoveRunning());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].messageKey, 609);
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Lerrors")->text()), prompt.asked[0].text);
    view.close();
}

TEST_F(ManualControlViewTest, TheKeypadJogsWhileStopHasTheFocus) {
    ASSERT_EQ(outcome.handshake, STAT_OK);
    view.show();
    auto* stop = test::Control<QPushButton>(view, "Button16");
    ASSERT_TRUE(stop);
    Key(stop, QEvent::KeyPress, Qt::Key_6);
    EXPECT_TRUE(model.MoveRunning());
    Key(stop, QEvent::KeyRelease, Qt::Key_6, true);  // key repeat
    Key(stop, QEvent::KeyPress, Qt::Key_6, true);
    EXPECT_TRUE(model.MoveRunning());
    EXPECT_EQ(beeps.load(), 1);
    Key(stop, QEvent::KeyRelease, Qt::Key_6);
    EXPECT_FALSE(model.MoveRunning());
    EXPECT_FALSE(model.KeypadGuard());

    Key(stop, QEvent::KeyPress, Qt::Key_5);
    EXPECT_FALSE(model.MoveRunning());
}

TEST_F(ManualControlViewTest, TheEndOfAMoveComesBackThroughThePump) {
    ASSERT_EQ(outcome.handshake, STAT_OK);
    view.show();
    auto* dx = test::Control<QLineEdit>(view, "Edit4");
    ASSERT_TRUE(dx);
    dx->selectAll();
    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    QCoreApplication::sendEvent(dx, &one);
    EXPECT_EQ(model.Form().Edit4.text, "1");
    test::Control<QPushButton>(view, "Button9")->click();
    EXPECT_FALSE(test::Control<QPushButton>(view, "Button9")->isEnabled());

    ASSERT_TRUE(test::SpinUntil([&] { return !model.MoveRunning(); }));
    EXPECT_EQ(model.LastEvent(), STAT_END);
    EXPECT_TRUE(test::Control<QPushButton>(view, "Button9")->isEnabled());
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Lerrors")->text()),
              ControllerCodes::FormatCode(data.messages, STAT_END));
}

}  // namespace
}  // namespace wirvela
