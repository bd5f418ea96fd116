// The main window's view: Zoom All and its flag, the menu, wheel and drag, the mouse
// readout and Rysuj's mutex handling.
#include "view/DrawingView.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "PaintFixture.h"
#include "config/MessageFormat.h"

namespace wirvela {
namespace {

using namespace test;

constexpr std::int32_t kMarker = 77;

class DrawingViewTest : public PaintFixture {
protected:
    void SetUp() override {
        PaintFixture::SetUp();
        // Figure 1's box: 0 … 200 × 0 … 100.
        AddLine(TDrawing::kFigure1, 0, 0, 200, 0);
        AddLine(TDrawing::kFigure1, 200, 0, 200, 100);
    }

    DrawingView& View(RecursiveTimedMutex* mutex) {
        DrawingViewServices s;
        s.drawing = &drawing;
        s.parameters = &parameters;
        s.messages = &messages;
        s.log = &log;
        s.drawingMutex = mutex;
        s.bitmap = &canvas;
        s.status = [this](int panel, std::string_view text) { status.emplace_back(panel, text); };
        s.present = [this] { ++presented; };
        s.simulationRunning = [this] { return simulating; };
        s.inputs = [this] { return inputs; };
        view = std::make_unique<DrawingView>(s);
        view->SetArea(800, 800);
        return *view;
    }
    DrawingView& View() { return View(&mutex); }

    // A view fitted to figure 1 (k = 0.25: 4 pixels per unit).
    DrawingView& FittedView() {
        DrawingView& v = View();
        v.SetViewReady(true);
        v.ZoomAll();
        return v;
    }

    RecursiveTimedMutex mutex;
    std::unique_ptr<DrawingView> view;
    int presented = 0;
    bool simulating = false;
};

TEST_F(DrawingViewTest, ZoomAllWaitsForTheViewReadyFlag) {
    DrawingView& v = View();
    v.ZoomAll();
    EXPECT_EQ(v.Zoom().Matrix().m[0][0], 1.0);
    EXPECT_EQ(presented, 0);
    v.SetViewReady(true);
    v.ZoomAll();
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][0], 4.0);
    EXPECT_EQ(v.Zoom().ToScreen(0, 0).y, 600);
    EXPECT_EQ(presented, 1);
    EXPECT_TRUE(v.ViewReady());
}

TEST_F(DrawingViewTest, ZoomAllTakesFigureTwoAtItsOffset) {
    AddLine(TDrawing::kFigure2, 0, 0, 100, 300);
    inputs.offsetXmm = 50;   // 100 units
    inputs.offsetYmm = -10;  // -20 units
    DrawingView& v = View();
    v.SetViewReady(true);
    v.ZoomAll();
    TZoom expected;
    expected.FitView(800, 800, 0, -20, 200, 280);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[r][c], expected.Matrix().m[r][c]);
}

TEST_F(DrawingViewTest, ResizeFitsUnlessTheWindowIsClosing) {
    DrawingView& v = FittedView();
    v.Resize(400, 400, true);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][0], 4.0);
    EXPECT_EQ(v.AreaWidth(), 400);
    v.Resize(400, 400, false);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][0], 2.0);
}

TEST_F(DrawingViewTest, FitToBoxSetsTheFlagWithoutRepainting) {
    DrawingView& v = View();
    v.FitToBox(0, 0, 200, 100);
    EXPECT_TRUE(v.ViewReady());
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][0], 4.0);
    EXPECT_EQ(presented, 0);
}

TEST_F(DrawingViewTest, WheelScalesByTenPercentPerStepAboutTheMouse) {
    DrawingView& v = FittedView();
    const Point2d under = v.Zoom().ToDrawing(120, 330);
    for (int i = 0; i < 3; ++i) v.Wheel(true, 120, 330);
    EXPECT_NEAR(v.Zoom().Matrix().m[0][0], 4.0 * 1.1 * 1.1 * 1.1, 1e-12);
    const Point2d still = v.Zoom().ToDrawing(120, 330);
    EXPECT_NEAR(still.x, under.x, 1e-9);
    EXPECT_NEAR(still.y, under.y, 1e-9);
    for (int i = 0; i < 3; ++i) v.Wheel(false, 120, 330);
    EXPECT_NEAR(v.Zoom().Matrix().m[0][0], 4.0, 1e-12);
    EXPECT_NEAR(v.Zoom().Matrix().m[1][2], 600.0, 1e-9);
}

struct MenuCase {
    const char* name;
    DrawingView::ZoomCommand command;
    double factor;
};

class DrawingViewMenuTest : public DrawingViewTest, public testing::WithParamInterface<MenuCase> {};

TEST_P(DrawingViewMenuTest, ZoomsAboutWhereTheMenuOpened) {
    DrawingView& v = FittedView();
    simulating = true;  // menu commands are no mouse buttons: they work during a simulation
    v.PopupAt(50, 60);
    const Point2d under = v.Zoom().ToDrawing(50, 60);
    v.MenuCommand(GetParam().command);
    EXPECT_NEAR(v.Zoom().Matrix().m[0][0], 4.0 * GetParam().factor, 1e-12);
    EXPECT_NEAR(v.Zoom().ToDrawing(50, 60).x, under.x, 1e-9);
    EXPECT_NEAR(v.Zoom().ToDrawing(50, 60).y, under.y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Menu, DrawingViewMenuTest,
                         testing::Values(MenuCase{"ZoomIn1", DrawingView::ZoomCommand::In, 1.5},
                                         MenuCase{"ZoomInx21", DrawingView::ZoomCommand::InX2, 2.0},
                                         MenuCase{"ZoomInx51", DrawingView::ZoomCommand::InX5, 5.0},
                                         MenuCase{"ZoomOut1", DrawingView::ZoomCommand::Out, 1 / 1.5},
                                         MenuCase{"ZoomOut21", DrawingView::ZoomCommand::OutX2, 0.5},
                                         MenuCase{"ZoomOut51", DrawingView::ZoomCommand::OutX5, 0.2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingViewTest, ZoomInThenOutRestoresTheTransform) {
    DrawingView& v = FittedView();
    const TZoom before = v.Zoom();
    v.PopupAt(333, 71);
    v.MenuCommand(DrawingView::ZoomCommand::InX5);
    v.MenuCommand(DrawingView::ZoomCommand::OutX5);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(v.Zoom().Matrix().m[r][c], before.Matrix().m[r][c], 1e-9);
}

TEST_F(DrawingViewTest, LeftDragPansOnRelease) {
    DrawingView& v = FittedView();
    const int before = presented;
    v.MouseDown(DrawingView::MouseButton::Left, 10, 10);
    EXPECT_EQ(v.Zoom().Matrix().m[0][2], 0.0);
    v.MouseUp(DrawingView::MouseButton::Left, 40, 5);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][2], 30.0);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[1][2], 595.0);
    EXPECT_EQ(presented, before + 1);
    // A release without a press, or of another button, moves nothing.
    v.MouseUp(DrawingView::MouseButton::Left, 100, 100);
    v.MouseDown(DrawingView::MouseButton::Right, 0, 0);
    v.MouseUp(DrawingView::MouseButton::Right, 50, 50);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][2], 30.0);
}

TEST_F(DrawingViewTest, MouseZoomAndPanDoNothingWhileTheSimulationRuns) {
    DrawingView& v = FittedView();
    simulating = true;
    v.Wheel(true, 10, 10);
    v.MouseDown(DrawingView::MouseButton::Left, 10, 10);
    v.MouseUp(DrawingView::MouseButton::Left, 40, 40);
    simulating = false;
    v.MouseUp(DrawingView::MouseButton::Left, 40, 40);  // the press was ignored
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][0], 4.0);
    EXPECT_DOUBLE_EQ(v.Zoom().Matrix().m[0][2], 0.0);
}

TEST_F(DrawingViewTest, MouseReadoutInMillimetresFromTheDrawingsCorner) {
    DrawingView& v = View();
    v.MouseMove(400, 400);
    EXPECT_TRUE(status.empty());  // not ready yet
    v.SetViewReady(true);
    v.ZoomAll();
    status.clear();
    // Pixel (400, 400) is the drawing point (100, 50); SkalaHPGL of Drawings is 0.5.
    v.MouseMove(400, 400);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].first, 4);
    EXPECT_EQ(status[0].second, FormatMessage(messages.MessageText(208), {50.0, 25.0}));
}

TEST_F(DrawingViewTest, MouseReadoutDefaultsToTheDrawingScale) {
    LoadIni("[kolory]\ntlo=1\n");
    DrawingView& v = FittedView();
    EXPECT_EQ(v.Readout(400, 400), FormatMessage(messages.MessageText(208), {2.5, 1.25}));
}

TEST_F(DrawingViewTest, RysujPaintsAndLogsItsTrace) {
    DrawingView& v = View();
    logged.clear();
    EXPECT_TRUE(v.Rysuj());
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(canvas.Pixel(199, 199), kBackground);
    ASSERT_GE(logged.size(), 3u);
    EXPECT_EQ(logged.front(), "Rysuj():DrawMutex=" + std::to_string(reinterpret_cast<std::uintptr_t>(&mutex)));
    EXPECT_EQ(logged[1], "-->>>> Rysuj() start (mutex owned & locked)");
    EXPECT_EQ(logged.back(), "<<<<-- Rysuj() end (mutex released)");
    // Released: another thread can take it (this one always could, it is recursive).
    const bool free = std::async(std::launch::async, [this] {
                          const bool taken = mutex.try_lock();
                          if (taken) mutex.unlock();
                          return taken;
                      }).get();
    EXPECT_TRUE(free);
}

TEST_F(DrawingViewTest, RysujKeepsTheOldPictureWhenTheMutexIsHeldTooLong) {
    DrawingView& v = View();
    canvas.Fill(kMarker);
    std::promise<void> locked;
    std::promise<void> release;
    std::thread worker([&] {
        std::lock_guard<RecursiveTimedMutex> hold(mutex);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    logged.clear();
    const bool painted = v.Rysuj();
    release.set_value();
    worker.join();
    EXPECT_FALSE(painted);
    EXPECT_EQ(canvas.Count(kMarker), 200 * 200);
    EXPECT_EQ(presented, 0);
    EXPECT_TRUE(Logged("Rysuj(): Mutex timeout !!!"));
    EXPECT_FALSE(Logged("-->>>> Rysuj() start (mutex owned & locked)"));
}

TEST_F(DrawingViewTest, RysujOnlyPresentsWhileTheSimulationRuns) {
    DrawingView& v = View();
    canvas.Fill(kMarker);
    simulating = true;
    EXPECT_TRUE(v.Rysuj());
    EXPECT_EQ(canvas.Count(kMarker), 200 * 200);
    EXPECT_EQ(presented, 1);
}

TEST_F(DrawingViewTest, RysujGoesOnWithoutAMutex) {
    DrawingView& v = View(nullptr);
    logged.clear();
    EXPECT_TRUE(v.Rysuj());
    EXPECT_EQ(canvas.Pixel(199, 199), kBackground);
    EXPECT_EQ(logged.front(), "Rysuj():DrawMutex=0");
}

}  // namespace
}  // namespace wirvela
