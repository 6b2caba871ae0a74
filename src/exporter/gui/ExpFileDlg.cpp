#include "exporter/gui/ExpFileDlg.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>

namespace lumora::exporter {

QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == "*.*")
                pattern = "*";
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

QFileDialog* MakeFileDialog(QWidget* owner, const char* name, bool save) {
    auto* dialog = new QFileDialog(owner);
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    return dialog;
}

std::optional<std::string> RunFileDialog(QFileDialog& dialog, const TFileDialogSettings& s) {
    dialog.setWindowTitle(s.Title);
    dialog.setNameFilter(QtFilter(s.Filter));
    dialog.setDefaultSuffix(s.DefaultExtension);
    dialog.setDirectory(s.Folder);
    if (!s.FileName.isEmpty())
        dialog.selectFile(s.FileName);
    else if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit"))
        name->clear(); // no name of an earlier use of the dialog stays offered
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
}

} // namespace lumora::exporter
