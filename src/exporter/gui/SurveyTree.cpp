#include "exporter/gui/SurveyTree.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace lumora::exporter {

namespace {

constexpr int kIconSize = 14;
constexpr int kKindShift = 40;

QPixmap DrawIcon(int imageIndex) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    switch (imageIndex) {
    case 0: // section: a folder
        p.setBrush(QColor(222, 176, 64));
        p.drawRect(QRectF(1.5, 4.5, 11, 8));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case 1: // survey: a green notebook
        p.setBrush(QColor(40, 150, 60));
        p.drawRect(QRectF(2.5, 1.5, 9, 11));
        p.drawLine(QPointF(4.5, 1.5), QPointF(4.5, 12.5));
        break;
    case 2: // feature without range: a blue diamond
        p.setBrush(QColor(40, 90, 210));
        p.drawPolygon(QPolygonF({{7, 1}, {13, 7}, {7, 13}, {1, 7}}));
        break;
    case 3: // feature with range: an orange triangle
        p.setBrush(QColor(235, 130, 30));
        p.drawPolygon(QPolygonF({{7, 1.5}, {12.5, 12.5}, {1.5, 12.5}}));
        break;
    default: // station: a red survey mark
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(QRectF(3.5, 3.5, 7, 7));
        p.drawPoint(QPointF(7, 7));
        break;
    }
    return pixmap;
}

// The last index i in 0..count-1 with key(i) <= value (keys ascending), or -1.
template <class Key> std::int32_t LastAtOrBefore(std::int32_t count, Key key, std::int32_t value) {
    std::int32_t low = 0, high = count; // the answer + 1 lies in low..high
    while (low < high) {
        const std::int32_t mid = low + (high - low) / 2;
        if (key(mid) <= value)
            low = mid + 1;
        else
            high = mid;
    }
    return low - 1;
}

} // namespace

QIcon TreeIcon(int imageIndex) {
    static const std::array<QIcon, kTreeIconCount> icons = [] {
        std::array<QIcon, kTreeIconCount> made;
        for (int i = 0; i < kTreeIconCount; ++i) {
            // The same picture when selected.
            made[i].addPixmap(DrawIcon(i), QIcon::Normal);
            made[i].addPixmap(DrawIcon(i), QIcon::Selected);
        }
        return made;
    }();
    return icons[std::clamp(imageIndex, 0, kTreeIconCount - 1)];
}

QString PlotText(std::string_view text) {
    const QString utf8 = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (!utf8.contains(QChar::ReplacementCharacter))
        return utf8;
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

TSurveyTreeModel::TSurveyTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void TSurveyTreeModel::Attach(const survey::TPlotData& data) {
    beginResetModel();
    m_Data = &data;
    m_Sections = data.Sections.Count();
    m_Surveys = data.Surveys.Count();
    m_Records = data.Shots.Count();
    endResetModel();
}

void TSurveyTreeModel::Detach() {
    beginResetModel();
    m_Data = nullptr;
    m_Sections = m_Surveys = m_Records = 0;
    endResetModel();
}

quintptr TSurveyTreeModel::Id(TNode kind, std::int32_t item) {
    return quintptr(kind) << kKindShift | quintptr(std::uint32_t(item));
}

TSurveyTreeModel::TNode TSurveyTreeModel::KindOf(const QModelIndex& index) {
    return index.isValid() ? TNode(index.internalId() >> kKindShift) : TNode::Root;
}

std::int32_t TSurveyTreeModel::ItemOf(const QModelIndex& index) {
    return std::int32_t(index.internalId() & ((quintptr(1) << kKindShift) - 1));
}

survey::TRange TSurveyTreeModel::SurveysOf(std::int32_t section) const {
    const std::int32_t first = m_Data->Sections[section].FirstSurvey;
    const std::int32_t last =
        section + 1 < m_Sections ? m_Data->Sections[section + 1].FirstSurvey - 1 : m_Surveys - 1;
    return {std::max(first, 0), std::min(last, m_Surveys - 1)};
}

survey::TRange TSurveyTreeModel::RecordsOf(std::int32_t survey) const {
    const std::int32_t first = m_Data->Surveys[survey].FirstShot;
    const std::int32_t last =
        survey + 1 < m_Surveys ? m_Data->Surveys[survey + 1].FirstShot - 1 : m_Records - 1;
    return {std::max(first, 0), std::min(last, m_Records - 1)};
}

std::int32_t TSurveyTreeModel::SectionOf(std::int32_t survey) const {
    return LastAtOrBefore(
        m_Sections, [this](std::int32_t i) { return m_Data->Sections[i].FirstSurvey; }, survey);
}

std::int32_t TSurveyTreeModel::SurveyOf(std::int32_t record) const {
    return LastAtOrBefore(
        m_Surveys, [this](std::int32_t i) { return m_Data->Surveys[i].FirstShot; }, record);
}

QModelIndex TSurveyTreeModel::SurveyIndex(std::int32_t survey) const {
    const std::int32_t section = SectionOf(survey);
    if (section < 0)
        return {};
    return createIndex(survey - SurveysOf(section).First, 0, Id(TNode::Survey, survey));
}

QModelIndex TSurveyTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!m_Data || column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    switch (KindOf(parent)) {
    case TNode::Root:
        return createIndex(row, 0, Id(TNode::Section, row));
    case TNode::Section:
        return createIndex(row, 0, Id(TNode::Survey, SurveysOf(ItemOf(parent)).First + row));
    case TNode::Survey:
        return createIndex(row, 0, Id(TNode::Record, RecordsOf(ItemOf(parent)).First + row));
    case TNode::Record:
        break;
    }
    return {};
}

QModelIndex TSurveyTreeModel::parent(const QModelIndex& child) const {
    if (!m_Data)
        return {};
    switch (KindOf(child)) {
    case TNode::Survey: {
        const std::int32_t section = SectionOf(ItemOf(child));
        return section < 0 ? QModelIndex() : createIndex(section, 0, Id(TNode::Section, section));
    }
    case TNode::Record:
        return SurveyIndex(SurveyOf(ItemOf(child)));
    case TNode::Root:
    case TNode::Section:
        break;
    }
    return {};
}

int TSurveyTreeModel::rowCount(const QModelIndex& parent) const {
    if (!m_Data || parent.column() > 0)
        return 0;
    survey::TRange range;
    switch (KindOf(parent)) {
    case TNode::Root:
        return m_Sections;
    case TNode::Section:
        range = SurveysOf(ItemOf(parent));
        break;
    case TNode::Survey:
        range = RecordsOf(ItemOf(parent));
        break;
    case TNode::Record:
        return 0;
    }
    return range.Empty() ? 0 : range.Last - range.First + 1;
}

int TSurveyTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TSurveyTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TSurveyTreeModel::data(const QModelIndex& index, int role) const {
    if (!m_Data || !index.isValid())
        return {};
    const std::int32_t item = ItemOf(index);
    int imageIndex = 4;
    std::string_view name;
    switch (KindOf(index)) {
    case TNode::Section:
        imageIndex = 0;
        name = m_Data->Sections[item].Name.View();
        break;
    case TNode::Survey:
        imageIndex = 1 + std::min<int>(m_Data->Surveys[item].SurveyKind, 2);
        name = m_Data->Surveys[item].Name.View();
        break;
    case TNode::Record:
        name = m_Data->Shots.Station(item);
        break;
    case TNode::Root:
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return PlotText(name);
    case Qt::DecorationRole:
        return TreeIcon(imageIndex);
    case kImageIndexRole:
        return imageIndex;
    default:
        return {};
    }
}

Qt::ItemFlags TSurveyTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable |
           (KindOf(index) == TNode::Record ? Qt::ItemNeverHasChildren : Qt::ItemFlags());
}

} // namespace lumora::exporter
