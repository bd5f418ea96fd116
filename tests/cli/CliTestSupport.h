#pragma once
// What every wirvela-cli test starts from: a scratch start-up directory and a way to run
// the program in it and keep its exit code and both output streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "support/TempDir.h"

namespace wirvela::test {

struct CliRun {
    int code;
    std::string out;
    std::string err;
    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The vertex a cut path step [line, direction] starts and ends at, by a "lineTable".
inline int StepStart(const nlohmann::json& lines, const nlohmann::json& step) {
    return lines[step[0].get<int>()][step[1].get<int>() > 0 ? 0 : 1].get<int>();
}
inline int StepEnd(const nlohmann::json& lines, const nlohmann::json& step) {
    return lines[step[0].get<int>()][step[1].get<int>() > 0 ? 1 : 0].get<int>();
}

// The cut path of a figure report (with --geometry): starts with the entry line forwards
// from the entry vertex, ends with it backwards, and consecutive lines meet.
inline void ExpectEntryTour(const nlohmann::json& figure) {
    const nlohmann::json& path = figure["path"];
    const nlohmann::json& lines = figure["lineTable"];
    const int entry = figure["lines"].get<int>() - 1;
    ASSERT_GE(path.size(), 2u);
    EXPECT_EQ(path.front(), nlohmann::json::array({entry, 1}));
    EXPECT_EQ(path.back(), nlohmann::json::array({entry, -1}));
    EXPECT_EQ(lines[entry][0].get<int>(), figure["vertices"].get<int>() - 1) << "from the entry vertex";
    for (std::size_t i = 0; i + 1 < path.size(); ++i) EXPECT_EQ(StepEnd(lines, path[i]), StepStart(lines, path[i + 1])) << i;
}

class CliTest : public testing::Test {
protected:
    // Runs the program with args and the scratch directory as its start-up directory.
    CliRun Run(std::vector<std::string> args) {
        args.push_back("--dir");
        args.push_back(dir.Str());
        std::ostringstream out, err;
        const int code = RunCli(args, out, err);
        return {code, out.str(), err.str()};
    }

    TempDir dir;
};

// Consecutive entries of a figure's cut path meet (needs --geometry).
inline void ExpectContinuous(const nlohmann::json& figure) {
    using Json = nlohmann::json;
    const Json& path = figure["path"];
    const Json& lines = figure["lineTable"];
    const auto end = [&](const Json& step) { return lines[step[0].get<int>()][step[1].get<int>() > 0 ? 1 : 0]; };
    const auto start = [&](const Json& step) { return lines[step[0].get<int>()][step[1].get<int>() > 0 ? 0 : 1]; };
    for (std::size_t i = 0; i + 1 < path.size(); ++i) EXPECT_EQ(end(path[i]), start(path[i + 1])) << i;
}

// The cut path of a figure: starts with the entry line forwards, ends with it backwards,
// and consecutive lines meet.
inline void ExpectClosedTour(const nlohmann::json& figure) {
    using Json = nlohmann::json;
    const Json& path = figure["path"];
    const Json& lines = figure["lineTable"];
    const int entry = figure["lines"].get<int>() - 1;
    ASSERT_GE(path.size(), 2u);
    EXPECT_EQ(path.front(), Json::array({entry, 1}));
    EXPECT_EQ(path.back(), Json::array({entry, -1}));
    EXPECT_EQ(lines[entry][0].get<int>(), figure["vertices"].get<int>() - 1) << "from the entry vertex";
    ExpectContinuous(figure);
    const Json& integrity = figure["integrity"];
    EXPECT_EQ(integrity["unvisitedPoints"], 0);
    EXPECT_EQ(integrity["unvisitedLines"], 0);
    EXPECT_EQ(integrity["surplus"], 0);
    EXPECT_EQ(integrity["pathNodes"].get<std::size_t>(), path.size() + 1);
}

}  // namespace wirvela::test
