// Hand-built survey models and recording output procedures for the passage tests.
#pragma once

#include "passage/PassageLib.h"
#include "survey/PlotArray.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace lumora::test {

using passage::T3DVector;

// Appends sections, surveys and station records to a model the way the reader fills it.
class TCaveBuilder {
public:
    explicit TCaveBuilder(survey::TPlotData& data) : m_Data(data) {}

    TCaveBuilder& Section(const std::string& name) {
        survey::TSectionRecord section;
        section.Name.Assign(name);
        section.FirstSurvey = m_Data.Surveys.Count();
        m_Data.Sections.AddSection(section);
        return *this;
    }
    // kind 0 survey, 1 feature, 2 feature with a range.
    TCaveBuilder& Survey(std::uint8_t kind = 0) {
        if (m_Data.Sections.Count() == 0)
            Section("(None)");
        survey::TSurveyRecord survey;
        survey.Name.Assign("S" + std::to_string(m_Data.Surveys.Count()));
        survey.SurveyKind = kind;
        survey.IsFeature = kind != 0;
        survey.FirstShot = m_Data.Shots.Count();
        survey.FirstTraverse = m_Data.TraverseStarts.Count();
        m_Data.Surveys.Add(survey);
        return *this;
    }
    // A station line: dimensions in the order Left, Right, Up, Down.
    TCaveBuilder& Station(char type, T3DVector position, float left = 0, float right = 0,
                          float up = 0, float down = 0) {
        survey::TPlotRecord record;
        record.RecordType = type;
        record.Station.Assign("P" + std::to_string(m_Data.Shots.Count()));
        record.Position = position;
        record.Left = left;
        record.Right = right;
        record.Up = up;
        record.Down = down;
        if (type == 'M' || type == 'L')
            m_Data.TraverseStarts.Add(m_Data.Shots.Count());
        m_Data.Shots.Add(record);
        return *this;
    }
    TCaveBuilder& Move(T3DVector p, float l = 0, float r = 0, float u = 0, float d = 0) {
        return Station('M', p, l, r, u, d);
    }
    TCaveBuilder& Draw(T3DVector p, float l = 0, float r = 0, float u = 0, float d = 0) {
        return Station('D', p, l, r, u, d);
    }

private:
    survey::TPlotData& m_Data;
};

// One polygon as an output procedure received it.
struct TPolygon {
    bool IsCap = false;
    bool IsStart = false;
    std::int32_t Survey = -1; // CurrentSurvey when it arrived
    std::vector<T3DVector> Points;
};

inline bool SameBits(const T3DVector& a, const T3DVector& b) {
    return std::bit_cast<std::uint64_t>(a.X) == std::bit_cast<std::uint64_t>(b.X) &&
           std::bit_cast<std::uint64_t>(a.Y) == std::bit_cast<std::uint64_t>(b.Y) &&
           std::bit_cast<std::uint64_t>(a.Z) == std::bit_cast<std::uint64_t>(b.Z);
}

inline bool SameBits(const TPolygon& a, const TPolygon& b) {
    if (a.IsCap != b.IsCap || a.IsStart != b.IsStart || a.Survey != b.Survey ||
        a.Points.size() != b.Points.size())
        return false;
    for (std::size_t i = 0; i < a.Points.size(); ++i)
        if (!SameBits(a.Points[i], b.Points[i]))
            return false;
    return true;
}

// Runs a generator (the library's or a reference one) and records every polygon in order.
struct TRecorder {
    std::vector<TPolygon> Polygons;
    const passage::TPassageRunState* State = nullptr;

    void Wall(const T3DVector& p0, const T3DVector& p1, const T3DVector& p2, const T3DVector& p3) {
        Polygons.push_back({false, false, State ? State->CurrentSurvey : -1, {p0, p1, p2, p3}});
    }
    void Cap(const T3DVector& centre, const T3DVector& a, const T3DVector& b, bool isStart) {
        Polygons.push_back({true, isStart, State ? State->CurrentSurvey : -1, {centre, a, b}});
    }
    std::size_t Count(bool caps) const {
        std::size_t n = 0;
        for (const TPolygon& p : Polygons)
            n += p.IsCap == caps ? 1 : 0;
        return n;
    }
};

// Runs the library's generator on data into a recorder.
inline TRecorder RecordPassages(const survey::TPlotData& data,
                                const passage::TPassageOptions& options,
                                passage::TPassageRunState& state, bool withCaps = true) {
    TRecorder recorder;
    recorder.State = &state;
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) { recorder.Wall(p0, p1, p2, p3); };
    auto cap = [&](const T3DVector& c, const T3DVector& a, const T3DVector& b, bool isStart) {
        recorder.Cap(c, a, b, isStart);
    };
    if (withCaps)
        passage::GeneratePassages(data, options, state, cap, wall, nullptr);
    else
        passage::GeneratePassages(data, options, state, nullptr, wall, nullptr);
    return recorder;
}

// A random cave with every awkward case the generator meets: sharp and gentle turns, reversals,
// zero-length and plumb shots, steep shots, missing and out-of-range dimensions, hidden draws,
// features, one-station traverses and several sections.
inline void BuildRandomCave(survey::TPlotData& data, std::uint32_t seed, int shots) {
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    auto chance = [&](double p) { return uniform(0.0, 1.0) < p; };
    auto dimension = [&]() -> float {
        if (chance(0.15))
            return 0.0f;
        if (chance(0.05))
            return chance(0.5) ? -9.9f : 999.0f;
        return static_cast<float>(std::round(uniform(0.0, 12.0) * 4.0) / 4.0);
    };
    TCaveBuilder cave(data);
    T3DVector p{1000.0, 2000.0, 500.0};
    int made = 0;
    while (made < shots) {
        if (chance(0.2))
            cave.Section("Sec" + std::to_string(data.Sections.Count()));
        cave.Survey(chance(0.1) ? 1 : 0);
        for (int traverse = 1 + static_cast<int>(uniform(0, 3)); traverse > 0; --traverse) {
            cave.Station('M', p, dimension(), dimension(), dimension(), dimension());
            const int length = static_cast<int>(uniform(0, 40));
            for (int i = 0; i < length; ++i, ++made) {
                T3DVector step{uniform(-15, 15), uniform(-15, 15), uniform(-3, 3)};
                if (chance(0.05))
                    step = {0, 0, uniform(-20, 20)}; // plumb
                else if (chance(0.05))
                    step = {0, 0, 0}; // zero length
                else if (chance(0.1))
                    step.Z = uniform(-40, 40); // steep
                else if (chance(0.05))
                    step = {std::round(uniform(-3, 3)) * 5, std::round(uniform(-3, 3)) * 5, 0};
                p = survey::Add(p, step);
                cave.Station(chance(0.1) ? 'd' : 'D', p, dimension(), dimension(), dimension(),
                             dimension());
            }
        }
    }
    data.Center = {1000.0, 2000.0, 500.0};
}

} // namespace lumora::test
