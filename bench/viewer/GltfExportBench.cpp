// Speed and size of glTF files: a generated 100,000-shot plot file built as the viewer builds it
// and written as .glb (plot file to file written), the write alone, and a 1,000,000-triangle .glb
// opened in the viewer and drawn offscreen (file to first frame).
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "platform/scene/GltfWriter.h"
#include "survey/PlotGenerator.h"
#include "viewer/GltfSave.h"
#include "viewer/ViewerCave.h"
#include "viewer/lvsave.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

using namespace lumora;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("lumora-gltf-bench-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// A generated plot file of that many station lines, made once.
const std::string& CaveFile(std::int64_t stations) {
    static std::map<std::int64_t, std::string> files;
    std::string& file = files[stations];
    if (file.empty()) {
        file = TempFile(std::to_string(stations) + ".plt");
        survey::TGenOptions options;
        options.Stations = stations;
        survey::GeneratePlotFile(file, options);
    }
    return file;
}

// The viewer's scene with a cave built into it, as "Process File" builds it.
struct CaveScene {
    SilentUi Ui;
    viewer::TViewerScene Scene;
    viewer::TNavigation Navigation;
    viewer::TViewerCave Cave{Scene, Navigation, Ui};
    passage::TCaveProgress Progress;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;

    explicit CaveScene(std::int64_t stations) {
        viewer::CreateScene(Scene);
        passage::TCaveBuild build{Cave, Progress, Ui, Data, Options, State};
        if (!passage::ProcessCaveFile(build, CaveFile(stations)))
            throw std::runtime_error("the cave was not built");
    }
    scene::GltfCounts Write(const std::string& path) {
        std::string reason;
        scene::GltfCounts counts;
        const auto options =
            viewer::ModelGltfOptions(*Scene.CenterFrame, Data, Options, /*binary=*/true);
        if (scene::WriteGltfFile(*Scene.CenterFrame, path, options, &reason, &counts) !=
            scene::Result::Ok)
            throw std::runtime_error(reason);
        return counts;
    }
};

void Report(benchmark::State& state, const scene::GltfCounts& counts, const std::string& path) {
    const double bytes = double(std::filesystem::file_size(path));
    state.counters["triangles"] = double(counts.Triangles);
    state.counters["bytes/triangle"] = bytes / double(counts.Triangles);
    state.counters["triangles/s"] = benchmark::Counter(
        double(counts.Triangles) * double(state.iterations()), benchmark::Counter::kIsRate);
    std::filesystem::remove(path);
}

// The whole road of `lumora export gltf`: read, passages, normals, glTF written.
void BM_PlotFileToGlb(benchmark::State& state) {
    CaveFile(state.range(0));
    const std::string path = TempFile("cave.glb");
    scene::GltfCounts counts;
    for (auto _ : state) {
        CaveScene cave(state.range(0));
        counts = cave.Write(path);
    }
    state.counters["shots"] = double(state.range(0));
    Report(state, counts, path);
}
BENCHMARK(BM_PlotFileToGlb)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The glTF write alone, of a cave already in the scene.
void BM_GlbWrite(benchmark::State& state) {
    CaveScene cave(state.range(0));
    const std::string path = TempFile("write.glb");
    scene::GltfCounts counts;
    for (auto _ : state)
        counts = cave.Write(path);
    Report(state, counts, path);
}
BENCHMARK(BM_GlbWrite)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A .glb of about a million triangles, written once from a generated cave.
const std::string& MillionTriangleGlb() {
    static const std::string path = [] {
        const std::string file = TempFile("million.glb");
        CaveScene(50000).Write(file);
        return file;
    }();
    return path;
}

// "&Open Mesh..." on that file and the first frame drawn offscreen at 1024 x 768.
void BM_OpenGlbToFirstFrame(benchmark::State& state) {
    const std::string& file = MillionTriangleGlb();
    std::unique_ptr<render::HeadlessContext> context;
    try {
        context = std::make_unique<render::HeadlessContext>(1024, 768);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what()); // no EGL here: nothing to draw with
        return;
    }
    std::size_t faces = 0;
    for (auto _ : state) {
        render::GlRenderer renderer;
        SilentUi ui;
        viewer::TViewerCore core(ui);
        viewer::InitScene(core.Scene, 1024, 768);
        renderer.Install(*core.Scene.Device);
        if (!viewer::OpenMesh(core, file))
            throw std::runtime_error(file + ": not opened");
        core.Scene.SceneFrame->Move(1.0f);
        core.Scene.Viewport->Render(*core.Scene.SceneFrame);
        context->Finish();
        faces = core.LoadedBuilder->GetFaceCount();
    }
    state.counters["triangles"] = double(faces);
}
BENCHMARK(BM_OpenGlbToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
