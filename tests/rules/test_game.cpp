// The life of a game in the rules: the start, the keys and buttons with their sounds, the pause,
// the fall ticks and their plan, a landing, the music sweep, the end of a game with its dialogs,
// and the demo's steering; with the presenter's state where a rule shows in it. The transcripts
// play the fall pace, score whole landings and follow the place.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Ctl kMoveButtons[] = {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0,
                                Ctl::cmdDown};

// The four button colours, the colour `normal` written as 'n'.
QString buttons(const Rig& r, Colour normal) {
    QStringList s;
    for (Ctl c : kMoveButtons) {
        const Colour v = r[c].BackColor;
        s << (v == normal ? QStringLiteral("n") : QString::number(v, 16));
    }
    return s.join(u' ');
}

// "paused" or "running", when the game, the fall timer, the control frame and the button agree.
QString mode(const Rig& r) {
    const bool on = r.presenter.state().timer(Tmr::tmrDown).Enabled;
    if (on != r[Ctl::fraControl].Visible || on != r.game.isFalling() ||
        on == (r[Ctl::chkPause].Value == 1))
        return QStringLiteral("mixed");
    return on ? QStringLiteral("running") : QStringLiteral("paused");
}

// Ticks, keys and buttons thrown at a game: what they told and whether the game moved.
QString pokeEverything(Rig& r) {
    Game& g = r.game;
    const auto state = [&g] {
        return std::tuple(g.field().figX(), g.field().figY(), g.field().figure(), g.timeTicks(),
                          g.tickCount(), g.isDropping(), g.isPaused());
    };
    const auto before = state();
    const qsizetype heard = r.rec.events.size();
    for (int i = 0; i < 300; ++i) g.tick();
    for (int key : {37, 38, 39, 40, 27}) g.Form_KeyDown(key);
    g.cmdLeftRight_MouseDown(2);
    g.cmdRotate_MouseDown(0);
    g.cmdDown_MouseDown();
    g.tmrDemo_Timer();
    return r.rec.events.mid(heard).join(u' ') + (state() == before ? "" : " and the game moved");
}

// Drops the falling bar into well column `column`.
void dropInto(Rig& r, int column) {
    r.moveTo(column - 1);
    r.dropAndLand();
}

}  // namespace

class TestGame : public QObject {
    Q_OBJECT

private slots:
    // Each key does what its button does: a refused move only colours the button, a turn sounds
    // and shows the figure even when refused, other keys do nothing. Key up gives back the
    // colours, both sideways buttons at once, also during a pause. One drop per figure: Down and
    // its button do nothing more until the landing.
    void keysAndButtons() {
        Rig r;
        r.start();
        Game& g = r.game;
        const Colour normal = r[Ctl::cmdDown].BackColor;
        r.moveTo(3);  // the bar against the left wall, where it cannot turn
        while (g.field().figY() < 10) g.tick();
        r.rec.clear();
        r.rng.push(0.5f);  // not above 0.5: the second drop sound
        for (int key : {13, 32, 36, 41, 65, 37, 38, 39, 38, 40}) g.Form_KeyDown(key);
        QCOMPARE(r.rec.events.join(u'|'),
                 "sound:5.0|figureShown 3,10|sound:4.0|figureShown 4,10|sound:5.0|"
                 "figureShown 4,10|sound:6.1");
        QCOMPARE(std::tuple(buttons(r, normal), g.field().figure(), g.isDropping(),
                            r[Ctl::cmdDown].Enabled),
                 std::tuple(QStringLiteral("ff00 ff00 ffff 0"), cellsOf("0100010001000100"), true,
                            false));
        const std::size_t draws = r.rng.draws();
        g.Form_KeyDown(40);
        g.cmdDown_MouseDown();
        QCOMPARE(r.rng.draws(), draws);
        g.Form_KeyUp(37);
        QCOMPARE(buttons(r, normal), QStringLiteral("n n ffff 0"));
        g.Form_KeyDown(27);
        g.Form_KeyUp(38);
        g.Form_KeyUp(40);
        QCOMPARE(buttons(r, normal), QStringLiteral("n n n 0"));
        g.Form_KeyDown(27);
        g.Form_KeyDown(39);
        g.Form_KeyUp(39);
        QCOMPARE(buttons(r, normal), QStringLiteral("n n n 0"));
    }

    // ESC's pause asks for the minimised window, its resume for the normal one (the window
    // suites play both); minimising twice toggles nothing. A game started with the pause button
    // down waits for it, keys included.
    void pauseWaysInAndOut() {
        Rig r;
        r.start();
        Game& g = r.game;
        g.Form_KeyDown(27);
        QCOMPARE(r.rec.events.join(u' '), "paused:11 figureShown 9,0 nextShown");
        g.Form_KeyDown(27);
        for (bool minimised : {true, true}) g.Form_Resize(minimised);
        QCOMPARE(std::pair(mode(r), r.rec.filtered("paused:")),
                 std::pair(QStringLiteral("paused"), QStringList{"11", "01", "10"}));
        g.Form_Load();
        g.Form_KeyDown(37);
        QCOMPARE(std::pair(mode(r), int(g.field().figX())), std::pair(QStringLiteral("paused"), 9));
        g.Form_KeyDown(27);
        g.Form_KeyDown(37);
        QCOMPARE(std::pair(mode(r), int(g.field().figX())),
                 std::pair(QStringLiteral("running"), 8));
    }

    // Over the leftovers of an earlier game the load handler starts afresh (the transcripts of
    // a second game show the rest); the sounds and settings are loaded at the first start only.
    // After 2s+1 discards: the buttons' colour QBColor(floor(15 r) + 1), the circle's
    // QBColor(CInt(15 r)). Each row: the second and the two draws; the two colours.
    void formLoadStartsAfresh_data() {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QList<Colour>>("colours");
        QTest::newRow("lowest") << QList{0.0f, 0.0f, 0.0f} << QList<Colour>{0x800000, 0};
        QTest::newRow("a generator's 1 kept inside the palette")
            << QList{0.0f, 1.0f, 1.0f} << QList<Colour>{0xFFFFFF, 0xFFFFFF};
        QTest::newRow("half to even")  // 15/6 = 2.5 goes to 2
            << QList{59.0f, 0.5f, 1.0f / 6.0f} << QList<Colour>{0x808080, 0x008000};
    }
    void formLoadStartsAfresh() {
        QFETCH(QList<float>, draws);
        QFETCH(QList<Colour>, colours);
        Rig r;
        r.start();
        Game& g = r.game;
        g.setDemo(true);
        g.Form_KeyDown(vk::Down);
        r.desk.table = {900, 800};
        const int second = static_cast<int>(draws[0]);
        r.clock.setSeconds(second);
        for (int i = 0; i < 2 * second + 1; ++i) r.rng.push(0.9f);
        for (float f : {draws[1], draws[2], 0.3f}) r.rng.push(f);
        g.Form_Load();
        QVERIFY(r.rng.remaining() == std::size_t(1) && buttons(r, colours[0]) == "n n n n");
        QCOMPARE(r[Ctl::shpTwo].BorderColor, colours[1]);
        QCOMPARE(std::tuple(g.isDropping(), g.dropAvailable(), g.demoOn(), g.log().lines().size()),
                 std::tuple(false, true, false, qsizetype(0)));
        QCOMPARE(std::tuple(r[Ctl::lblLevel].ForeColor, r[Ctl::frmMain].BackColor,
                            r[Ctl::lblPosition].Caption, r[Ctl::chkDemo].Value),
                 std::tuple(Colour(0x800000), Colour(0), "Place # 3", 0));
        QCOMPARE(std::tuple(r[Ctl::fraControl].Visible, r[Ctl::cmdDown].Enabled,
                            r.presenter.state().timer(Tmr::tmrDemo).Enabled,
                            r.presenter.state().timer(Tmr::tmrDown).Enabled),
                 std::tuple(true, true, false, true));
        for (const char* told : {"gameDealt", "logCleared", "tableLoaded"})
            QVERIFY2(r.rec.events.contains(told), told);
        g.Form_Load();
        QVERIFY(r.desk.calls.count("firstGameStarting") == 0 &&
                r.desk.calls.count("Load_Records") == 2);
    }

    // What a tick will do is what it does: the plan of every coming tick, asked before it runs,
    // matches the countdown and the fall step it then makes, at level 0, at a faster speed, and
    // in a drop; a dropped figure falls its rows, then lands.
    void theTickDoesWhatItsPlanSays() {
        Rig r;
        r.start();
        Game& g = r.game;
        QString planned, done;
        const auto run = [&](int n) {
            for (int i = 0; i < n; ++i) {
                const TickPlan plan = g.planTick(0);
                const int y = g.field().figY(), t = g.timeTicks(), landed = r.rec.events.size();
                planned += QStringLiteral("%1%2 ").arg(plan.countdown).arg(plan.fallStep);
                g.tick();
                const bool stepped = g.field().figY() != y || r.rec.events.size() != landed;
                done += QStringLiteral("%1%2 ").arg(g.timeTicks() == t + 1).arg(stepped);
            }
        };
        QVERIFY(g.planTick(148).countdown && !g.planTick(148).fallStep && g.planTick(149).fallStep);
        run(400);
        g.setSpeed(135);  // a fall step every 15 ticks
        run(60);
        g.Form_KeyDown(vk::Down);
        const int rows = g.dropTicksAhead();
        QVERIFY(rows > 10 && g.planTick(0).fallStep);
        run(rows);
        QCOMPARE(std::pair(g.isDropping(), g.field().Can_Move_Down()), std::pair(true, false));
        run(1);
        QVERIFY(!g.isDropping());
        QCOMPARE(planned, done);
        QVERIFY(planned.contains("10") && planned.contains("01") && planned.contains("00"));
    }

    // Four full rows at the bottom but for one gap: the bar dropped into it lands, tells that the
    // well changed, sounds the drop and the landing (the first sound for a draw above 0.5, the
    // second else) and the rows, gives the drop button back and starts the row count's blink.
    void landingTellsTheViews() {
        Rig r;
        r.start();
        for (int c = 4; c <= 18; ++c)
            if (c != 10) dropInto(r, c);
        r.rec.clear();
        r.rng.push(0.9f);
        r.rng.push(0.5f);
        dropInto(r, 10);
        QCOMPARE(r.rec.filtered("sound:"), (QStringList{"6.0", "2.1", "7.0"}));
        for (const char* told : {"wellChanged", "nextShown", "queueShown", "figureShown 9,0"})
            QVERIFY2(r.rec.events.contains(told), told);
        QCOMPARE(std::tuple(r[Ctl::cmdDown].Enabled, r[lblCountLines(4)].Caption,
                            r.presenter.state().timer(Tmr::tmrMigCountLines).Enabled),
                 std::tuple(true, QStringLiteral("4-Lines*1 = 5000"), true));
        for (int c = 4; c <= 18; ++c) QVERIFY(!r.game.field().cell(c, 30));
    }

    // A bonus figure next is announced aloud once a score has been shown, never at the start.
    void bonusFigureSoundsOnlyOnceAScoreShows() {
        Rig r;
        r.dealer.figures = {classic(masks::kBar),           bonusFigure(masks::kDot, 30000),
                            classic(masks::kBar),           classic(masks::kBar),
                            classic(masks::kBar),           classic(masks::kBar),
                            bonusFigure(masks::kEll, 40000)};
        r.game.Form_Load();
        QCOMPARE(r.rec.filtered("sound:1"), QStringList());
        for (int i = 0; i < 5 && r.rec.filtered("sound:1").isEmpty(); ++i) r.dropAndLand();
        QCOMPARE(r.rec.filtered("sound:1"), QStringList{".0"});
    }

    // The pan is handed on, then tested, then moved by the step: it overshoots each side by
    // one step. A step from an unchecked settings file never wraps the pan around.
    void musicSweep_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("pans");      // the first pans handed on
        QTest::addColumn<QList<int>>("extremes");  // the lowest and the highest over 80 ticks
        QTest::newRow("1000") << 1000 << QList{-5000, -4000} << QList{-6000, 6000};
        QTest::newRow("300") << 300 << QList{-5000, -4700} << QList{-5300, 5200};
        QTest::newRow("32767") << 32767
                               << QList<int>{-5000, 27767, -5000, -32768, -1, 32766, -1, -32768}
                               << QList{-32768, 32766};
        QTest::newRow("-32768") << -32768
                                << QList<int>{-5000, -32768, 0, 32767, -1, -32768, 0, 32767}
                                << QList{-32768, 32767};
    }
    void musicSweep() {
        QFETCH(int, step);
        QFETCH(QList<int>, pans);
        QFETCH(QList<int>, extremes);
        Rig r;
        r.start();
        r.sweep.on = true;
        r.sweep.step = static_cast<Integer>(step);
        r.ticks(80);
        const QList<int> got(r.rec.pans.begin(), r.rec.pans.end());
        const auto [low, high] = std::minmax_element(got.begin(), got.end());
        QCOMPARE(got.mid(0, pans.size()) + QList<int>({*low, *high}), pans + extremes);

        // The sweep switched off hands nothing on; a new game starts again at -5000.
        r.rec.clear();
        r.sweep.on = false;
        r.ticks(3);
        r.sweep.on = true;
        r.game.Form_Load();
        r.ticks(1);
        QCOMPARE(r.rec.pans, std::vector<Integer>{-5000});
    }

    // Neither ticks nor keys act while the end-of-game dialogs are open, nor once the program is
    // ending. The demo stops, the table is offered the shown score (a confirmed empty name
    // becomes the date, a closed dialog stores nothing), listed and written; yes clears the
    // score and the speed and reads the table again for the new game.
    void gameOver_data() {
        QTest::addColumn<bool>("again");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("calls");
        const char* offered = "gameEnding Add_Record %1 ";
        const char* stored = "Fill_Table_List Save_Records askNewGame ";
        QTest::newRow("no place, no new game")
            << false << false << true << QString(offered) + stored + "playerLeaves";
        QTest::newRow("closed name dialog")
            << false << true << false
            << QString(offered) + "askPlayerName " + stored + "playerLeaves";
        QTest::newRow("empty name, new game")
            << true << true << true
            << QString(offered) + "askPlayerName stored 06.12.2026 " + stored +
                   "Clear_Records Load_Records Fill_Table_List gameStarted";
    }
    void gameOver() {
        QFETCH(bool, again);
        QFETCH(bool, placed);
        QFETCH(bool, confirmed);
        QFETCH(QString, calls);
        Rig r;
        r.start();
        r.game.setSpeed(45);
        r.desk.newGame = again;
        r.desk.placed = placed;
        r.desk.confirmName = confirmed;
        r.desk.nameToGive = QString();
        r.game.setDemo(true);
        QString changes, score;
        r.desk.duringDialog = [&] {
            changes += pokeEverything(r);
            if (r.presenter.state().timer(Tmr::tmrDemo).Enabled) changes += " demo timer on";
            if (score.isEmpty()) score = r[Ctl::lblScore].Caption;
        };
        for (int bars = 0; bars < 8 && r.desk.calls.indexOf("gameEnding") < 0; ++bars)
            r.dropAndLand();  // the bars stack up under the entry
        QCOMPARE(changes, QString());
        QCOMPARE(r.desk.calls.join(u' '), calls.arg(score));
        QCOMPARE(r.rec.events.count(QStringLiteral("tableLoaded")), again ? 2 : 1);
        QCOMPARE(r.game.isFinishing(), !again);
        if (again)
            QCOMPARE(std::tuple(int(r.game.scoring().score()), int(r.game.speed())),
                     std::tuple(0, 0));
        else
            QCOMPARE(pokeEverything(r), QString());  // the program is ending
    }

    // k presses < > ^ or V, colouring its button until the next step resets the three steering
    // buttons (V waits for the landing). Waits that round to 0 ms would stop the timer for good.
    // Paused, or with the demo switched off, a step neither presses nor sets a wait.
    void demoStep_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("state");  // running, paused, switched off
        for (int k = 0; k <= 21; ++k) QTest::addRow("k=%d", k) << k << 0;
        QTest::newRow("paused") << 0 << 1;
        QTest::newRow("switched off") << 0 << 2;
    }
    void demoStep() {
        QFETCH(int, k);
        QFETCH(int, state);
        const std::pair<float, int> waits[] = {{0.f, 1}, {0.0006f, 1}, {0.5f, 375}, {0.9999f, 750}};
        Rig r;
        r.start();
        const Colour normal = r[Ctl::cmdDown].BackColor;
        r.game.setDemo(true);
        r.game.setPaused(state == 1);
        r.game.setDemo(state != 2);
        for (Ctl b : kMoveButtons) r.presenter.state().setBackColor(b, 0x123456);
        for (float v : {waits[k % 4].first, k < 21 ? k / 21.0f : 0.99f}) r.rng.push(v);
        r.game.tmrDemo_Timer();
        // Per button: pressed (its sign), reset (-) or untouched (=).
        QString seen, expected = state ? "====" : "---=";
        for (int i = 0; i < 4; ++i) {
            const auto c = r[kMoveButtons[i]].BackColor;
            seen += c == 0x123456 ? '=' : c == normal ? '-' : "<>^V"[i];
        }
        const QChar press = QStringLiteral("<<<<<<<<>>>>>>>>^^^^VV")[k];
        if (!state) expected[QStringLiteral("<>^V").indexOf(press)] = press;
        QCOMPARE(seen, expected);
        const TimerState& demo = r.presenter.state().timer(Tmr::tmrDemo);
        QCOMPARE(std::pair(demo.Interval, demo.Enabled),
                 std::pair(state ? 500 : waits[k % 4].second, state != 2));
        QCOMPARE(r.game.demoWaitMs(), demo.Interval);
    }
};

QTEST_GUILESS_MAIN(TestGame)
#include "test_game.moc"
