#include "ui/toolkit/surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace vb {

namespace {

// The pixels [lo, hi] covered by the logical range a..b at `factor` pixels per unit, clipped
// to [0, limit). loIn/hiIn tell whether the range's own ends lie inside (an outline edge is
// drawn only then). False when nothing is inside.
struct Span {
    int lo = 0, hi = 0;
    bool loIn = false, hiIn = false;
};

bool spanOf(double a, double b, double factor, int limit, Span& span) {
    double pa = a * factor, pb = b * factor;
    if (limit <= 0 || !std::isfinite(pa) || !std::isfinite(pb)) return false;
    if (pa > pb) std::swap(pa, pb);
    if (pb < 0 || pa >= limit) return false;
    span.loIn = pa >= 0;
    span.hiIn = pb < limit;
    span.lo = span.loIn ? int(std::floor(pa)) : 0;
    span.hi = span.hiIn ? int(std::floor(pb)) : limit - 1;
    return true;
}

// The pixel spans of a box's two corners on a surface of w x h pixels, fx and fy pixels per unit.
bool boxSpans(double x1, double y1, double x2, double y2, double fx, double fy, int w, int h,
              Span& sx, Span& sy) {
    return spanOf(x1, x2, fx, w, sx) && spanOf(y1, y2, fy, h, sy);
}

QRect spanRect(const Span& x, const Span& y) {
    return QRect(QPoint(x.lo, y.lo), QPoint(x.hi, y.hi));
}

// The rows of a picture to draw in, unshared once: scanLine() checks for sharing at every row.
class Rows {
public:
    explicit Rows(QImage& image) : bits_(image.bits()), stride_(image.bytesPerLine()) {}
    std::uint32_t* operator()(int y) const {
        return reinterpret_cast<std::uint32_t*>(bits_ + y * stride_);
    }

private:
    uchar* bits_;
    qsizetype stride_;
};

}  // namespace

// ---- PictureBox ---------------------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setScale(double scaleWidth, double scaleHeight) {
    if (!std::isfinite(scaleWidth) || !std::isfinite(scaleHeight) || scaleWidth <= 0 ||
        scaleHeight <= 0)
        return;
    m_scaleWidth = scaleWidth;
    m_scaleHeight = scaleHeight;
    m_userScale = true;
}

void PictureBox::setBackColor(Color colour) {
    m_backColor = colour;
    Clear();
}

bool PictureBox::sync() const {
    if (m_image.size() != size()) {
        // The drawing stays where it was; new area gets the background colour.
        QImage grown;
        if (!size().isEmpty()) {
            grown = QImage(size(), QImage::Format_RGB32);
            grown.fill(toArgb(m_backColor));
            if (!m_image.isNull()) {
                QPainter p(&grown);
                p.drawImage(0, 0, m_image);
            }
        }
        m_image = grown;
        m_pending = m_image.rect();
    }
    return !m_image.isNull();
}

const QImage& PictureBox::image() const {
    sync();
    return m_image;
}

void PictureBox::Clear() {
    if (!sync()) return;
    m_image.fill(toArgb(m_backColor));
    changed(m_image.rect());
}

void PictureBox::FilledBox(double x1, double y1, double x2, double y2, Color colour) {
    if (!sync()) return;
    Span sx, sy;
    if (!boxSpans(x1, y1, x2, y2, m_image.width() / scaleWidth(), m_image.height() / scaleHeight(),
                  m_image.width(), m_image.height(), sx, sy))
        return;
    const std::uint32_t argb = toArgb(colour);
    const int n = sx.hi - sx.lo + 1;
    const Rows pixels(m_image);
    for (int y = sy.lo; y <= sy.hi; ++y) std::fill_n(pixels(y) + sx.lo, n, argb);
    changed(spanRect(sx, sy));
}

void PictureBox::Box(double x1, double y1, double x2, double y2, Color colour) {
    if (!sync()) return;
    Span sx, sy;
    if (!boxSpans(x1, y1, x2, y2, m_image.width() / scaleWidth(), m_image.height() / scaleHeight(),
                  m_image.width(), m_image.height(), sx, sy))
        return;
    const std::uint32_t argb = toArgb(colour);
    const int n = sx.hi - sx.lo + 1;
    const Rows pixels(m_image);
    if (sy.loIn) std::fill_n(pixels(sy.lo) + sx.lo, n, argb);
    if (sy.hiIn) std::fill_n(pixels(sy.hi) + sx.lo, n, argb);
    for (int y = sy.lo; y <= sy.hi; ++y) {
        std::uint32_t* line = pixels(y);
        if (sx.loIn) line[sx.lo] = argb;
        if (sx.hiIn) line[sx.hi] = argb;
    }
    changed(spanRect(sx, sy));
}

void PictureBox::Line(double x1, double y1, double x2, double y2, Color colour) {
    // A horizontal or vertical line covers the same pixels as the box it spans.
    if (x1 == x2 || y1 == y2) FilledBox(x1, y1, x2, y2, colour);
}

Color PictureBox::pixel(int px, int py) const {
    if (!sync() || !m_image.valid(px, py)) return 0xFFFFFFFFu;
    return toColor(QColor(m_image.pixel(px, py)));
}

void PictureBox::changed(const QRect& pixels) {
    // One rectangle around all the changes: a region of many small ones is copied to the
    // screen one request each.
    if (m_pending.contains(pixels)) return;
    m_pending |= pixels;
    update(m_pending);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    sync();
    QPainter p(this);
    const QRect area = event->rect() & m_image.rect();
    // In bands: Qt hands a copy of 96 rows or more to worker threads, whose wake-ups cost more
    // than copying the picture of a well.
    constexpr int kBand = 64;
    for (int y = area.top(); y <= area.bottom(); y += kBand) {
        const QRect band(area.left(), y, area.width(), std::min(kBand, area.bottom() - y + 1));
        p.drawImage(band.topLeft(), m_image, band);
    }
    m_pending = QRect();
}

void PictureBox::resizeEvent(QResizeEvent*) {
    if (sync()) update();
}

// ---- FormSurface --------------------------------------------------------------------------

FormSurface::FormSurface(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormSurface::setBackColor(Color colour) {
    if (colour == m_backColor) return;
    m_backColor = colour;
    update();
}

void FormSurface::FilledBox(double x1, double y1, double x2, double y2, Color colour) {
    // The surface keeps nothing: what is drawn outside the Paint handler would be gone at the
    // next repaint anyway, so only the handler draws.
    if (!m_painter) return;
    constexpr double f = 1.0 / kTwipsPerPixel;
    Span sx, sy;
    if (boxSpans(x1, y1, x2, y2, f, f, width(), height(), sx, sy))
        m_painter->fillRect(spanRect(sx, sy), toQColor(colour));
}

void FormSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), toQColor(m_backColor));
    m_painter = &p;
    emit Paint();
    m_painter = nullptr;
}

}  // namespace vb
