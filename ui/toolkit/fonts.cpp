#include "ui/toolkit/fonts.h"

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <future>

namespace vb {

int pointsToPixels(double points) {
    // A size read from a file may be anything: NaN and negative sizes give the smallest face,
    // absurd ones a huge but valid one.
    const double pixels = std::isnan(points) ? 0.0 : std::clamp(points, 0.0, 1e6) * 96.0 / 72.0;
    return std::max(1, int(std::lround(pixels)));
}

namespace {

// fontconfig's set-up (reading its configuration and caches) is thread-safe: one default
// configuration is made, whoever asks first.
std::future<void>& fontsReady() {
    static std::future<void> ready;
    return ready;
}

void awaitFonts() {
    if (fontsReady().valid()) fontsReady().get();
}

// An exact family that fontconfig lists, the application's own faces included. QFontDatabase
// would accept fontconfig's aliases (hasFamily(), which maps every unknown name to the default
// face) or read the whole font database first (families(), a few milliseconds before the
// window could be shown).
bool installed(const QString& family) {
    awaitFonts();
    const QByteArray name = family.toUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
    const bool found = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    return found;
}

QStringList substitutes(const QString& face) {
    const QString f = face.trimmed().toLower();
    // The windows' three faces.
    if (f == "times new roman") return {"Liberation Serif", "DejaVu Serif"};
    if (f == "courier new") return {"Liberation Mono", "DejaVu Sans Mono"};
    // Tahoma, MS Sans Serif and anything unknown: a sans face. Liberation Sans has
    // Arial's widths, close to Tahoma's; DejaVu Sans is wider and taller.
    return {"Liberation Sans", "DejaVu Sans"};
}

QFont::StyleHint styleHint(const QString& face) {
    const QStringList subs = substitutes(face);
    if (subs.first().contains("Serif")) return QFont::Serif;
    if (subs.first().contains("Mono")) return QFont::Monospace;
    return QFont::SansSerif;
}

}  // namespace

void prepareFonts() {
    if (!fontsReady().valid()) fontsReady() = std::async(std::launch::async, [] { FcInit(); });
}

void registerExtraFaces() {
    static bool done = false;
    if (done || !qGuiApp) return;
    done = true;
    if (installed("Tahoma")) return;
    // The regular face alone: Wine's bold Tahoma carries the regular outlines under a bold name,
    // so bold captions came out thin. Without it the font engine draws bold by emboldening the
    // regular outlines, clearly heavier and in the same widths.
    const QString path = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
}

QString fallbackFace(const QString& face) {
    for (const QString& candidate : substitutes(face))
        if (installed(candidate)) return candidate;
    return substitutes(face).first();
}

QString resolveFace(const QString& face) {
    registerExtraFaces();
    // The font database's family list is costly to build; every window asks for the same few
    // faces, so each answer is kept.
    static QHash<QString, QString> resolved;
    const auto known = resolved.constFind(face);
    if (known != resolved.constEnd()) return *known;
    const QString family = !face.isEmpty() && installed(face) ? face : fallbackFace(face);
    resolved.insert(face, family);
    return family;
}

QFont makeFontWithFamily(const QString& family, double points, bool bold, bool italic,
                         bool underline) {
    QFont font(family);
    font.setPixelSize(pointsToPixels(points));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QFont makeFont(const QString& face, double points, bool bold, bool italic, bool underline) {
    QFont font = makeFontWithFamily(resolveFace(face), points, bold, italic, underline);
    font.setStyleHint(styleHint(face));
    return font;
}

}  // namespace vb
