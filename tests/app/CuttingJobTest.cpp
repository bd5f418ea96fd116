// The cutting window's model over a recording bridge: the estimate and its clock texts,
// the wear check, the controller preparation of Start (heating, rotary record, screw
// pitch refusals, failures), Stop, Hold, Continue, and the pendant and materials seams.
#include "app/windows/CuttingJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/windows/Materials.h"
#include "config/Prompt.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkRig.h"
#include "cutting/MotionTestSupport.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "support/CuttingWiring.h"
#include "support/PendantStub.h"

namespace wirvela {
namespace {

using test::FigureBuilder;
using test::Pt;

// mmPerStep 0.04 and SkalaHPGL 0.025 give 0.625 steps per drawing unit. The square of
// the tests has sides of 3000 steps and an entry line of 1500 steps: 15000 steps in all.
const char* kIni =
    "[RSparam]\nTimeoutRX=5\nTimeoutTX=5\nInterCharDelay=0\nBuffered=0\n"
    "[Ploter]\nSkalaHPGL=0.025\nmmPerStep=0.04\nStepsPer360=3600\nDefRotVelocity=10\n"
    "CzasDrutu=0\nDlugDrutu=0\nMaxCzasDrutu=600\nMaxDlugDrutu=600\nDefaultV2=30\nHold=1\n"
    "[ParamsLimits]\nTempMin=1\nTempMax=100\nVxyMin=4\nVxyMax=60\n"
    "[Material]\nOstatni=0\n"
    // 60 ms per step: 900 s of moves, 1 ms preheating, four corners of 200 ms.
    "[Material1]\nNazwa=Slow\nV=4\nT=35\nRozgrzew=1\nOpWKacie=200\nKatGr=90\n"
    // 6 ms per step, full heating.
    "[Material2]\nNazwa=Hot\nV=40\nT=100\nRozgrzew=1000\nOpWKacie=200\nKatGr=90\n"
    // Every move after the first is a corner.
    "[Material3]\nNazwa=Sharp\nV=40\nT=35\nRozgrzew=1000\nOpWKacie=200\nKatGr=180\n"
    // Too slow for the controller's timer at this resolution (90 ms per step).
    "[Material4]\nNazwa=Crawl\nV=2\nT=35\nRozgrzew=1000\nOpWKacie=200\nKatGr=90\n";

constexpr double kSide = 4800;   // drawing units
constexpr double kEntry = 2400;  // drawing units

class FakePendant : public test::PendantStub {
public:
    bool TryAcquireShared() override { return available; }
    void ReleaseShared() override { ++released; }
    int SetParameter(int parameter, std::int32_t value) override {
        sent.emplace_back(parameter, value);
        return result;
    }
    std::string ErrorText(int code) const override { return "pendant error " + std::to_string(code); }

    bool available = true;
    int result = 0;
    int released = 0;
    std::vector<std::pair<int, std::int32_t>> sent;
};

class FakeMaterialsPendant : public test::PendantStub {
public:
    bool TryAcquireShared() override { return true; }
    void ReleaseShared() override {}
    int SetMaterialParameter(int material, int parameter, std::int32_t value) override {
        sent.push_back({material, parameter, value});
        return 0;
    }
    std::string ErrorText(int) const override { return {}; }
    std::vector<std::array<int, 3>> sent;
};

// The cutting window with its materials table, a dispatcher and a link on a recording
// bridge; the test's thread is the window thread.
class CuttingJobTest : public ::testing::Test {
protected:
    CuttingJobTest()
        : rig(kIni),
          prompt([this](const PromptRequest& r) {
              asked.push_back(r);
              return r.buttons == PromptButtons::YesNo ? answer : PromptAnswer::Ok;
          }),
          dispatcher(rig.messages, prompt),
          job(JobServices()),
          materials(MaterialServices()) {
        FigureBuilder(drawing, TDrawing::kFigure1)
            .Closed({{0, 0}, {kSide, 0}, {kSide, kSide}, {0, kSide}}, Pt{-kEntry, 0});
        ComClass& link = rig.Open();
        job.SetLink(&link);
        dispatcher.SetLink(&link);
        dispatcher.SetCutting(&job);
        job.Show();
        materials.Create();
        rig.TakeFrames();
    }
    ~CuttingJobTest() override {
        if (rig.link) rig.link->SetEventWindow(&rig.channel);
        job.SetLink(nullptr);
    }

    test::CuttingWiring Wiring() { return {rig.parameters, rig.messages, prompt, drawing, dispatcher, window}; }
    CuttingJob::Services JobServices() {
        CuttingJob::Services s = Wiring().JobServices(materials);
        s.pendant = &pendant;
        s.timeOfDay = [this] { return now; };
        return s;
    }
    Materials::Services MaterialServices() {
        Materials::Services s = Wiring().MaterialServices(job);
        s.pendant = &materialsPendant;
        return s;
    }

    void SetWear(double minutes, double metres) {
        rig.parameters.SetText("Ploter", "CzasDrutu", std::to_string(minutes));
        rig.parameters.SetText("Ploter", "DlugDrutu", std::to_string(metres));
        job.Show();
    }

    std::vector<Frame> FramesOf(std::uint8_t letter) {
        std::vector<Frame> out;
        for (const Frame& f : frames)
            if (f[0] == letter) out.push_back(f);
        return out;
    }
    int LineFrames() const {
        return static_cast<int>(std::count_if(frames.begin(), frames.end(), [](const Frame& f) {
            return f[0] >= cmd::C_LINEX && f[0] <= cmd::C_LINEYD;
        }));
    }
    static std::int32_t Long(const Frame& f) {
        std::int32_t v;
        std::memcpy(&v, &f[1], 4);
        return v;
    }
    static int Field(const Frame& f) { return f[1] | (f[2] << 8); }
    bool Asked(int key) const {
        return std::any_of(asked.begin(), asked.end(), [key](const PromptRequest& r) { return r.messageKey == key; });
    }
    double Stored(const char* key) const { return rig.parameters.GetNumber("Ploter", key, -1); }

    test::LinkRig rig;
    std::vector<PromptRequest> asked;
    PromptAnswer answer = PromptAnswer::Yes;
    ScriptedPrompt prompt;
    ControllerDispatcher dispatcher;
    TDrawing drawing;
    LoaderWindowState window;
    FakePendant pendant;
    FakeMaterialsPendant materialsPendant;
    int now = 10 * 3600;
    CuttingJob job;
    Materials materials;
    std::vector<Frame> frames;
};

// ---- estimate ------------------------------------------------------------------------

struct EstimateCase {
    int material;  // 0-based
    int seconds;
    const char* duration;
};

class EstimateOfMaterial : public CuttingJobTest, public ::testing::WithParamInterface<EstimateCase> {};

TEST_P(EstimateOfMaterial, CountsMovesPreheatingAndCornerPauses) {
    job.ClickMaterial(GetParam().material);
    EXPECT_EQ(job.CurrentEstimate().seconds, GetParam().seconds);
    EXPECT_EQ(job.Text().label5, GetParam().duration);
    EXPECT_EQ(job.Text().label24, " 0.60");
    EXPECT_NEAR(job.CurrentEstimate().lengthMetres, 0.6, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Materials, EstimateOfMaterial,
                         ::testing::Values(EstimateCase{0, 900, "00:15:00"},   // 1 + 15000 × 60 + 4 × 200 ms
                                           EstimateCase{1, 91, "00:01:31"},    // 1000 + 15000 × 6 + 4 × 200 ms
                                           EstimateCase{2, 92, "00:01:32"}));  // KatGr 180: five corners

TEST_F(CuttingJobTest, RotaryCutMultipliesThePassAndAddsTheTableTurns) {
    job.ClickMaterial(1);
    job.SetRotaryCut(true);
    job.TypeFaces("4");
    // 91 × 4 + 270° × 3600 steps × 10 ms / 360°
    EXPECT_EQ(job.CurrentEstimate().seconds, 364 + 27);
    job.TypeAngle("90");
    EXPECT_EQ(job.CurrentEstimate().seconds, 364 + 9);
}

TEST_F(CuttingJobTest, EndTimeWrapsPastMidnightWhileTheDurationKeepsItsHours) {
    now = 23 * 3600 + 59 * 60;
    job.ClickMaterial(1);
    EXPECT_EQ(job.Text().label6, "23:59:00");
    EXPECT_EQ(job.Text().label7, "00:00:31");
    EXPECT_EQ(CuttingJob::Duration(25 * 3600 + 61), "25:01:01");
}

TEST_F(CuttingJobTest, ShowRecomputesTheEstimateForTheDrawingAsItIsNow) {
    job.ClickMaterial(1);
    drawing.Set(TDrawing::kFigure1).cutPath.reset();
    job.Show();
    EXPECT_EQ(job.CurrentEstimate().seconds, 1);  // the preheating alone
    EXPECT_EQ(job.Text().label24, " 0.00");
}

// ---- wear ----------------------------------------------------------------------------

struct WearCase {
    double usedMinutes;
    bool warned;
};

class WearWarning : public CuttingJobTest, public ::testing::WithParamInterface<WearCase> {};

TEST_P(WearWarning, AsksOnlyWhenTheEstimateTakesTheWirePastItsLimit) {
    SetWear(GetParam().usedMinutes, 0);
    job.ClickMaterial(0);  // 15 minutes
    answer = PromptAnswer::No;
    const int result = job.Start(true);
    EXPECT_EQ(Asked(122), GetParam().warned);
    EXPECT_EQ(job.WirePanelRed(), GetParam().warned);
    if (GetParam().warned) {
        EXPECT_EQ(result, CuttingJob::kDeclined);
    }
    if (result == 16) job.Stop(true);
}

INSTANTIATE_TEST_SUITE_P(Limits, WearWarning,
                         ::testing::Values(WearCase{585, false}, WearCase{586, true}, WearCase{590, true}));

TEST_F(CuttingJobTest, DecliningTheWearWarningSendsNothingAndChargesNothing) {
    SetWear(590, 0);
    job.ClickMaterial(0);
    answer = PromptAnswer::No;
    rig.TakeFrames();
    EXPECT_EQ(job.Start(true), 0);
    EXPECT_TRUE(rig.TakeFrames().empty());
    EXPECT_EQ(Stored("CzasDrutu"), 590);
    EXPECT_EQ(job.Text().label12, "590");
}

TEST_F(CuttingJobTest, NearTheLimitAStartFromThePendantIsRefusedWithoutABox) {
    SetWear(590, 0);
    job.ClickMaterial(0);
    rig.TakeFrames();
    EXPECT_EQ(job.Start(false), CuttingJob::kFailed);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(rig.TakeFrames().empty());
}

TEST_F(CuttingJobTest, AWornWireIsRefusedBeforeAnythingIsSent) {
    SetWear(0, 600.5);
    job.ClickMaterial(1);
    rig.TakeFrames();
    EXPECT_EQ(job.Start(true), CuttingJob::kFailed);
    EXPECT_TRUE(Asked(120));
    EXPECT_FALSE(Asked(122));
    EXPECT_TRUE(job.WirePanelRed());
    EXPECT_TRUE(rig.TakeFrames().empty());

    job.WireReplaced();
    EXPECT_FALSE(job.WirePanelRed());
    EXPECT_EQ(Stored("DlugDrutu"), 0);
    EXPECT_EQ(job.Text().label19, " 0.00");
}

TEST_F(CuttingJobTest, ASuccessfulStartChargesTheWearWithTheEstimate) {
    SetWear(10, 1.5);
    job.ClickMaterial(1);  // 91 s, 0.6 m
    ASSERT_EQ(job.Start(true), 16);
    EXPECT_DOUBLE_EQ(Stored("CzasDrutu"), (600 + 91) / 60.0);
    EXPECT_EQ(job.Text().label12, "11");
    EXPECT_NEAR(Stored("DlugDrutu"), 2.1, 1e-9);
    EXPECT_EQ(job.Text().label19, " 2.10");
    job.Stop(true);
}

// ---- Start -----------------------------------------------------------------------------

TEST_F(CuttingJobTest, FullHeatingIsSentAs99AndTheBarStandsAtZero) {
    job.ClickMaterial(1);  // T = 100
    EXPECT_EQ(job.HeatingPosition(), 0);
    EXPECT_EQ(job.Text().label32, "100");
    ASSERT_EQ(job.Start(true), 16);
    frames = rig.TakeFrames();
    const std::vector<Frame> heating = FramesOf(cmd::C_SETCURRENT);
    ASSERT_FALSE(heating.empty());
    for (const Frame& f : heating) EXPECT_EQ(f[1], 99);
    EXPECT_FALSE(job.StartEnabled());
    EXPECT_TRUE(job.HoldEnabled());
    EXPECT_FALSE(job.ContinueEnabled());
    EXPECT_EQ(job.Text().lerrors, rig.messages.MessageText(127));
    job.Stop(true);
}

TEST_F(CuttingJobTest, StartPreparesTheControllerThenStreamsAndEndsWithTheStepOutAndBack) {
    job.ClickMaterial(1);
    ASSERT_EQ(job.Start(true), 16);
    frames = rig.TakeFrames();
    std::string letters;
    std::vector<Frame> lines;
    for (const Frame& f : frames) {
        if (f[0] >= cmd::C_LINEX && f[0] <= cmd::C_LINEYD) {
            lines.push_back(f);
        } else {
            letters += static_cast<char>(f[0]);
        }
    }
    // Cancel, begin block, cancel, setup (R S W T X U), C_REPEAT, start (setup, end, run).
    EXPECT_EQ(letters, "EYERSWTXUfRSWTXUer");
    ASSERT_EQ(lines.size(), 6u + 2u);  // entry, four sides, exit; one step out and back
    EXPECT_EQ(lines[6][0], cmd::C_LINEX);
    EXPECT_EQ(Field(lines[6]), 1);
    EXPECT_EQ(lines[7][0], cmd::C_LINEXD);
    EXPECT_EQ(Field(lines[7]), 0x8001);  // one step back, with the corner delay
    job.Stop(true);
}

struct RotaryCase {
    const char* faces;
    const char* angle;
    bool reverse;
    std::uint32_t aStep;
    int steps;
    bool secondPass;
};

class RotaryRecord : public CuttingJobTest, public ::testing::WithParamInterface<RotaryCase> {};

TEST_P(RotaryRecord, TurnPerFaceRepetitionsAndSecondPass) {
    const RotaryCase& c = GetParam();
    job.ClickMaterial(1);
    job.SetRotaryCut(true);
    job.TypeFaces(c.faces);
    job.TypeAngle(c.angle);
    job.SetReverseFaces(c.reverse);
    ASSERT_EQ(job.Start(true), 16);
    frames = rig.TakeFrames();
    const std::vector<Frame> astep = FramesOf(cmd::C_SETASTEP);
    const std::vector<Frame> steps = FramesOf(cmd::C_SETSTEPS);
    ASSERT_FALSE(astep.empty());
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(static_cast<std::uint32_t>(Long(astep[0])), c.aStep);
    EXPECT_EQ(Field(steps[0]), c.steps);
    // A pass has six moves; a second pass adds six more and the turn (two lines).
    EXPECT_EQ(LineFrames(), c.secondPass ? 6 + 2 + 6 + 2 : 6 + 2);
    job.Stop(true);
}

INSTANTIATE_TEST_SUITE_P(Faces, RotaryRecord,
                         ::testing::Values(RotaryCase{"4", "360", false, 901, 3, false},  // 90 × 10 + 1; 3 is odd
                                           RotaryCase{"3", "90", false, 451, 2, true},    // 45 × 10 + 1; 2 is even
                                           RotaryCase{"4", "360", true, 0x80000000u | 901, 3, false}));

TEST_F(CuttingJobTest, FacesAndAngleFieldsAreKeptWithinTheirBars) {
    job.TypeFaces("500");
    EXPECT_EQ(job.FacesPosition(), 400);
    EXPECT_EQ(job.Text().edit1, "400");
    job.TypeFaces("x");
    EXPECT_EQ(job.FacesPosition(), 2);
    job.TypeAngle("1000");
    EXPECT_EQ(job.AnglePosition(), 360);
}

struct PitchCase {
    const char* pitch;
    int message;
};

class ScrewPitch : public CuttingJobTest, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(ScrewPitch, AnImpossiblePitchIsRefusedBeforeAnyMoveAndEndsTheBlock) {
    job.ClickMaterial(1);
    job.SetTurnDuringCut(true);
    job.TypePitch(GetParam().pitch);
    EXPECT_EQ(job.Start(true), CuttingJob::kFailed);
    frames = rig.TakeFrames();
    EXPECT_TRUE(Asked(GetParam().message));
    EXPECT_EQ(LineFrames(), 0);
    EXPECT_EQ(frames.back()[0], cmd::C_HSPEED);
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_EQ(Stored("CzasDrutu"), 0);  // nothing was streamed, nothing charged
    EXPECT_EQ(job.Text().label19, " 0.00");
}

INSTANTIATE_TEST_SUITE_P(Pitches, ScrewPitch,
                         ::testing::Values(PitchCase{"-5", 124}, PitchCase{"0", 126}, PitchCase{"0,5", 126}));

TEST_F(CuttingJobTest, TheTableTooSlowMessageNamesTheTableLimits) {
    job.ClickMaterial(1);
    job.SetTurnDuringCut(true);
    job.TypePitch("1");  // 360 table steps per cm: 14.4 per X step
    job.Start(false);
    // trunc(300 / 14.4) and trunc(99 × 5 / 14.4)
    EXPECT_NE(job.Text().lerrors.find("20, 34"), std::string::npos) << job.Text().lerrors;
    EXPECT_TRUE(asked.empty());
}

TEST_F(CuttingJobTest, APitchTheTableCanFollowTurnsItDuringTheCut) {
    job.ClickMaterial(1);
    job.SetTurnDuringCut(true);
    job.TypePitch("10");  // 1.44 table steps per X step
    job.SetReverseTurn(true);
    ASSERT_EQ(job.Start(true), 16);
    frames = rig.TakeFrames();
    bool negativeTurn = false;
    for (const Frame& f : frames) {
        if (f[0] < cmd::C_LINEX || f[0] > cmd::C_LINEYD) continue;
        const int interNum = f[8] | (f[9] << 8);
        if ((interNum & 0x8000) != 0) negativeTurn = true;
    }
    EXPECT_TRUE(negativeTurn);
    job.Stop(true);
}

TEST_F(CuttingJobTest, TheSimulationGetsTheRecordAndTurnThatStartSends) {
    job.ClickMaterial(1);
    job.SetRotaryCut(true);
    job.TypeFaces("3");
    job.TypeAngle("90");
    job.SetTurnDuringCut(true);
    job.TypePitch("10");
    CutParameters record;
    double rotRatio = -1;
    ASSERT_TRUE(job.SingleFigureRecord(record, rotRatio, true));
    EXPECT_EQ(record.aStep, 451);
    EXPECT_EQ(record.steps, 2);
    EXPECT_EQ(record.heating, 99);
    EXPECT_EQ(record.heatingTime, 1000);
    EXPECT_EQ(record.cornerDelay, 200);
    EXPECT_EQ(record.rotVelocity, 10);
    EXPECT_DOUBLE_EQ(record.feedPeriod, 6);
    EXPECT_DOUBLE_EQ(rotRatio, 1.44);
    EXPECT_TRUE(rig.TakeFrames().empty());

    job.TypePitch("-1");
    EXPECT_FALSE(job.SingleFigureRecord(record, rotRatio, false));
    EXPECT_EQ(rotRatio, 0);
    EXPECT_EQ(job.Text().lerrors, rig.messages.MessageText(124));
    EXPECT_TRUE(asked.empty());
}

TEST_F(CuttingJobTest, AFailedCancelRefusesWithTheCodeAndChargesNothing) {
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == cmd::C_CANCEL ? 133 : RecordingFtdi::kDefault; });
    job.ClickMaterial(1);
    EXPECT_EQ(job.Start(false), CuttingJob::kFailed);
    EXPECT_EQ(job.Text().lerrors, ControllerCodes::FormatCode(rig.messages, 133));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Stored("CzasDrutu"), 0);
    EXPECT_EQ(job.Text().label19, " 0.00");
}

TEST_F(CuttingJobTest, AStreamingFailureEndsTheBlockAndStillChargesTheWear) {
    job.ClickMaterial(3);  // 90 ms per step is beyond the controller's timer
    EXPECT_EQ(job.Start(true), ERR_COUNTER_OVERFLOW);
    frames = rig.TakeFrames();
    EXPECT_EQ(frames.back()[0], cmd::C_HSPEED);
    EXPECT_TRUE(Asked(70));
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_GT(Stored("CzasDrutu"), 0);
}

// ---- run supervision -----------------------------------------------------------------

TEST_F(CuttingJobTest, HoldContinueAndStopDriveTheControllerAndTheButtons) {
    job.ClickMaterial(1);
    ASSERT_EQ(job.Start(true), 16);
    rig.TakeFrames();

    EXPECT_EQ(job.Hold(true), 16);
    EXPECT_EQ(rig.TakeFrames().back()[0], cmd::C_HOLD);
    EXPECT_FALSE(job.HoldEnabled());
    EXPECT_TRUE(job.ContinueEnabled());
    EXPECT_EQ(job.Text().lerrors, rig.messages.MessageText(129));

    EXPECT_EQ(job.Continue(true), 16);
    EXPECT_EQ(rig.TakeFrames().back()[0], cmd::C_RESUME);
    EXPECT_TRUE(job.HoldEnabled());
    EXPECT_FALSE(job.ContinueEnabled());
    EXPECT_EQ(job.Text().lerrors, rig.messages.MessageText(190));

    job.MoveV2Bar(25);
    EXPECT_EQ(job.Stop(true), 16);
    frames = rig.TakeFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2][0], cmd::C_CANCEL);
    EXPECT_EQ(frames.back()[0], cmd::C_HSPEED);
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_FALSE(job.HoldEnabled());
    EXPECT_FALSE(job.Visible());
    EXPECT_EQ(job.Result(), ModalResult::Cancel);
    EXPECT_EQ(Stored("DefaultV2"), 25);
}

TEST_F(CuttingJobTest, TheEndReportStopsAndClosesTheWindow) {
    job.ClickMaterial(1);
    ASSERT_EQ(job.Start(true), 16);
    rig.TakeFrames();
    rig.recorder->Report(STAT_END);
    for (int i = 0; i < 500 && job.Visible(); ++i) job.Channel().WaitAndProcess(10);
    EXPECT_FALSE(job.Visible());
    EXPECT_TRUE(job.StartEnabled());
    EXPECT_FALSE(rig.link->Running());
    frames = rig.TakeFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2][0], cmd::C_CANCEL);
    EXPECT_EQ(frames.back()[0], cmd::C_HSPEED);
}

TEST_F(CuttingJobTest, WithoutAControllerEveryCommandFailsCleanly) {
    job.SetLink(nullptr);
    job.ClickMaterial(1);
    EXPECT_EQ(job.Start(true), CuttingJob::kFailed);
    EXPECT_EQ(job.Hold(false), CuttingJob::kFailed);
    EXPECT_EQ(job.Continue(false), CuttingJob::kFailed);
    EXPECT_EQ(job.Stop(false), CuttingJob::kFailed);
    EXPECT_EQ(Stored("CzasDrutu"), 0);
}

// ---- materials and the pendant ---------------------------------------------------------

TEST_F(CuttingJobTest, AClickStoresTheMaterialAndTellsThePendantItsNumberAndHeating) {
    pendant.sent.clear();
    pendant.released = 0;
    job.ClickMaterial(1);
    EXPECT_EQ(rig.parameters.GetNumber("Material", "Ostatni", -1), 1);
    EXPECT_EQ(job.HeatingPosition(), 0);
    const std::vector<std::pair<int, std::int32_t>> expected{{3, 100}, {19, 2}};
    EXPECT_EQ(pendant.sent, expected);
    EXPECT_EQ(pendant.released, 2);
    // The same heating again changes nothing, so the pendant hears only the material.
    pendant.sent.clear();
    job.ClickMaterial(1);
    EXPECT_EQ(pendant.sent, (std::vector<std::pair<int, std::int32_t>>{{19, 2}}));
}

TEST_F(CuttingJobTest, APendantFailureIsShownInTheStatusLine) {
    pendant.result = 5;
    job.ClickMaterial(2);
    EXPECT_EQ(job.Text().lerrors, "pendant error 5");
    pendant.available = false;
    pendant.sent.clear();
    job.MoveHeatingBar(50);
    EXPECT_TRUE(pendant.sent.empty());
    EXPECT_EQ(job.Text().label32, "50");
}

TEST_F(CuttingJobTest, TheOperatorsHeatingBarStaysWithinItsLimits) {
    job.MoveHeatingBar(-20);
    EXPECT_EQ(job.HeatingPosition(), 1);
    job.MoveHeatingBar(500);
    EXPECT_EQ(job.HeatingPosition(), 100);
}

TEST_F(CuttingJobTest, WindowEventsReReadTheMaterialAndSendItToThePendant) {
    job.SelectEntry(1);
    job.Channel().Post(CuttingJob::kEventMaterialChosen);
    job.Channel().ProcessPending();
    EXPECT_EQ(job.CurrentEstimate().seconds, 91);
    EXPECT_EQ(rig.parameters.GetNumber("Material", "Ostatni", -1), 1);

    job.Channel().Post(CuttingJob::kEventSendMaterial, 0x102);  // the low byte: material 2
    job.Channel().ProcessPending();
    ASSERT_EQ(materialsPendant.sent.size(), 5u);
    EXPECT_EQ(materialsPendant.sent[0], (std::array<int, 3>{2, 1, 40}));
    job.Channel().Post(CuttingJob::kEventSendMaterial, 0x100);  // material 0: nothing
    job.Channel().ProcessPending();
    EXPECT_EQ(materialsPendant.sent.size(), 5u);
}

TEST_F(CuttingJobTest, CreationTakesTheControlsFromTheStore) {
    EXPECT_EQ(job.V2Position(), 30);
    EXPECT_EQ(job.Text().label35, "30 cm/min");
    EXPECT_FALSE(job.V2Visible());
    EXPECT_TRUE(job.HoldVisible());
    EXPECT_EQ(job.Text().label15, "600");
    EXPECT_EQ(job.Text().label20, "600.00");
    window.pen2 = true;
    job.Show();
    EXPECT_TRUE(job.V2Visible());
    EXPECT_EQ(job.MaterialNames()[1], "Hot");
}

}  // namespace
}  // namespace wirvela
