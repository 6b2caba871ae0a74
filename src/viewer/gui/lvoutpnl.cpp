#include "viewer/gui/lvoutpnl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace lumora::viewer {

TOutlinePanel::TOutlinePanel(THierarchy& hierarchy, QWidget* parent)
    : QWidget(parent), m_Hierarchy(hierarchy) {
    setObjectName("OutPanel");
    setMinimumWidth(0);
    auto* header = new QHBoxLayout;
    for (const char* name : {"XBtn", "OutHelpBtn"}) {
        auto* button = new QPushButton(QString(name) == "XBtn" ? "X" : "?");
        button->setObjectName(name);
        button->setFixedSize(20, 20);
        connect(button, &QPushButton::clicked, this, [this, name] { emit ButtonClicked(name); });
        header->addWidget(button);
    }
    header->addWidget(new QLabel("Scene Heirarchy"));
    header->addStretch();
    m_Outline = new QTreeWidget;
    m_Outline->setObjectName("DXOutline");
    m_Outline->setHeaderHidden(true);
    connect(m_Outline, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        m_Hierarchy.Select(item->data(0, Qt::UserRole).toInt());
        ShowPage();
    });
    m_Pages = new QStackedWidget;
    m_Pages->setFixedHeight(149);
    m_Pages->addWidget(Page("FramePage", "Frame Options", {"Edit Frame"}));
    m_Pages->addWidget(
        Page("BuilderPage", "Mesh Builder Options",
             {"Set Color", "Set Texture", "Set Normals", "Set Materials", "Delete Mesh", "Save"}));
    m_Pages->addWidget(Page("ProgPage", "Progressive Mesh Options", {"Edit Progressive"}));
    m_Pages->addWidget(Page("LightPage", "Light Options", {"Edit Light"}));
    m_Pages->addWidget(Page("UnknownPage", "Unknown", {}));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(header);
    layout->addWidget(m_Outline, 1);
    layout->addWidget(m_Pages);
}

QWidget* TOutlinePanel::Page(const char* name, const char* heading,
                             const std::vector<const char*>& buttons) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(heading));
    for (const char* caption : buttons) {
        auto* button = new QPushButton(caption);
        QString objectName = QString(caption).remove(' ') + "Btn";
        button->setObjectName(objectName);
        connect(button, &QPushButton::clicked, this,
                [this, objectName] { emit ButtonClicked(objectName); });
        layout->addWidget(button);
    }
    layout->addStretch();
    return page;
}

void TOutlinePanel::Rebuild() {
    m_Outline->clear();
    std::vector<QTreeWidgetItem*> parents; // the last item of each level
    const auto& items = m_Hierarchy.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const THierarchyItem& it = items[i];
        const std::size_t level = std::size_t(std::max(0, it.Level));
        QTreeWidgetItem* item = level == 0 || parents.size() < level
                                    ? new QTreeWidgetItem(m_Outline)
                                    : new QTreeWidgetItem(parents[level - 1]);
        item->setText(0, QString::fromStdString(it.Text));
        item->setData(0, Qt::UserRole, int(i + 1));
        parents.resize(level + 1);
        parents[level] = item;
    }
    m_Outline->expandAll();
    SelectItem(1);
}

void TOutlinePanel::SelectItem(int index) {
    m_Hierarchy.Select(index);
    for (QTreeWidgetItemIterator it(m_Outline); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == index)
            m_Outline->setCurrentItem(*it);
    ShowPage();
}

void TOutlinePanel::ShowPage() {
    m_Pages->setCurrentIndex(int(m_Hierarchy.Page()));
}

QString TOutlinePanel::PageName() const {
    return m_Pages->currentWidget()->objectName();
}

} // namespace lumora::viewer
