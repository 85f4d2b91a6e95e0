// Colours, twips, fonts and the drawing surfaces.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>
#include <limits>

#include "ui/toolkit/fonts.h"
#include "ui/toolkit/surface.h"
#include "ui/toolkit/units.h"

using namespace vb;

namespace {

constexpr Color kBlack = 0x000000, kYellow = 0x00FFFF, kCyan = 0xFFFF00;

// The main window's well: 3760 x 7760 units on 233 x 433 pixels.
struct Well {
    Well() {
        pic.setGeometry(twipsRect(120, 120, 3495, 6495));
        pic.setBackColor(kBlack);
        pic.setScale(3760, 7760);
    }
    // The colours along a row or column of pixels, as a string: '.' black, 'y', 'c', '?'.
    QString along(QPoint from, QPoint step, int n) const {
        QString s;
        for (QPoint p = from; n-- > 0; p += step) {
            const Color c = pic.pixel(p.x(), p.y());
            s += c == kBlack ? '.' : c == kYellow ? 'y' : c == kCyan ? 'c' : '?';
        }
        return s;
    }
    PictureBox pic;
};

}  // namespace

class TestToolkitDrawing : public QObject {
    Q_OBJECT

private slots:
    void coloursUnitsAndFonts() {
        QCOMPARE(toQColor(0x0000FF), QColor(255, 0, 0));  // red in the low byte
        QCOMPARE(toArgb(0x0000FF), 0xFFFF0000u);
        QCOMPARE(toColor(QColor(10, 20, 30, 40)), RGB(10, 20, 30));  // alpha is dropped
        QCOMPARE(QBColor(12), Color(0xFF));
        QCOMPARE(QBColor(-3), QBColor(0));  // out of range stays inside the palette
        QCOMPARE(QBColor(16), QBColor(15));
        const int twips[][2] = {{3495, 233}, {492, 33}, {7, 0}, {8, 1}, {-120, -8}};
        for (const auto& r : twips) QCOMPARE(twipsToPixels(r[0]), r[1]);
        const double points[][2] = {{8.25, 11}, {9.75, 13}, {20.25, 27}, {-3, 1}};
        for (const auto& r : points) QCOMPARE(pointsToPixels(r[0]), int(r[1]));
        QVERIFY(makeFont("MS Sans Serif", 12, true, false, true).underline());
        if (!QFontDatabase::families().contains("Liberation Sans"))
            QSKIP("fonts-liberation is not installed");
        const char* faces[][2] = {{"Tahoma", "Liberation Sans"},
                                  {"MS Sans Serif", "Liberation Sans"},
                                  {"Times New Roman", "Liberation Serif"},
                                  {"Courier New", "Liberation Mono"}};
        for (const auto& f : faces) QCOMPARE(fallbackFace(f[0]), QString(f[1]));
        QVERIFY(QFontInfo(makeFont("Courier New", 9.75)).fixedPitch());  // the table lines up
        QCOMPARE(resolveFace("Liberation Serif"), QString("Liberation Serif"));
        // MS Sans Serif is never a one-size bitmap face: sizes must scale.
        const QString face = resolveFace("MS Sans Serif");
        QVERIFY(QFontMetrics(makeFontWithFamily(face, 20.25)).height() >
                2 * QFontMetrics(makeFontWithFamily(face, 8.25)).height());
    }

    // Boxes take their corners in either order; an outline has all four edges and leaves the
    // inside; lines reach both ends; what lies outside, or is no number, is clipped away.
    void shapesOnTheWell() {
        Well well;
        well.pic.setScale(0, 100);  // nonsense is refused
        well.pic.setScale(std::nan(""), 100);
        QCOMPARE(well.pic.scaleWidth(), 3760.0);
        well.pic.FilledBox(3722, 7722, 3528, 7528, kYellow);  // play cell (18, 30)
        QCOMPARE(well.along({216, 420}, {1, 0}, 17), QString("..") + QString(13, 'y') + "..");
        QCOMPARE(well.along({225, 417}, {0, 1}, 16), QString("...") + QString(11, 'y') + "..");
        well.pic.Box(278, 278, 472, 472, kCyan);  // play cell (5, 1)
        QCOMPARE(well.along({15, 20}, {1, 0}, 16), QString("..c...........c."));
        QCOMPARE(well.along({20, 14}, {0, 1}, 16), QString(".c..........c..."));
        QCOMPARE(well.along({16, 15}, {1, 0}, 14), "." + QString(13, 'c'));
        QCOMPARE(well.along({16, 26}, {1, 0}, 14), "." + QString(13, 'c'));
        well.pic.Clear();
        well.pic.Line(0, 1000, 3759, 1000, kYellow);
        well.pic.Line(1000, 0, 1000, 7759, kCyan);
        QCOMPARE(well.along({0, 55}, {1, 0}, 233).count('y'), 232);
        QCOMPARE(well.along({61, 0}, {0, 1}, 433).count('c'), 433);
        const QImage drawn = well.pic.image().copy();
        const double inf = std::numeric_limits<double>::infinity();
        well.pic.Line(5500, 0, 5500, 8500, kYellow);
        well.pic.Line(-500, -10, 4000, -10, kYellow);
        well.pic.FilledBox(4000, 100, 5000, 200, kYellow);
        well.pic.Box(-1000, -1000, -1, -1, kYellow);
        well.pic.Line(std::nan(""), 0, 100, 100, kYellow);
        well.pic.FilledBox(0, 0, inf, 100, kYellow);
        QCOMPARE(well.pic.image(), drawn);
        well.pic.Box(-100, -100, 1000, 1000, kYellow);  // left and top edges are outside
        QCOMPARE(well.along({0, 30}, {1, 0}, 63).count('y'), 1);
        well.pic.FilledBox(-1e30, -1e30, 1e30, 1e30, kCyan);  // no overflow
        QCOMPARE(well.along({0, 432}, {1, 0}, 233), QString(233, 'c'));
        well.pic.Clear();
        const double k = 7760.0 / 3760 * 233 / 433;  // 45 degrees on screen, far-away ends
        well.pic.Line(-1e9, -1e9 * k, 1e9, 1e9 * k, kYellow);
        QCOMPARE(well.pic.pixel(100, 100), kYellow);
        QCOMPARE(well.pic.pixel(-1, 0), 0xFFFFFFFFu);
        QCOMPARE(well.pic.pixel(233, 0), 0xFFFFFFFFu);
    }

    void pixelsSurviveResizeAndOnlyChangesRepaint() {
        QWidget window;
        window.resize(300, 500);
        auto* pic = new PictureBox(&window);
        pic->setGeometry(twipsRect(120, 120, 3495, 6495));
        pic->setBackColor(kBlack);
        pic->setScale(3760, 7760);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(pic->pendingRect().isEmpty());
        pic->FilledBox(28, 28, 222, 222, kYellow);
        pic->Box(278, 278, 472, 472, kCyan);
        QCOMPARE(pic->pendingRect(), QRect(QPoint(1, 1), QPoint(29, 26)));
        QTRY_VERIFY(pic->pendingRect().isEmpty());
        pic->resize(260, 470);
        QCoreApplication::processEvents();
        const QImage shown = pic->grab().toImage();
        QCOMPARE(toColor(shown.pixelColor(7, 6)), kYellow);
        QCOMPARE(toColor(shown.pixelColor(250, 460)), kBlack);  // new area: background
        QCOMPARE(pic->scaleWidth(), 3760.0);                    // a user scale stays
    }

    // Drawn outside Paint: shown until the next repaint. Inside Paint: on every repaint.
    void formSurfaceKeepsOnlyWhatPaintDraws() {
        FormSurface form;
        form.resize(200, 200);
        form.setBackColor(kBlack);
        QObject::connect(&form, &FormSurface::Paint,
                         [&] { form.Box(1500, 1500, 2985, 2985, kCyan); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FilledBox(0, 0, 300, 300, kYellow);
        form.Line(0, 600, 2985, 600, kYellow);
        form.Box(450, 450, 900, 900, kYellow);
        QImage img = form.grab().toImage();
        auto at = [&img](int x, int y) { return toColor(img.pixelColor(x, y)); };
        const Color seen[] = {at(10, 10), at(150, 40),  at(30, 30),   at(60, 45),   at(45, 60),
                              at(45, 45), at(150, 150), at(100, 199), at(199, 120), at(120, 120)};
        QCOMPARE(QList<Color>(std::begin(seen), std::end(seen)),
                 (QList<Color>{kYellow, kYellow, kYellow, kYellow, kYellow, kBlack, kBlack, kCyan,
                               kCyan, kBlack}));
        img = form.grab().toImage();
        QCOMPARE(at(10, 10), kBlack);
        QCOMPARE(at(100, 199), kCyan);
    }
};

QTEST_MAIN(TestToolkitDrawing)
#include "test_toolkit_drawing.moc"
