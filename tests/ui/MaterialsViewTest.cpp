// The materials window over Materials: the grid mirrors the table, a committed edit is
// checked against its limits, and "Close" stores only a table within its limits.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "ViewTestSupport.h"
#include "app/windows/Materials.h"
#include "ui/TForm5.h"

namespace wirvela {
namespace {

class MaterialsViewTest : public ::testing::Test {
protected:
    MaterialsViewTest() : model(Services()), view((model.Create(), model), data.messages) {}

    Materials::Services Services() {
        Materials::Services s;
        s.parameters = &data.parameters;
        s.messages = &data.messages;
        s.prompt = &prompt;
        return s;
    }

    test::ShippedData data;
    test::RecordingPrompt prompt;
    Materials model;
    TForm5 view;
};

TEST_F(MaterialsViewTest, TheGridMirrorsTheTable) {
    view.show();
    auto* grid = test::Control<QTableWidget>(view, "StringGrid1");
    ASSERT_TRUE(grid);
    test::Control<QPushButton>(view, "Button1");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    EXPECT_EQ(view.windowTitle(), "Material parameters");
    ASSERT_EQ(grid->rowCount(), Materials::kMaterials);
    ASSERT_EQ(grid->columnCount(), Materials::kColumns);
    for (int c = 0; c < Materials::kColumns; ++c) {
        EXPECT_EQ(FromQt(grid->horizontalHeaderItem(c)->text()), data.messages.MessageText(160 + c));
        for (int n = 1; n <= Materials::kMaterials; ++n)
            EXPECT_EQ(FromQt(grid->item(n - 1, c)->text()), model.Cell(c, n)) << c << "," << n;
    }
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label2")->text()), model.RangeLabels()[0]);

    // A value set by the pendant appears after a refresh.
    ASSERT_TRUE(model.SetFromPendant(3, 1, 42));
    view.Refresh();
    EXPECT_EQ(grid->item(2, 1)->text(), "42");
}

TEST_F(MaterialsViewTest, ACommittedEditOutsideItsLimitIsCorrectedAndStoredOnClose) {
    view.show();
    auto* grid = test::Control<QTableWidget>(view, "StringGrid1");
    ASSERT_TRUE(grid);
    grid->item(0, 1)->setText("70");  // speed above VxyMax 60
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].caption, data.messages.MessageText(167));
    EXPECT_EQ(grid->item(0, 1)->text(), "60");
    EXPECT_EQ(model.Cell(1, 1), "60");
    grid->item(1, 0)->setText("Styrofoam 30");

    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(data.parameters.GetText("Material1", "V", ""), "60");
    EXPECT_EQ(data.parameters.GetText("Material2", "Nazwa", ""), "Styrofoam 30");
}

TEST_F(MaterialsViewTest, CloseKeepsTheWindowOpenWhileARowFailsItsLimits) {
    data.parameters.SetText("ParamsLimits", "VxyMax", "5");
    view.show();
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_TRUE(view.isVisible());
    ASSERT_FALSE(prompt.asked.empty());
    EXPECT_EQ(prompt.asked.back().messageKey, 166);
    // Closing the window by other means closes it all the same, storing nothing.
    view.reject();
    EXPECT_FALSE(view.isVisible());
}

}  // namespace
}  // namespace wirvela
