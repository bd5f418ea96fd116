// wirvela-cli's manual motions: move and turn on the simulated controller.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliDevice.h"
#include "cli/CliTestSupport.h"
#include "cli/InterruptGuard.h"
#include "controller/ControllerCodes.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;

class ManualCli : public test::CliTest {
protected:
    void SetUp() override {
        std::filesystem::copy_file(test::ShippedDataDir() / "local.txt", dir.Path() / "local.txt");
        Settings("mmPerStep=0.01\nStepsPer360=1000\n");
    }
    void Settings(const std::string& ploter) {
        dir.Write("wirvela.ini",
                  "[Ploter]\n" + ploter + "[ParamsLimits]\nVxyManMin=4\nVxyManMax=60\n[RSparam]\nTimeoutRX=20\n");
    }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--speedup", "0"});
        return CliTest::Run(std::move(args));
    }
};

TEST_F(ManualCli, MoveEndsAtTheCommandedDistance) {
    const CliRun r = Run({"move", "--dx", "12.5", "--dy", "-4", "--speed", "30", "--json"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["command"], "move");
    EXPECT_EQ(j["result"], 16);
    EXPECT_EQ(j["end"], 48);
    EXPECT_EQ(j["steps"], nlohmann::json({1250, -400}));
    EXPECT_EQ(j["speed"], 30);
    EXPECT_EQ(j["simulated"]["ends"], nlohmann::json({{1250, -400}, {1250, -400}}));
    // 100 ms preheating, then 1250 steps at 2 ms per step along the path.
    EXPECT_NEAR(j["simulated"]["seconds"].get<double>(), 0.1 + 1250 * 2 * std::hypot(1250, 400) / 1250 / 1000, 0.01);
}

// A stop signal before or during a motion cancels it and ends with the signal's code,
// also when the simulated controller runs as fast as it can.
struct MotionStop {
    const char* phase;
    int signal;
    const char* said;
};

class ManualCliStopSignal : public ManualCli, public testing::WithParamInterface<MotionStop> {
protected:
    void TearDown() override { SetRunPhaseHook({}); }
};

TEST_P(ManualCliStopSignal, CancelsTheMotion) {
    const MotionStop& c = GetParam();
    SetRunPhaseHook([c](std::string_view phase) {
        if (phase == c.phase) std::raise(c.signal);
    });
    // 10^8 steps: without the cancel the simulated run would take hours of real time.
    const CliRun r = Run({"move", "--dx", "1e6", "--dy", "0", "--json"});
    EXPECT_EQ(r.code, 128 + c.signal) << r.out << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["end"], nullptr);
    if (j.contains("simulated")) {
        EXPECT_LT(j["simulated"]["ends"][0][0].get<long long>(), 100000000);
    }
    const CliRun text = Run({"move", "--dx", "1e6", "--dy", "0"});
    EXPECT_NE(text.out.find(c.said), std::string::npos) << text.out;
}

INSTANTIATE_TEST_SUITE_P(Phases, ManualCliStopSignal,
                         testing::Values(MotionStop{"linked", SIGHUP, "not started, stopped by SIGHUP"},
                                         MotionStop{"running", SIGTERM, "stopped by SIGTERM"},
                                         MotionStop{"running", SIGINT, "stopped by Ctrl+C"}));

class ManualCliUnplugged : public ManualCli {
protected:
    void TearDown() override {
        SetSimulatorHook({});
        SetRunPhaseHook({});
    }
};

// The cable pulled during a motion of hours: the command ends at the reader's 564, tries
// the cancel and exits 6, rather than wait for an end report no one can deliver.
TEST_F(ManualCliUnplugged, ALostLinkEndsTheMotion) {
    SimulatedController* sim = nullptr;
    SetSimulatorHook([&](SimulatedController& made) { sim = &made; });
    SetRunPhaseHook([&](std::string_view phase) {
        if (phase == "running") sim->SetUnplugged(true);
    });
    const CliRun r = Run({"move", "--dx", "1e6", "--dy", "0", "--json"});
    EXPECT_EQ(r.code, 6) << r.out << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["end"], COM_ASYNCH_ERR_READ);
}

TEST_F(ManualCli, AMachineSettingOutsideItsDomainRefusesTheMotion) {
    for (const char* ploter : {"mmPerStep=abc\nStepsPer360=1000\n", "mmPerStep=0.01\nStepsPer360=0\n"}) {
        Settings(ploter);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"move", "--dx", "1", "--dy", "0"}, {"turn", "10"}}) {
            const CliRun r = Run(args);
            EXPECT_EQ(r.code, 5) << ploter << args[0];
            EXPECT_NE(r.err.find("cannot be used"), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
}

// A value edited by hand to great length hides the keys after it from the settings
// reader: the run would take their defaults, so it is refused and the keys are named.
TEST_F(ManualCli, AMachineSettingHiddenByALongValueRefusesTheMotion) {
    Settings("Multiwire=" + std::string(9980, 'w') + "\nmmPerStep=0.01\nStepsPer360=1000\n");
    const CliRun r = Run({"move", "--dx", "1", "--dy", "0"});
    EXPECT_EQ(r.code, 5) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("wirvela.ini [Ploter]: the keys mmPerStep, StepsPer360 are not read"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("10000 bytes"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("[Ploter] mmPerStep=0.01 cannot be used"), std::string::npos) << r.err;
}

// The progress line is for a terminal only: a script reading standard error gets nothing
// new, also from a motion that runs long enough for the line (over a second).
TEST_F(ManualCli, ALongMotionWritesNoProgressWhenStandardErrorIsNoTerminal) {
    // 1250 steps at 2 ms per step along the path, about 2.7 s, run twice as fast.
    const CliRun r = CliTest::Run({"move", "--dx", "12.5", "--dy", "-4", "--speed", "30", "--speedup", "2"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find('\r'), std::string::npos) << r.out;
}

TEST_F(ManualCli, MotionsBeyondTheStepCountersAreRefused) {
    // 0.01 mm per step: 2^31 - 1 steps are 21,474,836 mm; StepsPer360 1000.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"move", "--dx", "3e7", "--dy", "0"}, {"move", "--dx", "0", "--dy", "-3e7"},
          {"turn", "800000000"}}) {
        const CliRun r = Run(args);
        EXPECT_EQ(r.code, 2) << args[1];
        EXPECT_NE(r.err.find("does not fit the controller's step counters"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(ManualCli, MoveTextNamesTheStepsAndTheEnd) {
    const CliRun r = Run({"move", "--dx", "1", "--dy", "2"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("move: dx 1 mm, dy 2 mm = 100, 200 steps at 10 cm/min\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ended: 48"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("wire end 1: 100, 200 steps; wire end 2: 100, 200 steps; table: 0 steps"), std::string::npos)
        << r.out;
}

TEST_F(ManualCli, SpeedIsKeptWithinTheManualLimits) {
    const CliRun r = Run({"move", "--dx", "1", "--dy", "0", "--speed", "5000", "--json"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["speed"], 60);
}

TEST_F(ManualCli, TurnMovesTheTable) {
    const CliRun r = Run({"turn", "-90", "--json"});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["tableSteps"], -250);
    EXPECT_EQ(j["simulated"]["table"], -250);
    EXPECT_EQ(j["simulated"]["ends"], nlohmann::json({{0, 0}, {0, 0}}));
}

TEST_F(ManualCli, RefusedMoveExits5WithTheCode) {
    Settings("mmPerStep=1\n");  // 600 ms per step at 10 cm/min: beyond the controller's timer
    const CliRun r = Run({"move", "--dx", "10", "--dy", "0", "--json"});
    EXPECT_EQ(r.code, 5);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["result"], 769);
    EXPECT_TRUE(j["end"].is_null());
    EXPECT_NE(j["text"].get<std::string>().find("ERR_COUNTER_OVERFLOW"), std::string::npos);
}

TEST_F(ManualCli, NonFiniteNumbersAreRefused) {
    EXPECT_EQ(Run({"move", "--dx", "inf", "--dy", "0"}).code, 2);
    EXPECT_EQ(Run({"move", "--dx", "1", "--dy", "0", "--speed", "nan"}).code, 2);
    EXPECT_NE(Run({"move", "--dx", "1"}).code, 0);  // --dy is required
}

}  // namespace
}  // namespace wirvela
