// The main window as a player sees it: the well, the next-figure box and the preview read back
// pixel by pixel against the game's state; the layout and captions; the input.
#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QtTest>
#include <numeric>

#include "tests/support/main_window_rig.h"
#include "ui/dialogs.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/units.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr vb::Color kBlack = 0, kYellow = 0x00FFFF, kCyan = 0xFFFF00;
constexpr vb::Color kGrid = vb::RGB(150, 175, 175), kGridFirst = vb::RGB(200, 200, 210);
constexpr const char *kCorners = "1001000000001001", *kSquare = "0000011001100000";

using At = std::function<vb::Color(int, int)>;  // the colour at a point in drawing units
At on(const vb::PictureBox* pic) {
    return
        [pic](int x, int y) { return pic->pixel(pic->toPixel(x, y).x(), pic->toPixel(x, y).y()); };
}
// A cell's drawn square, corner (x, y), 250 units: its middle and its four edges `in` inside.
QList<vb::Color> square(const At& at, int x, int y, int in = 28) {
    return {at(x + 125, y + 125), at(x + 125, y + in), at(x + 125, y + 250 - in),
            at(x + in, y + 125), at(x + 250 - in, y + 125)};
}
QList<vb::Color> filled(vb::Color c) {
    return QList<vb::Color>(5, c);
}
QList<vb::Color> outline(vb::Color c, vb::Color inside) {
    return {inside, c, c, c, c};
}

// The well (settled cells filled yellow, the falling figure outlined cyan, the grid light while
// the player is first), the next figure in a 1000-unit box in the middle of the circle, in its
// colour, and the preview of the three after it: what differs from the game's state.
QString pictureMismatches(Window& w, vb::Color next) {
    const Playfield& f = w.game().field;
    QStringList bad;
    const At well = on(w.well());
    for (int r = 0; r <= 30; ++r)
        for (int c = 4; c <= 18; ++c) {
            const int x = c - f.FigX, y = r - f.FigY;
            const bool falling = x >= 0 && x < 4 && y >= 0 && y < 4 && f.Fig[x][y];
            if (square(well, (c - 4) * 250, r * 250) !=
                (falling ? outline(kCyan, kBlack) : filled(f.Well[c][r] ? kYellow : kBlack)))
                bad << QStringLiteral("cell %1,%2").arg(c).arg(r);
        }
    const vb::Color grid = w.game().ranking.Place == 0 ? kGridFirst : kGrid;
    for (int k = 0; k < 32; ++k)
        if (well(125, k * 250) != grid || well(k % 16 * 250, 7125) != grid)
            bad << QStringLiteral("grid line %1").arg(k);
    const QImage shot = w.frm->grab().toImage();
    const QPoint box = w.frm->shpTwo->geometry().center() * vb::kTwipsPerPixel - QPoint(500, 500);
    const At form = [&](int x, int y) {
        return vb::toColor(shot.pixelColor((box.x() + x) / vb::kTwipsPerPixel,
                                           (box.y() + y) / vb::kTwipsPerPixel));
    };
    const At preview = on(w.frm->frmFuture()->picFuture);
    for (std::size_t n = 0; n < 16; ++n) {
        const int i = int(n / 4), j = int(n % 4);
        if (square(form, i * 250, j * 250, 50) != filled(w.game().FigNext[i][j] ? next : kBlack))
            bad << QStringLiteral("next %1,%2").arg(i).arg(j);
        for (int k = 3; k <= 5; ++k)
            if (square(preview, (i + 1) * 250, (k - 3) * 1200 + (j + 1) * 250) !=
                outline(w.game().Queue[k].Mask[n] == '1' ? kYellow : vb::RGB(120, 120, 120),
                        0x404040))
                bad << QStringLiteral("preview %1 cell %2").arg(k).arg(n);
    }
    return bad.join(u' ');
}

#define VERIFY_PICTURE(w, next) \
    QVERIFY2(pictureMismatches(w, next).isEmpty(), qPrintable(pictureMismatches(w, next)))

// Ticks until the figure has fallen one row or landed.
void fallOneRow(Window& w) {
    const int y = w.game().field.FigY, count = w.game().FigureCount;
    for (int i = 0; i < 200 && w.game().field.FigY == y && w.game().FigureCount == count; ++i)
        w.game().tick();
}

// Controls that overlap a sibling by more than a pixel or leave their container.
QStringList misplaced(QWidget* window, const QSet<QString>& mayOverlap = {}) {
    auto placed = [window](QWidget* c) {
        return !c->isWindow() && c->isVisibleTo(window) &&
               (c->parentWidget() == window || qobject_cast<vb::Frame*>(c->parentWidget()));
    };
    QStringList bad;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!placed(c)) continue;
        if (!c->parentWidget()->rect().contains(c->geometry())) bad << c->objectName() + " outside";
        for (QWidget* s : c->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect both = c->geometry() & s->geometry();
            if (s != c && placed(s) && both.width() > 1 && both.height() > 1 &&
                !mayOverlap.contains(c->objectName()) && !mayOverlap.contains(s->objectName()))
                bad << c->objectName() + " over " + s->objectName();
        }
    }
    return bad;
}

// Captions (or the given longer ones) that do not fit their control, and bold ones drawn thin.
QStringList clipped(QWidget* window, const QHash<QString, QString>& longer = {}) {
    auto ink = [](QFont font, bool bold, const QString& text) {
        font.setBold(bold);
        QImage image(400, 60, QImage::Format_Grayscale8);
        image.fill(0);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(image.rect(), Qt::AlignCenter, text);
        p.end();
        return std::accumulate(image.constBits(), image.constBits() + image.sizeInBytes(), 0.0);
    };
    QStringList bad;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        const QFontMetrics fm(c->font());
        QString text;
        QSize need, room;
        if (auto* l = qobject_cast<vb::Label*>(c)) {
            const QString old = l->caption();
            l->setCaption(text = longer.value(c->objectName(), old));
            need = l->textBounds().toAlignedRect().size();  // wrapped at blanks
            room = l->captionRect().size();
            l->setCaption(old);
        } else if (auto* b = qobject_cast<vb::ButtonBase*>(c)) {
            text = b->caption();
            need = {fm.horizontalAdvance(text), fm.tightBoundingRect(text).height()};
            room = b->captionRect().size();
        } else if (auto* f = qobject_cast<vb::Frame*>(c)) {
            text = f->caption();
            need = {fm.horizontalAdvance(text), fm.height()};
            room = f->captionRect().size();
        }
        if (need.width() > room.width() || need.height() > room.height())
            bad << QStringLiteral("%1 '%2' clipped").arg(c->objectName(), text);
        if (!text.isEmpty() && c->font().bold() &&
            ink(c->font(), true, text) < 1.2 * ink(c->font(), false, text))
            bad << QStringLiteral("%1 thin in %2").arg(c->objectName(), c->font().family());
    }
    return bad;
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // A game from the first figure to first place, every step drawn as the rules say.
    void theWellShowsTheGameAsItGoes() {
        Window w(true, {"Ann", " 3 "});
        for (const char* m : {masks::kEll, kCorners, masks::kBar, kSquare, masks::kEll})
            w.dealer.add(classic(m));
        w.dealer.add(bonusFigure(kSquare, 40000));
        QVERIFY(w.start());
        const Playfield& f = w.game().field;
        for (QPoint p :
             {QPoint(4, 30), QPoint(18, 30), QPoint(18, 12), QPoint(4, 0), QPoint(18, 0)})
            w.game().field.Well[p.x()][p.y()] = true;
        w.frm->Draw_Well();
        w.frm->Draw_Grid();
        w.frm->Draw_Figure();
        QCOMPARE(w.game().ranking.Place, Integer(1));
        VERIFY_PICTURE(w, kCyan);
        // The arrows steer from whatever control they reach; the picture follows each move.
        for (const char* to :
             {"frmMain", "picTalomir", "chkAuto", "cmdDown", "lblScore", "fraScore"}) {
            QWidget* target = w.frm->control(to) ? w.frm->control(to) : w.frm.get();
            const int x = f.FigX;
            const CellArray shape = f.Fig;
            QTest::keyClick(target, Qt::Key_Left);
            QCOMPARE(int(f.FigX), x - 1);
            VERIFY_PICTURE(w, kCyan);
            QTest::keyClick(target, Qt::Key_Right);
            QTest::keyClick(target, Qt::Key_Up);
            QVERIFY(f.Fig != shape);
            VERIFY_PICTURE(w, kCyan);
            for (int i = 0; i < 3; ++i) QTest::keyClick(target, Qt::Key_Up);
        }
        // Down drops: a row a tick, the drop button off until the landing.
        QTest::keyClick(w.frm->control("lblLevel"), Qt::Key_Down);
        QVERIFY(!w.frm->cmdDown->isEnabled());
        for (int steps = 0; w.game().FigureCount == 0; ++steps) {
            QVERIFY(steps < 40);
            fallOneRow(w);
            VERIFY_PICTURE(w, kCyan);
        }
        QVERIFY(w.frm->cmdDown->isEnabled());
        QCOMPARE(w.game().ranking.Place, Integer(0));  // passed Ann: the grid lightens
        QCOMPARE(square(on(w.well()), 6 * 250, 30 * 250), filled(kYellow));
        VERIFY_PICTURE(w, kCyan);
        for (int k = 0; k < 3; ++k) w.land();
        QCOMPARE(w.game().scoring.ColorFigura, Colour(0x0000FF));  // a bonus figure is red
        VERIFY_PICTURE(w, 0x0000FF);
    }

    // Either mouse button moves and turns, each button coloured while held; right drops too.
    void buttonsActForEitherMouseButton() {
        Window w;
        w.dealer.add(classic(masks::kEll));
        QVERIFY(w.start());
        const Playfield& f = w.game().field;
        const vb::Color face = w.game().ButtonColor;
        vb::CommandButton *left = w.frm->cmdLeftRight[0], *rotate = w.frm->cmdRotate[0];
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
            const int x = f.FigX;
            const CellArray shape = f.Fig;
            QTest::mousePress(left, b);
            QTest::mousePress(rotate, b);
            QVERIFY(int(f.FigX) == x - 1 && f.Fig != shape);
            QCOMPARE(left->backColor(), vb::Color(0x00FF00));    // green while held
            QCOMPARE(rotate->backColor(), vb::Color(0x00FFFF));  // yellow while held
            QTest::mouseRelease(left, b);
            QTest::mouseRelease(rotate, b);
            QVERIFY(left->backColor() == face && rotate->backColor() == face);
            QTest::mouseClick(w.frm->cmdLeftRight[2], b);
            QCOMPARE(int(f.FigX), x);
        }
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
        QTest::mousePress(w.frm->cmdDown, Qt::RightButton);
        QVERIFY(w.game().DropMode && w.frm->cmdDown->backColor() == kBlack);
        QTest::mouseRelease(w.frm->cmdDown, Qt::RightButton);
        while (w.game().FigureCount == 0) fallOneRow(w);
        QCOMPARE(w.frm->cmdDown->backColor(), face);
    }

    void idleTicksAreSleptThroughInOneWait() {
        Window w;
        w.dealer.add(classic(masks::kEll));
        QVERIFY(w.start());
        const Game& g = w.game();
        const int tick = w.frm->fallTickMs();
        auto fire = [&w] { emit w.frm->tmrDown.Tick(); };
        // While the countdown runs the window wakes every third tick to show its number; the
        // fall step at tick 150 ends a wait of its own.
        for (int i = 0; i < 67; ++i) {
            QCOMPARE(w.frm->tmrDown.interval(), 3 * tick);
            fire();
        }
        QCOMPARE(int(g.TickCount), 51);  // the step at tick 150, then 51 counted
        // Then nothing but the counter changes until the next step: one wait ending with it.
        QCOMPARE(w.frm->tmrDown.interval(), 99 * tick);
        fire();
        QCOMPARE(int(g.field.FigY), 2);
        QCOMPARE(w.frm->tmrDown.interval(), 150 * tick);
        // A move changes no tick: the wait stays. A drop makes the next tick a fall step.
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QCOMPARE(w.frm->tmrDown.interval(), 150 * tick);
        QTest::qWait(20);  // the wait's rest is what is left of the tick
        QTest::keyClick(w.frm.get(), Qt::Key_Down);
        QVERIFY(w.frm->tmrDown.interval() < tick && w.frm->tmrDown.interval() > 0);
        fire();
        QCOMPARE(int(g.field.FigY), 3);
        // ESC pauses and minimises, the pause label showing; the resumed game counts on.
        while (g.DropMode || g.countdownRunning()) fire();
        const int counted = g.TickCount;
        const QPoint pause = w.frm->lblPause->geometry().center();
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.frm->tmrDown.isEnabled() && w.frm->isMinimized());
        QCOMPARE(w.frm->childAt(pause), static_cast<QWidget*>(w.frm->lblPause));
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.frm->isMinimized() && w.frm->childAt(pause) != w.frm->lblPause);
        QCOMPARE(w.frm->tmrDown.interval(), (150 - counted) * tick);
        // The pause button pauses without minimising.
        QTest::mouseClick(w.check("chkPause"), Qt::LeftButton);
        QVERIFY(w.game().isPaused() && !w.frm->tmrDown.isEnabled() && !w.frm->isMinimized());
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
    }

    // The controls stay apart and inside their containers, the captions fit (also the longest
    // the game writes), the groups line up, and the window keeps its size.
    void layoutAndCaptions() {
        Window w;
        QVERIFY(w.start());
        const QHash<QString, QString> longest = {{"lblLevel", "Level # 10"},
                                                 {"lblRemain", "123456789"},
                                                 {"lblScore", "9999999"},
                                                 {"lblSumBonus", "  Talomir Bonus : 999999"},
                                                 {"lblFirma", "This Is Talomir Bonus 25000"},
                                                 {"lblCountLines(3)", "3-Lines*99 = 220275"},
                                                 {"lblCountLines(4)", "4-Lines*99 = 495000"},
                                                 {"lblPosition", "Place # 100"},
                                                 {"lblNextPlace", "Next Place : +999999"},
                                                 {"lblTimeBonus", "200"},
                                                 {"lblTotalScore", "999999"}};
        QStringList bad = misplaced(w.frm.get(), {"lblPause"}) + clipped(w.frm.get(), longest) +
                          clipped(w.frm.get(), {{"lblFirma", "Talomir-фигурка Bonus 5000"}});
        ui::FrmEnterName name(w.frm.get());
        ui::FrmGameOver over(w.frm.get());
        for (QWidget* d : {static_cast<QWidget*>(&name), static_cast<QWidget*>(&over)}) {
            bad << clipped(d) << misplaced(d);
            if ((d->geometry().center() - w.frm->frameGeometry().center()).manhattanLength() > 2)
                bad << d->objectName() + " not centred on the main window";
        }
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join("; ")));
        // The right column shares one axis; the control frame sits under the well's middle,
        // the pause label in its corner; the arrow buttons form a cross.
        auto mid = [&w](const char* n) { return w.frm->control(n)->geometry().center().x(); };
        for (const char* n :
             {"lblRemain", "fraScore", "lblSumBonus", "shpTwo", "lblFirma", "fraLines"})
            QVERIFY2(std::abs(mid(n) - mid("lblLevel")) <= 1, n);
        QVERIFY(std::abs(mid("fraControl") - mid("picTalomir")) <= 1);
        QCOMPARE(w.frm->lblPause->pos(), w.frm->fraControl->pos());
        QCOMPARE(mid("cmdRotate(0)"), mid("cmdDown"));
        QCOMPARE(mid("cmdDown") - mid("cmdLeftRight(0)"), mid("cmdLeftRight(2)") - mid("cmdDown"));
        for (const QString& n : w.frm->controlNames())  // every control has its help line
            QVERIFY2(!w.frm->control(n)->property("Tag").toString().isEmpty(), qPrintable(n));
        const QSize design = w.frm->size();
        w.frm->resize(design.width() + 80, design.height() - 120);
        QCoreApplication::processEvents();
        QCOMPARE(w.frm->size(), design);
    }

    // Yes: the name is stored and a clean game starts. No: the program ends through its closing
    // handler, which saves the settings and unloads the side windows.
    void gameOverAsksNameThenNewGame() {
        for (bool yes : {true, false}) {
            Window w(true);
            QVERIFY(w.start());
            QCOMPARE(w.calls, QStringList{"firstload"});
            w.calls.clear();
            w.onNewGame = [&w, yes] {
                const QListWidget* table = w.frm->frmTalomiFathers()->lstTable;
                return yes && table->item(0)->text().startsWith("1. Tester");
            };
            for (int r = 3; r <= 30; ++r)
                for (int c = 5; c <= 18; ++c) w.game().field.Well[c][r] = true;
            QTest::keyClick(w.frm.get(), Qt::Key_Down);
            w.game().tick();  // lands at once: the next figure has no room
            if (yes) {
                QCOMPARE(w.calls, (QStringList{"name", "newgame"}));
                QVERIFY(w.frm->isVisible() && w.frm->tmrDown.isEnabled());
                QCOMPARE(w.frm->frmStatistic()->lstStatistic->count(), 0);
                QCOMPARE(qobject_cast<vb::Label*>(w.frm->control("lblScore"))->caption(), "---");
                VERIFY_PICTURE(w, kCyan);
                QCOMPARE(w.records->table().names(), (QStringList{"Tester", "Zarno"}));
                continue;
            }
            QCOMPARE(w.calls, (QStringList{"name", "newgame", "save"}));
            QVERIFY(!w.frm->isVisible() && !w.frm->tmrDown.isEnabled());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            for (const char* name : {"frmStatistic", "frmTalomiFathers", "frmFuture"})
                QVERIFY2(!vb::Forms::find(name), name);
        }
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
