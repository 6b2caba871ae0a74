// A viewer core with its scene set up as at start-up, for the viewer's tests.
#pragma once

#include "support/RecordingUi.h"
#include "viewer/ViewerCore.h"
#include "viewer/lvsave.h"

#include <gtest/gtest.h>

namespace lumora::viewer::test {

struct StartedViewer {
    lumora::test::RecordingUi ui;
    TViewerCore core{ui};
    TViewerScene& s = core.Scene;

    StartedViewer() {
        EXPECT_EQ(InitScene(s, 640, 480), scene::Result::Ok);
        core.RefreshHierarchy();
    }
};

// A mesh builder holding one axis-aligned box of the given corners.
inline scene::MeshBuilderPtr BoxMesh(const scene::Vector& min, const scene::Vector& max) {
    auto mesh = std::make_shared<scene::MeshBuilder>();
    AddBoxFaces(*mesh, min, max, kBlue, kBlue);
    return mesh;
}

// The progress window of a save as a log ("show N", "step", "hide"), and how many warnings had
// been shown when it was hidden.
class RecordingProgress : public TFileProgress {
public:
    explicit RecordingProgress(const lumora::test::RecordingUi& ui) : m_Ui(ui) {}
    void Show(int maximum) override { Log.push_back("show " + std::to_string(maximum)); }
    void StepIt() override { Log.push_back("step"); }
    void Hide() override {
        Log.push_back("hide");
        WarningsWhenHidden = m_Ui.Warnings.size();
    }
    std::vector<std::string> Log;
    std::size_t WarningsWhenHidden = 0;

private:
    const lumora::test::RecordingUi& m_Ui;
};

inline void ExpectNear(const scene::Vector& actual, const scene::Vector& expected,
                       float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

} // namespace lumora::viewer::test
