// The generated caves the exporter benchmarks write out, each read once per size.
#pragma once

#include "platform/UiServices.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace lumora::bench {

// A generated cave of the given number of station lines in five sections.
inline survey::TPlotData& GeneratedCave(std::int64_t stations) {
    static std::map<std::int64_t, std::unique_ptr<survey::TPlotData>> caves;
    auto& cave = caves[stations];
    if (!cave) {
        const auto file = std::filesystem::temp_directory_path() /
                          ("lumora-bench-" + std::to_string(::getpid()) + ".plt");
        survey::TGenOptions options;
        options.Stations = stations;
        options.Sections = 5;
        survey::GeneratePlotFile(file.string(), options);
        cave = std::make_unique<survey::TPlotData>();
        SilentUi ui;
        survey::LoadPlotFile(*cave, file.string(), {}, ui);
        std::filesystem::remove(file);
    }
    return *cave;
}

} // namespace lumora::bench
