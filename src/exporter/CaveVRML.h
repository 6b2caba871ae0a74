// Feeds the cave into the VRML writer: passage walls and end caps from the passage generator,
// and the survey's shot lines, with colours by depth.
#pragma once

#include "exporter/VRMLWriter.h"
#include "passage/PassageLib.h"
#include "survey/PlotArray.h"

#include <array>
#include <cstdint>

namespace lumora::exporter {

inline constexpr int kDepthColorCount = 23;

// The depth colours from the top (red) to the bottom (pink), as RGB.
const std::array<std::uint32_t, kDepthColorCount>& DepthColorTable();

// The VRML point of a centred plot position (x east, y north, z up): (x, z, -y), z rounded to
// single precision.
survey::T3DVector ToVRMLPoint(const survey::T3DVector& p);

class TCaveVRML {
public:
    TCaveVRML(TVRMLWriter& writer, const survey::TPlotData& data);

    // Loads the 23 depth colours into the writer's colour list and takes the depth scale of the
    // plot file: top = PassageTop − Center.Z, step = (PassageTop − PassageBottom) / 22.
    void LoadDepthColors();
    // The colour index of a centred elevation: (top − z) / step truncated, kept within 0..22
    // (substituted dimensions may reach beyond the recorded extent); 0 when the cave is flat.
    std::int32_t DepthIndex(double z) const;

    // One wall quadrilateral (centred plot positions): the polygon P3, P2, P1, P0.
    void WallQuad(const survey::T3DVector& p0, const survey::T3DVector& p1,
                  const survey::T3DVector& p2, const survey::T3DVector& p3);
    // One end-cap triangle: (centre, b, a) at the start of a traverse, else (centre, a, b).
    void EndCap(const survey::T3DVector& centre, const survey::T3DVector& a,
                const survey::T3DVector& b, bool isStart);
    // Runs the passage generator on the plot with these walls and caps.
    void AddPassages(const passage::TPassageOptions& options, passage::TPassageRunState& state,
                     passage::TPassageProgressProc progress);
    // Every traverse of every survey (features left out) as one polyline per traverse, centred
    // on the plot's centre; a traverse of more than 200 records continues in a new polyline
    // that starts at the last point of the previous one. progress gets 0 to 50.
    void AddShotLines(passage::TProcRef<void(int)> progress);

private:
    void AddFace(const survey::T3DVector* points, int count);
    void AddLinePoint(TVRMLPolygon& line, const survey::T3DVector& p, std::int32_t color);
    void EndLine(TVRMLPolygon& line);

    TVRMLWriter& m_Writer;
    const survey::TPlotData& m_Data;
    double m_Top = 0.0;
    double m_Step = 0.0;
    std::int32_t m_LastColor = 0;
};

} // namespace lumora::exporter
