// ViewCapture — the viewer's AVI capture: the options of "AVI Capture Options" and what follows
// from them (quality, frame interval, movie length), and the capture state of the viewer: the
// armed file, the pacing of captured frames by the microsecond clock and the frame limit.
#pragma once

#include "analysis/avilib.h"

#include <cstdint>
#include <string>

namespace lumora::analysis {

inline const char* const kFrameLimitText = "Frame Limit Exceeded\r\nAVI has been closed.";
inline const char* const kFileAccessErrorText = "File Access Error";

constexpr int kMinFramesPerSec = 1; // a rate of 0 would divide by zero: the dialog refuses it
constexpr int kMaxFramesPerSec = 100;
constexpr int kMaxCompression = 100; // percent
constexpr int kMinMaxFrames = 1, kMaxMaxFrames = 100000, kMaxFramesStep = 10;

struct TCaptureOptions {
    int FramesPerSec = 18;
    int Compression = 35; // percent
    int MaxFrames = 180;
    bool LimitMovieSize = true;
};

// The writer's quality of a compression in percent: (100 - compression) x 100.
int QualityOf(int compressionPercent);
// Microseconds between captured frames: 1000000 / framesPerSec, truncated (0 for a rate below 1).
std::uint32_t FrameInterval(int framesPerSec);
// The movie length of maxFrames at framesPerSec, whole seconds, as "M:SS" ("0:10").
std::string TimeText(int maxFrames, int framesPerSec);
// The microsecond clock of the capture's pacing: the steady clock in microseconds, held in an
// unsigned 32-bit number (it wraps about every 71.6 minutes; differences stay right across it).
std::uint32_t CaptureClock();

// What a drawn frame did to the capture.
enum class TCaptureEvent {
    None,         // no capture, or too soon after the last captured frame
    Captured,     // a frame was handed to the writer
    LimitReached, // ... and it was the last the limit allows: the file is closed
    Failed,       // the frame or an earlier one could not be written: the file is closed
};

class TViewerCapture {
public:
    explicit TViewerCapture(TVideoCapture::TWriterFactory factory = {}) : m_Capture(factory) {}

    // "&Arm AVI Capture..": the file the next capture writes.
    void Arm(const std::string& fileName) { m_Armed = fileName; }
    const std::string& ArmedFile() const { return m_Armed; }

    // Starts writing the armed file with options' rate and quality, from a view of width x
    // height pixels (cut down to multiples of 4) that grabber reads; now is CaptureClock().
    // Throws the writer's Error when the file cannot be made (the capture stays inactive).
    void StartCapture(const TCaptureOptions& options, TFrameGrabber grabber, int width, int height,
                      std::uint32_t now);
    // After every drawn frame: captures it when at least the interval has passed since the last
    // captured frame; closes the file at the frame limit or on a failure.
    TCaptureEvent OnFrameRendered(std::uint32_t now);
    // Stops an active capture. Throws the Error of a frame or of the close that failed.
    void StopCapture();

    bool Active() const { return m_Capture.Active(); }
    int FrameCount() const { return m_Count; }
    std::uint32_t Interval() const { return m_Interval; }
    const TVideoCapture& Capture() const { return m_Capture; }

private:
    TVideoCapture m_Capture;
    std::string m_Armed;
    std::uint32_t m_LastFrame = 0, m_Interval = 0;
    int m_Count = 0, m_Limit = 0;
    bool m_LimitOn = false;
};

} // namespace lumora::analysis
