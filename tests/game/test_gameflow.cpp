// The start of every game and the end of a game: the state the load handler leaves, the
// dialogs of the game over, and what may not happen while they are open.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// Everything a stray tick or key could change.
QString stateOf(const Game& g) {
    QString s = QStringLiteral("x%1 y%2 tt%3 tc%4 drop%5 score%6 figs%7 speed%8 pause%9 ")
                    .arg(g.field.FigX)
                    .arg(g.field.FigY)
                    .arg(g.TimeTicks)
                    .arg(g.TickCount)
                    .arg(g.DropMode)
                    .arg(g.scoring.Score)
                    .arg(g.FigureCount)
                    .arg(g.Speed)
                    .arg(g.display[Ctl::chkPause].Value);
    s += QStringLiteral("log%1 %2 %3 ")
             .arg(g.log.lines().size())
             .arg(g.display[Ctl::lblTimeBonus].Caption, g.display[Ctl::lblScore].Caption);
    for (int c = 0; c < Playfield::kCols; ++c)
        for (int r = 0; r < Playfield::kRows; ++r) s += g.field.Well[c][r] ? u'#' : u'.';
    for (const auto& col : g.field.Fig)
        for (bool b : col) s += b ? u'@' : u'.';
    return s;
}

void pokeEverything(Game& g) {
    for (int i = 0; i < 300; ++i) g.tick();
    g.tmrDown_Timer();
    for (int key : {37, 38, 39, 40, 27, 37, 40}) g.Form_KeyDown(key);
    g.cmdLeftRight_MouseDown(0);
    g.cmdLeftRight_MouseDown(2);
    g.cmdRotate_MouseDown(0);
    g.cmdDown_MouseDown();
}

// A game whose next landing ends it: the entry box is blocked under its bar cell.
void prepareGameOver(Rig& r) {
    r.start();
    r.game.field.FigX = 5;
    r.game.field.Well[10][3] = true;
}

}  // namespace

class TestGameFlow : public QObject {
    Q_OBJECT

private slots:
    void formLoadStartsAfresh() {
        Rig r;
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(classic(masks::kDot));
        r.dealer.add(classic(masks::kEll));
        r.dealer.add(classic(masks::kSquare));
        r.dealer.add(classic(masks::kTriple));
        Game& g = r.game;
        // Leftovers of an earlier game.
        g.field.Well[7][30] = true;
        g.field.FigX = 4;
        g.FigCells = 9;
        g.FigureCount = 12;
        g.DropMode = true;
        g.EnableKeys = false;
        g.levels.Level = 3;
        g.levels.LinesInLevel = 4;
        g.scoring.LinesCount[2] = 5;
        g.scoring.SumTalomirBonus = 800;
        g.scoring.SumTimeBonus = 90;
        g.scoring.Score = 777;
        g.Speed = 45;
        g.TickCount = 3;
        g.TimeTicks = 7;
        g.MusicSweep = 1234;
        g.MusicSweepDir = -1;
        g.display.setTimer(Tmr::tmrDemo, true);
        g.setCheckValue(Ctl::chkDemo, 1);
        g.log.append(QStringLiteral("old line"));

        g.Form_Load();
        QCOMPARE(r.rng.draws(), std::size_t(3));  // second 0: one discard, two colours
        for (const auto& col : g.field.Well)
            for (bool c : col) QVERIFY(!c);
        QCOMPARE(int(g.field.FigX), 9);
        QCOMPARE(int(g.field.FigY), 0);
        QCOMPARE(g.field.Fig, cellsOf(masks::kBar));
        QCOMPARE(g.FigNext, cellsOf(masks::kDot));
        QCOMPARE(maskToString(g.Queue[5].Mask), QString::fromLatin1(masks::kTriple));
        QCOMPARE(g.FigCells, Integer(5));
        QCOMPARE(g.FigureCount, Integer(0));
        QVERIFY(!g.DropMode);
        QVERIFY(g.EnableKeys);
        QCOMPARE(g.levels.Level, Integer(0));
        QCOMPARE(g.levels.LinesInLevel, Integer(0));
        QCOMPARE(g.scoring.LinesCount, (std::array<Long, 5>{}));
        QCOMPARE(g.scoring.SumTalomirBonus, Long(0));
        QCOMPARE(g.scoring.SumTimeBonus, Long(0));
        QCOMPARE(g.MusicSweep, Integer(-5000));
        QCOMPARE(g.MusicSweepDir, Integer(1));
        // Not the load handler's: the score, speed and tick counters.
        QCOMPARE(g.scoring.Score, Long(777));
        QCOMPARE(g.Speed, Integer(45));
        QCOMPARE(g.TickCount, Integer(3));
        QCOMPARE(g.TimeTicks, Integer(7));

        const talomir::Display& d = g.display;
        QCOMPARE(d[Ctl::lblScore].Caption, QStringLiteral("---"));
        QCOMPARE(d[Ctl::lblScore].ForeColor, Colour(0x00FFFF));
        QCOMPARE(d[Ctl::lblLevel].Caption, QStringLiteral("Level # 0"));
        QCOMPARE(d[Ctl::lblLevel].ForeColor, QBColor(1));
        QCOMPARE(d[Ctl::lblRemain].Caption, QString());
        for (int n = 1; n <= 4; ++n) QCOMPARE(d[lblCountLines(n)].Caption, QString());
        QCOMPARE(d[Ctl::lblSumBonus].Caption, QString());
        QCOMPARE(d[Ctl::lblPosition].Caption, QStringLiteral("Place # 1"));
        QCOMPARE(d[Ctl::lblNextPlace].Caption, QString());
        QVERIFY(d[Ctl::lblNextPlace].Visible);
        QCOMPARE(d[Ctl::frmMain].BackColor, Colour(0));
        QCOMPARE(d[Ctl::chkDemo].Value, 0);
        QVERIFY(!d.timer(Tmr::tmrDemo).Enabled);
        QVERIFY(d.timer(Tmr::tmrDown).Enabled);
        QVERIFY(d[Ctl::fraControl].Visible);
        QVERIFY(d[Ctl::cmdDown].Enabled);
        QVERIFY(g.log.lines().isEmpty());
        QCOMPARE(g.scoring.ColorFigura, Colour(0xFFFF00));

        QCOMPARE(r.host.calls, (QStringList{"firstLoad", "syncSideWindowButtons"}));
        QCOMPARE(r.records.calls, (QStringList{"Load_Records", "Fill_Table_List"}));
        QVERIFY(r.rec.events.contains("logCleared"));
        QVERIFY(r.rec.events.contains("layoutWindow"));
        QVERIFY(r.rec.events.contains("tableFilled"));
        const QStringList draws = r.rec.filtered("Draw_");
        QCOMPARE(draws, (QStringList{"Well", "Figure", "Grid", "Next_Figure", "Future"}));

        // A second game neither loads the sounds again nor touches the score.
        r.host.calls.clear();
        g.Form_Load();
        QCOMPARE(r.host.calls, QStringList{"syncSideWindowButtons"});
        QCOMPARE(g.scoring.Score, Long(777));
    }

    void placeCaptionFollowsTableSize_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("caption");
        QTest::newRow("empty") << 0 << "Place # 1";
        QTest::newRow("three") << 3 << "Place # 4";
        QTest::newRow("98") << 98 << "Place # 99";
        QTest::newRow("99") << 99 << "";
        QTest::newRow("120") << 120 << "";
    }
    void placeCaptionFollowsTableSize() {
        QFETCH(int, entries);
        QFETCH(QString, caption);
        Rig r;
        for (int i = 0; i < entries; ++i) r.records.table.push_back(10000.0 - i);
        r.start();
        QCOMPARE(r.game.display[Ctl::lblPosition].Caption, caption);
        QCOMPARE(int(r.game.ranking.Place), entries);
    }

    // A bonus figure drawn as the first next figure is shown but neither sounded nor logged; the
    // announcement of the last game stays up until the first landing takes it down.
    void firstNextBonusFigure() {
        Rig r;
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(bonusFigure(masks::kDot, 40005));
        r.game.Form_Load();
        const talomir::Display& d = r.game.display;
        QVERIFY(d[Ctl::lblFirma].Visible);
        QCOMPARE(d[Ctl::lblFirma].Caption, QStringLiteral("Talomir-фигурка Bonus 4000"));
        QCOMPARE(r.game.scoring.ColorFigura, Colour(0x0000FF));
        QCOMPARE(r.rec.clips(), QStringList{});
        QVERIFY(r.game.log.lines().isEmpty());
        QVERIFY(r.rec.logLines().contains("...Talomir"));  // announced before the log was cleared
        QVERIFY(r.rec.events.indexOf("log:...Talomir") < r.rec.events.indexOf("logCleared"));

        r.game.Form_Load();  // the next game deals bars: the old announcement stays
        QVERIFY(d[Ctl::lblFirma].Visible);
        r.dropAndLand();
        QVERIFY(!d[Ctl::lblFirma].Visible);
    }

    // Neither ticks nor keys act while the end-of-game dialogs are open.
    void nothingActsWhileTheDialogsAreOpen() {
        Rig r;
        prepareGameOver(r);
        r.game.display.setTimer(Tmr::tmrDemo, true);
        int dialogs = 0;
        QStringList changes;
        r.host.duringDialog = [&] {
            ++dialogs;
            const QString before = stateOf(r.game);
            const int clips = r.rec.clips().size();
            pokeEverything(r.game);
            if (stateOf(r.game) != before) changes << before << stateOf(r.game);
            if (r.rec.clips().size() != clips) changes << QStringLiteral("a clip played");
            if (r.game.display.timer(Tmr::tmrDemo).Enabled) changes << "demo timer on";
        };
        r.dropAndLand();
        QCOMPARE(dialogs, 2);
        QCOMPARE(changes, QStringList{});
        QCOMPARE(r.host.calls, (QStringList{"unloadSettingsAndHelp", "askPlayerName", "askNewGame",
                                            "endProgram"}));
        QCOMPARE(r.records.calls,
                 (QStringList{"Add_Record 204", "Fill_Table_List", "Save_Records"}));
        QCOMPARE(r.records.storedName, QStringLiteral("Vera"));

        // No: the program ends and the game stays frozen.
        const QString frozen = stateOf(r.game);
        pokeEverything(r.game);
        QCOMPARE(stateOf(r.game), frozen);
    }

    // Yes: a clean game with Score and Speed 0, the table cleared and reloaded.
    void yesStartsACleanGame() {
        Rig r;
        prepareGameOver(r);
        r.game.Speed = 45;
        r.game.scoring.Score = 91230;
        r.host.newGame = true;
        r.dropAndLand();
        Game& g = r.game;
        QVERIFY(!g.isFinishing());
        QCOMPARE(r.records.calls.first(), QStringLiteral("Add_Record 9327"));
        QCOMPARE(r.records.calls.mid(1),
                 (QStringList{"Fill_Table_List", "Save_Records", "Clear_Records", "Load_Records",
                              "Fill_Table_List"}));
        QCOMPARE(r.host.calls, (QStringList{"unloadSettingsAndHelp", "askPlayerName", "askNewGame",
                                            "syncSideWindowButtons"}));
        QCOMPARE(g.scoring.Score, Long(0));
        QCOMPARE(g.Speed, Integer(0));
        QCOMPARE(g.FigureCount, Integer(0));
        QVERIFY(g.log.lines().isEmpty());
        QCOMPARE(g.display[Ctl::lblScore].Caption, QStringLiteral("---"));
        for (const auto& col : g.field.Well)
            for (bool c : col) QVERIFY(!c);
        QCOMPARE(g.TimeTicks, Integer(0));
        g.tick();
        QCOMPARE(g.TimeTicks, Integer(1));
        g.Form_KeyDown(vk::Left);
        QCOMPARE(int(g.field.FigX), 8);
    }

    // The name asked at the game over: an empty name becomes the date, a closed dialog stores
    // nothing.
    void playerName_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("name") << "Ilse" << true << "Ilse";
        QTest::newRow("empty") << "" << true << "06.12.2026";
        QTest::newRow("closed") << "Ilse" << false << "";
    }
    void playerName() {
        QFETCH(QString, given);
        QFETCH(bool, confirmed);
        QFETCH(QString, stored);
        Rig r;
        r.start();
        r.host.nameToGive = given;
        r.host.confirmName = confirmed;
        r.game.Finish_Game(1234);
        QCOMPARE(r.records.calls.first(), QStringLiteral("Add_Record 1234"));
        QCOMPARE(r.records.nameConfirmed, confirmed);
        QCOMPARE(r.records.storedName, stored);
        QVERIFY(r.records.calls.contains("Save_Records"));  // written whether or not stored
    }
};

QTEST_GUILESS_MAIN(TestGameFlow)
#include "test_gameflow.moc"
