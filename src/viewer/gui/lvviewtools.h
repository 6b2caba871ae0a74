// lvviewtools — the viewer's tools beside its specified commands: preset views ("Plan",
// "Profile Facing North" ... "Fit Model") animated over 0.3 s, the keys and the wheel over the
// view, the overlays (compass, scale bar, depth legend, station names) and their units, "Find
// Station..." and measuring between two clicked stations. The main window only wires it in.
#pragma once

#include "viewer/ViewPresets.h"
#include "viewer/ViewerCore.h"
#include "viewer/gui/ViewOverlay.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class QAction;
class QKeySequence;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QWidget;

namespace lumora::viewer {

class TFindDlg;

class TViewTools : public QObject {
    Q_OBJECT
public:
    TViewTools(TViewerCore& core, QWidget* window);

    // Adds the View menu's items and Edit's "Find Station..." to the menus of bar, with their
    // shortcuts; the actions go into actions by object name.
    void AddMenus(QMenuBar& bar, std::map<QString, QAction*>& actions);
    // The measurement's read-out joins the status bar.
    void AddStatusField(QStatusBar& status);

    // The stations of the survey just built (none when no plot file was read).
    void CaveBuilt(bool plotLoaded);
    // The model was replaced by something without stations.
    void ModelCleared();
    // The depth colouring's bands while the cave is coloured by depth; nullopt otherwise.
    void SetDepthLegend(std::optional<TDepthLegend> legend);

    // The view commands; each stops any spin.
    void ShowPreset(TViewPreset preset);
    void FitModel();
    // The view moves so that the station lies at its centre, marked.
    void CentreOn(std::uint32_t station);
    // Moves the model along a running view change; called before each frame is drawn.
    void Step();
    bool Animating() const { return m_Animation.Active; }

    // A key over the view; true when used. The navigation keys run the toolbar's buttons.
    bool Key(int key, Qt::KeyboardModifiers modifiers);
    // The wheel turned by delta (120 a notch): one zoom step of the toolbar per notch.
    void Wheel(int delta);
    // A click at (x, y) device-independent pixels of the view with ratio device pixels to each:
    // the nearest station within a few pixels is the first or second end of a measurement.
    void Click(int x, int y, double ratio);
    void ClearMeasurement();
    // "A1 to B7: Slope ..." after two stations, "From A1 ..." after one, else empty.
    QString MeasurementText() const;

    // The overlays of the view as it stands, for the screen's pixel ratio.
    QImage OverlayPicture(double ratio);
    TOverlayState& State() { return m_State; }
    TOverlaySettings& Settings() { return m_State.Settings; }
    // The menu's check marks follow the settings (after they were loaded).
    void SyncMenus();
    const TStationTable& Stations() const { return m_Stations; }
    TViewOverlay& Overlay() { return m_Overlay; }
    TFindDlg* FindDlg() const { return m_Find; }
    void ShowFind();

    // Runs a toolbar button by its object name, as a click would.
    std::function<void(const QString&)> ToolbarClick;
    // Something changed that the next frame shows.
    std::function<void()> Changed;
    // The settings changed (units or an overlay toggled).
    std::function<void()> SettingsChanged;

private:
    double Now() const { return m_Clock.elapsed() / 1000.0; }
    void AnimateTo(const TModelPose& to);
    void ToggleOverlay(const QString& name, bool on);
    void ShowMeasurement();
    QAction* Add(QMenu& menu, const char* caption, const char* name, const QKeySequence& key,
                 std::map<QString, QAction*>& actions);

    TViewerCore& m_Core;
    QWidget* m_Window;
    TStationTable m_Stations;
    TOverlayState m_State;
    TViewOverlay m_Overlay;
    TViewAnimation m_Animation;
    QElapsedTimer m_Clock;
    TFindDlg* m_Find = nullptr;
    QLabel* m_MeasureDis = nullptr;
    std::map<QString, QAction*> m_Actions;
};

} // namespace lumora::viewer
