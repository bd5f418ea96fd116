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

class InfoCli : public test::CliTest {
protected:
    void SetUp() override {
        Cone(1);
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
    }
    void Cone(int on) { dir.Write("wirvela.ini", "[Ploter]\nSkalaHPGL=0.025\nCone=" + std::to_string(on) + "\n"); }
    std::string Fixture(const std::string& name) const { return (test::TestDataDir() / name).string(); }
};

TEST_F(InfoCli, InteractiveLoadSeparatesTheFiguresAndEchoesTheQuestion) {
    const CliRun r = Run({"info", Fixture("two_figure_small.plt"), "--yes", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json j = r.json();
    EXPECT_EQ(j["result"], 16);
    EXPECT_EQ(j["penMask"], 28);
    EXPECT_EQ(j["twoFigure"], true);
    ASSERT_EQ(j["figures"].size(), 2u);
    EXPECT_EQ(j["figures"][0], Json::parse(R"({"figure": 1, "objects": 1, "lines": 4, "vertices": 4,
                                                "min": [0, 0], "max": [100, 100]})"));
    EXPECT_EQ(j["figures"][1]["min"], Json::parse("[20, 20]"));
    EXPECT_EQ(j["segments"], Json::parse(R"({"objects": 4, "lines": 4, "vertices": 8, "faultyNodes": 0})"));
    EXPECT_NE(r.err.find("message 301: "), std::string::npos) << r.err;
}

TEST_F(InfoCli, FaultyNodesAreCounted) {
    const CliRun r = Run({"info", Fixture("two_figure_faulty.plt"), "--yes", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json()["segments"]["faultyNodes"], 2);
    EXPECT_NE(r.err.find("message 312: "), std::string::npos);
    EXPECT_NE(r.err.find("message 303: "), std::string::npos);
}

TEST_F(InfoCli, NonInteractiveLoadKeepsOneFigureAndAsksNothing) {
    const CliRun r = Run({"info", Fixture("two_figure_small.plt"), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json j = r.json();
    EXPECT_EQ(j["twoFigure"], false);
    EXPECT_EQ(j["figures"][0]["lines"], 12);
    EXPECT_EQ(j["segments"]["lines"], 0);
    EXPECT_EQ(r.err.find("message"), std::string::npos);
}

TEST_F(InfoCli, GeometryListsTheTablesInOrder) {
    const auto file = dir.Write("l.plt", "PU10,10;PD20,10,20,30;");
    const CliRun r = Run({"info", file.string(), "--json", "--geometry"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json f = r.json()["figures"][0];
    EXPECT_EQ(f["vertexTable"], Json::parse("[[0, 0, 0], [10, 0, 0], [10, 20, 0]]"));
    EXPECT_EQ(f["lineTable"], Json::parse("[[0, 1, 0, 1, 1], [1, 2, 0, 1, 1]]"));
    EXPECT_EQ(r.json()["figures"][1]["vertexTable"], Json::array());
}

TEST_F(InfoCli, RefusedDrawingIsReportedWithExitCode2) {
    Cone(0);
    const auto file = dir.Write("p3.plt", "SP3;PU0,0;PD10,0;");
    const CliRun quiet = Run({"info", file.string(), "--json"});
    EXPECT_EQ(quiet.code, 2);
    EXPECT_EQ(quiet.json()["result"], -2);
    EXPECT_EQ(quiet.json()["figures"][0]["lines"], 0);
    EXPECT_NE(quiet.err.find("p3.plt"), std::string::npos);

    const CliRun asked = Run({"info", file.string(), "--yes"});
    EXPECT_EQ(asked.code, 2);
    EXPECT_NE(asked.err.find("message 317: "), std::string::npos) << asked.err;
    EXPECT_NE(asked.out.find("Result: -2"), std::string::npos) << asked.out;
}

TEST_F(InfoCli, UnreadableFileExitsOneNamingIt) {
    for (const std::string name : {"missing.plt", "missing.dxf", "project.con"}) {
        if (name == "project.con") dir.Write(name, "x");
        const std::string path = (dir.Path() / name).string();
        const CliRun r = Run({"info", path, "--json"});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_TRUE(r.out.empty()) << name;
        EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    }
}

TEST_F(InfoCli, TextSummary) {
    const auto file = dir.Write("l.plt", "SP2;PU10,10;PD50,10,50,30;");
    const CliRun r = Run({"info", file.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Result: 16\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pens selected: 2 (mask 2)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Figure 1: 1 objects, 2 lines, 3 vertices, x 0 .. 40, y 0 .. 20 units (1 x 0.5 mm)"),
              std::string::npos)
        << r.out;
}

// Every shipped example loads, the two-figure one as two figures.
TEST_F(InfoCli, ExamplesLoad) {
    const auto examples = test::ShippedDataDir().parent_path() / "examples";
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
        if (entry.path().extension() != ".plt") continue;
        ++seen;
        const CliRun r = Run({"info", entry.path().string(), "--yes", "--json"});
        ASSERT_EQ(r.code, 0) << entry.path() << r.err;
        const Json j = r.json();
        EXPECT_GT(j["figures"][0]["lines"], 0);
        EXPECT_EQ(j["segments"]["faultyNodes"], 0) << entry.path();
        if (j["penMask"] == 28) {
            EXPECT_TRUE(j["twoFigure"].get<bool>());
            EXPECT_GT(j["figures"][1]["lines"], 0);
        }
    }
    EXPECT_GE(seen, 3);
}

}  // namespace
}  // namespace wirvela
