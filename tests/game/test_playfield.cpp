// The well: where a figure may stand, sideways moves, the quarter turn, the fall test, the removal
// of full rows and the overlap that ends a game.
#include <QtTest>
#include <cstring>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// Settled cells as "column,row" pairs separated by blanks.
Playfield fieldWith(const char* m, int x, int y, const QString& settled = {}) {
    Playfield f;
    f.reset();
    f.Fig = cellsOf(m);
    f.FigX = static_cast<Byte>(x);
    f.FigY = static_cast<Byte>(y);
    for (const QString& cell : settled.split(u' ', Qt::SkipEmptyParts))
        f.Well[cell.section(u',', 0, 0).toInt()][cell.section(u',', 1, 1).toInt()] = true;
    return f;
}

bool same(const Playfield& a, const Playfield& b) {
    return std::memcmp(a.Well, b.Well, sizeof a.Well) == 0 && a.Fig == b.Fig && a.FigX == b.FigX &&
           a.FigY == b.FigY;
}

}  // namespace

class TestPlayfield : public QObject {
    Q_OBJECT

private slots:
    // What each rule allows a figure beside some settled cells: allowed holds l, r and d for a
    // move left, right or down that is allowed, '-' where it is refused. A refusal changes nothing,
    // and a turn is never pushed back in; turned is the figure after the turn, empty if refused.
    void movesAndTurns_data() {
        for (const char* c : {"figure", "settled", "allowed", "turned"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        auto row = [](const char* name, const char* figure, int x, int y, const char* settled,
                      const char* allowed, const char* turned) {
            QTest::newRow(name) << figure << settled << allowed << turned << x << y;
        };
        const char *bar = masks::kBar, *lying = "0100010001000100", *upright = "0000000011110000";
        const char *ell = masks::kEll, *ellTurned = "0000010001000110";
        row("bar in the open", bar, 9, 10, "", "lrd", lying);
        row("lying bar", lying, 9, 10, "", "lrd", upright);
        row("bar at the left wall", bar, 3, 10, "", "-rd", "");
        row("bar beside the right wall", bar, 16, 10, "", "lrd", "");
        row("bar on the floor", bar, 9, 27, "", "lr-", lying);
        row("lying bar turning onto the floor", lying, 9, 27, "", "lrd", upright);
        row("lying bar turning below the floor", lying, 9, 28, "", "lrd", "");
        row("box over the left margin", "0000000000000001", 2, 27, "", "lr-", "");
        row("box over the floor and the right margin", masks::kDot, 18, 30, "", "l--", "");
        row("ell between settled cells", ell, 9, 10, "9,12 12,10", "--d", ellTurned);
        row("ell turning into a settled cell", ell, 9, 10, "9,12 12,10 12,11", "--d", "");
        row("ell spur on a settled cell", ell, 9, 10, "11,11", "l--", "");
        row("cell beside the ell's foot", ell, 9, 10, "11,12", "l-d", ellTurned);
    }
    void movesAndTurns() {
        QFETCH(QString, figure);
        QFETCH(QString, settled);
        QFETCH(QString, allowed);
        QFETCH(QString, turned);
        QFETCH(int, x);
        QFETCH(int, y);
        Playfield f = fieldWith(figure.toLatin1().constData(), x, y, settled);
        const Playfield before = f;
        QVERIFY(f.Can_Place(f.Fig) && !f.GameOver());
        QString answers;
        answers += f.Enable_Move_Left_Right(0) ? u'l' : u'-';
        answers += f.Enable_Move_Left_Right(2) ? u'r' : u'-';
        answers += f.Can_Move_Down() ? u'd' : u'-';
        QCOMPARE(answers, allowed);
        QVERIFY(same(f, before));
        f.Rotate_Figure();
        QCOMPARE(f.Fig, turned.isEmpty() ? before.Fig : cellsOf(turned.toLatin1().constData()));
        QCOMPARE(std::pair(int(f.FigX), int(f.FigY)), std::pair(x, y));
    }

    // Full rows go from the bottom up, each pulling everything above it (the top row too) down
    // one row and running the level bookkeeping once; fourteen cells are no row. Rows 27 to 30.
    void fullRowsAreRemoved_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("rows");
        QTest::newRow("one") << "......#........ ............... ############### #.#.#.#.#.#.#.#"
                             << "............... ......#........ ............... #.#.#.#.#.#.#.#"
                             << 1;
        QTest::newRow("two around a partial row")
            << "....#.......... ############### ##.##.######### ###############"
            << "............... ............... ....#.......... ##.##.#########" << 2;
        QTest::newRow("four") << "############### ############### ############### ###############"
                              << "............... ............... ............... ..............."
                              << 4;
        QTest::newRow("fourteen cells")
            << "............... ............... ............... ##############."
            << "............... ............... ............... ##############." << 0;
    }
    void fullRowsAreRemoved() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, rows);
        Playfield f;
        const QStringList paint = before.split(u' ');
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 15; ++c) f.Well[c + 4][27 + r] = paint[r][c] == u'#';
        f.Well[8][0] = true;
        Integer n = 0;
        int bookkeeping = 0;
        f.Remove_Full_Lines(n, [&] { ++bookkeeping; });
        QStringList picture;
        for (int r = 27; r <= 30; ++r) {
            picture << QString();
            for (int c = 4; c <= 18; ++c) picture.last() += f.Well[c][r] ? u'#' : u'.';
        }
        QCOMPARE(picture.join(u' '), after);
        QCOMPARE(std::pair(int(n), bookkeeping), std::pair(rows, rows));
        for (int r = 0; r < 27; ++r)
            for (int c = 0; c <= 22; ++c) QCOMPARE(f.Well[c][r], c == 8 && r == rows);
    }

    void fullTopRowIsRemoved() {
        Playfield f;
        for (int c = 4; c <= 18; ++c) f.Well[c][0] = true;
        Integer n = 2;  // the caller's count goes on
        f.Remove_Full_Lines(n, [] {});
        QCOMPARE(n, Integer(3));
        for (int c = 4; c <= 18; ++c) QVERIFY(!f.Well[c][0] && !f.Well[c][1]);
    }

    // One overlapping cell anywhere in the box ends a game; a settled cell under an empty box
    // cell does not.
    void overlapEndsTheGame() {
        for (const char* cell : {"10,1", "12,3", "9,0"})
            QVERIFY2(fieldWith(masks::kSuper, 9, 0, QString::fromLatin1(cell)).GameOver(), cell);
        QVERIFY(!fieldWith(masks::kSuper, 9, 0, QStringLiteral("9,1 11,2 13,0 10,4")).GameOver());
    }
};

QTEST_GUILESS_MAIN(TestPlayfield)
#include "test_playfield.moc"
