#include "ui/toolkit/numbertext.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <optional>

namespace vb {

namespace {

// Counters and scores change their caption every few ticks, and shaping a new caption costs
// the text engine several times what drawing its glyphs does. Digits need no shaping in a face
// where each has one glyph and one advance whatever digit stands beside it, and a run of them
// never breaks.
constexpr int kDigits = 10;

int digitOf(QChar c) {
    return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : -1;
}

struct Glyphs {
    QRawFont raw;
    quint32 glyph[kDigits] = {};
    qreal advance[kDigits] = {};
    qreal ascent = 0;
};

// The digits' glyphs as the text engine shapes every pair of them, once per face; none when a
// pair shapes otherwise than its digits alone (kerning, ligatures, a fallback face).
std::optional<Glyphs> shape(const QFont& font) {
    // Every ordered pair of digits once, in 101 digits (a de Bruijn sequence).
    QString pairs;
    for (char16_t a = u'0'; a <= u'9'; ++a) {
        pairs += QChar(a);
        for (char16_t b = a + 1; b <= u'9'; ++b) pairs += QChar(a), pairs += QChar(b);
    }
    pairs += u'0';
    QTextLayout layout(pairs, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs[0].glyphIndexes().size() != pairs.size()) return std::nullopt;
    Glyphs g;
    g.raw = runs[0].rawFont();
    g.ascent = line.ascent();
    const QList<quint32> indexes = runs[0].glyphIndexes();
    const QList<QPointF> at = runs[0].positions();
    bool seen[kDigits] = {};
    // The last glyph's advance is left out: the line's width there includes the ink that
    // overhangs it (an emboldened face).
    for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
        const int c = digitOf(pairs[i]);
        const qreal advance = at[i + 1].x() - at[i].x();
        if (!seen[c]) {
            seen[c] = true, g.glyph[c] = indexes[i], g.advance[c] = advance;
        } else if (g.glyph[c] != indexes[i] || g.advance[c] != advance) {
            return std::nullopt;
        }
    }
    return g;
}

const std::optional<Glyphs>& glyphsOf(const QFont& font) {
    // Kept to the process's end, never destroyed: its raw fonts, destroyed after the
    // application, would release font engines that the application's end has taken down.
    static auto* const faces = new QHash<QFont, std::optional<Glyphs>>;
    auto found = faces->constFind(font);
    if (found == faces->cend()) found = faces->insert(font, shape(font));
    return *found;
}

}  // namespace

bool drawNumber(QPainter& p, const QString& text, const QFont& font, int width,
                Qt::Alignment alignment) {
    if (font.underline() || font.overline() || font.strikeOut()) return false;
    for (QChar c : text)
        if (digitOf(c) < 0) return false;
    const std::optional<Glyphs>& g = glyphsOf(font);
    if (!g) return false;
    QList<quint32> glyphs;
    QList<QPointF> at;
    glyphs.reserve(text.size()), at.reserve(text.size());
    qreal x = 0;
    for (QChar c : text) {
        const int i = digitOf(c);
        glyphs.append(g->glyph[i]);
        at.append(QPointF(x, g->ascent));
        x += g->advance[i];
    }
    // Where the text engine puts the line, in its 1/64 pixel units (halving rounds to zero).
    const qint64 spare = qint64(width) * 64 - qRound64(x * 64);
    qreal left = 0;
    if (alignment & Qt::AlignRight) left = spare / 64.0;
    if (alignment & Qt::AlignHCenter) left = (spare / 2) / 64.0;
    for (QPointF& point : at) point.rx() += left;
    QGlyphRun run;
    run.setRawFont(g->raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(at);
    p.drawGlyphRun(QPointF(0, 0), run);
    return true;
}

}  // namespace vb
