#include "ui/QtBeep.h"

#include <QApplication>
#include <QMetaObject>

#include "platform/Beep.h"

namespace wirvela {

QtBeep::QtBeep() {
    SetBeepHook([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    });
}

QtBeep::~QtBeep() { SetBeepHook({}); }

}  // namespace wirvela
