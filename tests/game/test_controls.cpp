// The controls: key codes, the four move buttons and their colours, the drop, and the pause with
// its ways in and out.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kGreen = 0x00FF00;
constexpr Colour kYellow = 0x00FFFF;
constexpr float kBelowOne = 0.99999994f;

Colour back(const Game& g, Ctl c) {
    return g.display[c].BackColor;
}

bool paused(const Game& g) {
    return g.display[Ctl::chkPause].Value == 1 && !g.display.timer(Tmr::tmrDown).Enabled &&
           !g.display[Ctl::fraControl].Visible && !g.EnableKeys;
}

bool running(const Game& g) {
    return g.display[Ctl::chkPause].Value == 0 && g.display.timer(Tmr::tmrDown).Enabled &&
           g.display[Ctl::fraControl].Visible && g.EnableKeys;
}

}  // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void keyDown_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("figX");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<int>("button");  // the Ctl that changes colour, -1 for none
        QTest::addColumn<Colour>("colour");
        const QString bar = masks::kBar;
        QTest::newRow("left") << 37 << 8 << bar << QStringList{"mLeft1"} << int(Ctl::cmdLeftRight0)
                              << kGreen;
        QTest::newRow("right") << 39 << 10 << bar << QStringList{"mRight1"}
                               << int(Ctl::cmdLeftRight2) << kGreen;
        QTest::newRow("up") << 38 << 9 << "0100010001000100" << QStringList{"mRotate1"}
                            << int(Ctl::cmdRotate0) << kYellow;
        QTest::newRow("down") << 40 << 9 << bar << QStringList{"mDrop1"} << int(Ctl::cmdDown)
                              << Colour(0);
        for (int other : {13, 32, 36, 41, 65, 98})
            QTest::addRow("key %d", other) << other << 9 << bar << QStringList{} << -1 << Colour(0);
    }
    void keyDown() {
        QFETCH(int, key);
        QFETCH(int, figX);
        QFETCH(QString, figure);
        QFETCH(QStringList, clips);
        QFETCH(int, button);
        QFETCH(Colour, colour);
        Rig r;
        r.start();
        r.place(masks::kBar, 9, 10);
        r.rng.push(0.75f);  // drop sound: above 0.5
        r.game.Form_KeyDown(key);
        QCOMPARE(int(r.game.field.FigX), figX);
        QCOMPARE(r.game.field.Fig, cellsOf(figure.toLatin1().constData()));
        QCOMPARE(r.rec.clips(), clips);
        QCOMPARE(r.game.DropMode, key == 40);
        QCOMPARE(r.game.display[Ctl::cmdDown].Enabled, key != 40);
        for (Ctl c : {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0, Ctl::cmdDown})
            QCOMPARE(back(r.game, c), int(c) == button ? colour : r.game.ButtonColor);
        if (button < 0) QCOMPARE(r.rec.events, QStringList{});
        QCOMPARE(int(r.game.field.FigY), 10);
    }

    // A refused sideways move colours its button but plays nothing and draws nothing; a refused
    // turn still sounds and redraws the unchanged figure.
    void refusedMovesAndTurns() {
        Rig r;
        r.start();
        r.place(masks::kBar, 3, 10);
        r.game.Form_KeyDown(vk::Left);
        QCOMPARE(int(r.game.field.FigX), 3);
        QCOMPARE(r.rec.events, QStringList{});
        QCOMPARE(back(r.game, Ctl::cmdLeftRight0), kGreen);
        r.game.Form_KeyUp(vk::Left);
        QCOMPARE(back(r.game, Ctl::cmdLeftRight0), r.game.ButtonColor);
        QCOMPARE(r.rec.events, QStringList{"focusWell"});

        r.rec.clear();
        r.game.Form_KeyDown(vk::Up);
        QCOMPARE(r.game.field.Fig, cellsOf(masks::kBar));
        QCOMPARE(r.rec.events, (QStringList{"clip:mRotate1", "Draw_Figure"}));
        QCOMPARE(back(r.game, Ctl::cmdRotate0), kYellow);

        // A button that does not exist does nothing.
        r.rec.clear();
        r.game.cmdLeftRight_MouseDown(1);
        r.game.cmdRotate_MouseDown(1);
        QCOMPARE(int(r.game.field.FigX), 3);
        QCOMPARE(r.rec.events, QStringList{});
    }

    // One drop per figure: Down and the button do nothing until the figure has landed.
    void oneDropPerFigure() {
        Rig r;
        r.start();
        r.rng.push(0.5f);  // not above 0.5: the second drop clip
        r.game.Form_KeyDown(vk::Down);
        QCOMPARE(r.rec.clips(), QStringList{"mDrop2"});
        const std::size_t draws = r.rng.draws();
        r.game.Form_KeyDown(vk::Down);
        r.game.cmdDown_MouseDown();
        QCOMPARE(r.rec.clips(), QStringList{"mDrop2"});
        QCOMPARE(r.rng.draws(), draws);
        r.game.Form_KeyUp(vk::Down);
        QCOMPARE(back(r.game, Ctl::cmdDown), Colour(0));  // key up 40 restores nothing
        r.game.cmdDown_MouseUp();
        QCOMPARE(back(r.game, Ctl::cmdDown), Colour(0));
        while (r.game.FigureCount == 0) r.game.tick();
        QVERIFY(r.game.display[Ctl::cmdDown].Enabled);
        QCOMPARE(back(r.game, Ctl::cmdDown), r.game.ButtonColor);
        r.rec.clear();
        r.game.Form_KeyDown(vk::Down);
        QVERIFY(r.game.DropMode);
        QCOMPARE(r.rec.clips().size(), 1);
    }

    // Key up restores the colours, both sideways buttons at once, and is not gated by a pause.
    void keyUpRestoresColours() {
        Rig r;
        r.start();
        r.place(masks::kBar, 9, 10);
        r.game.Form_KeyDown(vk::Right);
        r.game.Form_KeyDown(vk::Up);
        r.game.Form_KeyUp(vk::Left);
        QCOMPARE(back(r.game, Ctl::cmdLeftRight0), r.game.ButtonColor);
        QCOMPARE(back(r.game, Ctl::cmdLeftRight2), r.game.ButtonColor);
        QCOMPARE(back(r.game, Ctl::cmdRotate0), kYellow);
        r.game.Form_KeyUp(vk::Up);
        QCOMPARE(back(r.game, Ctl::cmdRotate0), r.game.ButtonColor);

        r.game.Form_KeyDown(vk::Left);
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(paused(r.game));
        QCOMPARE(back(r.game, Ctl::cmdLeftRight0), kGreen);
        r.game.Form_KeyUp(vk::Left);
        QCOMPARE(back(r.game, Ctl::cmdLeftRight0), r.game.ButtonColor);
    }

    void arrowsDoNothingWhilePaused() {
        Rig r;
        r.start();
        r.place(masks::kEll, 9, 10);
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.rec.clear();
        for (int key : {37, 38, 39, 40}) r.game.Form_KeyDown(key);
        QCOMPARE(int(r.game.field.FigX), 9);
        QCOMPARE(r.game.field.Fig, cellsOf(masks::kEll));
        QVERIFY(!r.game.DropMode);
        QCOMPARE(r.rec.events, QStringList{});
        for (Ctl c : {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0, Ctl::cmdDown})
            QCOMPARE(back(r.game, c), r.game.ButtonColor);
    }

    // ButtonColor is QBColor(floor(15 r) + 1) and the circle QBColor(CInt(15 r)), after 2s+1
    // discards.
    void buttonColours_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<float>("buttonDraw");
        QTest::addColumn<float>("circleDraw");
        QTest::addColumn<Colour>("button");
        QTest::addColumn<Colour>("circle");
        QTest::newRow("lowest") << 0 << 0.0f << 0.0f << Colour(0x800000) << Colour(0);
        QTest::newRow("highest") << 0 << kBelowOne << kBelowOne << Colour(0xFFFFFF)
                                 << Colour(0xFFFFFF);
        QTest::newRow("half to even") << 59 << 0.5f << 1.0f / 6.0f << Colour(0x808080)
                                      << Colour(0x008000);  // 15/6 = 2.5 goes to 2
    }
    void buttonColours() {
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
        for (Ctl c : {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0, Ctl::cmdDown})
            QCOMPARE(back(r.game, c), button);
        QCOMPARE(r.game.display[Ctl::shpTwo].BorderColor, circle);
    }

    // ESC pauses and asks to minimise; ESC again resumes and restores.
    void escapePausesAndMinimises() {
        Rig r;
        r.start();
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(paused(r.game));
        QVERIFY(!r.game.EscPressed);
        QVERIFY(r.rec.events.contains("windowState:1"));
        QCOMPARE(r.rec.events.filter("Draw_").size(), 2);
        QCOMPARE(r.rec.events.last(), QStringLiteral("focusWell"));
        r.rec.clear();
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(running(r.game));
        QVERIFY(r.rec.events.contains("windowState:0"));
        QVERIFY(!r.rec.events.contains("windowState:1"));
    }

    // The pause button clicked with the mouse pauses without minimising.
    void clickPausesWithoutMinimising() {
        Rig r;
        r.start();
        r.game.setCheckValue(Ctl::chkPause, 1);
        QVERIFY(paused(r.game));
        QVERIFY(!r.rec.events.contains("windowState:1"));
        r.game.setCheckValue(Ctl::chkPause, 1);  // no change of value: no click
        r.rec.clear();
        r.game.setCheckValue(Ctl::chkPause, 0);
        QVERIFY(running(r.game));
        QVERIFY(r.rec.events.contains("windowState:0"));
        // ESC while paused by the mouse resumes.
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(running(r.game));
    }

    // Minimising pauses; minimising again while paused does not toggle; restoring does not
    // resume.
    void minimisingPauses() {
        Rig r;
        r.start();
        r.game.Form_Resize(true);
        QVERIFY(paused(r.game));
        QVERIFY(!r.rec.events.contains("windowState:1"));
        r.rec.clear();
        r.game.Form_Resize(true);
        QVERIFY(paused(r.game));
        QCOMPARE(r.rec.events, QStringList{});
        r.game.Form_Resize(false);
        QVERIFY(paused(r.game));
        QCOMPARE(r.rec.events, QStringList{});
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(running(r.game));
        r.game.Form_Resize(false);
        QVERIFY(running(r.game));
    }

    // A game started with the pause button down stays paused, keys included, until released.
    void startWithPauseDown() {
        Rig r;
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.start();
        QVERIFY(paused(r.game));
        r.ticks(200);
        QCOMPARE(r.game.TimeTicks, Integer(0));
        for (int key : {37, 38, 39, 40}) r.game.Form_KeyDown(key);
        QCOMPARE(int(r.game.field.FigX), 9);
        QCOMPARE(r.game.field.Fig, cellsOf(masks::kBar));
        QVERIFY(!r.game.DropMode);
        QCOMPARE(r.rec.clips(), QStringList{});
        r.game.Form_KeyDown(vk::Escape);
        QVERIFY(running(r.game));
        r.game.Form_KeyDown(vk::Left);
        QCOMPARE(int(r.game.field.FigX), 8);
    }
};

QTEST_GUILESS_MAIN(TestControls)
#include "test_controls.moc"
