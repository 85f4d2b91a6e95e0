// The headless simulator as a program: transcripts of small scripted games worked out from the
// rules, and its answers to bad input.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSim = QStringLiteral(TALOMIR_BIN_DIR "/talomir-sim");
const QString kData = QStringLiteral(TALOMIR_SOURCE_DIR "/tests/tools/data/");

struct Run {
    QString out;
    QString err;
    int code = -1;
};

Run runSim(const QStringList& args, const QByteArray& input) {
    QProcess p;
    p.start(kSim, args);
    Run r;
    if (!p.waitForStarted()) {
        r.err = QStringLiteral("cannot start ") + kSim;
        return r;
    }
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QByteArray readData(const QString& name) {
    QFile f(kData + name);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("missing data file ") + name.toUtf8();
    return f.readAll();
}

// Compares line by line so a failure names the first differing line.
void compareTranscript(const QString& actual, const QString& expected) {
    const QStringList a = actual.split(u'\n');
    const QStringList e = expected.split(u'\n');
    for (int i = 0; i < std::min(a.size(), e.size()); ++i)
        if (a[i] != e[i])
            QFAIL(qPrintable(
                QStringLiteral("line %1: got '%2', want '%3'").arg(i + 1).arg(a[i], e[i])));
    QCOMPARE(a.size(), e.size());
}

}  // namespace

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kSim), qPrintable(kSim)); }

    void helpExitsZero() {
        const Run r = runSim({QStringLiteral("--help")}, {});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("usage: talomir-sim")));
        QCOMPARE(r.err, QString());
    }

    // Scripted games against transcripts worked out by hand.
    void transcripts_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("figures");
        QTest::newRow("five triples remove a row") << "rows"
                                                   << "triples.figures";
        QTest::newRow("stacked bars end the game") << "gameover"
                                                   << "bars.figures";
        QTest::newRow("esc pauses ticks and keys") << "pause"
                                                   << "bars.figures";
    }
    void transcripts() {
        QFETCH(QString, script);
        QFETCH(QString, figures);
        const Run r =
            runSim({"--second", "17", "--figures", kData + figures}, readData(script + ".in"));
        QCOMPARE(r.err, QString());
        compareTranscript(r.out, QString::fromUtf8(readData(script + ".out")));
        QCOMPARE(r.code, 0);
    }

    // Bad commands: one message on stderr naming the line, exit 2, output so far kept.
    void badCommands_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("unknown command") << QByteArray("tick 3\njump\ntick 1\n") << ""
                                         << "talomir-sim: line 2: unknown command: 'jump'\n";
        QTest::newRow("comments and blank lines count")
            << QByteArray("# a comment\n\n  tick zz  \n") << ""
            << "talomir-sim: line 3: bad tick count: 'tick zz'\n";
        QTest::newRow("negative count") << QByteArray("tick -4\n") << ""
                                        << "talomir-sim: line 1: bad tick count: 'tick -4'\n";
        QTest::newRow("huge count") << QByteArray("tick 99999999999999999999\n") << ""
                                    << "talomir-sim: line 1: bad tick count: "
                                       "'tick 99999999999999999999'\n";
        QTest::newRow("two numbers") << QByteArray("tick 1 2\n") << ""
                                     << "talomir-sim: line 1: tick takes one number: 'tick 1 2'\n";
        QTest::newRow("argument to a key")
            << QByteArray("left 3\n") << ""
            << "talomir-sim: line 1: unexpected argument: 'left 3'\n";
        QTest::newRow("after a landing") << QByteArray("drop\ntick 28\nfly\nshow\n") << "1. +204\n"
                                         << "talomir-sim: line 3: unknown command: 'fly'\n";
    }
    void badCommands() {
        QFETCH(QByteArray, input);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = runSim({"--second", "0", "--figures", kData + "bars.figures"}, input);
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, out);
        QCOMPARE(r.code, 2);
    }

    // A bad figures file stops before the game: one message naming file and line, exit 2.
    void badFiguresFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("bad character")
            << QByteArray("0000111100000000\n000011110000000x\n") << 2 << "000011110000000x";
        QTest::newRow("too short") << QByteArray("\n00001111\n") << 2 << "00001111";
        QTest::newRow("negative bonus")
            << QByteArray("0000111100000000 -5\n") << 1 << "0000111100000000 -5";
        QTest::newRow("bonus not a number")
            << QByteArray("0000111100000000 lots\n") << 1 << "0000111100000000 lots";
        QTest::newRow("three fields")
            << QByteArray("0000111100000000 5 5\n") << 1 << "0000111100000000 5 5";
    }
    void badFiguresFile() {
        QFETCH(QByteArray, content);
        QFETCH(int, line);
        QFETCH(QString, text);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("figures.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const Run r = runSim({"--second", "0", "--figures", path}, "tick 1\n");
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err.count(u'\n'), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("talomir-sim: %1:%2: bad figure line '%3'")
                                      .arg(path)
                                      .arg(line)
                                      .arg(text)),
                 qPrintable(r.err));
    }

    void missingFiguresFile() {
        const Run r = runSim({"--figures", kData + "no-such.figures"}, "tick 1\n");
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.contains(QStringLiteral("no-such.figures: cannot be read")));
        QCOMPARE(r.err.count(u'\n'), 1);
    }

    void badOptions() {
        for (const QStringList& args : {QStringList{"--second", "60"}, QStringList{"--second", "x"},
                                        QStringList{"--second"}, QStringList{"--speed"}}) {
            const Run r = runSim(args, "tick 1\n");
            QCOMPARE(r.code, 2);
            QCOMPARE(r.out, QString());
            QVERIFY(r.err.startsWith(QStringLiteral("talomir-sim: ")));
        }
    }

    // The first next figure is a bonus figure: announced on screen, but the game's log is
    // cleared after it, so the transcript holds no line for it either.
    void firstNextBonusFigureLeavesNoLine() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "0000111100000000\n0000111100000000 40005\n0000111100000000\n"
            "0000111100000000\n0000111100000000\n0000111100000000\n");
        f.close();
        const Run r = runSim({"--second", "0", "--figures", path}, "labels\ndrop\ntick 28\n");
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("lblScore: ---"));
        QVERIFY(lines.contains(QStringLiteral("lblFirma: Talomir-фигурка Bonus 4000")));
        QCOMPARE(lines.filter(QStringLiteral("...Talomir")).size(), 0);
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("1. +204"));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
