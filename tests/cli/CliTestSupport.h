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

}  // namespace wirvela::test
