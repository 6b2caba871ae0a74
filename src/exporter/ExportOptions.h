// The exporter window's choices (Shapefile, VRML, DXF, KML and wall settings): one plain struct
// that the exporter window, the settings file, the command line and the tests fill alike.
#pragma once

#include <cstdint>
#include <string>

namespace lumora::exporter {

// Item indexes of "Data Types To Convert".
enum class TShapeDataType : std::int32_t {
    Stations = 0,
    Surveys = 1,
    SurveyShots = 2,
    SplitShots = 3,
    FeatureLocations = 4,
    FeatureLines = 5,
    Passage = 6,
    PolygonPrism = 7,
    MultipatchPrism = 8,
    BoundingPolygon = 9,
    MultipatchBoundingPolygon = 10,
};

// The "Wall Settings" tab. Lengths in feet, angles in degrees.
struct TWallSettings {
    std::int32_t PassShape = 2;      // "Passage Shape": 0 Square, 1 Diamond, 2 Octagon
    double SubstituteDiam = 2.0;     // "Substitue Diameter", 0 to 90
    bool DoSubstitute = true;        // "Sub. Miss. LRUDs"
    bool ExpandWalls = true;         // "Expand Passages"
    bool MergePass = true;           // "Merge Passages"
    bool SealEnds = true;            // "Seal Passage Ends" (not used by Shapefiles)
    std::int32_t RoundDepth = 1;     // "Rounding Depth": 0 None, 1 One Pass, 2 Two Pass
    double CornerThreshold = 20.0;   // "Corner Threshold", 0 to 180
    bool VerticalPrisms = true;      // "Vertical Prisms"
    double VerticalThreshold = 50.0; // "Vertical Threshold", 0 to 90

    // The substitute the passage code is given: the diameter when the box is checked, else 0.
    double Substitute() const { return DoSubstitute ? SubstituteDiam : 0.0; }
};

// A colour of the window: red in the lowest byte, green in the next, blue in the third.
using TColorValue = std::uint32_t;

inline constexpr TColorValue kRed = 0x0000FF;
inline constexpr TColorValue kGreen = 0x00FF00;
inline constexpr TColorValue kBlue = 0xFF0000;
inline constexpr TColorValue kYellow = 0x00FFFF;
inline constexpr TColorValue kAqua = 0xFFFF00;
inline constexpr TColorValue kGrey = 0x808080;

// The "VRML Export" tab.
struct TVRMLOptions {
    bool Passages3D = true;          // "Show 3D Passages"
    bool ColorByDepth = false;       // "Color By Depth" (passages)
    bool VertexColors = false;       // "Vertex Colors"
    bool SplineSurface = false;      // "Spline Surface"
    TColorValue PassageColor = kRed; // "Passage Color"
    double Transparency = 50.0;      // "Transparency", percent 0 to 100
    bool UseTexture = false;         // "Use Texture"
    std::string TextureFile = "texture2.png";
    bool DoTransparency = false;         // "Do Tranparency"
    bool DoShotLine = false;             // "Show Shot LIne"
    bool LineColorByDepth = false;       // "Color By Depth" (shot line)
    TColorValue LineColor = kAqua;       // "Line Color"
    TColorValue BackgroundColor = kGrey; // "Background Color"
    bool YawRotation = false;            // "Yaw Rotations"
};

// The "DXF Export" tab. Sizes are in the unit of the "Units" choice; layer colours are colour
// indices of the drawing format (1 red, 2 yellow, 3 green, 5 blue, ...).
struct TDXFOptions {
    bool ProfileMode = false;       // "Profile Mode"
    double Rotation = 0.0;          // "Rotation", degrees 0 to 360
    std::int32_t PassageType = 0;   // "Show Passage As:": 0 "3D Polygons", 1 "Tick Marks"; -1 none
    bool SeparateLayers = true;     // "Surveys On Separate Layers"
    bool AssociatePassages = false; // "Associate Passage With Surveys"
    bool AssociateLabels = false;   // "Associate Labels With Surveys"
    bool AssociateSeparate = false; // "Associate Separately"
    bool LeftRight = true;          // "Mark Left-Right"
    bool UpDown = true;             // "Mark Up-Down"
    bool AddLine = false;           // "Add Line To Mark"
    bool MarkFrom = true;           // "Mark From"
    bool MarkTo = false;            // "Mark To"
    std::int32_t MarkWith = 0;      // "Mark With:": 0 letters, 1 ".", 2 "*"; -1 none
    bool ExpandMark = true;         // "Expand Mark Dimensions"
    bool IncludeShotLine = true;    // "Include Shot Line" (kept; shot lines are always drawn)
    bool IncludeLabels = true;      // "Include Station Labels"
    bool IncludeStationMark = true; // "Include Station Marks"
    bool IncludeWalls = true;       // "Include Passage Walls"
    bool IncludeNorthArrow = true;  // "Include North Arrow"
    bool IncludeScaleBar = true;    // "Include Scale Bar"
    bool IncludeDepth = true;       // "Include Depth Labels"
    bool ClipLines = false;         // "Station Mark Clips Lines"
    std::int32_t SurveyColor = 3;   // "Survey Lines" layers
    std::int32_t LabelColor = 2;    // "Station Labels", marks and "OBJECTS" layers
    std::int32_t DepthColor = 5;    // "Depth Label" layers
    std::int32_t WallColor = 1;     // "Passage Walls" layers
    double ScaleBar = 100.0;        // "Scale Bar" length
    double MarkSize = 25.0;         // "Station Mark" radius
    bool DoScale = false;           // "Scale Export"
    double ScaleFactor = 100.0;     // "Scale Factor", percent 0.000001 to 1000000
};

// The "KML" tab.
struct TKMLOptions {
    std::int32_t Datum = 13;           // "Datum" list index 0 to 22; -1 (no selection) means 13
    std::int32_t AltitudeMode = 0;     // 0 "Clamp To Ground", 1 "Ground Relative"; -1 none
    double Altitude = 0.1;             // "Altitude", metres
    TColorValue LineColor = kBlue;     // "Line Color"
    TColorValue FillColor = kRed;      // "Fill Color"
    std::int32_t FillTransparency = 0; // "Transparency" track bar, 0 to 255
    std::int32_t OverlayType = 0;      // 0 "Passage Polygons", 1 "Survey Shot Lines" (not saved)
    std::int32_t LineWidth = 4;        // "Line Width", pixels 1 to 100 (not saved)

    bool ClampToGround() const { return AltitudeMode == 0; }
};

// The controls of the exporter window that the exports read when they start.
struct TExportOptions {
    TShapeDataType DataTypes = TShapeDataType::Stations; // "Data Types To Convert"
    bool ThreeD = true;      // "Shape File Type": "3D Shape File" (true) or "2D Shape File"
    bool Meters = false;     // "Units": "Meters" (true) or "Feet"
    bool ShowHidden = false; // "Export Hidden Shots (P-Flag)"
    bool ZipShape = true;    // "Create Zip File"
    TWallSettings Walls;
    TVRMLOptions Vrml;
    TDXFOptions Dxf;
    TKMLOptions Kml;
};

} // namespace lumora::exporter
