#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "formats/DrawingLoader.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

const char* const kLocal =
    "[Present]\nPresent=1\n[Strings]\n00001=General\n00009=Objects:\n00010=Lines:\n00011=Cannot open\n"
    "00013=Loading\n00300=Two figures\n00301=Split?\n00302=Segmented\n00303=Unmatched ends\n"
    "00312=Shared nodes\n00313=Not separated\n00314=Bad pens\n00315=No segment lines\n00316=Pens\n"
    "00317=Two-figure mode is off\n00602=Too large (%s)\n00603=No number (%s)\n00604=Too wide: %s\n"
    "00605=Cannot open %s (%s)\n00606=No line in %s\n00622=Project %s: %s is not beside it\n";

const char* const kTwoFigures =
    "IN;SP3;PU1000,500;PD1100,500,1100,600,1000,600,1000,500;"
    "SP4;PU1020,520;PD1080,520,1080,580,1020,580,1020,520;"
    "SP5;PU1000,500;PD1020,520;PU1100,500;PD1080,520;";

// Answers from a script (then No / OK) and keeps every request.
class RecordingPrompt : public Prompt {
public:
    PromptAnswer Ask(const PromptRequest& request) override {
        requests_.push_back(request);
        if (!script_.empty()) {
            const PromptAnswer a = script_.front();
            script_.erase(script_.begin());
            return a;
        }
        return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
    void Script(PromptAnswer answer) { script_.push_back(answer); }
    const std::vector<PromptRequest>& Requests() const { return requests_; }

private:
    std::vector<PromptAnswer> script_;
    std::vector<PromptRequest> requests_;
};

bool LockedElsewhere(RecursiveTimedMutex& m) {
    return std::async(std::launch::async,
                      [&m] {
                          if (!m.try_lock()) return true;
                          m.unlock();
                          return false;
                      })
        .get();
}

class LoaderTest : public testing::Test {
protected:
    void SetUp() override {
        Settings(0);
        dir.Write("local.txt", kLocal);
        messages.CheckLocalFile(dir.Path());
        messages.LoadMessages();
        log.SetMemoHook([this](std::string_view line) { logLines.emplace_back(line); });
        log.SetMemoEnabled(true);
        context.status = [this](int panel, std::string_view text) {
            status.push_back(std::to_string(panel) + ":" + std::string(text));
            heldDuringLoad = heldDuringLoad && LockedElsewhere(mutex);
        };
    }

    void Settings(int cone, const std::string& more = "") {
        dir.Write("wirvela.ini",
                  "[Ploter]\nSkalaHPGL=0.05\nCone=" + std::to_string(cone) + "\nWejscieX=5\nWejscieY=7\n" + more);
        params.Load(dir.Path(), "wirvela.ini", "local.txt");
    }

    int Load(const std::string& name, const std::string& content, int interactive) {
        return LoadDrawing(context, dir.Write(name, content), interactive, &report);
    }

    std::vector<int> Asked() const {
        std::vector<int> keys;
        for (const PromptRequest& r : prompt.Requests()) keys.push_back(r.messageKey);
        return keys;
    }
    bool Logged(const std::string& line) const {
        return std::find(logLines.begin(), logLines.end(), line) != logLines.end();
    }
    int TotalLines() const {
        int n = 0;
        for (int s = 0; s < 3; ++s) n += d->Set(s).L.Count() + d->Set(s).V.Count();
        return n;
    }

    test::TempDir dir;
    TParameters params;
    TMessages messages;
    MessageLog log;
    std::vector<std::string> logLines;
    std::vector<std::string> status;
    bool heldDuringLoad = true;
    std::unique_ptr<TDrawing> d = std::make_unique<TDrawing>();
    RecursiveTimedMutex mutex;
    HpglPenState pens;
    LoaderWindowState window;
    RecordingPrompt prompt;
    LoaderContext context{*d, &mutex, params, messages, log, &prompt, pens, window};
    LoadReport report;
};

TEST_F(LoaderTest, LoadsShiftsToTheOriginAndReports) {
    window.pen2 = true;
    window.cutEnabled = window.simulateEnabled = true;
    window.scalePercent = 50;
    const auto file = dir.Write("square.plt", "IN;SP1;PU-50,30;PD50,30,50,130,-50,130,-50,30;PU0,0;");
    ASSERT_EQ(LoadDrawing(context, file, 1, &report), 16);
    EXPECT_EQ(report.failure, LoadFailure::None);
    EXPECT_TRUE(prompt.Requests().empty());

    EXPECT_EQ(d->V().MinX(true), 0);
    EXPECT_EQ(d->V().MinY(true), 0);
    EXPECT_EQ(d->V().MaxX(true), 100);
    EXPECT_EQ(d->V().MaxY(true), 100);
    EXPECT_EQ(d->Oelems1(), 1) << "the final PU opened object 1";
    EXPECT_EQ(d->Settings().scale, 0.05);
    EXPECT_EQ(d->Settings().entryX, 5);
    EXPECT_EQ(d->Settings().entryY, 7);

    EXPECT_EQ(status, (std::vector<std::string>{"0:Loading", "0:", "2:Objects:2+0", "3:Lines:4+0"}));
    EXPECT_TRUE(heldDuringLoad) << "the drawing mutex is held while the panels are written";
    EXPECT_FALSE(LockedElsewhere(mutex));

    EXPECT_FALSE(window.pen2);
    EXPECT_FALSE(window.cutEnabled);
    EXPECT_FALSE(window.simulateEnabled);
    EXPECT_TRUE(window.planarisationPending);
    EXPECT_EQ(window.scalePercent, 100);
    EXPECT_EQ(window.title, file.string());

    for (const char* line : {"-->>>>Wczytaj():mutex owned and locked", "MinX: -50", "MinY: 30", "Wczytano 2 obiektów",
                             "<<<<--Wczytaj():MutexReleased", "----------------------------"}) {
        EXPECT_TRUE(Logged(line)) << line;
    }
}

TEST_F(LoaderTest, LoadingTheSameFileTwiceGivesTheSameCounts) {
    ASSERT_EQ(Load("a.plt", "PU0,0;PD10,0,10,10;PU20,20;PD30,30;", 0), 16);
    const std::vector<std::string> first(status.end() - 2, status.end());
    ASSERT_EQ(Load("a.plt", "PU0,0;PD10,0,10,10;PU20,20;PD30,30;", 0), 16);
    EXPECT_EQ(std::vector<std::string>(status.end() - 2, status.end()), first);
    EXPECT_EQ(d->L().Count(), 3);
}

TEST_F(LoaderTest, OpenFigureTwoFillsOnlyTheSecondSet) {
    ASSERT_EQ(Load("a.plt", "PU0,0;PD10,0,10,10;", 0), 16);
    d->SelectFigure(2);
    ASSERT_EQ(Load("b.plt", "PU5,5;PD6,5;PU7,7;PD8,7;", 0), 16);
    EXPECT_EQ(d->Figure(), 2);
    EXPECT_EQ(d->Oelems2(), 1);
    EXPECT_EQ(d->Oelems1(), 0);
    EXPECT_EQ(d->Set(1).L.Count(), 2);
    EXPECT_EQ(status.back(), "3:Lines:2+2");
}

// A file that gives no drawing is named with the reason, in a box on an interactive
// load, in the log always.
struct NotLoadedCase {
    const char* name;
    const char* file;
    const char* content;  // null: no such file
    LoadFailure failure;
    const char* text;  // of the box
};

class LoaderSaysWhy : public LoaderTest, public testing::WithParamInterface<NotLoadedCase> {};

TEST_P(LoaderSaysWhy, WhenTheFileGivesNoDrawing) {
    const NotLoadedCase& c = GetParam();
    if (c.content) dir.Write(c.file, c.content);
    const std::filesystem::path file = dir.Path() / c.file;
    const std::string text = std::string(c.text).replace(std::string(c.text).find('@'), 1, file.string());
    window.pendingMultiplication = 1;
    EXPECT_EQ(LoadDrawing(context, file, 0, &report), -2);
    EXPECT_EQ(report.failure, c.failure);
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_EQ(window.pendingMultiplication, 0);

    EXPECT_EQ(LoadDrawing(context, file, 1, &report), -2);
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text, text);
    EXPECT_EQ(prompt.Requests()[0].caption, "General");
    EXPECT_EQ(prompt.Requests()[0].icon, PromptIcon::Error);
    EXPECT_NE(std::find(logLines.begin(), logLines.end(), "Wczytaj(): not loaded: " + text), logLines.end());
    EXPECT_FALSE(LockedElsewhere(mutex));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderSaysWhy,
    testing::Values(NotLoadedCase{"HpglNotFound", "missing.plt", nullptr, LoadFailure::CannotOpen,
                                  "Cannot open @ (not found)"},
                    NotLoadedCase{"DxfNotFound", "missing.dxf", nullptr, LoadFailure::CannotOpen,
                                  "Cannot open @ (not found)"},
                    NotLoadedCase{"NoLines", "empty.plt", "IN;PU10,10;", LoadFailure::Empty, "No line in @"},
                    NotLoadedCase{"DxfWithoutEntities", "empty.dxf", "0\nEOF\n", LoadFailure::Empty,
                                  "No line in @"}),
    [](const testing::TestParamInfo<NotLoadedCase>& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, AFolderIsNamedAsSuch) {
    std::filesystem::create_directory(dir.Path() / "folder.plt");
    EXPECT_EQ(LoadDrawing(context, dir.Path() / "folder.plt", 1, &report), -2);
    EXPECT_EQ(report.failure, LoadFailure::CannotOpen);
    EXPECT_EQ(report.detail, "a folder, not a file");
    EXPECT_EQ(Asked(), std::vector<int>{605});
}

// Drawings that cannot be cut as drawn are refused whole, with the reason in a box and
// in the report, and leave nothing in the tables.
struct RefusedCase {
    const char* name;
    const char* file;
    std::string content;
    LoadFailure failure;
    const char* detail;
};

class LoaderRefuses : public LoaderTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(LoaderRefuses, TheWholeDrawingWithTheReason) {
    const RefusedCase& c = GetParam();
    Settings(0, "mmPerStep=0.0125\n");
    EXPECT_EQ(Load(c.file, c.content, 1), -2);
    EXPECT_EQ(report.failure, c.failure);
    EXPECT_NE(report.detail.find(c.detail), std::string::npos) << report.detail;
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_NE(prompt.Requests()[0].text.find(c.detail), std::string::npos) << prompt.Requests()[0].text;
    EXPECT_EQ(d->V().Count(), 0);
    EXPECT_EQ(d->L().Count(), 0);
}

std::string ManyPoints(int points) {
    std::string text = "IN;SP1;PU0,0;";
    for (int i = 1; i <= points; ++i) text += "PD" + std::to_string(i) + "," + std::to_string(i % 7) + ";";
    return text;
}

std::string DxfLine(const char* x2) {
    return std::string("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n") + x2 +
           "\n21\n10\n0\nENDSEC\n0\nEOF\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderRefuses,
    testing::Values(
        RefusedCase{"CoordinatesBeyondTheStepCounters", "far.plt", "IN;SP1;PU0,0;PD2147483647,0,0,100;",
                    LoadFailure::OutOfReach, "107374182 x 5 mm"},
        RefusedCase{"MoreVerticesThanTheTableHolds", "huge.plt", ManyPoints(50000), LoadFailure::TooLarge,
                    "49994 vertices and 99994 lines"},
        RefusedCase{"DxfCoordinateThatIsNoNumber", "nan.dxf", DxfLine("nan"), LoadFailure::BadNumber,
                    "LINE, group 11 'nan' on line 14"},
        RefusedCase{"DxfCoordinateThatIsText", "abc.dxf", DxfLine("12abc"), LoadFailure::BadNumber,
                    "LINE, group 11 '12abc'"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, ADecimalDxfCoordinateIsStillRead) {
    EXPECT_EQ(Load("ok.dxf", DxfLine(" 10.5 "), 1), 16);
    EXPECT_EQ(report.failure, LoadFailure::None);
}

// A project's drawing loads with the reader its own extension picks, is what the window
// reports, and the multiplication the project holds waits for the end of the joining.
TEST_F(LoaderTest, ProjectLoadsItsDrawingAndAsksForItsMultiplication) {
    std::optional<MultiplicationTexts> filled;
    context.multiplicationFields = [] {
        MultiplicationTexts held;
        held.multiwire = true;
        return held;
    };
    context.setMultiplicationFields = [&filled](const MultiplicationTexts& t) { filled = t; };
    const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n5\n20\n5\n11\n15\n21\n5\n0\nENDSEC\n0\nEOF\n";
    const struct {
        const char* drawing;
        std::string content;
        bool dxf;
    } cases[] = {{"part.PLT", "IN;PU0,0;PD100,0,100,100;", false}, {"part.Dxf", dxf, true}};
    for (const auto& c : cases) {
        filled.reset();
        const auto drawing = dir.Write(c.drawing, c.content);
        ASSERT_EQ(Load("job.con",
                       std::string("[CON_design]\nFile1=") + c.drawing +
                           "\n[Duplicate]\nDuplicate=1\nObj=1\nObjV=2\nObjH=3\nMultiwire=0\n",
                       0),
                  16)
            << c.drawing;
        EXPECT_EQ(report.dxf, c.dxf);
        EXPECT_EQ(report.drawing, drawing);
        EXPECT_EQ(window.title, drawing.string());
        EXPECT_EQ(window.pendingMultiplication, 1);
        ASSERT_TRUE(filled.has_value());
        EXPECT_EQ(filled->columns, "2");
        EXPECT_EQ(filled->rows, "3");
        EXPECT_FALSE(filled->multiwire);
    }
    // Without a section Duplicate nothing waits and the dialog keeps its fields.
    filled.reset();
    window.pendingMultiplication = 1;
    ASSERT_EQ(Load("plain.con", "[CON_design]\nFile1=part.PLT\n", 0), 16);
    EXPECT_EQ(window.pendingMultiplication, 0);
    EXPECT_FALSE(filled.has_value());
}

TEST_F(LoaderTest, ProjectNamingAFileOutsideItsFolderIsRefusedAndSaysSo) {
    bool filled = false;
    context.setMultiplicationFields = [&filled](const MultiplicationTexts&) { filled = true; };
    dir.Write("part.plt", "IN;PU0,0;PD100,0,100,100;");
    d->V().AddVertex(1, 1);
    const auto project = dir.Write("job.CON", "[CON_design]\nFile1=../part.plt\n[Duplicate]\nDuplicate=1\n");
    EXPECT_EQ(LoadDrawing(context, project, 1, &report), -2);
    EXPECT_EQ(report.failure, LoadFailure::Project);
    EXPECT_NE(report.detail.find("\"../part.plt\""), std::string::npos) << report.detail;
    EXPECT_EQ(Asked(), std::vector<int>{622});
    EXPECT_EQ(prompt.Requests().front().text, "Project " + project.string() + ": ../part.plt is not beside it");
    EXPECT_EQ(window.pendingMultiplication, 0);
    EXPECT_FALSE(filled);
    EXPECT_EQ(d->V().Count(), 0) << "the current set is cleared as for any load";
}

TEST_F(LoaderTest, DxfFilesGoToTheDxfReaderAndFixTheScale) {
    const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n5\n20\n5\n11\n15\n21\n5\n0\nENDSEC\n0\nEOF\n";
    ASSERT_EQ(Load("part.Dxf", dxf, 0), 16);
    EXPECT_TRUE(report.dxf);
    EXPECT_EQ(d->Settings().scale, 0.025) << "not SkalaHPGL (0.05)";
    ASSERT_EQ(d->L().Count(), 1);
    EXPECT_EQ(d->V().MaxX(true), 4) << "10 DXF units at SkalaDXF 0.4, moved to the origin";

}

TEST_F(LoaderTest, PenTwoSetsTheWindowsFlag) {
    ASSERT_EQ(Load("p2.plt", "SP2;PU0,0;PD10,0;", 0), 16);
    EXPECT_TRUE(window.pen2);
}

// ---- pen checks ------------------------------------------------------------------------

struct PenCase {
    const char* name;
    const char* content;
    int cone;
    int interactive;
    std::vector<int> asked;
    LoadFailure failure;
};

class LoaderPens : public LoaderTest, public testing::WithParamInterface<PenCase> {};

TEST_P(LoaderPens, RefuseAndEmptyEverySet) {
    const PenCase& c = GetParam();
    Settings(c.cone);
    // Something in the other sets that a refusal must clear as well.
    d->Set(2).V.AddVertex(1, 1);
    d->Set(0).V.AddVertex(2, 2);
    EXPECT_EQ(Load("pens.plt", c.content, c.interactive), -2);
    EXPECT_EQ(report.failure, c.failure);
    EXPECT_EQ(Asked(), c.asked);
    if (!c.asked.empty()) {
        EXPECT_EQ(prompt.Requests().back().icon, PromptIcon::Error);
    }
    EXPECT_EQ(TotalLines(), 0);
    EXPECT_EQ(d->Oelems(), -1);
    EXPECT_FALSE(d->TwoFigures());
    EXPECT_FALSE(LockedElsewhere(mutex));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderPens,
    testing::Values(PenCase{"Pen3WithoutTwoFigureMode", "SP3;PU0,0;PD10,0;", 0, 1, {317}, LoadFailure::FigurePens},
                    PenCase{"Pen4InTwoFigureMode", "SP4;PU0,0;PD10,0;", 1, 1, {315}, LoadFailure::FigurePens},
                    PenCase{"Pen3Quietly", "SP3;PU0,0;PD10,0;", 0, 0, {}, LoadFailure::FigurePens},
                    PenCase{"SegmentsWithoutTwoFigureMode", kTwoFigures, 0, 1, {317}, LoadFailure::FigurePens},
                    PenCase{"SegmentsPlusPen1",
                            "SP1;PU0,0;PD5,0;SP3;PD10,0;SP4;PD10,10;SP5;PD0,10;",
                            1,
                            1,
                            {314},
                            LoadFailure::SegmentPens},
                    PenCase{"SegmentsWithoutPen4", "SP3;PU0,0;PD5,0;SP5;PD0,10;", 1, 0, {}, LoadFailure::SegmentPens}),
    [](const testing::TestParamInfo<PenCase>& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, RefusedSegmentPensReleaseTheMutexWithTheLogLine) {
    Settings(1);
    EXPECT_EQ(Load("pens.plt", "SP2;PU0,0;PD10,0;SP5;PD0,10;", 1), -2);
    EXPECT_TRUE(Logged("Wykryto pen == 5, mozliwe wystapienie segmentow."));
    EXPECT_TRUE(Logged("<<<<--Wczytaj():MutexReleased"));
}

// ---- two-figure acceptance ---------------------------------------------------------------

class LoaderTwoFigures : public LoaderTest {
protected:
    void SetUp() override {
        LoaderTest::SetUp();
        Settings(1);
        context.separation.separateObj = [this] {
            calls.push_back("separate");
            return separateResult;
        };
        context.separation.checkSegNodesConnection = [this] {
            calls.push_back("connection");
            return shared;
        };
        context.separation.markSegNodesWithFigures = [this] { calls.push_back("mark"); };
        context.separation.checkSegNodeLinks = [this] {
            calls.push_back("links");
            return unmatched;
        };
    }
    std::vector<std::string> calls;
    int separateResult = 0;
    int shared = 0;
    int unmatched = 0;
};

TEST_F(LoaderTwoFigures, NoKeepsOneFigureWithTheSegmentLines) {
    d->Set(0).V.AddVertex(2, 2);
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 1), 16);
    ASSERT_EQ(Asked(), std::vector<int>{301});
    EXPECT_EQ(prompt.Requests()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompt.Requests()[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompt.Requests()[0].caption, "Two figures");
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(d->TwoFigures());
    EXPECT_EQ(d->Set(0).V.Count(), 0);
    EXPECT_EQ(d->L().Count(), 10);
    EXPECT_EQ(d->V().MinX(true), 0) << "moved to the origin";
}

TEST_F(LoaderTwoFigures, NonInteractiveLoadAsksNothingAndKeepsOneFigure) {
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 0), 16);
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(d->TwoFigures());
}

TEST_F(LoaderTwoFigures, YesSeparatesAndReportsFaultyNodesInOrder) {
    prompt.Script(PromptAnswer::Yes);
    shared = 2;
    unmatched = 1;
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 1), 16);
    EXPECT_EQ(Asked(), (std::vector<int>{301, 312, 303}));
    EXPECT_EQ(calls, (std::vector<std::string>{"separate", "connection", "mark", "links"}));
    EXPECT_TRUE(d->TwoFigures());
    EXPECT_TRUE(report.separated);
    EXPECT_EQ(d->Figure(), 1);
    EXPECT_TRUE(Logged("++++++SeparateObj"));
}

TEST_F(LoaderTwoFigures, CleanSeparationShowsNoFurtherMessage) {
    prompt.Script(PromptAnswer::Yes);
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 1), 16);
    EXPECT_EQ(Asked(), std::vector<int>{301});
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(LoaderTwoFigures, FailedSeparationLoadsOneFigure) {
    prompt.Script(PromptAnswer::Yes);
    separateResult = 1;
    d->Set(0).V.AddVertex(2, 2);
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 1), 16);
    EXPECT_EQ(Asked(), (std::vector<int>{301, 313}));
    EXPECT_EQ(calls, std::vector<std::string>{"separate"});
    EXPECT_FALSE(d->TwoFigures());
    EXPECT_EQ(d->Set(0).V.Count(), 0);
    EXPECT_EQ(d->L().Count(), 10);
}

TEST_F(LoaderTwoFigures, MissingSeparationStepsCountAsAFailedSeparation) {
    prompt.Script(PromptAnswer::Yes);
    context.separation = {};
    ASSERT_EQ(Load("wing.plt", kTwoFigures, 1), 16);
    EXPECT_EQ(Asked(), (std::vector<int>{301, 313}));
}

// ---- the connect command -----------------------------------------------------------------

TEST_F(LoaderTest, StartsTheConnectCommandAfterReleasingTheMutex) {
    std::vector<std::string> calls;
    context.connect.start = [&](int interactive) {
        calls.push_back("start " + std::to_string(interactive) + (LockedElsewhere(mutex) ? " locked" : " free"));
        return 16;
    };
    context.connect.resume = [&] { calls.push_back("resume"); };
    ASSERT_EQ(Load("a.plt", "PU0,0;PD10,0;", 1), 16);
    EXPECT_EQ(calls, (std::vector<std::string>{"start 1 free", "resume"}));
    const auto before = std::find(logLines.begin(), logLines.end(), ">Wczytaj():before ResumeThread");
    ASSERT_NE(before, logLines.end());
    EXPECT_EQ(*(before + 1), ">Wczytaj():after ResumeThread");
}

TEST_F(LoaderTest, ConnectCommandThatDoesNotStartFailsTheLoad) {
    bool resumed = false;
    context.connect.start = [](int) { return -2; };
    context.connect.resume = [&] { resumed = true; };
    EXPECT_EQ(Load("a.plt", "PU0,0;PD10,0;", 0), -2);
    EXPECT_EQ(report.failure, LoadFailure::ConnectNotStarted);
    EXPECT_FALSE(resumed);
}

TEST_F(LoaderTest, MissingMutexIsLoggedAndTheLoadGoesOn) {
    context.drawingMutex = nullptr;
    EXPECT_EQ(Load("a.plt", "PU0,0;PD10,0;", 0), 16);
    EXPECT_TRUE(Logged("-->>>>Wczytaj():No Mutex!!!"));
}

// ---- origin shift ------------------------------------------------------------------------

TEST(OriginShift, TruncatesTheMinimaTowardZero) {
    auto d = std::make_unique<TDrawing>();
    d->SetSnapGrid(0);
    MessageLog log;
    d->V().AddVertex(-12.5, 50);
    d->V().AddVertex(3, 40.2);
    d->V().AddVertex(-1, 60, 0, 0, 1);  // excluded vertices count too
    ShiftSetToOrigin(*d, log);
    EXPECT_DOUBLE_EQ(d->V()[0].x, -0.5);
    EXPECT_NEAR(d->V()[1].y, 0.2, 1e-12);
    EXPECT_EQ(d->V().FindVertex(11, 20), 2) << "moved by (12, -40) and still found";
}

TEST(OriginShift, FiguresMoveTogetherBySmallerMinimaAndEmptyFiguresDoNotCount) {
    auto d = std::make_unique<TDrawing>();
    MessageLog log;
    d->Set(1).V.AddVertex(100, -30);
    d->Set(1).V.AddVertex(200, 40);
    d->Set(0).V.AddVertex(150, 10);
    ShiftFiguresToOrigin(*d, log);
    EXPECT_EQ(d->Set(1).V[0].x, 0) << "figure 2 is empty: its cleared vertex 0 is no minimum";
    EXPECT_EQ(d->Set(1).V[0].y, 0);
    d->Set(2).V.AddVertex(-50, 20);
    ShiftFiguresToOrigin(*d, log);  // by (-50, 0), the smaller of both figures' minima
    EXPECT_EQ(d->Set(1).V[0].x, 50);
    EXPECT_EQ(d->Set(2).V[0].x, 0);
    EXPECT_EQ(d->Set(2).V[0].y, 20);
    EXPECT_EQ(d->Set(0).V[0].x, 100) << "the segment set moves with the figures";
    EXPECT_EQ(d->Set(0).V[0].y, 40);
}

}  // namespace
}  // namespace wirvela
