// The figure chooser: the seven classic figures by draw, the one-in-fifty bonus test, generated
// bonus figures with their value, the super figure, and how many random numbers each choice uses;
// then the default generator.
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

class TestFigures : public QObject {
    Q_OBJECT

private slots:
    // generated: the sixteen cell draws of a bonus figure, '1' drawn as 0.8 (fills), '0' just
    // below it; then the bonus draw follows.
    void chooserFollowsTheDraws_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<float>("classic");
        QTest::addColumn<float>("test");
        QTest::addColumn<QString>("generated");
        QTest::addColumn<float>("bonusDraw");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<int>("draws");
        const float noBonus = 0.3f;
        auto classic = [&](const char* name, int s, float draw, const char* cells) {
            QTest::newRow(name) << s << draw << noBonus << QString() << 0.0f << cells << 0
                                << 2 * s + 3;
        };
        classic("figure 0", 0, 0.0f, "(1,0) (1,1) (1,2) (2,0)");
        classic("figure 1", 0, 1.5f / 7, "(1,1) (1,2) (1,3) (2,3)");
        classic("figure 2", 0, 2.5f / 7, "(1,0) (1,1) (1,2) (1,3)");
        classic("figure 3", 0, 3.5f / 7, "(1,1) (2,1) (2,2) (3,2)");
        classic("figure 4", 0, 4.5f / 7, "(1,2) (2,1) (2,2) (3,1)");
        classic("figure 5", 0, 5.5f / 7, "(1,2) (2,1) (2,2) (2,3)");
        classic("figure 6, second 59", 59, kBelowOne, "(1,1) (1,2) (2,1) (2,2)");
        auto bonus = [&](const char* name, int s, float test, const char* generated, float draw,
                         const char* cells, int value, int draws) {
            QTest::newRow(name) << s << 0.0f << test << QString::fromLatin1(generated) << draw
                                << cells << value << draws;
        };
        bonus("test at 0.5 passes", 0, 0.5f, "0000010000000000", 0.0f, "(1,1)", 30000, 21);
        bonus("test below 0.52 passes", 0, std::nextafter(0.52f, 0.0f), "1100000000000011", 0.5f,
              "(0,0) (0,1) (3,2) (3,3)", 40000, 21);  // 40000.5 to even
        bonus("test at 0.52 fails", 0, 0.52f, "", 0.0f, "(1,0) (1,1) (1,2) (2,0)", 0, 3);
        bonus("test below 0.5 fails", 0, std::nextafter(0.5f, 0.0f), "", 0.0f,
              "(1,0) (1,1) (1,2) (2,0)", 0, 3);
        bonus("highest bonus, second 59", 59, 0.5f, "0000000000000001", kBelowOne, "(3,3)", 50001,
              2 * 59 + 3 + 60 + 16 + 1);
        bonus("a generated bar is no classic bar", 0, 0.5f, "0000111100000000", 0.25f,
              "(1,0) (1,1) (1,2) (1,3)", 35000, 21);
        const char* super =
            "(0,0) (0,3) (1,0) (1,1) (1,2) (1,3) (2,0) (2,3) (3,0) (3,1) (3,2) (3,3)";
        bonus("no cell filled gives the super figure", 7, 0.5f, "0000000000000000", 0.25f, super,
              250000, 15 + 2 + 8 + 16);
        bonus("a generated super mask is the super figure", 0, 0.5f, "1001111110011111", 0.25f,
              super, 250000, 20);
    }
    void chooserFollowsTheDraws() {
        QFETCH(int, second);
        QFETCH(float, classic);
        QFETCH(float, test);
        QFETCH(QString, generated);
        QFETCH(float, bonusDraw);
        QFETCH(QString, cells);
        QFETCH(int, bonus);
        QFETCH(int, draws);
        std::vector<float> script(static_cast<std::size_t>(2 * second + 1), kTrap);
        script.push_back(classic);
        script.push_back(test);
        if (!generated.isEmpty()) {
            script.insert(script.end(), static_cast<std::size_t>(second + 1), kTrap);
            for (QChar c : generated) script.push_back(c == u'1' ? 0.8f : kBelowEight);
        }
        script.push_back(bonusDraw);
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(second);
        FigureChooser chooser(rng, clock);
        chooser.bTalomirFigure = -1;
        chooser.lngTalomirBonus = 77;
        QCOMPARE(cellList(chooser.Choose_Figure()), cells);
        QCOMPARE(chooser.bTalomirFigure, Integer(generated.isEmpty() ? 0 : -1));
        QCOMPARE(chooser.lngTalomirBonus, Long(bonus));
        QCOMPARE(rng.draws(), static_cast<std::size_t>(draws));
    }

    // One fixed seed at every start, values inside [0, 1) that reach every figure and colour.
    void defaultRandomStaysBelowOne() {
        DefaultRandom rng, same;
        std::set<int> figures, colours;
        double sum = 0;
        constexpr int kDraws = 300000;
        for (int i = 0; i < kDraws; ++i) {
            const float r = rng.Rnd();
            if (i < 100) QCOMPARE(same.Rnd(), r);
            QVERIFY2(r >= 0.0f && r < 1.0f, qPrintable(QString::number(r, 'g', 10)));
            sum += r;
            figures.insert(static_cast<int>(std::floor(7.0f * r)));
            colours.insert(static_cast<int>(std::floor(15.0f * r)));
        }
        QVERIFY(std::fabs(sum / kDraws - 0.5) < 0.01);
        QCOMPARE(figures, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(colours.size(), std::size_t(15));
    }
};

QTEST_GUILESS_MAIN(TestFigures)
#include "test_figures.moc"
