// Fonts: every caption of the main window and of the two record dialogs fits its control at
// 15 twips per pixel and is visibly bold where bold, with the face the program gets and with the
// substitute face alone.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QtTest>
#include <memory>
#include <numeric>

#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/units.h"

using namespace vb;

namespace {

enum class Kind { Label, Frame, Check, Command, TextBox };

struct Caption {
    const char* control;
    Kind kind;
    const char* text;
    int width, height;  // twips
    const char* face;
    double points;
    bool bold = true, italic = false, underline = false;
    int firstChildTop = 0;  // frames: Top of the first control inside (twips)
};

// Design sizes, captions and fonts of the main window and of frmEnterName / frmGameOver.
const Caption kCaptions[] = {
    {"lblLevel", Kind::Label, "Level # 0", 1932, 492, "Tahoma", 18},
    {"lblRemain", Kind::Label, "Label1", 2172, 372, "Tahoma", 14.25},
    {"fraScore", Kind::Frame, "Score", 1932, 735, "Tahoma", 9, true, false, false, 240},
    {"lblScore", Kind::Label, "---", 1695, 375, "Tahoma", 14.25},
    {"lblSumBonus", Kind::Label, "Label1", 2172, 252, "Tahoma", 8.25},
    {"lblFirma", Kind::Label, " Talomir - фигурка    Бонус ", 1692, 372, "Tahoma", 8.25},
    {"fraLines", Kind::Frame, "Lines Bonus", 2175, 1335, "Tahoma", 9, true, false, false, 240},
    {"lblCountLines", Kind::Label, "0", 1935, 255, "Tahoma", 8.25},
    {"lblPosition", Kind::Label, "Position", 2295, 255, "Tahoma", 11.25},
    {"lblNextPlace", Kind::Label, "Label1", 2295, 255, "Tahoma", 9.75},
    {"lblPause", Kind::Label, "Pause", 1695, 615, "Tahoma", 20.25},
    {"fraControl", Kind::Frame, "Control", 1935, 975, "Tahoma", 9, true, false, false, 240},
    {"cmdRotate", Kind::Command, "^", 492, 255, "Times New Roman", 9.75},
    {"cmdLeftRight(0)", Kind::Command, "<", 495, 255, "Times New Roman", 9.75},
    {"cmdLeftRight(2)", Kind::Command, ">", 495, 255, "Times New Roman", 9.75},
    {"cmdDown", Kind::Command, "V", 492, 255, "Times New Roman", 9.75},
    {"lblHeightBonus", Kind::Label, "Time Bonus :", 1215, 255, "Tahoma", 8.25},
    {"lblTotal", Kind::Label, "Total :", 615, 255, "Tahoma", 8.25},
    {"lblTotalScore", Kind::Label, "40000", 735, 255, "Tahoma", 8.25},
    {"chkAuto", Kind::Check, "Auto", 855, 255, "Tahoma", 8.25},
    {"chkFuture", Kind::Check, "Future", 855, 255, "Tahoma", 8.25},
    {"chkRec", Kind::Check, "Best", 855, 255, "Tahoma", 8.25},
    {"chkStat", Kind::Check, "Stat", 855, 255, "Tahoma", 8.25},
    {"frmMenu", Kind::Frame, "Menu", 2892, 612, "Tahoma", 9, true, false, false, 240},
    {"chkPause", Kind::Check, "Pause", 732, 312, "Tahoma", 9.75},
    {"chkHelp", Kind::Check, "Help", 732, 312, "Tahoma", 9.75},
    {"chkDemo", Kind::Check, "Demo", 732, 312, "Tahoma", 9.75},
    {"chkSet", Kind::Check, "Set", 732, 312, "Tahoma", 9.75},
    {"lblEnterName", Kind::Label, "Введите Ваше имя", 2175, 255, "MS Sans Serif", 8.25},
    {"txtName", Kind::TextBox, "UnNamed", 2175, 372, "Times New Roman", 12},
    {"cmdOk", Kind::Command, "Ok", 1215, 276, "Times New Roman", 10.5},
    {"lblGameOver", Kind::Label, "Game Over !", 2292, 372, "MS Sans Serif", 12, true, false, true},
    {"lblNewGame", Kind::Label, "Начать новую игру ?", 2292, 372, "MS Sans Serif", 9.75, false},
    {"cmdYes", Kind::Command, "Да", 972, 252, "Times New Roman", 10.5, true, true},
    {"cmdNo", Kind::Command, "Нет", 972, 252, "Times New Roman", 10.5, true, true},
};

// Whether the caption fits its control drawn in `font`; the reason when not.
QString misfit(const Caption& c, const QFont& font) {
    const QString text = QString::fromUtf8(c.text);
    const QSize size(twipsToPixels(c.width), twipsToPixels(c.height));
    const QFontMetrics fm(font);
    auto report = [&](const char* what, int need, int room) {
        return QString("%1 \"%2\" in %3 %4px: %5 needs %6, has %7")
            .arg(c.control, text, font.family())
            .arg(font.pixelSize())
            .arg(what)
            .arg(need)
            .arg(room);
    };
    switch (c.kind) {
        case Kind::Label: {
            Label label;
            label.resize(size);
            label.setFont(font);
            label.setCaption(text);
            const QRectF area = label.captionRect();
            const QRectF used = label.textBounds();
            // Every line as QFontMetrics measures it, in the width the label has.
            if (QFontMetricsF(font).boundingRect(area, Qt::TextWordWrap, text).width() >
                area.width())
                return report("width of a line", qCeil(used.width()), int(area.width()));
            if (used.width() > area.width() || used.left() < 0)
                return report("width", qCeil(used.width()), int(area.width()));
            if (used.height() > area.height())
                return report("height (wrapped lines)", qCeil(used.height()), int(area.height()));
            return {};
        }
        case Kind::Frame: {
            Frame frame;
            frame.resize(size);
            frame.setFont(font);
            const QRect area = frame.captionRect();
            const int need = fm.horizontalAdvance(text);
            if (need > area.width()) return report("width", need, area.width());
            // The caption line must end above the controls inside the frame.
            const int room = twipsToPixels(c.firstChildTop);
            if (area.height() > room) return report("caption line", area.height(), room);
            return {};
        }
        case Kind::Check:
        case Kind::Command: {
            std::unique_ptr<ButtonBase> button;
            if (c.kind == Kind::Check)
                button = std::make_unique<CheckButton>();
            else
                button = std::make_unique<CommandButton>();
            button->resize(size);
            button->setFont(font);
            const QRect area = button->captionRect();
            const int need = fm.horizontalAdvance(text);
            if (need > area.width()) return report("width", need, area.width());
            const int ink = fm.tightBoundingRect(text).height();
            if (ink > area.height()) return report("ink height", ink, area.height());
            return {};
        }
        case Kind::TextBox: {
            // A text box keeps a frame and a margin of about 4 pixels on each side.
            const int need = fm.horizontalAdvance(text);
            if (need > size.width() - 8) return report("width", need, size.width() - 8);
            if (fm.height() > size.height() - 4)
                return report("height", fm.height(), size.height() - 4);
            return {};
        }
    }
    return "unknown kind";
}

// How much a caption blackens: the sum of its pixels' coverage, drawn white on black.
double ink(const QFont& font, const QString& text) {
    QImage image(400, 60, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    return std::accumulate(image.constBits(), image.constBits() + image.sizeInBytes(), 0.0);
}

}  // namespace

class TestToolkitFonts : public QObject {
    Q_OBJECT

private slots:
    void pointSizesRoundToPixels() {
        const double rows[][2] = {{8.25, 11}, {9.75, 13}, {10.5, 14}, {20.25, 27}, {-3, 1}};
        for (const auto& r : rows) QCOMPARE(pointsToPixels(r[0]), int(r[1]));
        QCOMPARE(makeFont("Tahoma", 14.25).pixelSize(), 19);
        QVERIFY(makeFont("MS Sans Serif", 12, true, false, true).underline());
    }

    void missingFacesGetCloseSubstitutes() {
        if (!QFontDatabase::families().contains("Liberation Sans"))
            QSKIP("fonts-liberation is not installed");
        QCOMPARE(fallbackFace("Tahoma"), QString("Liberation Sans"));
        QCOMPARE(fallbackFace("MS Sans Serif"), QString("Liberation Sans"));
        QCOMPARE(fallbackFace("Times New Roman"), QString("Liberation Serif"));
        QCOMPARE(fallbackFace("Courier New"), QString("Liberation Mono"));
        // The list of the hall of fame needs a fixed pitch.
        QVERIFY(QFontInfo(makeFont("Courier New", 9.75)).fixedPitch());
        // MS Sans Serif is never the one-size bitmap face of Wine: sizes must scale.
        const QString face = resolveFace("MS Sans Serif");
        const QFontMetrics small(makeFontWithFamily(face, 8.25)),
            big(makeFontWithFamily(face, 20.25));
        QVERIFY(big.height() > small.height() * 2);
        // An installed face is used as it is.
        QCOMPARE(resolveFace("Liberation Serif"), QString("Liberation Serif"));
        QCOMPARE(QFontInfo(makeFont("Times New Roman", 9.75)).family(),
                 resolveFace("Times New Roman"));
    }

    void captionsFitTheirControls_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("substitute");
        for (int i = 0; i < int(std::size(kCaptions)); ++i) {
            QTest::addRow("%s", kCaptions[i].control) << i << false;
            QTest::addRow("%s, substitute face", kCaptions[i].control) << i << true;
        }
    }
    void captionsFitTheirControls() {
        QFETCH(int, row);
        QFETCH(bool, substitute);
        const Caption& c = kCaptions[row];
        const QFont font = substitute ? makeFontWithFamily(fallbackFace(c.face), c.points, c.bold,
                                                           c.italic, c.underline)
                                      : makeFont(c.face, c.points, c.bold, c.italic, c.underline);
        const QString problem = misfit(c, font);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // What the design calls bold is visibly bold: clearly more ink than the regular face.
        QFont regular = font;
        regular.setBold(false);
        const QString text = QString::fromUtf8(c.text);
        QVERIFY2(!c.bold || ink(font, text) > 1.2 * ink(regular, text), qPrintable(font.family()));
    }

    void theCheckDetectsACaptionTooWide() {
        const Caption label = {
            "lblHeightBonus", Kind::Label, "Time Bonus : Time Bonus :", 1215, 255, "Tahoma", 8.25};
        QVERIFY(!misfit(label, makeFont(label.face, label.points, true)).isEmpty());
        const Caption button = {"chkFuture", Kind::Check, "Future Future", 855, 255,
                                "Tahoma",    8.25};
        QVERIFY(!misfit(button, makeFont(button.face, button.points, true)).isEmpty());
    }
};

QTEST_MAIN(TestToolkitFonts)
#include "test_toolkit_fonts.moc"
