#include "viewer/StationFind.h"

namespace lumora::viewer {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text) {
    // Greedy with one backtrack point: the last '*' seen and where its run ends in text.
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

TFindResult FindStations(const TStationTable& table, std::string_view pattern, std::size_t limit) {
    TFindResult result;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        if (!WildcardMatch(pattern, table.Name(i)))
            continue;
        if (result.Stations.size() < limit)
            result.Stations.push_back(std::uint32_t(i));
        ++result.Total;
    }
    return result;
}

} // namespace lumora::viewer
