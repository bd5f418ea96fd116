#pragma once
// Small helpers shared by the views: named widgets and text fields that report only the
// operator's changes.
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <functional>

namespace wirvela {

// Gives a new widget (or action) its control name and returns it.
template <class W>
W* Named(W* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// Calls `changed` with the text whenever the operator edits the field (not when the view
// sets it) and `left` when the operator leaves it or presses Enter.
void OnEdited(QLineEdit* edit, QObject* context, std::function<void(const QString&)> changed,
              std::function<void()> left = {});

}  // namespace wirvela
