// What the main window shows of a game: the score, level and place captions, the bonus texts,
// and the blinking of the row count, the level and the menu, each driven step by step as the
// window's timers would.
#include <QtTest>

#include "presentation/presenter.h"
#include "rules/levels.h"
#include "rules/ranking.h"

using namespace talomir;

namespace {

constexpr Colour kYellow = 0x00FFFF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kMenu = 0x0000C0;  // the menu buttons' own colour
constexpr Ctl kMenuButtons[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};

// The presenter listening to the rules' levels and ranking.
struct Shown {
    Shown() {
        events.add(&presenter);
        presenter.gameStarting(1, 1);
    }
    const ControlState& operator[](Ctl c) const { return presenter.state()[c]; }
    bool on(Tmr t) const { return presenter.state().timer(t).Enabled; }
    // The menu buttons lit green, as a string of their indices.
    QString lit() const {
        QString s;
        for (int i = 0; i < 4; ++i)
            if ((*this)[kMenuButtons[i]].BackColor != kMenu)
                s += (*this)[kMenuButtons[i]].BackColor == kGreen ? QString::number(i) : "?";
        return s;
    }

    ScriptedRandom rng;
    Presenter presenter{rng};
    GameEventList events;
    StatisticsLog log{events};
    Levels levels{events, log};
    LiveRanking ranking{events, log};
};

}  // namespace

class TestPresenter : public QObject {
    Q_OBJECT

private slots:
    // Black, yellow, black, yellow, black; the sixth tick, 1.5 s after the removal, leaves it
    // yellow and stops. A removal during the blink puts all four labels back to yellow and
    // starts over on the newest label.
    void rowCountBlink() {
        Shown s;
        auto blink = [&](int rows, int ticks) {
            s.presenter.rowsRemoved(rows, 1, 27500);
            QString seen;
            for (int t = 0; t < ticks; ++t) {
                if (!s.on(Tmr::tmrMigCountLines)) seen += u'!';
                s.presenter.tmrMigCountLines_Timer();
                seen += s[lblCountLines(rows)].ForeColor == 0 ? u'b' : u'y';
            }
            return seen;
        };
        QCOMPARE(blink(2, 6), QStringLiteral("bybyby"));
        QVERIFY(!s.on(Tmr::tmrMigCountLines));
        QCOMPARE(blink(1, 6), QStringLiteral("bybyby"));  // a run after a finished one is whole
        QVERIFY(blink(4, 3) == u"byb" && blink(3, 6) == u"bybyby");
        QVERIFY(!s.on(Tmr::tmrMigCountLines));
        for (int n = 1; n <= 4; ++n) QCOMPARE(s[lblCountLines(n)].ForeColor, kYellow);
        QCOMPARE(6 * s.presenter.state().timer(Tmr::tmrMigCountLines).Interval, 1500);
        QCOMPARE(s[lblCountLines(3)].Caption, QStringLiteral("3-Lines*1 = 2750"));
    }

    // The announcement of a bonus or super figure; a landing hides it again.
    void announcement() {
        Shown s;
        s.presenter.bonusFigureAnnounced(FigureKind::Bonus, 40005);
        QCOMPARE(std::tuple(s[Ctl::lblFirma].Visible, s[Ctl::lblFirma].ForeColor,
                            s[Ctl::lblFirma].Caption),
                 std::tuple(true, Colour(0xFFFF00), QStringLiteral("Talomir-фигурка Bonus 4000")));
        s.presenter.figureLanding();
        QVERIFY(!s[Ctl::lblFirma].Visible);
        s.presenter.bonusFigureAnnounced(FigureKind::Super, 250000);
        QCOMPARE(std::pair(s[Ctl::lblFirma].ForeColor, s[Ctl::lblFirma].Caption),
                 std::pair(Colour(0xFF0000), QStringLiteral("This Is Talomir Bonus 25000")));
    }

    // The ninth row of a level raises it and starts the flicker: random colours QBColor(CInt(15
    // r)) for ten ticks, the eleventh, 1.65 s after the rise, settles on the level's; the next
    // rise flickers as long. At level 10, the last, the ninth row still reads 123456789, later
    // rows leave the remainder empty, and neither speed nor level moves.
    void levelTenIsTheLast() {
        Shown s;
        Integer speed = 0;
        for (int row = 0; row < 8 * 9 + 8; ++row) s.levels.rowRemoved(speed, 0);
        QCOMPARE(std::pair(int(s.levels.level()), int(speed)), std::pair(8, 120));
        for (int t = 0; t < 11; ++t) s.presenter.tmrLevel_Timer();  // the rises so far settle
        const std::size_t draws = s.rng.draws();
        std::vector<Colour> seen;
        for (Colour settled : {0x00FF00, 0xFFFF00}) {  // QBColor(10) at level 9, (11) at 10
            for (int row = 0; row < (settled == 0x00FF00 ? 1 : 9); ++row)
                s.levels.rowRemoved(speed, 846);
            for (float r : {0.0f, 2.0f / 15, 14.0f / 15, 0.99f}) s.rng.push(r);  // 0, 2, 14, 15
            seen.clear();
            for (int t = 0; t < 11; ++t) {
                QVERIFY(s.on(Tmr::tmrLevel));
                s.presenter.tmrLevel_Timer();
                seen.push_back(s[Ctl::lblLevel].ForeColor);
            }
            QVERIFY(!s.on(Tmr::tmrLevel));
            QCOMPARE((std::vector(seen.begin(), seen.begin() + 4)),
                     (std::vector<Colour>{0, 0x008000, 0x00FFFF, 0xFFFFFF}));
            QCOMPARE(seen.back(), settled);
        }
        QCOMPARE(s.log.lines().mid(16), (QStringList{"...Level # 9", "...Score : 846",
                                                     "...Level # 10", "...Score : 846"}));
        QCOMPARE(s.rng.draws() - draws, std::size_t(22));
        QCOMPARE(11 * s.presenter.state().timer(Tmr::tmrLevel).Interval, 1650);
        QStringList remain;
        for (int i = 0; i < 11; ++i) {
            s.levels.rowRemoved(speed, 900);
            remain << s[Ctl::lblRemain].Caption;
        }
        QCOMPARE(remain.mid(6), (QStringList{"12", "1", "123456789", "", ""}));
        QCOMPARE(std::tuple(int(speed), int(s.levels.level()), s.log.lines().size()),
                 std::tuple(150, 10, qsizetype(20)));
        QCOMPARE(s[Ctl::lblLevel].Caption, QStringLiteral("Level # 10"));
    }

    // A gain selects the entry just passed and sends one green light from Pause to Set; the
    // fifth tick puts Set back and stops. A gain while it runs lets it run on. First place
    // lights the place cyan and hides the distance; a new game while Pause is lit keeps the
    // menu's own colour.
    void runningLightAndVictory() {
        Shown s;
        const std::vector<double> table{900, 500, 300};
        s.ranking.startBelow(5);  // a place below the table's end counts from its end
        s.ranking.Update_Position(400, table);
        QCOMPARE(std::pair(s[Ctl::lblPosition].Caption, s[Ctl::lblNextPlace].Caption),
                 std::pair(QStringLiteral("Place # 3"), QStringLiteral("Next Place : +100")));
        QString seen;
        for (int t = 0; t < 5; ++t) {
            QVERIFY(s.on(Tmr::tmrMigMenuControls));
            s.presenter.tmrMigMenuControls_Timer();
            seen += s.lit() + u' ';
            if (t == 1) s.ranking.Update_Position(600, table);
        }
        QCOMPARE(seen, QStringLiteral("0 1 2 3  "));
        QCOMPARE(4 * s.presenter.state().timer(Tmr::tmrMigMenuControls).Interval, 400);
        QVERIFY(!s.on(Tmr::tmrMigMenuControls));
        QCOMPARE(std::pair(s[Ctl::lblPosition].ForeColor, s[Ctl::lblNextPlace].Visible),
                 std::pair(Colour(0xC0C000), true));

        s.ranking.Update_Position(1000, table);
        QCOMPARE(std::pair(s[Ctl::lblPosition].ForeColor, s[Ctl::lblNextPlace].Visible),
                 std::pair(Colour(0xFFFF00), false));
        s.presenter.tmrMigMenuControls_Timer();
        s.presenter.gameStarting(1, 1);  // Pause is lit green: its own colour is kept
        for (int t = 0; t < 4; ++t) s.presenter.tmrMigMenuControls_Timer();
        QVERIFY(s.lit() == QString() && !s.on(Tmr::tmrMigMenuControls));
        QCOMPARE(s.log.lines(), (QStringList{"...Place : 3", "...Place : 2", "...VICTORY !!!"}));
    }
};

QTEST_GUILESS_MAIN(TestPresenter)
#include "test_presenter.moc"
