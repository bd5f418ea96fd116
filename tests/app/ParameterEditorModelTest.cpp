// The parameter editor: the tree, selecting and committing by display name (with the
// quirks of shared names), the colour panel, and writing the store back.
#include "app/windows/ParameterEditorModel.h"

#include <gtest/gtest.h>

#include <string>

#include "config/Parameters.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

constexpr const char* kIni =
    "[Ploter]\nSkalaHPGL=0.025\nCone=0\nDefaultSimulationSpeed=200\nAnon1=a\nAnon2=b\n"
    "[kolory]\ntlo=255\n"
    "[Extra]\nX=1\n"
    "[Extra2]\nY=2\n";

constexpr const char* kNames =
    "[SectionsNames]\nPloter=Plotter\nkolory=Colours\n"
    "[ParametersNames]\nSkalaHPGL=Scale\nCone=Two figures\nDefaultSimulationSpeed=Speed\ntlo=Background\n"
    "[ParametersHints]\nSkalaHPGL=mm per unit\n";

// Node indices of the tree built from kIni.
enum Node { kPloter = 0, kScale, kCone, kSpeed, kAnon1, kAnon2, kColours, kBackground, kExtra, kX, kExtra2, kY };

class ParameterEditorModelTest : public testing::Test {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", kIni);
        dir.Write("local.txt", kNames);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        ParameterEditorModel::Services s;
        s.parameters = &parameters;
        s.simulationSpeed = [] { return 321; };
        model = std::make_unique<ParameterEditorModel>(s);
        model->Create();
        model->Show();
    }
    const std::string& Text(int node) const { return model->TreeView1()[static_cast<std::size_t>(node)].text; }
    std::string File() const { return dir.Read("wirvela.ini"); }

    test::TempDir dir;
    TParameters parameters;
    std::unique_ptr<ParameterEditorModel> model;
};

TEST_F(ParameterEditorModelTest, TreeShowsSectionsAndParametersByDisplayName) {
    const auto& tree = model->TreeView1();
    ASSERT_EQ(tree.size(), 12u);
    EXPECT_EQ(Text(kPloter), "Plotter");
    EXPECT_EQ(tree[kPloter].parent, -1);
    EXPECT_EQ(Text(kScale), "Scale=0.025");
    EXPECT_EQ(tree[kScale].parent, kPloter);
    EXPECT_EQ(Text(kAnon1), "=a");
    EXPECT_EQ(Text(kColours), "Colours");
    EXPECT_EQ(Text(kBackground), "Background=255");
    EXPECT_EQ(tree[kBackground].parent, kColours);
    EXPECT_EQ(Text(kExtra), "");
    EXPECT_EQ(Text(kY), "=2");
    EXPECT_EQ(model->CurrentKey(), "");
    EXPECT_EQ(model->SelectedNode(), -1);
}

TEST_F(ParameterEditorModelTest, ClickingAParameterShowsItsValueHintAndColour) {
    model->ClickNode(kScale);
    EXPECT_EQ(model->CurrentSection(), "Ploter");
    EXPECT_EQ(model->CurrentKey(), "SkalaHPGL");
    EXPECT_EQ(model->EValue(), "0.025");
    EXPECT_EQ(model->Memo1(), "mm per unit");
    EXPECT_EQ(model->Panel1(), 0);
    model->ClickNode(kBackground);
    EXPECT_EQ(model->CurrentSection(), "kolory");
    EXPECT_EQ(model->Panel1(), 255);
    EXPECT_EQ(model->Memo1(), "");
}

TEST_F(ParameterEditorModelTest, ClickingAnotherNodeCommitsTheEditedValueInMemoryOnly) {
    model->ClickNode(kCone);
    model->SetEValue("1");
    model->ClickNode(kSpeed);
    EXPECT_EQ(parameters.GetText("Ploter", "Cone", ""), "1");
    EXPECT_EQ(Text(kCone), "Two figures=1");
    EXPECT_EQ(model->CurrentKey(), "DefaultSimulationSpeed");
    EXPECT_NE(File().find("Cone=0"), std::string::npos);
}

TEST_F(ParameterEditorModelTest, EmptiedValueShowsTheNameAloneAndKeepsTheKey) {
    model->ClickNode(kCone);
    model->SetEValue("");
    model->ClickNode(kScale);
    EXPECT_EQ(Text(kCone), "Two figures");
    EXPECT_EQ(parameters.GetText("Ploter", "Cone", "missing"), "");
    model->ClickNode(kCone);  // "Two figures" without "=" still finds its key
    EXPECT_EQ(model->CurrentKey(), "Cone");
}

TEST_F(ParameterEditorModelTest, NamelessParametersAllSelectTheFirstOfTheirSection) {
    model->ClickNode(kAnon2);
    EXPECT_EQ(model->CurrentKey(), "Anon1");
    EXPECT_EQ(model->EValue(), "a");
    model->SetEValue("c");
    model->ClickNode(kScale);
    EXPECT_EQ(parameters.GetText("Ploter", "Anon1", ""), "c");
    EXPECT_EQ(parameters.GetText("Ploter", "Anon2", ""), "b");
    // The clicked node shows the value that went to the first nameless parameter.
    EXPECT_EQ(Text(kAnon2), "=c");
    EXPECT_EQ(Text(kAnon1), "=a");
}

TEST_F(ParameterEditorModelTest, SectionsSharingADisplayNameResolveToTheFirst) {
    model->ClickNode(kY);
    EXPECT_EQ(model->CurrentSection(), "Extra");
    EXPECT_EQ(model->CurrentKey(), "X");
    EXPECT_EQ(model->EValue(), "1");
}

TEST_F(ParameterEditorModelTest, ClickingASectionClearsTheKeySoNothingIsCommitted) {
    model->ClickNode(kCone);
    model->ClickNode(kPloter);
    EXPECT_EQ(model->CurrentKey(), "");
    model->SetEValue("9");
    model->ClickNode(kScale);
    EXPECT_EQ(parameters.GetText("Ploter", "Cone", ""), "0");
    model->ClickNode(999);  // outside the tree
    EXPECT_EQ(model->CurrentKey(), "SkalaHPGL");
}

TEST_F(ParameterEditorModelTest, ColourPanelCommitsAConfirmedColour) {
    model->ClickNode(kBackground);
    std::int32_t offered = -1;
    model->ClickColourPanel([&](std::int32_t initial) -> std::optional<std::int32_t> {
        offered = initial;
        return 65280;
    });
    EXPECT_EQ(offered, 255);
    EXPECT_EQ(model->EValue(), "65280");
    EXPECT_EQ(model->Panel1(), 65280);
    EXPECT_EQ(parameters.GetText("kolory", "tlo", ""), "65280");
    EXPECT_EQ(Text(kBackground), "Background=65280");
    model->ClickColourPanel([](std::int32_t) -> std::optional<std::int32_t> { return std::nullopt; });
    EXPECT_EQ(model->EValue(), "65280");
}

TEST_F(ParameterEditorModelTest, Button1CommitsAndWritesTheFile) {
    model->ClickNode(kCone);
    model->SetEValue("1");
    EXPECT_EQ(model->Button1Click(), ModalResult::Ok);
    EXPECT_NE(File().find("Cone=1"), std::string::npos);
    EXPECT_TRUE(model->SaveError().empty());
}

TEST_F(ParameterEditorModelTest, AValueOutsideTheDomainIsNotStoredAndKeepsTheWindowOnIt) {
    model->ClickNode(kScale);
    model->SetEValue("-1");
    model->ClickNode(kCone);
    EXPECT_EQ(model->CurrentKey(), "SkalaHPGL") << "the refused value stays selected to be corrected";
    EXPECT_EQ(parameters.GetText("Ploter", "SkalaHPGL", ""), "0.025");
    EXPECT_EQ(model->Memo1(), "SkalaHPGL=-1 is not stored: it must be above 0.");
    EXPECT_EQ(model->Button1Click(), ModalResult::None);
    EXPECT_NE(File().find("SkalaHPGL=0.025"), std::string::npos);

    model->SetEValue("0.05");
    EXPECT_EQ(model->Button1Click(), ModalResult::Ok);
    EXPECT_TRUE(model->Refusal().empty());
    EXPECT_NE(File().find("SkalaHPGL=0.05"), std::string::npos);
}

TEST_F(ParameterEditorModelTest, ClosingCommitsAndWritesTheFile) {
    model->ClickNode(kX);
    model->SetEValue("5");
    model->Close();
    EXPECT_NE(File().find("X=5"), std::string::npos);
    EXPECT_NE(File().find("DefaultSimulationSpeed=200"), std::string::npos);
}

TEST_F(ParameterEditorModelTest, DestroyingStoresTheSimulationSpeed) {
    model->ClickNode(kSpeed);
    model->SetEValue("50");
    model->Destroy();
    EXPECT_EQ(parameters.GetText("Ploter", "DefaultSimulationSpeed", ""), "321");
    EXPECT_NE(File().find("DefaultSimulationSpeed=321"), std::string::npos);
}

TEST_F(ParameterEditorModelTest, ShowingRebuildsTheTreeFromTheStore) {
    model->ClickNode(kCone);
    parameters.SetText("Ploter", "SkalaHPGL", "0.1");
    model->Show();
    EXPECT_EQ(Text(kScale), "Scale=0.1");
    EXPECT_EQ(model->CurrentKey(), "");
    model->SetEValue("7");
    model->ClickNode(kScale);  // nothing selected before: nothing committed
    EXPECT_EQ(parameters.GetText("Ploter", "Cone", ""), "0");
}

}  // namespace
}  // namespace wirvela
