#include "cutting/CuttingRun.h"

#include <utility>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/Frame.h"
#include "cutting/CutSetup.h"
#include "cutting/MotionTiming.h"
#include "cutting/WireWear.h"
#include "drawing/Drawing.h"
#include "platform/Beep.h"

namespace wirvela {

namespace {

constexpr int kNoLink = RS_OPEN_COM_ERR;  // no controller link: as if the port could not be opened

// Message numbers.
constexpr int kErrorCaption = 109;
constexpr int kControllerCaption = 112;
constexpr int kWireWornOut = 120;
constexpr int kWireWornOutCaption = 121;
constexpr int kWearWarning = 122;
constexpr int kWearWarningCaption = 123;
constexpr int kRotaryCaption = 125;
constexpr int kCuttingStarted = 127;
constexpr int kCuttingHeld = 129;
constexpr int kCuttingContinued = 190;

}  // namespace

CuttingRun::CuttingRun(Services services, CutReport& report) : s_(services), report_(report) {}

const std::string& CuttingRun::Message(int key) const {
    return s_.messages->MessageText(key);
}

void CuttingRun::CodeFailure(int code, bool interactive, int caption) {
    const std::string text = ControllerCodes::FormatCode(*s_.messages, code);
    report_.Status(text);
    if (!interactive) return;
    const ControllerCode* entry = ControllerCodes::Find(code);
    report_.Warning({text, Message(caption), entry ? entry->messageKey : kUnknownCodeMessage});
}

// ---- Start -----------------------------------------------------------------------------

int CuttingRun::Start(const CutSetup& setup, const CutEstimate& estimate, WireWear& wear, bool interactive) {
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    interactive_ = interactive;
    if (!SettingsUsable(setup.material, interactive)) return kFailed;

    wear.ReadLimits(*s_.parameters);
    switch (wear.Check(estimate)) {
        case WearVerdict::WornOut:
            // The status line says why, also to a start without an operator at the window.
            report_.Status(Message(kWireWornOut));
            if (interactive) {
                report_.Warning({Message(kWireWornOut), Message(kWireWornOutCaption), kWireWornOut});
                report_.WearAlarm(WearVerdict::WornOut);
            }
            return kFailed;
        case WearVerdict::WouldExceed:
            if (!interactive) {
                report_.Status(Message(kWearWarning));
                return kFailed;
            }
            report_.WearAlarm(WearVerdict::WouldExceed);
            if (!report_.Question({Message(kWearWarning), Message(kWearWarningCaption), kWearWarning})) {
                return kDeclined;
            }
            break;
        case WearVerdict::Fine:
            break;
    }
    report_.Starting();

    int result = link_ ? link_->Cancel() : kNoLink;
    if (result == STAT_OK) result = link_->BeginBlock();
    if (result != STAT_OK) {
        CodeFailure(result, interactive, kControllerCaption);
        return kFailed;
    }

    const CutParameters record = setup.Record();
    report_.Heating(setup.material.t);
    bool refused = false;
    const bool twoFigures = s_.drawing->Set(TDrawing::kFigure2).V.Count() > 0;
    result = twoFigures ? StartTwoFigures(setup, record) : StartSingleFigure(setup, record, interactive, refused);
    if (result != STAT_OK) {
        if (!refused) {
            CodeFailure(result, interactive, kControllerCaption);
            // A report the controller sent at once can arrive before the start's reply and
            // be read as it: the program may be running although the start failed. The
            // cancel stops it and drops the reply still waiting.
            link_->Cancel();
        }
        link_->EndBlock();
    } else {
        if (s_.dispatcher) s_.dispatcher->StartLock(false);
        report_.Started();
    }
    if (refused) return result;

    // The wear counters are charged with the estimate whenever streaming was attempted.
    wear = wear.Charged(estimate);
    wear.Store(*s_.parameters);
    return result;
}

std::optional<SettingProblem> CuttingRun::SettingsProblem(const MaterialValues& material) const {
    if (auto problem = settings::FirstProblem(*s_.parameters, settings::kPloter)) return problem;
    if (material.number < 1) return std::nullopt;
    const std::string section = settings::MaterialSection(material.number);
    if (auto problem = settings::FirstProblem(*s_.parameters, section)) return problem;
    // The window's grid may hold values not stored yet; they are what would be cut.
    const std::pair<const SettingKey*, int> values[] = {{&settings::kMaterialV, material.v},
                                                        {&settings::kMaterialT, material.t},
                                                        {&settings::kMaterialRozgrzew, material.rozgrzew},
                                                        {&settings::kMaterialOpWKacie, material.opWKacie},
                                                        {&settings::kMaterialKatGr, material.katGr}};
    for (const auto& [key, value] : values) {
        const std::string text = std::to_string(value);
        std::string reason = settings::Refusal(section, key->key, text);
        if (!reason.empty()) return SettingProblem{section, std::string(key->key), text, std::move(reason)};
    }
    return std::nullopt;
}

bool CuttingRun::SettingsUsable(const MaterialValues& material, bool interactive) {
    const std::optional<SettingProblem> problem = SettingsProblem(material);
    if (!problem) return true;
    const std::string text = problem->UnusableText(*s_.messages);
    report_.Status(text);
    if (interactive) report_.Warning({text, Message(kErrorCaption), SettingProblem::kUnusableMessage});
    return false;
}

int CuttingRun::StartTwoFigures(const CutSetup& setup, const CutParameters& record) {
    int result = link_->Cancel();
    if (result == STAT_OK) result = link_->Setup(record);
    if (result == STAT_OK) {
        MotionTiming timing(*s_.drawing, setup.motion, Output());
        result = timing.StreamTwoFigures(record.feedPeriod, record.cornerDelay, false);
    }
    if (result == STAT_OK) result = link_->Start();
    if (result == STAT_OK) report_.Status(Message(kCuttingStarted));
    return result;
}

int CuttingRun::StartSingleFigure(const CutSetup& setup, const CutParameters& record, bool interactive, bool& refused) {
    int result = link_->Cancel();
    if (result != STAT_OK) return result;
    const CutParameters p = setup.SingleFigureParameters(record);
    result = link_->Setup(p);
    if (result != STAT_OK) return result;
    double rotRatio = 0;
    if (!TurnDuringCut(setup, p, rotRatio, interactive)) {
        refused = true;
        return kFailed;
    }

    const double limitCos = setup.motion.limitCos;
    MotionTiming timing(*s_.drawing, setup.motion, Output());
    result = timing.StreamFigure(p.feedPeriod, p, rotRatio, false, limitCos, false);
    if (result == STAT_OK) result = link_->SendByteCommand(cmd::C_REPEAT, 0);
    if (result == STAT_OK && p.steps != 0 && p.steps % 2 == 0) {
        result = timing.StreamFigure(p.feedPeriod, p, rotRatio, false, limitCos, true);
    }
    // One step out and back, the second with the corner delay: the program's last move.
    if (result == STAT_OK) result = link_->Line(1, 0, false, p.feedPeriod * 1000, 0);
    if (result == STAT_OK) result = link_->Line(-1, 0, true, p.feedPeriod * 1000, 0);
    if (result == STAT_OK) result = link_->Start();
    if (result == STAT_OK) report_.Status(Message(kCuttingStarted));
    return result;
}

MotionOutput CuttingRun::Output() {
    return MotionOutput{link_, s_.messageLog, [this](int message) { report_.Status(Message(message)); }};
}

bool CuttingRun::TurnDuringCut(const CutSetup& setup, const CutParameters& record, double& rotRatio, bool interactive) {
    const TableTurn turn = setup.TurnDuringCut(record);
    rotRatio = turn.rotRatio;
    if (!turn.Refused()) return true;
    const bool pitch = turn.refusal == TableTurn::kPitchNotPositive;
    const std::string text = pitch ? FormatMessage(Message(turn.refusal), {})
                                   : FormatMessage(Message(turn.refusal), {turn.args[0], turn.args[1]});
    report_.Status(text);
    if (interactive) report_.Warning({text, Message(pitch ? kRotaryCaption : kErrorCaption), turn.refusal});
    return false;
}

// ---- run supervision -------------------------------------------------------------------

int CuttingRun::Stop(bool interactive) {
    const int cancelled = link_ ? link_->Cancel() : kNoLink;
    if (cancelled != STAT_OK) CodeFailure(cancelled, interactive, kErrorCaption);
    const int ended = link_ ? link_->EndBlock() : kNoLink;
    if (ended != STAT_OK) CodeFailure(ended, interactive, kErrorCaption);
    if (s_.dispatcher) s_.dispatcher->StartLock(true);
    return ended == STAT_OK ? kOk : kFailed;
}

int CuttingRun::Hold(bool interactive) {
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    const int result = link_ ? link_->Hold() : kNoLink;
    if (result == STAT_OK) {
        if (s_.dispatcher) s_.dispatcher->ShowStatus(Message(kCuttingHeld));
    } else {
        CodeFailure(result, interactive, kControllerCaption);
    }
    Beep();
    return result == STAT_OK ? kOk : kFailed;
}

int CuttingRun::Continue(bool interactive) {
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    const int result = link_ ? link_->Resume(false) : kNoLink;
    if (result == STAT_OK) {
        if (s_.dispatcher) s_.dispatcher->ShowStatus(Message(kCuttingContinued));
    } else {
        CodeFailure(result, interactive, kControllerCaption);
    }
    return result == STAT_OK ? kOk : kFailed;
}

void CuttingRun::TakeLinkBack() {
    if (!link_ || !link_->Running()) return;
    const int result = link_->TakePort();
    if (result != STAT_OK) CodeFailure(result, true, kControllerCaption);
}

}  // namespace wirvela
