#include "platform/render/DriverTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lumora::render {

namespace {

std::string Cut50(const std::string& text) {
    return text.substr(0, 50);
}

bool IsSoftwareRenderer(const std::string& renderer) {
    std::string lower = renderer;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* word :
         {"llvmpipe", "softpipe", "swrast", "software", "swiftshader", "lavapipe"})
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

// A stable identifier from the context's strings (FNV-1a spread over 16 bytes).
TDriverGuid GuidFrom(const std::string& text) {
    std::array<std::uint8_t, 16> bytes{};
    std::uint64_t h1 = 1469598103934665603ull, h2 = 1099511628211ull * 31;
    for (unsigned char c : text) {
        h1 = (h1 ^ c) * 1099511628211ull;
        h2 = (h2 ^ c) * 0x9E3779B97F4A7C15ull;
    }
    for (int i = 0; i < 8; ++i) {
        bytes[i] = std::uint8_t(h1 >> (8 * i));
        bytes[8 + i] = std::uint8_t(h2 >> (8 * i));
    }
    TDriverGuid g;
    g.Data1 = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    g.Data2 = std::uint16_t(bytes[4] | bytes[5] << 8);
    g.Data3 = std::uint16_t(bytes[6] | bytes[7] << 8);
    std::copy(bytes.begin() + 8, bytes.end(), g.Data4.begin());
    return g;
}

} // namespace

std::uint32_t DepthFlag(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return 0x4000;
    case 2:
        return 0x2000;
    case 4:
        return 0x1000;
    case 8:
        return 0x800;
    case 16:
        return 0x400;
    case 24:
        return 0x200;
    case 32:
        return 0x100;
    default:
        return 0;
    }
}

int RankDrivers(const std::vector<TDriverEntry>& entries) {
    int best = 0;
    for (int i = 1; i < int(entries.size()); ++i) {
        const TDriverEntry& e = entries[i];
        const TDriverEntry& b = entries[best];
        if ((e.Hardware && !b.Hardware) || (e.Hardware == b.Hardware && e.RGB && !b.RGB))
            best = i;
    }
    return best;
}

void ScanDrivers(TDriverTable& table, const std::vector<TFoundDriver>& found, int screenBits) {
    table.Entries.clear();
    table.CurrentDriver = 0;
    table.Entries.push_back({"Default", "Default", false, false, std::nullopt});
    const std::uint32_t flag = DepthFlag(screenBits);
    for (const TFoundDriver& driver : found) {
        if (!(driver.RenderDepths & flag))
            continue;
        if (table.Entries.size() < TDriverTable::kMaxEntries)
            table.Entries.push_back(driver.Entry);
    }
    table.BestDriver = RankDrivers(table.Entries);
    table.CurrentDriver = table.BestDriver;
}

TFoundDriver DescribeContext(const ContextInfo& info) {
    TFoundDriver driver;
    driver.Entry.Name = Cut50(info.Renderer);
    driver.Entry.Description = Cut50(info.Vendor + " " + info.Version);
    driver.Entry.RGB = true;
    driver.Entry.Hardware = !IsSoftwareRenderer(info.Renderer);
    driver.Entry.Identifier = GuidFrom(info.Vendor + "|" + info.Renderer + "|" + info.Version);
    driver.RenderDepths = DepthFlag(16) | DepthFlag(24) | DepthFlag(32);
    return driver;
}

std::string FormatDriverId(const std::optional<TDriverGuid>& id) {
    if (!id)
        return "None";
    char text[64];
    std::snprintf(text, sizeof text, "$%08X,$%04X,$%04X,$", unsigned(id->Data1),
                  unsigned(id->Data2), unsigned(id->Data3));
    std::string out = text;
    for (std::uint8_t b : id->Data4) {
        std::snprintf(text, sizeof text, "%02X", unsigned(b));
        out += text;
    }
    return out;
}

} // namespace lumora::render
