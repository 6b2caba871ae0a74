// A viewer core with its scene set up as at start-up, for the viewer's tests.
#pragma once

#include "support/RecordingUi.h"
#include "viewer/ViewerCore.h"

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

inline void ExpectNear(const scene::Vector& actual, const scene::Vector& expected,
                       float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

} // namespace lumora::viewer::test
