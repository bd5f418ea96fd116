#include "ui/ViewSupport.h"

#include <QFile>
#include <QFileDialog>
#include <algorithm>

#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"

namespace wirvela {

void OnEdited(QLineEdit* edit, QObject* context, std::function<void(const QString&)> changed,
              std::function<void()> left) {
    if (changed) QObject::connect(edit, &QLineEdit::textEdited, context, std::move(changed));
    if (left) QObject::connect(edit, &QLineEdit::editingFinished, context, std::move(left));
}

std::filesystem::path ToPath(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

QString FromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::optional<FileDialogChoice> RunFileDialog(QWidget* parent, const FileDialogSpec& spec) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QString::fromLatin1(spec.name));
    dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(spec.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!spec.directory.empty()) dialog.setDirectory(FromPath(spec.directory));
    const QString filter = QtFileFilter(spec.filter);
    const QStringList filters = filter.isEmpty() ? QStringList() : filter.split(QStringLiteral(";;"));
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(spec.filterIndex - 1, 0, static_cast<int>(filters.size()) - 1);
        dialog.selectNameFilter(filters[index]);
    }
    QString suffix = ToQt(spec.defaultExtension);
    suffix.remove(QLatin1Char('*'));
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;

    FileDialogChoice chosen;
    chosen.file = ToPath(dialog.selectedFiles().constFirst());
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    chosen.filterIndex = index >= 0 ? static_cast<int>(index) + 1 : spec.filterIndex;
    return chosen;
}

}  // namespace wirvela
