#include <gtest/gtest.h>

#include <vector>

#include "config/Messages.h"
#include "config/Prompt.h"
#include "formats/DxfTestSupport.h"
#include "formats/ProfileFile.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::operator+;

class ProfileFileTest : public testing::Test {
protected:
    ProfileFileTest() {
        // Something left over from an earlier drawing, which the reading must clear.
        drawing.L().AddLine(drawing.V().AddVertex(500, 500), drawing.V().AddVertex(600, 600), 1);
        drawing.Oelems() = 7;
    }

    int Read(const std::filesystem::path& file) {
        ProfileFileContext context{pens, dxf, DxfSettings{}, messages, &prompt};
        return ReadProfileFile(drawing, file, context);
    }

    test::TempDir dir;
    TDrawing drawing;
    HpglPenState pens;
    TDxfReader dxf;
    TMessages messages;
    std::vector<int> asked;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        asked.push_back(r.messageKey);
        return PromptAnswer::Ok;
    }};
};

TEST_F(ProfileFileTest, ADxfNameIsReadAsDxfIntoTheClearedSetWithoutShifting) {
    const auto file =
        dir.Write("profile.Dxf", test::DxfFile(test::DxfLine(-10, -20, 10, -20) + test::DxfLine(10, -20, 10, 20)));
    EXPECT_EQ(Read(file), 0);
    EXPECT_EQ(drawing.L().Count(), 2);
    EXPECT_EQ(drawing.Oelems(), 1);
    EXPECT_EQ(drawing.Set(drawing.Figure()).oelems, 1);
    EXPECT_DOUBLE_EQ(drawing.V().MinX(true), -4.0);  // SkalaDXF 0.4, no shift to the origin
    EXPECT_TRUE(asked.empty());
}

TEST_F(ProfileFileTest, APltNameIsReadAsHpgl) {
    const auto file = dir.Write("profile.plt", "IN;SP1;PU0,0;PD100,0,100,100;PU;");
    EXPECT_EQ(Read(file), 0);
    EXPECT_EQ(drawing.L().Count(), 2);
}

TEST_F(ProfileFileTest, AnHpglFileThatCannotBeOpenedAsksMessage11) {
    EXPECT_EQ(Read(dir.Path() / "missing.PLT"), -1);
    EXPECT_EQ(asked, std::vector<int>{11});
    EXPECT_EQ(drawing.L().Count(), 0);
    EXPECT_EQ(drawing.Oelems(), -1);
}

TEST_F(ProfileFileTest, OtherNamesAndMissingDxfFilesReadNothing) {
    const auto other = dir.Write("profile.txt", "IN;SP1;PD100,0;");
    EXPECT_EQ(Read(other), 0);
    EXPECT_EQ(Read(dir.Path() / "missing.dxf"), 0);
    EXPECT_EQ(drawing.L().Count(), 0);
    EXPECT_EQ(drawing.Oelems(), -1);
    EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace wirvela
