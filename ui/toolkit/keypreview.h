// Keys delivered to a window before its focused control.
#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace vb {

// Windows virtual-key codes of the KeyDown/KeyUp signals. Letters and digits are their
// upper-case ASCII codes ('A' = 65, '0' = 48).
inline constexpr int kKeyBack = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyShift = 16;
inline constexpr int kKeyControl = 17;
inline constexpr int kKeyMenu = 18;  // Alt
inline constexpr int kKeyPause = 19;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyInsert = 45;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyNumpad0 = 96;  // 96..105 for the keypad digits
inline constexpr int kKeyF1 = 112;      // 112..123 for F1..F12

// The virtual-key code of a Qt key (with its modifiers, for the keypad); 0 for keys without
// one.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers = {});

// Installed on a window, it sees every key of the window and its controls (also controls
// added later) before the control that has the focus: KeyDown for a press and for each
// auto-repeated press, KeyUp for the final release (auto-repeated releases are dropped), and
// KeyPress with the character code for keys that produce one (Enter 13, Esc 27, letters).
// Shift is the sum of kShiftMask, kCtrlMask, kAltMask. Each key event is reported once,
// however far it travels up the window's controls.
//
// The focused control then gets the key as usual, except the arrow keys (while
// consumeArrowKeys() is on, the default): they belong to the window, so they never move the
// focus between controls. Keys of other top-level windows (owned dialogs) are not reported.
class KeyPreview : public QObject {
    Q_OBJECT

public:
    // Watches `window` and all its descendants; the object is a child of the window.
    explicit KeyPreview(QWidget* window);

    bool consumeArrowKeys() const { return m_consumeArrows; }
    void setConsumeArrowKeys(bool consume) { m_consumeArrows = consume; }

signals:
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    void KeyPress(int keyAscii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QObject* object);
    bool belongsToWindow(QObject* object) const;

    QPointer<QWidget> m_window;
    QEvent* m_passing = nullptr;  // the copy being handed to the control, not reported again
    bool m_consumeArrows = true;
};

}  // namespace vb
