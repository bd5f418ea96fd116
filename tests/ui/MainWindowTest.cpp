// The program end to end through its main window: the application core on a copy of the
// shipped data in a scratch directory, the simulated controller, the Qt views on the
// offscreen platform. The operator's road: the start-up splash, an example drawing opened
// and joined, the immediate simulation painted, a cut run to its end, the window closed
// with the settings written back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "MainWindowProgram.h"
#include "app/windows/CuttingJob.h"
#include "controller/ControllerCodes.h"
#include "drawing/Drawing.h"
#include "ui/QtCanvas.h"
#include "ui/TForm9.h"

namespace wirvela {
namespace {

using test::CountColour;
using test::Example;
using test::IniValues;
using test::KeyOf;
using test::Lines;
using test::Program;

QRgb SettingColour(Program& p, const char* key) {
    return QtCanvas::ToQColor(static_cast<std::int32_t>(p.core->Parameters().GetNumber("kolory", key, 0))).rgb();
}

// ---- the main road -----------------------------------------------------------------------

TEST(MainWindowEndToEnd, OpenSimulateCutAndCloseOnTheSimulatedController) {
    Program p;
    ASSERT_TRUE(p.Start(Example("letters.plt")));
    TForm1& window = *p.window;
    EXPECT_EQ(window.windowTitle(), ToQt(p.Model().Title()));
    EXPECT_TRUE(test::MissingTexts(window).empty());

    // The FILE argument is opened after the splash and joined.
    ASSERT_TRUE(p.Joined());
    const TDrawing& drawing = p.core->Drawing();
    const TDrawingSet& figure1 = drawing.Set(TDrawing::kFigure1);
    ASSERT_GT(figure1.L.Count(), 0);
    ASSERT_NE(figure1.cutPath, nullptr);
    for (int i = 0; i < MainWindowModel::kPanelCount; ++i)
        EXPECT_EQ(p.Panel(i), p.Model().Form().Panels[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(p.Panel(2).rfind(p.Message(9), 0), 0u) << p.Panel(2);
    EXPECT_NE(p.Panel(2).find(std::to_string(figure1.oelems + 1)), std::string::npos) << p.Panel(2);
    EXPECT_EQ(p.Panel(3).rfind(p.Message(10), 0), 0u) << p.Panel(3);
    EXPECT_NE(p.Panel(3).find(std::to_string(figure1.L.Count())), std::string::npos) << p.Panel(3);
    EXPECT_FALSE(p.Panel(1).empty());

    // The joined drawing enables simulate and cut; stop is idle; the absent windows'
    // commands are hidden.
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton5", "SpeedButton6", "SpeedButton14",
                             "Wczytaj1", "Liniacicia1", "Wycinanie1", "Sterowanierczne1"})
        EXPECT_TRUE(p.Enabled(name)) << name;
    EXPECT_FALSE(p.Enabled("SpeedButton4"));
    for (const char* name : {"SpeedButton3", "SpeedButton9", "SpeedButton15", "Memo1"})
        EXPECT_FALSE(p.Shown(name)) << name;
    EXPECT_TRUE(p.Shown("SpeedButton6"));
    EXPECT_TRUE(p.Shown("SpeedButton7"));
    EXPECT_EQ(FromQt(p.Control<QToolButton>("SpeedButton6")->toolTip()), p.Model().Form().SpeedButton6.hint);

    // The view shows the joined drawing, not yet any pass colour.
    const QRgb firstPass = SettingColour(p, "linia_1_ciecia");
    const QRgb secondPass = SettingColour(p, "linia_2_ciecia");
    const QRgb objects = SettingColour(p, "obiekty");
    const QImage joined = p.Picture();
    EXPECT_GT(CountColour(joined, objects), 100);
    EXPECT_EQ(CountColour(joined, firstPass), 0);

    // The immediate simulation: the speed bar at its right end, then simulate.
    auto* speed = p.Control<QScrollBar>("ScrollBar1");
    ASSERT_TRUE(speed);
    speed->setValue(speed->maximum());
    EXPECT_EQ(p.Model().Form().ScrollBar1Position, MainWindowModel::kSpeedMax);
    p.Control<QToolButton>("SpeedButton2")->click();
    ASSERT_TRUE(test::SpinUntil([&] { return !p.Model().SimulationRunning() && p.Enabled("SpeedButton6"); }));
    const QImage simulated = p.Picture();
    // Every line of the path is run once (first pass), the connecting lines twice.
    EXPECT_GT(CountColour(simulated, firstPass), 100);
    EXPECT_GT(CountColour(simulated, secondPass), 10);

    // The cut: the cutting window opens modally; Start; the controller runs the program
    // to its end and the window closes by itself.
    std::vector<int> reports;
    p.core->Cutting().SetEventObserver([&reports](int code) { reports.push_back(code); });
    bool started = false;
    bool gaveUp = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* cutting = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (started || cutting == nullptr || cutting->objectName() != "Form4") return;
        auto* start = cutting->findChild<QPushButton*>("Button2");
        if (start == nullptr || !start->isEnabled()) return;
        started = true;
        start->click();
    });
    driver.start(10);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        gaveUp = true;
        if (QDialog* open = window.OpenDialog()) open->reject();
    });
    watchdog.start(120000);
    const double wearBefore = p.core->Parameters().GetNumber("Ploter", "CzasDrutu", 0);
    p.Control<QToolButton>("SpeedButton6")->click();  // returns when the cutting window has closed
    driver.stop();
    watchdog.stop();
    p.core->Cutting().SetEventObserver({});
    ASSERT_FALSE(gaveUp) << "the cut did not end";
    EXPECT_TRUE(started);
    EXPECT_NE(std::find(reports.begin(), reports.end(), STAT_END), reports.end());
    EXPECT_EQ(window.OpenDialog(), nullptr);
    EXPECT_FALSE(p.core->Cutting().Visible());
    const SimSnapshot run = p.sim->Snapshot();
    EXPECT_EQ(run.runs, 1u);
    EXPECT_EQ(run.state, SimState::Idle);
    EXPECT_GT(run.elapsedMs, 0);
    EXPECT_GT(p.core->Parameters().GetNumber("Ploter", "CzasDrutu", 0), wearBefore);
    // With the shipped settings the main road asks the operator nothing.
    EXPECT_TRUE(p.boxes.empty()) << p.boxes.front();

    // Closing the window shuts the program down and writes wirvela.ini back: the wear
    // counters, the speed bar, the cutting window's V2 bar (kept within its limits) and
    // the versions may change, nothing else.
    window.close();
    EXPECT_TRUE(window.ShutDown());
    EXPECT_EQ(p.core->SaveError(), "");
    const std::vector<std::string> before = Lines(p.originalIni);
    const std::vector<std::string> after = Lines(p.dir.Read("wirvela.ini"));
    ASSERT_EQ(after.size(), before.size());
    std::set<std::string> changed;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        EXPECT_EQ(KeyOf(before[i]), KeyOf(after[i])) << i;
        changed.insert(KeyOf(after[i]));
    }
    const std::set<std::string> allowed{"CzasDrutu",       "DlugDrutu",       "DefaultSimulationSpeed",
                                        "SOFTWAREversion", "FIRMWAREversion", "DefaultV2"};
    for (const std::string& key : changed) EXPECT_TRUE(allowed.count(key)) << key;
    EXPECT_TRUE(changed.count("CzasDrutu"));
    EXPECT_TRUE(changed.count("DlugDrutu"));
    EXPECT_NE(std::find(after.begin(), after.end(), "DefaultSimulationSpeed=500"), after.end());
}

// ---- the window around the drawing ---------------------------------------------------------

// Sends a key press and release as the keyboard would (shortcuts included) to the widget
// with the keyboard focus.
void Key(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QWidget* released = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(released, &release);
}

// The window gets the keyboard (again, after a dialog) with `widget` focused.
bool Focus(QWidget& window, QWidget* widget) {
    window.activateWindow();
    if (!test::SpinUntil([&window] { return window.isActiveWindow(); })) return false;
    widget->setFocus(Qt::OtherFocusReason);
    return QApplication::focusWidget() == widget;
}

TEST(MainWindowEndToEnd, TheMainRoadWorksFromTheKeyboard) {
    Program p;
    ASSERT_TRUE(p.Start());
    TForm1& window = *p.window;

    // Ctrl+O: the open dialog; the operator picks the DXF filter and a drawing.
    const std::filesystem::path drawing = Example("mounting_plate.dxf");
    int dialogs = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (++dialogs > 500) {  // the dialog refuses the file: fail instead of hanging
            dialog->reject();
            return;
        }
        const QStringList filters = dialog->nameFilters();
        ASSERT_GE(filters.size(), 2);
        dialog->selectNameFilter(filters[1]);
        dialog->selectFile(QString::fromStdString(drawing.string()));
        // Typed into the name field too: selecting a file in the list depends on the file
        // system model having read the directory.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QString::fromStdString(drawing.string()));
        static_cast<QDialog*>(dialog)->accept();  // public in QDialog; the file dialog's own check runs
    });
    driver.start(10);
    ASSERT_TRUE(Focus(window, p.Control<QWidget>("SpeedButton1")));
    Key(window, Qt::Key_O, Qt::ControlModifier);
    driver.stop();
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(p.Joined());
    EXPECT_GT(p.core->Drawing().Set(TDrawing::kFigure1).L.Count(), 0);
    // The filter chosen is remembered for the next time.
    EXPECT_EQ(p.core->Parameters().GetText("LastParameters", "FileOpenExt", ""), "2");

    // Tab from the open button reaches simulate (the hidden buttons are skipped); Space
    // starts the animated simulation.
    ASSERT_TRUE(Focus(window, p.Control<QWidget>("SpeedButton1")));
    Key(window, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), p.Control<QWidget>("SpeedButton2"));
    Key(window, Qt::Key_Space);
    ASSERT_TRUE(p.Model().SimulationRunning());
    ASSERT_TRUE(p.Enabled("SpeedButton4"));

    // Tab on to stop (the disabled buttons are skipped), and Space: the simulation ends
    // with its message.
    QWidget* stop = p.Control<QWidget>("SpeedButton4");
    for (int tabs = 0; tabs < 40 && QApplication::focusWidget() != stop; ++tabs) Key(window, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), stop);
    Key(window, Qt::Key_Space);
    EXPECT_FALSE(p.Model().SimulationRunning());
    EXPECT_FALSE(p.Enabled("SpeedButton4"));
    EXPECT_NE(std::find(p.boxes.begin(), p.boxes.end(), p.Message(23)), p.boxes.end());
}

// Ctrl+S: the save dialog takes a job name; the project and the drawing's copy beside it
// open again as the drawing that was saved.
// Ctrl+S with the save dialog answered by `chosen`; the number of dialogs shown.
int SaveAsByKey(Program& p, const std::filesystem::path& chosen) {
    int dialogs = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        ++dialogs;
        EXPECT_EQ(dialog->objectName(), QStringLiteral("SaveDialog1"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(QString::fromStdString(chosen.string()));
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QString::fromStdString(chosen.string()));
        static_cast<QDialog*>(dialog)->accept();
    });
    driver.start(10);
    EXPECT_TRUE(Focus(*p.window, p.Control<QWidget>("SpeedButton1")));
    Key(*p.window, Qt::Key_S, Qt::ControlModifier);
    driver.stop();
    return dialogs;
}

TEST(MainWindowEndToEnd, SaveAsWritesAProjectThatOpensAgain) {
    Program p;
    const std::filesystem::path drawing = p.dir.Path() / "part.plt";
    std::filesystem::copy_file(Example("letters.plt"), drawing);
    std::filesystem::create_directory(p.dir.Path() / "jobs");
    ASSERT_TRUE(p.Start(drawing));
    ASSERT_TRUE(p.Joined());
    ASSERT_TRUE(p.Shown("Zapiszjako1"));
    ASSERT_TRUE(p.Enabled("Zapiszjako1"));
    TForm1& window = *p.window;

    EXPECT_EQ(SaveAsByKey(p, p.dir.Path() / "jobs" / "job"), 1);
    const std::filesystem::path project = p.dir.Path() / "jobs" / "job.con";
    EXPECT_EQ(test::ReadFile(project), "[CON_design]\nFile1=job.plt\n");
    EXPECT_EQ(test::ReadFile(p.dir.Path() / "jobs" / "job.plt"), test::ReadFile(drawing));

    window.OpenFile(project);
    ASSERT_TRUE(p.Joined());
    EXPECT_EQ(p.Model().Title(), (p.dir.Path() / "jobs" / "job.plt").string());
    EXPECT_TRUE(p.Enabled("SpeedButton6"));
}

// Grid copies made in the multiplication dialog are saved with the project, and opening
// it repeats them after the joining: the operator finds the block as it was saved.
TEST(MainWindowEndToEnd, AMultipliedDrawingSavedAsAProjectOpensMultiplied) {
    Program p;
    ASSERT_TRUE(p.Start(Example("letters.plt")));
    ASSERT_TRUE(p.Joined());
    const int sourceLines = p.core->Drawing().L().Count() - 1;  // without the entry line

    TForm9 dialog(p.core->Multiplication(), p.window.get());
    dialog.show();
    for (const auto& [name, text] : {std::pair{"Edit1", "2"}, std::pair{"Edit2", "3"}}) {
        auto* field = test::Control<QLineEdit>(dialog, name);
        field->selectAll();
        test::Type(field, text);
    }
    test::Control<QPushButton>(dialog, "Button1")->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    p.Model().AfterMultiplication();  // what the main window does after the dialog's OK
    ASSERT_TRUE(p.Joined());
    ASSERT_EQ(p.core->Drawing().Oelems(), 5);

    EXPECT_EQ(SaveAsByKey(p, p.dir.Path() / "job"), 1);
    const std::string saved = test::ReadFile(p.dir.Path() / "job.con");
    EXPECT_NE(saved.find("ObjV=2"), std::string::npos) << saved;
    EXPECT_NE(saved.find("ObjH=3"), std::string::npos) << saved;

    p.Model().Clear();
    p.window->OpenFile(p.dir.Path() / "job.con");
    ASSERT_TRUE(test::SpinUntil([&p] {
        return p.Model().WindowState().pendingMultiplication == 0 && p.core->Drawing().Oelems() == 5;
    }));
    ASSERT_TRUE(p.Joined());
    EXPECT_EQ(p.core->Drawing().Oelems(), 5) << "the source and five copies";
    EXPECT_GE(p.core->Drawing().L().Count(), 6 * sourceLines);
    EXPECT_TRUE(p.Enabled("SpeedButton6"));
}

TEST(MainWindowEndToEnd, ADroppedDrawingIsOpenedAndOtherFilesAreRefused) {
    Program p;
    ASSERT_TRUE(p.Start());
    const auto drop = [&p](const std::filesystem::path& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        const QPoint at(200, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.window.get(), &dropped);
        return true;
    };
    EXPECT_FALSE(drop(p.dir.Path() / "wirvela.ini"));
    ASSERT_TRUE(drop(Example("nested_parts.plt")));
    ASSERT_TRUE(test::SpinUntil([&p] { return p.core->Drawing().Set(TDrawing::kFigure1).L.Count() > 0; }));
    ASSERT_TRUE(p.Joined());
    EXPECT_TRUE(p.Enabled("SpeedButton6"));
    EXPECT_NE(p.core->Drawing().Set(TDrawing::kFigure1).cutPath, nullptr);
}

// The largest example (20,000 lines of lettering, 1,042 strokes) joins while the window
// keeps showing how far the measuring of distances has come.
TEST(MainWindowEndToEnd, TheLargestExampleJoinsWhileItsProgressIsShown) {
    Program p;
    std::vector<int> shown;  // the percentages panel 0 showed, in order
    // Queued, so the label is read after the window has refreshed from the model.
    QObject::connect(
        &p.pump, &QtEventPump::Handled, &p.pump,
        [&] {
            if (!p.window) return;
            const std::string& format = p.Message(194);
            const std::string measuring = format.substr(0, format.find('%'));
            const std::string text = p.Panel(0);
            if (text.rfind(measuring, 0) != 0) return;
            const int percent = std::stoi(text.substr(measuring.size()));
            if (shown.empty() || shown.back() != percent) shown.push_back(percent);
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(p.Start(Example("large_lettering.plt")));
    ASSERT_TRUE(p.Joined());
    const TDrawingSet& figure1 = p.core->Drawing().Set(TDrawing::kFigure1);
    EXPECT_GT(figure1.L.Count(), 20000);
    ASSERT_NE(figure1.cutPath, nullptr);
    EXPECT_TRUE(p.Enabled("SpeedButton6"));

    // The window shows what it has when it gets to it: the worker waits for each percentage
    // to be taken, but the next text may already have replaced one by the time the label
    // is read, so only the rise is certain, not every step.
    ASSERT_GE(shown.size(), 2u) << "the progress did not move on the screen";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    for (const int percent : shown) EXPECT_TRUE(percent >= 0 && percent <= 100 && percent % 5 == 0) << percent;
}

TEST(MainWindowEndToEnd, DebugModeShowsTheLogMemoBesideASmallerBitmap) {
    Program p(IniValues{{"Debug", "1"}, {"DebugMemo", "1"}});
    ASSERT_TRUE(p.Start(Example("letters.plt")));
    ASSERT_TRUE(p.Joined());
    for (const char* name : {"Memo1", "Edit1", "Button100", "CheckBox1", "CheckBox2", "CheckBox3"})
        EXPECT_TRUE(p.Shown(name)) << name;
    QWidget* area = p.window->DrawingArea();
    ASSERT_TRUE(test::SpinUntil([&] { return area->width() + TForm1::kMemoWidth <= p.window->width(); }));
    // The bitmap follows the area, and the view was fitted to it.
    const DrawingView& view = p.Model().View();
    EXPECT_EQ(view.AreaWidth(), area->width());
    EXPECT_EQ(view.AreaHeight(), area->height());
    auto* memo = p.Control<QPlainTextEdit>("Memo1");
    ASSERT_TRUE(test::SpinUntil([&] { return memo->document()->blockCount() > 5; }));
    EXPECT_TRUE(memo->toPlainText().contains(QStringLiteral("Rysuj()")));
}

}  // namespace
}  // namespace wirvela
