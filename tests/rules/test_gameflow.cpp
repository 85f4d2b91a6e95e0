// The life of a game in the model: the start with its colours, the keys and the move buttons with
// their colours and sounds, the pause, what a landing tells the views, the music sweep, the end
// of a game with its dialogs, the demo's steering; the score, level and place displays with their
// timers. The transcripts play the fall pace, score whole landings and follow the place.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

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

// Ticks, keys and buttons thrown at a game: what they changed and what the views heard of it.
QString pokeEverything(Game& g, const Recorder& rec) {
    const auto state = [&g] {
        return std::tuple(g.field.FigX, g.field.FigY, g.field.Fig, g.TimeTicks, g.TickCount,
                          g.DropMode, g.display[Ctl::chkPause].Value);
    };
    const auto before = state();
    const qsizetype heard = rec.events.size();
    for (int i = 0; i < 300; ++i) g.tick();
    g.tmrDown_Timer();
    for (int key : {37, 38, 39, 40, 27}) g.Form_KeyDown(key);
    g.cmdLeftRight_MouseDown(2);
    g.cmdRotate_MouseDown(0);
    g.cmdDown_MouseDown();
    return rec.events.mid(heard).join(u' ') + (state() == before ? "" : " and the game moved");
}

constexpr Colour kYellow = 0x00FFFF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kMenu = 0x0000C0;  // the menu buttons' own colour
constexpr Ctl kMenuButtons[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};

// A started game whose displays the tests drive directly; the ranking against table.
struct Board : Rig {
    explicit Board(std::vector<double> scores = {}, int below = -1) {
        desk.table = std::move(scores);
        start();
        if (below >= 0) game.ranking.startBelow(below);
        draws = rng.draws();
    }
    void update(Long score) { game.ranking.Update_Position(score, desk.table); }
    bool lightOn() const { return game.display.timer(Tmr::tmrMigMenuControls).Enabled; }
    // The menu buttons lit green, as a string of their indices.
    QString lit() const {
        QString s;
        for (int i = 0; i < 4; ++i)
            if (game.display[kMenuButtons[i]].BackColor != kMenu)
                s += game.display[kMenuButtons[i]].BackColor == kGreen ? QString::number(i) : "?";
        return s;
    }
    std::size_t draws = 0;
};

}  // namespace

class TestGameFlow : public QObject {
    Q_OBJECT

private slots:
    // Each key does what its button does: a refused move only colours the button, a turn sounds
    // and redraws even when refused, other keys do nothing. Key up gives back the colours, both
    // sideways buttons at once, and hands the focus back to the well, also during a pause; Down
    // has none. One drop per figure: Down and its button do nothing more until the landing.
    void keysAndButtons() {
        Rig r;
        r.start();
        Game& g = r.game;
        g.field.FigX = 3;  // the bar against the left wall, where it cannot turn
        g.field.FigY = 10;
        r.rng.push(0.5f);  // not above 0.5: the second drop clip
        for (int key : {13, 32, 36, 41, 65, 37, 38, 39, 38, 40}) g.Form_KeyDown(key);
        QCOMPARE(r.rec.events.join(u'|'),
                 "clip:mRotate1|Draw_Figure 3,10|clip:mRight1|"
                 "Draw_Figure 4,10|clip:mRotate1|Draw_Figure 4,10|clip:mDrop2");
        QCOMPARE(std::tuple(buttons(g), g.field.Fig, g.DropMode, g.display[Ctl::cmdDown].Enabled),
                 std::tuple(QStringLiteral("ff00 ff00 ffff 0"), cellsOf("0100010001000100"), true,
                            false));
        const std::size_t draws = r.rng.draws();
        g.Form_KeyDown(40);
        g.cmdDown_MouseDown();
        QCOMPARE(r.rng.draws(), draws);
        r.rec.clear();
        g.Form_KeyUp(37);
        QCOMPARE(buttons(g), QStringLiteral("n n ffff 0"));
        g.Form_KeyDown(27);
        g.Form_KeyUp(38);
        g.Form_KeyUp(40);
        g.cmdDown_MouseUp();
        QCOMPARE(buttons(g), QStringLiteral("n n n 0"));
        QCOMPARE(r.rec.events.count(QStringLiteral("focusWell")), 4);  // one from the pause
        g.Form_KeyDown(27);
        g.Form_KeyDown(39);
        g.Form_KeyUp(39);
        QCOMPARE(buttons(g), QStringLiteral("n n n 0"));
    }

    // The views hear ESC's pause ask for the minimised window and its resume for the normal one
    // (the window suites play both); minimising twice toggles nothing. A game started with the
    // pause button down waits for it, keys included.
    void pauseWaysInAndOut() {
        Rig r;
        r.start();
        Game& g = r.game;
        g.Form_KeyDown(27);
        QCOMPARE(r.rec.events.join(u' '),
                 "windowState:1 Draw_Figure 9,0 Draw_Next_Figure focusWell");
        g.Form_KeyDown(27);
        for (bool minimised : {true, true}) g.Form_Resize(minimised);
        QCOMPARE(std::pair(mode(g), r.rec.filtered("windowState:")),
                 std::pair(QStringLiteral("paused"), QStringList{"1", "0"}));
        g.Form_Load();
        g.Form_KeyDown(37);
        QCOMPARE(std::pair(mode(g), int(g.field.FigX)), std::pair(QStringLiteral("paused"), 9));
        g.Form_KeyDown(27);
        g.Form_KeyDown(37);
        QCOMPARE(std::pair(mode(g), int(g.field.FigX)), std::pair(QStringLiteral("running"), 8));
    }

    // Over the leftovers of an earlier game the load handler starts afresh (the transcripts of
    // a second game show the rest); the sounds and settings are loaded at the first start only.
    // After 2s+1 discards: ButtonColor = QBColor(floor(15 r) + 1), the circle QBColor(CInt(15 r)).
    // Each row: the second and the two draws; the button and the circle colour.
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
        Game& g = r.game;
        const talomir::Display& d = g.display;
        g.DropMode = true;
        g.EnableKeys = false;
        g.scoring.ColorFigura = 0;
        g.display.setTimer(Tmr::tmrDemo, true);
        g.setCheckValue(Ctl::chkDemo, 1);
        g.display.setEnabled(Ctl::cmdDown, false);
        g.display.setForeColor(Ctl::lblScore, 0);
        g.display.setForeColor(Ctl::lblLevel, 0);
        g.display.setBackColor(Ctl::chkPause, 0x123456);  // the menu's colour for this game
        g.log.append(QStringLiteral("old line"));
        r.desk.table = {900, 800};
        const int second = static_cast<int>(draws[0]);
        r.clock.setSeconds(second);
        for (int i = 0; i < 2 * second + 1; ++i) r.rng.push(0.9f);
        for (float f : {draws[1], draws[2], 0.3f}) r.rng.push(f);
        g.Form_Load();
        QVERIFY(r.rng.remaining() == std::size_t(1) && buttons(g) == QStringLiteral("n n n n"));
        QCOMPARE((QList{g.ButtonColor, d[Ctl::shpTwo].BorderColor}), colours);
        QCOMPARE(std::tuple(g.DropMode, g.EnableKeys, g.scoring.ColorFigura, g.log.lines().size(),
                            g.ranking.MenuBackColor),
                 std::tuple(false, true, Colour(0xFFFF00), qsizetype(0), Colour(0x123456)));
        QCOMPARE(std::tuple(d[Ctl::lblScore].ForeColor, d[Ctl::lblLevel].ForeColor,
                            d[Ctl::frmMain].BackColor, d[Ctl::lblPosition].Caption),
                 std::tuple(Colour(0x00FFFF), Colour(0x800000), Colour(0), "Place # 3"));
        QCOMPARE(
            std::tuple(d[Ctl::fraControl].Visible, d[Ctl::cmdDown].Enabled, d[Ctl::chkDemo].Value,
                       d.timer(Tmr::tmrDemo).Enabled, d.timer(Tmr::tmrDown).Enabled),
            std::tuple(true, true, 0, false, true));
        for (const char* view : {"Draw_Well", "Draw_Figure 9,0", "Draw_Grid", "Draw_Next_Figure",
                                 "Draw_Future", "logCleared", "tableFilled", "checkClicked:19"})
            QVERIFY2(r.rec.events.contains(view), view);
        g.Form_Load();
        QVERIFY(r.desk.calls.count("firstLoad") == 1 && r.desk.calls.count("Load_Records") == 2);
    }

    // How many coming ticks would only count: skipping them changes nothing, and the tick after
    // them is a fall step; none while the countdown, a drop or a game over runs. The music sweep
    // does not count: its pans are handed over ahead.
    void inertTicksAhead() {
        Rig r;
        r.start();
        QCOMPARE(r.game.inertTicksAhead(), 0);    // the countdown runs
        QCOMPARE(r.game.quietTicksAhead(), 149);  // ... and changes nothing else until the step
        r.ticks(250);                             // past it and one fall step
        QCOMPARE(r.game.inertTicksAhead(), 49);
        r.game.Speed = 135;  // a fall step every 15 ticks
        r.game.EnableLoop = true;
        for (int left : {0, 14}) {
            QCOMPARE(r.game.inertTicksAhead(), left);
            const int row = r.game.field.FigY;
            r.ticks(left);
            QCOMPARE(int(r.game.field.FigY), row);
            r.ticks(1);
            QCOMPARE(int(r.game.field.FigY), row + 1);
        }
        r.game.Form_KeyDown(40);  // a drop: its falls, then the tick that lands it
        r.ticks(r.game.dropTicksAhead());
        QVERIFY(r.game.inertTicksAhead() + r.game.quietTicksAhead() == 0 && r.game.DropMode);
        r.ticks(1);
        QVERIFY(!r.game.DropMode);
    }

    // A landing gives the drop button back, redraws what changed, sounds one landing clip by a
    // fresh draw (the first above 0.5) and the row clip only with rows, and selects its line.
    void landingTellsTheViews() {
        Rig r;
        r.start();
        Game& g = r.game;
        const talomir::Display& d = g.display;
        for (int c = 4; c <= 18; ++c) g.field.Well[c][30] = c != 10;  // the bar completes it
        for (float draw : {0.5f, 0.5f, 0.9f, 0.6f}) r.rng.push(draw);
        g.log.append(QStringLiteral("an event line"));
        g.Form_KeyDown(vk::Down);
        r.ticks(27);  // a fall step draws the figure where it now stands
        QCOMPARE(std::pair(g.FigureCount, r.rec.filtered("Draw_Figure ").last()),
                 std::pair(Integer(0), QStringLiteral("9,27")));
        r.ticks(1);
        QCOMPARE(std::tuple(d[Ctl::cmdDown].BackColor, d[Ctl::cmdDown].Enabled,
                            d.timer(Tmr::tmrMigCountLines).Enabled, d[Ctl::lblCountLines1].Caption),
                 std::tuple(g.ButtonColor, true, true, QStringLiteral("1-Lines*1 = 275")));
        QCOMPARE(r.rec.filtered("logSelected:"), QStringList{"1"});
        for (const char* view : {"Draw_Well", "Draw_Grid", "Draw_Next_Figure", "Draw_Future"})
            QVERIFY2(r.rec.events.contains(view), view);
        QCOMPARE(r.rec.filtered("Draw_Figure ").last(), QStringLiteral("9,0"));  // the new figure
        r.dropAndLand();  // on the rest of the first bar, no row
        QCOMPARE(r.rec.clips(), (QStringList{"mDrop2", "mDown2", "mDelLin1", "mDrop1", "mDown1"}));
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
        r.game.EnableLoop = true;
        r.game.SpeedChange = static_cast<Integer>(step);
        r.ticks(80);
        const QList<int> got(r.rec.pans.begin(), r.rec.pans.end());
        const auto [low, high] = std::minmax_element(got.begin(), got.end());
        QCOMPARE(got.mid(0, pans.size()) + QList<int>({*low, *high}), pans + extremes);

        // The sweep switched off hands nothing on; a new game starts again at -5000.
        r.rec.clear();
        r.game.EnableLoop = false;
        r.ticks(3);
        r.game.EnableLoop = true;
        r.game.Form_Load();
        r.ticks(1);
        QCOMPARE(r.rec.pans, std::vector<Integer>{-5000});
    }

    // Neither ticks nor keys act while the end-of-game dialogs are open, nor once the program is
    // ending. The demo stops, the table is offered the score (a confirmed empty name becomes the
    // date, a closed dialog stores nothing), listed and written; yes clears the score and the
    // speed and reads the table again for the new game.
    void gameOver_data() {
        QTest::addColumn<bool>("again");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("calls");
        const char* offered = "unloadSettingsAndHelp Add_Record 9327 ";
        const char* stored = "Fill_Table_List Save_Records askNewGame ";
        QTest::newRow("no place, no new game")
            << false << false << true << QString(offered) + stored + "endProgram";
        QTest::newRow("closed name dialog")
            << false << true << false
            << QString(offered) + "askPlayerName " + stored + "endProgram";
        QTest::newRow("empty name, new game")
            << true << true << true
            << QString(offered) + "askPlayerName stored 06.12.2026 " + stored +
                   "Clear_Records Load_Records Fill_Table_List syncSideWindowButtons";
    }
    void gameOver() {
        QFETCH(bool, again);
        QFETCH(bool, placed);
        QFETCH(bool, confirmed);
        QFETCH(QString, calls);
        Rig r;
        r.start();
        r.game.field.FigX = 5;
        r.game.field.Well[10][3] = true;  // under the entry box's bar: the next landing ends it
        r.game.Speed = 45;
        r.game.scoring.Score = 91230;
        r.desk.newGame = again;
        r.desk.placed = placed;
        r.desk.confirmName = confirmed;
        r.desk.nameToGive = QString();
        r.game.display.setTimer(Tmr::tmrDemo, true);
        QString changes;
        r.desk.duringDialog = [&] {
            changes += pokeEverything(r.game, r.rec);
            if (r.game.display.timer(Tmr::tmrDemo).Enabled) changes += " demo timer on";
        };
        r.dropAndLand();
        QCOMPARE(changes, QString());
        QCOMPARE(r.desk.calls.join(u' '), calls);
        QCOMPARE(r.rec.events.count(QStringLiteral("tableFilled")), again ? 2 : 1);
        QCOMPARE(r.game.isFinishing(), !again);
        if (again)
            QCOMPARE(std::tuple(int(r.game.scoring.Score), int(r.game.Speed)), std::tuple(0, 0));
        else
            QCOMPARE(pokeEverything(r.game, r.rec), QString());  // the program is ending
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
        r.game.setCheckValue(Ctl::chkDemo, 1);
        r.game.setCheckValue(Ctl::chkPause, state == 1);
        r.game.setCheckValue(Ctl::chkDemo, state != 2);
        for (Ctl b : kMoveButtons) r.game.display.setBackColor(b, 0x123456);
        for (float v : {waits[k % 4].first, k < 21 ? k / 21.0f : 0.99f}) r.rng.push(v);
        r.game.tmrDemo_Timer();
        // Per button: pressed (its sign), reset (-) or untouched (=).
        QString buttons, expected = state ? "====" : "---=";
        for (int i = 0; i < 4; ++i) {
            const auto c = r.game.display[kMoveButtons[i]].BackColor;
            buttons += c == 0x123456 ? '=' : c == r.game.ButtonColor ? '-' : "<>^V"[i];
        }
        const QChar press = QStringLiteral("<<<<<<<<>>>>>>>>^^^^VV")[k];
        if (!state) expected[QStringLiteral("<>^V").indexOf(press)] = press;
        QCOMPARE(buttons, expected);
        QCOMPARE(r.game.display.timer(Tmr::tmrDemo).Interval, state ? 500 : waits[k % 4].second);
        QCOMPARE(r.game.display.timer(Tmr::tmrDemo).Enabled, state != 2);
    }

    // Black, yellow, black, yellow, black; the sixth tick, 1.5 s after the removal, leaves it
    // yellow and stops. A removal during the blink puts all four labels back to yellow and
    // starts over on the newest label.
    void rowCountBlink() {
        Board b;
        auto blink = [&](int rows, int ticks) {
            b.game.scoring.addRowBonus(static_cast<Integer>(rows));
            QString seen;
            for (int t = 0; t < ticks; ++t) {
                if (!b.game.display.timer(Tmr::tmrMigCountLines).Enabled) seen += u'!';
                b.game.scoring.tmrMigCountLines_Timer();
                seen += b.game.display[lblCountLines(rows)].ForeColor == 0 ? u'b' : u'y';
            }
            return seen;
        };
        QCOMPARE(blink(2, 6), QStringLiteral("bybyby"));
        QVERIFY(!b.game.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(blink(1, 6), QStringLiteral("bybyby"));  // a run after a finished one is whole
        QVERIFY(blink(4, 3) == u"byb" && blink(3, 6) == u"bybyby");
        QVERIFY(!b.game.display.timer(Tmr::tmrMigCountLines).Enabled);
        for (int n = 1; n <= 4; ++n) QCOMPARE(b.game.display[lblCountLines(n)].ForeColor, kYellow);
        QCOMPARE(6 * b.game.display.timer(Tmr::tmrMigCountLines).Interval, 1500);
        QCOMPARE(b.rec.clips(), QStringList(4, QStringLiteral("mDelLin1")));
    }

    // The next figure's colour and announcement; the clip sounds only once a score is shown, and
    // a classic figure after it resets the colour but leaves the announcement up.
    void announcement_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<bool>("scoreShown");
        QTest::addColumn<QList<Colour>>("colours");  // the caption's and the figure's
        QTest::newRow("bonus figure at the start")
            << masks::kEll << 40005 << false << QList<Colour>{0xFFFF00, 0x0000FF};
        QTest::newRow("bonus figure later")
            << masks::kDot << 30015 << true << QList<Colour>{0xFFFF00, 0x0000FF};
        QTest::newRow("super figure")
            << masks::kSuper << 250000 << true << QList<Colour>{0xFF0000, 0xFF0000};
    }
    void announcement() {
        QFETCH(QString, mask);
        QFETCH(int, bonus);
        QFETCH(bool, scoreShown);
        QFETCH(QList<Colour>, colours);
        Board b;
        if (scoreShown) b.game.display.setCaption(Ctl::lblScore, QStringLiteral("0"));
        b.game.scoring.Announce_Talomir_Figure(bonusFigure(mask.toLatin1().constData(), bonus));
        QCOMPARE((QList{b.game.display[Ctl::lblFirma].ForeColor, b.game.scoring.ColorFigura}),
                 colours);
        b.game.scoring.Announce_Talomir_Figure(classic(masks::kBar));
        QCOMPARE(std::tuple(b.game.scoring.ColorFigura, b.game.display[Ctl::lblFirma].Visible,
                            b.game.log.lines().size()),
                 std::tuple(Colour(0xFFFF00), true, qsizetype(1)));
        QCOMPARE(b.rec.clips(), scoreShown ? QStringList{"mTalomir1"} : QStringList{});
    }

    // The ninth row of a level raises it and starts the flicker: random colours QBColor(CInt(15
    // r)) for ten ticks, the eleventh, 1.65 s after the rise, settles on the level's; the next
    // rise flickers as long. At level 10, the last, the ninth row still reads 123456789, later
    // rows leave the remainder empty, and neither speed nor level moves.
    void levelTenIsTheLast() {
        Board b;
        b.game.levels.Level = 8;
        b.game.Speed = 120;
        std::vector<Colour> seen;
        for (Colour settled : {0x00FF00, 0xFFFF00}) {  // QBColor(10) at level 9, (11) at 10
            b.game.levels.LinesInLevel = 8;
            b.game.levels.rowRemoved(b.game.Speed, 846);
            for (float r : {0.0f, 2.0f / 15, 14.0f / 15, 0.99f}) b.rng.push(r);  // 0, 2, 14, 15
            seen.clear();
            for (int t = 0; t < 11; ++t) {
                QVERIFY(b.game.display.timer(Tmr::tmrLevel).Enabled);
                b.game.levels.tmrLevel_Timer();
                seen.push_back(b.game.display[Ctl::lblLevel].ForeColor);
            }
            QVERIFY(!b.game.display.timer(Tmr::tmrLevel).Enabled);
            QCOMPARE((std::vector(seen.begin(), seen.begin() + 4)),
                     (std::vector<Colour>{0, 0x008000, 0x00FFFF, 0xFFFFFF}));
            QCOMPARE(seen.back(), settled);
        }
        QCOMPARE(b.game.log.lines().mid(2), (QStringList{"...Level # 10", "...Score : 846"}));
        QCOMPARE(std::tuple(int(b.game.Speed), int(b.game.levels.Level)), std::tuple(150, 10));
        QCOMPARE(b.rng.draws() - b.draws, std::size_t(22));
        QCOMPARE(11 * b.game.display.timer(Tmr::tmrLevel).Interval, 1650);
        QStringList remain;
        for (int i = 0; i < 11; ++i) {
            b.game.levels.rowRemoved(b.game.Speed, 900);
            remain << b.game.display[Ctl::lblRemain].Caption;
        }
        QCOMPARE(remain.mid(6), (QStringList{"12", "1", "123456789", "", ""}));
        QCOMPARE(std::tuple(int(b.game.Speed), int(b.game.levels.Level), b.game.log.lines().size()),
                 std::tuple(150, 10, qsizetype(4)));
        QCOMPARE(b.game.display[Ctl::lblLevel].Caption, QStringLiteral("Level # 10"));
    }

    // A gain selects the entry just passed and sends one green light from Pause to Set; the
    // fifth tick puts Set back and stops. A gain while it runs lets it run on. First place
    // lights the place cyan, hides the distance and redraws the grid; a new game while Pause is
    // lit keeps the menu's own colour.
    void runningLightAndVictory() {
        Board b({900, 500, 300}, 5);  // a place below the table's end counts from its end
        b.update(400);
        QString seen;
        for (int t = 0; t < 5; ++t) {
            QVERIFY(b.lightOn());
            b.game.ranking.tmrMigMenuControls_Timer();
            seen += b.lit() + u' ';
            if (t == 1) b.update(600);
        }
        QCOMPARE(seen, QStringLiteral("0 1 2 3  "));
        QCOMPARE(4 * b.game.display.timer(Tmr::tmrMigMenuControls).Interval, 400);  // Pause to Set
        QVERIFY(!b.lightOn());
        QCOMPARE(std::tuple(b.game.display[Ctl::lblPosition].ForeColor,
                            b.game.display[Ctl::lblNextPlace].Visible),
                 std::tuple(Colour(0xC0C000), true));

        b.update(1000);
        QCOMPARE(b.rec.filtered("tableSelected:"), (QStringList{"2", "1", "0"}));
        QCOMPARE(b.rec.filtered("Draw_Grid").size(), 1);
        QCOMPARE(std::tuple(b.game.display[Ctl::lblPosition].ForeColor,
                            b.game.display[Ctl::lblNextPlace].Visible),
                 std::tuple(Colour(0xFFFF00), false));
        b.game.ranking.tmrMigMenuControls_Timer();
        b.game.ranking.captureMenuColour();
        QCOMPARE(b.game.ranking.MenuBackColor, kMenu);
        for (int t = 0; t < 4; ++t) b.game.ranking.tmrMigMenuControls_Timer();
        QVERIFY(b.lit() == QString() && !b.lightOn());
        b.update(2000);  // first place is held: nothing more
        QCOMPARE(std::pair(b.lightOn(), b.game.log.lines().size()), std::pair(false, qsizetype(3)));
    }
};

QTEST_GUILESS_MAIN(TestGameFlow)
#include "test_gameflow.moc"
