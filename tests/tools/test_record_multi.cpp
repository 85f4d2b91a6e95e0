// Several copies of the game share one hall-of-fame file (one shared copy of the program started
// from several computers). Eight headless games that finish at the same moment must all leave
// their entries in the file: every entry that earned a place is there once, in order, and the
// file stays well-formed.
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "scoring/textfile.h"

namespace {

constexpr int kGames = 8;
constexpr int kStartMs = 10000;   // per process
constexpr int kFinishMs = 60000;  // per process
constexpr int kMaxEntries = 99;

QString simulator() {
    return QStringLiteral(TALOMIR_BIN_DIR "/talomir-sim");
}

// The commands of game i: before every drop it waits 5·i ticks, so each landing earns 5·i
// points of time bonus less than game 0's and the final scores all differ.
QByteArray script(int i) {
    QByteArray s;
    for (int k = 0; k < 60; ++k) {
        if (i > 0) s += "tick " + QByteArray::number(5 * i) + "\n";
        s += "drop\ntick 40\n";
    }
    return s;
}

QString playerName(int i) {
    // One name outside ASCII: it must reach the file in the code page.
    return i == 3 ? QStringLiteral("Игрок") : QStringLiteral("NAME%1").arg(i);
}

struct Entry {
    QString name;
    long score;
};

// The score from the simulator's last line, "GAME OVER 1234"; -1 when there is none.
long finalScore(const QByteArray& out) {
    static const QRegularExpression over(QStringLiteral("GAME OVER (-?\\d+)\\s*$"));
    const QRegularExpressionMatch m = over.match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toLong() : -1;
}

// Runs the processes side by side, each with its own arguments and input; all are started
// before any gets its commands, so their games end together. whileRunning runs once every
// process has its commands. Returns their outputs; empty when one failed (with the reason in
// why).
std::vector<QByteArray> runTogether(const std::vector<QStringList>& args,
                                    const std::vector<QByteArray>& input, QString& why,
                                    const std::function<void()>& whileRunning = {}) {
    std::vector<std::unique_ptr<QProcess>> procs;
    for (const QStringList& a : args) {
        auto p = std::make_unique<QProcess>();
        p->setProgram(simulator());
        p->setArguments(a);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start();
        procs.push_back(std::move(p));
    }
    bool ok = true;
    for (auto& p : procs) {
        if (!p->waitForStarted(kStartMs)) {
            why = QStringLiteral("not started: ") + p->errorString();
            ok = false;
        }
    }
    for (std::size_t i = 0; ok && i < procs.size(); ++i) {
        procs[i]->write(input[i]);
        procs[i]->closeWriteChannel();
    }
    if (ok && whileRunning) whileRunning();
    std::vector<QByteArray> outputs;
    for (auto& p : procs) {
        if (ok && !p->waitForFinished(kFinishMs)) {
            why = QStringLiteral("no end within %1 ms").arg(kFinishMs);
            ok = false;
        }
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(kStartMs);
        }
        if (ok && (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)) {
            why = QStringLiteral("exit %1: %2")
                      .arg(p->exitCode())
                      .arg(QString::fromUtf8(p->readAllStandardError()));
            ok = false;
        }
        outputs.push_back(p->readAllStandardOutput());
    }
    if (!ok) outputs.clear();
    return outputs;
}

}  // namespace

class TestRecordMulti : public QObject {
    Q_OBJECT

private slots:
    void eightGamesEndingTogetherKeepEveryEntry() {
        QVERIFY2(QFile::exists(simulator()), qPrintable(simulator()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Upright bars, all in one column: each game ends at its seventh landing.
        const QString figures = dir.filePath(QStringLiteral("bars.txt"));
        {
            QFile f(figures);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int k = 0; k < 40; ++k) f.write("0000111100000000\n");
        }
        std::vector<QByteArray> input;
        for (int i = 0; i < kGames; ++i) input.push_back(script(i));

        // What each game scores, played alone without a table.
        std::vector<QStringList> args;
        for (int i = 0; i < kGames; ++i)
            args.push_back({QStringLiteral("--second"), QString::number(i),
                            QStringLiteral("--figures"), figures});
        QString why;
        std::vector<QByteArray> out = runTogether(args, input, why);
        QVERIFY2(!out.empty(), qPrintable(why));
        std::vector<long> scores;
        for (int i = 0; i < kGames; ++i) {
            scores.push_back(finalScore(out[i]));
            QVERIFY2(scores.back() > 0, out[i].constData());
        }
        std::vector<long> sorted = scores;
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        QVERIFY2(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(),
                 "the games must score differently");
        QVERIFY(sorted[5] - sorted[6] > 2 && sorted[6] - sorted[7] > 2);

        // A table of 95 entries: 60 above every game, 33 between the six best games, 2 below
        // all of them. With the eight new entries the two lowest games and the two lowest old
        // entries fall out of the 99 places.
        std::vector<Entry> table;
        for (int k = 60; k >= 1; --k)
            table.push_back({QStringLiteral("Top%1").arg(k), sorted[0] + 10 * k});
        for (int k = 0; k < 33; ++k) {
            const int gap = k % 5;  // between sorted[gap] and sorted[gap + 1]
            const long lo = sorted[gap + 1], hi = sorted[gap];
            table.push_back({QStringLiteral("Mid%1").arg(k), lo + 1 + (k / 5) % (hi - lo - 1)});
        }
        table.push_back({QStringLiteral("Low1"), 2});
        table.push_back({QStringLiteral("Low0"), 1});
        std::stable_sort(table.begin(), table.end(),
                         [](const Entry& a, const Entry& b) { return a.score > b.score; });
        QStringList lines;
        for (const Entry& e : table) lines << e.name << talomir::textfile::printInteger(e.score);
        const QString path = dir.filePath(QStringLiteral("TalomirFathers.txt"));
        QVERIFY(talomir::textfile::writeLines(path, lines));

        // The expected end: the 99 best of old and new. Equal scores keep the old entry first,
        // as a new score goes below its equals.
        std::vector<Entry> expected = table;
        for (int i = 0; i < kGames; ++i) expected.push_back({playerName(i), scores[i]});
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Entry& a, const Entry& b) { return a.score > b.score; });
        expected.resize(kMaxEntries);

        args.clear();
        for (int i = 0; i < kGames; ++i)
            args.push_back({QStringLiteral("--second"), QString::number(i),
                            QStringLiteral("--figures"), figures, QStringLiteral("--table"), path,
                            QStringLiteral("--record"), playerName(i)});
        // The table's lock is held, as by another copy in the middle of its write, while the
        // games end: each has read the table and taken its name by the time it waits for the
        // lock, and then they all write at once. Every write must merge what the others wrote
        // meanwhile. (A slow machine on which a game reaches the lock only after it is free
        // makes the race milder, never the test flaky.)
        QLockFile lock(path + QStringLiteral(".lock"));
        QVERIFY(lock.tryLock(0));
        out = runTogether(args, input, why, [&lock] {
            QTest::qWait(50);
            lock.unlock();
        });
        if (lock.isLocked()) lock.unlock();
        QVERIFY2(!out.empty(), qPrintable(why));
        for (int i = 0; i < kGames; ++i)
            QCOMPARE(finalScore(out[i]), scores[i]);  // the table does not change the game

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        // Well-formed: CR LF after every line and no other line break.
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count('\n'));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        // The one Cyrillic name is in Windows-1251: "Игрок" is C8 E3 F0 EE EA.
        QVERIFY(bytes.contains(QByteArray("\r\n\xC8\xE3\xF0\xEE\xEA\r\n")));
        const QStringList read = talomir::textfile::splitLines(talomir::textfile::decode(bytes));
        QCOMPARE(read.size() % 2, 0);
        QCOMPARE(read.size() / 2, kMaxEntries);
        static const QRegularExpression scoreLine(QStringLiteral("^ \\d+ $"));
        for (int k = 0; k < read.size() / 2; ++k) {
            const QString& name = read[2 * k];
            const QString& score = read[2 * k + 1];
            QVERIFY2(scoreLine.match(score).hasMatch(), qPrintable(score));
            QCOMPARE(name, expected[std::size_t(k)].name);
            QCOMPARE(score.trimmed().toLong(), expected[std::size_t(k)].score);
        }
        // Each name exactly once; the two lowest games and the two lowest old entries are gone.
        for (int i = 0; i < kGames; ++i) {
            const bool placed = scores[i] > sorted[6];
            QCOMPARE(read.count(playerName(i)), placed ? 1 : 0);
        }
        QVERIFY(!read.contains(QStringLiteral("Low0")) && !read.contains(QStringLiteral("Low1")));
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));  // every copy let go of the lock
    }
};

QTEST_GUILESS_MAIN(TestRecordMulti)
#include "test_record_multi.moc"
