#include "ui/toolkit/controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QTextLayout>

#include "ui/toolkit/numbertext.h"

namespace vb {

int vbButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

int vbShift(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= kAltMask;
    return shift;
}

namespace {

// Classic two-pixel bevel: raised with light top-left edges, sunken with dark ones.
void drawBevel(QPainter& p, const QRect& r, bool sunken) {
    const QColor white(255, 255, 255), light(223, 223, 223), shadow(128, 128, 128), dark(0, 0, 0);
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    auto line = [&p](const QColor& c, int x1, int y1, int x2, int y2) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    const QColor& outerTopLeft = sunken ? dark : white;
    const QColor& innerTopLeft = sunken ? shadow : light;
    const QColor& outerBottomRight = sunken ? white : dark;
    const QColor& innerBottomRight = sunken ? light : shadow;
    line(outerBottomRight, l, b, rr, b);
    line(outerBottomRight, rr, t, rr, b);
    line(outerTopLeft, l, t, rr - 1, t);
    line(outerTopLeft, l, t, l, b - 1);
    line(innerBottomRight, l + 1, b - 1, rr - 1, b - 1);
    line(innerBottomRight, rr - 1, t + 1, rr - 1, b - 1);
    line(innerTopLeft, l + 1, t + 1, rr - 2, t + 1);
    line(innerTopLeft, l + 1, t + 1, l + 1, b - 2);
}

constexpr int kBevel = 2;        // pixels of bevel on each side of a button
constexpr int kFrameIndent = 7;  // pixels from a frame's left edge to its caption

}  // namespace

// ---- ButtonBase ------------------------------------------------------------------------

ButtonBase::ButtonBase(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ButtonBase::event(QEvent* event) {
    const bool handled = QAbstractButton::event(event);
    // The style's polish makes buttons see-through (for rounded corners) and repaints them as
    // the mouse passes; this face fills every pixel and looks the same under the mouse, so a
    // press repaints the button alone, not the frame behind it too.
    if (event->type() == QEvent::Polish) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_Hover, false);
    }
    if (event->type() == QEvent::FontChange)
        for (Drawn& drawn : m_faces) drawn.image = QImage();
    return handled;
}

void ButtonBase::setBackColor(Color colour) {
    if (colour == m_backColor) return;
    m_backColor = colour;
    update();
}

void ButtonBase::setForeColor(Color colour) {
    if (colour == m_foreColor) return;
    m_foreColor = colour;
    update();
}

QRect ButtonBase::captionRect() const {
    return rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
}

void ButtonBase::paintEvent(QPaintEvent*) {
    const Face want{size(),      text(),      m_backColor, m_foreColor,
                    drawnDown(), isEnabled(), hasFocus(),  devicePixelRatioF()};
    auto found = std::find_if(std::begin(m_faces), std::end(m_faces),
                              [&](const Drawn& d) { return d.face == want && !d.image.isNull(); });
    if (found == std::end(m_faces)) {
        found = &m_faces[m_nextFace];
        m_nextFace = (m_nextFace + 1) % int(std::size(m_faces));
        found->face = want;
        found->image = QImage(size() * want.ratio, QImage::Format_RGB32);
        found->image.setDevicePixelRatio(want.ratio);
        QPainter f(&found->image);
        f.setFont(font());
        drawFace(f, want.down);
    }
    QPainter(this).drawImage(0, 0, found->image);
}

void ButtonBase::drawFace(QPainter& p, bool down) const {
    p.fillRect(rect(), toQColor(m_backColor));
    drawBevel(p, rect(), down);
    QRect area = captionRect();
    if (down) area.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    if (isEnabled()) {
        p.setPen(toQColor(m_foreColor));
        p.drawText(area, flags, text());
    } else {
        p.setPen(QColor(255, 255, 255));
        p.drawText(area.translated(1, 1), flags, text());
        p.setPen(QColor(128, 128, 128));
        p.drawText(area, flags, text());
    }
    if (hasFocus() && width() > 8 && height() > 8) {
        QPen pen(toQColor(m_foreColor), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void ButtonBase::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    QPointer<ButtonBase> self(this);
    emit MouseDown(m_index, vbButton(event->button()), vbShift(event->modifiers()),
                   float(pixelsToTwipsF(pos.x())), float(pixelsToTwipsF(pos.y())));
    if (!self) return;  // the handler unloaded the window
    if (event->button() == Qt::LeftButton)
        QAbstractButton::mousePressEvent(event);
    else
        event->accept();  // other buttons neither press the button nor reach the container
}

void ButtonBase::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    QPointer<ButtonBase> self(this);
    emit MouseUp(m_index, vbButton(event->button()), vbShift(event->modifiers()),
                 float(pixelsToTwipsF(pos.x())), float(pixelsToTwipsF(pos.y())));
    if (!self) return;
    if (event->button() == Qt::LeftButton)
        QAbstractButton::mouseReleaseEvent(event);
    else
        event->accept();
}

void ButtonBase::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click has already come as a press of its own; QWidget
    // would turn this event into yet another press.
    event->accept();
}

// ---- CommandButton, CheckButton ---------------------------------------------------------

CommandButton::CommandButton(QWidget* parent) : ButtonBase(parent) {
    connect(this, &QAbstractButton::clicked, this, &ButtonBase::Click);
}

CheckButton::CheckButton(QWidget* parent) : ButtonBase(parent) {
    setCheckable(true);
    // toggled() fires for the user's click and for setChecked() alike, and only on a change.
    connect(this, &QAbstractButton::toggled, this, &ButtonBase::Click);
}

// ---- Label ----------------------------------------------------------------------------

CaptionedControl::CaptionedControl(QWidget* parent) : QWidget(parent) {}

void CaptionedControl::setCaption(const QString& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    update();
}

void CaptionedControl::setBackColor(Color colour) {
    if (colour == m_backColor) return;
    m_backColor = colour;
    update();
}

void CaptionedControl::setForeColor(Color colour) {
    if (colour == m_foreColor) return;
    m_foreColor = colour;
    update();
}

Label::Label(QWidget* parent) : CaptionedControl(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Label::setAlignment(Alignment alignment) {
    if (alignment == m_alignment) return;
    m_alignment = alignment;
    m_pictures = {};
    update();
}

namespace {

Qt::Alignment horizontal(Alignment alignment) {
    if (alignment == Alignment::Center) return Qt::AlignHCenter;
    if (alignment == Alignment::Right) return Qt::AlignRight;
    return Qt::AlignLeft;
}

// Lays the caption out in lines as a label shows it.
void layOut(QTextLayout& layout, const QString& caption, const QFont& font, int width,
            Alignment alignment) {
    QString text = caption;
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    option.setAlignment(horizontal(alignment));
    layout.setTextOption(option);
    const qreal lineHeight = QFontMetricsF(font).height();
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += lineHeight;
    }
    layout.endLayout();
}

}  // namespace

void Label::drawCaption(QPainter& p) const {
    QTextLayout layout;
    layOut(layout, caption(), font(), width(), m_alignment);
    layout.draw(&p, QPointF(0, 0));
}

namespace {

// The smallest part of `area` that differs from `plain`, in a picture's pixels.
QRect inkOf(const QImage& picture, const QRect& area, QRgb plain) {
    int left = area.right() + 1, right = -1, top = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        int x = area.left();
        while (x <= area.right() && row[x] == plain) ++x;
        if (x > area.right()) continue;
        left = std::min(left, x);
        int last = area.right();
        while (row[last] == plain) --last;
        right = std::max(right, last);
        if (top < 0) top = y;
        bottom = y;
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Where new captions of small labels are drawn before their ink is kept: one picture for all
// of them, so that its paint engine is made once (the window's thread only).
QImage& scratchFor(const QSize& pixels, qreal ratio) {
    static QImage scratch;
    if (scratch.width() < pixels.width() || scratch.height() < pixels.height())
        scratch = QImage(pixels.expandedTo(scratch.size()), QImage::Format_RGB32);
    scratch.setDevicePixelRatio(ratio);
    return scratch;
}

}  // namespace

void Label::paintEvent(QPaintEvent*) {
    constexpr qsizetype kPictureBytes = 32 * 1024, kAllPicturesBytes = 384 * 1024;
    QPainter p(this);
    p.fillRect(rect(), toQColor(backColor()));
    if (caption().isEmpty()) return;
    p.setPen(toQColor(foreColor()));
    // A number is drawn from its glyphs about as fast as a kept picture is copied.
    if (drawNumber(p, caption(), font(), width(), horizontal(m_alignment))) return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    const qsizetype bytes = qsizetype(pixels.width()) * pixels.height() * 4;
    if (bytes > kPictureBytes) return drawCaption(p);  // a large label repaints seldom
    if (m_pictures.back != backColor() || m_pictures.fore != foreColor() ||
        m_pictures.ratio != ratio)
        m_pictures = {{}, 0, backColor(), foreColor(), ratio};
    auto found = m_pictures.byCaption.constFind(caption());
    if (found == m_pictures.byCaption.cend()) {
        QImage& picture = scratchFor(pixels, ratio);
        QPainter drawing(&picture);
        drawing.setClipRect(rect());  // a caption longer than the label stays inside it
        drawing.fillRect(rect(), toQColor(backColor()));
        drawing.setPen(toQColor(foreColor()));
        drawCaption(drawing);
        drawing.end();
        // Only the ink is kept; the rest is BackColor, filled again.
        const QRect ink = inkOf(picture, QRect(QPoint(), pixels), toQColor(backColor()).rgb());
        const QImage kept = ink.isValid() ? picture.copy(ink) : QImage();
        // Captions that keep changing: start afresh.
        if (m_pictures.bytes + kept.sizeInBytes() > kAllPicturesBytes) {
            m_pictures.byCaption.clear();
            m_pictures.bytes = 0;
        }
        m_pictures.bytes += kept.sizeInBytes();
        found = m_pictures.byCaption.insert(caption(), {QPointF(ink.topLeft()) / ratio, kept});
    }
    if (!found->ink.isNull()) p.drawImage(found->at, found->ink);
}

void Label::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) m_pictures = {};
    CaptionedControl::changeEvent(event);
}

void Label::resizeEvent(QResizeEvent* event) {
    if (event->size() != event->oldSize()) m_pictures = {};
    CaptionedControl::resizeEvent(event);
}

// ---- Frame ----------------------------------------------------------------------------

Frame::Frame(QWidget* parent) : CaptionedControl(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect Frame::captionRect() const {
    return QRect(kFrameIndent, 0, std::max(0, width() - 2 * kFrameIndent), fontMetrics().height());
}

void Frame::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(rect(), toQColor(backColor()));
    const QFontMetrics fm = fontMetrics();
    const int top = fm.height() / 2;
    // Etched border: a shadow line with a light line one pixel below and to the right.
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(QRect(0, top, width() - 2, height() - top - 2));
    p.setPen(QColor(255, 255, 255));
    p.drawRect(QRect(1, top + 1, width() - 2, height() - top - 2));
    const QRect area = captionRect();
    // Most repaints are behind a child that changed, away from the caption, whose text is the
    // costly part.
    if (caption().isEmpty() || !event->rect().intersects(area.adjusted(-1, 0, 1, 0))) return;
    const int textWidth = std::min(fm.horizontalAdvance(caption()), area.width());
    // The caption interrupts the border.
    p.fillRect(QRect(area.left() - 1, 0, textWidth + 2, area.height()), toQColor(backColor()));
    p.setPen(toQColor(foreColor()));
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption());
}

// ---- Shape ----------------------------------------------------------------------------

Shape::Shape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setBorderColor(Color colour) {
    if (colour == m_borderColor) return;
    m_borderColor = colour;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    const int d = std::min(width(), height()) - 1;
    if (d < 0) return;
    QPainter p(this);
    p.setPen(toQColor(m_borderColor));
    p.drawEllipse(QRect((width() - 1 - d) / 2, (height() - 1 - d) / 2, d, d));
}

}  // namespace vb
