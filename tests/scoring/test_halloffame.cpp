#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "scoring/halloffame.h"
#include "tests/support/files.h"
#include "tests/support/users.h"

using namespace talomir;
using Outcome = HallOfFame::AddOutcome;
using testing::AsUser;
using testing::readBytes;
using testing::writeBytes;

namespace {

// A table file of the given entries, as the game writes it.
QByteArray tableBytes(const QList<QPair<QByteArray, int>>& entries) {
    QByteArray bytes;
    for (const auto& [name, score] : entries)
        bytes += name + "\r\n " + QByteArray::number(score) + " \r\n";
    return bytes;
}

// The name dialog: confirms the given name and counts how often it was shown.
struct Asker {
    explicit Asker(QString n, bool c = true) : name(std::move(n)), confirm(c) {}
    QString name;
    bool confirm = true;
    int shown = 0;
    std::function<void()> whileOpen;  // what happens elsewhere while the dialog is open
    std::function<bool(QString&)> fn() {
        return [this](QString& result) {
            ++shown;
            if (whileOpen) whileOpen();
            result = name;
            return confirm;
        };
    }
};

std::vector<double> scoresOf(std::initializer_list<double> s) {
    return std::vector<double>(s);
}

// A lock file as a writer leaves it: content (empty for one killed right after creating it) and
// an age.
void leaveLock(const QString& path, const QByteArray& content, int ageSeconds) {
    writeBytes(path, content);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                          QFileDevice::FileModificationTime));
}

}  // namespace

class TestHallOfFame : public QObject {
    Q_OBJECT

    QTemporaryDir* dir_ = nullptr;
    QString path_;

    // Saves an entry against the table as it is, returning the outcome and the time it took.
    Outcome addOne(HallOfFame& hof, int score, qint64* ms = nullptr) {
        Asker ask{"Me"};
        QElapsedTimer t;
        t.start();
        const Outcome o = hof.Add_Record(score, ask.fn());
        if (ms) *ms = t.elapsed();
        return o;
    }

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(dir_->isValid());
        QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7755)));
        if (geteuid() == 0)
            QCOMPARE(chown(QFile::encodeName(dir_->path()).constData(), testing::kPlayerA,
                           testing::kPlayerA),
                     0);
        path_ = dir_->filePath("TalomirFathers.txt");
    }

    void cleanup() {
        // Give back any permission a test took away, so the folder can be removed.
        QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7777));
        if (QFileInfo(path_).isFile())
            QFile::setPermissions(path_, QFileDevice::Permissions(0x6600));
        delete dir_;
        textfile::simulateMissingCodec(false);
    }

    void firstStartCreatesDefaultFileThatLaterStartsLeaveAlone() {
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(readBytes(path_), QByteArray("Zarno\r\n0\r\n"));
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Missing);
        QCOMPARE(hof.Fill_Table_List(), QStringList{"1. Zarno          0"});
        QVERIFY(!QFile::exists(path_ + ".lock"));
        // A later start whose game's name dialog is cancelled leaves the file as it is.
        HallOfFame again(path_);
        again.Load_Records();
        Asker cancel{"Ivan", false};
        QCOMPARE(again.Add_Record(3, cancel.fn()), Outcome::Cancelled);
        QVERIFY(again.bCancelRecord);
        QVERIFY(again.Save_Records());
        QCOMPARE(readBytes(path_), QByteArray("Zarno\r\n0\r\n"));
        QCOMPARE(addOne(again, 3), Outcome::Saved);
        QVERIFY(!again.bCancelRecord);

        // An empty file is an empty table, not replaced by the default.
        writeBytes(path_, "");
        hof.Load_Records();
        QCOMPARE(hof.count(), 0);
        QCOMPARE(readBytes(path_), QByteArray());
        QCOMPARE(addOne(hof, 500), Outcome::Saved);
        QCOMPARE(readBytes(path_), QByteArray("Me\r\n 500 \r\n"));
    }

    void lineEndsAndHandEditedFiles() {
        writeBytes(path_, "A\r 50 \rB\r 30 \r");  // CR alone ends a line
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.names(), (QStringList{"A", "B"}));
        QCOMPARE(hof.scores(), scoresOf({50, 30}));

        // Mixed ends and a hand-edited order: the new entry goes before the first entry below it.
        writeBytes(path_, "A\r\n 50 \rB\r\n0\r\nC\n\r\n 7 ");
        hof.Load_Records();
        QCOMPARE(addOne(hof, 10), Outcome::Saved);
        QCOMPARE(readBytes(path_),
                 QByteArray("A\r\n 50 \r\nMe\r\n 10 \r\nB\r\n 0 \r\nC\n\r\n 7 \r\n"));

        // A last name line without its score line is shown with 0.
        writeBytes(path_, "A\r\n 50 \r\nSolo");
        hof.Load_Records();
        QCOMPARE(hof.names(), (QStringList{"A", "Solo"}));
        QCOMPARE(hof.scores(), scoresOf({50, 0}));
    }

    void placesEqualScoresAndTheFullTable() {
        writeBytes(path_,
                   tableBytes({{"a", 70}, {"b", 60}, {"c", 50}, {"d", 40}, {"e", 30}, {"f", 20}}));
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(addOne(hof, 30), Outcome::Saved);  // below the equal entry 5
        QCOMPARE(hof.Fill_Table_List().at(5), QStringLiteral("6. Me             30"));

        QList<QPair<QByteArray, int>> entries;
        for (int i = 1; i <= 99; ++i) entries.append({"p" + QByteArray::number(i), 1000 - 10 * i});
        writeBytes(path_, tableBytes(entries));  // scores 990 down to 10
        hof.Load_Records();
        Asker ask{"x"};
        QCOMPARE(hof.Add_Record(10, ask.fn()), Outcome::NoPlace);
        QCOMPARE(ask.shown, 0);
        QCOMPARE(readBytes(path_), tableBytes(entries));
        QCOMPARE(hof.Add_Record(995, ask.fn()), Outcome::Saved);  // entry 100 goes
        QCOMPARE(hof.count(), 99);
        QCOMPARE(hof.names().last(), QStringLiteral("p98"));

        entries.removeLast();  // one place free: a score of 0 still gets it
        writeBytes(path_, tableBytes(entries));
        hof.Load_Records();
        QCOMPARE(hof.Add_Record(0, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.names().last(), QStringLiteral("x"));
    }

    void tableLines() {
        const struct {
            int place;
            const char* name;
            double score;
            const char* line;
        } rows[] = {{9, "Name9", 991, "9. Name9          991"},
                    {10, "Name10", 990, "10.Name10         990"},
                    {99, "Z", 12.5, "99.Z              12.5"},
                    {3, "Neg", -5, "3. Neg            -5"},
                    {1, "ABCDEFGHIJKLMNOPQ", 5, "1. ABCDEFGHIJKLMNOPQ 5"}};  // a blank stays
        for (const auto& r : rows)
            QCOMPARE(HallOfFame::tableLine(r.place, r.name, r.score), QString::fromLatin1(r.line));
    }

    void scoresAndNamesKeepTheirValue() {
        const QByteArray original = tableBytes({{"\xC8\xE2\xE0\xED", 12345678},  // Иван
                                                {"\xA8\xEB\xEA\xE0 \xB9\x35", 1234567}})  // Ёлка №5
                                    + "half\r\n 2.5 \r\n";
        writeBytes(path_, original);
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.names().at(1), QString::fromUtf8("Ёлка №5"));
        Asker ask{QString::fromUtf8("Пётр")};
        QCOMPARE(hof.Add_Record(2147483647, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), "\xCF\xB8\xF2\xF0\r\n 2147483647 \r\n" + original);
        QCOMPARE(addOne(hof, 2), Outcome::Saved);
        // A line break would split the entry; a character outside the code page has no byte.
        ask.name = QString::fromUtf8("x\r\ny\u4e2d");
        QCOMPARE(hof.Add_Record(1999999, ask.fn()), Outcome::Saved);
        HallOfFame reread(path_);
        reread.Load_Records();
        QCOMPARE(reread.scores(), scoresOf({2147483647, 12345678, 1999999, 1234567, 2.5, 2}));
        QCOMPARE(reread.names().at(2), QStringLiteral("x  y?"));
        QCOMPARE(hof.names(), reread.names());
    }

    // Entries other copies of the game saved meanwhile are merged, never overwritten.
    void otherCopiesEntriesSurvive() {
        writeBytes(path_, tableBytes({{"A", 100}, {"Z", 10}}));
        HallOfFame hof(path_);
        hof.Load_Records();
        HallOfFame other(path_);
        other.Load_Records();
        QCOMPARE(addOne(other, 80), Outcome::Saved);
        Asker ask{"Me"};
        ask.whileOpen = [this] {
            HallOfFame third(path_);
            third.Load_Records();
            QCOMPARE(addOne(third, 70), Outcome::Saved);
        };
        QCOMPARE(hof.Add_Record(70, ask.fn()), Outcome::Saved);
        const QByteArray merged =
            tableBytes({{"A", 100}, {"Me", 80}, {"Me", 70}, {"Me", 70}, {"Z", 10}});
        QCOMPARE(readBytes(path_), merged);
        QVERIFY(hof.Save_Records());
        QCOMPARE(readBytes(path_), merged);

        // The table filled with better entries while the name dialog was open.
        QList<QPair<QByteArray, int>> full;
        for (int i = 0; i < 98; ++i) full.append({"f", 500});
        writeBytes(path_, tableBytes(full));
        hof.Load_Records();
        ask.whileOpen = [this, &full] {
            full.append({"g", 600});
            writeBytes(path_, tableBytes(full));
        };
        QCOMPARE(hof.Add_Record(1, ask.fn()), Outcome::Displaced);
        QCOMPARE(hof.displaced().size(), std::size_t(1));
        QCOMPARE(hof.unsavedCount(), 0);
    }

    // Another copy holds the lock of the file the table's link leads to: the entry is kept as
    // unsaved, waits in the journal after this run, and a later run stores it, merged with what
    // the lock holder wrote meanwhile.
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
            QCOMPARE(addOne(hof, 200), Outcome::NotSaved);
            QVERIFY(hof.lastError().contains(path_ + ".lock"));
            QCOMPARE(hof.names(), (QStringList{"Me", "A"}));
            QVERIFY(!hof.Save_Records());  // right after the failure: no second wait
        }
        writeBytes(path_, tableBytes({{"B", 300}, {"A", 100}}));
        held.unlock();
        // Entries of a running copy (this one) stay with it; those of an ended copy are taken.
        HallOfFame running(link);
        running.setJournal(&journal);
        QCOMPARE(running.unsavedCount(), 0);
        QByteArray bytes = readBytes(journal.path());
        const QByteArray tag =
            "\r\n" + QByteArray::number(QCoreApplication::applicationPid()) + " ";
        writeBytes(journal.path(), bytes.replace(tag, "\r\n999999999 "));
        HallOfFame next(link);
        next.setJournal(&journal);
        next.Load_Records();
        QCOMPARE(readBytes(path_), tableBytes({{"B", 300}, {"Me", 200}, {"A", 100}}));
        QCOMPARE(readBytes(journal.path()), QByteArray());
    }

    // Locks that writers killed or copies on other computers left behind cost no entry, and a
    // lock that can never be taken is reported at once instead of waited on.
    void abandonedAndBrokenLocks_data() {
        QTest::addColumn<QByteArray>("content");  // "dir" for a folder at the lock's place
        QTest::addColumn<int>("ageSeconds");
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        QTest::newRow("empty, killed before writing") << QByteArray() << 3;
        QTest::newRow("dead process here") << "999999999\ntalomir\n" + host + "\n" << 0;
        QTest::newRow("other computer, old") << QByteArray("42\ntalomir\nelsewhere\n") << 3600;
        QTest::newRow("a folder") << QByteArray("dir") << 0;
    }
    void abandonedAndBrokenLocks() {
        QFETCH(QByteArray, content);
        QFETCH(int, ageSeconds);
        const bool saved = content != "dir";
        writeBytes(path_, tableBytes({{"A", 100}}));
        if (content == "dir")
            QVERIFY(QDir().mkdir(path_ + ".lock"));
        else
            leaveLock(path_ + ".lock", content, ageSeconds);
        HallOfFame hof(path_);
        hof.Load_Records();
        qint64 ms = 0;
        QCOMPARE(addOne(hof, 50, &ms), saved ? Outcome::Saved : Outcome::NotSaved);
        QVERIFY2(ms < 1500, qPrintable(QString::number(ms)));
        QCOMPARE(readBytes(path_) == tableBytes({{"A", 100}, {"Me", 50}}), saved);
    }

    // A fresh lock of another computer is waited out, with the caller's pause between tries; a
    // pause that says stop ends the wait at once.
    void waitOutlastsAStaleLockAndCanBeStopped() {
        writeBytes(path_, tableBytes({{"A", 100}}));
        leaveLock(path_ + ".lock", "42\ntalomir\nelsewhere\n", 0);
        HallOfFame hof(path_);
        hof.setStaleLockAge(400);
        int pauses = 0;
        hof.setPause([&pauses](int ms) {
            ++pauses;
            QThread::msleep(ms);
            return true;
        });
        hof.Load_Records();
        QCOMPARE(addOne(hof, 50), Outcome::Saved);
        QVERIFY(pauses > 3);

        leaveLock(path_ + ".lock", "42\ntalomir\nelsewhere\n", 0);
        hof.setPause([](int) { return false; });
        qint64 ms = 0;
        QCOMPARE(addOne(hof, 40, &ms), Outcome::NotSaved);
        QVERIFY(ms < 300);
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
    }
    void whatIsNotATableIsLeftAlone() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        const QString target = kind == "link" ? dir_->filePath("target") : path_;
        if (!bytes.isEmpty()) writeBytes(target, bytes);
        if (kind == "link") QVERIFY(QFile::link(target, path_));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path_).constData(), 0600), 0);
        if (kind == "folder") QVERIFY(QDir().mkdir(path_));
        textfile::simulateMissingCodec(kind == "codec");
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(addOne(hof, 30), Outcome::NotSaved);
        QVERIFY(!hof.lastError().isEmpty());
        QVERIFY(hof.names().contains("Me"));
        QVERIFY(!hof.Save_Records() && !hof.Save_Records());
        textfile::simulateMissingCodec(false);
        if (!bytes.isEmpty()) QCOMPARE(readBytes(target), bytes);
        QCOMPARE(QDir(dir_->path())
                     .entryList({"*.tmp*", "*.lock", "*.backup"}, QDir::Hidden | QDir::AllEntries),
                 QStringList());
    }

    void unwritableFolderOrFileKeepsTheOldTableAndRetries() {
        AsUser player;
        if (!player.ok()) QSKIP("needs to play an unprivileged user");
        const QByteArray original = tableBytes({{"A", 100}});
        writeBytes(path_, original);
        HallOfFame hof(path_);
        hof.Load_Records();
        QVERIFY(QFile::setPermissions(path_, QFileDevice::Permissions(0x4444)));
        QCOMPARE(addOne(hof, 200), Outcome::NotSaved);
        QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x5555)));
        QVERIFY(QFile::setPermissions(path_, QFileDevice::Permissions(0x6644)));
        QVERIFY(!hof.Save_Records() && !hof.Save_Records());
        QCOMPARE(hof.names(), (QStringList{"Me", "A"}));
        QCOMPARE(readBytes(path_), original);
        QVERIFY(QFile::setPermissions(dir_->path(), QFileDevice::Permissions(0x7755)));
        hof.Clear_Records();
        hof.Load_Records();  // the next game's start stores it
        QCOMPARE(hof.unsavedCount(), 0);
        QCOMPARE(readBytes(path_), tableBytes({{"Me", 200}, {"A", 100}}));
    }

    // Two users share a folder that both may write, sticky as /tmp: the table one of them creates
    // is writable by the other, whose save cannot rename over it and rewrites it in place.
    void twoUsersShareOneTableInAStickyFolder() {
        const QString shared = dir_->filePath("shared");
        QVERIFY(QDir().mkdir(shared));
        QCOMPARE(chmod(QFile::encodeName(shared).constData(), 01777), 0);
        const QString table = shared + "/TalomirFathers.txt";
        {
            AsUser a(testing::kPlayerA);
            if (!a.ok()) QSKIP("needs root to play two users");
            HallOfFame hof(table);
            hof.Load_Records();
            QVERIFY(QFileInfo(table).permissions().testFlags(QFileDevice::WriteOther |
                                                             QFileDevice::WriteGroup));
        }
        {
            AsUser b(testing::kPlayerB);
            HallOfFame hof(table);
            hof.Load_Records();
            QCOMPARE(addOne(hof, 50), Outcome::Saved);
            // A lock that B's killed copy left cannot be removed by A: reported at once.
            leaveLock(table + ".lock",
                      "999999999\ntalomir\n" + QSysInfo::machineHostName().toUtf8(), 0);
        }
        AsUser a(testing::kPlayerA);
        HallOfFame hof(table);
        hof.Load_Records();
        qint64 ms = 0;
        QCOMPARE(addOne(hof, 70, &ms), Outcome::NotSaved);
        QVERIFY(ms < 1500);
        QVERIFY2(hof.lastError().contains(table + ".lock"), qPrintable(hof.lastError()));
        QCOMPARE(readBytes(table), tableBytes({{"Me", 50}, {"Zarno", 0}}));
        QVERIFY(!QFile::exists(table + ".backup"));
    }

    // An in-place rewrite cut short by a crash: its complete backup copy is put back first.
    void interruptedInPlaceRewriteIsRecovered() {
        writeBytes(path_, "A\r\n 100 \r\nB\r\n 5");
        writeBytes(path_ + ".backup", "#talomir-backup\r\n" + tableBytes({{"A", 100}, {"B", 90}}) +
                                          "#talomir-backup-complete\r\n");
        HallOfFame hof(path_);
        QCOMPARE(addOne(hof, 95), Outcome::Saved);
        QCOMPARE(readBytes(path_), tableBytes({{"A", 100}, {"Me", 95}, {"B", 90}}));
        QVERIFY(!QFile::exists(path_ + ".backup"));
    }

    void missingFolderAndMemoryOnlyTable() {
        HallOfFame hof(dir_->filePath("no/such/TalomirFathers.txt"));
        hof.Load_Records();
        QCOMPARE(hof.names(), QStringList{"Zarno"});  // played against in memory
        QCOMPARE(addOne(hof, 10), Outcome::NotSaved);
        QVERIFY(!QDir(dir_->filePath("no")).exists());

        HallOfFame memory;
        memory.Load_Records();
        QCOMPARE(addOne(memory, 700), Outcome::Saved);
        QCOMPARE(addOne(memory, 900), Outcome::Saved);
        QCOMPARE(memory.scores(), scoresOf({900, 700}));
        memory.Load_Records();
        QCOMPARE(memory.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHallOfFame)
#include "test_halloffame.moc"
