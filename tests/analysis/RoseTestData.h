// Hand-built surveys for the rose tests: station records added as the reader adds them, the
// file's vertical bounds stated, and generated caves read from `lumora gen` files.
#pragma once

#include "platform/UiServices.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

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

} // namespace lumora::test
