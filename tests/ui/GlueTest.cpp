// The Qt glue: event channels drained on the GUI thread, message boxes asked from worker
// threads, the canvas on a QImage, control binding and localisation by object name.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include "config/Messages.h"
#include "platform/EventChannel.h"
#include "ViewTestSupport.h"
#include "support/TempDir.h"
#include "ui/ControlBinding.h"
#include "ui/QtCanvas.h"
#include "ui/QtEventPump.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/QtPrompt.h"
#include "ui/QtStopSignals.h"

namespace wirvela {
namespace {

using test::SpinUntil;

// ---- QtEventPump ------------------------------------------------------------------------

struct PumpCase {
    const char* name;
    bool notifier;  // the channel was built with the pump's notifier (else it is polled)
};

class EventPumpTest : public ::testing::TestWithParam<PumpCase> {
protected:
    std::unique_ptr<EventChannel> MakeChannel(EventChannel::Handler handler) {
        return GetParam().notifier ? std::make_unique<EventChannel>(std::move(handler), pump.Notifier())
                                   : std::make_unique<EventChannel>(std::move(handler));
    }
    QtEventPump pump;
};

TEST_P(EventPumpTest, SendFromAWorkerIsHandledOnTheGuiThreadAndReturnsTheResult) {
    const auto gui = std::this_thread::get_id();
    std::vector<std::thread::id> handlers;
    auto channel = MakeChannel([&](int code, std::intptr_t arg) {
        handlers.push_back(std::this_thread::get_id());
        return static_cast<std::intptr_t>(code) + arg;
    });
    pump.Watch(*channel);
    int handledSignals = 0;
    QObject::connect(&pump, &QtEventPump::Handled, [&] { ++handledSignals; });

    std::atomic<std::intptr_t> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = channel->Send(2009, 5);
        done = true;
    });
    const bool finished = SpinUntil([&] { return done.load(); });
    worker.join();
    pump.Unwatch(*channel);

    ASSERT_TRUE(finished);
    EXPECT_EQ(result.load(), 2014);
    ASSERT_EQ(handlers.size(), 1u);
    EXPECT_EQ(handlers[0], gui);
    EXPECT_GE(handledSignals, 1);
}

TEST_P(EventPumpTest, PostedEventsAreHandledInOrder) {
    std::vector<int> codes;
    auto channel = MakeChannel([&](int code, std::intptr_t) {
        codes.push_back(code);
        return 0;
    });
    pump.Watch(*channel);
    std::thread worker([&] {
        for (int code = 2001; code <= 2008; ++code) channel->Post(code);
    });
    worker.join();
    EXPECT_TRUE(SpinUntil([&] { return codes.size() == 8; }));
    pump.Unwatch(*channel);
    EXPECT_EQ(codes, (std::vector<int>{2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008}));
}

INSTANTIATE_TEST_SUITE_P(Channels, EventPumpTest,
                         ::testing::Values(PumpCase{"Notified", true}, PumpCase{"Polled", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// SIGTERM and SIGHUP end the event loop with 128 + the signal, so the program's orderly
// shut-down after the loop runs instead of the process dying on the spot.
TEST(QtStopSignals, AStopSignalEndsTheEventLoopWithItsCode) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        const QtStopSignals stopSignals;
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QTimer lost;  // a lost signal fails the test, never hangs it
        lost.setSingleShot(true);
        QObject::connect(&lost, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        lost.start(5000);
        EXPECT_EQ(QCoreApplication::exec(), 128 + signal);
    }
}

TEST(EventPump, AnUnwatchedChannelKeepsItsEventsQueued) {
    QtEventPump pump;
    int handled = 0;
    EventChannel channel([&](int, std::intptr_t) { return ++handled; }, pump.Notifier());
    pump.Watch(channel);
    pump.Unwatch(channel);
    channel.Post(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(pump.Drain(), 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(channel.ProcessPending(), 1);
}

TEST(EventPump, ANotifierOutlivingThePumpDoesNothing) {
    std::function<void()> notifier;
    {
        QtEventPump pump;
        notifier = pump.Notifier();
    }
    std::thread worker([&] { notifier(); });
    worker.join();
    QCoreApplication::processEvents();
}

// ---- QtPrompt ---------------------------------------------------------------------------

TEST(QtPromptThreads, AQuestionFromAWorkerIsAskedOnTheGuiThread) {
    QtPrompt prompt;
    std::thread::id boxThread;
    QString title, text;
    prompt.SetBoxHook([&](QMessageBox& box) {
        boxThread = std::this_thread::get_id();
        title = box.windowTitle();
        text = box.text();
        QAbstractButton* no = box.button(QMessageBox::No);
        QTimer::singleShot(0, no, [no] { no->click(); });
    });
    std::atomic<bool> done{false};
    PromptAnswer answer = PromptAnswer::Ok;
    std::thread worker([&] {
        PromptRequest request;
        request.text = "Cut anyway?\nThe wire is worn.";
        request.caption = "Wire wear";
        request.icon = PromptIcon::Warning;
        request.buttons = PromptButtons::YesNo;
        answer = prompt.Ask(request);
        done = true;
    });
    const bool finished = SpinUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(answer, PromptAnswer::No);
    EXPECT_EQ(boxThread, std::this_thread::get_id());
    EXPECT_EQ(title, "Wire wear");
    EXPECT_EQ(text, "Cut anyway?\nThe wire is worn.");
}

TEST(QtPromptThreads, AQuestionOnTheGuiThreadIsAnsweredByTheBox) {
    QtPrompt prompt;
    prompt.SetBoxHook([](QMessageBox& box) {
        QAbstractButton* retry = box.button(QMessageBox::Retry);
        QTimer::singleShot(0, retry, [retry] { retry->click(); });
    });
    PromptRequest request;
    request.text = "Again?";
    request.buttons = PromptButtons::RetryCancel;
    EXPECT_EQ(prompt.Ask(request), PromptAnswer::Retry);
}

struct BoxCase {
    const char* name;
    PromptButtons buttons;
    QMessageBox::StandardButtons shown;
    PromptAnswer onEscape;
};

class QtPromptBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(QtPromptBoxTest, ShowsTheButtonsAndEscapeGivesTheNegativeAnswer) {
    const BoxCase& c = GetParam();
    PromptRequest request;
    request.text = "<b>not markup</b>";
    request.caption = "Caption";
    request.icon = PromptIcon::Error;
    request.buttons = c.buttons;
    const auto box = QtPrompt::MakeBox(request, nullptr);
    EXPECT_EQ(box->standardButtons(), c.shown);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    ASSERT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(QtPrompt::AnswerOf(box->standardButton(box->escapeButton()), c.buttons), c.onEscape);
    // The affirmative answer of each set is its default button.
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(QtPrompt::AnswerOf(box->standardButton(box->defaultButton()), c.buttons),
              AffirmativeAnswer(c.buttons));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, QtPromptBoxTest,
    ::testing::Values(BoxCase{"Ok", PromptButtons::Ok, QMessageBox::Ok, PromptAnswer::Ok},
                      BoxCase{"OkCancel", PromptButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel,
                              PromptAnswer::Cancel},
                      BoxCase{"YesNo", PromptButtons::YesNo, QMessageBox::Yes | QMessageBox::No, PromptAnswer::No},
                      BoxCase{"YesNoCancel", PromptButtons::YesNoCancel,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, PromptAnswer::Cancel},
                      BoxCase{"RetryCancel", PromptButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel,
                              PromptAnswer::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPromptAnswers, AButtonOutsideTheSetGivesTheNegativeAnswer) {
    EXPECT_EQ(QtPrompt::AnswerOf(QMessageBox::Yes, PromptButtons::OkCancel), PromptAnswer::Cancel);
    EXPECT_EQ(QtPrompt::AnswerOf(QMessageBox::NoButton, PromptButtons::YesNo), PromptAnswer::No);
    EXPECT_EQ(QtPrompt::AnswerOf(QMessageBox::Cancel, PromptButtons::Ok), PromptAnswer::Ok);
}

// ---- QtCanvas ---------------------------------------------------------------------------

TEST(QtCanvasDrawing, LinesIncludeBothEndsInThePlatformColour) {
    QtCanvas canvas(QSize(20, 10));
    canvas.Fill(0x00FF0000);  // blue
    canvas.SetPenColor(0x000000FF);  // red
    canvas.Line({2, 3}, {12, 3});
    canvas.Line({5, 0}, {5, 9});
    const QImage& image = canvas.Image();
    EXPECT_EQ(image.pixelColor(2, 3), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(12, 3), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(5, 9), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(13, 3), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(1, 3), QColor(0, 0, 255));
    // Drawing goes on after the picture was taken.
    canvas.SetPenColor(0x0000FF00);
    canvas.Line({0, 8}, {0, 8});
    EXPECT_EQ(canvas.Image().pixelColor(0, 8), QColor(0, 255, 0));
}

TEST(QtCanvasDrawing, ColoursConvertBothWays) {
    EXPECT_EQ(QtCanvas::ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(QtCanvas::FromQColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
    EXPECT_EQ(QtCanvas::FromQColor(QtCanvas::ToQColor(16777215)), 16777215);
}

TEST(QtCanvasDrawing, AnEmptyCanvasIgnoresDrawingAndResizeStartsBlack) {
    QtCanvas canvas;
    canvas.Line({0, 0}, {5, 5});
    canvas.Fill(0xFFFFFF);
    EXPECT_TRUE(canvas.Image().isNull());
    canvas.Resize(QSize(4, 4));
    EXPECT_EQ(canvas.Image().pixelColor(3, 3), QColor(0, 0, 0));
    canvas.SetPenColor(0xFFFFFF);
    canvas.Line({-10, -10}, {100, 100});  // clipped, not a fault
    EXPECT_EQ(canvas.Image().pixelColor(2, 2), QColor(255, 255, 255));
}

TEST(QtCanvasDrawing, CirclesAndTextDrawInTheirColours) {
    QtCanvas canvas(QSize(40, 30));
    EXPECT_EQ(canvas.Width(), 40);
    EXPECT_EQ(canvas.Height(), 30);
    canvas.SetPenColor(0x0000FF00);  // green outline
    canvas.FillCircle({10, 10}, 3, 0x000000FF);
    canvas.Circle({30, 10}, 4);
    canvas.Text({2, 18}, "12", 0x00FFFFFF);
    const QImage& image = canvas.Image();
    // The filled circle: centre and the pixels at its radius, nothing beyond.
    for (const QPoint p : {QPoint(10, 10), QPoint(13, 10), QPoint(7, 10), QPoint(10, 13), QPoint(10, 7)})
        EXPECT_EQ(image.pixelColor(p), QColor(255, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixelColor(15, 10), QColor(0, 0, 0));
    // The outline in the pen colour, hollow.
    EXPECT_EQ(image.pixelColor(34, 10), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(30, 10), QColor(0, 0, 0));
    // The text: lit pixels below and right of its corner (smoothed, so not all pure white).
    int lit = 0;
    for (int y = 18; y < 30; ++y)
        for (int x = 2; x < 20; ++x) lit += image.pixelColor(x, y).lightness() > 100;
    EXPECT_GT(lit, 5);
    EXPECT_EQ(image.pixelColor(1, 17), QColor(0, 0, 0));
}

// ---- binding and localisation -----------------------------------------------------------

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() {
        auto* layout = new QVBoxLayout(&window);
        for (const char* name : {"Button1", "Button2"}) {
            auto* b = new QPushButton(QStringLiteral("design"), &window);
            b->setObjectName(name);
            layout->addWidget(b);
        }
        label = new QLabel(QStringLiteral("design"), &window);
        label->setObjectName("Label1");
        group = new QGroupBox(QStringLiteral("design"), &window);
        group->setObjectName("GroupBox1");
        edit = new QLineEdit(&window);
        edit->setObjectName("Edit1");
        menu = new QMenu(QStringLiteral("design"), &window);
        menu->setObjectName("Plik1");
        action = menu->addAction(QStringLiteral("design"));
        action->setObjectName("Wczytaj1");
        layout->addWidget(label);
        layout->addWidget(group);
        layout->addWidget(edit);
    }
    QWidget window;
    QLabel* label;
    QGroupBox* group;
    QLineEdit* edit;
    QMenu* menu;
    QAction* action;
};

struct ModelButton {  // as the models keep their buttons
    bool Enabled = true;
    bool Visible = true;
};
struct ModelControl {  // as the main window's model keeps every control
    bool visible = true;
    bool enabled = true;
    std::string caption;
    std::string hint;
    std::string text;
    bool checked = false;
};

TEST_F(WindowFixture, ApplyControlMirrorsAModelRecordByName) {
    EXPECT_TRUE(ApplyControl(window, "Button2", ModelButton{false, false}));
    auto* button2 = window.findChild<QPushButton*>("Button2");
    EXPECT_FALSE(button2->isEnabled());
    EXPECT_FALSE(ShownInWindow(*button2));
    EXPECT_TRUE(ShownInWindow(*window.findChild<QPushButton*>("Button1")));

    EXPECT_TRUE(ApplyControl(window, "Wczytaj1", ModelControl{true, false, "Open...", "", "", false}));
    EXPECT_FALSE(action->isEnabled());
    EXPECT_EQ(action->text(), "Open...");
    EXPECT_TRUE(ApplyControl(window, "Plik1", ModelControl{false, true, "File", "", "", false}));
    EXPECT_FALSE(ShownInWindow(*menu));
    EXPECT_EQ(menu->title(), "File");

    struct Field {
        std::string Text;
    };
    EXPECT_TRUE(ApplyControl(window, "Edit1", Field{"12,5"}));
    EXPECT_EQ(edit->text(), "12,5");
    // A caption is not overwritten by the empty text member, nor an edit by the caption.
    EXPECT_TRUE(ApplyControl(window, "Label1", ModelControl{true, true, "Speed", "Wire speed", "", false}));
    EXPECT_EQ(label->text(), "Speed");
    EXPECT_EQ(label->toolTip(), "Wire speed");
    EXPECT_TRUE(ApplyControl(window, "Edit1", ModelControl{true, true, "", "", "100", false}));
    EXPECT_EQ(edit->text(), "100");
    EXPECT_FALSE(ApplyControl(window, "Button99", ModelButton{}));

    ApplyControl(window, "Button2", ModelButton{true, true});
    EXPECT_TRUE(ShownInWindow(*button2));
    EXPECT_TRUE(EnabledInWindow(*button2));
}

TEST_F(WindowFixture, LocaliseWidgetSetsTitleCaptionsHintsAndFilters) {
    test::TempDir dir;
    dir.Write("local.txt",
              "[Present]\nPresent=1\n[Main]\nCharsetCode=238\n"
              "[Form9]\nCaption=Window title\nButton1.c=&Start\nLabel1.c=Speed [cm/min]\n"
              "GroupBox1.c=Rotary\nPlik1.c=&File\nWczytaj1.c=&Open...\nButton2.h=Stops the cut\n"
              "OpenDialog1.f=HP-GL drawing|*.plt|DXF drawing|*.dxf;*.DXF\n");
    TMessages messages;
    ASSERT_TRUE(messages.CheckLocalFile(dir.Path()));
    QtLocalisableWindow adapter(window, "Form9");
    const LocalisedControl controls[] = {
        {"Button1", LocalisedText::Caption},  {"Label1", LocalisedText::Caption},
        {"GroupBox1", LocalisedText::Caption}, {"Plik1", LocalisedText::Caption},
        {"Wczytaj1", LocalisedText::Caption}, {"Button2", LocalisedText::Hint},
        {"OpenDialog1", LocalisedText::Filter}, {"Edit1", LocalisedText::Hint},
    };
    messages.LocaliseForm(adapter, controls);

    EXPECT_EQ(window.windowTitle(), "Window title");
    EXPECT_EQ(window.findChild<QPushButton*>("Button1")->text(), "&Start");
    EXPECT_EQ(label->text(), "Speed [cm/min]");
    EXPECT_EQ(group->title(), "Rotary");
    EXPECT_EQ(menu->title(), "&File");
    EXPECT_EQ(action->text(), "&Open...");
    EXPECT_EQ(window.findChild<QPushButton*>("Button2")->toolTip(), "Stops the cut");
    // A key missing from the section shows the placeholder text.
    EXPECT_EQ(edit->toolTip(), "Text ?!");
    EXPECT_EQ(adapter.Charset(), 238);
    EXPECT_EQ(adapter.Filter("OpenDialog1"), "HP-GL drawing|*.plt|DXF drawing|*.dxf;*.DXF");
    EXPECT_EQ(QtFileFilter(adapter.Filter("OpenDialog1")), "HP-GL drawing (*.plt);;DXF drawing (*.dxf *.DXF)");
}

TEST_F(WindowFixture, WithoutLocalTxtTheDesignTextsStay) {
    test::TempDir dir;
    TMessages messages;
    ASSERT_FALSE(messages.CheckLocalFile(dir.Path()));
    const LocalisedControl controls[] = {{"Button1", LocalisedText::Caption}};
    LocaliseWidget(messages, window, "Form9", controls);
    EXPECT_EQ(window.findChild<QPushButton*>("Button1")->text(), "design");
}

TEST(FileFilter, DropsDescriptionsWithoutPatterns) {
    EXPECT_EQ(QtFileFilter("Drawings|*.plt;*.dxf|Broken|"), "Drawings (*.plt *.dxf)");
    EXPECT_EQ(QtFileFilter("only text"), "");
    EXPECT_EQ(QtFileFilter(""), "");
}

}  // namespace
}  // namespace wirvela
