#include "viewer/gui/lvfind.h"

#include "viewer/StationFind.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

constexpr std::size_t kListed = 1000;

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("FindDlg");
    setWindowTitle("Find Station");
    m_Edit = new QLineEdit;
    m_Edit->setObjectName("FindEdit");
    m_Edit->setPlaceholderText("Station name; * and ? as wildcards");
    m_List = new QTreeWidget;
    m_List->setObjectName("FindList");
    m_List->setHeaderLabels({"Station", "Survey"});
    m_List->setRootIsDecorated(false);
    m_List->setUniformRowHeights(true); // a thousand rows list at once
    m_Count = new QLabel;
    m_Count->setObjectName("FindCountDis");
    auto* buttons = new QDialogButtonBox;
    QPushButton* show = buttons->addButton("Show", QDialogButtonBox::AcceptRole);
    show->setObjectName("FindShowBtn");
    show->setDefault(true); // Enter in the name shows the current station
    QPushButton* close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
    close->setObjectName("FindCloseBtn");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Edit);
    layout->addWidget(m_List, 1);
    layout->addWidget(m_Count);
    layout->addWidget(buttons);
    resize(320, 360);
    connect(m_Edit, &QLineEdit::textChanged, this, &TFindDlg::Search);
    connect(m_List, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    connect(show, &QPushButton::clicked, this, [this] { Choose(m_List->currentItem()); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void TFindDlg::SetStations(const TStationTable* table) {
    m_Table = table;
    Search();
}

void TFindDlg::Search() {
    m_List->clear();
    const QString pattern = m_Edit->text().trimmed();
    if (!m_Table || m_Table->Empty()) {
        m_Count->setText("No stations: process a cave file first.");
        return;
    }
    if (pattern.isEmpty()) {
        m_Count->setText(QString("%1 stations").arg(m_Table->Count()));
        return;
    }
    const TFindResult found = FindStations(*m_Table, pattern.toStdString(), kListed);
    QList<QTreeWidgetItem*> items;
    for (std::uint32_t station : found.Stations) {
        auto* item = new QTreeWidgetItem(
            {Text(m_Table->Name(station)), Text(m_Table->SurveyName(m_Table->At(station).Survey))});
        item->setData(0, Qt::UserRole, station);
        items.push_back(item);
    }
    m_List->addTopLevelItems(items);
    if (!items.empty())
        m_List->setCurrentItem(items.front());
    if (found.Total > found.Stations.size())
        m_Count->setText(QString("The first %1 of %2 stations (%3 more)")
                             .arg(found.Stations.size())
                             .arg(found.Total)
                             .arg(found.Total - found.Stations.size()));
    else
        m_Count->setText(found.Total == 1 ? QString("1 station")
                                          : QString("%1 stations").arg(found.Total));
}

void TFindDlg::Choose(QTreeWidgetItem* item) {
    if (item)
        emit StationChosen(item->data(0, Qt::UserRole).toUInt());
}

} // namespace lumora::viewer
