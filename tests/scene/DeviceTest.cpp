// Devices and viewports: settings, the triangle counter and the projection both ways.
#include "platform/scene/Root.h"

#include <gtest/gtest.h>

using namespace lumora::scene;

namespace {

struct View {
    Root root;
    FramePtr scene, camera;
    DevicePtr device;
    ViewportPtr viewport;
    View() {
        root.CreateFrame(nullptr, scene);
        root.CreateFrame(scene, camera);
        root.CreateDevice(640, 480, device);
        root.CreateViewport(device, camera, 0, 0, 640, 480, viewport);
        viewport->SetBack(200000);
    }
};

} // namespace

TEST(Viewport, PointAheadOfTheCameraLandsInTheMiddle) {
    View v;
    Vector4 s;
    v.viewport->Transform(s, {0, 0, 10});
    EXPECT_FLOAT_EQ(s.X / s.W, 320);
    EXPECT_FLOAT_EQ(s.Y / s.W, 240);
    EXPECT_FLOAT_EQ(s.W, 10);
}

TEST(Viewport, RightAndUpInTheSceneAreRightAndUpOnTheScreen) {
    View v;
    Vector4 s;
    v.viewport->Transform(s, {1, 1, 10});
    EXPECT_GT(s.X / s.W, 320);
    EXPECT_LT(s.Y / s.W, 240);
}

TEST(Viewport, InverseTransformUndoesTransformFromAMovedCamera) {
    View v;
    v.camera->SetPosition(v.scene.get(), 5, -5, -2000);
    v.camera->AddRotation(Combine::Before, 0, 1, 0, 0.3f);
    const Vector p{-2, 2, 10};
    Vector4 s;
    v.viewport->Transform(s, p);
    // The pan moves the point on the screen and brings it back.
    s.X += 7 * s.W;
    Vector moved;
    ASSERT_EQ(v.viewport->InverseTransform(moved, s), Result::Ok);
    Vector4 again;
    v.viewport->Transform(again, moved);
    EXPECT_NEAR(again.X / again.W, s.X / s.W, 1e-2);
    s.X -= 7 * s.W;
    Vector back;
    v.viewport->InverseTransform(back, s);
    EXPECT_NEAR(back.X, p.X, 1e-2);
    EXPECT_NEAR(back.Z, p.Z, 1e-2);
}

TEST(Viewport, InverseTransformOfZeroWIsRefused) {
    View v;
    Vector out;
    EXPECT_EQ(v.viewport->InverseTransform(out, {1, 1, 1, 0}), Result::BadValue);
}

TEST(Device, TriangleCounterIsCumulativeAndWrapsAsUnsigned32Bits) {
    View v;
    v.device->AddTrianglesDrawn(0xFFFFFFF0u);
    const std::uint32_t before = v.device->GetTrianglesDrawn();
    v.device->AddTrianglesDrawn(0x20);
    EXPECT_EQ(std::uint32_t(v.device->GetTrianglesDrawn() - before), 0x20u);
}

TEST(Device, RenderCallsTheRendererHookWithTheScene) {
    View v;
    Frame* drawn = nullptr;
    v.device->SetRenderHook([&](Viewport&, Frame& frame) {
        drawn = &frame;
        return Result::Ok;
    });
    EXPECT_EQ(v.viewport->Render(*v.scene), Result::Ok);
    EXPECT_EQ(drawn, v.scene.get());
}

TEST(Device, CreationRefusesEmptySizes) {
    Root root;
    DevicePtr device;
    EXPECT_EQ(root.CreateDevice(0, 480, device), Result::BadValue);
    EXPECT_EQ(device, nullptr);
}
