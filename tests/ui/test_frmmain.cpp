#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QtTest>

#include "tests/support/main_window_rig.h"
#include "ui/design.h"
#include "ui/frmmain.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/units.h"

using namespace talomir;
using namespace talomir::testing;
using talomir::ui::FrmMain;

namespace {

constexpr vb::Color kBlack = 0x000000;
constexpr vb::Color kSettled = 0x00FFFF;  // yellow
constexpr vb::Color kFalling = 0xFFFF00;  // cyan
constexpr vb::Color kPreviewOne = 0x00FFFF;
constexpr vb::Color kPreviewZero = vb::RGB(120, 120, 120);

constexpr const char* kEll = masks::kEll;
constexpr const char* kBar = masks::kBar;
// Column 0 rows 1..2, column 1 rows 1..2: a square.
constexpr const char* kSquare = "0110011000000000";

// What play cell (c, r) shows: '.' empty, 'f' a falling figure (its outline: the top edge of the
// square, not the centre), 's' a settled cell (filled), '?' anything else.
char lookAt(const vb::PictureBox* pic, int c, int r) {
    const QPoint edge = pic->toPixel((c - 4) * 250.0 + 125, r * 250.0 + 28);
    const QPoint centre = pic->toPixel((c - 4) * 250.0 + 125, r * 250.0 + 125);
    const vb::Color e = pic->pixel(edge.x(), edge.y()), m = pic->pixel(centre.x(), centre.y());
    if (m == kBlack) return e == kBlack ? '.' : e == kFalling ? 'f' : '?';
    return e == kSettled && m == kSettled ? 's' : '?';
}

// Every visible play cell against the model; the mismatches, or an empty text.
QString pictureMismatches(Window& w) {
    const Playfield& f = w.game().field;
    QStringList bad;
    for (int r = 0; r <= 30; ++r) {
        for (int c = 4; c <= 18; ++c) {
            const int x = c - f.FigX, y = r - f.FigY;
            const bool falling = x >= 0 && x < 4 && y >= 0 && y < 4 && f.Fig[x][y];
            const char want = falling ? 'f' : f.Well[c][r] ? 's' : '.';
            const char got = lookAt(w.well(), c, r);
            if (got != want)
                bad << QStringLiteral("(%1,%2) %3 for %4").arg(c).arg(r).arg(got).arg(want);
        }
    }
    return bad.join(QStringLiteral("; "));
}

#define VERIFY_PICTURE(w) QVERIFY2(pictureMismatches(w).isEmpty(), qPrintable(pictureMismatches(w)))

// The pixels of the drawn squares Draw_Figure may touch for a figure at (x, y): its box, a
// column either side and the row above.
QRegion redrawArea(const vb::PictureBox* pic, int x, int y) {
    const int c0 = x <= 18 ? x - 1 : x, r0 = y != 0 ? y - 1 : 0;
    QRegion area;
    for (int c = c0; c <= c0 + 5; ++c) {
        for (int r = r0; r <= r0 + 4; ++r) {
            const double left = (c - 4) * 250.0, top = r * 250.0;
            area += QRect(pic->toPixel(left + 28, top + 28), pic->toPixel(left + 222, top + 222));
        }
    }
    return area;
}

// How many pixels changed outside the allowed region.
int changedOutside(const QImage& before, const QImage& after, const QRegion& allowed) {
    int n = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y) && !allowed.contains(QPoint(x, y))) ++n;
    return n;
}

// Ticks until the figure has fallen one row (or landed); false when nothing happened.
bool fallOneRow(Window& w) {
    const int y = w.game().field.FigY, count = w.game().FigureCount;
    for (int i = 0; i < 200; ++i) {
        w.game().tick();
        if (w.game().field.FigY != y || w.game().FigureCount != count) return true;
    }
    return false;
}

// Fills play rows 3..30 except column 4, so nothing is removed and the next figure to enter
// cannot fit once the current one lands.
void fillBelowEntry(Window& w) {
    for (int r = 3; r <= 30; ++r)
        for (int c = 5; c <= 18; ++c) w.game().field.Well[c][r] = true;
    w.frm->Draw_Well();
    w.frm->Draw_Grid();
}

// The pixel of a grabbed window that holds the point (x, y) in twips.
QColor grabbed(const QImage& image, int twipsX, int twipsY) {
    return image.pixelColor(twipsX / vb::kTwipsPerPixel, twipsY / vb::kTwipsPerPixel);
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The window closes at the end of a game; the test program goes on.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void arrowKeysReachTheModelFromEveryControl() {
        Window w;
        w.dealer.add(classic(kEll));
        w.dealer.add(classic(kBar));
        QVERIFY(w.start());
        VERIFY_PICTURE(w);
        const Playfield& f = w.game().field;
        QCOMPARE(int(f.FigX), 9);

        const QList<QWidget*> targets = {w.frm.get(),           w.well(),
                                         w.control("chkAuto"),  w.control("cmdDown"),
                                         w.control("lblScore"), w.control("fraScore"),
                                         w.control("chkPause")};
        for (QWidget* target : targets) {
            QVERIFY(target);
            const int x = f.FigX;
            const QImage atStart = w.well()->image().copy();
            QTest::keyClick(target, Qt::Key_Left);
            QCOMPARE(int(f.FigX), x - 1);
            VERIFY_PICTURE(w);
            // Nothing changes beyond the squares around the figure: the grid stays whole.
            QCOMPARE(changedOutside(atStart, w.well()->image(), redrawArea(w.well(), f.FigX, 0)),
                     0);
            QTest::keyClick(target, Qt::Key_Right);
            QTest::keyClick(target, Qt::Key_Right);
            QCOMPARE(int(f.FigX), x + 1);
            VERIFY_PICTURE(w);
            QTest::keyClick(target, Qt::Key_Left);
            const CellArray before = f.Fig;
            QTest::keyClick(target, Qt::Key_Up);
            QVERIFY(f.Fig != before);
            VERIFY_PICTURE(w);
            for (int i = 0; i < 3; ++i) QTest::keyClick(target, Qt::Key_Up);
        }
        // The focused control too: the well holds the focus in play.
        w.well()->setFocus();
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, Qt::Key_Left);
        QCOMPARE(int(f.FigX), 8);

        // Down drops: the figure falls a row a tick, and the picture follows every step.
        QTest::keyClick(w.control("lblLevel"), Qt::Key_Down);
        QVERIFY(w.game().DropMode);
        QVERIFY(!w.frm->cmdDown->isEnabled());
        int steps = 0;
        while (w.game().FigureCount == 0 && steps < 40) {
            const int y = f.FigY;
            w.game().tick();
            ++steps;
            if (w.game().FigureCount == 0) QCOMPARE(int(f.FigY), y + 1);
            VERIFY_PICTURE(w);
        }
        QCOMPARE(int(w.game().FigureCount), 1);
        QCOMPARE(steps, 29);  // from row 0 to row 28, then the landing tick
        // The L landed at columns 9 and 10, bottom rows; the bar entered at the top.
        QCOMPARE(lookAt(w.well(), 9, 30), 's');
        QCOMPARE(lookAt(w.well(), 10, 28), 's');
        QCOMPARE(int(f.FigY), 0);
        QVERIFY(w.frm->cmdDown->isEnabled());
        VERIFY_PICTURE(w);
    }

    // Either mouse button moves, turns and drops, each button coloured while held; a refused
    // move at the wall leaves the pixels as they were.
    void buttonsActForEitherMouseButton() {
        Window w;
        w.dealer.add(classic(kEll));
        QVERIFY(w.start());
        const Playfield& f = w.game().field;
        const vb::Color face = w.game().ButtonColor;
        vb::CommandButton* left = w.frm->cmdLeftRight[0];
        vb::CommandButton* right = w.frm->cmdLeftRight[2];
        vb::CommandButton* rotate = w.frm->cmdRotate[0];
        QVERIFY(left && right && rotate && !w.frm->cmdLeftRight[1]);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
            const int x = f.FigX;
            QTest::mousePress(left, b);
            QCOMPARE(int(f.FigX), x - 1);
            QCOMPARE(left->backColor(), vb::Color(0x00FF00));  // green while held
            QTest::mouseRelease(left, b);
            QCOMPARE(left->backColor(), face);
            QTest::mouseClick(right, b);
            QCOMPARE(int(f.FigX), x);
            const CellArray before = f.Fig;
            QTest::mousePress(rotate, b);
            QVERIFY(f.Fig != before);
            QCOMPARE(rotate->backColor(), vb::Color(0x00FFFF));  // yellow while held
            VERIFY_PICTURE(w);
            QTest::mouseRelease(rotate, b);
            QCOMPARE(rotate->backColor(), face);
            for (int i = 0; i < 3; ++i) QTest::mouseClick(rotate, b);
        }
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));  // handed back

        for (int i = 0; i < 20; ++i) QTest::mouseClick(left, Qt::LeftButton);
        QCOMPARE(int(f.FigX), 3);  // the ell stands in box columns 1..2: play column 4
        const QImage atWall = w.well()->image().copy();
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QTest::mouseClick(left, Qt::RightButton);
        QCOMPARE(int(f.FigX), 3);
        QCOMPARE(w.well()->image(), atWall);

        QTest::mousePress(w.frm->cmdDown, Qt::RightButton);
        QVERIFY(w.game().DropMode);
        QCOMPARE(w.frm->cmdDown->backColor(), kBlack);
        QVERIFY(!w.frm->cmdDown->isEnabled());
        QTest::mouseRelease(w.frm->cmdDown, Qt::RightButton);
        while (w.game().FigureCount == 0) QVERIFY(fallOneRow(w));
        VERIFY_PICTURE(w);
        QCOMPARE(w.frm->cmdDown->backColor(), face);
        QVERIFY(w.frm->cmdDown->isEnabled());
    }

    void fallStepsShowTheFigureWhereItStands() {
        Window w;
        w.dealer.add(classic(kSquare));
        QVERIFY(w.start());
        const Playfield& f = w.game().field;
        for (int row = 1; row <= 4; ++row) {
            const QImage before = w.well()->image().copy();
            QVERIFY(fallOneRow(w));
            QCOMPARE(int(f.FigY), row);
            QCOMPARE(changedOutside(
                         before, w.well()->image(),
                         redrawArea(w.well(), f.FigX, row - 1) + redrawArea(w.well(), f.FigX, row)),
                     0);
            // The row the figure left is erased at once, not one step later.
            VERIFY_PICTURE(w);
            QCOMPARE(lookAt(w.well(), 9, row), '.');
            QCOMPARE(lookAt(w.well(), 9, row + 1), 'f');
        }
        // A settled cell beside the figure keeps its square.
        w.game().field.Well[11][6] = true;
        w.frm->Draw_Well();
        w.frm->Draw_Grid();
        w.frm->Draw_Figure();
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QTest::keyClick(w.frm.get(), Qt::Key_Right);
        QVERIFY(fallOneRow(w));
        QCOMPARE(lookAt(w.well(), 11, 6), 's');
        VERIFY_PICTURE(w);
    }

    void idleTicksAreSleptThroughInOneWait() {
        Window w;
        w.dealer.add(classic(kEll));
        QVERIFY(w.start());
        const Game& g = w.game();
        const int tick = w.frm->fallTickMs();
        auto fire = [&w] { emit w.frm->tmrDown.Tick(); };
        // While the countdown runs every tick shows a new time bonus: one tick a wait.
        for (int i = 0; i < 201; ++i) {
            QCOMPARE(w.frm->tmrDown.interval(), tick);
            fire();
        }
        QCOMPARE(int(g.TimeTicks), 201);
        QCOMPARE(int(g.field.FigY), 1);  // the step at tick 150
        QCOMPARE(int(g.TickCount), 51);
        // Then nothing but the counter changes until the next step: one wait for all of it,
        // which ends with that step.
        QCOMPARE(w.frm->tmrDown.interval(), 99 * tick);
        fire();
        QCOMPARE(int(g.field.FigY), 2);
        QCOMPARE(int(g.TickCount), 0);
        VERIFY_PICTURE(w);
        QCOMPARE(w.frm->tmrDown.interval(), 150 * tick);

        // A move changes no tick: the wait stays. A drop makes the next tick a fall step.
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QCOMPARE(w.frm->tmrDown.interval(), 150 * tick);
        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        QVERIFY(w.frm->tmrDown.interval() <= tick);
        QVERIFY(w.frm->tmrDown.interval() > 0);
        fire();
        QCOMPARE(int(g.field.FigY), 3);
        QCOMPARE(w.frm->tmrDown.interval(), tick);

        // A pause stops the timer; the resumed game counts on from where it stood.
        while (g.DropMode) fire();
        for (int i = 0; i < 201; ++i) fire();
        const int counted = g.TickCount;
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.frm->tmrDown.isEnabled());
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(w.frm->tmrDown.isEnabled());
        QCOMPARE(int(g.TickCount), counted);
        QCOMPARE(w.frm->tmrDown.interval(), (150 - counted) * tick);
    }

    void escapePausesAndResumes() {
        Window w;
        QVERIFY(w.start());
        const QPoint pauseSpot = w.frm->lblPause->geometry().center();
        QVERIFY(w.frm->fraControl->isVisible());
        QVERIFY(w.frm->tmrDown.isEnabled());
        QWidget* onTop = w.frm->childAt(pauseSpot);
        QVERIFY(onTop == w.frm->fraControl || w.frm->fraControl->isAncestorOf(onTop));

        QTest::keyClick(w.well(), Qt::Key_Escape);
        QVERIFY(w.game().isPaused());
        QVERIFY(!w.frm->fraControl->isVisibleTo(w.frm.get()));
        QVERIFY(w.frm->lblPause->isVisibleTo(w.frm.get()));
        QCOMPARE(w.frm->childAt(pauseSpot), static_cast<QWidget*>(w.frm->lblPause));
        QVERIFY(!w.frm->tmrDown.isEnabled());
        QVERIFY(w.frm->windowState() & Qt::WindowMinimized);  // ESC minimises as it pauses

        const int x = w.game().field.FigX;
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.game().isPaused());
        QVERIFY(w.frm->fraControl->isVisibleTo(w.frm.get()));
        QVERIFY(w.frm->tmrDown.isEnabled());
        QVERIFY(!(w.frm->windowState() & Qt::WindowMinimized));
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QCOMPARE(int(w.game().field.FigX), x - 1);

        // The pause button pauses without minimising.
        auto* pause = w.control<vb::CheckButton>("chkPause");
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(w.game().isPaused());
        QVERIFY(!w.frm->tmrDown.isEnabled());
        QVERIFY(!(w.frm->windowState() & Qt::WindowMinimized));
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(!w.game().isPaused());
        QVERIFY(w.frm->tmrDown.isEnabled());
    }

    void controlsSitAtTheirDesignPlaces() {
        Window w;
        QVERIFY(w.start());
        QCOMPARE(w.frm->size(), QSize(vb::twipsToPixels(ui::kMainClientWidth),
                                      vb::twipsToPixels(ui::kMainClientHeight)));
        for (const ui::ControlDesign& d : ui::mainWindowDesign()) {
            const QString name = QString::fromLatin1(d.name);
            QWidget* c = w.frm->control(name);
            QVERIFY2(c, d.name);
            int left = d.left, top = d.top;
            if (name == QLatin1String("picTalomir")) top = 100;
            if (name == QLatin1String("fraControl")) left = 900;
            if (name == QLatin1String("lblPause")) left = 900, top = 6840;
            QCOMPARE(c->geometry(), vb::twipsRect(left, top, d.width, d.height));
            const QString container = QString::fromLatin1(d.container);
            QCOMPARE(c->parentWidget(), container.isEmpty() ? static_cast<QWidget*>(w.frm.get())
                                                            : w.frm->control(container));
            QCOMPARE(c->property("Tag").toString(), ui::helpText(name));
        }
        // The pause label lies under the control frame.
        QVERIFY(w.frm->children().indexOf(w.frm->lblPause) <
                w.frm->children().indexOf(w.frm->fraControl));
    }

    void noCaptionIsClipped() {
        Window w;
        QVERIFY(w.start());
        QStringList clipped;
        auto check = [&clipped](QWidget* c, const QString& caption) {
            if (caption.isEmpty()) return;
            const QFontMetrics fm(c->font());
            QRect area;
            QSize need(fm.horizontalAdvance(caption), fm.height());
            if (auto* l = qobject_cast<vb::Label*>(c)) {
                // Labels wrap at blanks: the wrapped text has to fit.
                area = l->captionRect();
                need = l->textBounds().toAlignedRect().size();
            } else if (auto* b = qobject_cast<vb::ButtonBase*>(c)) {
                // A button keeps its caption on one line and centres the glyphs themselves,
                // whose height is what has to fit inside the bevel.
                area = b->captionRect();
                need.setHeight(fm.tightBoundingRect(caption).height());
            } else if (auto* f = qobject_cast<vb::Frame*>(c)) {
                area = f->captionRect();
            }
            if (need.width() > area.width() || need.height() > area.height())
                clipped << QStringLiteral("%1 '%2' needs %3x%4 in %5x%6")
                               .arg(c->objectName(), caption)
                               .arg(need.width())
                               .arg(need.height())
                               .arg(area.width())
                               .arg(area.height());
        };
        for (const ui::ControlDesign& d : ui::mainWindowDesign())
            check(w.frm->control(QString::fromLatin1(d.name)), QString::fromUtf8(d.caption));
        // The longest captions the game writes at run time.
        const struct {
            const char* name;
            const char* caption;
        } runtime[] = {
            {"lblLevel", "Level # 10"},
            {"lblRemain", "123456789"},
            {"lblScore", "9999999"},
            {"lblSumBonus", "  Talomir Bonus : 999999"},
            {"lblFirma", "Talomir-фигурка Bonus 5000"},
            {"lblFirma", "This Is Talomir Bonus 25000"},
            {"lblCountLines(1)", "1-Lines*99 = 27225"},
            {"lblCountLines(2)", "2-Lines*99 = 79200"},
            {"lblCountLines(3)", "3-Lines*99 = 220275"},
            {"lblCountLines(4)", "4-Lines*99 = 495000"},
            {"lblPosition", "Place # 100"},
            {"lblNextPlace", "Next Place : +999999"},
            {"lblTimeBonus", "200"},
            {"lblTotalScore", "999999"},
        };
        for (const auto& r : runtime)
            check(w.frm->control(QString::fromLatin1(r.name)), QString::fromUtf8(r.caption));
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

    void windowSizeSnapsBack() {
        Window w;
        QVERIFY(w.start());
        const QSize design = w.frm->size();
        w.frm->resize(design.width() + 80, design.height() - 120);
        QCoreApplication::processEvents();
        QCOMPARE(w.frm->size(), design);
        w.frm->setGeometry(QRect(w.frm->pos(), QSize(100, 100)));
        QCoreApplication::processEvents();
        QCOMPARE(w.frm->size(), design);
    }

    void nextFigureBoxShowsItsColour() {
        Window w;
        w.dealer.add(classic(kEll));
        w.dealer.add(classic(kBar));
        w.dealer.add(bonusFigure(kSquare, 40000));  // a bonus figure comes after the first landing
        for (const char* m : {kSquare, kEll, kBar}) w.dealer.add(classic(m));
        QVERIFY(w.start());
        auto checkBox = [&w](const QColor& colour) {
            const QImage shot = w.frm->grab().toImage();
            QStringList bad;
            for (int i = 0; i < 4; ++i) {
                for (int j = 0; j < 4; ++j) {
                    const int x = w.frm->NextBoxX + i * 250, y = w.frm->NextBoxY + j * 250;
                    const QColor want = w.game().FigNext[i][j] ? colour : QColor(Qt::black);
                    if (grabbed(shot, x + 125, y + 125) != want)
                        bad << QStringLiteral("cell %1,%2").arg(i).arg(j);
                    // The 28-twip margin around every square stays black.
                    if (grabbed(shot, x + 8, y + 125) != QColor(Qt::black))
                        bad << QStringLiteral("margin %1,%2").arg(i).arg(j);
                }
            }
            return bad.join(u' ');
        };
        QCOMPARE(w.game().scoring.ColorFigura, Colour(0xFFFF00));
        QString bad = checkBox(QColor(0, 255, 255));
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        while (w.game().FigureCount == 0) QVERIFY(fallOneRow(w));
        QCOMPARE(w.game().Queue[2].IsTalomir, Integer(-1));
        QCOMPARE(w.game().scoring.ColorFigura, Colour(0x0000FF));
        bad = checkBox(QColor(255, 0, 0));  // a bonus figure is red
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QVERIFY(w.control("lblFirma")->isVisible());
    }

    void previewShowsTheThreeNextMasks() {
        Window w;
        for (const char* m : {kEll, kBar, kSquare, kBar, kEll, "1000010000100001"})
            w.dealer.add(classic(m));
        QVERIFY(w.start());
        QVERIFY(w.frm->futureExists());
        QVERIFY(!w.frm->frmFuture()->isVisible());  // drawn while hidden
        auto check = [&w](const QStringList& masks) {
            vb::PictureBox* pic = w.frm->frmFuture()->picFuture;
            QStringList bad;
            for (int k = 0; k < 3; ++k) {
                int n = 0;
                for (int a = 1; a <= 4; ++a) {
                    for (int b = 1; b <= 4; ++b) {
                        const vb::Color want = masks[k][n++] == u'1' ? kPreviewOne : kPreviewZero;
                        const QPoint p = pic->toPixel(a * 250 + 125, k * 1200 + b * 250 + 28);
                        const QPoint inside = pic->toPixel(a * 250 + 125, k * 1200 + b * 250 + 125);
                        if (pic->pixel(p.x(), p.y()) != want)
                            bad << QStringLiteral("figure %1 cell %2").arg(k + 3).arg(n);
                        if (pic->pixel(inside.x(), inside.y()) != vb::Color(0x404040))
                            bad << QStringLiteral("inside %1 cell %2").arg(k + 3).arg(n);
                    }
                }
            }
            return bad.join(u' ');
        };
        QString bad = check(
            {QString::fromLatin1(kSquare), QString::fromLatin1(kBar), QString::fromLatin1(kEll)});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        while (w.game().FigureCount == 0) QVERIFY(fallOneRow(w));
        bad = check({QString::fromLatin1(kBar), QString::fromLatin1(kEll),
                     QStringLiteral("1000010000100001")});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
    }

    void gameOverAsksNameThenNewGameWithTheGameFrozen() {
        Window w(true);
        w.dealer.add(classic(kEll));
        w.dealer.add(classic(kEll));
        QVERIFY(w.start());
        QCOMPARE(w.calls, QStringList{QStringLiteral("firstload")});
        w.calls.clear();
        fillBelowEntry(w);
        QTest::keyClick(w.frm.get(), Qt::Key_Left);

        // Everything a frozen game must keep while a question is open.
        auto snapshot = [&w] {
            const Game& g = w.game();
            return std::make_tuple(g.field.FigX, g.field.FigY, g.TickCount, g.TimeTicks,
                                   g.FigureCount, g.log.lines().size(),
                                   g.display[Ctl::chkPause].Value, g.scoring.Score, g.field.Fig,
                                   w.well()->image().copy());
        };
        auto poke = [&w] {
            w.game().tick();
            w.game().tmrDown_Timer();
            emit w.frm->tmrDown.Tick();
            for (Qt::Key k : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
                QTest::keyClick(w.frm.get(), k);
            QTest::mouseClick(w.frm->cmdLeftRight[2], Qt::LeftButton);
            QTest::keyClick(w.well(), Qt::Key_Escape);
        };
        bool frozenAtName = false, frozenAtNewGame = false;
        w.onName = [&](QString& name) {
            const auto before = snapshot();
            poke();
            frozenAtName = snapshot() == before;
            name = QStringLiteral("Tester");
            return true;
        };
        w.onNewGame = [&] {
            const auto before = snapshot();
            poke();
            frozenAtNewGame = snapshot() == before;
            // The table already holds the new entry.
            const QListWidget* table = w.frm->frmTalomiFathers()->lstTable;
            return table->count() == 2 && table->item(0)->text().startsWith("1. Tester");
        };
        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        w.game().tick();
        QCOMPARE(w.calls, (QStringList{QStringLiteral("name"), QStringLiteral("newgame")}));
        QVERIFY(frozenAtName);
        QVERIFY(frozenAtNewGame);

        // Yes: a clean game on the same window.
        QVERIFY(w.frm->isVisible());
        QVERIFY(!w.game().isFinishing());
        QCOMPARE(w.frm->frmStatistic()->lstStatistic->count(), 0);
        QCOMPARE(w.control<vb::Label>("lblScore")->caption(), QStringLiteral("---"));
        VERIFY_PICTURE(w);
        QCOMPARE(w.records->table().names(),
                 (QStringList{QStringLiteral("Tester"), QStringLiteral("Zarno")}));
        QVERIFY(!w.calls.contains(QStringLiteral("save")));
        QVERIFY(!w.calls.contains(QStringLiteral("firstload")));  // only at the first load
        // The new game runs.
        QVERIFY(w.frm->tmrDown.isEnabled());
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QCOMPARE(int(w.game().field.FigX), 8);
    }

    void answeringNoClosesThroughTheClosingHandler() {
        Window w(true);
        QVERIFY(w.start());
        w.calls.clear();
        w.onName = [](QString&) { return false; };  // the name dialog's close box
        w.onNewGame = [] { return false; };
        fillBelowEntry(w);
        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        w.game().tick();
        QCOMPARE(w.calls, (QStringList{QStringLiteral("name"), QStringLiteral("newgame"),
                                       QStringLiteral("save")}));
        QVERIFY(!w.frm->isVisible());
        QVERIFY(!w.frm->tmrDown.isEnabled());
        QCOMPARE(w.records->table().names(),
                 QStringList{QStringLiteral("Zarno")});  // nothing stored
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const char* name : {"frmStatistic", "frmTalomiFathers", "frmFuture"})
            QVERIFY2(!vb::Forms::find(QString::fromLatin1(name)), name);
        // The game stays frozen while the program closes.
        const int y = w.game().field.FigY;
        for (int i = 0; i < 200; ++i) w.game().tick();
        QCOMPARE(int(w.game().field.FigY), y);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
