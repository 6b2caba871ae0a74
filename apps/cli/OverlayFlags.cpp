#include "OverlayFlags.h"

#include "analysis/ColorTables.h"
#include "analysis/lveffects.h"
#include "passage/CrossSection.h"
#include "platform/Error.h"
#include "survey/PlotArray.h"
#include "viewer/Measure.h"
#include "viewer/StationFind.h"
#include "viewer/ViewPresets.h"

#include <QCoreApplication>

#include <ostream>

namespace lumora::cli {

namespace {

// The offscreen platform needs no display; the arguments outlive the application object.
std::unique_ptr<QGuiApplication> MakeApplication() {
    if (QCoreApplication::instance())
        return nullptr;
    static int argc = 3;
    static char name[] = "lumora", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The legend of colour by depth as it first colours the cave: the 24-colour table spread over
// the model's elevations.
viewer::TDepthLegend CaveLegend(const viewer::TViewerScene& s,
                                const viewer::TStationTable& stations) {
    scene::Box box;
    if (!s.CenterFrame->GetHierarchyBox(box))
        return {};
    const double f = stations.FeetPerModelUnit();
    const double centre = survey::PlotData().Center.Z;
    return viewer::DefaultDepthLegend(analysis::ColorTable(analysis::TColorCount::dc24),
                                      box.Min.Y * f + centre, box.Max.Y * f + centre);
}

} // namespace

void AddOverlayFlags(CLI::App& command, TOverlayArgs& args) {
    command.add_flag("--compass", args.Compass, "Draw the compass (heading and tilt of the view)");
    command.add_flag("--scale-bar", args.ScaleBar,
                     "Draw a scale bar of a round length at the depth of the model's centre");
    command.add_flag(
        "--legend", args.Legend,
        "Draw the depth colour legend (the bar of --depth-colors, else the 24-colour bar, "
        "over the cave's elevations)");
    command.add_flag("--names", args.Names,
                     "Draw station names where they do not overlap (fixed stations and survey "
                     "ends first)");
    command.add_option("--units", args.Units, "Units of the scale bar, legend and measurement")
        ->check(CLI::IsMember({"ft", "m"}));
    command.add_option("--find", args.Find,
                       "Centre the view on the first station matching this name (* and ? as "
                       "wildcards) and mark it");
    command
        .add_option("--measure", args.Measure,
                    "Two station names: print the distances and bearing between them and draw "
                    "the line")
        ->expected(2);
    command.add_option("--scale", args.Ratio, "Size of overlay text and marks (1 = 96 dpi)")
        ->check(CLI::Range(0.5, 8.0));
}

bool TCliOverlays::Wanted(const TOverlayArgs& args) {
    return args.Compass || args.ScaleBar || args.Legend || args.Names || !args.Find.empty() ||
           !args.Measure.empty();
}

void TCliOverlays::ShowDepthBar(const analysis::TColorBar& bar) {
    if (m_State.Settings.DepthLegend)
        m_State.Legend =
            analysis::BarLegend(bar, m_Stations.FeetPerModelUnit(), survey::PlotData().Center.Z);
}

std::uint32_t TCliOverlays::StationNamed(const std::string& name) const {
    const viewer::TFindResult found = viewer::FindStations(m_Stations, name, 1);
    if (found.Stations.empty())
        throw Error("No station matches \"" + name + "\"");
    return found.Stations.front();
}

TCliOverlays::TCliOverlays(const TOverlayArgs& args, viewer::TViewerScene& scene,
                           TOffscreenView& view, std::ostream& out)
    : m_App(MakeApplication()) {
    m_Stations.Build(survey::PlotData(),
                     passage::MakeStationAdjust(survey::PlotData(), passage::PassageOptions()));
    viewer::TOverlaySettings& set = m_State.Settings;
    set.Units = args.Units == "m" ? viewer::TLengthUnit::Meters : viewer::TLengthUnit::Feet;
    set.Compass = args.Compass;
    set.ScaleBar = args.ScaleBar;
    set.DepthLegend = args.Legend;
    set.StationNames = args.Names;
    m_State.Stations = &m_Stations;
    if (args.Legend)
        m_State.Legend = CaveLegend(scene, m_Stations);
    if (!args.Measure.empty()) {
        const std::uint32_t a = StationNamed(args.Measure[0]), b = StationNamed(args.Measure[1]);
        m_State.MeasureFrom = a;
        m_State.MeasureTo = b;
        out << viewer::MeasurementText(
                   m_Stations.Name(a), m_Stations.Name(b),
                   viewer::Measure(m_Stations.At(a).Position, m_Stations.At(b).Position), set.Units)
            << '\n';
    }
    const double ratio = args.Ratio;
    const bool find = !args.Find.empty();
    if (find) {
        m_State.Marked = StationNamed(args.Find);
        const std::string_view survey =
            m_Stations.SurveyName(m_Stations.At(*m_State.Marked).Survey);
        out << "Found " << m_Stations.Name(*m_State.Marked) << " (" << survey << ")\n";
    }
    if (find) // after --view, --yaw, --pitch and --fit have placed the model
        view.PlaceModel = [this, &scene] {
            scene.CenterFrame->AddTransform(
                scene::Combine::Replace,
                viewer::PoseMatrix(viewer::CentrePose(scene, viewer::PoseOf(*scene.CenterFrame),
                                                      m_Stations.At(*m_State.Marked).Model)));
        };
    view.OverlayPicture = [this, &scene, ratio] { return m_Overlay.Paint(scene, m_State, ratio); };
}

} // namespace lumora::cli
