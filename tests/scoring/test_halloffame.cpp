#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include "scoring/halloffame.h"
#include "tests/support/files.h"

using namespace talomir;
using Outcome = HallOfFame::AddOutcome;

namespace {

using testing::readBytes;
using testing::writeBytes;

// A table file of the given entries, as the game writes it.
QByteArray tableBytes(const QList<QPair<QByteArray, int>>& entries) {
    QByteArray bytes;
    for (const auto& [name, score] : entries) {
        bytes += name + "\r\n " + QByteArray::number(score) + " \r\n";
    }
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

bool runningAsRoot() {
    return geteuid() == 0;
}

std::vector<double> scoresOf(std::initializer_list<double> s) {
    return std::vector<double>(s);
}

}  // namespace

class TestHallOfFame : public QObject {
    Q_OBJECT

    QTemporaryDir* dir_ = nullptr;
    QString path_;

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(dir_->isValid());
        path_ = dir_->filePath("TalomirFathers.txt");
    }

    void cleanup() {
        // Give back any permission a test took away, so the folder can be removed.
        QFile::setPermissions(
            dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (QFileInfo(path_).isFile())
            QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        delete dir_;
        dir_ = nullptr;
    }

    void firstStartCreatesDefaultFile() {
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(readBytes(path_), QByteArray("Zarno\r\n0\r\n"));
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Missing);
        QCOMPARE(hof.Fill_Table_List(), QStringList{"1. Zarno          0"});
        QVERIFY(!QFile::exists(hof.lockPath()));

        // A second start reads the same file and leaves it as it is.
        HallOfFame again(path_);
        again.Load_Records();
        QCOMPARE(again.loadStatus(), textfile::ReadStatus::Read);
        QVERIFY(again.Save_Records());
        QCOMPARE(readBytes(path_), QByteArray("Zarno\r\n0\r\n"));
    }

    void emptyFileGivesEmptyTable() {
        writeBytes(path_, "");
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Read);
        QCOMPARE(hof.count(), 0);
        QVERIFY(hof.Fill_Table_List().isEmpty());
        QCOMPARE(readBytes(path_), QByteArray());  // an empty table is not replaced by the default

        Asker ask{"Ivan"};
        QCOMPARE(hof.Add_Record(500, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), QByteArray("Ivan\r\n 500 \r\n"));
    }

    void lineEnds() {
        // CR alone ends a line.
        writeBytes(path_, "A\r 50 \rB\r 30 \r");
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.names(), (QStringList{"A", "B"}));
        QCOMPARE(hof.scores(), scoresOf({50, 30}));

        // A lone LF belongs to its line: the whole file is one name, and nothing rewrites it.
        const QByteArray lfOnly("A\n 50 \nB\n 30 \n");
        writeBytes(path_, lfOnly);
        hof.Load_Records();
        QCOMPARE(hof.names(), QStringList{QString::fromLatin1(lfOnly)});
        QCOMPARE(hof.scores(), scoresOf({0}));
        QVERIFY(hof.Save_Records());
        QCOMPARE(readBytes(path_), lfOnly);

        // Mixed ends, and a score line with no number reads as 0.
        writeBytes(path_, "A\r\n 50 \rB\r\nnone\r\nC\n\r\n 7 ");
        hof.Load_Records();
        Asker ask{"D"};
        QCOMPARE(hof.Add_Record(10, ask.fn()), Outcome::Saved);
        // The hand-edited order is kept; the new entry goes before the first entry below it.
        QCOMPARE(readBytes(path_),
                 QByteArray("A\r\n 50 \r\nD\r\n 10 \r\nB\r\n 0 \r\nC\n\r\n 7 \r\n"));

        // A last name line without its score line keeps its entry.
        writeBytes(path_, "A\r\n 50 \r\nSolo");
        hof.Load_Records();
        QCOMPARE(hof.names(), (QStringList{"A", "Solo"}));
        QCOMPARE(hof.scores(), scoresOf({50, 0}));
    }

    void cyrillicNamesRoundTripByteForByte() {
        const QByteArray original = tableBytes({{"\xC8\xE2\xE0\xED", 900},             // Иван
                                                {"\xA8\xEB\xEA\xE0 \xB9\x35", 300}});  // Ёлка №5
        writeBytes(path_, original);
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.names(),
                 (QStringList{QString::fromUtf8("Иван"), QString::fromUtf8("Ёлка №5")}));
        Asker ask{QString::fromUtf8("Пётр")};
        QCOMPARE(hof.Add_Record(100, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), original + "\xCF\xB8\xF2\xF0\r\n 100 \r\n");
        QCOMPARE(hof.names().last(), QString::fromUtf8("Пётр"));
    }

    void equalScoreGoesBelow() {
        // Entry 5 has 30; an equal score becomes entry 6.
        writeBytes(
            path_,
            tableBytes(
                {{"a", 70}, {"b", 60}, {"c", 50}, {"d", 40}, {"e", 30}, {"f", 20}, {"g", 10}}));
        HallOfFame hof(path_);
        hof.Load_Records();
        Asker ask{"new"};
        QCOMPARE(hof.Add_Record(30, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.names().indexOf("new"), 5);
        QCOMPARE(hof.Fill_Table_List().at(5), QStringLiteral("6. new            30"));
    }

    void fullTable() {
        QList<QPair<QByteArray, int>> entries;
        for (int i = 1; i <= 99; ++i) entries.append({"p" + QByteArray::number(i), 1000 - 10 * i});
        writeBytes(path_, tableBytes(entries));  // scores 990 down to 10
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.count(), 99);

        // Not above the last entry: no name is asked and nothing changes.
        Asker ask{"x"};
        QCOMPARE(hof.Add_Record(10, ask.fn()), Outcome::NoPlace);
        QCOMPARE(hof.Add_Record(0, ask.fn()), Outcome::NoPlace);
        QCOMPARE(ask.shown, 0);
        QCOMPARE(readBytes(path_), tableBytes(entries));

        // Above it: the new entry takes its place and entry 100 disappears.
        QCOMPARE(hof.Add_Record(995, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.count(), 99);
        QCOMPARE(hof.names().last(), QStringLiteral("p98"));
        HallOfFame reread(path_);
        reread.Load_Records();
        QCOMPARE(reread.names(), hof.names());

        // One place free: a score of 0 still gets the last place.
        entries.removeLast();
        writeBytes(path_, tableBytes(entries));
        hof.Load_Records();
        QCOMPARE(hof.Add_Record(0, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.count(), 99);
        QCOMPARE(hof.names().last(), QStringLiteral("x"));
    }

    void cancelStoresNothing() {
        // A file as the game first creates it: nothing normalises it when no entry is added.
        writeBytes(path_, "Zarno\r\n0\r\nOlga\r\n5\r\n");
        HallOfFame hof(path_);
        hof.Load_Records();
        Asker ask{"Ivan", false};
        QCOMPARE(hof.Add_Record(3, ask.fn()), Outcome::Cancelled);
        QCOMPARE(ask.shown, 1);
        QVERIFY(hof.bCancelRecord);
        QCOMPARE(hof.names(), (QStringList{"Zarno", "Olga"}));
        QCOMPARE(hof.unsavedCount(), 0);
        QVERIFY(hof.Save_Records());
        QCOMPARE(readBytes(path_), QByteArray("Zarno\r\n0\r\nOlga\r\n5\r\n"));

        // A confirmed dialog clears the flag again.
        ask.confirm = true;
        QCOMPARE(hof.Add_Record(3, ask.fn()), Outcome::Saved);
        QVERIFY(!hof.bCancelRecord);
    }

    void tableLines() {
        QList<QPair<QByteArray, int>> entries;
        for (int i = 1; i <= 10; ++i) entries.append({"Name" + QByteArray::number(i), 1000 - i});
        writeBytes(path_, tableBytes(entries));
        HallOfFame hof(path_);
        hof.Load_Records();
        const QStringList lines = hof.Fill_Table_List();
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[9], QStringLiteral("10.Name10         990"));  // names in column 4
        const struct {
            int place;
            const char* name;
            double score;
            const char* line;
        } rows[] = {{9, "Name9", 991, "9. Name9          991"},
                    {99, "Z", 12.5, "99.Z              12.5"},
                    {3, "Neg", -5, "3. Neg            -5"},
                    // Long names keep a blank before the score.
                    {1, "ABCDEFGHIJKLMNOPQ", 5, "1. ABCDEFGHIJKLMNOPQ 5"},
                    {1, "ABCDEFGHIJKLMN", 5, "1. ABCDEFGHIJKLMN 5"}};
        for (const auto& r : rows)
            QCOMPARE(HallOfFame::tableLine(r.place, r.name, r.score), QString::fromLatin1(r.line));
    }

    void largeScoresRankByFullValue() {
        writeBytes(path_, tableBytes({{"big", 12345678}, {"mid", 9999999}, {"low", 1234567}}));
        HallOfFame hof(path_);
        hof.Load_Records();
        Asker ask{"new"};
        QCOMPARE(hof.Add_Record(10000000, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.Add_Record(2147483647, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.Add_Record(1999999, ask.fn()), Outcome::Saved);
        HallOfFame reread(path_);
        reread.Load_Records();
        QCOMPARE(reread.scores(),
                 scoresOf({2147483647, 12345678, 10000000, 9999999, 1999999, 1234567}));
        QCOMPARE(readBytes(path_).left(19), QByteArray("new\r\n 2147483647 \r\n"));

        // Fractional scores of a hand-edited file keep their value.
        writeBytes(path_, "half\r\n 2.5 \r\n");
        hof.Load_Records();
        QCOMPARE(hof.Add_Record(2, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), QByteArray("half\r\n 2.5 \r\nnew\r\n 2 \r\n"));
    }

    void awkwardNames() {
        writeBytes(path_, tableBytes({{"A", 50}}));
        HallOfFame hof(path_);
        hof.Load_Records();
        // A line break would split the entry in the file; a character outside the code page has no
        // byte. The lists show what the file holds.
        Asker ask{QString::fromUtf8("x\r\ny\u4e2d")};
        QCOMPARE(hof.Add_Record(40, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), tableBytes({{"A", 50}, {"x  y?", 40}}));
        QCOMPARE(hof.names().last(), QStringLiteral("x  y?"));
        // An empty name is stored as it is given (the caller puts the date in).
        ask.name.clear();
        QCOMPARE(hof.Add_Record(30, ask.fn()), Outcome::Saved);
        HallOfFame reread(path_);
        reread.Load_Records();
        QCOMPARE(reread.names(), (QStringList{"A", "x  y?", ""}));
    }

    void unreadableFileIsLeftAlone() {
        if (runningAsRoot()) QSKIP("permissions do not stop root from reading");
        const QByteArray original = tableBytes({{"A", 50}, {"B", 10}});
        writeBytes(path_, original);
        QVERIFY(QFile::setPermissions(path_, QFileDevice::Permissions()));

        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Unreadable);
        QVERIFY(!hof.lastError().isEmpty());

        // The game plays on; its score is kept in memory, the file is not touched.
        Asker ask{"Ivan"};
        QCOMPARE(hof.Add_Record(30, ask.fn()), Outcome::NotSaved);
        QCOMPARE(hof.names(), QStringList{"Ivan"});
        QVERIFY(!hof.Save_Records());
        QCOMPARE(hof.unsavedCount(), 1);
        QVERIFY(QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readBytes(path_), original);

        // Readable again: the kept entry joins the table at its place.
        QVERIFY(hof.Save_Records());
        QCOMPARE(readBytes(path_), tableBytes({{"A", 50}, {"Ivan", 30}, {"B", 10}}));
    }

    void folderInPlaceOfFileIsLeftAlone() {
        // Unreadable even for root: a folder where the table should be.
        QVERIFY(QDir().mkdir(path_));
        writeBytes(path_ + "/inside", "keep");
        HallOfFame hof(path_);
        hof.Load_Records();
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Unreadable);
        Asker ask{"Ivan"};
        QCOMPARE(hof.Add_Record(30, ask.fn()), Outcome::NotSaved);
        QCOMPARE(hof.Fill_Table_List(), QStringList{"1. Ivan           30"});
        QVERIFY(!hof.Save_Records());
        QVERIFY(QFileInfo(path_).isDir());
        QCOMPARE(readBytes(path_ + "/inside"), QByteArray("keep"));

        // The unsaved entry stays with the table through the next game's load.
        hof.Clear_Records();
        hof.Load_Records();
        QCOMPARE(hof.names(), QStringList{"Ivan"});
        QCOMPARE(hof.unsavedCount(), 1);
    }

    // Entries other copies of the game saved meanwhile are merged, never overwritten.
    void otherCopiesEntriesSurvive() {
        writeBytes(path_, tableBytes({{"A", 100}, {"Z", 10}}));
        HallOfFame hof(path_);
        hof.Load_Records();

        // Another copy ends a game between this copy's start and its game over ...
        HallOfFame other(path_);
        other.Load_Records();
        Asker otherAsk{"X"};
        QCOMPARE(other.Add_Record(80, otherAsk.fn()), Outcome::Saved);

        // ... and a third one while this copy's name dialog is open.
        Asker ask{"Me"};
        ask.whileOpen = [this] {
            HallOfFame third(path_);
            third.Load_Records();
            Asker thirdAsk{"Y"};
            QCOMPARE(third.Add_Record(70, thirdAsk.fn()), Outcome::Saved);
        };
        QCOMPARE(hof.Add_Record(70, ask.fn()), Outcome::Saved);
        const QByteArray merged =
            tableBytes({{"A", 100}, {"X", 80}, {"Y", 70}, {"Me", 70}, {"Z", 10}});
        QCOMPARE(readBytes(path_), merged);
        QCOMPARE(hof.Fill_Table_List().at(3), QStringLiteral("4. Me             70"));

        // The game-end save after Fill_Table_List, and a game of another copy that adds nothing,
        // keep everything.
        QVERIFY(hof.Save_Records());
        other.Load_Records();
        otherAsk.confirm = false;
        QCOMPARE(other.Add_Record(5, otherAsk.fn()), Outcome::Cancelled);
        QVERIFY(other.Save_Records());
        QCOMPARE(readBytes(path_), merged);

        // The table of the first copy was full of better entries by the time its name was entered.
        QList<QPair<QByteArray, int>> full;
        for (int i = 0; i < 98; ++i) full.append({"f", 500});
        writeBytes(path_, tableBytes(full));
        hof.Load_Records();
        ask.whileOpen = [this, &full] {
            full.append({"g", 600});
            writeBytes(path_, tableBytes(full));
        };
        QCOMPARE(hof.Add_Record(1, ask.fn()), Outcome::Displaced);
        QCOMPARE(hof.count(), 99);
        QVERIFY(!hof.names().contains("Me"));
        QCOMPARE(hof.unsavedCount(), 0);
    }

    void heldLockFailsCleanlyAndRetries() {
        const QByteArray original = tableBytes({{"A", 100}});
        writeBytes(path_, original);
        HallOfFame hof(path_);
        hof.setLockTimeout(200);
        hof.Load_Records();

        QLockFile held(path_ + ".lock");
        QVERIFY(held.tryLock(0));
        Asker ask{"Me"};
        QCOMPARE(hof.Add_Record(200, ask.fn()), Outcome::NotSaved);
        QVERIFY(!hof.lastError().isEmpty());
        QCOMPARE(hof.names(), (QStringList{"Me", "A"}));
        QCOMPARE(hof.unsavedCount(), 1);
        QVERIFY(!hof.Save_Records());
        QCOMPARE(readBytes(path_), original);

        // Meanwhile the lock holder writes an entry of its own.
        writeBytes(path_, tableBytes({{"B", 300}, {"A", 100}}));
        held.unlock();

        QVERIFY(hof.Save_Records());
        QVERIFY(hof.lastError().isEmpty());
        QCOMPARE(readBytes(path_), tableBytes({{"B", 300}, {"Me", 200}, {"A", 100}}));
        QVERIFY(!QFile::exists(path_ + ".lock"));
    }

    void staleLockIsTakenOver() {
        // A lock left by a copy that died on another computer, long ago.
        writeBytes(path_, tableBytes({{"A", 100}}));
        const QString lockPath = path_ + ".lock";
        writeBytes(lockPath, "4242\nTalomir\nsome-other-host\n");
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
        lockFile.close();

        HallOfFame hof(path_);
        hof.setLockTimeout(200);
        hof.Load_Records();
        Asker ask{"Me"};
        QCOMPARE(hof.Add_Record(50, ask.fn()), Outcome::Saved);
        QCOMPARE(readBytes(path_), tableBytes({{"A", 100}, {"Me", 50}}));
    }

    void readOnlyFolderKeepsOldFile() {
        if (runningAsRoot()) QSKIP("permissions do not stop root from writing");
        const QByteArray original = tableBytes({{"A", 100}});
        writeBytes(path_, original);
        HallOfFame hof(path_);
        hof.setLockTimeout(200);
        hof.Load_Records();
        QVERIFY(
            QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        Asker ask{"Me"};
        QCOMPARE(hof.Add_Record(200, ask.fn()), Outcome::NotSaved);
        QVERIFY(!hof.lastError().isEmpty());
        QCOMPARE(hof.names(), (QStringList{"Me", "A"}));
        QVERIFY(!hof.Save_Records());
        QCOMPARE(readBytes(path_), original);
    }

    void missingFolder() {
        // The default file cannot be created: the default entry is played against in memory.
        HallOfFame hof(dir_->filePath("no/such/TalomirFathers.txt"));
        hof.setLockTimeout(200);
        hof.Load_Records();
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Missing);
        QCOMPARE(hof.names(), QStringList{"Zarno"});
        Asker ask{"Me"};
        QCOMPARE(hof.Add_Record(10, ask.fn()), Outcome::NotSaved);
        QCOMPARE(hof.names(), (QStringList{"Me", "Zarno"}));
        QVERIFY(!hof.Save_Records());
        QVERIFY(!QDir(dir_->filePath("no")).exists());
    }

    void memoryOnlyTable() {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_->path()));
        HallOfFame hof;
        hof.Load_Records();
        QCOMPARE(hof.count(), 0);
        QCOMPARE(hof.loadStatus(), textfile::ReadStatus::Read);
        Asker ask{"Sim"};
        QCOMPARE(hof.Add_Record(700, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.Add_Record(900, ask.fn()), Outcome::Saved);
        QCOMPARE(hof.scores(), scoresOf({900, 700}));
        QVERIFY(hof.Save_Records());
        hof.Load_Records();
        QCOMPARE(hof.count(), 0);
        QVERIFY(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        QDir::setCurrent(before);
    }
};

QTEST_GUILESS_MAIN(TestHallOfFame)
#include "test_halloffame.moc"
