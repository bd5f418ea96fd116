#pragma once
// A rotary project on the controller: Start cuts the profiles of the list one after
// another, each sent as one program that ends with the table's turn; when the controller
// reports the end of a program the front end's event window (RotaryEvents) asks for the
// next profile (SendProfile), and after the last one the event dispatch ends the project
// (Stop). Hold, Continue and Stop supervise the running program; SetHeating changes the
// heating while it runs. What the run tells the operator goes to a RotaryReport: the
// rotary project window shows it in its controls and boxes, wirvela-cli on the terminal.
//
// Runs on the window thread, like the link's operations. Results are controller codes
// (16 success); a profile that could not be loaded or prepared gives −1, one that is not
// one open line 3, an empty list −2.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cutting/CuttingRun.h"
#include "rotary/HprFile.h"
#include "rotary/ProfilePreparation.h"
#include "rotary/ProfileStream.h"
#include "settings/MaterialValues.h"

namespace wirvela {

class ControllerDispatcher;
class MessageLog;
class RotaryLink;
class TDrawing;
class TDxfReader;
class TLineList;
class TMessages;
class TParameters;
struct HpglPenState;

// One profile handed to the controller, or refused on the way.
struct ProfileOutcome {
    int row = 0;
    std::string file;
    int result = 0;
    bool loaded = false;  // the file was read into the drawing
    PreparedProfile prepared;
    StreamedPath streamed;
    std::optional<std::int32_t> turn;  // table steps after the profile; none for the last
};

class RotaryReport {
public:
    virtual ~RotaryReport() = default;
    // The status line.
    virtual void Status(std::string_view text) = 0;
    // A message box the operator acknowledges.
    virtual void Warning(const RunMessage& message) = 0;
    virtual void EnableContinue(bool) {}
    virtual void EnableHold(bool) {}
    // Every SendProfile ends here, sent or not.
    virtual void ProfileSent(const ProfileOutcome&) {}
    // Stop has run: the window closes.
    virtual void Stopped() {}
};

class RotaryRun {
public:
    static constexpr int kOk = 16;
    static constexpr int kEmptyList = -2;

    struct Services {
        TParameters* parameters = nullptr;    // required: [Ploter]
        const TMessages* messages = nullptr;  // required
        TDrawing* drawing = nullptr;          // required: the profiles are loaded into its current set
        HpglPenState* pens = nullptr;         // required: the program's HP-GL pen state
        TDxfReader* dxf = nullptr;            // required: the program's DXF reader
        // Active mode and start lock of the event dispatch.
        ControllerDispatcher* dispatcher = nullptr;
        MessageLog* trace = nullptr;
    };

    RotaryRun(Services services, RotaryReport& report);

    // The controller; null: no controller (every command fails with 289).
    void SetLink(RotaryLink* link) { link_ = link; }
    // The project and the folder its profiles are read from.
    void SetProject(const ProfileList& list, const std::filesystem::path& folder);
    const ProfileList& Project() const { return list_; }
    // The material cut (its speed, corner pause and limit, preheating).
    void SetMaterial(const MaterialValues& material) { material_ = material; }
    // The main window's scale, per cent.
    void SetScalePercent(double percent) { scalePercent_ = percent; }
    // The temperature bar, 1 … 100 per cent: sent to a running program (SetHeatingLive)
    // and used by the next profile's record (100 is sent as 99).
    int SetHeating(int percent);
    int Heating() const { return heating_; }

    // Row 1 onward; −2 with message 146 for an empty list. On 16 the start lock is taken.
    int Start();
    // The profile of the current row; the row advances once the program was started.
    int SendProfile();
    int Hold();
    int Continue();
    // Cancels the program and releases the start lock; 16 when the cancel succeeded.
    int Stop();

    // Loads the profile of `row` into the drawing's current set, prepares it and chains its
    // path, as SendProfile does before it sends anything; what it cannot use is reported.
    // outcome.result: 0, −1 or 3; the path is null unless 0.
    std::unique_ptr<TLineList> PrepareRow(int row, ProfileOutcome& outcome);

    int CurrentRow() const { return currentRow_; }
    bool LastProfile() const { return lastProfile_; }

private:
    const std::string& Message(int key) const;
    void CodeFailure(int code, int caption);
    void Box(int message, std::string text, int caption);
    // Loads the row's profile into the drawing; false (after saying why) when it cannot.
    bool LoadProfile(int row, ProfileOutcome& outcome);
    int SendLoadedProfile(int row, ProfileOutcome& outcome);
    void SetMode();

    Services s_;
    RotaryReport& report_;
    RotaryLink* link_ = nullptr;
    ProfileList list_;
    std::filesystem::path folder_;
    MaterialValues material_;
    double scalePercent_ = 100.0;
    int heating_ = 35;
    int currentRow_ = 1;
    bool lastProfile_ = false;
};

}  // namespace wirvela
