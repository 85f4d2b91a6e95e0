#pragma once
// Numeric types and conversions of the game's arithmetic: 16-bit Integer, 32-bit Long, 8-bit Byte,
// and conversions that round half to even.
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace talomir {

using Integer = std::int16_t;
using Long = std::int32_t;
using Byte = std::uint8_t;

// std::lrint rounds half to even under the default rounding mode; std::round would not.
inline Long CLng(double x) {
    return static_cast<Long>(std::lrint(x));
}
inline Integer CInt(double x) {
    return static_cast<Integer>(std::lrint(x));
}

// 16-bit sum that stays inside the Integer range instead of wrapping.
inline Integer addClamped16(long a, long b) {
    using Limits = std::numeric_limits<Integer>;
    return static_cast<Integer>(std::clamp<long>(a + b, Limits::min(), Limits::max()));
}

// Decimal text of a number, no blanks and no group separators.
inline QString CStr(long n) {
    return QString::number(n);
}
inline QString CStr(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    return QString::number(v, 'g', 15);
}

// The Windows virtual-key codes of the keys the game reads, as its key handlers take them.
namespace vk {
inline constexpr int Escape = 27;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
}  // namespace vk

}  // namespace talomir
