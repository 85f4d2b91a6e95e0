// Units of the window layer: twips for positions and sizes, &H00BBGGRR values for colours.
#pragma once

#include <QColor>
#include <QRect>
#include <cstdint>

class QWidget;

namespace vb {

// Positions and sizes are kept in twips; one device-independent pixel is 15 twips
// (96 dots per inch). Qt's high-DPI scaling maps those pixels to the screen.
inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel (halves away from zero).
int twipsToPixels(int twips);
// Twips to pixels without rounding.
inline constexpr double twipsToPixelsF(double twips) {
    return twips / kTwipsPerPixel;
}
// Pixels to twips (exact).
inline constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}
inline constexpr double pixelsToTwipsF(double pixels) {
    return pixels * kTwipsPerPixel;
}
// A rectangle given as Left, Top, Width, Height in twips, in pixels; each value is rounded
// on its own, as the design values are.
QRect twipsRect(int left, int top, int width, int height);
// Places a widget in its container: Left, Top, Width, Height in twips.
void setTwipsGeometry(QWidget* widget, int left, int top, int width, int height);

// A colour as the program stores it: &H00BBGGRR, red in the low byte. Values with the high
// bit set (&H800000nn) name a system colour nn.
using Color = std::uint32_t;

// The colour value r + 256 g + 65536 b; each component is taken modulo 256.
inline constexpr Color RGB(int r, int g, int b) {
    return Color(r & 0xFF) | (Color(g & 0xFF) << 8) | (Color(b & 0xFF) << 16);
}

// The 16-entry standard palette. An index outside 0..15 is clamped into it.
Color QBColor(int index);

// System colour values used by the design.
inline constexpr Color kSystemButtonFace = 0x8000000Fu;
inline constexpr Color kSystemButtonShadow = 0x80000010u;

// The colour to paint for a stored value. System colours come from the application palette
// (button shadow: QPalette::Dark; button face: QPalette::Button; unknown ones: the button face).
QColor toQColor(Color value);
// The stored value of a colour (alpha dropped). toColor(toQColor(v)) == v for every RGB value.
Color toColor(const QColor& colour);
// The same as toQColor(value).rgb() with full alpha, for writing pixels.
std::uint32_t toArgb(Color value);

}  // namespace vb
