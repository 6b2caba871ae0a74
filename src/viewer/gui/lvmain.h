// lvmain — the main window `TForm1` ("Lumora Viewer"): it wires the scene core, the toolbar,
// the hierarchy panel, the view, the status bar, the menus and the dialogs together, and draws
// frames while something changes; a still view is not drawn again.
#pragma once

#include "analysis/ViewCapture.h"
#include "viewer/ViewerCore.h"
#include "viewer/gui/QtUi.h"

#include <QMainWindow>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class QImage;
class QSplitter;

namespace lumora::passage {
class TCaveMeshDlg;
class TProgressDlg;
} // namespace lumora::passage

namespace lumora::ui {
class TReopenMenu;
} // namespace lumora::ui

namespace lumora::analysis {
class TCaptureDlg;
class TColorDlg;
class TRoseDlg;
} // namespace lumora::analysis

namespace lumora::platform {
class TSdlJoystick;
} // namespace lumora::platform

namespace lumora::viewer {

class TAboutDlg;
class TDeviceDlg;
class TEditFrameDlg;
class TEditLightDlg;
class TMaterialDlg;
class TRenderDlg;
class TSceneSetDlg;
class THelpWindow;
class TMeshFileCommands;
class TNavToolbar;
class TNormalDlg;
class TOutlinePanel;
class TTorusDlg;
class TTextureDlg;
class TTransDlg;
class TViewPanel;
class TViewTools;
class TViewerStatus;

// The warnings and errors of start-up, as the program shows them.
inline const char* const kVersionWarning =
    "PROGRAM REQUIRES DIRECTX VERSION 6 OR BETTER.\n\rProgram May Still Work, But Version 6 is "
    "Perferred\n\r\n\rPlease Download Latest Version at:\n\rhttps://docs.mesa3d.org/download.html";
// The window's caption before any model file.
inline const char* const kViewerTitle = "Lumora Viewer";
inline const char* const kInitFailure =
    "Could Not Initialize DirectX\r\nBesure That DirectX is Installed";

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Creates the scene, the OpenGL view (or the notice where there is no OpenGL), the dialogs
    // and loads the recent files.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TQtUi Ui;
    TViewerCore Core{Ui};
    bool D3DReady = false;
    bool FirstActivation = true;
    // "3D Rose Diagram" is offered: a plot file has been read.
    bool RoseAvailable = false;
    // The AVI capture: the armed file and the capture going on.
    analysis::TViewerCapture Capture;

    // One frame now (the render step and the status bar); true when drawn.
    bool RenderFrame();
    // The "Reconstructing Image" notice around one frame.
    void RenderWithNotice();
    // One frame with the window active, on screens of 8 bits per pixel or fewer only.
    void RedrawIfPalettized();
    void RefreshHierarchy();
    // The caption "NAME - Lumora Viewer" of a model file, which is also the application's title;
    // the window shows it once, whatever the caption was before.
    void SetViewerCaption(const std::string& path);
    // "&Process Cave File...": the settings dialog, then the build of the chosen file.
    void ShowProcessDialog();
    // Builds path as "Process File" does with the dialog's options. A file that cannot be read
    // is named with the reason in a warning box and changes neither the caption nor the recent
    // files. True when the first picture was drawn.
    bool ProcessFile(const std::string& path);
    // One frame drawn now and its picture (empty while the view cannot draw).
    QImage Snapshot();
    // "Save Screen As Bitmap..." to file: the view's picture as a bitmap file, written whole or
    // not at all (an older file stays as it was on failure). A failure is shown as "FILE: reason";
    // true when written.
    bool SaveBitmap(const QString& file);
    // "&Arm AVI Capture.." with file chosen: the capture will write it; "Start/Stop Capture" is
    // enabled.
    void ArmCapture(const QString& file);
    // "Start/Stop Capture" pressed down: the armed file is opened for the view's frames (its
    // size cut down to multiples of 4). A file that cannot be made is named in a warning with the
    // reason and the button is released; true when the capture runs.
    bool StartCapture();
    // "Start/Stop Capture" released: the file is finished and the button disabled until the next
    // arming. A failure shows "File Access Error".
    void StopCapture();
    // The menu command of that object name ("ShowShotsMnu", ...), as a click would run it.
    void RunCommand(const QString& name);
    void ToolbarClick(const QString& name);
    // The hierarchy panel's width rules: toggle (1 or 185), and the cut back after a splitter move.
    void ToggleHierarchy();
    void SplitterMoved();
    int OutPanelWidth() const;

    QAction* Action(const QString& name) const;
    TViewPanel* View() const { return m_View; }
    TOutlinePanel* OutPanel() const { return m_OutPanel; }
    TViewerStatus* Status() const { return m_Status; }
    TNavToolbar* Toolbar() const { return m_Toolbar; }
    QSplitter* Splitter() const { return m_Splitter; }
    passage::TCaveMeshDlg* CaveMeshDlg() const { return m_CaveMeshDlg; }
    passage::TProgressDlg* ProgressDlg() const { return m_ProgressDlg; }
    ui::TReopenMenu* Reopen() const { return m_Reopen; }
    TTorusDlg* TorusDlg() const { return m_TorusDlg; }
    TTransDlg* TransDlg() const { return m_TransDlg; }
    TEditFrameDlg* EditFrameDlg() const { return m_EditFrameDlg; }
    THelpWindow* Help() const { return m_Help; }
    TMeshFileCommands* MeshCommands() const { return m_MeshCommands; }
    analysis::TRoseDlg* RoseDlg() const { return m_RoseDlg; }
    // Preset views, keys and wheel, overlays, find and measure.
    TViewTools* Tools() const { return m_Tools; }
    // Frames are wanted: a redraw was asked for, or something moves by itself (a spin, a view
    // change, a look-at turn, a joystick).
    bool NeedsFrames() const;
    // One frame soon: the picture has changed.
    void RequestRedraw();
    // The window's place, size and hierarchy width and the overlay settings into "lumora.ini";
    // a failure is shown as "FILE: reason". Also done when the window closes.
    void SaveSettings();
    TDeviceDlg* DeviceDlg() const { return m_DeviceDlg; }
    TRenderDlg* RenderDlg() const { return m_RenderDlg; }
    TSceneSetDlg* SceneSetDlg() const { return m_SceneSetDlg; }
    TEditLightDlg* EditLightDlg() const { return m_EditLightDlg; }
    TMaterialDlg* MaterialDlg() const { return m_MaterialDlg; }
    analysis::TCaptureDlg* CaptureDlg() const { return m_CaptureDlg; }
    // "&Special Effects...", and the hierarchy's "Set Texture" and "Set Normals".
    analysis::TColorDlg* ColorDlg() const { return m_ColorDlg; }
    TTextureDlg* TextureDlg() const { return m_TextureDlg; }
    TNormalDlg* NormalDlg() const { return m_NormalDlg; }
    // Shots or stations built and shown ("S&how Shots", "Show S&tations").
    void SetShotsChecked(bool on);
    void SetStationsChecked(bool on);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class TWindowCave;
    friend class TWindowCave;

    void BuildLayout();
    void CreateDialogs();
    bool InitScene();
    void InitDrivers(const render::ContextInfo* running);
    void ConnectSceneDialogs();
    void ConnectEffectDialogs();
    void ConnectCommands();
    void ToggleBuilt(const char* actionName, std::uint32_t kind, bool& checked, bool shots);
    void PageButton(const QString& name);
    void CopyToClipboard();
    void SaveScreenAsBitmap();
    void IdleStep();
    void InitJoystick();
    // After a drawn frame: the capture may grab it; the limit and failures end it.
    void OnFrameRendered();
    // The capture ended by itself: the button released and disabled, then text shown.
    void CaptureEnded(const char* text);
    void ArmCaptureDialog();
    // The check mark and state of "Enable &Joystick" follow the core's (a failed read ends it).
    void SyncJoystickItem();
    void ShowError(const std::string& text);
    void ShowCaption(const QString& caption);
    void SyncBoundingBoxMark();
    void MeshFileOpened(const QString& path);
    TScreenMetrics ScreenMetrics() const;
    void ConnectViewTools();
    void RestoreSettings();

    std::map<QString, QAction*> m_Actions;
    TNavToolbar* m_Toolbar = nullptr;
    TOutlinePanel* m_OutPanel = nullptr;
    TViewPanel* m_View = nullptr;
    TViewerStatus* m_Status = nullptr;
    QSplitter* m_Splitter = nullptr;
    passage::TCaveMeshDlg* m_CaveMeshDlg = nullptr;
    passage::TProgressDlg* m_ProgressDlg = nullptr;
    ui::TReopenMenu* m_Reopen = nullptr;
    TTorusDlg* m_TorusDlg = nullptr;
    TTransDlg* m_TransDlg = nullptr;
    TEditFrameDlg* m_EditFrameDlg = nullptr;
    TAboutDlg* m_AboutDlg = nullptr;
    THelpWindow* m_Help = nullptr;
    TMeshFileCommands* m_MeshCommands = nullptr;
    analysis::TRoseDlg* m_RoseDlg = nullptr;
    TViewTools* m_Tools = nullptr;
    TDeviceDlg* m_DeviceDlg = nullptr;
    TRenderDlg* m_RenderDlg = nullptr;
    TSceneSetDlg* m_SceneSetDlg = nullptr;
    TEditLightDlg* m_EditLightDlg = nullptr;
    TMaterialDlg* m_MaterialDlg = nullptr;
    analysis::TCaptureDlg* m_CaptureDlg = nullptr;
    analysis::TColorDlg* m_ColorDlg = nullptr;
    TTextureDlg* m_TextureDlg = nullptr;
    TNormalDlg* m_NormalDlg = nullptr;
    std::unique_ptr<platform::TSdlJoystick> m_Joystick;
    QTimer m_Idle;
    bool m_RedrawPending = false;
    bool m_ShotsChecked = false, m_StationsChecked = false;
    bool m_Building = false;
};

} // namespace lumora::viewer
