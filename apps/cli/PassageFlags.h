// The command-line flags of the passage options, shared by every command that builds passages.
#pragma once

#include "passage/CrossSection.h"

#include <CLI/CLI.hpp>

#include <map>
#include <string>

namespace lumora::cli {

// Adds --shape, --round, --corner, --substitute, --no-expand, --seal, --no-merge, --no-vertical,
// --vertical, --hidden and --metric. Args holds the options and the NoExpand, NoMerge and
// NoVertical flags that turn defaults off.
template <class TArgs> void AddPassageFlags(CLI::App& command, TArgs& args) {
    passage::TPassageOptions& o = args.Options;
    const std::map<std::string, passage::TPassShape> shapes{
        {"square", passage::TPassShape::Square},
        {"diamond", passage::TPassShape::Diamond},
        {"octagon", passage::TPassShape::Octagon}};
    command.add_option("--shape", o.PassShape, "Cross-section shape (default octagon)")
        ->transform(CLI::CheckedTransformer(shapes, CLI::ignore_case));
    command.add_option("--round", o.RoundDepth, "Rounding passes (default 1)")
        ->check(CLI::IsMember({0, 1, 2}));
    command
        .add_option("--corner", o.CornerThreshold,
                    "Round stations turning by more than DEG degrees (default 20)")
        ->check(CLI::Range(0.0, 180.0));
    command
        .add_option("--substitute", o.SubstituteDiam,
                    "Dimension in feet for stations without any; 0 none (default 2)")
        ->check(CLI::NonNegativeNumber);
    command.add_flag("--no-expand", args.NoExpand,
                     "Do not fill missing dimensions from neighbours");
    command.add_flag("--seal", o.SealEnds, "Close the ends of every traverse");
    command.add_flag("--no-merge", args.NoMerge, "Do not average the rings meeting at a station");
    command.add_flag("--no-vertical", args.NoVertical, "No horizontal rings on steep shots");
    command
        .add_option("--vertical", o.VerticalThreshold,
                    "Inclination in degrees from which a shot is steep (default 50)")
        ->check(CLI::Range(0.0, 90.0));
    command.add_flag("--hidden", o.IncludeHiddenShots, "Also use hidden shots");
    command.add_flag("--metric", o.MetricUnits, "Positions and dimensions in metres");
}

} // namespace lumora::cli
