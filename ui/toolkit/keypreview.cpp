#include "ui/toolkit/keypreview.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/toolkit/controls.h"

namespace vb {

int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // Qt uses the ASCII codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? kKeyNumpad0 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return kKeyF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace:
            return kKeyBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kKeyTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        case Qt::Key_Shift:
            return kKeyShift;
        case Qt::Key_Control:
            return kKeyControl;
        case Qt::Key_Alt:
            return kKeyMenu;
        case Qt::Key_Pause:
            return kKeyPause;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_PageUp:
            return kKeyPageUp;
        case Qt::Key_PageDown:
            return kKeyPageDown;
        case Qt::Key_End:
            return kKeyEnd;
        case Qt::Key_Home:
            return kKeyHome;
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Down:
            return kKeyDown;
        case Qt::Key_Insert:
            return kKeyInsert;
        case Qt::Key_Delete:
            return kKeyDelete;
        case Qt::Key_Asterisk:
            return keypad ? 106 : 0;
        case Qt::Key_Plus:
            return keypad ? 107 : 0;
        case Qt::Key_Minus:
            return keypad ? 109 : 0;
        case Qt::Key_Period:
            return keypad ? 110 : 0;
        case Qt::Key_Slash:
            return keypad ? 111 : 0;
        default:
            return 0;
    }
}

KeyPreview::KeyPreview(QWidget* window) : QObject(window), m_window(window) {
    if (window) watch(window);
}

void KeyPreview::watch(QObject* object) {
    if (!object || !object->isWidgetType()) return;
    const auto* widget = static_cast<QWidget*>(object);
    if (widget != m_window && widget->isWindow()) return;  // an owned window has its own keys
    object->installEventFilter(this);                      // installed once however often
    for (QObject* child : object->children()) watch(child);
}

bool KeyPreview::belongsToWindow(QObject* object) const {
    return object->isWidgetType() && static_cast<QWidget*>(object)->window() == m_window;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ChildAdded) {
        watch(static_cast<QChildEvent*>(event)->child());
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    if (event == m_passing || !m_window || !belongsToWindow(watched)) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const int code = virtualKeyCode(key->key(), key->modifiers());
    const int shift = vbShift(key->modifiers());
    QPointer<QObject> target(watched);
    QPointer<KeyPreview> self(this);
    if (type == QEvent::KeyPress) {
        if (code != 0) emit KeyDown(code, shift);
        const QString text = key->text();
        if (self && !text.isEmpty() && text.at(0).unicode() != 0x7F)
            emit KeyPress(text.at(0).unicode());
    } else if (!key->isAutoRepeat()) {
        if (code != 0) emit KeyUp(code, shift);
    }
    event->accept();
    if (!self || !target) return true;  // the handler closed the window
    if (m_consumeArrows && code >= kKeyLeft && code <= kKeyDown) return true;

    // The control gets a copy, which travels up its parents as the original would; this
    // filter lets the copy pass, so no widget on the way reports the key a second time.
    QKeyEvent copy(type, key->key(), key->modifiers(), key->nativeScanCode(),
                   key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                   key->isAutoRepeat(), key->count(), key->device());
    copy.setTimestamp(key->timestamp());
    QEvent* const outer = m_passing;
    m_passing = &copy;
    QCoreApplication::sendEvent(target, &copy);
    if (self) m_passing = outer;
    return true;
}

}  // namespace vb
