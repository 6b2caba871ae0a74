#include "passage/gui/lvcavmsh.h"

#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "ui/gui/HelpIcon.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <unistd.h>

#include <charconv>
#include <exception>

namespace lumora::passage {

std::int64_t MeshBytes(const TMeshEstimate& e) {
    return 41 * e.Vertices + 17 * e.Normals + 91 * e.Faces;
}

std::string MegText(std::int64_t bytes) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, double(bytes) / 1048576.0,
                                   std::chars_format::fixed, 1);
    return std::string(buffer, end.ptr) + " Meg";
}

std::int64_t AvailableMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && size > 0 ? std::int64_t(pages) * size : 0;
}

namespace {

QLabel* Panel(const char* name, bool red = false) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (red)
        label->setStyleSheet("color: red");
    return label;
}

QButtonGroup* RadioGroup(QWidget* owner, const char* name, const char* title,
                         const QStringList& items, int checked, QGroupBox*& box) {
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
    group->button(checked)->setChecked(true);
    return group;
}

QDoubleSpinBox* RealSpin(const char* name, const char* unit, double limit, double value) {
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(name);
    spin->setSuffix(QString(" ") + unit);
    spin->setDecimals(1);
    spin->setRange(0, limit);
    spin->setSingleStep(1);
    spin->setValue(value);
    return spin;
}

QCheckBox* Check(const char* name, const char* caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

TCaveMeshDlg::TCaveMeshDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CaveMeshDlg");
    setWindowTitle("Cave Mesh Settings");
    m_Tabs = new QTabWidget;
    m_Tabs->addTab(PlotFilePage(), "Plot File");
    m_Tabs->addTab(OptionsPage(), "Passage Options");
    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton("Process File", QDialogButtonBox::AcceptRole);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("CancelBtn");
    auto* help = buttons->addButton(QDialogButtonBox::Help);
    help->setObjectName("HelpBtn");
    ui::SetHelpIcon(*help);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(1); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Tabs);
    layout->addWidget(buttons);
}

QWidget* TCaveMeshDlg::PlotFilePage() {
    auto* page = new QWidget;
    auto* open = new QPushButton("Open File");
    open->setObjectName("OpenFileBtn");
    connect(open, &QPushButton::clicked, this, [this] {
        try {
            OpenFileBtnClick();
        } catch (const std::exception& e) {
            QMessageBox::critical(this, windowTitle(), e.what());
        }
    });
    m_FileDis = Panel("FileDis");
    m_MeshSizeDis = Panel("MeshSizeDis");
    m_MemSizeDis = Panel("MemSizeDis");
    m_ShotDis = Panel("ShotDis");
    m_PolyDis = Panel("PolyDis");
    m_MessDis1 = Panel("MessDis1", true);
    m_MessDis2 = new QLabel;
    m_MessDis2->setObjectName("MessDis2");
    m_MessDis2->setStyleSheet("color: red");
    m_MessDis2->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(open, m_FileDis);
    form->addRow("Memory Required", m_MeshSizeDis);
    form->addRow("Available Memory", m_MemSizeDis);
    form->addRow("Shots", m_ShotDis);
    form->addRow("Polygons", m_PolyDis);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(m_MessDis1);
    layout->addWidget(m_MessDis2);
    layout->addStretch();
    return page;
}

QWidget* TCaveMeshDlg::OptionsPage() {
    auto* page = new QWidget;
    QGroupBox *shapeBox = nullptr, *cornerBox = nullptr;
    m_PassShapeRadio = RadioGroup(this, "PassShapeRadio", "Passage Shape",
                                  {"Square", "Diamond", "Octagon"}, 2, shapeBox);
    m_CornerRadio = RadioGroup(this, "CornerRadio", "Rounding Depth",
                               {"None", "One Pass", "Two Pass"}, 1, cornerBox);
    m_CornerAngleSpin = RealSpin("CornerAngleSpin", "Deg.", 180, 20);
    m_SealChk = Check("SealChk", "Seal Passage Ends");
    m_SubSpin = RealSpin("SubSpin", "Ft.", 90, 2);
    m_SubChk = Check("SubChk", "Subst. Missing LRUDs");
    m_ExpandChk = Check("ExpandChk", "Expand Passages");
    m_VerticalChk = Check("VerticalChk", "Vertical Prisms");
    m_VerticalAngleSpin = RealSpin("VerticalAngleSpin", "Deg.", 90, 50);

    auto* corner = new QFormLayout;
    corner->addRow("Corner Threshold", m_CornerAngleSpin);
    auto* substitute = new QGroupBox("Substitue Dimensions");
    auto* subForm = new QFormLayout(substitute);
    subForm->addRow("Substitue Diameter", m_SubSpin);
    subForm->addRow(m_SubChk);
    subForm->addRow(m_ExpandChk);
    auto* vertical = new QGroupBox("Vertical Passages");
    auto* vertForm = new QFormLayout(vertical);
    vertForm->addRow(m_VerticalChk);
    vertForm->addRow("Vertical Threshold", m_VerticalAngleSpin);

    auto* left = new QVBoxLayout;
    left->addWidget(shapeBox);
    left->addWidget(cornerBox);
    left->addLayout(corner);
    left->addWidget(m_SealChk);
    auto* right = new QVBoxLayout;
    right->addWidget(substitute);
    right->addWidget(vertical);
    right->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right);

    // Only these controls change the estimate; the angles and vertical prisms do not.
    connect(m_PassShapeRadio, &QButtonGroup::idClicked, this, &TCaveMeshDlg::RefreshShown);
    connect(m_CornerRadio, &QButtonGroup::idClicked, this, &TCaveMeshDlg::RefreshShown);
    connect(m_SealChk, &QCheckBox::clicked, this, &TCaveMeshDlg::RefreshShown);
    connect(m_SubChk, &QCheckBox::clicked, this, &TCaveMeshDlg::RefreshShown);
    return page;
}

void TCaveMeshDlg::ApplyMeshOptions(TPassageOptions& o) const {
    o.SubstituteDiam = m_SubChk->isChecked() ? m_SubSpin->value() : 0;
    o.CornerThreshold = m_CornerAngleSpin->value();
    o.RoundDepth = m_CornerRadio->checkedId();
    o.VerticalPrisms = m_VerticalChk->isChecked();
    o.VerticalThreshold = m_VerticalAngleSpin->value();
    o.ExpandWalls = m_ExpandChk->isChecked();
    o.SealEnds = m_SealChk->isChecked();
    const int shape = m_PassShapeRadio->checkedId();
    if (shape >= 0 && shape <= 2)
        o.PassShape = TPassShape(shape);
}

void TCaveMeshDlg::OpenFileBtnClick() {
    const QString path =
        QFileDialog::getOpenFileName(this, "Open Plot File", QDir::currentPath(),
                                     "Quiltra Plot Files (*.plt *.plf);;All Files (*)");
    if (!path.isEmpty())
        SetPlotFile(path.toStdString());
}

void TCaveMeshDlg::SetPlotFile(const std::string& path) {
    CurrentPlotFile = path;
    m_FileDis->setText(QFileInfo(QString::fromStdString(path)).fileName());
    m_MessDis1->setText("Analyzing File");
    m_MessDis2->clear();
    repaint();
    const survey::TPlotCounts counts = survey::CountPlotRecords(path);
    ShotCount = counts.DrawCount + counts.EndCount;
    RefreshEstimate();
}

void TCaveMeshDlg::RefreshEstimate() {
    if (CurrentPlotFile.empty())
        return;
    ApplyMeshOptions(m_Scratch);
    const survey::TPlotCounts counts = survey::CountPlotRecords(CurrentPlotFile);
    // The shot count follows the file (a file set from "Reopen" was never counted before).
    ShotCount = counts.DrawCount + counts.EndCount;
    const TMeshEstimate estimate =
        EstimatePassageMesh(counts.DrawCount, counts.EndCount, m_Scratch);
    const std::int64_t required = MeshBytes(estimate);
    const std::int64_t available = AvailableMemory();
    m_PolyDis->setText(QString::number(estimate.Faces));
    m_MemSizeDis->setText(QString::fromStdString(MegText(available)));
    m_MeshSizeDis->setText(QString::fromStdString(MegText(required)));
    m_ShotDis->setText(QString::number(ShotCount));
    m_MessDis1->setText(required > available ? kMemoryWarning : "");
    m_MessDis2->setText(estimate.Faces > 64000 ? kFaceWarning : "");
}

void TCaveMeshDlg::RefreshShown() {
    try {
        RefreshEstimate();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, windowTitle(), e.what());
    }
}

bool TCaveMeshDlg::Execute() {
    m_FileDis->setText(QFileInfo(QString::fromStdString(CurrentPlotFile)).fileName());
    RefreshShown();
    return exec() == QDialog::Accepted && !CurrentPlotFile.empty();
}

} // namespace lumora::passage
