// Live ranking: the place in the hall of fame during play, the points to the next place, the
// victory and the running light of the menu buttons.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kGreen = 0x00FF00;
constexpr Colour kMenu = 0x0000C0;  // the menu buttons' own colour
constexpr Ctl kMenuButtons[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};

struct Board {
    explicit Board(std::vector<double> scores, int below = -1) : table(std::move(scores)) {
        ranking.captureMenuColour();
        ranking.clearCaptions();
        ranking.startBelow(below < 0 ? static_cast<int>(table.size()) : below);
        rec.clear();
    }
    void update(Long score) { ranking.Update_Position(score, table); }
    bool lightOn() const { return display.timer(Tmr::tmrMigMenuControls).Enabled; }
    // The menu buttons lit green, as a string of their indices.
    QString lit() const {
        QString s;
        for (int i = 0; i < 4; ++i)
            if (display[kMenuButtons[i]].BackColor == kGreen)
                s += QString::number(i);
            else if (display[kMenuButtons[i]].BackColor != kMenu)
                s += u'?';
        return s;
    }

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
    // Each row: a table, the shown scores of some landings, and what the player then sees.
    void placesFollowTheScore_data() {
        QTest::addColumn<QList<double>>("table");
        QTest::addColumn<int>("below");  // where the player starts, -1: below every entry
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QStringList>("log");
        QList<double> full;
        for (int i = 0; i < 99; ++i) full << 10000 - 100 * i;
        QTest::newRow("empty table") << QList<double>{} << -1 << QList<int>{500} << "Place # 1"
                                     << "Place # 1"
                                     << "" << QStringList{};
        QTest::newRow("default entry: equal, then above")
            << QList<double>{0} << -1 << QList<int>{0, 1, 100000} << "Place # 2"
            << "Place # 1"
            << "Next Place : +0" << QStringList{"...VICTORY !!!"};
        QTest::newRow("equal does not pass")
            << QList<double>{500, 300, 100} << -1 << QList<int>{100} << "Place # 4"
            << "Place # 4"
            << "Next Place : +0" << QStringList{};
        QTest::newRow("one point more does")
            << QList<double>{500, 300, 100} << -1 << QList<int>{100, 101} << "Place # 4"
            << "Place # 3"
            << "Next Place : +199" << QStringList{"...Place : 3"};
        QTest::newRow("several places, one line")
            << QList<double>{900, 500, 300, 100} << -1 << QList<int>{600} << "Place # 5"
            << "Place # 2"
            << "Next Place : +300" << QStringList{"...Place : 2"};
        QTest::newRow("seven digits compared whole")
            << QList<double>{1234567, 250000} << -1 << QList<int>{300000, 1234567} << "Place # 3"
            << "Place # 2"
            << "Next Place : +0" << QStringList{"...Place : 2"};
        QTest::newRow("98 entries") << full.mid(0, 98) << -1 << QList<int>{} << "Place # 99"
                                    << "Place # 99"
                                    << "" << QStringList{};
        QTest::newRow("full table") << full << -1 << QList<int>{200, 201} << ""
                                    << "Place # 99"
                                    << "Next Place : +99" << QStringList{"...Place : 99"};
        QTest::newRow("a score with tenths in the file")
            << QList<double>{100.5} << -1 << QList<int>{50} << "Place # 2"
            << "Place # 2"
            << "Next Place : +50.5" << QStringList{};
        QTest::newRow("table shorter than the place")
            << QList<double>{500, 300} << 5 << QList<int>{400} << "Place # 6"
            << "Place # 2"
            << "Next Place : +100" << QStringList{"...Place : 2"};
    }
    void placesFollowTheScore() {
        QFETCH(QList<double>, table);
        QFETCH(int, below);
        QFETCH(QList<int>, scores);
        QFETCH(QString, start);
        QFETCH(QString, position);
        QFETCH(QString, next);
        QFETCH(QStringList, log);
        Board b(std::vector<double>(table.begin(), table.end()), below);
        QCOMPARE(b.display[Ctl::lblPosition].Caption, start);
        for (int s : scores) b.update(s);
        const talomir::Display& d = b.display;
        QCOMPARE(d[Ctl::lblPosition].Caption, position);
        QCOMPARE(d[Ctl::lblNextPlace].Caption, next);
        QCOMPARE(b.log.lines(), log);
        const bool victory = log.contains(QStringLiteral("...VICTORY !!!"));
        QCOMPARE(d[Ctl::lblNextPlace].Visible, !victory);
        QCOMPARE(d[Ctl::lblPosition].ForeColor, Colour(victory ? 0xFFFF00 : 0xC0C000));
        QCOMPARE(b.rec.filtered("Draw_Grid").size(), victory ? 1 : 0);
        // A gain selects the entry just passed and starts the running light.
        const QString passed = QString::number(position.mid(8).toInt() - 1);
        QCOMPARE(b.rec.filtered("tableSelected:"),
                 log.isEmpty() ? QStringList{} : QStringList{passed});
        QCOMPARE(b.lightOn(), !log.isEmpty());
    }

    // One green light from Pause to Set; the fifth tick puts Set back and stops. A gain while the
    // light runs lets it run on; a new game while Pause is lit keeps the menu's own colour.
    void runningLight() {
        Board b({900, 500, 300});
        b.update(400);
        QString seen;
        for (int t = 0; t < 5; ++t) {
            QVERIFY(b.lightOn());
            b.ranking.tmrMigMenuControls_Timer();
            seen += b.lit() + u' ';
            if (t == 1) b.update(600);
        }
        QCOMPARE(seen, QStringLiteral("0 1 2 3  "));
        QCOMPARE(4 * b.display.timer(Tmr::tmrMigMenuControls).Interval, 400);  // Pause to Set
        QVERIFY(!b.lightOn());

        b.update(1000);
        b.ranking.tmrMigMenuControls_Timer();
        b.ranking.captureMenuColour();
        QCOMPARE(b.ranking.MenuBackColor, kMenu);
        for (int t = 0; t < 4; ++t) b.ranking.tmrMigMenuControls_Timer();
        QCOMPARE(b.lit(), QString());
        QVERIFY(!b.lightOn());
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
