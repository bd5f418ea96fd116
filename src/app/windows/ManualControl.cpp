#include "app/windows/ManualControl.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

#include "config/LocalisableWindow.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/Frame.h"
#include "cutting/MotionTiming.h"
#include "platform/Beep.h"

namespace wirvela {

namespace {

constexpr int kMovedCancelled = 100;
constexpr int kControllerErrorCaption = 112;
constexpr int kErrorCaption = 109;
constexpr int kInchDxUnreadable = 203;
constexpr int kInchDyUnreadable = 204;
constexpr int kInchDenominator = 64;
constexpr int kManualRotVelocity = 30;  // ms per table step of manual moves
constexpr const char* kFormatError = "Format error";

constexpr LocalisedControl kLocalised[] = {
    {"Button9", LocalisedText::Caption},   {"Button10", LocalisedText::Caption},  {"Button16", LocalisedText::Caption},
    {"Button24", LocalisedText::Caption},  {"CheckBox1", LocalisedText::Caption}, {"CheckBox2", LocalisedText::Caption},
    {"Label24", LocalisedText::Caption},   {"Label26", LocalisedText::Caption},   {"Panel5", LocalisedText::Caption},
    {"Panel6", LocalisedText::Caption},    {"SpeedButton1", LocalisedText::Hint}, {"SpeedButton2", LocalisedText::Hint},
    {"SpeedButton3", LocalisedText::Hint}, {"ScrollBar1", LocalisedText::Hint},   {"ScrollBar2", LocalisedText::Hint},
};

int TruncInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

int TextToInt(std::string_view text) {
    return static_cast<int>(
        std::clamp<long>(IntegerPrefix(text), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::int32_t Saturate32(double v) {
    if (std::isnan(v)) return 0;
    constexpr double kMax = 2147483647.0;
    return static_cast<std::int32_t>(std::clamp(v, -kMax, kMax));
}

std::uint16_t ToU16(long v) {
    return static_cast<std::uint16_t>(std::clamp<long>(v, 0, 65535));
}

std::size_t SkipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return i;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the text starts (after blanks) with a number the decimal prefix rule reads.
bool HasNumber(std::string_view text) {
    std::size_t i = SkipBlanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && IsDigit(text[i])) return true;
    return i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && IsDigit(text[i + 1]);
}

// Digits from position i; false when there is none.
bool ReadDigits(std::string_view text, std::size_t& i, double& value) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
    return i > start;
}

bool ReadFraction(std::string_view text, std::size_t& i, double& value) {
    double numerator = 0;
    double denominator = 0;
    if (!ReadDigits(text, i, numerator) || i >= text.size() || text[i] != '/') return false;
    ++i;
    if (!ReadDigits(text, i, denominator) || denominator == 0) return false;
    value = numerator / denominator;
    return true;
}

std::string MillimetreText(double mm) {
    return NumberToText(std::round(mm * 100) / 100);
}

}  // namespace

ManualControl::ManualControl(Services services)
    : s_(std::move(services)), events_([this](int code, std::intptr_t) { return HandleEvent(code); }) {
    s_.dispatcher->SetManualControl(this);
}

ManualControl::~ManualControl() {
    link_.reset();
    s_.dispatcher->SetLink(nullptr);
    s_.dispatcher->SetManualControl(nullptr);
}

int ManualControl::HandleEvent(int code) {
    lastEvent_ = code & 0xFFFF;
    s_.dispatcher->Dispatch(code);
    return 0;
}

double ManualControl::Setting(const SettingKey& key) const {
    return s_.link.parameters->GetNumber(key);
}

void ManualControl::Log(std::string_view line) const {
    if (s_.link.messageLog) s_.link.messageLog->Log(line);
}

void ManualControl::ReadConstants() {
    MachineConstants& m = machine_;
    m.mmPerStep = Setting(settings::kMmPerStep);
    m.stepsPerMm = m.mmPerStep != 0 ? 1 / m.mmPerStep : 1;
    m.stepsPer360 = Setting(settings::kStepsPer360);
    m.defHeating = Setting(settings::kDefHeating);
    m.defDelay = Setting(settings::kDefDelay);
    m.defTemp = Setting(settings::kDefTemp);
    m.defPhases = Setting(settings::kDefPhases);
    m.defVelocity = Setting(settings::kDefVelocity);
    m.defRotVelocity = Setting(settings::kDefRotVelocity);
}

ManualControl::CreateOutcome ManualControl::Create(LocalisableWindow* view) {
    const TParameters& p = *s_.link.parameters;
    ReadConstants();

    ScrollBar& heating = c_.ScrollBar1;
    heating.Min = TruncInt(p.GetNumber(settings::kTempMin));
    heating.Max = std::max(heating.Min, TruncInt(p.GetNumber(settings::kTempMax)));
    heating.Position = std::clamp(100 - TruncInt(machine_.defTemp), heating.Min, heating.Max);
    c_.Label23 = std::to_string(100 - heating.Position);

    ScrollBar& speed = c_.ScrollBar2;
    speed.Min = TruncInt(p.GetNumber(settings::kVxyManMin));
    speed.Max = std::max(speed.Min, TruncInt(p.GetNumber(settings::kVxyManMax, settings::kVxyManMaxForManualBar)));
    speed.Position = std::clamp(TruncInt(machine_.defVelocity), speed.Min, speed.Max);
    c_.Edit1.Text = std::to_string(speed.Position);

    c_.Edit11.Text = std::to_string(TruncInt(machine_.defHeating));
    c_.Edit3.Text = NumberToText(machine_.mmPerStep);
    imperial_ = p.GetFlag(settings::kImperial);
    c_.Edit14.Visible = imperial_;
    c_.Edit15.Visible = imperial_;
    if (imperial_) {
        MillimetresChanged(c_.Edit4, c_.Edit14, c_.Edit4.Text);
        MillimetresChanged(c_.Edit5, c_.Edit15, c_.Edit5.Text);
    }
    Show();
    if (view) s_.link.messages->LocaliseForm(*view, kLocalised);
    if (s_.pendant && p.GetFlag(settings::kPilotConnect)) s_.pendant->Connect();

    // A re-created link replaces the old one: the old one closes its device first.
    s_.dispatcher->SetLink(nullptr);
    link_.reset();
    LinkStartup up = LinkStartup::Run(s_.link, &events_, *s_.prompt, [this](std::string_view t) { ShowStatus(t); });
    link_ = std::move(up.link);
    s_.dispatcher->SetLink(link_.get());

    ScrollBar1Changed(100 - TruncInt(machine_.defTemp));
    return {up.outcome, up.exitCode, up.handshake};
}

void ManualControl::Show() {
    if (link_) link_->SetEventWindow(&events_);
    const bool cone = s_.link.parameters->GetFlag(settings::kCone);
    c_.CheckBox1.Visible = cone;
    c_.CheckBox2.Visible = cone;
    c_.Label24Visible = cone;
    c_.Label26Visible = cone;
    if (!cone) {
        c_.CheckBox1.Checked = true;
        c_.CheckBox2.Checked = true;
    }
}

void ManualControl::Close() {
    ValidateFields();
}

// ---- motions ---------------------------------------------------------------------------

double ManualControl::ManualFeedPeriod() const {
    return FeedPeriod(machine_.mmPerStep * Setting(settings::kManualScaling), c_.ScrollBar2.Position);
}

std::int32_t ManualControl::Steps(double mm) const {
    const double perStep = DecimalPrefixWithCommas(c_.Edit3.Text);
    if (perStep == 0) return 1;
    const double sign = mm < 0 ? -1.0 : (mm > 0 ? 1.0 : 0.0);
    return Saturate32(sign * std::floor(std::fabs(mm) / perStep + 0.5));
}

CutParameters ManualControl::Parameters(double feedPeriod, double rotRatio) const {
    CutParameters r;
    r.feedPeriod = feedPeriod;
    r.heating = static_cast<std::uint8_t>(std::clamp(100 - c_.ScrollBar1.Position, 0, 99));
    r.cornerDelay = ToU16(TextToInt(c_.Edit11.Text));
    r.heatingTime = r.cornerDelay;
    r.aStep = 1;
    r.steps = 0;
    r.rotVelocity = kManualRotVelocity;
    r.rotRatio = rotRatio;
    return r;
}

int ManualControl::Failed(int code, bool interactive) {
    const std::string text = ControllerCodes::FormatCode(*s_.link.messages, code);
    ShowStatus(text);
    s_.dispatcher->StartLock(true);
    if (interactive) {
        PromptRequest request;
        request.text = text;
        request.caption = s_.link.messages->MessageText(kControllerErrorCaption);
        request.icon = PromptIcon::Warning;
        const ControllerCode* entry = ControllerCodes::Find(code);
        request.messageKey = entry ? entry->messageKey : kUnknownCodeMessage;
        s_.prompt->Ask(request);
    }
    return code;
}

int ManualControl::Move(std::int32_t dx, std::int32_t dy, double rotRatio, bool interactive) {
    s_.dispatcher->StartLock(false);
    s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeManual);
    errorFlag_ = false;
    if (!link_) return Failed(RS_OPEN_COM_ERR, interactive);
    ComClass& link = *link_;
    const double period = ManualFeedPeriod();
    // Hidden axis boxes count as checked.
    const bool first = !c_.CheckBox1.Visible || c_.CheckBox1.Checked;
    const bool second = !c_.CheckBox2.Visible || c_.CheckBox2.Checked;
    const std::uint8_t mode0 = first && second ? 3 : (first ? 1 : 2);
    const std::uint8_t mode1 = first || second ? 0 : 1;

    int r = link.Cancel();
    if (r == STAT_OK) r = link.EndBlock();
    if (r == STAT_OK) r = link.Line(dx, dy, false, StepPeriod(period, dx, dy) * 1000, rotRatio);
    if (r == STAT_OK) r = link.Setup(Parameters(period, rotRatio));
    if (r == STAT_OK) r = link.SetMode(0, mode0);
    if (r == STAT_OK) r = link.SetMode(1, mode1);
    if (r == STAT_OK) r = link.Start();
    if (r != STAT_OK) return Failed(r, interactive);
    StartIndicator();
    return STAT_OK;
}

int ManualControl::Turn(double degrees, bool interactive) {
    s_.dispatcher->SetActiveMode(ControllerDispatcher::kModeManual);
    s_.dispatcher->StartLock(false);
    errorFlag_ = false;
    if (!link_) return Failed(RS_OPEN_COM_ERR, interactive);
    ComClass& link = *link_;
    const double period = ManualFeedPeriod();

    CutParameters parameters = Parameters(period, 0);
    const double stepsPer360 = s_.link.parameters->GetNumber(settings::kStepsPer360, settings::kStepsPer360ForTurn);
    double steps = std::trunc(std::fabs(degrees) * stepsPer360 / 360);
    if (!(steps >= 1)) steps = 1;  // also NaN
    std::uint32_t aStep = static_cast<std::uint32_t>(std::min(steps, 2147483647.0));
    if (degrees < 0) aStep |= 0x80000000u;
    parameters.aStep = static_cast<std::int32_t>(aStep);
    parameters.steps = 1;
    parameters.rotVelocity = ToU16(TruncInt(machine_.defRotVelocity));

    int r = link.Cancel();
    if (r == STAT_OK) r = link.EndBlock();
    if (r == STAT_OK) r = link.Line(1, 0, false, 1000, 0);
    if (r == STAT_OK) r = link.Line(-1, 0, false, 1000, 0);
    if (r == STAT_OK) r = link.Setup(parameters);
    if (r == STAT_OK) r = link.SendByteCommand(cmd::C_REPEAT, 0);
    if (r == STAT_OK) r = link.Start();
    if (r != STAT_OK) return Failed(r, interactive);
    StartIndicator();
    return STAT_OK;
}

int ManualControl::JogPress(Jog direction, bool interactive) {
    moving_ = true;
    movingToStart_ = false;
    pendantMove_ = false;
    ValidateFields();
    const std::int32_t d = Steps(kJogMm);
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    switch (direction) {
        case Jog::Up:
            dy = d;
            break;
        case Jog::Down:
            dy = -d;
            break;
        case Jog::Left:
            dx = -d;
            break;
        case Jog::Right:
            dx = d;
            break;
        case Jog::UpRight:
            dx = d;
            dy = d;
            break;
        case Jog::DownRight:
            dx = d;
            dy = -d;
            break;
        case Jog::DownLeft:
            dx = -d;
            dy = -d;
            break;
        case Jog::UpLeft:
            dx = -d;
            dy = d;
            break;
    }
    return Move(dx, dy, 0, interactive);
}

int ManualControl::Release() {
    moving_ = false;
    int r = STAT_OK;
    if (!errorFlag_) r = link_ ? link_->Cancel() : RS_OPEN_COM_ERR;
    StopIndicator();
    s_.dispatcher->StartLock(true);
    return r == STAT_OK ? kOk : kFailed;
}

int ManualControl::TurnPress(bool positive) {
    moving_ = true;
    movingToStart_ = false;
    pendantMove_ = false;
    ValidateFields();
    return Turn(positive ? 360 : -360, true);
}

int ManualControl::TurnByField(bool interactive) {
    Log("[dA] button pressed");
    movingToStart_ = false;
    pendantMove_ = false;
    ValidateFields();
    return Turn(DecimalPrefixWithCommas(c_.Edit6.Text), interactive);
}

int ManualControl::MoveByDistance(bool interactive) {
    Log("[dx,dy] button pressed");
    ValidateFields();
    if (imperial_) {
        double dx = 0;
        double dy = 0;
        const bool dxOk = ParseInches(c_.Edit14.Text, dx);
        if (!dxOk || !ParseInches(c_.Edit15.Text, dy)) {
            if (interactive) {
                const int key = dxOk ? kInchDyUnreadable : kInchDxUnreadable;
                PromptRequest request;
                request.text = s_.link.messages->MessageText(key);
                request.caption = s_.link.messages->MessageText(kErrorCaption);
                request.icon = PromptIcon::Warning;
                request.messageKey = key;
                s_.prompt->Ask(request);
            }
            return kFailed;
        }
        InchesChanged(c_.Edit14, c_.Edit4, c_.Edit14.Text);
        InchesChanged(c_.Edit15, c_.Edit5, c_.Edit15.Text);
    }
    movingToStart_ = false;
    pendantMove_ = false;
    double scaling = Setting(settings::kManualScaling);
    if (scaling == 0) scaling = 1;  // a zero factor would make every distance infinite
    return Move(Steps(DecimalPrefixWithCommas(c_.Edit4.Text) / scaling),
                Steps(DecimalPrefixWithCommas(c_.Edit5.Text) / scaling), 0, interactive);
}

int ManualControl::PendantMoveBy(double dxMm, double dyMm) {
    ValidateFields();
    double scaling = Setting(settings::kManualScaling);
    if (scaling == 0) scaling = 1;
    movingToStart_ = false;
    pendantMove_ = true;
    const int r = Move(Steps(dxMm / scaling), Steps(dyMm / scaling), 0, false);
    if (r != STAT_OK) pendantMove_ = false;
    return r;
}

int ManualControl::MoveToStartCorner(bool interactive) {
    Log("MoveStartXY button pressed");
    ValidateFields();
    pendantMove_ = false;
    movingToStart_ = true;
    const std::int32_t d = -Steps(kStartCornerMm);
    const int r = Move(d, d, 0, interactive);
    if (r != STAT_OK) movingToStart_ = false;
    return r;
}

int ManualControl::HeatExternalWire(bool withMove, bool interactive) {
    Log(withMove ? "HeatExternalWire button pressed" : "HeatExternalWireNoMove button pressed");
    ValidateFields();
    movingToStart_ = false;
    pendantMove_ = false;
    if (!withMove) return Turn(-36000, interactive);
    // The table turns so much slower than the wire the further the feed is below 60 cm/min.
    const double period = ManualFeedPeriod();
    const double period60 = FeedPeriod(machine_.mmPerStep, 60);
    const double r = period60 != 0 ? period * 5 / period60 - 1 : 0;
    const double ratio = r == 0 ? -1 : -std::fabs(r);
    const std::int32_t d = -Steps(kStartCornerMm);
    return Move(d, d, ratio, interactive);
}

int ManualControl::Stop() {
    Log("CANCEL button pressed.");
    const bool wasRunning = link_ && link_->Running();
    const int r = link_ ? link_->Cancel() : RS_OPEN_COM_ERR;
    if (wasRunning && r == STAT_OK) {
        ShowStatus(s_.link.messages->MessageText(kMovedCancelled));
    } else {
        ShowStatus(ControllerCodes::FormatCode(*s_.link.messages, r));
    }
    s_.dispatcher->StartLock(true);
    StopIndicator();
    movingToStart_ = false;
    pendantMove_ = false;
    keypadGuard_ = false;
    return r;
}

// ---- keypad ----------------------------------------------------------------------------

namespace {

bool KeypadJog(int key, ManualControl::Jog& direction) {
    using Jog = ManualControl::Jog;
    switch (key - ManualControl::kKeypad1 + 1) {
        case 1:
            direction = Jog::DownLeft;
            return true;
        case 2:
            direction = Jog::Down;
            return true;
        case 3:
            direction = Jog::DownRight;
            return true;
        case 4:
            direction = Jog::Left;
            return true;
        case 6:
            direction = Jog::Right;
            return true;
        case 7:
            direction = Jog::UpLeft;
            return true;
        case 8:
            direction = Jog::Up;
            return true;
        case 9:
            direction = Jog::UpRight;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ManualControl::KeypadDown(int key) {
    Jog direction{};
    if (!KeypadJog(key, direction)) return false;
    if (keypadGuard_) return true;  // the key repeats while held
    Beep();
    keypadGuard_ = true;
    JogPress(direction, true);
    return true;
}

bool ManualControl::KeypadUp(int key) {
    Jog direction{};
    if (!KeypadJog(key, direction)) return false;
    Release();
    keypadGuard_ = false;
    return true;
}

// ---- fields ----------------------------------------------------------------------------

void ManualControl::SendPendant(int number, std::int32_t value) {
    if (!s_.pendant || !s_.pendant->TryAcquireShared()) return;
    const int r = s_.pendant->SetParameter(number, value);
    if (r != 0) ShowStatus(s_.pendant->ErrorText(r));
    s_.pendant->ReleaseShared();
}

void ManualControl::ScrollBar1Changed(int position) {
    ScrollBar& bar = c_.ScrollBar1;
    bar.Position = std::clamp(position, bar.Min, bar.Max);
    c_.Label23 = std::to_string(100 - bar.Position);
    if (link_) link_->SetHeatingLive(100 - std::min(bar.Position, 99));
    SendPendant(3, 100 - bar.Position);
}

void ManualControl::ScrollBar2Changed(int position) {
    ScrollBar& bar = c_.ScrollBar2;
    bar.Position = std::clamp(position, bar.Min, bar.Max);
    c_.Edit1.Text = std::to_string(bar.Position);
    SendPendant(2, bar.Position);
}

void ManualControl::Edit1Changed(std::string_view text) {
    c_.Edit1.Text = text;
    const int v = TextToInt(text);
    const ScrollBar& bar = c_.ScrollBar2;
    if (v >= bar.Min && v <= bar.Max && v != bar.Position) ScrollBar2Changed(v);
}

void ManualControl::Edit1Exit() {
    const int v = TextToInt(c_.Edit1.Text);
    const ScrollBar& bar = c_.ScrollBar2;
    if (v < bar.Min || v > bar.Max) ScrollBar2Changed(v < bar.Min ? bar.Min : bar.Max);
}

void ManualControl::Edit11Changed(std::string_view text) {
    c_.Edit11.Text = text;
}

void ManualControl::Edit11Exit() {
    const TParameters& p = *s_.link.parameters;
    const int low = TruncInt(p.GetNumber(settings::kHeatingTimeMin));
    const int high = std::max(low, TruncInt(p.GetNumber(settings::kHeatingTimeMax)));
    const int v = std::clamp(TextToInt(c_.Edit11.Text), low, high);
    c_.Edit11.Text = std::to_string(v);
    SendPendant(4, v);
}

void ManualControl::ValidateFields() {
    Edit1Exit();
    Edit11Exit();
}

void ManualControl::Edit3Changed(std::string_view text) {
    c_.Edit3.Text = text;
}

void ManualControl::Edit4Changed(std::string_view text) {
    MillimetresChanged(c_.Edit4, c_.Edit14, text);
}

void ManualControl::Edit5Changed(std::string_view text) {
    MillimetresChanged(c_.Edit5, c_.Edit15, text);
}

void ManualControl::Edit6Changed(std::string_view text) {
    c_.Edit6.Text = text;
}

void ManualControl::Edit14Changed(std::string_view text) {
    InchesChanged(c_.Edit14, c_.Edit4, text);
}

void ManualControl::Edit15Changed(std::string_view text) {
    InchesChanged(c_.Edit15, c_.Edit5, text);
}

void ManualControl::CheckBox1Clicked(bool checked) {
    c_.CheckBox1.Checked = checked;
}

void ManualControl::CheckBox2Clicked(bool checked) {
    c_.CheckBox2.Checked = checked;
}

void ManualControl::MillimetresChanged(Edit& mm, Edit& inch, std::string_view text) {
    mm.Text = text;
    if (!imperial_) return;
    if (SkipBlanks(text, 0) == text.size()) {
        inch.Text = "0";
        return;
    }
    if (!HasNumber(text)) {
        inch.Text = kFormatError;
        return;
    }
    const double value = DecimalPrefixWithCommas(text);
    double shown = 0;
    if (!ParseInches(inch.Text, shown) || std::fabs(value - shown * kMmPerInch) > kInchTolerance) {
        inch.Text = InchText(value / kMmPerInch);
    }
}

void ManualControl::InchesChanged(Edit& inch, Edit& mm, std::string_view text) {
    inch.Text = text;
    if (!imperial_) return;
    double inches = 0;
    if (!ParseInches(text, inches)) return;
    if (std::fabs(inches * kMmPerInch - DecimalPrefixWithCommas(mm.Text)) > kInchTolerance) {
        mm.Text = MillimetreText(inches * kMmPerInch);
    }
}

std::string ManualControl::InchText(double inches) {
    if (!std::isfinite(inches) || std::fabs(inches) > 1e12) return kFormatError;
    const long long total = std::llround(std::fabs(inches) * kInchDenominator);
    const long long whole = total / kInchDenominator;
    long long numerator = total % kInchDenominator;
    long long denominator = kInchDenominator;
    const long long g = std::gcd(numerator, denominator);
    if (g > 1) {
        numerator /= g;
        denominator /= g;
    }
    std::string text = inches < 0 && total > 0 ? "-" : "";
    if (whole > 0 || numerator == 0) text += std::to_string(whole);
    if (whole > 0 && numerator > 0) text += ' ';
    if (numerator > 0) text += std::to_string(numerator) + "/" + std::to_string(denominator);
    return text + '"';
}

bool ManualControl::ParseInches(std::string_view text, double& inches) {
    std::size_t i = SkipBlanks(text, 0);
    if (i == text.size()) {
        inches = 0;
        return true;
    }
    double sign = 1;
    if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
    double value = 0;
    const std::size_t start = i;
    double whole = 0;
    if (!ReadDigits(text, i, whole)) {
        // ".5" style: no whole part before the point.
        if (i >= text.size() || (text[i] != '.' && text[i] != ',')) return false;
    }
    if (i < text.size() && text[i] == '/') {
        i = start;
        if (!ReadFraction(text, i, value)) return false;
    } else if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        double scale = 0.1;
        const std::size_t fractionStart = i;
        while (i < text.size() && IsDigit(text[i])) {
            whole += (text[i++] - '0') * scale;
            scale /= 10;
        }
        if (i == fractionStart && i - 1 == start) return false;  // a lone point
        value = whole;
    } else {
        value = whole;
        const std::size_t afterWhole = i;
        i = SkipBlanks(text, i);
        if (i > afterWhole && i < text.size() && IsDigit(text[i])) {
            double fraction = 0;
            if (!ReadFraction(text, i, fraction)) return false;
            value += fraction;
        }
    }
    i = SkipBlanks(text, i);
    if (i < text.size() && text[i] == '"') i = SkipBlanks(text, i + 1);
    if (i != text.size() || !std::isfinite(value)) return false;
    inches = sign * value;
    return true;
}

// ---- service commands and timers -------------------------------------------------------

std::string ManualControl::DeviceState() {
    const int r = link_ ? link_->QueryState() : RS_OPEN_COM_ERR;
    const char* meaning = nullptr;
    switch (r) {
        case STATE_NORM:
            meaning = "Można wysyłać dane";
            break;
        case STATE_CUT:
            meaning = "Trwa wycinanie, poczekaj na zakończenie";
            break;
        case STATE_ERR:
            meaning = "Nastąpił błąd";
            break;
        default:
            break;
    }
    std::string text;
    if (meaning) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%Xh %d: %s", static_cast<unsigned>(r), r, meaning);
        text = buffer;
    } else {
        text = ControllerCodes::FormatCode(*s_.link.messages, r);
    }
    ShowStatus(text);
    return text;
}

std::string ManualControl::StatePanel() {
    const int r = link_ ? link_->SendByteCommand(cmd::C_STATE, 0) : RS_OPEN_COM_ERR;
    std::string text;
    switch (r) {
        case STATE_NORM:
            text = "STATE_NORM";
            break;
        case STATE_ERR:
            text = "STATE_ERR";
            break;
        case STATE_CUT:
            text = "STATE_CUT";
            break;
        case STATE_HOLD:
            text = "STATE_HOLD";
            break;
        default:
            if (ControllerCodes::Find(r)) text = ControllerCodes::FormatCode(*s_.link.messages, r);
            break;
    }
    ShowStatus(text);
    return text;
}

int ManualControl::DumpVariables() {
    const auto box = [this](const char* text) {
        PromptRequest request;
        request.text = text;
        request.caption = "Błąd";
        request.icon = PromptIcon::Warning;
        s_.prompt->Ask(request);
    };
    const std::filesystem::path path = s_.link.directory / kVarsFile;
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) {
        box("Błąd otwarcia pliku vars.TXT");
        return kFailed;
    }
    c_.Button24.Enabled = false;
    bool complete = true;
    for (int address = 0; address <= 124 && complete; address += 4) {
        std::array<std::uint8_t, 4> value{};
        const int code = link_ ? link_->ReadVariable(static_cast<std::uint8_t>(address), value) : RS_OPEN_COM_ERR;
        if (code != STAT_OK) {
            ControllerCodes::ShowCodeBox(*s_.prompt, *s_.link.messages, "SENDFRAME błąd", code);
            complete = false;
            break;
        }
        char line[32];
        const int length = std::snprintf(line, sizeof line, "\n%02X: %02X %02X %02X %02X ", address, value[0], value[1],
                                         value[2], value[3]);
        if (std::fwrite(line, 1, static_cast<std::size_t>(length), file) != static_cast<std::size_t>(length)) {
            box("Błąd zapisu do pliku");
            complete = false;
        }
    }
    if (std::fclose(file) != 0 && complete) {
        box("Błąd zapisu do pliku");
        complete = false;
    }
    c_.Button24.Enabled = true;
    return complete ? kOk : kFailed;
}

void ManualControl::ShowStatus(std::string_view text) {
    c_.Lerrors = text;
    c_.Timer1.Enabled = true;
}

void ManualControl::Timer1Fired() {
    c_.Lerrors.clear();
    c_.Timer1.Enabled = false;
}

void ManualControl::Timer2Fired() {
    if (!c_.Timer2.Enabled) return;
    c_.Panel1 = c_.Panel1 == PanelColour::Silver ? PanelColour::Red : PanelColour::Silver;
}

void ManualControl::LerrorsClick() {
    c_.Lerrors.clear();
}

void ManualControl::StartIndicator() {
    c_.Timer2.Enabled = true;
    c_.Panel1 = PanelColour::Red;
}

void ManualControl::StopIndicator() {
    c_.Timer2.Enabled = false;
    c_.Panel1 = PanelColour::Silver;
}

void ManualControl::EnableStart(bool enable) {
    for (Button* b : {&c_.Button1, &c_.Button2, &c_.Button3, &c_.Button4, &c_.Button5, &c_.Button6, &c_.Button7,
                      &c_.Button8, &c_.Button9, &c_.SpeedButton1, &c_.SpeedButton2, &c_.SpeedButton3}) {
        b->Enabled = enable;
    }
}

}  // namespace wirvela
