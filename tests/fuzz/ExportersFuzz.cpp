// Fuzz target: the DXF, VRML, KML and Shapefile writers on whatever the plot reader made of
// arbitrary bytes, into a scratch folder, with options picked by the input's length and last byte.
#include "FuzzSupport.h"

#include "exporter/DXFExport.h"
#include "exporter/ExpIni.h"
#include "exporter/KMLExport.h"
#include "exporter/ShapeExport.h"
#include "exporter/ShapeGlobal.h"
#include "exporter/VRMLExport.h"
#include "platform/Error.h"
#include "platform/UiServices.h"

namespace {

using namespace lumora;
using namespace lumora::exporter;

// Caves this large cost seconds an input; the fuzzer learns more from many small ones.
constexpr std::int32_t kMaxShots = 2000;

TExportOptions OptionsOf(unsigned knobs) {
    TExportOptions o = DefaultExportOptions();
    o.Meters = (knobs & 1) != 0;
    o.ThreeD = (knobs & 2) != 0;
    o.DataTypes = AvailableDataType(static_cast<TShapeDataType>(knobs % 11), o.ThreeD);
    o.ZipShape = (knobs & 4) != 0;
    o.Walls.RoundDepth = static_cast<std::int32_t>(knobs / 8 % 3);
    o.Vrml.ColorByDepth = (knobs & 16) != 0;
    o.Vrml.DoShotLine = (knobs & 32) != 0;
    o.Dxf.ProfileMode = (knobs & 64) != 0;
    o.Dxf.PassageType = (knobs & 128) != 0 ? 1 : 0;
    return o;
}

// Runs one writer; the failures it may report are lumora::Error.
template <class Write> void Run(Write write) {
    try {
        write();
    } catch (const Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    survey::TPlotData plot;
    if (!fuzz::LoadPlotBytes(data, size, plot) || plot.Shots.Count() > kMaxShots)
        return 0;
    const TExportOptions options =
        OptionsOf(size > 0 ? data[size - 1] ^ static_cast<unsigned>(size) : 0);
    const fuzz::TScratchFolder& scratch = fuzz::Scratch();
    scratch.Clear();
    SilentUi ui;
    TExportIo io;
    io.Ui = &ui;
    Run([&] { WriteDXFFile(plot, scratch.File("cave.dxf"), options, io); });
    Run([&] { ExportVRML(plot, scratch.File("cave.wrl"), options, io); });
    Run([&] { ExportKmlPolygons(plot, scratch.File("cave.kml"), options, io); });
    Run([&] { ExportKmlLines(plot, scratch.File("lines.kml"), options, io); });
    TShapeExportIo shapeIo;
    shapeIo.Ui = &ui;
    shapeIo.ChooseSetName = [&](const std::string&) {
        return std::optional<std::string>(scratch.File("set"));
    };
    Run([&] { ExportShapefile(plot, "cave.plt", options, shapeIo); });
    return 0;
}
