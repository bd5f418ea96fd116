#include "app/windows/CuttingJob.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "config/DebugLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/Frame.h"
#include "controller/Pendant.h"
#include "cutting/MotionTiming.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"

namespace wirvela {

namespace {

constexpr int kSecondsPerDay = 24 * 3600;

int SystemTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return 0;
    return local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
}

// A time of day, seconds since midnight, as "hh:mm:ss".
std::string ClockOfDay(long long seconds) {
    return DurationText(((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
}

}  // namespace

CuttingJob::CuttingJob(Services services)
    : s_(std::move(services)),
      run_({s_.parameters, s_.messages, s_.drawing, s_.dispatcher, s_.messageLog}, *this),
      channel_([this](int code, std::intptr_t arg) { return HandleEvent(code, arg); }) {
    const TParameters& p = *s_.parameters;
    heatingMin_ = TruncatedInt(p.GetNumber(settings::kTempMin));
    heatingMax_ = std::max(heatingMin_, TruncatedInt(p.GetNumber(settings::kTempMax)));
    const SpeedRange v2 = SpeedRange::V2FromStore(p);
    v2Min_ = v2.min;
    v2Max_ = v2.max;
    v2Position_ = static_cast<int>(CutOptions::FromStore(p).v2);
    heatingPosition_ = std::clamp(heatingPosition_, heatingMin_, heatingMax_);
    holdVisible_ = Setting(settings::kHold) == 1;
    texts_.edit1 = std::to_string(facesPosition_);
    texts_.edit2 = std::to_string(anglePosition_);
    texts_.edit5 = kPitchDefault;
    texts_.label32 = std::to_string(100 - heatingPosition_);
    texts_.label35 = std::to_string(v2Position_) + " cm/min";
    ShowWear();
}

CuttingJob::~CuttingJob() {
    if (ComClass* link = Link(); link && link->EventWindow() == &channel_) link->SetEventWindow(nullptr);
    channel_.Close();
}

// ---- helpers ---------------------------------------------------------------------------

double CuttingJob::Setting(const SettingKey& key) const {
    return s_.parameters->GetNumber(key);
}

void CuttingJob::StoreNumber(const SettingKey& key, double value) {
    s_.parameters->SetText(key, NumberToText(value));
}

void CuttingJob::DebugText(std::string_view text) {
    if (s_.debugLog) s_.debugLog->LogText(text);
}

bool CuttingJob::Ask(const RunMessage& message, PromptButtons buttons) {
    if (!s_.prompt) return false;
    PromptRequest request;
    request.text = message.text;
    request.caption = message.caption;
    request.icon = PromptIcon::Warning;
    request.buttons = buttons;
    request.messageKey = message.messageKey;
    return s_.prompt->Ask(request) == PromptAnswer::Yes;
}

void CuttingJob::Warning(const RunMessage& message) {
    Ask(message, PromptButtons::Ok);
}

bool CuttingJob::Question(const RunMessage& message) {
    return Ask(message, PromptButtons::YesNo);
}

void CuttingJob::WearAlarm(WearVerdict verdict) {
    wirePanelRed_ = true;
    if (verdict == WearVerdict::WouldExceed) wirePanelEnabled_ = true;
}

void CuttingJob::Started() {
    continueEnabled_ = false;
    holdEnabled_ = true;
}

void CuttingJob::TellPendant(int parameter, std::int32_t value) {
    Pendant::Send(
        s_.pendant, [&](Pendant& p) { return p.SetParameter(parameter, value); },
        [this](std::string_view text) { ShowStatus(text); });
}

CutOptions CuttingJob::Options() const {
    CutOptions o;
    o.rotaryCut = rotaryCut_;
    o.faces = facesPosition_;
    o.angle = anglePosition_;
    o.reverseFaces = reverseFaces_;
    o.turnDuringCut = turnDuringCut_;
    o.pitchCm = DecimalPrefixWithCommas(texts_.edit5);
    o.reverseTurn = reverseTurn_;
    o.alg2 = alg2_;
    o.v2 = v2Position_;
    return o;
}

CutSetup CuttingJob::Setup() const {
    const double scalePercent = s_.mainWindow ? s_.mainWindow->scalePercent : 100.0;
    return CutSetup::FromStore(*s_.parameters, CurrentMaterial(), Options(), scalePercent);
}

// ---- window ----------------------------------------------------------------------------

void CuttingJob::Show() {
    visible_ = true;
    result_ = ModalResult::None;
    if (ComClass* link = Link()) link->SetEventWindow(&channel_);
    texts_.lerrors.clear();
    statusTimer_ = false;
    v2Visible_ = s_.mainWindow && s_.mainWindow->pen2;
    holdVisible_ = Setting(settings::kHold) == 1;
    ShowWear();
    // The drawing may have changed since the last material selection; Start relies on
    // the estimate for the wear check and the wear counters.
    Recalculate();
}

void CuttingJob::Close() {
    StoreNumber(settings::kDefaultV2, v2Position_);
    visible_ = false;
}

void CuttingJob::ShowWear() {
    wear_ = WireWear::FromStore(*s_.parameters);
    ShowUsedWear();
    texts_.label15 = std::to_string(TruncatedInt(wear_.limitMinutes));
    texts_.label20 = MetresText(s_.parameters->GetNumber(settings::kMaxDlugDrutu, settings::kMaxDlugDrutuShown));
}

void CuttingJob::ShowUsedWear() {
    texts_.label12 = std::to_string(wear_.WholeMinutes());
    texts_.label19 = MetresText(wear_.metres);
}

void CuttingJob::ShowStatus(std::string_view text) {
    texts_.lerrors = std::string(text);
    statusTimer_ = true;
}

void CuttingJob::StatusTimer() {
    texts_.lerrors.clear();
    statusTimer_ = false;
}

void CuttingJob::EnableStart(bool enable) {
    startEnabled_ = enable;
}

std::intptr_t CuttingJob::HandleEvent(int code, std::intptr_t arg) {
    if (s_.dispatcher) s_.dispatcher->Dispatch(code);
    if (code == kEventMaterialChosen) {
        ReReadMaterial();
    } else if (code == kEventSendMaterial) {
        const int material = static_cast<int>(arg & 0xFF);
        if (material > 0 && s_.materials) s_.materials->SendToPendant(material);
    }
    if (observer_) observer_(code);
    return 0;
}

// ---- materials -------------------------------------------------------------------------

void CuttingJob::SetMaterialNames(const std::array<std::string, 10>& names, int selected) {
    names_ = names;
    SelectEntry(selected);
}

void CuttingJob::SelectEntry(int index) {
    selected_ = index >= 0 && index < 10 ? index : -1;
}

MaterialValues CuttingJob::CurrentMaterial() const {
    if (!s_.materials || selected_ < 0) return {};
    return s_.materials->Material(selected_ + 1);
}

void CuttingJob::ClickMaterial(int index) {
    if (index < 0 || index >= 10) return;
    selected_ = index;
    SelectionHandling(index);
    TellPendant(kPendantMaterial, index + 1);
}

void CuttingJob::ReReadMaterial() {
    if (selected_ >= 0) SelectionHandling(selected_);
}

void CuttingJob::SelectionHandling(int index) {
    if (s_.materials) {
        s_.materials->SetSelected(index);
    } else {
        StoreNumber(settings::kOstatni, index);
    }
    Recalculate();
    SetHeatingBar(100 - CurrentMaterial().t);
}

// ---- heating and V2 --------------------------------------------------------------------

void CuttingJob::SetHeatingBar(int position) {
    // The material's heating may stand outside the operator's range (T = 100 puts the bar
    // at 0); only a position that is no heating at all is refused.
    position = std::clamp(position, 0, 100);
    if (position == heatingPosition_) return;
    heatingPosition_ = position;
    ApplyHeatingChange();
}

void CuttingJob::MoveHeatingBar(int position) {
    SetHeatingBar(std::clamp(position, heatingMin_, heatingMax_));
}

void CuttingJob::ApplyHeatingChange() {
    const int heating = 100 - heatingPosition_;
    texts_.label32 = std::to_string(heating);
    DebugText("Temp. changed");
    if (ComClass* link = Link()) link->SetHeatingLive(heating);
    TellPendant(kPendantHeating, heating);
}

void CuttingJob::MoveV2Bar(int position) {
    v2Position_ = std::clamp(position, v2Min_, v2Max_);
    texts_.label35 = std::to_string(v2Position_) + " cm/min";
}

// ---- rotary options --------------------------------------------------------------------

void CuttingJob::SetRotaryCut(bool on) {
    rotaryCut_ = on;
    Recalculate();
}

void CuttingJob::MoveFacesBar(int position) {
    position = std::clamp(position, kFacesMin, kFacesMax);
    facesPosition_ = position;
    texts_.edit1 = std::to_string(position);
    Recalculate();
}

void CuttingJob::TypeFaces(std::string_view t) {
    const long typed = IntegerPrefix(t);
    const int clamped = static_cast<int>(std::clamp<long>(typed, kFacesMin, kFacesMax));
    MoveFacesBar(clamped);
}

void CuttingJob::MoveAngleBar(int position) {
    position = std::clamp(position, kAngleMin, kAngleMax);
    anglePosition_ = position;
    texts_.edit2 = std::to_string(position);
    Recalculate();
}

void CuttingJob::TypeAngle(std::string_view t) {
    const long typed = IntegerPrefix(t);
    const int clamped = static_cast<int>(std::clamp<long>(typed, kAngleMin, kAngleMax));
    // Only the bar follows; the field keeps the typed text unless the bar moves.
    if (clamped != anglePosition_) {
        MoveAngleBar(clamped);
    } else {
        texts_.edit2 = std::string(t);
    }
}

void CuttingJob::SetReverseFaces(bool on) {
    reverseFaces_ = on;
}
void CuttingJob::SetTurnDuringCut(bool on) {
    turnDuringCut_ = on;
}
void CuttingJob::TypePitch(std::string_view t) {
    texts_.edit5 = std::string(t);
}
void CuttingJob::SetReverseTurn(bool on) {
    reverseTurn_ = on;
}
void CuttingJob::SetAlg2(bool on) {
    alg2_ = on;
}

// ---- estimate --------------------------------------------------------------------------

void CuttingJob::Recalculate() {
    estimate_ = Setup().Estimate(*s_.drawing);
    texts_.label24 = MetresText(estimate_.lengthMetres);
    UpdateClockTexts();
}

void CuttingJob::UpdateClockTexts() {
    const int now = s_.timeOfDay ? s_.timeOfDay() : SystemTimeOfDay();
    texts_.label5 = Duration(estimate_.seconds);
    texts_.label6 = ClockOfDay(now);
    texts_.label7 = ClockOfDay(static_cast<long long>(now) + estimate_.seconds);
}

// ---- Start and the run -----------------------------------------------------------------

int CuttingJob::Start(bool interactive) {
    DebugText("Start button pressed");
    const int result = run_.Start(Setup(), estimate_, wear_, interactive);
    ShowUsedWear();
    return result;
}

bool CuttingJob::SingleFigureRecord(CutParameters& record, double& rotRatio, bool interactive) {
    const CutSetup setup = Setup();
    SetHeatingBar(100 - setup.material.t);
    record = setup.SingleFigureParameters(setup.Record());
    return run_.TurnDuringCut(setup, record, rotRatio, interactive);
}

int CuttingJob::Stop(bool interactive) {
    DebugText("Stop button pressed");
    const int result = run_.Stop(interactive);
    continueEnabled_ = false;
    holdEnabled_ = false;
    result_ = ModalResult::Cancel;
    Close();
    return result;
}

void CuttingJob::Stop() {
    Stop(run_.StartedInteractive());
}

int CuttingJob::Hold(bool interactive) {
    DebugText("Hold button pressed");
    const int result = run_.Hold(interactive);
    holdEnabled_ = false;
    continueEnabled_ = true;
    return result;
}

int CuttingJob::Continue(bool interactive) {
    DebugText("Continue button pressed");
    const int result = run_.Continue(interactive);
    holdEnabled_ = true;
    continueEnabled_ = false;
    return result;
}

void CuttingJob::WireReplaced() {
    StoreNumber(settings::kCzasDrutu, 0);
    StoreNumber(settings::kDlugDrutu, 0);
    ShowWear();
    wirePanelRed_ = false;
}

// ---- service commands ------------------------------------------------------------------

void CuttingJob::ResumeOnly() {
    if (ComClass* link = Link()) link->SendByteCommand(cmd::C_RESUME, 0);
}

void CuttingJob::QueryStateButton() {
    ComClass* link = Link();
    if (!link) return;
    const std::string prefix = link->Running() ? "Asynch (oo):" : "Asynch x:";
    const int reply = link->QueryState();
    if (ControllerCodes::Find(reply)) {
        ShowStatus(ControllerCodes::FormatCode(*s_.messages, reply));
        return;
    }
    switch (reply) {
        case STATE_NORM:
            ShowStatus(prefix + "STATE_NORM");
            return;
        case STATE_ERR:
            ShowStatus(prefix + "STATE_ERR");
            return;
        case STATE_CUT:
            ShowStatus(prefix + "STATE_CUT");
            return;
        case STATE_HOLD:
            ShowStatus(prefix + "STATE_HOLD");
            return;
        default:
            ShowStatus(prefix);
    }
}

void CuttingJob::TakeLinkBack() {
    run_.TakeLinkBack();
}

void CuttingJob::AsynchQuery() {
    ComClass* link = Link();
    if (!link) return;
    ShowStatus(link->Running() ? "Asynch (oo):" : "Asynch x:");
}

}  // namespace wirvela
