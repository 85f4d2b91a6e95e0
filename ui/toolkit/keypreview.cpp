#include "ui/toolkit/keypreview.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "rules/vbtypes.h"
#include "ui/toolkit/controls.h"

namespace vb {

int virtualKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Escape:
            return talomir::vk::Escape;
        case Qt::Key_Left:
            return talomir::vk::Left;
        case Qt::Key_Up:
            return talomir::vk::Up;
        case Qt::Key_Right:
            return talomir::vk::Right;
        case Qt::Key_Down:
            return talomir::vk::Down;
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
    const int code = virtualKeyCode(key->key());
    const int shift = vbShift(key->modifiers());
    QPointer<QObject> target(watched);
    QPointer<KeyPreview> self(this);
    if (type == QEvent::KeyPress) {
        if (code != 0) emit KeyDown(code, shift);
    } else if (!key->isAutoRepeat()) {
        if (code != 0) emit KeyUp(code, shift);
    }
    event->accept();
    if (!self || !target) return true;  // the handler closed the window
    if (code >= talomir::vk::Left && code <= talomir::vk::Down) return true;

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
