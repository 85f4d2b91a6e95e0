// The window system the game asks Qt for, before the application starts.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <vector>

namespace talomir {

// On a Wayland session the game runs through Xwayland: a Wayland compositor lets no program
// place its own windows or give its main window the keyboard back, and the side windows docked
// beside the main window, the help page left of it and the places kept in the settings all rest
// on that. Wayland itself stays the fallback where there is no Xwayland. The player's own
// QT_QPA_PLATFORM wins (and Qt's -platform option wins over it); empty leaves the choice to Qt.
inline QByteArray chosenPlatform(const QProcessEnvironment& env) {
    const QByteArray own = env.value(QStringLiteral("QT_QPA_PLATFORM")).toLocal8Bit();
    if (!own.isEmpty()) return own;
    // Qt counts a session that says it is Wayland as one even without the socket's name.
    const bool wayland = !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         env.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    if (!wayland) return {};
    // Without a display name there is no X server to try, only a warning to print.
    return env.value(QStringLiteral("DISPLAY")).isEmpty() ? QByteArray("wayland")
                                                          : QByteArray("xcb;wayland");
}

// Variables the toolkit reads as the application starts, each set only where the player has not
// set it, and taken back once it has started, so that programs the game starts get the player's
// own environment.
class StartEnvironment {
public:
    StartEnvironment() = default;
    StartEnvironment(const StartEnvironment&) = delete;
    StartEnvironment& operator=(const StartEnvironment&) = delete;
    ~StartEnvironment() { restore(); }

    void ask(const char* name, const QByteArray& value) {
        if (value.isEmpty() || !qEnvironmentVariableIsEmpty(name)) return;
        qputenv(name, value);
        set_.push_back(name);
    }
    void restore() {
        for (const char* name : set_) qunsetenv(name);
        set_.clear();
    }

private:
    std::vector<const char*> set_;
};

}  // namespace talomir
