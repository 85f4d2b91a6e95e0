// Drawing surfaces: the persistent picture box and the window's own, non-persistent surface.
// They draw in a colour &H00BBGGRR (the window's own surface only filled boxes):
//   Line(x1, y1, x2, y2)       a one-pixel horizontal or vertical line, both ends included
//                              (a slanted one is not drawn);
//   Box(x1, y1, x2, y2)        the one-pixel outline of the rectangle with those corners;
//   FilledBox(x1, y1, x2, y2)  that rectangle filled.
// A point (x, y) of the surface's scale lies in the pixel floor(x * pixels / scale); a box
// covers the pixels from its first corner's pixel to its second's, both included. Everything
// outside the surface is clipped; coordinates that are not finite draw nothing.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/toolkit/units.h"

class QPainter;

namespace vb {

// A drawing surface that keeps its pixels (in a QImage) between repaints. A repaint only
// copies pixels to the screen and never calls back into the program. Each drawing call
// requests a repaint of the pixels it changed, and of nothing else.
//
// Scale: the logical width and height of the whole surface. By default they are the size in
// twips (and follow resizes); after setScale() they stay fixed and the drawing stretches.
// A hidden picture box draws as well as a shown one (its pixels show when it is shown).
class PictureBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor)

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Sets a user scale (ScaleWidth, ScaleHeight). Values that are not finite and positive
    // are ignored.
    void setScale(double scaleWidth, double scaleHeight);
    double scaleWidth() const { return m_userScale ? m_scaleWidth : pixelsToTwips(width()); }
    double scaleHeight() const { return m_userScale ? m_scaleHeight : pixelsToTwips(height()); }

    Color backColor() const { return m_backColor; }
    // Sets the background colour and, as the stored behaviour of picture boxes has it, clears
    // the surface to it: whoever changes the colour redraws the content.
    void setBackColor(Color colour);

    // Fills the whole surface with the background colour.
    void Clear();
    void Line(double x1, double y1, double x2, double y2, Color colour);
    void Box(double x1, double y1, double x2, double y2, Color colour);
    void FilledBox(double x1, double y1, double x2, double y2, Color colour);

    // Readback: the colour of pixel (px, py) of the surface, or 0xFFFFFFFF outside it.
    Color pixel(int px, int py) const;
    const QImage& image() const;
    // The pixels changed since the last repaint (in widget coordinates); empty when the
    // screen is up to date.
    QRect pendingRect() const { return m_pending; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Brings the image to the widget's size (a hidden widget gets no resize events), keeping
    // the pixels at their place; false when the surface has no pixels.
    bool sync() const;
    void changed(const QRect& pixels);

    mutable QImage m_image;
    Color m_backColor = 0xFFFFFF;
    double m_scaleWidth = 0;
    double m_scaleHeight = 0;
    bool m_userScale = false;
    mutable QRect m_pending;
};

// The non-persistent surface of a window, in twips: its background colour and whatever the
// handler of Paint draws, which runs on every repaint. A window either derives from it or
// uses one as its client area; child controls are drawn over it.
//
// Drawing calls made inside Paint go straight to the screen. Calls made elsewhere show at the
// next repaint only (a hidden window keeps none), as a window without persistent drawing
// behaves; the Paint handler is expected to redraw the same content from the program's state.
class FormSurface : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor)

public:
    explicit FormSurface(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    Color backColor() const { return m_backColor; }
    void setBackColor(Color colour);

    void FilledBox(double x1, double y1, double x2, double y2, Color colour);

signals:
    // Raised on every repaint, after the background is painted; the handler redraws the
    // surface's content with FilledBox, which draws nothing at other times.
    void Paint();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Color m_backColor = 0xC0C0C0;
    QPainter* m_painter = nullptr;  // set while Paint runs
};

}  // namespace vb
