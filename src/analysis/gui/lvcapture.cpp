#include "analysis/gui/lvcapture.h"

#include "ui/gui/HelpIcon.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumora::analysis {

namespace {

constexpr int kCaptureHelpTopic = 12;

QSpinBox* Spin(const char* name, int low, int high, int step) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(low, high); // a rate of 0 cannot be entered
    spin->setSingleStep(step);
    return spin;
}

} // namespace

TCaptureDlg::TCaptureDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CaptureDlg");
    setWindowTitle("AVI Capture Options");
    m_FPSSpin = Spin("FPSSpin", kMinFramesPerSec, kMaxFramesPerSec, 1);
    m_CompressSpin = Spin("CompressSpin", 0, kMaxCompression, 1);
    m_CompressSpin->setSuffix(" %");
    m_MaxFramesSpin = Spin("MaxFramesSpin", kMinMaxFrames, kMaxMaxFrames, kMaxFramesStep);
    m_LimitChk = new QCheckBox("Limit Movie Size");
    m_LimitChk->setObjectName("LimitChk");
    m_DisTime = new QLabel;
    m_DisTime->setObjectName("DisTime");
    m_DisTime->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* close = new QPushButton("Close");
    close->setObjectName("CloseBtn");
    close->setDefault(true);
    auto* help = new QPushButton("Help");
    help->setObjectName("HelpBtn");
    ui::SetHelpIcon(*help);

    auto* limit = new QGroupBox("Movie Size Limit");
    limit->setObjectName("LimitGroup");
    auto* limitForm = new QFormLayout(limit);
    limitForm->addRow("Max Frames", m_MaxFramesSpin);
    limitForm->addRow(m_LimitChk);
    limitForm->addRow(" Time:", m_DisTime);
    auto* form = new QFormLayout;
    form->addRow("Frames Per Sec.", m_FPSSpin);
    form->addRow("Compression", m_CompressSpin);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(limit);
    layout->addLayout(buttons);

    connect(m_FPSSpin, &QSpinBox::valueChanged, this, &TCaptureDlg::UpdateTime);
    connect(m_MaxFramesSpin, &QSpinBox::valueChanged, this, &TCaptureDlg::UpdateTime);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(kCaptureHelpTopic); });
    SetOptions(TCaptureOptions{});
}

TCaptureOptions TCaptureDlg::Options() const {
    TCaptureOptions o;
    o.FramesPerSec = m_FPSSpin->value();
    o.Compression = m_CompressSpin->value();
    o.MaxFrames = m_MaxFramesSpin->value();
    o.LimitMovieSize = m_LimitChk->isChecked();
    return o;
}

void TCaptureDlg::SetOptions(const TCaptureOptions& o) {
    m_FPSSpin->setValue(o.FramesPerSec);
    m_CompressSpin->setValue(o.Compression);
    m_MaxFramesSpin->setValue(o.MaxFrames);
    m_LimitChk->setChecked(o.LimitMovieSize);
    UpdateTime();
}

void TCaptureDlg::ShowOptions() {
    UpdateTime();
    exec();
}

QString TCaptureDlg::TimeShown() const {
    return m_DisTime->text();
}

void TCaptureDlg::UpdateTime() {
    m_DisTime->setText(
        QString::fromStdString(TimeText(m_MaxFramesSpin->value(), m_FPSSpin->value())));
}

} // namespace lumora::analysis
