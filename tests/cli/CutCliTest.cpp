// The main job from the command line: estimate and cut on example drawings against the
// simulated controller.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliDevice.h"
#include "cli/CliTestSupport.h"
#include "cli/InterruptGuard.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "controller/ControllerCodes.h"
#include "controller/SimulatedController.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ReadFile;

using Json = nlohmann::json;

std::string Example(const char* name) {
    return (test::ShippedDataDir().parent_path() / "examples" / name).string();
}

// Gives the first line "KEY=…" of an INI text the value.
void SetKey(std::string& ini, const std::string& key, const std::string& value) {
    const std::size_t at = ini.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t from = at + key.size() + 2;
    ini.replace(from, ini.find('\n', from) - from, value);
}

// The shipped settings and texts, with a machine of 0.05 mm per step, two-figure mode
// and block transfers.
class CutCli : public test::CliTest {
protected:
    void SetUp() override {
        std::string ini = ReadFile(test::ShippedDataDir() / "wirvela.ini");
        SetKey(ini, "mmPerStep", "0.05");
        SetKey(ini, "Cone", "1");
        SetKey(ini, "Buffered", "1");
        SetKey(ini, "InterCharDelay", "0");
        SetKey(ini, "CzasDrutu", "0");
        SetKey(ini, "DlugDrutu", "0");
        dir.Write("wirvela.ini", ini);
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
    }
    double Stored(const char* section, const char* key) {
        TParameters p;
        p.Load(dir.Path(), "wirvela.ini", "local.txt");
        return p.GetNumber(section, key, -1);
    }
};

TEST_F(CutCli, EstimatePrintsTheCuttingWindowsEstimate) {
    const CliRun run = Run({"estimate", Example("letters.plt"), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    const int seconds = j["seconds"].get<int>();
    EXPECT_GT(seconds, 60);
    EXPECT_GT(j["lengthMetres"].get<double>(), 1.0);
    char duration[16];
    std::snprintf(duration, sizeof duration, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    EXPECT_EQ(j["duration"], duration);

    // Material 2 (EPS 20) is slower than material 1.
    const CliRun slower = Run({"estimate", Example("letters.plt"), "--material", "2", "--json"});
    ASSERT_EQ(slower.code, 0) << slower.err;
    EXPECT_GT(slower.json()["seconds"].get<int>(), seconds);
    EXPECT_EQ(slower.json()["lengthMetres"], j["lengthMetres"]);
}

TEST_F(CutCli, CutRunsTheDrawingOnTheSimulatedControllerAndKeepsTheWear) {
    const std::string trace = (dir.Path() / "trace.csv").string();
    const CliRun run = Run({"cut", Example("letters.plt"), "--speedup", "0", "--json", "--trace", trace});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    EXPECT_EQ(j["result"], 16);
    EXPECT_EQ(j["end"], 48);
    EXPECT_GT(j["frames"].get<int>(), 10);
    // Every line frame and the program's end frames travel in the block.
    EXPECT_GE(j["blockBytes"].get<int>(), 12 * j["frames"].get<int>());
    ASSERT_EQ(j["simulated"]["figures"].size(), 1u);
    EXPECT_EQ(j["simulated"]["figures"][0]["end"], Json::array({0, 0}));
    EXPECT_EQ(j["simulated"]["tableSteps"], 0);
    const double estimate = j["estimateSeconds"].get<double>();
    EXPECT_NEAR(j["simulated"]["seconds"].get<double>(), estimate, 0.02 * estimate + 1);

    // The wear counters were charged with the estimate and saved.
    EXPECT_DOUBLE_EQ(j["wear"]["CzasDrutu"].get<double>(), estimate / 60);
    EXPECT_DOUBLE_EQ(Stored("Ploter", "CzasDrutu"), estimate / 60);
    EXPECT_NEAR(Stored("Ploter", "DlugDrutu"), j["lengthMetres"].get<double>(), 1e-9);

    const std::string csv = ReadFile(trace);
    EXPECT_EQ(csv.rfind("timeMs,event,program,end1X,end1Y,end2X,end2Y,table,heating,code\n", 0), 0u);
    EXPECT_NE(csv.find(",run-end,"), std::string::npos);
}

TEST_F(CutCli, ATwoFigureDrawingReturnsBothWireEndsToTheirStart) {
    const CliRun run = Run({"cut", Example("wing_two_figure.plt"), "--yes", "--speedup", "0", "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    EXPECT_EQ(j["end"], 48);
    ASSERT_EQ(j["simulated"]["figures"].size(), 2u);
    EXPECT_EQ(j["simulated"]["figures"][0]["end"], Json::array({0, 0}));
    EXPECT_EQ(j["simulated"]["figures"][1]["end"], Json::array({0, 0}));
}

TEST_F(CutCli, TheTextReportNamesTheEnd) {
    const CliRun run = Run({"cut", Example("mounting_plate.dxf"), "--speedup", "0"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Start: 16\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("End: 48 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Wire ends: (0, 0) and (0, 0) steps"), std::string::npos) << run.out;
}

TEST_F(CutCli, NearTheWearLimitOnlyAnInteractiveCutGoesOn) {
    std::string ini = ReadFile(dir.Path() / "wirvela.ini");
    SetKey(ini, "CzasDrutu", "599");
    dir.Write("wirvela.ini", ini);

    const CliRun refused = Run({"cut", Example("letters.plt"), "--speedup", "0", "--json"});
    EXPECT_EQ(refused.code, 5);
    EXPECT_EQ(refused.json()["result"], -2);
    EXPECT_EQ(refused.json()["end"], nullptr);
    EXPECT_EQ(Stored("Ploter", "CzasDrutu"), 599);

    const CliRun accepted = Run({"cut", Example("letters.plt"), "--speedup", "0", "--json", "--yes"});
    EXPECT_EQ(accepted.code, 0) << accepted.err;
    EXPECT_NE(accepted.err.find("message 122"), std::string::npos) << accepted.err;
    EXPECT_GT(Stored("Ploter", "CzasDrutu"), 599);
}

TEST_F(CutCli, AProgramTheControllerCannotTimeIsRefusedWithItsCode) {
    // 1 mm per step: the first move's timer period is beyond the controller (769).
    std::string ini = ReadFile(dir.Path() / "wirvela.ini");
    SetKey(ini, "mmPerStep", "1.0");
    dir.Write("wirvela.ini", ini);
    const CliRun run = Run({"cut", Example("letters.plt"), "--speedup", "0", "--json"});
    EXPECT_EQ(run.code, 5);
    EXPECT_EQ(run.json()["result"], 769);
}

// A setting edited into the file by hand outside its domain refuses the cut before
// anything reaches the controller, says which, and charges no wear.
struct UnusableSetting {
    const char* key;
    const char* value;
    const char* said;
};

class CutCliUnusableSetting : public CutCli, public testing::WithParamInterface<UnusableSetting> {};

TEST_P(CutCliUnusableSetting, RefusesTheCutBeforeAnythingIsSent) {
    std::string ini = ReadFile(dir.Path() / "wirvela.ini");
    SetKey(ini, GetParam().key, GetParam().value);
    dir.Write("wirvela.ini", ini);
    const CliRun run = Run({"cut", Example("letters.plt"), "--material", "1", "--speedup", "0"});
    EXPECT_EQ(run.code, 5) << run.out << run.err;
    EXPECT_NE(run.out.find("Start: -2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(GetParam().said), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0 line and turn frames"), std::string::npos) << run.out;
    EXPECT_EQ(Stored("Ploter", "CzasDrutu"), 0);
    EXPECT_EQ(Stored("Ploter", "DlugDrutu"), 0);
}

INSTANTIATE_TEST_SUITE_P(Settings, CutCliUnusableSetting,
                         testing::Values(UnusableSetting{"mmPerStep", "abc", "[Ploter] mmPerStep=abc"},
                                         UnusableSetting{"SkalaHPGL", "-1", "[Ploter] SkalaHPGL=-1"},
                                         UnusableSetting{"StepsPer360", "0", "[Ploter] StepsPer360=0"},
                                         UnusableSetting{"V", "0", "[Material1] V=0"},
                                         UnusableSetting{"T", "150", "[Material1] T=150"}));

// A stop signal at any moment of a cut: the controller gets the cancel, the summary is
// printed, the wear is saved and the exit code names the signal.
struct StopCase {
    const char* phase;
    int signal;
    const char* speedUp;
    bool started;  // Start was reached: the wear is charged
    // The program was surely running when the cancel came, so the simulator traced it (a
    // cancel to an idle controller is no event of its trace; as fast as possible, the
    // program may have ended first).
    bool cancelTraced;
};

class CutCliStopSignal : public CutCli, public testing::WithParamInterface<StopCase> {
protected:
    void TearDown() override { SetRunPhaseHook({}); }
};

TEST_P(CutCliStopSignal, CancelsSavesAndEndsWithTheSignalsCode) {
    const StopCase& c = GetParam();
    SetRunPhaseHook([c](std::string_view phase) {
        if (phase == c.phase) std::raise(c.signal);
    });
    const std::string trace = (dir.Path() / "trace.csv").string();
    const CliRun run = Run({"cut", Example("letters.plt"), "--speedup", c.speedUp, "--trace", trace});
    EXPECT_EQ(run.code, 128 + c.signal) << run.out << run.err;
    if (c.cancelTraced) {
        EXPECT_NE(ReadFile(trace).find(",cancel,"), std::string::npos) << "no cancel reached the running program";
    }
    EXPECT_NE(run.out.find("Wire wear:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(c.started ? "End: stopped (" : "Start: not started, stopped by "), std::string::npos)
        << run.out;
    if (c.started) {
        EXPECT_GT(Stored("Ploter", "CzasDrutu"), 0) << "the wear of a started cut is saved";
    } else {
        EXPECT_EQ(Stored("Ploter", "CzasDrutu"), 0) << "nothing was cut, nothing is charged";
        EXPECT_NE(run.out.find("Program: 0 line and turn frames"), std::string::npos) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Phases, CutCliStopSignal,
                         testing::Values(StopCase{"loaded", SIGINT, "1", false, false},
                                         StopCase{"linked", SIGTERM, "0", false, false},
                                         StopCase{"block", SIGHUP, "1", true, true},
                                         StopCase{"running", SIGTERM, "1", true, true},
                                         StopCase{"running", SIGINT, "0", true, false}));

// Every fault the simulated controller can put in a cut's way: the command ends (no
// wait for a report that cannot come), names the code with its text, cancels a program
// that may still run, charges the wear once the program was streamed, and exits with the
// code a script can tell the outcome by. docs/reliability.md lists the same cases.
struct FaultCase {
    const char* name;
    std::function<void(SimulatedController&)> beforeLink;
    std::function<void(SimulatedController&)> whileRunning;  // once the program runs
    int exit;
    int code;        // the controller code the command names
    int messageKey;  // the code's text in local.txt
    bool cancelTraced;  // a cancel reached a program that was running
    bool wearCharged;
};

class CutCliFault : public CutCli, public testing::WithParamInterface<FaultCase> {
protected:
    void TearDown() override {
        SetSimulatorHook({});
        SetRunPhaseHook({});
    }
};

TEST_P(CutCliFault, EndsNamesTheCodeAndExitsWithItsOutcome) {
    const FaultCase& c = GetParam();
    SimulatedController* sim = nullptr;
    SetSimulatorHook([&](SimulatedController& made) {
        sim = &made;
        if (c.beforeLink) c.beforeLink(made);
    });
    SetRunPhaseHook([&](std::string_view phase) {
        if (phase == "running" && c.whileRunning) c.whileRunning(*sim);
    });
    const std::string trace = (dir.Path() / "trace.csv").string();
    const CliRun run = Run({"cut", Example("letters.plt"), "--speedup", "0", "--trace", trace});
    EXPECT_EQ(run.code, c.exit) << run.out << run.err;

    TMessages messages;
    ASSERT_TRUE(messages.CheckLocalFile(dir.Path()));
    messages.LoadMessages();
    const std::string said = run.out + run.err;
    EXPECT_NE(said.find(messages.MessageText(c.messageKey)), std::string::npos) << said;
    EXPECT_NE(said.find("[ " + std::to_string(c.code) + " = "), std::string::npos) << said;

    EXPECT_EQ(ReadFile(trace).find(",cancel,") != std::string::npos, c.cancelTraced) << ReadFile(trace);
    EXPECT_EQ(Stored("Ploter", "CzasDrutu") > 0, c.wearCharged);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CutCliFault,
    testing::Values(
        FaultCase{"SilentController", [](SimulatedController& s) { s.SetSilent(true); }, {}, 4, RS_EMPTY_RESP, 36,
                  false, false},
        FaultCase{"WrongChecksum", [](SimulatedController& s) { s.SetChecksumError(true); }, {}, 5, RS_DMA_CRC_ERROR,
                  74, false, true},
        FaultCase{"TooFast131", [](SimulatedController& s) { s.SetMinStepPeriod(1e9); }, {}, 6, STAT_ERR_OVERR, 46,
                  true, true},
        FaultCase{"NoWireCurrent135", [](SimulatedController& s) { s.FailWith(STAT_ERR_IPWM, 1000); }, {}, 6,
                  STAT_ERR_IPWM, 50, true, true},
        // The controller goes on with the program: the run ends normally, the summary says
        // which switch the wire ran into.
        FaultCase{"LimitSwitch", [](SimulatedController& s) { s.SetTravel({true, -1000000, 200}, {}); }, {}, 0,
                  WYL_PRAWY, 55, false, true},
        // The run stands still, so only the lost link can end the command.
        FaultCase{"UnpluggedMidRun", [](SimulatedController& s) { s.SetRunLimit(1000); },
                  [](SimulatedController& s) { s.SetUnplugged(true); }, 6, COM_ASYNCH_ERR_READ, 66, false, true},
        // Read as the start's reply, the report fails the start of a program that runs.
        FaultCase{"ReportDuringStart",
                  [](SimulatedController& s) {
                      s.ReportBeforeStartReply(WYL_LEWY);
                      s.SetRunLimit(1000);
                  },
                  {}, 5, WYL_LEWY, 54, true, true}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// Without a usable wirvela.ini every command warns; the ones that move the machine refuse
// rather than run on built-in settings.
struct BrokenSettings {
    const char* name;
    std::function<void(const std::filesystem::path& dir)> spoil;
    const char* said;
};

class CutCliBrokenSettings : public CutCli, public testing::WithParamInterface<BrokenSettings> {};

TEST_P(CutCliBrokenSettings, WarnsAndRefusesToMoveTheMachine) {
    GetParam().spoil(dir.Path());
    const CliRun cut = Run({"cut", Example("letters.plt"), "--speedup", "0"});
    EXPECT_EQ(cut.code, 7) << cut.out << cut.err;
    EXPECT_NE(cut.err.find(GetParam().said), std::string::npos) << cut.err;
    EXPECT_EQ(cut.out, "");
    const CliRun move = Run({"move", "--dx", "1", "--dy", "0", "--speedup", "0"});
    EXPECT_EQ(move.code, 7) << move.err;
    const CliRun estimate = Run({"estimate", Example("letters.plt")});
    EXPECT_NE(estimate.err.find("warning: "), std::string::npos) << estimate.err;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CutCliBrokenSettings,
    testing::Values(
        BrokenSettings{"Missing", [](const std::filesystem::path& d) { std::filesystem::remove(d / "wirvela.ini"); },
                       "wirvela.ini is missing"},
        BrokenSettings{"Empty", [](const std::filesystem::path& d) { std::ofstream(d / "wirvela.ini", std::ios::trunc); },
                       "wirvela.ini is empty"},
        BrokenSettings{"Binary",
                       [](const std::filesystem::path& d) {
                           std::ofstream(d / "wirvela.ini", std::ios::binary) << std::string("\x7f" "ELF\0\0[x]", 9);
                       },
                       "wirvela.ini is not a settings file"},
        BrokenSettings{"NoSections",
                       [](const std::filesystem::path& d) { std::ofstream(d / "wirvela.ini") << "mmPerStep=0.05\n"; },
                       "wirvela.ini is not a settings file"}),
    [](const testing::TestParamInfo<BrokenSettings>& info) { return std::string(info.param.name); });

TEST_F(CutCli, AFolderThatDoesNotExistIsSaid) {
    std::filesystem::remove_all(dir.Path());
    const CliRun run = Run({"cut", Example("letters.plt")});
    EXPECT_EQ(run.code, 7) << run.err;
    EXPECT_NE(run.err.find(dir.Str() + " does not exist"), std::string::npos) << run.err;
}

TEST_F(CutCli, BadInputExitsWithAReason) {
    const CliRun missing = Run({"cut", (dir.Path() / "none.plt").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("cannot read drawing file (not found)"), std::string::npos) << missing.err;
    std::filesystem::create_directory(dir.Path() / "folder.plt");
    const CliRun folder = Run({"cut", (dir.Path() / "folder.plt").string()});
    EXPECT_EQ(folder.code, 1);
    EXPECT_NE(folder.err.find("cannot read drawing file (a folder, not a file)"), std::string::npos) << folder.err;
    EXPECT_NE(Run({"cut", Example("letters.plt"), "--device", "serial"}).code, 0);
    EXPECT_NE(Run({"estimate", Example("letters.plt"), "--material", "11"}).code, 0);
    EXPECT_NE(Run({"cut", Example("letters.plt"), "--speedup", "-1"}).code, 0);
}

// The example projects are cut as they reopen: the drawing multiplied after its joining
// (a grid, and three copies in a column for several wires, the layout the machine's
// Multiwire setting names) and run to the controller's end, the wire standing where the
// cut path ends.
TEST_F(CutCli, ExampleProjectsAreCutToTheEndOfTheirPath) {
    const struct {
        const char* project;
        const char* layout;
    } cases[] = {{"nested_parts_grid.con", "N"}, {"letters_multiwire.con", "H"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.project);
        std::string ini = ReadFile(dir.Path() / "wirvela.ini");
        SetKey(ini, "Multiwire", c.layout);
        dir.Write("wirvela.ini", ini);

        const CliRun plan = Run({"plan", Example(c.project), "--json", "--geometry"});
        ASSERT_EQ(plan.code, 0) << plan.err;
        const Json planned = plan.json();
        const Json& figure = planned["figures"][0];
        test::ExpectContinuous(figure);
        const Json& path = figure["path"];
        const Json& lines = figure["lineTable"];
        const Json& vertices = figure["vertexTable"];
        const Json& first = vertices[test::StepStart(lines, path.front())];
        const Json& last = vertices[test::StepEnd(lines, path.back())];
        // Drawing units of 0.025 mm, motor steps of 0.05 mm.
        const double endX = (last[0].get<double>() - first[0].get<double>()) * 0.025 / 0.05;
        const double endY = (last[1].get<double>() - first[1].get<double>()) * 0.025 / 0.05;

        const CliRun run = Run({"cut", Example(c.project), "--speedup", "0", "--json"});
        ASSERT_EQ(run.code, 0) << run.err;
        const Json j = run.json();
        EXPECT_EQ(j["end"], 48) << "STAT_END";
        const Json& end = j["simulated"]["figures"][0]["end"];
        EXPECT_NEAR(end[0].get<double>(), endX, 1.0);
        EXPECT_NEAR(end[1].get<double>(), endY, 1.0);
    }
}

}  // namespace
}  // namespace wirvela
