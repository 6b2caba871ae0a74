// The exporter's choices for a Shapefile export: one plain struct that the exporter window, the
// command line and the tests fill alike.
#pragma once

#include <cstdint>

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

// The controls of the exporter window that a Shapefile export reads when it starts.
struct TExportOptions {
    TShapeDataType DataTypes = TShapeDataType::Stations; // "Data Types To Convert"
    bool ThreeD = true;      // "Shape File Type": "3D Shape File" (true) or "2D Shape File"
    bool Meters = false;     // "Units": "Meters" (true) or "Feet"
    bool ShowHidden = false; // "Export Hidden Shots (P-Flag)"
    bool ZipShape = true;    // "Create Zip File"
    TWallSettings Walls;
};

} // namespace lumora::exporter
