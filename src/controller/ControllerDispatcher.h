#pragma once
// The dispatch of the controller's asynchronous reports ("handler"): while a program
// runs, the reader thread delivers each status byte to the link's event window, whose
// model passes the event here. The report becomes the reaction of the window whose run
// it belongs to, chosen by the active mode: 1 manual control (also any value other than
// 2 and 3), 2 cutting job, 3 rotary project.
//
// Also the two shared services of those windows: the status text routed to the window
// that is the event window, and the start lock over all three windows' Start commands.
//
// Runs on the window thread only, like the link's operations.
#include <string_view>

namespace wirvela {

class ComClass;
class CuttingEvents;
class ManualControlEvents;
class MessageLog;
class Pendant;
class Prompt;
class RotaryEvents;
class TMessages;

class ControllerDispatcher {
public:
    static constexpr int kModeManual = 1;
    static constexpr int kModeCutting = 2;
    static constexpr int kModeRotary = 3;
    // Pendant events.
    static constexpr int kPendantStartCorner = 21;
    static constexpr int kPendantMoveDone = 23;
    static constexpr int kPendantRunEnded = 7;

    ControllerDispatcher(const TMessages& messages, Prompt& prompt, MessageLog* trace = nullptr)
        : messages_(messages), prompt_(prompt), trace_(trace) {}

    // The link and the windows; any may be absent (null). The link must be set again
    // whenever it is re-created.
    void SetLink(ComClass* link) { link_ = link; }
    void SetManualControl(ManualControlEvents* window) { manual_ = window; }
    void SetCutting(CuttingEvents* window) { cutting_ = window; }
    void SetRotary(RotaryEvents* window) { rotary_ = window; }
    void SetPendant(Pendant* pendant) { pendant_ = pendant; }

    // Set by each window before it sends commands.
    void SetActiveMode(int mode) { mode_ = mode; }
    int ActiveMode() const { return mode_; }

    // One report; the code is taken from the low 16 bits of the event's first parameter.
    void Dispatch(int event);

    // The text goes to the status line of the window that is the link's event window;
    // dropped when none of the three is.
    void ShowStatus(std::string_view text);
    // Enables or disables the start commands of all three windows at once.
    void StartLock(bool enable);
    // Notifies a connected pendant of event n; a failure shows the pendant's error text.
    void NotifyPendant(int event);

private:
    int Mode() const;
    void CodeStatus(int code);
    void CodeBox(int code);
    void Trace(std::string_view text);
    // Step 1; false when the event is fully handled (a rotary profile that is not the last).
    bool ProgramEnd(int code);
    void RunError(int code);
    void TakeBack(int code);

    const TMessages& messages_;
    Prompt& prompt_;
    MessageLog* trace_;
    ComClass* link_ = nullptr;
    ManualControlEvents* manual_ = nullptr;
    CuttingEvents* cutting_ = nullptr;
    RotaryEvents* rotary_ = nullptr;
    Pendant* pendant_ = nullptr;
    int mode_ = kModeManual;
};

}  // namespace wirvela
