#include "viewer/GltfSave.h"

#include "passage/lvcave.h"
#include "survey/SuiteSettings.h"

#include <filesystem>

namespace lumora::viewer {

using namespace scene;

namespace {

bool HoldsCave(const Frame& model) {
    for (const VisualPtr& visual : model.GetVisuals())
        if (visual->GetAppData() == std::uint32_t(passage::kKindPassages))
            return true;
    return false;
}

} // namespace

GltfOptions ModelGltfOptions(const Frame& model, const survey::TPlotData& data,
                             const passage::TPassageOptions& options, bool binary) {
    GltfOptions o;
    o.Binary = binary;
    if (!data.Loaded || !HoldsCave(model))
        return o;
    const double feet = survey::FeetToMeters();
    o.MetresPerUnit = options.MetricUnits ? 1.0f : float(feet);
    GltfPlace& place = o.Place;
    place.Known = true;
    place.CenterEast = data.Center.X * feet;
    place.CenterNorth = data.Center.Y * feet;
    place.CenterUp = data.Center.Z * feet;
    place.UtmZone = data.UTMZone;
    place.Datum = data.DatumName;
    place.Source = std::filesystem::path(data.PlotFileName).filename().string();
    return o;
}

Result SaveAsGltf(TViewerCore& core, const std::string& path, const survey::TPlotData& data,
                  const passage::TPassageOptions& options, GltfCounts* counts) {
    const Frame& model = *core.Scene.CenterFrame;
    std::string reason;
    Result result = Result::WriteFailed;
    {
        BusyCursorGuard busy(core.Ui);
        result = WriteGltfFile(model, path,
                               ModelGltfOptions(model, data, options, !IsGltfTextPath(path)),
                               &reason, counts);
    }
    if (!Succeeded(result))
        core.Ui.Warning(!reason.empty() ? reason : path + ": the file could not be written");
    return result;
}

} // namespace lumora::viewer
