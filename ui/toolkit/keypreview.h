// Keys delivered to a window before its focused control.
#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace vb {

// The virtual-key code of a Qt key; 0 for the keys the game does not read.
int virtualKeyCode(int qtKey);

// Installed on a window, it sees every key of the window and its controls (also controls
// added later) before the control that has the focus: KeyDown for a press and for each
// auto-repeated press, KeyUp for the final release (auto-repeated releases are dropped).
// Shift is the sum of kShiftMask, kCtrlMask, kAltMask. Each key event is reported once,
// however far it travels up the window's controls.
//
// The focused control then gets the key as usual, except the arrow keys: they belong to the
// window, so they never move the focus between controls. Keys of other top-level windows (owned
// dialogs) are not reported.
class KeyPreview : public QObject {
    Q_OBJECT

public:
    // Watches `window` and all its descendants; the object is a child of the window.
    explicit KeyPreview(QWidget* window);

signals:
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QObject* object);
    bool belongsToWindow(QObject* object) const;

    QPointer<QWidget> m_window;
    QEvent* m_passing = nullptr;  // the copy being handed to the control, not reported again
};

}  // namespace vb
