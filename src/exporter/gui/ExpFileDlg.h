// ExpFileDlg — the exporter window's file dialogs: one dialog object per purpose whose settings
// each use overwrites, filters written in the "Name|*.a;*.b|All Files|*.*" form.
#pragma once

#include <QString>

#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace lumora::exporter {

// What one use of a file dialog shows. An empty DefaultExtension adds none.
struct TFileDialogSettings {
    QString Title;
    QString Filter; // "Name|patterns|Name|patterns", patterns separated by ';'
    QString FileName;
    QString DefaultExtension;
    QString Folder; // where the dialog opens
};

// The filter as Qt writes it: "WRL Files|*.wrl|All Files|*.*" gives
// "WRL Files (*.wrl);;All Files (*)" (on this system "*.*" would leave out names without a dot).
QString QtFilter(const QString& filter);

// A dialog of Qt's own (the same on every desktop and offscreen) for opening an existing file or
// for saving, which asks before replacing a file.
QFileDialog* MakeFileDialog(QWidget* owner, const char* name, bool save);

// Applies settings to dialog and runs it modally: the chosen file's full path, or nothing when
// the user cancels.
std::optional<std::string> RunFileDialog(QFileDialog& dialog, const TFileDialogSettings& settings);

} // namespace lumora::exporter
