#pragma once
// The game's icon, drawn here so that the windows, the desktop menu and the package show one
// picture: a figure about to drop into the gap of a nearly full well.
#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace talomir::ui {

// The icon as a square image of `size` pixels, transparent around its rounded corners.
QImage drawIcon(int size);
// The same picture as scalable vector graphics.
QByteArray iconSvg();
// The icon at the sizes window systems ask for, for every window of the game.
QIcon gameIcon();

}  // namespace talomir::ui
