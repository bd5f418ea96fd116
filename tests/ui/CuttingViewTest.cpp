// The cutting window over CuttingJob with its materials table, on shipped settings and
// without a controller: the view mirrors the model's values and flags, forwards the
// operator's actions, and closes when the model closes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <thread>

#include "ViewTestSupport.h"
#include "app/windows/CuttingJob.h"
#include "app/windows/Materials.h"
#include "controller/ControllerDispatcher.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "support/CuttingWiring.h"
#include "ui/ClickPanel.h"
#include "ui/QtEventPump.h"
#include "ui/TForm4.h"

namespace wirvela {
namespace {

class CuttingViewTest : public ::testing::Test {
protected:
    CuttingViewTest()
        : dispatcher(data.messages, prompt),
          job(Wiring().JobServices(materials)),
          materials(Wiring().MaterialServices(job)),
          view(job, data.messages, &pump) {
        dispatcher.SetCutting(&job);
        materials.Create();
        view.SetOpenMaterials([this] { ++materialsOpened; });
    }

    test::CuttingWiring Wiring() {
        return {data.parameters, data.messages, prompt, drawing, dispatcher, mainWindow};
    }

    test::ShippedData data;
    test::RecordingPrompt prompt;
    ControllerDispatcher dispatcher;
    TDrawing drawing;
    LoaderWindowState mainWindow;
    CuttingJob job;
    Materials materials;
    QtEventPump pump;
    TForm4 view;
    int materialsOpened = 0;
};

TEST_F(CuttingViewTest, ShowsTheModelsMaterialsValuesAndTexts) {
    view.show();
    EXPECT_EQ(view.windowTitle(), "Cutting");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    for (const char* name : {"ListBox1", "ScrollBar1", "ScrollBar2", "ScrollBar3", "ScrollBar4", "Edit1", "Edit2",
                             "Edit5", "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox6", "Button1",
                             "Button2", "Button3", "Button4", "Button5", "Button6", "Panel1", "Panel3", "Panel4",
                             "Panel5", "Label5", "Label6", "Label7", "Label12", "Label15", "Label19", "Label20",
                             "Label24", "Label32", "Label34", "Label35", "Lerrors"})
        test::Control(view, name);

    auto* list = test::Control<QListWidget>(view, "ListBox1");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(FromQt(list->item(i)->text()), job.MaterialNames()[static_cast<std::size_t>(i)]);
    EXPECT_EQ(list->currentRow(), job.SelectedMaterial());
    auto* heating = test::Control<QScrollBar>(view, "ScrollBar3");
    EXPECT_EQ(heating->value(), job.HeatingPosition());
    EXPECT_EQ(heating->minimum(), job.HeatingMin());
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label32")->text()), job.Text().label32);
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label5")->text()), job.Text().label5);
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label15")->text()), job.Text().label15);
    // No pen 2 in the drawing: the V2 bar is hidden; Hold=0: so is the Hold button.
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "ScrollBar4")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Label35")));
    EXPECT_EQ(ShownInWindow(*test::Control(view, "Button6")), job.HoldVisible());
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "CheckBox6")));
    EXPECT_FALSE(ShownInWindow(*test::Control(view, "Panel5")));

    // Picking another material in the list selects it in the model and moves the heating bar.
    list->setCurrentRow(2);
    EXPECT_EQ(job.SelectedMaterial(), 2);
    EXPECT_EQ(data.parameters.GetText("Material", "Ostatni", ""), "2");
    EXPECT_EQ(heating->value(), 100 - materials.Value(3, 2));
    view.close();
}

TEST_F(CuttingViewTest, FollowsTheModelsEnablingAfterAChange) {
    view.show();
    auto* start = test::Control<QPushButton>(view, "Button2");
    ASSERT_TRUE(start);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(test::Control<QPushButton>(view, "Button5")->isEnabled());

    // Another window takes the start lock.
    dispatcher.StartLock(false);
    view.Refresh();
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(test::Control<QPushButton>(view, "Button3")->isEnabled());
    dispatcher.StartLock(true);

    // The drawing uses pen 2 when the window is shown again.
    mainWindow.pen2 = true;
    view.close();
    view.show();
    EXPECT_TRUE(ShownInWindow(*test::Control(view, "ScrollBar4")));
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label35")->text()), job.Text().label35);
    EXPECT_TRUE(start->isEnabled());
}

TEST_F(CuttingViewTest, TheRotaryOptionsEnableTheirFieldsAndTypedValuesAreClamped) {
    view.show();
    auto* faces = test::Control<QLineEdit>(view, "Edit1");
    auto* rotary = test::Control<QCheckBox>(view, "CheckBox1");
    ASSERT_TRUE(faces && rotary);
    EXPECT_FALSE(faces->isEnabled());
    EXPECT_FALSE(test::Control<QLineEdit>(view, "Edit5")->isEnabled());

    rotary->click();
    EXPECT_TRUE(job.RotaryCut());
    EXPECT_TRUE(faces->isEnabled());
    faces->setFocus();
    faces->selectAll();
    test::Type(faces, "500");
    EXPECT_EQ(job.FacesPosition(), CuttingJob::kFacesMax);
    EXPECT_EQ(faces->text(), "400");
    EXPECT_EQ(test::Control<QScrollBar>(view, "ScrollBar1")->value(), CuttingJob::kFacesMax);

    test::Control<QScrollBar>(view, "ScrollBar2")->setValue(90);
    EXPECT_EQ(job.AnglePosition(), 90);
    EXPECT_EQ(test::Control<QLineEdit>(view, "Edit2")->text(), "90");

    test::Control<QCheckBox>(view, "CheckBox2")->click();
    EXPECT_TRUE(test::Control<QLineEdit>(view, "Edit5")->isEnabled());
}

TEST_F(CuttingViewTest, StatusTextsRunTheClearingTimer) {
    view.show();
    auto* timer = view.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    job.ShowStatus("Cutting started.");
    view.Refresh();
    EXPECT_EQ(test::Control<QLabel>(view, "Lerrors")->text(), "Cutting started.");
    EXPECT_TRUE(timer->isActive());
    job.StatusTimer();
    view.Refresh();
    EXPECT_EQ(test::Control<QLabel>(view, "Lerrors")->text(), "");
    EXPECT_FALSE(timer->isActive());
}

TEST_F(CuttingViewTest, ButtonsForwardToTheModelAndStopClosesTheWindow) {
    view.show();
    test::Control<QPushButton>(view, "Button3")->click();
    EXPECT_EQ(materialsOpened, 1);
    test::Control<ClickPanel>(view, "Panel1");

    // Without a controller the stop reports its failures and closes all the same.
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_FALSE(prompt.asked.empty());
    EXPECT_FALSE(job.Visible());
    EXPECT_EQ(job.Result(), ModalResult::Cancel);
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(view.result(), QDialog::Rejected);
}

TEST_F(CuttingViewTest, EventsPostedFromAWorkerReachTheModelAndTheView) {
    view.show();
    std::thread worker([this] { job.Channel().Post(CuttingJob::kEventMaterialChosen); });
    worker.join();
    job.SelectEntry(4);
    ASSERT_TRUE(test::SpinUntil([&] { return test::Control<QListWidget>(view, "ListBox1")->currentRow() == 4; }));
    EXPECT_EQ(job.SelectedMaterial(), 4);
}

}  // namespace
}  // namespace wirvela
