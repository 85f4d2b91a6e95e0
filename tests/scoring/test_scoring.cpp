// The score and level displays: the blink of the row-count labels, the bonus-figure
// announcement, the last level and the level flicker. Whole landings are scored in the
// simulator's transcripts.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kYellow = 0x00FFFF;

struct Board {
    explicit Board(std::vector<float> script = {}) : rng(std::move(script)) {
        scoring.startGame();
        levels.startGame();
        rec.clear();
    }
    QString caption(Ctl c) const { return display[c].Caption; }

    ScriptedRandom rng;
    talomir::Display display;
    StatisticsLog log{display};
    Scoring scoring{display, log};
    Levels levels{display, log, rng};
    Recorder rec{display};
    Integer Speed = 0;
};

}  // namespace

class TestScoring : public QObject {
    Q_OBJECT

private slots:
    // Black, yellow, black, yellow, black; the sixth tick, 1.5 s after the removal, leaves it
    // yellow and stops. A removal during the blink puts all four labels back to yellow and
    // starts over on the newest label.
    void rowCountBlink() {
        Board b;
        auto blink = [&](int rows, int ticks) {
            b.scoring.addRowBonus(static_cast<Integer>(rows));
            QString seen;
            for (int t = 0; t < ticks; ++t) {
                if (!b.display.timer(Tmr::tmrMigCountLines).Enabled) seen += u'!';
                b.scoring.tmrMigCountLines_Timer();
                seen += b.display[lblCountLines(rows)].ForeColor == 0 ? u'b' : u'y';
            }
            return seen;
        };
        QCOMPARE(blink(2, 6), QStringLiteral("bybyby"));
        QVERIFY(!b.display.timer(Tmr::tmrMigCountLines).Enabled);
        QCOMPARE(blink(1, 1), QStringLiteral("b"));
        QCOMPARE(blink(4, 3), QStringLiteral("byb"));
        QCOMPARE(blink(3, 6), QStringLiteral("bybyby"));
        QVERIFY(!b.display.timer(Tmr::tmrMigCountLines).Enabled);
        for (int n = 1; n <= 4; ++n) QCOMPARE(b.display[lblCountLines(n)].ForeColor, kYellow);
        QCOMPARE(6 * b.display.timer(Tmr::tmrMigCountLines).Interval, 1500);
        QCOMPARE(b.rec.clips(), QStringList(4, QStringLiteral("mDelLin1")));
    }

    // The next figure's colour and announcement; the clip sounds only once a score is shown, and
    // a classic figure after it resets the colour but leaves the announcement up.
    void announcement_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<bool>("scoreShown");
        QTest::addColumn<Colour>("fore");
        QTest::addColumn<Colour>("figure");
        QTest::newRow("bonus figure at the start")
            << masks::kEll << 40005 << false << Colour(0xFFFF00) << Colour(0x0000FF);
        QTest::newRow("bonus figure later")
            << masks::kDot << 30015 << true << Colour(0xFFFF00) << Colour(0x0000FF);
        QTest::newRow("super figure")
            << masks::kSuper << 250000 << true << Colour(0xFF0000) << Colour(0xFF0000);
    }
    void announcement() {
        QFETCH(QString, mask);
        QFETCH(int, bonus);
        QFETCH(bool, scoreShown);
        QFETCH(Colour, fore);
        QFETCH(Colour, figure);
        Board b;
        if (scoreShown) b.display.setCaption(Ctl::lblScore, QStringLiteral("0"));
        b.scoring.Announce_Talomir_Figure(bonusFigure(mask.toLatin1().constData(), bonus));
        QVERIFY(b.display[Ctl::lblFirma].Visible);
        QCOMPARE(b.display[Ctl::lblFirma].ForeColor, fore);
        QCOMPARE(b.scoring.ColorFigura, figure);
        QCOMPARE(b.rec.clips(), scoreShown ? QStringList{"mTalomir1"} : QStringList{});
        b.scoring.Announce_Talomir_Figure(classic(masks::kBar));
        QCOMPARE(b.scoring.ColorFigura, Colour(0xFFFF00));
        QVERIFY(b.display[Ctl::lblFirma].Visible);
        QCOMPARE(b.log.lines().size(), 1);
        QCOMPARE(b.rec.clips().size(), scoreShown ? 1 : 0);
    }

    // At level 9 the ninth row raises the level to 10, the last: its ninth row still reads
    // 123456789, later rows leave the remainder empty, and neither speed nor level moves.
    void levelTenIsTheLast() {
        Board b;
        b.levels.Level = 9;
        b.levels.LinesInLevel = 8;
        b.Speed = 135;
        b.levels.rowRemoved(b.Speed, 846);
        QCOMPARE(b.log.lines(), (QStringList{"...Level # 10", "...Score : 846"}));
        QVERIFY(b.display.timer(Tmr::tmrLevel).Enabled);  // the flicker starts
        QCOMPARE(std::tuple(int(b.Speed), int(b.levels.Level)), std::tuple(150, 10));
        QStringList remain;
        for (int i = 0; i < 11; ++i) {
            b.levels.rowRemoved(b.Speed, 900);
            remain << b.caption(Ctl::lblRemain);
        }
        QCOMPARE(remain.mid(6), (QStringList{"12", "1", "123456789", "", ""}));
        QCOMPARE(std::tuple(int(b.Speed), int(b.levels.Level)), std::tuple(150, 10));
        QCOMPARE(b.log.lines().size(), 2);
        QCOMPARE(b.caption(Ctl::lblLevel), QStringLiteral("Level # 10"));
    }

    // Random colours QBColor(CInt(15 r)) for ten ticks; the eleventh, 1.65 s after the rise,
    // settles on the level's.
    void flickerSettlesOnTheLevelColour_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<Colour>("settled");
        QTest::newRow("level 3") << 3 << Colour(0x000080);
        QTest::newRow("level 10") << 10 << Colour(0xFFFF00);
    }
    void flickerSettlesOnTheLevelColour() {
        QFETCH(int, level);
        QFETCH(Colour, settled);
        std::vector<float> script;
        for (int i = 0; i < 11; ++i) script.push_back(static_cast<float>(i) / 15.0f);
        Board b(script);
        b.levels.Level = static_cast<Integer>(level);
        b.display.setTimer(Tmr::tmrLevel, true);
        std::vector<Colour> seen;
        for (int t = 0; t < 11; ++t) {
            QVERIFY(b.display.timer(Tmr::tmrLevel).Enabled);
            b.levels.tmrLevel_Timer();
            seen.push_back(b.display[Ctl::lblLevel].ForeColor);
        }
        QVERIFY(!b.display.timer(Tmr::tmrLevel).Enabled);
        QCOMPARE(11 * b.display.timer(Tmr::tmrLevel).Interval, 1650);
        QCOMPARE(b.rng.draws(), std::size_t(11));
        QCOMPARE(seen.back(), settled);
        seen.pop_back();
        QCOMPARE(seen, (std::vector<Colour>{0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                            0x800080, 0x008080, 0xC0C0C0, 0x808080, 0xFF0000}));
    }
};

QTEST_GUILESS_MAIN(TestScoring)
#include "test_scoring.moc"
