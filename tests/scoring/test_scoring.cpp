// The score, level and place displays: the blink of the row-count labels, the bonus-figure
// announcement, the last level and the level flicker, the victory and the running light of the
// menu buttons. The transcripts score whole landings and follow the place in the table.
#include <QtTest>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr Colour kYellow = 0x00FFFF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kMenu = 0x0000C0;  // the menu buttons' own colour
constexpr Ctl kMenuButtons[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};

struct Board {
    explicit Board(std::vector<double> scores = {}, int below = -1) : table(std::move(scores)) {
        scoring.startGame();
        levels.startGame();
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
            if (display[kMenuButtons[i]].BackColor != kMenu)
                s += display[kMenuButtons[i]].BackColor == kGreen ? QString::number(i) : "?";
        return s;
    }

    std::vector<double> table;
    ScriptedRandom rng;
    talomir::Display display;
    StatisticsLog log{display};
    Scoring scoring{display, log};
    Levels levels{display, log, rng};
    LiveRanking ranking{display, log};
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
        if (scoreShown) b.display.setCaption(Ctl::lblScore, QStringLiteral("0"));
        b.scoring.Announce_Talomir_Figure(bonusFigure(mask.toLatin1().constData(), bonus));
        QCOMPARE((QList{b.display[Ctl::lblFirma].ForeColor, b.scoring.ColorFigura}), colours);
        b.scoring.Announce_Talomir_Figure(classic(masks::kBar));
        QCOMPARE(std::tuple(b.scoring.ColorFigura, b.display[Ctl::lblFirma].Visible,
                            b.log.lines().size()),
                 std::tuple(Colour(0xFFFF00), true, qsizetype(1)));
        QCOMPARE(b.rec.clips(), scoreShown ? QStringList{"mTalomir1"} : QStringList{});
    }

    // At level 9 the ninth row raises the level to 10, the last, and starts the flicker: random
    // colours QBColor(CInt(15 r)) for ten ticks, the eleventh, 1.65 s after the rise, settles on
    // the level's. The ninth row of level 10 still reads 123456789, later rows leave the
    // remainder empty, and neither speed nor level moves.
    void levelTenIsTheLast() {
        Board b;
        b.levels.Level = 9;
        b.levels.LinesInLevel = 8;
        b.Speed = 135;
        b.levels.rowRemoved(b.Speed, 846);
        QCOMPARE(b.log.lines(), (QStringList{"...Level # 10", "...Score : 846"}));
        QCOMPARE(std::tuple(int(b.Speed), int(b.levels.Level)), std::tuple(150, 10));
        for (float r : {0.0f, 2.0f / 15, 14.0f / 15, 0.99f}) b.rng.push(r);  // 0, 2, 14, 15
        std::vector<Colour> seen;
        for (int t = 0; t < 11; ++t) {
            QVERIFY(b.display.timer(Tmr::tmrLevel).Enabled);
            b.levels.tmrLevel_Timer();
            seen.push_back(b.display[Ctl::lblLevel].ForeColor);
        }
        QCOMPARE(std::pair(b.display.timer(Tmr::tmrLevel).Enabled, b.rng.draws()),
                 std::pair(false, std::size_t(11)));
        QCOMPARE(11 * b.display.timer(Tmr::tmrLevel).Interval, 1650);
        QCOMPARE((std::vector(seen.begin(), seen.begin() + 4)),
                 (std::vector<Colour>{0, 0x008000, 0x00FFFF, 0xFFFFFF}));
        QCOMPARE(seen.back(), Colour(0xFFFF00));  // the colour of level 10
        QStringList remain;
        for (int i = 0; i < 11; ++i) {
            b.levels.rowRemoved(b.Speed, 900);
            remain << b.display[Ctl::lblRemain].Caption;
        }
        QCOMPARE(remain.mid(6), (QStringList{"12", "1", "123456789", "", ""}));
        QCOMPARE(std::tuple(int(b.Speed), int(b.levels.Level), b.log.lines().size()),
                 std::tuple(150, 10, qsizetype(2)));
        QCOMPARE(b.display[Ctl::lblLevel].Caption, QStringLiteral("Level # 10"));
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
            b.ranking.tmrMigMenuControls_Timer();
            seen += b.lit() + u' ';
            if (t == 1) b.update(600);
        }
        QCOMPARE(seen, QStringLiteral("0 1 2 3  "));
        QCOMPARE(4 * b.display.timer(Tmr::tmrMigMenuControls).Interval, 400);  // Pause to Set
        QVERIFY(!b.lightOn());
        QCOMPARE(
            std::tuple(b.display[Ctl::lblPosition].ForeColor, b.display[Ctl::lblNextPlace].Visible),
            std::tuple(Colour(0xC0C000), true));

        b.update(1000);
        QCOMPARE(b.rec.filtered("tableSelected:"), (QStringList{"2", "1", "0"}));
        QCOMPARE(b.rec.filtered("Draw_Grid").size(), 1);
        QCOMPARE(
            std::tuple(b.display[Ctl::lblPosition].ForeColor, b.display[Ctl::lblNextPlace].Visible),
            std::tuple(Colour(0xFFFF00), false));
        b.ranking.tmrMigMenuControls_Timer();
        b.ranking.captureMenuColour();
        QCOMPARE(b.ranking.MenuBackColor, kMenu);
        for (int t = 0; t < 4; ++t) b.ranking.tmrMigMenuControls_Timer();
        QCOMPARE(b.lit(), QString());
        QVERIFY(!b.lightOn());
        b.update(2000);  // first place is held: nothing more
        QCOMPARE(std::pair(b.lightOn(), b.log.lines().size()), std::pair(false, qsizetype(3)));
    }
};

QTEST_GUILESS_MAIN(TestScoring)
#include "test_scoring.moc"
