#pragma once
// The hall of fame: up to 99 best scores with the players' names, kept in the text file
// TalomirFathers.txt beside the program. Several computers start one shared copy of the program,
// so several processes use one file at the same time; every write happens under the file's lock
// after a fresh re-read, and replaces the file atomically.
//
// File: one pair of lines per entry, best first: the name as entered, then the score as printed
// by textfile::printNumber (" 1234 "). Windows-1251, CR LF (see textfile.h). A file that ends
// after a name line keeps that entry with score 0; a score line without a number reads as 0.
//
// Writing. Add_Record does all the writing of a game's end: once the name has been entered it
// takes the lock (TalomirFathers.txt.lock beside the table, the table's links followed so that
// every copy locks the one file it writes), re-reads the file, inserts the new entry into what it
// found and replaces the file (see filestore::save). Entries written by other copies while the
// name dialog was open therefore survive. The wait for the lock outlasts the age at which a lock
// counts as abandoned, and what it does between tries is the caller's (a window keeps its events
// flowing). When the write fails (the lock stays taken, the folder is read-only, the disk is
// full, the file has become unreadable or is not a table) the entry is kept as unsaved: the lists
// show it, every later Load_Records shows it too, the next game end and the next game start try
// again to merge it into the file, and a journal in the player's own folder keeps it across
// quitting (see RecordJournal). Save_Records writes nothing when the file already holds
// everything: a rewrite of an unchanged table could only lose entries written meanwhile by others.
//
// Reading. A missing file is created with the default entry "Zarno" / "0" (under the lock, and
// only if still missing once the lock is held). A file that exists but cannot be read is left
// alone: the game plays on with an empty table. Only a file that reads as a table (whole pairs of
// lines, every score line a number) is ever replaced; anything else at the table's path is read
// leniently for the lists but left as it is.
//
// An empty path makes a table that lives in memory only: no file is read or written, ever.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "persistence/journal.h"
#include "persistence/sharedlock.h"
#include "persistence/textfile.h"

namespace talomir {

class HallOfFame {
public:
    static constexpr int kMaxEntries = 99;
    static constexpr int kNameWidth = 15;  // names are padded to this width in the table lines
    // Longer than a lock takes to count as abandoned, so a lock left by a copy that died (on this
    // computer or another) never costs an entry.
    static constexpr int kDefaultLockTimeoutMs = filestore::Lock::kStaleMs + 2000;
    static_assert(kDefaultLockTimeoutMs > filestore::Lock::kStaleMs,
                  "a writer must wait longer than an abandoned lock takes to go stale");
    // A table found missing is waited for this long under the lock before the default is made:
    // another copy is most likely replacing it.
    static constexpr int kMissingWaitMs = 3000;

    enum class AddOutcome {
        NoPlace,    // the score has no place in the table; no name was asked, nothing stored
        Cancelled,  // the name dialog was cancelled (bCancelRecord is True); nothing stored
        Saved,      // the entry is in the lists and in the file (or in the memory-only table)
        NotSaved,   // the entry is in the lists but the file could not be written (lastError)
        Displaced,  // the name was entered, but entries written meanwhile by other copies
                    // filled the table above the score: nothing stored
    };

    // path: the table file; empty for a table in memory only.
    explicit HallOfFame(QString path = QString());

    // Empties the lists and reads the file (creating the default file when none exists). Unsaved
    // entries of earlier games are merged into what is read, and one try (without waiting for
    // the lock) is made to store them.
    void Load_Records();

    // Empties both lists. Unsaved entries stay pending for the next Load_Records/Save_Records.
    void Clear_Records();

    // The table lines, entry 1 first: place, ".", a blank below place 10, the name padded with
    // blanks to 15 characters (at least one blank before the score), the score as plain digits:
    // "1. Zarno          0", "10.Ivan           4500".
    QStringList Fill_Table_List() const;

    // Makes sure the file holds every entry of this table: writes the unsaved entries, if any,
    // with the same locked re-read and merge as Add_Record; writes nothing otherwise. Right after
    // an Add_Record that could not write, it does not wait for the lock a second time. Returns
    // false when unsaved entries remain (see lastError).
    bool Save_Records();

    // One try to store the unsaved entries, without waiting for the lock: the end of the run.
    bool retryUnsaved();

    // Offers a game's final score in whole points. askName shows the name dialog; it returns
    // false when the player cancelled it, else the name (stored as given; the caller replaces an
    // empty confirmed name by the date). The name is asked only when the score has a place in
    // the table: before the first entry below it (so below equal scores), or at the end while
    // the table holds fewer than 99 entries. An insertion that makes the table longer than 99
    // entries removes entry 100.
    AddOutcome Add_Record(std::int32_t FinalScore,
                          const std::function<bool(QString& name)>& askName);

    const QStringList& names() const { return names_; }
    const std::vector<double>& scores() const { return scores_; }
    int count() const { return static_cast<int>(names_.size()); }

    // True when the last name dialog of Add_Record was cancelled.
    bool bCancelRecord = false;

    // How the last Load_Records found the file: Read, Missing (the default file was created, or
    // could not be and the default entry lives in memory), Unreadable (empty table, file left
    // alone). Always Read for a table in memory only.
    textfile::ReadStatus loadStatus() const { return loadStatus_; }

    // Entries that are in the lists but not yet in the file.
    int unsavedCount() const { return static_cast<int>(unsaved_.size()); }
    const std::vector<PendingEntry>& unsaved() const { return unsaved_; }
    // Entries of this run whose name was entered but that others' entries pushed out of the
    // table before they could be stored.
    const std::vector<PendingEntry>& displaced() const { return displaced_; }

    // The reason (in Russian) of the last failure to read, lock or write; empty after a success.
    QString lastError() const { return lastError_; }

    QString path() const { return path_; }

    // How long Add_Record and Save_Records wait for another copy's lock before giving up.
    void setLockTimeout(int milliseconds) { lockTimeoutMs_ = milliseconds; }
    // The age at which a lock of another computer counts as abandoned (tests shorten it).
    void setStaleLockAge(int milliseconds) { staleLockMs_ = milliseconds; }
    // What waiting for the lock does between two tries, for ms milliseconds; false stops the wait.
    // Sleeps by default.
    void setPause(std::function<bool(int ms)> pause) { pause_ = std::move(pause); }
    // Keeps unsaved entries in journal, and takes over the entries it holds for this table from
    // runs that have ended (they join the unsaved entries). Not for a memory-only table.
    void setJournal(RecordJournal* journal);
    RecordJournal* journal() const { return journal_; }

    // One table line (see Fill_Table_List); place counts from 1.
    static QString tableLine(int place, const QString& name, double score);
    // True when lines may be replaced by a table: whole pairs, every score line a number.
    static bool isTable(const QStringList& lines);

private:
    textfile::ReadStatus readTable(QStringList& names, std::vector<double>& scores);
    bool createDefaultFile();
    bool acquire(filestore::Lock& lock, int timeoutMs);
    bool writeUnsaved(bool wait);
    bool update(int timeoutMs);
    filestore::Replaced storeUnderLock(filestore::Lock& lock, const QString& target);
    void keepInJournal();
    void mergeUnsavedIntoLists();
    static bool hasPlace(const std::vector<double>& scores, double score);
    static QStringList fileLines(const QStringList& names, const std::vector<double>& scores);

    QString path_;
    QStringList names_;
    std::vector<double> scores_;
    std::vector<PendingEntry> unsaved_;
    std::vector<PendingEntry> displaced_;
    textfile::ReadStatus loadStatus_ = textfile::ReadStatus::Read;
    QString lastError_;
    int lockTimeoutMs_ = kDefaultLockTimeoutMs;
    int staleLockMs_ = filestore::Lock::kStaleMs;
    bool justFailed_ = false;
    std::function<bool(int)> pause_;
    RecordJournal* journal_ = nullptr;
};

}  // namespace talomir
