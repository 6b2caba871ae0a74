// SurveyTree — the exporter window's survey tree as a model over the survey model: one row per
// section, under it one per survey, under that one per plot record of the survey in record order.
// Rows are made only when the view asks for them, so a file of a million station lines costs the
// tree nothing until a survey is opened, and then no more than the rows shown.
#pragma once

#include "survey/PlotArray.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <cstdint>
#include <string_view>

namespace lumora::exporter {

// The tree's icons (14 x 14): 0 section, 1 survey, 2 feature without range, 3 feature with range,
// 4 station.
inline constexpr int kTreeIconCount = 5;
QIcon TreeIcon(int imageIndex);

// A name of the plot file (8-bit text) for the screen: UTF-8 when it is valid UTF-8, else Latin-1.
QString PlotText(std::string_view text);

class TSurveyTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The icon index of a row (an int), as TreeIcon takes it.
    static constexpr int kImageIndexRole = Qt::UserRole + 1;

    explicit TSurveyTreeModel(QObject* parent = nullptr);

    // Shows data as a new tree. The model reads data whenever the view asks: data must not change
    // until Detach (the sizes are taken now).
    void Attach(const survey::TPlotData& data);
    // Shows an empty tree; call it before the survey model changes (a load replaces it).
    void Detach();
    bool Attached() const { return m_Data != nullptr; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    enum class TNode : quintptr { Root = 0, Section = 1, Survey = 2, Record = 3 };
    static quintptr Id(TNode kind, std::int32_t item);
    static TNode KindOf(const QModelIndex& index);
    static std::int32_t ItemOf(const QModelIndex& index);

    // Index ranges within the sizes taken at Attach; empty when Last < First.
    survey::TRange SurveysOf(std::int32_t section) const;
    survey::TRange RecordsOf(std::int32_t survey) const;
    // The section holding a survey and the survey holding a record (binary searches).
    std::int32_t SectionOf(std::int32_t survey) const;
    std::int32_t SurveyOf(std::int32_t record) const;
    QModelIndex SurveyIndex(std::int32_t survey) const;

    const survey::TPlotData* m_Data = nullptr;
    std::int32_t m_Sections = 0;
    std::int32_t m_Surveys = 0;
    std::int32_t m_Records = 0;
};

} // namespace lumora::exporter
