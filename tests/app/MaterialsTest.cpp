// The materials table: loading, the cell and close checks with their messages, storing,
// the selected material, the cutting window's refresh and the pendant.
#include "app/windows/Materials.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "support/PendantStub.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// Every material key present, so that storing can change them.
std::string MaterialsIni(const std::string& limits = "", int ostatni = 2) {
    std::string ini =
        "[ParamsLimits]\nVxyMin=4\nVxyMax=60\nTempMin=1\nTempMax=100\nHeatingTimeMin=1\n"
        "HeatingTimeMax=10000\nPauseMin=1\nPauseMax=10000\nAlphaBoundsMin=0\nAlphaBoundsMax=180\n" +
        limits + "[Material]\nOstatni=" + std::to_string(ostatni) + "\n";
    for (int n = 1; n <= 10; ++n) {
        ini += "[Material" + std::to_string(n) + "]\nNazwa=M" + std::to_string(n) + "\nV=" + std::to_string(20 + n) +
               "\nT=" + std::to_string(30 + n) + "\nRozgrzew=1000\nOpWKacie=200\nKatGr=90\n";
    }
    return ini;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct FakeCutting : MaterialsObserver {
    void SetMaterialNames(const std::array<std::string, 10>& n, int s) override {
        names = n;
        listSelection = s;
        calls.push_back("names");
    }
    int SelectedMaterial() const override { return listSelection; }
    void SetHeatingBar(int position) override {
        heatingBar = position;
        calls.push_back("heating " + std::to_string(position));
    }
    void ReReadMaterial() override { calls.push_back("reread"); }

    std::array<std::string, 10> names;
    int listSelection = -1;
    int heatingBar = -1;
    std::vector<std::string> calls;
};

struct FakePendant : test::PendantStub {
    bool TryAcquireShared() override { return available; }
    void ReleaseShared() override { ++released; }
    int SetMaterialParameter(int material, int parameter, std::int32_t value) override {
        sent.push_back({material, parameter, value});
        return static_cast<int>(sent.size()) == failAt ? 7 : 0;
    }
    std::string ErrorText(int code) const override { return "pendant error " + std::to_string(code); }

    struct Sent {
        int material, parameter, value;
        bool operator==(const Sent&) const = default;
    };
    bool available = true;
    int failAt = 0;  // 1-based call that fails; 0: none
    int released = 0;
    std::vector<Sent> sent;
};

class MaterialsTest : public testing::Test {
protected:
    void Load(const std::string& ini) {
        dir.Write("wirvela.ini", ini);
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
    }
    void SetUp() override {
        messages.CheckLocalFile(test::ShippedDataDir());
        messages.LoadMessages();
        Load(MaterialsIni());
    }
    Materials& Make() {
        Materials::Services s;
        s.parameters = &parameters;
        s.messages = &messages;
        s.prompt = &prompt;
        s.cutting = &cutting;
        s.pendant = &pendant;
        s.mainStatus = [this](std::string_view t) { mainStatus.emplace_back(t); };
        model = std::make_unique<Materials>(s);
        model->Create();
        model->Show();
        cutting.calls.clear();
        return *model;
    }
    std::vector<int> Keys() const {
        std::vector<int> keys;
        for (const PromptRequest& r : asked) keys.push_back(r.messageKey);
        return keys;
    }

    test::TempDir dir;
    TParameters parameters;
    TMessages messages;
    std::vector<PromptRequest> asked;
    ScriptedPrompt prompt{[this](const PromptRequest& r) {
        asked.push_back(r);
        return PromptAnswer::Ok;
    }};
    FakeCutting cutting;
    FakePendant pendant;
    std::vector<std::string> mainStatus;
    std::unique_ptr<Materials> model;
};

TEST_F(MaterialsTest, CreationLoadsTheRowsWithDefaultsAndRefreshesTheCuttingWindow) {
    std::string ini = Replaced(MaterialsIni("", 1), "[Material4]\nNazwa=M4\nV=24\nT=34\n", "[Material4]\n");
    Load(Replaced(ini, "VxyMax=60", "VxyMax=75.9"));
    Materials::Services s{&parameters, &messages, &prompt, &cutting, nullptr, {}};
    Materials m(s);
    m.Create();

    EXPECT_EQ(m.Cell(0, 0), messages.MessageText(160));
    EXPECT_EQ(m.Cell(5, 0), messages.MessageText(165));
    EXPECT_EQ(m.RangeLabels()[0], "4 - 75");
    EXPECT_EQ(m.RangeLabels()[4], "0 - 180");
    const MaterialValues fourth = m.Material(4);
    EXPECT_EQ(fourth.name, "");
    EXPECT_EQ(fourth.v, 50);
    EXPECT_EQ(fourth.t, 35);
    EXPECT_EQ(m.Material(2).v, 22);

    EXPECT_EQ(cutting.names[0], "M1");
    EXPECT_EQ(cutting.names[3], "");
    EXPECT_EQ(cutting.listSelection, 1);
    EXPECT_EQ(cutting.calls, (std::vector<std::string>{"names", "heating " + std::to_string(100 - 32), "reread"}));
}

struct CellCase {
    int column;
    std::string typed;
    std::string expected;
    int message;  // -1: none
};

class CellCheck : public MaterialsTest, public testing::WithParamInterface<CellCase> {};

TEST_P(CellCheck, CorrectsToTheNearerLimitAfterTheColumnsMessage) {
    const CellCase& c = GetParam();
    Materials& m = Make();
    m.SetCell(c.column, 3, c.typed);
    EXPECT_EQ(m.RememberedColumn(), c.column);
    EXPECT_EQ(m.CellCheck(), c.message >= 0);
    EXPECT_EQ(m.Cell(c.column, 3), c.expected);
    EXPECT_EQ(Keys(), c.message >= 0 ? std::vector<int>{c.message} : std::vector<int>{});
    if (c.message >= 0) {
        EXPECT_EQ(asked[0].caption, messages.MessageText(167));
        EXPECT_EQ(asked[0].icon, PromptIcon::Warning);
    }
    EXPECT_EQ(m.RememberedColumn(), -1);
    EXPECT_EQ(m.RememberedRow(), -1);
}

INSTANTIATE_TEST_SUITE_P(Materials, CellCheck,
                         testing::Values(CellCase{1, "70", "60", 168},  // speed above VxyMax
                                         CellCase{1, "3", "4", 168},    // below VxyMin
                                         CellCase{1, "60", "60", -1},   // the limit itself
                                         CellCase{2, "abc", "1", 169},  // no number counts as 0
                                         CellCase{2, "101", "100", 169}, CellCase{3, "10001", "10000", 170},
                                         CellCase{4, "0", "1", 171}, CellCase{5, "0", "0", -1},  // AlphaBoundsMin is 0
                                         CellCase{5, "-5", "0", 172}, CellCase{5, "181", "180", 172},
                                         CellCase{0, "", "", -1}));  // names are never checked

TEST_F(MaterialsTest, SpeedMessageCarriesTheMaximum) {
    Materials& m = Make();
    m.SetCell(1, 1, "70");
    m.CellCheck();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text.find("60"), std::string::npos) << asked[0].text;
    EXPECT_EQ(asked[0].text.find("%d"), std::string::npos);
}

TEST_F(MaterialsTest, CheckRunsOnEnterAndOnlyForTheRememberedCell) {
    Materials& m = Make();
    m.SetCell(2, 5, "500");
    m.KeyPress('x');
    EXPECT_EQ(m.Cell(2, 5), "500");
    m.KeyPress('\r');
    EXPECT_EQ(m.Cell(2, 5), "100");
    m.SetCell(2, 6, "500");
    m.Show();  // showing forgets the cell
    EXPECT_FALSE(m.CellCheck());
    EXPECT_EQ(m.Cell(2, 6), "500");
    m.SetCell(2, 0, "header");  // not a material row: ignored
    EXPECT_EQ(m.Cell(2, 0), messages.MessageText(162));
    EXPECT_EQ(Keys(), std::vector<int>{169});
}

TEST_F(MaterialsTest, CloseStoresEveryRowAndRefreshesTheCuttingWindow) {
    Materials& m = Make();
    m.SetCell(0, 4, "");
    m.SetCell(1, 9, "33");
    m.SetCell(3, 10, "2500");
    EXPECT_EQ(m.Button1Click(), ModalResult::Ok);
    EXPECT_FALSE(m.Visible());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(parameters.GetText("Material4", "Nazwa", "?"), "");
    EXPECT_EQ(parameters.GetText("Material9", "V", "?"), "33");
    EXPECT_EQ(parameters.GetText("Material10", "Rozgrzew", "?"), "2500");
    EXPECT_EQ(cutting.calls.front(), "names");
    EXPECT_EQ(cutting.calls.back(), "reread");
}

TEST_F(MaterialsTest, ButtonRunsTheCellCheckBeforeTheCloseCheck) {
    Materials& m = Make();
    m.SetCell(1, 2, "70");  // the focus leaves the grid for the button
    EXPECT_EQ(m.Button1Click(), ModalResult::Ok);
    EXPECT_EQ(Keys(), std::vector<int>{168});
    EXPECT_EQ(parameters.GetText("Material2", "V", "?"), "60");
}

TEST_F(MaterialsTest, RowOutsideRaisedLimitsBlocksStoringWithMessage166) {
    Load(Replaced(MaterialsIni(), "VxyMin=4", "VxyMin=25"));
    Materials& m = Make();
    m.SetCell(0, 1, "renamed");
    EXPECT_EQ(m.Button1Click(), ModalResult::None);
    EXPECT_TRUE(m.Visible());
    ASSERT_EQ(Keys(), std::vector<int>{166});
    // Row 1 is the first that fails (V = 21 < 25): its texts and VxyMax in the message.
    const std::string& text = asked[0].text;
    EXPECT_NE(text.find("\"renamed\""), std::string::npos) << text;
    EXPECT_NE(text.find("speed V = 21 (largest allowed 60 cm/min)"), std::string::npos) << text;
    EXPECT_NE(text.find("corner angle = 90"), std::string::npos) << text;
    EXPECT_EQ(parameters.GetText("Material1", "Nazwa", "?"), "M1");

    asked.clear();
    EXPECT_EQ(m.CloseByOtherMeans(), ModalResult::Cancel);
    EXPECT_FALSE(m.Visible());
    EXPECT_EQ(Keys(), std::vector<int>{166});
    EXPECT_EQ(parameters.GetText("Material1", "Nazwa", "?"), "M1");
}

TEST_F(MaterialsTest, FormatDirectivesInANameAreShownNotInterpreted) {
    Load(Replaced(MaterialsIni(), "AlphaBoundsMax=180", "AlphaBoundsMax=80"));
    Materials& m = Make();
    m.SetCell(0, 1, "%s%n%d%p");
    m.Button1Click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text.find("\"%s%n%d%p\""), std::string::npos) << asked[0].text;
}

TEST_F(MaterialsTest, PendantGetsTheSelectedMaterialOnlyWhenAValueChanged) {
    Materials& m = Make();  // Ostatni = 2: material 3
    m.SetCell(0, 3, "new name");
    m.Button1Click();
    EXPECT_TRUE(pendant.sent.empty());

    m.Show();
    m.SetCell(1, 4, "40");  // not the selected material
    m.Button1Click();
    EXPECT_TRUE(pendant.sent.empty());

    m.Show();
    m.SetCell(5, 3, "45");
    m.Button1Click();
    using S = FakePendant::Sent;
    EXPECT_EQ(pendant.sent, (std::vector<S>{{3, 1, 23}, {3, 3, 33}, {3, 4, 1000}, {3, 5, 200}, {3, 6, 45}}));
    EXPECT_EQ(pendant.released, 1);
    EXPECT_TRUE(mainStatus.empty());
}

TEST_F(MaterialsTest, PendantFailureStopsTheSendingAndShowsItsText) {
    Materials& m = Make();
    pendant.failAt = 2;
    m.SetCell(1, 3, "50");
    m.Button1Click();
    EXPECT_EQ(pendant.sent.size(), 2u);
    EXPECT_EQ(mainStatus, std::vector<std::string>{"pendant error 7"});
    EXPECT_EQ(pendant.released, 1);

    pendant.sent.clear();
    pendant.available = false;
    EXPECT_EQ(m.SendToPendant(3), -1);
    EXPECT_TRUE(pendant.sent.empty());
}

TEST_F(MaterialsTest, PendantValueIsStoredAtOnceWithoutLimitCheck) {
    Materials& m = Make();
    cutting.listSelection = 2;
    EXPECT_TRUE(m.SetFromPendant(3, 2, 150));
    EXPECT_EQ(m.Cell(2, 3), "150");
    EXPECT_EQ(parameters.GetText("Material3", "T", "?"), "150");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(cutting.calls, (std::vector<std::string>{"heating -50", "reread"}));

    cutting.calls.clear();
    EXPECT_TRUE(m.SetFromPendant(3, 1, 12));
    EXPECT_EQ(cutting.calls, std::vector<std::string>{"reread"});

    cutting.calls.clear();
    EXPECT_TRUE(m.SetFromPendant(5, 2, 50));  // not the selected material
    EXPECT_TRUE(cutting.calls.empty());
    EXPECT_EQ(parameters.GetText("Material5", "T", "?"), "50");

    EXPECT_FALSE(m.SetFromPendant(11, 1, 5));
    EXPECT_FALSE(m.SetFromPendant(1, 0, 5));
    EXPECT_FALSE(m.SetFromPendant(1, 6, 5));
}

TEST_F(MaterialsTest, PendantParameterNumbersMapToColumns) {
    EXPECT_EQ(Materials::ColumnOfPendantParameter(1), 1);
    EXPECT_EQ(Materials::ColumnOfPendantParameter(2), -1);
    EXPECT_EQ(Materials::ColumnOfPendantParameter(6), 5);
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(Materials::ColumnOfPendantParameter(Materials::PendantParameterOfColumn(c)), c);
}

TEST_F(MaterialsTest, OstatniIsReadStoredAndKeptWithinTheTable) {
    Materials& m = Make();
    EXPECT_EQ(m.Selected(), 2);
    m.SetSelected(7);
    EXPECT_EQ(parameters.GetText("Material", "Ostatni", "?"), "7");
    m.SetSelected(10);  // no such row: ignored
    EXPECT_EQ(m.Selected(), 7);
    m.RefreshCutting();
    EXPECT_EQ(cutting.listSelection, 7);
    EXPECT_EQ(cutting.heatingBar, 100 - 38);

    parameters.SetText("Material", "Ostatni", "15");
    EXPECT_EQ(m.Selected(), 9);
    parameters.SetText("Material", "Ostatni", "-3");
    EXPECT_EQ(m.Selected(), 0);
}

TEST_F(MaterialsTest, WithoutMaterialSectionsNothingIsStoredAndDefaultsServe) {
    Load("[ParamsLimits]\nVxyMax=60\n");
    Materials& m = Make();
    EXPECT_EQ(m.Material(1).v, 50);
    EXPECT_EQ(m.Selected(), 0);
    m.SetCell(1, 1, "30");
    EXPECT_EQ(m.Button1Click(), ModalResult::Ok);
    EXPECT_EQ(parameters.GetText("Material1", "V", "absent"), "absent");
    EXPECT_EQ(m.Material(1).v, 30);  // the grid keeps the working copy
}

}  // namespace
}  // namespace wirvela
