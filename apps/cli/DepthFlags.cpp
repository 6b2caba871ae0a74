#include "DepthFlags.h"

#include "analysis/lveffects.h"
#include "platform/Error.h"
#include "viewer/lvoutlin.h"
#include "viewer/lvtxture.h"

namespace lumora::cli {

namespace {

analysis::TColorCount CountOf(int colors) {
    switch (colors) {
    case 12:
        return analysis::TColorCount::dc12;
    case 20:
        return analysis::TColorCount::dc20;
    case 30:
        return analysis::TColorCount::dc30;
    case 32:
        return analysis::TColorCount::dc32;
    default:
        return analysis::TColorCount::dc24;
    }
}

} // namespace

void AddDepthFlags(CLI::App& command, TDepthArgs& args, bool rock) {
    command
        .add_option("--depth-colors", args.Colors,
                    "Colour the passages by depth, each face by its highest point, with the bar "
                    "of 12, 20, 24, 30 or 32 colours spread over the cave's elevations (24 when "
                    "no number is given)")
        ->expected(0, 1)
        ->default_str("24")
        ->check(CLI::IsMember({12, 20, 24, 30, 32}));
    if (rock)
        command.add_flag("--rock", args.Rock,
                         "Put the built-in rock texture on the passages (as \"Set Rock "
                         "Texture\"; it is drawn in place of their colours)");
}

std::optional<analysis::TColorBar> ApplyDepthFlags(const TDepthArgs& args,
                                                   viewer::TViewerScene& scene, UiServices& ui) {
    if (args.Colors == 0 && !args.Rock)
        return std::nullopt;
    viewer::THierarchy hierarchy;
    hierarchy.Refresh(scene.SceneFrame);
    if (args.Rock) {
        viewer::TTextures textures;
        if (!analysis::SetRockTexture(scene, textures, ui, hierarchy))
            throw Error("The rock texture could not be made");
    }
    if (args.Colors == 0)
        return std::nullopt;
    analysis::TColorBar bar;
    bar.SetColorCount(CountOf(args.Colors));
    analysis::TNoProgress progress;
    analysis::ColorByDepth(scene, hierarchy, bar, progress);
    return bar;
}

} // namespace lumora::cli
