#pragma once
// The cutting window as the event dispatch sees it (active mode 2). Its start commands
// under the start lock are Button2 ("Start") and Button3 ("Edycja materiałów").
#include "controller/ControllerEventWindow.h"

namespace wirvela {

class CuttingEvents : public ControllerEventWindow {
public:
    // Button5, "Kontynuuj".
    virtual void EnableContinue(bool enable) = 0;
    // Button6, "Wstrzymaj".
    virtual void EnableHold(bool enable) = 0;
    // The window's Stop command.
    virtual void Stop() = 0;
};

}  // namespace wirvela
