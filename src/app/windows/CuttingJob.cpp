#include "app/windows/CuttingJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "config/DebugLog.h"
#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/Frame.h"
#include "controller/Pendant.h"
#include "cutting/MotionTiming.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "platform/Beep.h"

namespace wirvela {

namespace {

constexpr int kNoLink = RS_OPEN_COM_ERR;  // no controller link: as if the port could not be opened
constexpr int kSecondsPerDay = 24 * 3600;

// Message numbers.
constexpr int kErrorCaption = 109;
constexpr int kControllerCaption = 112;
constexpr int kWireWornOut = 120;
constexpr int kWireWornOutCaption = 121;
constexpr int kWearWarning = 122;
constexpr int kWearWarningCaption = 123;
constexpr int kPitchNotPositive = 124;
constexpr int kRotaryCaption = 125;
constexpr int kTableTooSlow = 126;
constexpr int kCuttingStarted = 127;
constexpr int kCuttingHeld = 129;
constexpr int kCuttingContinued = 190;

// A double as an int, with out-of-range values (and NaN) pinned instead of undefined.
int ClampToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

template <typename T>
T ClampTo(long long v) {
    return static_cast<T>(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

std::string Fixed2(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.2f", v);
    return text;
}

std::string ClockText(long long seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

int SystemTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return 0;
    return local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
}

}  // namespace

CuttingJob::CuttingJob(Services services)
    : s_(std::move(services)), channel_([this](int code, std::intptr_t arg) { return HandleEvent(code, arg); }) {
    const TParameters& p = *s_.parameters;
    heatingMin_ = ClampToInt(std::trunc(p.GetNumber(settings::kTempMin)));
    heatingMax_ = std::max(heatingMin_, ClampToInt(std::trunc(p.GetNumber(settings::kTempMax))));
    v2Min_ = ClampToInt(std::trunc(p.GetNumber(settings::kVxyMin)));
    v2Max_ = std::max(v2Min_, ClampToInt(std::trunc(p.GetNumber(settings::kVxyMax))));
    // A stored position outside the bar's range stands at the nearer end.
    v2Position_ = std::clamp(ClampToInt(std::trunc(Setting(settings::kDefaultV2))), v2Min_, v2Max_);
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
    if (link_ && link_->EventWindow() == &channel_) link_->SetEventWindow(nullptr);
    channel_.Close();
}

void CuttingJob::SetLink(ComClass* link) {
    link_ = link;
}

// ---- helpers ---------------------------------------------------------------------------

const std::string& CuttingJob::Message(int key) const {
    return s_.messages->MessageText(key);
}

double CuttingJob::Setting(const SettingKey& key) const {
    return s_.parameters->GetNumber(key);
}

void CuttingJob::StoreNumber(const SettingKey& key, double value) {
    s_.parameters->SetText(key, NumberToText(value));
}

void CuttingJob::DebugText(std::string_view text) {
    if (s_.debugLog) s_.debugLog->LogText(text);
}

void CuttingJob::BoxText(const std::string& text, int captionMessage, int key) {
    if (!s_.prompt) return;
    PromptRequest request;
    request.text = text;
    request.caption = Message(captionMessage);
    request.icon = PromptIcon::Warning;
    request.messageKey = key;
    s_.prompt->Ask(request);
}

void CuttingJob::Box(int textMessage, int captionMessage) {
    BoxText(Message(textMessage), captionMessage, textMessage);
}

bool CuttingJob::AskYesNo(int textMessage, int captionMessage) {
    if (!s_.prompt) return false;
    PromptRequest request;
    request.text = Message(textMessage);
    request.caption = Message(captionMessage);
    request.icon = PromptIcon::Warning;
    request.buttons = PromptButtons::YesNo;
    request.messageKey = textMessage;
    return s_.prompt->Ask(request) == PromptAnswer::Yes;
}

void CuttingJob::CodeFailure(int code, bool interactive, int caption) {
    const std::string text = ControllerCodes::FormatCode(*s_.messages, code);
    ShowStatus(text);
    if (!interactive) return;
    const ControllerCode* entry = ControllerCodes::Find(code);
    BoxText(text, caption, entry ? entry->messageKey : kUnknownCodeMessage);
}

void CuttingJob::TellPendant(int parameter, std::int32_t value) {
    Pendant::Send(
        s_.pendant, [&](Pendant& p) { return p.SetParameter(parameter, value); },
        [this](std::string_view text) { ShowStatus(text); });
}

MotionSettings CuttingJob::Motion(int katGr) const {
    const double scalePercent = s_.mainWindow ? s_.mainWindow->scalePercent : 100.0;
    MotionSettings settings = MotionSettings::FromStore(*s_.parameters, scalePercent, katGr);
    settings.rotaryCut = rotaryCut_;
    settings.v2 = v2Position_;
    settings.alg2 = alg2_;
    return settings;
}

MotionOutput CuttingJob::Output() {
    return MotionOutput{link_, s_.messageLog, [this](int message) { ShowStatus(Message(message)); }};
}

bool CuttingJob::TwoFigureDrawing() const {
    return s_.drawing->Set(TDrawing::kFigure2).V.Count() > 0;
}

std::string CuttingJob::Duration(long long seconds) {
    return ClockText(std::max(0LL, seconds));
}

// ---- window ----------------------------------------------------------------------------

void CuttingJob::Show() {
    visible_ = true;
    result_ = ModalResult::None;
    if (link_) link_->SetEventWindow(&channel_);
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
    texts_.label12 = std::to_string(ClampToInt(std::trunc(Setting(settings::kCzasDrutu))));
    texts_.label15 = std::to_string(ClampToInt(std::trunc(Setting(settings::kMaxCzasDrutu))));
    texts_.label19 = Fixed2(Setting(settings::kDlugDrutu));
    texts_.label20 = Fixed2(s_.parameters->GetNumber(settings::kMaxDlugDrutu, settings::kMaxDlugDrutuShown));
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
    if (link_) link_->SetHeatingLive(heating);
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
    const MaterialValues m = CurrentMaterial();
    const MotionSettings ms = Motion(m.katGr);
    const double period = FeedPeriod(ms.mmPerStep, m.v);

    double t = m.rozgrzew;  // ms
    double length = 0;      // steps
    const TLineList* path = s_.drawing->CutPath();
    if (path) {
        const TLines& lines = s_.drawing->L();
        bool hasPrevious = false;
        StepVector previous;
        for (int i = 0; i < path->Length(); ++i) {
            const StepVector v = EntryMove(*path, lines, i, ms.stepScale);
            const double l = std::hypot(v.x, v.y);
            if (l == 0) continue;
            length += l;
            const double major = std::max(std::fabs(std::trunc(v.x)), std::fabs(std::trunc(v.y)));
            t += major * StepPeriod(period, v.x, v.y);
            if (i > 0 && hasPrevious && IsCorner(CornerCos(v.x, v.y, previous.x, previous.y), ms.limitCos)) {
                t += m.opWKacie;
            }
            previous = v;
            hasPrevious = true;
        }
    }

    estimate_.milliseconds = t;
    estimate_.lengthMetres = length * ms.mmPerStep * 0.001;
    double seconds = std::trunc(t * 0.001);
    if (rotaryCut_) {
        const double n = facesPosition_;
        const double a = anglePosition_;
        const double turned = a == 360 ? a * (n - 1) / n : a;
        seconds = seconds * n + turned * Setting(settings::kStepsPer360) * ms.defRotVelocity * 0.001 / 360.0;
    }
    estimate_.seconds = std::max(0, ClampToInt(std::trunc(seconds)));
    texts_.label24 = Fixed2(estimate_.lengthMetres);
    UpdateClockTexts();
}

void CuttingJob::UpdateClockTexts() {
    const int now = s_.timeOfDay ? s_.timeOfDay() : SystemTimeOfDay();
    texts_.label5 = Duration(estimate_.seconds);
    texts_.label6 = ClockText(((now % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
    const long long end = static_cast<long long>(now) + estimate_.seconds;
    texts_.label7 = ClockText(((end % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
}

// ---- Start -----------------------------------------------------------------------------

CutParameters CuttingJob::Record(const MaterialValues& m) const {
    CutParameters p;
    p.feedPeriod = FeedPeriod(Setting(settings::kMmPerStep), m.v);
    // The controller takes at most 99 % heating.
    p.heating = ClampTo<std::uint8_t>(std::min(m.t, 99));
    p.heatingTime = ClampTo<std::uint16_t>(m.rozgrzew);
    p.cornerDelay = ClampTo<std::uint16_t>(m.opWKacie);
    p.steps = 0;
    p.rotVelocity = ClampTo<std::uint16_t>(static_cast<long long>(std::trunc(Setting(settings::kDefRotVelocity))));
    p.rotRatio = 0;
    return p;
}

int CuttingJob::Start(bool interactive) {
    DebugText("Start button pressed");
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    runInteractive_ = interactive;
    const MaterialValues m = CurrentMaterial();

    // Wire wear, from what the window shows.
    const double limitTime = std::trunc(Setting(settings::kMaxCzasDrutu) * 60);
    const double usedTime = static_cast<double>(IntegerPrefix(texts_.label12)) * 60;
    const double limitLength = Setting(settings::kMaxDlugDrutu);
    const double usedLength = DecimalPrefixWithCommas(texts_.label19);
    if (usedTime > limitTime || usedLength > limitLength) {
        if (interactive) {
            Box(kWireWornOut, kWireWornOutCaption);
            wirePanelRed_ = true;
        }
        return kFailed;
    }
    if (usedTime + estimate_.seconds > limitTime || usedLength + estimate_.lengthMetres > limitLength) {
        if (!interactive) return kFailed;
        wirePanelRed_ = true;
        wirePanelEnabled_ = true;
        if (!AskYesNo(kWearWarning, kWearWarningCaption)) return kDeclined;
    }

    UpdateClockTexts();
    const std::string usedLengthText = texts_.label19;
    texts_.label19 = Fixed2(usedLength + estimate_.lengthMetres);
    const double limitCos = LimitCos(m.katGr);

    int result = link_ ? link_->Cancel() : kNoLink;
    if (result == STAT_OK) result = link_->BeginBlock();
    if (result != STAT_OK) {
        CodeFailure(result, interactive, kControllerCaption);
        // Nothing was charged: the wear shown stays what the store holds.
        texts_.label19 = usedLengthText;
        return kFailed;
    }

    const CutParameters record = Record(m);
    SetHeatingBar(100 - m.t);
    bool refused = false;
    result =
        TwoFigureDrawing() ? StartTwoFigures(m, record) : StartSingleFigure(record, limitCos, interactive, refused);
    if (result != STAT_OK) {
        if (!refused) CodeFailure(result, interactive, kControllerCaption);
        link_->EndBlock();
    } else {
        if (s_.dispatcher) s_.dispatcher->StartLock(false);
        continueEnabled_ = false;
        holdEnabled_ = true;
    }

    if (refused) {
        texts_.label19 = usedLengthText;
        return result;
    }
    // The wear counters are charged with the estimate whenever streaming was attempted.
    const double total = usedTime + estimate_.seconds;
    StoreNumber(settings::kCzasDrutu, total / 60);
    texts_.label12 = std::to_string(static_cast<long long>(std::trunc(total)) / 60);
    StoreNumber(settings::kDlugDrutu, usedLength + estimate_.lengthMetres);
    return result;
}

int CuttingJob::StartTwoFigures(const MaterialValues& m, const CutParameters& record) {
    int result = link_->Cancel();
    if (result == STAT_OK) result = link_->Setup(record);
    if (result == STAT_OK) {
        MotionTiming timing(*s_.drawing, Motion(m.katGr), Output());
        result = timing.StreamTwoFigures(record.feedPeriod, record.cornerDelay, false);
    }
    if (result == STAT_OK) result = link_->Start();
    if (result == STAT_OK) ShowStatus(Message(kCuttingStarted));
    return result;
}

CutParameters CuttingJob::SingleFigureParameters(const CutParameters& record) const {
    CutParameters p = record;
    const double n = facesPosition_;
    const double a = anglePosition_;
    const double stepsPer360 = Setting(settings::kStepsPer360);
    const double turn = a == 360 ? a / n * stepsPer360 / 360 + 1 : a / (n - 1) * stepsPer360 / 360 + 1;
    std::uint32_t aStep = static_cast<std::uint32_t>(std::clamp(std::trunc(turn), 0.0, 2147483647.0));
    if (reverseFaces_) aStep |= 0x80000000u;
    p.aStep = static_cast<std::int32_t>(aStep);
    p.steps = rotaryCut_ ? static_cast<std::uint16_t>(facesPosition_ - 1) : 0;
    return p;
}

bool CuttingJob::TurnDuringCutRatio(const CutParameters& record, double& rotRatio, bool interactive) {
    rotRatio = 0;
    if (!turnDuringCut_) return true;
    const double mmPerStep = Setting(settings::kMmPerStep);
    const double pitch = DecimalPrefixWithCommas(texts_.edit5);  // cm per revolution
    const double q = 360.0 / pitch;
    if (q < 0) {
        const std::string text = FormatMessage(Message(kPitchNotPositive), {});
        ShowStatus(text);
        if (interactive) BoxText(text, kRotaryCaption, kPitchNotPositive);
        return false;
    }
    rotRatio = std::max(0.0, q * mmPerStep * Setting(settings::kStepsPer360) / 3600);
    if (FeedPeriod(mmPerStep, 60) * rotRatio * 0.2 > record.feedPeriod) {
        const std::string text = FormatMessage(
            Message(kTableTooSlow),
            {ClampToInt(std::trunc(300 / rotRatio)), ClampToInt(std::trunc(record.heating * 5 / rotRatio))});
        ShowStatus(text);
        if (interactive) BoxText(text, kErrorCaption, kTableTooSlow);
        rotRatio = 0;
        return false;
    }
    if (reverseTurn_) rotRatio = -rotRatio;
    return true;
}

bool CuttingJob::SingleFigureRecord(CutParameters& record, double& rotRatio, bool interactive) {
    const MaterialValues m = CurrentMaterial();
    SetHeatingBar(100 - m.t);
    record = SingleFigureParameters(Record(m));
    return TurnDuringCutRatio(record, rotRatio, interactive);
}

int CuttingJob::StartSingleFigure(const CutParameters& record, double limitCos, bool interactive, bool& refused) {
    int result = link_->Cancel();
    if (result != STAT_OK) return result;
    const CutParameters p = SingleFigureParameters(record);
    result = link_->Setup(p);
    if (result != STAT_OK) return result;
    double rotRatio = 0;
    if (!TurnDuringCutRatio(p, rotRatio, interactive)) {
        refused = true;
        return kFailed;
    }

    MotionTiming timing(*s_.drawing, Motion(CurrentMaterial().katGr), Output());
    result = timing.StreamFigure(p.feedPeriod, p, rotRatio, false, limitCos, false);
    if (result == STAT_OK) result = link_->SendByteCommand(cmd::C_REPEAT, 0);
    if (result == STAT_OK && p.steps != 0 && p.steps % 2 == 0) {
        result = timing.StreamFigure(p.feedPeriod, p, rotRatio, false, limitCos, true);
    }
    // One step out and back, the second with the corner delay: the program's last move.
    if (result == STAT_OK) result = link_->Line(1, 0, false, p.feedPeriod * 1000, 0);
    if (result == STAT_OK) result = link_->Line(-1, 0, true, p.feedPeriod * 1000, 0);
    if (result == STAT_OK) result = link_->Start();
    if (result == STAT_OK) ShowStatus(Message(kCuttingStarted));
    return result;
}

// ---- run supervision -------------------------------------------------------------------

int CuttingJob::Stop(bool interactive) {
    DebugText("Stop button pressed");
    const int cancelled = link_ ? link_->Cancel() : kNoLink;
    if (cancelled != STAT_OK) CodeFailure(cancelled, interactive, kErrorCaption);
    const int ended = link_ ? link_->EndBlock() : kNoLink;
    if (ended != STAT_OK) CodeFailure(ended, interactive, kErrorCaption);
    if (s_.dispatcher) s_.dispatcher->StartLock(true);
    continueEnabled_ = false;
    holdEnabled_ = false;
    result_ = ModalResult::Cancel;
    Close();
    return ended == STAT_OK ? kOk : kFailed;
}

void CuttingJob::Stop() {
    Stop(runInteractive_);
}

int CuttingJob::Hold(bool interactive) {
    DebugText("Hold button pressed");
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    const int result = link_ ? link_->Hold() : kNoLink;
    if (result == STAT_OK) {
        if (s_.dispatcher) s_.dispatcher->ShowStatus(Message(kCuttingHeld));
    } else {
        CodeFailure(result, interactive, kControllerCaption);
    }
    Beep();
    holdEnabled_ = false;
    continueEnabled_ = true;
    return result == STAT_OK ? kOk : kFailed;
}

int CuttingJob::Continue(bool interactive) {
    DebugText("Continue button pressed");
    if (s_.dispatcher) s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeCutting);
    const int result = link_ ? link_->Resume(false) : kNoLink;
    if (result == STAT_OK) {
        if (s_.dispatcher) s_.dispatcher->ShowStatus(Message(kCuttingContinued));
    } else {
        CodeFailure(result, interactive, kControllerCaption);
    }
    holdEnabled_ = true;
    continueEnabled_ = false;
    return result == STAT_OK ? kOk : kFailed;
}

void CuttingJob::WireReplaced() {
    StoreNumber(settings::kCzasDrutu, 0);
    StoreNumber(settings::kDlugDrutu, 0);
    ShowWear();
    wirePanelRed_ = false;
}

// ---- service commands ------------------------------------------------------------------

void CuttingJob::ResumeOnly() {
    if (link_) link_->SendByteCommand(cmd::C_RESUME, 0);
}

void CuttingJob::QueryStateButton() {
    if (!link_) return;
    const std::string prefix = link_->Running() ? "Asynch (oo):" : "Asynch x:";
    const int reply = link_->QueryState();
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
    // The running flag is cleared only together with the port: clearing it while the
    // reader still owns the port would let two threads talk to the controller at once.
    if (!link_ || !link_->Running()) return;
    const int result = link_->TakePort();
    if (result != STAT_OK) CodeFailure(result, true, kControllerCaption);
}

void CuttingJob::AsynchQuery() {
    if (!link_) return;
    ShowStatus(link_->Running() ? "Asynch (oo):" : "Asynch x:");
}

}  // namespace wirvela
