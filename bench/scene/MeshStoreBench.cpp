// Speed of the mesh store and of normal generation on a cave-sized set of wall quads.
#include "passage/MeshStore.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace lumora::scene;

namespace {

// Walls of a wandering tube of `shots` segments with an octagonal section: 8 quads per shot
// side plus 8 for the rounded corners, as the passage generator makes about 16 faces a shot.
void FillWalls(lumora::passage::TMeshArray& store, int shots) {
    constexpr int kSides = 16;
    Vector centre{0, 0, 0};
    for (int s = 0; s < shots; ++s) {
        const Vector next{centre.X + 10 * std::cos(s * 0.01f), centre.Y + std::sin(s * 0.1f),
                          centre.Z + 10 * std::sin(s * 0.013f)};
        for (int k = 0; k < kSides; ++k) {
            const float a0 = k * 6.2831853f / kSides, a1 = (k + 1) * 6.2831853f / kSides;
            const Vector o0{3 * std::cos(a0), 2 * std::sin(a0), 0};
            const Vector o1{3 * std::cos(a1), 2 * std::sin(a1), 0};
            store.AddQuad(0x0000FF, centre + o0, next + o0, next + o1, centre + o1);
        }
        centre = next;
    }
}

void BM_FillStoreAndGenerateNormals(benchmark::State& state) {
    const int shots = int(state.range(0));
    std::size_t faces = 0;
    for (auto _ : state) {
        Root root;
        lumora::passage::TMeshArray store(root, 1, "walls");
        FillWalls(store, shots);
        for (int m = 1; m <= store.Count(); ++m)
            store.Mesh(m)->GenerateNormals(1.9198622f, kNormalsCompact | kNormalsUseCrease);
        faces = 0;
        for (int m = 1; m <= store.Count(); ++m)
            faces += store.Mesh(m)->GetFaceCount();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["faces"] = double(faces);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(faces));
}

} // namespace

BENCHMARK(BM_FillStoreAndGenerateNormals)->Arg(100000)->Unit(benchmark::kMillisecond);
