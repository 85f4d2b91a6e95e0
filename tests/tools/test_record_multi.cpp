// Copies of the game sharing one hall-of-fame file end their games together, a random third of
// them killed with SIGKILL at random moments: every entry reported stored is in the table, the
// table is always whole, and no writer waits out an abandoned lock. TALOMIR_CRASH_WRITERS sets the
// number of writers (200 for the full run; `make test` runs a short one).
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "persistence/filestore.h"
#include "persistence/halloffame.h"
#include "tests/support/files.h"

using talomir::testing::readBytes;
using talomir::testing::writeBytes;

namespace {

const QString simulator = QStringLiteral(TALOMIR_BIN_DIR "/talomir-sim");

// Whole: pairs of a name and a printed number, CR LF after every line and no other break.
bool whole(const QByteArray& bytes) {
    static const QRegularExpression pairs(QStringLiteral("^([^\\r\\n]*\\r\\n[ -]\\d+ \\r\\n)*$"));
    return pairs.match(QString::fromLatin1(bytes)).hasMatch();
}

}  // namespace

class TestRecordMulti : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // One game by the simulator, offered to table under name; prefix: a program it runs under.
    std::unique_ptr<QProcess> start(const QString& table, const QString& name,
                                    QStringList prefix = {}) {
        auto p = std::make_unique<QProcess>();
        prefix += {simulator, "--second", "0",        "--figures", dir_.filePath("bars.txt"),
                   "--table", table,      "--record", name};
        p->start(prefix.takeFirst(), prefix);
        p->write(QByteArray("drop\ntick 40\n").repeated(60));
        p->closeWriteChannel();
        return p;
    }

private slots:
    // Upright bars in one column: every game ends at its seventh landing with one score.
    void initTestCase() {
        writeBytes(dir_.filePath("bars.txt"), QByteArray("0000111100000000\n").repeated(40));
    }

    void writersKilledAtRandomLoseNoStoredEntry() {
        const int writers = qEnvironmentVariableIntValue("TALOMIR_CRASH_WRITERS") ?: 24;
        const QString table = dir_.filePath("TalomirFathers.txt");
        writeBytes(table, "");
        // One writer alone first: how long a writer lives here, so that kills fall within lives.
        QElapsedTimer clock;
        clock.start();
        auto alone = start(table, "W-1");
        QVERIFY(alone->waitForFinished(60000));
        const int life = int(clock.elapsed()) * 2;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        std::vector<std::unique_ptr<QProcess>> procs;
        std::vector<qint64> killAt, started, ended(writers, 0);  // ms on the clock
        clock.restart();
        for (int i = 0; i < writers; ++i) {
            started.push_back(clock.elapsed());
            procs.push_back(start(table, QStringLiteral("W%1").arg(i)));
            killAt.push_back(random.bounded(3) == 0 ? clock.elapsed() + random.bounded(life)
                                                    : -1);  // -1: lives
        }
        for (int running = writers; running > 0; QTest::qWait(2)) {
            QVERIFY(clock.elapsed() < 240000);
            QVERIFY2(whole(readBytes(table)), "the table was seen torn");
            // A writer to be killed that holds the lock is killed at once, mid-write.
            const qint64 holder =
                readBytes(table + ".lock/owner").split('\n').value(0).toLongLong();
            running = 0;
            for (int i = 0; i < writers; ++i) {
                if (procs[i]->state() == QProcess::NotRunning) {
                    ended[i] = ended[i] ?: clock.elapsed();
                    continue;
                }
                ++running;
                if (killAt[i] >= 0 &&
                    (clock.elapsed() >= killAt[i] || procs[i]->processId() == holder))
                    ::kill(pid_t(procs[i]->processId()), SIGKILL);
            }
        }
        talomir::HallOfFame hof(table);
        hof.Load_Records();
        int stored = 0;
        for (int i = 0; i < writers; ++i) {
            QProcess& p = *procs[i];
            p.waitForFinished(1000);
            if (p.exitStatus() != QProcess::NormalExit) continue;  // killed
            // Stored, or no place left in the full table, or pushed out by equal scores stored
            // while this writer waited: the table holds its entry exactly when it said stored.
            const QString err = QString::fromUtf8(p.readAllStandardError());
            const bool saved = err.contains("entry stored");
            QVERIFY2(saved || err.contains("no place") || err.contains("pushed out"),
                     qPrintable(err));
            QCOMPARE(p.exitCode(), err.contains("pushed out") ? 1 : 0);
            QCOMPARE(hof.names().count(QStringLiteral("W%1").arg(i)), saved ? 1 : 0);
            stored += saved;
            // No writer waited out a lock: one left by a killed writer is judged at once (its
            // process is gone) or after 2 s (empty), never after the stale age.
            QVERIFY(ended[i] - started[i] < talomir::filestore::Lock::kStaleMs);
        }
        QVERIFY(stored > 0);
        QVERIFY(hof.count() <= talomir::HallOfFame::kMaxEntries);
    }

    // --record says on standard error when the entry could not be stored, and exits 1.
    void anEntryNotStoredIsReported() {
        const QString junk = dir_.filePath("junk.txt");
        writeBytes(junk, "not\r\na table\r\n");
        auto p = start(junk, "Me");
        QVERIFY(p->waitForFinished(60000) && p->exitCode() == 1);
        QVERIFY(QString::fromUtf8(p->readAllStandardError()).contains("entry not stored"));
        QCOMPARE(readBytes(junk), QByteArray("not\r\na table\r\n"));
    }

    // After the rename that stores an entry, the folder is synced: a power loss keeps it.
    void theFolderIsSyncedAfterTheRename() {
        if (QStandardPaths::findExecutable("strace").isEmpty()) QSKIP("strace is not installed");
        const QString folder = QFileInfo(dir_.path()).canonicalFilePath();
        const QString log = dir_.filePath("strace.log");
        auto p =
            start(folder + "/synced.txt", "Me",
                  {"strace", "-f", "-y", "-e", "trace=rename,renameat,renameat2,fsync", "-o", log});
        QVERIFY(p->waitForFinished(60000));
        if (p->exitCode() != 0) QSKIP("strace cannot trace here");
        const QString trace = QString::fromUtf8(readBytes(log));
        const qsizetype renamed = trace.lastIndexOf("synced.txt\"");
        QVERIFY2(renamed > 0, qPrintable(trace));
        QVERIFY2(trace.indexOf(QRegularExpression("fsync\\(\\d+<" +
                                                  QRegularExpression::escape(folder) + ">\\)"),
                               renamed) > 0,
                 qPrintable(trace));
    }
};

QTEST_GUILESS_MAIN(TestRecordMulti)
#include "test_record_multi.moc"
