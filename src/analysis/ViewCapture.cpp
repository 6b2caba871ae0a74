#include "analysis/ViewCapture.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace lumora::analysis {

int QualityOf(int compressionPercent) {
    return (100 - compressionPercent) * 100;
}

std::uint32_t FrameInterval(int framesPerSec) {
    return framesPerSec < 1 ? 0 : 1000000u / std::uint32_t(framesPerSec);
}

std::string TimeText(int maxFrames, int framesPerSec) {
    const int seconds = framesPerSec < 1 ? 0 : maxFrames / framesPerSec;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::uint32_t CaptureClock() {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(micros.count());
}

void TViewerCapture::StartCapture(const TCaptureOptions& options, TFrameGrabber grabber, int width,
                                  int height, std::uint32_t now) {
    m_Capture.Start(m_Armed, std::move(grabber), QualityOf(options.Compression),
                    options.FramesPerSec, width, height);
    m_LastFrame = now;
    m_Interval = FrameInterval(options.FramesPerSec);
    m_Count = 0;
    m_Limit = options.MaxFrames;
    m_LimitOn = options.LimitMovieSize;
}

TCaptureEvent TViewerCapture::OnFrameRendered(std::uint32_t now) {
    if (!m_Capture.Active() || std::uint32_t(now - m_LastFrame) < m_Interval)
        return TCaptureEvent::None;
    try {
        m_Capture.CaptureFrame();
        m_LastFrame = now;
        ++m_Count;
        if (m_LimitOn && m_Count >= m_Limit) {
            m_Capture.Stop();
            return TCaptureEvent::LimitReached;
        }
    } catch (const std::exception&) {
        try {
            m_Capture.Stop();
        } catch (const std::exception&) {
            // the failure is the one already met
        }
        return TCaptureEvent::Failed;
    }
    return TCaptureEvent::Captured;
}

void TViewerCapture::StopCapture() {
    m_Capture.Stop();
}

} // namespace lumora::analysis
