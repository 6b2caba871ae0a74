#include "exporter/CaveVRML.h"

#include "exporter/ShapeGlobal.h"
#include "exporter/ShapeSurvey.h"

#include <cmath>

namespace lumora::exporter {

using survey::T3DVector;

const std::array<std::uint32_t, kDepthColorCount>& DepthColorTable() {
    static const std::array<std::uint32_t, kDepthColorCount> table{
        0xFF0000, 0xFF3F00, 0xFF7F00, 0xFFBF00, 0xFFFF00, 0xBFFF00, 0x7FFF00, 0x3FFF00,
        0x00FF00, 0x00FF3F, 0x00FF7F, 0x00FFBF, 0x00FFFF, 0x00BFFF, 0x007FFF, 0x003FFF,
        0x0000FF, 0x3F00FF, 0x7F00FF, 0xBF00FF, 0xFF00FF, 0xFF00BF, 0xFF007F};
    return table;
}

T3DVector ToVRMLPoint(const T3DVector& p) {
    return {p.X, static_cast<double>(static_cast<float>(p.Z)), -p.Y};
}

TCaveVRML::TCaveVRML(TVRMLWriter& writer, const survey::TPlotData& data)
    : m_Writer(writer), m_Data(data) {}

void TCaveVRML::LoadDepthColors() {
    m_Writer.Colors.clear();
    for (std::uint32_t rgb : DepthColorTable())
        m_Writer.Colors.push_back(
            {(rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0});
    m_Top = m_Data.PassageTop - m_Data.Center.Z;
    m_Step = (m_Data.PassageTop - m_Data.PassageBottom) / 22.0;
}

std::int32_t TCaveVRML::DepthIndex(double z) const {
    if (!(m_Step > 0.0))
        return 0;
    const double index = std::trunc((m_Top - z) / m_Step);
    if (!(index > 0.0))
        return 0;
    return index >= kDepthColorCount - 1 ? kDepthColorCount - 1 : static_cast<std::int32_t>(index);
}

void TCaveVRML::AddFace(const T3DVector* points, int count) {
    if (m_Writer.ColorByDepth) {
        if (m_Writer.PerVertex) {
            for (int i = 0; i < count; ++i)
                m_Writer.AddColorIndex(DepthIndex(points[i].Z));
            m_Writer.AddColorIndex(-1);
        }
    }
    T3DVector converted[4];
    for (int i = 0; i < count; ++i)
        converted[i] = ToVRMLPoint(points[i]);
    m_Writer.AddPolygon(converted, count);
}

void TCaveVRML::WallQuad(const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                         const T3DVector& p3) {
    if (m_Writer.ColorByDepth && !m_Writer.PerVertex)
        m_Writer.AddColorIndex(DepthIndex(p0.Z));
    const T3DVector points[4] = {p3, p2, p1, p0};
    AddFace(points, 4);
}

void TCaveVRML::EndCap(const T3DVector& centre, const T3DVector& a, const T3DVector& b,
                       bool isStart) {
    if (m_Writer.ColorByDepth && !m_Writer.PerVertex)
        m_Writer.AddColorIndex(DepthIndex(centre.Z));
    const T3DVector start[3] = {centre, b, a};
    const T3DVector end[3] = {centre, a, b};
    AddFace(isStart ? start : end, 3);
}

void TCaveVRML::AddPassages(const passage::TPassageOptions& options,
                            passage::TPassageRunState& state,
                            passage::TPassageProgressProc progress) {
    auto wall = [this](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                       const T3DVector& p3) { WallQuad(p0, p1, p2, p3); };
    auto cap = [this](const T3DVector& c, const T3DVector& a, const T3DVector& b, bool isStart) {
        EndCap(c, a, b, isStart);
    };
    passage::GeneratePassages(m_Data, options, state, cap, wall, progress);
}

void TCaveVRML::AddLinePoint(TVRMLPolygon& line, const T3DVector& p, std::int32_t color) {
    if (line.Full()) {
        // Continue in a new polyline from the last point, so no segment is lost.
        const T3DVector last = line.Points[TVRMLPolygon::kMaxPoints - 1];
        EndLine(line);
        line.Add(last);
        if (m_Writer.ColorByDepth)
            m_Writer.AddColorIndex(m_LastColor);
    }
    line.Add(p);
    if (m_Writer.ColorByDepth)
        m_Writer.AddColorIndex(color);
    m_LastColor = color;
}

void TCaveVRML::EndLine(TVRMLPolygon& line) {
    m_Writer.AddPolygon(line);
    if (m_Writer.ColorByDepth)
        m_Writer.AddColorIndex(-1);
    line.Count = 0;
}

void TCaveVRML::AddShotLines(passage::TProcRef<void(int)> progress) {
    TVRMLPolygon line;
    const std::int32_t surveys = m_Data.Surveys.Count();
    ForEachSurvey(m_Data, [&](std::int32_t, std::int32_t i) {
        if (m_Data.Surveys[i].SurveyKind != 0)
            return;
        const survey::TRange traverses = m_Data.SurveyTraverseRange(i);
        for (std::int32_t t = traverses.First; t <= traverses.Last; ++t) {
            const survey::TRange shots = m_Data.TraverseShotRange(t);
            for (std::int32_t k = shots.First; k <= shots.Last; ++k) {
                const T3DVector p = survey::Sub(m_Data.Shots.Position(k), m_Data.Center);
                AddLinePoint(line, ToVRMLPoint(p), m_Writer.ColorByDepth ? DepthIndex(p.Z) : 0);
            }
            if (line.Count > 0)
                EndLine(line);
        }
        if (progress)
            progress(RoundPercent(i, 2.0 * surveys));
    });
}

} // namespace lumora::exporter
