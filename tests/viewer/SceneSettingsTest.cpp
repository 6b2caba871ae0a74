// The viewer's display modes, devices, scene settings, lights, materials and shadows on the
// scene, without a window.
#include "ViewerTestScene.h"

#include "viewer/lvdevice.h"
#include "viewer/lvmaterl.h"
#include "viewer/lvrender.h"
#include "viewer/lvsset.h"

namespace lumora::viewer::test {
namespace {

using scene::Result;

TEST(DisplayModes, OkReplacesFillAndShadeBitsAndKeepsTheLighting) {
    StartedViewer v;
    scene::Device& device = *v.s.Device;
    device.SetQuality(scene::kShadeGouraud | scene::kLightOn | scene::kFillSolid);
    TDisplayModes modes = ReadDisplayModes(device);
    EXPECT_EQ(modes.Fill, TFillMode::Solid);
    EXPECT_EQ(modes.Shading, TShadeMode::Gouraud);
    modes.Fill = TFillMode::WireFrame;
    modes.Shading = TShadeMode::Phong;
    EXPECT_TRUE(ApplyDisplayModes(device, modes));
    EXPECT_EQ(device.GetQuality(), scene::kShadePhong | scene::kLightOn | scene::kFillWireframe);
    modes.Fill = TFillMode::Points;
    modes.Shading = TShadeMode::Flat;
    ApplyDisplayModes(device, modes);
    EXPECT_EQ(device.GetQuality(), scene::kLightOn); // points 0, flat 0
}

TEST(DisplayModes, OnlyQualityOrTextureFilteringChangesAskForTheNotice) {
    StartedViewer v;
    scene::Device& device = *v.s.Device;
    TDisplayModes modes = ReadDisplayModes(device);
    modes.Dithering = !modes.Dithering;
    modes.Show = TShowSides::Both;
    EXPECT_FALSE(ApplyDisplayModes(device, modes)); // dithering and culling: no notice
    EXPECT_EQ(device.GetCullState(), scene::CullState::None);
    EXPECT_EQ(ReadDisplayModes(device).Dithering, modes.Dithering);
    modes.TextureFiltering = !modes.TextureFiltering;
    EXPECT_TRUE(ApplyDisplayModes(device, modes));
    modes.Shading = modes.Shading == TShadeMode::Phong ? TShadeMode::Flat : TShadeMode::Phong;
    EXPECT_TRUE(ApplyDisplayModes(device, modes));
}

TEST(DisplayModes, SidesShownMapToTheCullStates) {
    EXPECT_EQ(CullStateOf(TShowSides::Outside), scene::CullState::CounterClockwise);
    EXPECT_EQ(CullStateOf(TShowSides::Inside), scene::CullState::Clockwise);
    EXPECT_EQ(CullStateOf(TShowSides::Both), scene::CullState::None);
}

TEST(Devices, DepthSettingsOfSixteenAndThirtyTwoBitScreens) {
    StartedViewer v;
    ApplyDepthSettings(v.s, 16);
    EXPECT_EQ(v.s.Device->GetShades(), 32u);
    EXPECT_EQ(v.s.RMRoot.GetDefaultTextureColors(), 64u);
    EXPECT_EQ(v.s.RMRoot.GetDefaultTextureShades(), 32u);
    EXPECT_FALSE(v.s.Device->GetDither());
    EXPECT_EQ(v.s.Device->GetRenderMode(), 3u);
    EXPECT_EQ(v.s.Device->GetQuality() & scene::kShadeMask, scene::kShadeGouraud);
    ApplyDepthSettings(v.s, 32);
    EXPECT_EQ(v.s.Device->GetShades(), 256u);
    EXPECT_EQ(v.s.RMRoot.GetDefaultTextureShades(), 256u);
}

render::TDriverTable TableWithSoftware(TDriverContext& context) {
    render::TDriverTable table;
    const auto hardware = render::DescribeContext({"Vendor", "Some GPU", "4.6"});
    const auto software = render::DescribeContext({"Mesa", "llvmpipe", "4.6"});
    render::ScanDrivers(table, {hardware, software}, 32);
    context.Running = hardware.Entry.Identifier;
    return table;
}

TEST(Devices, ARecreatedDeviceKeepsItsSettingsAndClipsAt5000) {
    StartedViewer v;
    TDriverContext context;
    render::TDriverTable table = TableWithSoftware(context);
    EXPECT_EQ(table.CurrentDriver, 1); // the hardware driver
    v.s.Device->SetQuality(scene::kShadePhong | scene::kLightOn | scene::kFillWireframe);
    v.s.Device->SetDither(true);
    v.s.Device->SetTextureQuality(1);
    v.s.Device->SetShades(77);
    const scene::DevicePtr old = v.s.Device;
    ASSERT_EQ(RecreateDevice(v.s, table, context), Result::Ok);
    EXPECT_NE(v.s.Device, old);
    EXPECT_EQ(v.s.Device->GetQuality(), old->GetQuality());
    EXPECT_TRUE(v.s.Device->GetDither());
    EXPECT_EQ(v.s.Device->GetTextureQuality(), 1u);
    EXPECT_EQ(v.s.Device->GetShades(), 77u);
    EXPECT_EQ(v.s.Device->GetRenderMode(), 3u);
    EXPECT_EQ(v.s.Viewport->GetBack(), 5000.0f);
    EXPECT_EQ(v.s.Viewport->GetDevice(), v.s.Device);
    EXPECT_EQ(table.CurrentDriver, 1);
}

TEST(Devices, ADriverThatCannotDrawInThisRunFallsBackToDefault) {
    StartedViewer v;
    TDriverContext context;
    render::TDriverTable table = TableWithSoftware(context);
    table.CurrentDriver = 2; // the software rasteriser, while the hardware one runs
    ASSERT_EQ(RecreateDevice(v.s, table, context), Result::Ok);
    EXPECT_EQ(table.CurrentDriver, 0);
    context.Fails = true;
    EXPECT_NE(RecreateDevice(v.s, table, context), Result::Ok);
}

TEST(Devices, GridRowsShowNameHardwareAndColourModeButNothingForDefault) {
    TDriverContext context;
    const render::TDriverTable table = TableWithSoftware(context);
    EXPECT_EQ(DriverRowTexts(table, 0), (std::vector<std::string>{"1", "Default", "", ""}));
    EXPECT_EQ(DriverRowTexts(table, 1), (std::vector<std::string>{"2", "Some GPU", "Yes", "RGB"}));
    EXPECT_EQ(DriverRowTexts(table, 2), (std::vector<std::string>{"3", "llvmpipe", "No", "RGB"}));
    EXPECT_EQ(DriverRowTexts(table, 3), (std::vector<std::string>{"", "", "", ""}));
}

TEST(SceneSettings, EachControlActsOnTheSceneAsItIsGiven) {
    StartedViewer v;
    SetAmbientLight(v.s, 0.35);
    EXPECT_NEAR(v.s.AmbientLight->GetColorRGB().Y, 0.35f, 1e-6f);
    SetFogEnable(v.s, true);
    SetFogMode(v.s, scene::FogMode::ExponentialSquared);
    SetFogParams(v.s, 20, 5, 0.25); // the end before the start passes unchanged
    float start, end, density;
    v.s.SceneFrame->GetSceneFogParams(start, end, density);
    EXPECT_EQ(start, 20);
    EXPECT_EQ(end, 5);
    EXPECT_EQ(density, 0.25f);
    EXPECT_TRUE(v.s.SceneFrame->GetSceneFogEnable());
    EXPECT_EQ(v.s.SceneFrame->GetSceneFogMode(), scene::FogMode::ExponentialSquared);
}

TEST(SceneSettings, PureRedFogAndBackgroundAreConvertedToThePackedForm) {
    StartedViewer v;
    SetFogColor(v.s, kRed); // framework red 0x0000FF
    EXPECT_EQ(v.s.SceneFrame->GetSceneFogColor(), 0xFEFF0000u);
    SetSceneBackgroundColor(v.s, kBlue);
    EXPECT_EQ(v.s.BackgroundColor, kBlue);
    EXPECT_EQ(v.s.SceneFrame->GetSceneBackground(), 0xFE0000FFu);
}

TEST(SceneSettings, ABackgroundPictureThatCannotBeLoadedIsNamedAndTheOldStays) {
    StartedViewer v;
    EXPECT_FALSE(SetBackgroundImage(v.s, v.ui, "/no/such/picture.bmp"));
    ASSERT_EQ(v.ui.Warnings.size(), 1u);
    EXPECT_NE(v.ui.Warnings[0].find("/no/such/picture.bmp: "), std::string::npos);
    EXPECT_EQ(v.s.SceneFrame->GetSceneBackgroundImage(), nullptr);
}

TEST(EditLight, ApplySetsTheTypeOfTheItemIndex) {
    StartedViewer v;
    SetLightType(*v.s.DirectLight, 4);
    EXPECT_EQ(v.s.DirectLight->GetType(), scene::LightType::ParallelPoint);
    SetLightType(*v.s.DirectLight, 7);
    EXPECT_EQ(v.s.DirectLight->GetType(), scene::LightType::ParallelPoint);
}

TEST(Shadow, EachPressAddsOneShadowOfTheFirstChildFrameOnly) {
    StartedViewer v;
    EXPECT_EQ(AddShadow(v.s), Result::Ok); // an empty model: nothing
    EXPECT_TRUE(v.s.CenterFrame->GetVisuals().empty());
    auto mesh = BoxMesh({0, 0, 0}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(mesh);
    scene::FramePtr child, second;
    v.s.RMRoot.CreateFrame(v.s.CenterFrame, child);
    v.s.RMRoot.CreateFrame(v.s.CenterFrame, second);
    ASSERT_EQ(AddShadow(v.s), Result::Ok);
    ASSERT_EQ(AddShadow(v.s), Result::Ok);
    std::vector<scene::ShadowPtr> shadows;
    for (const auto& visual : v.s.CenterFrame->GetVisuals())
        if (auto shadow = std::dynamic_pointer_cast<scene::Shadow>(visual))
            shadows.push_back(shadow);
    ASSERT_EQ(shadows.size(), 2u);
    for (const auto& shadow : shadows) {
        EXPECT_EQ(shadow->Caster(), child);
        EXPECT_EQ(shadow->CastingLight(), v.s.DirectLight);
        ExpectNear(shadow->PlanePoint(), {0, -2, 0});
        ExpectNear(shadow->PlaneNormal(), {0, 1, 0});
    }
}

TEST(Materials, HalfTransparencyGivesAlpha127AndTheMaterialItsValues) {
    StartedViewer v;
    auto mesh = BoxMesh({0, 0, 0}, {1, 1, 1});
    TMaterialSettings settings;
    settings.Transparency = 50;
    settings.Emissive[1] = 0.5;
    settings.Specular[2] = 0.25;
    settings.Power = 40;
    ASSERT_TRUE(SetMaterials(v.s, v.ui, *mesh, settings));
    for (std::size_t f = 0; f < mesh->GetFaceCount(); ++f)
        EXPECT_EQ(scene::ColorAlpha(mesh->FaceColor(f)), 127u);
    const scene::MaterialPtr& material = mesh->FaceMaterial(0);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetPower(), 40.0f);
    ExpectNear(material->GetEmissive(), {0, 0.5f, 0});
    ExpectNear(material->GetSpecular(), {1, 1, 0.25f});
}

} // namespace
} // namespace lumora::viewer::test
