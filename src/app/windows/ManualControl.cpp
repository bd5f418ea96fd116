#include "app/windows/ManualControl.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

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
#include "controller/Pendant.h"
#include "cutting/MotionTiming.h"
#include "platform/Beep.h"

namespace wirvela {

namespace {

constexpr int kMovedCancelled = 100;
constexpr int kControllerErrorCaption = 112;
constexpr int kErrorCaption = 109;
constexpr int kInchDxUnreadable = 203;
constexpr int kInchDyUnreadable = 204;

constexpr LocalisedControl kLocalised[] = {
    {"Button9", LocalisedText::Caption},   {"Button10", LocalisedText::Caption},  {"Button16", LocalisedText::Caption},
    {"Button24", LocalisedText::Caption},  {"CheckBox1", LocalisedText::Caption}, {"CheckBox2", LocalisedText::Caption},
    {"Label24", LocalisedText::Caption},   {"Label26", LocalisedText::Caption},   {"Panel5", LocalisedText::Caption},
    {"Panel6", LocalisedText::Caption},    {"SpeedButton1", LocalisedText::Hint}, {"SpeedButton2", LocalisedText::Hint},
    {"SpeedButton3", LocalisedText::Hint}, {"ScrollBar1", LocalisedText::Hint},   {"ScrollBar2", LocalisedText::Hint},
};

int TextToInt(std::string_view text) {
    return static_cast<int>(
        std::clamp<long>(IntegerPrefix(text), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

ManualControl::ManualControl(Services services)
    : s_(std::move(services)), events_([this](int code, std::intptr_t) { return HandleEvent(code); }) {
    s_.dispatcher->SetManualControl(this);
}

ManualControl::~ManualControl() {
    s_.dispatcher->SetManualControl(nullptr);
}

int ManualControl::HandleEvent(int code) {
    lastEvent_ = code & 0xFFFF;
    s_.dispatcher->Dispatch(code);
    return 0;
}

void ManualControl::Log(std::string_view line) const {
    if (s_.link.messageLog) s_.link.messageLog->Log(line);
}

void ManualControl::Create(LocalisableWindow* view) {
    const TParameters& p = *s_.link.parameters;
    machine_ = MachineConstants::Read(p);
    const ManualMotion::Limits limits = ManualMotion::Limits::Read(p);
    const ManualMotion::Settings initial = ManualMotion::Initial(machine_, limits);

    Control& heating = c_.ScrollBar1;
    heating.min = limits.heatingBar.min;
    heating.max = limits.heatingBar.max;
    heating.position = 100 - initial.heating;
    c_.Label23 = std::to_string(100 - heating.position);

    Control& speed = c_.ScrollBar2;
    speed.min = limits.speed.min;
    speed.max = limits.speed.max;
    speed.position = initial.speed;
    c_.Edit1.text = std::to_string(speed.position);

    // Not yet within the limits: the field is checked when it is left.
    c_.Edit11.text = std::to_string(ManualMotion::Whole(machine_.defHeating));
    c_.Edit3.text = NumberToText(machine_.mmPerStep);
    imperial_ = p.GetFlag(settings::kImperial);
    c_.Edit14.visible = imperial_;
    c_.Edit15.visible = imperial_;
    if (imperial_) {
        MillimetresChanged(c_.Edit4, c_.Edit14, c_.Edit4.text);
        MillimetresChanged(c_.Edit5, c_.Edit15, c_.Edit5.text);
    }
    Show();
    if (view) s_.link.messages->LocaliseForm(*view, kLocalised);
    if (s_.pendant && p.GetFlag(settings::kPilotConnect)) s_.pendant->Connect();
    ScrollBar1Changed(100 - ManualMotion::Whole(machine_.defTemp));
}

void ManualControl::Show() {
    if (link_) link_->SetEventWindow(&events_);
    const bool cone = s_.link.parameters->GetFlag(settings::kCone);
    c_.CheckBox1.visible = cone;
    c_.CheckBox2.visible = cone;
    c_.Label24Visible = cone;
    c_.Label26Visible = cone;
    if (!cone) {
        c_.CheckBox1.checked = true;
        c_.CheckBox2.checked = true;
    }
}

void ManualControl::Close() {
    ValidateFields();
}

// ---- motions ---------------------------------------------------------------------------

ManualMotion ManualControl::Motion() const {
    ManualMotion::Settings settings;
    settings.distanceMmPerStep = DecimalPrefixWithCommas(c_.Edit3.text);
    settings.speed = c_.ScrollBar2.position;
    settings.heating = 100 - c_.ScrollBar1.position;
    settings.preheating = TextToInt(c_.Edit11.text);
    // Hidden axis boxes count as checked.
    settings.firstAxis = !c_.CheckBox1.visible || c_.CheckBox1.checked;
    settings.secondAxis = !c_.CheckBox2.visible || c_.CheckBox2.checked;
    return ManualMotion(link_, *s_.dispatcher, *s_.link.parameters, machine_, settings);
}

double ManualControl::ManualFeedPeriod() const {
    return Motion().FeedPeriod();
}

std::int32_t ManualControl::Steps(double mm) const {
    return Motion().Steps(mm);
}

int ManualControl::Started(int code, bool interactive) {
    if (code == STAT_OK) {
        StartIndicator();
        return code;
    }
    const std::string text = ControllerCodes::FormatCode(*s_.link.messages, code);
    ShowStatus(text);
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

bool ManualControl::Refused(const std::optional<ManualMotion::Refusal>& refusal, bool interactive) {
    if (!refusal) return false;
    ShowStatus(refusal->text);
    if (interactive) {
        PromptRequest request;
        request.text = refusal->text;
        request.caption = s_.link.messages->MessageText(kErrorCaption);
        request.icon = PromptIcon::Warning;
        request.messageKey = refusal->messageKey;
        s_.prompt->Ask(request);
    }
    return true;
}

int ManualControl::Move(std::int32_t dx, std::int32_t dy, double rotRatio, bool interactive) {
    errorFlag_ = false;
    ManualMotion motion = Motion();
    if (Refused(motion.SettingsRefusal(*s_.link.messages), interactive)) return kFailed;
    return Started(motion.Move(dx, dy, rotRatio), interactive);
}

int ManualControl::Turn(double degrees, bool interactive) {
    errorFlag_ = false;
    ManualMotion motion = Motion();
    if (Refused(motion.TurnRefusal(degrees, *s_.link.messages), interactive)) return kFailed;
    return Started(motion.Turn(degrees), interactive);
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
    const int r = Motion().Stop(!errorFlag_);
    StopIndicator();
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
    return Turn(DecimalPrefixWithCommas(c_.Edit6.text), interactive);
}

int ManualControl::MoveByDistance(bool interactive) {
    Log("[dx,dy] button pressed");
    ValidateFields();
    if (imperial_) {
        double dx = 0;
        double dy = 0;
        const bool dxOk = ParseInches(c_.Edit14.text, dx);
        if (!dxOk || !ParseInches(c_.Edit15.text, dy)) {
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
        InchesChanged(c_.Edit14, c_.Edit4, c_.Edit14.text);
        InchesChanged(c_.Edit15, c_.Edit5, c_.Edit15.text);
    }
    movingToStart_ = false;
    pendantMove_ = false;
    return MoveByMillimetres(DecimalPrefixWithCommas(c_.Edit4.text), DecimalPrefixWithCommas(c_.Edit5.text),
                             interactive);
}

int ManualControl::MoveByMillimetres(double dxMm, double dyMm, bool interactive) {
    const ManualMotion motion = Motion();
    if (Refused(motion.MoveRefusal(dxMm, dyMm, *s_.link.messages), interactive)) return kFailed;
    return Move(motion.TypedSteps(dxMm), motion.TypedSteps(dyMm), 0, interactive);
}

int ManualControl::PendantMoveBy(double dxMm, double dyMm) {
    ValidateFields();
    movingToStart_ = false;
    pendantMove_ = true;
    const int r = MoveByMillimetres(dxMm, dyMm, false);
    if (r != STAT_OK) pendantMove_ = false;
    return r;
}

int ManualControl::MoveToStartCorner(bool interactive) {
    Log("MoveStartXY button pressed");
    ValidateFields();
    pendantMove_ = false;
    movingToStart_ = true;
    errorFlag_ = false;
    ManualMotion motion = Motion();
    const int r = Refused(motion.SettingsRefusal(*s_.link.messages), interactive)
                      ? kFailed
                      : Started(motion.MoveToStartCorner(), interactive);
    if (r != STAT_OK) movingToStart_ = false;
    return r;
}

int ManualControl::HeatExternalWire(bool withMove, bool interactive) {
    Log(withMove ? "HeatExternalWire button pressed" : "HeatExternalWireNoMove button pressed");
    ValidateFields();
    movingToStart_ = false;
    pendantMove_ = false;
    errorFlag_ = false;
    ManualMotion motion = Motion();
    if (Refused(motion.SettingsRefusal(*s_.link.messages), interactive)) return kFailed;
    return Started(motion.HeatExternalWire(withMove), interactive);
}

int ManualControl::Stop() {
    Log("CANCEL button pressed.");
    const bool wasRunning = link_ && link_->Running();
    const int r = Motion().Stop();
    if (wasRunning && r == STAT_OK) {
        ShowStatus(s_.link.messages->MessageText(kMovedCancelled));
    } else {
        ShowStatus(ControllerCodes::FormatCode(*s_.link.messages, r));
    }
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
    Pendant::Send(
        s_.pendant, [&](Pendant& p) { return p.SetParameter(number, value); },
        [this](std::string_view text) { ShowStatus(text); });
}

void ManualControl::ScrollBar1Changed(int position) {
    Control& bar = c_.ScrollBar1;
    bar.position = std::clamp(position, bar.min, bar.max);
    c_.Label23 = std::to_string(100 - bar.position);
    if (link_) link_->SetHeatingLive(100 - std::min(bar.position, 99));
    SendPendant(3, 100 - bar.position);
}

void ManualControl::ScrollBar2Changed(int position) {
    Control& bar = c_.ScrollBar2;
    bar.position = std::clamp(position, bar.min, bar.max);
    c_.Edit1.text = std::to_string(bar.position);
    SendPendant(2, bar.position);
}

void ManualControl::Edit1Changed(std::string_view text) {
    c_.Edit1.text = text;
    const int v = TextToInt(text);
    const Control& bar = c_.ScrollBar2;
    if (v >= bar.min && v <= bar.max && v != bar.position) ScrollBar2Changed(v);
}

void ManualControl::Edit1Exit() {
    const int v = TextToInt(c_.Edit1.text);
    const Control& bar = c_.ScrollBar2;
    if (v < bar.min || v > bar.max) ScrollBar2Changed(v < bar.min ? bar.min : bar.max);
}

void ManualControl::Edit11Changed(std::string_view text) {
    c_.Edit11.text = text;
}

void ManualControl::Edit11Exit() {
    const int v = ManualMotion::Limits::Read(*s_.link.parameters).preheating.Clamp(TextToInt(c_.Edit11.text));
    c_.Edit11.text = std::to_string(v);
    SendPendant(4, v);
}

void ManualControl::ValidateFields() {
    Edit1Exit();
    Edit11Exit();
}

void ManualControl::Edit3Changed(std::string_view text) {
    c_.Edit3.text = text;
}

void ManualControl::Edit4Changed(std::string_view text) {
    MillimetresChanged(c_.Edit4, c_.Edit14, text);
}

void ManualControl::Edit5Changed(std::string_view text) {
    MillimetresChanged(c_.Edit5, c_.Edit15, text);
}

void ManualControl::Edit6Changed(std::string_view text) {
    c_.Edit6.text = text;
}

void ManualControl::Edit14Changed(std::string_view text) {
    InchesChanged(c_.Edit14, c_.Edit4, text);
}

void ManualControl::Edit15Changed(std::string_view text) {
    InchesChanged(c_.Edit15, c_.Edit5, text);
}

void ManualControl::CheckBox1Clicked(bool checked) {
    c_.CheckBox1.checked = checked;
}

void ManualControl::CheckBox2Clicked(bool checked) {
    c_.CheckBox2.checked = checked;
}

void ManualControl::MillimetresChanged(Control& mm, Control& inch, std::string_view text) {
    mm.text = text;
    if (imperial_) inch.text = InchFieldFollowing(text, inch.text);
}

void ManualControl::InchesChanged(Control& inch, Control& mm, std::string_view text) {
    inch.text = text;
    if (imperial_) mm.text = MillimetreFieldFollowing(text, mm.text);
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
    c_.Button24.enabled = false;
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
    c_.Button24.enabled = true;
    return complete ? kOk : kFailed;
}

void ManualControl::ShowStatus(std::string_view text) {
    c_.Lerrors = text;
    c_.Timer1.enabled = true;
}

void ManualControl::Timer1Fired() {
    c_.Lerrors.clear();
    c_.Timer1.enabled = false;
}

void ManualControl::Timer2Fired() {
    if (!c_.Timer2.enabled) return;
    c_.Panel1 = c_.Panel1 == PanelColour::Silver ? PanelColour::Red : PanelColour::Silver;
}

void ManualControl::LerrorsClick() {
    c_.Lerrors.clear();
}

void ManualControl::StartIndicator() {
    c_.Timer2.enabled = true;
    c_.Panel1 = PanelColour::Red;
}

void ManualControl::StopIndicator() {
    c_.Timer2.enabled = false;
    c_.Panel1 = PanelColour::Silver;
}

void ManualControl::EnableStart(bool enable) {
    for (Control* b : {&c_.Button1, &c_.Button2, &c_.Button3, &c_.Button4, &c_.Button5, &c_.Button6, &c_.Button7,
                      &c_.Button8, &c_.Button9, &c_.SpeedButton1, &c_.SpeedButton2, &c_.SpeedButton3}) {
        b->enabled = enable;
    }
}

}  // namespace wirvela
