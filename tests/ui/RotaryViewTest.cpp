// The rotary project window over the whole program on the simulated controller: the
// example project opened through the view, its profiles previewed, one added with Shift +
// click, and the project cut to its end, which closes the window.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

#include "MainWindowProgram.h"
#include "app/windows/RotaryProjectModel.h"
#include "ui/TForm8.h"

namespace wirvela {
namespace {

using Choice = RotaryProjectModel::FileChoice;

std::string CellText(QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? FromQt(item->text()) : std::string();
}

QImage PreviewImage(TForm8& view) {
    return test::Control<QLabel>(view, "Image2")->pixmap().toImage();
}

TEST(RotaryViewTest, OpensTheExamplePreviewsItsRowsAndCutsItToTheEnd) {
    test::Program p;
    ASSERT_TRUE(p.Start());
    EXPECT_TRUE(p.Shown("SpeedButton7"));
    TForm8 view(p.core->RotaryProject(), p.core->Messages(), p.window.get());
    QObject::connect(&p.pump, &QtEventPump::Handled, &view, [&view] { view.Refresh(); });
    std::vector<std::string> dialogs;
    view.SetFileDialog([&dialogs](const char* name, const RotaryProjectModel::FileRequest&) -> std::optional<Choice> {
        dialogs.emplace_back(name);
        if (std::string_view(name) == "OpenDialog2") return Choice{test::Example("rotary/vase.hpr"), 1};
        if (std::string_view(name) == "OpenDialog1") return Choice{test::Example("rotary/facet.plt"), 1};
        return std::nullopt;  // the closing question's save is cancelled
    });
    view.show();
    EXPECT_EQ(view.windowTitle(), "Rotary project");

    test::Control<QToolButton>(view, "SpeedButton1")->click();
    auto* grid = test::Control<QTableWidget>(view, "StringGrid1");
    ASSERT_TRUE(grid);
    EXPECT_EQ(CellText(grid, 0, 0), p.core->Messages().MessageText(140));
    EXPECT_EQ(CellText(grid, 1, 0), "bulb.plt");
    EXPECT_EQ(CellText(grid, 6, 1), "0");
    EXPECT_GT(test::CountColour(PreviewImage(view), qRgb(0, 0, 0)), 20);
    auto* bar = test::Control<QScrollBar>(view, "ScrollBar1");
    EXPECT_EQ(bar->maximum(), 6);
    bar->setValue(3);
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label1")->text()), "3");
    EXPECT_GT(test::CountColour(PreviewImage(view), qRgb(0, 0, 0)), 20);

    // Shift + click on row 7 adds a profile there.
    grid->scrollToItem(grid->item(7, 0));
    const QPoint at = grid->visualItemRect(grid->item(7, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::ShiftModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    EXPECT_EQ(CellText(grid, 7, 0), "facet.plt");
    EXPECT_EQ(CellText(grid, 7, 1), "10");
    EXPECT_EQ(bar->maximum(), 7);
    EXPECT_EQ(bar->value(), 7);

    test::Control<QToolButton>(view, "SpeedButton3")->click();
    EXPECT_FALSE(test::Control<QToolButton>(view, "SpeedButton3")->isEnabled());
    EXPECT_TRUE(test::Control<QToolButton>(view, "SpeedButton6")->isEnabled());
    ASSERT_TRUE(test::SpinUntil([&view] { return !view.isVisible(); }));
    EXPECT_EQ(view.result(), QDialog::Rejected);
    EXPECT_EQ(p.sim->Snapshot().runs, 7u);
    // The list was changed: closing asked whether to save it.
    EXPECT_EQ(dialogs.back(), "SaveDialog1");
    EXPECT_EQ(CellText(grid, 1, 0), "");
}

}  // namespace
}  // namespace wirvela
