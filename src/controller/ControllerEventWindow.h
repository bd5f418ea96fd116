#pragma once
// What the controller's event dispatch needs of a window that can run a program on the
// controller (manual control, cutting job, rotary project). The window models implement
// it; their views mirror the result.
#include <string_view>

namespace wirvela {

class EventChannel;

class ControllerEventWindow {
public:
    virtual ~ControllerEventWindow() = default;
    // The window's event channel: when it is the link's event window, status texts go here.
    virtual const EventChannel* Events() const = 0;
    // The window's status line.
    virtual void ShowStatus(std::string_view text) = 0;
    // The start lock: enables or disables, and repaints, the window's start commands.
    virtual void EnableStart(bool enable) = 0;
};

}  // namespace wirvela
