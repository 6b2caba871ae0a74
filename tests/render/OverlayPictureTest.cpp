// The overlays drawn over the scene headless, measured in the picture against the geometry: the
// compass's north mark turns with the model, the scale bar is as long as its label says, the
// legend shows the bar's colours in order, station names never overlap and the fixed station
// comes first.
#include "PixelScene.h"

#include "platform/render/GlOverlay.h"
#include "support/RecordingUi.h"
#include "viewer/Navigation.h"
#include "viewer/ViewPresets.h"
#include "viewer/gui/ViewOverlay.h"

#include <QGuiApplication>

#include <cmath>

namespace lumora::test {
namespace {

// Fonts need an application object; the offscreen platform needs no display.
void EnsureApplication() {
    static int argc = 3;
    static char name[] = "overlay_test", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

// The viewer's scene with a blue box model of 400 x 100 x 600 feet, seen from the viewer's
// reset place, drawn headless with the overlays over it.
struct OverlayScene {
    render::HeadlessContext Context{480, 360};
    render::GlRenderer Renderer;
    render::GlOverlay Blend;
    viewer::TViewerScene S;
    viewer::TNavigation Nav;
    RecordingUi Ui;
    viewer::TStationTable Stations;
    viewer::TOverlayState State;
    viewer::TViewOverlay Overlay;

    OverlayScene() {
        EnsureApplication();
        viewer::InitScene(S, 480, 360);
        Renderer.Install(*S.Device);
        viewer::ResetPositions(S);
        auto mesh = std::make_shared<scene::MeshBuilder>();
        viewer::AddBoxFaces(*mesh, {-200, -50, -300}, {200, 50, 300}, 0x804000, 0x804000);
        S.CenterFrame->AddVisual(mesh);
        viewer::ResetScale(S, Nav, *S.CenterFrame, Ui);
        viewer::StopRotations(S);
        S.RenderEnabled = true;
        State.Stations = &Stations;
        State.Settings.Compass = State.Settings.ScaleBar = false;
        State.Settings.DepthLegend = State.Settings.StationNames = false;
    }
    void Preset(viewer::TViewPreset p) {
        S.CenterFrame->AddTransform(
            scene::Combine::Replace,
            viewer::PoseMatrix(viewer::PresetPose(S, viewer::PoseOf(*S.CenterFrame), p)));
    }
    QImage Draw() {
        Context.MakeCurrent();
        S.Viewport->Render(*S.SceneFrame);
        const QImage overlay = Overlay.Paint(S, State, 1);
        if (!overlay.isNull()) {
            EXPECT_TRUE(Blend.Draw(overlay.constBits(), overlay.width(), overlay.height()));
        }
        return Context.ReadImage();
    }
};

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Screen angle (degrees clockwise from up) of the red north mark's centroid around the compass.
double NorthMarkAngle(const QImage& image, const viewer::TViewOverlay& overlay) {
    const QPointF c = overlay.CompassCentre();
    const double r = overlay.CompassRadius();
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = int(c.y() - r); y <= int(c.y() + r); ++y)
        for (int x = int(c.x() - r); x <= int(c.x() + r); ++x)
            if (Near(image.pixel(x, y), qRgb(255, 0, 0), 40))
                sx += x - c.x(), sy += y - c.y(), ++n;
    EXPECT_GT(n, 20);
    return std::atan2(sx, -sy) * 180 / M_PI;
}

TEST(OverlayPicture, CompassNorthMarkTurnsWithTheModelsYaw) {
    LUMORA_REQUIRE_EGL();
    OverlayScene o;
    o.State.Settings.Compass = true;
    o.Preset(viewer::TViewPreset::Plan);
    const QImage plan = o.Draw();
    const double before = NorthMarkAngle(plan, o.Overlay);
    EXPECT_NEAR(before, 0, 3); // plan: north up
    viewer::RotateLocal(*o.S.CenterFrame, {0, 1, 0}, 30);
    const QImage turned = o.Draw();
    const double after = NorthMarkAngle(turned, o.Overlay);
    EXPECT_NEAR(after - before, 30, 3); // the model turned clockwise seen from above
    EXPECT_NEAR(o.Overlay.Compass().NorthAngle, 30, 0.1);
    if (HasFailure())
        KeepImage(turned, "compass-turned");
}

TEST(OverlayPicture, ScaleBarIsAsLongAsItsLabelAtTheModelsCentre) {
    LUMORA_REQUIRE_EGL();
    for (const viewer::TLengthUnit unit :
         {viewer::TLengthUnit::Feet, viewer::TLengthUnit::Meters}) {
        OverlayScene o;
        o.State.Settings.ScaleBar = true;
        o.State.Settings.Units = unit;
        viewer::ZoomIn(o.S, o.Nav);
        const QImage image = o.Draw();
        const viewer::TScaleBar bar = o.Overlay.ScaleBar();
        ASSERT_GT(bar.Pixels, 20);
        // The bar's white run on its middle row.
        const QRectF r = o.Overlay.ScaleBarRect();
        const int y = int(r.center().y());
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            if (Near(image.pixel(x, y), qRgb(255, 255, 255), 30)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        // The labelled length in model units (feet), laid across the view at the model's
        // centre and taken through the viewport's own transform.
        const double feet = unit == viewer::TLengthUnit::Meters ? bar.Length / 0.3048 : bar.Length;
        const scene::Matrix world = o.S.CenterFrame->WorldTransform();
        const scene::Vector centre = scene::TransformPoint({0, 0, 0}, world);
        const float worldPerFoot = scene::Length({world.M[0][0], world.M[0][1], world.M[0][2]});
        scene::Vector4 a, b;
        o.S.Viewport->Transform(a, centre);
        o.S.Viewport->Transform(b, centre + scene::Vector{float(feet) * worldPerFoot, 0, 0});
        const double expected = b.X / b.W - a.X / a.W;
        EXPECT_NEAR(last - first + 1, expected, 2.0) << int(unit);
        if (HasFailure())
            KeepImage(image, "scale-bar");
    }
}

TEST(OverlayPicture, LegendShowsTheBarsColoursInOrder) {
    LUMORA_REQUIRE_EGL();
    OverlayScene o;
    o.State.Settings.DepthLegend = true;
    const std::uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF};
    viewer::TDepthLegend legend;
    legend.Colors.assign(std::begin(colours), std::end(colours));
    for (int i = 0; i <= 5; ++i)
        legend.Boundaries.push_back(500 - 100.0 * i);
    o.State.Legend = legend;
    const QImage image = o.Draw();
    const auto& bands = o.Overlay.LegendBands();
    ASSERT_EQ(bands.size(), 5u);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const QRgb expected = qRgb(colours[i] & 0xFF, (colours[i] >> 8) & 0xFF, colours[i] >> 16);
        const QPoint middle = bands[i].center().toPoint();
        EXPECT_TRUE(Near(image.pixel(middle), expected, 10)) << i;
        if (i > 0)
            EXPECT_GT(bands[i].top(), bands[i - 1].top()); // top band first
    }
    if (HasFailure())
        KeepImage(image, "legend");
}

TEST(OverlayPicture, NamesNeverOverlapAndTheFixedStationIsNamedFirst) {
    LUMORA_REQUIRE_EGL();
    OverlayScene o;
    o.State.Settings.StationNames = true;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 30; ++j)
            o.Stations.Add("ST" + std::to_string(i * 30 + j), -1, {},
                           {-190.f + i * 13, 0, -290.f + j * 20}, viewer::TStationRank::Other);
    o.Stations.Add("FIXED", -1, {}, {1, 0, 1}, viewer::TStationRank::Fixed);
    o.Stations.Finish();
    o.Preset(viewer::TViewPreset::Plan);
    const QImage image = o.Draw();
    const auto& labels = o.Overlay.Labels();
    ASSERT_GT(labels.size(), 5u);
    EXPECT_EQ(o.Stations.Name(labels.front().Station), "FIXED");
    for (std::size_t a = 0; a < labels.size(); ++a)
        for (std::size_t b = a + 1; b < labels.size(); ++b)
            EXPECT_FALSE(labels[a].Left < labels[b].Right && labels[b].Left < labels[a].Right &&
                         labels[a].Top < labels[b].Bottom && labels[b].Top < labels[a].Bottom);
    // The first name is drawn: white text inside its box.
    const viewer::TPlacedLabel& first = labels.front();
    int white = 0;
    for (int y = int(first.Top); y < int(first.Bottom); ++y)
        for (int x = int(first.Left); x < int(first.Right); ++x)
            white += Near(image.pixel(x, y), qRgb(255, 255, 255), 30);
    EXPECT_GT(white, 10);
    if (HasFailure())
        KeepImage(image, "names");
}

} // namespace
} // namespace lumora::test
