#pragma once
// A lock that holds between copies of the game on several computers which reach one folder over
// a network file system (SMB/CIFS, NFS, SFTP through sshfs) as well as on a local disk.
//
// Which operations it may rest on. Only operations the server performs as one step and answers
// truthfully, through every client we know of:
// - rename of a folder to a name that does not exist, or onto a folder that is not empty (which
//   fails). SMB, NFS (RENAME), SFTP (posix-rename and plain rename) and a local disk all do it as
//   one step on the server, and a client cannot answer it from its caches. A copy takes the lock
//   by renaming its own folder <path>.new-<token>, owner file inside, to <path>: exactly one copy
//   wins, and the lock never exists without its owner. Neither mkdir of the lock itself nor an
//   exclusive create serves: sshfs keeps a folder another computer removed in its attribute cache
//   for up to 20 s and answers mkdir "exists" from it; smbnetfs sends an exclusive create as
//   "overwrite if it exists" (two of eight racing copies won in most tries), and sshfs answers a
//   lost race with "permission denied". System locks (fcntl, flock) do not cross SMB clients in
//   user space, each mount keeps its own.
// - rename of the new copy of the table over the old one. Where a client replaces a file by
//   deleting the target first (smbnetfs), that is not atomic: see filestore::replace, which never
//   lets a failed rename cost the table.
// - reads that ask the server: every read opens the file anew, asks the server for its size and
//   drops the client's cached pages (fileio.h). That gives NFS its close-to-open consistency
//   (writers close before they rename), and sshfs, smbnetfs and CIFS the server's current bytes.
//
// The owner file holds the process id, program, computer, an identity of the running system (boot
// and process-number space), a random token, and a beat counter that the holder rewrites every
// second for as long as it holds the lock. Nothing in it is a clock reading, since computers
// disagree about the time.
// A waiter judges the lock abandoned when
// - its holder ran on this same system (same identity) and its process is gone: at once;
// - else when the owner file has not changed for staleMs as this waiter's own clock counts: a
//   holder that is alive beats every second, so a live lock is never taken, whatever the clocks
//   of the two computers say; a dead one is taken after staleMs of watching;
// - a lock folder without an owner file, which only something else's deletion leaves: after
//   kEmptyStaleMs of watching. An empty folder is no lock: the next rename replaces it.
// An abandoned lock is moved aside, to <path>.stale-<digest of its owner file>: one of the waiters
// that judged it together wins that rename, and one that comes late cannot move the next holder's
// lock onto the name while it exists. The mover checks that it moved the lock it judged (else it
// puts it back), and the waiters then take the lock anew. What a dead holder left inside (a
// complete new copy of the table, new-<token>) stays there for a rebuild of a table that its
// replace cut short (recoverableCopies). A holder unlocks by moving its lock aside too and then
// deleting it, so the lock never stands empty while its owner still deletes in it. Every holder
// clears what stopped copies left: folders moved aside, and the own folders of copies that died
// waiting (of this system and gone, half-made for half a minute, or untouched for an hour).
//
// Fencing. The holder stages its new copy inside the lock folder and checks, just before it
// renames the copy into place, that the owner file still holds its token; a holder whose lock was
// moved aside meanwhile renames nothing, since its copy went with the folder. A holder that loses
// its lock finds out at its next beat or check and gives up (lost()); its caller tries again.
// NFS: RENAME and the reads above are what NFS documents as consistent (close-to-open; the lock
// manager is not needed). A RENAME retried after a lost answer may report failure for the rename
// it did: the copy then finds its own token in the lock and holds it. A mount with nocto gives up
// the open-time check, so filestore refuses to share a table on one (sharingProblem).
//
// Older copies of the game took a lock file (not a folder) at the same path; one found there is
// judged as before (process gone on this computer, empty for kEmptyStaleMs, or older than
// staleMs) and removed, and an older copy that meets the folder reports the table as locked
// rather than writing it.
#include <sys/stat.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace talomir::filestore {

class Lock {
public:
    // How long a lock's owner file may stay unchanged before a waiter takes it for abandoned.
    static constexpr int kStaleMs = 10000;
    // A lock folder without owner file this long holds nobody (something deleted the file).
    static constexpr int kEmptyStaleMs = 3000;
    // How often the holder shows it is alive.
    static constexpr int kBeatMs = 1000;
    static_assert(kBeatMs * 4 <= kStaleMs, "a live holder beats several times within the age");

    enum class Attempt {
        Taken,
        Busy,    // held by a copy that may be alive; try again later
        Broken,  // cannot be taken however long one waits (error says why): not a folder or
                 // file, an abandoned lock that may not be removed, a folder that may not be
                 // written
    };

    explicit Lock(QString path, int staleMs = kStaleMs);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    // One try. The same Lock should be tried again while waiting: it watches an existing lock
    // across tries to judge whether it is abandoned.
    Attempt tryLock();
    void unlock();
    bool isHeld() const { return held_; }

    // True while the owner file holds this holder's token (asked of the server).
    bool stillHeld();
    // True once this holder found its lock taken over (it stops beating then).
    bool lost() const { return lost_; }

    // The name of this holder's new copy inside the lock folder, relative to the folder the lock
    // is in: written under staging(false), renamed to staging(true) once complete and durable.
    QByteArray staging(bool complete) const;
    // After a replace that failed with the target gone: the complete copy is kept for whoever
    // takes the lock next, instead of being deleted at unlock.
    void keepStaged() { keepStaged_ = true; }

    // Complete copies staged by dead holders, in the lock folders this holder moved aside and in
    // those it finds beside the lock (the moves of waiters that died), for a rebuild. Only while
    // held; they are deleted at unlock.
    QStringList recoverableCopies();

    QString error() const { return error_; }
    QString path() const { return path_; }

private:
    enum class Judged { Alive, Removed, Stuck };
    bool prepareOwnFolder();
    bool prepareOwnFolderOnce();
    bool establish();
    Judged judgeFolder();
    Judged judgeLegacyFile(const struct stat& st);
    Judged takeOver(const QByteArray& seen);
    qint64 deniedFor(qint64 now);
    bool refusedByStickyFolder() const;
    bool watchedLongEnough(const QByteArray& seen, int ageMs);
    QByteArray ownerContent(quint64 beat) const;
    void beatLoop();
    bool beat();
    void removeAside();

    QString path_;
    int staleMs_;
    QByteArray token_;
    QString own_;  // the folder this copy renames into place to take the lock
    bool ownReady_ = false;
    bool held_ = false;
    bool keepStaged_ = false;
    std::atomic<bool> lost_{false};
    QString error_;
    // Watching an existing lock: what its owner file held, and since when (this clock).
    QElapsedTimer clock_;
    QByteArray seen_;
    qint64 seenSince_ = -1;
    qint64 lastJudged_ = -1;
    qint64 deniedSince_ = -1;
    // Lock folders moved aside, and whether each may rebuild a table (a dead holder's) or not.
    QStringList aside_;
    QStringList foreign_;
    // The beat.
    std::thread beater_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopBeating_ = false;
    quint64 beats_ = 0;
    qint64 missingSince_ = -1;
};

// This system as lock owner files name it: boot identity and process-number space. Empty where
// it cannot be told (then no lock is ever judged as this system's).
QByteArray systemIdentity();

}  // namespace talomir::filestore
