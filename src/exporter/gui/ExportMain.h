// ExportMain — the exporter window `TExporterForm` ("Quiltra 3D Exporter"): the survey tree with
// the plot file's fields and the conversion status, the five tabs of options over one
// TExportOptions, the menus, opening plot files and the four exports, each run by its engine.
#pragma once

#include "exporter/ExpGlobal.h"
#include "exporter/ExportOptions.h"
#include "exporter/ShapeExport.h"
#include "exporter/gui/ExpPages.h"
#include "platform/UiServices.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QColorDialog;
class QFileDialog;
class QLabel;
class QMenuBar;
class QProgressBar;
class QSplitter;
class QTreeView;

namespace lumora::ui {
class TReopenMenu;
} // namespace lumora::ui

namespace lumora::exporter {

class TExporterAbout;
class TExporterHelp;
class TExporterUi;
class TSurveyTreeModel;

inline const char* const kExporterCaption = "Quiltra 3D Exporter";
inline const char* const kNoPlotFileText = "No Plot File Load.";
// The exporter's recent files: the suite viewer's settings file, in the exporter's own section.
inline const char* const kRecentFilesIni = "Sindar32.ini";
inline const char* const kRecentFilesSection = "ExporterHistory";
inline const char* const kFailedText = "Conversion Failed";

class TExporterForm : public QDialog {
    Q_OBJECT
public:
    // Creates the window in the order FormCreate states (the controls at their defaults, the
    // recent files loaded, the datum list filled, the settings restored). Warnings and questions
    // go to ui, or to the window's own message boxes when ui is null.
    explicit TExporterForm(QWidget* parent = nullptr, UiServices* ui = nullptr);
    // FormDestroy: saves the recent-files list.
    ~TExporterForm() override;

    // The file opened at the first activation when it names an existing file: by default the
    // program's first argument.
    std::string CommandLineFile;
    bool FirstActivation = true;
    // The two bounding-polygon data types are offered: cleared at creation and never set, so
    // they stay hidden; their polygon list is never filled.
    bool BoundingPolygons = false;
    TPolygonBounds BoundingList;

    // Reads path into the process's survey model and shows it: tree, " Plot File: ",
    // " Surveys/Shots: ", caption, recent files and the plot file's datum. A reader's error is
    // shown; a file read only in part is shown with what was read and the line reading stopped
    // at ("FILE: read only to line N") until another file is opened. True when the file is shown
    // (in full or in part); false when nothing could be read.
    bool OpenPlotFile(const std::string& path);
    // "&Open...": the open dialog, then the chosen file.
    void OpenMnuClick();
    // "&Save Settings" / "&Restore Settings" ("ZazoRerora.ini"); failures are shown.
    void SaveSettingsMnuClick();
    void RestoreSettingsMnuClick();

    // The controls' values, as every export reads them when it starts.
    TExportOptions Options() const;
    // Sets every control as if the user had made the choice, their reactions included.
    void SetOptions(const TExportOptions& options);

    // The export buttons. Each first checks that a plot file is loaded ("No Plot File Load."),
    // asks before exporting a file read only in part, then runs its dialog and its engine with
    // the engine's progress in "Conversion Status". An engine's failure is shown and the status
    // says "Conversion Failed".
    void ExportShapeBtnClick();
    void ExportVRMLBtnClick();
    void ExportDXFBtnClick();
    void ExportKMLBtnClick();

    // Reactions of the controls.
    void UpdateDataTypeChoices(); // "Shape File Type" (ShapeTypeRadioClick)
    void UnitRadioClick();        // relabels the DXF sizes "Ft." or "M."
    void LayerSurveysChkClick();  // the two "Associate ... With Surveys" only with separate layers
    void DoPassageChkClick();     // "Vertex Colors" only with passages coloured by depth
    void PassColorBtnClick();
    void LineColorBtnClick();
    void BackColorBtnClick();
    void KMLFillColorBtnClick();
    void KMLLineColorBtnClick();
    void SurveyBtnClick();
    void LabelBtnClick();
    void DepthColorBtnClick();
    void WallsBtnClick();
    void BrowseTextureBtnClick();

    // The full path of the plot file shown (empty when none), and the line at which its reading
    // stopped when it was read only in part.
    const std::string& PlotFileName() const { return m_PlotFileName; }
    std::optional<std::int64_t> ReadToLine() const { return m_ReadToLine; }
    // A file is being read or an export runs.
    bool Busy() const { return m_Busy; }

    TExportPages& Pages() { return m_Pages; }
    QTreeView* Tree() const { return m_Tree; }
    TSurveyTreeModel* TreeModel() const { return m_TreeModel; }
    ui::TReopenMenu* Reopen() const { return m_Reopen; }
    QAction* Action(const QString& name) const;
    QFileDialog* SaveDialog() const { return m_SaveDialog; }
    QFileDialog* OpenDialog() const { return m_OpenDialog; }
    QColorDialog* ColorDialog() const { return m_ColorDialog; }
    TExporterHelp* Help() const { return m_Help; }
    TExporterAbout* About() const { return m_About; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    QWidget* LeftPane();
    QMenuBar* BuildMenus();
    void ConnectControls();
    // Runs work with the window's commands disabled (the engines and the reader let events run);
    // false when another command is running.
    bool RunBusy(const std::function<void()>& work);
    // The checks every export starts with.
    bool ReadyToExport();
    // Shows what an engine reports, runs it, shows its failure; true when it returned normally.
    bool RunExport(const std::string& fileShown, const std::function<void(const TExportIo&)>& run);
    std::optional<std::string> AskSaveName(const char* title, const char* filter,
                                           const char* extension, const char* defaultExtension);
    void ShowStatus(const std::string& text);
    void ShowGauge(int percent);
    void PickColor(TColorPanel* panel);
    void PickLayerColor(int layer);
    void ShowPlotFile(const std::string& path, bool shown);

    std::unique_ptr<TExporterUi> m_OwnUi;
    UiServices* m_Ui;
    TExportPages m_Pages;
    std::map<QString, QAction*> m_Actions;
    QMenuBar* m_MenuBar = nullptr;
    QSplitter* m_Splitter = nullptr;
    QTreeView* m_Tree = nullptr;
    TSurveyTreeModel* m_TreeModel = nullptr;
    QLabel* m_FilenameDis = nullptr;
    QLabel* m_SurveyDis = nullptr;
    QLabel* m_ShotDis = nullptr;
    QLabel* m_ReadStateDis = nullptr;
    QLabel* m_ArcFileDis = nullptr;
    QLabel* m_StatusDis = nullptr;
    QProgressBar* m_ProgressGauge = nullptr;
    ui::TReopenMenu* m_Reopen = nullptr;
    QFileDialog* m_SaveDialog = nullptr;
    QFileDialog* m_OpenDialog = nullptr;
    QColorDialog* m_ColorDialog = nullptr;
    TExporterHelp* m_Help = nullptr;
    TExporterAbout* m_About = nullptr;
    std::string m_PlotFileName;
    std::optional<std::int64_t> m_ReadToLine;
    bool m_Busy = false;
};

} // namespace lumora::exporter
