#include "analysis/RoseHistogram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace lumora::analysis {

using survey::T3DVector;

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// Nearest integer, halves to even (the rounding of the whole program).
double RoundEven(double value) {
    return std::nearbyint(value);
}

// Degrees clockwise from north of a horizontal vector; 90 for a zero one. 0 <= result < 360.
double Bearing(double x, double y) {
    if (x == 0 && y == 0)
        return 90;
    double bearing = std::atan2(x, y) * kDegrees;
    if (bearing < 0)
        bearing += 360;
    return bearing >= 360 ? 0 : bearing; // a hair west of north rounds up to 360
}

// Degrees above the horizontal of a shot of length s rising z; 0 when level.
double Inclination(double z, double s) {
    return z == 0 ? 0 : std::asin(std::clamp(z / s, -1.0, 1.0)) * kDegrees;
}

} // namespace

TShotDirection ShotDirection(const T3DVector& from, const T3DVector& to) {
    const double x = to.X - from.X, y = to.Y - from.Y, z = to.Z - from.Z;
    TShotDirection d;
    d.Length = std::sqrt(x * x + y * y + z * z);
    d.Bearing = Bearing(x, y);
    d.Inclination = Inclination(z, d.Length);
    d.Horizontal = std::sqrt(x * x + y * y); // s cos(i), without the trigonometry's rounding
    return d;
}

double FoldBearing(double bearing, double inclination, TRoseType type) {
    switch (type) {
    case TRoseType::Full360:
        break;
    case TRoseType::Half180:
        if (bearing >= 180)
            bearing -= 180;
        break;
    case TRoseType::WaterFlow:
        // A climbing shot is turned round, so that every shot points the way water runs.
        if (inclination > 0)
            bearing = bearing >= 180 ? bearing - 180 : bearing + 180;
        break;
    }
    return bearing;
}

int PetalIndex(double bearing, int petals) {
    const double width = 360.0 / petals;
    return std::clamp(int(bearing / width), 0, petals - 1);
}

TVerticalBounds RoseVerticalBounds(const survey::TPlotData& data) {
    if (data.MinBounds.Z <= data.MaxBounds.Z)
        return {data.MinBounds.Z, data.MaxBounds.Z};
    // No bounds in the file: the records' own extent.
    TVerticalBounds b{0, 0};
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i) {
        const double z = data.Shots.Position(i).Z;
        b.Bottom = i == 0 ? z : std::min(b.Bottom, z);
        b.Top = i == 0 ? z : std::max(b.Top, z);
    }
    return b;
}

double RoseDepthRange(const survey::TPlotData& data) {
    const TVerticalBounds b = RoseVerticalBounds(data);
    const double range = b.Top - b.Bottom;
    return range == 0 ? 0.1 : range;
}

double LayerThickness(double depthRange, int layers) {
    return depthRange / std::clamp(layers, kMinLayers, kMaxLayers);
}

int LayersForThickness(double depthRange, double thickness) {
    if (!(thickness > 0))
        return kMaxLayers;
    const double layers = RoundEven(depthRange / thickness);
    return int(std::clamp(layers, double(kMinLayers), double(kMaxLayers)));
}

std::string AngleText(int petals) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, 360.0 / petals, std::chars_format::fixed, 1);
    return std::string(buffer, end.ptr);
}

int TRoseHistogram::LayerIndex(double z) const {
    const double thickness = m_Range / m_Layers;
    if (!(thickness > 0))
        return 0; // a cave without height: one layer holds every shot
    const double index = (z - m_Bottom) / thickness;
    if (!(index >= 0))
        return 0;
    return index >= m_Layers ? m_Layers - 1 : int(index);
}

std::int64_t TRoseHistogram::Count(int layer, int petal) const {
    if (layer < 0 || layer >= kGridLayers || petal < 0 || petal >= kGridPetals)
        return 0;
    return m_Counts[std::size_t(layer) * kGridPetals + std::size_t(petal)];
}

void TRoseHistogram::Fill(const survey::TPlotData& data, const TRoseOptions& options,
                          const TRoseProgressProc& progress) {
    std::fill(m_Counts.begin(), m_Counts.end(), 0);
    m_Layers = std::clamp(options.Layers, kMinLayers, kMaxLayers);
    m_Petals = std::clamp(options.Petals, kMinPetals, kMaxPetals);
    const TVerticalBounds bounds = RoseVerticalBounds(data);
    m_Top = bounds.Top;
    m_Bottom = bounds.Bottom;
    m_Range = m_Top - m_Bottom;
    m_Largest = 0;
    m_Shots = 0;

    const survey::TPlotArray& shots = data.Shots;
    const std::int32_t count = shots.Count();
    const bool frequency = options.GraphBy == TGraphBy::Frequency;
    int shown = -1;
    for (std::int32_t i = 0; i < count; ++i) {
        if (shots.RecordType(i) == 'D' && i > 0) { // a draw needs a station to start from
            const T3DVector &from = shots.Position(i - 1), &to = shots.Position(i);
            const double x = to.X - from.X, y = to.Y - from.Y, z = to.Z - from.Z;
            const double s = std::sqrt(x * x + y * y + z * z);
            if (!(s < options.MinLength)) {
                // A shot climbs exactly when its inclination is above 0, that is when z is.
                const double bearing = FoldBearing(Bearing(x, y), z > 0 ? 1 : 0, options.RoseType);
                const double weight = frequency             ? 1.0
                                      : options.SlopeLength ? s
                                                            : std::sqrt(x * x + y * y);
                std::int64_t& cell = m_Counts[std::size_t(LayerIndex(to.Z)) * kGridPetals +
                                              std::size_t(PetalIndex(bearing, m_Petals))];
                cell += std::int64_t(weight);
                m_Largest = std::max(m_Largest, double(cell));
                ++m_Shots;
            }
        }
        if (progress) {
            const int percent = int(RoundEven(50.0 * double(i + 1) / count));
            if (percent != shown)
                progress(shown = percent);
        }
    }
}

} // namespace lumora::analysis
