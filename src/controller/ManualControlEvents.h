#pragma once
// The manual-control window as the event dispatch sees it (active mode 1). Its
// ShowStatus also (re)starts the window's status timer; its start commands under the
// start lock are Button1 to Button9 and SpeedButton1 to SpeedButton3.
#include "controller/ControllerEventWindow.h"

namespace wirvela {

class ManualControlEvents : public ControllerEventWindow {
public:
    // Stops the movement indicator timer and sets the indicator panel back to silver.
    virtual void StopIndicator() = 0;
    // Marks the run as failed: the window's stop then sends no C_CANCEL.
    virtual void SetErrorFlag() = 0;
    // True while the window drives the machine to its start corner.
    virtual bool MovingToStartCorner() const = 0;
    // True while the window executes a move the pendant asked for.
    virtual bool ExecutingPendantMove() const = 0;
};

}  // namespace wirvela
