// The command-line flags of the passage options, defined once for every command that builds
// passages (passages, render, mesh and every export), and the flags all commands share.
#pragma once

#include "exporter/ExportOptions.h"
#include "passage/CrossSection.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumora::cli {

// What the passage flags choose. Lengths in feet, angles in degrees.
struct TWallChoices {
    int Shape = 2; // 0 square, 1 diamond, 2 octagon
    int Round = 1; // rounding passes 0 to 2
    double Corner = 20.0;
    double Substitute = 2.0; // dimension of stations without any; 0 = no substitution
    bool Expand = true;
    bool Merge = true;
    bool Seal = false;
    bool Vertical = true;
    double VerticalThreshold = 50.0;
    bool Hidden = false; // include hidden shots
    bool Meters = false;
};

// The choices held by the viewer's passage options, and back.
TWallChoices ChoicesOf(const passage::TPassageOptions& options);
void StoreChoices(const TWallChoices& choices, passage::TPassageOptions& options);
// The choices held by the exporter's options (walls page, units, hidden shots), and back; a
// substitute of 0 unchecks "Sub. Miss. LRUDs" and keeps the diameter.
TWallChoices ChoicesOf(const exporter::TExportOptions& options);
void StoreChoices(const TWallChoices& choices, exporter::TExportOptions& options);

// The passage flags of one command. Each flag given on the command line replaces its choice;
// the others keep theirs, so the choices may come from a settings file first. Add once; the
// object must outlive the parse (the flags write into it).
class TWallFlags {
public:
    TWallFlags() = default;
    TWallFlags(const TWallFlags&) = delete; // the parser holds pointers into the object
    TWallFlags& operator=(const TWallFlags&) = delete;

    // Adds --shape, --round, --corner, --substitute, --expand/--no-expand, --merge/--no-merge,
    // --seal/--no-seal, --vertical/--no-vertical, --vertical-threshold, --hidden/--no-hidden and
    // --meters (alias --metric)/--feet; the help shows defaults as each flag's default.
    void Add(CLI::App& command, const TWallChoices& defaults);
    void ApplyGiven(TWallChoices& choices) const;

private:
    TWallChoices m_Given;
    std::vector<std::function<void(TWallChoices&)>> m_Apply;
};

// -q, --quiet: no progress lines on stderr (results, warnings and errors still print). Every
// command takes it, so scripts can pass it alike.
void AddQuietFlag(CLI::App& command, bool& quiet);

// The help layout of the program: a switch with a negated form is listed as "--seal,--no-seal"
// with its default in the description, without the parser's "{false}" marks.
std::shared_ptr<CLI::Formatter> MakeHelpFormatter();

// " (default: on)" or " (default: off)".
std::string DefaultText(bool on);

} // namespace lumora::cli
