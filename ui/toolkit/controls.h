// Controls of the game's windows: graphical check button, command button, label, frame and
// circle shape. Each is drawn by the layer itself, so its colours show under every Qt style.
// Generic code can read and set "BackColor" through QObject::property(); a control's help
// text is the dynamic property "Tag" (setProperty("Tag", text)).
#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QImage>
#include <QWidget>

#include "ui/toolkit/units.h"

namespace vb {

// Caption alignment, numbered as the stored Alignment values are.
enum class Alignment { Left = 0, Right = 1, Center = 2 };

// Mouse button codes of the MouseDown/MouseUp signals.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
// Shift codes of mouse and key signals: a sum of these.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

int vbButton(Qt::MouseButton button);
int vbShift(Qt::KeyboardModifiers modifiers);

// A push button painted in its own BackColor with a 3-D bevel. Every mouse button raises
// MouseDown on press and MouseUp on release, with the control-array Index and the position in
// twips relative to the control; only the left button presses the button and clicks it.
class ButtonBase : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(quint32 ForeColor READ foreColor WRITE setForeColor)

public:
    explicit ButtonBase(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    Color backColor() const { return m_backColor; }
    void setBackColor(Color colour);
    Color foreColor() const { return m_foreColor; }
    void setForeColor(Color colour);
    // The member number in a control array; -1 for a control that is not in one.
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // The area inside the bevel in which the caption is centred.
    QRect captionRect() const;

signals:
    // The handler of the control's click (see the subclasses for when it is raised).
    void Click();
    void MouseDown(int index, int button, int shift, float x, float y);
    void MouseUp(int index, int button, int shift, float x, float y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Whether the face is drawn pressed in.
    virtual bool drawnDown() const { return isDown(); }

private:
    void drawFace(QPainter& p, bool down) const;

    Color m_backColor = 0xC0C0C0;
    Color m_foreColor = 0x000000;
    int m_index = -1;
    // The faces last drawn and what each was drawn from: every arrow key presses a button in
    // and lights it, then lets it go, and a face drawn afresh shapes its caption again.
    struct Face {
        QSize size;
        QString caption;
        Color back = 0, fore = 0;
        bool down = false, enabled = false, focus = false;
        qreal ratio = 0;
        bool operator==(const Face&) const = default;
    };
    struct Drawn {
        Face face;
        QImage image;
    };
    Drawn m_faces[4];
    int m_nextFace = 0;
};

// Command button: Click on a completed left click (or Space while focused). Disabled
// (setEnabled(false)) it is greyed and raises nothing.
class CommandButton : public ButtonBase {
    Q_OBJECT

public:
    explicit CommandButton(QWidget* parent = nullptr);
};

// Graphical check button: looks like a push button and stays pressed in while Value is 1.
// Click is raised whenever Value changes, by the user's click or by setValue(); setting the
// value it already has raises nothing.
class CheckButton : public ButtonBase {
    Q_OBJECT
    Q_PROPERTY(int Value READ value WRITE setValue)

public:
    explicit CheckButton(QWidget* parent = nullptr);
    int value() const { return isChecked() ? 1 : 0; }
    // 0 releases the button; any other value presses it in (Value becomes 1).
    void setValue(int value) { setChecked(value != 0); }

protected:
    bool drawnDown() const override { return isDown() || isChecked(); }
};

// What labels and frames share: a caption in ForeColor on BackColor, painted by the subclass;
// each change repaints the control.
class CaptionedControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(quint32 ForeColor READ foreColor WRITE setForeColor)

public:
    explicit CaptionedControl(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    Color backColor() const { return m_backColor; }
    void setBackColor(Color colour);
    Color foreColor() const { return m_foreColor; }
    void setForeColor(Color colour);

private:
    QString m_caption;
    Color m_backColor = 0xC0C0C0;
    Color m_foreColor = 0x000000;
};

// Label: a caption in ForeColor on BackColor (or on its container when transparent), word
// wrapped inside the label (and broken at line breaks), aligned left, centred or right, from
// the top. Lines follow each other at the font's height without extra leading, so a
// two-line caption takes two font heights.
class Label : public CaptionedControl {
    Q_OBJECT

public:
    explicit Label(QWidget* parent = nullptr);

    Alignment alignment() const { return m_alignment; }
    void setAlignment(Alignment alignment);

    // The area the caption is laid out in.
    QRect captionRect() const { return rect(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The caption as the text engine lays it out, in the painter's pen.
    void drawCaption(QPainter& p) const;

    Alignment m_alignment = Alignment::Left;
    // Small labels' captions other than numbers as drawn, by caption, for the colours they were
    // drawn in: a label shows the same few captions over and over (a place, a blinking level),
    // and laying text out and drawing it costs far more than copying the part of its picture
    // that has ink.
    struct Ink {
        QPointF at;
        QImage ink;
    };
    struct Pictures {
        QHash<QString, Ink> byCaption;
        qsizetype bytes = 0;
        Color back = 0, fore = 0;
        qreal ratio = 0;
    };
    Pictures m_pictures;
};

// Frame: a container with an etched border and its caption at the top left, in ForeColor on
// BackColor. Children are placed relative to the frame's top-left corner.
class Frame : public CaptionedControl {
    Q_OBJECT

public:
    explicit Frame(QWidget* parent = nullptr);

    // The area the caption may use: from the left indent to the right indent, one line high.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Circle shape: a one-pixel circle in BorderColor, centred in the control, as wide as its
// smaller side; transparent inside (what lies beneath shows through). It takes no mouse input.
class Shape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 BorderColor READ borderColor WRITE setBorderColor)

public:
    explicit Shape(QWidget* parent = nullptr);

    Color borderColor() const { return m_borderColor; }
    void setBorderColor(Color colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Color m_borderColor = 0x000000;
};

}  // namespace vb
