// lvdxsave — the save dialog of mesh files (`TDXSaveDlg`, "Save DX File"): file name field, file
// list under a mask, folder list, drive list (the mount points), type list and "Save As Text". It
// is made once and keeps its folder, file name and mask between uses; the rules of "OK" are
// SaveDialog's.
#pragma once

#include "viewer/gui/QtUi.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace lumora::viewer {

// The type list of the save dialog.
inline const char* const kDXSaveFilter = "DirectX Files|*.x|All files (*.*)|*.*";

class TDXSaveDlg : public QDialog {
    Q_OBJECT
public:
    // Starts in the current folder with the file name and mask "*.x".
    explicit TDXSaveDlg(QWidget* parent = nullptr);

    // Shows the dialog modally; true when a path was chosen (FileName).
    bool Execute();
    // The chosen path.
    const std::string& FileName() const { return m_Path; }
    bool SaveAsText() const;
    QString Folder() const { return m_Folder; }
    QString Mask() const { return m_Mask; }
    // Moves the dialog to folder and lists it.
    void SetFolder(const QString& folder);
    // "OK", and a double-click in the file list: filter, enter a folder, or close (after the
    // replace question for a file that exists).
    void OKBtnClick();

private:
    void FillLists();
    void FillDrives();

    TQtUi m_Ui;
    QString m_Folder;
    QString m_Mask = "*.x";
    std::string m_Path;
    QLineEdit* m_FileEdit;
    QListWidget* m_FileList;
    QLabel* m_DirLabel;
    QListWidget* m_DirList;
    QComboBox* m_DriveCombo;
    QComboBox* m_FilterCombo;
    QCheckBox* m_TextChk;
};

} // namespace lumora::viewer
