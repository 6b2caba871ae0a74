// lvcavmsh — the "Cave Mesh Settings" dialog: picks the plot file and the passage options, and
// estimates before the build how many shots, polygons and megabytes the cave will take.
#pragma once

#include "passage/PassageLib.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QTabWidget;

namespace lumora::passage {

// Bytes a mesh of this estimate takes: 41 a vertex, 17 a normal, 91 a face.
std::int64_t MeshBytes(const TMeshEstimate& estimate);
// Bytes as megabytes (1048576) with one decimal and " Meg": "0.6 Meg".
std::string MegText(std::int64_t bytes);
// Physical memory of the machine in bytes (0 when it cannot be read).
std::int64_t AvailableMemory();

inline const char* const kMemoryWarning = "WARNING: Mesh Size Will Exceed Available Memory";
inline const char* const kFaceWarning =
    "More than 64K faces. May cause problems on some computers. (See Help.)";

class TCaveMeshDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCaveMeshDlg(QWidget* parent = nullptr);

    // Full path of the chosen plot file (empty at start) and its shot count (1 at start).
    std::string CurrentPlotFile;
    std::int64_t ShotCount = 1;

    // The dialog's options into options: substitute diameter (0 when "Subst. Missing LRUDs" is
    // off), corner threshold, rounding depth, vertical prisms and threshold, expand, seal and
    // shape. Other fields stay.
    void ApplyMeshOptions(TPassageOptions& options) const;
    // "Open File": asks for a plot file; nothing changes on cancel.
    void OpenFileBtnClick();
    // A chosen file: shows its name, counts its shots and refreshes the estimate. Throws
    // PlotFileError when the file cannot be read (the name stays chosen).
    void SetPlotFile(const std::string& path);
    // The estimate of the chosen file with the current options, its shot count recounted
    // (nothing without a file); throws PlotFileError when the file cannot be read.
    void RefreshEstimate();
    // Shows the file name and the estimate, then the dialog modally; true when closed with
    // "Process File" and a file is chosen.
    bool Execute();

signals:
    // The help button: the help topic to show.
    void HelpTopic(int topic);

private:
    QWidget* PlotFilePage();
    QWidget* OptionsPage();
    // A refresh whose failure is shown instead of passed on (Qt slots must not throw).
    void RefreshShown();

    TPassageOptions m_Scratch; // what the estimate applies the options to
    QTabWidget* m_Tabs;
    QLabel *m_FileDis, *m_MeshSizeDis, *m_MemSizeDis, *m_ShotDis, *m_PolyDis;
    QLabel *m_MessDis1, *m_MessDis2;
    QButtonGroup *m_PassShapeRadio, *m_CornerRadio;
    QDoubleSpinBox *m_CornerAngleSpin, *m_SubSpin, *m_VerticalAngleSpin;
    QCheckBox *m_SealChk, *m_SubChk, *m_ExpandChk, *m_VerticalChk;
};

} // namespace lumora::passage
