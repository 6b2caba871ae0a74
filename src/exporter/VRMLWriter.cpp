#include "exporter/VRMLWriter.h"

#include "exporter/ExpGlobal.h"
#include "platform/Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lumora::exporter {

namespace {

constexpr double kFarAway = 1e99;

} // namespace

TVRMLColor ToVRMLColor(std::uint32_t color) {
    return {(color & 0xFF) / 255.0, (color >> 8 & 0xFF) / 255.0, (color >> 16 & 0xFF) / 255.0};
}

bool TVRMLPolygon::Add(const survey::T3DVector& p) {
    if (Full())
        return false;
    Points[static_cast<std::size_t>(Count++)] = p;
    return true;
}

TVRMLWriter::TVRMLWriter(TVRMLWorldOptions options) : m_World(std::move(options)) {
    ClearShape();
}

TVRMLWriter::~TVRMLWriter() = default;

void TVRMLWriter::OpenFile(const std::string& fileName) {
    m_File = std::make_unique<TBinaryFile>(fileName);
    m_Text.clear();
    m_Indent = 0;
    m_Decimals = 5;
    m_HeaderWritten = false;
}

void TVRMLWriter::ClearShape() {
    m_Points.Clear();
    m_CoordIndex.Clear();
    m_ColorIndex.Clear();
    Colors.clear();
    m_Min = {kFarAway, kFarAway, kFarAway};
    m_Max = {-kFarAway, -kFarAway, -kFarAway};
}

void TVRMLWriter::AddPolygon(const survey::T3DVector* points, int count) {
    for (int i = 0; i < count; ++i) {
        const survey::T3DVector& p = points[i];
        bool added = false;
        const std::int32_t index = m_Points.FindOrAdd(p, added);
        if (added) {
            m_Min = survey::VecMin(m_Min, p);
            m_Max = survey::VecMax(m_Max, p);
        }
        m_CoordIndex.Add(index);
    }
    m_CoordIndex.Add(-1);
}

void TVRMLWriter::AddPolygon(const TVRMLPolygon& polygon) {
    AddPolygon(polygon.Points.data(), polygon.Count);
}

void TVRMLWriter::Flush(bool always) {
    if (always || m_Text.size() >= (1u << 16)) {
        m_File->Write(m_Text);
        m_Text.clear();
    }
}

void TVRMLWriter::Line(const std::string& text) {
    m_Text.append(static_cast<std::size_t>(m_Indent), ' ');
    m_Text += text;
    m_Text += "\r\n";
    Flush(false);
}

void TVRMLWriter::OpenBlock(const std::string& header, const char* bracket) {
    Line(header);
    m_Indent += 4;
    Line(bracket);
}

void TVRMLWriter::CloseBlock(const char* bracket) {
    Line(bracket);
    m_Indent = std::max(0, m_Indent - 4);
}

std::string TVRMLWriter::Numbers(std::initializer_list<double> values) const {
    std::string out;
    for (double v : values) {
        if (!out.empty())
            out += ' ';
        AppendFixed(out, v, m_Decimals);
    }
    return out;
}

std::string TVRMLWriter::ColorText(const TVRMLColor& c) const {
    return Numbers({c.Red, c.Green, c.Blue});
}

void TVRMLWriter::WriteHeader() {
    m_HeaderWritten = true;
    Line("#VRML V2.0 utf8");
    Line("# Quiltra");
    Line("# Exported by the Lumora cave survey exporter");
    if (m_World.SplineSurface)
        WriteSplineDeclaration();
    OpenBlock("Background", "{");
    Line("skyColor " + ColorText(m_World.Background));
    CloseBlock("}");
    // The first shape's width sets the viewing distance; a world without points is seen from 0.
    const double extent = m_Max.X >= m_Min.X ? m_Max.X - m_Min.X : 0.0;
    Line("DEF ViewPoint1");
    OpenBlock("Viewpoint", "{");
    Line("position " + Numbers({0.0, 0.0, 1.5 * extent}));
    Line("orientation " + Numbers({0.0, 0.0, 0.0, 0.0}));
    CloseBlock("}");
    Line("DEF Frame1");
    OpenBlock("Transform", "{");
    Line("translation " + Numbers({-5.0, -5.0, 0.0}));
    Line("scale " + Numbers({1.0, 1.0, 1.0}));
    OpenBlock("children", "[");
}

// "SplineFaceSet" is not a node of the language: the file declares it as a face set with the
// fields the exporter writes, so every reader can show the surface.
void TVRMLWriter::WriteSplineDeclaration() {
    Line("PROTO SplineFaceSet [");
    Line("    field SFFloat creaseAngle 0");
    Line("    field SFNode coord NULL");
    Line("    field MFInt32 coordIndex []");
    Line("    field SFBool colorPerVertex TRUE");
    Line("    field SFNode color NULL");
    Line("    field MFInt32 colorIndex []");
    Line("]");
    Line("{");
    Line("    IndexedFaceSet { creaseAngle IS creaseAngle coord IS coord coordIndex IS coordIndex");
    Line("        colorPerVertex IS colorPerVertex color IS color colorIndex IS colorIndex }");
    Line("}");
}

void TVRMLWriter::WriteMaterial() {
    OpenBlock("appearance Appearance", "{");
    OpenBlock("material Material", "{");
    Line("diffuseColor " + ColorText(Material.Diffuse));
    Line("emissiveColor " + ColorText(Material.Emissive));
    Line("specularColor " + ColorText(Material.Specular));
    Line("ambientIntensity " + Numbers({Material.AmbientIntensity}));
    Line("shininess " + Numbers({Material.Shininess}));
    if (Material.Transparent)
        Line("transparency  " + Numbers({Material.Transparency}));
    CloseBlock("}");
    if (m_World.UseTexture && !m_World.TextureFile.empty()) {
        OpenBlock("texture ImageTexture", "{");
        Line("url \"" + m_World.TextureFile + "\"");
        CloseBlock("}");
    }
    CloseBlock("}");
}

void TVRMLWriter::WritePoints(TVRMLProgress progress) {
    OpenBlock("coord Coordinate", "{");
    OpenBlock("point", "[");
    const std::int32_t count = m_Points.Count();
    for (std::int32_t i = 0; i < count; ++i) {
        if (i % 10 == 0) {
            m_Text += "\r\n";
            m_Text.append(static_cast<std::size_t>(m_Indent), ' ');
            Flush(false);
        }
        const survey::T3DVector& p = m_Points[i];
        for (double v : {p.X, p.Y, p.Z}) {
            AppendFixed(m_Text, v, m_Decimals);
            m_Text += ' ';
        }
        m_Text.back() = ',';
        m_Text += ' ';
        if (i % 100 == 0 && i > 0 && progress)
            progress(static_cast<int>(50.0 * i / count));
    }
    m_Text += "\r\n";
    CloseBlock("]");
    CloseBlock("}");
}

void TVRMLWriter::WriteIndexList(const char* name, const survey::THugeInteger& list,
                                 const char* after, TVRMLProgress progress) {
    OpenBlock(name, "[");
    const std::int32_t count = list.Count();
    char buffer[16];
    for (std::int32_t i = 0; i < count; ++i) {
        if (i % 50 == 0) {
            m_Text += "\r\n";
            m_Text.append(static_cast<std::size_t>(m_Indent), ' ');
            Flush(false);
        }
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, list[i]);
        m_Text.append(buffer, result.ptr);
        m_Text += after;
        if (i % 100 == 0 && i > 0 && progress)
            progress(50 + static_cast<int>(50.0 * i / count));
    }
    m_Text += "\r\n";
    CloseBlock("]");
}

void TVRMLWriter::WriteColors() {
    Line(std::string("colorPerVertex ") + (PerVertex ? "TRUE" : "FALSE"));
    OpenBlock("color Color", "{");
    OpenBlock("color", "[");
    for (const TVRMLColor& c : Colors)
        Line(ColorText(c));
    CloseBlock("]");
    CloseBlock("}");
    WriteIndexList("colorIndex", m_ColorIndex, " ", nullptr);
}

void TVRMLWriter::WriteShape(TVRMLProgress progress) {
    if (!m_File)
        throw lumora::Error("The VRML file is not open");
    if (!m_HeaderWritten)
        WriteHeader();
    m_Decimals = 5;
    OpenBlock("Shape", "{");
    WriteMaterial();
    m_Decimals = 2;
    if (Kind == TVRMLShapeKind::Faces) {
        OpenBlock(m_World.SplineSurface ? "geometry SplineFaceSet" : "geometry IndexedFaceSet",
                  "{");
        Line("creaseAngle 1.571");
    } else {
        OpenBlock("geometry IndexedLineSet", "{");
    }
    WritePoints(progress);
    WriteIndexList("coordIndex", m_CoordIndex, ", ", progress);
    if (ColorByDepth && !Colors.empty())
        WriteColors();
    CloseBlock("}");
    CloseBlock("}");
    Flush(true);
    if (progress)
        progress(100);
}

void TVRMLWriter::WriteAnimation() {
    Line("");
    Line("DEF Timer1");
    OpenBlock("TimeSensor", "{");
    Line("cycleInterval " + Numbers({18.0}));
    Line("loop FALSE");
    Line("startTime " + Numbers({0.0}));
    Line("stopTime " + Numbers({-1.0}));
    CloseBlock("}");
    Line("DEF Sensor1");
    OpenBlock("TouchSensor", "{");
    CloseBlock("}");
    Line("DEF Rotator1");
    OpenBlock("OrientationInterpolator", "{");
    Line("key [" + Numbers({0.0, 0.5, 1.0}) + "]");
    Line("keyValue [" + Numbers({0, 1, 0, 0}) + ", " + Numbers({0, 1, 0, M_PI}) + ", " +
         Numbers({0, 1, 0, 2 * M_PI}) + "]");
    CloseBlock("}");
    const int indent = m_Indent;
    m_Indent = 0;
    Line("ROUTE Sensor1.isActive TO Timer1.loop");
    Line("ROUTE Timer1.fraction_changed TO Rotator1.set_fraction");
    Line("ROUTE Rotator1.value_changed TO Frame1.set_rotation");
    m_Indent = indent;
}

void TVRMLWriter::CloseFile() {
    if (!m_File)
        throw lumora::Error("The VRML file is not open");
    if (!m_HeaderWritten)
        WriteHeader();
    CloseBlock("]");
    CloseBlock("}");
    if (m_World.YawRotation)
        WriteAnimation();
    Flush(true);
    m_File->Close();
    m_File.reset();
}

} // namespace lumora::exporter
