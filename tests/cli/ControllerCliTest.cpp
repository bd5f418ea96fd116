// wirvela-cli's controller commands: protocol frames, the handshake and the device list.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;

class ControllerCli : public test::CliTest {
protected:
    void SetUp() override {
        std::filesystem::copy_file(test::ShippedDataDir() / "local.txt", dir.Path() / "local.txt");
        dir.Write("wirvela.ini", "[Ploter]\nXaxisDir=1\n[RSparam]\nSerialNo=SIM00001\nTimeoutRX=20\n");
    }
};

TEST_F(ControllerCli, LineFramesOfTheSplitExample) {
    const CliRun r = Run({"protocol", "line", "70000", "35000", "--period", "1000", "--delay"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "63F87F00800067FC01000000\n61F87F00800067FC01000000\n61801100800067FC01000000\n");
}

TEST_F(ControllerCli, NegativeStepsAndRotaryRatio) {
    EXPECT_EQ(Run({"protocol", "line", "-500", "250", "--period", "1000"}).out, "61F48100808067FC01000000\n");
    EXPECT_EQ(Run({"protocol", "line", "1000", "0", "--period", "1000", "--rot", "2.5"}).out,
              "61E803000000CDFE0300AA6A\n");
    EXPECT_EQ(Run({"protocol", "line", "1000", "0", "--period", "1000", "--rot", "-0.5"}).out,
              "61E80300000067FC01800040\n");
}

TEST_F(ControllerCli, AxisDirectionOfTheSettingsApplies) {
    dir.Write("wirvela.ini", "[Ploter]\nYaxisDir=-1\n");
    EXPECT_EQ(Run({"protocol", "line", "0", "10", "--period", "1000"}).out, "620A8000000067FC01000000\n");
}

TEST_F(ControllerCli, ClockOption) {
    EXPECT_EQ(Run({"protocol", "turn", "400", "--period", "1000", "--clock", "16000000"}).out,
              "679001000030F80000000000\n");
    EXPECT_EQ(Run({"protocol", "turn", "-400", "--period", "1000"}).out, "6770FEFFFF67FC0000000000\n");
}

TEST_F(ControllerCli, RefusedOperationPrintsTheCodeAndExits1) {
    const CliRun slow = Run({"protocol", "line", "100", "0", "--period", "80000"});
    EXPECT_EQ(slow.code, 1);
    EXPECT_EQ(slow.out.rfind("code 769: Time between steps too long", 0), 0u) << slow.out;
    EXPECT_NE(slow.out.find("[ 769 = 301hex ]: ERR_COUNTER_OVERFLOW"), std::string::npos);

    const CliRun twoFigures = Run({"protocol", "line", "100", "0", "--period", "80000", "--two-figure", "--json"});
    EXPECT_EQ(twoFigures.code, 1);
    const auto j = nlohmann::json::parse(twoFigures.out);
    EXPECT_EQ(j["result"], 772);
    EXPECT_TRUE(j["frames"].empty());
    EXPECT_NE(j["text"].get<std::string>().find("ERR_COUNTER_OVERFLOW_EXT"), std::string::npos);

    EXPECT_EQ(Run({"protocol", "turn", "10", "--period", "80000"}).code, 1);
}

TEST_F(ControllerCli, JsonFrames) {
    const CliRun r = Run({"protocol", "line", "0", "0", "--period", "1000", "--json"});
    EXPECT_EQ(r.code, 0);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["result"], 16);
    EXPECT_TRUE(j["frames"].empty());
}

TEST_F(ControllerCli, BadInputIsRefused) {
    EXPECT_EQ(Run({"protocol", "line", "1.5", "0", "--period", "1000"}).code, 2);
    EXPECT_EQ(Run({"protocol", "line", "1e10", "0", "--period", "1000"}).code, 2);
    EXPECT_NE(Run({"protocol", "line", "10", "0"}).code, 0);
    EXPECT_NE(Run({"protocol", "line", "x", "0", "--period", "1"}).code, 0);
    EXPECT_NE(Run({"handshake", "--device", "serial"}).code, 0);
}

TEST_F(ControllerCli, HandshakeWithTheSimulatedController) {
    const CliRun r = Run({"handshake"});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("^--found matching device---"), std::string::npos);
    EXPECT_NE(r.out.find("info: wirvela simulated controller, protocol 38\n"), std::string::npos);
    EXPECT_NE(r.out.find("clock: 7372800 Hz\n"), std::string::npos);
    EXPECT_NE(r.out.find("result: 16 "), std::string::npos);

    const auto j = nlohmann::json::parse(Run({"handshake", "--json"}).out);
    EXPECT_EQ(j["handshake"], 16);
    EXPECT_EQ(j["outcome"], "continue");
    EXPECT_EQ(j["info"], "wirvela simulated controller, protocol 38");
}

TEST_F(ControllerCli, DevicesListTheSimulatedController) {
    const auto j = nlohmann::json::parse(Run({"devices", "--json"}).out);
    bool found = false;
    for (const auto& d : j["devices"]) {
        if (d["serialNo"] == "SIM00001") {
            found = true;
            EXPECT_EQ(d["vid"], "0403");
            EXPECT_EQ(d["pid"], "6010");
            EXPECT_EQ(d["line"], "Loc 0:  VID 0403  PID 6010  serial SIM00001  wirvela simulated controller");
        }
    }
    EXPECT_TRUE(found) << j.dump();
    EXPECT_NE(Run({"devices"}).out.find("serial SIM00001"), std::string::npos);
}

}  // namespace
}  // namespace wirvela
