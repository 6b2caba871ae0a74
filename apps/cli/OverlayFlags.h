// The overlay flags of lumora render: --compass, --scale-bar, --legend, --names, --units, and
// --find and --measure, which mark stations as the viewer's Find and measuring do; and the
// overlays painted over the offscreen picture.
#pragma once

#include "ViewFlags.h"

#include "analysis/Colorbar.h"

#include "viewer/gui/ViewOverlay.h"

#include <CLI/CLI.hpp>

#include <QGuiApplication>

#include <memory>
#include <string>
#include <vector>

namespace lumora::cli {

struct TOverlayArgs {
    bool Compass = false, ScaleBar = false, Legend = false, Names = false;
    std::string Units = "ft";
    std::string Find; // a station name pattern: the first match is centred and marked
    std::vector<std::string> Measure; // two station names
    double Ratio = 1;                 // device pixel ratio of the text and marks
};

void AddOverlayFlags(CLI::App& command, TOverlayArgs& args);

// The overlays of one picture: made after the cave is built, before the picture is drawn.
class TCliOverlays {
public:
    // Reads the stations of the loaded survey, centres on --find's station and installs the
    // painting on view. Throws Error naming a station that is not there. out receives the
    // found station and the measurement.
    TCliOverlays(const TOverlayArgs& args, viewer::TViewerScene& scene, TOffscreenView& view,
                 std::ostream& out);
    TCliOverlays(const TCliOverlays&) = delete;
    TCliOverlays& operator=(const TCliOverlays&) = delete;
    // Whether any overlay was asked for.
    static bool Wanted(const TOverlayArgs& args);
    // With --legend: the legend shows this bar (the one the cave was coloured with).
    void ShowDepthBar(const analysis::TColorBar& bar);

private:
    std::uint32_t StationNamed(const std::string& name) const;

    std::unique_ptr<QGuiApplication> m_App; // fonts need an application object
    viewer::TStationTable m_Stations;
    viewer::TOverlayState m_State;
    viewer::TViewOverlay m_Overlay;
};

} // namespace lumora::cli
