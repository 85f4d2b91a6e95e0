// The well: where a figure may stand, sideways moves, rotation, the fall test, the commit, row
// removal and the overlap that ends a game.
#include <QtTest>
#include <cstring>

#include "game/playfield.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

struct Snapshot {
    bool well[Playfield::kCols][Playfield::kRows];
    CellArray fig;
    Byte x, y;
    explicit Snapshot(const Playfield& f) : fig(f.Fig), x(f.FigX), y(f.FigY) {
        std::memcpy(well, f.Well, sizeof well);
    }
    bool same(const Playfield& f) const {
        return std::memcmp(well, f.Well, sizeof well) == 0 && fig == f.Fig && x == f.FigX &&
               y == f.FigY;
    }
};

Playfield fieldWith(const char* m, int x, int y) {
    Playfield f;
    f.reset();
    f.Fig = cellsOf(m);
    f.FigX = static_cast<Byte>(x);
    f.FigY = static_cast<Byte>(y);
    return f;
}

void fillRow(Playfield& f, int row, std::initializer_list<int> gaps = {}) {
    for (int c = 4; c <= 18; ++c) {
        bool gap = false;
        for (int g : gaps) gap = gap || g == c;
        f.Well[c][row] = !gap;
    }
}

int filledCells(const Playfield& f) {
    int n = 0;
    for (const auto& col : f.Well)
        for (bool c : col) n += c;
    return n;
}

// Moves the figure as far as the rule allows; returns the number of accepted moves.
int slide(Playfield& f, int index) {
    int moves = 0;
    while (f.Enable_Move_Left_Right(index)) {
        f.FigX = static_cast<Byte>(f.FigX + index - 1);
        ++moves;
        if (moves > 30) break;
    }
    return moves;
}

}  // namespace

class TestPlayfield : public QObject {
    Q_OBJECT

private slots:
    // A single cell at every margin: the play area is columns 4..18, rows 0..30.
    void canPlaceMargins() {
        const int rows[][3] = {{3, 0, 0},  {4, 0, 1},   {18, 0, 1},
                               {19, 0, 0}, {10, 30, 1}, {10, 31, 0}};
        for (const auto& r : rows) {
            Playfield f = fieldWith(masks::kDot, r[0], r[1]);
            QCOMPARE(f.Can_Place(f.Fig), bool(r[2]));
        }
        Playfield f = fieldWith(masks::kDot, 10, 5);
        f.Well[10][5] = true;
        QVERIFY(!f.Can_Place(f.Fig));
        f.reset();
        QCOMPARE(filledCells(f), 0);
        QCOMPARE(int(f.FigX), 9);
    }

    // Empty box cells may hang over the margins; only filled cells are tested.
    void overhangingBoxMovesFreely() {
        Playfield f = fieldWith(masks::kBar, 9, 0);  // the bar stands in box column 1
        QCOMPARE(slide(f, 0), 6);
        QCOMPARE(int(f.FigX), 3);  // box column 0 over the left margin
        QCOMPARE(slide(f, 2), 14);
        QCOMPARE(int(f.FigX), 17);  // box columns 2 and 3 over the right margin
        QVERIFY(!f.Enable_Move_Left_Right(2));

        Playfield g = fieldWith("0000000000000001", 9, 0);  // box (3,3)
        slide(g, 0);
        QCOMPARE(int(g.FigX), 1);
        int falls = 0;
        while (g.Can_Move_Down()) ++g.FigY, ++falls;
        QCOMPARE(int(g.FigY), 27);
        QCOMPARE(falls, 27);

        Playfield h = fieldWith(masks::kDot, 9, 0);  // box (0,0): hangs below the floor
        slide(h, 2);
        QCOMPARE(int(h.FigX), 18);
        while (h.Can_Move_Down()) ++h.FigY;
        QCOMPARE(int(h.FigY), 30);
        h.Update_Array_C();
        QVERIFY(h.Well[18][30]);
        QCOMPARE(filledCells(h), 1);
    }

    // A blocked move is only a refusal: well, cells and position stay as they were.
    void blockedMovesChangeNothing() {
        Playfield f = fieldWith(masks::kEll, 9, 10);  // cells at columns 10 and 11
        f.Well[9][12] = true;                         // left of (1,2)
        f.Well[12][10] = true;                        // right of (2,0)
        const Snapshot before(f);
        QVERIFY(!f.Enable_Move_Left_Right(0));
        QVERIFY(!f.Enable_Move_Left_Right(2));
        QVERIFY(before.same(f));
        // The turned cells (3,1) (2,1) (1,1) (3,2) meet the filled cell at column 12, row 11.
        f.Well[12][11] = true;
        const Snapshot blocked(f);
        f.Rotate_Figure();
        QVERIFY(blocked.same(f));
        f.Well[12][11] = false;
        f.Rotate_Figure();
        QCOMPARE(f.Fig, cellsOf("0000010001000110"));
    }

    // A quarter turn clockwise about the centre of the box; next to a wall or the floor the
    // turn is refused outright, never pushed back in.
    void rotation() {
        Playfield f = fieldWith(masks::kBar, 9, 10);
        for (const char* t :
             {"0100010001000100", "0000000011110000", "0010001000100010", masks::kBar}) {
            f.Rotate_Figure();
            QCOMPARE(f.Fig, cellsOf(t));
            QCOMPARE(int(f.FigX), 9);
        }
        const struct {
            const char* figure;
            int x, y;
        } refused[] = {{masks::kBar, 3, 10},
                       {masks::kBar, 17, 10},
                       {"0100010001000100", 9, 29},
                       {"0000010001100010", 9, 28}};
        for (const auto& r : refused) {
            Playfield g = fieldWith(r.figure, r.x, r.y);
            QVERIFY(g.Can_Place(g.Fig));
            const Snapshot before(g);
            g.Rotate_Figure();
            QVERIFY2(before.same(g), r.figure);
        }
    }

    void canMoveDown() {
        Playfield f = fieldWith(masks::kBar, 9, 26);
        QVERIFY(f.Can_Move_Down());
        f.FigY = 27;  // the bar's foot on row 30
        QVERIFY(!f.Can_Move_Down());
        // The spur of the ell, not its foot, meets the well.
        Playfield e = fieldWith(masks::kEll, 9, 10);
        e.Well[11][11] = true;
        QVERIFY(!e.Can_Move_Down());
        e.Well[11][11] = false;
        e.Well[11][12] = true;  // beside the bar, not below any cell
        QVERIFY(e.Can_Move_Down());
    }

    void commitFillsOnlyFigureCells() {
        Playfield f = fieldWith(masks::kEll, 9, 27);
        f.Well[10][28] = true;  // already filled: stays filled
        f.Well[5][30] = true;
        f.Update_Array_C();
        QCOMPARE(filledCells(f), 5);
        QVERIFY(f.Well[10][27] && f.Well[10][28] && f.Well[10][29] && f.Well[11][27]);
        QVERIFY(f.Well[5][30]);
        QVERIFY(!f.Well[11][28]);
    }

    void removesOneRowAndShiftsEverythingDown() {
        Playfield f;
        fillRow(f, 30);
        f.Well[7][29] = true;
        f.Well[8][0] = true;
        fillRow(f, 20, {4});  // fourteen cells: not full
        Integer n = 0;
        int calls = 0;
        f.Remove_Full_Lines(n, [&] { ++calls; });
        QCOMPARE(n, Integer(1));
        QCOMPARE(calls, 1);
        QVERIFY(f.Well[7][30]);
        QVERIFY(f.Well[8][1]);
        QVERIFY(!f.Well[8][0]);
        QVERIFY(!f.Well[4][21] && f.Well[5][21] && f.Well[18][21]);
        QCOMPARE(filledCells(f), 16);
    }

    // Full rows 30 and 28 around a partial row 29: the partial row ends on row 30, the cell
    // above both on row 29.
    void twoFullRowsAroundAPartialRow() {
        Playfield f;
        fillRow(f, 30);
        fillRow(f, 29, {6, 12});
        fillRow(f, 28);
        f.Well[15][27] = true;
        Integer n = 0;
        f.Remove_Full_Lines(n, [] {});
        QCOMPARE(n, Integer(2));
        for (int c = 4; c <= 18; ++c) QCOMPARE(f.Well[c][30], c != 6 && c != 12);
        QVERIFY(f.Well[15][29]);
        QCOMPARE(filledCells(f), 14);
        for (int r = 0; r <= 28; ++r)
            for (int c = 0; c <= 22; ++c) QVERIFY(!f.Well[c][r]);
    }

    // Four full rows: removed from the bottom up, re-examining the same row; then a full top row.
    void fourRowsAtOnceBottomUp() {
        Playfield f;
        for (int r = 27; r <= 30; ++r) fillRow(f, r);
        f.Well[9][26] = true;
        f.Well[9][0] = true;
        Integer n = 0;
        QList<int> markerRow;
        f.Remove_Full_Lines(n, [&] {
            for (int r = 0; r <= 34; ++r)
                if (f.Well[9][r] && r > 4 && !f.Well[10][r]) markerRow << r;
        });
        QCOMPARE(n, Integer(4));  // the counter is the caller's
        QCOMPARE(markerRow, (QList<int>{27, 28, 29, 30}));
        QCOMPARE(filledCells(f), 2);
        QVERIFY(f.Well[9][30] && f.Well[9][4]);
        f.reset();
        fillRow(f, 0);
        f.Remove_Full_Lines(n, [] {});
        QCOMPARE(n, Integer(5));
        QCOMPARE(filledCells(f), 0);
    }

    // One overlapping cell anywhere in the box ends the game; cells under empty box cells don't.
    void gameOverOnAnyOverlap() {
        Playfield f = fieldWith(masks::kSuper, 9, 0);
        QVERIFY(!f.GameOver());
        f.Well[10][1] = true;  // box column 1 is full
        QVERIFY(f.GameOver());
        f.Well[10][1] = false;
        f.Well[9][1] = true;   // (0,1) empty in the box
        f.Well[11][2] = true;  // (2,2) empty
        QVERIFY(!f.GameOver());
        f.Well[12][3] = true;  // (3,3)
        QVERIFY(f.GameOver());
    }
};

QTEST_GUILESS_MAIN(TestPlayfield)
#include "test_playfield.moc"
