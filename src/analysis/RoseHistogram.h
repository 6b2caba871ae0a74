// The rose histogram: the shots of a survey counted by elevation band (layer) and direction
// (petal), weighted by their length or counted one by one, with the rose diagram's options.
#pragma once

#include "survey/PlotArray.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumora::analysis {

// "Rose Type": how directions fold.
enum class TRoseType {
    Full360,  // "360 Degree Rose": every bearing as it is
    Half180,  // "180 Degree Rose": a bearing and its opposite count alike (0 to 180)
    WaterFlow // "Water Flow": every shot turned to point downhill
};
// "Graph By:": the weight of a shot.
enum class TGraphBy { TotalLength, Frequency };

constexpr int kMinPetals = 4, kMaxPetals = 360;
constexpr int kMinLayers = 2, kMaxLayers = 180;
constexpr double kMaxMinLength = 100000;                   // feet
constexpr double kMinThickness = 0.1, kMaxThickness = 1e6; // feet

// Everything the rose diagram dialog chooses; the defaults are the dialog's.
struct TRoseOptions {
    double MinLength = 0; // feet: shorter shots are ignored
    TGraphBy GraphBy = TGraphBy::TotalLength;
    bool Rainbow = true;     // one colour per layer, else all red
    bool SlopeLength = true; // weight by slope length, else by horizontal length
    bool ShowBase = true;    // the base plate with the rose card
    int Petals = 36;         // 4..360
    TRoseType RoseType = TRoseType::Full360;
    int Layers = 24; // 2..180
};

// Direction of one shot from its two ends (feet; x east, y north, z up).
struct TShotDirection {
    double Length = 0;      // slope length
    double Horizontal = 0;  // horizontal length, s cos(i)
    double Bearing = 0;     // degrees clockwise from north, 0 <= bearing < 360; 90 when level 0
    double Inclination = 0; // degrees, positive climbing
};
TShotDirection ShotDirection(const survey::T3DVector& from, const survey::T3DVector& to);
// The bearing folded as the rose type says; 0 <= result < 360.
double FoldBearing(double bearing, double inclination, TRoseType type);
// Petal of a folded bearing: bearing / (360 / petals), truncated, within 0..petals - 1.
int PetalIndex(double bearing, int petals);

// Elevations (feet) the layers divide: the file's bounds, or where the file states none, the
// lowest and highest record.
struct TVerticalBounds {
    double Bottom = 0, Top = 0;
};
TVerticalBounds RoseVerticalBounds(const survey::TPlotData& data);
// Top minus bottom of those bounds, 0.1 when 0: what "Layer Thickness" divides.
double RoseDepthRange(const survey::TPlotData& data);

// The dialog's linkage: "Layer Thickness" of a layer count, and the layer count (rounded, held to
// 2..180) of a thickness; "Angle" of a petal count ("10.0").
double LayerThickness(double depthRange, int layers);
int LayersForThickness(double depthRange, double thickness);
std::string AngleText(int petals);

// Called with the new percentage (0..100) whenever it changes.
using TRoseProgressProc = std::function<void(int percent)>;

class TRoseHistogram {
public:
    static constexpr int kGridLayers = kMaxLayers + 1, kGridPetals = kMaxPetals + 1;

    // Clears the counts and counts the draw records of data ('D'; a hidden 'd' only becomes the
    // previous record) into options.Layers x options.Petals cells. Reports progress 0..50 as it
    // goes. A shot lands in the layer of its end station: (z - bottom) / (range / layers),
    // truncated; a station on or above the top falls into the top layer, one below the bottom
    // into the bottom layer, and when the bounds have no height every shot is in layer 0.
    void Fill(const survey::TPlotData& data, const TRoseOptions& options,
              const TRoseProgressProc& progress = {});

    int Layers() const { return m_Layers; }
    int Petals() const { return m_Petals; }
    double Top() const { return m_Top; }
    double Bottom() const { return m_Bottom; }
    double Range() const { return m_Range; }
    // Sum of the truncated weights of the cell; 0 outside the grid.
    std::int64_t Count(int layer, int petal) const;
    double LargestCount() const { return m_Largest; }
    // Shots counted (including those whose weight truncated to 0).
    std::int64_t ShotsCounted() const { return m_Shots; }

private:
    int LayerIndex(double z) const;

    int m_Layers = 0, m_Petals = 0;
    double m_Top = 0, m_Bottom = 0, m_Range = 0;
    std::vector<std::int64_t> m_Counts =
        std::vector<std::int64_t>(std::size_t(kGridLayers) * kGridPetals);
    double m_Largest = 0;
    std::int64_t m_Shots = 0;
};

} // namespace lumora::analysis
