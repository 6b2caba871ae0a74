#include "platform/render/GlRenderer.h"

#include "platform/render/GlMeshCache.h"
#include "platform/render/GlProgram.h"
#include "platform/render/TransparentOrder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <numeric>

namespace lumora::render {

namespace {

using scene::Matrix;
using scene::Vector;

// A light as the shader takes it, in world coordinates.
struct WorldLight {
    scene::LightType Type;
    Vector Color;
    Vector Position;
    Vector Direction; // the frame's z axis
};

// Something to draw, with the transform from its own coordinates to the world.
struct DrawItem {
    const scene::Visual* Item;
    Matrix World;
};

struct ShadowItem {
    const scene::Shadow* Item;
    Matrix World; // of the frame holding the shadow
};

struct SceneLists {
    std::vector<DrawItem> Items;
    std::vector<ShadowItem> Shadows;
    std::vector<WorldLight> Lights;
    // Where each light object sits, for shadows cast by it.
    std::vector<std::pair<const scene::Light*, WorldLight>> LightsByObject;
};

Vector Row(const Matrix& m, int r) {
    return {m.M[r][0], m.M[r][1], m.M[r][2]};
}

void Collect(const scene::Frame& frame, const Matrix& parentWorld, SceneLists& lists);

void CollectVisual(const scene::VisualPtr& visual, const Matrix& world, SceneLists& lists) {
    if (const auto* frame = dynamic_cast<const scene::Frame*>(visual.get()))
        Collect(*frame, world, lists);
    else if (const auto* shadow = dynamic_cast<const scene::Shadow*>(visual.get()))
        lists.Shadows.push_back({shadow, world});
    else if (visual)
        lists.Items.push_back({visual.get(), world});
}

void Collect(const scene::Frame& frame, const Matrix& parentWorld, SceneLists& lists) {
    const Matrix world = frame.GetTransform() * parentWorld;
    for (const scene::LightPtr& light : frame.GetLights()) {
        const WorldLight w{light->GetType(), light->GetColorRGB(), Row(world, 3),
                           scene::Normalize(Row(world, 2))};
        lists.Lights.push_back(w);
        lists.LightsByObject.emplace_back(light.get(), w);
    }
    for (const scene::VisualPtr& visual : frame.GetVisuals())
        CollectVisual(visual, world, lists);
    for (const scene::FramePtr& child : frame.GetChildren())
        Collect(*child, world, lists);
}

// Perspective of the viewport: a camera-space point (x, y, z) lands at x / z * field-scaled
// half widths; depth runs from the front to the back clipping plane.
float FieldOf(const scene::Viewport& viewport) {
    return viewport.GetField() > 0 ? viewport.GetField() : 0.5f;
}

// Pixels covered by one unit of length across the view at a depth of one unit.
float PixelsPerUnit(const scene::Viewport& viewport) {
    return float(std::max({viewport.GetWidth(), viewport.GetHeight(), 1})) /
           (2 * FieldOf(viewport));
}

Matrix Projection(const scene::Viewport& viewport) {
    const float w = float(std::max(viewport.GetWidth(), 1));
    const float h = float(std::max(viewport.GetHeight(), 1));
    const float field = FieldOf(viewport);
    const float n = viewport.GetFront() > 0 ? viewport.GetFront() : 1.0f;
    const float f = viewport.GetBack() > n ? viewport.GetBack() : n * 2;
    const float scale = std::max(w, h) / field;
    Matrix p;
    p.M[0][0] = scale / w;
    p.M[1][1] = scale / h;
    p.M[2][2] = (f + n) / (f - n);
    p.M[2][3] = 1;
    p.M[3][2] = -2 * f * n / (f - n);
    return p;
}

std::array<float, 16> Flat(const Matrix& m) {
    std::array<float, 16> out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r * 4 + c] = m.M[r][c];
    return out;
}

// Rows of the 3 x 3 that takes normals from object to world: the inverse transpose.
std::array<float, 9> NormalMatrix(const Matrix& world) {
    Matrix inverse;
    scene::Inverse(world, inverse);
    std::array<float, 9> out{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = inverse.M[c][r];
    return out;
}

// The quality a mesh is drawn with: in each part (shading, lighting, fill) the lower of the
// device's and the mesh's.
unsigned EffectiveQuality(unsigned device, unsigned mesh) {
    const unsigned shade = std::min(device & scene::kShadeMask, mesh & scene::kShadeMask);
    const unsigned light = std::min(device & scene::kLightMask, mesh & scene::kLightMask);
    const unsigned fill = std::min(device & scene::kFillMask, mesh & scene::kFillMask);
    return shade | light | fill;
}

struct MeshView {
    GpuMesh* Gpu = nullptr;
    unsigned Quality = 0;
    const DrawItem* Item = nullptr;
};

// True when the box, taken through m (object to clip space, row vectors), lies wholly beyond one
// plane of the view volume: nothing of it can be seen.
bool BoxOutside(const scene::Box& box, const Matrix& m) {
    std::array<std::array<float, 4>, 8> clip;
    for (int i = 0; i < 8; ++i) {
        const float p[3] = {i & 1 ? box.Max.X : box.Min.X, i & 2 ? box.Max.Y : box.Min.Y,
                            i & 4 ? box.Max.Z : box.Min.Z};
        for (int j = 0; j < 4; ++j)
            clip[i][j] = p[0] * m.M[0][j] + p[1] * m.M[1][j] + p[2] * m.M[2][j] + m.M[3][j];
    }
    for (int axis = 0; axis < 3; ++axis) {
        bool allBelow = true, allAbove = true;
        for (const auto& c : clip) {
            allBelow = allBelow && c[axis] < -c[3];
            allAbove = allAbove && c[axis] > c[3];
        }
        if (allBelow || allAbove)
            return true;
    }
    return false;
}

// The nearest depth in front of the camera of any point of the box, taken through toView
// (object to camera space); zero or less when the box reaches the camera.
float NearestDepth(const scene::Box& box, const Matrix& toView) {
    float nearest = std::numeric_limits<float>::max();
    for (int i = 0; i < 8; ++i) {
        const Vector p{i & 1 ? box.Max.X : box.Min.X, i & 2 ? box.Max.Y : box.Min.Y,
                       i & 4 ? box.Max.Z : box.Min.Z};
        nearest = std::min(nearest, scene::TransformPoint(p, toView).Z);
    }
    return nearest;
}

// The largest factor by which the transform stretches a length.
float LargestScale(const Matrix& m) {
    float largest = 0;
    for (int r = 0; r < 3; ++r)
        largest = std::max(largest, scene::Length(Row(m, r)));
    return largest;
}

// A coarse copy is drawn when no surface of it moves by more than this on the screen.
constexpr float kCoarsePixels = 0.75f;

// A chunk's transparent triangle indices in the order of the last view that drew them, kept in
// a buffer of their own so that a still view is not sorted again.
struct SortedRun {
    GLuint Buffer = 0;
    std::uint64_t Signature = 0;
    const std::uint32_t* Source = nullptr; // the chunk's transparent indices it was sorted from
    Matrix ToCamera;
    bool Seen = false;
};

// A chunk with transparent triangles, with the camera depth of its box's centre.
struct TransparentChunk {
    const MeshView* View;
    std::size_t Index;
    float Depth;
};

bool SameMatrix(const Matrix& a, const Matrix& b) {
    return a.M == b.M;
}

} // namespace

struct GlRenderer::Impl {
    SceneProgram Program;
    BackgroundProgram Background;
    GLuint EmptyVao = 0;
    bool Ready = false;
    std::string Error;
    GlMeshCache Cache;

    // Per frame.
    scene::Device* Target = nullptr;
    Matrix View, ViewProj;
    Vector CameraPos;
    float PixelScale = 1;
    bool CoarseFar = false;
    // Time a frame may spend on coarse copies still missing, after its meshes are drawn.
    static constexpr std::chrono::milliseconds kCoarseBudget{30};
    std::uint32_t Triangles = 0;
    std::map<std::pair<const GpuMesh*, std::size_t>, SortedRun> Runs;
    std::vector<std::uint32_t> SortScratch;

    ~Impl() {
        for (auto& [key, run] : Runs)
            glDeleteBuffers(1, &run.Buffer);
        if (Program.Id)
            glDeleteProgram(Program.Id);
        if (Background.Id)
            glDeleteProgram(Background.Id);
        if (EmptyVao)
            glDeleteVertexArrays(1, &EmptyVao);
    }

    bool Prepare() {
        if (Ready)
            return true;
        if (!Error.empty())
            return false;
        if (!BuildSceneProgram(Program, Error) || !BuildBackgroundProgram(Background, Error))
            return false;
        glGenVertexArrays(1, &EmptyVao);
        Ready = true;
        return true;
    }

    void ClearTarget(const scene::Viewport& viewport, const scene::Frame& root) {
        const int deviceHeight = viewport.GetDevice()->GetHeight();
        const int y = deviceHeight - viewport.GetHeight(); // the viewport's top-left origin is 0, 0
        glViewport(0, y, viewport.GetWidth(), viewport.GetHeight());
        const scene::Color bg = root.GetSceneBackground();
        glClearColor(scene::ColorRed(bg) / 255.0f, scene::ColorGreen(bg) / 255.0f,
                     scene::ColorBlue(bg) / 255.0f, 1.0f);
        glDepthMask(GL_TRUE);
        glClearDepth(1.0);
        glScissor(0, y, viewport.GetWidth(), viewport.GetHeight());
        glEnable(GL_SCISSOR_TEST);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        if (const scene::TexturePtr& image = root.GetSceneBackgroundImage())
            DrawBackground(*image);
    }

    void DrawBackground(const scene::Texture& image) {
        const GLuint texture = Cache.Texture(image);
        if (!texture)
            return;
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glUseProgram(Background.Id);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glUniform1i(Background.Texture, 0);
        glBindVertexArray(EmptyVao);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
    }

    void SetFrameUniforms(const scene::Frame& root, const SceneLists& lists) {
        const SceneProgram& p = Program;
        glUseProgram(p.Id);
        glUniformMatrix4fv(p.ViewProj, 1, GL_FALSE, Flat(ViewProj).data());
        glUniformMatrix4fv(p.View, 1, GL_FALSE, Flat(View).data());
        glUniform3f(p.CameraPos, CameraPos.X, CameraPos.Y, CameraPos.Z);
        glUniform1i(p.Texture, 0);
        int fogMode = -1;
        if (root.GetSceneFogEnable())
            fogMode = static_cast<int>(root.GetSceneFogMode());
        float start, end, density;
        root.GetSceneFogParams(start, end, density);
        const scene::Color fog = root.GetSceneFogColor();
        glUniform1i(p.FogMode, fogMode);
        glUniform3f(p.FogColor, scene::ColorRed(fog) / 255.0f, scene::ColorGreen(fog) / 255.0f,
                    scene::ColorBlue(fog) / 255.0f);
        glUniform3f(p.FogParams, start, end, density);
        glUniform1i(p.Shadow, 0);
        Vector ambient;
        for (const WorldLight& l : lists.Lights)
            if (l.Type == scene::LightType::Ambient)
                ambient = ambient + l.Color;
        glUniform3f(p.Ambient, ambient.X, ambient.Y, ambient.Z);
    }

    // Lights other than ambient ones; a parallel point light shines from its place towards the
    // origin of the object drawn.
    void SetLights(const SceneLists& lists, const Matrix& objectWorld) {
        std::array<float, 4 * kMaxLights> pos{}, dir{};
        std::array<float, 3 * kMaxLights> color{};
        int count = 0;
        for (const WorldLight& l : lists.Lights) {
            if (l.Type == scene::LightType::Ambient || count == kMaxLights)
                continue;
            int type = 3;
            Vector d = l.Direction;
            if (l.Type == scene::LightType::Point)
                type = 1;
            else if (l.Type == scene::LightType::Spot)
                type = 2;
            else if (l.Type == scene::LightType::ParallelPoint)
                d = scene::Normalize(Row(objectWorld, 3) - l.Position);
            const float p4[] = {l.Position.X, l.Position.Y, l.Position.Z, float(type)};
            std::copy(p4, p4 + 4, pos.begin() + 4 * count);
            const float d4[] = {d.X, d.Y, d.Z, 0};
            std::copy(d4, d4 + 4, dir.begin() + 4 * count);
            const float c3[] = {l.Color.X, l.Color.Y, l.Color.Z};
            std::copy(c3, c3 + 3, color.begin() + 3 * count);
            ++count;
        }
        glUniform1i(Program.LightCount, count);
        glUniform4fv(Program.LightPos, kMaxLights, pos.data());
        glUniform4fv(Program.LightDir, kMaxLights, dir.data());
        glUniform3fv(Program.LightColor, kMaxLights, color.data());
    }

    void SetCulling() {
        glFrontFace(GL_CW); // faces wound clockwise as seen from the front are front faces
        switch (Target->GetCullState()) {
        case scene::CullState::None:
            glDisable(GL_CULL_FACE);
            break;
        case scene::CullState::Clockwise:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            break;
        case scene::CullState::CounterClockwise:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            break;
        }
    }

    void SetGroup(const DrawGroup& group) {
        const SceneProgram& p = Program;
        GLuint texture = group.GroupTexture ? Cache.Texture(*group.GroupTexture) : 0;
        glUniform1i(p.Textured, texture ? 1 : 0);
        if (texture) {
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, texture);
            const GLint filter = Target->GetTextureQuality() == 1 ? GL_LINEAR : GL_NEAREST;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        }
        const scene::Material* m = group.GroupMaterial;
        const bool specular = m && m->GetPower() > 0;
        glUniform1i(p.HasSpecular, specular ? 1 : 0);
        glUniform1f(p.Power, m ? m->GetPower() : 0.0f);
        const Vector s = m ? m->GetSpecular() : Vector{}, e = m ? m->GetEmissive() : Vector{};
        glUniform3f(p.Specular, s.X, s.Y, s.Z);
        glUniform3f(p.Emissive, e.X, e.Y, e.Z);
    }

    void SetObject(const Matrix& world, unsigned quality, const SceneLists& lists) {
        const SceneProgram& p = Program;
        glUniformMatrix4fv(p.Model, 1, GL_FALSE, Flat(world).data());
        glUniformMatrix3fv(p.NormalMat, 1, GL_FALSE, NormalMatrix(world).data());
        const unsigned fill = quality & scene::kFillMask;
        unsigned shade = quality & scene::kShadeMask;
        if (fill != scene::kFillSolid && shade == scene::kShadeFlat)
            shade = scene::kShadeGouraud; // lines and points have no face to take a normal from
        glUniform1i(p.Shade, static_cast<int>(std::min(shade, 2u)));
        glUniform1i(p.Lit, (quality & scene::kLightMask) != 0 ? 1 : 0);
        SetLights(lists, world);
    }

    // Draws the mesh's opaque runs (or, with transparentToo, all runs unsorted), or its edges
    // or corners in wire frame and points modes.
    // The mesh's chunks that meet the view volume (a chunk wholly outside it is skipped).
    std::vector<const GpuChunk*> VisibleChunks(const MeshView& view) const {
        const Matrix toClip = view.Item->World * ViewProj;
        std::vector<const GpuChunk*> chunks;
        for (const GpuChunk& chunk : view.Gpu->Chunks)
            if (chunk.CornerCount && !BoxOutside(chunk.Bounds, toClip))
                chunks.push_back(&chunk);
        return chunks;
    }

    // True when the chunk's coarse copy would look the same from here: the distance its
    // surfaces moved covers less than kCoarsePixels at the chunk's nearest depth.
    bool CoarseEnough(const GpuChunk& chunk, const Matrix& toView, float worldScale) const {
        if (!CoarseFar || !chunk.CoarseIndexCount)
            return false;
        const float depth = NearestDepth(chunk.Bounds, toView);
        return depth > 0 && chunk.CoarseError * worldScale * PixelScale < kCoarsePixels * depth;
    }

    void DrawMesh(const MeshView& view, bool transparentToo) {
        const unsigned fill = view.Quality & scene::kFillMask;
        const Matrix toView = view.Item->World * View;
        const float worldScale = LargestScale(view.Item->World);
        for (const GpuChunk* chunk : VisibleChunks(view)) {
            glBindVertexArray(chunk->Vao);
            if (fill == scene::kFillPoints || fill == scene::kFillWireframe) {
                SetGroup(chunk->Groups.empty() ? DrawGroup{} : chunk->Groups.front());
                if (fill == scene::kFillPoints) {
                    glDrawArrays(GL_POINTS, 0, GLsizei(chunk->CornerCount));
                } else {
                    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk->Lines);
                    glDrawElements(GL_LINES, GLsizei(chunk->LineIndexCount), GL_UNSIGNED_INT,
                                   nullptr);
                    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk->Triangles);
                }
                Triangles += chunk->TriangleCount;
            } else if (CoarseEnough(*chunk, toView, worldScale)) {
                SetGroup(chunk->Groups.front());
                glDrawElements(
                    GL_TRIANGLES, GLsizei(chunk->CoarseIndexCount), GL_UNSIGNED_INT,
                    reinterpret_cast<void*>(std::uintptr_t(chunk->CoarseFirstIndex) * 4));
                Triangles += chunk->CoarseIndexCount / 3;
            } else {
                for (const DrawGroup& g : chunk->Groups) {
                    if ((g.Transparent && !transparentToo) || !g.IndexCount)
                        continue;
                    SetGroup(g);
                    glDrawElements(GL_TRIANGLES, GLsizei(g.IndexCount), GL_UNSIGNED_INT,
                                   reinterpret_cast<void*>(std::uintptr_t(g.FirstIndex) * 4));
                }
                Triangles += chunk->TriangleCount;
            }
            glBindVertexArray(0);
        }
    }

    // The chunk's transparent triangles far to near, sorted again only when the view of it, or
    // the chunk, changed since it was last drawn.
    void DrawSortedRun(const MeshView& view, std::size_t index) {
        const GpuChunk& gpu = view.Gpu->Chunks[index];
        SortedRun& run = Runs[{view.Gpu, index}];
        run.Seen = true;
        const Matrix toCamera = view.Item->World * View;
        const bool stale = run.Signature != view.Gpu->Signature ||
                           run.Source != gpu.TransparentIndices.data() ||
                           !SameMatrix(run.ToCamera, toCamera);
        glBindVertexArray(gpu.Vao);
        SetGroup(*std::find_if(gpu.Groups.begin(), gpu.Groups.end(),
                               [](const DrawGroup& g) { return g.Transparent; }));
        if (!run.Buffer)
            glGenBuffers(1, &run.Buffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, run.Buffer);
        if (stale) {
            SortFarToNear(gpu.TransparentCentres, gpu.TransparentIndices, toCamera, SortScratch);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(SortScratch.size() * 4),
                         SortScratch.data(), GL_STREAM_DRAW);
            run.Signature = view.Gpu->Signature;
            run.Source = gpu.TransparentIndices.data();
            run.ToCamera = toCamera;
        }
        glDrawElements(GL_TRIANGLES, GLsizei(gpu.TransparentIndices.size()), GL_UNSIGNED_INT,
                       nullptr);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.Triangles); // the chunk's own indices again
        glBindVertexArray(0);
    }

    // The transparent chunks of all meshes far to near by the centres of their boxes, each
    // drawn with its own triangles far to near.
    void DrawAllSorted(const std::vector<MeshView>& meshes, const SceneLists& lists) {
        std::vector<TransparentChunk> chunks;
        for (const MeshView& view : meshes) {
            const Matrix toCamera = view.Item->World * View;
            for (const GpuChunk* chunk : VisibleChunks(view)) {
                if (chunk->TransparentIndices.empty())
                    continue;
                const Vector centre = (chunk->Bounds.Min + chunk->Bounds.Max) * 0.5f;
                chunks.push_back({&view, std::size_t(chunk - view.Gpu->Chunks.data()),
                                  scene::TransformPoint(centre, toCamera).Z});
            }
        }
        std::stable_sort(chunks.begin(), chunks.end(),
                         [](const auto& a, const auto& b) { return a.Depth > b.Depth; });
        const MeshView* current = nullptr;
        for (const TransparentChunk& c : chunks) {
            if (c.View != current)
                SetObject(c.View->Item->World, c.View->Quality, lists);
            current = c.View;
            DrawSortedRun(*c.View, c.Index);
        }
    }

    // Frees the sorted runs of chunks that were not drawn this frame.
    void SweepRuns() {
        for (auto it = Runs.begin(); it != Runs.end();) {
            if (it->second.Seen) {
                it->second.Seen = false;
                ++it;
                continue;
            }
            glDeleteBuffers(1, &it->second.Buffer);
            it = Runs.erase(it);
        }
    }

    MeshView Upload(const DrawItem& item) {
        const unsigned device = Target->GetQuality();
        if (const auto* mesh = dynamic_cast<const scene::MeshBuilder*>(item.Item)) {
            const unsigned q = EffectiveQuality(device, mesh->GetQuality());
            return {&Cache.Get(*mesh, (q & scene::kFillMask) == scene::kFillWireframe), q, &item};
        }
        if (const auto* mesh = dynamic_cast<const scene::ProgressiveMesh*>(item.Item)) {
            const unsigned q = EffectiveQuality(device, mesh->GetQuality());
            return {&Cache.Get(*mesh, (q & scene::kFillMask) == scene::kFillWireframe), q, &item};
        }
        return {};
    }

    void DrawShadows(const SceneLists& lists) {
        const SceneProgram& p = Program;
        glDisable(GL_CULL_FACE);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(-1.0f, -2.0f);
        for (const ShadowItem& s : lists.Shadows) {
            const auto found = std::find_if(
                lists.LightsByObject.begin(), lists.LightsByObject.end(),
                [&](const auto& entry) { return entry.first == s.Item->CastingLight().get(); });
            if (found == lists.LightsByObject.end() || !s.Item->Caster())
                continue;
            const WorldLight& light = found->second;
            const Vector n =
                scene::Normalize(scene::TransformDirection(s.Item->PlaneNormal(), s.World));
            const Vector point = scene::TransformPoint(s.Item->PlanePoint(), s.World);
            glUniform4f(p.ShadowPlane, n.X, n.Y, n.Z, -scene::Dot(n, point));
            if (light.Type == scene::LightType::Directional ||
                light.Type == scene::LightType::ParallelPoint)
                glUniform4f(p.ShadowLight, light.Direction.X, light.Direction.Y, light.Direction.Z,
                            0);
            else
                glUniform4f(p.ShadowLight, light.Position.X, light.Position.Y, light.Position.Z, 1);
            glUniform4f(p.ShadowColor, 0, 0, 0, 1);
            glUniform1i(p.Shadow, 1);
            SceneLists casters;
            CollectVisual(s.Item->Caster(), s.World, casters);
            for (const DrawItem& item : casters.Items) {
                MeshView view = Upload(item);
                if (!view.Gpu)
                    continue;
                SetObject(item.World, view.Quality, lists);
                DrawMesh(view, true);
            }
            glUniform1i(p.Shadow, 0);
        }
        glDisable(GL_POLYGON_OFFSET_FILL);
    }

    scene::Result Draw(scene::Viewport& viewport, scene::Frame& root) {
        if (!viewport.GetDevice() || !viewport.GetCamera())
            return scene::Result::BadObject;
        if (!Prepare())
            return scene::Result::BadValue;
        Target = viewport.GetDevice().get();
        Triangles = 0;
        Cache.BeginFrame();
        ClearTarget(viewport, root);

        const Matrix camera = viewport.GetCamera()->WorldTransform();
        scene::Inverse(camera, View);
        ViewProj = View * Projection(viewport);
        PixelScale = PixelsPerUnit(viewport);
        CameraPos = Row(camera, 3);

        SceneLists lists;
        Collect(root, Matrix::Identity(), lists);
        SetFrameUniforms(root, lists);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        if (Target->GetDither())
            glEnable(GL_DITHER);
        else
            glDisable(GL_DITHER);
        SetCulling();

        const unsigned mode = Target->GetRenderMode();
        const bool blended = (mode & 1) != 0, sorted = (mode & 2) != 0;
        std::vector<MeshView> transparent;
        for (const DrawItem& item : lists.Items) {
            MeshView view = Upload(item);
            if (!view.Gpu)
                continue;
            SetObject(item.World, view.Quality, lists);
            DrawMesh(view, !blended);
            const bool solid = (view.Quality & scene::kFillMask) == scene::kFillSolid;
            if (blended && solid && view.Gpu->AnyTransparent)
                transparent.push_back(view);
        }
        DrawShadows(lists);
        DrawTransparent(transparent, sorted, lists);
        SweepRuns();
        Cache.Sweep();
        if (CoarseFar)
            Cache.BuildCoarseCopies(kCoarseBudget);
        Target->AddTrianglesDrawn(Triangles);
        glUseProgram(0);
        return scene::Result::Ok;
    }

    // Transparent faces after the opaque ones, blended over them without hiding one another.
    void DrawTransparent(const std::vector<MeshView>& meshes, bool sorted,
                         const SceneLists& lists) {
        if (meshes.empty())
            return;
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        if (sorted)
            DrawAllSorted(meshes, lists);
        else
            for (const MeshView& view : meshes)
                DrawUnsorted(view, lists);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }

    void DrawUnsorted(const MeshView& view, const SceneLists& lists) {
        SetObject(view.Item->World, view.Quality, lists);
        for (const GpuChunk* chunk : VisibleChunks(view)) {
            glBindVertexArray(chunk->Vao);
            for (const DrawGroup& g : chunk->Groups) {
                if (!g.Transparent)
                    continue;
                SetGroup(g);
                glDrawElements(GL_TRIANGLES, GLsizei(g.IndexCount), GL_UNSIGNED_INT,
                               reinterpret_cast<void*>(std::uintptr_t(g.FirstIndex) * 4));
            }
            glBindVertexArray(0);
        }
    }
};

ContextInfo CurrentContextInfo() {
    auto text = [](GLenum name) {
        const auto* s = reinterpret_cast<const char*>(glGetString(name));
        return std::string(s ? s : "");
    };
    return {text(GL_VENDOR), text(GL_RENDERER), text(GL_VERSION)};
}

GlRenderer::GlRenderer() : m_Impl(std::make_unique<Impl>()) {}

GlRenderer::~GlRenderer() = default;

void GlRenderer::Install(scene::Device& device) {
    device.SetRenderHook(
        [this](scene::Viewport& viewport, scene::Frame& scene) { return Draw(viewport, scene); });
}

scene::Result GlRenderer::Draw(scene::Viewport& viewport, scene::Frame& scene) {
    return m_Impl->Draw(viewport, scene);
}

bool GlRenderer::CoarseCopiesPending() const {
    return m_Impl->Cache.CoarseCopiesPending();
}

void GlRenderer::SetCoarseFar(bool on) {
    m_Impl->CoarseFar = on;
    m_Impl->Cache.SetCoarseCopies(on);
}

void GlRenderer::InvalidateAll() {
    m_Impl->Cache.Clear();
}

std::size_t GlRenderer::ColorUploadCount() const {
    return m_Impl->Cache.ColorUploadCount();
}

std::size_t GlRenderer::UploadCount() const {
    return m_Impl->Cache.UploadCount();
}

const std::string& GlRenderer::LastError() const {
    return m_Impl->Error;
}

} // namespace lumora::render
