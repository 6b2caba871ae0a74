#include "viewer/gui/lvtxtdlg.h"

#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

constexpr double kUnlimited = 1e9; // as far as a spin box goes

// Two or three spins side by side, as one row of a form.
QWidget* Row(std::initializer_list<QWidget*> spins) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* spin : spins)
        layout->addWidget(spin);
    return row;
}

} // namespace

TTextureDlg::TTextureDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("TextureDlg");
    setWindowTitle("Texture/Wrap Settings");
    auto* pages = new QTabWidget;
    pages->setObjectName("PageControl1");
    pages->addTab(TexturePage(), "Texture");
    pages->addTab(WrapPage(), "Wrap");
    pages->addTab(FacesPage(), "Faces");
    auto* buttons = ui::CloseHelpRow(*this, [this] { emit HelpTopic(kTextureTopic); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    LoadValues();
}

QWidget* TTextureDlg::RealSpin(const char* name, double low, double high, double step, int decimals,
                               double TTextureDialogValues::*field) {
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(name);
    spin->setDecimals(decimals);
    spin->setRange(low, high);
    spin->setSingleStep(step);
    connect(spin, &QDoubleSpinBox::valueChanged, this,
            [this, field](double v) { m_Core.Textures.Dialog.*field = v; });
    m_Loaders.push_back([this, spin, field] {
        const QSignalBlocker quiet(spin);
        spin->setValue(m_Core.Textures.Dialog.*field);
    });
    return spin;
}

QWidget* TTextureDlg::VectorSpin(const char* name, double low, double high, double step,
                                 scene::Vector TTextureDialogValues::*vector,
                                 float scene::Vector::*part) {
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(name);
    spin->setDecimals(2);
    spin->setRange(low, high);
    spin->setSingleStep(step);
    connect(spin, &QDoubleSpinBox::valueChanged, this,
            [this, vector, part](double v) { m_Core.Textures.Dialog.*vector.*part = float(v); });
    m_Loaders.push_back([this, spin, vector, part] {
        const QSignalBlocker quiet(spin);
        spin->setValue(m_Core.Textures.Dialog.*vector.*part);
    });
    return spin;
}

QWidget* TTextureDlg::IntSpin(const char* name, int low, int high,
                              int TTextureDialogValues::*field) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(low, high);
    connect(spin, &QSpinBox::valueChanged, this,
            [this, field](int v) { m_Core.Textures.Dialog.*field = v; });
    m_Loaders.push_back([this, spin, field] {
        const QSignalBlocker quiet(spin);
        spin->setValue(m_Core.Textures.Dialog.*field);
    });
    return spin;
}

QWidget* TTextureDlg::TexturePage() {
    using V = TTextureDialogValues;
    auto* page = new QWidget;
    auto* white = new QCheckBox("White Background");
    white->setObjectName("WhiteBackChk");
    connect(white, &QCheckBox::toggled, this,
            [this](bool on) { m_Core.Textures.Dialog.WhiteBackground = on; });
    m_Loaders.push_back([this, white] {
        const QSignalBlocker quiet(white);
        white->setChecked(m_Core.Textures.Dialog.WhiteBackground);
    });
    auto* wrapBox = new QGroupBox("Wrap Type");
    wrapBox->setObjectName("WrapTypeRadio");
    auto* wrapLayout = new QVBoxLayout(wrapBox);
    m_WrapType = new QButtonGroup(this);
    int id = 0;
    for (const char* caption : {"Flat", "Cylinder", "Sphere", "Chrome"}) {
        auto* radio = new QRadioButton(caption);
        radio->setObjectName(QString(caption) + "Radio");
        m_WrapType->addButton(radio, id++);
        wrapLayout->addWidget(radio);
    }
    connect(m_WrapType, &QButtonGroup::idClicked, this,
            [this](int type) { m_Core.Textures.Dialog.WrapType = scene::WrapType(type); });
    m_Loaders.push_back(
        [this] { m_WrapType->button(int(m_Core.Textures.Dialog.WrapType))->setChecked(true); });
    m_FileDis = new QLabel;
    m_FileDis->setObjectName("FileDis");
    m_FileDis->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* load = ui::NamedButton("LoadTextureBtn", "Load Texture File");
    auto* apply = ui::NamedButton("ApplyToMeshBtn", "Apply To Mesh");
    auto* relative = ui::NamedButton("ApplyRelativeBtn", "Apply Relative");
    auto* remove = ui::NamedButton("RemoveTextureBtn", "Remove Texture");
    connect(load, &QPushButton::clicked, this, &TTextureDlg::LoadTextureBtnClick);
    connect(apply, &QPushButton::clicked, this, &TTextureDlg::ApplyToMeshBtnClick);
    connect(relative, &QPushButton::clicked, this, &TTextureDlg::ApplyRelativeBtnClick);
    connect(remove, &QPushButton::clicked, this, &TTextureDlg::RemoveTextureBtnClick);
    auto* presets = new QGroupBox("Preset Scales");
    presets->setObjectName("PresetGroup");
    auto* presetLayout = new QVBoxLayout(presets);
    for (const auto& [name, caption, preset] :
         {std::tuple{"CylinderBtn", "Cylinder", TPresetScale::Cylinder},
          std::tuple{"FlatBtn", "Flat", TPresetScale::Flat},
          std::tuple{"SphereBtn", "Sphere/Unit", TPresetScale::SphereUnit},
          std::tuple{"ChromeBtn", "Chrome", TPresetScale::Chrome}}) {
        auto* b = ui::NamedButton(name, caption);
        connect(b, &QPushButton::clicked, this, [this, p = preset] { PresetBtnClick(p); });
        presetLayout->addWidget(b);
    }
    auto* form = new QFormLayout;
    form->addRow("Shades", IntSpin("ShadesSpin", 1, 256, &V::Shades));
    form->addRow("Colors", IntSpin("ColorsSpin", 2, 1000000, &V::Colors));
    form->addRow("Texture Origin U, V",
                 Row({RealSpin("OriginUSpin", -kUnlimited, kUnlimited, 0.1, 3, &V::OriginU),
                      RealSpin("OriginVSpin", -kUnlimited, kUnlimited, 0.1, 3, &V::OriginV)}));
    form->addRow("Texture Scale U, V",
                 Row({RealSpin("ScaleUSpin", -kUnlimited, kUnlimited, 0.1, 3, &V::ScaleU),
                      RealSpin("ScaleVSpin", -kUnlimited, kUnlimited, 0.1, 3, &V::ScaleV)}));
    form->addRow(white);
    form->addRow(m_FileDis);
    auto* commands = new QVBoxLayout;
    for (QPushButton* b : {load, apply, relative, remove})
        commands->addWidget(b);
    auto* right = new QVBoxLayout;
    right->addWidget(wrapBox);
    right->addWidget(presets);
    right->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(commands);
    left->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right);
    return page;
}

QWidget* TTextureDlg::WrapPage() {
    using V = TTextureDialogValues;
    using scene::Vector;
    auto* page = new QWidget;
    auto vectorRow = [this](const char* prefix, double low, double high, double step,
                            Vector V::*vector) {
        const std::string x = std::string(prefix) + "XSpin", y = std::string(prefix) + "YSpin",
                          z = std::string(prefix) + "ZSpin";
        return Row({VectorSpin(x.c_str(), low, high, step, vector, &Vector::X),
                    VectorSpin(y.c_str(), low, high, step, vector, &Vector::Y),
                    VectorSpin(z.c_str(), low, high, step, vector, &Vector::Z)});
    };
    auto* form = new QFormLayout(page);
    form->addRow("Wrap Origin X, Y, Z",
                 vectorRow("WrapOrigin", -kUnlimited, kUnlimited, 1, &V::WrapOrigin));
    form->addRow("Direction Vector", vectorRow("Direction", -1, 1, 0.1, &V::Direction));
    form->addRow("Up Vector", vectorRow("Up", -1, 1, 0.1, &V::Up));
    return page;
}

QWidget* TTextureDlg::FacesPage() {
    using V = TTextureDialogValues;
    auto* page = new QWidget;
    auto* apply = ui::NamedButton("ApplyToFacesBtn", "Apply To Faces");
    connect(apply, &QPushButton::clicked, this, &TTextureDlg::ApplyToFacesBtnClick);
    m_FaceList = new QListWidget;
    m_FaceList->setObjectName("FaceList");
    auto* form = new QFormLayout;
    form->addRow("Vertex U,V",
                 Row({RealSpin("VertexUSpin", -kUnlimited, kUnlimited, 0.1, 2, &V::VertexU),
                      RealSpin("VertexVSpin", -kUnlimited, kUnlimited, 0.1, 2, &V::VertexV)}));
    form->addRow(apply);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(m_FaceList, 1);
    return page;
}

void TTextureDlg::LoadValues() {
    for (const auto& load : m_Loaders)
        load();
    m_FileDis->setText(QString::fromStdString(m_Core.Textures.FileReadout));
}

void TTextureDlg::ShowTextureDialog(scene::MeshBuilderPtr mesh) {
    m_Core.Textures.SelectedBuilder = std::move(mesh);
    LoadValues();
    exec();
}

bool TTextureDlg::LoadTextureBtnClick() {
    const QString file = Choosers.BitmapFile(this);
    if (file.isEmpty())
        return false;
    const std::string path = file.toStdString();
    std::string reason;
    const scene::Result loaded = LoadTextureFile(m_Core.Scene, m_Core.Textures, path, &reason);
    if (!CheckFileResult(m_Core.Ui, loaded, path, reason))
        return false;
    m_FileDis->setText(QString::fromStdString(m_Core.Textures.FileReadout));
    return true;
}

bool TTextureDlg::ApplyToMeshBtnClick() {
    if (!ApplyToMesh(m_Core.Scene, m_Core.Textures, m_Core.Ui, false))
        return false;
    emit SceneChanged();
    return true;
}

bool TTextureDlg::ApplyRelativeBtnClick() {
    if (!ApplyToMesh(m_Core.Scene, m_Core.Textures, m_Core.Ui, true))
        return false;
    emit SceneChanged();
    return true;
}

void TTextureDlg::RemoveTextureBtnClick() {
    RemoveTexture(m_Core.Scene, m_Core.Textures);
    emit SceneChanged();
}

void TTextureDlg::PresetBtnClick(TPresetScale preset) {
    if (!m_Core.Textures.SelectedBuilder)
        return;
    ApplyPresetScale(m_Core.Textures.Dialog, *m_Core.Textures.SelectedBuilder, preset);
    LoadValues();
}

bool TTextureDlg::ApplyToFacesBtnClick() {
    std::vector<std::string> lines;
    if (!ApplyToFaces(m_Core.Scene, m_Core.Textures, m_Core.Ui, lines))
        return false;
    m_FaceList->clear();
    for (const std::string& line : lines)
        m_FaceList->addItem(QString::fromStdString(line));
    emit SceneChanged();
    return true;
}

} // namespace lumora::viewer
