#pragma once
// Entries of the hall of fame that could not be stored in their table (the shared folder is
// down, read-only, locked for good...), kept in the player's own data folder so that quitting the
// game does not lose them: a later game end or start of any copy of the game that uses the same
// table stores them. Several copies may run at once: each entry names the process that keeps it,
// and only entries of processes that have ended are taken over.
//
// File: five lines per entry (id, keeping process, table path, name, score), UTF-8, CR LF.
#include <QString>
#include <QStringList>
#include <vector>

namespace talomir {

struct PendingEntry {
    QString id;  // unique, so that the journal forgets exactly the entries stored
    QString name;
    double score = 0.0;
    bool kept = false;  // in the journal
};

class RecordJournal {
public:
    static constexpr const char* kFileName = "TalomirFathers.journal";

    explicit RecordJournal(QString folder);

    QString path() const;
    // Takes over the entries for table whose keeping process has ended; they are this
    // process's from now on.
    std::vector<PendingEntry> adopt(const QString& table);
    // Keeps an entry for table; false (see lastError) when the journal cannot be written.
    bool add(const QString& table, const PendingEntry& entry);
    // Forgets the entries with these ids.
    bool remove(const QStringList& ids);

    QString lastError() const { return lastError_; }

private:
    struct Record {
        QString id, owner, table, name;
        double score = 0.0;
    };
    template <class Edit>
    bool change(Edit edit);

    QString folder_;
    QString lastError_;
};

}  // namespace talomir
