// The main window's commands, their enabling and its events, driven headless on the
// example drawings with the real drawing model, the joining worker and the simulated
// controller.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "AppRig.h"
#include "app/ConnectCommand.h"
#include "app/windows/ScaleDialogModel.h"
#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Parameters.h"

namespace wirvela::test {
namespace {

using Dialog = MainWindowModel::Dialog;

std::vector<std::string> EnabledVisible(MainWindowModel& w) {
    std::vector<std::string> names;
    w.ForEachControl([&names](std::string_view name, const Control& c) {
        if (c.visible && c.enabled) names.emplace_back(name);
    });
    return names;
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Panel 1's text for figure 1 at a scale percentage, as the size report computes it.
std::string SizeText(AppRig& rig, double percent) {
    const TVert& v = rig.D().Set(TDrawing::kFigure1).V;
    const double k = rig.D().Settings().scale * percent * 0.01;
    const double w = (std::trunc(v.MaxX(false)) - std::trunc(v.MinX(false))) * k;
    const double h = (std::trunc(v.MaxY(false)) - std::trunc(v.MinY(false))) * k;
    return FormatMessage(rig.Message(2), {w, h});
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(rig.Start().exit); }
    AppRig rig;
};

TEST_F(MainWindowTest, StartsWithTheIdleCommandsOnly) {
    const std::vector<std::string> usable = EnabledVisible(rig.W());
    for (const char* name : {"SpeedButton1", "Wczytaj1", "SpeedButton5", "Sterowanierczne1", "SpeedButton12",
                             "SpeedButton13", "SpeedButton14", "Kolory1", "Materiay1", "Parametryzaawansowane1",
                             "Urzdzenia1", "Info1", "Zakocz1", "Edit2"}) {
        EXPECT_TRUE(Has(usable, name)) << name;
    }
    for (const char* name : {"SpeedButton2", "Liniacicia1", "SpeedButton4", "SpeedButton6", "Wycinanie1"}) {
        EXPECT_FALSE(rig.C(name).enabled) << name;
    }
    // The join command, the windows the program does not have, the two-figure controls
    // (Cone 0) and the debug controls (Debug 0) are not shown; Save as waits for a drawing.
    EXPECT_TRUE(rig.C("Zapiszjako1").visible);
    EXPECT_FALSE(rig.C("Zapiszjako1").enabled);
    for (const char* name : {"SpeedButton7", "Projekt1"}) EXPECT_TRUE(rig.C(name).visible) << name;
    for (const char* name :
         {"SpeedButton3", "Poczobiekty1", "SpeedButton15", "SpeedButton9", "SpeedButton10",
          "SpeedButton11", "TEoffsetX", "TEoffsetY", "Label4", "Label5", "Edit1", "Memo1", "CheckBox1", "CheckBox2",
          "CheckBox3", "Button100"}) {
        EXPECT_FALSE(rig.C(name).visible) << name;
    }
    const MainWindowModel::Controls& f = rig.W().Form();
    EXPECT_EQ(f.ScrollBar1Position, 200);
    EXPECT_FALSE(f.Timer1.enabled);
    EXPECT_FALSE(f.Timer2.enabled);
    EXPECT_FALSE(f.Timer3.enabled);
    EXPECT_EQ(f.Edit2.text, "100");
    EXPECT_NE(rig.core->Link(), nullptr);
    EXPECT_EQ(rig.core->Cutting().Link(), rig.core->Link());
}

TEST_F(MainWindowTest, LoadDisablesTheCommandsUntilTheJoiningReportsSuccess) {
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    // The connect command holds the commands while its worker runs.
    EXPECT_TRUE(rig.W().JoiningRunning());
    for (const char* name : {"SpeedButton1", "Wczytaj1", "SpeedButton14", "SpeedButton2", "SpeedButton6"}) {
        EXPECT_FALSE(rig.C(name).enabled) << name;
    }
    EXPECT_TRUE(rig.C("SpeedButton4").enabled);

    rig.W().WaitForJoining();
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded);
    for (const char* name : {"SpeedButton1", "Wczytaj1", "SpeedButton2", "Liniacicia1", "SpeedButton6", "Wycinanie1",
                             "SpeedButton14", "Zapiszjako1"}) {
        EXPECT_TRUE(rig.C(name).enabled) << name;
    }
    EXPECT_FALSE(rig.C("SpeedButton4").enabled);
    EXPECT_TRUE(rig.W().ViewReady());
    EXPECT_EQ(rig.W().Title(), Example("letters.plt").string());
    const auto& panels = rig.W().Form().Panels;
    EXPECT_EQ(panels[2], rig.Message(9) + std::to_string(rig.D().Oelems1() + 1) + "+0");
    EXPECT_GT(rig.D().Oelems1(), 0);
    EXPECT_EQ(panels[3].rfind(rig.Message(10), 0), 0u);
    EXPECT_EQ(panels[1], SizeText(rig, 100));

    // The worker's end asks for one repaint.
    ASSERT_TRUE(rig.W().Form().Timer3.enabled);
    const int presents = rig.presents;
    rig.W().OnTimer3();
    EXPECT_FALSE(rig.W().Form().Timer3.enabled);
    EXPECT_GT(rig.presents, presents);
}

TEST_F(MainWindowTest, LoadingTheSameFileTwiceGivesTheSameCounts) {
    ASSERT_EQ(rig.LoadAndJoin(Example("nested_parts.plt")), 16);
    const auto first = rig.W().Form().Panels;
    ASSERT_EQ(rig.LoadAndJoin(Example("nested_parts.plt")), 16);
    EXPECT_EQ(rig.W().Form().Panels[2], first[2]);
    EXPECT_EQ(rig.W().Form().Panels[3], first[3]);
}

TEST_F(MainWindowTest, AFileThatCannotBeReadLeavesCutAndSimulateDisabled) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    EXPECT_EQ(rig.W().LoadFile(rig.dir.Path() / "missing.plt", 1), -2);
    EXPECT_TRUE(rig.Asked(605));
    EXPECT_FALSE(rig.C("SpeedButton6").enabled);
    EXPECT_FALSE(rig.C("SpeedButton2").enabled);
    EXPECT_FALSE(rig.W().JoiningRunning());
}

// Whatever way a file reaches the window (command line, drop, dialog: all through the
// open command), one that gives no drawing is named in a box with the reason.
struct UnloadableCase {
    const char* name;
    const char* file;
    int message;
    const char* reason;
};

class MainWindowUnloadable : public testing::TestWithParam<UnloadableCase> {};

TEST_P(MainWindowUnloadable, TheBoxNamesTheFileAndWhy) {
    const UnloadableCase& c = GetParam();
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    const std::filesystem::path file = rig.dir.Path() / c.file;
    if (std::string(c.name) == "Folder") std::filesystem::create_directory(file);
    if (std::string(c.name) == "TooLarge") {
        std::ofstream(file).put('0');
        std::filesystem::resize_file(file, (256u << 20) + 1);  // sparse: nothing is written
    }
    if (std::string(c.name) == "NoLine") rig.dir.Write(c.file, "IN;PU10,10;");
    rig.onOpen = [&file](const MainWindowModel::OpenDialogRequest& r) {
        return std::optional<MainWindowModel::OpenDialogResult>({file, r.filterIndex});
    };
    rig.asked.clear();
    rig.W().Open();
    ASSERT_EQ(rig.asked.size(), 1u);
    const PromptRequest& box = rig.asked[0];
    EXPECT_EQ(box.messageKey, c.message);
    EXPECT_NE(box.text.find(file.string()), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(c.reason), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, rig.Message(1));
    EXPECT_FALSE(rig.C("SpeedButton6").enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowUnloadable,
                         testing::Values(UnloadableCase{"NotFound", "missing.plt", 605, "(not found)"},
                                         UnloadableCase{"DxfNotFound", "missing.dxf", 605, "(not found)"},
                                         UnloadableCase{"Folder", "folder.plt", 605, "(a folder, not a file)"},
                                         UnloadableCase{"TooLarge", "huge.dxf", 605, "(larger than 256 MiB)"},
                                         UnloadableCase{"NoLine", "blank.plt", 606, "holds no line"}),
                         [](const testing::TestParamInfo<UnloadableCase>& info) { return info.param.name; });

// The object lines of letters.plt as a complete first joining leaves them.
int ObjectLinesOfLetters() {
    AppRig other;
    EXPECT_FALSE(other.Start().exit);
    other.LoadAndJoin(Example("letters.plt"));
    const TLines& lines = other.D().Set(TDrawing::kFigure1).L;
    int n = 0;
    for (int i = 0; i < lines.Count(); ++i) n += lines[i].kind == 1 ? 1 : 0;
    return n;
}

TEST_F(MainWindowTest, StopDuringJoiningRemovesTheConnectingLinesAndReEnablesJoin) {
    const int objectLines = ObjectLinesOfLetters();
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    // Message 17 goes out once the objects are joined and the entry line added. The
    // worker waits while the message is handled, so asking it to stop right there catches
    // it between the joining and the end of its run, however fast the rest goes.
    MainWindowModel& w = rig.W();
    bool joined = false;
    rig.onChanged = [&] {
        if (joined || w.Form().Panels[0] != rig.Message(17)) return;
        joined = true;
        w.Connect().RequestStop();
    };
    while (w.JoiningRunning() && !joined) w.Channel().WaitAndProcess(5);
    rig.onChanged = nullptr;
    ASSERT_TRUE(joined);

    w.Stop();
    EXPECT_FALSE(w.JoiningRunning());
    EXPECT_EQ(rig.ConnectingLines(TDrawing::kFigure1), 0);
    EXPECT_EQ(rig.D().Set(TDrawing::kFigure1).L.Count(), objectLines);
    EXPECT_EQ(rig.D().Set(TDrawing::kFigure1).cutPath, nullptr);
    EXPECT_TRUE(rig.C("SpeedButton3").enabled);
    EXPECT_TRUE(rig.C("Poczobiekty1").enabled);
    EXPECT_TRUE(rig.C("SpeedButton1").enabled);
    EXPECT_TRUE(rig.C("SpeedButton14").enabled);
    EXPECT_FALSE(rig.C("SpeedButton4").enabled);
    EXPECT_FALSE(rig.C("SpeedButton6").enabled);
    EXPECT_FALSE(rig.C("SpeedButton2").enabled);
    EXPECT_TRUE(rig.Asked(23));
    EXPECT_EQ(w.Form().Panels[0], " " + rig.Message(23));

    // Join again, from the hidden join command: a complete run.
    w.Join();
    w.WaitForJoining();
    EXPECT_EQ(w.Connect().Report().state, kConnectSucceeded);
    EXPECT_TRUE(rig.C("SpeedButton6").enabled);
}

TEST_F(MainWindowTest, StopRightAfterTheLoadEndsTheWorkerBeforeItJoins) {
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    rig.W().Stop();
    EXPECT_FALSE(rig.W().JoiningRunning());
    EXPECT_TRUE(rig.W().Connect().Report().stopped);
    EXPECT_EQ(rig.ConnectingLines(TDrawing::kFigure1), 0);
    // A stopped run posts no end: no repaint is pending.
    rig.core->ProcessEvents();
    EXPECT_FALSE(rig.W().Form().Timer3.enabled);
}

TEST_F(MainWindowTest, StopWithNothingRunningKeepsTheJoinedDrawing) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const int connecting = rig.ConnectingLines(TDrawing::kFigure1);
    ASSERT_GT(connecting, 0);
    ASSERT_FALSE(rig.C("SpeedButton4").enabled);
    rig.W().Stop();
    EXPECT_EQ(rig.ConnectingLines(TDrawing::kFigure1), connecting);
    EXPECT_TRUE(rig.C("SpeedButton6").enabled);
    EXPECT_FALSE(rig.Asked(23));
}

TEST_F(MainWindowTest, ClearRestoresTheIdleCommandsAndPanels) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.W().Edit2Changed("50");
    rig.W().Clear();
    for (const char* name : {"SpeedButton2", "Liniacicia1", "SpeedButton4", "SpeedButton6", "Wycinanie1", "Zapiszjako1",
                             "SpeedButton9", "SpeedButton10", "SpeedButton11", "SpeedButton8"}) {
        EXPECT_FALSE(rig.C(name).enabled) << name;
    }
    EXPECT_TRUE(rig.C("SpeedButton1").enabled);
    const MainWindowModel::Controls& f = rig.W().Form();
    EXPECT_EQ(f.Edit2.text, "100");
    EXPECT_EQ(rig.W().ScalePercent(), 100);
    EXPECT_EQ(f.Panels[1], "");
    EXPECT_EQ(f.Panels[2], rig.Message(9) + "0+0");
    EXPECT_EQ(f.Panels[3], rig.Message(10) + "0+0");
    EXPECT_EQ(rig.W().Title(), rig.Message(12));
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        EXPECT_EQ(rig.D().Set(s).L.Count(), 0);
        EXPECT_EQ(rig.D().Set(s).V.Count(), 0);
        EXPECT_EQ(rig.D().Set(s).oelems, -1);
        EXPECT_EQ(rig.D().Set(s).cutPath, nullptr);
    }
    EXPECT_EQ(rig.D().Figure(), TDrawing::kFigure1);
    EXPECT_EQ(rig.W().PenMask(), 0);
}

TEST_F(MainWindowTest, ScaleEditScalesTheSizeReport) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const std::string full = rig.W().Form().Panels[1];
    ASSERT_EQ(full, SizeText(rig, 100));
    rig.W().Edit2Changed("50");
    EXPECT_EQ(rig.W().ScalePercent(), 50);
    EXPECT_EQ(rig.W().Form().Panels[1], SizeText(rig, 50));
    EXPECT_NE(rig.W().Form().Panels[1], full);
    rig.W().Edit2Changed("50,5");
    EXPECT_DOUBLE_EQ(rig.W().ScalePercent(), 50.5);
    EXPECT_EQ(rig.W().Form().Panels[1], SizeText(rig, 50.5));
    EXPECT_EQ(rig.W().Form().Edit2.text, "50,5");
    // The cutting window reads the same percentage.
    EXPECT_DOUBLE_EQ(rig.W().WindowState().scalePercent, 50.5);
}

TEST_F(MainWindowTest, ScaleEditOnAnEmptyDrawingEmptiesThePanel) {
    rig.W().Edit2Changed("abc");
    EXPECT_EQ(rig.W().ScalePercent(), 0);
    EXPECT_EQ(rig.W().Form().Panels[1], "");
}

TEST_F(MainWindowTest, FileOpenExtIsStoredOnlyWhenTheFilterChanges) {
    TParameters& p = rig.core->Parameters();
    // Cancelled: nothing stored, nothing loaded.
    rig.W().Open();
    ASSERT_EQ(rig.openRequests.size(), 1u);
    EXPECT_EQ(rig.openRequests[0].filterIndex, 1);
    EXPECT_EQ(rig.openRequests[0].fileName, "");
    EXPECT_EQ(rig.openRequests[0].defaultExtension, "*.plt");
    EXPECT_EQ(p.GetText("LastParameters", "FileOpenExt", ""), "1");
    EXPECT_FALSE(rig.W().JoiningRunning());

    // The same filter: loaded, not stored.
    rig.onOpen = [](const MainWindowModel::OpenDialogRequest&) {
        return MainWindowModel::OpenDialogResult{Example("letters.plt"), 1};
    };
    rig.W().Open();
    rig.W().WaitForJoining();
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded);
    EXPECT_EQ(p.GetText("LastParameters", "FileOpenExt", ""), "1");

    // Another filter: stored as a decimal number and offered the next time.
    rig.onOpen = [](const MainWindowModel::OpenDialogRequest&) {
        return MainWindowModel::OpenDialogResult{Example("nested_parts.plt"), 2};
    };
    rig.W().Open();
    rig.W().WaitForJoining();
    EXPECT_EQ(p.GetText("LastParameters", "FileOpenExt", ""), "2");
    rig.onOpen = nullptr;
    rig.W().Open();
    EXPECT_EQ(rig.openRequests.back().filterIndex, 2);
}

TEST_F(MainWindowTest, TwoFigureCommandsDoNothingWithoutConeMode) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.W().OpenFigure2();
    EXPECT_EQ(rig.openRequests.size(), 0u);
    rig.W().ScaledFigure2();
    EXPECT_TRUE(rig.shown.empty());
    EXPECT_EQ(rig.D().Figure(), TDrawing::kFigure1);
}

TEST_F(MainWindowTest, SimulationPlaysToItsEndAndGivesTheCommandsBack) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.W().ScrollBar1Changed(499);
    rig.W().Simulate();
    ASSERT_TRUE(rig.W().SimulationRunning());
    EXPECT_TRUE(rig.C("SpeedButton4").enabled);
    EXPECT_FALSE(rig.C("SpeedButton1").enabled);
    EXPECT_FALSE(rig.C("SpeedButton2").enabled);
    for (int tick = 0; tick < 100000 && rig.W().SimulationRunning(); ++tick) rig.W().OnTimer1();
    ASSERT_FALSE(rig.W().SimulationRunning());
    EXPECT_EQ(rig.W().Form().Panels[0], rig.Message(22));
    EXPECT_TRUE(rig.C("SpeedButton1").enabled);
    EXPECT_TRUE(rig.C("SpeedButton2").enabled);
    EXPECT_FALSE(rig.C("SpeedButton4").enabled);
    EXPECT_GT(
        rig.bitmap.Count(static_cast<std::int32_t>(rig.core->Parameters().GetNumber("kolory", "linia_2_ciecia", 0))),
        0);
}

TEST_F(MainWindowTest, StopDuringTheSimulationClearsThePassMarks) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const int lines = rig.D().Set(TDrawing::kFigure1).L.Count();
    rig.W().ScrollBar1Changed(450);
    rig.W().Simulate();
    for (int tick = 0; tick < 5; ++tick) rig.W().OnTimer1();
    ASSERT_TRUE(rig.W().SimulationRunning());
    rig.W().Stop();
    EXPECT_FALSE(rig.W().SimulationRunning());
    EXPECT_FALSE(rig.W().Form().Timer1.enabled);
    EXPECT_EQ(rig.D().Set(TDrawing::kFigure1).simLines, nullptr);
    const TLines& l = rig.D().Set(TDrawing::kFigure1).L;
    ASSERT_EQ(l.Count(), lines);  // a stopped simulation keeps the joined drawing
    for (int i = 0; i < l.Count(); ++i) EXPECT_EQ(l[i].display & 0xF0, 0) << i;
    for (const char* name : {"SpeedButton1", "SpeedButton2", "Liniacicia1", "Wczytaj1", "SpeedButton14"}) {
        EXPECT_TRUE(rig.C(name).enabled) << name;
    }
    EXPECT_FALSE(rig.C("SpeedButton4").enabled);
    EXPECT_TRUE(rig.Asked(23));
    EXPECT_NE(rig.D().Set(TDrawing::kFigure1).cutPath, nullptr);
}

TEST_F(MainWindowTest, ShowObjectMarksTheLinesOfOneObject) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    TLines& lines = rig.D().Set(TDrawing::kFigure1).L;
    lines.Edit(0).display = 0x25;
    rig.W().Edit1Changed("1");
    rig.W().ShowObject();
    int marked = 0;
    for (int i = 0; i < lines.Count(); ++i) {
        const int expected = (i == 0 ? 0x05 : 0) | (lines[i].obj == 1 ? 0x10 : 0);
        EXPECT_EQ(lines[i].display, expected) << i;
        marked += lines[i].obj == 1 ? 1 : 0;
    }
    EXPECT_GT(marked, 0);
}

struct PanelEvent {
    int code;
    int panel;
};

class PanelEventTest : public MainWindowTest, public ::testing::WithParamInterface<PanelEvent> {};

TEST_P(PanelEventTest, TextEventsFillTheirPanel) {
    const std::string text = "panel text";
    std::thread worker(
        [this, &text] { rig.W().Channel().Send(GetParam().code, reinterpret_cast<std::intptr_t>(text.c_str())); });
    while (rig.W().Form().Panels[static_cast<std::size_t>(GetParam().panel)] != text)
        rig.W().Channel().WaitAndProcess(5);
    worker.join();
    EXPECT_FALSE(rig.W().Form().Timer2.enabled);
}

INSTANTIATE_TEST_SUITE_P(Codes, PanelEventTest,
                         ::testing::Values(PanelEvent{2004, 0}, PanelEvent{2005, 1}, PanelEvent{2006, 2},
                                           PanelEvent{2007, 3}, PanelEvent{2008, 4}));

TEST_F(MainWindowTest, StatusTextsDisappearWithTimer2) {
    const std::string text = "joined";
    rig.W().HandleEvent(2009, reinterpret_cast<std::intptr_t>(text.c_str()));
    const MainWindowModel::Controls& f = rig.W().Form();
    EXPECT_EQ(f.Panels[0], " joined");
    EXPECT_TRUE(f.Timer2.enabled);
    EXPECT_EQ(f.Timer2.interval, 5000);
    const unsigned starts = f.Timer2.starts;
    rig.W().ShowStatus("again");
    EXPECT_EQ(f.Timer2.starts, starts + 1);  // each text starts the five seconds again
    rig.W().OnTimer2();
    EXPECT_EQ(f.Panels[0], "");
    EXPECT_FALSE(f.Timer2.enabled);
}

TEST_F(MainWindowTest, WorkerQuestionsAreAskedOnTheWindowThread) {
    std::thread::id askedOn;
    rig.answer = [&askedOn](const PromptRequest&) {
        askedOn = std::this_thread::get_id();
        return PromptAnswer::No;
    };
    std::atomic<bool> done{false};
    PromptAnswer answer = PromptAnswer::Ok;
    std::thread worker([&] {
        PromptRequest r;
        r.text = "continue?";
        r.buttons = PromptButtons::YesNo;
        answer = rig.W().WorkerPrompt().Ask(r);
        done = true;
    });
    while (!done) rig.W().Channel().WaitAndProcess(5);
    worker.join();
    EXPECT_EQ(askedOn, std::this_thread::get_id());
    EXPECT_EQ(answer, PromptAnswer::No);
}

TEST_F(MainWindowTest, LogLinesOfOtherThreadsReachTheMemoOnTheWindowThread) {
    std::thread worker([this] { rig.W().AppendMemoLine("from the worker"); });
    worker.join();
    EXPECT_TRUE(rig.W().Form().Memo1Lines.empty() ||
                rig.W().Form().Memo1Lines.back() != "from the worker");  // not before the window handles it
    rig.core->ProcessEvents();
    ASSERT_FALSE(rig.W().Form().Memo1Lines.empty());
    EXPECT_EQ(rig.W().Form().Memo1Lines.back(), "from the worker");
}

TEST_F(MainWindowTest, AResizeAfterTheCloseCommandDoesNotFitTheView) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const TZoom identity;
    rig.W().View().SetZoom(identity);
    rig.W().SetClosing();
    rig.W().Resized(640, 480);
    EXPECT_EQ(rig.W().View().Zoom().ToScreen(1000, 1000).x, identity.ToScreen(1000, 1000).x);
    EXPECT_EQ(rig.W().View().AreaWidth(), 640);
}

TEST_F(MainWindowTest, AResizeFitsTheViewToTheDrawing) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const TZoom identity;
    rig.W().View().SetZoom(identity);
    rig.W().Resized(640, 480);
    EXPECT_NE(rig.W().View().Zoom().ToScreen(1000, 1000).x, identity.ToScreen(1000, 1000).x);
}

TEST_F(MainWindowTest, ExitCancelsTheControllerAndAsksTheProgramToEnd) {
    rig.W().Exit();
    EXPECT_TRUE(rig.W().Closing());
    ASSERT_TRUE(rig.core->ExitRequested().has_value());
    EXPECT_EQ(*rig.core->ExitRequested(), 0);
}

TEST_F(MainWindowTest, WindowsOpenThroughTheView) {
    rig.onModal = [](Dialog) { return true; };
    const int presents = rig.presents;
    rig.W().Colours();
    EXPECT_GT(rig.presents, presents);  // OK of the colours dialog repaints
    rig.W().Materials();
    rig.W().ManualControl();
    rig.W().Cut();
    rig.W().Info();
    EXPECT_EQ(rig.shown, (std::vector<Dialog>{Dialog::Colours, Dialog::Materials, Dialog::ManualControl,
                                              Dialog::Cutting, Dialog::About}));
}

TEST_F(MainWindowTest, FirstActivationShowsTheSplashOnce) {
    EXPECT_TRUE(rig.W().FirstActivation());
    EXPECT_FALSE(rig.W().FirstActivation());
    EXPECT_EQ(rig.shown, std::vector<Dialog>{Dialog::Splash});
    EXPECT_EQ(rig.W().SplashMs(), 4000);
    EXPECT_FALSE(rig.W().DebugControls());
}

TEST(MainWindowDebugTest, FirstActivationShowsTheDebugControlsWhenDebugIsSet) {
    AppRig rig(IniValues{{"Debug", "1"}});
    ASSERT_FALSE(rig.Start().exit);
    EXPECT_FALSE(rig.C("Memo1").visible);
    rig.W().FirstActivation();
    for (const char* name : {"Edit1", "Memo1", "CheckBox1", "CheckBox2", "CheckBox3", "Button100"}) {
        EXPECT_TRUE(rig.C(name).visible) << name;
    }
    EXPECT_TRUE(rig.C("CheckBox1").checked);
    EXPECT_TRUE(rig.C("CheckBox2").checked);
    EXPECT_FALSE(rig.C("CheckBox3").checked);
}

// ---- two-figure mode -----------------------------------------------------------------

class TwoFigureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(rig.Start().exit); }
    AppRig rig{IniValues{{"Cone", "1"}}};
};

TEST_F(TwoFigureTest, ConeShowsTheTwoFigureControls) {
    for (const char* name :
         {"SpeedButton9", "SpeedButton10", "SpeedButton11", "TEoffsetX", "TEoffsetY", "Label4", "Label5"}) {
        EXPECT_TRUE(rig.C(name).visible) << name;
    }
    EXPECT_EQ(rig.C("TEoffsetX").text, "0");
}

TEST_F(TwoFigureTest, ScaledFigure2AtFullScaleCopiesFigure1WithZeroOffsets) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    ASSERT_TRUE(rig.C("SpeedButton10").enabled);
    rig.onModal = [this](Dialog d) {
        if (d != Dialog::Scale) return false;
        rig.core->Scale().SetEdit1("100");
        return rig.core->Scale().ClickButton("Button5") == ModalResult::Ok;
    };
    rig.W().ScaledFigure2();
    EXPECT_EQ(rig.C("TEoffsetX").text, "0.00");
    EXPECT_EQ(rig.C("TEoffsetY").text, "0.00");
    const TDrawingSet& f1 = rig.D().Set(TDrawing::kFigure1);
    const TDrawingSet& f2 = rig.D().Set(TDrawing::kFigure2);
    ASSERT_EQ(f2.V.Count(), f1.V.Count());
    ASSERT_EQ(f2.L.Count(), f1.L.Count());
    for (int i = 0; i < f1.V.Count(); ++i) {
        EXPECT_EQ(f2.V[i].x, f1.V[i].x) << i;
        EXPECT_EQ(f2.V[i].y, f1.V[i].y) << i;
    }
    EXPECT_EQ(f2.oelems, f1.oelems);
    EXPECT_FALSE(rig.C("SpeedButton2").enabled);
    EXPECT_TRUE(rig.C("SpeedButton11").enabled);
    EXPECT_EQ(rig.D().Figure(), TDrawing::kFigure1);

    // Remove figure 2 empties it again and gives simulate back.
    rig.W().RemoveFigure2();
    EXPECT_EQ(rig.D().Set(TDrawing::kFigure2).V.Count(), 0);
    EXPECT_EQ(rig.D().Set(TDrawing::kFigure2).cutPath, nullptr);
    EXPECT_TRUE(rig.C("SpeedButton2").enabled);
    EXPECT_FALSE(rig.C("SpeedButton11").enabled);
    EXPECT_EQ(rig.C("TEoffsetX").text, "0");
    EXPECT_EQ(rig.W().Form().Panels[2], rig.Message(9) + std::to_string(rig.D().Oelems1() + 1) + "+0");
}

TEST_F(TwoFigureTest, OffsetsPlaceBothEntryVertices) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.onModal = [this](Dialog) {
        return rig.core->Scale().ClickButton("Button7") == ModalResult::Ok;
    };
    rig.W().ScaledFigure2();
    rig.W().OffsetXChanged("10");
    rig.W().OffsetYChanged("-5,5");
    rig.W().OffsetEnter();
    const TVert& v1 = rig.D().Set(TDrawing::kFigure1).V;
    const TVert& v2 = rig.D().Set(TDrawing::kFigure2).V;
    const double scale = rig.D().Settings().scale;
    const double ox = std::trunc(10 / scale);
    const double oy = std::trunc(-5.5 / scale);
    const VertexRecord& e1 = v1[v1.Count() - 1];
    const VertexRecord& e2 = v2[v2.Count() - 1];
    EXPECT_DOUBLE_EQ(e1.x, std::min(v1.MinX(false), v2.MinX(false) + ox));
    EXPECT_DOUBLE_EQ(e1.y, std::min(v1.MinY(false), v2.MinY(false) + oy));
    EXPECT_DOUBLE_EQ(e2.x, e1.x - ox);
    EXPECT_DOUBLE_EQ(e2.y, e1.y - oy);
}

TEST_F(TwoFigureTest, OpenFigure2LoadsIntoFigure2) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    ASSERT_TRUE(rig.C("SpeedButton9").enabled);
    rig.onOpen = [](const MainWindowModel::OpenDialogRequest&) {
        return MainWindowModel::OpenDialogResult{Example("nested_parts.plt"), 1};
    };
    rig.W().OpenFigure2();
    rig.W().WaitForJoining();
    EXPECT_GT(rig.D().Set(TDrawing::kFigure2).V.Count(), 0);
    EXPECT_NE(rig.D().Set(TDrawing::kFigure2).cutPath, nullptr);
    EXPECT_TRUE(rig.C("SpeedButton11").enabled);  // the joining succeeded on figure 2
}

TEST(AdvancedParametersTest, EditorChangesTakeEffectWhenItCloses) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    ComClass* before = rig.core->Link();
    ASSERT_NE(before, nullptr);
    rig.onModal = [&rig](Dialog d) {
        if (d != Dialog::ParameterEditor) return false;
        TParameters& p = rig.core->Parameters();
        p.SetText("Ploter", "Cone", "1");
        p.SetText("Ploter", "Debug", "1");
        p.SetText("Ploter", "WejscieX", "12");
        p.SetText("Ploter", "SkalaHPGL", "0.05");
        p.SetText("RSparam", "COM", "COM7");
        return true;
    };
    rig.W().AdvancedParameters();
    EXPECT_TRUE(rig.W().TwoFigureMode());
    EXPECT_TRUE(rig.C("SpeedButton9").visible);
    EXPECT_TRUE(rig.W().DebugControls());
    EXPECT_TRUE(rig.C("Memo1").visible);
    EXPECT_EQ(rig.D().Settings().entryX, 12);
    EXPECT_EQ(rig.D().Settings().scale, 0.05);
    // A new COM setting re-creates the link; every window has the new one.
    ASSERT_NE(rig.core->Link(), nullptr);
    EXPECT_EQ(rig.core->Cutting().Link(), rig.core->Link());
}

TEST(AdvancedParametersTest, DrawingSettingsChangeOnlyOnceTheJoiningHasEnded) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    ASSERT_TRUE(rig.W().JoiningRunning());  // the worker waits for the window to take its first event
    rig.onModal = [&rig](Dialog) {
        rig.core->Parameters().SetText("Ploter", "SkalaHPGL", "0.05");
        rig.core->Parameters().SetText("Ploter", "WejscieY", "3");
        return true;
    };
    rig.W().AdvancedParameters();
    EXPECT_EQ(rig.D().Settings().scale, 0.025);
    EXPECT_EQ(rig.D().Settings().entryY, 0);
    rig.W().WaitForJoining();
    EXPECT_EQ(rig.D().Settings().scale, 0.05);
    EXPECT_EQ(rig.D().Settings().entryY, 3);
}

}  // namespace
}  // namespace wirvela::test
