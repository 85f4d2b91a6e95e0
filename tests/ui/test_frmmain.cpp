// The main window's input, fall timer and game end; its pictures are in test_pictures. The
// music sweep's pans reach the sound ahead of their ticks, so that a window sleeping through
// inert ticks need not wake for each; the sound must still get every tick's pan, in order, once.
#include <QListWidget>
#include <QScreen>
#include <QtTest>
#include <thread>

#include "sound/recording_audio.h"
#include "tests/support/main_window_rig.h"
#include "ui/application.h"
#include "ui/frmopen.h"
#include "ui/sidewindows.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// The pans a game hands over when every tick is delivered on its own, as the simulator does.
std::vector<int> tickByTick(int ticks, std::function<void(FakeSweep&, int)> before = {}) {
    ScriptedRandom rng({}, 0.0f);
    FixedClock clock(0);
    Game game(rng, clock);
    testing::Recorder recorder(game);
    game.listen(&recorder);
    FakeSweep sweep;
    sweep.on = true;
    sweep.step = 700;
    game.setSweepSettings(&sweep);
    game.Form_Load();
    for (int i = 0; i < ticks; ++i, game.tick())
        if (before) before(sweep, i);
    return {recorder.pans.begin(), recorder.pans.end()};
}

// The game's sounds through the engine, its music sweeping at 700 a tick.
struct Sound {
    RecordingAudio audio;
    SoundEngine engine{audio};
    ui::SoundBridge bridge{engine};
    FakeSweep sweep;
    explicit Sound(Game& game) {
        audio.setAcceptAnyPath(true);
        engine.music().PlayBkgMusic(QStringLiteral("music.wav"));
        game.listen(&bridge);
        sweep.on = true;
        sweep.step = 700;
        game.setSweepSettings(&sweep);
    }
};

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Either mouse button moves, each button coloured while held; the right one drops too.
    void buttonsActForEitherMouseButton() {
        Window w;
        w.dealer.figures = {classic(masks::kEll)};
        QVERIFY(w.start());
        const Playfield& f = w.game().field();
        const int x = f.figX();
        const Colour normal = w[Ctl::cmdDown].BackColor;
        vb::CommandButton* left = w.button(Ctl::cmdLeftRight0);
        QTest::mousePress(left, Qt::RightButton);
        QVERIFY(f.figX() == x - 1 && left->backColor() == 0x00FF00);  // green
        QTest::mouseRelease(left, Qt::RightButton);
        QCOMPARE(left->backColor(), normal);
        w.button(Ctl::cmdDown)->setFocus();
        QTest::mouseClick(w.button(Ctl::cmdLeftRight2), Qt::LeftButton);
        QTest::mouseClick(w.button(Ctl::cmdRotate0),
                          Qt::LeftButton);  // the well takes the keys back
        QVERIFY(f.figX() == x && f.figure() != cellsOf(masks::kEll) &&
                w.frm->focusWidget() == w.well());
        QTest::mouseClick(w.button(Ctl::cmdDown), Qt::RightButton);
        QVERIFY(w.game().isDropping() && w.frm->focusWidget() == w.well());
        w.button(Ctl::cmdRotate0)->setFocus();
        QTest::mouseClick(w.well(), Qt::LeftButton);  // a click gives the well the keys
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
    }

    // After every move, turn, fall and landing each cell shows its state: outlined cyan under the
    // falling figure, filled yellow when settled, black otherwise (no trail, nothing wiped).
    void theWellShowsItsStateAfterEveryChange() {
        Window w;
        w.dealer.repeat = classic("1111100110011111");  // a ring: cells on every side of its box
        QVERIFY(w.start());
        w.land();  // two settled rings to move along
        QTest::keyClick(w.frm.get(), Qt::Key_Right);
        w.land();
        const Playfield& f = w.game().field();
        const double fx = w.well()->width() / 3760.0, fy = w.well()->height() / 7760.0;
        // Keys Left, Up, Right; a fall step '.'; a drop to the landing '#'.
        for (const char step : QByteArray("L.ULLLLL.R#RRRRRRR..#")) {
            if (step == '.') {
                for (int i = 0; i < 150; ++i) w.game().tick();
            } else if (step == '#') {
                w.land();
            } else {
                QTest::keyClick(w.frm.get(), step == 'L'   ? Qt::Key_Left
                                             : step == 'U' ? Qt::Key_Up
                                                           : Qt::Key_Right);
            }
            QCoreApplication::processEvents();  // as the screen shows it, repaints done
            const QImage screen = w.frm->screen()->grabWindow(w.frm->winId()).toImage();
            for (int c = 4; c <= 18; ++c) {
                for (int r = 0; r <= 30; ++r) {  // a cell's square starts 28 twips into it
                    const int i = c - f.figX(), j = r - f.figY();
                    const bool falling = i >= 0 && i < 4 && j >= 0 && j < 4 && f.figure()[i][j];
                    const QRgb want = falling ? 0x00FFFF : f.cell(c, r) ? 0xFFFF00 : 0;  // RGB
                    const QPoint at = w.well()->mapTo(
                        w.frm.get(),
                        QPoint(int((c - 4) * 250 * fx + 28 * fx), int((r * 250 + 28) * fy)));
                    QVERIFY2((screen.pixel(at) & 0xFFFFFF) == want,
                             qPrintable(QString("%1,%2").arg(c).arg(r)));
                }
            }
        }
        QCOMPARE(w.game().log().lines().size(), 4);  // every ring landed
        // The blink timers run when the presenter starts them, and step its blinks.
        for (Tmr t : {Tmr::tmrLevel, Tmr::tmrMigMenuControls}) {
            w.frm->presenter().state().setTimer(t, true);
            QVERIFY(w.frm->timer(t).isRunning());
            emit w.frm->timer(t).Tick();
        }
        QCOMPARE(std::pair(w[Ctl::lblLevel].ForeColor, w[Ctl::chkPause].BackColor),
                 std::pair(Colour(0), Colour(0x00FF00)));
    }

    void idleTicksAreSleptThroughInOneWait() {
        Window w;
        w.dealer.figures = {classic(masks::kEll)};
        QVERIFY(w.start());
        const Game& g = w.game();
        const int tick = w.frm->fallTickMs();
        vb::Timer& fall = w.frm->timer(Tmr::tmrDown);
        auto fire = [&fall] { emit fall.Tick(); };
        // While the countdown runs the window wakes every eighth tick to show its number; the
        // fall step at tick 150 ends a wait of its own, which shows the number too.
        for (int i = 0; i < 25; ++i) {
            QCOMPARE(fall.interval(), (i == 17 ? 14 : 8) * tick);
            fire();
        }
        QCOMPARE(int(g.tickCount()), 56);      // the step at tick 150, then 56 counted
        QCOMPARE(fall.interval(), 94 * tick);  // then one wait up to the next step
        fire();
        QCOMPARE(int(g.field().figY()), 2);
        QCOMPARE(fall.interval(), 150 * tick);
        // A move changes no tick: the wait stays. A drop makes the next tick a fall step.
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QCOMPARE(fall.interval(), 150 * tick);
        QTest::qWait(20);                            // the wait's rest is what is left of the tick
        QTest::keyClick(w.frm.get(), Qt::Key_Down);  // a drop is shown every fourth row
        QVERIFY(fall.interval() < 5 * tick && fall.interval() > 4 * tick);
        fire();
        QCOMPARE(int(g.field().figY()), 7);
        // ESC pauses and minimises, the pause label showing; the resumed game counts on.
        while (g.isDropping() || g.countdownRunning()) fire();
        // A key after an overdue wait gets its quiet ticks first; the fall step keeps its time.
        w.frm->setFallTickMs(1);
        const int y = g.field().figY(), before = g.tickCount();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QTest::keyClick(w.frm.get(), Qt::Key_Left);
        QVERIFY(g.field().figY() == y && g.tickCount() > before);
        w.frm->setFallTickMs(tick);
        const int counted = g.tickCount();
        QWidget* pauseLabel = w.frm->controls().widget(Ctl::lblPause);
        const QPoint pause = pauseLabel->geometry().center();
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!fall.isEnabled() && w.frm->isMinimized());
        QCOMPARE(w.frm->childAt(pause), pauseLabel);
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.frm->isMinimized() && w.frm->childAt(pause) != pauseLabel);
        QCOMPARE(fall.interval(), (150 - counted) * tick);
        // The pause button pauses without minimising.
        QTest::mouseClick(w.check(Ctl::chkPause), Qt::LeftButton);
        QVERIFY(w.game().isPaused() && !fall.isEnabled() && !w.frm->isMinimized());
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
    }

    // Yes: the name is stored and a clean game starts. No: the program ends through its closing
    // handler, which saves the settings and unloads the side windows.
    void gameOverAsksNameThenNewGame() {
        for (bool yes : {true, false}) {
            Window w(true);
            QVERIFY(w.start() && std::exchange(w.calls, {}) == QStringList{"firstload"});
            ui::FrmOpen::instance();  // the chooser loaded, hidden
            w.onNewGame = [&w, yes] {
                const QListWidget* table = w.frm->sides().table();
                return yes && table->item(0)->text().startsWith("1. Tester");
            };
            w.dealer.repeat = classic(masks::kBar);
            for (int bar = 0; bar < 10 && w.calls.isEmpty(); ++bar) w.land();  // bars stack up
            if (yes) {
                QCOMPARE(w.calls, (QStringList{"name", "newgame"}));
                QVERIFY(w.frm->isVisible() && w.frm->timer(Tmr::tmrDown).isEnabled());
                QCOMPARE(w.frm->sides().statistic()->count(), 0);
                const QImage well = w.well()->image();  // the last game's cells are gone
                QVERIFY(!QList<QRgb>((const QRgb*)well.constBits(),
                                     (const QRgb*)well.constBits() + well.sizeInBytes() / 4)
                             .contains(qRgb(255, 255, 0)));
                QCOMPARE(w.records->table().names(), (QStringList{"Tester", "Zarno"}));
                continue;
            }
            QCOMPARE(w.calls, (QStringList{"name", "newgame", "save"}));
            QVERIFY(!w.frm->isVisible() && !w.frm->timer(Tmr::tmrDown).isEnabled());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            for (const char* name : {"frmStatistic", "frmTalomiFathers", "frmFuture", "frmOpen"})
                QVERIFY2(!vb::Forms::find(name), name);
        }
    }

    // Waits, key presses that end a wait early, a drop and a pause: the pans the music got are
    // those of the ticks the game counted, and no more.
    void theWindowHandsOverEveryTicksPanOnce() {
        testing::Window w;
        Sound sound(w.game());
        QVERIFY(w.start());
        w.frm->setFallTickMs(1);
        QTRY_VERIFY_WITH_TIMEOUT(w.game().timeTicks() > 200, 30000);  // the countdown is over
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Escape}) {
            QTest::qWait(300);
            QTest::keyClick(w.frm.get(), key);
        }
        QVERIFY(w.game().isPaused());
        // Waits were handed over at once; exactly the counted ticks ran.
        QVERIFY(std::ranges::any_of(sound.audio.ops(),
                                    [](const AudioOp& op) { return op.pans.size() > 100; }));
        const std::vector<int> pans = sound.audio.pans();
        QCOMPARE(pans, tickByTick(int(pans.size())));
        QCOMPARE(int(w.game().musicSweep()), tickByTick(int(pans.size()) + 1).back());
    }

    // A tick whose pan differs from the one handed over withdraws the rest: here the step
    // changes in the middle of a handed-over run.
    void aChangedSweepWithdrawsWhatWasHandedOver() {
        testing::Window w;
        Sound sound(w.game());
        Game& g = w.game();
        g.Form_Load();
        g.handOverSweep(50, {std::chrono::steady_clock::now(), std::chrono::milliseconds(16)});
        auto change = [](FakeSweep& sweep, int tick) { sweep.step = tick < 20 ? 700 : 300; };
        for (int i = 0; i < 40; ++i, g.tick()) change(sound.sweep, i);
        QCOMPARE(sound.audio.pans(), tickByTick(40, change));
        // Ticks 0 to 20 played what was handed over (tick 20's pan was stepped at the old speed);
        // only the 19 after it were set one by one.
        QCOMPARE(std::ranges::count(sound.audio.ops(), AudioOp::Kind::SetPan, &AudioOp::kind), 19);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
