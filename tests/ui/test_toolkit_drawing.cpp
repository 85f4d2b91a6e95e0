// Units, colours and the two drawing surfaces.
#include <QApplication>
#include <QPaintEvent>
#include <QPalette>
#include <QtTest>

#include "ui/toolkit/surface.h"
#include "ui/toolkit/units.h"

using namespace vb;

namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kYellow = 0x00FFFF;  // &H0000FFFF
constexpr Color kCyan = 0xFFFF00;    // &H00FFFF00

// Records the region of every paint event a widget gets.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    QRegion painted;
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(e)->region();
            ++paints;
        }
        return false;
    }
};

// The well surface of the main window: 3760 x 7760 units on 3495 x 6495 twips.
struct Well {
    Well() {
        pic.setGeometry(twipsRect(120, 120, 3495, 6495));
        pic.setBackColor(kBlack);
        pic.setScale(3760, 7760);
    }
    PictureBox pic;
};

}  // namespace

class TestToolkitDrawing : public QObject {
    Q_OBJECT

private slots:
    void colourValuesKeepRedInTheLowByte() {
        QCOMPARE(toQColor(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(toQColor(0xFF0000), QColor(0, 0, 255));
        QCOMPARE(toQColor(RGB(150, 175, 175)), QColor(150, 175, 175));
        QCOMPARE(RGB(150, 175, 175), Color(150 + 256 * 175 + 65536 * 175));
        for (Color v : {Color(0), Color(0x00FFFF), Color(0xFFFF00), Color(0x404040), RGB(1, 2, 3),
                        RGB(200, 200, 210), Color(0xFFFFFF)}) {
            QCOMPARE(toColor(toQColor(v)), v);
            QCOMPARE(QColor::fromRgb(toArgb(v)), toQColor(v));
        }
        QCOMPARE(toColor(QColor(10, 20, 30, 40)), RGB(10, 20, 30));  // alpha is dropped
    }

    void standardPaletteHasSixteenEntries() {
        const Color expected[16] = {0x0,    0x800000, 0x8000,   0x808000, 0x80,   0x800080,
                                    0x8080, 0xC0C0C0, 0x808080, 0xFF0000, 0xFF00, 0xFFFF00,
                                    0xFF,   0xFF00FF, 0xFFFF,   0xFFFFFF};
        for (int i = 0; i < 16; ++i) QCOMPARE(QBColor(i), expected[i]);
        QCOMPARE(toQColor(QBColor(12)), QColor(255, 0, 0));  // 12 is light red
        QCOMPARE(toQColor(QBColor(9)), QColor(0, 0, 255));   // 9 is light blue
        // Out-of-range indices stay inside the palette instead of reading past it.
        QCOMPARE(QBColor(-3), QBColor(0));
        QCOMPARE(QBColor(16), QBColor(15));
    }

    void systemColoursComeFromThePalette() {
        QCOMPARE(toQColor(kSystemButtonShadow),
                 QGuiApplication::palette().color(QPalette::Active, QPalette::Dark));
        QCOMPARE(toQColor(kSystemButtonFace),
                 QGuiApplication::palette().color(QPalette::Active, QPalette::Button));
        QCOMPARE(toArgb(kSystemButtonShadow), toQColor(kSystemButtonShadow).rgb());
    }

    void twipsToPixels_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("well width") << 3495 << 233;
        QTest::newRow("well height") << 6495 << 433;
        QTest::newRow("check button") << 855 << 57;
        QTest::newRow("rounds up") << 492 << 33;  // 32.8
        QTest::newRow("rounds down") << 7 << 0;   // 0.47
        QTest::newRow("half") << 1695 << 113;     // 113.0
        QTest::newRow("negative") << -120 << -8;
    }
    void twipsToPixels() {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(vb::twipsToPixels(twips), pixels);
    }

    void twipsHelpers() {
        QCOMPARE(twipsRect(120, 120, 3495, 6495), QRect(8, 8, 233, 433));
        QCOMPARE(twipsRect(3840, 6840, 735, 255), QRect(256, 456, 49, 17));
        QCOMPARE(pixelsToTwips(233), 3495);
        QCOMPARE(twipsToPixelsF(1000), 1000.0 / 15);
        QWidget w;
        setTwipsGeometry(&w, 960, 6840, 1935, 975);
        QCOMPARE(w.geometry(), QRect(64, 456, 129, 65));
    }

    void pictureBoxScale() {
        Well well;
        QCOMPARE(well.pic.size(), QSize(233, 433));
        QCOMPARE(well.pic.scaleWidth(), 3760.0);
        QCOMPARE(well.pic.scaleHeight(), 7760.0);
        QCOMPARE(well.pic.toPixel(0, 0), QPoint(0, 0));
        QCOMPARE(well.pic.toPixel(3760, 7760), QPoint(233, 433));  // just outside
        // Nonsense scales are refused.
        well.pic.setScale(0, 100);
        well.pic.setScale(std::nan(""), 100);
        QCOMPARE(well.pic.scaleWidth(), 3760.0);
        // Without a user scale the surface is measured in twips and follows its size.
        PictureBox plain;
        plain.resize(101, 256);
        QCOMPARE(plain.scaleWidth(), 1515.0);
        QCOMPARE(plain.scaleHeight(), 3840.0);
        plain.resize(50, 50);
        QCOMPARE(plain.scaleWidth(), 750.0);
    }

    void clearAndFilledBox() {
        Well well;
        well.pic.setBackColor(0x404040);
        QCOMPARE(well.pic.pixel(0, 0), Color(0x404040));
        QCOMPARE(well.pic.pixel(232, 432), Color(0x404040));
        well.pic.setBackColor(kBlack);  // changing the colour clears to it
        QCOMPARE(well.pic.pixel(100, 100), kBlack);

        // Play cell (4, 0): the drawn square 28..222 of the first cell.
        well.pic.FilledBox(28, 28, 222, 222, kYellow);
        QCOMPARE(well.pic.pixel(1, 1), kYellow);
        QCOMPARE(well.pic.pixel(13, 12), kYellow);
        QCOMPARE(well.pic.pixel(7, 6), kYellow);
        QCOMPARE(well.pic.pixel(0, 0), kBlack);
        QCOMPARE(well.pic.pixel(14, 6), kBlack);
        QCOMPARE(well.pic.pixel(7, 13), kBlack);
        // Corners may come in either order.
        well.pic.FilledBox(3722, 7722, 3528, 7528, kYellow);  // play cell (18, 30)
        QCOMPARE(well.pic.pixel(218, 420), kYellow);
        QCOMPARE(well.pic.pixel(230, 430), kYellow);
        QCOMPARE(well.pic.pixel(231, 430), kBlack);
        QCOMPARE(well.pic.pixel(217, 420), kBlack);
        QCOMPARE(well.pic.pixel(232, 432), kBlack);  // the 10-unit strip at the corner

        well.pic.Clear();
        QCOMPARE(well.pic.pixel(7, 6), kBlack);
        QCOMPARE(well.pic.pixel(224, 425), kBlack);
    }

    void outlineBoxAndLines() {
        Well well;
        // The second cell of the second row: square 278..472.
        well.pic.Box(278, 278, 472, 472, kCyan);
        QCOMPARE(well.pic.pixel(17, 15), kCyan);
        QCOMPARE(well.pic.pixel(29, 15), kCyan);
        QCOMPARE(well.pic.pixel(17, 26), kCyan);
        QCOMPARE(well.pic.pixel(29, 26), kCyan);
        QCOMPARE(well.pic.pixel(23, 15), kCyan);
        QCOMPARE(well.pic.pixel(17, 20), kCyan);
        QCOMPARE(well.pic.pixel(23, 20), kBlack);  // inside stays as it was
        QCOMPARE(well.pic.pixel(16, 20), kBlack);
        QCOMPARE(well.pic.pixel(30, 20), kBlack);

        // Grid lines on the cell borders, drawn past the visible area as the grid is.
        const Color grid = RGB(150, 175, 175);
        well.pic.Line(250, 0, 250, 8500, grid);
        QCOMPARE(well.pic.pixel(15, 0), grid);
        QCOMPARE(well.pic.pixel(15, 200), grid);
        QCOMPARE(well.pic.pixel(15, 432), grid);
        QCOMPARE(well.pic.pixel(14, 200), kBlack);
        QCOMPARE(well.pic.pixel(16, 200), kBlack);
        well.pic.Line(0, 7750, 5500, 7750, grid);  // the last visible horizontal line
        QCOMPARE(well.pic.pixel(0, 432), grid);
        QCOMPARE(well.pic.pixel(232, 432), grid);
        QCOMPARE(well.pic.pixel(100, 431), kBlack);
        // A diagonal line.
        well.pic.Line(0, 0, 3000, 3000, grid);
        QCOMPARE(well.pic.pixel(0, 0), grid);
        const QPoint end = well.pic.toPixel(3000, 3000);
        QCOMPARE(well.pic.pixel(end.x(), end.y()), grid);
        QCOMPARE(well.pic.pixel(end.x() / 2, end.y() / 2), grid);
    }

    void everythingIsClipped() {
        Well well;
        const QImage before = well.pic.image().copy();
        well.pic.Line(5500, 0, 5500, 8500, kYellow);   // right of the surface
        well.pic.Line(0, 8500, 5500, 8500, kYellow);   // below it
        well.pic.Line(-500, -10, 4000, -10, kYellow);  // above it
        well.pic.FilledBox(4000, 100, 5000, 200, kYellow);
        well.pic.Box(-1000, -1000, -1, -1, kYellow);
        well.pic.Line(std::nan(""), 0, 100, 100, kYellow);
        well.pic.FilledBox(0, 0, std::numeric_limits<double>::infinity(), 100, kYellow);
        QCOMPARE(well.pic.image(), before);

        // Partly outside: only the inside part is drawn.
        well.pic.FilledBox(-1000, -1000, 100, 100, kYellow);
        QCOMPARE(well.pic.pixel(0, 0), kYellow);
        QCOMPARE(well.pic.pixel(6, 5), kYellow);
        QCOMPARE(well.pic.pixel(7, 5), kBlack);
        well.pic.Clear();
        well.pic.Box(-100, -100, 1000, 1000, kYellow);  // left and top edges are outside
        QCOMPARE(well.pic.pixel(61, 30), kYellow);
        QCOMPARE(well.pic.pixel(30, 55), kYellow);
        QCOMPARE(well.pic.pixel(0, 30), kBlack);
        QCOMPARE(well.pic.pixel(30, 0), kBlack);
        // Far outside values do not overflow.
        well.pic.FilledBox(-1e30, -1e30, 1e30, 1e30, kCyan);
        QCOMPARE(well.pic.pixel(0, 0), kCyan);
        QCOMPARE(well.pic.pixel(232, 432), kCyan);
        well.pic.Clear();
        // A line at 45 degrees on the screen through the origin, with far-away ends.
        const double k = 7760.0 / 3760 * 233 / 433;
        well.pic.Line(-1e9, -1e9 * k, 1e9, 1e9 * k, kYellow);
        QCOMPARE(well.pic.pixel(0, 0), kYellow);
        QCOMPARE(well.pic.pixel(100, 100), kYellow);
        QCOMPARE(well.pic.pixel(-1, 0), Color(0xFFFFFFFF));
        QCOMPARE(well.pic.pixel(233, 0), Color(0xFFFFFFFF));
    }

    void pixelsSurviveRepaintAndResize() {
        QWidget window;
        window.resize(300, 500);
        auto* pic = new PictureBox(&window);
        pic->setGeometry(twipsRect(120, 120, 3495, 6495));
        pic->setBackColor(kBlack);
        pic->setScale(3760, 7760);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        pic->FilledBox(28, 28, 222, 222, kYellow);
        pic->Line(250, 0, 250, 8500, kCyan);
        pic->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(pic->pixel(7, 6), kYellow);
        QImage shown = pic->grab().toImage();
        QCOMPARE(toColor(shown.pixelColor(7, 6)), kYellow);
        QCOMPARE(toColor(shown.pixelColor(15, 300)), kCyan);

        pic->resize(260, 470);
        QCoreApplication::processEvents();
        QCOMPARE(pic->pixel(7, 6), kYellow);
        QCOMPARE(pic->pixel(15, 300), kCyan);
        QCOMPARE(pic->pixel(250, 460), kBlack);  // the new area has the background colour
        QCOMPARE(pic->scaleWidth(), 3760.0);     // a user scale stays
        shown = pic->grab().toImage();
        QCOMPARE(toColor(shown.pixelColor(7, 6)), kYellow);
        QCOMPARE(toColor(shown.pixelColor(250, 460)), kBlack);
    }

    void aDrawingRepaintsOnlyWhatItChanged() {
        QWidget window;
        window.resize(300, 500);
        auto* pic = new PictureBox(&window);
        pic->setGeometry(twipsRect(120, 120, 3495, 6495));
        pic->setScale(3760, 7760);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(pic->pendingRect().isEmpty());
        PaintSpy spy(pic);

        pic->FilledBox(28, 28, 222, 222, kYellow);
        QCOMPARE(pic->pendingRect(), QRect(QPoint(1, 1), QPoint(13, 12)));
        pic->Box(278, 278, 472, 472, kCyan);
        QCOMPARE(pic->pendingRect(), QRect(QPoint(1, 1), QPoint(29, 26)));
        QTRY_VERIFY(spy.paints > 0);
        QVERIFY(pic->pendingRect().isEmpty());
        QVERIFY(spy.painted.boundingRect().width() < pic->width());
        QVERIFY(spy.painted.contains(QRect(QPoint(1, 1), QPoint(13, 12))));
        QVERIFY(!spy.painted.intersects(QRect(100, 100, 20, 20)));

        spy.painted = QRegion();
        pic->Clear();
        QCOMPARE(pic->pendingRect(), pic->rect());
    }

    void formSurfaceDrawsOnEveryRepaint() {
        FormSurface form;
        form.resize(200, 200);
        form.setBackColor(kBlack);
        int paints = 0;
        QObject::connect(&form, &FormSurface::Paint, [&] {
            ++paints;
            form.FilledBox(1500, 1500, 2985, 2985, QBColor(12));  // pixels 100..199
        });
        // Hidden: nothing drawn outside Paint is kept.
        form.FilledBox(0, 0, 300, 300, QBColor(9));
        QImage img = form.grab().toImage();
        QVERIFY(paints > 0);
        QCOMPARE(toColor(img.pixelColor(150, 150)), QBColor(12));
        QCOMPARE(toColor(img.pixelColor(199, 199)), QBColor(12));
        QCOMPARE(toColor(img.pixelColor(99, 150)), kBlack);
        QCOMPARE(toColor(img.pixelColor(10, 10)), kBlack);

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Drawn outside Paint while shown: visible until the next repaint...
        form.FilledBox(0, 0, 300, 300, QBColor(9));
        form.Box(600, 600, 900, 900, QBColor(10));
        img = form.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(10, 10)), QBColor(9));
        QCOMPARE(toColor(img.pixelColor(40, 50)), QBColor(10));
        QCOMPARE(toColor(img.pixelColor(50, 50)), kBlack);
        QCOMPARE(toColor(img.pixelColor(150, 150)), QBColor(12));
        // ...which only keeps what Paint draws.
        img = form.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(10, 10)), kBlack);
        QCOMPARE(toColor(img.pixelColor(150, 150)), QBColor(12));
    }
};

QTEST_MAIN(TestToolkitDrawing)
#include "test_toolkit_drawing.moc"
