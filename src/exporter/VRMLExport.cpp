#include "exporter/VRMLExport.h"

#include "exporter/CaveVRML.h"
#include "passage/PassageLib.h"

namespace lumora::exporter {

namespace {

const passage::TPassageOptions& SetPassageOptions(const TWallSettings& w) {
    passage::TPassageOptions& p = ApplyWallSettings(w);
    p.SealEnds = w.SealEnds;
    p.CenterOnCave = true;
    return p;
}

void WritePassages(const survey::TPlotData& data, TVRMLWriter& writer, const TVRMLOptions& o,
                   const TExportIo& io) {
    writer.ClearShape();
    writer.Kind = TVRMLShapeKind::Faces;
    writer.Material.Diffuse = ToVRMLColor(o.PassageColor);
    writer.ColorByDepth = o.ColorByDepth;
    writer.PerVertex = o.VertexColors;
    TCaveVRML cave(writer, data);
    if (writer.ColorByDepth)
        cave.LoadDepthColors();
    auto progress = [&](std::int64_t, std::int32_t percent) { io.Gauge(percent / 2); };
    cave.AddPassages(passage::PassageOptions(), passage::PassageRunState(), progress);
    writer.WriteShape([&](int value) { io.Gauge(50 + value / 2); });
}

void WriteShotLines(const survey::TPlotData& data, TVRMLWriter& writer, const TVRMLOptions& o,
                    const TExportIo& io) {
    writer.ClearShape();
    writer.Kind = TVRMLShapeKind::Lines;
    writer.PerVertex = true;
    writer.Material.Diffuse = ToVRMLColor(o.LineColor);
    const TVRMLColor emissive = writer.Material.Emissive;
    writer.Material.Emissive = ToVRMLColor(o.LineColor);
    writer.ColorByDepth = o.LineColorByDepth;
    TCaveVRML cave(writer, data);
    if (writer.ColorByDepth)
        cave.LoadDepthColors();
    cave.AddShotLines([&](int value) { io.Gauge(value); });
    writer.WriteShape([&](int value) { io.Gauge(50 + value / 2); });
    writer.Material.Emissive = emissive;
}

} // namespace

TVRMLWorldOptions VRMLWorldOptions(const TVRMLOptions& o) {
    TVRMLWorldOptions world;
    world.Background = ToVRMLColor(o.BackgroundColor);
    world.UseTexture = o.UseTexture;
    world.TextureFile = o.TextureFile;
    world.SplineSurface = o.SplineSurface;
    world.YawRotation = o.YawRotation;
    return world;
}

void ExportVRML(const survey::TPlotData& data, const std::string& fileName,
                const TExportOptions& options, const TExportIo& io) {
    SetPassageOptions(options.Walls);
    const TVRMLOptions& o = options.Vrml;
    TVRMLWriter writer(VRMLWorldOptions(o));
    writer.Material.Transparent = o.DoTransparency;
    writer.Material.Transparency = o.Transparency / 100.0;
    writer.OpenFile(fileName);
    if (o.Passages3D)
        WritePassages(data, writer, o, io);
    if (o.DoShotLine)
        WriteShotLines(data, writer, o, io);
    writer.CloseFile();
}

} // namespace lumora::exporter
