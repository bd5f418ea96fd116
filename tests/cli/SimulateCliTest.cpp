#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ReadFile;

using Json = nlohmann::json;

// 0.0125 mm per step and 0.025 mm per unit: two steps per drawing unit. Material 2 runs
// at 60 cm/min (1.25 ms per step) and pauses 100 ms in corners of 90° or sharper.
constexpr const char* kIni =
    "[Ploter]\nSkalaHPGL=0.025\nmmPerStep=0.0125\nWejscieX=-5\nWejscieY=0\nCone=1\n"
    "[Material]\nOstatni=0\n"
    "[Material1]\nNazwa=slow\nV=10\nT=35\nRozgrzew=100\nOpWKacie=500\nKatGr=90\n"
    "[Material2]\nNazwa=fast\nV=60\nT=35\nRozgrzew=100\nOpWKacie=100\nKatGr=90\n";

class SimulateCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", kIni);
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
    }
};

TEST_F(SimulateCli, SquareWithEntryReportsItsMovesStepsCornersAndTime) {
    const std::string file = dir.Write("square.plt", "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;\n").string();
    const CliRun r = Run({"simulate", file, "--material", "2", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json j = r.json();
    EXPECT_EQ(j["material"], 2);
    ASSERT_EQ(j["figures"].size(), 1u);
    const Json& f = j["figures"][0];
    EXPECT_EQ(f["figure"], 1);
    EXPECT_EQ(f["records"], 6);  // in, four sides, out
    EXPECT_EQ(f["steps"], Json::array({0, 0}));
    // Three corners of the square, and either the first side or the way out.
    EXPECT_EQ(f["corners"], 4);
    // (4 × 8000 + 2 × 400) steps at 1.25 ms, four pauses of 100 ms.
    EXPECT_NEAR(f["seconds"].get<double>(), 41.4, 1e-9);
}

TEST_F(SimulateCli, RememberedMaterialAndTextReport) {
    const std::string file = dir.Write("square.plt", "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;\n").string();
    const CliRun r = Run({"simulate", file});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Material: 1 (slow)"), std::string::npos) << r.out;
    // 32800 steps at 7.5 ms and four pauses of 500 ms.
    EXPECT_NE(r.out.find("Figure 1: 6 moves, steps (0, 0), 4 corners, 248 s"), std::string::npos) << r.out;
}

TEST_F(SimulateCli, TwoFigureDrawingBalancesBothWireEnds) {
    const CliRun r = Run(
        {"simulate", (test::TestDataDir() / "two_figure_small.plt").string(), "--yes", "--material", "2", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json j = r.json();
    const Json& figures = j["figures"];
    ASSERT_EQ(figures.size(), 2u);
    for (const Json& f : figures) EXPECT_EQ(f["steps"], Json::array({0, 0})) << f.dump();
    EXPECT_NEAR(figures[0]["seconds"].get<double>(), figures[1]["seconds"].get<double>(), 0.01);
}

TEST_F(SimulateCli, BadInputExitsWithACode) {
    EXPECT_EQ(Run({"simulate", (dir.Path() / "missing.plt").string()}).code, 1);
    const std::string file = dir.Write("square.plt", "IN;SP1;PU0,0;PD4000,0;\n").string();
    EXPECT_NE(Run({"simulate", file, "--material", "11"}).code, 0);
}

}  // namespace
}  // namespace wirvela
