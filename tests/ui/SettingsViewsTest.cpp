// The small settings dialogs over their models: colours, scale of figure 2, the about box
// (and splash) and the parameter editor.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "ViewTestSupport.h"
#include "app/windows/AboutModel.h"
#include "app/windows/ColoursModel.h"
#include "app/windows/ParameterEditorModel.h"
#include "app/windows/ScaleDialogModel.h"
#include "ui/ClickPanel.h"
#include "ui/QtCanvas.h"
#include "ui/TForm11.h"
#include "ui/TForm110.h"
#include "ui/TForm2.h"
#include "ui/TForm6.h"

namespace wirvela {
namespace {

// ---- colours ----------------------------------------------------------------------------

class ColoursViewTest : public ::testing::Test {
protected:
    ColoursViewTest() : model(data.parameters), view(model, data.messages) {
        view.SetColourDialog([this](std::int32_t initial) -> std::optional<std::int32_t> {
            offered.push_back(initial);
            return chosen;
        });
    }
    test::ShippedData data;
    ColoursModel model;
    TForm2 view;
    std::vector<std::int32_t> offered;
    std::optional<std::int32_t> chosen = 0x00123456;
};

TEST_F(ColoursViewTest, PanelsShowTheStoredColoursAndApplyStoresTheChosenOnes) {
    view.show();
    EXPECT_EQ(view.windowTitle(), "Colours");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    for (const ColoursModel::Panel& p : ColoursModel::kPanelTable) {
        auto* panel = test::Control<ClickPanel>(view, p.name);
        ASSERT_TRUE(panel);
        EXPECT_EQ(panel->Background(), QtCanvas::ToQColor(model.Colour(p.name))) << p.name;
    }
    auto* first = test::Control<ClickPanel>(view, "Panel4");
    const std::int32_t shown = model.Colour("Panel4");
    emit first->clicked();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], shown);
    EXPECT_EQ(first->Background(), QtCanvas::ToQColor(0x00123456));

    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_EQ(data.parameters.GetText("kolory", "linia_1_ciecia", ""), std::to_string(0x00123456));
}

TEST_F(ColoursViewTest, CancelStoresNothingAndTheNextShowingReloads) {
    const std::string before = data.parameters.GetText("kolory", "obiekty", "");
    view.show();
    chosen = std::nullopt;  // the colour dialog cancelled: nothing changes
    emit test::Control<ClickPanel>(view, "Panel2")->clicked();
    chosen = 0x00ABCDEF;
    emit test::Control<ClickPanel>(view, "Panel2")->clicked();
    test::Control<QPushButton>(view, "Button2")->click();
    EXPECT_EQ(view.result(), QDialog::Rejected);
    EXPECT_EQ(data.parameters.GetText("kolory", "obiekty", ""), before);
    view.show();
    EXPECT_EQ(test::Control<ClickPanel>(view, "Panel2")->Background(), QtCanvas::ToQColor(model.Colour("Panel2")));
    EXPECT_NE(model.Colour("Panel2"), 0x00ABCDEF);
}

// ---- scale --------------------------------------------------------------------------------

TEST(ScaleView, TheTypedScaleAndTheClickedAnchorEndTheDialog) {
    test::ShippedData data;
    ScaleDialogModel model;
    TForm11 view(model, data.messages);
    view.show();
    EXPECT_TRUE(test::MissingTexts(view).empty());
    auto* edit = test::Control<QLineEdit>(view, "Edit1");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text(), "100");
    for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "Button7", "Button8",
                             "Button9", "Label1"})
        test::Control(view, name);
    edit->selectAll();
    test::Type(edit, "50");
    EXPECT_EQ(model.Edit1(), "50");
    test::Control<QPushButton>(view, "Button6")->click();  // right, middle
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_FALSE(view.isVisible());
    EXPECT_DOUBLE_EQ(model.Scale(), 0.5);
    EXPECT_EQ(model.AnchorX(), 3);
    EXPECT_EQ(model.AnchorY(), 2);

    // Shown again it keeps the scale; closing without an anchor is a cancel.
    view.show();
    EXPECT_EQ(edit->text(), "50");
    view.reject();
    EXPECT_EQ(model.Result(), ModalResult::Cancel);
}

// ---- about ---------------------------------------------------------------------------------

class AboutViewTest : public ::testing::Test {
protected:
    AboutViewTest() : model(Services()), view(model, data.messages) {
        model.Create(ControllerIdentity{}, &view.Localisable());
    }
    AboutModel::Services Services() {
        AboutModel::Services s;
        s.parameters = &data.parameters;
        s.messages = &data.messages;
        s.version = ProgramVersion{"0.1.0", "12:00/2024-01-01"};
        return s;
    }
    test::ShippedData data;
    AboutModel model;
    TForm6 view;
};

TEST_F(AboutViewTest, ShowsVersionsAndWithoutAControllerItsMessages) {
    view.show();
    EXPECT_EQ(view.windowTitle(), "About wirvela");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    EXPECT_EQ(test::Control<QLabel>(view, "Label6")->text(), "0.1.0");
    EXPECT_EQ(test::Control<QLabel>(view, "Label4")->text(), "12:00/2024-01-01");
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label5")->text()), data.messages.MessageText(467));
    EXPECT_EQ(FromQt(test::Control<QLabel>(view, "Label3")->text()), data.messages.MessageText(468));
    EXPECT_FALSE(view.findChild<QTimer*>("Timer1")->isActive());
    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(model.Visible());
}

TEST_F(AboutViewTest, TheSplashClosesItselfWhenItsTimerFires) {
    data.parameters.SetText("Ploter", "CzasWiniety", "30");
    view.ShowSplash();
    auto* timer = view.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 30);
    EXPECT_TRUE(test::SpinUntil([&] { return !view.isVisible(); }));
    EXPECT_FALSE(model.Visible());
    EXPECT_FALSE(timer->isActive());

    // Escape on the button closes the box shown by the information command.
    view.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(test::Control<QPushButton>(view, "Button1"), &escape);
    EXPECT_FALSE(view.isVisible());
}

// ---- parameter editor ------------------------------------------------------------------------

class ParameterEditorViewTest : public ::testing::Test {
protected:
    ParameterEditorViewTest() : model(Services()), view(model) {}
    ParameterEditorModel::Services Services() {
        ParameterEditorModel::Services s;
        s.parameters = &data.parameters;
        s.messages = &data.messages;
        return s;
    }
    // The first parameter node of section `section` (store name).
    int NodeOf(const std::string& displayText) const {
        const auto& nodes = model.TreeView1();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].parent >= 0 && nodes[i].text.rfind(displayText, 0) == 0) return static_cast<int>(i);
        return -1;
    }
    QTreeWidgetItem* ItemOf(int node) const {
        auto* tree = view.findChild<QTreeWidget*>("TreeView1");
        QTreeWidgetItemIterator it(tree);
        for (; *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toInt() == node) return *it;
        return nullptr;
    }
    test::ShippedData data;
    ParameterEditorModel model;
    TForm110 view;
};

TEST_F(ParameterEditorViewTest, TheTreeMirrorsTheStoreAndAnEditedValueIsWrittenBack) {
    view.show();
    EXPECT_EQ(view.windowTitle(), "Parameters");
    EXPECT_TRUE(test::MissingTexts(view).empty());
    auto* tree = test::Control<QTreeWidget>(view, "TreeView1");
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->topLevelItemCount(), data.parameters.SectionCount());
    int items = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) ++items;
    EXPECT_EQ(items, static_cast<int>(model.TreeView1().size()));

    const std::string name = data.parameters.DisplayNameOf("Ploter", "CzasWiniety");
    const int node = NodeOf(name + "=");
    ASSERT_GE(node, 0);
    tree->setCurrentItem(ItemOf(node));
    EXPECT_EQ(model.CurrentKey(), "CzasWiniety");
    auto* value = test::Control<QLineEdit>(view, "EValue");
    EXPECT_EQ(FromQt(value->text()), data.parameters.GetText("Ploter", "CzasWiniety", ""));
    EXPECT_EQ(FromQt(test::Control<QPlainTextEdit>(view, "Memo1")->toPlainText()),
              data.parameters.HintOf("Ploter", "CzasWiniety"));

    value->selectAll();
    test::Type(value, "1500");
    // Selecting another parameter commits the edited one.
    tree->setCurrentItem(ItemOf(node + 1));
    EXPECT_EQ(FromQt(ItemOf(node)->text(0)), name + "=1500");

    test::Control<QPushButton>(view, "Button1")->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_EQ(model.SaveError(), "");
    std::ifstream file(data.dir.Path() / "wirvela.ini");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("CzasWiniety=1500"), std::string::npos);
}

TEST_F(ParameterEditorViewTest, TheColourPanelSetsTheValue) {
    view.SetColourDialog([](std::int32_t) -> std::optional<std::int32_t> { return 255; });
    view.show();
    const int node = NodeOf(data.parameters.DisplayNameOf("kolory", "tlo") + "=");
    ASSERT_GE(node, 0);
    test::Control<QTreeWidget>(view, "TreeView1")->setCurrentItem(ItemOf(node));
    emit test::Control<ClickPanel>(view, "Panel1")->clicked();
    EXPECT_EQ(test::Control<QLineEdit>(view, "EValue")->text(), "255");
    EXPECT_EQ(test::Control<ClickPanel>(view, "Panel1")->Background(), QColor(255, 0, 0));
    EXPECT_EQ(data.parameters.GetText("kolory", "tlo", ""), "255");
    view.reject();
}

}  // namespace
}  // namespace wirvela
