// The colours dialog: defaults, loading, applying, cancelling and the colour dialog.
#include "app/windows/ColoursModel.h"

#include <gtest/gtest.h>

#include <string>

#include "config/Parameters.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// Every kolory key present (so that Apply can store), all with the value `v`.
std::string ColoursIni(const std::string& v) {
    std::string ini = "[kolory]\n";
    for (const ColoursModel::Panel& p : ColoursModel::kPanelTable) ini += std::string(p.key->key) + "=" + v + "\n";
    return ini;
}

class ColoursModelTest : public testing::Test {
protected:
    void Load(const std::string& ini) {
        dir.Write("wirvela.ini", ini);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
    }

    test::TempDir dir;
    TParameters parameters;
};

struct DefaultCase {
    const char* panel;
    std::int32_t colour;
};

class ColoursDefaultsTest : public ColoursModelTest, public testing::WithParamInterface<DefaultCase> {};

TEST_P(ColoursDefaultsTest, EmptySectionShowsTheDialogDefaults) {
    Load("[kolory]\n");
    ColoursModel model(parameters);
    model.Show();
    EXPECT_EQ(model.Colour(GetParam().panel), GetParam().colour);
}

// Black background, blue objects, white connecting lines, yellow first cut, red second
// cut, dark green for the other speed, the segment lines and the faulty node.
INSTANTIATE_TEST_SUITE_P(Panels, ColoursDefaultsTest,
                         testing::Values(DefaultCase{"Panel1", 0}, DefaultCase{"Panel2", 16711680},
                                         DefaultCase{"Panel3", 16777215}, DefaultCase{"Panel4", 65535},
                                         DefaultCase{"Panel5", 255}, DefaultCase{"Panel6", 32768},
                                         DefaultCase{"Panel7", 16711680}, DefaultCase{"Panel8", 16777215},
                                         DefaultCase{"Panel9", 65535}, DefaultCase{"Panel10", 255},
                                         DefaultCase{"Panel11", 32768}, DefaultCase{"Panel12", 32768},
                                         DefaultCase{"Panel13", 32768}),
                         [](const auto& info) { return std::string(info.param.panel); });

TEST_F(ColoursModelTest, ShowingLoadsTheStoredColours) {
    Load("[kolory]\ntlo=123\nlinia_2_ciecia_2=4,5\nobiekty=abc\n");
    ColoursModel model(parameters);
    model.Show();
    EXPECT_EQ(model.Colour("Panel1"), 123);
    EXPECT_EQ(model.Colour("Panel10"), 4);
    EXPECT_EQ(model.Colour("Panel2"), 0);
    EXPECT_EQ(model.Colour("Panel3"), 16777215);
    EXPECT_EQ(model.Colour("Panel99"), -1);
}

TEST_F(ColoursModelTest, ApplyWritesAllThirteenKeysAndClosesWithOk) {
    Load(ColoursIni("1"));
    ColoursModel model(parameters);
    model.Show();
    for (int i = 0; i < ColoursModel::kPanels; ++i) model.SetColour(i, 100 + i);
    EXPECT_EQ(model.Button1Click(), ModalResult::Ok);
    EXPECT_FALSE(model.Visible());
    for (int i = 0; i < ColoursModel::kPanels; ++i)
        EXPECT_EQ(parameters.GetText("kolory", ColoursModel::kPanelTable[static_cast<std::size_t>(i)].key->key, ""),
                  std::to_string(100 + i));
}

TEST_F(ColoursModelTest, ApplyOnAFileWithoutTheKeysAddsNothing) {
    Load("[Ploter]\nCone=0\n");
    ColoursModel model(parameters);
    model.Show();
    model.Button1Click();
    EXPECT_EQ(parameters.GetText("kolory", "tlo", "missing"), "missing");
}

TEST_F(ColoursModelTest, CancelLeavesTheStoreAndTheNextShowingReloads) {
    Load(ColoursIni("7"));
    ColoursModel model(parameters);
    model.Show();
    model.SetColour("Panel4", 999);
    EXPECT_EQ(model.Button2Click(), ModalResult::Cancel);
    EXPECT_EQ(parameters.GetText("kolory", "linia_1_ciecia", ""), "7");
    model.Show();
    EXPECT_EQ(model.Colour("Panel4"), 7);
    EXPECT_EQ(model.Result(), ModalResult::None);
}

TEST_F(ColoursModelTest, ClickingAPanelTakesAConfirmedColourOnly) {
    Load(ColoursIni("7"));
    ColoursModel model(parameters);
    model.Show();
    std::int32_t offered = -1;
    model.ClickPanel("Panel6", [&](std::int32_t initial) -> std::optional<std::int32_t> {
        offered = initial;
        return 4242;
    });
    EXPECT_EQ(offered, 7);
    EXPECT_EQ(model.Colour("Panel6"), 4242);
    model.ClickPanel("Panel6", [](std::int32_t) -> std::optional<std::int32_t> { return std::nullopt; });
    EXPECT_EQ(model.Colour("Panel6"), 4242);
}

}  // namespace
}  // namespace wirvela
