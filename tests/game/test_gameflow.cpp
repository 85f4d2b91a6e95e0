// The life of a game in the model: the start, the fall tick and its pace, what a landing tells the
// views, the music sweep, and the end of a game with its dialogs.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

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

}  // namespace

class TestGameFlow : public QObject {
    Q_OBJECT

private slots:
    // Over the leftovers of an earlier game the load handler starts afresh (the transcripts of
    // a second game show the rest); the sounds and settings are loaded at the first start only.
    void formLoadStartsAfresh() {
        Rig r;
        Game& g = r.game;
        const talomir::Display& d = g.display;
        g.DropMode = true;
        g.EnableKeys = false;
        g.scoring.ColorFigura = 0;
        g.display.setTimer(Tmr::tmrDemo, true);
        g.setCheckValue(Ctl::chkDemo, 1);
        g.display.setEnabled(Ctl::cmdDown, false);
        g.display.setVisible(Ctl::lblNextPlace, false);
        g.display.setForeColor(Ctl::lblScore, 0);
        g.display.setForeColor(Ctl::lblLevel, 0);
        for (Ctl c : {Ctl::lblSumBonus, Ctl::lblCountLines1, Ctl::lblNextPlace})
            g.display.setCaption(c, QStringLiteral("old"));
        g.display.setBackColor(Ctl::chkPause, 0x123456);  // the menu's colour for this game
        g.log.append(QStringLiteral("old line"));
        r.records.table = {900, 800};
        g.Form_Load();
        QCOMPARE(r.rng.draws(), std::size_t(3));  // second 0: one discard, two colours
        QCOMPARE(std::tuple(g.DropMode, g.EnableKeys, g.scoring.ColorFigura, g.log.lines().size(),
                            g.ranking.MenuBackColor),
                 std::tuple(false, true, Colour(0xFFFF00), qsizetype(0), Colour(0x123456)));
        QCOMPARE(std::tuple(d[Ctl::lblScore].ForeColor, d[Ctl::lblLevel].ForeColor,
                            d[Ctl::frmMain].BackColor, d[Ctl::lblSumBonus].Caption,
                            d[Ctl::lblCountLines1].Caption, d[Ctl::lblNextPlace].Caption,
                            d[Ctl::lblPosition].Caption),
                 std::tuple(Colour(0x00FFFF), Colour(0x800000), Colour(0), QString(), QString(),
                            QString(), QStringLiteral("Place # 3")));
        QCOMPARE(std::tuple(d[Ctl::lblNextPlace].Visible, d[Ctl::fraControl].Visible,
                            d[Ctl::cmdDown].Enabled, d[Ctl::chkDemo].Value,
                            d.timer(Tmr::tmrDemo).Enabled, d.timer(Tmr::tmrDown).Enabled),
                 std::tuple(true, true, true, 0, false, true));
        for (const char* view : {"Draw_Well", "Draw_Figure 9,0", "Draw_Grid", "Draw_Next_Figure",
                                 "Draw_Future", "logCleared", "tableFilled", "checkClicked:19"})
            QVERIFY2(r.rec.events.contains(view), view);
        QCOMPARE(r.records.calls, (QStringList{"Load_Records", "Fill_Table_List"}));
        g.Form_Load();
        QCOMPARE(r.host.calls,
                 (QStringList{"firstLoad", "syncSideWindowButtons", "syncSideWindowButtons"}));
    }

    // A fall step comes every 150 - Speed ticks, counted afresh after a landing, and the views
    // draw the figure in its new row.
    void fallPeriodFollowsSpeed_data() {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("period");
        QTest::newRow("first figure of a game") << 0 << 150;
        QTest::newRow("level 1") << 15 << 135;
        QTest::newRow("level 9") << 135 << 15;
        QTest::newRow("level 10") << 150 << 1;
    }
    void fallPeriodFollowsSpeed() {
        QFETCH(int, speed);
        QFETCH(int, period);
        Rig r;
        r.start();
        if (speed > 0) {
            r.game.Speed = static_cast<Integer>(speed);
            r.dropAndLand();
        }
        for (int row = 1; row <= 2; ++row) {
            r.ticks(period - 1);
            QCOMPARE(int(r.game.field.FigY), row - 1);
            r.ticks(1);
            QCOMPARE(r.rec.filtered("Draw_Figure ").last(), QStringLiteral("9,%1").arg(row));
        }
    }

    // How many coming ticks would only count: skipping them changes nothing, and the tick after
    // them is a fall step; none while the countdown, a drop or a game over runs. The music sweep
    // does not count: its pans are handed over ahead.
    void inertTicksAhead() {
        Rig r;
        r.start();
        QCOMPARE(r.game.inertTicksAhead(), 0);  // the countdown runs
        r.ticks(250);                           // past it and one fall step
        QCOMPARE(r.game.inertTicksAhead(), 49);
        r.game.Speed = 135;  // a fall step every 15 ticks
        for (int left : {0, 14}) {
            QCOMPARE(r.game.inertTicksAhead(), left);
            const int row = r.game.field.FigY;
            r.ticks(left);
            QCOMPARE(int(r.game.field.FigY), row);
            r.ticks(1);
            QCOMPARE(int(r.game.field.FigY), row + 1);
        }
        r.game.EnableLoop = true;
        QCOMPARE(r.game.inertTicksAhead(), 14);
        r.game.EnableLoop = false;
        r.game.Form_KeyDown(40);
        QCOMPARE(r.game.inertTicksAhead(), 0);
    }

    // A landing gives the drop button back, redraws what changed, sounds one landing clip by a
    // fresh draw (the first above 0.5) and the row clip only with rows, and selects its line.
    void landingTellsTheViews_data() {
        QTest::addColumn<float>("dropDraw");
        QTest::addColumn<float>("landDraw");
        QTest::addColumn<bool>("row");
        QTest::addColumn<QStringList>("clips");
        QTest::newRow("above half") << 0.9f << 0.6f << false << QStringList{"mDrop1", "mDown1"};
        QTest::newRow("half, a row")
            << 0.5f << 0.5f << true << QStringList{"mDrop2", "mDown2", "mDelLin1"};
    }
    void landingTellsTheViews() {
        QFETCH(float, dropDraw);
        QFETCH(float, landDraw);
        QFETCH(bool, row);
        QFETCH(QStringList, clips);
        Rig r;
        r.start();
        const Colour button = r.game.ButtonColor;
        if (row) r.fillRow(30, {10});
        r.rng.push(dropDraw);
        r.rng.push(landDraw);
        r.game.log.append(QStringLiteral("an event line"));
        r.game.Form_KeyDown(vk::Down);
        r.ticks(27);
        QCOMPARE(r.game.FigureCount, Integer(0));
        r.ticks(1);
        QCOMPARE(r.rec.clips(), clips);
        const talomir::Display& d = r.game.display;
        QCOMPARE(d[Ctl::cmdDown].BackColor, button);
        QVERIFY(d[Ctl::cmdDown].Enabled);
        QCOMPARE(r.rec.filtered("logSelected:"), QStringList{"1"});
        for (const char* view : {"Draw_Well", "Draw_Grid", "Draw_Next_Figure", "Draw_Future"})
            QVERIFY2(r.rec.events.contains(view), view);
        QCOMPARE(r.rec.filtered("Draw_Figure ").last(), QStringLiteral("9,0"));  // the new figure
        QCOMPARE(d.timer(Tmr::tmrMigCountLines).Enabled, row);
        QCOMPARE(d[Ctl::lblCountLines1].Caption, row ? "1-Lines*1 = 275" : "");
    }

    // The pan is handed on, then tested, then moved by the step: it overshoots each side by
    // one step. A step from an unchecked settings file never wraps the pan around.
    void musicSweep_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("pans");  // the first pans handed on
        QTest::addColumn<int>("lowest");       // over 80 ticks
        QTest::addColumn<int>("highest");
        QList<int> slow;
        for (int p = -5000; p <= 6000; p += 1000) slow << p;
        QTest::newRow("1000") << 1000 << slow + QList<int>{5000, 4000} << -6000 << 6000;
        QTest::newRow("300") << 300 << QList<int>{-5000, -4700} << -5300 << 5200;
        QTest::newRow("0") << 0 << QList<int>(8, -5000) << -5000 << -5000;
        QTest::newRow("32767") << 32767
                               << QList<int>{-5000, 27767, -5000, -32768, -1, 32766, -1, -32768}
                               << -32768 << 32766;
        QTest::newRow("-32768") << -32768
                                << QList<int>{-5000, -32768, 0, 32767, -1, -32768, 0, 32767}
                                << -32768 << 32767;
    }
    void musicSweep() {
        QFETCH(int, step);
        QFETCH(QList<int>, pans);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        Rig r;
        r.start();
        r.game.EnableLoop = true;
        r.game.SpeedChange = static_cast<Integer>(step);
        r.ticks(80);
        const QList<int> got(r.rec.pans.begin(), r.rec.pans.end());
        QCOMPARE(got.mid(0, pans.size()), pans);
        const auto [low, high] = std::minmax_element(got.begin(), got.end());
        QCOMPARE(std::pair(*low, *high), std::pair(lowest, highest));

        // A pause or the sweep switched off hands nothing on; a new game starts again at -5000.
        r.rec.clear();
        r.game.setCheckValue(Ctl::chkPause, 1);
        r.ticks(3);
        r.game.setCheckValue(Ctl::chkPause, 0);
        r.game.EnableLoop = false;
        r.ticks(3);
        QVERIFY(r.rec.pans.empty());
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
        QTest::addColumn<QStringList>("host");
        QTest::addColumn<QStringList>("records");
        const QStringList offered{"Add_Record 9327", "Fill_Table_List", "Save_Records"};
        QTest::newRow("no place, no new game")
            << false << false << true
            << QStringList{"unloadSettingsAndHelp", "askNewGame", "endProgram"} << offered;
        QTest::newRow("closed name dialog")
            << false << true << false
            << QStringList{"unloadSettingsAndHelp", "askPlayerName", "askNewGame", "endProgram"}
            << offered;
        QTest::newRow("empty name, new game")
            << true << true << true
            << QStringList{"unloadSettingsAndHelp", "askPlayerName", "askNewGame",
                           "syncSideWindowButtons"}
            << QStringList{"Add_Record 9327", "stored 06.12.2026", "Fill_Table_List",
                           "Save_Records",    "Clear_Records",     "Load_Records",
                           "Fill_Table_List"};
    }
    void gameOver() {
        QFETCH(bool, again);
        QFETCH(bool, placed);
        QFETCH(bool, confirmed);
        QFETCH(QStringList, host);
        QFETCH(QStringList, records);
        Rig r;
        r.start();
        r.game.field.FigX = 5;
        r.game.field.Well[10][3] = true;  // under the entry box's bar: the next landing ends it
        r.game.Speed = 45;
        r.game.scoring.Score = 91230;
        r.host.newGame = again;
        r.records.placed = placed;
        r.host.confirmName = confirmed;
        r.host.nameToGive = QString();
        r.game.display.setTimer(Tmr::tmrDemo, true);
        QString changes;
        r.host.duringDialog = [&] {
            changes += pokeEverything(r.game, r.rec);
            if (r.game.display.timer(Tmr::tmrDemo).Enabled) changes += " demo timer on";
        };
        r.dropAndLand();
        QCOMPARE(changes, QString());
        QCOMPARE(r.host.calls, host);
        QCOMPARE(r.records.calls, records);
        QCOMPARE(r.rec.events.count(QStringLiteral("tableFilled")), again ? 2 : 1);
        QCOMPARE(r.game.isFinishing(), !again);
        if (again)
            QCOMPARE(std::tuple(int(r.game.scoring.Score), int(r.game.Speed)), std::tuple(0, 0));
        else
            QCOMPARE(pokeEverything(r.game, r.rec), QString());  // the program is ending
    }
};

QTEST_GUILESS_MAIN(TestGameFlow)
#include "test_gameflow.moc"
