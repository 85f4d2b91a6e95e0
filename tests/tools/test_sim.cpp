// Whole scripted games through the headless simulator, against transcripts worked out by hand
// from the rules; and the simulator's answers to bad input.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/files.h"

namespace {

const QString kData = QStringLiteral(TALOMIR_SOURCE_DIR "/tests/tools/data/");

struct Run {
    QString out, err;
    int code = -1;
};

Run runSim(const QStringList& args, const QByteArray& input) {
    QProcess p;
    p.start(QStringLiteral(TALOMIR_BIN_DIR "/talomir-sim"), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) p.kill();
    p.waitForFinished();
    const bool exited =
        p.exitStatus() == QProcess::NormalExit && p.error() != QProcess::FailedToStart;
    return {QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError()), exited ? p.exitCode() : -1};
}

QByteArray readData(const QString& name) {
    QFile f(kData + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "missing data file " + name.toUtf8();
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("file.txt"));
    return talomir::testing::writeBytes(path, content), path;
}

}  // namespace

class TestSim : public QObject {
    Q_OBJECT

private slots:
    // A script's .table, when there is one, is the hall of fame to rank against, copied to a
    // scratch folder since the game over writes it back.
    void transcripts_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("games");
        QTest::newRow("five triples remove a row") << "rows" << 1;
        QTest::newRow("stacked bars end the game") << "gameover" << 1;
        QTest::newRow("esc pauses ticks and keys") << "pause" << 1;
        QTest::newRow("level 1, then a new game") << "levels" << 2;
        QTest::newRow("first next figure a bonus figure") << "firstbonus" << 1;
        QTest::newRow("bonus figures and places, then a new game") << "bonus" << 2;
        QTest::newRow("equal and near scores in the table") << "ranking" << 1;
        QTest::newRow("a full table") << "fulltable" << 1;
        QTest::newRow("walls, floor, margins and settled cells") << "walls" << 1;
    }
    void transcripts() {
        QFETCH(QString, script);
        QFETCH(int, games);
        QTemporaryDir dir;
        QStringList args{"--second",  "17",
                         "--games",   QString::number(games),
                         "--figures", kData + script + ".figures"};
        if (QFile::exists(kData + script + ".table"))
            args << "--table" << writeFile(dir, readData(script + ".table"));
        const Run r = runSim(args, readData(script + ".in"));
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.split(u'\n'), QString::fromUtf8(readData(script + ".out")).split(u'\n'));
        QCOMPARE(r.code, 0);
    }

    // Bad options, figure files and commands: one message naming the option, file line or
    // command line, status 2, and the output written before it kept.
    void badInput() {
        const struct {
            const char *args, *figures, *input, *out, *err;
        } rows[] = {
            {"--second 60", "", "", "", "--second wants"},
            {"", "000011110000000x", "", "", ":1: bad figure line '000011110000000x'"},
            {"", "", "# a comment\n\n  tick zz  ", "", ": line 3: bad tick count: 'tick zz'\n"},
            {"", "", "drop\ntick 28\nfly\nshow", "1. +204\n",
             ": line 3: unknown command: 'fly'\n"}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            QStringList options = QString(row.args).split(u' ', Qt::SkipEmptyParts);
            const QByteArray figures = *row.figures ? row.figures : "0000111100000000";
            if (options.isEmpty())
                options +=
                    {"--second", "0", "--figures", writeFile(dir, (figures + '\n').repeated(6))};
            const Run r = runSim(options, QByteArray(*row.input ? row.input : "tick 1") + '\n');
            QCOMPARE(std::pair(r.code, r.out), std::pair(2, QString(row.out)));
            QVERIFY2(r.err.startsWith("talomir-sim") && r.err.contains(row.err), qPrintable(r.err));
            QVERIFY(!options.contains("0") || r.err.count(u'\n') == 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
