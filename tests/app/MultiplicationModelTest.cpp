// The multiplication dialog: its enabling rules, its texts, and "Powiel" from the main
// window's multiply command, from a project's event 2010 and through the row layout's
// timers.
#include "app/windows/MultiplicationModel.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "AppRig.h"
#include "app/ConnectCommand.h"
#include "app/MultiplyCommand.h"

namespace wirvela::test {
namespace {

using Dialog = MainWindowModel::Dialog;

std::set<std::string> Enabled(const MultiplicationModel& m) {
    std::set<std::string> names;
    m.ForEachControl([&](std::string_view name, const Control& c) {
        if (c.enabled && c.visible && (name.substr(0, 4) == "Edit" || name == "CheckBox3")) names.emplace(name);
    });
    return names;
}

std::set<std::string> Names(const char* list) {
    std::set<std::string> names;
    std::istringstream in(list);
    for (std::string n; in >> n;) names.insert(n);
    return names;
}

struct EnablingCase {
    const char* multiwireSetting;
    bool byCount;
    bool multiwire;
    const char* enabled;  // the fields and CheckBox3 that are enabled
};

TEST(MultiplicationModel, EnablingFollowsTheModeAndTheLayout) {
    const EnablingCase cases[] = {
        {"N", true, false, "Edit1 Edit2 Edit3 Edit4"},
        {"N", false, false, "Edit3 Edit4 Edit5 Edit6"},
        {"N", true, true, "Edit1 Edit2 Edit3 Edit4"},  // no layout: the box cannot be checked
        {"V", true, true, "Edit1 Edit3 Edit7 Edit8 Edit9 CheckBox3"},
        {"V", false, true, "Edit3 Edit5 Edit7 Edit8 Edit9 CheckBox3"},
        {"h", true, true, "Edit2 Edit4 Edit7 Edit9"},
        {"H", false, true, "Edit4 Edit6 Edit7 Edit9"},
    };
    for (const EnablingCase& c : cases) {
        SCOPED_TRACE(std::string(c.multiwireSetting) + (c.byCount ? " by count" : " by size") +
                     (c.multiwire ? ", multi-wire" : ""));
        AppRig rig(IniValues{{"Multiwire", c.multiwireSetting}});
        ASSERT_FALSE(rig.Start().exit);
        MultiplicationModel& m = rig.core->Multiplication();
        EXPECT_TRUE(m.Form().CheckBox3.checked);
        EXPECT_FALSE(m.Form().CheckBox3.enabled) << "at creation";
        EXPECT_FALSE(m.Form().CheckBox2.visible);
        EXPECT_EQ(m.Form().CheckBox1.enabled, std::string("N") != c.multiwireSetting);
        m.SetChecked(c.byCount ? "RadioButton1" : "RadioButton2", true);
        m.SetChecked("CheckBox1", c.multiwire);
        EXPECT_EQ(Enabled(m), Names(c.enabled));
    }
}

TEST(MultiplicationModel, TheTextsGoInAndOutUnchanged) {
    AppRig rig(IniValues{{"Multiwire", "V"}});
    ASSERT_FALSE(rig.Start().exit);
    MultiplicationModel& m = rig.core->Multiplication();
    MultiplicationTexts t;
    t.byCount = false;
    t.columns = "7";
    t.rows = "8";
    t.width = "1200,5";
    t.height = "600";
    t.gapX = "2";
    t.gapY = "3";
    t.multiwire = true;
    t.lineOffset = "4";
    t.lineLength = "900";
    t.wireDistance = "120";
    t.spineOnTop = false;
    m.SetTexts(t);
    const MultiplicationTexts back = m.Texts();
    EXPECT_EQ(back.byCount, t.byCount);
    EXPECT_EQ(back.width, t.width);
    EXPECT_EQ(back.columns, t.columns);
    EXPECT_EQ(back.rows, t.rows);
    EXPECT_EQ(back.height, t.height);
    EXPECT_EQ(back.gapX, t.gapX);
    EXPECT_EQ(back.gapY, t.gapY);
    EXPECT_EQ(back.multiwire, t.multiwire);
    EXPECT_EQ(back.lineOffset, t.lineOffset);
    EXPECT_EQ(back.lineLength, t.lineLength);
    EXPECT_EQ(back.wireDistance, t.wireDistance);
    EXPECT_EQ(back.spineOnTop, t.spineOnTop);
    EXPECT_TRUE(m.Form().RadioButton2.checked);
    EXPECT_TRUE(m.Form().Edit5.enabled);
}

TEST(MultiplicationModel, PowielFromTheMultiplyCommandJoinsTheCopiesAgain) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    EXPECT_TRUE(rig.C("SpeedButton8").visible);
    ASSERT_TRUE(rig.C("SpeedButton8").enabled);
    MultiplicationModel& m = rig.core->Multiplication();
    rig.onModal = [&](Dialog d) {
        if (d != Dialog::Multiplication) return false;
        m.Show();
        m.SetText("Edit1", "abc");
        EXPECT_EQ(m.Powiel(), ModalResult::None) << "refused: the dialog stays open";
        EXPECT_TRUE(rig.Asked(611));
        EXPECT_EQ(rig.asked.back().caption, rig.Message(109));
        EXPECT_EQ(rig.asked.back().icon, PromptIcon::Error);
        EXPECT_NE(rig.asked.back().text.find(m.Form().Edit1.caption), std::string::npos) << rig.asked.back().text;
        m.SetText("Edit1", "2");
        m.SetText("Edit2", "1");
        return m.Powiel() == ModalResult::Ok;
    };
    rig.W().Multiply();
    EXPECT_TRUE(rig.W().JoiningRunning() || rig.D().CutPath() != nullptr);
    rig.W().WaitForJoining();
    EXPECT_EQ(rig.W().WindowState().multiplications, 1);
    EXPECT_EQ(rig.D().Oelems(), 1) << "the drawing and its copy, each one object";
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded);
    EXPECT_TRUE(rig.C("SpeedButton8").enabled) << "a grid multiplication can be repeated";
}

TEST(MultiplicationModel, AProjectsMultiplicationRunsWithoutTheDialog) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    MultiplicationModel& m = rig.core->Multiplication();
    m.SetTexts([] {
        MultiplicationTexts t;
        t.columns = "2";
        t.rows = "2";
        return t;
    }());
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    rig.W().WindowState().pendingMultiplication = 1;  // as the project reader leaves it
    rig.W().WaitForJoining();
    // Event 2010 to the dialog, then 2011 back to the main window, which joins again.
    const LoaderWindowState& state = rig.W().WindowState();
    for (int i = 0; i < 50 && (state.multiplications == 0 || state.pendingMultiplication != 0); ++i)
        rig.core->ProcessEvents();
    rig.W().WaitForJoining();
    EXPECT_EQ(rig.W().WindowState().multiplications, 1);
    EXPECT_EQ(rig.W().WindowState().pendingMultiplication, 0);
    for (Dialog d : rig.shown) EXPECT_NE(d, Dialog::Multiplication);
    EXPECT_EQ(rig.W().Connect().Report().state, kConnectSucceeded) << "joined again after event 2011";
    EXPECT_EQ(m.Result(), ModalResult::Ok);
}

TEST(MultiplicationModel, TheRowLayoutGoesOnFromItsTimers) {
    AppRig rig(IniValues{{"Multiwire", "V"}});
    ASSERT_FALSE(rig.Start().exit);
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    MultiplicationModel& m = rig.core->Multiplication();
    std::vector<ModalResult> closed;
    m.SetHooks({{}, [&](ModalResult r) { closed.push_back(r); }});
    m.Show();
    m.SetText("Edit1", "2");
    m.SetChecked("CheckBox1", true);
    m.SetText("Edit9", "1000");
    EXPECT_EQ(m.Powiel(), ModalResult::None);
    ASSERT_TRUE(m.Form().Timer1.enabled);
    EXPECT_EQ(m.Form().Timer1.interval, 100);
    EXPECT_EQ(m.Powiel(), ModalResult::None) << "a second press waits for the first";
    m.OnTimer1();
    EXPECT_EQ(rig.core->MultiplyService().RunState(), kMultiplyWaitingForJoin);
    rig.W().WaitForJoining();
    for (int i = 0; i < 50 && !m.Form().Timer2.enabled; ++i) rig.core->ProcessEvents();
    ASSERT_TRUE(m.Form().Timer2.enabled) << "the joining worker's end arms the second timer";
    m.OnTimer2();
    EXPECT_EQ(closed, std::vector<ModalResult>{ModalResult::Ok});
    EXPECT_TRUE(m.SeveralWires());
    rig.W().AfterMultiplication();
    EXPECT_FALSE(rig.C("SpeedButton8").enabled) << "several wires: no further multiplication";
    EXPECT_FALSE(rig.W().JoiningRunning());
    m.SetHooks({});
}

}  // namespace
}  // namespace wirvela::test
