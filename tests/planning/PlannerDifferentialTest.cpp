// The fast planner against the reference on random drawings: each drawing is loaded and
// joined once with each planner, and the two runs must leave the same drawing sets
// (every vertex and line record, in order), object numbers, cut paths and reports, the
// same log lines and the same main-window events. (The whole planarisation, which no
// part of the program calls yet, is not compared.)
//
// WIRVELA_DIFF_SEED (default 1) is the seed of the first case, case i has seed + i;
// WIRVELA_DIFF_CASES the number of cases (default 2000 times WIRVELA_TEST_BUDGET). A
// failure names the case's seed; WIRVELA_DIFF_SEED=<seed> WIRVELA_DIFF_CASES=1 runs that
// case alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawinggen/PlanningRun.h"
#include "drawinggen/RandomDrawing.h"
#include "support/TempDir.h"
#include "support/TestBudget.h"

namespace wirvela {
namespace {

using drawinggen::PlanningRun;
using drawinggen::RandomCase;
using drawinggen::RunResult;

constexpr int kShards = 8;
constexpr int kMaxFailuresPerShard = 3;

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return *end == '\0' ? value : fallback;
}

std::string Reproduce(std::uint64_t seed) {
    return "rerun alone: WIRVELA_DIFF_SEED=" + std::to_string(seed) +
           " WIRVELA_DIFF_CASES=1 test_planning --gtest_filter='*Differential*'";
}

// Cases shard, shard + kShards, … of the run, so that ctest can spread them.
class PlannerDifferential : public testing::TestWithParam<int> {};

TEST_P(PlannerDifferential, FastAndReferenceLeaveTheSameDrawingPathAndMessages) {
    const std::uint64_t first = EnvNumber("WIRVELA_DIFF_SEED", 1);
    const std::uint64_t cases =
        EnvNumber("WIRVELA_DIFF_CASES", static_cast<std::uint64_t>(test::BudgetedCases(2000, kShards)));
    test::TempDir dir;
    PlanningRun reference(dir.Path() / "reference");
    PlanningRun fast(dir.Path() / "fast");
    const std::filesystem::path file = dir.Path() / "case.plt";

    int failures = 0;
    for (std::uint64_t i = static_cast<std::uint64_t>(GetParam()); i < cases; i += kShards) {
        const RandomCase c = drawinggen::MakeRandomCase(first + i);
        // Two-figure drawings need the loader's figure separation; one-figure drawings
        // are read straight into figure 1 (the loader would clear whole tables per run).
        if (c.settings.twoFigureMode) dir.Write("case.plt", c.hpgl);
        const auto run = [&](PlanningRun& planning, Planner planner) {
            drawinggen::RunSettings settings = c.settings;
            settings.planner = planner;
            return c.settings.twoFigureMode ? planning.Run(file, settings) : planning.RunText(c.hpgl, settings);
        };
        const RunResult expected = run(reference, Planner::Reference);
        const RunResult actual = run(fast, Planner::Fast);

        std::string difference = drawinggen::DrawingDifference(expected.snapshot, actual.snapshot);
        const char* what = "drawing or cut path";
        if (difference.empty()) {
            difference = drawinggen::LogDifference(expected.snapshot, actual.snapshot);
            what = "log";
        }
        if (difference.empty()) {
            difference = drawinggen::EventDifference(expected.snapshot, actual.snapshot);
            what = "main-window events";
        }
        if (difference.empty()) continue;
        ADD_FAILURE() << "seed " << c.seed << ": the " << what << " differ (reference vs fast): " << difference
                      << "\n" << Reproduce(c.seed) << "\n" << c.Describe();
        if (++failures == kMaxFailuresPerShard) {
            ADD_FAILURE() << "further cases of this shard skipped";
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, PlannerDifferential, testing::Range(0, kShards));

}  // namespace
}  // namespace wirvela
