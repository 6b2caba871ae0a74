// The colour tables as they are written down (RGB hex, entry 0 first), read back as framework
// colours (red in the lowest byte).
#include "analysis/ColorTables.h"

#include <gtest/gtest.h>

namespace lumora::test {
namespace {

using analysis::ColorTable;
using analysis::FromRgbHex;
using analysis::TColorCount;

TEST(ColorTables, SizesAndBlackFirst) {
    const std::pair<TColorCount, std::size_t> sizes[] = {{TColorCount::dc12, 13},
                                                         {TColorCount::dc20, 20},
                                                         {TColorCount::dc24, 24},
                                                         {TColorCount::dc30, 30},
                                                         {TColorCount::dc32, 33}};
    for (const auto& [count, size] : sizes) {
        EXPECT_EQ(ColorTable(count).size(), size);
        EXPECT_EQ(ColorTable(count)[0], 0u);
    }
}

TEST(ColorTables, FrameworkColoursHoldRedInTheLowestByte) {
    EXPECT_EQ(FromRgbHex(0xFF0000), 0x0000FFu);
    EXPECT_EQ(FromRgbHex(0x00FF00), 0x00FF00u);
    EXPECT_EQ(FromRgbHex(0x0000FF), 0xFF0000u);
    EXPECT_EQ(FromRgbHex(0x123456), 0x563412u);
}

TEST(ColorTables, TwentyFourColoursRedToPink) {
    const auto t = ColorTable(TColorCount::dc24);
    EXPECT_EQ(t[1], 0x0000FFu);  // FF0000
    EXPECT_EQ(t[2], 0x003FFFu);  // FF3F00
    EXPECT_EQ(t[5], 0x00FFFFu);  // FFFF00
    EXPECT_EQ(t[9], 0x00FF00u);  // 00FF00
    EXPECT_EQ(t[13], 0xFFFF00u); // 00FFFF
    EXPECT_EQ(t[17], 0xFF0000u); // 0000FF
    EXPECT_EQ(t[21], 0xFF00FFu); // FF00FF
    EXPECT_EQ(t[23], 0x7F00FFu); // FF007F
}

TEST(ColorTables, TheOtherTables) {
    EXPECT_EQ(ColorTable(TColorCount::dc12)[1], 0x000080u);  // 800000
    EXPECT_EQ(ColorTable(TColorCount::dc12)[12], 0xFF00FFu); // FF00FF
    EXPECT_EQ(ColorTable(TColorCount::dc20)[1], 0xFFFFFFu);
    EXPECT_EQ(ColorTable(TColorCount::dc20)[4], 0xBF80BFu);  // BF80BF
    EXPECT_EQ(ColorTable(TColorCount::dc20)[19], 0x800000u); // 000080
    EXPECT_EQ(ColorTable(TColorCount::dc30)[6], 0xD040D0u);  // D040D0
    EXPECT_EQ(ColorTable(TColorCount::dc30)[10], 0x4000D0u); // D00040
    EXPECT_EQ(ColorTable(TColorCount::dc30)[29], 0x800000u); // 000080
    // Red with green falling from F0 in steps of 10, then red itself falling.
    const auto t = ColorTable(TColorCount::dc32);
    EXPECT_EQ(t[1], FromRgbHex(0xFFF000));
    EXPECT_EQ(t[2], FromRgbHex(0xFFE000));
    EXPECT_EQ(t[15], FromRgbHex(0xFF1000));
    EXPECT_EQ(t[16], FromRgbHex(0xFF0000));
    EXPECT_EQ(t[17], FromRgbHex(0xF00000));
    EXPECT_EQ(t[31], FromRgbHex(0x100000));
    EXPECT_EQ(t[32], FromRgbHex(0x000000));
}

} // namespace
} // namespace lumora::test
