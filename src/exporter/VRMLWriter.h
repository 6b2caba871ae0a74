// TVRMLWriter: collects the geometry of one shape at a time (merged vertices, coordinate and
// colour indexes, material) and writes VRML 2.0 world text with CR LF line ends.
#pragma once

#include "exporter/BinaryFile.h"
#include "exporter/VectorHash.h"
#include "passage/PassageLib.h"
#include "survey/HugeArry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumora::exporter {

// A colour as fractions 0 to 1.
struct TVRMLColor {
    double Red = 0.0;
    double Green = 0.0;
    double Blue = 0.0;
};

// The colour of a window colour value (red in the lowest byte): each byte / 255.
TVRMLColor ToVRMLColor(std::uint32_t color);

struct TVRMLMaterial {
    TVRMLColor Diffuse{1.0, 0.0, 0.0};
    TVRMLColor Emissive{0.0, 0.0, 0.0};
    TVRMLColor Specular{128 / 255.0, 128 / 255.0, 128 / 255.0};
    double AmbientIntensity = 0.2;
    double Shininess = 0.2;
    bool Transparent = false;
    double Transparency = 0.0; // 0 to 1
};

// A polygon or polyline of up to 200 points.
struct TVRMLPolygon {
    static constexpr int kMaxPoints = 200;
    std::array<survey::T3DVector, kMaxPoints> Points;
    int Count = 0;

    bool Full() const { return Count == kMaxPoints; }
    // Appends p; false (nothing changed) when the polygon is full.
    bool Add(const survey::T3DVector& p);
};

// What the whole world shows besides its shapes.
struct TVRMLWorldOptions {
    TVRMLColor Background{128 / 255.0, 128 / 255.0, 128 / 255.0};
    bool UseTexture = false;
    std::string TextureFile;
    bool SplineSurface = false; // faces as SplineFaceSet (declared in the file as a face set)
    bool YawRotation = false;   // the click-to-spin animation
};

enum class TVRMLShapeKind { Faces, Lines };

// Progress of writing one shape, 0 to 100.
using TVRMLProgress = passage::TProcRef<void(int percent)>;

// Writes one world: OpenFile, then for each shape ClearShape, fill the accumulator, WriteShape;
// then CloseFile. Numbers have 5 decimals up to each shape's geometry and 2 from there on. Every
// file failure throws lumora::WriteError naming the file.
class TVRMLWriter {
public:
    explicit TVRMLWriter(TVRMLWorldOptions options);
    ~TVRMLWriter();

    void OpenFile(const std::string& fileName);
    // Empties the accumulator (points, indexes, colours, bounds); the material stays.
    void ClearShape();
    // Adds the points (merging exact duplicates) and their indexes, then -1.
    void AddPolygon(const TVRMLPolygon& polygon);
    void AddPolygon(const survey::T3DVector* points, int count);
    // Appends to the colour index list (-1 ends a polygon's list in per-vertex mode).
    void AddColorIndex(std::int32_t index) { m_ColorIndex.Add(index); }
    // The header (before the first shape), then the shape; progress 0 to 100.
    void WriteShape(TVRMLProgress progress = nullptr);
    // Closes the scene (writing the header first when no shape was written), adds the
    // animation when asked, and closes the file.
    void CloseFile();

    TVRMLShapeKind Kind = TVRMLShapeKind::Faces;
    bool ColorByDepth = false;
    bool PerVertex = false;
    TVRMLMaterial Material;
    std::vector<TVRMLColor> Colors;

    std::int32_t PointCount() const { return m_Points.Count(); }
    const survey::T3DVector& PointAt(std::int32_t i) const { return m_Points[i]; }
    const survey::THugeInteger& CoordIndex() const { return m_CoordIndex; }
    const survey::THugeInteger& ColorIndex() const { return m_ColorIndex; }

private:
    void Line(const std::string& text);
    void OpenBlock(const std::string& header, const char* bracket);
    void CloseBlock(const char* bracket);
    std::string Numbers(std::initializer_list<double> values) const;
    std::string ColorText(const TVRMLColor& c) const;
    void WriteHeader();
    void WriteSplineDeclaration();
    void WriteMaterial();
    void WritePoints(TVRMLProgress progress);
    void WriteIndexList(const char* name, const survey::THugeInteger& list, const char* after,
                        TVRMLProgress progress);
    void WriteColors();
    void WriteAnimation();
    void Flush(bool always);

    TVRMLWorldOptions m_World;
    std::unique_ptr<TBinaryFile> m_File;
    std::string m_Text;
    int m_Indent = 0;
    int m_Decimals = 5;
    bool m_HeaderWritten = false;
    TVectorHash m_Points;
    survey::THugeInteger m_CoordIndex{1024};
    survey::THugeInteger m_ColorIndex{1024};
    survey::T3DVector m_Min;
    survey::T3DVector m_Max;
};

} // namespace lumora::exporter
