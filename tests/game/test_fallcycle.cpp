// The fall tick: the time-bonus countdown, the fall period, the drop, the landing and its time
// bonus, the end of a game, and the music sweep.
#include <QtTest>
#include <algorithm>
#include <cstdlib>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

QString caption(const Game& g, Ctl c) {
    return g.display[c].Caption;
}

}  // namespace

class TestFallCycle : public QObject {
    Q_OBJECT

private slots:
    // 200, 199, ... 0 over the first 201 ticks of a figure, then 0 for good.
    void countdownRunsFrom200ToZero() {
        Rig r;
        r.start();
        QCOMPARE(caption(r.game, Ctl::lblTotalScore), QStringLiteral("40000"));  // design text
        r.ticks(1);
        QCOMPARE(caption(r.game, Ctl::lblTimeBonus), QStringLiteral("200"));
        QCOMPARE(caption(r.game, Ctl::lblTotalScore), QStringLiteral("0"));
        QCOMPARE(r.game.TimeTicks, Integer(1));
        r.ticks(260);
        QCOMPARE(r.game.TimeTicks, Integer(201));
        QStringList expected;
        for (int v = 200; v >= 0; --v) expected << QString::number(v);
        QCOMPARE(r.rec.captions(Ctl::lblTimeBonus), expected);
        QCOMPARE(int(r.game.field.FigY), 1);  // one fall step, at tick 150
        QCOMPARE(r.game.FigureCount, Integer(0));
    }

    void fallPeriodFollowsSpeed_data() {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("period");
        QTest::newRow("level 0") << 0 << 150;
        QTest::newRow("level 1") << 15 << 135;
        QTest::newRow("level 9") << 135 << 15;
        QTest::newRow("level 10") << 150 << 1;
    }
    void fallPeriodFollowsSpeed() {
        QFETCH(int, speed);
        QFETCH(int, period);
        Rig r;
        r.start();
        r.game.Speed = static_cast<Integer>(speed);
        r.ticks(period - 1);
        QCOMPARE(int(r.game.field.FigY), 0);
        QCOMPARE(int(r.game.TickCount), period - 1);
        r.ticks(1);
        QCOMPARE(int(r.game.field.FigY), 1);
        QCOMPARE(r.game.TickCount, Integer(0));
        r.ticks(period);
        QCOMPARE(int(r.game.field.FigY), 2);
    }

    // Dropped after ten ticks: one row a tick, countdown frozen at 191, 191 time points.
    void dropFreezesTheCountdown() {
        Rig r;
        r.start();
        r.ticks(10);
        r.game.Form_KeyDown(vk::Down);
        QVERIFY(r.game.DropMode);
        r.ticks(27);
        QCOMPARE(int(r.game.field.FigY), 27);
        QCOMPARE(r.game.TimeTicks, Integer(10));
        QCOMPARE(r.rec.captions(Ctl::lblTimeBonus).last(), QStringLiteral("191"));
        QCOMPARE(r.game.FigureCount, Integer(0));
        r.ticks(1);  // cannot fall: lands
        QCOMPARE(r.game.FigureCount, Integer(1));
        QCOMPARE(r.game.scoring.Score, Long(1910 + 32));  // two bars counted: 8 cells
        QCOMPARE(r.rec.logLines(), QStringList{QStringLiteral("1. +194")});
        QCOMPARE(caption(r.game, Ctl::lblTotalScore), QStringLiteral("191"));
        QVERIFY(!r.game.DropMode);
        r.ticks(1);
        QCOMPARE(caption(r.game, Ctl::lblTimeBonus), QStringLiteral("200"));
    }

    // The time bonus is 201 - TimeTicks: the value the countdown showed last.
    void timeBonusAtLanding_data() {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("timeBonus");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("first fall step") << 16 << false << 150 << 51 << "50";
        QTest::newRow("dropped before counting") << 16 << true << 1 << 201 << "200";
        QTest::newRow("after the countdown ran out") << 15 << false << 300 << 0 << "0";
    }
    void timeBonusAtLanding() {
        QFETCH(int, startRow);
        QFETCH(bool, drop);
        QFETCH(int, ticks);
        QFETCH(int, timeBonus);
        QFETCH(QString, shownAfter);
        Rig r;
        r.start();
        r.place(masks::kBar, 9, startRow);
        r.game.field.Well[10][20] = true;  // the bar stops with its foot on row 19
        if (drop) r.game.Form_KeyDown(vk::Down);
        r.ticks(ticks - 1);
        QCOMPARE(r.game.FigureCount, Integer(0));
        r.ticks(1);
        QCOMPARE(r.game.FigureCount, Integer(1));
        QVERIFY(r.game.field.Well[10][16] && r.game.field.Well[10][19]);
        QCOMPARE(r.game.scoring.Score, Long(timeBonus * 10 + 32));
        QCOMPARE(r.game.scoring.SumTimeBonus, Long(timeBonus));
        QCOMPARE(caption(r.game, Ctl::lblTotalScore), QString::number(timeBonus));
        QCOMPARE(caption(r.game, Ctl::lblTimeBonus), shownAfter);
        QCOMPARE(r.rec.logLines(),
                 QStringList{QStringLiteral("1. +%1").arg(qRound((timeBonus * 10 + 32) / 10.0))});
    }

    // What one landing leaves behind, and in which order the views hear of it.
    void landingSequence() {
        Rig r;
        for (const char* m : {masks::kBar, masks::kSquare, masks::kEll, masks::kDot, masks::kTriple,
                              masks::kSquare})
            r.dealer.add(classic(m));
        r.start();
        const Colour button = r.game.ButtonColor;
        QCOMPARE(button, QBColor(1));  // filler draws 0
        QCOMPARE(r.game.FigCells, Integer(8));
        r.game.field.FigX = 5;
        r.game.Form_KeyDown(vk::Down);
        QCOMPARE(r.game.display[Ctl::cmdDown].BackColor, Colour(0));
        r.ticks(27);
        r.rec.clear();
        r.rng.push(0.6f);  // landing sound
        r.ticks(1);
        QCOMPARE(r.game.FigureCount, Integer(1));
        const QStringList expected = {"Draw_Figure", "Draw_Well",     "Draw_Grid",
                                      "clip:mDown1", "Draw_Figure",   "Draw_Next_Figure",
                                      "log:1. +204", "logSelected:0", "Draw_Future"};
        QCOMPARE(r.rec.events, expected);
        QCOMPARE(int(r.game.field.FigY), 0);
        QCOMPARE(r.game.FigNext, cellsOf(masks::kEll));
        QCOMPARE(maskToString(r.game.Queue[5].Mask), QString::fromLatin1(masks::kSquare));
        QCOMPARE(r.game.TickCount, Integer(0));
        QCOMPARE(r.game.display[Ctl::cmdDown].BackColor, button);
        for (int y = 27; y <= 30; ++y) QVERIFY(r.game.field.Well[6][y]);

        // The next drop and landing, with r = 0.9 and r = 0.5, sound the other clips.
        r.rec.clear();
        r.rng.push(0.9f);
        r.rng.push(0.5f);
        r.dropAndLand();
        QCOMPARE(r.rec.clips(), (QStringList{"mDrop1", "mDown2"}));
        QCOMPARE(r.game.FigCells, Integer(4 + 1));  // ell and dot
    }

    // The game ends at the landing whose next figure overlaps the well at the entry position;
    // that figure has already been drawn and the landing logged.
    void gameOverAfterTheLandingIsLogged() {
        Rig r;
        r.start();
        r.game.field.FigX = 5;
        r.game.field.Well[10][3] = true;  // under the entry box's bar cell
        bool loggedFirst = false;
        r.host.duringDialog = [&] {
            loggedFirst = r.rec.logLines() == QStringList{QStringLiteral("1. +204")} &&
                          r.rec.events.contains(QStringLiteral("Draw_Future"));
        };
        r.dropAndLand();
        QVERIFY(r.game.isFinishing());
        QVERIFY(loggedFirst);  // the dialogs themselves are the game-flow suite's

        // One overlapping cell is enough; a cell beside the entry box is not.
        Rig s;
        s.start();
        s.game.field.FigX = 5;
        s.game.field.Well[9][3] = true;  // box column 0 of the bar is empty
        s.game.field.Well[13][0] = true;
        s.dropAndLand();
        QVERIFY(!s.game.isFinishing());
        QCOMPARE(s.game.FigureCount, Integer(1));
    }

    // The pan is handed on first, then tested, then moved: it overshoots by one step.
    void musicSweep() {
        Rig r;
        r.start();
        r.game.EnableLoop = true;
        r.game.SpeedChange = 1000;
        r.ticks(27);
        std::vector<Integer> expected;
        for (int v = -5000; v <= 6000; v += 1000) expected.push_back(static_cast<Integer>(v));
        for (int v = 5000; v >= -6000; v -= 1000) expected.push_back(static_cast<Integer>(v));
        for (int v : {-5000, -4000, -3000}) expected.push_back(static_cast<Integer>(v));
        QCOMPARE(r.rec.pans, expected);

        // A new game starts again at -5000, moving right.
        r.game.Form_Load();
        r.rec.pans.clear();
        r.ticks(2);
        QCOMPARE(r.rec.pans, (std::vector<Integer>{-5000, -4000}));
        // Paused, nothing is handed on; with the sweep off, nothing either.
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.ticks(5);
        r.game.setCheckValue(Ctl::chkPause, 0);
        r.game.EnableLoop = false;
        r.ticks(5);
        QCOMPARE(r.rec.pans.size(), std::size_t(2));
        // A step of zero holds the pan where it is.
        r.game.EnableLoop = true;
        r.game.SpeedChange = 0;
        r.rec.pans.clear();
        r.ticks(30);
        QCOMPARE(r.rec.pans, std::vector<Integer>(30, Integer(-3000)));
    }

    // A step from an unchecked settings file must not wrap around: every move goes the way the
    // sweep is heading, by at most one step.
    void musicSweepHugeStepDoesNotWrap_data() {
        QTest::addColumn<int>("step");
        QTest::newRow("32767") << 32767;
        QTest::newRow("-32768") << -32768;
    }
    void musicSweepHugeStepDoesNotWrap() {
        QFETCH(int, step);
        Rig r;
        r.start();
        r.game.EnableLoop = true;
        r.game.SpeedChange = static_cast<Integer>(step);
        r.ticks(400);
        const auto& pans = r.rec.pans;
        QCOMPARE(pans.size(), std::size_t(400));
        QCOMPARE(pans[0], Integer(-5000));
        QCOMPARE(int(pans[1]), std::clamp(-5000 + step, -32768, 32767));
        long dir = 1;
        for (std::size_t i = 0; i + 1 < pans.size(); ++i) {
            if (pans[i] > 5000 || pans[i] < -5000) dir = -dir;
            const long move = long(pans[i + 1]) - long(pans[i]);
            const long want = dir * step;
            QVERIFY2(move == 0 || (move > 0) == (want > 0),
                     qPrintable(
                         QStringLiteral("tick %1: %2 -> %3").arg(i).arg(pans[i]).arg(pans[i + 1])));
            QVERIFY(std::labs(move) <= std::labs(want));
        }
    }

    // A pause stops the figure, the countdown and the period count where they are.
    void pauseFreezesTheTick() {
        Rig r;
        r.start();
        r.ticks(149);
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.ticks(500);
        QCOMPARE(r.game.TickCount, Integer(149));
        QCOMPARE(r.game.TimeTicks, Integer(149));
        QCOMPARE(int(r.game.field.FigY), 0);
        r.game.setCheckValue(Ctl::chkPause, 0);
        r.ticks(1);
        QCOMPARE(int(r.game.field.FigY), 1);
        QCOMPARE(r.game.TimeTicks, Integer(150));
    }
};

QTEST_GUILESS_MAIN(TestFallCycle)
#include "test_fallcycle.moc"
