// The viewer's tools beside its specified commands, without a window: preset views, fit and
// centring, the view animation, the station table, find, picking, measuring, scale bars, name
// placement, the redraw policy and the settings kept between runs.
#include "ViewerTestScene.h"

#include "platform/IniFile.h"
#include "support/TestSupport.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"
#include "viewer/Measure.h"
#include "viewer/RedrawPolicy.h"
#include "viewer/StationFind.h"
#include "viewer/StationLabels.h"
#include "viewer/ViewPresets.h"
#include "viewer/ViewSettings.h"

#include <cmath>
#include <set>

namespace lumora::viewer::test {
namespace {

using scene::Vector;

// A started viewer showing a box model of 200 x 100 x 300 units (east, up, north) around the
// model frame's origin, with its spin stopped.
struct BoxViewer : StartedViewer {
    BoxViewer() {
        ResetPositions(s); // the camera 2000 units back, as every new model has it
        s.CenterFrame->AddVisual(BoxMesh({-100, -50, -150}, {100, 50, 150}));
        ResetScale(s, core.Navigation, *s.CenterFrame, ui);
        StopRotations(s);
        s.RenderEnabled = true;
    }
    void Apply(const TModelPose& pose) {
        s.CenterFrame->AddTransform(scene::Combine::Replace, PoseMatrix(pose));
    }
    // Pixel of a model point.
    std::pair<float, float> Pixel(const Vector& p) const {
        float x = 0, y = 0;
        EXPECT_TRUE(TViewProjection(s).Project(p, x, y));
        return {x, y};
    }
    float Depth(const Vector& p) const { return TViewProjection(s).Depth(p); }
};

TEST(ViewPresets, PlanLooksDownWithNorthUpAndEastRight) {
    BoxViewer v;
    v.Apply(PresetPose(v.s, PoseOf(*v.s.CenterFrame), TViewPreset::Plan));
    const auto [x0, y0] = v.Pixel({0, 0, 0});
    const auto [xn, yn] = v.Pixel({0, 0, 100});
    const auto [xe, ye] = v.Pixel({100, 0, 0});
    EXPECT_NEAR(xn, x0, 0.01);
    EXPECT_LT(yn, y0 - 10); // north is up the screen
    EXPECT_GT(xe, x0 + 10); // east to the right
    EXPECT_NEAR(ye, y0, 0.01);
    EXPECT_LT(v.Depth({0, 100, 0}), v.Depth({0, 0, 0})); // up comes towards the viewer
}

TEST(ViewPresets, ProfilesLookTowardsTheirCompassPoint) {
    struct Case {
        TViewPreset Preset;
        Vector Ahead, Right;
    };
    const Case cases[] = {{TViewPreset::North, {0, 0, 1}, {1, 0, 0}},
                          {TViewPreset::East, {1, 0, 0}, {0, 0, -1}},
                          {TViewPreset::South, {0, 0, -1}, {-1, 0, 0}},
                          {TViewPreset::West, {-1, 0, 0}, {0, 0, 1}}};
    for (const Case& c : cases) {
        BoxViewer v;
        RotateLocal(*v.s.CenterFrame, {0, 1, 0}, 37); // from some other view
        v.Apply(PresetPose(v.s, PoseOf(*v.s.CenterFrame), c.Preset));
        const float far = v.Depth(c.Ahead * 100), near = v.Depth({0, 0, 0});
        EXPECT_GT(far, near + 50) << int(c.Preset);
        const auto [x0, y0] = v.Pixel({0, 0, 0});
        const auto [xr, yr] = v.Pixel(c.Right * 100);
        const auto [xu, yu] = v.Pixel({0, 100, 0});
        EXPECT_GT(xr, x0 + 10) << int(c.Preset);
        EXPECT_NEAR(yr, y0, 0.01) << int(c.Preset);
        EXPECT_LT(yu, y0 - 10) << int(c.Preset); // up stays up
    }
}

TEST(ViewPresets, PlanFollowsATurnedCamera) {
    BoxViewer v;
    v.s.CameraFrame->AddRotation(scene::Combine::Before, 0, 1, 0, 0.5f); // looks elsewhere
    v.Apply(PresetPose(v.s, PoseOf(*v.s.CenterFrame), TViewPreset::Plan));
    const auto [x0, y0] = v.Pixel({0, 0, 0});
    const auto [xn, yn] = v.Pixel({0, 0, 100});
    EXPECT_NEAR(xn, x0, 0.01);
    EXPECT_LT(yn, y0 - 10);
}

TEST(ViewPresets, FitFillsNinetyPercentOfTheBindingSideCentred) {
    for (const TViewPreset preset : {TViewPreset::Plan, TViewPreset::East}) {
        BoxViewer v;
        ZoomIn(v.s, v.core.Navigation); // out of the fitted place first
        PanLeft(v.s, v.core.Navigation);
        v.Apply(PresetPose(v.s, PoseOf(*v.s.CenterFrame), preset));
        v.Apply(FitPose(v.s, PoseOf(*v.s.CenterFrame)));
        float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
        for (int i = 0; i < 8; ++i) {
            const auto [x, y] =
                v.Pixel({i & 1 ? 100.f : -100.f, i & 2 ? 50.f : -50.f, i & 4 ? 150.f : -150.f});
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
        const double fillX = (right - left) / 640.0, fillY = (bottom - top) / 480.0;
        EXPECT_NEAR(std::max(fillX, fillY), 0.9, 0.01) << int(preset);
        EXPECT_LE(std::min(fillX, fillY), 0.9 + 1e-3) << int(preset);
        EXPECT_NEAR((left + right) / 2, 320, 10) << int(preset); // perspective: not exactly
        EXPECT_NEAR((top + bottom) / 2, 240, 10) << int(preset);
    }
}

TEST(ViewPresets, CentreBringsAPointToTheMiddleOfTheView) {
    BoxViewer v;
    RotateLocal(*v.s.CenterFrame, {0, 1, 0}, 20);
    ZoomIn(v.s, v.core.Navigation);
    const Vector point{80, -40, 120};
    v.Apply(CentrePose(v.s, PoseOf(*v.s.CenterFrame), point));
    const auto [x, y] = v.Pixel(point);
    EXPECT_NEAR(x, 320, 1.0);
    EXPECT_NEAR(y, 240, 1.0);
}

TEST(ViewPresets, AnimationEasesFromStartToEndAndStops) {
    BoxViewer v;
    TViewAnimation a;
    const TModelPose to = PresetPose(v.s, PoseOf(*v.s.CenterFrame), TViewPreset::East);
    StartAnimation(a, *v.s.CenterFrame, to, 10.0);
    ASSERT_TRUE(StepAnimation(a, *v.s.CenterFrame, 10.0));
    EXPECT_TRUE(a.Active);
    EXPECT_NEAR(PoseOf(*v.s.CenterFrame).Rotation.M[0][0], 1, 1e-5); // still at the start
    StepAnimation(a, *v.s.CenterFrame, 10.15); // halfway: the east axis is turned by 45 degrees
    const scene::Matrix& half = v.s.CenterFrame->GetTransform();
    const float scale = PoseOf(*v.s.CenterFrame).Scale;
    EXPECT_NEAR(std::atan2(-half.M[0][2], half.M[0][0]) * kDegreesPerRadian, -45, 0.5);
    EXPECT_NEAR(scale, to.Scale, 1e-4 * to.Scale);
    EXPECT_TRUE(a.Active);
    StepAnimation(a, *v.s.CenterFrame, 10.31);
    EXPECT_FALSE(a.Active);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(v.s.CenterFrame->GetTransform().M[r][c], PoseMatrix(to).M[r][c], 1e-4);
    EXPECT_FALSE(StepAnimation(a, *v.s.CenterFrame, 11));
}

// A generated cave read into a survey model of its own, and its station table as the viewer
// builds it after a cave build (centred, feet).
struct GeneratedStations {
    lumora::test::TempDir dir;
    lumora::test::RecordingUi ui;
    survey::TPlotData data;
    TStationTable table;
    explicit GeneratedStations(std::int64_t stations = 3000) {
        survey::TGenOptions options;
        options.Stations = stations;
        const std::string file = dir.File("cave.plt");
        survey::GeneratePlotFile(file, options);
        survey::LoadPlotFile(data, file, {}, ui);
        passage::TPassageOptions passage;
        passage.CenterOnCave = true;
        table.Build(data, passage::MakeStationAdjust(data, passage));
    }
};

TEST(StationTable, ListsEachNameOnceWithItsSurveyAndRanksFixedAndEndsFirst) {
    GeneratedStations g;
    std::set<std::string> names, recordNames;
    for (std::size_t i = 0; i < g.table.Count(); ++i)
        EXPECT_TRUE(names.insert(std::string(g.table.Name(i))).second) << g.table.Name(i);
    for (std::int32_t i = 0; i < g.data.Shots.Count(); ++i)
        if (g.data.Shots.RecordType(i) != 'L' && g.data.Shots.RecordType(i) != 'V')
            recordNames.insert(std::string(g.data.Shots.Station(i)));
    for (const std::string& n : recordNames)
        EXPECT_TRUE(names.count(n)) << n;
    // The generator names stations after their survey: "AB5" lies in survey "AB".
    for (std::size_t i = 0; i < g.table.Count(); i += 97) {
        const std::string_view survey = g.table.SurveyName(g.table.At(i).Survey);
        EXPECT_EQ(g.table.Name(i).substr(0, survey.size()), survey) << g.table.Name(i);
    }
    const TStationEntry& first = g.table.At(g.table.ByRank().front());
    EXPECT_EQ(first.Rank, TStationRank::Fixed);
    EXPECT_EQ(g.table.Name(g.table.ByRank().front()), "AA1");
    // The model position is the plot position less the cave's centre, as (east, up, north).
    EXPECT_NEAR(first.Model.X, first.Position.X - g.data.Center.X, 0.01);
    EXPECT_NEAR(first.Model.Y, first.Position.Z - g.data.Center.Z, 0.01);
    EXPECT_NEAR(first.Model.Z, first.Position.Y - g.data.Center.Y, 0.01);
    std::size_t ends = 0;
    for (std::size_t i = 0; i < g.table.Count(); ++i)
        ends += g.table.At(i).Rank == TStationRank::SurveyEnd;
    EXPECT_GE(ends, std::size_t(g.data.Surveys.Count())); // each survey has two ends, some shared
}

TEST(StationFind, WildcardsMatchWholeNamesWithoutRegardToCase) {
    EXPECT_TRUE(WildcardMatch("A*", "AB12"));
    EXPECT_TRUE(WildcardMatch("ab?2", "AB12"));
    EXPECT_FALSE(WildcardMatch("AB?", "AB12"));
    EXPECT_TRUE(WildcardMatch("*2", "AB12"));
    EXPECT_TRUE(WildcardMatch("A*B*C", "AxxBxxBxC"));
    EXPECT_FALSE(WildcardMatch("A*B*C", "AxxBxxBx"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_FALSE(WildcardMatch("", "A"));
    EXPECT_TRUE(WildcardMatch("**a**", "bab"));
    EXPECT_FALSE(WildcardMatch("AB12", "AB123"));
}

TEST(StationFind, ListsTheFirstMatchesAndCountsThemAll) {
    TStationTable t;
    const std::int32_t survey = t.AddSurvey("Main");
    for (int i = 0; i < 2500; ++i)
        t.Add("S" + std::to_string(i), survey, {}, {}, TStationRank::Other);
    t.Add("X1", survey, {}, {}, TStationRank::Other);
    t.Finish();
    const TFindResult all = FindStations(t, "s*", 1000);
    EXPECT_EQ(all.Total, 2500u);
    ASSERT_EQ(all.Stations.size(), 1000u);
    EXPECT_EQ(t.Name(all.Stations.front()), "S0");
    EXPECT_EQ(t.Name(all.Stations.back()), "S999");
    const TFindResult one = FindStations(t, "s1?9?", 1000);
    EXPECT_EQ(one.Total, 100u); // S1090 to S1999 with a 9 third
    EXPECT_EQ(FindStations(t, "Y*").Total, 0u);
}

TEST(StationPick, FindsTheStationNearestThePointerOrNoneOutsideTheRadius) {
    GeneratedStations g;
    StartedViewer v;
    ResetPositions(v.s);
    auto mesh = BoxMesh({-3000, -600, -4500}, {3000, 600, 4500});
    v.s.CenterFrame->AddVisual(mesh);
    ResetScale(v.s, v.core.Navigation, *v.s.CenterFrame, v.ui);
    const TViewProjection view(v.s);
    // Every pixel is worked out again through the viewport's own transform.
    auto pixel = [&](std::size_t i) {
        scene::Vector4 h;
        const Vector world =
            scene::TransformPoint(g.table.At(i).Model, v.s.CenterFrame->WorldTransform());
        v.s.Viewport->Transform(h, world);
        return std::pair{h.X / h.W, h.Y / h.W};
    };
    for (std::size_t target : {std::size_t(5), g.table.Count() / 2, g.table.Count() - 1}) {
        const auto [tx, ty] = pixel(target);
        const float px = tx + 2, py = ty - 1;
        std::size_t nearest = 0;
        double best = 1e30;
        for (std::size_t i = 0; i < g.table.Count(); ++i) {
            const auto [x, y] = pixel(i);
            const double d = std::hypot(x - px, y - py);
            if (d < best)
                best = d, nearest = i;
        }
        const auto picked = PickStation(g.table, view, px, py, 6);
        ASSERT_TRUE(picked.has_value());
        EXPECT_EQ(*picked, nearest);
    }
    // A pixel that no station comes within 6 pixels of gives none.
    bool checked = false;
    for (float y = 3; y < 480 && !checked; y += 7)
        for (float x = 3; x < 640 && !checked; x += 7) {
            bool near = false;
            for (std::size_t i = 0; i < g.table.Count() && !near; ++i) {
                const auto [sx, sy] = pixel(i);
                near = std::hypot(sx - x, sy - y) <= 6.5;
            }
            if (!near) {
                EXPECT_FALSE(PickStation(g.table, view, x, y, 6).has_value()) << x << " " << y;
                checked = true;
            }
        }
    EXPECT_TRUE(checked);
}

TEST(Measure, GivesDistancesAndBearingOfTheLeg) {
    const TMeasurement m = Measure({10, 20, 5}, {40, 60, -5});
    EXPECT_DOUBLE_EQ(m.Horizontal, 50);
    EXPECT_DOUBLE_EQ(m.Slope, std::sqrt(2600.0));
    EXPECT_DOUBLE_EQ(m.Vertical, -10);
    EXPECT_NEAR(m.Bearing, std::atan(30.0 / 40.0) * 180 / M_PI, 1e-9);
    EXPECT_NEAR(Measure({0, 0, 0}, {-5, 0, 0}).Bearing, 270, 1e-9);
    EXPECT_NEAR(Measure({0, 0, 0}, {0, -5, 0}).Bearing, 180, 1e-9);
    EXPECT_EQ(Measure({1, 1, 1}, {1, 1, 9}).Bearing, 0); // a vertical leg
    EXPECT_EQ(MeasurementText("A1", "B7", Measure({0, 0, 0}, {0, 100, 0}), TLengthUnit::Meters),
              "A1 to B7: Slope 30.5 m  Horiz. 30.5 m  Vert. 0.0 m  Bearing 000.0\u00B0");
    EXPECT_EQ(MeasurementText("A", "B", Measure({0, 0, 0}, {-0.01, 100, 3}), TLengthUnit::Feet),
              "A to B: Slope 100.0 ft  Horiz. 100.0 ft  Vert. 3.0 ft  Bearing 000.0\u00B0");
}

TEST(ScaleBar, IsTheLongestRoundLengthThatFits) {
    EXPECT_EQ(ScaleBarFor(2.0, 300).Length, 100);
    EXPECT_EQ(ScaleBarFor(2.0, 300).Pixels, 200);
    EXPECT_EQ(ScaleBarFor(0.001, 300).Length, 200000);
    EXPECT_EQ(ScaleBarFor(37, 300).Length, 5);
    EXPECT_EQ(ScaleBarFor(0, 300).Pixels, 0);
    for (double perUnit = 0.0013; perUnit < 5000; perUnit *= 1.37) {
        const TScaleBar bar = ScaleBarFor(perUnit, 250);
        const double mantissa = bar.Length / std::pow(10.0, std::floor(std::log10(bar.Length)));
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                    std::fabs(mantissa - 5) < 1e-9)
            << bar.Length;
        EXPECT_LE(bar.Pixels, 250 + 1e-6);
        EXPECT_GT(bar.Pixels, 250 / 2.5 - 1e-6); // the next round length would not fit
    }
}

TEST(StationLabels, BoxesNeverOverlapAndFixedStationsComeFirst) {
    StartedViewer v;
    ResetPositions(v.s);
    v.s.CenterFrame->AddVisual(BoxMesh({-100, -100, -1}, {100, 100, 1}));
    ResetScale(v.s, v.core.Navigation, *v.s.CenterFrame, v.ui);
    TStationTable t;
    // A dense grid of stations; the fixed one last in file order, in the crowd's middle.
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j)
            t.Add("S" + std::to_string(i * 40 + j), -1, {}, {-95.f + i * 5, -95.f + j * 5, 0},
                  TStationRank::Other);
    t.Add("FIX", -1, {}, {0.5f, 0.5f, 0}, TStationRank::Fixed);
    t.Finish();
    TLabelStyle style;
    const auto labels = PlaceLabels(
        t, TViewProjection(v.s), [](std::uint32_t) { return 40.0f; }, style);
    ASSERT_GT(labels.size(), 10u);
    EXPECT_LT(labels.size(), t.Count());
    EXPECT_EQ(t.Name(labels.front().Station), "FIX");
    for (std::size_t a = 0; a < labels.size(); ++a) {
        EXPECT_GE(labels[a].Left, 0);
        EXPECT_LE(labels[a].Right, 640);
        for (std::size_t b = a + 1; b < labels.size(); ++b)
            EXPECT_FALSE(labels[a].Left < labels[b].Right && labels[b].Left < labels[a].Right &&
                         labels[a].Top < labels[b].Bottom && labels[b].Top < labels[a].Bottom)
                << a << " " << b;
    }
}

TEST(RedrawPolicy, DrawsOnOnlyWhileSomethingMovesByItself) {
    StartedViewer v;
    EXPECT_FALSE(KeepsDrawing(v.core)); // no model yet
    v.s.RenderEnabled = true;
    EXPECT_TRUE(KeepsDrawing(v.core)); // the start-up spin
    StopRotations(v.s);
    EXPECT_FALSE(KeepsDrawing(v.core));
    v.s.LightFrame->SetRotation(v.s.SceneFrame, 0, 1, 0, 0.1f); // any frame's spin
    EXPECT_TRUE(KeepsDrawing(v.core));
    v.s.LightFrame->SetRotation(v.s.SceneFrame, 0, 0, 0, 0);
    v.core.Look.LookActive = true;
    EXPECT_TRUE(KeepsDrawing(v.core));
    v.core.Look.LookActive = false;
    v.core.JoystickAvailable = true; // read once per drawn frame
    EXPECT_TRUE(KeepsDrawing(v.core));
}

TEST(ViewSettings, RoundTripAndKeepTheOtherSections) {
    lumora::test::TempDir dir;
    const std::string file = dir.File("lumora.ini");
    lumora::test::WriteFile(file, "[history]\r\nCount=1\r\nPath0=/caves/a.plt\r\n");
    TOverlaySettings overlays;
    overlays.Units = TLengthUnit::Meters;
    overlays.Compass = false;
    overlays.StationNames = true;
    TWindowPlacement window{true, 30, 40, 800, 600, true, 120};
    SaveViewSettings(file, overlays, window);
    TOverlaySettings readOverlays;
    TWindowPlacement readWindow;
    LoadViewSettings(file, readOverlays, readWindow);
    EXPECT_EQ(readOverlays.Units, TLengthUnit::Meters);
    EXPECT_FALSE(readOverlays.Compass);
    EXPECT_TRUE(readOverlays.StationNames);
    EXPECT_TRUE(readOverlays.ScaleBar);
    EXPECT_TRUE(readWindow.Known);
    EXPECT_EQ(readWindow.Left, 30);
    EXPECT_EQ(readWindow.Height, 600);
    EXPECT_TRUE(readWindow.Maximized);
    EXPECT_EQ(readWindow.HierarchyWidth, 120);
    const platform::IniFile ini(file);
    EXPECT_EQ(ini.ReadString("history", "Path0", ""), "/caves/a.plt");
}

TEST(ViewSettings, AMissingOrBrokenFileGivesTheDefaults) {
    lumora::test::TempDir dir;
    const std::string file = dir.File("lumora.ini");
    TOverlaySettings overlays;
    TWindowPlacement window;
    LoadViewSettings(file, overlays, window);
    EXPECT_FALSE(window.Known);
    lumora::test::WriteFile(file,
                            "[Window]\r\nWidth=abc\r\nHeight=-5\r\n[View]\r\nUnits=Yards\r\n");
    LoadViewSettings(file, overlays, window);
    EXPECT_FALSE(window.Known);
    EXPECT_EQ(overlays.Units, TLengthUnit::Feet);
}

} // namespace
} // namespace lumora::viewer::test
