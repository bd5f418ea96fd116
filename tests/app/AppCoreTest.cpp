// Start-up and shut-down of the application core.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>

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
    EXPECT_EQ(core.Channels().size(), 5u) << "main window, cutting, manual control, rotary project, multiplication";
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

// A wirvela.ini that cannot serve is never run on silently: the operator chooses between
// the shipped settings (whatever stood there is kept aside) and the built-in values.
struct BadSettingsCase {
    const char* name;
    std::optional<std::string> content;  // absent: no wirvela.ini; "/": a folder of that name
    const char* problem;
};

class AppCoreBadSettings : public testing::TestWithParam<std::tuple<BadSettingsCase, bool>> {};

std::vector<std::filesystem::path> KeptAside(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string().rfind("wirvela.ini.bad-", 0) == 0) kept.push_back(entry.path());
    return kept;
}

bool MemoHas(AppRig& rig, const std::string& part) {
    rig.core->ProcessEvents();
    for (const std::string& line : rig.W().Form().Memo1Lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

TEST_P(AppCoreBadSettings, TheOperatorChoosesTheShippedOrTheBuiltInSettings) {
    const auto& [c, yes] = GetParam();
    AppRig rig;
    const std::filesystem::path ini = rig.dir.Path() / "wirvela.ini";
    std::filesystem::remove(ini);
    if (c.content == "/") {
        std::filesystem::create_directory(ini);
    } else if (c.content) {
        rig.dir.Write("wirvela.ini", *c.content);
    }
    rig.answer = [yes](const PromptRequest& r) {
        if (r.messageKey == 607) return yes ? PromptAnswer::Yes : PromptAnswer::No;
        return AffirmativeAnswer(r.buttons);
    };
    ASSERT_FALSE(rig.Start().exit);

    ASSERT_TRUE(rig.Asked(607));
    const PromptRequest& question = rig.asked.front();
    EXPECT_EQ(question.messageKey, 607);
    EXPECT_EQ(question.buttons, PromptButtons::YesNo);
    EXPECT_NE(question.text.find(ini.string() + " " + c.problem), std::string::npos) << question.text;
    EXPECT_NE(question.text.find(rig.shippedData.string()), std::string::npos) << question.text;

    const std::vector<std::filesystem::path> kept = KeptAside(rig.dir.Path());
    if (yes) {
        EXPECT_EQ(ReadText(ini), ReadText(rig.shippedData / "wirvela.ini"));
        EXPECT_GT(rig.core->Parameters().SectionCount(), 0);
        EXPECT_TRUE(MemoHas(rig, "started from the shipped settings"));
        ASSERT_EQ(kept.size(), c.content ? 1u : 0u);
        if (c.content == "/") {
            EXPECT_TRUE(std::filesystem::is_directory(kept[0]));
        } else if (c.content) {
            EXPECT_EQ(ReadText(kept[0]), *c.content);
        }
        return;
    }
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(rig.core->Parameters().SectionCount(), 0);
    EXPECT_TRUE(MemoHas(rig, "the built-in settings stand in for it"));
    rig.core->Shutdown();
    if (c.content && c.content != "/") {
        EXPECT_EQ(ReadText(ini), *c.content) << "changed at start or at shut-down";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppCoreBadSettings,
    testing::Combine(testing::Values(BadSettingsCase{"Missing", std::nullopt, "is missing"},
                                     BadSettingsCase{"Empty", std::string(), "is empty"},
                                     BadSettingsCase{"Binary", std::string("[Ploter]\0\x7f\x01ELF", 13),
                                                     "is not a settings file"},
                                     BadSettingsCase{"NoSection", std::string("mmPerStep=0.01\n"),
                                                     "is not a settings file"},
                                     BadSettingsCase{"Folder", std::string("/"), "is not a file"}),
                     testing::Bool()),
    [](const testing::TestParamInfo<std::tuple<BadSettingsCase, bool>>& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Yes" : "No");
    });

TEST(AppCoreTest, AUsableSettingsFileIsNotQuestioned) {
    AppRig rig;
    ASSERT_FALSE(rig.Start().exit);
    EXPECT_FALSE(rig.Asked(607));
    EXPECT_FALSE(rig.Asked(608));
    EXPECT_TRUE(KeptAside(rig.dir.Path()).empty());
}

TEST(AppCoreTest, WithoutShippedSettingsTheBuiltInOnesAreSaidToStandIn) {
    AppRig rig;
    rig.dir.Write("wirvela.ini", "");
    rig.shippedData = rig.dir.Path() / "nowhere";
    ASSERT_FALSE(rig.Start().exit);
    EXPECT_FALSE(rig.Asked(607));
    ASSERT_TRUE(rig.Asked(608));
    EXPECT_NE(rig.asked.front().text.find("no shipped wirvela.ini"), std::string::npos) << rig.asked.front().text;
    EXPECT_TRUE(MemoHas(rig, "the built-in settings stand in for it"));
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
