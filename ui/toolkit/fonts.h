// Fonts by the design's description: face name, size in points, bold, italic, underline.
#pragma once

#include <QFont>
#include <QString>

namespace vb {

// The pixel size of a font of the given point size at 96 dots per inch (15 twips per pixel):
// 8.25 pt -> 11 px, 9 -> 12, 9.75 -> 13, 11.25 -> 15, 14.25 -> 19, 18 -> 24, 20.25 -> 27.
// Sizes are set in pixels so that text and twips-based layout scale together.
int pointsToPixels(double points);

// The family that makeFont() uses for a face name: the face itself when it is installed,
// otherwise a substitute of similar width that keeps the design's captions inside their
// controls (Tahoma, MS Sans Serif, Arial -> Liberation Sans; Times New Roman -> Liberation
// Serif; Courier New, Courier -> Liberation Mono), falling back to DejaVu and then to any face
// of the same kind.
QString resolveFace(const QString& face);

// The substitute alone, whether or not the face itself is installed (for layout checks).
QString fallbackFace(const QString& face);

// A font for a control. The pixel size comes from pointsToPixels(); the weight is 700 when
// bold, 400 otherwise.
QFont makeFont(const QString& face, double points, bool bold = false, bool italic = false,
               bool underline = false);

// Same as makeFont() but with the family given exactly (no resolution).
QFont makeFontWithFamily(const QString& family, double points, bool bold = false,
                         bool italic = false, bool underline = false);

// Starts reading the font configuration on a thread of its own, so that it runs while the
// application connects to the window system instead of before the first window is built. Call
// it once, before the QApplication; the first font asked for waits for it.
void prepareFonts();

// Registers the regular outline Tahoma shipped by the fonts-wine package with the application
// when the system has no Tahoma of its own; bold is drawn from it. makeFont() and resolveFace()
// call it once; it needs a QGuiApplication. (Wine's MS Sans Serif has bitmaps of one size only
// and is not used.)
void registerExtraFaces();

}  // namespace vb
