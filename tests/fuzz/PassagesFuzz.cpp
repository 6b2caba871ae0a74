// Fuzz target: the passage generator on whatever the plot reader made of arbitrary bytes, with
// options picked by the input's length and last byte.
#include "FuzzSupport.h"

#include "passage/PassageLib.h"
#include "platform/Error.h"

#include <cmath>
#include <cstdlib>

namespace {

// Caves this large cost seconds an input; the fuzzer learns more from many small ones.
constexpr std::int32_t kMaxShots = 5000;

void RequireFinite(const lumora::survey::T3DVector& p) {
    // A NaN corner would be a wrong wall in every writer.
    if (std::isnan(p.X) || std::isnan(p.Y) || std::isnan(p.Z))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    survey::TPlotData plot;
    if (!fuzz::LoadPlotBytes(data, size, plot) || plot.Shots.Count() > kMaxShots)
        return 0;
    const unsigned knobs = size > 0 ? data[size - 1] ^ static_cast<unsigned>(size) : 0;
    passage::TPassageOptions options;
    options.PassShape = static_cast<passage::TPassShape>(knobs % 3);
    options.RoundDepth = static_cast<std::int32_t>(knobs / 3 % 3);
    options.SealEnds = (knobs & 8) != 0;
    options.MergePass = (knobs & 16) != 0;
    options.ExpandWalls = (knobs & 32) != 0;
    options.IncludeHiddenShots = (knobs & 64) != 0;
    options.CenterOnCave = (knobs & 128) != 0;
    passage::TPassageRunState state;
    auto wall = [](const survey::T3DVector& a, const survey::T3DVector& b,
                   const survey::T3DVector& c, const survey::T3DVector& d) {
        RequireFinite(a);
        RequireFinite(b);
        RequireFinite(c);
        RequireFinite(d);
    };
    auto cap = [](const survey::T3DVector& centre, const survey::T3DVector& a,
                  const survey::T3DVector& b, bool) {
        RequireFinite(centre);
        RequireFinite(a);
        RequireFinite(b);
    };
    try {
        passage::GeneratePassages(plot, options, state, cap, wall, nullptr);
    } catch (const Error&) {
    }
    return 0;
}
