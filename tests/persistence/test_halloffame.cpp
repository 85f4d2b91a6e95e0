// The hall of fame as players meet it on disk: what a game end writes, and how a table shared by
// several copies keeps every entry through locks, links, hostile files and other users; and the
// text conventions of the game's files.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cmath>
#include <limits>
#include <optional>

#include "persistence/halloffame.h"
#include "persistence/sharedlock.h"
#include "tests/support/files.h"
#include "tests/support/users.h"

using namespace talomir;
using Outcome = HallOfFame::AddOutcome;
using std::nullopt;
using testing::AsUser;
using testing::readBytes;
using testing::writeBytes;

namespace {

QByteArray tableBytes(const QList<QPair<QByteArray, int>>& entries) {
    QByteArray bytes;
    for (const auto& [name, score] : entries)
        bytes += name + "\r\n " + QByteArray::number(score) + " \r\n";
    return bytes;
}

// n entries p1..pn scoring 990, 980, ...
QByteArray ladder(int n) {
    QList<QPair<QByteArray, int>> entries;
    for (int i = 1; i <= n; ++i) entries.append({"p" + QByteArray::number(i), 1000 - 10 * i});
    return tableBytes(entries);
}

// Offers score; the name dialog answers name (cancelled when null) and runs whileOpen first.
Outcome add(HallOfFame& hof, int score, const QString& name = "Me",
            const std::function<void()>& whileOpen = {}, int* shown = nullptr) {
    return hof.Add_Record(score, [&](QString& result) {
        if (shown) ++*shown;
        if (whileOpen) whileOpen();
        result = name;
        return !name.isNull();
    });
}

// A lock file as a writer left it, ageSeconds old.
void leaveLock(const QString& path, const QByteArray& content, int ageSeconds) {
    writeBytes(path, content);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite) &&
            f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                          QFileDevice::FileModificationTime));
}

// A process number no system gives out: only the computer's name tells it from a dead one.
const QByteArray kOtherComputer = "999999998\ntalomir\nelsewhere\n";

}  // namespace

class TestHallOfFame : public QObject {
    Q_OBJECT

    QTemporaryDir* dir_ = nullptr;
    QString path_;

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7755)));
        const auto owner = testing::kPlayerA;
        QVERIFY(geteuid() != 0 || chown(QFile::encodeName(dir_->path()), owner, owner) == 0);
        path_ = dir_->filePath("TalomirFathers.txt");
    }
    void cleanup() {
        QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7777));
        delete dir_;
        textfile::simulateMissingCodec(false);
    }

    // One game end against the file before ("-": none), with the name given (null: cancelled):
    // the outcome, the file after, and lists that show what a fresh read of it shows.
    void gameEndWritesTheFile_data() {
        for (const char* c : {"before", "name", "score", "outcome", "after"})
            QTest::addColumn<QByteArray>(c);
        const auto row = [](const char* tag, const QByteArray& before, const char* name, int score,
                            Outcome outcome, const QByteArray& after) {
            QTest::newRow(tag) << before << QByteArray(name) << QByteArray::number(score)
                               << QByteArray::number(int(outcome)) << after;
        };
        const auto S = Outcome::Saved;
        const QByteArray ivan = "\xC8\xE2\xE0\xED\r\n 12345678 \r\nhalf\r\n 2.5 \r\n";
        row("first start, cancelled", "-", nullptr, 3, Outcome::Cancelled, "Zarno\r\n0\r\n");
        row("first start", "-", "Me", 3, S, tableBytes({{"Me", 3}, {"Zarno", 0}}));
        row("empty file", "", "Me", 500, S, tableBytes({{"Me", 500}}));
        row("CR alone ends a line", "A\r 50 \rB\r 30 \r", "Me", 40, S,
            tableBytes({{"A", 50}, {"Me", 40}, {"B", 30}}));
        row("mixed ends, hand order", "A\r\n 50 \rB\r\n0\r\nC\n\r\n 7 ", "Me", 10, S,
            "A\r\n 50 \r\nMe\r\n 10 \r\nB\r\n 0 \r\nC\n\r\n 7 \r\n");
        row("below equal scores", tableBytes({{"a", 70}, {"b", 30}, {"c", 20}}), "Me", 30, S,
            tableBytes({{"a", 70}, {"b", 30}, {"Me", 30}, {"c", 20}}));
        row("code page, extreme score", ivan, "Пётр", 2147483647, S,
            "\xCF\xB8\xF2\xF0\r\n 2147483647 \r\n" + ivan);
        row("a name that would split the entry", "", "x\r\ny\u4e2d", -5, S, "x  y?\r\n-5 \r\n");
        row("full, no place", ladder(99), "Me", 10, Outcome::NoPlace, ladder(99));
        row("full, entry 100 goes", ladder(99), "Me", 995, S, "Me\r\n 995 \r\n" + ladder(98));
        row("one place free", ladder(98), "Me", 995, S, "Me\r\n 995 \r\n" + ladder(98));
    }
    void gameEndWritesTheFile() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, outcome);
        QFETCH(QByteArray, after);
        if (before != "-") writeBytes(path_, before);
        HallOfFame hof(path_);
        hof.Load_Records();
        int shown = 0;
        const auto want = Outcome(outcome.toInt());
        QCOMPARE(add(hof, score.toInt(), name.isNull() ? QString() : QString::fromUtf8(name), {},
                     &shown),
                 want);
        QCOMPARE(std::pair(shown, hof.bCancelRecord),
                 std::pair(want == Outcome::NoPlace ? 0 : 1, want == Outcome::Cancelled));
        QCOMPARE(readBytes(path_), after);
        HallOfFame reread(path_);
        reread.Load_Records();
        const QStringList listed = hof.Fill_Table_List();
        QCOMPARE(listed, reread.Fill_Table_List());
        QVERIFY(listed.size() == hof.count() && (listed.isEmpty() || listed[0].startsWith("1. ")));
        QVERIFY(hof.Save_Records() && readBytes(path_) == after);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // Places from 10 on lose the blank; a name past the width keeps one before the score.
        QCOMPARE(HallOfFame::tableLine(10, "Name10", 990), "10.Name10         990");
        QCOMPARE(HallOfFame::tableLine(3, "ABCDEFGHIJKLMNOPQ", -2.5), "3. ABCDEFGHIJKLMNOPQ -2.5");
    }

    // A table in memory (no file) starts each game empty again.
    void aTableInMemoryStartsEachGameEmpty() {
        HallOfFame memory{QString()};
        memory.Load_Records();
        QCOMPARE(add(memory, 5), Outcome::Saved);
        memory.Load_Records();
        QCOMPARE(memory.count(), 0);
        QCOMPARE(add(memory, 5), Outcome::Saved);
        memory.Clear_Records();
        QVERIFY(memory.Fill_Table_List().isEmpty() && memory.count() == 0);
    }

    // Entries other copies stored meanwhile are merged, never overwritten; when they fill the
    // table above the score while the name is entered, the entry is reported as pushed out.
    void otherCopiesEntriesSurvive() {
        writeBytes(path_, tableBytes({{"A", 100}, {"Z", 10}}));
        HallOfFame hof(path_), other(path_);
        hof.Load_Records();
        other.Load_Records();
        QCOMPARE(add(other, 80), Outcome::Saved);
        QCOMPARE(add(hof, 70, "Me",
                     [this] {
                         HallOfFame third(path_);
                         third.Load_Records();
                         QCOMPARE(add(third, 70), Outcome::Saved);
                     }),
                 Outcome::Saved);
        QCOMPARE(readBytes(path_),
                 tableBytes({{"A", 100}, {"Me", 80}, {"Me", 70}, {"Me", 70}, {"Z", 10}}));
        writeBytes(path_, ladder(98));
        hof.Load_Records();
        QCOMPARE(add(hof, 1, "Me", [this] { writeBytes(path_, "g\r\n 999 \r\n" + ladder(98)); }),
                 Outcome::Displaced);
        QCOMPARE(std::pair(hof.displaced().size(), hof.unsavedCount()), std::pair(size_t(1), 0));
    }

    // Another copy holds the lock of the file the table's link leads to: the entry stays
    // unsaved, waits in the journal, and a later run stores it beside what was written meanwhile.
    void heldLockKeepsTheEntryForALaterRun() {
        writeBytes(path_, tableBytes({{"A", 100}}));
        const QString link = dir_->filePath("link.txt");
        QVERIFY(QFile::link(path_, link));
        RecordJournal journal(dir_->filePath("data"));
        QLockFile held(path_ + ".lock");
        QVERIFY(held.tryLock(0));
        {
            HallOfFame hof(link);
            hof.setJournal(&journal);
            hof.setLockTimeout(100);
            hof.Load_Records();
            QVERIFY(add(hof, 200) == Outcome::NotSaved &&
                    hof.lastError().contains(path_ + ".lock"));
            QVERIFY(hof.names() == QStringList({"Me", "A"}) && !hof.Save_Records());
            hof.Load_Records();  // the next game's, the lock still held: the entry is listed
            QCOMPARE(hof.names(), QStringList({"Me", "A"}));
        }
        writeBytes(path_, tableBytes({{"B", 300}, {"A", 100}}));
        held.unlock();
        // Entries of a running copy (this one) stay with it, and a start that finds nothing to
        // take waits on no lock; those of an ended copy are taken.
        filestore::Lock busy(journal.path() + ".lock");
        QVERIFY(busy.tryLock() == filestore::Lock::Attempt::Taken);
        HallOfFame running(link);
        running.setJournal(&journal);
        QVERIFY(running.unsavedCount() == 0 && journal.lastError().isEmpty());
        busy.unlock();
        QByteArray bytes = readBytes(journal.path());
        const QByteArray tag = "\r\n" + QByteArray::number(QCoreApplication::applicationPid());
        writeBytes(journal.path(), bytes.replace(tag + " ", "\r\n999999999 "));
        HallOfFame next(link);
        next.setJournal(&journal);
        next.Load_Records();
        QCOMPARE(readBytes(path_), tableBytes({{"B", 300}, {"Me", 200}, {"A", 100}}));
        QCOMPARE(readBytes(journal.path()), QByteArray());
    }

    // Locks left by killed writers or dead copies cost no entry and no wait; a fresh one of
    // another computer, or one without owner, is waited out with the caller's pause between
    // tries (which may stop the wait); one that can never be taken is reported at once. Nothing
    // of any of them is left beside the table.
    void locks_data() {
        QTest::addColumn<QByteArray>("kind");  // at the lock's place: file, folder or fifo
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("waits");
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        const QByteArray dead = "999999999\ntalomir\n" + host;
        const QByteArray holder = "\nfeedfacefeedface\n000000000007\n";
        const auto row = [](const char* tag, const char* kind, const QByteArray& content, int age,
                            bool stop, bool waits) {
            QTest::newRow(tag) << QByteArray(kind) << content << age << stop << waits;
        };
        row("older copy's, empty", "file", "", 3, false, false);
        row("older copy's, process gone", "file", dead, 0, false, false);
        row("older copy's, other computer, old", "file", kOtherComputer, 3600, false, false);
        row("older copy's, other computer, fresh", "file", kOtherComputer, 0, false, true);
        row("fresh, wait stopped", "file", kOtherComputer, 0, true, true);
        row("killed holder here", "folder", dead + '\n' + filestore::systemIdentity() + holder, 0,
            false, false);
        row("other computer's, not beating", "folder", kOtherComputer + "boot pid:[1]" + holder, 0,
            false, true);
        row("empty folder", "folder", "", 0, false, false);
        row("without owner, a copy inside", "folder", "part-1=C\r\n", 0, false, true);
        row("a FIFO", "fifo", "", 0, false, false);
    }
    void locks() {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, content);
        QFETCH(int, ageSeconds);
        QFETCH(bool, stop);
        QFETCH(bool, waits);
        const bool saved = kind != "fifo" && !stop;
        const QString lock = path_ + ".lock";
        writeBytes(path_, tableBytes({{"A", 100}}));
        if (kind == "file") leaveLock(lock, content, ageSeconds);
        if (kind == "folder") QVERIFY(QDir().mkdir(lock));
        if (kind == "folder" && !content.isEmpty())
            writeBytes(lock + '/' + (content.contains('=') ? content.split('=')[0] : "owner"),
                       content.contains('=') ? content.split('=')[1] : content);
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
        HallOfFame hof(path_);
        hof.setStaleLockAge(400);
        int pauses = 0;
        hof.setPause([&](int ms) { return ++pauses, QThread::msleep(ms), !stop; });
        hof.Load_Records();
        QElapsedTimer t;
        t.start();
        QCOMPARE(add(hof, 50), saved ? Outcome::Saved : Outcome::NotSaved);
        QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(pauses > 0, waits);
        QCOMPARE(readBytes(path_) == tableBytes({{"A", 100}, {"Me", 50}}), saved);
        if (saved)
            QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"TalomirFathers.txt"});
    }

    // A live holder beats: however long another copy watches it, the lock is not taken, and once
    // released it is. A holder whose lock was taken over meanwhile replaces nothing.
    void aLiveLockIsNeverTaken() {
        writeBytes(path_, tableBytes({{"A", 100}}));
        filestore::Lock holder(path_ + ".lock"), waiter(path_ + ".lock", 1500);
        QCOMPARE(holder.tryLock(), filestore::Lock::Attempt::Taken);
        QElapsedTimer t;
        for (t.start(); t.elapsed() < 2600; QThread::msleep(50))
            QCOMPARE(waiter.tryLock(), filestore::Lock::Attempt::Busy);
        QVERIFY(holder.stillHeld() && !holder.lost());
        holder.unlock();
        QCOMPARE(waiter.tryLock(), filestore::Lock::Attempt::Taken);
        // Another copy's owner file where this one's was: the lock is no longer this copy's.
        const QByteArray other =
            readBytes(path_ + ".lock/owner")
                .replace(readBytes(path_ + ".lock/owner").split('\n').value(4), "0123456789abcdef");
        writeBytes(path_ + ".lock/owner", other);
        const filestore::Contents basis = filestore::read(path_);
        filestore::SaveOptions options;
        options.lock = &waiter;
        options.basis = &basis;
        QString error;
        QCOMPARE(filestore::replace(path_, "B\r\n 1 \r\n", &error, options),
                 filestore::Replaced::Lost);
        // A table another writer replaced since it was read is not written over either.
        writeBytes(path_, tableBytes({{"C", 300}}));
        options.lock = nullptr;
        QCOMPARE(filestore::replace(path_, "B\r\n 1 \r\n", &error, options),
                 filestore::Replaced::Changed);
        QCOMPARE(readBytes(path_), tableBytes({{"C", 300}}));
    }

    // A table that a replace cut short (a client that deletes before it renames, a crash) is
    // rebuilt from the complete copies stopped writers left, never emptied; the partial ones and
    // the leftovers go.
    void aTableGoneIsRebuiltFromWhatIsLeft() {
        const QString aside = path_ + ".lock.stale-feedfacefeedface";
        QVERIFY(QDir().mkpath(aside));
        writeBytes(aside + "/new-1", tableBytes({{"A", 100}, {"B", 50}, {"B", 50}}));
        writeBytes(aside + "/part-1", "C\r\n 70 \r\n");
        writeBytes(path_ + ".tmp2x", tableBytes({{"A", 100}, {"Z", 70}, {"B", 50}}));
        writeBytes(path_ + ".tmp3y", "C\r\n 7");
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(readBytes(path_), tableBytes({{"A", 100}, {"Z", 70}, {"B", 50}, {"B", 50}}));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"TalomirFathers.txt"});
    }

    // Nothing but a table (or nothing) at the table's path is ever replaced: the game plays on
    // with the entry unsaved, and whatever is there stays as it was.
    void whatIsNotATableIsLeftAlone_data() {
        QTest::addColumn<QString>("kind");      // how it stands at the table's path
        QTest::addColumn<QByteArray>("bytes");  // what it holds
        const QByteArray junk = "# ~/.profile\r\nexport PATH=$HOME/bin:$PATH\r\n";
        QTest::newRow("junk") << "file" << junk;
        QTest::newRow("link to a player's file") << "link" << junk;
        QTest::newRow("one line") << "file" << QByteArray("setting=1\r\n");
        QTest::newRow("too large") << "file" << tableBytes({{"A", 1}}).repeated(150000);
        QTest::newRow("no codec") << "codec" << tableBytes({{"A", 1}});
        QTest::newRow("FIFO") << "fifo" << QByteArray();
        QTest::newRow("folder") << "folder" << QByteArray();
        QTest::newRow("dangling link") << "link" << QByteArray();
        QTest::newRow("missing folder") << "gone" << QByteArray();
        QTest::newRow("read-only file") << "0444" << tableBytes({{"A", 1}});
        QTest::newRow("read-only folder") << "folder0555" << tableBytes({{"A", 1}});
    }
    void whatIsNotATableIsLeftAlone() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        AsUser player;  // permissions bind root too
        if (!player.ok()) QSKIP("needs to play an unprivileged user");
        const QString target = kind == "link" ? dir_->filePath("target") : path_;
        if (!bytes.isEmpty()) writeBytes(target, bytes);
        if (kind == "link") QVERIFY(QFile::link(target, path_));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path_).constData(), 0600), 0);
        if (kind == "folder") QVERIFY(QDir().mkdir(path_));
        if (kind == "0444") QVERIFY(QFile::setPermissions(path_, QFileDevice::ReadOwner));
        if (kind == "folder0555")
            QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x5555)));
        textfile::simulateMissingCodec(kind == "codec");
        HallOfFame hof(kind == "gone" ? dir_->filePath("no/TalomirFathers.txt") : path_);
        hof.Load_Records();
        QCOMPARE(add(hof, 30), Outcome::NotSaved);
        QVERIFY(!hof.lastError().isEmpty() && hof.names().contains("Me"));
        QVERIFY(!hof.Save_Records() && !hof.Save_Records());
        textfile::simulateMissingCodec(false);
        if (!bytes.isEmpty()) QCOMPARE(readBytes(target), bytes);
        // Once the table can be written, the next start stores the entry.
        if (kind == "0444" || kind == "folder0555") {
            QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7755)));
            QVERIFY(QFile::setPermissions(path_, QFileDevice::Permissions(0x6644)));
            hof.Load_Records();
            QCOMPARE(readBytes(path_), tableBytes({{"Me", 30}, {"A", 1}}));
        }
        const QStringList leftovers{"*.tmp*", "*.lock", "*.backup", "no"};
        QCOMPARE(QDir(dir_->path()).entryList(leftovers, QDir::Hidden | QDir::AllEntries), {});
    }

    // Two users share a sticky folder both may write: the table one creates is writable by the
    // other, whose save cannot rename over it and rewrites it in place; a lock the other's
    // killed copy left, which may not be removed, is reported at once.
    void twoUsersShareOneTableInAStickyFolder() {
        const QString shared = dir_->filePath("shared"), table = shared + "/TalomirFathers.txt";
        QVERIFY(QDir().mkdir(shared));
        QCOMPARE(chmod(QFile::encodeName(shared).constData(), 01777), 0);
        {
            AsUser a(testing::kPlayerA);
            if (!a.ok()) QSKIP("needs root to play two users");
            HallOfFame(table).Load_Records();
            QVERIFY(QFileInfo(table).permissions().testFlags(QFileDevice::WriteOther |
                                                             QFileDevice::WriteGroup));
        }
        {
            AsUser b(testing::kPlayerB);
            HallOfFame hof(table);
            hof.Load_Records();
            QCOMPARE(add(hof, 50), Outcome::Saved);
            leaveLock(table + ".lock",
                      "999999999\ntalomir\n" + QSysInfo::machineHostName().toUtf8(), 0);
        }
        AsUser a(testing::kPlayerA);
        HallOfFame hof(table);
        hof.Load_Records();
        QElapsedTimer t;
        t.start();
        QCOMPARE(add(hof, 70), Outcome::NotSaved);
        QVERIFY(t.elapsed() < 1500 && !QFile::exists(table + ".backup"));
        QVERIFY2(hof.lastError().contains(table + ".lock"), qPrintable(hof.lastError()));
        QCOMPARE(readBytes(table), tableBytes({{"Me", 50}, {"Zarno", 0}}));
    }

    // An in-place rewrite cut short by a crash: its complete backup copy is put back first,
    // also where the table is gone.
    void interruptedInPlaceRewriteIsRecovered() {
        const auto backup = [this](const QByteArray& table) {
            writeBytes(path_ + ".backup",
                       "#talomir-backup\r\n" + table + "#talomir-backup-complete\r\n");
        };
        writeBytes(path_, "A\r\n 100 \r\nB\r\n 5");
        backup(tableBytes({{"A", 100}, {"B", 90}}));
        HallOfFame hof(path_);
        QCOMPARE(add(hof, 95), Outcome::Saved);
        QCOMPARE(readBytes(path_), tableBytes({{"A", 100}, {"Me", 95}, {"B", 90}}));
        QVERIFY(!QFile::exists(path_ + ".backup"));
        QFile::remove(path_);
        backup(tableBytes({{"A", 100}}));
        hof.Load_Records();
        QCOMPARE(std::pair(hof.names(), readBytes(path_)),
                 std::pair(QStringList{"A"}, tableBytes({{"A", 100}})));
    }

    // The mount that holds a folder, and the mounts on which a shared table cannot be kept safe.
    void mountsOfFolders() {
        const QByteArray info =
            "22 1 0:21 / / rw,relatime - ext4 /dev/vda rw\n"
            "40 22 0:40 / /mnt/my\\040share rw shared:1 - cifs //srv/games rw,cache=strict\n"
            "41 22 0:41 / /net/home rw,nocto - nfs4 srv:/home rw,vers=4.2\n"
            "42 22 0:42 / /net rw - nfs srv:/export rw,nocto\n"
            "43 22 0:43 / /net/ok rw - nfs srv:/ok rw\n";
        const struct {
            const char* folder;
            const char* type;
            const char* source;
            bool problem;
        } rows[] = {{"/home/p/game", "ext4", "/dev/vda", false},
                    {"/mnt/my share/t", "cifs", "//srv/games", false},
                    {"/mnt/my sharex", "ext4", "/dev/vda", false},
                    {"/net/home/x", "nfs4", "srv:/home", true},
                    {"/net/other", "nfs", "srv:/export", true},
                    {"/net/ok", "nfs", "srv:/ok", false}};
        for (const auto& r : rows) {
            const filestore::Mount m = filestore::mountOf(r.folder, info);
            QCOMPARE(m.type + ' ' + m.source, QString(r.type) + ' ' + r.source);
            QVERIFY2(filestore::sharingProblem(m).isEmpty() != r.problem, r.folder);
        }
    }

    // The text conventions of the game's files: numbers, Booleans, lines, the code page, and
    // the safe replacement of a file.
    void printedNumbersReadBack() {
        const std::pair<double, const char*> rows[] = {{1234.0, " 1234 "}, {-0.0, " 0 "},
                                                       {-5.0, "-5 "},      {2.5, " 2.5 "},
                                                       {1e20, " 1e+20 "},  {std::nan(""), " 0 "}};
        for (const auto& [value, printed] : rows) {
            QCOMPARE(textfile::printNumber(value), QString::fromLatin1(printed));
            QCOMPARE(textfile::plainNumber(value), QString::fromLatin1(printed).trimmed());
        }
        QCOMPARE(textfile::printInteger(std::numeric_limits<std::int32_t>::min()),
                 QStringLiteral("-2147483648 "));
        for (double v :
             {-1.0, 1.0 / 3.0, 1.5e15, -7.25e-5, 4e-320, std::numeric_limits<double>::max()}) {
            const QString printed = textfile::printNumber(v);
            QCOMPARE(textfile::lenientNumber(printed), v);
            QCOMPARE(textfile::strictNumber(printed), std::optional<double>(v));
        }
        // The file never receives something unreadable, even for an infinity.
        QCOMPARE(textfile::lenientNumber(textfile::printNumber(-INFINITY)),
                 -std::numeric_limits<double>::max());
    }

    // Lenient reading takes the leading number (0 when there is none); strict reading wants the
    // whole line to be one number.
    void readingNumbers() {
        const double max = std::numeric_limits<double>::max();
        const struct {
            const char* text;
            double lenient;
            std::optional<double> strict;
        } rows[] = {{"-2500 ", -2500, -2500},  {" 120 ", 120, 120},
                    {".5", 0.5, 0.5},          {"12,5", 12, 12.5},
                    {"12abc", 12, nullopt},    {"1.2.3", 1.2, nullopt},
                    {"1.5e3x", 1500, nullopt}, {"1D2", 100, 100},
                    {"1e", 1, nullopt},        {" \t\n 42", 42, nullopt},
                    {"abc", 0, nullopt},       {"", 0, nullopt},
                    {"e5", 0, nullopt},        {"1e400", max, nullopt},
                    {"1e-400", 0, 0},          {"1e99999999999999999999", max, nullopt}};
        for (const auto& r : rows) {
            const QString text = QString::fromLatin1(r.text);
            QVERIFY2(textfile::lenientNumber(text) == r.lenient, r.text);
            QVERIFY2(textfile::strictNumber(text) == r.strict, r.text);
        }
        // A view cut from a longer text reads only itself.
        QCOMPARE(textfile::lenientNumber(QStringView(u"123").left(2)), 12.0);
        QCOMPARE(textfile::lenientNumber(QStringView(u"1e23").left(3)), 100.0);
    }

    void booleansAndIntegers() {
        const std::pair<const char*, std::optional<bool>> booleans[] = {
            {"TRUE", true}, {"#False#", false}, {" 0 ", false},
            {"", nullopt},  {"12abc", nullopt}, {"#TRUE", nullopt}};
        for (const auto& [text, want] : booleans)
            QVERIFY2(textfile::readBoolean(QString::fromLatin1(text)) == want, text);
        using I16 = std::optional<std::int16_t>;
        const std::pair<double, I16> rounding[] = {
            {2.5, 2},      {3.5, 4},           {-2.5, -2},     {32767.4, 32767},
            {32767.5, {}}, {-32768.5, -32768}, {-32769.0, {}}, {INFINITY, {}}};
        for (const auto& [v, want] : rounding) QCOMPARE(textfile::roundToInt16(v), want);
        for (double v : {2147483647.4, -2147483648.4, 2147483647.5})  // the last one too large
            QCOMPARE(textfile::roundToInt32(v).has_value(), v < 2147483647.5);
        const std::pair<const char*, I16> reading[] = {
            {"abc", 0}, {"3.5 ", 4}, {"1000xyz", 1000}, {"40000", {}}};
        for (const auto& [text, want] : reading)
            QCOMPARE(textfile::readInteger16(QString::fromLatin1(text)), want);
    }

    void linesAndCodePage() {
        const std::pair<const char*, QStringList> rows[] = {
            {"a\r\nb\r\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}},         {"a\nb\n", {"a\nb\n"}},
            {"a\n\r\nb", {"a\n", "b"}}, {"a\r\n\nb\r\n", {"a", "\nb"}}, {"\r\n\r\n", {"", ""}}};
        for (const auto& [text, lines] : rows)
            QCOMPARE(textfile::splitLines(QString::fromLatin1(text)), lines);
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        QCOMPARE(textfile::decode(all).size(), 256);
        QCOMPARE(textfile::encode(textfile::decode(all)), all);
        // Characters outside the code page become one "?" each, never the SUB byte.
        QCOMPARE(textfile::encode(QString::fromUtf8("a\u4e2db\U0001F600c")), QByteArray("a?b?c"));
        QCOMPARE(textfile::encodeLines({"Zarno", ""}), QByteArray("Zarno\r\n\r\n"));
    }

    // A replaced file keeps its permissions and leaves nothing beside it.
    void replacingAFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        QVERIFY(textfile::writeLines(path, {"a", " 1 "}));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6640)));
        QVERIFY(textfile::writeLines(path, {"new"}));
        QCOMPARE(textfile::readLines(path).lines, QStringList{"new"});
        // Owner, group and other bits are the file's mode; the "user" bits say what the reader
        // (root, here) may do.
        QCOMPARE(int(QFileInfo(path).permissions() & 0x7077), 0x6040);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.txt"});
        // A file that changed since it was read stays, and the reason says so.
        const filestore::Contents read{filestore::Found::File, "other", {}};
        filestore::SaveOptions options;
        options.basis = &read;
        QString error;
        QCOMPARE(filestore::replace(path, "x", &error, options), filestore::Replaced::Changed);
        QVERIFY(!error.isEmpty() && textfile::readLines(path).lines == QStringList{"new"});
    }
};

QTEST_GUILESS_MAIN(TestHallOfFame)
#include "test_halloffame.moc"
