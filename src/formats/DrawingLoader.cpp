#include "formats/DrawingLoader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "formats/DxfReader.h"
#include "formats/ProjectFile.h"
#include "geometry/Box2d.h"

namespace wirvela {

namespace {

constexpr int kPenMask345 = 4 | 8 | 16;  // exactly the pens of a segmented drawing
constexpr int kTooLargeMessage = 602;
constexpr int kBadNumberMessage = 603;
constexpr int kBeyondReachMessage = 604;
constexpr int kCannotOpenMessage = 605;
constexpr int kNoLineMessage = 606;
// The widest move the motion timing may be asked for, in motor steps: the controller's
// line counters are 32-bit, and a difference of two positions must still fit.
constexpr double kMaxReachSteps = 1073741823.0;

enum class FileType { Hpgl, Dxf, Project };

FileType TypeOf(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    if (ext == ".DXF") return FileType::Dxf;
    if (ext == ".CON") return FileType::Project;
    return FileType::Hpgl;
}

std::string Seconds(double s) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", s);
    return buf;
}

// Holds the drawing mutex from the start of the load; every way out releases it.
class DrawingMutexHold {
public:
    DrawingMutexHold(RecursiveTimedMutex* mutex, MessageLog& log) : mutex_(mutex), log_(log) {
        if (mutex_ == nullptr) {
            log_.Log("-->>>>Wczytaj():No Mutex!!!");
            return;
        }
        try {
            mutex_->lock();  // without time limit
            owned_ = true;
            log_.Log("-->>>>Wczytaj():mutex owned and locked");
        } catch (const std::system_error&) {
            log_.Log("Wczytaj():Problem with Mutex !!!");
        }
    }
    ~DrawingMutexHold() { Release(false); }
    DrawingMutexHold(const DrawingMutexHold&) = delete;
    DrawingMutexHold& operator=(const DrawingMutexHold&) = delete;

    void Release(bool logIt) {
        if (!owned_) return;
        mutex_->unlock();
        owned_ = false;
        if (logIt) log_.Log("<<<<--Wczytaj():MutexReleased");
    }

private:
    RecursiveTimedMutex* mutex_;
    MessageLog& log_;
    bool owned_ = false;
};

// Why a drawing file cannot be read, in a few words: "not found", "a folder", …
std::string ReadProblem(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) return "not found";
    if (status.type() == std::filesystem::file_type::directory) return "a folder, not a file";
    if (ec) return ec.message();
    if (status.type() != std::filesystem::file_type::regular) return "not a regular file";
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) return std::strerror(errno);
    std::fclose(f);
    return "read error";
}

class Loader {
public:
    Loader(LoaderContext& context, const std::filesystem::path& file, int interactive, LoadReport& report)
        : c_(context), d_(context.drawing), file_(file), interactive_(interactive != 0), report_(report) {}

    // The file that was read in the end (a project's drawing).
    const std::filesystem::path& File() const { return file_; }

    int Run();

private:
    int Fail(LoadFailure why) {
        report_.failure = why;
        return -2;
    }
    void Status(int panel, std::string_view text) {
        if (c_.status) c_.status(panel, text);
    }
    void FitView() {
        if (c_.fitView) c_.fitView();
    }
    const std::string& Message(int key) const { return c_.messages.MessageText(key); }
    // A message box on an interactive load; the answer, or the cautious one without a box.
    PromptAnswer Show(int key, int caption, PromptIcon icon, PromptButtons buttons = PromptButtons::Ok);
    void EmptySet(int s);
    void EmptyAllSets();
    // A drawing that cannot be cut as drawn: nothing of it stays, the operator is told why
    // (message 602, 603 or 604 with `detail`).
    int Refuse(LoadFailure why, const std::string& detail);
    // A file that gave no drawing: the operator is told which and why (message 605 with
    // the reason the file cannot be read, or 606), so no failure passes unnoticed.
    int NotLoaded(LoadFailure why);
    // "Wczytaj(): not loaded: " and the text in the log, and on an interactive load the
    // text in a box (caption message 1, stop icon).
    void SayNotLoaded(int key, const std::string& text);
    // A table reached its limit while reading: what did not fit was left out.
    bool TablesFull() const;
    // The width and height in millimetres when either is more than the machine's step
    // counters can drive; empty otherwise.
    std::string SizeBeyondReach() const;
    // Motor steps per millimetre: the manual-control window's, else 1 / mmPerStep.
    double StepsPerMm() const;
    bool ReadFile(FileType type);
    // A project: file_ becomes its drawing, the dialog gets its fields; false when the
    // project names no drawing it may read.
    bool ReadProjectFile();
    void AcceptSegments(DrawingMutexHold& hold, bool& refused);
    void Report();

    LoaderContext& c_;
    TDrawing& d_;
    std::filesystem::path file_;
    bool interactive_;
    LoadReport& report_;
};

PromptAnswer Loader::Show(int key, int caption, PromptIcon icon, PromptButtons buttons) {
    const PromptAnswer cautious = buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    if (!interactive_ || c_.prompt == nullptr) return cautious;
    PromptRequest request;
    request.text = Message(key);
    request.caption = Message(caption);
    request.icon = icon;
    request.buttons = buttons;
    request.messageKey = key;
    return c_.prompt->Ask(request);
}

void Loader::EmptySet(int s) {
    d_.Set(s).ClearTables();
    d_.Set(s).oelems = -1;
    if (d_.Figure() == s) d_.Oelems() = -1;
}

int Loader::Refuse(LoadFailure why, const std::string& detail) {
    const int key = why == LoadFailure::TooLarge ? kTooLargeMessage
                    : why == LoadFailure::BadNumber ? kBadNumberMessage
                                                    : kBeyondReachMessage;
    report_.detail = detail;
    EmptyAllSets();
    c_.window.pendingMultiplication = 0;
    SayNotLoaded(key, FormatMessage(Message(key), {detail}));
    return Fail(why);
}

int Loader::NotLoaded(LoadFailure why) {
    c_.window.pendingMultiplication = 0;
    const std::string name = file_.string();
    if (why == LoadFailure::CannotOpen) {
        SayNotLoaded(kCannotOpenMessage, FormatMessage(Message(kCannotOpenMessage), {name, report_.detail}));
    } else {
        SayNotLoaded(kNoLineMessage, FormatMessage(Message(kNoLineMessage), {name}));
    }
    return Fail(why);
}

void Loader::SayNotLoaded(int key, const std::string& text) {
    c_.log.Log("Wczytaj(): not loaded: " + text);
    if (!interactive_ || c_.prompt == nullptr) return;
    PromptRequest request;
    request.text = text;
    request.caption = Message(1);
    request.icon = PromptIcon::Error;
    request.messageKey = key;
    c_.prompt->Ask(request);
}

bool Loader::TablesFull() const {
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        const TDrawingSet& set = d_.Set(s);
        if (set.V.Count() > TVert::kAddLimit || set.L.Count() > TLines::kAddLimit) return true;
    }
    return false;
}

double Loader::StepsPerMm() const {
    if (c_.stepsPerMm) return *c_.stepsPerMm;
    const double mmPerStep = c_.parameters.GetNumber(settings::kMmPerStep);
    return mmPerStep != 0.0 ? 1.0 / mmPerStep : 1.0;
}

std::string Loader::SizeBeyondReach() const {
    const double stepsPerMm = StepsPerMm();
    const TVert& v = d_.V();
    if (v.Count() == 0) return {};
    Box2d box = Box2d::Of(v.Records().front());
    for (const VertexRecord& r : v.Records()) box.Widen(r);
    const double width = (box.maxX - box.minX) * d_.Settings().scale;
    const double height = (box.maxY - box.minY) * d_.Settings().scale;
    const double limitMm = kMaxReachSteps / std::fabs(stepsPerMm);
    if (std::isfinite(width) && std::isfinite(height) && width <= limitMm && height <= limitMm) return {};
    char text[160];
    std::snprintf(text, sizeof text, "%.0f x %.0f mm; the machine's step counters reach %.0f mm", width, height,
                  limitMm);
    return text;
}

void Loader::EmptyAllSets() {
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) EmptySet(s);
}

bool Loader::ReadProjectFile() {
    const MultiplicationTexts current = c_.multiplicationFields ? c_.multiplicationFields() : MultiplicationTexts{};
    const ProjectRead project = ReadProject(file_, current);
    if (!project.Ok()) {
        report_.detail = ProjectErrorReason(project);
        SayNotLoaded(ProjectErrorMessageKey(project.error), ProjectErrorText(c_.messages, file_, project));
        return false;
    }
    if (project.multiply) {
        c_.window.pendingMultiplication = 1;
        if (c_.setMultiplicationFields) c_.setMultiplicationFields(project.fields);
    }
    c_.log.Log("Wczytaj(): project " + file_.string() + ": " + project.drawing.string());
    file_ = project.drawing;
    return true;
}

// Reads the file into the current set; false when it could not be opened or read.
bool Loader::ReadFile(FileType type) {
    if (type == FileType::Hpgl) {
        if (ReadHpgl(file_, d_, c_.pens) == -1) return false;
        d_.SetScale(c_.parameters.GetNumber(settings::kSkalaHPGL));
        return true;
    }
    const double stepsPerMm = StepsPerMm();
    std::unique_ptr<TDxfReader> own;
    TDxfReader* reader = c_.dxf;
    if (reader == nullptr) {
        own = std::make_unique<TDxfReader>();
        reader = own.get();
    }
    const DxfResult result = reader->ReadDxf(d_.L(), file_, DxfSettingsFrom(c_.parameters, stepsPerMm), d_.Oelems());
    d_.SetScale(0.025);
    if (!result.badNumber.empty()) {
        report_.failure = LoadFailure::BadNumber;
        report_.detail = result.badNumber;
    }
    // A DXF file that cannot be opened reads no entity; the load ends as for an empty
    // drawing, but says why.
    if (!result.opened) {
        report_.failure = LoadFailure::CannotOpen;
        report_.detail = result.tooLarge ? "larger than " + std::to_string(TDXF::kMaxFileBytes >> 20) + " MiB"
                                         : ReadProblem(file_);
    }
    return true;
}

int Loader::Run() {
    using Clock = std::chrono::steady_clock;
    const TParameters& p = c_.parameters;
    d_.SetEntryOffset(p.GetNumber(settings::kWejscieX), p.GetNumber(settings::kWejscieY));
    c_.window.planarisationPending = true;
    c_.window.pen2 = false;

    DrawingMutexHold hold(c_.drawingMutex, c_.log);
    const Clock::time_point started = Clock::now();
    FileType type = TypeOf(file_);

    c_.window.cutEnabled = false;
    EmptySet(d_.Figure());
    d_.SetTwoFigures(false);
    c_.pens.penMask = 0;
    c_.window.pendingMultiplication = 0;
    c_.window.multiplications = 0;
    Status(0, Message(13));

    if (type == FileType::Project) {
        if (!ReadProjectFile()) {
            Status(0, "");
            return Fail(LoadFailure::Project);
        }
        // The drawing's own extension picks its reader; a project never names another project.
        type = TypeOf(file_) == FileType::Dxf ? FileType::Dxf : FileType::Hpgl;
    }
    report_.dxf = type == FileType::Dxf;
    if (!ReadFile(type)) {
        report_.detail = ReadProblem(file_);
        return NotLoaded(LoadFailure::CannotOpen);
    }

    d_.Set(d_.Figure()).oelems = d_.Oelems();
    Status(0, "");

    if (report_.failure == LoadFailure::BadNumber || d_.L().Count() == 0) {
        c_.window.pendingMultiplication = 0;
        if (report_.failure == LoadFailure::BadNumber) return Refuse(LoadFailure::BadNumber, report_.detail);
        return NotLoaded(report_.failure == LoadFailure::CannotOpen ? LoadFailure::CannotOpen : LoadFailure::Empty);
    }
    if (TablesFull()) {
        return Refuse(LoadFailure::TooLarge, std::to_string(TVert::kAddLimit) + " vertices and " +
                                                 std::to_string(TLines::kAddLimit) + " lines");
    }
    if (const std::string size = SizeBeyondReach(); !size.empty()) return Refuse(LoadFailure::OutOfReach, size);

    const bool twoFigureMode = p.GetFlag(settings::kCone);
    if (!twoFigureMode) d_.SetTwoFigures(false);
    if (c_.pens.penMask & 2) c_.window.pen2 = true;

    if (d_.TwoFigures()) {
        bool refused = false;
        AcceptSegments(hold, refused);
        if (refused) return Fail(LoadFailure::SegmentPens);
    } else {
        EmptySet(TDrawing::kSegments);
        if (type == FileType::Hpgl && (c_.pens.penMask & kPenMask345) != 0) {
            EmptyAllSets();
            c_.window.pendingMultiplication = 0;
            Show(twoFigureMode ? 315 : 317, 316, PromptIcon::Error);
            hold.Release(false);
            FitView();
            return Fail(LoadFailure::FigurePens);
        }
        ShiftSetToOrigin(d_, c_.log);
    }

    report_.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    Report();

    hold.Release(true);
    FitView();
    if (!c_.connect.start) return 16;
    if (c_.connect.start(interactive_ ? 1 : 0) != 16) return Fail(LoadFailure::ConnectNotStarted);
    c_.log.Log(">Wczytaj():before ResumeThread");
    if (c_.connect.resume) c_.connect.resume();
    c_.log.Log(">Wczytaj():after ResumeThread");
    return 16;
}

// A drawing with pen 5 in two-figure mode: refused unless its pens are exactly 3, 4
// and 5; then split into figures when the operator agrees, else kept as one figure.
void Loader::AcceptSegments(DrawingMutexHold& hold, bool& refused) {
    c_.log.Log("Wykryto pen == 5, mozliwe wystapienie segmentow.");
    if (c_.pens.penMask != kPenMask345) {
        EmptyAllSets();
        d_.SetTwoFigures(false);
        c_.window.pendingMultiplication = 0;
        Show(314, 300, PromptIcon::Error);
        hold.Release(true);
        FitView();
        refused = true;
        return;
    }
    const auto keepOneFigure = [this] {
        d_.SetTwoFigures(false);
        EmptySet(TDrawing::kSegments);
        ShiftSetToOrigin(d_, c_.log);
    };
    if (Show(301, 300, PromptIcon::Information, PromptButtons::YesNo) != PromptAnswer::Yes) {
        keepOneFigure();
        return;
    }
    c_.log.Log("++++++SeparateObj");
    const FigureSeparationSteps& s = c_.separation;
    if (!s.separateObj || s.separateObj() != 0) {
        Show(313, 302, PromptIcon::Error);
        keepOneFigure();
        return;
    }
    if (s.checkSegNodesConnection && s.checkSegNodesConnection() > 0) Show(312, 302, PromptIcon::Error);
    if (s.markSegNodesWithFigures) s.markSegNodesWithFigures();
    if (s.checkSegNodeLinks && s.checkSegNodeLinks() > 0) Show(303, 302, PromptIcon::Error);
    ShiftFiguresToOrigin(d_, c_.log);
    d_.SelectFigure(TDrawing::kFigure1);
    report_.separated = true;
}

void Loader::Report() {
    c_.window.scalePercent = 100.0;
    if (c_.refreshSizeReport) c_.refreshSizeReport();
    c_.window.title = file_.string();
    c_.log.Log("Wczytano " + std::to_string(d_.Oelems() + 1) + " obiektów");
    const TDrawingSet& f1 = d_.Set(TDrawing::kFigure1);
    const TDrawingSet& f2 = d_.Set(TDrawing::kFigure2);
    Status(2, Message(9) + std::to_string(f1.oelems + 1) + "+" + std::to_string(f2.oelems + 1));
    Status(3, Message(10) + std::to_string(f1.L.Count()) + "+" + std::to_string(f2.L.Count()));
    c_.window.simulateEnabled = false;
    c_.log.Log("Wczytanie pliku= " + Seconds(report_.seconds) + "s");
    c_.log.Log(">Test punktów  = " + Seconds(c_.window.pointTestSeconds));
    c_.log.Log(">Test linii    = " + Seconds(c_.window.lineTestSeconds));
    c_.log.Log(std::string(28, '-'));
}

void ShiftVertices(TVert& v, double mx, double my) {
    v.TransformPositions([mx, my](double& x, double& y) {
        x -= mx;
        y -= my;
    });
}

void LogMinima(MessageLog& log, double mx, double my) {
    log.Log("MinX: " + NumberToText(mx));
    log.Log("MinY: " + NumberToText(my));
}

}  // namespace

int LoadDrawing(LoaderContext& context, const std::filesystem::path& file, int interactive, LoadReport* report) {
    LoadReport local;
    LoadReport& r = report != nullptr ? *report : local;
    r = LoadReport{};
    Loader loader(context, file, interactive, r);
    const int result = loader.Run();
    r.drawing = loader.File();
    if (result == 16) r.failure = LoadFailure::None;
    return result;
}

void ShiftSetToOrigin(TDrawing& drawing, MessageLog& log) {
    TVert& v = drawing.V();
    const double mx = std::trunc(v.MinX(true));
    const double my = std::trunc(v.MinY(true));
    LogMinima(log, mx, my);
    ShiftVertices(v, mx, my);
}

void ShiftFiguresToOrigin(TDrawing& drawing, MessageLog& log) {
    double mx = 0.0;
    double my = 0.0;
    bool any = false;
    for (int f = TDrawing::kFigure1; f <= TDrawing::kFigure2; ++f) {
        const TVert& v = drawing.Set(f).V;
        if (v.Count() == 0) continue;
        const double x = v.MinX(true);
        const double y = v.MinY(true);
        mx = any ? std::min(mx, x) : x;
        my = any ? std::min(my, y) : y;
        any = true;
    }
    mx = std::trunc(mx);
    my = std::trunc(my);
    LogMinima(log, mx, my);
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) ShiftVertices(drawing.Set(s).V, mx, my);
}

void DeriveDrawingSettings(TDrawing& drawing, const TParameters& parameters) {
    const double scale = parameters.GetNumber(settings::kSkalaHPGL);
    drawing.SetScale(scale);
    drawing.SetAperture(parameters.GetNumber(settings::kPointAperture) / scale);
    drawing.SetSnapGrid(parameters.GetNumber(settings::kSnapGridSize) / scale);
}

}  // namespace wirvela
