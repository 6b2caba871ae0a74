// lumora video end to end: a turning flight around a generated cave drawn headless, read back by
// ffprobe (codec, fourcc, size, rate, frame count) and ffmpeg (the first picture against the
// one lumora render draws of the same view), as AVI and MP4; and the flags' failures.
#include "PixelScene.h"

#include "analysis/VideoPeer.h"
#include "support/TestSupport.h"

#include <QImage>

namespace lumora::test {
namespace {

CommandResult Video(const std::string& plot, const std::string& out, const std::string& flags) {
    return RunCommand(LumoraCli() + " video " + ShellQuote(plot) + " -o " + ShellQuote(out) + " " +
                      flags);
}

// The picture lumora render draws, as a frame (top row first).
analysis::TVideoFrame Rendered(const TempDir& dir, const std::string& plot,
                               const std::string& flags) {
    const std::string png = dir.File("view.png");
    const CommandResult run = RunCommand(LumoraCli() + " render -q " + ShellQuote(plot) + " -o " +
                                         ShellQuote(png) + " " + flags);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const QImage image =
        QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGBA8888);
    analysis::TVideoFrame frame;
    frame.Width = image.width();
    frame.Height = image.height();
    frame.BottomUp = false;
    frame.Rgba.assign(image.constBits(), image.constBits() + image.sizeInBytes());
    return frame;
}

TEST(VideoCommand, AnAviOfTheFlightHoldsEveryFrameAndStartsWithTheRenderedView) {
    LUMORA_REQUIRE_EGL();
    ASSERT_TRUE(HaveProgram("ffprobe")) << "ffprobe (package ffmpeg) is needed";
    TempDir dir;
    const std::string plot = GeneratedPlot(dir, 300);
    const std::string avi = dir.File("fly.avi");
    // 322 x 242 is cut down to 320 x 240; no spin, so the first frame is render's picture.
    const CommandResult run =
        Video(plot, avi, "--size 322x242 --pitch 30 --yaw 40 --yaw-rate 0 --seconds 1 --fps 12");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Out.find("Wrote " + avi + " (320x240, 12 frames at 12 fps, msvideo1"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Err.find("100%  12/12 frames"), std::string::npos) << run.Err;
    auto facts = ProbeVideo(avi);
    EXPECT_EQ(facts["codec_name"], "msvideo1") << facts["errors"];
    EXPECT_EQ(facts["codec_tag_string"], "MSVC");
    EXPECT_EQ(facts["width"], "320");
    EXPECT_EQ(facts["height"], "240");
    EXPECT_EQ(facts["r_frame_rate"], "12/1");
    EXPECT_EQ(facts["nb_read_frames"], "12");
    const auto rendered = Rendered(dir, plot, "--size 322x242 --pitch 30 --yaw 40");
    EXPECT_GE(Psnr(rendered, FirstFrameRgb(avi), 320, 240), 30.0);
}

TEST(VideoCommand, AnMp4IsH264WithEveryFrameAndTheModelTurnsFromFrameToFrame) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string plot = GeneratedPlot(dir, 300);
    const std::string mp4 = dir.File("fly.mp4");
    const CommandResult run =
        Video(plot, mp4, "-q --size 320x240 --pitch 30 --yaw-rate 0 --seconds 0.5 --fps 20");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, ""); // -q: no progress
    auto facts = ProbeVideo(mp4);
    EXPECT_EQ(facts["codec_name"], "h264") << facts["errors"];
    EXPECT_EQ(facts["width"], "320");
    EXPECT_EQ(facts["height"], "240");
    EXPECT_EQ(facts["r_frame_rate"], "20/1");
    EXPECT_EQ(facts["nb_read_frames"], "10");
    const auto rendered = Rendered(dir, plot, "--size 320x240 --pitch 30");
    EXPECT_GE(Psnr(rendered, FirstFrameRgb(mp4), 320, 240), 30.0);

    // A spin of 90 degrees a second: the last frame is no longer the first.
    const std::string turning = dir.File("turning.avi");
    ASSERT_EQ(Video(plot, turning, "-q --size 160x120 --yaw-rate 90 --seconds 1 --fps 4").ExitCode,
              0);
    const std::string last =
        RunCommand("ffmpeg -v error -i " + ShellQuote(turning) +
                   " -vf select='eq(n\\,3)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -")
            .Out;
    EXPECT_EQ(last.size(), 160u * 120 * 3);
    EXPECT_NE(last, FirstFrameRgb(turning));
}

TEST(VideoCommand, OtherExtensionsAndMissingFoldersFailBeforeAnyWorkAndLeaveNothing) {
    TempDir dir;
    const std::string plot = GeneratedPlot(dir, 300);
    const CommandResult mkv = Video(plot, dir.File("fly.mkv"), "-q");
    EXPECT_EQ(mkv.ExitCode, 1);
    EXPECT_NE(mkv.Err.find("fly.mkv: the video file must end in .avi"), std::string::npos)
        << mkv.Err;
    const std::string missing = dir.File("no such folder/fly.avi");
    const CommandResult folder = Video(plot, missing, "-q");
    EXPECT_EQ(folder.ExitCode, 1);
    EXPECT_NE(folder.Err.find(missing + ": "), std::string::npos) << folder.Err;
    const CommandResult rate = Video(plot, dir.File("fly.avi"), "-q --fps 0");
    EXPECT_NE(rate.ExitCode, 0);
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"cave.plt"});
}

} // namespace
} // namespace lumora::test
