#include "platform/render/RenderRates.h"

#include <chrono>
#include <cmath>
#include <string>

namespace lumora::render {

double ClockSecondsFromCounter(std::uint64_t count, std::uint64_t frequency) {
    if (frequency == 0)
        return 0;
    const auto micros =
        static_cast<std::uint32_t>(static_cast<unsigned __int128>(count) * 1000000u / frequency);
    return micros / 1000000.0;
}

double ClockSeconds() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    using Period = std::chrono::steady_clock::period;
    const std::uint64_t frequency = Period::den / Period::num;
    return ClockSecondsFromCounter(static_cast<std::uint64_t>(ticks), frequency);
}

void TRenderRates::Tick() {
    const double now = m_Clock();
    m_TickDelta = now - m_LastTick;
    if (m_TickDelta <= 0 || m_TickDelta > 1.0)
        m_TickDelta = 0.001;
    m_LastTick = now;
}

bool TRenderRates::UpdateRates(std::uint32_t trianglesDrawn) {
    Tick();
    const double now = m_Clock();
    ++m_Frames;
    if (std::fabs(now - m_LastRateTime) <= 1.0)
        return false;
    double dt = now - m_LastRateTime;
    if (dt <= 0)
        dt = 1.0;
    m_Fps = 1.0 / (dt / m_Frames);
    m_Tps = static_cast<std::uint32_t>(trianglesDrawn - m_LastTriangles) / dt;
    m_LastTriangles = trianglesDrawn;
    m_LastRateTime = now;
    m_Frames = 0;
    return true;
}

std::string FramesPerSecondText(double fps) {
    return std::to_string(static_cast<long long>(std::nearbyint(fps)));
}

std::string TrianglesPerSecondText(double tps) {
    const std::string digits =
        std::to_string(static_cast<long long>(std::nearbyint(std::fabs(tps))));
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return tps < 0 && digits != "0" ? "-" + out : out;
}

void TRenderRates::Resume() {
    m_LastRateTime = m_Clock();
    m_Frames = 0;
}

} // namespace lumora::render
