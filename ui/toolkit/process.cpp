#include "ui/toolkit/process.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSet>
#include <vector>

namespace vb {

// ---- Forms --------------------------------------------------------------------------------

namespace {
struct Entry {
    QString name;
    QPointer<QWidget> window;
};

std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}

QSet<const QWidget*>& unloading() {
    static QSet<const QWidget*> set;
    return set;
}

void prune() {
    auto& list = entries();
    std::erase_if(list, [](const Entry& e) { return e.window.isNull(); });
}

void remove(const QWidget* window) {
    std::erase_if(entries(), [window](const Entry& e) { return e.window == window; });
}
}  // namespace

void Forms::add(const QString& name, QWidget* window) {
    if (!window) return;
    prune();
    for (Entry& e : entries()) {
        if (e.window == window) {
            e.name = name;
            return;
        }
    }
    entries().push_back({name, window});
    QObject::connect(window, &QObject::destroyed, [window] {
        remove(window);
        prune();
    });
}

QWidget* Forms::find(const QString& name) {
    for (const Entry& e : entries())
        if (e.window && e.name == name) return e.window;
    return nullptr;
}

bool Forms::unload(QWidget* window) {
    if (!window) return false;
    QPointer<QWidget> guard(window);
    unloading().insert(window);
    const bool closed = window->close();
    unloading().remove(window);
    if (!guard) return true;  // the close handler deleted it
    if (!closed) return false;
    remove(window);
    window->deleteLater();
    return true;
}

int Forms::unload(const QString& name) {
    QList<QPointer<QWidget>> named;
    for (const Entry& e : entries())
        if (e.window && e.name == name) named.append(e.window);
    int done = 0;
    for (const QPointer<QWidget>& w : named)
        if (w && unload(w.data())) ++done;
    return done;
}

bool Forms::isUnloadingByProgram(const QWidget* window) {
    return unloading().contains(window);
}

// ---- The window system --------------------------------------------------------------------

bool programPlacesWindows() {
    // "wayland", and its variants such as "wayland-egl".
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void activate(QWidget* window) {
    if (window && programPlacesWindows()) window->activateWindow();
}

}  // namespace vb
