#include "rotary/RotaryRun.h"

#include <algorithm>
#include <utility>

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "cutting/CutSetup.h"
#include "cutting/MotionTiming.h"
#include "drawing/Drawing.h"
#include "formats/DxfReader.h"
#include "formats/FileInFolder.h"
#include "formats/ProfileFile.h"
#include "platform/Beep.h"
#include "rotary/RotaryLink.h"

namespace wirvela {

namespace {

constexpr int kNoLink = RS_OPEN_COM_ERR;  // no controller link: as if the port could not be opened

// Message numbers.
constexpr int kErrorCaption = 109;
constexpr int kControllerCaption = 112;
constexpr int kEmptyProject = 146;
constexpr int kProjectStarted = 148;
constexpr int kHeld = 149;
constexpr int kProfileCheckCaption = 206;
constexpr int kProfileUnreadable = 632;

// The controller takes at most 99 % heating.
constexpr int kMaxHeating = 99;

// A profile is an HP-GL or DXF drawing, told apart by the name's extension.
bool ProfileExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == ".PLT" || ext == ".DXF";
}

}  // namespace

RotaryRun::RotaryRun(Services services, RotaryReport& report) : s_(services), report_(report) {}

const std::string& RotaryRun::Message(int key) const {
    return s_.messages->MessageText(key);
}

void RotaryRun::Box(int message, std::string text, int caption) {
    report_.Status(text);
    report_.Warning({std::move(text), Message(caption), message});
}

void RotaryRun::CodeFailure(int code, int caption) {
    const ControllerCode* entry = ControllerCodes::Find(code);
    Box(entry ? entry->messageKey : kUnknownCodeMessage, ControllerCodes::FormatCode(*s_.messages, code), caption);
}

void RotaryRun::SetMode() {
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeRotary);
}

void RotaryRun::SetProject(const ProfileList& list, const std::filesystem::path& folder) {
    list_ = list;
    // A project named without a folder lies in the current one.
    folder_ = folder.empty() ? std::filesystem::path(".") : folder;
}

int RotaryRun::SetHeating(int percent) {
    heating_ = std::clamp(percent, 1, 100);
    SetMode();
    return link_ ? link_->SetHeatingLive(heating_) : kNoLink;
}

int RotaryRun::Start() {
    if (s_.trace) s_.trace->Log("Start button pressed (HPR)");
    if (list_.Empty()) {
        report_.Warning({Message(kEmptyProject), Message(kErrorCaption), kEmptyProject});
        return kEmptyList;
    }
    currentRow_ = 1;
    lastProfile_ = false;
    SetMode();
    const int result = SendProfile();
    if (result == kOk) {
        if (s_.dispatcher) s_.dispatcher->StartLock(false);
        report_.EnableContinue(false);
        report_.EnableHold(true);
    }
    return result;
}

bool RotaryRun::LoadProfile(int row, ProfileOutcome& outcome) {
    const ProfilePath path = ProfileFilePath(folder_, outcome.file, row, *s_.messages);
    if (!path.Ok()) {
        Box(path.message, path.text, kErrorCaption);
        return false;
    }
    std::string why = CheckFileInFolder(folder_, path.file).why;
    if (why.empty() && !ProfileExtension(path.file)) why = "it is neither an HP-GL (.plt) nor a DXF (.dxf) file";
    TDrawing& drawing = *s_.drawing;
    if (why.empty()) {
        const double mmPerStep = s_.parameters->GetNumber(settings::kMmPerStep);
        const double stepsPerMm = mmPerStep == 0 ? 1.0 : 1.0 / mmPerStep;
        ProfileFileContext context{*s_.pens, *s_.dxf, DxfSettingsFrom(*s_.parameters, stepsPerMm), *s_.messages,
                                   nullptr};
        if (ReadProfileFile(drawing, path.file, context) != 0) why = "the HP-GL reader refused it";
    }
    if (!why.empty()) {
        Box(kProfileUnreadable, FormatMessage(Message(kProfileUnreadable), {path.file.string(), why}), kErrorCaption);
        return false;
    }
    return true;
}

int RotaryRun::SendProfile() {
    const int row = currentRow_;
    if (s_.trace) s_.trace->Log("(HPR) SendProfile");
    SetMode();
    lastProfile_ = list_.Name(row + 1).empty();
    ProfileOutcome outcome;
    outcome.result = SendLoadedProfile(row, outcome);
    report_.ProfileSent(outcome);
    return outcome.result;
}

std::unique_ptr<TLineList> RotaryRun::PrepareRow(int row, ProfileOutcome& outcome) {
    outcome.row = row;
    outcome.file = list_.Name(row);
    outcome.result = PreparedProfile::kUnusable;
    if (!LoadProfile(row, outcome)) return nullptr;
    outcome.loaded = true;
    if (s_.trace) s_.trace->Log("(HPR) after loaded");
    TDrawing& drawing = *s_.drawing;
    outcome.prepared = PrepareProfile(drawing.V(), drawing.L(), row, s_.trace);
    const PreparedProfile& p = outcome.prepared;
    if (p.message != 0) {
        const std::string text = p.result == PreparedProfile::kNotOneLine
                                     ? FormatMessage(Message(p.message), {outcome.file, p.ends, p.isolated, p.branches})
                                     : FormatMessage(Message(p.message), {outcome.file});
        Box(p.message, text, kProfileCheckCaption);
    }
    outcome.result = p.result;
    if (p.result != PreparedProfile::kOk) return nullptr;
    if (s_.trace) s_.trace->Log("(HPR) after PreprocessProfile");
    std::unique_ptr<TLineList> path = ChainProfile(drawing.L(), p.start, p.end);
    if (!path) outcome.result = PreparedProfile::kUnusable;
    return path;
}

int RotaryRun::SendLoadedProfile(int row, ProfileOutcome& outcome) {
    std::unique_ptr<TLineList> path = PrepareRow(row, outcome);
    if (!path) return outcome.result;
    TDrawing& drawing = *s_.drawing;
    const CutSetup setup = CutSetup::FromStore(*s_.parameters, material_, CutOptions{}, scalePercent_);
    CutParameters record = setup.Record();
    record.heating = static_cast<std::uint8_t>(std::min(heating_, kMaxHeating));
    const double limitCos = LimitCos(material_.katGr);
    outcome.turn = TurnSteps(list_.Row(row).angle, setup.stepsPer360, lastProfile_);

    int result = link_ ? PrepareController(*link_, record) : kNoLink;
    if (result == kOk) {
        result = StreamProfilePath(*link_, *path, drawing.L(), setup.motion.stepScale, record.feedPeriod, limitCos,
                                   &outcome.streamed);
    }
    if (result == kOk) result = CloseProgram(*link_, record, outcome.turn, setup.motion.defRotVelocity);
    // The profile's path is the figure's cut path now: the views show what was sent.
    if (drawing.Figure() != TDrawing::kSegments) drawing.Set(drawing.Figure()).cutPath = std::move(path);
    if (result == kOk) {
        if (row == 1) report_.Status(Message(kProjectStarted));
        result = link_->Start();
        ++currentRow_;
    }
    if (result != kOk) {
        CodeFailure(result, kControllerCaption);
        if (link_) link_->EndBlock();
    }
    return result;
}

int RotaryRun::Hold() {
    SetMode();
    const int result = link_ ? link_->Hold() : kNoLink;
    if (result == kOk) {
        report_.Status(Message(kHeld));
    } else {
        CodeFailure(result, kControllerCaption);
    }
    report_.EnableContinue(true);
    report_.EnableHold(false);
    Beep();
    return result;
}

int RotaryRun::Continue() {
    SetMode();
    const int result = link_ ? link_->Resume(false) : kNoLink;
    if (result != kOk) CodeFailure(result, kControllerCaption);
    report_.EnableContinue(false);
    report_.EnableHold(true);
    return result;
}

int RotaryRun::Stop() {
    const int result = link_ ? link_->Cancel() : kNoLink;
    if (result != kOk) CodeFailure(result, kErrorCaption);
    if (s_.dispatcher) s_.dispatcher->StartLock(true);
    report_.EnableContinue(false);
    report_.EnableHold(false);
    report_.Stopped();
    return result;
}

}  // namespace wirvela
