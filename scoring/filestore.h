#pragma once
// How the game's own files are read and replaced on disk, so that a shared, writable game folder
// cannot be turned against the players: only regular files are read (a FIFO or a device never
// blocks the game), never more than kMaxBytes, and a save replaces nothing but a regular file that
// already holds the game's own kind of content (links are followed to that file). Replacement is
// atomic (a complete copy renamed over the old one, then the folder synced, so a power loss keeps
// it); where a folder shared by several users refuses the rename but the file itself is writable,
// the file can be rewritten in place after a backup copy beside it. Failure reasons are Russian,
// like the rest of the game, and name the cause in words a player can act on.
#include <QByteArray>
#include <QString>
#include <functional>

namespace talomir::filestore {

// Far above any real hall of fame (99 short entries) or settings file (44 short lines).
inline constexpr qint64 kMaxBytes = 1 << 20;

enum class Found {
    File,     // a regular file, read whole
    Nothing,  // nothing at the path
    Refused,  // something else, or a file that cannot or may not be read (error says why)
};

struct Contents {
    Found found = Found::Nothing;
    QByteArray bytes;
    QString error;
};

// Reads the regular file at path (following links) without blocking; larger than maxBytes,
// not a regular file, a link to nothing or unreadable is Refused.
Contents read(const QString& path, qint64 maxBytes = kMaxBytes);

// The file that a save of path replaces: path with every link followed (the folder's links too).
// Empty, with the reason in *error, for a link that leads nowhere or a missing folder.
QString resolve(const QString& path, QString* error = nullptr);

struct SaveOptions {
    // Decides whether the file already there may be replaced: it must hold this kind of content.
    std::function<bool(const QByteArray& current)> ownKind;
    // Where the folder refuses the rename (a sticky folder, the file another user's) but the file
    // is writable: rewrite it in place after a backup copy beside it. Only for a file that every
    // writer changes under one lock; see recoverInPlaceWrite.
    bool inPlaceFallback = false;
};

// Replaces the file at path (links followed) by bytes, or creates it. A new file takes the group
// and other write bits its folder has, so that a table in a folder shared by several users stays
// writable by all of them; a replaced file keeps its permissions. Returns false, with the reason
// in *error, when the file is refused or cannot be written; the old file is then as it was.
bool save(const QString& path, const QByteArray& bytes, QString* error, const SaveOptions& options);

// Under the writers' lock, before the file is read for a change: finishes what an in-place write
// cut short by a crash left behind (the backup copy is put back). path as resolved.
bool recoverInPlaceWrite(const QString& path, QString* error = nullptr);

// The Russian reason for a system error number.
QString reason(int errorNumber);

// This process as lock files and the journal name it: "<pid> <computer>".
QString processTag();
// True when the process a tag names has surely ended: it ran on this computer and is gone. One of
// another computer cannot be checked and counts as running.
bool processGone(const QString& tag);

// An exclusive lock file beside a shared file, of the form every copy of the game (and QLockFile)
// writes: process id, program name, computer name, one a line. The holder also keeps a system
// lock on it, so that a waiter never removes the lock of a writer that is alive.
class Lock {
public:
    // How old a lock must be before it counts as abandoned when its holder cannot be checked
    // (another computer's). Writers hold it only for a re-read and a write of a few kilobytes.
    static constexpr int kStaleMs = 10000;
    // A writer fills its lock file the moment it creates it; one still empty this long after was
    // left by a writer killed in between.
    static constexpr int kEmptyStaleMs = 2000;

    enum class Attempt {
        Taken,
        Busy,    // held by a writer that may be alive; try again later
        Broken,  // cannot be taken however long one waits (error says why): not a file, an
                 // abandoned lock that may not be removed, a folder that may not be written
    };

    explicit Lock(QString path, int staleMs = kStaleMs);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    Attempt tryLock();
    void unlock();
    QString error() const { return error_; }
    QString path() const { return path_; }

private:
    enum class Judged { Alive, Removed, Stuck };
    Judged judgeExisting();

    QString path_;
    int staleMs_;
    int fd_ = -1;
    QString error_;
};

}  // namespace talomir::filestore
