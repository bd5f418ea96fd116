// Save as: the drawing on screen and the multiplication applied to it as a .con project,
// and the project opened again.
#include <gtest/gtest.h>

#include "AppRig.h"
#include "app/ConnectCommand.h"
#include "formats/ProjectFile.h"

namespace wirvela::test {
namespace {

namespace fs = std::filesystem;

MultiplicationTexts TwoByThree() {
    MultiplicationTexts t;
    t.columns = "2";
    t.rows = "3";
    t.gapX = "5";
    return t;
}

class ProjectSaveTest : public ::testing::Test {
protected:
    explicit ProjectSaveTest(const IniValues& values = {}) : rig(values) {}

    void SetUp() override {
        ASSERT_FALSE(rig.Start().exit);
        fs::create_directories(rig.dir.Path() / "drawings");
        fs::create_directories(rig.dir.Path() / "jobs");
    }

    // A copy of an example in the drawings folder, loaded and joined.
    fs::path Loaded(const std::string& example, const std::string& name = "part.plt") {
        const fs::path drawing = rig.dir.Path() / "drawings" / name;
        fs::copy_file(Example(example), drawing);
        EXPECT_EQ(rig.LoadAndJoin(drawing), 16);
        return drawing;
    }

    // Save as, the dialog answering `chosen` with the project filter.
    void SaveAs(const fs::path& chosen) {
        rig.onSave = [chosen](const MainWindowModel::OpenDialogRequest&) {
            return MainWindowModel::OpenDialogResult{chosen, 1};
        };
        rig.W().SaveAs();
    }

    AppRig rig;
};

TEST_F(ProjectSaveTest, SavingUnderAJobNameWritesTheProjectAndCopiesTheDrawingBesideIt) {
    const fs::path drawing = Loaded("letters.plt");
    SaveAs(rig.dir.Path() / "jobs" / "job");
    ASSERT_EQ(rig.saveRequests.size(), 1u);
    EXPECT_EQ(rig.saveRequests[0].filter, "Pliki projektów CON|*.con");
    EXPECT_EQ(rig.saveRequests[0].filterIndex, 1);
    EXPECT_EQ(rig.saveRequests[0].defaultExtension, "*.con");
    EXPECT_EQ(ReadText(rig.dir.Path() / "jobs" / "job.con"), "[CON_design]\nFile1=job.plt\n")
        << "a joined drawing, never multiplied: the multiply command is enabled";
    EXPECT_EQ(ReadText(rig.dir.Path() / "jobs" / "job.plt"), ReadText(drawing));
    EXPECT_TRUE(rig.asked.empty());
}

TEST_F(ProjectSaveTest, SavingOverTheDrawingsOwnNameCopiesNothing) {
    const fs::path drawing = Loaded("letters.plt");
    // A copy would put a new file in the drawing's place; the link would keep the old one.
    fs::create_hard_link(drawing, rig.dir.Path() / "drawings" / "link.plt");
    SaveAs(rig.dir.Path() / "drawings" / "part.con");
    EXPECT_TRUE(rig.asked.empty());
    EXPECT_TRUE(fs::equivalent(drawing, rig.dir.Path() / "drawings" / "link.plt"));
    EXPECT_EQ(ReadText(rig.dir.Path() / "drawings" / "part.con"), "[CON_design]\nFile1=part.plt\n");
}

TEST_F(ProjectSaveTest, AProjectKeepsTheOneMultiplicationOnScreenAndRefusesMore) {
    Loaded("letters.plt");
    rig.W().SetMultiplicationFields(TwoByThree());
    const struct {
        int multiplications;
        const char* project;  // "" when nothing is written
    } cases[] = {
        {0, "[CON_design]\nFile1=job.plt\n"},
        // After a grid multiplication the multiply command is enabled again; the copies on
        // screen are kept all the same.
        {1,
         "[CON_design]\nFile1=job.plt\n\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=2\nObjH=3\nSpaceV=5\nSpaceH=1\n"},
        {2, ""},
    };
    for (const auto& c : cases) {
        fs::remove(rig.dir.Path() / "jobs" / "job.con");
        fs::remove(rig.dir.Path() / "jobs" / "job.plt");
        rig.asked.clear();
        rig.saveRequests.clear();
        rig.W().WindowState().multiplications = c.multiplications;
        ASSERT_TRUE(rig.C("SpeedButton8").enabled);
        SaveAs(rig.dir.Path() / "jobs" / "job.con");
        const std::string project = std::string(c.project);
        EXPECT_EQ(ReadText(rig.dir.Path() / "jobs" / "job.con"), project) << c.multiplications;
        EXPECT_EQ(rig.Asked(624), project.empty()) << c.multiplications;
        EXPECT_EQ(rig.saveRequests.empty(), project.empty()) << "refused before the dialog";
        EXPECT_EQ(fs::exists(rig.dir.Path() / "jobs" / "job.plt"), !project.empty());
    }
}

TEST_F(ProjectSaveTest, FailedCopyOrWriteSaysSoAndLeavesNoProject) {
    const fs::path drawing = Loaded("letters.plt");
    fs::create_directory(rig.dir.Path() / "jobs" / "taken.con");
    SaveAs(rig.dir.Path() / "jobs" / "taken.con");
    EXPECT_TRUE(rig.Asked(625));
    EXPECT_TRUE(fs::is_directory(rig.dir.Path() / "jobs" / "taken.con"));

    fs::remove(drawing);
    SaveAs(rig.dir.Path() / "jobs" / "job");
    ASSERT_TRUE(rig.Asked(552));
    EXPECT_EQ(rig.asked.back().caption, rig.Message(1));
    EXPECT_EQ(rig.asked.back().icon, PromptIcon::Warning);
    EXPECT_FALSE(fs::exists(rig.dir.Path() / "jobs" / "job.con"));
    EXPECT_FALSE(fs::exists(rig.dir.Path() / "jobs" / "job.plt"));
}

TEST_F(ProjectSaveTest, ASavedProjectReopensItsDrawingAndAsksForItsMultiplication) {
    Loaded("letters.plt");
    rig.W().SetMultiplicationFields(TwoByThree());
    rig.W().WindowState().multiplications = 1;
    SaveAs(rig.dir.Path() / "jobs" / "job");
    rig.W().SetMultiplicationFields(MultiplicationTexts{});

    ASSERT_EQ(rig.LoadAndJoin(rig.dir.Path() / "jobs" / "job.con"), 16);
    EXPECT_EQ(rig.W().Title(), (rig.dir.Path() / "jobs" / "job.plt").string());
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded);
    EXPECT_EQ(rig.W().WindowState().pendingMultiplication, 2) << "asked for once the joining ended";
    EXPECT_EQ(rig.W().MultiplicationFields().columns, "2");
    EXPECT_EQ(rig.W().MultiplicationFields().rows, "3");
    EXPECT_EQ(rig.W().MultiplicationFields().gapX, "5");
    EXPECT_EQ(rig.W().WindowState().multiplications, 0);
}

class SegmentedProjectSaveTest : public ProjectSaveTest {
protected:
    SegmentedProjectSaveTest() : ProjectSaveTest({{"Cone", "1"}}) {}
};

// A segmented drawing keeps the multiply command disabled without having been multiplied:
// its project must not multiply it when opened.
TEST_F(SegmentedProjectSaveTest, ASegmentedDrawingIsSavedWithoutAMultiplication) {
    Loaded("wing_two_figure.plt", "wing.plt");
    ASSERT_FALSE(rig.C("SpeedButton8").enabled);
    ASSERT_NE(rig.D().Set(TDrawing::kSegments).V.Count(), 0);
    SaveAs(rig.dir.Path() / "jobs" / "wing");
    EXPECT_EQ(ReadText(rig.dir.Path() / "jobs" / "wing.con"), "[CON_design]\nFile1=wing.plt\n");
}

}  // namespace
}  // namespace wirvela::test
