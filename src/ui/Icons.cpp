#include "ui/Icons.h"

#include <QFile>

#include "ui/ControlBinding.h"

// Q_INIT_RESOURCE declares a function of the global namespace: it must be used outside ours.
static void InitWirvelaResources() { Q_INIT_RESOURCE(wirvela); }

namespace wirvela {

void InitUiResources() { InitWirvelaResources(); }

QIcon WirvelaIcon(std::string_view name) {
    const QString path = QStringLiteral(":/icons/") + ToQt(name) + QStringLiteral(".svg");
    if (!QFile::exists(path)) return QIcon();
    return QIcon(path);
}

}  // namespace wirvela
