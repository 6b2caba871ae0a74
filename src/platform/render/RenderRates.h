// The render loop's clock and rates: the time between two drawn frames, and the frames and
// triangles per second shown in the status bar.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace lumora::render {

// Seconds of a counter reading: count * 1000000 / frequency microseconds, held in an unsigned
// 32-bit number (so it wraps about every 71.6 minutes), divided by 1000000.
double ClockSecondsFromCounter(std::uint64_t count, std::uint64_t frequency);
// The process's monotonic clock read that way.
double ClockSeconds();

class TRenderRates {
public:
    // clock gives seconds as ClockSeconds does; tests pass their own.
    explicit TRenderRates(std::function<double()> clock = ClockSeconds)
        : m_Clock(std::move(clock)) {}

    // TickDelta := seconds since the previous tick, or 0.001 when that is not above 0 (the
    // clock wrapped) or above 1 second.
    void Tick();
    double TickDelta() const { return m_TickDelta; }

    // Once per drawn frame, with the device's cumulative triangle count: ticks, counts the
    // frame, and after more than a second since the last rates works out new ones and returns
    // true.
    bool UpdateRates(std::uint32_t trianglesDrawn);
    // Drawing starts again after a pause: the next rates count from now, so the time the view
    // stood still does not lower them; the rates shown stay as they were until then.
    void Resume();
    double FramesPerSecond() const { return m_Fps; }
    double TrianglesPerSecond() const { return m_Tps; }

private:
    std::function<double()> m_Clock;
    double m_LastTick = 0, m_TickDelta = 0;
    int m_Frames = 0;
    double m_LastRateTime = 0;
    std::uint32_t m_LastTriangles = 0;
    double m_Fps = 0, m_Tps = 0;
};

// The " FPS:" text: fixed, no decimals ("24").
std::string FramesPerSecondText(double fps);
// The " TPS:" text: thousands separated by commas, no decimals ("48,210").
std::string TrianglesPerSecondText(double tps);

} // namespace lumora::render
