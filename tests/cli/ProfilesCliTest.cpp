#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::CliRun;
using test::ReadFile;
using Json = nlohmann::json;
namespace fs = std::filesystem;

class ProfilesCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("local.txt", ReadFile(test::ShippedDataDir() / "local.txt"));
        fs::create_directory(dir.Path() / "out");
    }
    std::string Example() const {
        return (test::ShippedDataDir().parent_path() / "examples" / "rotary" / "turned_part.raw").string();
    }
    std::string Out() const { return (dir.Path() / "out" / "part.hpr").string(); }
};

TEST_F(ProfilesCli, WritesTheProjectAndReportsEachProfile) {
    const CliRun r = Run({"profiles", Example(), "--count", "2", "--no-dumps", "--out", Out(), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json j = r.json();
    EXPECT_EQ(j["message"], 0);
    EXPECT_EQ(j["project"], Out());
    ASSERT_EQ(j["profiles"].size(), 2u);
    EXPECT_EQ(j["profiles"][1]["angle"], 90.0);
    for (const Json& p : j["profiles"]) {
        EXPECT_EQ(p["boundary"], 0);
        EXPECT_GT(p["lines"], 0);
        EXPECT_TRUE(fs::exists(p["file"].get<std::string>()));
    }
    EXPECT_EQ(dir.Read("out/part.hpr"), "part_1.plt\t90.00\r\npart_2.plt\t90.00\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "out"), fs::directory_iterator()), 3);
}

// Refused input: the numbered message on standard error, its exit code, nothing written.
TEST_F(ProfilesCli, RefusedInputWritesNothing) {
    dir.Write("truncated.raw", "m\n0 0 0 1 0 0 0 1\n");
    dir.Write("header.raw", "m\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const std::string truncated = (dir.Path() / "truncated.raw").string();
    const std::string header = (dir.Path() / "header.raw").string();
    const Case cases[] = {
        {{(dir.Path() / "missing.raw").string(), "--count", "4"}, 1, "message 636: "},
        {{truncated, "--count", "4"}, 2, "message 637: "},
        {{header, "--count", "4"}, 2, "message 637: "},
        {{Example(), "--count", "0"}, 2, "message 635: "},
        {{Example(), "--count", "4", "--plinth-width", "100"}, 2, "message 362: "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"profiles"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--out", Out()});
        const CliRun r = Run(args);
        EXPECT_EQ(r.code, c.code) << c.message << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(dir.Path() / "out")) << c.message;
    }
    // Contradicting options are a command-line error.
    EXPECT_NE(Run({"profiles", Example(), "--count", "4", "--no-plinth", "--plinth-height", "3", "--out", Out()}).code,
              0);
}

}  // namespace
}  // namespace wirvela
