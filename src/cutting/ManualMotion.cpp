#include "cutting/ManualMotion.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/SettingCheck.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/Frame.h"
#include "cutting/MotionTiming.h"

namespace wirvela {

namespace {

constexpr int kManualRotVelocity = 30;  // ms per table step of manual moves
constexpr int kMoveBeyondCounters = 609;  // "A move of more than %s mm …"
constexpr int kTurnBeyondCounters = 610;  // "A turn of more than %s degrees …"
// The controller counts the steps of one line or turn in 32 bits.
constexpr double kMaxCounterSteps = 2147483647.0;

std::int32_t Saturate32(double v) {
    if (std::isnan(v)) return 0;
    constexpr double kMax = 2147483647.0;
    return static_cast<std::int32_t>(std::clamp(v, -kMax, kMax));
}

std::uint16_t ToU16(long v) {
    return static_cast<std::uint16_t>(std::clamp<long>(v, 0, 65535));
}

}  // namespace

int ManualMotion::Whole(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

namespace {

// A maximum below its minimum is the minimum.
ManualMotion::Range Between(double low, double high) {
    const int min = ManualMotion::Whole(low);
    return {min, std::max(min, ManualMotion::Whole(high))};
}

}  // namespace

ManualMotion::Limits ManualMotion::Limits::Read(const TParameters& p) {
    Limits l;
    l.heatingBar = Between(p.GetNumber(settings::kTempMin), p.GetNumber(settings::kTempMax));
    l.speed =
        Between(p.GetNumber(settings::kVxyManMin), p.GetNumber(settings::kVxyManMax, settings::kVxyManMaxForManualBar));
    l.preheating = Between(p.GetNumber(settings::kHeatingTimeMin), p.GetNumber(settings::kHeatingTimeMax));
    return l;
}

ManualMotion::Settings ManualMotion::Initial(const MachineConstants& machine, const Limits& limits) {
    Settings s;
    s.distanceMmPerStep = machine.mmPerStep;
    s.speed = limits.speed.Clamp(Whole(machine.defVelocity));
    s.heating = 100 - limits.heatingBar.Clamp(100 - Whole(machine.defTemp));
    s.preheating = limits.preheating.Clamp(Whole(machine.defHeating));
    return s;
}

ManualMotion::ManualMotion(ComClass* link, ControllerDispatcher& dispatcher, const TParameters& parameters,
                           const MachineConstants& machine, const Settings& settings)
    : link_(link), dispatcher_(dispatcher), parameters_(parameters), machine_(machine), settings_(settings) {}

std::int32_t ManualMotion::Steps(double mm) const {
    const double perStep = settings_.distanceMmPerStep;
    if (perStep == 0) return 1;
    const double sign = mm < 0 ? -1.0 : (mm > 0 ? 1.0 : 0.0);
    return Saturate32(sign * std::floor(std::fabs(mm) / perStep + 0.5));
}

std::int32_t ManualMotion::TypedSteps(double mm) const {
    double scaling = parameters_.GetNumber(settings::kManualScaling);
    if (scaling == 0) scaling = 1;  // a zero factor would make every distance infinite
    return Steps(mm / scaling);
}

double ManualMotion::LongestTypedDistance() const {
    double scaling = parameters_.GetNumber(settings::kManualScaling);
    if (scaling == 0) scaling = 1;
    return std::fabs(kMaxCounterSteps * settings_.distanceMmPerStep * scaling);
}

bool ManualMotion::TypedDistanceFits(double mm) const {
    if (settings_.distanceMmPerStep == 0) return true;  // every distance is one step
    return std::isfinite(mm) && std::fabs(mm) <= LongestTypedDistance();
}

double ManualMotion::LargestTurn() const {
    const double stepsPer360 = parameters_.GetNumber(settings::kStepsPer360, settings::kStepsPer360ForTurn);
    return stepsPer360 > 0 ? kMaxCounterSteps * 360 / stepsPer360 : 0;
}

bool ManualMotion::TurnFits(double degrees) const {
    const double stepsPer360 = parameters_.GetNumber(settings::kStepsPer360, settings::kStepsPer360ForTurn);
    return std::isfinite(degrees) && std::fabs(degrees) * stepsPer360 / 360 <= kMaxCounterSteps;
}

std::optional<ManualMotion::Refusal> ManualMotion::SettingsRefusal(const TMessages& messages) const {
    const std::optional<SettingProblem> problem = settings::FirstProblem(parameters_, settings::kPloter);
    if (!problem) return std::nullopt;
    return Refusal{SettingProblem::kUnusableMessage, problem->UnusableText(messages)};
}

std::optional<ManualMotion::Refusal> ManualMotion::MoveRefusal(double dxMm, double dyMm,
                                                               const TMessages& messages) const {
    if (auto refusal = SettingsRefusal(messages)) return refusal;
    if (TypedDistanceFits(dxMm) && TypedDistanceFits(dyMm)) return std::nullopt;
    return Refusal{kMoveBeyondCounters, FormatMessage(messages.MessageText(kMoveBeyondCounters),
                                                      {NumberToText(std::trunc(LongestTypedDistance()))})};
}

std::optional<ManualMotion::Refusal> ManualMotion::TurnRefusal(double degrees, const TMessages& messages) const {
    if (auto refusal = SettingsRefusal(messages)) return refusal;
    if (TurnFits(degrees)) return std::nullopt;
    return Refusal{kTurnBeyondCounters, FormatMessage(messages.MessageText(kTurnBeyondCounters),
                                                      {NumberToText(std::trunc(LargestTurn()))})};
}

double ManualMotion::FeedPeriod() const {
    return wirvela::FeedPeriod(machine_.mmPerStep * parameters_.GetNumber(settings::kManualScaling), settings_.speed);
}

CutParameters ManualMotion::Record(double feedPeriod, double rotRatio) const {
    CutParameters r;
    r.feedPeriod = feedPeriod;
    r.heating = static_cast<std::uint8_t>(std::clamp(settings_.heating, 0, 99));
    r.cornerDelay = ToU16(settings_.preheating);
    r.heatingTime = r.cornerDelay;
    r.aStep = 1;
    r.steps = 0;
    r.rotVelocity = kManualRotVelocity;
    r.rotRatio = rotRatio;
    return r;
}

int ManualMotion::Refused(int code) {
    dispatcher_.StartLock(true);
    return code;
}

int ManualMotion::Move(std::int32_t dx, std::int32_t dy, double rotRatio) {
    dispatcher_.StartLock(false);
    dispatcher_.SetActiveMode(ControllerDispatcher::kModeManual);
    const int r = link_ ? MoveProgram(dx, dy, rotRatio) : RS_OPEN_COM_ERR;
    return r == STAT_OK ? r : Refused(r);
}

int ManualMotion::MoveProgram(std::int32_t dx, std::int32_t dy, double rotRatio) {
    ComClass& link = *link_;
    const double period = FeedPeriod();
    const bool first = settings_.firstAxis;
    const bool second = settings_.secondAxis;
    const std::uint8_t mode0 = first && second ? 3 : (first ? 1 : 2);
    const std::uint8_t mode1 = first || second ? 0 : 1;

    int r = link.Cancel();
    if (r == STAT_OK) r = link.EndBlock();
    if (r == STAT_OK) r = link.Line(dx, dy, false, StepPeriod(period, dx, dy) * 1000, rotRatio);
    if (r == STAT_OK) r = link.Setup(Record(period, rotRatio));
    if (r == STAT_OK) r = link.SetMode(0, mode0);
    if (r == STAT_OK) r = link.SetMode(1, mode1);
    if (r == STAT_OK) r = link.Start();
    return r;
}

int ManualMotion::Turn(double degrees) {
    dispatcher_.SetActiveMode(ControllerDispatcher::kModeManual);
    dispatcher_.StartLock(false);
    const int r = link_ ? TurnProgram(degrees) : RS_OPEN_COM_ERR;
    return r == STAT_OK ? r : Refused(r);
}

int ManualMotion::TurnProgram(double degrees) {
    ComClass& link = *link_;
    CutParameters parameters = Record(FeedPeriod(), 0);
    const double stepsPer360 = parameters_.GetNumber(settings::kStepsPer360, settings::kStepsPer360ForTurn);
    double steps = std::trunc(std::fabs(degrees) * stepsPer360 / 360);
    if (!(steps >= 1)) steps = 1;  // also NaN
    std::uint32_t aStep = static_cast<std::uint32_t>(std::min(steps, 2147483647.0));
    if (degrees < 0) aStep |= 0x80000000u;
    parameters.aStep = static_cast<std::int32_t>(aStep);
    parameters.steps = 1;
    parameters.rotVelocity = ToU16(Whole(machine_.defRotVelocity));

    int r = link.Cancel();
    if (r == STAT_OK) r = link.EndBlock();
    if (r == STAT_OK) r = link.Line(1, 0, false, 1000, 0);
    if (r == STAT_OK) r = link.Line(-1, 0, false, 1000, 0);
    if (r == STAT_OK) r = link.Setup(parameters);
    if (r == STAT_OK) r = link.SendByteCommand(cmd::C_REPEAT, 0);
    if (r == STAT_OK) r = link.Start();
    return r;
}

int ManualMotion::MoveToStartCorner() {
    const std::int32_t d = -Steps(kStartCornerMm);
    return Move(d, d, 0);
}

int ManualMotion::HeatExternalWire(bool withMove) {
    if (!withMove) return Turn(-36000);
    // The table turns so much slower than the wire the further the feed is below 60 cm/min.
    const double period = FeedPeriod();
    const double period60 = wirvela::FeedPeriod(machine_.mmPerStep, 60);
    const double r = period60 != 0 ? period * 5 / period60 - 1 : 0;
    const double ratio = r == 0 ? -1 : -std::fabs(r);
    const std::int32_t d = -Steps(kStartCornerMm);
    return Move(d, d, ratio);
}

int ManualMotion::Stop(bool cancel) {
    int r = STAT_OK;
    if (cancel) r = link_ ? link_->Cancel() : RS_OPEN_COM_ERR;
    dispatcher_.StartLock(true);
    return r;
}

}  // namespace wirvela
