#pragma once
// How the game's own files are read and replaced, so that neither a folder shared by several
// users and computers nor a client's caches can be turned against the players: only regular files
// are read (a FIFO or a device never blocks the game), never more than kMaxBytes, always as the
// server holds them now (see fileio.h); and a save replaces nothing but a regular file that
// already holds the game's own kind of content (links are followed to that file).
//
// A replace writes a complete copy, makes it durable, closes it, and only then renames it over the
// old file (network servers refuse to rename or delete a file that is still open), then syncs the
// folder, so a power loss keeps it, and reads the file back. Some clients (smbnetfs) replace by
// deleting the old file first; where the rename then fails, the file is written anew from the
// copy, and failing that the complete copy is kept for the next writer: a failed replace never
// costs the file. Where a folder shared by several users refuses the rename but the file itself is
// writable, the file can be rewritten in place after a backup copy beside it. Failure reasons are
// Russian, like the rest of the game, and name the cause in words a player can act on.
#include <QByteArray>
#include <QString>
#include <functional>

namespace talomir::filestore {

class Lock;

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
    // The writers' lock, held, in the file's folder: the copy is staged inside it and renamed from
    // there, so that a writer whose lock was taken over cannot replace the file.
    Lock* lock = nullptr;
    // What the file held when it was read for this change: if it holds anything else now, a
    // writer that ignores the lock replaced it meanwhile, and nothing is written (Changed).
    const Contents* basis = nullptr;
};

enum class Replaced {
    Yes,
    No,
    Changed,  // see basis; nothing written
    Lost,     // the lock was taken over by another copy before the rename; nothing written
};

// Replaces the file at path (links followed) by bytes, or creates it. A new file takes the group
// and other write bits its folder has, so that a table in a folder shared by several users stays
// writable by all of them; a replaced file keeps its permissions. No, with the reason in *error,
// when the file is refused or cannot be written; the old file is then as it was.
Replaced replace(const QString& path, const QByteArray& bytes, QString* error,
                 const SaveOptions& options);
inline bool save(const QString& path, const QByteArray& bytes, QString* error,
                 const SaveOptions& options) {
    return replace(path, bytes, error, options) == Replaced::Yes;
}

// Under the writers' lock, before the file is read for a change: finishes what an in-place write
// cut short by a crash left behind (the backup copy is put back, also where the file is gone).
// path as resolved.
bool recoverInPlaceWrite(const QString& path, QString* error = nullptr);

// The Russian reason for a system error number.
QString reason(int errorNumber);

// This process as the journal names it: "<pid> <computer>".
QString processTag();
// True when the process a tag names has surely ended: it ran on this computer and is gone. One of
// another computer cannot be checked and counts as running.
bool processGone(const QString& tag);

// The mount a folder is on, as /proc/self/mountinfo lists it.
struct Mount {
    QString point, type, source, options;  // options: the mount's and the file system's
};
Mount mountOf(const QString& folder, const QByteArray& mountinfo);

// " (файловая система TYPE, SOURCE)" for the mount that holds path, for failure reasons.
QString describeFileSystem(const QString& path);

// Why a table shared through this mount cannot be kept safe, with what to do; empty when it
// can. NFS mounted with nocto skips the check at every open that makes a copy renamed into
// place by another computer visible.
QString sharingProblem(const Mount& mount);
QString sharingProblem(const QString& path);

}  // namespace talomir::filestore
