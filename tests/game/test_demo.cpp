#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

class TestDemo : public QObject {
    Q_OBJECT

private slots:
    void step_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("state");  // running, paused, switched off
        for (int k = 0; k <= 21; ++k) QTest::addRow("k=%d", k) << k << 0;
        QTest::newRow("paused") << 0 << 1;
        QTest::newRow("switched off") << 0 << 2;
    }

    // k presses < > ^ or V, colouring its button until the next step resets the three steering
    // buttons (V waits for the landing). Waits that round to 0 ms would stop the timer for good.
    // Paused, or with the demo switched off, a step neither presses nor sets a wait.
    void step() {
        QFETCH(int, k);
        QFETCH(int, state);
        const std::pair<float, int> waits[] = {{0.f, 1}, {0.0006f, 1}, {0.5f, 375}, {0.9999f, 750}};
        Rig r;
        r.start();
        r.game.setCheckValue(Ctl::chkDemo, 1);
        r.game.setCheckValue(Ctl::chkPause, state == 1);
        r.game.setCheckValue(Ctl::chkDemo, state != 2);
        const Ctl keys[] = {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0, Ctl::cmdDown};
        for (Ctl b : keys) r.game.display.setBackColor(b, 0x123456);
        for (float v : {waits[k % 4].first, k < 21 ? k / 21.0f : 0.99f}) r.rng.push(v);
        r.game.tmrDemo_Timer();
        // Per button: pressed (its sign), reset (-) or untouched (=).
        QString buttons, expected = state ? "====" : "---=";
        for (int i = 0; i < 4; ++i) {
            const auto c = r.game.display[keys[i]].BackColor;
            buttons += c == 0x123456 ? '=' : c == r.game.ButtonColor ? '-' : "<>^V"[i];
        }
        const QChar press = QStringLiteral("<<<<<<<<>>>>>>>>^^^^VV")[k];
        if (!state) expected[QStringLiteral("<>^V").indexOf(press)] = press;
        QCOMPARE(buttons, expected);
        QCOMPARE(r.game.display.timer(Tmr::tmrDemo).Interval, state ? 500 : waits[k % 4].second);
        QCOMPARE(r.game.display.timer(Tmr::tmrDemo).Enabled, state != 2);
    }
};

QTEST_GUILESS_MAIN(TestDemo)
#include "test_demo.moc"
