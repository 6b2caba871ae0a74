// Fuzz target: the plot reader on arbitrary bytes. Every input loads or throws PlotFileError,
// keeping what was read; nothing else may escape.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lumora::survey::TPlotData plot;
    lumora::fuzz::LoadPlotBytes(data, size, plot);
    return 0;
}
