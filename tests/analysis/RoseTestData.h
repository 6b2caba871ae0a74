// Hand-built surveys for the rose tests: station records added as the reader adds them, the
// file's vertical bounds stated, and generated caves read from `lumora gen` files.
#pragma once

#include "analysis/RoseHistogram.h"
#include "platform/UiServices.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace lumora::test {

using survey::T3DVector;

// A survey model filled record by record. Lengths in feet, x east, y north, z up.
class TRoseCave {
public:
    TRoseCave(double bottom, double top) {
        Data->MinBounds = {-1000, -1000, bottom};
        Data->MaxBounds = {1000, 1000, top};
        Data->DepthRange = top - bottom == 0 ? 0.1 : top - bottom;
        Data->Loaded = true;
    }
    TRoseCave& Record(char type, T3DVector p) {
        survey::TPlotRecord record;
        record.RecordType = type;
        record.Station.Assign("P" + std::to_string(Data->Shots.Count()));
        record.Position = p;
        Data->Shots.Add(record);
        m_Last = p;
        return *this;
    }
    TRoseCave& Move(T3DVector p) { return Record('M', p); }
    TRoseCave& Draw(T3DVector p) { return Record('D', p); }
    TRoseCave& Hidden(T3DVector p) { return Record('d', p); }
    // A draw from the last record: slope length, bearing and inclination in degrees.
    TRoseCave& Shot(double length, double bearing, double inclination = 0) {
        const double b = bearing * std::numbers::pi / 180, i = inclination * std::numbers::pi / 180;
        const double h = length * std::cos(i);
        return Draw({m_Last.X + h * std::sin(b), m_Last.Y + h * std::cos(b),
                     m_Last.Z + length * std::sin(i)});
    }

    std::unique_ptr<survey::TPlotData> Data = std::make_unique<survey::TPlotData>();

private:
    T3DVector m_Last;
};

// A generated cave of about `stations` station lines in one section, read from its plot file.
inline std::unique_ptr<survey::TPlotData> GeneratedCave(std::int64_t stations,
                                                        std::uint64_t seed = 7) {
    TempDir dir;
    survey::TGenOptions options;
    options.Stations = stations;
    options.Seed = seed;
    options.Sections = 1;
    const std::string file = dir.File("cave.plt");
    survey::GeneratePlotFile(file, options);
    auto data = std::make_unique<survey::TPlotData>();
    SilentUi ui;
    survey::LoadPlotFile(*data, file, {}, ui);
    return data;
}

// ---- A count made shot by shot, to check the histogram against ----

// The rose's rules spelt out plainly: search the petal and the layer whose bounds hold the
// values, instead of dividing.
struct TBruteForce {
    std::vector<std::vector<std::int64_t>> Counts;

    TBruteForce(const survey::TPlotData& data, const analysis::TRoseOptions& o) {
        const double bottom = data.MinBounds.Z, top = data.MaxBounds.Z;
        const double thickness = (top - bottom) / o.Layers, width = 360.0 / o.Petals;
        Counts.assign(o.Layers, std::vector<std::int64_t>(o.Petals, 0));
        for (std::int32_t i = 1; i < data.Shots.Count(); ++i) {
            const survey::TPlotRecord from = data.Shots.Get(i - 1), to = data.Shots.Get(i);
            if (to.RecordType != 'D')
                continue;
            const double dx = to.Position.X - from.Position.X, dy = to.Position.Y - from.Position.Y,
                         dz = to.Position.Z - from.Position.Z;
            const double slope = std::sqrt(dx * dx + dy * dy + dz * dz);
            if (slope < o.MinLength)
                continue;
            double bearing = dx == 0 && dy == 0 ? 90 : std::atan2(dx, dy) * 180 / std::numbers::pi;
            while (bearing < 0)
                bearing += 360;
            if (o.RoseType == analysis::TRoseType::Half180 && bearing >= 180)
                bearing -= 180;
            if (o.RoseType == analysis::TRoseType::WaterFlow && dz > 0)
                bearing = std::fmod(bearing + 180, 360);
            int petal = 0;
            while (petal + 1 < o.Petals && (petal + 1) * width <= bearing)
                ++petal;
            int layer = 0;
            while (layer + 1 < o.Layers && bottom + (layer + 1) * thickness <= to.Position.Z)
                ++layer;
            const double weight = o.GraphBy == analysis::TGraphBy::Frequency ? 1
                                  : o.SlopeLength                            ? slope
                                                                             : std::hypot(dx, dy);
            Counts[layer][petal] += std::int64_t(weight);
        }
    }
};

} // namespace lumora::test
