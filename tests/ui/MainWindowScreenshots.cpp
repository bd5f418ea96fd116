// Pictures of the program for the documentation, made on the offscreen platform: the main
// window with a joined example drawing, the cutting window during a cut on the simulated
// controller, the manual-control window, the multiplication and the bent moulding
// dialogs, and the rotary project window cutting the example project. Runs only when
// WIRVELA_SCREENSHOTS names the directory to write main-window.png, cutting.png,
// manual-control.png, multiplication.png, moulding.png and rotary-project.png into:
//
//   WIRVELA_SCREENSHOTS=docs/screenshots test_ui --gtest_filter='MainWindowScreenshots.*'
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "MainWindowProgram.h"
#include "app/windows/CuttingJob.h"
#include "app/windows/ManualControl.h"
#include "app/windows/MultiplicationModel.h"
#include "app/windows/RotaryProjectModel.h"
#include "controller/SimulatedController.h"
#include "ui/TForm13.h"
#include "ui/TForm3.h"
#include "ui/TForm4.h"
#include "ui/TForm8.h"
#include "ui/TForm9.h"

namespace wirvela {
namespace {

using test::Example;
using test::Program;

QString ScreenshotDirectory() {
    return qEnvironmentVariable("WIRVELA_SCREENSHOTS");
}

void Save(QWidget& window, const QString& directory, const char* name) {
    const QString file = QDir(directory).filePath(QString::fromLatin1(name));
    EXPECT_TRUE(window.grab().save(file, "PNG")) << file.toStdString();
}

TEST(MainWindowScreenshots, MainCuttingAndManualControlWindows) {
    const QString directory = ScreenshotDirectory();
    if (directory.isEmpty()) GTEST_SKIP() << "WIRVELA_SCREENSHOTS is not set";
    ASSERT_TRUE(QDir().mkpath(directory));

    Program p;
    ASSERT_TRUE(p.Start(Example("letters.plt")));
    p.window->resize(1180, 720);
    ASSERT_TRUE(p.Joined());
    // The resize fits the view again; its repaint follows at once.
    ASSERT_TRUE(test::SpinUntil([&p] { return p.Model().View().AreaWidth() == p.window->DrawingArea()->width(); }));
    Save(*p.window, directory, "main-window.png");

    // The cutting window while the controller runs the program: the run stands still at
    // 20 simulated seconds until it is released.
    p.sim->SetRunLimit(20000);
    {
        TForm4 cutting(p.core->Cutting(), p.core->Messages(), nullptr, p.window.get());
        QObject::connect(&p.pump, &QtEventPump::Handled, &cutting, &TForm4::Refresh);
        cutting.show();
        auto* start = test::Control<QPushButton>(cutting, "Button2");
        ASSERT_TRUE(start && start->isEnabled());
        start->click();
        ASSERT_TRUE(p.sim->WaitForSimTime(20000, 30000));
        ASSERT_TRUE(test::SpinUntil([&cutting] { return cutting.isVisible(); }));
        cutting.Refresh();
        Save(cutting, directory, "cutting.png");
        p.sim->SetRunLimit(-1);
        ASSERT_TRUE(test::SpinUntil([&cutting] { return !cutting.isVisible(); }));
    }

    {
        TForm3 manual(p.core->ManualControlWindow(), p.core->Messages(), nullptr, p.window.get());
        manual.show();
        ASSERT_TRUE(test::SpinUntil([&manual] { return manual.isVisible(); }));
        Save(manual, directory, "manual-control.png");
        manual.close();
    }

    {
        TForm9 multiplication(p.core->Multiplication(), p.window.get());
        multiplication.show();
        ASSERT_TRUE(test::SpinUntil([&multiplication] { return multiplication.isVisible(); }));
        Save(multiplication, directory, "multiplication.png");
        multiplication.reject();
    }
}

// The bent moulding dialog with its computed N and L (the defaults: 8 segments).
TEST(MainWindowScreenshots, BentMouldingDialog) {
    const QString directory = ScreenshotDirectory();
    if (directory.isEmpty()) GTEST_SKIP() << "WIRVELA_SCREENSHOTS is not set";
    ASSERT_TRUE(QDir().mkpath(directory));

    Program p;
    ASSERT_TRUE(p.Start());
    TForm13 moulding(p.core->Moulding(), p.window.get());
    moulding.show();
    ASSERT_TRUE(test::SpinUntil([&moulding] { return moulding.isVisible(); }));
    test::Control<QPushButton>(moulding, "Button1")->click();
    Save(moulding, directory, "moulding.png");
    moulding.reject();
}

// The rotary project window with the example project open, its third profile previewed,
// while the controller cuts the first profile.
TEST(MainWindowScreenshots, RotaryProjectWindow) {
    const QString directory = ScreenshotDirectory();
    if (directory.isEmpty()) GTEST_SKIP() << "WIRVELA_SCREENSHOTS is not set";
    ASSERT_TRUE(QDir().mkpath(directory));

    Program p;
    ASSERT_TRUE(p.Start());
    TForm8 rotary(p.core->RotaryProject(), p.core->Messages(), p.window.get());
    QObject::connect(&p.pump, &QtEventPump::Handled, &rotary, &TForm8::Refresh);
    rotary.SetFileDialog([](const char*, const RotaryProjectModel::FileRequest&) {
        return std::optional<RotaryProjectModel::FileChoice>({Example("rotary/vase.hpr"), 1});
    });
    rotary.show();
    ASSERT_TRUE(test::SpinUntil([&rotary] { return rotary.isVisible(); }));
    test::Control<QAbstractButton>(rotary, "SpeedButton1")->click();
    p.sim->SetRunLimit(5000);
    test::Control<QAbstractButton>(rotary, "SpeedButton3")->click();
    ASSERT_TRUE(p.sim->WaitForSimTime(5000, 30000));
    p.core->RotaryProject().MovePreviewBar(3);
    rotary.Refresh();
    Save(rotary, directory, "rotary-project.png");
    p.sim->SetRunLimit(-1);
    ASSERT_TRUE(test::SpinUntil([&rotary] { return !rotary.isVisible(); }));
}

}  // namespace
}  // namespace wirvela
