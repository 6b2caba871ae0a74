// Frames: transforms, positions and orientations relative to other frames, rotation
// velocities, hierarchy boxes and the tree itself.
#include "platform/scene/Root.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace lumora::scene;

namespace {

void ExpectNear(const Vector& actual, const Vector& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

struct Scene {
    Root root;
    FramePtr top, child;
    Scene() {
        root.CreateFrame(nullptr, top);
        root.CreateFrame(top, child);
    }
};

MeshBuilderPtr Cube(Root& root, float half) {
    MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    const Vector quad[4] = {
        {-half, -half, -half}, {half, half, half}, {half, -half, half}, {-half, half, -half}};
    mesh->AddFace(quad, 0xFF0000FF);
    return mesh;
}

} // namespace

TEST(Frame, TransformRowsAreAxesAndRowThreeIsTranslation) {
    Scene s;
    s.child->SetPosition(s.top.get(), 1, 2, 3);
    const Matrix& m = s.child->GetTransform();
    EXPECT_EQ(m.M[3][0], 1);
    EXPECT_EQ(m.M[3][1], 2);
    EXPECT_EQ(m.M[3][2], 3);
    EXPECT_EQ(m.M[0][0], 1);
    EXPECT_EQ(m.M[1][1], 1);
}

TEST(Frame, ScaleCombinedBeforeKeepsTheTranslation) {
    Scene s;
    s.child->SetPosition(s.top.get(), -2, 2, 10);
    s.child->AddScale(Combine::Before, 5, 5, 5);
    Vector p;
    s.child->GetPosition(s.top.get(), p);
    ExpectNear(p, {-2, 2, 10});
    EXPECT_FLOAT_EQ(s.child->GetTransform().M[0][0], 5);
}

TEST(Frame, TranslationCombinedBeforeMovesAlongTheFramesOwnAxes) {
    Scene s;
    s.child->AddRotation(Combine::Replace, 0, 1, 0, std::numbers::pi_v<float> / 2);
    s.child->AddTranslation(Combine::Before, 0, 0, 1);
    Vector p;
    s.child->GetPosition(s.top.get(), p);
    // The frame's z axis after a quarter turn about y lies along the parent's x axis.
    const Matrix& m = s.child->GetTransform();
    ExpectNear(p, {m.M[2][0], m.M[2][1], m.M[2][2]});
    EXPECT_NEAR(std::abs(p.X), 1, 1e-5);
}

TEST(Frame, PositionRelativeToAnotherFrameUsesThatFramesAxesAndScale) {
    Scene s;
    FramePtr other;
    s.root.CreateFrame(s.top, other);
    other->SetPosition(s.top.get(), 10, 0, 0);
    other->AddScale(Combine::Before, 2, 2, 2);
    s.child->SetPosition(other.get(), 1, 1, 1);
    Vector inTop, inOther;
    s.child->GetPosition(s.top.get(), inTop);
    s.child->GetPosition(other.get(), inOther);
    ExpectNear(inTop, {12, 2, 2});
    ExpectNear(inOther, {1, 1, 1});
}

TEST(Frame, OrientationSetsDirectionAsZAxisAndUpAsYAxis) {
    Scene s;
    s.child->SetOrientation(s.top.get(), -1, -1, 1, 0, 1, 0);
    Vector direction, up;
    s.child->GetOrientation(s.top.get(), direction, up);
    const float k = 1 / std::sqrt(3.0f);
    ExpectNear(direction, {-k, -k, k});
    EXPECT_NEAR(Dot(direction, up), 0, 1e-5);
    EXPECT_GT(up.Y, 0);
}

TEST(Frame, OrientationWithUpAlongDirectionIsRefused) {
    Scene s;
    EXPECT_EQ(s.child->SetOrientation(s.top.get(), 0, 1, 0, 0, 2, 0), Result::BadValue);
    EXPECT_EQ(s.child->SetOrientation(s.top.get(), 0, 0, 0, 0, 1, 0), Result::BadValue);
}

TEST(Frame, RotationVelocityActsOncePerMoveAndStopsWithZeroAxis) {
    Scene s;
    s.child->SetPosition(s.top.get(), -2, 2, 10);
    s.child->SetRotation(s.child, 0, 1, 0, -0.02f);
    s.top->Move(1);
    s.top->Move(1);
    Vector direction, up;
    s.child->GetOrientation(s.top.get(), direction, up);
    EXPECT_NEAR(std::atan2(direction.X, direction.Z), -0.04f, 1e-5); // two steps of -0.02
    Vector p;
    s.child->GetPosition(s.top.get(), p);
    ExpectNear(p, {-2, 2, 10}); // turning keeps the position
    s.child->SetRotation(s.child, 0, 0, 0, 0);
    s.top->Move(1);
    Vector after, upAfter;
    s.child->GetOrientation(s.top.get(), after, upAfter);
    ExpectNear(after, direction);
}

TEST(Frame, RotationVelocityAboutAnotherFramesAxis) {
    Scene s;
    FramePtr camera;
    s.root.CreateFrame(s.top, camera);
    camera->AddRotation(Combine::Replace, 0, 0, 1, std::numbers::pi_v<float> / 2);
    // The camera's x axis is the parent's y axis (up to sign): turning about it keeps y fixed.
    s.child->SetRotation(camera, 1, 0, 0, 0.3f);
    s.top->Move(1);
    Vector direction, up;
    s.child->GetOrientation(s.top.get(), direction, up);
    ExpectNear(up, {0, 1, 0});
    EXPECT_NEAR(std::abs(direction.X), std::sin(0.3f), 1e-5);
}

TEST(Frame, HierarchyBoxIncludesDescendantsInOwnCoordinates) {
    Scene s;
    s.top->AddVisual(Cube(s.root, 1));
    s.child->AddVisual(Cube(s.root, 1));
    s.child->SetPosition(s.top.get(), 10, 0, 0);
    s.child->AddScale(Combine::Before, 2, 2, 2);
    Box box;
    ASSERT_TRUE(s.top->GetHierarchyBox(box));
    // The cube of half side 1 at the origin and the one scaled by 2 at x = 10.
    ExpectNear(box.Min, {-1, -2, -2});
    ExpectNear(box.Max, {12, 2, 2});
    EXPECT_FLOAT_EQ(LargestSide(box), 13);
    Box childBox;
    s.child->GetHierarchyBox(childBox);
    ExpectNear(childBox.Max, {1, 1, 1}); // the parent's visuals are not the child's
}

TEST(Frame, EmptyHierarchyBoxIsZero) {
    Scene s;
    Box box;
    EXPECT_FALSE(s.top->GetHierarchyBox(box));
    EXPECT_EQ(LargestSide(box), 0);
}

TEST(Frame, TreeKeepsOrderAndRefusesCycles) {
    Scene s;
    FramePtr second;
    s.root.CreateFrame(s.top, second);
    ASSERT_EQ(s.top->GetChildren().size(), 2u);
    EXPECT_EQ(s.top->GetChildren()[1], second);
    EXPECT_EQ(second->GetParent(), s.top);
    EXPECT_EQ(s.child->AddChild(s.top), Result::BadValue);
    EXPECT_EQ(s.top->DeleteChild(second), Result::Ok);
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_EQ(s.top->DeleteChild(second), Result::NotFound);
    // Moving a child to another parent takes it away from the first.
    ASSERT_EQ(s.child->AddChild(second), Result::Ok);
    ASSERT_EQ(s.top->AddChild(second), Result::Ok);
    EXPECT_EQ(second->GetParent(), s.top);
    EXPECT_TRUE(s.child->GetChildren().empty());
}

TEST(Frame, DeleteVisualRemovesOnlyTheFirstOccurrence) {
    Scene s;
    auto mesh = Cube(s.root, 1);
    s.top->AddVisual(mesh);
    s.top->AddVisual(mesh);
    EXPECT_EQ(s.top->DeleteVisual(mesh), Result::Ok);
    EXPECT_EQ(s.top->GetVisuals().size(), 1u);
}

TEST(SceneObject, ClassNamesAreThoseTheViewerReliesOn) {
    Root root;
    FramePtr frame;
    LightPtr light;
    MeshBuilderPtr mesh;
    ProgressiveMeshPtr progressive;
    TexturePtr texture;
    ShadowPtr shadow;
    root.CreateFrame(nullptr, frame);
    root.CreateLightRGB(LightType::Directional, 1, 1, 1, light);
    root.CreateMeshBuilder(mesh);
    root.CreateProgressiveMesh(progressive);
    QImage image(2, 2, QImage::Format_RGB32);
    root.LoadTextureFromImage(image, texture);
    ASSERT_EQ(root.CreateShadow(mesh, light, {0, -2, 0}, {0, 1, 0}, shadow), Result::Ok);
    EXPECT_EQ(frame->ClassName(), "Frame");
    EXPECT_EQ(light->ClassName(), "Light");
    EXPECT_EQ(mesh->ClassName(), "Builder");
    EXPECT_EQ(progressive->ClassName(), "ProgressiveMesh");
    EXPECT_EQ(texture->ClassName(), "Texture");
    EXPECT_EQ(shadow->ClassName(), "Shadow");
    EXPECT_EQ(root.CreateShadow(mesh, light, {}, {0, 0, 0}, shadow), Result::BadValue);
}

TEST(Result, EveryCodeHasAReadableDescription) {
    for (int code = 0; code <= int(Result::LimitExceeded); ++code)
        EXPECT_GT(ResultText(Result(code)).size(), 5u) << code;
    EXPECT_NE(ResultText(Result::BadFile), ResultText(Result::FileNotFound));
}
