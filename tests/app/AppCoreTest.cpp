// Start-up and shut-down of the application core.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "AppRig.h"
#include "app/windows/AboutModel.h"
#include "app/windows/CuttingJob.h"
#include "app/windows/ManualControl.h"
#include "app/windows/Materials.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"

namespace wirvela::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

TEST(AppCoreTest, StartsEveryWindowOnTheSimulatedController) {
    AppRig rig;
    const AppCore::StartResult r = rig.Start();
    ASSERT_FALSE(r.exit);
    AppCore& core = *rig.core;
    EXPECT_TRUE(core.Messages().Present());
    for (const PromptRequest& asked : rig.asked) EXPECT_NE(asked.caption, TMessages::kMissingFileCaption);
    ASSERT_NE(core.Link(), nullptr);
    EXPECT_EQ(core.Link()->Handshake(), STAT_OK);
    // The materials table filled the cutting window's list.
    EXPECT_EQ(core.Cutting().MaterialNames()[0], core.Parameters().GetText("Material1", "Nazwa", ""));
    // The about box knows the controller.
    EXPECT_NE(core.About().Label3(), core.Messages().MessageText(AboutModel::kNoDeviceMessage));
    EXPECT_EQ(core.Channels().size(), 3u);
    EXPECT_EQ(core.IniPath(), rig.dir.Path() / "wirvela.ini");
}

TEST(AppCoreTest, AMissingLocalTxtIsReportedAndTheProgramGoesOn) {
    AppRig rig;
    std::filesystem::remove(rig.dir.Path() / "local.txt");
    ASSERT_FALSE(rig.Start().exit);
    ASSERT_FALSE(rig.asked.empty());
    EXPECT_EQ(rig.asked.front().text, TMessages::kMissingFileText);
    EXPECT_EQ(rig.asked.front().caption, TMessages::kMissingFileCaption);
    EXPECT_EQ(rig.asked.front().icon, PromptIcon::Warning);
    EXPECT_FALSE(rig.core->Messages().Present());
    EXPECT_EQ(rig.W().Title(), TMessages::kDefaultTitle);
    EXPECT_EQ(rig.C("SpeedButton6").hint, "Wycinaj");  // design-time texts stay
}

// A local.txt with a NUL byte in a window text: the warning names the line, and the
// texts of the file are still used.
TEST(AppCoreTest, ADamagedLocalTxtIsReportedWithItsLineAndItsTextsAreUsed) {
    AppRig rig;
    std::string local = rig.dir.Read("local.txt");
    const std::size_t at = local.find("[Form1]");
    ASSERT_NE(at, std::string::npos);
    local.insert(at, std::string("Broken=\0\n", 9));
    rig.dir.Write("local.txt", local);
    const std::size_t line = static_cast<std::size_t>(std::count(local.begin(), local.begin() + at, '\n')) + 1;

    ASSERT_FALSE(rig.Start().exit);
    ASSERT_FALSE(rig.asked.empty());
    const PromptRequest& warning = rig.asked.front();
    EXPECT_EQ(warning.text.rfind(TMessages::kDamagedFileText, 0), 0u) << warning.text;
    EXPECT_NE(warning.text.find("line " + std::to_string(line) + " holds a NUL byte"), std::string::npos)
        << warning.text;
    EXPECT_EQ(warning.caption, TMessages::kMissingFileCaption);
    EXPECT_EQ(warning.icon, PromptIcon::Warning);
    EXPECT_TRUE(rig.core->Messages().Present());
    EXPECT_NE(rig.W().Title(), TMessages::kDefaultTitle);
}

TEST(AppCoreTest, ShutdownWritesOnlyTheExpectedChangesToWirvelaIni) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    rig.W().ScrollBar1Changed(321);
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    rig.core->Shutdown();
    EXPECT_EQ(rig.core->SaveError(), "");

    const std::vector<std::string> before = Lines(rig.originalIni);
    const std::vector<std::string> after = Lines(rig.dir.Read("wirvela.ini"));
    ASSERT_EQ(after.size(), before.size());
    std::set<std::string> changed;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        EXPECT_EQ(KeyOf(before[i]), KeyOf(after[i])) << i;
        changed.insert(KeyOf(after[i]));
    }
    // The speed bar's position, and the versions the about box records.
    const std::set<std::string> allowed{"DefaultSimulationSpeed", "SOFTWAREversion", "FIRMWAREversion"};
    for (const std::string& key : changed) EXPECT_TRUE(allowed.count(key)) << key;
    EXPECT_TRUE(changed.count("DefaultSimulationSpeed"));
    EXPECT_NE(std::find(after.begin(), after.end(), "DefaultSimulationSpeed=321"), after.end());
}

TEST(AppCoreTest, ShutdownStopsAJoiningRunAndARunningMotion) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    // A long manual move, so that the controller is busy at the end.
    ManualControl& manual = rig.core->ManualControlWindow();
    rig.sim->SetRunLimit(50);  // the run stands still at 50 ms until it is cancelled
    manual.Edit4Changed("500");
    ASSERT_EQ(manual.MoveByDistance(false), STAT_OK);
    ASSERT_TRUE(rig.sim->WaitForState(SimState::Running, 2000));
    ASSERT_EQ(rig.W().LoadFile(Example("letters.plt"), 1), 16);
    ASSERT_TRUE(rig.W().JoiningRunning());
    rig.core->Shutdown();
    bool cancelled = false;
    for (const SimSample& s : rig.sim->Trace()) cancelled = cancelled || s.event == SimEvent::Cancel;
    EXPECT_TRUE(cancelled);
    rig.core->Shutdown();  // a second shut-down does nothing
}

TEST(AppCoreTest, DeviceChoiceRecreatesTheLinkAndRefreshesTheAboutBox) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    rig.core->Parameters().SetText("Testing", "FIRMWAREversion", "");
    rig.onModal = [&rig](MainWindowModel::Dialog d) {
        if (d != MainWindowModel::Dialog::Devices) return false;
        DeviceList& list = rig.core->Devices();
        list.Show();
        list.Select(0);
        return list.Choose(rig.core->Parameters(), rig.prompt) == DeviceList::Result::Ok;
    };
    rig.W().Devices();
    ASSERT_NE(rig.core->Link(), nullptr);
    EXPECT_EQ(rig.core->Cutting().Link(), rig.core->Link());
    EXPECT_EQ(rig.core->Link()->Handshake(), STAT_OK);
    EXPECT_NE(rig.core->Parameters().GetText("Testing", "FIRMWAREversion", ""), "");
}

TEST(AppCoreTest, WithoutAnAnsweringControllerTheProgramGoesOn) {
    AppRig rig(IniValues{{"SerialNo", "NOSUCH01"}});
    ASSERT_FALSE(rig.Start().exit);
    EXPECT_TRUE(rig.Asked(110));  // the controller does not answer
    EXPECT_FALSE(rig.core->ExitRequested().has_value());
    // Loading and joining work without a controller.
    ASSERT_EQ(rig.LoadAndJoin(Example("letters.plt")), 16);
    EXPECT_TRUE(rig.C("SpeedButton6").enabled);
}

}  // namespace
}  // namespace wirvela::test
