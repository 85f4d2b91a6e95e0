#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

class TestDemo : public QObject {
    Q_OBJECT

private slots:
    void stepPressesTheButtonOfItsNumber_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<float>("wait");
        QTest::addColumn<int>("interval");
        // Waits of 0 ms, or that round to 0, would stop the timer for good.
        const std::pair<float, int> waits[] = {
            {0.0f, 1}, {0.0006f, 1}, {0.5f, 375}, {0.9999f, 750}};
        for (int k = 0; k <= 21; ++k)
            QTest::addRow("k=%d", k) << k << waits[k % 4].first << waits[k % 4].second;
    }

    // k presses < (left), > (right), ^ (rotate) or V (drop). A press colours its button until
    // the next step resets the three steering buttons; the drop button waits for the landing.
    void stepPressesTheButtonOfItsNumber() {
        QFETCH(int, k);
        QFETCH(float, wait);
        QFETCH(int, interval);
        const QChar press = QStringLiteral("<<<<<<<<>>>>>>>>^^^^VV")[k];
        Rig r;
        r.start();
        r.game.setCheckValue(Ctl::chkDemo, 1);
        const Ctl buttons[] = {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0,
                               Ctl::cmdDown};
        for (Ctl b : buttons) r.game.display.setBackColor(b, 0x123456);
        r.rng.push(wait);
        r.rng.push(k < 21 ? float(k) / 21.0f : 0.99f);
        const int x = r.game.field.FigX;
        r.game.tmrDemo_Timer();
        QString pressed;
        for (int i = 0; i < 4; ++i)
            if (r.game.display[buttons[i]].BackColor != (i < 3 ? r.game.ButtonColor : 0x123456))
                pressed += QStringLiteral("<>^V")[i];
        QCOMPARE(pressed, QString(press));
        QCOMPARE(r.game.field.FigX - x, press == '<' ? -1 : press == '>');
        QCOMPARE(r.game.display.timer(Tmr::tmrDemo).Interval, interval);
    }

    // No step acts (nor draws a number) while the demo is off, the game paused or ending.
    void stepsActOnlyWhileTheDemoRuns() {
        Rig r;
        r.start();
        const std::size_t draws = r.rng.draws();
        r.game.setCheckValue(Ctl::chkDemo, 1);
        QVERIFY(r.game.display.timer(Tmr::tmrDemo).Enabled && r.rec.events.contains("focusWell"));
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.game.tmrDemo_Timer();
        r.game.setCheckValue(Ctl::chkPause, 0);
        r.game.setCheckValue(Ctl::chkDemo, 0);
        r.game.tmrDemo_Timer();
        r.game.setCheckValue(Ctl::chkDemo, 1);
        r.host.duringDialog = [&] { r.game.tmrDemo_Timer(); };
        r.game.Finish_Game(0);
        QCOMPARE(r.rng.draws(), draws);
    }
};

QTEST_GUILESS_MAIN(TestDemo)
#include "test_demo.moc"
