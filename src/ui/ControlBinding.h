#pragma once
// Binding between the window models and their Qt widgets. A model keeps its controls under
// the system's component names (Button2, ScrollBar3, Lerrors, ...); the view's widgets and
// actions carry the same names as their objectName(), so a control is found and updated by
// name. Texts of the models are UTF-8.
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace wirvela {

QString ToQt(std::string_view text);
std::string FromQt(const QString& text);

// The widget, action or menu named `name` under `root` (root itself when it has that name);
// nullptr when there is none.
QObject* FindControl(const QObject& root, std::string_view name);

// The parts of a control's state a model may hold; unset parts are left as they are.
struct ControlState {
    std::optional<bool> visible;
    std::optional<bool> enabled;
    std::optional<bool> checked;
    std::optional<std::string> caption;  // buttons, labels, group boxes, menus, menu items
    std::optional<std::string> text;     // edit fields and memos only
    std::optional<std::string> hint;     // tool tips
};

// A state with one part set.
template <class T, class V>
ControlState StateWith(std::optional<T> ControlState::*part, V&& value) {
    ControlState s;
    s.*part = T(std::forward<V>(value));
    return s;
}

// Applies a state to one widget, action or menu. A menu's enabled and visible flags are
// those of its menu action. Unknown kinds of object take what applies to every widget.
void ApplyControlState(QObject& control, const ControlState& state);

// The state of any model record that has some of the members visible/Visible,
// enabled/Enabled, checked/Checked, caption/Caption, text/Text, hint/Hint.
template <class Control>
ControlState StateOf(const Control& c) {
    ControlState s;
    if constexpr (requires { c.visible; }) s.visible = static_cast<bool>(c.visible);
    if constexpr (requires { c.Visible; }) s.visible = static_cast<bool>(c.Visible);
    if constexpr (requires { c.enabled; }) s.enabled = static_cast<bool>(c.enabled);
    if constexpr (requires { c.Enabled; }) s.enabled = static_cast<bool>(c.Enabled);
    if constexpr (requires { c.checked; }) s.checked = static_cast<bool>(c.checked);
    if constexpr (requires { c.Checked; }) s.checked = static_cast<bool>(c.Checked);
    if constexpr (requires { c.caption; }) s.caption = std::string(c.caption);
    if constexpr (requires { c.Caption; }) s.caption = std::string(c.Caption);
    if constexpr (requires { c.text; }) s.text = std::string(c.text);
    if constexpr (requires { c.Text; }) s.text = std::string(c.Text);
    if constexpr (requires { c.hint; }) s.hint = std::string(c.hint);
    if constexpr (requires { c.Hint; }) s.hint = std::string(c.Hint);
    return s;
}

// Applies a model's control record to the control named `name` under `root`. False when
// no such control exists.
template <class Control>
bool ApplyControl(const QObject& root, std::string_view name, const Control& control) {
    QObject* target = FindControl(root, name);
    if (!target) return false;
    ApplyControlState(*target, StateOf(control));
    return true;
}

// Sets what the operator sees without the widget reporting it as the operator's change
// (its signals are blocked while the value is set).
void SetEnabled(const QObject& root, std::string_view name, bool enabled);
void SetVisible(const QObject& root, std::string_view name, bool visible);
void SetCaption(const QObject& root, std::string_view name, std::string_view caption);

// True when the control is shown whenever its window is: not hidden itself nor by a parent
// below the window. Works before the window is shown, and for actions.
bool ShownInWindow(const QObject& control);
bool EnabledInWindow(const QObject& control);

}  // namespace wirvela
