#include "analysis/gui/lveffectsdlg.h"

#include "analysis/gui/LVRose.h" // kProgressRepaintInterval
#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <exception>

namespace lumora::analysis {

TDialogProgress::TDialogProgress(QWidget& dialog, QProgressBar& bar, QLabel& counter)
    : m_Dialog(dialog), m_Bar(bar), m_Counter(counter) {}

void TDialogProgress::SetMaximum(std::size_t maximum) {
    m_Maximum = maximum;
}

void TDialogProgress::SetPosition(std::size_t position) {
    m_Position = position;
}

void TDialogProgress::SetCounter(const std::string& text) {
    m_CounterText = text;
}

void TDialogProgress::Repaint() {
    if (m_LastShown.isValid() && m_LastShown.elapsed() < kProgressRepaintInterval)
        return;
    Show();
}

void TDialogProgress::Start() {
    m_Repaints = 0;
    m_LastShown.invalidate();
}

void TDialogProgress::Finish() {
    Show();
}

void TDialogProgress::Show() {
    // The bar counts in ints: a bigger total is shown in steps of more than one.
    const std::size_t step = m_Maximum / INT_MAX + 1;
    m_Bar.setRange(0, int(m_Maximum / step));
    m_Bar.setValue(int(std::min(m_Position, m_Maximum) / step));
    m_Counter.setText(QString::fromStdString(m_CounterText));
    m_Dialog.repaint();
    ++m_Repaints;
    m_LastShown.start();
}

TColorDlg::TColorDlg(viewer::TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("ColorDlg");
    setWindowTitle("Special Effects");
    ChooseColor = [](const QColor& initial, QWidget* parent) {
        return QColorDialog::getColor(initial, parent);
    };
    m_Pages = new QTabWidget;
    m_Pages->setObjectName("PageControl1");
    m_Pages->addTab(DepthPage(), "Color By Depth");
    m_Pages->addTab(MiscPage(), "Misc.");
    m_ProgressBar1 = new QProgressBar;
    m_ProgressBar1->setObjectName("ProgressBar1");
    m_ProgressBar1->setRange(0, 1);
    m_ProgressBar1->setValue(0);
    m_Progress = std::make_unique<TDialogProgress>(*this, *m_ProgressBar1, *m_CntDis);
    auto* buttons = ui::CloseHelpRow(*this, [this] { emit HelpTopic(kEffectsTopic); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Pages, 1);
    layout->addWidget(m_ProgressBar1);
    layout->addLayout(buttons);
}

QWidget* TColorDlg::DepthPage() {
    auto* page = new QWidget;
    m_DepthBar = new TColorBarWidget;
    m_DepthBar->setObjectName("DepthBar");
    m_DepthBar->setMinimumSize(48, 260);
    m_DepthBar->Bar().SetColorCount(TColorCount::dc24);
    m_DepthBar->Bar().ScaleFactor = 1.0;
    auto* gradient = ui::NamedButton("GradientBtn", "Gradient");
    auto* setColor = ui::NamedButton("SetColorBtn", "Set Color");
    auto* colorBy = ui::NamedButton("ColorByDepthBtn", "Color By Depth");
    m_CntDis = new QLabel;
    m_CntDis->setObjectName("CntDis");
    m_CntDis->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_CntDis->setMinimumWidth(90);
    m_Color24Chk = new QCheckBox("24 Color Mode");
    m_Color24Chk->setObjectName("Color24Chk");
    m_Color24Chk->setChecked(true);
    connect(gradient, &QPushButton::clicked, this, &TColorDlg::GradientBtnClick);
    connect(setColor, &QPushButton::clicked, this, &TColorDlg::SetColorBtnClick);
    connect(colorBy, &QPushButton::clicked, this, &TColorDlg::ColorByDepthBtnClick);
    connect(m_Color24Chk, &QCheckBox::toggled, this, [this](bool on) {
        m_DepthBar->Bar().SetColorCount(on ? TColorCount::dc24 : TColorCount::dc12);
    });
    auto* side = new QVBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{gradient, setColor, colorBy, m_CntDis, m_Color24Chk})
        side->addWidget(w);
    side->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_DepthBar);
    layout->addLayout(side);
    return page;
}

QWidget* TColorDlg::MiscPage() {
    auto* page = new QWidget;
    auto* transparency = new QGroupBox("Transparency");
    transparency->setObjectName("TransparencyGroup");
    m_TransparentSpin = new QSpinBox;
    m_TransparentSpin->setObjectName("TransparentSpin");
    m_TransparentSpin->setSuffix(" % ");
    m_TransparentSpin->setRange(0, 100);
    m_TransparentSpin->setSingleStep(1);
    m_TransparentSpin->setValue(kDefaultTransparency);
    auto* apply = ui::NamedButton("ApplyBtn", "Apply");
    connect(apply, &QPushButton::clicked, this, &TColorDlg::ApplyBtnClick);
    auto* transparencyRow = new QHBoxLayout(transparency);
    transparencyRow->addWidget(m_TransparentSpin);
    transparencyRow->addWidget(apply);
    auto* rock = new QGroupBox("Rock Texture");
    rock->setObjectName("RockGroup");
    auto* setRock = ui::NamedButton("SetRockBtn", "Set Rock Texture");
    auto* remove = ui::NamedButton("RemoveTextureBtn", "Remove Texture");
    connect(setRock, &QPushButton::clicked, this, &TColorDlg::SetRockBtnClick);
    connect(remove, &QPushButton::clicked, this, &TColorDlg::RemoveTextureBtnClick);
    auto* rockRow = new QHBoxLayout(rock);
    rockRow->addWidget(setRock);
    rockRow->addWidget(remove);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(transparency);
    layout->addWidget(rock);
    layout->addStretch();
    return page;
}

void TColorDlg::ShowEffects() {
    m_Pages->setCurrentIndex(0);
    exec();
}

void TColorDlg::GradientBtnClick() {
    TColorBar& bar = m_DepthBar->Bar();
    bar.Gradient(0, bar.Count()); // from the first visible band to the last
}

void TColorDlg::SetColorBtnClick() {
    TColorBar& bar = m_DepthBar->Bar();
    const int band = bar.Selected();
    const QColor c = ChooseColor(ToQColor(bar.Entry(band).Color), this);
    if (c.isValid())
        bar.SetEntryColor(band, FrameworkColor(c));
}

std::size_t TColorDlg::ColorByDepthBtnClick() {
    std::size_t faces = 0;
    {
        BusyCursorGuard busy(m_Core.Ui);
        m_Progress->Start();
        try {
            faces = ColorByDepth(m_Core, m_DepthBar->Bar(), *m_Progress);
        } catch (const std::exception& e) {
            m_Core.Ui.Warning(e.what());
        }
        m_Progress->Finish();
    }
    emit DepthColouring(faces > 0);
    emit RenderWithNotice();
    return faces;
}

void TColorDlg::ApplyBtnClick() {
    {
        BusyCursorGuard busy(m_Core.Ui);
        m_Progress->Start();
        try {
            ApplyTransparency(m_Core, m_TransparentSpin->value(), *m_Progress);
        } catch (const std::exception& e) {
            m_Core.Ui.Warning(e.what());
        }
        m_Progress->Finish();
    }
    emit RenderWithNotice();
}

bool TColorDlg::SetRockBtnClick() {
    bool set = false;
    {
        BusyCursorGuard busy(m_Core.Ui);
        try {
            set = SetRockTexture(m_Core);
        } catch (const std::exception& e) {
            m_Core.Ui.Warning(e.what());
        }
    }
    if (!set)
        return false;
    if (m_Core.Textures.Dialog.WhiteBackground)
        emit DepthColouring(false); // the passages turned white under the picture
    emit RenderWithNotice();
    return true;
}

void TColorDlg::RemoveTextureBtnClick() {
    RemoveRockTexture(m_Core);
    emit DepthColouring(false); // the passages are red again
    emit SceneChanged();
}

} // namespace lumora::analysis
