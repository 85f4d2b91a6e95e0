// Colours, twips and the drawing surfaces: what the window tests do not reach.
#include <QApplication>
#include <QPaintEvent>
#include <QtTest>
#include <limits>

#include "ui/toolkit/surface.h"
#include "ui/toolkit/units.h"

using namespace vb;

namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kYellow = 0x00FFFF;
constexpr Color kCyan = 0xFFFF00;
constexpr Color kOutside = 0xFFFFFFFF;  // pixel() outside the surface

// The main window's well: 3760 x 7760 units on 233 x 433 pixels.
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
    void coloursAndUnits() {
        QCOMPARE(toQColor(0x0000FF), QColor(255, 0, 0));  // red in the low byte
        QCOMPARE(RGB(150, 175, 175), Color(150 + 256 * 175 + 65536 * 175));
        QCOMPARE(toColor(QColor(10, 20, 30, 40)), RGB(10, 20, 30));  // alpha is dropped
        QCOMPARE(QBColor(12), Color(0xFF));
        // Out-of-range indices stay inside the palette instead of reading past it.
        QCOMPARE(QBColor(-3), QBColor(0));
        QCOMPARE(QBColor(16), QBColor(15));
        const int rows[][2] = {{3495, 233}, {492, 33}, {7, 0}, {1695, 113}, {-120, -8}};
        for (const auto& r : rows) QCOMPARE(twipsToPixels(r[0]), r[1]);
    }

    void scaleRefusesNonsenseAndFollowsSize() {
        Well well;
        well.pic.setScale(0, 100);
        well.pic.setScale(std::nan(""), 100);
        QCOMPARE(well.pic.scaleWidth(), 3760.0);
        PictureBox plain;  // without a user scale: twips, following the size
        plain.resize(50, 256);
        QCOMPARE(plain.scaleWidth(), 750.0);
        QCOMPARE(plain.scaleHeight(), 3840.0);
    }

    void boxesTakeCornersInEitherOrder() {
        Well well;
        well.pic.FilledBox(3722, 7722, 3528, 7528, kYellow);  // play cell (18, 30)
        QCOMPARE(well.pic.pixel(218, 420), kYellow);
        QCOMPARE(well.pic.pixel(230, 430), kYellow);
        QCOMPARE(well.pic.pixel(231, 430), kBlack);
        QCOMPARE(well.pic.pixel(232, 432), kBlack);
        well.pic.Box(278, 278, 472, 472, kCyan);
        QCOMPARE(well.pic.pixel(17, 15), kCyan);
        QCOMPARE(well.pic.pixel(23, 20), kBlack);  // an outline leaves the inside
    }

    void everythingIsClipped() {
        Well well;
        const double inf = std::numeric_limits<double>::infinity();
        const QImage before = well.pic.image().copy();
        well.pic.Line(5500, 0, 5500, 8500, kYellow);
        well.pic.Line(-500, -10, 4000, -10, kYellow);
        well.pic.FilledBox(4000, 100, 5000, 200, kYellow);
        well.pic.Box(-1000, -1000, -1, -1, kYellow);
        well.pic.Line(std::nan(""), 0, 100, 100, kYellow);
        well.pic.FilledBox(0, 0, inf, 100, kYellow);
        QCOMPARE(well.pic.image(), before);

        well.pic.FilledBox(-1000, -1000, 100, 100, kYellow);  // only the inside part
        QCOMPARE(well.pic.pixel(6, 5), kYellow);
        QCOMPARE(well.pic.pixel(7, 5), kBlack);
        well.pic.Clear();
        well.pic.Box(-100, -100, 1000, 1000, kYellow);  // left and top edges are outside
        QCOMPARE(well.pic.pixel(61, 30), kYellow);
        QCOMPARE(well.pic.pixel(0, 30), kBlack);
        well.pic.FilledBox(-1e30, -1e30, 1e30, 1e30, kCyan);  // no overflow
        QCOMPARE(well.pic.pixel(232, 432), kCyan);
        well.pic.Clear();
        const double k = 7760.0 / 3760 * 233 / 433;  // 45 degrees on screen, far-away ends
        well.pic.Line(-1e9, -1e9 * k, 1e9, 1e9 * k, kYellow);
        QCOMPARE(well.pic.pixel(100, 100), kYellow);
        QCOMPARE(well.pic.pixel(-1, 0), kOutside);
        QCOMPARE(well.pic.pixel(233, 0), kOutside);
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
        pic->Clear();
        QCOMPARE(pic->pendingRect(), pic->rect());
    }

    void formSurfaceKeepsOnlyWhatPaintDraws() {
        FormSurface form;
        form.resize(200, 200);
        form.setBackColor(kBlack);
        QObject::connect(&form, &FormSurface::Paint,
                         [&] { form.FilledBox(1500, 1500, 2985, 2985, QBColor(12)); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FilledBox(0, 0, 300, 300, QBColor(9));  // outside Paint: until the next repaint
        QImage img = form.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(10, 10)), QBColor(9));
        QCOMPARE(toColor(img.pixelColor(150, 150)), QBColor(12));
        img = form.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(10, 10)), kBlack);
        QCOMPARE(toColor(img.pixelColor(99, 150)), kBlack);
        QCOMPARE(toColor(img.pixelColor(199, 199)), QBColor(12));
    }
};

QTEST_MAIN(TestToolkitDrawing)
#include "test_toolkit_drawing.moc"
