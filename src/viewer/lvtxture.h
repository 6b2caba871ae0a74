// Textures on meshes: the current texture and wrap, the texture dialog's values, applying a
// texture through a wrap or pinned to each face's corners, the preset scales and the rock preset.
#pragma once

#include "viewer/lvoutlin.h"
#include "viewer/lvsupprt.h"

#include <string>
#include <vector>

namespace lumora::viewer {

// The "Preset Scales" buttons.
enum class TPresetScale { Cylinder, Flat, SphereUnit, Chrome };

// The texture dialog's values; it is created once and keeps them between uses.
struct TTextureDialogValues {
    int Shades = 1;                  // 1 to 256
    int Colors = 256;                // 2 to 1000000
    double OriginU = 0, OriginV = 0; // "Texture Origin U, V"
    double ScaleU = 0, ScaleV = 0;   // "Texture Scale U, V"
    bool WhiteBackground = true;
    scene::WrapType WrapType = scene::WrapType::Flat;
    scene::Vector WrapOrigin{0, 0, 0};
    scene::Vector Direction{0, 1, 0}; // along the plot's north
    scene::Vector Up{0, 0, 1};        // along the plot's vertical
    double VertexU = 1, VertexV = 1;  // "Vertex U,V" of "Apply To Faces"
};

// Everything one texture application needs.
struct TTextureParameters {
    scene::WrapType WrapType = scene::WrapType::Flat;
    scene::Vector WrapOrigin, Direction, Up;
    double OriginU = 0, OriginV = 0, ScaleU = 1, ScaleV = 1;
    int Colors = 256, Shades = 1;
    int DecalOriginX = 0, DecalOriginY = 0, DecalScale = 1;
    scene::FramePtr Reference;
};

struct TTextures {
    scene::TexturePtr CurrentTexture; // one at a time
    scene::WrapPtr CurrentWrap;       // the last wrap created
    scene::MeshBuilderPtr SelectedBuilder;
    TTextureDialogValues Dialog;
    std::string FileReadout; // "rock.bmp 256X128"
};

// The dialog's values as parameters, with reference as the wrap's reference frame.
TTextureParameters ParametersFromDialog(const TTextureDialogValues& dialog,
                                        const scene::FramePtr& reference);
// Colours, shades, decal scale 1 and decal origin (0, 0) of a texture.
void ApplyTextureSettings(scene::Texture& texture, int colors, int shades);

// Sets the current texture on mesh through a new current wrap made from the parameters, which
// gives every vertex its texture coordinates. BadObject without a current texture.
scene::Result ApplyTextureParameters(TViewerScene& s, TTextures& t, scene::MeshBuilder& mesh,
                                     const TTextureParameters& p);

// "Load Texture File": the picture becomes the current texture named after the file, and the
// read-out shows its name and size. The current texture is kept when the picture cannot be read;
// reason (when given) then says why.
scene::Result LoadTextureFile(TViewerScene& s, TTextures& t, const std::string& path,
                              std::string* reason = nullptr);

// "Apply To Mesh" (relative false) and "Apply Relative" on the selected mesh: false, after the
// warning "No Texture Loaded", when there is no texture or no selected mesh.
bool ApplyToMesh(TViewerScene& s, TTextures& t, UiServices& ui, bool relative);
// "Apply To Faces": the current texture on every face of the selected mesh, its corners 0 to 3
// at (0, 0), (u, 0), (u, v), (0, v); lines lists faces and their vertex positions.
bool ApplyToFaces(TViewerScene& s, TTextures& t, UiServices& ui, std::vector<std::string>& lines);
// "Remove Texture": the selected mesh has no texture; the relative wrap stops.
void RemoveTexture(TViewerScene& s, TTextures& t);
// Fills the dialog's texture origin and scale for the mesh's bounding box.
void ApplyPresetScale(TTextureDialogValues& dialog, const scene::MeshBuilder& mesh,
                      TPresetScale preset);

// The rock preset on one mesh: 32 shades, sphere wrap, origin (0, 0), scale (40, 15), then
// "Apply To Mesh" with the dialog's other values.
bool ApplyRockTexture(TViewerScene& s, TTextures& t, UiServices& ui,
                      const scene::MeshBuilderPtr& mesh);
// The rock preset on every mesh of the hierarchy whose kind is 1 (cave passages).
void ApplyRockTextureToCave(TViewerScene& s, TTextures& t, UiServices& ui,
                            const THierarchy& hierarchy);

} // namespace lumora::viewer
