// Points and their displays: the row, time, cell and bonus-figure bonuses, the rounding of
// shown values, the bonus-figure announcement and the blink of the row-count labels.
#include <QtTest>

#include "scoring/scoring.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kYellow = 0x00FFFF;

struct Board {
    talomir::Display display;
    StatisticsLog log{display};
    Scoring scoring{display, log};
    Recorder rec{display};

    QString caption(Ctl c) const { return display[c].Caption; }
};

}  // namespace

class TestScoring : public QObject {
    Q_OBJECT

private slots:
    // "n-Lines*count = points", only the label of that row count changes.
    void rowCountCaptions() {
        Board b;
        b.scoring.startGame();
        b.scoring.addRowBonus(4);
        QCOMPARE(b.caption(Ctl::lblCountLines4), QStringLiteral("4-Lines*1 = 5000"));
        for (int i = 0; i < 3; ++i) b.scoring.addRowBonus(1);
        QCOMPARE(b.caption(Ctl::lblCountLines1), QStringLiteral("1-Lines*3 = 825"));
        for (int i = 0; i < 3; ++i) b.scoring.addRowBonus(2);
        QCOMPARE(b.caption(Ctl::lblCountLines2), QStringLiteral("2-Lines*3 = 2400"));
        QCOMPARE(b.caption(Ctl::lblCountLines3), QString());
        b.scoring.addRowBonus(3);
        QCOMPARE(b.caption(Ctl::lblCountLines3), QStringLiteral("3-Lines*1 = 2225"));
        QCOMPARE(b.scoring.Score, Long(50000 + 3 * 2750 + 3 * 8000 + 22250));
        QCOMPARE(b.rec.clips(), QStringList(8, QStringLiteral("mDelLin1")));
        // No rows, or an impossible count: nothing at all.
        b.rec.clear();
        b.scoring.addRowBonus(0);
        b.scoring.addRowBonus(5);
        QCOMPARE(b.rec.events, QStringList{});
        QCOMPARE(b.scoring.LastLines, Integer(3));
    }

    // Tenths are shown rounded half to even.
    void shownScoreRoundsHalfToEven_data() {
        QTest::addColumn<int>("tenths");
        QTest::addColumn<QString>("shown");
        QTest::newRow("15") << 15 << "2";
        QTest::newRow("25") << 25 << "2";
        QTest::newRow("12345") << 12345 << "1234";
        QTest::newRow("big") << 2000000005 << "200000000";
    }
    void shownScoreRoundsHalfToEven() {
        QFETCH(int, tenths);
        QFETCH(QString, shown);
        Board b;
        b.scoring.Score = tenths;
        b.scoring.showScore();
        QCOMPARE(b.caption(Ctl::lblScore), shown);
        b.scoring.ScoreBefore = 0;
        QCOMPARE(QString::number(b.scoring.landingPoints()), shown);
    }

    void timeAndCellBonus_data() {
        QTest::addColumn<int>("timeTicks");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("tenths");
        QTest::newRow("dropped at once") << 0 << 8 << 2042;
        QTest::newRow("countdown ran out") << 201 << 8 << 32;
        QTest::newRow("150 ticks, five cells") << 150 << 5 << 530;
        QTest::newRow("two super figures") << 1 << 24 << 2096;
    }
    void timeAndCellBonus() {
        QFETCH(int, timeTicks);
        QFETCH(int, cells);
        QFETCH(int, tenths);
        Board b;
        b.scoring.Score = 7;
        b.scoring.addTimeAndCellBonus(static_cast<Integer>(timeTicks), static_cast<Integer>(cells));
        QCOMPARE(b.scoring.Score, Long(7 + tenths));
        b.scoring.addTimeBonusTotal(static_cast<Integer>(timeTicks));
        QCOMPARE(b.scoring.SumTimeBonus, Long(201 - timeTicks));
        QCOMPARE(b.caption(Ctl::lblTotalScore), QString::number(201 - timeTicks));
    }

    // The bonus-figure total shows only once a bonus figure has landed, rounded half to even.
    void talomirBonusTotal() {
        Board b;
        b.scoring.startGame();
        b.scoring.addFigureBonus(0);
        QCOMPARE(b.caption(Ctl::lblSumBonus), QString());
        b.scoring.addFigureBonus(40005);
        QCOMPARE(b.caption(Ctl::lblSumBonus), QStringLiteral("  Talomir Bonus : 4000"));
        b.scoring.addFigureBonus(40010);
        QCOMPARE(b.caption(Ctl::lblSumBonus), QStringLiteral("  Talomir Bonus : 8002"));
        b.scoring.addFigureBonus(0);
        QCOMPARE(b.caption(Ctl::lblSumBonus), QStringLiteral("  Talomir Bonus : 8002"));
        QCOMPARE(b.scoring.Score, Long(80015));
        QCOMPARE(b.scoring.SumTalomirBonus, Long(80015));
    }

    void announcement_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<bool>("scoreShown");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<Colour>("fore");
        QTest::addColumn<Colour>("figure");
        QTest::addColumn<QString>("line");
        QTest::newRow("bonus, silent at start")
            << masks::kEll << 40005 << false << "Talomir-фигурка Bonus 4000" << Colour(0xFFFF00)
            << Colour(0x0000FF) << "...Talomir";
        QTest::newRow("bonus, sounded")
            << masks::kDot << 30015 << true << "Talomir-фигурка Bonus 3002" << Colour(0xFFFF00)
            << Colour(0x0000FF) << "...Talomir";
        QTest::newRow("super") << masks::kSuper << 250000 << true << "This Is Talomir Bonus 25000"
                               << Colour(0xFF0000) << Colour(0xFF0000) << "...SUPER TALOMIR !!!";
    }
    void announcement() {
        QFETCH(QString, mask);
        QFETCH(int, bonus);
        QFETCH(bool, scoreShown);
        QFETCH(QString, caption);
        QFETCH(Colour, fore);
        QFETCH(Colour, figure);
        QFETCH(QString, line);
        Board b;
        b.scoring.startGame();
        if (scoreShown) b.display.setCaption(Ctl::lblScore, QStringLiteral("0"));
        b.rec.clear();
        b.scoring.Announce_Talomir_Figure(bonusFigure(mask.toLatin1().constData(), bonus));
        QVERIFY(b.display[Ctl::lblFirma].Visible);
        QCOMPARE(b.caption(Ctl::lblFirma), caption);
        QCOMPARE(b.display[Ctl::lblFirma].ForeColor, fore);
        QCOMPARE(b.scoring.ColorFigura, figure);
        QCOMPARE(b.log.lines(), QStringList{line});
        QCOMPARE(b.rec.clips(), scoreShown ? QStringList{"mTalomir1"} : QStringList{});

        // A classic figure after it only resets the colour; the announcement stays up.
        b.rec.clear();
        b.scoring.Announce_Talomir_Figure(classic(masks::kBar));
        QCOMPARE(b.scoring.ColorFigura, Colour(0xFFFF00));
        QVERIFY(b.display[Ctl::lblFirma].Visible);
        QCOMPARE(b.rec.events, QStringList{});
        QCOMPARE(b.log.lines().size(), 1);
    }

    // Black, yellow, black, yellow, black; the sixth tick leaves it yellow and stops.
    void rowCountBlink() {
        Board b;
        b.scoring.startGame();
        b.scoring.addRowBonus(2);
        QVERIFY(b.display.timer(Tmr::tmrMigCountLines).Enabled);
        const Colour expected[] = {0, kYellow, 0, kYellow, 0, kYellow};
        for (int t = 0; t < 6; ++t) {
            QVERIFY(b.display.timer(Tmr::tmrMigCountLines).Enabled);
            b.scoring.tmrMigCountLines_Timer();
            QCOMPARE(b.display[Ctl::lblCountLines2].ForeColor, expected[t]);
        }
        QVERIFY(!b.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(b.scoring.CountLinesBlinks, Integer(0));
        for (int n : {1, 3, 4}) QCOMPARE(b.display[lblCountLines(n)].ForeColor, kYellow);

        // A removal during the blink restarts it, on the newest label, all labels yellow first.
        b.scoring.addRowBonus(2);
        for (int t = 0; t < 3; ++t) b.scoring.tmrMigCountLines_Timer();
        QCOMPARE(b.display[Ctl::lblCountLines2].ForeColor, Colour(0));
        b.scoring.addRowBonus(1);
        QCOMPARE(b.scoring.CountLinesBlinks, Integer(0));
        QCOMPARE(b.display[Ctl::lblCountLines2].ForeColor, kYellow);
        for (int t = 0; t < 5; ++t) b.scoring.tmrMigCountLines_Timer();
        QVERIFY(b.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(b.display[Ctl::lblCountLines1].ForeColor, Colour(0));
        QCOMPARE(b.display[Ctl::lblCountLines2].ForeColor, kYellow);
        b.scoring.tmrMigCountLines_Timer();
        QVERIFY(!b.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(b.display[Ctl::lblCountLines1].ForeColor, kYellow);
    }

    // Whole landings: three single rows; then one single and three double rows.
    void rowLandings() {
        Rig r;
        r.dealer.repeat = classic(masks::kDot);
        r.start();
        for (int i = 1; i <= 3; ++i) {
            r.fillRow(30, {9});
            r.dropAndLand();
            QCOMPARE(r.game.FigureCount, Integer(i));
        }
        QCOMPARE(r.game.display[Ctl::lblCountLines1].Caption, QStringLiteral("1-Lines*3 = 825"));
        // 2750 + 2010 + 2 dots * 4 = 4768 tenths a landing
        QCOMPARE(r.rec.logLines(),
                 (QStringList{"1. +477 -> 1 lines", "2. +477 -> 1 lines", "3. +477 -> 1 lines"}));
        QCOMPARE(r.game.display[Ctl::lblScore].Caption, QStringLiteral("1430"));
        for (const auto& col : r.game.field.Well)
            for (bool c : col) QVERIFY(!c);

        Rig d;
        d.dealer.add(classic(masks::kDot));
        d.dealer.repeat = classic("1100000000000000");  // two cells in box column 0
        d.start();
        d.fillRow(30, {9});
        d.dropAndLand();
        QCOMPARE(d.game.display[Ctl::lblCountLines1].Caption, QStringLiteral("1-Lines*1 = 275"));
        d.rec.clear();
        for (int i = 0; i < 3; ++i) {
            d.fillRow(29, {9});
            d.fillRow(30, {9});
            d.dropAndLand();
        }
        QCOMPARE(d.game.display[Ctl::lblCountLines2].Caption, QStringLiteral("2-Lines*3 = 2400"));
        // 8000 + 2010 + 4 cells * 4 = 10026 tenths
        QCOMPARE(d.rec.logLines(), (QStringList{"2. +1003 -> 2 lines", "3. +1003 -> 2 lines",
                                                "4. +1003 -> 2 lines"}));
    }

    // A landing without rows: only the time and cell bonus; the row labels and the blink wait.
    void landingWithoutRows() {
        Rig r;
        r.start();
        r.ticks(30);
        r.dropAndLand();
        QCOMPARE(r.game.scoring.Score, Long((201 - 30) * 10 + 32));
        QCOMPARE(r.rec.logLines(), QStringList{"1. +174"});
        for (int n = 1; n <= 4; ++n) QCOMPARE(r.game.display[lblCountLines(n)].Caption, QString());
        QVERIFY(!r.game.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(r.rec.clips().count("mDelLin1"), 0);
    }

    // A bonus figure's bonus enters the score at its own landing, not at its announcement; the
    // clip sounds only once a score is shown.
    void bonusFigureLanding() {
        Rig r;
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(bonusFigure(masks::kBar, 40005));
        r.dealer.add(bonusFigure(masks::kSuper, 250000));
        r.start();
        r.dropAndLand();  // the bonus bar becomes next while the score still reads ---
        QCOMPARE(r.rec.clips().count("mTalomir1"), 0);
        QCOMPARE(r.rec.logLines(), (QStringList{"...Talomir", "1. +204"}));
        QCOMPARE(r.game.scoring.Score, Long(2042));
        QCOMPARE(r.game.display[Ctl::lblFirma].Caption,
                 QStringLiteral("Talomir-фигурка Bonus 4000"));
        r.rec.clear();
        r.dropAndLand();  // the super figure becomes next, sounded
        QCOMPARE(r.rec.clips().count("mTalomir1"), 1);
        QCOMPARE(r.rec.logLines(), (QStringList{"...SUPER TALOMIR !!!", "2. +204"}));
        QCOMPARE(r.game.display[Ctl::lblSumBonus].Caption, QString());
        QCOMPARE(r.game.scoring.ColorFigura, Colour(0xFF0000));
        r.rec.clear();
        r.dropAndLand();  // the first bonus bar lands, counted with the super figure's 12 cells
        QCOMPARE(r.game.scoring.Score, Long(2 * 2042 + 2010 + 16 * 4 + 40005));
        QCOMPARE(r.game.scoring.SumTalomirBonus, Long(40005));
        QCOMPARE(r.rec.logLines(), QStringList{"3. +4208"});  // 4207.9
        QCOMPARE(r.game.display[Ctl::lblSumBonus].Caption,
                 QStringLiteral("  Talomir Bonus : 4000"));
        QCOMPARE(r.game.display[Ctl::lblScore].Caption, QStringLiteral("4616"));  // 4616.3
        QVERIFY(!r.game.display[Ctl::lblFirma].Visible);  // taken down, next is a bar
        r.game.field.FigX = 5;                            // beside the stack of bars
        r.dropAndLand();                                  // the super figure lands
        QCOMPARE(r.game.scoring.SumTalomirBonus, Long(290005));
        QCOMPARE(r.rec.logLines().last(), QStringLiteral("4. +25207"));  // 25207.4
        QCOMPARE(r.game.display[Ctl::lblSumBonus].Caption,
                 QStringLiteral("  Talomir Bonus : 29000"));  // 29000.5
    }
};

QTEST_GUILESS_MAIN(TestScoring)
#include "test_scoring.moc"
