// The stations of the loaded survey as the viewer's overlays need them: each name once, with its
// survey, its position in feet and where it sits in the model frame, and whether it is a fixed
// station or the end of a survey (those are named first when names crowd).
#pragma once

#include "passage/CrossSection.h"
#include "platform/scene/SceneMath.h"
#include "survey/PlotArray.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::viewer {

// How much a station's name matters when names crowd: lower first.
enum class TStationRank : std::uint8_t { Fixed = 0, SurveyEnd = 1, Other = 2 };

struct TStationEntry {
    std::uint32_t NameOffset = 0; // into the table's name text
    std::uint16_t NameLength = 0;
    TStationRank Rank = TStationRank::Other;
    std::int32_t Survey = -1;   // index into the table's surveys; -1 none
    survey::T3DVector Position; // plot position, feet (east, north, up)
    scene::Vector Model;        // in the model frame's coordinates
};

class TStationTable {
public:
    // The stations of data's draw and move records, each name once with its first position (as
    // the reader keeps it), in file order; fixed stations not met in the records are added at
    // the end. Model positions follow the passage adjustments the cave was built with.
    void Build(const survey::TPlotData& data, const passage::TStationAdjust& adjust);
    void Clear();

    std::size_t Count() const { return m_Stations.size(); }
    bool Empty() const { return m_Stations.empty(); }
    const TStationEntry& At(std::size_t i) const { return m_Stations[i]; }
    std::string_view Name(std::size_t i) const {
        return std::string_view(m_Names).substr(m_Stations[i].NameOffset, m_Stations[i].NameLength);
    }
    // The survey's name; empty for none.
    std::string_view SurveyName(std::int32_t survey) const;
    // Indices by rank, fixed stations first, then survey ends, then the rest, each in file order.
    const std::vector<std::uint32_t>& ByRank() const { return m_ByRank; }
    // Feet in one unit of the model frame (1, or 1 / feet-to-metres for a cave built in metres).
    double FeetPerModelUnit() const { return m_FeetPerModelUnit; }

    // Adds a station (for tests and synthetic tables); returns its index.
    std::size_t Add(std::string_view name, std::int32_t survey, const survey::T3DVector& position,
                    const scene::Vector& model, TStationRank rank);
    std::int32_t AddSurvey(std::string_view name);
    // Sorts ByRank after Adds.
    void Finish();

private:
    std::vector<TStationEntry> m_Stations;
    std::string m_Names;
    std::vector<std::string> m_Surveys;
    std::vector<std::uint32_t> m_ByRank;
    double m_FeetPerModelUnit = 1;
};

} // namespace lumora::viewer
