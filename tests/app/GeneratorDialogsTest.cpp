// The frame and bent moulding dialogs, alone and as the main window runs them.
#include <gtest/gtest.h>

#include "AppRig.h"
#include "app/ConnectCommand.h"
#include "app/windows/FrameModel.h"
#include "app/windows/MouldingModel.h"
#include "config/Parameters.h"
#include "config/Settings.h"

namespace wirvela::test {
namespace {

using Dialog = MainWindowModel::Dialog;

class GeneratorDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(rig.Start().exit); }
    FrameModel& Frame() { return rig.core->Frame(); }
    MouldingModel& Moulding() { return rig.core->Moulding(); }
    int Stored(const SettingKey& key) { return static_cast<int>(rig.core->Parameters().GetNumber(key)); }
    AppRig rig;
};

TEST_F(GeneratorDialogs, FrameFieldsFollowTheShapeAndTheKindOfLengths) {
    struct Case {
        int shape, sizing;
        std::array<bool, 4> readOnly;
        const char* labels[3];
    };
    const Case cases[] = {
        {0, 0, {false, false, true, true}, {"dx", "dy", "dr"}},
        {0, 1, {false, false, true, true}, {"X", "Y", "R"}},
        {1, 0, {true, true, false, false}, {"dx", "dy", "dr"}},
        {1, 1, {true, true, false, false}, {"X", "Y", "R"}},
    };
    FrameModel& m = Frame();
    m.Show();
    for (const Case& c : cases) {
        m.SetShape(c.shape);
        m.SetSizing(c.sizing);
        const FrameModel::Controls& f = m.Form();
        EXPECT_EQ(f.ReadOnly, c.readOnly) << c.shape << c.sizing;
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(f.Colour[i], c.readOnly[i] ? FrameModel::kReadOnlyColour : FrameModel::kWindowColour);
        EXPECT_EQ(f.Label1.caption, c.labels[0]);
        EXPECT_EQ(f.Label2.caption, c.labels[1]);
        EXPECT_EQ(f.Label3.caption, c.labels[2]);
    }
    EXPECT_EQ(m.Form().RadioGroup1Items[1], rig.Message(210));
    m.SetField(1, "7");  // read-only for the circle
    EXPECT_EQ(m.Form().Edit1.text, "50");
}

TEST_F(GeneratorDialogs, FrameIsAddedAndJoinedAndItsShapeRemembered) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const int objects = rig.D().Oelems1();
    rig.onModal = [this](Dialog d) {
        EXPECT_EQ(d, Dialog::Frame);
        Frame().Show();
        Frame().SetShape(1);
        Frame().SetField(4, "0,5");
        return Frame().Add() == ModalResult::Ok;
    };
    rig.W().AddFrame();
    rig.W().WaitForJoining();
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded);
    EXPECT_EQ(rig.D().Oelems1(), objects + 1);
    EXPECT_EQ(Stored(settings::kFrameType), 1);
    EXPECT_EQ(Stored(settings::kFrameSizeType), 0);
    EXPECT_TRUE(rig.C("SpeedButton6").enabled);
    EXPECT_EQ(rig.W().Form().Edit2.text, "100");
}

TEST_F(GeneratorDialogs, CancelledOrRefusedFramesLeaveDrawingAndSettingsAlone) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    const int lines = rig.D().L().Count();
    const int vertices = rig.D().V().Count();
    // Cancelled after changing the shape.
    rig.onModal = [this](Dialog) {
        Frame().Show();
        Frame().SetShape(1);
        Frame().SetSizing(1);
        Frame().Cancel();
        return false;
    };
    rig.W().AddFrame();
    // A field that is no number keeps the dialog open; then an ε too fine for the tables.
    rig.onModal = [this](Dialog) {
        Frame().Show();
        Frame().SetField(1, "fifty");
        EXPECT_EQ(Frame().Add(), ModalResult::None);
        EXPECT_TRUE(rig.Asked(615));
        Frame().SetShape(1);
        Frame().SetField(4, "1e-9");
        return Frame().Add() == ModalResult::Ok;
    };
    rig.W().AddFrame();
    EXPECT_TRUE(rig.Asked(618));
    EXPECT_FALSE(rig.W().JoiningRunning());
    EXPECT_EQ(rig.D().L().Count(), lines);
    EXPECT_EQ(rig.D().V().Count(), vertices);
    EXPECT_EQ(Stored(settings::kFrameSizeType), 0);
}

TEST_F(GeneratorDialogs, MouldingEnablingFollowsModeAndBurn) {
    MouldingModel& m = Moulding();
    const auto enabled = [&m](const char* name) { return m.Find(name)->enabled; };
    EXPECT_TRUE(enabled("Edit_l") && enabled("Edit_eps"));
    EXPECT_FALSE(enabled("Edit_alpha") || enabled("Edit_N") || enabled("Edit2") || enabled("Label9"));
    m.SetAngleMode(true);
    EXPECT_FALSE(enabled("Edit_l") || enabled("Edit_eps"));
    EXPECT_TRUE(enabled("Edit_alpha") && enabled("Edit_N"));
    m.SetBurn(true);
    EXPECT_TRUE(enabled("Edit2") && enabled("Label9"));
    m.SetField("Edit_l", "5");  // disabled in angle mode
    EXPECT_EQ(m.Form().Edit_l.text, "1000");
}

TEST_F(GeneratorDialogs, ComputeShowsNAndLOrTheLastFailingCheck) {
    MouldingModel& m = Moulding();
    ASSERT_TRUE(m.Compute());
    EXPECT_EQ(m.Form().Label_N.caption, "8");
    EXPECT_EQ(m.Form().Label_L.caption, MouldingLengthText(m.Computed().L));
    m.SetField("Edit_H", "0");
    EXPECT_FALSE(m.Compute());
    ASSERT_FALSE(rig.asked.empty());
    EXPECT_EQ(rig.asked.back().messageKey, 385);
    EXPECT_EQ(rig.asked.back().caption, rig.Message(379));
    EXPECT_EQ(rig.asked.back().icon, PromptIcon::Error);
}

TEST_F(GeneratorDialogs, MouldingOutlineBecomesTheCutPathAndCancelLeavesNothing) {
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.onModal = [this](Dialog d) {
        EXPECT_EQ(d, Dialog::Moulding);
        EXPECT_EQ(rig.D().L().Count(), 0) << "emptied before the dialog shows";
        Moulding().Show();
        return Moulding().CreateLines() == ModalResult::Ok;
    };
    rig.W().BentMoulding();
    const TLines& l = rig.D().L();
    const TLineList* path = rig.D().CutPath();
    ASSERT_NE(path, nullptr);
    ASSERT_EQ(path->Length(), l.Count());
    for (int i = 0; i < path->Length(); ++i) {
        EXPECT_EQ((*path)[i].line, i);
        EXPECT_EQ((*path)[i].dir, 1.0);
        EXPECT_EQ((*path)[i].kind, 2);
        EXPECT_EQ(path->PathEnd(i, l), path->PathStart((i + 1) % path->Length(), l)) << i;
    }
    EXPECT_TRUE(rig.C("SpeedButton6").enabled);
    EXPECT_TRUE(rig.C("SpeedButton2").enabled);
    EXPECT_EQ(rig.W().Form().Panels[2], rig.Message(9) + "1+0");

    rig.onModal = [this](Dialog) {
        Moulding().Show();
        Moulding().Cancel();
        return false;
    };
    rig.W().BentMoulding();
    EXPECT_EQ(rig.D().L().Count(), 0);
    EXPECT_EQ(rig.D().V().Count(), 0);
    EXPECT_EQ(rig.D().CutPath(), nullptr);
    EXPECT_FALSE(rig.C("SpeedButton6").enabled);
}

}  // namespace
}  // namespace wirvela::test
