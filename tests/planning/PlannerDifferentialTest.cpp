// The fast planner against the reference on random drawings: each drawing is loaded and
// joined once with each planner, and the two runs must leave the same drawing sets
// (every vertex and line record, in order), object numbers, cut paths and reports, the
// same log lines and the same main-window events. The planarisation is compared the same
// way on the same drawings.
//
// WIRVELA_DIFF_SEED (default 1) is the seed of the first case, case i has seed + i;
// WIRVELA_DIFF_CASES (default 2000) the number of cases. A failure names the case's
// seed; WIRVELA_DIFF_SEED=<seed> WIRVELA_DIFF_CASES=1 runs that case alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/Drawing.h"
#include "drawinggen/DrawingRandom.h"
#include "drawinggen/PlanningRun.h"
#include "drawinggen/RandomDrawing.h"
#include "formats/HpglReader.h"
#include "planning/Planarise.h"
#include "planning/PlanariseSink.h"
#include "support/TempDir.h"

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
    const std::uint64_t cases = EnvNumber("WIRVELA_DIFF_CASES", 2000);
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

// Records what the planarisation reports: log lines (timings blanked) and status texts.
struct RecordingSink : PlanariseSink {
    std::vector<std::string> lines;
    std::vector<std::string> status;
    void Log(std::string_view line) override { lines.push_back(drawinggen::BlankTimings(line)); }
    std::string MessageText(int key, std::span<const int> args) const override {
        std::string s = "message " + std::to_string(key);
        for (int a : args) s += " " + std::to_string(a);
        return s;
    }
    void Status(int panel, std::string_view text) override {
        status.push_back(std::to_string(panel) + ":" + std::string(text));
    }
    void DisableSimulation() override { status.push_back("simulation disabled"); }
};

// The whole planarisation (the profile generator's) on the same random drawings, read
// into one table, with random options.
class PlanariseDifferential : public testing::TestWithParam<int> {};

TEST_P(PlanariseDifferential, FastAndReferenceLeaveTheSameTablesAndMessages) {
    const std::uint64_t first = EnvNumber("WIRVELA_DIFF_SEED", 1);
    const std::uint64_t cases = EnvNumber("WIRVELA_DIFF_CASES", 2000);
    TDrawing drawing;
    int failures = 0;
    for (std::uint64_t i = static_cast<std::uint64_t>(GetParam()); i < cases; i += kShards) {
        const RandomCase c = drawinggen::MakeRandomCase(first + i);
        drawinggen::DrawingRandom rnd(c.seed ^ 0x5bd1e995U);
        PlanariseOptions options;
        options.crossAll = rnd.Chance(50);
        // Tolerances small next to the grid step (40), as the setting is meant. From about
        // 3 units on, the second snapping can keep splitting lines near the ends it has
        // just made, on and on (both planners).
        static constexpr double kTolerances[] = {0.0, 0.0, 0.0, 0.25, 0.5, 1.0, 2.0, 2.0};
        options.tol = kTolerances[rnd.Int(0, 7)];
        options.snapToLine2nd = rnd.Chance(80) ? 1 : 0;
        options.aperture = rnd.Chance(50) ? 4.0 : rnd.Real(0.5, 8.0);
        const auto run = [&](Planner planner, RecordingSink& sink) {
            drawing.L().Truncate(0);
            drawing.V().Truncate(0);
            drawing.Oelems() = -1;
            HpglPenState pens;
            HPGL2 reader(drawing, pens);
            reader.ReadText(c.hpgl);
            options.planner = planner;
            const bool done = Planarise(drawing.L(), drawing.Oelems(), options, sink);
            drawinggen::PlanSnapshot snap;
            snap.loadResult = done ? 1 : 0;
            snap.TakeSets(drawing);
            snap.log = sink.lines;
            snap.events = sink.status;
            return snap;
        };
        RecordingSink referenceSink;
        RecordingSink fastSink;
        const drawinggen::PlanSnapshot expected = run(Planner::Reference, referenceSink);
        const drawinggen::PlanSnapshot actual = run(Planner::Fast, fastSink);

        std::string difference = drawinggen::DrawingDifference(expected, actual);
        if (difference.empty()) difference = drawinggen::LogDifference(expected, actual);
        if (difference.empty()) difference = drawinggen::EventDifference(expected, actual);
        if (difference.empty()) continue;
        ADD_FAILURE() << "seed " << c.seed << " (crossAll " << options.crossAll << ", tol " << options.tol
                      << ", snapToLine2nd " << options.snapToLine2nd << ", aperture " << options.aperture
                      << "): reference vs fast: " << difference << "\n"
                      << Reproduce(c.seed) << "\n"
                      << c.hpgl;
        if (++failures == kMaxFailuresPerShard) {
            ADD_FAILURE() << "further cases of this shard skipped";
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, PlanariseDifferential, testing::Range(0, kShards));

}  // namespace
}  // namespace wirvela
