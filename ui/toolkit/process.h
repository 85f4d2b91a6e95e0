// Services of the process: the open windows by name.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

namespace vb {

// The open windows, each under its name ("frmSettings", "frmHelp", ...). Several windows may
// share a name (new instances of a dialog). A window leaves the collection when it is
// destroyed or unloaded.
class Forms {
public:
    // Adds a top-level window under `name`; adding it again renames it.
    static void add(const QString& name, QWidget* window);
    // The first window registered under `name`, or nullptr.
    static QWidget* find(const QString& name);

    // Unloads a window: asks it to close (its closeEvent runs and may refuse with
    // event->ignore()); when it closes, removes it from the collection and deletes it once
    // control is back in the event loop, so a window may unload itself from its own handler.
    // Returns false when the window refused.
    static bool unload(QWidget* window);
    // Unloads every window with that name; returns how many were unloaded.
    static int unload(const QString& name);
    // True while unload() is closing this window: its closeEvent tells the program's own
    // unload from the user's close box by this.
    static bool isUnloadingByProgram(const QWidget* window);
};

// Whether the window system lets the program place its windows and give them the keyboard. A
// Wayland compositor does both itself: a move there changes only the place Qt reports, and a
// request for the keyboard is refused, with a warning.
bool programPlacesWindows();
// Gives the window the keyboard where the program may.
void activate(QWidget* window);

}  // namespace vb
