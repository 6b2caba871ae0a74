#include "exporter/ExpIni.h"

#include "exporter/ACADLib.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <locale>

namespace lumora::exporter {

namespace {

using platform::IniFile;

// Writes each option to the file.
class TSaver {
public:
    TSaver(IniFile& ini, char separator) : m_Ini(ini), m_Separator(separator) {}

    void Int(const char* section, const char* key, std::int32_t& v) {
        m_Ini.WriteInteger(section, key, v);
    }
    void Radio(const char* section, const char* key, std::int32_t& v, int) { Int(section, key, v); }
    void BoolRadio(const char* section, const char* key, bool& second) {
        m_Ini.WriteInteger(section, key, second ? 1 : 0);
    }
    void Bool(const char* section, const char* key, bool& v) { m_Ini.WriteBool(section, key, v); }
    void Real(const char* section, const char* key, double& v, double, double) {
        m_Ini.WriteFloat(section, key, v, m_Separator);
    }
    void Color(const char* section, const char* key, TColorValue& v) {
        m_Ini.WriteInteger(section, key, static_cast<std::int32_t>(v));
    }
    void AciColor(const char* section, const char* key, std::int32_t& index) {
        m_Ini.WriteInteger(section, key, static_cast<std::int32_t>(AciToColor(index)));
    }
    void String(const char* section, const char* key, std::string& v) {
        m_Ini.WriteString(section, key, v);
    }

private:
    IniFile& m_Ini;
    char m_Separator;
};

// Reads each option with its current value as default.
class TRestorer {
public:
    TRestorer(const IniFile& ini, char separator) : m_Ini(ini), m_Separator(separator) {}

    void Int(const char* section, const char* key, std::int32_t& v) {
        v = m_Ini.ReadInteger(section, key, v);
    }
    // A radio group of count items: above the range the last item, below 0 no item.
    void Radio(const char* section, const char* key, std::int32_t& v, int count) {
        const std::int32_t read = m_Ini.ReadInteger(section, key, v);
        v = read < 0 ? -1 : std::min(read, count - 1);
    }
    // A two-item radio group held as "the second item is selected".
    void BoolRadio(const char* section, const char* key, bool& second) {
        std::int32_t index = second ? 1 : 0;
        Radio(section, key, index, 2);
        second = index == 1;
    }
    void Bool(const char* section, const char* key, bool& v) {
        v = m_Ini.ReadBool(section, key, v);
    }
    void Real(const char* section, const char* key, double& v, double lo, double hi) {
        v = std::clamp(m_Ini.ReadFloat(section, key, v, m_Separator), lo, hi);
    }
    void Color(const char* section, const char* key, TColorValue& v) {
        v = static_cast<TColorValue>(m_Ini.ReadInteger(section, key, static_cast<std::int32_t>(v)));
    }
    void AciColor(const char* section, const char* key, std::int32_t& index) {
        const auto current = static_cast<std::int32_t>(AciToColor(index));
        index = ColorToAci(static_cast<TColorValue>(m_Ini.ReadInteger(section, key, current)));
    }
    void String(const char* section, const char* key, std::string& v) {
        v = m_Ini.ReadString(section, key, v);
    }

private:
    const IniFile& m_Ini;
    char m_Separator;
};

constexpr double kUnbounded = 1e300;

// Every key in the file's order.
template <class Visitor> void VisitSettings(TExportOptions& o, Visitor& v) {
    v.BoolRadio("Global", "Units", o.Meters);
    std::int32_t dataType = static_cast<std::int32_t>(o.DataTypes);
    v.Radio("Shape", "DataTypes", dataType, 11);
    o.DataTypes = static_cast<TShapeDataType>(dataType);
    bool twoD = !o.ThreeD;
    v.BoolRadio("Shape", "FileType", twoD);
    o.ThreeD = !twoD;

    TVRMLOptions& r = o.Vrml;
    v.Bool("VRML", "3DPassages", r.Passages3D);
    v.Bool("VRML", "ColorByDepth", r.ColorByDepth);
    v.Bool("VRML", "VertexColors", r.VertexColors);
    v.Bool("VRML", "SplineSurface", r.SplineSurface);
    v.Color("VRLM", "PassageColor", r.PassageColor);
    v.Real("VRML", "Transparency", r.Transparency, 0.0, 100.0);
    v.Bool("VRML", "DoTransparency", r.UseTexture); // this key holds "Use Texture"
    v.String("VRML", "TextureFile", r.TextureFile);
    v.Bool("VRML", "DoTexture", r.DoTransparency); // and this one "Do Tranparency"
    v.Bool("VRML", "DoShotLine", r.DoShotLine);
    v.Bool("VRML", "DoLineDept", r.LineColorByDepth);
    v.Color("VRLM", "LineColor", r.LineColor);
    v.Color("VRLM", "BackgroundColor", r.BackgroundColor);
    v.Bool("VRML", "YawRotation", r.YawRotation);

    TDXFOptions& d = o.Dxf;
    v.Bool("DXF", "ProfileMode", d.ProfileMode);
    v.Real("DXF", "Rotation", d.Rotation, 0.0, 360.0);
    v.Radio("DXF", "PassageType", d.PassageType, 2);
    v.Bool("DXF", "SeparateLayers", d.SeparateLayers);
    v.Bool("DXF", "AssociatePassages", d.AssociatePassages);
    v.Bool("DXF", "AssociateLabels", d.AssociateLabels);
    v.Bool("DXF", "AssociateSeparate", d.AssociateSeparate);
    v.Bool("DXF", "LeftRight", d.LeftRight);
    v.Bool("DXF", "UpDown", d.UpDown);
    v.Bool("DXF", "AddLine", d.AddLine);
    v.Bool("DXF", "MarkFrom", d.MarkFrom);
    v.Bool("DXF", "MarkTo", d.MarkTo);
    v.Radio("DXF", "MarkWith", d.MarkWith, 3);
    v.Bool("DXF", "ExpandMark", d.ExpandMark);
    v.Bool("DXF", "IncludeShotLine", d.IncludeShotLine);
    v.Bool("DXF", "IncludeLabels", d.IncludeLabels);
    v.Bool("DXF", "IncludeStationMark", d.IncludeStationMark);
    v.Bool("DXF", "IncludeWalls", d.IncludeWalls);
    v.Bool("DXF", "IncludeNorthArrow", d.IncludeNorthArrow);
    v.Bool("DXF", "IncludeScaleBar", d.IncludeScaleBar);
    v.Bool("DXF", "IncludeDepth", d.IncludeDepth);
    v.Bool("DXF", "ClipLines", d.ClipLines);
    v.AciColor("DXF", "SurveyColor", d.SurveyColor);
    v.AciColor("DXF", "LabelColor", d.LabelColor);
    v.AciColor("DXF", "DepthColor", d.DepthColor);
    v.AciColor("DXF", "WallColor", d.WallColor);
    v.Real("DXF", "ScaleBar", d.ScaleBar, -kUnbounded, kUnbounded);
    v.Real("DXF", "MarkSize", d.MarkSize, -kUnbounded, kUnbounded);
    v.Bool("DXF", "DoScale", d.DoScale);
    v.Real("DXF", "ScaleFactor", d.ScaleFactor, 0.000001, 1000000.0);

    TKMLOptions& k = o.Kml;
    v.Int("KML", "Datum", k.Datum);
    if (k.Datum < 0 || k.Datum > 22)
        k.Datum = -1;
    v.Radio("KML", "AltitudeMode", k.AltitudeMode, 2);
    v.Real("KML", "Altitude", k.Altitude, -kUnbounded, kUnbounded);
    v.Color("KML", "KMLLineColor", k.LineColor);
    v.Color("KML", "KMLFillColor", k.FillColor);
    v.Int("KML", "FillTransparency", k.FillTransparency);
    k.FillTransparency = std::clamp(k.FillTransparency, 0, 255);

    TWallSettings& w = o.Walls;
    v.Radio("Walls", "PassShape", w.PassShape, 3);
    v.Real("Walls", "SubstituteDiam", w.SubstituteDiam, 0.0, 90.0);
    v.Bool("Walls", "DoSubstitute", w.DoSubstitute);
    v.Bool("Walls", "ExpandWalls", w.ExpandWalls);
    v.Bool("Walls", "MergePass", w.MergePass);
    v.Bool("Walls", "SealEnds", w.SealEnds);
    v.Radio("Walls", "RoundDepth", w.RoundDepth, 3);
    v.Real("Walls", "CornerThreshold", w.CornerThreshold, 0.0, 180.0);
    v.Bool("Walls", "VerticalPrisms", w.VerticalPrisms);
    v.Real("Walls", "VerticalThreshold", w.VerticalThreshold, 0.0, 90.0);
}

} // namespace

char UserDecimalSeparator() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::exception&) {
        return '.';
    }
}

TExportOptions DefaultExportOptions() {
    return TExportOptions{};
}

TShapeDataType AvailableDataType(TShapeDataType type, bool threeD) {
    const auto index = static_cast<std::int32_t>(type);
    const bool prism =
        type == TShapeDataType::PolygonPrism || type == TShapeDataType::MultipatchPrism;
    const bool offered =
        index >= 0 && index <= static_cast<std::int32_t>(TShapeDataType::MultipatchPrism);
    if (!offered || (prism && !threeD))
        return TShapeDataType::Stations;
    return type;
}

void SaveExportSettings(const TExportOptions& options, const std::string& fileName,
                        char decimalSeparator) {
    TExportOptions copy = options;
    IniFile ini(fileName);
    TSaver saver(ini, decimalSeparator);
    VisitSettings(copy, saver);
    ini.UpdateFile();
}

void RestoreExportSettings(TExportOptions& options, const std::string& fileName,
                           char decimalSeparator) {
    const IniFile ini(fileName);
    TExportOptions restored = options;
    TRestorer restorer(ini, decimalSeparator);
    VisitSettings(restored, restorer);
    restored.DataTypes = AvailableDataType(restored.DataTypes, restored.ThreeD);
    options = restored;
}

} // namespace lumora::exporter
