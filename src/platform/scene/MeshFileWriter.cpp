#include "platform/scene/MeshFileWriter.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/scene/XFileStream.h"

#include <cerrno>
#include <fstream>

namespace lumora::scene {

namespace {

struct MeshOptions {
    unsigned Parts = kSaveNormals | kSaveTextureCoordinates | kSaveMaterials | kSaveTextureNames;
    bool ModelColors = false; // the model writer's material rule
};

struct MaterialValues {
    float Rgba[4] = {1, 1, 1, 1};
    float Power = 10;
    Vector Specular{1, 1, 1};
    Vector Emissive{1, 1, 1};
};

MaterialValues MaterialOf(const MeshBuilder& mesh, bool modelColors) {
    MaterialValues values;
    if (mesh.GetFaceCount() == 0)
        return values;
    const Color color = mesh.FaceColor(0);
    const MaterialPtr& material = mesh.FaceMaterial(0);
    if (material || !modelColors) {
        values.Rgba[0] = ColorRed(color) / 255.0f;
        values.Rgba[1] = ColorGreen(color) / 255.0f;
        values.Rgba[2] = ColorBlue(color) / 255.0f;
        if (!modelColors)
            values.Rgba[3] = ColorAlpha(color) / 255.0f;
    }
    if (material) {
        values.Power = material->GetPower();
        values.Specular = material->GetSpecular();
        values.Emissive = material->GetEmissive();
    }
    return values;
}

void WriteVectors(XFileStream& out, const std::vector<Vector>& vectors) {
    out.Int(std::uint32_t(vectors.size()), ";");
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        out.NewLine();
        out.Float(vectors[i].X, ";");
        out.Float(vectors[i].Y, ";");
        out.Float(vectors[i].Z, i + 1 == vectors.size() ? ";;" : ";,");
    }
}

// Per face its corner count, then the vertex (or normal) index of each corner.
void WriteFaces(XFileStream& out, const MeshBuilder& mesh, bool normals) {
    const std::size_t faceCount = mesh.GetFaceCount();
    out.NewLine();
    out.Int(std::uint32_t(faceCount), ";");
    for (std::size_t f = 0; f < faceCount; ++f) {
        const auto corners = mesh.FaceCorners(f);
        out.NewLine();
        out.Int(std::uint32_t(corners.size()), ";");
        for (std::size_t c = 0; c < corners.size(); ++c) {
            const std::uint32_t index = normals ? corners[c].Normal : corners[c].Vertex;
            const bool lastCorner = c + 1 == corners.size();
            out.Int(index == kNoNormal ? 0 : index, !lastCorner          ? ","
                                                    : f + 1 == faceCount ? ";;"
                                                                         : ";,");
        }
        if (corners.empty())
            out.Separator(f + 1 == faceCount ? ";" : ",");
    }
}

void WriteMaterialList(XFileStream& out, const MeshBuilder& mesh, const MeshOptions& options) {
    const MaterialValues m = MaterialOf(mesh, options.ModelColors);
    out.Begin("MeshMaterialList", "");
    out.NewLine();
    out.Int(1, ";");
    out.NewLine();
    // One index stands for every face; a mesh without faces has none (an index of a face that
    // is not there crashes readers).
    if (mesh.GetFaceCount() == 0) {
        out.Int(0, ";;");
    } else {
        out.Int(1, ";");
        out.NewLine();
        out.Int(0, ";;");
    }
    out.Begin("Material", "");
    out.NewLine();
    for (int i = 0; i < 4; ++i)
        out.Float(m.Rgba[i], i == 3 ? ";;" : ";");
    out.NewLine();
    out.Float(m.Power, ";");
    out.NewLine();
    out.Float(m.Specular.X, ";"), out.Float(m.Specular.Y, ";"), out.Float(m.Specular.Z, ";;");
    out.NewLine();
    out.Float(m.Emissive.X, ";"), out.Float(m.Emissive.Y, ";"), out.Float(m.Emissive.Z, ";;");
    static const TexturePtr kNoTexture;
    const TexturePtr& texture = mesh.GetFaceCount() > 0 ? mesh.FaceTexture(0) : kNoTexture;
    if ((options.Parts & kSaveTextureNames) && texture && !texture->GetName().empty()) {
        out.Begin("TextureFilename", "");
        out.NewLine();
        out.String(texture->GetName());
        out.End();
    }
    out.End();
    out.End();
}

void WriteNormals(XFileStream& out, const MeshBuilder& mesh) {
    out.Begin("MeshNormals", "");
    out.NewLine();
    WriteVectors(out, mesh.Normals());
    WriteFaces(out, mesh, true);
    out.End();
}

void WriteTextureCoords(XFileStream& out, const MeshBuilder& mesh) {
    const std::size_t count = mesh.GetVertexCount(); // one pair a vertex, 0 where none was set
    out.Begin("MeshTextureCoords", "");
    out.NewLine();
    out.Int(std::uint32_t(count), ";");
    for (std::size_t i = 0; i < count; ++i) {
        const TextureCoord uv = mesh.TextureCoordinate(i);
        out.NewLine();
        out.Float(uv.U, ";");
        out.Float(uv.V, i + 1 == count ? ";;" : ";,");
    }
    out.End();
}

void Step(const XFileProgress& step) {
    if (step)
        step();
}

void WriteMesh(XFileStream& out, const MeshBuilder& mesh, const MeshOptions& options,
               const XFileProgress& step) {
    out.Begin("Mesh", mesh.GetName());
    out.NewLine();
    WriteVectors(out, mesh.Vertices());
    WriteFaces(out, mesh, false);
    Step(step);
    if (options.Parts & kSaveMaterials)
        WriteMaterialList(out, mesh, options);
    Step(step);
    if ((options.Parts & kSaveNormals) && mesh.GetNormalCount() > 0)
        WriteNormals(out, mesh);
    Step(step);
    if (options.Parts & kSaveTextureCoordinates)
        WriteTextureCoords(out, mesh);
    Step(step);
    out.End();
}

bool WriteMeshStream(std::ostream& file, bool text, std::span<const MeshBuilder* const> meshes,
                     const MeshOptions& options, const XFileProgress& step);

// Writes the meshes through a temporary file that replaces path only when complete.
Result WriteMeshes(const std::string& path, bool text, std::span<const MeshBuilder* const> meshes,
                   const MeshOptions& options, const XFileProgress& step, std::string* reason) {
    try {
        platform::TSafeFile safe(path);
        std::ofstream file(safe.TempPath(), std::ios::binary | std::ios::trunc);
        if (file && WriteMeshStream(file, text, meshes, options, step)) {
            file.close();
            if (file) {
                safe.Commit();
                return Result::Ok;
            }
        }
        safe.Fail(errno != 0 ? errno : EIO);
    } catch (const WriteError& e) {
        if (reason)
            *reason = e.what();
    }
    return Result::WriteFailed;
}

bool WriteMeshStream(std::ostream& file, bool text, std::span<const MeshBuilder* const> meshes,
                     const MeshOptions& options, const XFileProgress& step) {
    errno = 0;
    XFileStream out(file, text);
    out.Begin("Header", "");
    out.NewLine();
    out.Int(1, ";"), out.NewLine(), out.Int(0, ";"), out.NewLine(), out.Int(1, ";");
    out.End();
    for (const MeshBuilder* mesh : meshes) {
        WriteMesh(out, *mesh, options, step);
        if (!out.Finish())
            return false;
        Step(step);
    }
    return out.Finish();
}

} // namespace

Result WriteXFile(const std::string& path, bool text, std::span<const MeshBuilder* const> meshes,
                  unsigned options, std::string* reason) {
    MeshOptions meshOptions;
    meshOptions.Parts = options;
    return WriteMeshes(path, text, meshes, meshOptions, {}, reason);
}

Result WriteMeshFile(const Frame& modelFrame, const std::string& path, bool text,
                     const XFileProgress& step, std::string* reason) {
    std::vector<const MeshBuilder*> meshes;
    for (const VisualPtr& visual : modelFrame.GetVisuals())
        if (const auto* mesh = dynamic_cast<const MeshBuilder*>(visual.get()))
            meshes.push_back(mesh);
    MeshOptions options;
    options.ModelColors = true;
    return WriteMeshes(path, text, meshes, options, step, reason);
}

int MeshFileProgressMaximum(const Frame& modelFrame) {
    return 5 * int(modelFrame.GetVisuals().size());
}

} // namespace lumora::scene
