#include "viewer/lvtxture.h"

#include <filesystem>

namespace lumora::viewer {

using namespace scene;

namespace {

constexpr std::uint32_t kCaveKind = 1;
const char* const kNoTexture = "No Texture Loaded";

// The checks that open every texture command: a texture and a mesh to put it on.
bool ReadyToApply(const TTextures& t, UiServices& ui) {
    if (!t.CurrentTexture) {
        ui.Warning(kNoTexture);
        return false;
    }
    return t.SelectedBuilder != nullptr;
}

void WhiteBackground(TTextures& t) {
    if (t.Dialog.WhiteBackground)
        t.SelectedBuilder->SetColorRGB(1, 1, 1); // the picture is not tinted
}

} // namespace

TTextureParameters ParametersFromDialog(const TTextureDialogValues& d, const FramePtr& reference) {
    TTextureParameters p;
    p.WrapType = d.WrapType;
    p.WrapOrigin = d.WrapOrigin;
    p.Direction = d.Direction;
    p.Up = d.Up;
    p.OriginU = d.OriginU;
    p.OriginV = d.OriginV;
    p.ScaleU = d.ScaleU;
    p.ScaleV = d.ScaleV;
    p.Colors = d.Colors;
    p.Shades = d.Shades;
    p.Reference = reference;
    return p;
}

void ApplyTextureSettings(Texture& texture, int colors, int shades) {
    texture.SetColors(std::uint32_t(colors));
    texture.SetShades(std::uint32_t(shades));
    texture.SetDecalScale(1);
    texture.SetDecalOrigin(0, 0);
}

Result ApplyTextureParameters(TViewerScene& s, TTextures& t, MeshBuilder& mesh,
                              const TTextureParameters& p) {
    if (!t.CurrentTexture)
        return Result::BadObject;
    ApplyTextureSettings(*t.CurrentTexture, p.Colors, p.Shades);
    t.CurrentTexture->SetDecalScale(std::uint32_t(p.DecalScale));
    t.CurrentTexture->SetDecalOrigin(p.DecalOriginX, p.DecalOriginY);
    WrapParameters wrap;
    wrap.Type = p.WrapType;
    wrap.Origin = p.WrapOrigin;
    wrap.Direction = p.Direction;
    wrap.Up = p.Up;
    wrap.OriginU = float(p.OriginU);
    wrap.OriginV = float(p.OriginV);
    wrap.ScaleU = float(p.ScaleU);
    wrap.ScaleV = float(p.ScaleV);
    const Result result = s.RMRoot.CreateWrap(wrap, p.Reference, t.CurrentWrap);
    if (!Succeeded(result))
        return result;
    mesh.SetTexture(t.CurrentTexture);
    return t.CurrentWrap->Apply(mesh);
}

Result LoadTextureFile(TViewerScene& s, TTextures& t, const std::string& path,
                       std::string* reason) {
    TexturePtr texture;
    const Result result = s.RMRoot.LoadTexture(path, texture, reason);
    if (!Succeeded(result))
        return result;
    const std::string name = std::filesystem::path(path).filename().string();
    texture->SetName(name);
    t.CurrentTexture = texture;
    t.FileReadout = name + " " + std::to_string(texture->GetWidth()) + "X" +
                    std::to_string(texture->GetHeight());
    return Result::Ok;
}

bool ApplyToMesh(TViewerScene& s, TTextures& t, UiServices& ui, bool relative) {
    if (!ReadyToApply(t, ui))
        return false;
    s.WrapRelative = relative;
    WhiteBackground(t);
    const TTextureParameters p = ParametersFromDialog(t.Dialog, s.CameraFrame);
    ApplyTextureParameters(s, t, *t.SelectedBuilder, p);
    return true;
}

bool ApplyToFaces(TViewerScene& s, TTextures& t, UiServices& ui, std::vector<std::string>& lines) {
    if (!ReadyToApply(t, ui))
        return false;
    s.WrapRelative = false;
    WhiteBackground(t);
    lines.clear();
    ApplyTextureSettings(*t.CurrentTexture, t.Dialog.Colors, t.Dialog.Shades);
    const float u = float(t.Dialog.VertexU), v = float(t.Dialog.VertexV);
    const TextureCoord corners[] = {{0, 0}, {u, 0}, {u, v}, {0, v}};
    MeshBuilder& mesh = *t.SelectedBuilder;
    for (std::size_t i = 0; i < mesh.GetFaceCount(); ++i) {
        lines.push_back(std::to_string(i));
        FacePtr face;
        mesh.GetFace(i, face);
        face->SetTexture(t.CurrentTexture);
        for (std::size_t j = 0; j < face->GetVertexCount(); ++j) {
            Vector position, normal;
            face->GetVertex(j, position, normal);
            lines.push_back(std::to_string(j) + " X: " + FixedText(position.X, 1) + "  Y: " +
                            FixedText(position.Y, 1) + "  Z: " + FixedText(position.Z, 1));
            if (j < 4)
                face->SetTextureCoordinates(j, corners[j].U, corners[j].V);
        }
    }
    return true;
}

void RemoveTexture(TViewerScene& s, TTextures& t) {
    s.WrapRelative = false;
    if (t.SelectedBuilder)
        t.SelectedBuilder->SetTexture(nullptr);
}

void ApplyPresetScale(TTextureDialogValues& d, const MeshBuilder& mesh, TPresetScale preset) {
    Box box;
    mesh.GetBox(box);
    // A mesh of no width or height gives infinite scales; they are passed on as they are.
    const double w = double(box.Max.X) - box.Min.X, h = double(box.Max.Y) - box.Min.Y;
    switch (preset) {
    case TPresetScale::Flat:
        d.OriginU = 0.5, d.OriginV = 0.5, d.ScaleU = -1 / w, d.ScaleV = 1 / h;
        break;
    case TPresetScale::Cylinder:
        d.OriginU = 0, d.OriginV = box.Min.Y / h, d.ScaleU = 1, d.ScaleV = -1 / h;
        break;
    case TPresetScale::SphereUnit:
        d.OriginU = 0, d.OriginV = 0, d.ScaleU = 1, d.ScaleV = 1;
        break;
    case TPresetScale::Chrome:
        d.OriginU = 0, d.OriginV = 0, d.ScaleU = 2 * w, d.ScaleV = -2 * h;
        break;
    }
}

bool ApplyRockTexture(TViewerScene& s, TTextures& t, UiServices& ui, const MeshBuilderPtr& mesh) {
    t.SelectedBuilder = mesh;
    t.Dialog.Shades = 32;
    t.Dialog.WrapType = WrapType::Sphere;
    t.Dialog.OriginU = 0, t.Dialog.OriginV = 0;
    t.Dialog.ScaleU = 40, t.Dialog.ScaleV = 15;
    return ApplyToMesh(s, t, ui, false);
}

void ApplyRockTextureToCave(TViewerScene& s, TTextures& t, UiServices& ui,
                            const THierarchy& hierarchy) {
    int index = 0;
    MeshBuilderPtr mesh;
    for (int start = 1; hierarchy.FindFirstObject(start, index, mesh); start = index + 1)
        if (mesh->GetAppData() == kCaveKind)
            ApplyRockTexture(s, t, ui, mesh);
}

} // namespace lumora::viewer
