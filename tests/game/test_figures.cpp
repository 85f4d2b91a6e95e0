// The figure catalogue: mask conversion, the random chooser and its exact consumption of
// random numbers, bonus figures, the queue, and the default generator.
#include <QtTest>
#include <cmath>
#include <set>

#include "game/figures.h"
#include "tests/support/model_harness.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

constexpr float kBelowOne = 0.99999994f;  // the largest single below 1
const float kBelowEight = std::nextafter(0.8f, 0.0f);

QString cellList(const CellArray& a) {
    QStringList cells;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            if (a[x][y]) cells << QStringLiteral("(%1,%2)").arg(x).arg(y);
    return cells.join(u' ');
}

// A draw that, if the chooser used it for the classic choice or the bonus test by mistake, would
// change the result: it selects figure 3 and passes the bonus test.
constexpr float kTrap = 0.51f;

std::vector<float> discards(int n) {
    return std::vector<float>(static_cast<std::size_t>(n), kTrap);
}

}  // namespace

class TestFigures : public QObject {
    Q_OBJECT

private slots:
    void brikkoConvertsColumnByColumn_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("cells");
        QTest::newRow("bar with top spur") << "0000111010000000"
                                           << "(1,0) (1,1) (1,2) (2,0)";
        QTest::newRow("pairs left") << "0000001001100100"
                                    << "(1,2) (2,1) (2,2) (3,1)";
        QTest::newRow("super") << "1001111110011111"
                               << "(0,0) (0,3) (1,0) (1,1) (1,2) (1,3) (2,0) (2,3) (3,0) (3,1) "
                                  "(3,2) (3,3)";
        QTest::newRow("last character") << "0000000000000001"
                                        << "(3,3)";
    }
    void brikkoConvertsColumnByColumn() {
        QFETCH(QString, mask);
        QFETCH(QString, cells);
        CellArray a;
        for (auto& col : a) col.fill(true);  // every cell is overwritten
        Integer count = 3;
        Initialize_Array_For_Brikko(a, maskFromString(mask), count);
        QCOMPARE(cellList(a), cells);
        QCOMPARE(count, static_cast<Integer>(3 + mask.count(u'1')));
    }

    void masksAreValidatedByLengthAndDigits() {
        QVERIFY(isValidMask(QStringLiteral("0101010101010101")));
        for (const char* bad : {"010101010101010", "01010101010101012", "0101010101010102"})
            QVERIFY2(!isValidMask(QString::fromLatin1(bad)), bad);
    }

    // Second s: 2s+1 discards, the classic draw, the bonus test; nothing more.
    void classicChoiceConsumesExactDraws_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<float>("draw");
        QTest::addColumn<int>("k");
        for (int s : {0, 59}) {
            for (int k : {0, 3, 6})
                QTest::addRow("s%d k%d", s, k) << s << (static_cast<float>(k) + 0.5f) / 7.0f << k;
            QTest::addRow("s%d zero", s) << s << 0.0f << 0;
            QTest::addRow("s%d top", s) << s << kBelowOne << 6;
        }
    }
    void classicChoiceConsumesExactDraws() {
        QFETCH(int, second);
        QFETCH(float, draw);
        QFETCH(int, k);
        std::vector<float> script = discards(2 * second + 1);
        script.push_back(draw);
        script.push_back(0.49f);  // bonus test: floor(24.5) = 24, no bonus
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(second);
        FigureChooser chooser(rng, clock);
        chooser.bTalomirFigure = -1;
        chooser.lngTalomirBonus = 77;
        const Mask m = chooser.Choose_Figure();
        QCOMPARE(maskToString(m), maskToString(kClassicMasks[static_cast<std::size_t>(k)]));
        QCOMPARE(chooser.bTalomirFigure, Integer(0));
        QCOMPARE(chooser.lngTalomirBonus, Long(0));
        QCOMPARE(rng.draws(), static_cast<std::size_t>(2 * second + 3));
    }

    // The bonus test passes exactly for floor(50 r) = 25.
    void bonusTestBoundaries_data() {
        QTest::addColumn<float>("test");
        QTest::addColumn<bool>("bonus");
        QTest::newRow("0.5") << 0.5f << true;
        QTest::newRow("just below 0.52") << std::nextafter(0.52f, 0.0f) << true;
        QTest::newRow("0.52") << 0.52f << false;
        QTest::newRow("just below 0.5") << std::nextafter(0.5f, 0.0f) << false;
    }
    void bonusTestBoundaries() {
        QFETCH(float, test);
        QFETCH(bool, bonus);
        // second 0: one discard, classic draw, test, then (bonus) one discard and 16 cells + 1
        std::vector<float> script = {kTrap, 0.0f, test, kTrap};
        for (int i = 0; i < 16; ++i) script.push_back(i == 5 ? 0.9f : 0.1f);
        script.push_back(0.0f);
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(0);
        FigureChooser chooser(rng, clock);
        const Mask m = chooser.Choose_Figure();
        QCOMPARE(chooser.bTalomirFigure != 0, bonus);
        if (bonus) {
            QCOMPARE(chooser.bTalomirFigure, Integer(-1));
            QCOMPARE(maskToString(m), QStringLiteral("0000010000000000"));
            QCOMPARE(chooser.lngTalomirBonus, Long(30000));
            QCOMPARE(rng.draws(), std::size_t(21));
        } else {
            QCOMPARE(maskToString(m), maskToString(kClassicMasks[0]));
            QCOMPARE(rng.draws(), std::size_t(3));
        }
    }

    // A bonus figure: the classic draw is still consumed, then s+1 discards, sixteen cells and
    // the bonus draw, rounded half to even into 30000..50001.
    void bonusFigureDrawsAndValue_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<float>("bonusDraw");
        QTest::addColumn<int>("bonus");
        for (int s : {0, 59}) {
            QTest::addRow("s%d low", s) << s << 0.0f << 30000;
            QTest::addRow("s%d half to even", s) << s << 0.5f << 40000;  // 40000.5
            QTest::addRow("s%d quarter", s) << s << 0.25f << 35000;      // 35000.25
            QTest::addRow("s%d top", s) << s << kBelowOne << 50001;
        }
    }
    void bonusFigureDrawsAndValue() {
        QFETCH(int, second);
        QFETCH(float, bonusDraw);
        QFETCH(int, bonus);
        std::vector<float> script = discards(2 * second + 1);
        script.push_back(2.5f / 7.0f);  // classic figure 2, replaced by the bonus mask
        script.push_back(0.5f);         // bonus test passes
        for (int i = 0; i < second + 1; ++i) script.push_back(0.95f);  // would fill a cell
        const char* cells = "1100000000000011";
        for (int i = 0; i < 16; ++i) script.push_back(cells[i] == '1' ? 0.8f : kBelowEight);
        script.push_back(bonusDraw);
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(second);
        FigureChooser chooser(rng, clock);
        const Mask m = chooser.Choose_Figure();
        QCOMPARE(maskToString(m), QString::fromLatin1(cells));
        QCOMPARE(chooser.bTalomirFigure, Integer(-1));
        QCOMPARE(chooser.lngTalomirBonus, Long(bonus));
        QCOMPARE(rng.draws(), static_cast<std::size_t>(2 * second + 1 + 2 + second + 1 + 16 + 1));
        QCOMPARE(rng.remaining(), std::size_t(0));
    }

    // Sixteen draws below 0.8 give the super figure, worth 250000, with no bonus draw.
    void superFigureFromSixteenLowDraws() {
        std::vector<float> script = {kTrap, 6.5f / 7.0f, 0.5f, 0.95f};
        for (int i = 0; i < 16; ++i) script.push_back(i % 2 ? kBelowEight : 0.0f);
        script.push_back(0.25f);  // must stay unread
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(0);
        FigureChooser chooser(rng, clock);
        const Mask m = chooser.Choose_Figure();
        QCOMPARE(maskToString(m), QStringLiteral("1001111110011111"));
        QCOMPARE(chooser.bTalomirFigure, Integer(-1));
        QCOMPARE(chooser.lngTalomirBonus, Long(250000));
        QCOMPARE(rng.draws(), std::size_t(20));
        QCOMPARE(rng.remaining(), std::size_t(1));
    }

    // A generated mask that equals the super mask is the super figure too; a generated mask equal
    // to a classic one stays an ordinary bonus figure.
    void generatedMasksCompareWithSuper_data() {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("bonus");
        QTest::addColumn<int>("draws");
        QTest::newRow("equals super") << "1001111110011111" << 250000 << 20;
        QTest::newRow("equals the bar") << "0000111100000000" << 35000 << 21;
        QTest::newRow("all sixteen") << "1111111111111111" << 35000 << 21;
    }
    void generatedMasksCompareWithSuper() {
        QFETCH(QString, cells);
        QFETCH(int, bonus);
        QFETCH(int, draws);
        std::vector<float> script = {kTrap, 0.0f, 0.5f, 0.0f};
        for (QChar c : cells) script.push_back(c == u'1' ? kBelowOne : 0.0f);
        script.push_back(0.25f);
        ScriptedRandom rng(script, kTrap);
        FixedClock clock(0);
        FigureChooser chooser(rng, clock);
        QCOMPARE(maskToString(chooser.Choose_Figure()), cells);
        QCOMPARE(chooser.bTalomirFigure, Integer(-1));
        QCOMPARE(chooser.lngTalomirBonus, Long(bonus));
        QCOMPARE(rng.draws(), static_cast<std::size_t>(draws));
    }

    // s+1 discards (one at second 0, sixty at 59), cells in draw order, 0.8 itself fills.
    void talomirMaskDiscardsAndThreshold_data() {
        QTest::addColumn<int>("second");
        QTest::newRow("second 0") << 0;
        QTest::newRow("second 59") << 59;
    }
    void talomirMaskDiscardsAndThreshold() {
        QFETCH(int, second);
        std::vector<float> script(static_cast<std::size_t>(second + 1), 0.9f);
        const char* cells = "1000000100000010";
        for (int i = 0; i < 16; ++i) script.push_back(cells[i] == '1' ? 0.8f : kBelowEight);
        ScriptedRandom rng(script, 0.9f);
        FixedClock clock(second);
        FigureChooser chooser(rng, clock);
        Mask m = kClassicMasks[2];
        chooser.Initialize_Array_For_Talomir(m);
        QCOMPARE(maskToString(m), QString::fromLatin1(cells));
        QCOMPARE(rng.draws(), static_cast<std::size_t>(second + 17));
    }

    void shiftQueueMovesUpAndDealsEntryFive() {
        ListDealer dealer;
        for (const char* m :
             {masks::kBar, masks::kSquare, masks::kEll, masks::kDot, masks::kTriple})
            dealer.add(classic(m));
        dealer.add(bonusFigure(masks::kSuper, 250000));
        ScriptedRandom rng;
        FixedClock clock(7);
        FigureChooser chooser(rng, clock);
        chooser.setDealer(&dealer);
        FigureQueue q;
        for (int i = 1; i <= 5; ++i) q.fillEntry(i, chooser);
        QCOMPARE(maskToString(q[1].Mask), QString::fromLatin1(masks::kBar));
        QCOMPARE(maskToString(q[5].Mask), QString::fromLatin1(masks::kTriple));
        q.Shift_Queue(chooser);
        QCOMPARE(maskToString(q[1].Mask), QString::fromLatin1(masks::kSquare));
        QCOMPARE(maskToString(q[4].Mask), QString::fromLatin1(masks::kTriple));
        QCOMPARE(maskToString(q[5].Mask), QString::fromLatin1(masks::kSuper));
        QCOMPARE(q[5].Bonus, Long(250000));
        QCOMPARE(q[5].IsTalomir, Integer(-1));
        QCOMPARE(rng.draws(), std::size_t(0));
        // The bonus figure travels with its record; the dealer being empty hands over to the
        // random chooser (second 7: fifteen discards, classic draw, bonus test).
        q.Shift_Queue(chooser);
        QCOMPARE(q[4].Bonus, Long(250000));
        QCOMPARE(q[5].IsTalomir, Integer(0));
        QCOMPARE(q[5].Bonus, Long(0));
        QCOMPARE(rng.draws(), std::size_t(17));
    }

    // The default generator stays inside [0, 1) and reaches every figure and palette index.
    void defaultRandomNeverReturnsOne() {
        DefaultRandom rng;
        DefaultRandom same;
        float lo = 1.0f, hi = 0.0f;
        double sum = 0;
        std::set<int> figures, palette;
        constexpr int kDraws = 2000000;
        for (int i = 0; i < kDraws; ++i) {
            const float r = rng.Rnd();
            if (i < 1000) QCOMPARE(same.Rnd(), r);  // one fixed seed at every start
            QVERIFY2(r >= 0.0f && r < 1.0f, qPrintable(QString::number(r, 'g', 10)));
            lo = std::min(lo, r);
            hi = std::max(hi, r);
            sum += r;
            figures.insert(static_cast<int>(std::floor(7.0f * r)));
            palette.insert(static_cast<int>(std::floor(15.0f * r)) + 1);
        }
        QVERIFY(hi < 1.0f);
        QVERIFY(lo < 0.001f && hi > 0.999f);
        QVERIFY(std::fabs(sum / kDraws - 0.5) < 0.01);
        QCOMPARE(figures, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(static_cast<int>(palette.size()), 15);
        QCOMPARE(*palette.begin(), 1);
        QCOMPARE(*palette.rbegin(), 15);
    }
};

QTEST_GUILESS_MAIN(TestFigures)
#include "test_figures.moc"
