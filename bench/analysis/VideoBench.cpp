// Speed of the AVI capture at 1024 x 768: Microsoft Video 1 encoding of one frame (the worker's
// cost), the hand-off of a read-back frame to the worker (the drawing thread's cost beside the
// read-back itself, which render_bench measures), and a capture's frames per second end to end.
#include "analysis/avilib.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

using namespace lumora::analysis;

constexpr int kWidth = 1024, kHeight = 768;

// A picture like a drawn cave: a grey background, shaded red bands and some fine detail.
TVideoFrame CaveLikeFrame(int shift) {
    TVideoFrame f;
    f.Width = kWidth;
    f.Height = kHeight;
    f.Rgba.resize(std::size_t(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &f.Rgba[(std::size_t(y) * kWidth + x) * 4];
            const int band = ((x + shift) / 40 + y / 30) % 5;
            const bool wall = band < 2;
            const int shade = wall ? 90 + (x + y + shift) % 120 : 64;
            p[0] = std::uint8_t(wall ? shade + 40 : 64);
            p[1] = std::uint8_t(wall ? shade / 3 : 64);
            p[2] = std::uint8_t(wall ? shade / 4 : 64);
            p[3] = 255;
        }
    return f;
}

std::string TempFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_EncodeMsvcFrame(benchmark::State& state) {
    const TVideoFrame frames[2] = {CaveLikeFrame(0), CaveLikeFrame(7)};
    TVideoWriter writer;
    writer.Open(kWidth, kHeight, TempFile("lumora-video-bench.avi"));
    int n = 0;
    for (auto _ : state)
        writer.WriteFrame(frames[n++ % 2]);
    writer.Close();
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(TempFile("lumora-video-bench.avi"));
}
BENCHMARK(BM_EncodeMsvcFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The drawing thread's part of a captured frame beside glReadPixels: the copy of a read-back
// picture (as the read-back writes it) and the hand-off; paced at 18 frames per second, as the
// viewer captures, so the worker keeps up and the queue never holds the drawing back.
void BM_CaptureHandOff(benchmark::State& state) {
    const TVideoFrame source = CaveLikeFrame(0);
    TVideoCapture capture;
    capture.Start(
        TempFile("lumora-capture-bench.avi"),
        [&source](TVideoFrame& frame) {
            frame.Width = source.Width;
            frame.Height = source.Height;
            frame.Rgba.resize(source.Rgba.size());
            std::memcpy(frame.Rgba.data(), source.Rgba.data(), source.Rgba.size());
        },
        6500, 18, kWidth, kHeight);
    for (auto _ : state) {
        const int handed = capture.CaptureFrame();
        state.PauseTiming();
        while (capture.FramesWritten() < handed)
            std::this_thread::yield();
        state.ResumeTiming();
    }
    capture.Stop();
    state.counters["encode_cpu_ms"] = capture.EncodeCpuSeconds() * 1000 / state.iterations();
    std::filesystem::remove(TempFile("lumora-capture-bench.avi"));
}
BENCHMARK(BM_CaptureHandOff)->Unit(benchmark::kMillisecond)->Iterations(36);

} // namespace
