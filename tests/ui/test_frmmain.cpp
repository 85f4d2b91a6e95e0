// The main window's input, fall timer and game end; its pictures are in test_pictures.
#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QtTest>
#include <numeric>

#include "tests/support/main_window_rig.h"
#include "ui/sidewindows.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// How much ink a caption leaves in a font, bold or not.
double ink(QFont font, bool bold, const QString& text) {
    font.setBold(bold);
    QImage image(400, 60, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, text);
    p.end();
    return std::accumulate(image.constBits(), image.constBits() + image.sizeInBytes(), 0.0);
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

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
        QVERIFY(w.game().DropMode && w.frm->cmdDown->backColor() == 0);
        QTest::mouseRelease(w.frm->cmdDown, Qt::RightButton);
        for (int i = 0; i < 100 && w.game().FigureCount == 0; ++i) w.game().tick();
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

    // Bold captions come out heavier than regular ones in the faces the game finds (a bold
    // face that holds the regular outlines drew them thin), and the window keeps its size.
    void boldCaptionsAndFixedSize() {
        Window w;
        QVERIFY(w.start());
        int bold = 0;
        for (QWidget* c : w.frm->findChildren<QWidget*>()) {
            QString text;
            if (auto* l = qobject_cast<vb::CaptionedControl*>(c)) text = l->caption();
            if (auto* b = qobject_cast<vb::ButtonBase*>(c)) text = b->caption();
            if (!text.isEmpty() && c->font().bold() && ++bold)
                QVERIFY2(ink(c->font(), true, text) > 1.2 * ink(c->font(), false, text),
                         qPrintable(c->objectName() + " in " + c->font().family()));
        }
        QVERIFY(bold > 20);
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
                const QImage well = w.well()->image();
                for (int y = 0; y < well.height(); ++y)  // the last game's cells are gone
                    for (int x = 0; x < well.width(); ++x)
                        QVERIFY(well.pixel(x, y) != qRgb(255, 255, 0));
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
