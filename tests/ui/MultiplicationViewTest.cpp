// The multiplication dialog over its model, on the program's own core with a joined
// example drawing: "Powiel" multiplies and accepts, "Anuluj" closes without a change.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "MainWindowProgram.h"
#include "app/windows/MultiplicationModel.h"
#include "drawing/Drawing.h"
#include "ui/TForm9.h"

namespace wirvela {
namespace {

using test::Example;
using test::Program;

TEST(MultiplicationView, PowielMultipliesAndAnulujLeavesTheDrawing) {
    Program p;
    ASSERT_TRUE(p.Start(Example("letters.plt")));
    ASSERT_TRUE(p.Joined());
    EXPECT_TRUE(p.Shown("SpeedButton8"));
    EXPECT_TRUE(p.Enabled("SpeedButton8"));
    const int lines = p.core->Drawing().L().Count();

    TForm9 view(p.core->Multiplication(), p.window.get());
    view.show();
    EXPECT_EQ(view.windowTitle(), "Multiply the drawing");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    auto* columns = test::Control<QLineEdit>(view, "Edit1");
    ASSERT_TRUE(columns);
    EXPECT_EQ(columns->text(), "3");
    EXPECT_FALSE(test::Control<QLineEdit>(view, "Edit5")->isEnabled()) << "by count: no material size";
    EXPECT_FALSE(test::Control<QCheckBox>(view, "CheckBox2")->isVisible());
    test::Control<QPushButton>(view, "Button2")->click();
    EXPECT_EQ(view.result(), QDialog::Rejected);
    EXPECT_EQ(p.core->Drawing().L().Count(), lines);

    view.show();
    columns->selectAll();
    test::Type(columns, "2");
    auto* rows = test::Control<QLineEdit>(view, "Edit2");
    rows->selectAll();
    test::Type(rows, "1");
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(p.Model().WindowState().multiplications, 1);
    EXPECT_EQ(p.core->Drawing().Oelems(), 1) << "the drawing and its copy";
}

}  // namespace
}  // namespace wirvela
