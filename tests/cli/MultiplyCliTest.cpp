#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/CliTestSupport.h"

namespace wirvela {
namespace {

using test::CliRun;
using Json = nlohmann::json;

class MultiplyCli : public test::CliTest {
protected:
    void SetUp() override {
        dir.Write("wirvela.ini", "[Ploter]\nSkalaHPGL=0.025\nCone=0\n");
        dir.Write("local.txt", test::ReadFile(test::ShippedDataDir() / "local.txt"));
        // Two parts of 2.5 × 2.5 mm, 5 mm apart.
        file = dir.Write("two.plt", "IN;SP1;PU0,0;PD100,0,100,100,0,100,0,0;PU300,0;PD400,0,400,100,300,100,300,0;PU;")
                   .string();
    }
    CliRun Multiply(std::vector<std::string> args) {
        args.insert(args.begin(), {"--json", "multiply", file, "--geometry"});
        return Run(args);
    }
    std::string file;
};

TEST_F(MultiplyCli, GridCopiesAreJoinedIntoOneTour) {
    const CliRun run = Multiply({"--count", "3", "2", "--gap", "1", "2"});
    ASSERT_EQ(run.code, 0) << run.err;
    const Json j = run.json();
    EXPECT_EQ(j["layout"], "grid");
    EXPECT_EQ(j["state"], 3);
    const Json& f = j["figures"][0];
    EXPECT_EQ(f["objects"], 6);
    EXPECT_EQ(f["vertices"], 6 * 8 + 1) << "six copies of eight vertices and the new entry vertex";
    test::ExpectClosedTour(f);
}

TEST_F(MultiplyCli, MultiWireCopiesRunFromTheLeadLineWithoutAGap) {
    for (const char* layout : {"row", "column"}) {
        SCOPED_TRACE(layout);
        const CliRun run = Multiply({"--count", "3", "3", "--multiwire", layout, "--offset", "1", "--wire-distance", "50"});
        ASSERT_EQ(run.code, 0) << run.err;
        const Json j = run.json();
        EXPECT_EQ(j["layout"], layout);
        EXPECT_TRUE(j["state"].is_null()) << "no joining after a multi-wire multiplication";
        const Json& f = j["figures"][0];
        EXPECT_TRUE(f["integrity"].is_null());
        EXPECT_EQ(f["vertices"], 3 * (8 + 2)) << "three blocks of eight vertices and two spine points";
        test::ExpectContinuous(f);
    }
}

struct Refusal {
    std::vector<std::string> args;
    std::string expected;  // on standard error
};

TEST_F(MultiplyCli, RefusalsNameTheirMessageAndExitWith2) {
    const std::vector<Refusal> cases = {
        {{"--count", "3", "x"}, "message 611: --count NY: \"x\""},
        {{"--count", "0", "2"}, "message 611: --count NX: \"0\""},
        {{"--size", "1000", "-5"}, "message 612: --size H: \"-5\""},
        {{"--count", "2", "2", "--gap", "1e999", "1"}, "message 612: --gap GX"},
        {{"--size", "1", "1"}, "message 613"},
        {{"--count", "20000", "2"}, "message 611"},
        {{"--count", "4000", "4"}, "message 197"},
        {{"--count", "2", "1", "--multiwire", "column", "--offset", "1", "--wire-distance", "3"}, "message 500"},
        {{"--count", "9", "1", "--multiwire", "row", "--offset", "1", "--wire-distance", "50", "--length", "20"},
         "message 501: The row of copies would be 98.0 mm long"},
        {{"--count", "2", "1", "--multiwire", "row", "--offset", "0", "--wire-distance", "50"}, "message 612: --offset"},
        {{"--count", "2", "1", "--multiwire", "row"}, "--multiwire needs --offset and --wire-distance"},
        {{"--count", "2", "1", "--size", "5", "5"}, "give either --count NX NY or --size W H"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.expected);
        const CliRun run = Multiply(c.args);
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(MultiplyCli, AnUnreadableFileIsNotMultiplied) {
    file = (dir.Path() / "missing.plt").string();
    const CliRun run = Multiply({"--count", "2", "2"});
    EXPECT_EQ(run.code, 1);
}

}  // namespace
}  // namespace wirvela
