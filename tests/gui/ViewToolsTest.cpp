// The viewer window's tools beside its specified commands, through real Qt events offscreen:
// the wheel and the keys over the view, the preset views, Find Station, measuring by clicks,
// the window and overlay settings kept over a restart, and a still view that draws nothing.
#include "DialogTestSupport.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"
#include "viewer/Measure.h"
#include "viewer/ViewProjection.h"
#include "viewer/gui/lvfind.h"
#include "viewer/gui/lvmain.h"
#include "viewer/gui/lvview.h"
#include "viewer/gui/lvviewtools.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace lumora::test {
namespace {

using viewer::TForm1;

// A window with a built cave, its spin stopped, nothing pending.
struct CaveWindow {
    TempDir dir;
    TForm1 w;
    explicit CaveWindow(int surveys = 3, int shots = 6) {
        w.show();
        EXPECT_TRUE(w.ProcessFile(Cave(dir, "tools.plt", surveys, shots)));
        w.ToolbarClick("StopBtn");
        QTest::qWait(50);
    }
    // Lets a view change of 0.3 s run to its end.
    void Settle() {
        for (int i = 0; i < 100 && w.Tools()->Animating(); ++i)
            QTest::qWait(20);
        QApplication::processEvents();
    }
    std::pair<float, float> Pixel(std::uint32_t station) const {
        float x = 0, y = 0;
        EXPECT_TRUE(viewer::TViewProjection(w.Core.Scene)
                        .Project(w.Tools()->Stations().At(station).Model, x, y));
        return {x, y};
    }
};

TEST(ViewTools, TheWheelZoomsOneButtonStepPerNotch) {
    CaveWindow c;
    const double before = c.w.Core.Navigation.ZoomScale;
    const QPointF at(40, 40);
    QWheelEvent up(at, c.w.View()->mapToGlobal(at), {}, QPoint(0, 240), Qt::NoButton, {},
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(c.w.View(), &up);
    EXPECT_NEAR(c.w.Core.Navigation.ZoomScale, before * 1.045 * 1.045, 1e-6 * before);
    // Half notches of a fine wheel add up to one.
    QWheelEvent half(at, c.w.View()->mapToGlobal(at), {}, QPoint(0, -60), Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(c.w.View(), &half);
    EXPECT_NEAR(c.w.Core.Navigation.ZoomScale, before * 1.045 * 1.045, 1e-6 * before);
    QApplication::sendEvent(c.w.View(), &half);
    EXPECT_NEAR(c.w.Core.Navigation.ZoomScale, before * 1.045 * 1.045 * 0.955, 1e-6 * before);
}

TEST(ViewTools, ArrowsTurnShiftArrowsPanPlusZoomsSpaceStops) {
    CaveWindow c;
    viewer::TViewerScene& s = c.w.Core.Scene;
    auto yaw = [&] { return viewer::FrameEulerAngles(s.CenterFrame->GetTransform()).Yaw; };
    auto position = [&] {
        scene::Vector p;
        s.CenterFrame->GetPosition(s.SceneFrame.get(), p);
        return p;
    };
    const double yaw0 = yaw();
    QTest::keyClick(c.w.View(), Qt::Key_Right); // "Yaw Right": 8.1 degrees at increment 4.5
    EXPECT_NEAR(std::fabs(yaw() - yaw0), 8.1, 0.01);
    c.w.ToolbarClick("YawLeftBtn");
    EXPECT_NEAR(yaw(), yaw0, 0.01);
    const float x0 = position().X;
    QTest::keyClick(c.w.View(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_LT(position().X, x0 - 1) << x0;
    const double zoom = c.w.Core.Navigation.ZoomScale;
    QTest::keyClick(c.w.View(), Qt::Key_Plus);
    EXPECT_NEAR(c.w.Core.Navigation.ZoomScale, zoom * 1.045, 1e-6 * zoom);
    QTest::keyClick(c.w.View(), Qt::Key_Minus);
    EXPECT_NEAR(c.w.Core.Navigation.ZoomScale, zoom * 1.045 * 0.955, 1e-6 * zoom);
    s.CenterFrame->SetRotation(s.CameraFrame, 0, 1, 0, 0.05f);
    QTest::keyClick(c.w.View(), Qt::Key_Space);
    scene::Vector axis;
    float angle = 1;
    s.CenterFrame->GetRotation(axis, angle);
    EXPECT_EQ(angle, 0.0f);
}

TEST(ViewTools, PlanFromTheMenuAndFitFromHomeAnimateToTheirView) {
    CaveWindow c;
    c.w.Action("PlanMnu")->trigger();
    EXPECT_TRUE(c.w.Tools()->Animating());
    c.Settle();
    const viewer::TViewProjection plan(c.w.Core.Scene);
    const auto reading = viewer::CompassReading(plan);
    EXPECT_NEAR(reading.Tilt, -90, 0.1);
    EXPECT_NEAR(std::fmod(reading.Heading + 0.05, 360.0), 0, 0.1);
    QTest::keyClick(c.w.View(), Qt::Key_Home);
    c.Settle();
    // The stations' box fills the view's binding side to about 90 %.
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    const auto& stations = c.w.Tools()->Stations();
    for (std::uint32_t i = 0; i < stations.Count(); ++i) {
        const auto [x, y] = c.Pixel(i);
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
    }
    const scene::Viewport& v = *c.w.Core.Scene.Viewport;
    const double fill = std::max((right - left) / v.GetWidth(), (bottom - top) / v.GetHeight());
    EXPECT_GT(fill, 0.7); // the walls' 2-foot tubes lie around the stations
    EXPECT_LT(fill, 0.91);
    EXPECT_EQ(c.w.Action("ProfileEastMnu")->shortcut(), QKeySequence("E"));
    EXPECT_EQ(c.w.Action("FindMnu")->shortcut(), QKeySequence::Find);
    EXPECT_EQ(c.w.Action("ProcessMnu")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(c.w.Action("ProcessMnu")->text(), "&Process Cave File..."); // captions stay
}

TEST(ViewTools, FindListsMatchesWithTheirSurveyAndShowsTheChosenInTheMiddle) {
    CaveWindow c(12, 100);
    c.w.Tools()->ShowFind();
    viewer::TFindDlg* find = c.w.Tools()->FindDlg();
    ASSERT_NE(find, nullptr);
    QApplication::setActiveWindow(find); // typing goes to the box, not to the view's keys
    QTest::keyClicks(find->FindEdit(), "1?.9*");
    // Surveys S10 and S11 ("S" only marks the name in the file), stations 9 and 90 to 99 each.
    ASSERT_EQ(find->FindList()->topLevelItemCount(), 22) << find->FindEdit()->text().toStdString();
    EXPECT_EQ(find->FindList()->topLevelItem(0)->text(0), "10.9");
    EXPECT_EQ(find->FindList()->topLevelItem(0)->text(1), "S10");
    EXPECT_EQ(find->CountDis()->text(), "22 stations");
    find->FindEdit()->setText("*");
    EXPECT_EQ(find->FindList()->topLevelItemCount(), 1000);
    EXPECT_EQ(find->CountDis()->text(), "The first 1000 of 1212 stations (212 more)");
    find->FindEdit()->setText("7.42");
    ASSERT_EQ(find->FindList()->topLevelItemCount(), 1);
    QTest::keyClick(find->FindEdit(), Qt::Key_Return);
    c.Settle();
    const std::uint32_t station = *c.w.Tools()->State().Marked;
    EXPECT_EQ(c.w.Tools()->Stations().Name(station), "7.42");
    const auto [x, y] = c.Pixel(station);
    EXPECT_NEAR(x, c.w.Core.Scene.Viewport->GetWidth() / 2.0, 1.0);
    EXPECT_NEAR(y, c.w.Core.Scene.Viewport->GetHeight() / 2.0, 1.0);
}

TEST(ViewTools, TwoClickedStationsAreMeasuredInTheStatusBarInTheChosenUnits) {
    CaveWindow c(2, 4);
    const auto& stations = c.w.Tools()->Stations();
    const double ratio = c.w.View()->devicePixelRatioF();
    auto click = [&](std::uint32_t station) {
        const auto [x, y] = c.Pixel(station);
        QTest::mouseClick(c.w.View(), Qt::LeftButton, {},
                          QPoint(int(std::lround(x / ratio + 1)), int(std::lround(y / ratio))));
    };
    auto* read = c.w.findChild<QLabel*>("MeasureDis");
    ASSERT_NE(read, nullptr);
    const std::uint32_t a = 1, b = std::uint32_t(stations.Count() - 2);
    click(a);
    EXPECT_TRUE(
        read->text().startsWith("From " + QString::fromStdString(std::string(stations.Name(a)))))
        << read->text().toStdString();
    click(b);
    const survey::T3DVector pa = stations.At(a).Position, pb = stations.At(b).Position;
    const double dx = pb.X - pa.X, dy = pb.Y - pa.Y, dz = pb.Z - pa.Z;
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "%s to %s: Slope %.1f ft  Horiz. %.1f ft  Vert. %.1f ft  Bearing %05.1f\u00B0",
                  std::string(stations.Name(a)).c_str(), std::string(stations.Name(b)).c_str(),
                  std::sqrt(dx * dx + dy * dy + dz * dz), std::hypot(dx, dy), dz,
                  std::fmod(std::atan2(dx, dy) * 180 / M_PI + 360, 360));
    EXPECT_EQ(read->text().toStdString(), expected);
    c.w.Action("MetersMnu")->trigger();
    EXPECT_TRUE(read->text().contains(" m  Horiz.")) << read->text().toStdString();
    QTest::keyClick(&c.w, Qt::Key_Escape);
    c.w.Tools()->ClearMeasurement();
    EXPECT_TRUE(read->text().isEmpty());
    // A click far from every station measures nothing.
    QTest::mouseClick(c.w.View(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(read->text().isEmpty());
    c.w.Action("FeetMnu")->trigger();
}

TEST(ViewTools, TheWindowAndTheOverlaySettingsComeBackAfterARestart) {
    const QRect placed(40, 50, 1000, 640);
    {
        TForm1 w;
        w.show();
        w.setGeometry(placed);
        w.Action("MetersMnu")->trigger();
        w.Action("StationNamesMnu")->trigger();
        w.Action("CompassMnu")->trigger(); // off
        w.ToggleHierarchy();               // width 1
        w.close();
    }
    {
        TForm1 w;
        EXPECT_EQ(w.geometry(), placed);
        EXPECT_EQ(w.Tools()->Settings().Units, viewer::TLengthUnit::Meters);
        EXPECT_TRUE(w.Tools()->Settings().StationNames);
        EXPECT_FALSE(w.Tools()->Settings().Compass);
        EXPECT_TRUE(w.Action("MetersMnu")->isChecked());
        EXPECT_FALSE(w.Action("CompassMnu")->isChecked());
        w.show();
        EXPECT_EQ(w.OutPanelWidth(), 1);
    }
    // The other tests start as a first run again; the recent files stay.
    platform::IniFile ini("lumora.ini");
    ini.EraseSection(viewer::kWindowSection);
    ini.EraseSection(viewer::kViewSection);
    ini.UpdateFile();
}

TEST(ViewTools, AStillViewDrawsNoFrameWhileASpinDrawsOn) {
    CaveWindow c;
    int frames = 0;
    c.w.Core.Scene.Device->SetRenderHook([&frames](scene::Viewport&, scene::Frame&) {
        ++frames;
        return scene::Result::Ok;
    });
    QTest::qWait(1000);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(c.w.NeedsFrames());
    // A key press over the view asks for one frame.
    QTest::keyClick(c.w.View(), Qt::Key_Right);
    QTest::qWait(100);
    EXPECT_GE(frames, 1);
    const int afterKey = frames;
    QTest::qWait(300);
    EXPECT_EQ(frames, afterKey);
    // A spin draws frames on, each turning the model by its angle.
    c.w.Core.Scene.CenterFrame->SetRotation(c.w.Core.Scene.CameraFrame, 0, 1, 0, 0.01f);
    c.w.RequestRedraw();
    QTest::qWait(300);
    EXPECT_GT(frames, afterKey + 3);
    c.w.ToolbarClick("StopBtn");
}

} // namespace
} // namespace lumora::test
