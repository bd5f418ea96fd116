#pragma once
// The rotary project window as the event dispatch sees it (active mode 3). Its start
// command under the start lock is SpeedButton3.
#include "controller/ControllerEventWindow.h"

namespace wirvela {

class RotaryEvents : public ControllerEventWindow {
public:
    virtual void EnableContinue(bool enable) = 0;
    virtual void EnableHold(bool enable) = 0;
    // True while the profile being cut is the project's last.
    virtual bool LastProfile() const = 0;
    // The grid row of the next profile (the finished one is the row before).
    virtual int CurrentRow() const = 0;
    virtual void MovePreviewToCurrentRow() = 0;
    // Sends the next profile to the controller; its result is not examined.
    virtual int SendNextProfile() = 0;
    // The window's Stop command, which also closes the window.
    virtual void Stop() = 0;
};

}  // namespace wirvela
