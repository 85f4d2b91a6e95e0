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

// Rows 26 to 30 of the play area, '#' a settled cell.
void paint(Playfield& f, const QStringList& rows) {
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 15; ++c) f.Well[c + 4][26 + r] = rows[r][c] == u'#';
}
QStringList picture(const Playfield& f) {
    QStringList rows;
    for (int r = 26; r <= 30; ++r) {
        QString row;
        for (int c = 0; c <= 22; ++c)
            if (c >= 4 && c <= 18)
                row += f.Well[c][r] ? u'#' : u'.';
            else if (f.Well[c][r])
                row += u'!';  // a margin cell: never filled
        rows << row;
    }
    return rows;
}

}  // namespace

class TestPlayfield : public QObject {
    Q_OBJECT

private slots:
    // A single cell at each edge: the play area is columns 4..18, rows 0..30.
    void canPlaceKeepsToThePlayArea() {
        const int cases[][3] = {{3, 0, 0},  {4, 0, 1},   {18, 0, 1},
                                {19, 0, 0}, {10, 30, 1}, {10, 31, 0}};
        for (const auto& c : cases) {
            const Playfield f = fieldWith(masks::kDot, c[0], c[1]);
            QVERIFY2(f.Can_Place(f.Fig) == bool(c[2]), qPrintable(QString::number(c[0])));
        }
        const Playfield f = fieldWith(masks::kDot, 10, 5, QStringLiteral("10,5"));
        QVERIFY(!f.Can_Place(f.Fig));
    }

    // What each rule allows a figure beside some settled cells; a refusal changes nothing and a
    // turn is never pushed back in. turned: the figure after the turn, empty when refused.
    void movesAndTurns_data() {
        QTest::addColumn<QString>("figure");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("settled");
        QTest::addColumn<bool>("left");
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("turned");
        const QString bar = masks::kBar, lying = "0100010001000100", ell = masks::kEll;
        QTest::newRow("bar in the open") << bar << 9 << 10 << "" << true << true << true << lying;
        QTest::newRow("lying bar turns to box column 2")
            << lying << 9 << 10 << "" << true << true << true << "0000000011110000";
        QTest::newRow("bar at the left wall")
            << bar << 3 << 10 << "" << false << true << true << "";
        QTest::newRow("bar at the right wall")
            << bar << 17 << 10 << "" << true << false << true << "";
        QTest::newRow("bar on the floor") << bar << 9 << 27 << "" << true << true << false << lying;
        QTest::newRow("lying bar cannot turn through the floor")
            << lying << 9 << 29 << "" << true << true << false << "";
        QTest::newRow("box over the left margin")
            << "0000000000000001" << 1 << 27 << "" << false << true << false << "";
        QTest::newRow("box below the floor")
            << QString(masks::kDot) << 18 << 30 << "" << true << false << false << "";
        QTest::newRow("ell between settled cells")
            << ell << 9 << 10 << "9,12 12,10" << false << false << true << "0000010001000110";
        QTest::newRow("ell turning into a settled cell")
            << ell << 9 << 10 << "9,12 12,10 12,11" << false << false << true << "";
        QTest::newRow("ell spur on a settled cell")
            << ell << 9 << 10 << "11,11" << true << false << false << "";
        QTest::newRow("cell beside the ell's foot")
            << ell << 9 << 10 << "11,12" << true << false << true << "0000010001000110";
    }
    void movesAndTurns() {
        QFETCH(QString, figure);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, settled);
        QFETCH(bool, left);
        QFETCH(bool, right);
        QFETCH(bool, down);
        QFETCH(QString, turned);
        Playfield f = fieldWith(figure.toLatin1().constData(), x, y, settled);
        const Playfield before = f;
        QVERIFY(f.Can_Place(f.Fig));
        QCOMPARE(f.Enable_Move_Left_Right(0), left);
        QCOMPARE(f.Enable_Move_Left_Right(2), right);
        QCOMPARE(f.Can_Move_Down(), down);
        QVERIFY(!f.GameOver());
        QVERIFY(same(f, before));
        f.Rotate_Figure();
        QCOMPARE(f.Fig, turned.isEmpty() ? before.Fig : cellsOf(turned.toLatin1().constData()));
        QCOMPARE(int(f.FigX), x);
        QCOMPARE(int(f.FigY), y);
    }

    // Full rows go from the bottom up, each pulling everything above it down one row and running
    // the level bookkeeping once; fourteen cells are no row.
    void fullRowsAreRemoved_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("rows");
        const QString empty(15, u'.'), full(15, u'#');
        QTest::newRow("one") << QStringList{empty, "......#........", empty, full,
                                            "#.#.#.#.#.#.#.#"}
                             << QStringList{empty, empty, "......#........", empty,
                                            "#.#.#.#.#.#.#.#"}
                             << 1;
        QTest::newRow("two around a partial row")
            << QStringList{empty, "....#..........", full, "##.##.#########", full}
            << QStringList{empty, empty, empty, "....#..........", "##.##.#########"} << 2;
        QTest::newRow("four") << QStringList{"...#...........", full, full, full, full}
                              << QStringList{empty, empty, empty, empty, "...#..........."} << 4;
        QTest::newRow("fourteen cells")
            << QStringList{empty, empty, empty, empty, "##############."}
            << QStringList{empty, empty, empty, empty, "##############."} << 0;
    }
    void fullRowsAreRemoved() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, rows);
        Playfield f;
        paint(f, before);
        f.Well[8][0] = true;  // the top row comes down too
        Integer n = 0;
        int bookkeeping = 0;
        f.Remove_Full_Lines(n, [&] { ++bookkeeping; });
        QCOMPARE(picture(f), after);
        QCOMPARE(int(n), rows);
        QCOMPARE(bookkeeping, rows);
        for (int r = 0; r < 26; ++r)
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

    // The commit fills exactly the figure's cells; one overlapping cell anywhere in the box ends
    // a game, a settled cell under an empty box cell does not.
    void commitAndOverlap() {
        Playfield f = fieldWith(masks::kEll, 9, 27, QStringLiteral("10,28 5,30"));
        f.Update_Array_C();
        QCOMPARE(picture(f), (QStringList{QString(15, u'.'), "......##.......", "......#........",
                                          "......#........", ".#............."}));
        for (const char* cell : {"10,1", "12,3", "9,0"}) {
            const Playfield g = fieldWith(masks::kSuper, 9, 0, QString::fromLatin1(cell));
            QVERIFY2(g.GameOver(), cell);
        }
        const Playfield g = fieldWith(masks::kSuper, 9, 0, QStringLiteral("9,1 11,2 13,0 10,4"));
        QVERIFY(!g.GameOver());
    }
};

QTEST_GUILESS_MAIN(TestPlayfield)
#include "test_playfield.moc"
