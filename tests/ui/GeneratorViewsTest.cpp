// The frame and bent moulding dialogs over their models.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ViewTestSupport.h"
#include "app/windows/FrameModel.h"
#include "app/windows/MouldingModel.h"
#include "config/Settings.h"
#include "drawing/Drawing.h"
#include "ui/TForm13.h"
#include "ui/TForm14.h"

namespace wirvela {
namespace {

TEST(FrameView, ShapeChoiceGreysTheOtherFieldsAndDodajOrAnulujEndTheDialog) {
    test::ShippedData data;
    test::RecordingPrompt prompt;
    FrameModel model({&data.parameters, &data.messages, &prompt});
    TForm14 view(model);
    view.show();
    EXPECT_EQ(view.windowTitle(), "Frame");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    EXPECT_EQ(test::Control<QRadioButton>(view, "RadioGroup1_1")->text(), "Circle");
    auto* edit1 = test::Control<QLineEdit>(view, "Edit1");
    auto* edit4 = test::Control<QLineEdit>(view, "Edit4");
    ASSERT_TRUE(edit1 && edit4);
    EXPECT_FALSE(edit1->isReadOnly());
    EXPECT_TRUE(edit4->isReadOnly());

    test::Control<QRadioButton>(view, "RadioGroup1_1")->click();
    test::Control<QRadioButton>(view, "RadioGroup2_1")->click();
    EXPECT_TRUE(edit1->isReadOnly());
    EXPECT_EQ(edit1->palette().color(QPalette::Base), QColor(0xCF, 0xCF, 0xCF));
    EXPECT_FALSE(edit4->isReadOnly());
    EXPECT_EQ(test::Control<QLabel>(view, "Label3")->text(), "R");
    edit4->selectAll();
    test::Type(edit4, "0,5");
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(model.Spec().epsilon, 0.5);
    EXPECT_EQ(data.parameters.GetNumber(settings::kFrameType), 1);

    view.show();
    test::Control<QPushButton>(view, "Button2")->click();
    EXPECT_EQ(view.result(), QDialog::Rejected);
    EXPECT_EQ(model.Result(), ModalResult::Cancel);
}

TEST(MouldingView, ObliczShowsTheResultsAndUtworzLinieCieciaBuildsTheOutline) {
    test::ShippedData data;
    test::RecordingPrompt prompt;
    TDrawing drawing;
    MouldingModel model({&data.messages, &prompt, &drawing, nullptr});
    TForm13 view(model);
    view.show();
    EXPECT_EQ(view.windowTitle(), "Bent moulding");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    EXPECT_FALSE(test::Control<QLineEdit>(view, "Edit_N")->isEnabled());
    test::Control<QRadioButton>(view, "RadioButton2")->click();
    EXPECT_TRUE(test::Control<QLineEdit>(view, "Edit_N")->isEnabled());
    EXPECT_FALSE(test::Control<QLineEdit>(view, "Edit_l")->isEnabled());
    test::Control<QRadioButton>(view, "RadioButton1")->click();

    auto* h = test::Control<QLineEdit>(view, "Edit_H");
    h->selectAll();
    test::Type(h, "0");
    test::Control<QPushButton>(view, "Button1")->click();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].messageKey, 385);
    h->selectAll();
    test::Type(h, "100");
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(test::Control<QLabel>(view, "Label_N")->text(), "8");
    EXPECT_TRUE(test::Control<QLabel>(view, "Label_L")->text().endsWith(" mm"));
    EXPECT_TRUE(view.isVisible());

    test::Control<QPushButton>(view, "Button2")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_EQ(drawing.L().Count(), 4 * 8 + 3);
}

}  // namespace
}  // namespace wirvela
