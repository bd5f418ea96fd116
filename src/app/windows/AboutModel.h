#pragma once
// The about box ("Ploter termiczny", TForm6): the program's version and build date and
// what is known of the connected controller (firmware text, USB device, clock). Its
// creation records both versions in section Testing of the store. It doubles as the
// start-up splash, which closes itself when Timer1 fires after CzasWiniety milliseconds.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/Settings.h"

namespace wirvela {

class ComClass;
class LocalisableWindow;
class TMessages;
class TParameters;

// The program's own version, shown in Label6 and Label4.
struct ProgramVersion {
    std::string version;    // e.g. "0.1.0"
    std::string buildDate;  // "hh:mm/yyyy-mm-dd"

    // `version` with the compile time of the settings library as the build date.
    static ProgramVersion Compiled(std::string version);
};

// "hh:mm/yyyy-mm-dd" from the compiler's date ("Mmm dd yyyy") and time ("hh:mm:ss");
// texts of another form give an empty text.
std::string BuildDateText(std::string_view date, std::string_view time);

// What the controller link found: the info text the controller sent, the USB device
// (description, serial number, identifiers; both identifiers 0 when no device was found)
// and the controller clock in Hz.
struct ControllerIdentity {
    std::string info;
    std::string description;
    std::string serialNo;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    double clockHz = 0.0;

    // The link's state; an absent link gives the empty identity (clock 0).
    static ControllerIdentity Of(const ComClass* link);
};

class AboutModel {
public:
    static constexpr const char* kFormName = "Form6";
    static constexpr const char* kCaption = "Ploter termiczny";
    static constexpr const char* kLabel1 = "Program sterujący  ploterem termicznym";
    static constexpr const char* kLabel2 = "wersja nr:";
    static constexpr const char* kLabel7 = "data kompilacji:";
    static constexpr const char* kButton1 = "Zamknij";
    static constexpr int kNoFirmwareMessage = 467;
    static constexpr int kNoDeviceMessage = 468;
    static constexpr int kDefaultSplashMs = static_cast<int>(settings::kCzasWiniety.def.number);

    struct Services {
        TParameters* parameters = nullptr;    // required: CzasWiniety, the two version keys
        const TMessages* messages = nullptr;  // messages 467, 468; absent: empty texts
        ProgramVersion version;
    };

    explicit AboutModel(Services services) : s_(std::move(services)) {}

    // Creation, and again after the device has changed: the localised texts (caption,
    // Label1, Label2, Label3, Label5, Label7, Button1) onto the view when given; then the
    // labels below filled (the view shows them over the localised ones) and
    // SOFTWAREversion, FIRMWAREversion of section Testing set.
    void Create(const ControllerIdentity& controller, LocalisableWindow* view = nullptr);

    const std::string& Label6() const { return label6_; }  // version
    const std::string& Label4() const { return label4_; }  // build date
    const std::string& Label5() const { return label5_; }  // "Firmware: …" or message 467
    const std::string& Label3() const { return label3_; }  // USB device or message 468
    const std::string& Label9() const { return label9_; }  // "fclk=…MHz"
    const std::string& Firmware() const { return firmware_; }

    // The start-up splash: Timer1 gets CzasWiniety of section Ploter and runs.
    void ShowSplash();
    // The information command: shown without the timer.
    void ShowModal();
    bool Visible() const { return visible_; }
    bool Timer1Enabled() const { return timerEnabled_; }
    int Timer1Interval() const { return timerInterval_; }

    // Each closes the box (and stops Timer1).
    void Timer1Fired();
    void Button1Click();
    // A key pressed on Button1: Escape closes, other keys do nothing.
    void ButtonKeyDown(bool escape);

    // The controller's info text up to its first TAB (the controller appends its
    // author mark after it).
    static std::string FirmwareText(std::string_view info);

private:
    void Close();

    Services s_;
    std::string label6_;
    std::string label4_;
    std::string label5_;
    std::string label3_;
    std::string label9_;
    std::string firmware_;
    bool visible_ = false;
    bool timerEnabled_ = false;
    int timerInterval_ = kDefaultSplashMs;
};

}  // namespace wirvela
