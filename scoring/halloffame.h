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
// takes the lock (TalomirFathers.txt.lock beside the table, bounded wait), re-reads the file,
// inserts the new entry into what it found, writes the result atomically and releases the lock.
// Entries written by other copies while the name dialog was open therefore survive. When that
// fails (the lock stays taken, the folder is read-only, the disk is full, the file has become
// unreadable) the entry is kept in memory as unsaved: the lists show it, every later
// Load_Records shows it too, and Save_Records (and the next Add_Record) tries again to merge it
// into the file. Save_Records writes nothing when the file already holds everything: a rewrite
// of an unchanged table could only lose entries written meanwhile by others.
//
// Reading. A missing file is created with the default entry "Zarno" / "0" (under the lock, and
// only if still missing once the lock is held). A file that exists but cannot be read is left
// alone: the game plays on with an empty table, and nothing ever replaces that file unless a
// later locked re-read succeeds.
//
// An empty path makes a table that lives in memory only: no file is read or written, ever.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "scoring/textfile.h"

namespace talomir {

class HallOfFame {
public:
    static constexpr int kMaxEntries = 99;
    static constexpr int kNameWidth = 15;  // names are padded to this width in the table lines
    static constexpr int kDefaultLockTimeoutMs = 4000;
    // The lock is held only for a re-read and a write of a few kilobytes; a lock file older than
    // this belongs to a copy that died while holding it.
    static constexpr int kStaleLockMs = 10000;

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
    // entries of earlier games are merged into what is read.
    void Load_Records();

    // Empties both lists. Unsaved entries stay pending for the next Load_Records/Save_Records.
    void Clear_Records();

    // The table lines, entry 1 first: place, ".", a blank below place 10, the name padded with
    // blanks to 15 characters (at least one blank before the score), the score as plain digits:
    // "1. Zarno          0", "10.Ivan           4500".
    QStringList Fill_Table_List() const;

    // Makes sure the file holds every entry of this table: writes the unsaved entries, if any,
    // with the same locked re-read and merge as Add_Record; writes nothing otherwise. Returns
    // false when unsaved entries remain (see lastError).
    bool Save_Records();

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

    // The reason of the last failure to read, lock or write; empty after a success.
    QString lastError() const { return lastError_; }

    QString path() const { return path_; }
    QString lockPath() const;

    // How long Add_Record and Save_Records wait for another copy's lock before giving up.
    void setLockTimeout(int milliseconds) { lockTimeoutMs_ = milliseconds; }

    // One table line (see Fill_Table_List); place counts from 1.
    static QString tableLine(int place, const QString& name, double score);

private:
    struct Entry {
        QString name;
        double score = 0.0;
    };

    textfile::ReadStatus readTable(QStringList& names, std::vector<double>& scores);
    bool createDefaultFile();
    bool writeUnsaved(bool* lastPlaced);
    void mergeUnsavedIntoLists();
    static bool insertEntry(QStringList& names, std::vector<double>& scores, const Entry& entry);
    static bool hasPlace(const std::vector<double>& scores, double score);
    static QStringList fileLines(const QStringList& names, const std::vector<double>& scores);

    QString path_;
    QStringList names_;
    std::vector<double> scores_;
    std::vector<Entry> unsaved_;
    textfile::ReadStatus loadStatus_ = textfile::ReadStatus::Read;
    QString lastError_;
    int lockTimeoutMs_ = kDefaultLockTimeoutMs;
};

}  // namespace talomir
