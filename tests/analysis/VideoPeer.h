// What the peer readers say about a video file: ffprobe's stream facts and key frames, ffmpeg's
// first decoded frame, and the PSNR of a picture against it.
#pragma once

#include "analysis/avilib.h"
#include "support/TestSupport.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace lumora::test {

// ffprobe's "key=value" lines of the first video stream, frames counted by decoding.
inline std::map<std::string, std::string> ProbeVideo(const std::string& file) {
    const CommandResult r =
        RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                   "stream=codec_name,codec_tag_string,width,height,r_frame_rate,nb_read_frames "
                   "-of default=nw=1 " +
                   ShellQuote(file));
    std::map<std::string, std::string> facts;
    facts["exit"] = std::to_string(r.ExitCode);
    facts["errors"] = r.Err;
    std::istringstream lines(r.Out);
    for (std::string line; std::getline(lines, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            facts[line.substr(0, eq)] = line.substr(eq + 1);
    return facts;
}

// Which packets the file's index marks as key frames, in order ("1000000100...").
inline std::string KeyFrames(const std::string& file) {
    const CommandResult r = RunCommand("ffprobe -v error -select_streams v:0 -show_entries "
                                       "packet=flags -of csv=p=0 " +
                                       ShellQuote(file));
    std::string flags;
    std::istringstream lines(r.Out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            flags += line[0] == 'K' ? '1' : '0';
    return flags;
}

// The first frame as ffmpeg decodes it: width x height x 3 bytes, R G B, top row first.
inline std::string FirstFrameRgb(const std::string& file) {
    return RunCommand("ffmpeg -v error -i " + ShellQuote(file) +
                      " -frames:v 1 -f rawvideo -pix_fmt rgb24 -")
        .Out;
}

// PSNR in dB of the decoded top-left picture against frame (its R, G and B).
inline double Psnr(const analysis::TVideoFrame& frame, const std::string& rgb, int width,
                   int height) {
    if (rgb.size() != std::size_t(width) * height * 3)
        return 0;
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        const int row = frame.BottomUp ? frame.Height - 1 - y : y;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const double a = frame.Rgba[(std::size_t(row) * frame.Width + x) * 4 + c];
                const double b =
                    static_cast<std::uint8_t>(rgb[(std::size_t(y) * width + x) * 3 + c]);
                sum += (a - b) * (a - b);
            }
    }
    const double mse = sum / (double(width) * height * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

} // namespace lumora::test
