#include "viewer/gui/lvviewtools.h"

#include "passage/CrossSection.h"
#include "survey/PlotArray.h"
#include "viewer/Measure.h"
#include "viewer/gui/lvfind.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace lumora::viewer {

namespace {

QMenu* MenuCaptioned(QMenuBar& bar, const QString& caption) {
    for (QAction* a : bar.actions())
        if (a->menu() && a->text() == caption)
            return a->menu();
    return bar.addMenu(caption);
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Pick radius around the pointer, device-independent pixels.
constexpr double kPickRadius = 6;

} // namespace

TViewTools::TViewTools(TViewerCore& core, QWidget* window)
    : QObject(window), m_Core(core), m_Window(window) {
    m_Clock.start();
    m_State.Stations = &m_Stations;
}

QAction* TViewTools::Add(QMenu& menu, const char* caption, const char* name,
                         const QKeySequence& key, std::map<QString, QAction*>& actions) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    actions[name] = action;
    m_Actions[name] = action;
    return action;
}

void TViewTools::AddMenus(QMenuBar& bar, std::map<QString, QAction*>& actions) {
    QMenu& view = *MenuCaptioned(bar, "&View");
    view.addSeparator();
    const std::pair<const char*, const char*> presets[] = {
        {"Plan", "PlanMnu"},
        {"Profile Facing North", "ProfileNorthMnu"},
        {"Profile Facing East", "ProfileEastMnu"},
        {"Profile Facing South", "ProfileSouthMnu"},
        {"Profile Facing West", "ProfileWestMnu"}};
    const char* keys[] = {"P", "N", "E", "S", "W"};
    for (int i = 0; i < 5; ++i) {
        QAction* a = Add(view, presets[i].first, presets[i].second, QKeySequence(keys[i]), actions);
        connect(a, &QAction::triggered, this, [this, i] { ShowPreset(TViewPreset(i)); });
    }
    QAction* fit = Add(view, "Fit Model", "FitModelMnu", QKeySequence(Qt::Key_Home), actions);
    fit->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence("F")});
    connect(fit, &QAction::triggered, this, &TViewTools::FitModel);
    view.addSeparator();
    const std::tuple<const char*, const char*, const char*> overlays[] = {
        {"Compass", "CompassMnu", "C"},
        {"Scale Bar", "ScaleBarMnu", "B"},
        {"Depth Legend", "DepthLegendMnu", "D"},
        {"Station Names", "StationNamesMnu", "L"}};
    for (const auto& [caption, name, key] : overlays) {
        QAction* a = Add(view, caption, name, QKeySequence(key), actions);
        a->setCheckable(true);
        connect(a, &QAction::toggled, this,
                [this, n = QString(name)](bool on) { ToggleOverlay(n, on); });
    }
    view.addSeparator();
    auto* units = new QActionGroup(this);
    QAction* feet = Add(view, "Feet", "FeetMnu", QKeySequence("Shift+F"), actions);
    QAction* meters = Add(view, "Meters", "MetersMnu", QKeySequence("Shift+M"), actions);
    for (QAction* a : {feet, meters}) {
        a->setCheckable(true);
        units->addAction(a);
        connect(a, &QAction::triggered, this, [this, meters, a] {
            m_State.Settings.Units = a == meters ? TLengthUnit::Meters : TLengthUnit::Feet;
            ShowMeasurement();
            if (SettingsChanged)
                SettingsChanged();
            if (Changed)
                Changed();
        });
    }
    QMenu& edit = *MenuCaptioned(bar, "&Edit");
    edit.addSeparator();
    QAction* find = Add(edit, "Find Station...", "FindMnu", QKeySequence::Find, actions);
    connect(find, &QAction::triggered, this, &TViewTools::ShowFind);
    QAction* clear =
        Add(edit, "Clear Measurement", "ClearMeasureMnu", QKeySequence(Qt::Key_Escape), actions);
    connect(clear, &QAction::triggered, this, &TViewTools::ClearMeasurement);
    SyncMenus();
}

void TViewTools::SyncMenus() {
    const TOverlaySettings& s = m_State.Settings;
    const std::pair<const char*, bool> marks[] = {{"CompassMnu", s.Compass},
                                                  {"ScaleBarMnu", s.ScaleBar},
                                                  {"DepthLegendMnu", s.DepthLegend},
                                                  {"StationNamesMnu", s.StationNames},
                                                  {"FeetMnu", s.Units == TLengthUnit::Feet},
                                                  {"MetersMnu", s.Units == TLengthUnit::Meters}};
    for (const auto& [name, on] : marks)
        if (QAction* a = m_Actions[name]) {
            const QSignalBlocker quiet(a);
            a->setChecked(on);
        }
}

void TViewTools::AddStatusField(QStatusBar& status) {
    m_MeasureDis = new QLabel;
    m_MeasureDis->setObjectName("MeasureDis");
    status.addPermanentWidget(m_MeasureDis);
}

void TViewTools::ToggleOverlay(const QString& name, bool on) {
    TOverlaySettings& s = m_State.Settings;
    if (name == "CompassMnu")
        s.Compass = on;
    else if (name == "ScaleBarMnu")
        s.ScaleBar = on;
    else if (name == "DepthLegendMnu")
        s.DepthLegend = on;
    else if (name == "StationNamesMnu")
        s.StationNames = on;
    if (SettingsChanged)
        SettingsChanged();
    if (Changed)
        Changed();
}

void TViewTools::CaveBuilt(bool plotLoaded) {
    ModelCleared();
    if (plotLoaded)
        m_Stations.Build(survey::PlotData(),
                         passage::MakeStationAdjust(survey::PlotData(), passage::PassageOptions()));
    if (m_Find)
        m_Find->SetStations(&m_Stations);
}

void TViewTools::ModelCleared() {
    m_Stations.Clear();
    m_Overlay.ForgetStations();
    m_State.Marked.reset();
    m_State.Legend.reset();
    m_Animation.Active = false;
    ClearMeasurement();
    if (m_Find)
        m_Find->SetStations(&m_Stations);
}

void TViewTools::SetDepthLegend(std::optional<TDepthLegend> legend) {
    m_State.Legend = std::move(legend);
    if (Changed)
        Changed();
}

void TViewTools::AnimateTo(const TModelPose& to) {
    TViewerScene& s = m_Core.Scene;
    if (!s.RenderEnabled || !s.CenterFrame)
        return;
    StopRotations(s);
    StartAnimation(m_Animation, *s.CenterFrame, to, Now());
    if (Changed)
        Changed();
}

void TViewTools::ShowPreset(TViewPreset preset) {
    TViewerScene& s = m_Core.Scene;
    if (s.RenderEnabled && s.CenterFrame)
        AnimateTo(PresetPose(s, TargetPose(m_Animation, *s.CenterFrame), preset));
}

void TViewTools::FitModel() {
    TViewerScene& s = m_Core.Scene;
    if (!s.RenderEnabled || !s.CenterFrame)
        return;
    const TModelPose from = TargetPose(m_Animation, *s.CenterFrame);
    const TModelPose to = FitPose(s, from);
    if (from.Scale > 0)
        m_Core.Navigation.ZoomScale *= to.Scale / from.Scale; // a zoom, as the dolly sees it
    AnimateTo(to);
}

void TViewTools::CentreOn(std::uint32_t station) {
    TViewerScene& s = m_Core.Scene;
    if (station >= m_Stations.Count() || !s.RenderEnabled)
        return;
    m_State.Marked = station;
    AnimateTo(CentrePose(s, TargetPose(m_Animation, *s.CenterFrame), m_Stations.At(station).Model));
}

void TViewTools::Step() {
    if (m_Animation.Active && m_Core.Scene.CenterFrame)
        StepAnimation(m_Animation, *m_Core.Scene.CenterFrame, Now());
}

bool TViewTools::Key(int key, Qt::KeyboardModifiers modifiers) {
    const bool shift = modifiers & Qt::ShiftModifier;
    if (modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false; // Ctrl and Alt keys belong to the menus
    QString button;
    switch (key) {
    case Qt::Key_Left:
        button = shift ? "PanLeftBtn" : "YawLeftBtn";
        break;
    case Qt::Key_Right:
        button = shift ? "PanRightBtn" : "YawRightBtn";
        break;
    case Qt::Key_Up:
        button = shift ? "PanUpBtn" : "PitchUpBtn";
        break;
    case Qt::Key_Down:
        button = shift ? "PanDownBtn" : "PitchDownBtn";
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        button = "ZoomInBtn";
        break;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        button = "ZoomOutBtn";
        break;
    case Qt::Key_Space:
        button = "StopBtn";
        break;
    case Qt::Key_Home:
        FitModel();
        return true;
    default:
        return false;
    }
    if (ToolbarClick)
        ToolbarClick(button);
    return true;
}

void TViewTools::Wheel(int delta) {
    for (int notch = 0; notch < std::abs(delta) / 120; ++notch)
        if (ToolbarClick)
            ToolbarClick(delta > 0 ? "ZoomInBtn" : "ZoomOutBtn");
}

void TViewTools::Click(int x, int y, double ratio) {
    if (m_Stations.Empty() || !m_Core.Scene.RenderEnabled)
        return;
    const TViewProjection view(m_Core.Scene);
    const auto picked = PickStation(m_Stations, view, float(x * ratio), float(y * ratio),
                                    float(kPickRadius * ratio));
    if (!picked)
        return;
    if (!m_State.MeasureFrom || m_State.MeasureTo) {
        m_State.MeasureFrom = *picked;
        m_State.MeasureTo.reset();
    } else {
        m_State.MeasureTo = *picked;
    }
    ShowMeasurement();
    if (Changed)
        Changed();
}

void TViewTools::ClearMeasurement() {
    const bool any = m_State.MeasureFrom || m_State.Marked;
    m_State.MeasureFrom.reset();
    m_State.MeasureTo.reset();
    m_State.Marked.reset();
    ShowMeasurement();
    if (any && Changed)
        Changed();
}

QString TViewTools::MeasurementText() const {
    const auto& from = m_State.MeasureFrom;
    if (!from || *from >= m_Stations.Count())
        return {};
    const TStationEntry& a = m_Stations.At(*from);
    if (!m_State.MeasureTo)
        return "From " + Text(m_Stations.Name(*from)) + " (" +
               Text(m_Stations.SurveyName(a.Survey)) + "): click a second station";
    const std::uint32_t to = *m_State.MeasureTo;
    return QString::fromStdString(viewer::MeasurementText(
        m_Stations.Name(*from), m_Stations.Name(to),
        Measure(a.Position, m_Stations.At(to).Position), m_State.Settings.Units));
}

void TViewTools::ShowMeasurement() {
    if (m_MeasureDis)
        m_MeasureDis->setText(MeasurementText());
}

QImage TViewTools::OverlayPicture(double ratio) {
    return m_Overlay.Paint(m_Core.Scene, m_State, ratio);
}

void TViewTools::ShowFind() {
    if (!m_Find) {
        m_Find = new TFindDlg(m_Window);
        m_Find->SetStations(&m_Stations);
        connect(m_Find, &TFindDlg::StationChosen, this, &TViewTools::CentreOn);
    }
    m_Find->show();
    m_Find->raise();
    m_Find->activateWindow();
}

} // namespace lumora::viewer
