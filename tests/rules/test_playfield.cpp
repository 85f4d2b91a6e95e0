// The figures and the well: the seven classic figures by draw, the one-in-fifty bonus test,
// generated bonus figures with their value, the super figure, how many random numbers each choice
// uses and the default generator; the removal of full rows and the overlap that ends a game. The
// transcripts play the moves and turns against the walls, the floor and settled cells.
#include <QtTest>
#include <cmath>
#include <set>

#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr float kBelowOne = 0.99999994f;  // the largest single below 1
const float kBelowEight = std::nextafter(0.8f, 0.0f);
// Every draw that must be thrown away; read by mistake it picks figure 5 or fills a cell.
constexpr float kTrap = 0.81f;

QString cellList(const Mask& m) {
    CellArray a;
    for (auto& col : a) col.fill(true);  // every cell is written
    Integer counted = 3;
    Initialize_Array_For_Brikko(a, m, counted);
    QStringList cells;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            if (a[x][y]) cells << QStringLiteral("(%1,%2)").arg(x).arg(y);
    if (counted != 3 + cells.size()) return QStringLiteral("counted %1").arg(counted - 3);
    return cells.join(u' ');
}

}  // namespace

class TestPlayfield : public QObject {
    Q_OBJECT

private slots:
    // Each row: the second, the classic draw, the bonus test and the bonus draw; the sixteen cell
    // draws of a generated figure ('1' drawn as 0.8, which fills, '0' just below it); the figure's
    // cells; its bonus and the draws used.
    void chooserFollowsTheDraws_data() {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QString>("generated");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QList<int>>("bonusAndDraws");
        auto row = [](const char* name, QList<float> draws, const char* generated,
                      const char* cells, int bonus, int used) {
            QTest::newRow(name) << draws << QString(generated) << QString(cells)
                                << QList{bonus, used};
        };
        const float no = 0.3f, yes = 0.5f;
        row("figure 0", {0, 0, no, 0}, "", "(1,0) (1,1) (1,2) (2,0)", 0, 3);
        row("figure 1", {0, 1.5f / 7, no, 0}, "", "(1,1) (1,2) (1,3) (2,3)", 0, 3);
        row("figure 2", {0, 2.5f / 7, no, 0}, "", "(1,0) (1,1) (1,2) (1,3)", 0, 3);
        row("figure 3", {0, 3.5f / 7, no, 0}, "", "(1,1) (2,1) (2,2) (3,2)", 0, 3);
        row("figure 4", {0, 4.5f / 7, no, 0}, "", "(1,2) (2,1) (2,2) (3,1)", 0, 3);
        row("figure 5", {0, 5.5f / 7, no, 0}, "", "(1,2) (2,1) (2,2) (2,3)", 0, 3);
        row("figure 6, second 59", {59, kBelowOne, no, 0}, "", "(1,1) (1,2) (2,1) (2,2)", 0, 121);
        row("test at 0.5 passes", {0, 0, yes, 0}, "0000010000000000", "(1,1)", 30000, 21);
        row("test below 0.52 passes", {0, 0, std::nextafter(0.52f, 0.0f), 0.5f}, "1100000000000011",
            "(0,0) (0,1) (3,2) (3,3)", 40000, 21);  // 40000.5 to even
        row("test at 0.52 fails", {0, 0, 0.52f, 0}, "", "(1,0) (1,1) (1,2) (2,0)", 0, 3);
        row("test below 0.5 fails", {0, 0, std::nextafter(0.5f, 0.0f), 0}, "",
            "(1,0) (1,1) (1,2) (2,0)", 0, 3);
        row("highest bonus, second 59", {59, 0, yes, kBelowOne}, "0000000000000001", "(3,3)", 50001,
            2 * 59 + 3 + 60 + 16 + 1);
        const char* super =
            "(0,0) (0,3) (1,0) (1,1) (1,2) (1,3) (2,0) (2,3) (3,0) (3,1) (3,2) (3,3)";
        row("no cell filled gives the super figure", {7, 0, yes, 0.25f}, "0000000000000000", super,
            250000, 15 + 2 + 8 + 16);
        row("a generated super mask is the super figure", {0, 0, yes, 0.25f}, "1001111110011111",
            super, 250000, 20);
    }
    void chooserFollowsTheDraws() {
        QFETCH(QList<float>, draws);
        QFETCH(QString, generated);
        QFETCH(QString, cells);
        QFETCH(QList<int>, bonusAndDraws);
        const int second = static_cast<int>(draws[0]);
        std::vector<float> script(static_cast<std::size_t>(2 * second + 1), kTrap);
        script.insert(script.end(), {draws[1], draws[2]});
        if (!generated.isEmpty()) {
            script.insert(script.end(), static_cast<std::size_t>(second + 1), kTrap);
            for (QChar c : generated) script.push_back(c == u'1' ? 0.8f : kBelowEight);
        }
        script.push_back(draws[3]);
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(second);
        FigureChooser chooser(rng, clock);
        ListDealer once;  // a bonus figure dealt first leaves its values behind
        once.figures = {bonusFigure(masks::kDot, 77)};
        chooser.setDealer(&once);
        chooser.Choose_Figure();
        QCOMPARE(cellList(chooser.Choose_Figure()), cells);
        QCOMPARE(chooser.bTalomirFigure(), Integer(generated.isEmpty() ? 0 : -1));
        QCOMPARE((QList{int(chooser.lngTalomirBonus()), int(rng.draws())}), bonusAndDraws);
    }

    // One fixed seed at every start, values inside [0, 1) that reach every figure.
    void defaultRandomStaysBelowOne() {
        DefaultRandom rng, same;
        std::set<int> figures;
        double sum = 0;
        for (int i = 0; i < 300000; ++i) {
            const float r = rng.Rnd();
            QVERIFY(r == same.Rnd() && r >= 0.0f && r < 1.0f);
            sum += r;
            figures.insert(static_cast<int>(7.0f * r));
        }
        QVERIFY(std::fabs(sum / 300000 - 0.5) < 0.01 && figures.size() == 7);
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
            for (int c = 0; c < 15; ++c) f.setCell(c + 4, 27 + r, paint[r][c] == u'#');
        f.setCell(8, 0, true);
        Integer n = 0;
        int bookkeeping = 0;
        f.Remove_Full_Lines(n, [&] { ++bookkeeping; });
        QString picture;
        for (int r = 27; r <= 30; ++r)
            for (int c = 4; c <= 19; ++c) picture += c == 19 ? u' ' : f.cell(c, r) ? u'#' : u'.';
        QCOMPARE(picture.trimmed(), after);
        QCOMPARE(std::pair(int(n), bookkeeping), std::pair(rows, rows));
        for (int r = 0; r < 27; ++r)
            for (int c = 0; c <= 22; ++c) QCOMPARE(f.cell(c, r), c == 8 && r == rows);
        for (int c = 4; c <= 18; ++c) f.setCell(c, 0, true);  // a full top row goes too
        f.Remove_Full_Lines(n, [] {});
        QCOMPARE(std::tuple(int(n), f.cell(8, 0), f.cell(8, rows)),
                 std::tuple(rows + 1, false, rows > 0));
    }

    // One overlapping cell anywhere in the box ends a game; a settled cell under an empty box
    // cell does not. The super figure at the entry fills columns 10 and 12, rows 0 and 3.
    void overlapEndsTheGame() {
        Playfield f;
        f.reset();
        f.setFigure(cellsOf(masks::kSuper));
        const std::tuple<int, int, bool> cells[] = {{10, 1, true}, {12, 3, true},  {9, 0, true},
                                                    {9, 1, false}, {11, 2, false}, {13, 0, false},
                                                    {10, 4, false}};
        for (const auto& [c, r, over] : cells) {
            f.setCell(c, r, true);
            QVERIFY2(f.GameOver() == over, qPrintable(QStringLiteral("%1,%2").arg(c).arg(r)));
            f.setCell(c, r, false);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlayfield)
#include "test_playfield.moc"
