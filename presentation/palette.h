#pragma once
// Colours as the game's windows store them, and the standard palette its rules pick from.
#include <algorithm>
#include <array>
#include <cstdint>

namespace talomir {

using Colour = std::uint32_t;  // 0x00BBGGRR, red in the low byte

inline constexpr std::array<Colour, 16> kQBColors = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// The standard 16-colour palette; out-of-range indices are clamped rather than read past the end.
inline Colour QBColor(int n) {
    return kQBColors[static_cast<std::size_t>(std::clamp(n, 0, 15))];
}

}  // namespace talomir
