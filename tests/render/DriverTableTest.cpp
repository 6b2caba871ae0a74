// The driver table: "Default" first, the depth check, the ranking, and a GL context's entry.
#include "platform/render/DriverTable.h"

#include <gtest/gtest.h>

namespace lumora::render {
namespace {

TFoundDriver Driver(const std::string& name, bool hardware, bool rgb,
                    std::uint32_t depths = 0x400 | 0x200 | 0x100) {
    TFoundDriver d;
    d.Entry.Name = name;
    d.Entry.Description = name + " driver";
    d.Entry.Hardware = hardware;
    d.Entry.RGB = rgb;
    d.Entry.Identifier = TDriverGuid{std::uint32_t(name.size()), 1, 2, {}};
    d.RenderDepths = depths;
    return d;
}

TEST(DriverTable, HardwareRgbDriverIsChosenOnASixteenBitScreen) {
    TDriverTable table;
    ScanDrivers(table,
                {Driver("Ramp", false, false), Driver("Accel", true, true),
                 Driver("RGB Emulation", false, true)},
                16);
    ASSERT_EQ(table.Entries.size(), 4u);
    EXPECT_EQ(table.Entries[0].Name, "Default");
    EXPECT_FALSE(table.Entries[0].Identifier.has_value());
    EXPECT_EQ(table.BestDriver, 2);
    EXPECT_EQ(table.CurrentDriver, 2);
}

TEST(DriverTable, KeepsOnlyTheFirstFourQualifyingDrivers) {
    TDriverTable table;
    std::vector<TFoundDriver> found;
    for (int i = 0; i < 6; ++i)
        found.push_back(Driver("D" + std::to_string(i), false, false));
    found.push_back(Driver("Late hardware", true, true));
    ScanDrivers(table, found, 32);
    ASSERT_EQ(table.Entries.size(), 5u);
    EXPECT_EQ(table.Entries[4].Name, "D3");
    EXPECT_EQ(table.BestDriver, 0); // all equal to "Default": the earlier one wins
}

TEST(DriverTable, SkipsDriversThatCannotDrawAtTheScreenDepth) {
    TDriverTable table;
    ScanDrivers(table, {Driver("Only 8 bit", true, true, 0x800), Driver("Mono", false, false)}, 24);
    ASSERT_EQ(table.Entries.size(), 2u);
    EXPECT_EQ(table.Entries[1].Name, "Mono");
    ScanDrivers(table, {Driver("Any", true, true, 0xFFFF)}, 15); // no flag for 15 bits
    EXPECT_EQ(table.Entries.size(), 1u);
    EXPECT_EQ(table.CurrentDriver, 0);
}

TEST(DriverTable, RankingPrefersHardwareThenRgbThenTheEarlier) {
    std::vector<TDriverEntry> entries(4);
    entries[1].RGB = true;
    entries[2].Hardware = true;
    entries[3].Hardware = true;
    entries[3].RGB = true;
    EXPECT_EQ(RankDrivers(entries), 3);
    entries[3].Hardware = false;
    EXPECT_EQ(RankDrivers(entries), 2); // hardware mono beats software RGB
}

TEST(DriverTable, DepthFlagsOfTheScreenDepths) {
    EXPECT_EQ(DepthFlag(1), 0x4000u);
    EXPECT_EQ(DepthFlag(8), 0x800u);
    EXPECT_EQ(DepthFlag(16), 0x400u);
    EXPECT_EQ(DepthFlag(24), 0x200u);
    EXPECT_EQ(DepthFlag(32), 0x100u);
    EXPECT_EQ(DepthFlag(12), 0u);
}

TEST(DriverTable, SoftwareRasteriserIsNotHardware) {
    const TFoundDriver soft =
        DescribeContext({"Mesa/X.org", "llvmpipe (LLVM 15.0.6, 256 bits)", "4.5 (Core Profile)"});
    EXPECT_FALSE(soft.Entry.Hardware);
    EXPECT_TRUE(soft.Entry.RGB);
    EXPECT_EQ(soft.Entry.Name, "llvmpipe (LLVM 15.0.6, 256 bits)");
    const TFoundDriver gpu =
        DescribeContext({"AMD", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", "4.6"});
    EXPECT_TRUE(gpu.Entry.Hardware);
    EXPECT_EQ(gpu.Entry.Name.size(), 50u); // cut to 50 characters
    ASSERT_TRUE(gpu.Entry.Identifier && soft.Entry.Identifier);
    EXPECT_NE(FormatDriverId(gpu.Entry.Identifier), FormatDriverId(soft.Entry.Identifier));
    TDriverTable table;
    ScanDrivers(table, {soft, gpu}, 32);
    EXPECT_EQ(table.BestDriver, 2);
}

TEST(DriverTable, IdentifierTextHasTheFourFields) {
    const TDriverGuid id{0x1A2B3C4D, 0x00EF, 0xBEEF, {1, 2, 3, 4, 5, 6, 0xAB, 0xCD}};
    EXPECT_EQ(FormatDriverId(id), "$1A2B3C4D,$00EF,$BEEF,$010203040506ABCD");
    EXPECT_EQ(FormatDriverId(std::nullopt), "None");
}

} // namespace
} // namespace lumora::render
