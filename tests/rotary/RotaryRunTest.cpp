// A rotary project's programs as the controller gets them: the path's moves, the turn
// after every profile but the last, the closing moves, and what the run does with
// profiles it cannot cut and with controller failures.
#include "rotary/RotaryRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RotaryTestSupport.h"
#include "config/Parameters.h"
#include "drawing/Drawing.h"
#include "drawing/LineList.h"
#include "formats/DxfReader.h"
#include "formats/HpglReader.h"
#include "rotary/ProfileStream.h"

namespace wirvela {
namespace {

using test::RecordingLink;
using test::ShippedMessages;
using test::TempDir;

// The path of a polyline drawn left to right, chained for row 1.
struct Path {
    TVert v;
    TLines l{v};
    std::unique_ptr<TLineList> chained;
    explicit Path(const std::vector<std::pair<double, double>>& points) {
        for (std::size_t i = 1; i < points.size(); ++i) {
            l.AddLine(v.AddVertex(points[i - 1].first, points[i - 1].second),
                      v.AddVertex(points[i].first, points[i].second));
        }
        const PreparedProfile r = PrepareProfile(v, l, 1);
        chained = ChainProfile(l, r.start, r.end);
    }
};

TEST(Stream, CarriesTheFractionsOfStepsOn) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i <= 10; ++i) points.emplace_back(i * 0.5, 0);
    Path p(points);
    ASSERT_NE(p.chained, nullptr);
    RecordingLink link;
    StreamedPath streamed;
    ASSERT_EQ(StreamProfilePath(link, *p.chained, p.l, 1.0, 100, 0, &streamed), STAT_OK);
    EXPECT_EQ(link.dxSum, 5);
    EXPECT_EQ(streamed.lines, 10);
    EXPECT_EQ(streamed.dx, 5);
}

TEST(Stream, DelaysWhereThePathTurnsBackByTheLimitAngle) {
    Path p({{0, 0}, {20, 0}, {10, 1}, {30, 2}, {40, 2}});
    RecordingLink link;
    ASSERT_EQ(StreamProfilePath(link, *p.chained, p.l, 1.0, 100, std::cos(M_PI / 2), nullptr), STAT_OK);
    EXPECT_EQ(link.Calls(), "Line 20 0 p100000\nLine -10 1 d p100499\nLine 20 1 d p100125\nLine 10 0 p100000\n");
}

TEST(Stream, AFailedLineEndsTheStream) {
    Path p({{0, 0}, {20, 0}, {40, 1}});
    RecordingLink link;
    link.failOn = "Line";
    link.failCode = 290;
    EXPECT_EQ(StreamProfilePath(link, *p.chained, p.l, 1.0, 100, 0, nullptr), 290);
    EXPECT_EQ(link.calls.size(), 1U);
}

TEST(Turn, NoneAfterTheLastProfileElseTheAngleInTableSteps) {
    EXPECT_EQ(TurnSteps("15", 3600, true), std::nullopt);
    EXPECT_EQ(TurnSteps("15", 3600, false), 150);
    EXPECT_EQ(TurnSteps("-7.49", 100, false), -2);  // toward zero
    EXPECT_EQ(TurnSteps("", 3600, false), 0);
    EXPECT_EQ(TurnSteps("1e300", 3600, false), 2147483647);
}

class RecordingReport : public RotaryReport {
public:
    void Status(std::string_view text) override { status = text; }
    void Warning(const RunMessage& m) override {
        warnings += std::to_string(m.messageKey) + " ";
        lastWarning = m.text;
    }
    void ProfileSent(const ProfileOutcome& o) override { outcomes.push_back(o); }
    std::string status;
    std::string warnings;
    std::string lastWarning;
    std::vector<ProfileOutcome> outcomes;
};

// A project in a scratch folder, run against a recording link.
class RotaryRunTest : public ::testing::Test {
protected:
    RotaryRunTest() {
        dir.Write("wirvela.ini", "[Ploter]\nmmPerStep=1\nSkalaHPGL=1\nStepsPer360=3600\nDefRotVelocity=10\n");
        parameters.Load(dir.Path(), "wirvela.ini", "local.txt");
        run.SetLink(&link);
        run.SetMaterial({"foam", 60, 50, 100, 200, 90, 1});
        run.SetHeating(100);
        link.calls.clear();
    }
    void Project(std::initializer_list<ProfileRow> rows) {
        ProfileList list;
        int r = 0;
        for (const ProfileRow& row : rows) list.Row(++r) = row;
        run.SetProject(list, dir.Path());
    }

    TempDir dir;
    TParameters parameters;
    TDrawing drawing;
    HpglPenState pens;
    TDxfReader dxf;
    RecordingLink link;
    RecordingReport report;
    RotaryRun run{{&parameters, &ShippedMessages(), &drawing, &pens, &dxf, nullptr, nullptr}, report};
};

const char* const kSetup = "Setup h99 t100 c200 rv10 f100\n";
const char* const kClose = "Repeat 0\nLine 1 0 p100000\nLine -1 0 d p100000\nStart\n";

TEST_F(RotaryRunTest, TurnsAfterEachProfileButTheLastAndRunsEvenRowsRightToLeft) {
    dir.Write("a.plt", test::Plot({{{0, 0}, {100, 0}}}));
    dir.Write("b.PLT", test::Plot({{{0, 0}, {60, 0}, {100, 0}}}));
    Project({{"a.plt", "15"}, {"b.PLT", "20"}});
    ASSERT_EQ(run.Start(), STAT_OK) << report.lastWarning;
    EXPECT_EQ(report.status, ShippedMessages().MessageText(148));
    EXPECT_FALSE(run.LastProfile());
    EXPECT_EQ(run.CurrentRow(), 2);
    EXPECT_EQ(link.Calls(),
              std::string("Cancel\nBeginBlock\n") + kSetup + "Line 100 0 p100000\nTurn 150 p10000\n" + kSetup + kClose);
    link.calls.clear();
    ASSERT_EQ(run.SendProfile(), STAT_OK);
    EXPECT_TRUE(run.LastProfile());
    EXPECT_EQ(link.Calls(), std::string("Cancel\nBeginBlock\n") + kSetup + "Line -40 0 p100000\nLine -60 0 p100000\n" +
                                kSetup + kClose);
    ASSERT_EQ(report.outcomes.size(), 2U);
    EXPECT_EQ(report.outcomes[0].turn, 150);
    EXPECT_EQ(report.outcomes[1].turn, std::nullopt);
    EXPECT_EQ(report.outcomes[1].streamed.dx, -100);
    EXPECT_EQ(report.warnings, "");
}

struct RefusedCase {
    const char* name;
    const char* profile;  // row 1's name
    int result;
    const char* warnings;
};

class RotaryRefused : public RotaryRunTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RotaryRefused, NothingIsSent) {
    dir.Write("y.plt", test::Plot({{{0, 0}, {50, 50}, {100, 0}}, {{50, 50}, {50, 100}}}));
    dir.Write("ring.plt", test::Plot({{{0, 0}, {100, 0}, {100, 100}, {0, 0}}}));
    dir.Write("note.txt", "IN;PU0,0;PD100,0;");
    dir.Write("bad.plt", std::string("\0\xff\x01PD;PD;", 8));
    std::filesystem::create_directory(dir.Path() / "folder.plt");
    Project({{GetParam().profile, "10"}});
    EXPECT_EQ(run.Start(), GetParam().result);
    EXPECT_EQ(report.warnings, GetParam().warnings);
    EXPECT_EQ(link.Calls(), "");
    EXPECT_EQ(run.CurrentRow(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RotaryRefused,
    ::testing::Values(RefusedCase{"YShape", "y.plt", 3, "205 "}, RefusedCase{"Closed", "ring.plt", -1, ""},
                      RefusedCase{"Missing", "none.plt", -1, "632 "}, RefusedCase{"Folder", "folder.plt", -1, "632 "},
                      RefusedCase{"NotADrawing", "note.txt", -1, "632 "}, RefusedCase{"Binary", "bad.plt", -1, ""},
                      RefusedCase{"WayUp", "../a.plt", -1, "630 "}, RefusedCase{"Absolute", "/etc/passwd", -1, "630 "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RotaryRunTest, TheYShapeIsNamedWithItsCounts) {
    dir.Write("y.plt", test::Plot({{{0, 0}, {50, 50}, {100, 0}}, {{50, 50}, {50, 100}}}));
    Project({{"y.plt", "10"}});
    run.Start();
    EXPECT_NE(report.lastWarning.find("\"y.plt\""), std::string::npos) << report.lastWarning;
    EXPECT_NE(report.lastWarning.find("3 ends"), std::string::npos) << report.lastWarning;
    EXPECT_NE(report.lastWarning.find("1 branches"), std::string::npos) << report.lastWarning;
}

TEST_F(RotaryRunTest, AnEmptyListIsRefused) {
    Project({{"", "10"}});
    EXPECT_EQ(run.Start(), RotaryRun::kEmptyList);
    EXPECT_EQ(report.warnings, "146 ");
    EXPECT_EQ(link.Calls(), "");
}

TEST_F(RotaryRunTest, AControllerFailureEndsTheBlock) {
    dir.Write("a.plt", test::Plot({{{0, 0}, {100, 0}}}));
    Project({{"a.plt", "15"}, {"a.plt", "15"}});
    link.failOn = "Turn";
    link.failCode = 290;
    EXPECT_EQ(run.Start(), 290);
    EXPECT_EQ(link.calls.back(), "EndBlock");
    EXPECT_EQ(run.CurrentRow(), 1);
    EXPECT_EQ(report.status, report.lastWarning);
    // A failed start has still advanced the row.
    link.failOn = "Start";
    link.failAt = 1;
    EXPECT_EQ(run.Start(), 290);
    EXPECT_EQ(run.CurrentRow(), 2);
}

TEST_F(RotaryRunTest, HoldContinueAndHeatingGoToTheController) {
    EXPECT_EQ(run.SetHeating(100), STAT_OK);
    EXPECT_EQ(run.Hold(), STAT_OK);
    EXPECT_EQ(report.status, ShippedMessages().MessageText(149));
    EXPECT_EQ(run.Continue(), STAT_OK);
    EXPECT_EQ(run.Stop(), STAT_OK);
    EXPECT_EQ(link.Calls(), "Heating 100\nHold\nResume\nCancel\n");
}

}  // namespace
}  // namespace wirvela
