#pragma once
// The state of one control of a window model, mirrored by the view onto the widget of the
// same object name; every window model keeps its controls in these two records.
#include <string>
#include <utility>

namespace wirvela {

struct Control {
    bool visible = true;
    bool enabled = true;
    std::string caption;   // labels, buttons, check boxes, menu items
    std::string hint;      // tool-tips of the speed buttons and the scroll bar
    std::string text;      // edit fields
    bool checked = false;  // check boxes
    int min = 0;           // scroll bars: range and position
    int max = 100;
    int position = 0;

    // An edit field holding `text`.
    static Control Field(std::string text, bool visible = true) {
        Control c;
        c.text = std::move(text);
        c.visible = visible;
        return c;
    }
    static Control Hidden() {
        Control c;
        c.visible = false;
        return c;
    }
    static Control CheckedBox() {
        Control c;
        c.checked = true;
        return c;
    }
};

// A timer of the window: the view runs a real timer while `enabled` and calls the
// model's handler at each tick.
struct TimerState {
    bool enabled = false;
    int interval = 0;  // ms
    // Raised every time the timer is started again; the view restarts its timer when it changes.
    unsigned starts = 0;

    static TimerState Every(int ms) {
        TimerState t;
        t.interval = ms;
        return t;
    }
};

}  // namespace wirvela
