#pragma once
// What the localisation of window texts needs from a window. The Qt views implement
// it over their widgets (control names are the widgets' object names); the models and
// tests may implement it over plain records.
#include <string_view>

namespace wirvela {

// Which text of a control a localisation entry sets; the value is the suffix of the
// control's key in local.txt ("Button1.c", "ScrollBar2.h", "OpenDialog1.f").
enum class LocalisedText : char {
    Caption = 'c',  // labels, buttons, check boxes, radio buttons/groups, group boxes, panels, menu items
    Hint = 'h',     // speed buttons, scroll bars, combo boxes, panels
    Filter = 'f',   // file dialogs
};

// One entry of a window's fixed localisation list.
struct LocalisedControl {
    std::string_view name;  // the control's design-time name, e.g. "SpeedButton6"
    LocalisedText text;
};

class LocalisableWindow {
public:
    virtual ~LocalisableWindow() = default;

    // The window's design-time name ("Form1" … "Form15", "Form110"): the section of
    // local.txt that holds its texts.
    virtual std::string_view FormName() const = 0;

    virtual void SetTitle(std::string_view text) = 0;
    // Character set code of the window font (0 is the ANSI set).
    virtual void SetFontCharset(int charset) = 0;

    virtual void SetControlCaption(std::string_view control, std::string_view text) = 0;
    // Controls without a font of their own (menu items) ignore this.
    virtual void SetControlFontCharset(std::string_view control, int charset) = 0;
    virtual void SetControlHint(std::string_view control, std::string_view text) = 0;
    virtual void SetControlFilter(std::string_view control, std::string_view filter) = 0;
};

}  // namespace wirvela
