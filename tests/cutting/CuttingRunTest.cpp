// What a run tells its front end, in order, and when it charges the wear: the run over a
// recording bridge with a report that writes down every call.
#include "cutting/CuttingRun.h"

#include <gtest/gtest.h>

#include <string>

#include "MotionTestSupport.h"
#include "controller/LinkRig.h"
#include "cutting/CutSetup.h"
#include "cutting/WireWear.h"

namespace wirvela {
namespace {

using test::FigureBuilder;
using test::Pt;

class RecordingReport : public CutReport {
public:
    void Status(std::string_view) override { Note("status"); }
    void Warning(const RunMessage& m) override { Note("warning " + std::to_string(m.messageKey)); }
    bool Question(const RunMessage& m) override {
        Note("question " + std::to_string(m.messageKey));
        return answer;
    }
    void WearAlarm(WearVerdict v) override { Note(v == WearVerdict::WornOut ? "worn out" : "near the limit"); }
    void Starting() override { Note("starting"); }
    void Heating(int percent) override { Note("heating " + std::to_string(percent)); }
    void Started() override { Note("started"); }

    // Repeated status texts (the streaming's own) count once.
    void Note(const std::string& what) {
        if (what == "status" && calls.size() >= 6 && calls.compare(calls.size() - 6, 6, "status") == 0) return;
        calls += (calls.empty() ? "" : ", ") + what;
    }

    bool answer = false;
    std::string calls;
};

struct StartCase {
    double usedMinutes;
    bool interactive;
    double pitch;  // > 0: no turn during the cut
    int result;
    const char* calls;
    bool charged;
};

class RunStart : public ::testing::TestWithParam<StartCase> {};

// A square of 0.6 m estimated at 91 s against a limit of 600 minutes.
TEST_P(RunStart, ReportsInOrderAndChargesOnlyWhatWasStreamed) {
    const StartCase& c = GetParam();
    test::LinkRig rig(std::string(test::kQuickLink) + "Buffered=0\n[Ploter]\nmmPerStep=0.04\nStepsPer360=3600\n" +
                      "CzasDrutu=" + std::to_string(c.usedMinutes) + "\nDlugDrutu=0\nMaxCzasDrutu=600\n");
    TDrawing drawing;
    FigureBuilder(drawing, TDrawing::kFigure1).Closed({{0, 0}, {4800, 0}, {4800, 4800}, {0, 4800}}, Pt{-2400, 0});
    RecordingReport report;
    CuttingRun run({&rig.parameters, &rig.messages, &drawing, nullptr, nullptr}, report);
    run.SetLink(&rig.Open());

    CutOptions options;
    options.turnDuringCut = c.pitch <= 0;
    options.pitchCm = c.pitch;
    const CutSetup setup = CutSetup::FromStore(rig.parameters, {"", 40, 35, 1000, 200, 90}, options, 100);
    WireWear wear = WireWear::FromStore(rig.parameters);
    EXPECT_EQ(run.Start(setup, CutEstimate{91, 91000, 0.6}, wear, c.interactive), c.result);
    EXPECT_EQ(report.calls, c.calls);
    const double stored = rig.parameters.GetNumber("Ploter", "CzasDrutu", -1);
    EXPECT_EQ(stored, c.charged ? (c.usedMinutes * 60 + 91) / 60 : c.usedMinutes);
    EXPECT_EQ(wear.minutes, stored);
}

INSTANTIATE_TEST_SUITE_P(Wear, RunStart,
                         ::testing::Values(StartCase{0, false, 10, 16, "starting, heating 35, status, started", true},
                                           // a refusal says why on the status line, also without an operator
                                           StartCase{599, false, 10, -2, "status", false},
                                           StartCase{599, true, 10, 0, "near the limit, question 122", false},
                                           StartCase{601, true, 10, -2, "status, warning 120, worn out", false},
                                           StartCase{601, false, 10, -2, "status", false},
                                           // the pitch is refused after the set-up, before any move: nothing streamed
                                           StartCase{0, true, -5, -2, "starting, heating 35, status, warning 124",
                                                     false}));

}  // namespace
}  // namespace wirvela
