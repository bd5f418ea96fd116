#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ReadFile;
using Json = nlohmann::json;

class GeneratorCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", "[Ploter]\nSkalaHPGL=0.025\nCone=0\n");
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
    }
    static std::string Example(const std::string& name) {
        return (test::ShippedDataDir().parent_path() / "examples" / name).string();
    }
};

// The property every planned drawing has: the tour starts and ends on the entry line,
// consecutive lines meet, every contour line is cut once and every connecting line run
// in and out.
void ExpectPlannedTour(const Json& figure) {
    test::ExpectEntryTour(figure);
    const Json& path = figure["path"];
    const Json& lines = figure["lineTable"];
    std::map<int, std::pair<int, int>> runs;
    for (const Json& step : path) {
        auto& r = runs[step[0].get<int>()];
        (step[1].get<int>() > 0 ? r.first : r.second)++;
    }
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const auto [forward, backward] = runs[i];
        if (lines[i][3].get<int>() == 1) {
            EXPECT_EQ(forward + backward, 1) << "contour line " << i;
        } else {
            EXPECT_EQ(forward, 1) << "connecting line " << i;
            EXPECT_EQ(backward, 1) << "connecting line " << i;
        }
    }
}

TEST_F(GeneratorCli, FramedExamplesAreJoinedIntoOneTour) {
    for (const char* example : {"letters.plt", "nested_parts.plt"}) {
        for (const char* shape : {"rectangle", "circle"}) {
            const CliRun r = Run({"frame", Example(example), "--shape", shape, "--epsilon", "1", "--json", "--geometry"});
            ASSERT_EQ(r.code, 0) << example << " " << shape << "\n" << r.err;
            const Json j = r.json();
            EXPECT_EQ(j["state"], 3);
            SCOPED_TRACE(std::string(example) + " " + shape);
            ExpectPlannedTour(j["figures"][0]);
        }
    }
}

TEST_F(GeneratorCli, FrameWrittenAsHpglIsTheDrawingWithItsFrame) {
    const std::string out = (dir.Path() / "framed.plt").string();
    ASSERT_EQ(Run({"frame", Example("letters.plt"), "--size", "--dx", "400", "--dy", "100", "--out", out}).code, 0);
    const CliRun reloaded = Run({"info", out, "--json"});
    ASSERT_EQ(reloaded.code, 0) << reloaded.err;
    const CliRun plain = Run({"info", Example("letters.plt"), "--json"});
    // Without the joining's lines: the drawing's own and the frame's four.
    EXPECT_EQ(reloaded.json()["figures"][0]["lines"].get<int>(), plain.json()["figures"][0]["lines"].get<int>() + 4);
}

TEST_F(GeneratorCli, RefusedFramesNameTheMessageAndExitWith2) {
    struct Case {
        std::vector<std::string> args;
        int message;
    };
    const std::vector<Case> cases = {
        {{"--dx", "abc"}, 615},
        {{"--dy", "1e999"}, 615},
        {{"--size", "--dx", "0"}, 616},
        {{"--dx", "-1000"}, 616},
        {{"--shape", "circle", "--size", "--dr", "-3"}, 616},
        {{"--shape", "circle", "--epsilon", "0"}, 616},
        {{"--shape", "circle", "--epsilon", "1e-12"}, 618},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"frame", Example("letters.plt"), "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = Run(args);
        EXPECT_EQ(r.code, 2) << c.args[1];
        EXPECT_EQ(r.json()["message"], c.message) << c.args[1];
        EXPECT_NE(r.err.find("message " + std::to_string(c.message) + ": "), std::string::npos) << r.err;
    }
    EXPECT_EQ(Run({"frame", (dir.Path() / "missing.plt").string()}).code, 1);
}

TEST_F(GeneratorCli, MouldingDefaultsAndAngleMode) {
    const Json arc = Run({"moulding", "--json"}).json();
    EXPECT_EQ(arc["N"], 8);
    EXPECT_EQ(arc["phi"], 2.0);
    EXPECT_EQ(arc["s"], 125.0);
    const Json angle = Run({"moulding", "--angle-mode", "--N", "5", "--json"}).json();
    EXPECT_EQ(angle["N"], 5);
    EXPECT_EQ(angle["s"], 0.0);
    EXPECT_EQ(angle["p"], angle["w"]);
}

TEST_F(GeneratorCli, BadMouldingInputInEveryFieldIsRefused) {
    struct Case {
        std::vector<std::string> args;
        int message;
    };
    const std::vector<Case> cases = {
        {{"--H", "0"}, 385},  // d = 5 >= H is the last failing check
        {{"--H", "x"}, 615},
        {{"--H", "-1", "--d", "-2"}, 380},
        {{"--r", "0"}, 383},
        {{"--r", "1e400"}, 615},
        {{"--l", "-5"}, 382},
        {{"--l", "99999"}, 383},
        {{"--eps", "0"}, 384},
        {{"--eps", "1e-15"}, 619},
        {{"--d", "100"}, 385},
        {{"--alpha", "ninety"}, 615},
        {{"--angle-mode", "--N", "0"}, 616},
        {{"--angle-mode", "--N", "-4"}, 616},
        {{"--angle-mode", "--N", "99999999999"}, 619},
        {{"--e", "-1"}, 617},
        {{"--burn", "-0.5"}, 617},
        {{"--burn", "1000"}, 386},
        {{"--burn", ""}, 0},  // an empty allowance is no allowance
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"moulding", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = Run(args);
        if (c.message == 0) {
            EXPECT_EQ(r.code, 0) << r.err;
            continue;
        }
        EXPECT_EQ(r.code, 2) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.json()["message"], c.message) << c.args[0] << " " << c.args[1];
    }
}

TEST_F(GeneratorCli, MouldingOutlineIsOneContinuousCutAndReadsBack) {
    const Json j = Run({"moulding", "--json", "--geometry"}).json();
    const Json& path = j["path"];
    const Json& lines = j["lineTable"];
    ASSERT_EQ(path.size(), lines.size());
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        EXPECT_EQ(test::StepEnd(lines, path[i]), test::StepStart(lines, path[i + 1])) << i;
    EXPECT_EQ(test::StepEnd(lines, path.back()), test::StepStart(lines, path.front()));

    const std::string out = (dir.Path() / "moulding.plt").string();
    ASSERT_EQ(Run({"moulding", "--out", out}).code, 0);
    const CliRun info = Run({"info", out, "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("\"lines\": 35"), std::string::npos) << info.out;
    EXPECT_EQ(Run({"moulding", "--out", (dir.Path() / "no folder" / "m.plt").string()}).code, 1);
}

}  // namespace
}  // namespace wirvela
