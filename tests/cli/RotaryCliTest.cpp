// Rotary projects from the command line: one profile's preparation, and whole projects
// on the simulated controller, profile after profile, held, stopped and failing.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "cli/CliDevice.h"
#include "cli/CliTestSupport.h"
#include "cli/InterruptGuard.h"
#include "cli/RotaryCommands.h"
#include "controller/ControllerCodes.h"
#include "controller/SimulatedController.h"
#include "rotary/RotaryRun.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ReadFile;

// The shipped settings (2 steps per plotter unit, 100 table steps per turn) and three
// profiles 800 units wide.
class RotaryCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", ReadFile(test::ShippedDataDir() / "wirvela.ini"));
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
        dir.Write("a.plt", "IN;SP1;PU0,0;PD400,200;PD800,0;PU;");
        dir.Write("b.plt", "IN;SP1;PU0,0;PD400,100;PD800,0;PU;");
        dir.Write("c.plt", "IN;SP1;PU0,0;PD800,0;PU;");
        dir.Write("y.plt", "IN;SP1;PU0,0;PD400,200;PD800,0;PU400,200;PD400,400;PU;");
        dir.Write("p.hpr", "a.plt\t15\r\nb.plt\t30\r\nc.plt\t45\r\n");
    }
    void TearDown() override {
        SetSimulatorHook({});
        SetRotaryProfileHook({});
        SetRunPhaseHook({});
    }
    CliRun Rotary(const std::string& project, const char* speedUp = "0") {
        return Run({"--json", "rotary", (dir.Path() / project).string(), "--speedup", speedUp, "--trace", Trace()});
    }
    std::string Trace() const { return (dir.Path() / "trace.csv").string(); }
    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
};

TEST_F(RotaryCli, ProfileShowsItsEndsAndPathForEitherRowParity) {
    const CliRun odd = Run({"--json", "profile", (dir.Path() / "b.plt").string()});
    ASSERT_EQ(odd.code, 0) << odd.err;
    EXPECT_EQ(odd.json()["start"]["x"], 0.0);
    EXPECT_EQ(odd.json()["end"]["x"], 800.0);
    EXPECT_EQ(odd.json()["path"].dump(), "[[0,1],[1,1]]");
    const CliRun even = Run({"--json", "profile", (dir.Path() / "b.plt").string(), "--row", "2"});
    EXPECT_EQ(even.json()["start"]["x"], 800.0);
    EXPECT_EQ(even.json()["path"].dump(), "[[1,-1],[0,-1]]");
}

TEST_F(RotaryCli, ProfileRefusalsNameTheirMessage) {
    const CliRun y = Run({"--json", "profile", (dir.Path() / "y.plt").string()});
    EXPECT_EQ(y.code, 2);
    EXPECT_EQ(y.json()["ends"], 3);
    EXPECT_EQ(y.json()["branches"], 1);
    EXPECT_NE(y.err.find("message 205: "), std::string::npos) << y.err;
    const CliRun missing = Run({"profile", (dir.Path() / "none.plt").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("message 632: "), std::string::npos) << missing.err;
}

TEST_F(RotaryCli, ProfilesAreCutOneAfterAnotherAndTheTableTurnsBetweenThem) {
    const CliRun run = Rotary("p.hpr");
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    const nlohmann::json j = run.json();
    ASSERT_EQ(j["profiles"].size(), 3U);
    EXPECT_EQ(j["profiles"][0]["steps"].dump(), "[1600,0]");
    EXPECT_EQ(j["profiles"][1]["steps"].dump(), "[-1600,0]");
    EXPECT_EQ(j["profiles"][0]["turnSteps"], 4);  // 15° of 100 steps, toward zero
    EXPECT_EQ(j["profiles"][1]["turnSteps"], 8);
    EXPECT_TRUE(j["profiles"][2]["turnSteps"].is_null());
    EXPECT_EQ(j["end"], STAT_END);
    EXPECT_EQ(j["programs"], 3);
    EXPECT_EQ(j["tableSteps"], 12);
    // Each program starts after the previous one ended; turns only after the first two.
    const std::string trace = ReadFile(Trace());
    EXPECT_EQ(Count(trace, ",run-start,"), 3);
    EXPECT_EQ(Count(trace, ",program-end,"), 3);
    EXPECT_EQ(Count(trace, ",turn,"), 2);
    EXPECT_LT(trace.find(",program-end,"), trace.find(",run-start,", trace.find(",run-start,") + 1));
}

// The shipped rotary examples, the one made from the turned part's 3-D model among them,
// run to the controller's end, the table turned by every listed angle but the last one's.
TEST_F(RotaryCli, TheExampleProjectsAreCutToTheirEnd) {
    for (const char* name : {"turned_part.hpr", "vase.hpr"}) {
        SCOPED_TRACE(name);
        const std::string project = (test::ShippedDataDir().parent_path() / "examples" / "rotary" / name).string();
        const CliRun run = Run({"--json", "rotary", project, "--speedup", "0"});
        ASSERT_EQ(run.code, 0) << run.err;
        const nlohmann::json j = run.json();
        EXPECT_EQ(j["end"], STAT_END);
        const nlohmann::json& profiles = j["profiles"];
        ASSERT_GE(profiles.size(), 2U);
        EXPECT_EQ(j["programs"], profiles.size());
        int turns = 0;
        for (std::size_t i = 0; i + 1 < profiles.size(); ++i) turns += profiles[i]["turnSteps"].get<int>();
        EXPECT_TRUE(profiles.back()["turnSteps"].is_null());
        EXPECT_GT(turns, 0);
        EXPECT_EQ(j["tableSteps"], turns);
    }
}

TEST_F(RotaryCli, AHeldProjectContinuesToItsEnd) {
    SetRotaryProfileHook([](RotaryRun& run, int row) {
        if (row != 3) return;
        EXPECT_EQ(run.Hold(), STAT_OK);
        EXPECT_EQ(run.Continue(), STAT_OK);
    });
    const CliRun run = Rotary("p.hpr", "20");
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_EQ(run.json()["tableSteps"], 12);
    const std::string trace = ReadFile(Trace());
    EXPECT_EQ(Count(trace, ",hold,"), 1) << trace;
    EXPECT_EQ(Count(trace, ",resume,"), 1) << trace;
}

struct StopCase {
    int signal;
    int row;  // the profile during which it arrives
};

class RotaryCliStop : public RotaryCli, public testing::WithParamInterface<StopCase> {};

TEST_P(RotaryCliStop, StopsTheProjectWithTheSignalsCode) {
    const StopCase c = GetParam();
    SetRotaryProfileHook([c](RotaryRun&, int row) {
        if (row == c.row) std::raise(c.signal);
    });
    const CliRun run = Rotary("p.hpr", "20");
    EXPECT_EQ(run.code, 128 + c.signal) << run.out << run.err;
    EXPECT_EQ(run.json()["profiles"].size(), static_cast<std::size_t>(c.row));
    EXPECT_EQ(run.json()["stop"], STAT_OK);
    EXPECT_NE(ReadFile(Trace()).find(",cancel,"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, RotaryCliStop,
                         testing::Values(StopCase{SIGINT, 1}, StopCase{SIGTERM, 2}, StopCase{SIGHUP, 3}));

TEST_F(RotaryCli, AControllerFailureEndsTheProjectAndTheLinkStillAnswers) {
    SimulatedController* sim = nullptr;
    SetSimulatorHook([&sim](SimulatedController& made) { sim = &made; });
    SetRotaryProfileHook([&sim](RotaryRun&, int row) {
        if (row == 2) sim->FailWith(STAT_ERR_IPWM, 500);
    });
    const CliRun run = Rotary("p.hpr");
    EXPECT_EQ(run.code, 6) << run.out << run.err;
    const nlohmann::json j = run.json();
    EXPECT_EQ(j["end"], STAT_ERR_IPWM);
    EXPECT_EQ(j["profiles"].size(), 2U);
    EXPECT_EQ(j["stop"], STAT_OK) << "the cancel after the failure was answered";
    EXPECT_EQ(j["programs"], 2);
    EXPECT_EQ(j["tableSteps"], 4);
}

TEST_F(RotaryCli, AProfileThatCannotBeSentEndsTheProjectThere) {
    dir.Write("gap.hpr", "a.plt\t15\r\nnone.plt\t15\r\nc.plt\t0\r\n");
    const CliRun run = Rotary("gap.hpr");
    EXPECT_EQ(run.code, 6) << run.out << run.err;
    EXPECT_NE(run.err.find("message 632: "), std::string::npos) << run.err;
    const nlohmann::json j = run.json();
    ASSERT_EQ(j["profiles"].size(), 2U);
    EXPECT_EQ(j["profiles"][1]["result"], -1);
    EXPECT_EQ(j["programs"], 1);
    EXPECT_EQ(j["stop"], STAT_OK);
}

struct BadProject {
    const char* name;
    std::string content;
    int exit;
    const char* message;
};

class RotaryCliBadProject : public RotaryCli, public testing::WithParamInterface<BadProject> {};

TEST_P(RotaryCliBadProject, IsRefusedWithAReasonAndNothingIsCut) {
    const BadProject& c = GetParam();
    if (!c.content.empty()) dir.Write("bad.hpr", c.content);
    const CliRun run = Run({"rotary", (dir.Path() / "bad.hpr").string(), "--speedup", "0"});
    EXPECT_EQ(run.code, c.exit) << run.out << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("result 16"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, RotaryCliBadProject,
                         testing::Values(BadProject{"Missing", "", 1, "message 142: "},
                                         BadProject{"NoTab", "a.plt 15\r\n", 1, "message 142: "},
                                         BadProject{"Binary",
                                                    std::string("\x7f"
                                                                "ELF\0\0\t\x01\n",
                                                                9),
                                                    1, "message 142: "},
                                         BadProject{"LongLine", "a.plt\t" + std::string(5000, '1') + "\n", 1,
                                                    "message 633: "},
                                         BadProject{"WayUp", "../a.plt\t10\r\n", 5, "message 630: "},
                                         BadProject{"Absolute", "/etc/passwd\t10\r\n", 5, "message 630: "},
                                         BadProject{"MissingProfile", "none.plt\t10\r\n", 5, "message 632: "},
                                         BadProject{"Empty", "\t10\r\n", 5, "message 146: "}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wirvela
