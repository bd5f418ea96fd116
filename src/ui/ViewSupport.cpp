#include "ui/ViewSupport.h"

namespace wirvela {

void OnEdited(QLineEdit* edit, QObject* context, std::function<void(const QString&)> changed,
              std::function<void()> left) {
    if (changed) QObject::connect(edit, &QLineEdit::textEdited, context, std::move(changed));
    if (left) QObject::connect(edit, &QLineEdit::editingFinished, context, std::move(left));
}

}  // namespace wirvela
