// The Devices, Display Modes, Scene Settings, Edit Light and Materials Settings dialogs and the
// Shadow command of the main window, offscreen.
#include "DialogTestSupport.h"
#include "viewer/gui/lvdevdlg.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvssetdlg.h"
#include "viewer/gui/lvtordlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

using viewer::TForm1;

render::TFoundDriver Driver(const char* name, bool hardware, bool rgb, std::uint32_t depths) {
    render::TFoundDriver d = render::DescribeContext({"Maker", name, "1"});
    d.Entry.Hardware = hardware;
    d.Entry.RGB = rgb;
    d.RenderDepths = depths;
    return d;
}

TEST(DeviceDlg, OnASixteenBitScreenTheHardwareRgbDriverIsChosenAndSelected) {
    TForm1 w;
    render::ScanDrivers(w.Core.Drivers,
                        {Driver("Soft mono", false, false, 0x400),
                         Driver("Soft RGB", false, true, 0x400), Driver("Card", true, true, 0x400)},
                        16);
    viewer::TDeviceDlg& dlg = *w.DeviceDlg();
    dlg.Open();
    EXPECT_EQ(dlg.SelectedRow(), 4);
    const auto* grid = dlg.findChild<QTableWidget*>("DriverGrid");
    EXPECT_EQ(grid->item(3, 1)->text(), "Card");
    EXPECT_EQ(grid->item(3, 2)->text(), "Yes");
    EXPECT_EQ(grid->item(3, 3)->text(), "RGB");
    EXPECT_EQ(grid->item(1, 3)->text(), "Mono");
    EXPECT_TRUE(dlg.DeviceId().startsWith("$"));
    EXPECT_EQ(dlg.DeviceId().size(), 1 + 8 + 2 + 4 + 2 + 4 + 2 + 16);
    dlg.SelectRow(1);
    EXPECT_EQ(dlg.DeviceId(), "None");
    EXPECT_EQ(grid->item(0, 2)->text(), ""); // Default: no hardware or colour texts
    dlg.SelectRow(5);                        // a blank row cannot be chosen
    EXPECT_EQ(dlg.SelectedRow(), 1);
}

TEST(DeviceDlg, OnlyFourDriversAfterDefault) {
    TForm1 w;
    std::vector<render::TFoundDriver> found;
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
        found.push_back(Driver(name, false, true, 0x100));
    render::ScanDrivers(w.Core.Drivers, found, 32);
    w.DeviceDlg()->Open();
    const auto* grid = w.DeviceDlg()->findChild<QTableWidget*>("DriverGrid");
    EXPECT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(grid->item(4, 1)->text(), "D");
}

TEST(DeviceDlg, OkWithADriverThatCannotDrawFallsBackToDefaultAndSaysSo) {
    TForm1 w;
    render::ScanDrivers(w.Core.Drivers, {Driver("Other", false, true, 0x100)}, 32);
    viewer::TDeviceDlg& dlg = *w.DeviceDlg();
    dlg.Open();
    dlg.SelectRow(2);
    const scene::DevicePtr old = w.Core.Scene.Device;
    QSignalSpy notice(&dlg, &viewer::TDeviceDlg::RenderWithNotice);
    Boxes boxes;
    ASSERT_TRUE(dlg.OkBtnClick());
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(boxes.Texts[0], viewer::FallbackText("Other"));
    EXPECT_NE(w.Core.Scene.Device, old);
    EXPECT_EQ(w.Core.Drivers.CurrentDriver, 0);
    EXPECT_EQ(w.Core.Scene.Viewport->GetBack(), 5000.0f);
    EXPECT_EQ(notice.count(), 1);
}

TEST(RenderDlg, OpensWithTheDeviceModesAndOnlyFillOrShadingChangesShowTheNotice) {
    TForm1 w;
    viewer::TRenderDlg& dlg = *w.RenderDlg();
    dlg.Open();
    EXPECT_TRUE(dlg.findChild<QRadioButton*>("SolidRadio")->isChecked());
    EXPECT_TRUE(dlg.findChild<QRadioButton*>("GouraudRadio")->isChecked());
    EXPECT_TRUE(dlg.findChild<QRadioButton*>("OutsideRadio")->isChecked());
    QSignalSpy notice(&dlg, &viewer::TRenderDlg::RenderWithNotice);
    dlg.findChild<QCheckBox*>("DitheringChk")->setChecked(true);
    dlg.findChild<QRadioButton*>("BothRadio")->setChecked(true);
    dlg.OkBtnClick();
    EXPECT_EQ(notice.count(), 0);
    EXPECT_TRUE(w.Core.Scene.Device->GetDither());
    EXPECT_EQ(w.Core.Scene.Device->GetCullState(), scene::CullState::None);
    dlg.findChild<QRadioButton*>("WireFrameRadio")->setChecked(true);
    dlg.OkBtnClick();
    EXPECT_EQ(notice.count(), 1);
    EXPECT_EQ(w.Core.Scene.Device->GetQuality() & scene::kFillMask, scene::kFillWireframe);
}

TEST(SceneSetDlg, EachControlActsAtOnceAndPureRedFogIsConverted) {
    TForm1 w;
    viewer::TSceneSetDlg& dlg = *w.SceneSetDlg();
    auto* ambient = dlg.findChild<QDoubleSpinBox*>("AmbientSpin");
    EXPECT_DOUBLE_EQ(ambient->value(), 0.1);
    ambient->setValue(0.6);
    EXPECT_NEAR(w.Core.Scene.AmbientLight->GetColorRGB().X, 0.6f, 1e-6f);
    dlg.findChild<QCheckBox*>("FogEnableChk")->setChecked(true);
    EXPECT_TRUE(w.Core.Scene.SceneFrame->GetSceneFogEnable());
    dlg.findChild<QRadioButton*>("ExponentialRadio")->click();
    EXPECT_EQ(w.Core.Scene.SceneFrame->GetSceneFogMode(), scene::FogMode::Exponential);
    dlg.findChild<QDoubleSpinBox*>("FogStartSpin")->setValue(30); // beyond the end of 10
    float start, end, density;
    w.Core.Scene.SceneFrame->GetSceneFogParams(start, end, density);
    EXPECT_EQ(start, 30);
    EXPECT_EQ(end, 10);
    EXPECT_EQ(density, 1);
    dlg.Choosers.Color = [](QWidget*) { return QColor(255, 0, 0); };
    dlg.FogColorBtnClick();
    EXPECT_EQ(w.Core.Scene.SceneFrame->GetSceneFogColor(), 0xFEFF0000u);
    dlg.Choosers.Color = [](QWidget*) { return QColor(); }; // cancelled: nothing changes
    dlg.SetBackgroundColorBtnClick();
    EXPECT_EQ(w.Core.Scene.BackgroundColor, 0x404040u);
}

TEST(EditLightDlg, ShowsTheLightTypeAndApplySetsTheChosenOne) {
    TForm1 w;
    viewer::TEditLightDlg& dlg = *w.EditLightDlg();
    dlg.SetLight(w.Core.Scene.DirectLight);
    EXPECT_TRUE(dlg.findChild<QRadioButton*>("DirectionalRadio")->isChecked());
    dlg.findChild<QRadioButton*>("SpotRadio")->setChecked(true);
    dlg.findChild<QPushButton*>("ApplyBtn")->click();
    EXPECT_EQ(w.Core.Scene.DirectLight->GetType(), scene::LightType::Spot);
}

TEST(MaterialDlg, TransparencyFiftyGivesEveryFaceAlpha127) {
    TForm1 w;
    w.TorusDlg()->MakeCubeBtnClick();
    auto cube = std::dynamic_pointer_cast<scene::MeshBuilder>(
        w.Core.Scene.CenterFrame->GetVisuals().front());
    ASSERT_NE(cube, nullptr);
    w.Core.Textures.SelectedBuilder = cube;
    viewer::TMaterialDlg& dlg = *w.MaterialDlg();
    EXPECT_EQ(dlg.findChild<QSpinBox*>("TransparencySpin")->suffix(), " % ");
    dlg.findChild<QSpinBox*>("TransparencySpin")->setValue(50);
    dlg.findChild<QDoubleSpinBox*>("PowerSpin")->setValue(12);
    QSignalSpy notice(&dlg, &viewer::TMaterialDlg::RenderWithNotice);
    ASSERT_TRUE(dlg.SetMaterialsBtnClick());
    EXPECT_EQ(notice.count(), 1);
    for (std::size_t f = 0; f < cube->GetFaceCount(); ++f)
        EXPECT_EQ(scene::ColorAlpha(cube->FaceColor(f)), 127u);
    EXPECT_EQ(cube->FaceMaterial(0)->GetPower(), 12.0f);
}

TEST(Form1, ShadowTwiceAddsTwoShadowVisuals) {
    TForm1 w;
    w.TorusDlg()->MakeCubeBtnClick();
    w.RunCommand("ShadowMnu");
    w.RunCommand("ShadowMnu");
    int shadows = 0;
    for (const auto& visual : w.Core.Scene.CenterFrame->GetVisuals())
        shadows += visual->ClassName() == "Shadow" ? 1 : 0;
    EXPECT_EQ(shadows, 2);
}

} // namespace
} // namespace lumora::test
