#include "analysis/gui/LVRose.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <exception>

namespace lumora::analysis {

namespace {

QButtonGroup* RadioGroup(QWidget* owner, const char* name, const char* title,
                         const QStringList& items, QGroupBox*& box) {
    box = new QGroupBox(title);
    box->setObjectName(name);
    auto* group = new QButtonGroup(owner);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i]);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    return group;
}

QDoubleSpinBox* FeetSpin(const char* name, double low, double high, int decimals) {
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(name);
    spin->setSuffix(" Ft.");
    spin->setDecimals(decimals);
    spin->setRange(low, high);
    spin->setSingleStep(1);
    return spin;
}

QSpinBox* CountSpin(const char* name, int low, int high) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(low, high);
    spin->setSingleStep(1);
    return spin;
}

QCheckBox* Check(const char* name, const char* caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    return box;
}

} // namespace

TRoseDlg::TRoseDlg(viewer::TViewerCore& core, const survey::TPlotData& data, QWidget* parent)
    : QDialog(parent), m_Core(core), m_Data(data) {
    setObjectName("RoseDlg");
    setWindowTitle("Rose Diagram");
    m_MinLenSpin = FeetSpin("MinLenSpin", 0, kMaxMinLength, 1);
    QGroupBox *graphBox = nullptr, *typeBox = nullptr;
    m_GraphByRadio =
        RadioGroup(this, "GraphByRadio", "Graph By:", {"Total Length", "Frequency"}, graphBox);
    m_RainbowChk = Check("RainbowChk", "Rainbow Colors");
    m_SlopeChk = Check("SlopeChk", "Use Slope Length");
    m_BaseChk = Check("BaseChk", "Show Base Diagram");
    m_PetalsSpin = CountSpin("PetalsSpin", kMinPetals, kMaxPetals);
    m_AngleDis = new QLabel;
    m_AngleDis->setObjectName("AngleDis");
    m_AngleDis->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_RoseTypeRadio = RadioGroup(this, "RoseTypeRadio", "Rose Type",
                                 {"360 Degree Rose", "180 Degree Rose", "Water Flow"}, typeBox);
    m_LayersSpin = CountSpin("LayersSpin", kMinLayers, kMaxLayers);
    m_ThickSpin = FeetSpin("ThickSpin", kMinThickness, kMaxThickness, 2);
    m_ThickSpin->setValue(1.0);
    auto* create = new QPushButton("Create Rose");
    create->setObjectName("CreateBtn");
    create->setDefault(true); // Enter makes the rose
    m_ProgressBar1 = new QProgressBar;
    m_ProgressBar1->setObjectName("ProgressBar1");
    m_ProgressBar1->setRange(0, 100);
    m_ProgressBar1->setValue(0);
    auto* close = new QPushButton("Close");
    close->setObjectName("CancelBtn");

    auto* left = new QFormLayout;
    left->addRow("Minimum Length", m_MinLenSpin);
    left->addRow(graphBox);
    left->addRow(m_RainbowChk);
    left->addRow(m_SlopeChk);
    left->addRow(m_BaseChk);
    auto* right = new QFormLayout;
    right->addRow("Petals", m_PetalsSpin);
    right->addRow("Angle", m_AngleDis);
    right->addRow(typeBox);
    right->addRow("Layers", m_LayersSpin);
    right->addRow("Layer Thickness", m_ThickSpin);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(create);
    buttons->addWidget(m_ProgressBar1, 1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    connect(m_LayersSpin, &QSpinBox::valueChanged, this, &TRoseDlg::LayersChanged);
    connect(m_ThickSpin, &QDoubleSpinBox::valueChanged, this, &TRoseDlg::ThickChanged);
    connect(m_PetalsSpin, &QSpinBox::valueChanged, this, &TRoseDlg::PetalsChanged);
    connect(create, &QPushButton::clicked, this, &TRoseDlg::CreateBtnClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    SetOptions(TRoseOptions{});
    const QSignalBlocker quiet(m_ThickSpin);
    m_ThickSpin->setValue(1.0); // until the dialog opens on a survey
}

TRoseOptions TRoseDlg::Options() const {
    TRoseOptions o;
    o.MinLength = m_MinLenSpin->value();
    o.GraphBy = m_GraphByRadio->checkedId() == 1 ? TGraphBy::Frequency : TGraphBy::TotalLength;
    o.Rainbow = m_RainbowChk->isChecked();
    o.SlopeLength = m_SlopeChk->isChecked();
    o.ShowBase = m_BaseChk->isChecked();
    o.Petals = m_PetalsSpin->value();
    o.RoseType = TRoseType(std::max(0, m_RoseTypeRadio->checkedId()));
    o.Layers = m_LayersSpin->value();
    return o;
}

void TRoseDlg::SetOptions(const TRoseOptions& o) {
    m_MinLenSpin->setValue(o.MinLength);
    m_GraphByRadio->button(o.GraphBy == TGraphBy::Frequency ? 1 : 0)->setChecked(true);
    m_RainbowChk->setChecked(o.Rainbow);
    m_SlopeChk->setChecked(o.SlopeLength);
    m_BaseChk->setChecked(o.ShowBase);
    m_PetalsSpin->setValue(o.Petals);
    PetalsChanged(m_PetalsSpin->value());
    m_RoseTypeRadio->button(int(o.RoseType))->setChecked(true);
    m_LayersSpin->setValue(o.Layers);
    LayersChanged(m_LayersSpin->value());
}

void TRoseDlg::ShowRoseDialog() {
    LayersChanged(m_LayersSpin->value());
    m_ProgressBar1->setValue(0);
    exec();
}

void TRoseDlg::LayersChanged(int layers) {
    const QSignalBlocker quiet(m_ThickSpin);
    m_ThickSpin->setValue(LayerThickness(RoseDepthRange(m_Data), layers));
}

void TRoseDlg::ThickChanged(double thickness) {
    const QSignalBlocker quiet(m_LayersSpin);
    m_LayersSpin->setValue(LayersForThickness(RoseDepthRange(m_Data), thickness));
}

void TRoseDlg::PetalsChanged(int petals) {
    m_AngleDis->setText(QString::fromStdString(AngleText(petals)));
}

void TRoseDlg::ShowProgress(int percent) {
    // The bar takes a new value (and repaints itself at once when that shows) at most every
    // 50 ms, and always at the start and the end: a survey of a million shots does not mean a
    // million repaints.
    const bool edge = percent == 0 || percent == 100;
    if (!edge && m_LastShown.isValid() && m_LastShown.elapsed() < kProgressRepaintInterval)
        return;
    // The build reports its start and its end twice (once per stage): once is enough.
    if (edge && m_Shown > 0 && m_ProgressBar1->value() == percent)
        return;
    m_ProgressBar1->setValue(percent);
    ++m_Shown;
    m_LastShown.start();
}

bool TRoseDlg::CreateBtnClick() {
    m_Shown = 0;
    m_LastShown.invalidate();
    bool made = false;
    {
        BusyCursorGuard busy(m_Core.Ui);
        try {
            made = CreateRose(m_Core, m_Data, Options(), m_Histogram,
                              [this](int percent) { ShowProgress(percent); });
        } catch (const std::exception& e) {
            m_Core.Ui.Warning(e.what());
        }
    }
    emit ModelChanged();
    return made;
}

} // namespace lumora::analysis
