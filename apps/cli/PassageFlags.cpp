#include "PassageFlags.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string>

namespace lumora::cli {

namespace {

using TField = std::function<void(TWallChoices& to, const TWallChoices& from)>;

std::string Number(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

const char* ShapeName(int shape) {
    static const char* const kNames[] = {"square", "diamond", "octagon"};
    return kNames[std::clamp(shape, 0, 2)];
}

class THelpFormatter : public CLI::Formatter {
public:
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        if (positional)
            return CLI::Formatter::make_option_name(option, positional);
        std::vector<std::string> names;
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        return CLI::detail::join(names);
    }
};

} // namespace

std::string DefaultText(bool on) {
    return on ? " (default: on)" : " (default: off)";
}

TWallChoices ChoicesOf(const passage::TPassageOptions& o) {
    TWallChoices c;
    c.Shape = static_cast<int>(o.PassShape);
    c.Round = o.RoundDepth;
    c.Corner = o.CornerThreshold;
    c.Substitute = o.SubstituteDiam;
    c.Expand = o.ExpandWalls;
    c.Merge = o.MergePass;
    c.Seal = o.SealEnds;
    c.Vertical = o.VerticalPrisms;
    c.VerticalThreshold = o.VerticalThreshold;
    c.Hidden = o.IncludeHiddenShots;
    c.Meters = o.MetricUnits;
    return c;
}

void StoreChoices(const TWallChoices& c, passage::TPassageOptions& o) {
    o.PassShape = static_cast<passage::TPassShape>(std::clamp(c.Shape, 0, 2));
    o.RoundDepth = c.Round;
    o.CornerThreshold = c.Corner;
    o.SubstituteDiam = c.Substitute;
    o.ExpandWalls = c.Expand;
    o.MergePass = c.Merge;
    o.SealEnds = c.Seal;
    o.VerticalPrisms = c.Vertical;
    o.VerticalThreshold = c.VerticalThreshold;
    o.IncludeHiddenShots = c.Hidden;
    o.MetricUnits = c.Meters;
}

TWallChoices ChoicesOf(const exporter::TExportOptions& o) {
    const exporter::TWallSettings& w = o.Walls;
    TWallChoices c;
    c.Shape = w.PassShape;
    c.Round = w.RoundDepth;
    c.Corner = w.CornerThreshold;
    c.Substitute = w.Substitute();
    c.Expand = w.ExpandWalls;
    c.Merge = w.MergePass;
    c.Seal = w.SealEnds;
    c.Vertical = w.VerticalPrisms;
    c.VerticalThreshold = w.VerticalThreshold;
    c.Hidden = o.ShowHidden;
    c.Meters = o.Meters;
    return c;
}

void StoreChoices(const TWallChoices& c, exporter::TExportOptions& o) {
    exporter::TWallSettings& w = o.Walls;
    w.PassShape = c.Shape;
    w.RoundDepth = c.Round;
    w.CornerThreshold = c.Corner;
    w.DoSubstitute = c.Substitute != 0.0;
    if (w.DoSubstitute)
        w.SubstituteDiam = c.Substitute;
    w.ExpandWalls = c.Expand;
    w.MergePass = c.Merge;
    w.SealEnds = c.Seal;
    w.VerticalPrisms = c.Vertical;
    w.VerticalThreshold = c.VerticalThreshold;
    o.ShowHidden = c.Hidden;
    o.Meters = c.Meters;
}

void TWallFlags::Add(CLI::App& command, const TWallChoices& d) {
    // Each flag writes into m_Given; ApplyGiven copies the given ones over the caller's choices.
    auto given = [this](CLI::Option* option, TField field) {
        m_Apply.push_back([this, option, field](TWallChoices& to) {
            if (option->count() > 0)
                field(to, m_Given);
        });
        return option;
    };
    auto toggle = [&](const std::string& names, bool& value, bool shown, const std::string& help,
                      TField field) {
        given(command.add_flag(names, value, help + DefaultText(shown)), std::move(field));
    };
    const std::map<std::string, int> shapes{{"square", 0}, {"diamond", 1}, {"octagon", 2}};
    given(command.add_option("--shape", m_Given.Shape,
                             std::string("Cross-section: square, diamond or octagon (default: ") +
                                 ShapeName(d.Shape) + ")"),
          [](TWallChoices& to, const TWallChoices& from) { to.Shape = from.Shape; })
        ->transform(CLI::CheckedTransformer(shapes, CLI::ignore_case))
        ->option_text("SHAPE");
    given(
        command.add_option("--round", m_Given.Round,
                           "Rounding passes 0, 1 or 2 (default: " + std::to_string(d.Round) + ")"),
        [](TWallChoices& to, const TWallChoices& from) { to.Round = from.Round; })
        ->check(CLI::IsMember({0, 1, 2}))
        ->option_text("N");
    given(command.add_option("--corner", m_Given.Corner,
                             "Round stations whose shots turn by more than DEG degrees, 0 to 180 "
                             "(default: " +
                                 Number(d.Corner) + ")"),
          [](TWallChoices& to, const TWallChoices& from) { to.Corner = from.Corner; })
        ->check(CLI::Range(0.0, 180.0))
        ->option_text("DEG");
    given(command.add_option("--substitute", m_Given.Substitute,
                             "Dimension given to stations without any, 0 to 90 feet; 0 gives "
                             "none (default: " +
                                 Number(d.Substitute) + ")"),
          [](TWallChoices& to, const TWallChoices& from) { to.Substitute = from.Substitute; })
        ->check(CLI::Range(0.0, 90.0))
        ->option_text("FEET");
    toggle("--expand,!--no-expand", m_Given.Expand, d.Expand,
           "Fill missing dimensions from the neighbouring station",
           [](TWallChoices& to, const TWallChoices& from) { to.Expand = from.Expand; });
    toggle("--merge,!--no-merge", m_Given.Merge, d.Merge,
           "Merge the passages that meet at a station",
           [](TWallChoices& to, const TWallChoices& from) { to.Merge = from.Merge; });
    toggle("--seal,!--no-seal", m_Given.Seal, d.Seal, "Close the ends of every passage",
           [](TWallChoices& to, const TWallChoices& from) { to.Seal = from.Seal; });
    toggle("--vertical,!--no-vertical", m_Given.Vertical, d.Vertical,
           "Horizontal rings on steep shots",
           [](TWallChoices& to, const TWallChoices& from) { to.Vertical = from.Vertical; });
    given(command.add_option("--vertical-threshold", m_Given.VerticalThreshold,
                             "Inclination from which a shot is steep, 0 to 90 degrees (default: " +
                                 Number(d.VerticalThreshold) + ")"),
          [](TWallChoices& to, const TWallChoices& from) {
              to.VerticalThreshold = from.VerticalThreshold;
          })
        ->check(CLI::Range(0.0, 90.0))
        ->option_text("DEG");
    toggle("--hidden,!--no-hidden", m_Given.Hidden, d.Hidden, "Include hidden shots",
           [](TWallChoices& to, const TWallChoices& from) { to.Hidden = from.Hidden; });
    toggle("--meters,--metric,!--feet", m_Given.Meters, d.Meters,
           "Positions and dimensions in metres (--meters or --metric) or feet (--feet)",
           [](TWallChoices& to, const TWallChoices& from) { to.Meters = from.Meters; });
}

void TWallFlags::ApplyGiven(TWallChoices& choices) const {
    for (const auto& apply : m_Apply)
        apply(choices);
}

void AddQuietFlag(CLI::App& command, bool& quiet) {
    command.add_flag("-q,--quiet", quiet, "No progress lines on stderr");
}

std::shared_ptr<CLI::Formatter> MakeHelpFormatter() {
    return std::make_shared<THelpFormatter>();
}

} // namespace lumora::cli
