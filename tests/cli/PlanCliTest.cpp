#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ExpectClosedTour;
using test::ReadFile;

using Json = nlohmann::json;

class PlanCli : public test::CliTest {
protected:
    void SetUp() override {
        Settings("Cone=0\n");
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
    }
    void Settings(const std::string& ploter) { dir.Write("wirvela.ini", "[Ploter]\nSkalaHPGL=0.025\n" + ploter); }
    std::string Drawing(const std::string& name, const std::string& hpgl) { return dir.Write(name, hpgl).string(); }
};

TEST_F(PlanCli, TwoRectanglesAreJoinedAndCutFromTheEntryPoint) {
    const std::string file =
        Drawing("two.plt", "IN;SP1;PU0,0;PD100,0,100,100,0,100,0,0;PU300,0;PD400,0,400,100,300,100,300,0;PU;");
    const CliRun run = Run({"plan", file, "--json", "--geometry"});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    EXPECT_EQ(j["result"], 16);
    EXPECT_EQ(j["state"], 3);
    EXPECT_GE(j["seconds"].get<double>(), 0.0);
    ASSERT_EQ(j["figures"].size(), 1u);
    const Json& f = j["figures"][0];
    EXPECT_EQ(f["figure"], 1);
    EXPECT_EQ(f["lines"], 10) << "8 contour lines, 1 connecting line, the entry line";
    EXPECT_EQ(f["vertices"], 9);
    EXPECT_EQ(f["path"].size(), 12u);
    // The entry point (0, 0) is the first rectangle's corner: a vertex of its own there.
    EXPECT_EQ(f["vertexTable"].back(), Json::array({0, 0, 10000}));
    EXPECT_EQ(f["lineTable"].back(), Json::array({8, 0, 10000, 2, 1}));
    ExpectClosedTour(f);
}

TEST_F(PlanCli, ATwoFigureDrawingGetsACutPathPerFigure) {
    Settings("Cone=1\n");
    const std::string file = (test::TestDataDir() / "two_figure_small.plt").string();
    const CliRun run = Run({"plan", file, "--yes", "--json", "--geometry"});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    ASSERT_EQ(j["figures"].size(), 2u);
    for (const Json& f : j["figures"]) {
        SCOPED_TRACE(f["figure"].dump());
        ExpectClosedTour(f);
    }
    EXPECT_NE(run.err.find("message 301"), std::string::npos) << "the separation question was answered Yes";
}

TEST_F(PlanCli, TextReportNamesTheStateAndTheIntegrity) {
    const std::string file = Drawing("one.plt", "IN;SP1;PU10,10;PD200,10,200,90,10,90,10,10;PU;");
    const CliRun run = Run({"plan", file});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("State: 3 (cut path found)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("cut path of 6 lines"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0 unvisited points"), std::string::npos) << run.out;
}

TEST_F(PlanCli, EightyLinesAtOnePointFailTheJoiningWithExitCode3) {
    std::string hpgl = "IN;SP1;";
    for (int i = 0; i < 80; ++i)
        hpgl += "PU1000,1000;PD" + std::to_string(2000 + i) + "," + std::to_string(3 * i) + ";";
    hpgl += "PU;";
    const CliRun run = Run({"plan", Drawing("star.plt", hpgl), "--json"});
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.json()["state"], 2);
    EXPECT_NE(run.err.find("message 180: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("80"), std::string::npos);
}

TEST_F(PlanCli, UnreadableAndEmptyFilesAreReported) {
    const CliRun missing = Run({"plan", (dir.Path() / "nothing.plt").string(), "--json"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("nothing.plt"), std::string::npos);
    EXPECT_TRUE(missing.out.empty());

    const CliRun empty = Run({"plan", Drawing("empty.plt", "IN;SP1;PU10,10;"), "--json"});
    EXPECT_EQ(empty.code, 2);
    const Json j = empty.json();
    EXPECT_EQ(j["result"], -2);
    EXPECT_TRUE(j["state"].is_null());
}

// Both planners on the shipped examples: the same report, tables and cut paths (only
// the elapsed seconds may differ).
struct PlannerExample {
    const char* file;
    bool twoFigures;
};

class PlanPlanners : public PlanCli, public testing::WithParamInterface<PlannerExample> {};

TEST_P(PlanPlanners, ReferenceAndFastGiveTheSameReport) {
    const PlannerExample& example = GetParam();
    if (example.twoFigures) Settings("Cone=1\n");
    const std::string file = (test::ShippedDataDir().parent_path() / "examples" / example.file).string();
    const auto plan = [&](const char* planner) {
        const CliRun run = Run({"plan", file, "--yes", "--json", "--geometry", "--planner", planner});
        EXPECT_EQ(run.code, 0) << planner << ": " << run.err;
        Json j = Json::parse(run.out);
        j.erase("seconds");
        return j;
    };
    const Json reference = plan("reference");
    const Json fast = plan("fast");
    EXPECT_EQ(reference["figures"].size(), example.twoFigures ? 2u : 1u);
    EXPECT_EQ(reference, fast) << "reference:\n" << reference.dump() << "\nfast:\n" << fast.dump();
}

INSTANTIATE_TEST_SUITE_P(Examples, PlanPlanners,
                         testing::Values(PlannerExample{"letters.plt", false}, PlannerExample{"nested_parts.plt", false},
                                         PlannerExample{"wing_two_figure.plt", true}),
                         [](const testing::TestParamInfo<PlannerExample>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST_F(PlanCli, AnUnknownPlannerIsRefusedBeforeAnythingIsLoaded) {
    const std::string file = Drawing("one.plt", "IN;SP1;PU10,10;PD200,10,200,90,10,90,10,10;PU;");
    const CliRun run = Run({"plan", file, "--json", "--planner", "quick"});
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("--planner"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("quick"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace wirvela
