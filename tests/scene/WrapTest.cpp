// Texture wraps: the coordinates each wrap type gives, relative wraps, and degenerate vectors.
#include "platform/scene/Root.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lumora::scene;

namespace {

WrapPtr MakeWrap(WrapType type, Vector direction, Vector up, float ou, float ov, float su, float sv,
                 FramePtr reference = nullptr) {
    Root root;
    WrapParameters p;
    p.Type = type;
    p.Direction = direction;
    p.Up = up;
    p.OriginU = ou, p.OriginV = ov, p.ScaleU = su, p.ScaleV = sv;
    WrapPtr wrap;
    EXPECT_EQ(root.CreateWrap(p, reference, wrap), Result::Ok);
    return wrap;
}

} // namespace

TEST(Wrap, FlatProjectsAlongTheDirectionOntoSideAndUpAxes) {
    // Direction +z, up +y: x goes to u, y to v. The "Flat" preset of a 200 x 100 mesh.
    auto wrap = MakeWrap(WrapType::Flat, {0, 0, 1}, {0, 1, 0}, 0.5f, 0.5f, -0.005f, 0.01f);
    const TextureCoord corner = wrap->Map({100, 50, 7}, {});
    EXPECT_FLOAT_EQ(corner.U, 0);
    EXPECT_FLOAT_EQ(corner.V, 1);
    const TextureCoord centre = wrap->Map({0, 0, -3}, {});
    EXPECT_FLOAT_EQ(centre.U, 0.5f);
    EXPECT_FLOAT_EQ(centre.V, 0.5f);
}

TEST(Wrap, CylinderGoesRoundTheUpAxis) {
    auto wrap = MakeWrap(WrapType::Cylinder, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1);
    EXPECT_NEAR(wrap->Map({1, 3, 0}, {}).U, 0.25f, 1e-6);
    EXPECT_NEAR(wrap->Map({0, 3, -1}, {}).U, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(wrap->Map({1, 3, 0}, {}).V, 3);
}

TEST(Wrap, SphereGivesLatitudeAsV) {
    auto wrap = MakeWrap(WrapType::Sphere, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1);
    EXPECT_NEAR(wrap->Map({0, 5, 0}, {}).V, 0.5f, 1e-6);
    EXPECT_NEAR(wrap->Map({0, -5, 0}, {}).V, -0.5f, 1e-6);
    EXPECT_NEAR(wrap->Map({0, 0, 0}, {}).V, 0, 1e-6); // the centre itself: no division by 0
}

TEST(Wrap, ZeroDirectionAndUpGiveFiniteCoordinates) {
    for (WrapType type : {WrapType::Flat, WrapType::Cylinder, WrapType::Sphere, WrapType::Chrome}) {
        auto wrap = MakeWrap(type, {0, 0, 0}, {0, 0, 0}, 0, 0, 1, 1);
        const TextureCoord uv = wrap->Map({1, 2, 3}, {});
        EXPECT_TRUE(std::isfinite(uv.U) && std::isfinite(uv.V)) << int(type);
    }
}

TEST(Wrap, ApplySetsEveryVertexAndApplyRelativeFollowsTheFrame) {
    Root root;
    FramePtr scene, model;
    root.CreateFrame(nullptr, scene);
    root.CreateFrame(scene, model);
    MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    const Vector tri[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    mesh->AddFace(tri, 0);
    auto wrap = MakeWrap(WrapType::Flat, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1, scene);
    wrap->Apply(*mesh);
    EXPECT_FLOAT_EQ(mesh->TextureCoordinates()[0].U, 1);
    model->SetPosition(scene.get(), 10, 0, 0);
    wrap->ApplyRelative(*model, *mesh);
    EXPECT_FLOAT_EQ(mesh->TextureCoordinates()[0].U, 11);
    EXPECT_FLOAT_EQ(mesh->TextureCoordinates()[1].V, 1);
}
