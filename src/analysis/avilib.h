// avilib — video files of the view: `TVideoWriter` encodes frames into an AVI file (Microsoft
// Video 1, fourcc MSVC) or an MP4 file (H.264), and `TVideoCapture` hands the frames of a drawing
// to a writer that encodes them on a worker thread, so drawing does not wait for the encoder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AVPacket;

namespace lumora::analysis {

// One picture read back from the drawing: 4 bytes a pixel in the order R, G, B, A (alpha
// unused), rows of Width pixels without gaps, the bottom row first when BottomUp (as OpenGL reads
// them), else the top row first.
struct TVideoFrame {
    int Width = 0, Height = 0;
    bool BottomUp = true;
    std::vector<std::uint8_t> Rgba;
};

enum class TVideoCodec {
    Msvc, // Microsoft Video 1 in an AVI file: the capture's format
    H264, // H.264 in an MP4 file
};

// Why this FFmpeg cannot write codec ("no H.264 encoder (libx264) in this FFmpeg"), or nothing.
std::optional<std::string> MissingEncoder(TVideoCodec codec);

// The size a writer takes: width and height cut down to multiples of 4 (what Microsoft Video 1
// needs); 0 when less than 4.
int CaptureSide(int pixels);

// Writes frames as the samples of one video stream. Not thread-safe: one thread uses it.
class TVideoWriter {
public:
    TVideoWriter();
    virtual ~TVideoWriter();
    TVideoWriter(const TVideoWriter&) = delete;
    TVideoWriter& operator=(const TVideoWriter&) = delete;

    TVideoCodec Codec = TVideoCodec::Msvc;
    int FrameRate = 18; // frames (samples) per second
    int FrameStep = 1;  // samples a frame adds to the position
    // 0..10000, written into the stream header's quality field; the encoder has no quality
    // setting of its own.
    int Quality = 6500;

    // Creates fileName's video stream for frames of width x height (multiples of 4). The file is
    // written beside its target and replaces it only at Close. Throws lumora::Error with the
    // failing step and the reason ("Unable to create AVI file (".avi"): Disk open error.",
    // "Unable to create Compression Stream: Suitable Compressor Not Found"); nothing is left
    // open or behind then.
    void Open(int width, int height, const std::string& fileName);
    // Appends one frame (its top-left width x height pixels; black where it is smaller) and
    // returns the next frame position. Throws "File not open" when closed, and "Unable to write
    // AVI Frame: File write error" (or another reason) when the frame cannot be written; the
    // frames written before stay, and Close still finishes the file with them.
    int WriteFrame(const TVideoFrame& frame);
    // Finishes the file (the encoder's last frames, the index, the quality) and puts it in place
    // of the target. Does nothing when not open. Throws "Unable to close AVI file: ..." when the
    // file cannot be finished: a file that holds frames then still replaces the target with the
    // frames written before the failure; one without frames is removed and the target left.
    void Close();
    // Closes without finishing: the temporary file is removed and the target left as it was. A
    // writer destroyed open does the same.
    void Discard();

    bool IsOpen() const;
    int FramePosition() const;
    int Width() const;
    int Height() const;
    // The temporary file the frames go to until Close; empty when not open.
    std::string TempPath() const;

protected:
    // Hands one encoded packet to the file: the seam where tests make a disk fail. Returns 0 or
    // a negative FFmpeg error.
    virtual int MuxPacket(AVPacket& packet);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Fills frame with the picture to capture (Width, Height and BottomUp as the picture has them;
// Rgba is reused from frame to frame, so a grabber that resizes it keeps its capacity). Runs on
// the drawing thread, with the drawing's context current.
using TFrameGrabber = std::function<void(TVideoFrame& frame)>;

// Frames of a drawing into a video file: CaptureFrame grabs on the caller's thread and queues the
// frame; a worker thread encodes and writes. Start, CaptureFrame and Stop run on one thread.
class TVideoCapture {
public:
    // Where the writer of a capture comes from (tests put in a writer that fails).
    using TWriterFactory = std::function<std::unique_ptr<TVideoWriter>()>;

    explicit TVideoCapture(TWriterFactory factory = {});
    ~TVideoCapture();
    TVideoCapture(const TVideoCapture&) = delete;
    TVideoCapture& operator=(const TVideoCapture&) = delete;

    // Opens fileName for frames of width x height (cut down to multiples of 4) at frameRate with
    // quality, and marks the capture active. Throws the writer's Error when the file cannot be
    // made; the capture stays inactive then. codec: AVI (the capture) or MP4.
    void Start(const std::string& fileName, TFrameGrabber grabber, int quality, int frameRate,
               int width, int height, TVideoCodec codec = TVideoCodec::Msvc);
    // Grabs one frame and queues it for the worker (waiting while the queue is full); returns the
    // frames handed over so far. Throws the worker's Error once a frame could not be written.
    int CaptureFrame();
    // Waits for the queued frames, finishes the file and marks the capture inactive. Throws the
    // Error of the first frame or the close that failed (the capture is inactive then too).
    void Stop();
    // Ends the capture without a file: the queued frames are dropped and the target is left as it
    // was. A capture destroyed while active does the same.
    void Abandon();

    bool Active() const;
    int Width() const;
    int Height() const;
    // Frames the worker has written so far.
    int FramesWritten() const;
    // Seconds the drawing thread spent in CaptureFrame (grabbing and handing over, waiting
    // included) and the worker in encoding and writing, since Start: wall time and each thread's
    // own processor time (what a loaded machine does not inflate).
    double GrabSeconds() const;
    double GrabCpuSeconds() const;
    double EncodeSeconds() const;
    double EncodeCpuSeconds() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace lumora::analysis
