#include "viewer/gui/lvssetdlg.h"

#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace lumora::viewer {

namespace {

QDoubleSpinBox* RealSpin(const char* name, double low, double high, double step, double value,
                         int decimals = 2) {
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(name);
    spin->setDecimals(decimals);
    spin->setRange(low, high);
    spin->setSingleStep(step);
    spin->setValue(value);
    return spin;
}

QButtonGroup* Radios(QGroupBox* box, const std::vector<std::pair<const char*, const char*>>& radios,
                     QWidget* owner) {
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(owner);
    int id = 0;
    for (const auto& [name, caption] : radios) {
        auto* radio = new QRadioButton(caption);
        radio->setObjectName(name);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    return group;
}

// A framework colour 0x00BBGGRR of a chosen colour.
std::uint32_t FrameworkColor(const QColor& c) {
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

constexpr double kUnlimited = 1e9; // "no limits": as far as a spin box goes

} // namespace

TChoosers DefaultChoosers() {
    TChoosers c;
    c.Color = [](QWidget* parent) { return QColorDialog::getColor(Qt::white, parent); };
    c.BitmapFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, "Open Bitmap Image", "*.bmp;*.ppm",
                                            "Bitmaps (*.bmp *.ppm);;All Files (*)");
    };
    return c;
}

TSceneSetDlg::TSceneSetDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("SceneSetDlg");
    setWindowTitle("Scene Settings");
    auto* pages = new QTabWidget;
    pages->setObjectName("PageControl");
    pages->addTab(GeneralPage(), "General");
    pages->addTab(FogPage(), "Fog");
    auto* buttons = ui::CloseHelpRow(*this, [this] { emit HelpTopic(kSceneSettingsTopic); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
}

QWidget* TSceneSetDlg::GeneralPage() {
    auto* page = new QWidget;
    auto* ambient = RealSpin("AmbientSpin", 0, 1, TSceneSettings::kAmbientStep, m_Settings.Ambient);
    connect(ambient, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        m_Settings.Ambient = v;
        SetAmbientLight(m_Core.Scene, v);
        emit SceneChanged();
    });
    auto* color = ui::NamedButton("BackColorBtn", "Set Background Color");
    auto* image = ui::NamedButton("BackImageBtn", "Set Background Image");
    connect(color, &QPushButton::clicked, this, &TSceneSetDlg::SetBackgroundColorBtnClick);
    connect(image, &QPushButton::clicked, this, &TSceneSetDlg::SetBackgroundImageBtnClick);
    auto* form = new QFormLayout(page);
    form->addRow("Ambient Light", ambient);
    form->addRow(color);
    form->addRow(image);
    return page;
}

QWidget* TSceneSetDlg::FogPage() {
    auto* page = new QWidget;
    auto* enable = new QCheckBox("Enable Fog");
    enable->setObjectName("FogEnableChk");
    connect(enable, &QCheckBox::toggled, this, [this](bool on) {
        m_Settings.FogEnable = on;
        SetFogEnable(m_Core.Scene, on);
        emit SceneChanged();
    });
    auto* modeBox = new QGroupBox("Fog Mode");
    QButtonGroup* mode = Radios(modeBox,
                                {{"LinearRadio", "Linear"},
                                 {"ExponentialRadio", "Exponential"},
                                 {"ExponentialSquaredRadio", "Exponential Squared"}},
                                this);
    connect(mode, &QButtonGroup::idClicked, this, [this](int id) {
        m_Settings.FogMode = scene::FogMode(id);
        SetFogMode(m_Core.Scene, m_Settings.FogMode);
        emit SceneChanged();
    });
    m_FogStartSpin = RealSpin("FogStartSpin", -kUnlimited, kUnlimited, TSceneSettings::kFogStep,
                              m_Settings.FogStart);
    m_FogEndSpin = RealSpin("FogEndSpin", -kUnlimited, kUnlimited, TSceneSettings::kFogStep,
                            m_Settings.FogEnd);
    m_FogDensitySpin = RealSpin("FogDensitySpin", -kUnlimited, kUnlimited,
                                TSceneSettings::kDensityStep, m_Settings.FogDensity, 3);
    for (QDoubleSpinBox* spin : {m_FogStartSpin, m_FogEndSpin, m_FogDensitySpin})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &TSceneSetDlg::FogParamsChanged);
    auto* color = ui::NamedButton("FogColorBtn", "Fog Color");
    connect(color, &QPushButton::clicked, this, &TSceneSetDlg::FogColorBtnClick);
    auto* form = new QFormLayout(page);
    form->addRow(enable);
    form->addRow(modeBox);
    form->addRow("Start", m_FogStartSpin);
    form->addRow("End", m_FogEndSpin);
    form->addRow("Density", m_FogDensitySpin);
    form->addRow(color);
    return page;
}

void TSceneSetDlg::FogParamsChanged() {
    m_Settings.FogStart = m_FogStartSpin->value();
    m_Settings.FogEnd = m_FogEndSpin->value();
    m_Settings.FogDensity = m_FogDensitySpin->value();
    SetFogParams(m_Core.Scene, m_Settings.FogStart, m_Settings.FogEnd, m_Settings.FogDensity);
    emit SceneChanged();
}

void TSceneSetDlg::SetBackgroundColorBtnClick() {
    const QColor c = Choosers.Color(this);
    if (c.isValid()) {
        SetSceneBackgroundColor(m_Core.Scene, FrameworkColor(c));
        emit SceneChanged();
    }
    activateWindow();
}

void TSceneSetDlg::SetBackgroundImageBtnClick() {
    const QString file = Choosers.BitmapFile(this);
    if (!file.isEmpty() && SetBackgroundImage(m_Core.Scene, m_Core.Ui, file.toStdString()))
        emit SceneChanged();
}

void TSceneSetDlg::FogColorBtnClick() {
    const QColor c = Choosers.Color(this);
    if (!c.isValid())
        return;
    SetFogColor(m_Core.Scene, FrameworkColor(c));
    emit SceneChanged();
}

TEditLightDlg::TEditLightDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("EditLightDlg");
    setWindowTitle("Edit Light");
    auto* box = new QGroupBox("Light Type");
    m_Type = Radios(box,
                    {{"AmbientRadio", "Ambient"},
                     {"PointRadio", "Point"},
                     {"SpotRadio", "Spot"},
                     {"DirectionalRadio", "Directional"},
                     {"ParallelPointRadio", "Parallel Point"}},
                    this);
    auto* apply = ui::NamedButton("ApplyBtn", "Apply");
    auto* close = ui::NamedButton("CloseBtn", "&Close");
    auto* help = ui::NamedButton("HelpBtn", "Help");
    ui::SetHelpIcon(*help);
    connect(apply, &QPushButton::clicked, this, &TEditLightDlg::ApplyBtnClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(kEditLightTopic); });
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {apply, close, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addLayout(buttons);
}

void TEditLightDlg::SetLight(scene::LightPtr light) {
    m_Light = std::move(light);
    if (m_Light)
        m_Type->button(int(m_Light->GetType()))->setChecked(true);
}

void TEditLightDlg::ApplyBtnClick() {
    if (!m_Light)
        return;
    SetLightType(*m_Light, m_Type->checkedId());
    emit SceneChanged();
}

TMaterialDlg::TMaterialDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("MaterialDlg");
    setWindowTitle("Materials Settings");
    const TMaterialSettings defaults;
    const char* colours[] = {"Red", "Green", "Blue"};
    auto colourGroup = [&](const char* title, const char* prefix, QDoubleSpinBox** spins,
                           const double* values) {
        auto* box = new QGroupBox(title);
        auto* form = new QFormLayout(box);
        for (int i = 0; i < 3; ++i) {
            const std::string name = std::string(prefix) + colours[i] + "Spin";
            spins[i] = RealSpin(name.c_str(), 0, 1, 0.05, values[i]);
            form->addRow(colours[i], spins[i]);
        }
        return box;
    };
    auto* emissive = colourGroup("Emissiveness", "Em", m_Emissive, defaults.Emissive);
    auto* reflections = colourGroup("Reflections", "Ref", m_Specular, defaults.Specular);
    auto* misc = new QGroupBox("Misc");
    m_PowerSpin = RealSpin("PowerSpin", 0, TMaterialSettings::kMaxPower, 1, defaults.Power, 0);
    m_TransparencySpin = new QSpinBox;
    m_TransparencySpin->setObjectName("TransparencySpin");
    m_TransparencySpin->setRange(0, 100);
    m_TransparencySpin->setSuffix(" % ");
    auto* miscForm = new QFormLayout(misc);
    miscForm->addRow("Power", m_PowerSpin);
    miscForm->addRow("Transparency", m_TransparencySpin);
    auto* set = ui::NamedButton("SetMaterialsBtn", "Set Materials");
    auto* close = ui::NamedButton("CloseBtn", "Close");
    auto* help = ui::NamedButton("HelpBtn", "Help");
    ui::SetHelpIcon(*help);
    connect(set, &QPushButton::clicked, this, &TMaterialDlg::SetMaterialsBtnClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(kMaterialsTopic); });
    auto* groups = new QHBoxLayout;
    for (QGroupBox* box : {emissive, reflections, misc})
        groups->addWidget(box);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {set, close, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
}

TMaterialSettings TMaterialDlg::Settings() const {
    TMaterialSettings s;
    for (int i = 0; i < 3; ++i) {
        s.Emissive[i] = m_Emissive[i]->value();
        s.Specular[i] = m_Specular[i]->value();
    }
    s.Power = m_PowerSpin->value();
    s.Transparency = m_TransparencySpin->value();
    return s;
}

bool TMaterialDlg::SetMaterialsBtnClick() {
    const scene::MeshBuilderPtr mesh = m_Core.Textures.SelectedBuilder;
    if (!mesh)
        return false;
    if (!SetMaterials(m_Core.Scene, m_Core.Ui, *mesh, Settings()))
        return false; // shown; the transparency stays
    emit RenderWithNotice();
    return true;
}

} // namespace lumora::viewer
