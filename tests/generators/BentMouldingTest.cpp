#include "generators/BentMoulding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "drawing/Lines.h"

namespace wirvela {
namespace {

TEST(BentMoulding, DefaultsInArcModeGiveEightSegments) {
    Moulding m;
    ASSERT_FALSE(ComputeMoulding(MouldingInput{}, m));
    EXPECT_EQ(m.N, 8);
    EXPECT_DOUBLE_EQ(m.phi, 2.0);
    EXPECT_DOUBLE_EQ(m.s, 125.0);
    EXPECT_DOUBLE_EQ(m.beta, 0.25);
    EXPECT_DOUBLE_EQ(m.p, 2 * (500 + 100 - 5) * std::tan(0.125));
    EXPECT_DOUBLE_EQ(m.L, m.p * 8);
    EXPECT_DOUBLE_EQ(m.w, (m.L - 8 * 125.0) / 8);
    EXPECT_EQ(MouldingLengthText(m.L), " " + std::to_string(static_cast<int>(std::lround(m.L))) + " mm");
}

TEST(BentMoulding, AngleModeIgnoresTheArcSoThePitchIsTheNotchWidth) {
    MouldingInput in;
    in.mode = MouldingMode::Angle;
    in.alpha = 90;
    in.N = 6;
    Moulding m;
    ASSERT_FALSE(ComputeMoulding(in, m));
    EXPECT_EQ(m.N, 6);
    EXPECT_DOUBLE_EQ(m.alphaRad, 90 * 3.14 / 180);
    EXPECT_EQ(m.s, 0.0);
    EXPECT_DOUBLE_EQ(m.p, m.w);
}

TEST(BentMoulding, BurnAllowanceOfHalfTheNotchIsAcceptedAndMoreIsNot) {
    Moulding m;
    ASSERT_FALSE(ComputeMoulding(MouldingInput{}, m));
    MouldingInput in;
    in.b = m.w / 2;
    EXPECT_FALSE(ComputeMoulding(in, m));
    in.b = std::nextafter(in.b, 1e9);
    EXPECT_EQ(ComputeMoulding(in, m).number, 386);
}

// The checks run in order and the last failing one is reported; then the guards.
TEST(BentMoulding, WrongInputReportsTheLastFailingCheck) {
    struct Case {
        const char* what;
        MouldingInput in;
        int message;
    };
    const auto with = [](auto change) {
        MouldingInput in;
        change(in);
        return in;
    };
    const Case cases[] = {
        {"H 0", with([](MouldingInput& i) { i.H = 0; }), 385},  // d = 5 >= 0 comes last
        {"H 0, d -1", with([](MouldingInput& i) { i.H = 0, i.d = -1; }), 380},
        {"r 0", with([](MouldingInput& i) { i.r = 0; }), 383},  // 6.28 × 0 < l too
        {"r -1, l -1", with([](MouldingInput& i) { i.r = -1, i.l = -1; }), 382},
        {"l beyond the circle", with([](MouldingInput& i) { i.l = 3141; }), 383},
        {"eps 0", with([](MouldingInput& i) { i.eps = 0; }), 384},
        {"d = H", with([](MouldingInput& i) { i.d = 100; }), 385},
        {"eps tiny", with([](MouldingInput& i) { i.eps = 1e-12; }), kMouldingTooLargeMessage},
        {"angle, N 0", with([](MouldingInput& i) { i.mode = MouldingMode::Angle, i.N = 0; }), kNotPositiveMessage},
        {"angle, N -3", with([](MouldingInput& i) { i.mode = MouldingMode::Angle, i.N = -3; }), kNotPositiveMessage},
        {"angle, N huge", with([](MouldingInput& i) { i.mode = MouldingMode::Angle, i.N = 2000000000; }),
         kMouldingTooLargeMessage},
        {"H huge", with([](MouldingInput& i) { i.mode = MouldingMode::Angle, i.H = 1e308, i.r = 1e308; }),
         kNotANumberMessage},
        {"b negative", with([](MouldingInput& i) { i.b = -1; }), kNegativeMessage},
        {"e negative", with([](MouldingInput& i) { i.e = -1; }), kNegativeMessage},
    };
    for (const Case& c : cases) {
        Moulding m;
        EXPECT_EQ(ComputeMoulding(c.in, m).number, c.message) << c.what;
    }
}

struct Table {
    TVert v{1.0, true};
    TLines l{v, true};
};

void ExpectContinuousClosedWalk(const TLines& l, const std::vector<OutlineStep>& walk) {
    ASSERT_FALSE(walk.empty());
    const auto start = [&](const OutlineStep& s) { return s.dir > 0 ? l[s.line].p : l[s.line].k; };
    const auto end = [&](const OutlineStep& s) { return s.dir > 0 ? l[s.line].k : l[s.line].p; };
    for (std::size_t i = 0; i + 1 < walk.size(); ++i) EXPECT_EQ(end(walk[i]), start(walk[i + 1])) << i;
    EXPECT_EQ(end(walk.back()), start(walk.front()));
    std::vector<int> runs(static_cast<std::size_t>(l.Count()), 0);
    for (const OutlineStep& s : walk) ++runs[static_cast<std::size_t>(s.line)];
    for (int i = 0; i < l.Count(); ++i) EXPECT_GE(runs[i], 1) << "line " << i << " is never cut";
}

TEST(BentMoulding, OutlineIsACombClosedByLeadLinesInOneWalk) {
    Moulding m;
    ASSERT_FALSE(ComputeMoulding(MouldingInput{}, m));
    Table t;
    std::vector<OutlineStep> walk;
    ASSERT_FALSE(AddMouldingOutline(t.l, m, 0.025, walk));
    EXPECT_EQ(t.l.Count(), 4 * 8 + 3);
    EXPECT_EQ(t.v.Count(), 4 * 8 + 3);
    EXPECT_EQ(walk.size(), static_cast<std::size_t>(t.l.Count()));
    for (std::size_t i = 0; i < walk.size(); ++i) EXPECT_EQ(walk[i].line, static_cast<int>(i));
    // First notch: from (0, h) along the band to its edge, down to the tip at y = 0.
    EXPECT_EQ(t.v[0].y, std::trunc(95 / 0.025));
    EXPECT_EQ(t.v[2].y, 0);
    EXPECT_EQ(t.v[2].x, std::trunc((m.s + m.w) / 2 / 0.025));
    EXPECT_EQ(t.v[t.v.Count() - 1].y, std::trunc(145 / 0.025)) << "lead line at h + e";
    ExpectContinuousClosedWalk(t.l, walk);
}

TEST(BentMoulding, NotchesOfZeroWidthAndTouchingNotchesStayOneWalk) {
    struct Case {
        const char* what;
        MouldingInput in;
    };
    MouldingInput zeroWidth;
    Moulding plain;
    ASSERT_FALSE(ComputeMoulding(zeroWidth, plain));
    zeroWidth.b = plain.w / 2;
    MouldingInput angle;
    angle.mode = MouldingMode::Angle;
    for (const Case& c : {Case{"b = w / 2", zeroWidth}, Case{"angle mode", angle}}) {
        Moulding m;
        ASSERT_FALSE(ComputeMoulding(c.in, m)) << c.what;
        Table t;
        std::vector<OutlineStep> walk;
        ASSERT_FALSE(AddMouldingOutline(t.l, m, 0.025, walk)) << c.what;
        ExpectContinuousClosedWalk(t.l, walk);
    }
}

}  // namespace
}  // namespace wirvela
