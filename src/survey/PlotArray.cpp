#include "survey/PlotArray.h"

namespace lumora::survey {

TPlotArray::TPlotArray(std::int32_t initialCapacity) : m_Items(initialCapacity) {
    m_Comments.assign(1, '\0');
}

std::uint32_t TPlotArray::StoreComment(std::string_view comment) {
    if (comment.empty())
        return 0;
    const auto offset = static_cast<std::uint32_t>(m_Comments.size());
    m_Comments += static_cast<char>(comment.size());
    m_Comments += comment;
    return offset;
}

TPlotArray::TStored TPlotArray::ToStored(const TPlotRecord& r) {
    return TStored{r.RecordType, r.PMark,      r.Station, r.Position,
                   r.IValue,     r.Up,         r.Down,    r.Right,
                   r.Left,       r.ShotNumber, r.Flags,   StoreComment(r.Comment.View())};
}

std::int32_t TPlotArray::Add(const TPlotRecord& r) {
    const TStored stored = ToStored(r);
    return m_Items.Add(stored);
}

void TPlotArray::Put(std::int32_t i, const TPlotRecord& r) {
    m_Items.Put(i, ToStored(r));
}

void TPlotArray::Insert(const TPlotRecord& r, std::int32_t i) {
    if (i < 0 || i > Count())
        return;
    m_Items.Insert(ToStored(r), i);
}

void TPlotArray::Delete(std::int32_t i) {
    m_Items.Delete(i);
}

std::string_view TPlotArray::Comment(std::int32_t i) const {
    const std::uint32_t offset = m_Items[i].CommentOffset;
    const auto length = static_cast<unsigned char>(m_Comments[offset]);
    return std::string_view(m_Comments).substr(offset + 1, length);
}

void TPlotArray::Get(std::int32_t i, TPlotRecord& r) const {
    const TStored& s = m_Items[i];
    r.RecordType = s.RecordType;
    r.PMark = s.PMark;
    r.Station = s.Station;
    r.Position = s.Position;
    r.IValue = s.IValue;
    r.Up = s.Up;
    r.Down = s.Down;
    r.Right = s.Right;
    r.Left = s.Left;
    r.ShotNumber = s.ShotNumber;
    r.Flags = s.Flags;
    r.Comment.Assign(Comment(i));
}

TPlotRecord TPlotArray::Get(std::int32_t i) const {
    TPlotRecord r;
    Get(i, r);
    return r;
}

void TPlotArray::Clear() {
    m_Items.Clear();
    m_Comments.assign(1, '\0');
    m_Comments.shrink_to_fit();
}

TFixedStationArray::TFixedStationArray(std::int32_t initialCapacity) {
    m_Lists.reserve(static_cast<std::size_t>(initialCapacity));
}

TFixedStations& TFixedStationArray::NewList() {
    m_Lists.push_back(std::make_unique<TFixedStations>(1));
    return *m_Lists.back();
}

void TFixedStationArray::Clear() {
    m_Lists.clear();
}

TSectionArray::TSectionArray(std::int32_t initialCapacity) : THugeRecordArray(initialCapacity) {}

std::int32_t TSectionArray::AddSection(const TSectionRecord& r) {
    const std::int32_t index = Add(r);
    FixedLists.NewList();
    return index;
}

void TSectionArray::Clear() {
    FixedLists.Clear();
    THugeRecordArray::Clear();
}

TPlotData::TPlotData() = default;

TRange TPlotData::SectionSurveyRange(std::int32_t i) const {
    const std::int32_t last =
        i + 1 < Sections.Count() ? Sections[i + 1].FirstSurvey - 1 : Surveys.Count() - 1;
    return {Sections[i].FirstSurvey, last};
}

TRange TPlotData::SurveyShotRange(std::int32_t i) {
    LastSurveyRecord = Surveys[i];
    const std::int32_t last =
        i + 1 < Surveys.Count() ? Surveys[i + 1].FirstShot - 1 : Shots.Count() - 1;
    return {Surveys[i].FirstShot, last};
}

TRange TPlotData::SurveyTraverseRange(std::int32_t i) const {
    const std::int32_t last =
        i + 1 < Surveys.Count() ? Surveys[i + 1].FirstTraverse - 1 : TraverseStarts.Count() - 1;
    return {Surveys[i].FirstTraverse, last};
}

TRange TPlotData::TraverseShotRange(std::int32_t i) const {
    const std::int32_t last =
        i + 1 < TraverseStarts.Count() ? TraverseStarts[i + 1] - 1 : Shots.Count() - 1;
    return {TraverseStarts[i], last};
}

void TPlotData::ClearPlotData() {
    Shots.Clear();
    Surveys.Clear();
    Sections.Clear();
    TraverseStarts.Clear();
    Loops.Clear();
    Graph.Clear();
}

TPlotData& PlotData() {
    static TPlotData data;
    return data;
}

} // namespace lumora::survey
