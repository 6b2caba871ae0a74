#include "viewer/gui/lvmain.h"

#include "analysis/gui/LVRose.h"
#include "analysis/gui/lvcapture.h"
#include "analysis/gui/lveffectsdlg.h"
#include "exporter/gui/ShowExporter.h"

#include "passage/gui/lvcavmsh.h"
#include "passage/gui/lvprogrs.h"
#include "platform/gui/SdlJoystick.h"
#include "survey/PlotArray.h"
#include "ui/gui/Reopen.h"
#include "viewer/RedrawPolicy.h"
#include "viewer/ViewSettings.h"
#include "viewer/ViewerCave.h"
#include "viewer/gui/PictureFile.h"
#include "viewer/gui/lvabout.h"
#include "viewer/gui/lvcmds.h"
#include "viewer/gui/lvdevdlg.h"
#include "viewer/gui/lvedfram.h"
#include "viewer/gui/lvhelp.h"
#include "viewer/gui/lvmeshcmd.h"
#include "viewer/gui/lvnormdlg.h"
#include "viewer/gui/lvoutpnl.h"
#include "viewer/gui/lvssetdlg.h"
#include "viewer/gui/lvstatus.h"
#include "viewer/gui/lvtoolbar.h"
#include "viewer/gui/lvtordlg.h"
#include "viewer/gui/lvtrans.h"
#include "viewer/gui/lvtxtdlg.h"
#include "viewer/gui/lvview.h"
#include "viewer/gui/lvviewtools.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

namespace lumora::viewer {

namespace {

// Busy wait on the millisecond clock, as the redraw helpers wait.
void WaitMilliseconds(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QThread::yieldCurrentThread();
}

// Bits per pixel of the screen the window is on (32 when there is none).
int ScreenDepth(const QWidget& w) {
    const QScreen* screen = w.screen();
    return screen ? screen->depth() : 32;
}

// "Reconstructing Image" on navy, no caption, centred on the screen.
class TRendProgDlg : public QWidget {
public:
    TRendProgDlg() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
        setObjectName("RendProgDlg");
        setStyleSheet("background: navy");
        auto* text = new QLabel("Reconstructing Image");
        text->setStyleSheet("color: red; font-weight: bold");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
    }
};

} // namespace

// The cave builder's view of the window: caption, recent files, the dialog's options, the
// hierarchy, the first picture and the check marks after a build.
class TForm1::TWindowCave : public TViewerCave {
public:
    explicit TWindowCave(TForm1& w) : TViewerCave(w.Core.Scene, w.Core.Navigation, w.Ui), m_W(w) {}
    void SetViewerCaption(const std::string& path) override { m_W.SetViewerCaption(path); }
    // The full path, so that the entry still opens from another working folder.
    void AddRecentFile(const std::string& path) override {
        m_W.m_Reopen->AddFile(
            QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
        m_W.m_Reopen->Save();
    }
    void ClearModel() override {
        TViewerCave::ClearModel();
        m_W.SyncBoundingBoxMark();
        m_W.m_Tools->ModelCleared();
    }
    void ApplyMeshOptions(passage::TPassageOptions& options) override {
        m_W.m_CaveMeshDlg->ApplyMeshOptions(options);
    }
    void RefreshHierarchy() override { m_W.RefreshHierarchy(); }
    void RenderWithNotice() override { m_W.RenderWithNotice(); }
    void BuildFinished(bool plotLoaded) override {
        m_W.SetShotsChecked(false);
        m_W.SetStationsChecked(false);
        m_W.RoseAvailable = plotLoaded;
        m_W.Action("RoseMnu")->setEnabled(plotLoaded);
        m_W.m_Tools->CaveBuilt(plotLoaded);
        m_W.RequestRedraw();
    }

private:
    TForm1& m_W;
};

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    ShowCaption(kViewerTitle);
    Ui.SetOwner(this);
    Core.Scene.BackgroundColor = 0x404040;
    BuildLayout();
    QWidget splash(nullptr, Qt::SplashScreen);
    auto* splashLayout = new QVBoxLayout(&splash);
    splashLayout->addWidget(new QLabel("Lumora Viewer"));
    splashLayout->addWidget(new QLabel("Initializing DirectX  Drivers"));
    splash.show();
    splash.repaint();
    connect(&m_Idle, &QTimer::timeout, this, &TForm1::IdleStep);
    m_Idle.start(0);
    try {
        D3DReady = InitScene();
    } catch (const std::exception& e) {
        D3DReady = false;
        ShowError(e.what());
    }
    splash.close();
    InitJoystick();
    CreateDialogs();
    ConnectCommands();
    ConnectViewTools();
    m_Reopen->Load();
    RestoreSettings();
    QApplication::instance()->installEventFilter(this); // any input may change the picture
}

TForm1::~TForm1() {
    if (QApplication::instance())
        QApplication::instance()->removeEventFilter(this);
    m_Idle.stop();
    try {
        Capture.StopCapture(); // a capture going on keeps what it recorded
    } catch (const std::exception&) {
        // the window is gone: no one to tell
    }
    Core.JoystickDevice = nullptr;
    delete m_View; // the GL view releases its renderer while the scene still exists
    m_View = nullptr;
}

void TForm1::InitJoystick() {
    m_Joystick = platform::TSdlJoystick::InitJoystick(Ui);
    Core.JoystickDevice = m_Joystick.get();
    Core.JoystickAvailable = m_Joystick != nullptr;
    Core.JoystickChecked = Core.JoystickAvailable;
    Action("JoystickMnu")->setEnabled(Core.JoystickAvailable);
    Action("JoystickMnu")->setChecked(Core.JoystickAvailable);
}

void TForm1::SyncJoystickItem() {
    QAction* item = Action("JoystickMnu");
    if (!Core.JoystickAvailable && item->isEnabled()) {
        item->setChecked(false);
        item->setEnabled(false);
    }
}

void TForm1::BuildLayout() {
    resize(599, 406); // RestoreSettings gives the window its size for this screen
    QMenu* reopenMenu = nullptr;
    m_Actions = BuildMenus(*menuBar(), reopenMenu);
    m_Reopen = new ui::TReopenMenu(this);
    m_Reopen->INIFile = "lumora.ini";
    m_Reopen->INISection = "history";
    m_Reopen->FollowFile = true; // another running viewer may add files too
    m_Reopen->SetMenuItem(reopenMenu);
    m_Toolbar = new TNavToolbar;
    m_OutPanel = new TOutlinePanel(Core.Hierarchy);
    m_OutPanel->setMinimumWidth(1);
    m_View = new TViewPanel;
    m_Splitter = new QSplitter(Qt::Horizontal);
    m_Splitter->setObjectName("Splitter1");
    m_Splitter->setHandleWidth(8);
    m_Splitter->setChildrenCollapsible(false);
    m_Splitter->addWidget(m_OutPanel);
    m_Splitter->addWidget(m_View);
    m_Splitter->setStretchFactor(1, 1);
    m_Splitter->setSizes({kOutPanelWidth, 599 - kOutPanelWidth - 8});
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Toolbar);
    layout->addWidget(m_Splitter, 1);
    setCentralWidget(central);
    m_Status = new TViewerStatus;
    setStatusBar(m_Status);
}

bool TForm1::InitScene() {
    std::string reason;
    render::ContextInfo running;
    const bool gl = OpenGlAvailable(reason, &running);
    InitDrivers(gl ? &running : nullptr);
    const QSize size = m_View->size().expandedTo(QSize(64, 64));
    scene::DevicePtr probe; // the table's driver, or Default, can draw
    if (!CheckResult(Ui, CreateDeviceFromTable(Core.Drivers, Core.DriverContext, Core.Scene.RMRoot,
                                               size.width(), size.height(), probe)) ||
        !CheckResult(Ui, viewer::InitScene(Core.Scene, size.width(), size.height())))
        return false;
    ApplyDepthSettings(Core.Scene, ScreenDepth(*this));
    if (gl) {
        m_View->ShowGlView(Core.Scene);
        // Multisampling costs most of a software rasteriser's frame rate.
        m_View->SetAntiAlias(render::DescribeContext(running).Entry.Hardware);
    } else {
        m_View->ShowNotice(QString::fromStdString("No OpenGL view: " + reason +
                                                  ".\nThe scene is kept and every command works; "
                                                  "run on a display with OpenGL 3.3 to see it."));
        if (reason.find("too old") != std::string::npos)
            Ui.Warning(kVersionWarning);
    }
    Core.RenderFrame = [this] { return RenderFrame(); };
    RefreshHierarchy();
    return true;
}

void TForm1::InitDrivers(const render::ContextInfo* running) {
    std::vector<render::TFoundDriver> found;
    if (running) {
        found = FindDrivers(*running);
        Core.DriverContext.Running = found.front().Entry.Identifier;
    }
    render::ScanDrivers(Core.Drivers, found, ScreenDepth(*this));
}

void TForm1::CreateDialogs() {
    m_TorusDlg = new TTorusDlg(Core, this);
    m_TransDlg = new TTransDlg(Core.Scene, this);
    m_EditFrameDlg = new TEditFrameDlg(Core, this);
    m_CaveMeshDlg = new passage::TCaveMeshDlg(this);
    m_ProgressDlg = new passage::TProgressDlg(survey::PlotData(), passage::PassageRunState(), this);
    m_AboutDlg = new TAboutDlg(this);
    m_Help = new THelpWindow(this);
    m_MeshCommands = new TMeshFileCommands(Core, this);
    auto help = [this](int topic) { m_Help->ShowTopic(topic); };
    connect(m_MeshCommands, &TMeshFileCommands::HelpTopic, this, help);
    connect(m_MeshCommands, &TMeshFileCommands::ModelOpened, this, &TForm1::MeshFileOpened);
    connect(m_MeshCommands, &TMeshFileCommands::Redraw, this, [this] { RenderFrame(); });
    connect(m_TorusDlg, &TTorusDlg::HelpTopic, this, help);
    connect(m_EditFrameDlg, &TEditFrameDlg::HelpTopic, this, help);
    connect(m_CaveMeshDlg, &passage::TCaveMeshDlg::HelpTopic, this, help);
    connect(m_TorusDlg, &TTorusDlg::ModelChanged, this, [this] {
        m_Tools->ModelCleared();
        RefreshHierarchy();
        SyncBoundingBoxMark();
        RequestRedraw();
    });
    ConnectSceneDialogs();
    ConnectEffectDialogs();
    m_CaptureDlg = new analysis::TCaptureDlg(this);
    connect(m_CaptureDlg, &analysis::TCaptureDlg::HelpTopic, this, help);
    m_RoseDlg = new analysis::TRoseDlg(Core, survey::PlotData(), this);
    connect(m_RoseDlg, &analysis::TRoseDlg::ModelChanged, this, [this] {
        m_Tools->ModelCleared();
        RefreshHierarchy();
        SyncBoundingBoxMark();
        RequestRedraw();
    });
}

void TForm1::ConnectSceneDialogs() {
    m_DeviceDlg = new TDeviceDlg(Core, this);
    m_RenderDlg = new TRenderDlg(Core, this);
    m_SceneSetDlg = new TSceneSetDlg(Core, this);
    m_EditLightDlg = new TEditLightDlg(this);
    m_MaterialDlg = new TMaterialDlg(Core, this);
    auto help = [this](int topic) { m_Help->ShowTopic(topic); };
    auto notice = [this] { RenderWithNotice(); };
    auto redraw = [this] { RedrawIfPalettized(); };
    connect(m_DeviceDlg, &TDeviceDlg::HelpTopic, this, help);
    connect(m_DeviceDlg, &TDeviceDlg::RenderWithNotice, this, notice);
    connect(m_RenderDlg, &TRenderDlg::HelpTopic, this, help);
    connect(m_RenderDlg, &TRenderDlg::RenderWithNotice, this, notice);
    connect(m_SceneSetDlg, &TSceneSetDlg::HelpTopic, this, help);
    connect(m_SceneSetDlg, &TSceneSetDlg::SceneChanged, this, redraw);
    connect(m_EditLightDlg, &TEditLightDlg::HelpTopic, this, help);
    connect(m_EditLightDlg, &TEditLightDlg::SceneChanged, this, redraw);
    connect(m_MaterialDlg, &TMaterialDlg::HelpTopic, this, help);
    connect(m_MaterialDlg, &TMaterialDlg::RenderWithNotice, this, notice);
}

// The special effects, texture and normals dialogs.
void TForm1::ConnectEffectDialogs() {
    m_ColorDlg = new analysis::TColorDlg(Core, this);
    m_TextureDlg = new TTextureDlg(Core, this);
    m_NormalDlg = new TNormalDlg(this);
    auto help = [this](int topic) { m_Help->ShowTopic(topic); };
    auto redraw = [this] { RedrawIfPalettized(); };
    connect(m_ColorDlg, &analysis::TColorDlg::HelpTopic, this, help);
    connect(m_ColorDlg, &analysis::TColorDlg::RenderWithNotice, this,
            [this] { RenderWithNotice(); });
    connect(m_ColorDlg, &analysis::TColorDlg::SceneChanged, this, redraw);
    connect(m_ColorDlg, &analysis::TColorDlg::DepthColouring, this, [this](bool on) {
        // The legend's elevations in feet, as the stations give them.
        if (on)
            m_Tools->SetDepthLegend(analysis::BarLegend(m_ColorDlg->DepthBar()->Bar(),
                                                        m_Tools->Stations().FeetPerModelUnit(),
                                                        survey::PlotData().Center.Z));
        else
            m_Tools->SetDepthLegend(std::nullopt);
    });
    connect(m_TextureDlg, &TTextureDlg::HelpTopic, this, help);
    connect(m_TextureDlg, &TTextureDlg::SceneChanged, this, redraw);
    connect(m_NormalDlg, &TNormalDlg::HelpTopic, this, help);
    connect(m_NormalDlg, &TNormalDlg::SceneChanged, this, redraw);
}

void TForm1::ConnectCommands() {
    for (const auto& [name, action] : m_Actions)
        if (name != "ReopenMnu")
            connect(action, &QAction::triggered, this, [this, name = name] { RunCommand(name); });
    connect(m_Toolbar, &TNavToolbar::Clicked, this, &TForm1::ToolbarClick);
    connect(m_OutPanel, &TOutlinePanel::ButtonClicked, this, &TForm1::PageButton);
    connect(m_Splitter, &QSplitter::splitterMoved, this, &TForm1::SplitterMoved);
    // After the menu has finished with the chosen entry: the build renews the whole list.
    m_Reopen->OnMenuClick = [this](const std::string& path) {
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                const QFileInfo file(QString::fromStdString(path));
                QDir::setCurrent(file.absolutePath());
                m_CaveMeshDlg->CurrentPlotFile = path;
                ShowProcessDialog();
            },
            Qt::QueuedConnection);
    };
    Action("AntiAliasMnu")->setChecked(m_View->AntiAlias());
    m_View->OnNoAntiAlias = [this] {
        Action("AntiAliasMnu")->setChecked(false);
        Ui.Warning("This OpenGL driver cannot draw anti-aliased edges; the view is drawn "
                   "without.");
    };
    m_View->OnMouseButton = [this](int x, int y, const TMouseState& m) {
        MouseButton(Core.Scene, Core.Navigation, x, y, m);
    };
    m_View->OnMouseMove = [this](int x, int y, const TMouseState& m) {
        CheckResult(
            Ui, MouseMove(Core.Scene, Core.Navigation, x, y, m, ScreenMetrics(), Core.RenderFrame));
    };
}

QAction* TForm1::Action(const QString& name) const {
    const auto it = m_Actions.find(name);
    return it == m_Actions.end() ? nullptr : it->second;
}

TScreenMetrics TForm1::ScreenMetrics() const {
    TScreenMetrics m;
    if (const QScreen* screen = this->screen()) {
        m.ClientWidth = screen->availableGeometry().width();
        m.ClientHeight = screen->availableGeometry().height();
    }
    m.MenuHeight = menuBar()->sizeHint().height();
    return m;
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && FirstActivation) {
        FirstActivation = false;
        if (!D3DReady) {
            Ui.Warning(kInitFailure);
            close();
        }
    }
    return QMainWindow::event(e);
}

void TForm1::IdleStep() {
    // Frames follow one another unthrottled while something moves; a still picture stops the
    // loop until a change asks for a frame again.
    if (!NeedsFrames()) {
        m_Idle.stop();
        return;
    }
    m_RedrawPending = false;
    RenderFrame();
}

bool TForm1::NeedsFrames() const {
    return Core.Scene.RenderEnabled &&
           (m_RedrawPending || KeepsDrawing(Core) || (m_Tools && m_Tools->Animating()) ||
            Capture.Active()); // a recording takes a frame at each of its times
}

void TForm1::RequestRedraw() {
    m_RedrawPending = true;
    if (!m_Idle.isActive()) {
        m_Status->Rates.Resume(); // the still time does not count in the rates
        m_Idle.start(0);
    }
}

bool TForm1::RenderFrame() {
    if (!Core.Scene.RenderEnabled)
        return false;
    if (m_Tools)
        m_Tools->Step(); // a running view change moves the model first
    // The capture reads the frame while the view still holds it, before it is shown.
    const bool drawn = m_View->DrawWith([this] {
        if (!RenderStep(Core))
            return false;
        m_Status->UpdateStatus(Core.Scene, Core.Navigation);
        Core.TickDelta = m_Status->Rates.TickDelta(); // the next look-at step's time
        OnFrameRendered();
        return true;
    });
    SyncJoystickItem();
    return drawn;
}

void TForm1::OnFrameRendered() {
    switch (Capture.OnFrameRendered(analysis::CaptureClock())) {
    case analysis::TCaptureEvent::LimitReached:
        CaptureEnded(analysis::kFrameLimitText);
        break;
    case analysis::TCaptureEvent::Failed:
        CaptureEnded(analysis::kFileAccessErrorText);
        break;
    default:
        break;
    }
}

void TForm1::CaptureEnded(const char* text) {
    QToolButton* button = m_Toolbar->CaptureBtn();
    button->setChecked(false);
    button->setEnabled(false);
    // Shown once the frame is finished: the box's own event loop must not draw inside it.
    QMetaObject::invokeMethod(
        this, [this, text] { QMessageBox::information(this, windowTitle(), BoxText(text)); },
        Qt::QueuedConnection);
}

void TForm1::ArmCaptureDialog() {
    const QString path = QFileDialog::getSaveFileName(this, "Save AVI File", "*.avi",
                                                      "AVI Files (*.AVI);;All Files (*)");
    if (!path.isEmpty())
        ArmCapture(QFileInfo(path).suffix().isEmpty() ? path + ".avi" : path);
}

void TForm1::ArmCapture(const QString& file) {
    Capture.Arm(file.toStdString());
    m_Toolbar->CaptureBtn()->setEnabled(true);
}

bool TForm1::StartCapture() {
    QToolButton* button = m_Toolbar->CaptureBtn();
    const QSize size = m_View->PixelSize();
    try {
        Capture.StartCapture(
            m_CaptureDlg->Options(),
            [this](analysis::TVideoFrame& frame) { m_View->ReadFrame(frame); }, size.width(),
            size.height(), analysis::CaptureClock());
    } catch (const std::exception& e) {
        button->setChecked(false);
        Ui.Warning(Capture.ArmedFile() + ": " + e.what());
        return false;
    }
    button->setChecked(true);
    return true;
}

void TForm1::StopCapture() {
    QToolButton* button = m_Toolbar->CaptureBtn();
    button->setChecked(false);
    button->setEnabled(false);
    try {
        BusyCursorGuard busy(Ui); // the encoder finishes the frames it holds
        Capture.StopCapture();
    } catch (const std::exception&) {
        QMessageBox::information(this, windowTitle(), BoxText(analysis::kFileAccessErrorText));
    }
}

void TForm1::RenderWithNotice() {
    TRendProgDlg notice;
    notice.adjustSize();
    if (const QScreen* s = screen())
        notice.move(s->geometry().center() - notice.rect().center());
    notice.show();
    notice.repaint();
    WaitMilliseconds(100);
    try {
        RenderFrame();
    } catch (...) {
        notice.hide();
        throw;
    }
}

void TForm1::RedrawIfPalettized() {
    if (ScreenDepth(*this) > 8)
        return;
    QWidget* previous = QApplication::activeWindow();
    activateWindow();
    RenderFrame();
    WaitMilliseconds(100);
    if (previous)
        previous->activateWindow();
}

void TForm1::RefreshHierarchy() {
    Core.RefreshHierarchy();
    m_OutPanel->Rebuild();
    m_Status->SetTriangles(Core.Hierarchy.TriangleTotal());
}

void TForm1::SetViewerCaption(const std::string& path) {
    ShowCaption(QString::fromStdString(ViewerCaption(path)));
}

void TForm1::ShowCaption(const QString& caption) {
    // The window system appends the application's display name to a caption that does not end
    // with it, at the moment the caption is set: the name comes first, so the caption shows once.
    QGuiApplication::setApplicationDisplayName(caption);
    setWindowTitle(caption);
}

void TForm1::ShowError(const std::string& text) {
    QMessageBox::critical(this, windowTitle(), BoxText(text));
}

void TForm1::ShowProcessDialog() {
    if (m_CaveMeshDlg->Execute())
        ProcessFile(m_CaveMeshDlg->CurrentPlotFile);
}

bool TForm1::ProcessFile(const std::string& path) {
    if (m_Building)
        return false;
    m_Building = true;
    // The reader lets events run: no second command may start while this build runs.
    menuBar()->setEnabled(false);
    m_Toolbar->setEnabled(false);
    m_OutPanel->setEnabled(false);
    bool drawn = false;
    TWindowCave cave(*this);
    passage::TCaveBuild build{cave,
                              *m_ProgressDlg,
                              Ui,
                              survey::PlotData(),
                              passage::PassageOptions(),
                              passage::PassageRunState()};
    try {
        drawn = passage::ProcessCaveFile(build, path);
    } catch (const std::exception& e) {
        Ui.Warning(e.what()); // the reader's "FILE: reason"
    }
    menuBar()->setEnabled(true);
    m_Toolbar->setEnabled(true);
    m_OutPanel->setEnabled(true);
    m_Building = false;
    return drawn;
}

void TForm1::SetShotsChecked(bool on) {
    m_ShotsChecked = on;
    Action("ShowShotsMnu")->setChecked(on);
}

void TForm1::SetStationsChecked(bool on) {
    m_StationsChecked = on;
    Action("ShowStationsMnu")->setChecked(on);
}

void TForm1::SyncBoundingBoxMark() {
    Action("BoundingBoxMnu")->setChecked(Core.Scene.BoundingBoxChecked);
}

void TForm1::MeshFileOpened(const QString& path) {
    SetViewerCaption(path.toStdString());
    SetShotsChecked(false);
    SetStationsChecked(false);
    SyncBoundingBoxMark();
    RefreshHierarchy();
}

void TForm1::ToggleBuilt(const char* actionName, std::uint32_t kind, bool& checked, bool shots) {
    if (checked) {
        passage::RemoveVisualByKind(*Core.Scene.CenterFrame, kind);
        checked = false;
    } else if (survey::PlotData().Loaded) {
        TWindowCave cave(*this);
        passage::TCaveBuild build{cave,
                                  *m_ProgressDlg,
                                  Ui,
                                  survey::PlotData(),
                                  passage::PassageOptions(),
                                  passage::PassageRunState()};
        shots ? passage::BuildShotLines(build) : passage::BuildStationMarkers(build);
        checked = true;
    } else {
        Action(actionName)->setChecked(false);
        return; // nothing happened
    }
    Action(actionName)->setChecked(checked);
    RefreshHierarchy();
}

void TForm1::RunCommand(const QString& name) {
    try {
        if (name == "ProcessMnu")
            ShowProcessDialog();
        else if (name == "OpenMeshMnu")
            m_MeshCommands->OpenMesh1Click();
        else if (name == "OpenProgMnu")
            m_MeshCommands->OpenProgressiveMesh1Click();
        else if (name == "SaveXMnu")
            m_MeshCommands->SaveAsXFile1Click();
        else if (name == "SaveGltfMnu")
            m_MeshCommands->SaveAsGltf1Click();
        else if (name == "SaveBitmapMnu")
            SaveScreenAsBitmap();
        else if (name == "ExportMnu")
            exporter::ShowExporter(this, m_CaveMeshDlg->CurrentPlotFile);
        else if (name == "TestObjectsMnu")
            m_TorusDlg->exec();
        else if (name == "ExitMnu")
            close();
        else if (name == "EffectsMnu")
            m_ColorDlg->ShowEffects();
        else if (name == "ShowShotsMnu")
            ToggleBuilt("ShowShotsMnu", passage::kKindShots, m_ShotsChecked, true);
        else if (name == "ShowStationsMnu")
            ToggleBuilt("ShowStationsMnu", passage::kKindStations, m_StationsChecked, false);
        else if (name == "BoundingBoxMnu") {
            CheckResult(Ui, ToggleBoundingBox(Core.Scene));
            SyncBoundingBoxMark();
            RefreshHierarchy();
        } else if (name == "RoseMnu") {
            if (survey::PlotData().Loaded)
                m_RoseDlg->ShowRoseDialog();
        } else if (name == "CopyMnu")
            CopyToClipboard();
        else if (name == "ArmCaptureMnu")
            ArmCaptureDialog();
        else if (name == "JoystickMnu")
            Core.JoystickChecked = Action("JoystickMnu")->isChecked(); // pauses or resumes
        else if (name == "CaptureOptionsMnu")
            m_CaptureDlg->ShowOptions();
        else if (name == "HierarchyMnu")
            ToggleHierarchy();
        else if (name == "TransformsMnu")
            m_TransDlg->exec();
        else if (name == "AntiAliasMnu")
            m_View->SetAntiAlias(Action("AntiAliasMnu")->isChecked());
        else if (name == "SceneSettingsMnu")
            m_SceneSetDlg->exec();
        else if (name == "ShadowMnu")
            CheckResult(Ui, AddShadow(Core.Scene));
        else if (name == "DisplayModesMnu") {
            m_RenderDlg->Open();
            m_RenderDlg->exec();
        } else if (name == "DevicesMnu") {
            m_DeviceDlg->Open();
            m_DeviceDlg->exec();
        } else if (name == "IndexMnu")
            m_Help->ShowContents();
        else if (name == "KeywordMnu")
            m_Help->KeywordSearch();
        else if (name == "AboutMnu")
            m_AboutDlg->exec();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    RequestRedraw();
}

void TForm1::ToolbarClick(const QString& name) {
    TViewerScene& s = Core.Scene;
    TNavigation& nav = Core.Navigation;
    nav.IncSpin = m_Toolbar->IncSpin()->value();
    const FrameRenderer render = Core.RenderFrame;
    if (name == "HierBtn")
        ToggleHierarchy();
    else if (name == "ZoomInBtn")
        ZoomIn(s, nav);
    else if (name == "ZoomOutBtn")
        ZoomOut(s, nav);
    else if (name == "PanLeftBtn")
        PanLeft(s, nav);
    else if (name == "PanRightBtn")
        PanRight(s, nav);
    else if (name == "PanUpBtn")
        PanUp(s, nav);
    else if (name == "PanDownBtn")
        PanDown(s, nav);
    else if (name == "YawRightBtn")
        YawRight(s, nav);
    else if (name == "YawLeftBtn")
        YawLeft(s, nav);
    else if (name == "PitchUpBtn")
        PitchUp(s, nav, render);
    else if (name == "PitchDownBtn")
        PitchDown(s, nav, render);
    else if (name == "AnimateBtn")
        AnimateClick(s, nav, m_Toolbar->AnimateBtn()->isChecked());
    else if (name == "StopBtn")
        StopRotations(s);
    else if (name == "ResetScaleBtn")
        ResetScale(s, nav, *s.CenterFrame, Ui);
    else if (name == "ResetSceneBtn")
        CheckResult(Ui, ResetPositions(s));
    else if (name == "LookAtBtn")
        LookAt(Core.Look, Core.Joystick, s.CameraFrame, s.CenterFrame, s.SceneFrame);
    else if (name == "CaptureBtn")
        m_Toolbar->CaptureBtn()->isChecked() ? void(StartCapture()) : StopCapture();
    RequestRedraw();
}

void TForm1::PageButton(const QString& name) {
    try {
        if (name == "XBtn")
            m_Splitter->setSizes({1, m_Splitter->width()});
        else if (name == "OutHelpBtn")
            m_Help->ShowTopic(2);
        else if (name == "EditFrameBtn") {
            if (auto frame = Core.Hierarchy.QuerySelected<scene::Frame>()) {
                m_EditFrameDlg->SetFrame(frame);
                m_EditFrameDlg->exec();
            }
        } else if (name == "SetColorBtn") {
            auto builder = Core.Hierarchy.QuerySelected<scene::MeshBuilder>();
            Core.Textures.SelectedBuilder = builder;
            const QColor c = builder ? QColorDialog::getColor(Qt::white, this) : QColor();
            if (builder && c.isValid())
                builder->SetColor(
                    passage::PackedColor(std::uint32_t(c.red()) | c.green() << 8 | c.blue() << 16));
            activateWindow();
        } else if (name == "SetTextureBtn") {
            auto builder = Core.Hierarchy.QuerySelected<scene::MeshBuilder>();
            Core.Textures.SelectedBuilder = builder;
            if (builder)
                m_TextureDlg->ShowTextureDialog(builder);
        } else if (name == "SetNormalsBtn") {
            if (auto builder = Core.Hierarchy.QuerySelected<scene::MeshBuilder>())
                m_NormalDlg->ShowNormalsDialog(builder);
        } else if (name == "SetMaterialsBtn") {
            auto builder = Core.Hierarchy.QuerySelected<scene::MeshBuilder>();
            Core.Textures.SelectedBuilder = builder;
            if (builder)
                m_MaterialDlg->exec();
        } else if (name == "EditLightBtn") {
            if (auto light = Core.Hierarchy.QuerySelected<scene::Light>()) {
                m_EditLightDlg->SetLight(light);
                m_EditLightDlg->exec();
            }
        } else if (name == "SaveBtn") {
            m_MeshCommands->SaveMeshBtnClick();
        } else if (name == "EditProgressiveBtn") {
            m_MeshCommands->ProgBtnClick();
        } else if (name == "DeleteMeshBtn") {
            auto builder = Core.Hierarchy.QuerySelected<scene::MeshBuilder>();
            Core.Textures.SelectedBuilder = builder;
            if (builder)
                Core.Scene.CenterFrame->DeleteVisual(builder);
            RefreshHierarchy();
        }
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    RequestRedraw();
}

int TForm1::OutPanelWidth() const {
    return m_Splitter->sizes().value(0);
}

void TForm1::ToggleHierarchy() {
    const int total = m_Splitter->width();
    const int width = OutPanelWidth() >= 100 ? 1 : kOutPanelWidth;
    m_Splitter->setSizes({width, std::max(1, total - width)});
}

void TForm1::SplitterMoved() {
    if (OutPanelWidth() > kOutPanelWidth)
        m_Splitter->setSizes({kOutPanelWidth, std::max(1, m_Splitter->width() - kOutPanelWidth)});
}

QImage TForm1::Snapshot() {
    return m_View->Grab([this] { return RenderStep(Core); });
}

void TForm1::CopyToClipboard() {
    QApplication::processEvents();
    QApplication::clipboard()->setImage(Snapshot());
}

void TForm1::SaveScreenAsBitmap() {
    const QString path = QFileDialog::getSaveFileName(this, "Save Bitmap File", "*.bmp",
                                                      "Bitmap Files (*.bmp);;All Files (*)");
    if (path.isEmpty())
        return;
    SaveBitmap(QFileInfo(path).suffix().isEmpty() ? path + ".bmp" : path);
}

bool TForm1::SaveBitmap(const QString& file) {
    try {
        WritePictureFile(Snapshot(), file.toStdString(), "BMP");
    } catch (const std::exception& e) {
        Ui.Warning(e.what()); // "FILE: reason"
        return false;
    }
    return true;
}

// The tools beside the specified commands: their menu items, the keys, wheel and clicks over
// the view, the overlays over each frame and the shortcuts of the specified commands.
void TForm1::ConnectViewTools() {
    m_Tools = new TViewTools(Core, this);
    m_Tools->AddMenus(*menuBar(), m_Actions);
    m_Tools->AddStatusField(*m_Status);
    m_Tools->ToolbarClick = [this](const QString& name) { ToolbarClick(name); };
    m_Tools->Changed = [this] { RequestRedraw(); };
    m_Tools->SettingsChanged = [this] { SaveSettings(); }; // kept even if the program is killed
    Action("ProcessMnu")->setShortcut(QKeySequence::Open);
    Action("ExitMnu")->setShortcut(QKeySequence("Ctrl+Q"));
    Action("IndexMnu")->setShortcut(QKeySequence::HelpContents);
    m_View->OnKey = [this](int key, Qt::KeyboardModifiers modifiers) {
        return m_Tools->Key(key, modifiers);
    };
    m_View->OnWheel = [this](int delta) { m_Tools->Wheel(delta); };
    m_View->OnClick = [this](int x, int y) { m_Tools->Click(x, y, m_View->devicePixelRatioF()); };
    m_View->OnExposed = [this] { RequestRedraw(); };
    m_View->OverlayPicture = [this](double ratio) { return m_Tools->OverlayPicture(ratio); };
    m_View->setFocus(); // the keys act on the view from the start
}

// The first start opens at the window's own size, grown with the screen's dots per inch; later
// starts where the last one was left.
void TForm1::RestoreSettings() {
    TWindowPlacement placement;
    try {
        LoadViewSettings("lumora.ini", m_Tools->Settings(), placement);
    } catch (const std::exception& e) {
        Ui.Warning(e.what()); // the file cannot be read: the defaults stay
    }
    m_Tools->SyncMenus();
    if (!placement.Known) {
        const double scale = screen() ? screen()->logicalDotsPerInch() / 96.0 : 1.0;
        resize(int(std::lround(599 * std::max(scale, 1.0))),
               int(std::lround(406 * std::max(scale, 1.0))));
        return;
    }
    setGeometry(placement.Left, placement.Top, placement.Width, placement.Height);
    m_Splitter->setSizes(
        {placement.HierarchyWidth, std::max(1, m_Splitter->width() - placement.HierarchyWidth)});
    if (placement.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::SaveSettings() {
    TWindowPlacement placement;
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    placement.Known = normal.width() > 0 && normal.height() > 0;
    placement.Left = normal.x();
    placement.Top = normal.y();
    placement.Width = normal.width();
    placement.Height = normal.height();
    placement.Maximized = isMaximized();
    placement.HierarchyWidth = std::clamp(OutPanelWidth(), 1, kOutPanelWidth);
    try {
        SaveViewSettings("lumora.ini", m_Tools->Settings(), placement);
    } catch (const std::exception& e) {
        Ui.Warning(e.what());
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    SaveSettings();
    QMainWindow::closeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        RequestRedraw(); // a dialog's control may just have changed the scene
        break;
    case QEvent::MouseMove:
        if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)
            RequestRedraw(); // a drag
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace lumora::viewer
