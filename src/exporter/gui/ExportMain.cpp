#include "exporter/gui/ExportMain.h"

#include "exporter/ACADLib.h"
#include "exporter/ExpGlobal.h"
#include "exporter/ExpIni.h"
#include "exporter/gui/ExpFileDlg.h"
#include "exporter/gui/ExpHelp.h"
#include "exporter/gui/ExpUi.h"
#include "exporter/gui/SurveyTree.h"
#include "survey/GeoRef.h"
#include "survey/SuiteSettings.h"
#include "ui/gui/Reopen.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <exception>
#include <vector>

namespace lumora::exporter {

namespace {

// A sunken read-only field.
QLabel* Field(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(60);
    return label;
}

// The first program argument, the file the exporter opens at its first activation.
std::string FirstArgument() {
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 ? arguments.at(1).toStdString() : std::string();
}

} // namespace

TExporterForm::TExporterForm(QWidget* parent, UiServices* ui)
    : QDialog(parent), m_OwnUi(ui ? nullptr : std::make_unique<TExporterUi>(this)),
      m_Ui(ui ? ui : m_OwnUi.get()) {
    setObjectName("ExporterForm");
    setWindowTitle(kExporterCaption);
    setSizeGripEnabled(true);
    resize(900, 640);
    CommandLineFile = FirstArgument();
    m_SaveDialog = MakeFileDialog(this, "SaveDialog", true);
    m_OpenDialog = MakeFileDialog(this, "OpenDialog", false);
    m_ColorDialog = new QColorDialog(this);
    m_ColorDialog->setObjectName("ColorDialog");
    m_ColorDialog->setOption(QColorDialog::DontUseNativeDialog);
    m_Help = new TExporterHelp(this);
    m_About = new TExporterAbout(this);

    m_Splitter = new QSplitter;
    m_Splitter->setObjectName("Splitter1");
    m_Splitter->addWidget(LeftPane());
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_Pages.Tabs, 1);
    rightLayout->addWidget(m_Pages.BottomBar);
    m_Splitter->addWidget(right);
    m_Splitter->setStretchFactor(1, 1);
    m_Splitter->setSizes({250, 650});
    m_MenuBar = BuildMenus();
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_MenuBar);
    layout->addWidget(m_Splitter);
    ConnectControls();
    m_Pages.Binder.Load(DefaultExportOptions());
    FormCreate();
}

TExporterForm::~TExporterForm() {
    m_Reopen->Save();
}

QWidget* TExporterForm::LeftPane() {
    m_TreeModel = new TSurveyTreeModel(this);
    m_Tree = new QTreeView;
    m_Tree->setObjectName("SurveyTree");
    m_Tree->setModel(m_TreeModel);
    m_Tree->setHeaderHidden(true);
    m_Tree->setUniformRowHeights(true);
    m_Tree->setIconSize(QSize(14, 14));
    m_Tree->header()->setStretchLastSection(true);
    m_FilenameDis = Field("FilenameDis");
    m_SurveyDis = Field("SurveyDis");
    m_ShotDis = Field("ShotDis");
    m_ReadStateDis = new QLabel;
    m_ReadStateDis->setObjectName("ReadStateDis");
    m_ReadStateDis->setStyleSheet("color: red");
    m_ReadStateDis->setWordWrap(true);
    m_ReadStateDis->hide();
    auto* counts = new QHBoxLayout;
    counts->addWidget(m_SurveyDis);
    counts->addWidget(m_ShotDis);
    auto* fields = new QFormLayout;
    fields->addRow(" Plot File: ", m_FilenameDis);
    fields->addRow(" Surveys/Shots: ", counts);

    m_ArcFileDis = Field("ArcFileDis");
    m_StatusDis = Field("StatusDis");
    m_ProgressGauge = new QProgressBar;
    m_ProgressGauge->setObjectName("ProgressGauge");
    m_ProgressGauge->setRange(0, 100);
    m_ProgressGauge->setValue(0);
    auto* status = new QGroupBox("Conversion Status");
    status->setObjectName("StatusGroup");
    auto* statusForm = new QFormLayout(status);
    statusForm->addRow("File: ", m_ArcFileDis);
    statusForm->addRow("Status:", m_StatusDis);
    statusForm->addRow(m_ProgressGauge);

    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Survey Tree"));
    layout->addWidget(m_Tree, 1);
    layout->addLayout(fields);
    layout->addWidget(m_ReadStateDis);
    layout->addWidget(status);
    return pane;
}

QMenuBar* TExporterForm::BuildMenus() {
    auto* bar = new QMenuBar(this);
    auto add = [this](QMenu* menu, const char* caption, const char* name,
                      const std::function<void()>& run) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, run);
        m_Actions[name] = action;
    };
    QMenu* file = bar->addMenu("&File");
    add(file, "&Open...", "OpenMnu", [this] { OpenMnuClick(); });
    QMenu* reopen = file->addMenu("&Reopen");
    reopen->menuAction()->setObjectName("ReopenMnu");
    m_Actions["ReopenMnu"] = reopen->menuAction();
    add(file, "E&xit", "ExitMnu", [this] { close(); });
    QMenu* options = bar->addMenu("&Options");
    add(options, "&Save Settings", "SaveSettingsMnu", [this] { SaveSettingsMnuClick(); });
    add(options, "&Restore Settings", "RestoreSettingsMnu", [this] { RestoreSettingsMnuClick(); });
    QMenu* help = bar->addMenu("&Help");
    add(help, "&Contents", "ContentsMnu", [this] { m_Help->ShowContents(); });
    add(help, "&Search for Help On...", "SearchHelpMnu", [this] { m_Help->Search(QString()); });
    add(help, "&About", "AboutMnu", [this] { m_About->exec(); });
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { m_Help->ShowContents(); });

    m_Reopen = new ui::TReopenMenu(this);
    m_Reopen->SetMenuItem(reopen);
    m_Reopen->OnMenuClick = [this](const std::string& path) { OpenPlotFile(path); };
    return bar;
}

void TExporterForm::ConnectControls() {
    TExportPages& p = m_Pages;
    connect(p.ShapeTypeRadio, &TRadioGroup::Changed, this, [this] { UpdateDataTypeChoices(); });
    connect(p.UnitRadio, &TRadioGroup::Changed, this, [this] { UnitRadioClick(); });
    connect(p.LayerSurveysChk, &QCheckBox::toggled, this, [this] { LayerSurveysChkClick(); });
    connect(p.DoPassageChk, &QCheckBox::toggled, this, [this] { DoPassageChkClick(); });
    connect(p.PassDepthChk, &QCheckBox::toggled, this, [this] { DoPassageChkClick(); });
    const std::vector<std::pair<QPushButton*, void (TExporterForm::*)()>> buttons = {
        {p.PassColorBtn, &TExporterForm::PassColorBtnClick},
        {p.LineColorBtn, &TExporterForm::LineColorBtnClick},
        {p.BackColorBtn, &TExporterForm::BackColorBtnClick},
        {p.KMLFillColorBtn, &TExporterForm::KMLFillColorBtnClick},
        {p.KMLLineColorBtn, &TExporterForm::KMLLineColorBtnClick},
        {p.LayerColorBtns[0], &TExporterForm::SurveyBtnClick},
        {p.LayerColorBtns[1], &TExporterForm::LabelBtnClick},
        {p.LayerColorBtns[2], &TExporterForm::DepthColorBtnClick},
        {p.LayerColorBtns[3], &TExporterForm::WallsBtnClick},
        {p.BrowseTextureBtn, &TExporterForm::BrowseTextureBtnClick},
        {p.ExportShapeBtn, &TExporterForm::ExportShapeBtnClick},
        {p.ExportVRMLBtn, &TExporterForm::ExportVRMLBtnClick},
        {p.ExportDXFBtn, &TExporterForm::ExportDXFBtnClick},
        {p.ExportKMLBtn, &TExporterForm::ExportKMLBtnClick}};
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
}

void TExporterForm::FormCreate() {
    FirstActivation = true;
    BoundingPolygons = false;
    UpdateDataTypeChoices();
    m_Pages.Tabs->setCurrentIndex(0);
    UnitRadioClick();
    for (TAciPanel* panel : m_Pages.LayerColorPanels)
        panel->SetIndex(panel->Index());
    m_Reopen->INIFile = survey::SuiteSettingsFolder() + kRecentFilesIni;
    m_Reopen->INISection = kRecentFilesSection;
    m_Reopen->Load();
    std::vector<std::string> datums;
    const int selected = survey::FillDatumList(datums);
    m_Pages.DatumList->clear();
    for (const std::string& name : datums)
        m_Pages.DatumList->addItem(QString::fromStdString(name));
    m_Pages.DatumList->setCurrentIndex(selected);
    RestoreSettingsMnuClick();
}

bool TExporterForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TExporterForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // A display without a window manager never activates a window: the first showing stands in
    // for the first activation there, once the window is on the screen.
    if (FirstActivation)
        QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TExporterForm::FormActivate() {
    if (!FirstActivation)
        return;
    FirstActivation = false;
    const QFileInfo file(QString::fromStdString(CommandLineFile));
    if (!CommandLineFile.empty() && file.isFile())
        OpenPlotFile(CommandLineFile);
}

void TExporterForm::keyPressEvent(QKeyEvent* e) {
    // Escape would close the window as it closes a dialog, with unsaved options: only "E&xit"
    // and the window's close button close it.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

QAction* TExporterForm::Action(const QString& name) const {
    const auto it = m_Actions.find(name);
    return it == m_Actions.end() ? nullptr : it->second;
}

TExportOptions TExporterForm::Options() const {
    TExportOptions o;
    m_Pages.Binder.Store(o);
    return o;
}

void TExporterForm::SetOptions(const TExportOptions& options) {
    m_Pages.Binder.Load(options);
    UpdateDataTypeChoices();
    UnitRadioClick();
    LayerSurveysChkClick();
    DoPassageChkClick();
}

void TExporterForm::SaveSettingsMnuClick() {
    try {
        SaveExportSettings(Options());
    } catch (const std::exception& e) {
        m_Ui->Warning(e.what());
    }
}

void TExporterForm::RestoreSettingsMnuClick() {
    TExportOptions o = Options();
    try {
        RestoreExportSettings(o);
    } catch (const std::exception& e) {
        m_Ui->Warning(e.what());
        return;
    }
    SetOptions(o);
}

void TExporterForm::UpdateDataTypeChoices() {
    TExportPages& p = m_Pages;
    const bool threeD = p.ShapeTypeRadio->Index() == 0;
    for (int i = kFirstPrismType; i < kFirstBoundingType; ++i)
        p.DataTypeRadio->Button(i)->setEnabled(threeD);
    for (int i = kFirstBoundingType; i < kDataTypeCount; ++i)
        p.DataTypeRadio->Button(i)->setHidden(!BoundingPolygons);
    const QAbstractButton* chosen = p.DataTypeRadio->Button(p.DataTypeRadio->Index());
    if (!chosen || chosen->isHidden() || !chosen->isEnabledTo(p.DataTypeRadio))
        p.DataTypeRadio->SetIndex(0);
}

void TExporterForm::UnitRadioClick() {
    const QString label = UnitLabel(m_Pages.UnitRadio->Index() == 1);
    m_Pages.ScaleBarSpin->SetUnit(label);
    m_Pages.MarkSizeSpin->SetUnit(label);
}

void TExporterForm::LayerSurveysChkClick() {
    const bool separate = m_Pages.LayerSurveysChk->isChecked();
    m_Pages.AssocPassChk->setEnabled(separate);
    m_Pages.AssocLabelChk->setEnabled(separate);
}

void TExporterForm::DoPassageChkClick() {
    m_Pages.VertexColorChk->setEnabled(m_Pages.DoPassageChk->isChecked() &&
                                       m_Pages.PassDepthChk->isChecked());
}

void TExporterForm::PickColor(TColorPanel* panel) {
    m_ColorDialog->setCurrentColor(ToQColor(panel->Color()));
    if (m_ColorDialog->exec() == QDialog::Accepted)
        panel->SetColor(FromQColor(m_ColorDialog->selectedColor()));
}

void TExporterForm::PickLayerColor(int layer) {
    TAciPanel* panel = m_Pages.LayerColorPanels[layer];
    m_ColorDialog->setCurrentColor(ToQColor(AciToColor(panel->Index())));
    if (m_ColorDialog->exec() != QDialog::Accepted)
        return;
    panel->SetIndex(ColorToAci(FromQColor(m_ColorDialog->selectedColor())));
    for (TAciPanel* each : m_Pages.LayerColorPanels)
        each->SetIndex(each->Index());
}

void TExporterForm::PassColorBtnClick() {
    PickColor(m_Pages.PassColorPanel);
}
void TExporterForm::LineColorBtnClick() {
    PickColor(m_Pages.LineColorPanel);
}
void TExporterForm::BackColorBtnClick() {
    PickColor(m_Pages.BackColorPanel);
}
void TExporterForm::KMLFillColorBtnClick() {
    PickColor(m_Pages.KMLFillColorPanel);
}
void TExporterForm::KMLLineColorBtnClick() {
    PickColor(m_Pages.KMLLineColorPanel);
}
void TExporterForm::SurveyBtnClick() {
    PickLayerColor(0);
}
void TExporterForm::LabelBtnClick() {
    PickLayerColor(1);
}
void TExporterForm::DepthColorBtnClick() {
    PickLayerColor(2);
}
void TExporterForm::WallsBtnClick() {
    PickLayerColor(3);
}

void TExporterForm::BrowseTextureBtnClick() {
    const auto file = RunFileDialog(
        *m_OpenDialog, {"Open Texture File", "VRML Images Files|*.png;*.gif;*.jpg|All Files|*.*",
                        "", "", QDir::currentPath()});
    if (file)
        m_Pages.TextureEdit->setText(QFileInfo(QString::fromStdString(*file)).fileName());
}

} // namespace lumora::exporter
