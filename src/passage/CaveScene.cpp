#include "passage/CaveScene.h"

namespace lumora::passage {

namespace {

constexpr double kDegreesPerRadian = 57.2957795131;

} // namespace

TCaveScene::TCaveScene(scene::Root& root) : m_Root(root) {
    root.CreateFrame(nullptr, SceneFrame);
    SceneFrame->SetName("Scene Frame");
    root.CreateLightRGB(scene::LightType::Directional, 1, 1, 1, DirectLight);
    DirectLight->SetName("Direct Light");
    root.CreateLightRGB(scene::LightType::Ambient, 0.1f, 0.1f, 0.1f, AmbientLight);
    AmbientLight->SetName("Ambient Light");
    root.CreateFrame(SceneFrame, LightFrame);
    LightFrame->SetName("Light Frame");
    LightFrame->SetPosition(SceneFrame.get(), 2, 2, 5);
    LightFrame->SetOrientation(SceneFrame.get(), -1, -1, 1, 0, 1, 0);
    LightFrame->AddLight(DirectLight);
    SceneFrame->AddLight(AmbientLight);
    root.CreateFrame(SceneFrame, Center);
    Center->SetName("Center Frame");
    Center->SetRotation(SceneFrame, 0, 1, 0, -0.02f);
    Center->SetPosition(SceneFrame.get(), -2, 2, 10);
    root.CreateFrame(SceneFrame, CameraFrame);
    CameraFrame->SetName("Camera Frame");
    CameraFrame->SetPosition(SceneFrame.get(), 0, 0, 0);
}

void TCaveScene::ResetPositions() {
    LightFrame->SetPosition(SceneFrame.get(), 2, 2, 5);
    LightFrame->SetOrientation(SceneFrame.get(), -1, -1, 1, 0, 1, 0);
    Center->SetPosition(SceneFrame.get(), 0, 0, 10);
    CameraFrame->SetPosition(SceneFrame.get(), 5, -5, -2000);
    CameraFrame->SetOrientation(SceneFrame.get(), 0, 0, 1, 0, 1, 0);
}

void TCaveScene::ClearModel() {
    ResetPositions();
    ClearFrame(*Center);
}

float TCaveScene::ModelExtent(const scene::Frame& frame) {
    scene::Box box;
    frame.GetHierarchyBox(box);
    return scene::LargestSide(box);
}

void TCaveScene::ResetScale() {
    ZoomScale = 1000;
    ModelSize = ModelExtent(*Center);
    Center->AddTransform(scene::Combine::Replace, scene::Matrix::Translation(-2, 2, 10));
    if (ModelSize != 0) {
        const float s = 1000 / ModelSize;
        Center->AddScale(scene::Combine::Before, s, s, s);
    }
    SceneFrame->SetSceneBackground(PackedColor(BackgroundColor));
}

void TCaveScene::BuildBoundingBox() {
    scene::Box box;
    Center->GetHierarchyBox(box);
    scene::MeshBuilderPtr mesh;
    if (!CreateNamedMeshBuilder(m_Root, kKindBoundingBox, 0xCCCCCC, "Bounding Box", mesh))
        return;
    mesh->SetColorRGB(0.8f, 0.8f, 0.8f);
    const scene::Vector lo = box.Min, hi = box.Max;
    auto at = [&](int x, int y, int z) {
        return scene::Vector{x < 0 ? lo.X : hi.X, y < 0 ? lo.Y : hi.Y, z < 0 ? lo.Z : hi.Z};
    };
    const int sides[6][4][3] = {{{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
                                {{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}},
                                {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
                                {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}},
                                {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
                                {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}};
    const scene::Vector blue = FloatColor(0xFF0000);
    for (const auto& side : sides) {
        std::shared_ptr<scene::Face> face;
        mesh->CreateFace(face);
        for (const auto& c : side) {
            const scene::Vector p = at(c[0], c[1], c[2]);
            face->AddVertex(p.X, p.Y, p.Z);
        }
        face->SetColorRGB(blue.X, blue.Y, blue.Z);
    }
    mesh->SetQuality(scene::kShadeFlat | scene::kLightOff | scene::kFillWireframe);
    Center->AddVisual(mesh);
}

void TCaveScene::RotateLocal(const scene::Vector& axis, double degrees) {
    Center->AddRotation(scene::Combine::Before, axis.X, axis.Y, axis.Z,
                        static_cast<float>(degrees / kDegreesPerRadian));
}

void TCaveScene::RotateAboutCamera(const scene::Vector& axis, double degrees) {
    Center->SetRotation(CameraFrame, axis.X, axis.Y, axis.Z,
                        static_cast<float>(degrees / kDegreesPerRadian));
    Center->Move(1.0f);
    Center->SetRotation(CameraFrame, 0, 0, 0, 0);
}

} // namespace lumora::passage
