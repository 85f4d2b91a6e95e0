// Live ranking: the place in the hall of fame during play, the points to the next place, the
// victory and the running light of the menu buttons.
#include <QtTest>

#include "scoring/ranking.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kGreen = 0x00FF00;

struct Board {
    explicit Board(std::vector<double> scores) : table(std::move(scores)) {
        ranking.captureMenuColour();
        ranking.clearCaptions();
        ranking.startBelow(static_cast<int>(table.size()));
        rec.clear();
    }
    void update(Long score) { ranking.Update_Position(score, table); }
    QString caption(Ctl c) const { return display[c].Caption; }
    bool lightOn() const { return display.timer(Tmr::tmrMigMenuControls).Enabled; }

    std::vector<double> table;
    talomir::Display display;
    StatisticsLog log{display};
    LiveRanking ranking{display, log};
    Recorder rec{display};
};

}  // namespace

class TestRanking : public QObject {
    Q_OBJECT

private slots:
    void emptyTableHoldsFirstPlace() {
        Board b({});
        QCOMPARE(b.caption(Ctl::lblPosition), QStringLiteral("Place # 1"));
        QVERIFY(b.ranking.isFirst());
        b.update(500);
        QCOMPARE(b.rec.events, QStringList{});
        QVERIFY(b.log.lines().isEmpty());
        QVERIFY(!b.lightOn());
    }

    // The default table (Zarno, 0): the first score above 0 is a victory, logged once.
    void victoryOnceOverTheDefaultEntry() {
        Board b({0.0});
        QCOMPARE(b.caption(Ctl::lblPosition), QStringLiteral("Place # 2"));
        b.update(0);
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +0"));
        QVERIFY(b.log.lines().isEmpty());
        b.update(1);
        QVERIFY(b.ranking.isFirst());
        QCOMPARE(b.display[Ctl::lblPosition].ForeColor, QBColor(11));
        QVERIFY(!b.display[Ctl::lblNextPlace].Visible);
        QCOMPARE(b.log.lines(), QStringList{"...VICTORY !!!"});
        QVERIFY(b.rec.events.contains("tableSelected:0"));
        QVERIFY(b.lightOn());
        b.rec.clear();
        b.update(100000);
        QCOMPARE(b.rec.events, QStringList{});
        QCOMPARE(b.log.lines().size(), 1);
    }

    // An equal score does not pass; one point more does.
    void equalScoreDoesNotPass() {
        Board b({500, 300, 100});
        QCOMPARE(b.caption(Ctl::lblPosition), QStringLiteral("Place # 4"));
        b.update(100);
        QCOMPARE(int(b.ranking.Place), 3);
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +0"));
        QVERIFY(b.log.lines().isEmpty());
        b.update(101);
        QCOMPARE(int(b.ranking.Place), 2);
        QCOMPARE(b.caption(Ctl::lblPosition), QStringLiteral("Place # 3"));
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +199"));
        QCOMPARE(b.log.lines(), QStringList{"...Place : 3"});
        QCOMPARE(b.display[Ctl::lblPosition].ForeColor, Colour(0xC0C000));  // not the victory's
    }

    // Passing several entries in one landing moves by all of them and logs one line.
    void severalPlacesGiveOneLine() {
        Board b({900, 500, 300, 100});
        b.update(600);
        QCOMPARE(int(b.ranking.Place), 1);
        QCOMPARE(b.log.lines(), QStringList{"...Place : 2"});
        QCOMPARE(b.rec.filtered("tableSelected:"), QStringList{"1"});
        QCOMPARE(b.rec.filtered("timer:"), QStringList{"3=1"});
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +300"));
        b.update(2000);
        QCOMPARE(b.log.lines(), (QStringList{"...Place : 2", "...VICTORY !!!"}));
    }

    // Scores are compared whole, also when they have seven digits.
    void sevenDigitScoresComparedInFull() {
        Board b({1234567, 250000});
        b.update(300000);
        QCOMPARE(int(b.ranking.Place), 1);
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +934567"));
        b.update(1234568);
        QVERIFY(b.ranking.isFirst());
        Board c({1000000});
        c.update(999999);
        QCOMPARE(c.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +1"));
        QVERIFY(!c.ranking.isFirst());
    }

    // A full table: no place is shown until the score beats the last entry.
    void fullTable() {
        std::vector<double> scores;
        for (int i = 0; i < 99; ++i) scores.push_back(10000 - 100 * i);
        Board b(scores);
        QCOMPARE(b.caption(Ctl::lblPosition), QString());
        b.update(200);
        QCOMPARE(b.caption(Ctl::lblPosition), QString());
        QCOMPARE(b.caption(Ctl::lblNextPlace), QStringLiteral("Next Place : +0"));
        b.update(201);
        QCOMPARE(b.caption(Ctl::lblPosition), QStringLiteral("Place # 99"));
        QCOMPARE(b.log.lines(), QStringList{"...Place : 99"});
    }

    // One green light from Pause to Set; the fifth tick puts Set back and stops.
    void runningLight() {
        Board b({500});
        const Colour normal = 0x0000C0;
        QCOMPARE(b.ranking.MenuBackColor, normal);
        b.update(600);
        QVERIFY(b.lightOn());
        const Ctl menu[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};
        for (int step = 0; step < 4; ++step) {
            b.ranking.tmrMigMenuControls_Timer();
            for (int i = 0; i < 4; ++i)
                QCOMPARE(b.display[menu[i]].BackColor, i == step ? kGreen : normal);
            QVERIFY(b.lightOn());
        }
        b.ranking.tmrMigMenuControls_Timer();
        for (Ctl c : menu) QCOMPARE(b.display[c].BackColor, normal);
        QVERIFY(!b.lightOn());

        // A gain while the light runs lets it run on unchanged.
        Board c({900, 500, 300});
        c.update(400);
        c.ranking.tmrMigMenuControls_Timer();
        c.ranking.tmrMigMenuControls_Timer();
        c.update(600);
        QCOMPARE(c.ranking.MenuBlinkStep, Integer(2));
        QVERIFY(c.lightOn());
        QCOMPARE(c.display[Ctl::chkHelp].BackColor, kGreen);

        // A new game while Pause is lit keeps the menu's own colour, so the light still ends.
        Board d({500});
        d.update(600);
        d.ranking.tmrMigMenuControls_Timer();  // Pause green
        d.ranking.captureMenuColour();
        QCOMPARE(d.ranking.MenuBackColor, normal);
        for (int i = 0; i < 4; ++i) d.ranking.tmrMigMenuControls_Timer();
        for (Ctl m : menu) QCOMPARE(d.display[m].BackColor, normal);
    }

    // In play: the bonus of a landed bonus figure counts for the ranking from the next landing.
    void bonusCountsFromTheNextLanding() {
        Rig r;
        r.records.table = {500};
        r.dealer.add(bonusFigure(masks::kBar, 40000));
        r.start();
        QCOMPARE(r.game.display[Ctl::lblPosition].Caption, QStringLiteral("Place # 2"));
        r.dropAndLand();
        QCOMPARE(int(r.game.ranking.Place), 1);
        QCOMPARE(r.game.display[Ctl::lblNextPlace].Caption, QStringLiteral("Next Place : +296"));
        QCOMPARE(r.rec.logLines(), QStringList{"1. +4204"});
        r.dropAndLand();
        QVERIFY(r.game.ranking.isFirst());
        QCOMPARE(r.rec.logLines(), (QStringList{"1. +4204", "...VICTORY !!!", "2. +204"}));
        QCOMPARE(r.game.display[Ctl::lblPosition].Caption, QStringLiteral("Place # 1"));
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
