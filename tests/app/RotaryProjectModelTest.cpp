// The rotary project window over the whole program on the simulated controller: the list
// and its files, the preview, the closing question, and runs from Start to the end of the
// project.
#include <gtest/gtest.h>

#include "AppRig.h"
#include "app/windows/ManualControl.h"
#include "app/windows/RotaryProjectModel.h"
#include "controller/ControllerCodes.h"
#include "controller/SimulatedController.h"
#include "rotary/HprFile.h"

namespace wirvela {
namespace {

using test::Example;
using Choice = RotaryProjectModel::FileChoice;

constexpr std::int32_t kBlack = 0x000000;

class RotaryProjectTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(rig.Start().exit);
        RotaryProjectModel::Hooks h;
        h.openDialog = [this](const RotaryProjectModel::FileRequest& r) {
            filters.push_back(r.filter);
            return open;
        };
        h.profileDialog = [this](const RotaryProjectModel::FileRequest& r) {
            filters.push_back(r.filter);
            return profile;
        };
        h.saveDialog = [this](const RotaryProjectModel::FileRequest&) { return save; };
        h.close = [this](ModalResult r) { closed.push_back(r); };
        R().SetHooks(std::move(h));
        R().Show();
    }

    RotaryProjectModel& R() { return rig.core->RotaryProject(); }
    const Control& C(const char* name) { return *R().Find(name); }

    void OpenProject(const std::filesystem::path& file) {
        open = Choice{file, 1};
        R().Open();
    }

    // Handles the window's events until it has closed (the end of the run).
    bool RunToEnd() {
        for (int i = 0; i < 3000 && R().Visible(); ++i) R().Channel().WaitAndProcess(10);
        return !R().Visible();
    }

    bool EventsWithManualControl() {
        return rig.core->Link()->EventWindow() == &rig.core->ManualControlWindow().Channel();
    }

    test::AppRig rig;
    std::optional<Choice> open, profile, save;
    std::vector<std::string> filters;
    std::vector<ModalResult> closed;
};

TEST_F(RotaryProjectTest, OpeningTheExampleFillsTheGridAndPreviewsEveryRowInItsOwnTables) {
    EXPECT_EQ(R().Title(), "Rotary project");
    EXPECT_EQ(R().Cell(0, 0), rig.Message(140));
    EXPECT_EQ(R().Cell(1, 0), rig.Message(141));
    EXPECT_FALSE(C("SpeedButton7").enabled);
    OpenProject(Example("rotary/vase.hpr"));
    EXPECT_EQ(filters.at(0), R().Form().OpenDialog2.text);

    const char* names[] = {"bulb.plt", "facet.plt", "spire.plt", "bulb.plt", "facet.plt", "spire.plt"};
    for (int row = 1; row <= 6; ++row) {
        EXPECT_EQ(R().Cell(0, row), names[row - 1]) << row;
        EXPECT_EQ(R().Cell(1, row), row == 6 ? "0" : "60") << row;
    }
    EXPECT_EQ(R().Cell(0, 7), "");
    const Control& bar = C("ScrollBar1");
    EXPECT_EQ(bar.min, 1);
    EXPECT_EQ(bar.max, 6);
    EXPECT_TRUE(bar.enabled);
    EXPECT_TRUE(C("SpeedButton7").enabled);
    EXPECT_FALSE(R().Modified());

    for (int row = 1; row <= 6; ++row) {
        R().MovePreviewBar(row);
        EXPECT_EQ(C("Label1").caption, std::to_string(row));
        EXPECT_GT(R().Preview().Count(kBlack), 20) << row;
        EXPECT_EQ(R().Preview().Count(kBlack) + R().Preview().Count(RotaryProjectModel::kPreviewBackground),
                  RotaryProjectModel::kPreviewWidth * RotaryProjectModel::kPreviewHeight);
    }
    // Previewing never loads anything into the drawing the program cuts from.
    EXPECT_EQ(rig.D().V().Count(), 0);
}

TEST_F(RotaryProjectTest, AnUnreadableOrMalformedProjectSays142AndKeepsTheRowsReadSoFar) {
    OpenProject(rig.dir.Path() / "missing.hpr");
    EXPECT_TRUE(rig.Asked(142));
    EXPECT_FALSE(C("SpeedButton7").enabled);

    rig.asked.clear();
    OpenProject(rig.dir.Write("bad.hpr", "bulb.plt\t15\r\nno tab here\r\nfacet.plt\t20\r\n"));
    EXPECT_TRUE(rig.Asked(142));
    EXPECT_EQ(R().Cell(0, 1), "bulb.plt");
    EXPECT_EQ(R().Cell(1, 1), "15");
    EXPECT_EQ(R().Cell(0, 2), "");
    EXPECT_EQ(C("ScrollBar1").max, 1);
}

TEST_F(RotaryProjectTest, ShiftClickAddsAProfileAndSavingCompactsTheList) {
    profile = Choice{Example("rotary/facet.plt"), 1};
    R().GridMouseDown(0, 3, false);
    EXPECT_TRUE(filters.empty());  // a plain press only fits the bar
    R().GridMouseDown(1, 3, true);
    EXPECT_TRUE(filters.empty());

    R().GridMouseDown(0, 3, true);
    EXPECT_EQ(filters.at(0), R().Form().OpenDialog1.text);
    EXPECT_EQ(R().Cell(0, 3), "facet.plt");
    EXPECT_EQ(R().Cell(1, 3), "10");
    EXPECT_TRUE(R().Modified());
    EXPECT_TRUE(C("SpeedButton7").enabled);
    EXPECT_EQ(C("ScrollBar1").min, 1);
    EXPECT_EQ(C("ScrollBar1").max, 3);
    EXPECT_EQ(C("ScrollBar1").position, 3);
    EXPECT_EQ(C("Label1").caption, "3");
    EXPECT_GT(R().Preview().Count(kBlack), 20);

    // An angle typed before the profile was chosen is kept.
    R().SetCell(1, 7, "45");
    R().GridMouseDown(0, 7, true);
    EXPECT_EQ(R().Cell(1, 7), "45");
    R().SetCell(0, 7, "");
    R().GridMouseLeave();
    EXPECT_EQ(C("ScrollBar1").max, 3);
    EXPECT_EQ(C("ScrollBar1").position, 3);

    save = Choice{rig.dir.Path() / "saved", 1};
    R().Save();
    ProfileList back;
    const HprOutcome read = ReadHprFile(rig.dir.Path() / "saved.hpr", back, rig.core->Messages());
    EXPECT_TRUE(read.Ok());
    EXPECT_EQ(read.rows, 1);
    EXPECT_EQ(back.Row(1).name, "facet.plt");
    EXPECT_EQ(back.Row(1).angle, "10");
    EXPECT_TRUE(R().Modified());  // saving does not clear the mark

    save = Choice{rig.dir.Path() / "no such folder" / "p.hpr", 1};
    R().Save();
    EXPECT_TRUE(rig.Asked(144));
}

struct ClosingCase {
    PromptAnswer answer;
    bool saved;
};

class ClosingQuestion : public RotaryProjectTest, public testing::WithParamInterface<ClosingCase> {};

TEST_P(ClosingQuestion, AModifiedListAsks199AndYesSavesThenTheGridIsCleared) {
    rig.answer = [](const PromptRequest& r) {
        return r.messageKey == 199 ? GetParam().answer : PromptAnswer::Ok;
    };
    profile = Choice{Example("rotary/bulb.plt"), 1};
    save = Choice{rig.dir.Path() / "closing.hpr", 1};
    R().GridMouseDown(0, 1, true);
    R().Close();
    EXPECT_TRUE(rig.Asked(199));
    EXPECT_EQ(std::filesystem::exists(rig.dir.Path() / "closing.hpr"), GetParam().saved);
    EXPECT_EQ(R().Cell(0, 1), "");
    EXPECT_FALSE(R().Modified());
    EXPECT_FALSE(C("SpeedButton7").enabled);
    EXPECT_FALSE(C("ScrollBar1").enabled);
    EXPECT_EQ(C("ScrollBar1").max, 0);
    EXPECT_EQ(C("Label1").caption, "");

    // Unmodified: no question.
    rig.asked.clear();
    R().Show();
    R().Close();
    EXPECT_FALSE(rig.Asked(199));
}

INSTANTIATE_TEST_SUITE_P(Answers, ClosingQuestion,
                         testing::Values(ClosingCase{PromptAnswer::Yes, true}, ClosingCase{PromptAnswer::No, false}));

TEST_F(RotaryProjectTest, TheMaterialSetsTheTemperatureAndIsRemembered) {
    TParameters& p = rig.core->Parameters();
    EXPECT_EQ(R().MaterialNames()[0], p.GetText("Material1", "Nazwa", ""));
    R().SelectMaterial(2);
    EXPECT_EQ(p.GetText("Material", "Ostatni", ""), "2");
    const int t = static_cast<int>(p.GetNumber("Material3", "T", 35));
    EXPECT_EQ(C("ScrollBar3").position, t);
    EXPECT_EQ(C("Label23").caption, std::to_string(t));
    R().MoveHeatingBar(0);
    EXPECT_EQ(C("ScrollBar3").position, 1);
}

TEST_F(RotaryProjectTest, StartCutsTheProfilesOneAfterAnotherAndTheProjectEndClosesTheWindow) {
    EXPECT_TRUE(rig.W().Form().SpeedButton2.enabled);  // the simulation while the window shows
    OpenProject(Example("rotary/vase.hpr"));
    EXPECT_TRUE(rig.core->Link()->EventWindow() == &R().Channel());
    ASSERT_EQ(R().Start(), STAT_OK);
    EXPECT_EQ(rig.core->Dispatcher().ActiveMode(), ControllerDispatcher::kModeRotary);
    EXPECT_EQ(C("Lerrors").caption, rig.Message(148));
    EXPECT_FALSE(C("SpeedButton3").enabled);  // the shared start lock
    EXPECT_FALSE(rig.core->Cutting().StartEnabled());
    EXPECT_TRUE(C("SpeedButton6").enabled);
    EXPECT_FALSE(C("SpeedButton5").enabled);

    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(closed, std::vector<ModalResult>{ModalResult::Cancel});
    EXPECT_EQ(R().Result(), ModalResult::Cancel);
    EXPECT_EQ(rig.sim->Snapshot().runs, 6u);
    EXPECT_EQ(R().CurrentRow(), 7);
    EXPECT_TRUE(C("SpeedButton3").enabled);
    EXPECT_TRUE(rig.core->Cutting().StartEnabled());
    EXPECT_TRUE(EventsWithManualControl());
    EXPECT_EQ(R().Cell(0, 1), "");  // closing cleared the list
}

// A controller at real speed: the first profile still runs while it is held.
class RotaryRunningTest : public RotaryProjectTest {
protected:
    RotaryRunningTest() {
        SimulatedControllerConfig config = SimulatedControllerConfig::Fast();
        config.speedUp = 1.0;
        rig.sim = std::make_shared<SimulatedController>(config);
    }
};

TEST_F(RotaryRunningTest, HoldContinueAndStopDriveTheRunningProfile) {
    OpenProject(Example("rotary/vase.hpr"));
    ASSERT_EQ(R().Start(), STAT_OK);
    EXPECT_EQ(R().Hold(), STAT_OK);
    EXPECT_EQ(C("Lerrors").caption, rig.Message(149));
    EXPECT_TRUE(C("SpeedButton5").enabled);
    EXPECT_FALSE(C("SpeedButton6").enabled);
    EXPECT_EQ(R().Continue(), STAT_OK);
    EXPECT_FALSE(C("SpeedButton5").enabled);
    EXPECT_TRUE(C("SpeedButton6").enabled);

    EXPECT_EQ(R().StopRun(), STAT_OK);
    EXPECT_FALSE(R().Visible());
    EXPECT_EQ(closed, std::vector<ModalResult>{ModalResult::Cancel});
    EXPECT_TRUE(EventsWithManualControl());
    EXPECT_TRUE(C("SpeedButton3").enabled);
    EXPECT_FALSE(C("SpeedButton5").enabled);
    EXPECT_FALSE(C("SpeedButton6").enabled);
    EXPECT_EQ(rig.sim->Snapshot().runs, 1u);
}

TEST_F(RotaryProjectTest, StartingAnEmptyListSays146AndSendsNothing) {
    EXPECT_NE(R().Start(), STAT_OK);
    EXPECT_TRUE(rig.Asked(146));
    EXPECT_TRUE(C("SpeedButton3").enabled);
    EXPECT_EQ(rig.sim->Snapshot().runs, 0u);
}

TEST_F(RotaryProjectTest, TheMainWindowsProjectCommandShowsTheWindowAndClearsTheDrawingAfter) {
    R().Close();
    EXPECT_TRUE(rig.C("SpeedButton7").visible);
    EXPECT_TRUE(rig.C("Projekt1").visible);
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.onModal = [this](test::AppRig::Dialog d) {
        R().Show();
        R().Close();
        return d == test::AppRig::Dialog::RotaryProject;
    };
    rig.W().RotaryProject();
    EXPECT_EQ(rig.shown.back(), test::AppRig::Dialog::RotaryProject);
    EXPECT_EQ(rig.D().V().Count(), 0);
}

}  // namespace
}  // namespace wirvela
