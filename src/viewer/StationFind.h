// Finding stations by name: a pattern with '*' (any run of characters) and '?' (any one
// character), compared without regard to ASCII case.
#pragma once

#include "viewer/StationTable.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace lumora::viewer {

// True when text matches pattern as a whole.
bool WildcardMatch(std::string_view pattern, std::string_view text);

struct TFindResult {
    std::vector<std::uint32_t> Stations; // the first matches, in table order
    std::size_t Total = 0;               // every match
};

// The stations whose names match pattern: at most limit of them listed, all counted.
TFindResult FindStations(const TStationTable& table, std::string_view pattern,
                         std::size_t limit = 1000);

} // namespace lumora::viewer
