// lumora video: builds a plot file's cave as the viewer does and records a turning flight around
// it, drawn offscreen (no display needed), into an AVI file (Microsoft Video 1, the viewer's
// capture format) or an MP4 file (H.264), with a progress bar on stderr.
#include "CaveBuildCli.h"
#include "Commands.h"
#include "DepthFlags.h"
#include "ViewFlags.h"

#include "analysis/avilib.h"
#include "platform/Error.h"
#include "viewer/Turning.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace lumora::cli {

namespace {

constexpr double kDegreesPerRadian = 57.2957795131;
constexpr int kProgressWidth = 40; // characters of the bar

struct TVideoArgs {
    TCaveArgs Cave;
    std::string Output;
    TViewArgs View;
    TDepthArgs Depth;
    double Seconds = 10;
    int Fps = 18;
    double YawRate = 36; // degrees per second: a whole turn in 10 seconds
};

analysis::TVideoCodec CodecOf(const std::string& fileName) {
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".avi")
        return analysis::TVideoCodec::Msvc;
    if (extension == ".mp4")
        return analysis::TVideoCodec::H264;
    throw Error(fileName + ": the video file must end in .avi (Microsoft Video 1) or .mp4 (H.264)");
}

// "\r[#####.....]  45%  81/180 frames" on stderr, redrawn when the percentage changes.
class TProgressBar {
public:
    TProgressBar(bool quiet, int total) : m_Quiet(quiet), m_Total(total) {}
    void Show(int done) {
        const int percent = m_Total > 0 ? done * 100 / m_Total : 100;
        if (m_Quiet || percent == m_Shown)
            return;
        m_Shown = percent;
        const int filled = percent * kProgressWidth / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%  %d/%d frames", std::string(filled, '#').c_str(),
                     std::string(kProgressWidth - filled, '.').c_str(), percent, done, m_Total);
        if (done == m_Total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    bool m_Quiet;
    int m_Total;
    int m_Shown = -1;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RunVideo(const TVideoArgs& args) {
    const analysis::TVideoCodec codec = CodecOf(args.Output);
    if (const auto missing = analysis::MissingEncoder(codec))
        throw Error(args.Output + ": cannot write it: " + *missing);
    CheckOutput(args.Output);
    const int frames = int(std::lround(args.Seconds * args.Fps));
    if (frames < 1)
        throw Error("--seconds " + std::to_string(args.Seconds) + " at --fps " +
                    std::to_string(args.Fps) + " makes no frame");
    const auto start = std::chrono::steady_clock::now();
    CliUi ui;
    TCliCave cave(ui);
    TOffscreenView view(cave.Scene, args.View);
    if (analysis::CaptureSide(view.Width()) == 0 || analysis::CaptureSide(view.Height()) == 0)
        throw Error("--size: a video needs at least 4 x 4 pixels");
    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    ApplyDepthFlags(args.Depth, cave.Scene, ui);
    view.BeginFrames();
    // The viewer's Animate spin: the model turns about its own vertical axis once per frame.
    viewer::SetSpin(*cave.Scene.CenterFrame, cave.Scene.CenterFrame, {0, 1, 0},
                    float(args.YawRate / args.Fps / kDegreesPerRadian));
    analysis::TVideoCapture capture;
    const auto grab = [&view](analysis::TVideoFrame& frame) {
        frame.Width = view.Width();
        frame.Height = view.Height();
        frame.BottomUp = true;
        frame.Rgba.resize(std::size_t(frame.Width) * frame.Height * 4);
        view.ReadFrame(frame.Rgba.data());
    };
    capture.Start(args.Output, grab, analysis::TVideoWriter().Quality, args.Fps, view.Width(),
                  view.Height(), codec);
    const double building = SecondsSince(start);
    TProgressBar bar(args.Cave.Quiet, frames);
    double drawing = 0;
    for (int i = 0; i < frames; ++i) {
        const auto drawStart = std::chrono::steady_clock::now();
        view.DrawFrame();
        drawing += SecondsSince(drawStart);
        capture.CaptureFrame();
        bar.Show(i + 1);
    }
    const int width = capture.Width(), height = capture.Height();
    capture.Stop();
    const double total = SecondsSince(start);
    std::printf("Wrote %s (%dx%d, %d frames at %d fps, %s, %s) in %.1f s: cave %.1f s, drawing "
                "%.1f s, read-back and hand-off %.1f s (%.1f ms a frame, %.1f ms of processor "
                "time), encoding on a second thread %.1f s (%.1f ms of processor time a frame)\n",
                args.Output.c_str(), width, height, frames, args.Fps,
                codec == analysis::TVideoCodec::Msvc ? "msvideo1" : "h264",
                view.RendererName().c_str(), total, building, drawing, capture.GrabSeconds(),
                capture.GrabSeconds() * 1000 / frames, capture.GrabCpuSeconds() * 1000 / frames,
                capture.EncodeSeconds(), capture.EncodeCpuSeconds() * 1000 / frames);
}

} // namespace

void AddVideoCommand(CLI::App& app) {
    auto args = std::make_shared<TVideoArgs>();
    args->View.Pitch = 20; // a little from above, so that the floor's shape shows as it turns
    CLI::App* command = app.add_subcommand(
        "video", "Build a plot file's cave as the viewer does and record a turning flight around "
                 "it into an AVI (Microsoft Video 1) or MP4 (H.264) video");
    AddCaveFlags(*command, args->Cave);
    command->add_option("-o,--output", args->Output, "Video file to write: NAME.avi or NAME.mp4")
        ->required();
    AddViewFlags(*command, args->View);
    AddDepthFlags(*command, args->Depth, /*rock=*/false);
    command->add_option("--seconds", args->Seconds, "Length of the video in seconds")
        ->check(CLI::Range(0.05, 3600.0))
        ->capture_default_str();
    command->add_option("--fps", args->Fps, "Frames per second")
        ->check(CLI::Range(1, 100))
        ->capture_default_str();
    command
        ->add_option("--yaw-rate", args->YawRate,
                     "Turn of the model about its own vertical axis, degrees per second "
                     "(negative turns the other way)")
        ->check(CLI::Range(-3600.0, 3600.0))
        ->capture_default_str();
    command->callback([args] { RunVideo(*args); });
}

} // namespace lumora::cli
