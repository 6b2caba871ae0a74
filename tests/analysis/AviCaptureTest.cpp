// The video files of the capture: what ffprobe and ffmpeg read in them (codec, fourcc, size, rate,
// frame count, key frames, the first picture), the quality field, the result messages, the
// capture's options and pacing, its frame limit and what a failing disk leaves.
#include "analysis/AviResult.h"
#include "analysis/VideoPeer.h"
#include "analysis/ViewCapture.h"
#include "platform/Error.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/error.h>
}

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace lumora::test {
namespace {

using namespace analysis;

// A picture with smooth shading and sharp edges, like a drawn cave: a gradient background with a
// bright disc, moved by `shift` pixels. Bottom row first, as the drawing reads it.
TVideoFrame Picture(int width, int height, int shift = 0) {
    TVideoFrame f;
    f.Width = width;
    f.Height = height;
    f.Rgba.resize(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &f.Rgba[(std::size_t(y) * width + x) * 4];
            const int dx = x - width / 2 - shift, dy = y - height / 2;
            const bool disc = dx * dx + dy * dy < (height / 4) * (height / 4);
            p[0] = disc ? 230 : std::uint8_t(40 + 150 * x / width);
            p[1] = disc ? 90 : std::uint8_t(60 + 120 * y / height);
            p[2] = disc ? 40 : 110;
            p[3] = 255;
        }
    return f;
}

void CheckPeerReads(const std::string& file, int width, int height, int rate, int frames) {
    ASSERT_TRUE(HaveProgram("ffprobe")) << "ffprobe (package ffmpeg) is needed";
    auto facts = ProbeVideo(file);
    EXPECT_EQ(facts["exit"], "0") << facts["errors"];
    EXPECT_EQ(facts["codec_name"], "msvideo1");
    EXPECT_EQ(facts["codec_tag_string"], "MSVC");
    EXPECT_EQ(facts["width"], std::to_string(width));
    EXPECT_EQ(facts["height"], std::to_string(height));
    EXPECT_EQ(facts["r_frame_rate"], std::to_string(rate) + "/1");
    EXPECT_EQ(facts["nb_read_frames"], std::to_string(frames));
}

// The stream header's quality field of an AVI file (our own small read of the RIFF header).
std::int64_t StreamQuality(const std::string& file) {
    const std::string bytes = ReadFile(file).substr(0, 4096);
    for (auto at = bytes.find("strh"); at != std::string::npos; at = bytes.find("strh", at + 1))
        if (bytes.compare(at + 8, 4, "vids") == 0 && at + 8 + 44 <= bytes.size()) {
            std::uint32_t q = 0;
            std::memcpy(&q, bytes.data() + at + 8 + 40, 4); // after type, handler, flags, ...
            return q;
        }
    return -1;
}

TEST(AviResult, MessagesFollowTheTableAndUnknownCodesShowTheirHexadecimalValue) {
    EXPECT_EQ(AviResultText(kAviFileWrite), ": File write error");
    EXPECT_EQ(AviResultText(kAviFileOpen), ": Disk open error.");
    EXPECT_EQ(AviResultText(kAviNoCompressor), ": Suitable Compressor Not Found");
    EXPECT_EQ(AviResultText(kAviNoData), ": Files does not contains specified data type");
    EXPECT_EQ(AviResultText(kAviUnregistered), ": Unregistered File Type");
    EXPECT_EQ(AviResultText(0x8004ABCD), " Unknown Error: 8004ABCD");
    EXPECT_THROW(CheckAviResult(kAviBadSize, "Unable to write AVI Frame"), Error);
    EXPECT_NO_THROW(CheckAviResult(kAviOk, "never"));
}

TEST(AviResult, TheSystemsErrorsMapOntoOpenAndWriteFailures) {
    EXPECT_EQ(AviResultOf(AVERROR(ENOSPC), TAviStage::Write), kAviFileWrite);
    EXPECT_EQ(AviResultOf(AVERROR(EFBIG), TAviStage::Write), kAviFileWrite);
    EXPECT_EQ(AviResultOf(AVERROR(EACCES), TAviStage::Open), kAviFileOpen);
    EXPECT_EQ(AviResultOf(AVERROR(ENOENT), TAviStage::Open), kAviFileOpen);
    EXPECT_EQ(AviResultOf(AVERROR(ENOMEM), TAviStage::Write), kAviMemory);
    EXPECT_EQ(AviResultOf(AVERROR_ENCODER_NOT_FOUND, TAviStage::Open), kAviNoCompressor);
    EXPECT_EQ(AviResultOf(AVERROR_MUXER_NOT_FOUND, TAviStage::Open), kAviUnregistered);
    EXPECT_EQ(AviResultOf(AVERROR(EINVAL), TAviStage::Open), kAviBadParam);
    EXPECT_EQ(AviResultOf(0, TAviStage::Write), kAviOk);
}

TEST(VideoWriter, WritesAnAviThatFfprobeReadsWithEveryFrameKeyEverySevenAndTheQuality) {
    TempDir dir;
    const std::string file = dir.File("fly.avi");
    TVideoWriter writer;
    writer.Quality = 6500;
    writer.Open(64, 48, file);
    EXPECT_FALSE(std::filesystem::exists(file)); // beside it until complete
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(writer.WriteFrame(Picture(64, 48, i)), i + 1);
    writer.Close();
    CheckPeerReads(file, 64, 48, 18, 20);
    EXPECT_EQ(KeyFrames(file), "10000001000000100000");
    EXPECT_EQ(StreamQuality(file), 6500);
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"fly.avi"});
    EXPECT_THROW(writer.WriteFrame(Picture(64, 48)), Error); // "File not open"
}

TEST(VideoWriter, TheFirstDecodedFrameMatchesThePictureAndALargerFrameIsCroppedTopLeft) {
    TempDir dir;
    const std::string file = dir.File("crop.avi");
    const TVideoFrame big = Picture(130, 98);
    TVideoWriter writer;
    writer.FrameRate = 10;
    writer.Open(128, 96, file);
    writer.WriteFrame(big);
    writer.Close();
    CheckPeerReads(file, 128, 96, 10, 1);
    EXPECT_GE(Psnr(big, FirstFrameRgb(file), 128, 96), 30.0);
}

TEST(VideoWriter, OpenFailuresNameTheStepAndTheReasonAndLeaveNothing) {
    TempDir dir;
    TVideoWriter writer;
    try {
        writer.Open(64, 48, dir.File("no such folder/fly.avi"));
        ADD_FAILURE() << "opened";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unable to create AVI file (\".avi\"): Disk open error.");
    }
    EXPECT_FALSE(writer.IsOpen());
    try {
        writer.Open(62, 48, dir.File("odd.avi"));
        ADD_FAILURE() << "opened";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unable to create AVI stream: Bad size");
    }
    EXPECT_TRUE(FolderEntries(dir.Path().string()).empty());
}

TEST(CaptureOptions, QualityIntervalAndTimeFollowTheDialogsValues) {
    EXPECT_EQ(QualityOf(0), 10000);
    EXPECT_EQ(QualityOf(100), 0);
    EXPECT_EQ(QualityOf(35), 6500);
    EXPECT_EQ(FrameInterval(18), 55555u);
    EXPECT_EQ(FrameInterval(0), 0u);
    EXPECT_EQ(TimeText(65, 10), "0:06");
    EXPECT_EQ(TimeText(180, 18), "0:10");
    EXPECT_EQ(TimeText(100000, 1), "1666:40");
    EXPECT_EQ(CaptureSide(1023), 1020);
    EXPECT_EQ(CaptureSide(3), 0);
}

// A grabber of moving pictures of the given size, counting its calls.
TFrameGrabber MovingPictures(int width, int height, int& grabs) {
    return [width, height, &grabs](TVideoFrame& f) { f = Picture(width, height, grabs++ % 20); };
}

TEST(ViewerCapture, FramesComeAtMostAtTheRateAndTheLimitClosesTheFileAtIt) {
    TempDir dir;
    TViewerCapture capture;
    capture.Arm(dir.File("limit.avi"));
    TCaptureOptions options;
    options.MaxFrames = 180;
    int grabs = 0;
    std::uint32_t now = 0xFFFF0000u; // the clock wraps during the capture
    capture.StartCapture(options, MovingPictures(66, 50, grabs), 66, 50, now);
    EXPECT_EQ(capture.Interval(), 55555u);
    EXPECT_EQ(capture.OnFrameRendered(now + 55554), TCaptureEvent::None);
    TCaptureEvent last = TCaptureEvent::None;
    int events = 0;
    while (capture.Active() && events < 1000) {
        now += 55555;
        last = capture.OnFrameRendered(now);
        ++events;
    }
    EXPECT_EQ(last, TCaptureEvent::LimitReached);
    EXPECT_EQ(events, 180);
    EXPECT_EQ(capture.FrameCount(), 180);
    EXPECT_EQ(capture.OnFrameRendered(now + 10000000), TCaptureEvent::None);
    CheckPeerReads(dir.File("limit.avi"), 64, 48, 18, 180); // a 66 x 50 view cut to 64 x 48
    EXPECT_EQ(StreamQuality(dir.File("limit.avi")), 6500);
}

// A writer whose disk fails after `good` frames: the packet is refused as a full disk would.
class TFailingWriter : public TVideoWriter {
public:
    explicit TFailingWriter(int good) : m_Good(good) {}

protected:
    int MuxPacket(AVPacket& packet) override {
        if (m_Written >= m_Good)
            return AVERROR(ENOSPC);
        ++m_Written;
        return TVideoWriter::MuxPacket(packet);
    }

private:
    int m_Good, m_Written = 0;
};

TEST(ViewerCapture, AWriteFailureClosesTheCaptureAndTheFileKeepsTheFramesWrittenBefore) {
    TempDir dir;
    TViewerCapture capture([] { return std::make_unique<TFailingWriter>(12); });
    capture.Arm(dir.File("failing.avi"));
    TCaptureOptions options;
    options.LimitMovieSize = false;
    int grabs = 0;
    std::uint32_t now = 0;
    capture.StartCapture(options, MovingPictures(64, 48, grabs), 64, 48, now);
    TCaptureEvent last = TCaptureEvent::None;
    for (int i = 0; i < 400 && last != TCaptureEvent::Failed; ++i)
        last = capture.OnFrameRendered(now += 60000);
    EXPECT_EQ(last, TCaptureEvent::Failed);
    EXPECT_FALSE(capture.Active());
    CheckPeerReads(dir.File("failing.avi"), 64, 48, 18, 12);
}

TEST(ViewerCapture, AFullDiskClosesTheCaptureWithTheFramesThatReachedIt) {
    TempDir dir;
    TViewerCapture capture;
    capture.Arm(dir.File("full.avi"));
    TCaptureOptions options;
    options.LimitMovieSize = false;
    int grabs = 0;
    std::uint32_t now = 0;
    TCaptureEvent last = TCaptureEvent::None;
    {
        FileSizeLimit full(300000); // the frames of this picture take about 6 KB each
        capture.StartCapture(options, MovingPictures(128, 96, grabs), 128, 96, now);
        for (int i = 0; i < 2000 && last != TCaptureEvent::Failed; ++i)
            last = capture.OnFrameRendered(now += 60000);
    }
    EXPECT_EQ(last, TCaptureEvent::Failed);
    const auto facts = ProbeVideo(dir.File("full.avi"));
    EXPECT_EQ(facts.at("codec_name"), "msvideo1");
    EXPECT_GT(std::stoi(facts.at("nb_read_frames")), 10);
    EXPECT_LT(std::stoi(facts.at("nb_read_frames")), grabs);
}

TEST(ViewerCapture, AStartThatCannotCreateTheFileThrowsAndStaysInactive) {
    TempDir dir;
    TViewerCapture capture;
    capture.Arm(dir.File("missing/fly.avi"));
    int grabs = 0;
    EXPECT_THROW(capture.StartCapture({}, MovingPictures(64, 48, grabs), 64, 48, 0), Error);
    EXPECT_FALSE(capture.Active());
    EXPECT_EQ(capture.OnFrameRendered(1000000), TCaptureEvent::None);
    EXPECT_EQ(grabs, 0);
}

} // namespace
} // namespace lumora::test
