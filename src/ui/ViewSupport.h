#pragma once
// Small helpers shared by the views: named widgets and text fields that report only the
// operator's changes.
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

class QWidget;

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

// Paths of the file system as Qt names them, and back.
std::filesystem::path ToPath(const QString& file);
QString FromPath(const std::filesystem::path& path);

// A file dialog of the platform. `filter` in the form of local.txt ("description|pattern|…"),
// `filterIndex` 1-based, `defaultExtension` appended to a name typed without one; a save
// dialog asks before it replaces a file. `directory` (when not empty) is where it opens.
struct FileDialogSpec {
    const char* name = "OpenDialog1";
    std::string_view filter;
    int filterIndex = 1;
    std::string_view defaultExtension;
    bool save = false;
    std::filesystem::path directory;
};
struct FileDialogChoice {
    std::filesystem::path file;
    int filterIndex = 1;  // the filter the operator left selected
};
std::optional<FileDialogChoice> RunFileDialog(QWidget* parent, const FileDialogSpec& spec);

}  // namespace wirvela
