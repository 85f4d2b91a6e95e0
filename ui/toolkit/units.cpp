#include "ui/toolkit/units.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>

namespace vb {

int twipsToPixels(int twips) {
    return int(std::lround(double(twips) / kTwipsPerPixel));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

void setTwipsGeometry(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

Color QBColor(int index) {
    static constexpr std::array<Color, 16> kPalette = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    return kPalette[std::size_t(std::clamp(index, 0, 15))];
}

namespace {

QPalette::ColorRole systemRole(unsigned index) {
    switch (index) {
        case 0x05:
            return QPalette::Base;  // window background
        case 0x08:
            return QPalette::Text;  // window text
        case 0x0D:
            return QPalette::Highlight;
        case 0x0E:
            return QPalette::HighlightedText;
        case 0x10:
            return QPalette::Dark;  // button shadow
        case 0x12:
            return QPalette::ButtonText;
        case 0x14:
            return QPalette::Light;  // 3-D highlight
        case 0x15:
            return QPalette::Shadow;  // 3-D dark shadow
        default:
            return QPalette::Button;  // button face and everything else
    }
}

}  // namespace

QColor toQColor(Color value) {
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        return palette.color(QPalette::Active, systemRole(value & 0xFFu));
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

Color toColor(const QColor& colour) {
    const QRgb rgb = colour.rgb();
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

std::uint32_t toArgb(Color value) {
    if (value & 0x80000000u) return toQColor(value).rgb();
    return 0xFF000000u | ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

}  // namespace vb
