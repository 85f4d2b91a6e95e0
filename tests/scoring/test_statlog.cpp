// The statistics log: the line formats and the order of the lines one landing writes.
#include <QtTest>

#include "scoring/statlog.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

class TestStatLog : public QObject {
    Q_OBJECT

private slots:
    void landingLineFormats_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("line");
        QTest::newRow("no rows") << 1 << 203 << 0 << "1. +203";
        QTest::newRow("one row") << 3 << 478 << 1 << "3. +478 -> 1 lines";
        QTest::newRow("two rows") << 7 << 1024 << 2 << "7. +1024 -> 2 lines";
        QTest::newRow("big") << 32767 << 30300 << 4 << "32767. +30300 -> 4 lines";
        QTest::newRow("nothing earned") << 12 << 0 << 0 << "12. +0";
    }
    void landingLineFormats() {
        QFETCH(int, count);
        QFETCH(int, points);
        QFETCH(int, rows);
        QFETCH(QString, line);
        QCOMPARE(landingLine(count, points, rows), line);
    }

    // Appending keeps the selection; selecting picks the newest line.
    void appendAndSelect() {
        talomir::Display display;
        StatisticsLog log(display);
        Recorder rec(display);
        QCOMPARE(log.ListIndex(), -1);
        log.append(QStringLiteral("a"));
        log.append(QStringLiteral("b"));
        QCOMPARE(log.ListIndex(), -1);
        log.selectLast();
        QCOMPARE(log.ListIndex(), 1);
        log.append(QStringLiteral("c"));
        QCOMPARE(log.ListIndex(), 1);
        log.clear();
        QVERIFY(log.lines().isEmpty());
        QCOMPARE(log.ListIndex(), -1);
        QCOMPARE(rec.events,
                 (QStringList{"log:a", "log:b", "logSelected:1", "log:c", "logCleared"}));
    }

    // One landing that completes a level, gains a place and brings up a bonus figure logs: the
    // level lines, the place, the bonus figure, the landing; only the landing line is selected.
    void oneLandingLineOrder() {
        Rig r;
        r.records.table = {99999, 100};
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(bonusFigure(masks::kDot, 30000));
        r.start();
        r.game.levels.LinesInLevel = 8;
        r.fillRow(30, {10});
        r.dropAndLand();
        // 2750 + 2010 + 32 tenths
        const QStringList expected = {"...Level # 1", "...Score : 0", "...Place : 2", "...Talomir",
                                      "1. +479 -> 1 lines"};
        QCOMPARE(r.game.log.lines(), expected);
        QCOMPARE(r.rec.filtered("logSelected:"), QStringList{"4"});
        QCOMPARE(r.game.log.ListIndex(), 4);

        // The next landing: one short line, selected; a new game empties the log.
        r.dropAndLand();
        QCOMPARE(r.game.log.lines().size(), 6);
        QCOMPARE(r.game.log.lines().last(), QStringLiteral("2. +203"));  // bar and dot: 5 cells
        QCOMPARE(r.game.log.ListIndex(), 5);
        r.game.Form_Load();
        QVERIFY(r.game.log.lines().isEmpty());
        QCOMPARE(r.game.log.ListIndex(), -1);
    }

    void superFigureLine() {
        Rig r;
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(classic(masks::kBar));
        r.dealer.add(bonusFigure(masks::kSuper, 250000));
        r.start();
        r.dropAndLand();
        QCOMPARE(r.game.log.lines(), (QStringList{"...SUPER TALOMIR !!!", "1. +204"}));
    }
};

QTEST_GUILESS_MAIN(TestStatLog)
#include "test_statlog.moc"
