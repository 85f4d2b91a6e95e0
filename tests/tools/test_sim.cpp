// Whole scripted games through the headless simulator, against transcripts worked out by hand
// from the rules; and the simulator's answers to bad input.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSim = QStringLiteral(TALOMIR_BIN_DIR "/talomir-sim");
const QString kData = QStringLiteral(TALOMIR_SOURCE_DIR "/tests/tools/data/");

struct Run {
    QString out, err;
    int code = -1;
};

Run runSim(const QStringList& args, const QByteArray& input) {
    QProcess p;
    p.start(kSim, args);
    Run r;
    if (!p.waitForStarted()) return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) p.kill();
    p.waitForFinished();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QByteArray readData(const QString& name) {
    QFile f(kData + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "missing data file " + name.toUtf8();
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("file.txt"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(content);
    return path;
}

}  // namespace

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kSim), qPrintable(kSim)); }

    // table: a hall of fame to rank against, written to a scratch folder since the game over
    // writes it back.
    void transcripts_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("games");
        QTest::addColumn<QByteArray>("table");
        QTest::newRow("five triples remove a row") << "rows" << 1 << QByteArray();
        QTest::newRow("stacked bars end the game") << "gameover" << 1 << QByteArray();
        QTest::newRow("esc pauses ticks and keys") << "pause" << 1 << QByteArray();
        QTest::newRow("level 1, then a new game") << "levels" << 2 << QByteArray();
        QTest::newRow("first next figure a bonus figure") << "firstbonus" << 1 << QByteArray();
        QTest::newRow("bonus figures and places")
            << "bonus" << 1
            << QByteArray("Ada\r\n 5000 \r\nBo\r\n 300 \r\nCy\r\n 200 \r\nDi\r\n 100 \r\n");
    }
    void transcripts() {
        QFETCH(QString, script);
        QFETCH(int, games);
        QFETCH(QByteArray, table);
        QTemporaryDir dir;
        QStringList args{"--second",  "17",
                         "--games",   QString::number(games),
                         "--figures", kData + script + ".figures"};
        if (!table.isEmpty()) args << "--table" << writeFile(dir, table);
        const Run r = runSim(args, readData(script + ".in"));
        QCOMPARE(r.err, QString());
        const QStringList got = r.out.split(u'\n');
        const QStringList want = QString::fromUtf8(readData(script + ".out")).split(u'\n');
        for (int i = 0; i < std::min(got.size(), want.size()); ++i)
            if (got[i] != want[i])
                QFAIL(qPrintable(QStringLiteral("line %1: got '%2', want '%3'")
                                     .arg(i + 1)
                                     .arg(got[i], want[i])));
        QCOMPARE(got.size(), want.size());
        QCOMPARE(r.code, 0);
    }

    // Bad options, figure files and commands: one message naming the option, file line or
    // command line, status 2, and the output written before it kept.
    void badInput_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("figures");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QByteArray bars("0000111100000000\n"), none;
        QTest::newRow("second 60") << QStringList{"--second", "60"} << none << none << ""
                                   << "--second";
        QTest::newRow("no value") << QStringList{"--second"} << none << none << ""
                                  << "needs a value";
        QTest::newRow("unknown option") << QStringList{"--speed"} << none << none << ""
                                        << "--speed";
        QTest::newRow("no games") << QStringList{"--games", "0"} << none << none << ""
                                  << "--games";
        QTest::newRow("record without table") << QStringList{"--record", "A"} << none << none << ""
                                              << "--record needs --table";
        QTest::newRow("missing figures")
            << QStringList{"--figures", kData + "none"} << none << none << ""
            << "none: cannot be read";
        QTest::newRow("bad character") << QStringList{} << bars + "000011110000000x\n"
                                       << none << ""
                                       << ":2: bad figure line '000011110000000x'";
        QTest::newRow("too short") << QStringList{} << QByteArray("\n00001111\n") << none << ""
                                   << ":2: bad figure line '00001111'";
        QTest::newRow("negative bonus")
            << QStringList{} << QByteArray("0000111100000000 -5\n") << none << ""
            << ":1: bad figure line '0000111100000000 -5'";
        QTest::newRow("three fields")
            << QStringList{} << QByteArray("0000111100000000 5 5\n") << none << ""
            << ":1: bad figure line '0000111100000000 5 5'";
        QTest::newRow("unknown command")
            << QStringList{} << bars << QByteArray("tick 3\njump\ntick 1\n") << ""
            << ": line 2: unknown command: 'jump'\n";
        QTest::newRow("comments count")
            << QStringList{} << bars << QByteArray("# a comment\n\n  tick zz  \n") << ""
            << ": line 3: bad tick count: 'tick zz'\n";
        QTest::newRow("negative count") << QStringList{} << bars << QByteArray("tick -4\n") << ""
                                        << ": line 1: bad tick count: 'tick -4'\n";
        QTest::newRow("two numbers") << QStringList{} << bars << QByteArray("tick 1 2\n") << ""
                                     << ": line 1: tick takes one number: 'tick 1 2'\n";
        QTest::newRow("argument to a key") << QStringList{} << bars << QByteArray("left 3\n") << ""
                                           << ": line 1: unexpected argument: 'left 3'\n";
        QTest::newRow("after a landing") << QStringList{} << bars.repeated(6)
                                         << QByteArray("drop\ntick 28\nfly\nshow\n") << "1. +204\n"
                                         << ": line 3: unknown command: 'fly'\n";
    }
    void badInput() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, figures);
        QFETCH(QByteArray, input);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        if (!figures.isEmpty())
            args << "--second"
                 << "0"
                 << "--figures" << writeFile(dir, figures);
        const Run r = runSim(args, input.isEmpty() ? QByteArray("tick 1\n") : input);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, out);
        QVERIFY2(r.err.startsWith("talomir-sim") && r.err.contains(err), qPrintable(r.err));
        if (!figures.isEmpty()) QCOMPARE(r.err.count(u'\n'), 1);
    }

    void helpExitsZero() {
        const Run r = runSim({QStringLiteral("--help")}, {});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("usage: talomir-sim")));
        QCOMPARE(r.err, QString());
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
