// lumora passages: builds the passage walls of a plot file, counts them, and can write them as OBJ.
#include "CliUi.h"
#include "Commands.h"
#include "PassageFlags.h"

#include "passage/PassageLib.h"
#include "passage/PassageObj.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"

#include <charconv>
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace lumora::cli {

namespace {

using passage::T3DVector;

struct TPassagesArgs {
    std::string FileName;
    std::string ObjFileName;
    TWallFlags Walls; // over the initial values of the passage options
    bool Center = false;
    bool Quiet = false;
};

struct TPassageCounts {
    std::int64_t Walls = 0;
    std::int64_t Caps = 0;
    double Seconds = 0.0;
};

std::string Fixed(double value, int digits) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    return std::string(buffer, result.ptr);
}

// Stores the command's choices in the process's passage options, as every caller of a run does.
void StoreOptions(const TPassagesArgs& args) {
    passage::TPassageOptions& options = passage::PassageOptions();
    options = passage::TPassageOptions{};
    TWallChoices choices = ChoicesOf(options);
    args.Walls.ApplyGiven(choices);
    StoreChoices(choices, options);
    options.CenterOnCave = args.Center;
}

TPassageCounts Generate(passage::TObjMesh* mesh) {
    TPassageCounts counts;
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) {
        ++counts.Walls;
        if (mesh)
            mesh->AddQuad(p0, p1, p2, p3);
    };
    // The viewer's order: both caps face out of the tube.
    auto cap = [&](const T3DVector& centre, const T3DVector& a, const T3DVector& b, bool isStart) {
        ++counts.Caps;
        if (mesh && isStart)
            mesh->AddTriangle(centre, a, b);
        else if (mesh)
            mesh->AddTriangle(centre, b, a);
    };
    const auto start = std::chrono::steady_clock::now();
    passage::GeneratePassages(cap, wall, nullptr);
    counts.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return counts;
}

void RunPassages(const TPassagesArgs& args) {
    if (!args.ObjFileName.empty())
        if (const auto problem = platform::TargetProblem(args.ObjFileName))
            throw WriteError(args.ObjFileName + ": " + *problem);
    StoreOptions(args);
    if (passage::PassageOptions().MetricUnits)
        survey::ReadUnitSettings();
    CliUi ui;
    survey::LoadPlotFile(survey::PlotData(), args.FileName, {}, ui);
    const survey::TPlotCounts records = survey::CountPlotRecords(args.FileName);
    std::unique_ptr<passage::TObjMesh> mesh;
    if (!args.ObjFileName.empty())
        mesh = std::make_unique<passage::TObjMesh>();
    const TPassageCounts counts = Generate(mesh.get());
    const passage::TMeshEstimate estimate = passage::EstimatePassageMesh(
        records.DrawCount, records.EndCount, passage::PassageOptions());
    std::cout << "Wall quadrilaterals: " << counts.Walls << '\n'
              << "Cap triangles: " << counts.Caps << '\n'
              << "PolygonCount: " << passage::PassageRunState().PolygonCount << '\n'
              << "Estimate: " << estimate.Vertices << " vertices, " << estimate.Normals
              << " normals, " << estimate.Faces << " faces\n"
              << "Time: " << Fixed(counts.Seconds, 3) << " s\n";
    if (mesh) {
        mesh->Write(args.ObjFileName);
        std::cout << "OBJ: " << args.ObjFileName << " (" << mesh->VertexCount() << " vertices, "
                  << mesh->FaceCount() << " faces)\n";
    }
}

void AddOptionFlags(CLI::App& command, TPassagesArgs& args) {
    args.Walls.Add(command, ChoicesOf(passage::TPassageOptions{}));
    command.add_flag("--center", args.Center,
                     "Subtract the centre of the plot bounds" + DefaultText(false));
    AddQuietFlag(command, args.Quiet);
}

} // namespace

void AddPassagesCommand(CLI::App& app) {
    auto args = std::make_shared<TPassagesArgs>();
    CLI::App* command =
        app.add_subcommand("passages", "Build the passage walls of a plot file and count them");
    command->add_option("FILE", args->FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    AddOptionFlags(*command, *args);
    command->add_option("--obj", args->ObjFileName,
                        "Also write the walls and caps as a Wavefront OBJ file");
    command->callback([args] { RunPassages(*args); });
}

} // namespace lumora::cli
