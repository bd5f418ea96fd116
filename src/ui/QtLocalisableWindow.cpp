#include "ui/QtLocalisableWindow.h"

#include <QAction>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include "config/Messages.h"
#include "ui/ControlBinding.h"

namespace wirvela {

QtLocalisableWindow::QtLocalisableWindow(QWidget& window, std::string formName)
    : window_(window), formName_(std::move(formName)) {}

void QtLocalisableWindow::SetTitle(std::string_view text) { window_.setWindowTitle(ToQt(text)); }

void QtLocalisableWindow::SetControlCaption(std::string_view control, std::string_view text) {
    if (QObject* c = FindControl(window_, control)) ApplyControlState(*c, StateWith(&ControlState::caption, std::string(text)));
}

void QtLocalisableWindow::SetControlHint(std::string_view control, std::string_view text) {
    if (QObject* c = FindControl(window_, control)) ApplyControlState(*c, StateWith(&ControlState::hint, std::string(text)));
}

void QtLocalisableWindow::SetControlFilter(std::string_view control, std::string_view filter) {
    filters_.insert_or_assign(std::string(control), std::string(filter));
    if (QObject* c = FindControl(window_, control)) c->setProperty("filter", ToQt(filter));
}

std::string QtLocalisableWindow::Filter(std::string_view control) const {
    const auto it = filters_.find(control);
    return it == filters_.end() ? std::string() : it->second;
}

void LocaliseWidget(const TMessages& messages, QWidget& window, std::string_view formName,
                    std::span<const LocalisedControl> controls) {
    QtLocalisableWindow adapter(window, std::string(formName));
    messages.LocaliseForm(adapter, controls);
}

QString QtFileFilter(std::string_view filter) {
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) continue;
        entries << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace wirvela
