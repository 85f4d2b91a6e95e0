// Numbers drawn without the text engine's shaping.
#pragma once

#include <QFont>
#include <QString>

class QPainter;

namespace vb {

// Draws `text` on one line of `width` pixels from the top left, in the painter's pen, exactly
// as a word-wrapped QTextLayout line with `alignment` would; true when done. It is done only
// for digits, in a face that neither kerns nor joins them (a counter's or a score's caption);
// anything else is left to the caller, drawing nothing.
bool drawNumber(QPainter& p, const QString& text, const QFont& font, int width,
                Qt::Alignment alignment);

}  // namespace vb
