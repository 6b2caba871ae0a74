#include "viewer/gui/lvdevdlg.h"

#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"
#include "viewer/lvdevice.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

// A group of radio buttons with ids 0, 1, 2, ... in the order of the captions.
QGroupBox* RadioGroup(const char* title, QButtonGroup*& group,
                      const std::vector<std::pair<const char*, const char*>>& radios,
                      QWidget* owner) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(owner);
    int id = 0;
    for (const auto& [name, caption] : radios) {
        auto* radio = new QRadioButton(caption);
        radio->setObjectName(name);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    return box;
}

} // namespace

std::string FallbackText(const std::string& driverName) {
    return "The driver \"" + driverName +
           "\" cannot draw in this run, so \"Default\" draws instead. To draw with Mesa's "
           "software rasteriser, start the program with LIBGL_ALWAYS_SOFTWARE=1.";
}

TDeviceDlg::TDeviceDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("DeviceDlg");
    setWindowTitle("Devices");
    m_Grid = new QTableWidget(int(render::TDriverTable::kMaxEntries), 4);
    m_Grid->setObjectName("DriverGrid");
    m_Grid->setHorizontalHeaderLabels({"#", "Device Driver", "Hardware", "Color Mode"});
    m_Grid->verticalHeader()->hide();
    m_Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const double scale = logicalDpiX() / 96.0;
    const int widths[] = {28, 113, 67, 65};
    for (int c = 0; c < 4; ++c)
        m_Grid->setColumnWidth(c, int(widths[c] * scale));
    m_Grid->verticalHeader()->setDefaultSectionSize(int(20 * scale));
    m_DeviceIdDis = new QLineEdit;
    m_DeviceIdDis->setObjectName("DeviceIdDis");
    m_DeviceIdDis->setReadOnly(true);
    auto* note = new QLabel(kDriverNote);
    note->setObjectName("NoteDis");
    note->setWordWrap(true);
    auto* ok = ui::NamedButton("OkBtn", "OK");
    auto* cancel = ui::NamedButton("CancelBtn", "Cancel");
    connect(m_Grid, &QTableWidget::currentCellChanged, this,
            [this](int row) { SelectRow(row + 1); });
    connect(ok, &QPushButton::clicked, this, [this] {
        accept();
        OkBtnClick();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Grid);
    layout->addWidget(new QLabel("Device ID"));
    layout->addWidget(m_DeviceIdDis);
    layout->addWidget(note);
    layout->addLayout(buttons);
}

void TDeviceDlg::Open() {
    const render::TDriverTable& table = m_Core.Drivers;
    m_Grid->clearContents();
    for (int row = 0; row < m_Grid->rowCount(); ++row) {
        const std::vector<std::string> texts = DriverRowTexts(table, row);
        const bool entry = row < int(table.Entries.size());
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(texts[c]));
            item->setFlags(entry ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
            m_Grid->setItem(row, c, item);
        }
    }
    m_Grid->setCurrentCell(table.CurrentDriver, 0);
    m_Grid->scrollToItem(m_Grid->item(table.CurrentDriver, 0));
    SelectRow(table.CurrentDriver + 1);
}

void TDeviceDlg::SelectRow(int row) {
    const auto& entries = m_Core.Drivers.Entries;
    if (row < 1 || row > int(entries.size()))
        return; // a blank row cannot be chosen
    if (m_Grid->currentRow() != row - 1)
        m_Grid->setCurrentCell(row - 1, 0);
    m_DeviceIdDis->setText(
        QString::fromStdString(render::FormatDriverId(entries[row - 1].Identifier)));
}

int TDeviceDlg::SelectedRow() const {
    return m_Grid->currentRow() + 1;
}

QString TDeviceDlg::DeviceId() const {
    return m_DeviceIdDis->text();
}

bool TDeviceDlg::OkBtnClick() {
    render::TDriverTable& table = m_Core.Drivers;
    const int chosen = SelectedRow() - 1;
    if (chosen < 0 || chosen >= int(table.Entries.size()))
        return false;
    table.CurrentDriver = chosen;
    const bool made =
        CheckResult(m_Core.Ui, RecreateDevice(m_Core.Scene, table, m_Core.DriverContext));
    if (made && table.CurrentDriver != chosen)
        m_Core.Ui.Warning(FallbackText(table.Entries[chosen].Name));
    emit DeviceChanged();
    if (made)
        emit RenderWithNotice();
    return made;
}

TRenderDlg::TRenderDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("RenderDlg");
    setWindowTitle("Display Modes");
    auto* fill = RadioGroup(
        "Display Mesh As:", m_Fill,
        {{"PointsRadio", "Points"}, {"WireFrameRadio", "Wire Frame"}, {"SolidRadio", "Solid"}},
        this);
    auto* shading = RadioGroup(
        "Shading", m_Shading,
        {{"FlatRadio", "Flat"}, {"GouraudRadio", "Gouraud"}, {"PhongRadio", "Phong"}}, this);
    auto* show = RadioGroup(
        "Show ", m_Show,
        {{"OutsideRadio", "Outside"}, {"InsideRadio", "Inside"}, {"BothRadio", "Both"}}, this);
    auto* smoothing = new QGroupBox("Texture Smoothing");
    m_DitheringChk = new QCheckBox("Dithering");
    m_DitheringChk->setObjectName("DitheringChk");
    m_FilteringChk = new QCheckBox("Texture Filtering");
    m_FilteringChk->setObjectName("TextureFilteringChk");
    auto* smoothingLayout = new QVBoxLayout(smoothing);
    smoothingLayout->addWidget(m_DitheringChk);
    smoothingLayout->addWidget(m_FilteringChk);
    auto* ok = ui::NamedButton("OkBtn", "OK");
    auto* cancel = ui::NamedButton("CancelBtn", "Cancel");
    auto* help = ui::NamedButton("HelpBtn", "Help");
    ui::SetHelpIcon(*help);
    connect(ok, &QPushButton::clicked, this, [this] {
        accept();
        OkBtnClick();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(11); });
    auto* groups = new QHBoxLayout;
    for (QGroupBox* box : {fill, shading, show, smoothing})
        groups->addWidget(box);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
}

void TRenderDlg::Open() {
    if (m_Core.Scene.Device)
        SetModes(ReadDisplayModes(*m_Core.Scene.Device));
}

TDisplayModes TRenderDlg::Modes() const {
    TDisplayModes m;
    m.Fill = TFillMode(m_Fill->checkedId());
    m.Shading = TShadeMode(m_Shading->checkedId());
    m.Show = TShowSides(m_Show->checkedId());
    m.Dithering = m_DitheringChk->isChecked();
    m.TextureFiltering = m_FilteringChk->isChecked();
    return m;
}

void TRenderDlg::SetModes(const TDisplayModes& m) {
    m_Fill->button(int(m.Fill))->setChecked(true);
    m_Shading->button(int(m.Shading))->setChecked(true);
    m_Show->button(int(m.Show))->setChecked(true);
    m_DitheringChk->setChecked(m.Dithering);
    m_FilteringChk->setChecked(m.TextureFiltering);
}

bool TRenderDlg::OkBtnClick() {
    if (!m_Core.Scene.Device)
        return false;
    const bool notice = ApplyDisplayModes(*m_Core.Scene.Device, Modes());
    if (notice)
        emit RenderWithNotice();
    return notice;
}

} // namespace lumora::viewer
