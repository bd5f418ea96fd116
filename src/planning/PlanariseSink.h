#pragma once
// Where the planarisation passes and the junction splitting put their progress, status
// texts and log lines. The passes run on the joining worker (or the profile generator),
// so an implementation must hand texts over to the window thread itself. Every member
// has a do-nothing default: a test or a caller that wants no output uses the base class.
#include <span>
#include <string>
#include <string_view>

namespace wirvela {

class PlanariseSink {
public:
    virtual ~PlanariseSink() = default;

    // One line of the message log.
    virtual void Log(std::string_view line) { (void)line; }

    // The text of message `key` of the message table. With `args`, the text is a
    // printf-style format filled with those integers (messages 3, 4 and 6 take the
    // current line and the number of lines). The text comes from a file the operator
    // may edit, so the implementation must fill it safely.
    virtual std::string MessageText(int key, std::span<const int> args) const {
        (void)key;
        (void)args;
        return {};
    }

    // Status panel `panel` (0 … 4) of the main window shows `text`.
    virtual void Status(int panel, std::string_view text) {
        (void)panel;
        (void)text;
    }

    // The progress of a long pass ("line i of n") for status panel `panel`: shown like
    // Status, but a window may show it without holding the pass up until it has.
    virtual void Progress(int panel, std::string_view text) { Status(panel, text); }

    // The status bar is repainted at once (progress of the long passes).
    virtual void RepaintStatus() {}

    // The main window's simulation button `SpeedButton2` and menu item `Liniacicia1` are
    // disabled (end of Planarise: the old cut path no longer fits the lines).
    virtual void DisableSimulation() {}

    // Message `key` without arguments.
    std::string MessageText(int key) const { return MessageText(key, {}); }
};

}  // namespace wirvela
