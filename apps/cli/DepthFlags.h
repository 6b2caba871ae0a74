// The special effects flags of the commands that build a cave (render, video, export gltf):
// --depth-colors colours the passages by depth as "Color By Depth" does, --rock puts the rock
// texture on them as "Set Rock Texture" does.
#pragma once

#include "analysis/Colorbar.h"
#include "platform/UiServices.h"
#include "viewer/lvsupprt.h"

#include <CLI/CLI.hpp>

#include <optional>

namespace lumora::cli {

struct TDepthArgs {
    int Colors = 0;    // 12, 20, 24, 30 or 32 colours; 0: the passages keep their colour
    bool Rock = false; // the rock texture on the passages
};

// Adds --depth-colors [12|20|24|30|32] (24 when given without a number) and, with rock, --rock.
void AddDepthFlags(CLI::App& command, TDepthArgs& args, bool rock);

// On the cave built into the scene's model frame: the rock texture first (its white background
// would otherwise wash the depth colours out of the meshes), then the depth colours. Returns the
// bar the cave was coloured with, or nothing without --depth-colors. Throws Error when the rock
// texture cannot be made.
std::optional<analysis::TColorBar> ApplyDepthFlags(const TDepthArgs& args,
                                                   viewer::TViewerScene& scene, UiServices& ui);

} // namespace lumora::cli
