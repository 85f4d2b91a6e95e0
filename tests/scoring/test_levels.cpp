// Levels and speed: the rows still needed, the rise after nine rows up to level 10, its log
// lines, and the flicker of the level label.
#include <QtTest>

#include "scoring/levels.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

struct Board {
    explicit Board(std::vector<float> script = {}) : rng(std::move(script)) {}
    ScriptedRandom rng;
    talomir::Display display;
    StatisticsLog log{display};
    Levels levels{display, log, rng};
    Recorder rec{display};
    Integer Speed = 0;
};

}  // namespace

class TestLevels : public QObject {
    Q_OBJECT

private slots:
    void remainderAndRise() {
        Board b;
        b.levels.startGame();
        QCOMPARE(b.display[Ctl::lblRemain].Caption, QString());
        QStringList remain;
        for (int i = 1; i <= 8; ++i) {
            b.levels.rowRemoved(b.Speed, 1234);
            remain << b.display[Ctl::lblRemain].Caption;
        }
        QCOMPARE(remain,
                 (QStringList{"12345678", "1234567", "123456", "12345", "1234", "123", "12", "1"}));
        QCOMPARE(b.Speed, Integer(0));
        QVERIFY(b.log.lines().isEmpty());
        QVERIFY(!b.display.timer(Tmr::tmrLevel).Enabled);

        b.levels.rowRemoved(b.Speed, 1234);
        QCOMPARE(b.display[Ctl::lblRemain].Caption, QStringLiteral("123456789"));
        QCOMPARE(b.levels.LinesInLevel, Integer(0));
        QCOMPARE(b.Speed, Integer(15));
        QCOMPARE(b.display[Ctl::lblLevel].Caption, QStringLiteral("Level # 1"));
        QCOMPARE(b.log.lines(), (QStringList{"...Level # 1", "...Score : 1234"}));
        QVERIFY(b.display.timer(Tmr::tmrLevel).Enabled);
    }

    // From level 9 to 10, then no more rises: the ninth row still reads 123456789, later rows
    // leave the remainder empty.
    void levelTenIsTheLast() {
        Board b;
        b.levels.startGame();
        b.levels.Level = 9;
        b.levels.LinesInLevel = 8;
        b.Speed = 135;
        b.levels.rowRemoved(b.Speed, 846);
        QCOMPARE(b.log.lines(), (QStringList{"...Level # 10", "...Score : 846"}));
        QCOMPARE(b.Speed, Integer(150));
        QCOMPARE(b.levels.Level, Integer(10));
        QStringList remain;
        for (int i = 0; i < 11; ++i) {
            b.levels.rowRemoved(b.Speed, 900);
            remain << b.display[Ctl::lblRemain].Caption;
        }
        QCOMPARE(remain.mid(7), (QStringList{"1", "123456789", "", ""}));
        QCOMPARE(b.Speed, Integer(150));
        QCOMPARE(b.levels.Level, Integer(10));
        QCOMPARE(b.log.lines().size(), 2);
    }

    // A removal of four rows at LinesInLevel 7: the second row raises the level, the last two
    // count for the new one.
    void fourRowsAcrossALevel() {
        Rig r;
        r.start();
        r.game.levels.LinesInLevel = 7;
        r.game.scoring.Score = 12345;
        for (int row = 27; row <= 30; ++row) r.fillRow(row, {10});
        r.dropAndLand();
        const Game& g = r.game;
        QCOMPARE(r.rec.captions(Ctl::lblRemain),
                 (QStringList{"1", "123456789", "12345678", "1234567"}));
        QCOMPARE(g.display[Ctl::lblLevel].Caption, QStringLiteral("Level # 1"));
        QCOMPARE(g.Speed, Integer(15));
        // The score line holds the score before this landing: 1234.5 shown as 1234.
        QCOMPARE(g.log.lines(),
                 (QStringList{"...Level # 1", "...Score : 1234", "1. +5204 -> 4 lines"}));
        QCOMPARE(g.display[Ctl::lblScore].Caption, QStringLiteral("6439"));  // 64387 tenths
        QCOMPARE(g.log.ListIndex(), 2);
    }

    // At level 10 a figure falls a row on every tick and rows change neither speed nor level.
    void levelTenFallsEveryTick() {
        Rig r;
        r.start();
        r.game.Speed = 150;
        r.game.levels.Level = 10;
        r.game.levels.LinesInLevel = 8;
        r.ticks(27);
        QCOMPARE(int(r.game.field.FigY), 27);
        r.fillRow(30, {10});
        r.ticks(1);
        QCOMPARE(r.game.FigureCount, Integer(1));
        QCOMPARE(r.game.Speed, Integer(150));
        QCOMPARE(r.game.levels.Level, Integer(10));
        QCOMPARE(r.game.display[Ctl::lblRemain].Caption, QStringLiteral("123456789"));
        QCOMPARE(r.rec.logLines(), QStringList{"1. +451 -> 1 lines"});
    }

    // Eleven random colours QBColor(CInt(15 r)), then the colour of the level.
    void flickerSettlesOnTheLevelColour() {
        std::vector<float> script;
        for (int i = 0; i < 10; ++i) script.push_back(static_cast<float>(i) / 15.0f);
        script.push_back(1.0f / 6.0f);  // 2.5: half to even, QBColor(2)
        script.push_back(0.99f);        // must stay unread
        Board b(script);
        b.levels.startGame();
        b.levels.Level = 3;
        b.display.setTimer(Tmr::tmrLevel, true);
        for (int t = 1; t <= 10; ++t) {
            b.levels.tmrLevel_Timer();
            QCOMPARE(b.display[Ctl::lblLevel].ForeColor, QBColor(t - 1));
            QVERIFY(b.display.timer(Tmr::tmrLevel).Enabled);
        }
        b.levels.tmrLevel_Timer();
        QVERIFY(!b.display.timer(Tmr::tmrLevel).Enabled);
        QCOMPARE(b.display[Ctl::lblLevel].ForeColor, QBColor(4));
        QCOMPARE(b.rng.draws(), std::size_t(11));
        const std::vector<Colour> seen = b.rec.foreColors(Ctl::lblLevel);
        QCOMPARE(seen.size(), std::size_t(13));  // startGame, ten, the half-even one, the level
        QCOMPARE(seen[11], QBColor(2));

        // At level 10 it settles on light cyan.
        b.levels.Level = 10;
        b.display.setTimer(Tmr::tmrLevel, true);
        for (int t = 0; t < 11; ++t) b.levels.tmrLevel_Timer();
        QCOMPARE(b.display[Ctl::lblLevel].ForeColor, Colour(0xFFFF00));
    }
};

QTEST_GUILESS_MAIN(TestLevels)
#include "test_levels.moc"
