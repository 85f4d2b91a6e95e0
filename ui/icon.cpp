#include "ui/icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>

namespace talomir::ui {

namespace {

constexpr qreal kUnits = 64;  // the picture's own coordinates, 0..64 on both axes
constexpr qreal kCell = 12;
constexpr qreal kOrigin = 8;  // the well's top-left cell

struct Shape {
    QRectF rect;
    qreal radius;
    QRgb color;  // with alpha
};

QRectF cell(int column, int row) {
    return {kOrigin + column * kCell + 1, kOrigin + row * kCell + 1, kCell - 2, kCell - 2};
}

std::vector<Shape> shapes() {
    struct Block {
        int column, row;
        QRgb color;
    };
    constexpr QRgb kFigure = 0xFFFFD23F;
    static constexpr std::array<Block, 11> kBlocks = {{
        {0, 0, kFigure},
        {1, 0, kFigure},
        {2, 0, kFigure},
        {1, 1, kFigure},
        {0, 2, 0xFF3FC1E0},
        {2, 2, 0xFFE0523F},
        {3, 2, 0xFF63D25A},
        {0, 3, 0xFFB45AE0},
        {1, 3, 0xFF3FC1E0},
        {2, 3, 0xFFF0963C},
        {3, 3, 0xFFE0523F},
    }};
    std::vector<Shape> out{{QRectF(2, 2, 60, 60), 10, 0xFF1B2A49},
                           {QRectF(6, 6, 52, 52), 4, 0xFF0E1830}};
    for (const Block& b : kBlocks) {
        const QRectF r = cell(b.column, b.row);
        out.push_back({r, 2, b.color});
        out.push_back({QRectF(r.left(), r.top(), r.width(), 3), 1.5, 0x59FFFFFF});  // light
    }
    return out;
}

}  // namespace

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);
    p.setPen(Qt::NoPen);
    for (const Shape& s : shapes()) {
        p.setBrush(QColor::fromRgba(s.color));
        p.drawRoundedRect(s.rect, s.radius, s.radius);
    }
    return image;
}

QByteArray iconSvg() {
    QByteArray svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
        "viewBox=\"0 0 64 64\">\n";
    for (const Shape& s : shapes()) {
        const QColor c = QColor::fromRgba(s.color);
        svg += QStringLiteral(
                   "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\" "
                   "fill-opacity=\"%7\"/>\n")
                   .arg(s.rect.x())
                   .arg(s.rect.y())
                   .arg(s.rect.width())
                   .arg(s.rect.height())
                   .arg(s.radius)
                   .arg(c.name(QColor::HexRgb))
                   .arg(c.alphaF(), 0, 'g', 3)
                   .toUtf8();
    }
    return svg + "</svg>\n";
}

namespace {

// Draws the icon when a size is asked for, instead of keeping every size's picture for the
// program's whole life: the window system takes its copies as each window is made.
class IconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        QRect square(0, 0, std::min(rect.width(), rect.height()), 0);
        square.setHeight(square.width());
        square.moveCenter(rect.center());
        if (!square.isEmpty()) painter->drawImage(square, drawIcon(square.width()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return side > 0 ? QPixmap::fromImage(drawIcon(side)) : QPixmap();
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}};
    }
    QIconEngine* clone() const override { return new IconEngine; }
};

}  // namespace

QIcon gameIcon() {
    return QIcon(new IconEngine);
}

}  // namespace talomir::ui
