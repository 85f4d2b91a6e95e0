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
    // Each row: a table (best first; "99" stands for 99 entries 10000, 9900, ... 200), the shown
    // scores of some landings, and what the player then sees; the log's lines are joined by '|'.
    void placesFollowTheScore_data() {
        for (const char* c : {"table", "scores", "start", "position", "next", "log"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<int>("below");  // where the player starts, -1: below every entry
        auto row = [](const char* name, const char* table, const char* scores, const char* start,
                      const char* position, const char* next, const char* log, int below = -1) {
            QTest::newRow(name) << table << scores << start << position << next << log << below;
        };
        row("empty table", "", "500", "Place # 1", "Place # 1", "", "");
        row("default entry", "0", "0 1 100000", "Place # 2", "Place # 1", "Next Place : +0",
            "...VICTORY !!!");
        row("equal does not pass", "500 300 100", "100", "Place # 4", "Place # 4",
            "Next Place : +0", "");
        row("one point more does", "500 300 100", "100 101", "Place # 4", "Place # 3",
            "Next Place : +199", "...Place : 3");
        row("seven digits whole", "1234567 250000", "300000 1234567", "Place # 3", "Place # 2",
            "Next Place : +0", "...Place : 2");
        row("tenths in the file", "100.5", "50", "Place # 2", "Place # 2", "Next Place : +50.5",
            "");
        row("full table", "99", "200 201", "", "Place # 99", "Next Place : +99", "...Place : 99");
        row("table shorter than the place", "500 300", "400", "Place # 6", "Place # 2",
            "Next Place : +100", "...Place : 2", 5);
    }
    void placesFollowTheScore() {
        QFETCH(QString, table);
        QFETCH(QString, scores);
        QFETCH(QString, start);
        QFETCH(QString, position);
        QFETCH(QString, next);
        QFETCH(QString, log);
        QFETCH(int, below);
        std::vector<double> entries;
        for (const QString& e : table.split(u' ', Qt::SkipEmptyParts))
            entries.push_back(e.toDouble());
        if (table == "99") {
            entries.clear();
            for (int i = 0; i < 99; ++i) entries.push_back(10000 - 100 * i);
        }
        Board b(entries, below);
        QCOMPARE(b.display[Ctl::lblPosition].Caption, start);
        for (const QString& score : scores.split(u' ')) b.update(score.toInt());
        const talomir::Display& d = b.display;
        QCOMPARE(d[Ctl::lblPosition].Caption, position);
        QCOMPARE(d[Ctl::lblNextPlace].Caption, next);
        QCOMPARE(b.log.lines().join(u'|'), log);
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
