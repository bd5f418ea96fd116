#include "app/windows/AboutModel.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "config/LocalisableWindow.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "controller/ComClass.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption}, {"Label2", LocalisedText::Caption}, {"Label3", LocalisedText::Caption},
    {"Label5", LocalisedText::Caption}, {"Label7", LocalisedText::Caption}, {"Button1", LocalisedText::Caption},
};

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool Digits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

std::string Message(const TMessages* messages, int key) {
    return messages != nullptr ? messages->MessageText(key) : std::string();
}

}  // namespace

std::string BuildDateText(std::string_view date, std::string_view time) {
    // "Mmm dd yyyy": the day is padded with a blank below 10.
    if (date.size() != 11 || time.size() != 8 || time[2] != ':' || time[5] != ':') return {};
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (date.substr(0, 3) == kMonths[i]) month = static_cast<int>(i) + 1;
    std::string day(date.substr(4, 2));
    if (day[0] == ' ') day[0] = '0';
    const std::string_view year = date.substr(7, 4);
    if (month == 0 || !Digits(day) || !Digits(year) || !Digits(time.substr(0, 2)) || !Digits(time.substr(3, 2)))
        return {};
    const std::string month2{static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10)};
    return std::string(time.substr(0, 5)) + "/" + std::string(year) + "-" + month2 + "-" + day;
}

ProgramVersion ProgramVersion::Compiled(std::string version) {
    return {std::move(version), BuildDateText(__DATE__, __TIME__)};
}

ControllerIdentity ControllerIdentity::Of(const ComClass* link) {
    if (link == nullptr) return {};
    return {link->Info(), link->Description(), link->SerialNo(), link->Vid(), link->Pid(), link->Clock()};
}

std::string AboutModel::FirmwareText(std::string_view info) {
    return std::string(info.substr(0, info.find('\t')));
}

void AboutModel::Create(const ControllerIdentity& controller, LocalisableWindow* view) {
    if (view != nullptr && s_.messages != nullptr) s_.messages->LocaliseForm(*view, kLocalised);
    label6_ = s_.version.version;
    label4_ = s_.version.buildDate;

    firmware_ = FirmwareText(controller.info);
    label5_ = firmware_.empty() ? Message(s_.messages, kNoFirmwareMessage) : "Firmware: " + firmware_;

    if (controller.vid == 0 && controller.pid == 0) {
        label3_ = Message(s_.messages, kNoDeviceMessage);
    } else {
        char ids[32];
        std::snprintf(ids, sizeof ids, "%04X/%04X", static_cast<unsigned>(controller.vid),
                      static_cast<unsigned>(controller.pid));
        label3_ = controller.description + " ( SerialNr=" + controller.serialNo + " )   VID/PID=" + ids;
    }

    // A clock that is no number is shown as 0 rather than as "nan" or a huge text.
    const double mhz =
        std::isfinite(controller.clockHz) && std::fabs(controller.clockHz) < 1e15 ? controller.clockHz / 1e6 : 0.0;
    char clock[64];
    std::snprintf(clock, sizeof clock, "fclk=%7.4lfMHz", mhz);
    label9_ = clock;

    TParameters& p = *s_.parameters;
    p.SetText(settings::kSOFTWAREversion, "v" + s_.version.version + "   (" + s_.version.buildDate + ")");
    p.SetText(settings::kFIRMWAREversion, " " + firmware_ + "   (" + label9_ + ")");
}

void AboutModel::ShowSplash() {
    const double ms = std::trunc(s_.parameters->GetNumber(settings::kCzasWiniety));
    // A timer needs a positive interval that fits its counter; otherwise the default.
    timerInterval_ = ms >= 1 && ms <= std::numeric_limits<int>::max() ? static_cast<int>(ms) : kDefaultSplashMs;
    timerEnabled_ = true;
    visible_ = true;
}

void AboutModel::ShowModal() {
    timerEnabled_ = false;
    visible_ = true;
}

void AboutModel::Close() {
    timerEnabled_ = false;
    visible_ = false;
}

void AboutModel::Timer1Fired() {
    if (timerEnabled_) Close();
}

void AboutModel::Button1Click() {
    Close();
}

void AboutModel::ButtonKeyDown(bool escape) {
    if (escape) Close();
}

}  // namespace wirvela
