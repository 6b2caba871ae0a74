#include "viewer/StationTable.h"

#include "passage/lvcave.h"

#include <algorithm>
#include <unordered_map>

namespace lumora::viewer {

namespace {

bool IsStationRecord(char type) {
    return type == 'M' || type == 'D' || type == 'd';
}

scene::Vector ModelPosition(const survey::T3DVector& p, const passage::TStationAdjust& adjust) {
    passage::TStationList one(1);
    one[0].Position = p;
    return passage::SceneVertex(passage::FetchStation(one, 0, adjust).Position);
}

} // namespace

void TStationTable::Clear() {
    m_Stations.clear();
    m_Names.clear();
    m_Surveys.clear();
    m_ByRank.clear();
    m_FeetPerModelUnit = 1;
}

std::int32_t TStationTable::AddSurvey(std::string_view name) {
    m_Surveys.emplace_back(name);
    return std::int32_t(m_Surveys.size() - 1);
}

std::string_view TStationTable::SurveyName(std::int32_t survey) const {
    if (survey < 0 || survey >= std::int32_t(m_Surveys.size()))
        return {};
    return m_Surveys[survey];
}

std::size_t TStationTable::Add(std::string_view name, std::int32_t survey,
                               const survey::T3DVector& position, const scene::Vector& model,
                               TStationRank rank) {
    TStationEntry s;
    s.NameOffset = std::uint32_t(m_Names.size());
    s.NameLength = std::uint16_t(name.size());
    s.Rank = rank;
    s.Survey = survey;
    s.Position = position;
    s.Model = model;
    m_Names += name;
    m_Stations.push_back(s);
    return m_Stations.size() - 1;
}

void TStationTable::Finish() {
    m_ByRank.resize(m_Stations.size());
    for (std::size_t i = 0; i < m_ByRank.size(); ++i)
        m_ByRank[i] = std::uint32_t(i);
    std::stable_sort(m_ByRank.begin(), m_ByRank.end(), [this](std::uint32_t a, std::uint32_t b) {
        return m_Stations[a].Rank < m_Stations[b].Rank;
    });
}

void TStationTable::Build(const survey::TPlotData& data, const passage::TStationAdjust& adjust) {
    Clear();
    m_FeetPerModelUnit = adjust.MetricUnits ? 1 / adjust.FeetToMeters : 1;
    std::unordered_map<std::string_view, std::size_t> known;
    // Names are looked up in the plot records themselves, which outlive this build.
    const survey::TPlotArray& shots = data.Shots;
    known.reserve(std::size_t(shots.Count()));
    const std::int32_t surveys = data.Surveys.Count();
    for (std::int32_t s = 0; s < surveys; ++s)
        AddSurvey(data.Surveys[s].Name.View());
    std::int32_t survey = -1;
    for (std::int32_t i = 0; i < shots.Count(); ++i) {
        while (survey + 1 < surveys && data.Surveys[survey + 1].FirstShot <= i)
            ++survey;
        if (!IsStationRecord(shots.RecordType(i)))
            continue;
        const std::string_view name = shots.Station(i);
        const std::int32_t last =
            survey + 1 < surveys ? data.Surveys[survey + 1].FirstShot - 1 : shots.Count() - 1;
        const bool end = survey >= 0 && (i == data.Surveys[survey].FirstShot || i == last);
        const auto [it, added] = known.try_emplace(name, m_Stations.size());
        if (added) {
            const survey::T3DVector& p = shots.Position(i);
            Add(name, survey, p, ModelPosition(p, adjust),
                end ? TStationRank::SurveyEnd : TStationRank::Other);
        } else if (end && m_Stations[it->second].Rank == TStationRank::Other) {
            m_Stations[it->second].Rank = TStationRank::SurveyEnd;
        }
    }
    for (std::int32_t section = 0; section < data.Sections.Count(); ++section) {
        const survey::TFixedStations& fixed = data.Sections.FixedStations(section);
        for (std::int32_t f = 0; f < fixed.Count(); ++f) {
            const survey::TFixedStation& station = fixed[f];
            const auto it = known.find(station.Name.View());
            if (it != known.end())
                m_Stations[it->second].Rank = TStationRank::Fixed;
            else
                Add(station.Name.View(), -1, station.Position,
                    ModelPosition(station.Position, adjust), TStationRank::Fixed);
        }
    }
    Finish();
}

} // namespace lumora::viewer
