#pragma once
// The program's pictures: tool-bar icons and the application icon, SVG files of
// data/icons embedded as Qt resources.
#include <QIcon>
#include <string_view>

namespace wirvela {

// Registers the embedded pictures. The resources live in a static library, so the
// program calls this once, after the QApplication exists and before any icon is used.
void InitUiResources();

// ":/icons/<name>.svg" as an icon; a null icon for an unknown name. Names: open, simulate,
// stop, manual, cut, project, multiply, figure2-open, figure2-scaled, figure2-remove,
// bent-moulding, frame, clear, pendant-connected, pendant-disconnected, wirvela.
QIcon WirvelaIcon(std::string_view name);

}  // namespace wirvela
