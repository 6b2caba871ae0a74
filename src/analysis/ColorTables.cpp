#include "analysis/ColorTables.h"

#include <array>

namespace lumora::analysis {

namespace {

template <std::size_t N>
constexpr std::array<std::uint32_t, N> FromHex(const std::array<std::uint32_t, N>& rgb) {
    std::array<std::uint32_t, N> framework{};
    for (std::size_t i = 0; i < N; ++i)
        framework[i] = FromRgbHex(rgb[i]);
    return framework;
}

constexpr auto kDc12 =
    FromHex<13>({0x000000, 0x800000, 0xFF0000, 0xFFFF00, 0x808000, 0x00FF00, 0x008000, 0x008080,
                 0x00FFFF, 0x0000FF, 0x000080, 0x800080, 0xFF00FF});

constexpr auto kDc20 =
    FromHex<20>({0x000000, 0xFFFFFF, 0xBFBFBF, 0xA0A0A0, 0xBF80BF, 0xD000D0, 0xD000A0,
                 0xFF0000, 0xFF7F00, 0xFFBF00, 0xFFFF00, 0xBFFF00, 0x7FFF00, 0x00FF3F,
                 0x00FFBF, 0x00FFFF, 0x00BFFF, 0x007FFF, 0x0000D0, 0x000080});

// Black, then red through yellow, green, cyan and blue to magenta and a pink red.
constexpr auto kDc24 =
    FromHex<24>({0x000000, 0xFF0000, 0xFF3F00, 0xFF7F00, 0xFFBF00, 0xFFFF00, 0xBFFF00, 0x7FFF00,
                 0x3FFF00, 0x00FF00, 0x00FF3F, 0x00FF7F, 0x00FFBF, 0x00FFFF, 0x00BFFF, 0x007FFF,
                 0x003FFF, 0x0000FF, 0x3F00FF, 0x7F00FF, 0xBF00FF, 0xFF00FF, 0xFF00BF, 0xFF007F});

constexpr auto kDc30 =
    FromHex<30>({0x000000, 0xFFFFFF, 0xD0D0D0, 0xBFBFBF, 0xA0A0A0, 0x808080, 0xD040D0, 0xFF00FF,
                 0xD000D0, 0x800080, 0xD00040, 0xFF0000, 0xFF3F00, 0xFF7F00, 0xFFBF00, 0xFFFF00,
                 0xBFFF00, 0x7FFF00, 0x3FFF00, 0x00FF00, 0x00FF3F, 0x00FF7F, 0x00FFBF, 0x00FFFF,
                 0x00BFFF, 0x007FFF, 0x003FFF, 0x0000FF, 0x0000D0, 0x000080});

// Black, then red with green falling from F0 to 00 in steps of 10, then red falling from F0 to
// 00 in steps of 10: FFF000 ... FF1000 FF0000 F00000 ... 100000 000000.
constexpr std::array<std::uint32_t, 33> Dc32() {
    std::array<std::uint32_t, 33> rgb{};
    rgb[0] = 0x000000;
    for (std::uint32_t i = 0; i < 16; ++i)
        rgb[1 + i] = 0xFF0000 | ((0xF0 - 0x10 * i) << 8);
    for (std::uint32_t i = 0; i < 16; ++i)
        rgb[17 + i] = (0xF0 - 0x10 * i) << 16;
    return FromHex(rgb);
}
constexpr auto kDc32 = Dc32();

} // namespace

std::span<const std::uint32_t> ColorTable(TColorCount count) {
    switch (count) {
    case TColorCount::dc12:
        return kDc12;
    case TColorCount::dc20:
        return kDc20;
    case TColorCount::dc24:
        return kDc24;
    case TColorCount::dc30:
        return kDc30;
    case TColorCount::dc32:
        return kDc32;
    }
    return kDc12;
}

} // namespace lumora::analysis
