#include "ui/ControlBinding.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QWidget>

namespace wirvela {

QString ToQt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQt(const QString& text) { return text.toStdString(); }

QObject* FindControl(const QObject& root, std::string_view name) {
    const QString qname = ToQt(name);
    if (qname.isEmpty()) return nullptr;
    if (root.objectName() == qname) return const_cast<QObject*>(&root);
    return root.findChild<QObject*>(qname);
}

namespace {

void SetCaptionOf(QObject& control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(&control)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
        group->setTitle(text);
    } else if (auto* menu = qobject_cast<QMenu*>(&control)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(&control)) {
        action->setText(text);
    }
}

// Only edit fields have a text besides their caption.
void SetTextOf(QObject& control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        // Rewriting an unchanged text would move the operator's cursor.
        if (edit->text() != text) edit->setText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(&control)) {
        if (memo->toPlainText() != text) memo->setPlainText(text);
    }
}

}  // namespace

void ApplyControlState(QObject& control, const ControlState& state) {
    const QSignalBlocker blocker(&control);
    if (auto* menu = qobject_cast<QMenu*>(&control)) {
        if (state.enabled) menu->menuAction()->setEnabled(*state.enabled);
        if (state.visible) menu->menuAction()->setVisible(*state.visible);
    } else if (auto* widget = qobject_cast<QWidget*>(&control)) {
        if (state.enabled) widget->setEnabled(*state.enabled);
        // A widget is shown with its window; setVisible(true) before that only clears the
        // hidden mark.
        if (state.visible && widget->isHidden() == *state.visible) widget->setVisible(*state.visible);
    } else if (auto* action = qobject_cast<QAction*>(&control)) {
        if (state.enabled) action->setEnabled(*state.enabled);
        if (state.visible) action->setVisible(*state.visible);
    }
    if (state.checked) {
        if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
            button->setChecked(*state.checked);
        } else if (auto* action = qobject_cast<QAction*>(&control)) {
            action->setChecked(*state.checked);
        }
    }
    if (state.caption) SetCaptionOf(control, ToQt(*state.caption));
    if (state.text) SetTextOf(control, ToQt(*state.text));
    if (state.hint) {
        if (auto* widget = qobject_cast<QWidget*>(&control)) {
            widget->setToolTip(ToQt(*state.hint));
        } else if (auto* action = qobject_cast<QAction*>(&control)) {
            action->setToolTip(ToQt(*state.hint));
        }
    }
}

void SetEnabled(const QObject& root, std::string_view name, bool enabled) {
    if (QObject* c = FindControl(root, name)) ApplyControlState(*c, StateWith(&ControlState::enabled, enabled));
}

void SetVisible(const QObject& root, std::string_view name, bool visible) {
    if (QObject* c = FindControl(root, name)) ApplyControlState(*c, StateWith(&ControlState::visible, visible));
}

void SetCaption(const QObject& root, std::string_view name, std::string_view caption) {
    if (QObject* c = FindControl(root, name)) ApplyControlState(*c, StateWith(&ControlState::caption, std::string(caption)));
}

bool ShownInWindow(const QObject& control) {
    if (auto* menu = qobject_cast<const QMenu*>(&control)) return menu->menuAction()->isVisible();
    if (auto* widget = qobject_cast<const QWidget*>(&control)) return widget->isVisibleTo(widget->window());
    if (auto* action = qobject_cast<const QAction*>(&control)) return action->isVisible();
    return false;
}

bool EnabledInWindow(const QObject& control) {
    if (auto* menu = qobject_cast<const QMenu*>(&control)) return menu->menuAction()->isEnabled();
    if (auto* widget = qobject_cast<const QWidget*>(&control)) return widget->isEnabled();
    if (auto* action = qobject_cast<const QAction*>(&control)) return action->isEnabled();
    return false;
}

}  // namespace wirvela
