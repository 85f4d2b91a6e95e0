// The controls: the keys and the four move buttons with their colours and sounds, one drop per
// figure, the colours dealt at the start, and the pause with its ways in and out.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kGreen = 0x00FF00;
constexpr Colour kYellow = 0x00FFFF;
constexpr Ctl kMoveButtons[] = {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0,
                                Ctl::cmdDown};

// The four button colours, the normal one written as 'n'.
QString buttons(const Game& g) {
    QStringList s;
    for (Ctl c : kMoveButtons) {
        const Colour v = g.display[c].BackColor;
        s << (v == g.ButtonColor ? QStringLiteral("n") : QString::number(v, 16));
    }
    return s.join(u' ');
}

// "paused" or "running", when the timer, the control frame and the keys agree.
QString mode(const Game& g) {
    const talomir::Display& d = g.display;
    const bool on = d.timer(Tmr::tmrDown).Enabled;
    if (on != d[Ctl::fraControl].Visible || on != g.EnableKeys ||
        on == (d[Ctl::chkPause].Value == 1))
        return QStringLiteral("mixed");
    return on ? QStringLiteral("running") : QStringLiteral("paused");
}

}  // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    // A key press does what its button does, and a refused move only colours the button.
    void keyDown_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("x");  // where the bar stands
        QTest::addColumn<int>("figX");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("colours");
        const QString bar = masks::kBar, lying = "0100010001000100";
        QTest::newRow("left") << 37 << 9 << 8 << bar
                              << QStringList{"clip:mLeft1", "Draw_Figure 8,10"} << "ff00 n n n";
        QTest::newRow("right") << 39 << 9 << 10 << bar
                               << QStringList{"clip:mRight1", "Draw_Figure 10,10"} << "n ff00 n n";
        QTest::newRow("up") << 38 << 9 << 9 << lying
                            << QStringList{"clip:mRotate1", "Draw_Figure 9,10"} << "n n ffff n";
        QTest::newRow("down") << 40 << 9 << 9 << bar << QStringList{"clip:mDrop1"} << "n n n 0";
        QTest::newRow("left at the wall") << 37 << 3 << 3 << bar << QStringList{} << "ff00 n n n";
        QTest::newRow("right at the wall")
            << 39 << 17 << 17 << bar << QStringList{} << "n ff00 n n";
        QTest::newRow("refused turn")
            << 38 << 3 << 3 << bar << QStringList{"clip:mRotate1", "Draw_Figure 3,10"}
            << "n n ffff n";
        for (int other : {13, 32, 36, 41, 65})
            QTest::addRow("key %d", other) << other << 9 << 9 << bar << QStringList{} << "n n n n";
    }
    void keyDown() {
        QFETCH(int, key);
        QFETCH(int, x);
        QFETCH(int, figX);
        QFETCH(QString, figure);
        QFETCH(QStringList, events);
        QFETCH(QString, colours);
        Rig r;
        r.start();
        r.place(masks::kBar, x, 10);
        r.rng.push(0.75f);  // a drop sounds the first clip above 0.5
        r.game.Form_KeyDown(key);
        QCOMPARE(int(r.game.field.FigX), figX);
        QCOMPARE(r.game.field.Fig, cellsOf(figure.toLatin1().constData()));
        QCOMPARE(r.rec.events, events);
        QCOMPARE(buttons(r.game), colours);
        QCOMPARE(r.game.DropMode, key == 40);
        QCOMPARE(r.game.display[Ctl::cmdDown].Enabled, key != 40);
    }

    // Key up gives back the colours, both sideways buttons at once, and hands the focus back to
    // the well, also during a pause; Down has none. One drop per figure: Down and its button do
    // nothing more until the landing gives the button back.
    void keyUpAndOneDrop() {
        Rig r;
        r.start();
        r.rng.push(0.5f);  // not above 0.5: the second drop clip
        for (int key : {39, 38, 37, 40}) r.game.Form_KeyDown(key);
        QCOMPARE(buttons(r.game), QStringLiteral("ff00 ff00 ffff 0"));
        const std::size_t draws = r.rng.draws();
        r.game.Form_KeyDown(40);
        r.game.cmdDown_MouseDown();
        QCOMPARE(r.rng.draws(), draws);
        QCOMPARE(r.rec.clips(), (QStringList{"mRight1", "mRotate1", "mLeft1", "mDrop2"}));
        r.rec.clear();
        r.game.Form_KeyUp(37);
        QCOMPARE(buttons(r.game), QStringLiteral("n n ffff 0"));
        r.game.Form_KeyDown(27);
        r.game.Form_KeyUp(38);
        r.game.Form_KeyUp(40);
        r.game.cmdDown_MouseUp();
        QCOMPARE(buttons(r.game), QStringLiteral("n n n 0"));
        QCOMPARE(r.rec.events.count(QStringLiteral("focusWell")), 4);  // one from the pause
        r.game.Form_KeyDown(27);
        r.game.Form_KeyDown(39);
        r.game.Form_KeyUp(39);
        QCOMPARE(buttons(r.game), QStringLiteral("n n n 0"));
        r.ticks(30);  // the lying bar falls from row 1 to row 30 and lands
        QCOMPARE(r.game.FigureCount, Integer(1));
        QCOMPARE(buttons(r.game), QStringLiteral("n n n n"));
        r.game.cmdDown_MouseDown();
        QVERIFY(r.game.DropMode);
    }

    // After 2s+1 discards: ButtonColor = QBColor(floor(15 r) + 1), the circle QBColor(CInt(15 r)).
    void coloursDealtAtTheStart_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<float>("buttonDraw");
        QTest::addColumn<float>("circleDraw");
        QTest::addColumn<Colour>("button");
        QTest::addColumn<Colour>("circle");
        QTest::newRow("lowest") << 0 << 0.0f << 0.0f << Colour(0x800000) << Colour(0);
        QTest::newRow("highest") << 0 << 0.99999994f << 0.99999994f << Colour(0xFFFFFF)
                                 << Colour(0xFFFFFF);
        QTest::newRow("half to even") << 59 << 0.5f << 1.0f / 6.0f << Colour(0x808080)
                                      << Colour(0x008000);  // 15/6 = 2.5 goes to 2
    }
    void coloursDealtAtTheStart() {
        QFETCH(int, second);
        QFETCH(float, buttonDraw);
        QFETCH(float, circleDraw);
        QFETCH(Colour, button);
        QFETCH(Colour, circle);
        Rig r;
        r.clock.setSeconds(second);
        for (int i = 0; i < 2 * second + 1; ++i) r.rng.push(0.9f);
        r.rng.push(buttonDraw);
        r.rng.push(circleDraw);
        r.rng.push(0.3f);
        r.game.Form_Load();
        QCOMPARE(r.rng.remaining(), std::size_t(1));
        QCOMPARE(r.game.ButtonColor, button);
        QCOMPARE(buttons(r.game), QStringLiteral("n n n n"));
        QCOMPARE(r.game.display[Ctl::shpTwo].BorderColor, circle);
    }

    // ESC pauses and minimises, ESC again resumes and restores; the button pauses without
    // minimising; minimising pauses, restoring does not resume; arrows do nothing while paused.
    void pauseWaysInAndOut() {
        Rig r;
        r.start();
        Game& g = r.game;
        g.Form_KeyDown(27);
        QCOMPARE(mode(g), QStringLiteral("paused"));
        QVERIFY(!g.EscPressed);
        r.rec.events.sort();
        QCOMPARE(r.rec.events, (QStringList{"Draw_Figure 9,0", "Draw_Next_Figure", "focusWell",
                                            "windowState:1"}));
        r.rec.clear();
        for (int key : {37, 38, 39, 40}) g.Form_KeyDown(key);
        QCOMPARE(r.rec.events, QStringList{});
        QCOMPARE(buttons(g), QStringLiteral("n n n n"));
        QVERIFY(!g.DropMode);
        g.Form_KeyDown(27);
        QCOMPARE(mode(g), QStringLiteral("running"));
        QCOMPARE(r.rec.filtered("windowState:"), QStringList{"0"});

        r.rec.clear();
        g.setCheckValue(Ctl::chkPause, 1);
        QCOMPARE(mode(g), QStringLiteral("paused"));
        g.Form_Resize(true);  // already paused: no toggle
        g.Form_Resize(false);
        QCOMPARE(mode(g), QStringLiteral("paused"));
        QCOMPARE(r.rec.filtered("windowState:"), QStringList{});
        g.setCheckValue(Ctl::chkPause, 0);
        g.Form_Resize(true);
        QCOMPARE(mode(g), QStringLiteral("paused"));
        QCOMPARE(r.rec.filtered("windowState:"), QStringList{"0"});

        // A game started with the pause button down waits for it, keys included.
        g.Form_Load();
        QCOMPARE(mode(g), QStringLiteral("paused"));
        r.ticks(200);
        g.Form_KeyDown(37);
        QCOMPARE(std::tuple(int(g.TimeTicks), int(g.field.FigX)), std::tuple(0, 9));
        g.Form_KeyDown(27);
        g.Form_KeyDown(37);
        QCOMPARE(mode(g), QStringLiteral("running"));
        QCOMPARE(int(g.field.FigX), 8);
    }
};

QTEST_GUILESS_MAIN(TestControls)
#include "test_controls.moc"
