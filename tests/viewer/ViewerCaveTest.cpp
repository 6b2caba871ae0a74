// The cave builder working on the viewer's own scene: what a processed plot file leaves in the
// model frame, the scale and placement it takes, and the state an abort leaves behind.
#include "ViewerTestScene.h"

#include "support/TestSupport.h"
#include "viewer/ViewerCave.h"

namespace lumora::viewer::test {
namespace {

// surveys side by side (100 feet apart), each of shots 10-foot shots east with passage
// dimensions of 2 feet.
std::string StraightSurvey(int shots, int surveys = 1) {
    std::string text = "Z 0 " + std::to_string(surveys * 100) + " 0 " + std::to_string(shots * 10) +
                       " 0 0\r\nSMain\r\n";
    for (int n = 0; n < surveys; ++n) {
        text += "NS" + std::to_string(n) + " D 1 1 2000 C\r\n";
        for (int i = 0; i <= shots; ++i)
            text += std::string(i == 0 ? "M " : "D ") + std::to_string(n * 100) + " " +
                    std::to_string(i * 10) + " 0 SA" + std::to_string(n) + "." + std::to_string(i) +
                    " P 2 2 2 2 I 1.00\r\n";
        text += "X 0 0 0 0 0 0\r\n";
    }
    return text;
}

struct CaveOnViewer : StartedViewer {
    TViewerCave Cave{s, core.Navigation, ui};
    passage::TCaveProgress Progress;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;
    passage::TCaveBuild Build{Cave, Progress, ui, Data, Options, State};
    lumora::test::TempDir Dir;

    bool Process(const std::string& text) {
        const std::string file = Dir.File("cave.plt");
        lumora::test::WriteFile(file, text);
        return passage::ProcessCaveFile(Build, file);
    }
};

TEST(ViewerCave, ProcessedCaveIsScaledToAThousandUnitsInFrontOfTheCamera) {
    CaveOnViewer v;
    v.s.WrapRelative = true;
    ASSERT_TRUE(v.Process(StraightSurvey(10)));
    const float extent = ModelExtent(*v.s.CenterFrame);
    EXPECT_NEAR(extent * v.s.CenterFrame->GetTransform().M[0][0], 1000, 0.5);
    EXPECT_FLOAT_EQ(v.core.Navigation.ModelSize, extent);
    EXPECT_EQ(v.core.Navigation.ZoomScale, 1000);
    scene::Vector model, camera;
    v.s.CenterFrame->GetPosition(v.s.SceneFrame.get(), model);
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), camera);
    ExpectNear(model, {-2, 2, 10});
    ExpectNear(camera, {5, -5, -2000});
    EXPECT_TRUE(v.s.RenderEnabled);
    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_EQ(v.s.SceneFrame->GetSceneBackground(), 0xFE404040u);
    EXPECT_TRUE(v.ui.Warnings.empty());
}

TEST(ViewerCave, ANewCaveReplacesTheOldModelAndItsBoundingBox) {
    CaveOnViewer v;
    ASSERT_TRUE(v.Process(StraightSurvey(3)));
    ASSERT_EQ(ToggleBoundingBox(v.s), scene::Result::Ok);
    ASSERT_TRUE(v.s.BoundingBoxChecked);
    ASSERT_TRUE(v.Process(StraightSurvey(4)));
    EXPECT_FALSE(v.s.BoundingBoxChecked);
    for (const auto& visual : v.s.CenterFrame->GetVisuals())
        EXPECT_EQ(visual->GetAppData(), std::uint32_t(passage::kKindPassages));
    EXPECT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
}

TEST(ViewerCave, AbortWhileReadingLeavesTheModelEmptyAndDrawingOff) {
    CaveOnViewer v;
    v.ui.OnPendingEvents = [&v] { v.Data.AbortLoad = true; };
    EXPECT_FALSE(v.Process(StraightSurvey(5, 30)));
    EXPECT_TRUE(v.s.CenterFrame->GetVisuals().empty());
    EXPECT_FALSE(v.s.RenderEnabled);
}

} // namespace
} // namespace lumora::viewer::test
