// The list of 3D drivers the viewer can draw with, its ranking, and the entry that describes a
// GL context ("Default" always comes first).
#pragma once

#include "platform/render/GlRenderer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora::render {

// A driver identifier in the usual four-field form.
struct TDriverGuid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0, Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};
};

struct TDriverEntry {
    std::string Description;               // at most 50 characters
    std::string Name;                      // at most 50 characters; shown in the Devices dialog
    bool RGB = false;                      // the driver's colour model is RGB (otherwise mono)
    bool Hardware = false;                 // drawn by a graphics processor
    std::optional<TDriverGuid> Identifier; // none: the platform's default driver
};

// A driver as it was found, before the table's depth check.
struct TFoundDriver {
    TDriverEntry Entry;
    std::uint32_t RenderDepths = 0; // DepthFlag bits of the colour depths it can draw at
};

struct TDriverTable {
    static constexpr std::size_t kMaxEntries = 5;
    std::vector<TDriverEntry> Entries;
    int CurrentDriver = 0;
    int BestDriver = 0;
};

// The depth flag of a screen depth: 1 -> 0x4000, 2 -> 0x2000, 4 -> 0x1000, 8 -> 0x800,
// 16 -> 0x400, 24 -> 0x200, 32 -> 0x100; 0 for any other depth (no driver qualifies).
std::uint32_t DepthFlag(int bitsPerPixel);

// The index of the best entry: hardware beats software, among equals RGB beats mono, among
// equal entries the earlier one wins.
int RankDrivers(const std::vector<TDriverEntry>& entries);

// Fills the table: "Default" first, then every found driver that can draw at the screen depth,
// in the order found, while there is room (5 entries in all); CurrentDriver := BestDriver.
void ScanDrivers(TDriverTable& table, const std::vector<TFoundDriver>& found, int screenBits);

// The driver a GL context stands for: its renderer as name, vendor and version as description
// (each cut to 50 characters), RGB, hardware unless the renderer is a software rasteriser,
// drawing at 16, 24 and 32 bits, with an identifier made from the strings.
TFoundDriver DescribeContext(const ContextInfo& info);

// "$" + 8 hex digits + ",$" + 4 + ",$" + 4 + ",$" + 2 digits per byte of the last field, or
// "None" for the default driver.
std::string FormatDriverId(const std::optional<TDriverGuid>& id);

} // namespace lumora::render
