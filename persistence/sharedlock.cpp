#include "persistence/sharedlock.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <ctime>

#include "persistence/fileio.h"
#include "persistence/filestore.h"
#include "persistence/logging.h"

namespace talomir::filestore {

using namespace io;

namespace {

constexpr char kOwner[] = "/owner";
constexpr char kOwnerName[] = "owner";
// How often a waiter reads an existing lock's owner file: a dead holder of this computer is
// seen within this, and a busy network share is not flooded with reads.
constexpr int kJudgeEveryMs = 400;
// How long a holder tolerates its owner file missing: a waiter that moved the lock aside by
// mistake (another copy took it between its judgement and its move) puts it back at once.
constexpr int kMissingMs = 3000;
constexpr qint64 kMaxOwnerBytes = 4096;
// How long the move of an abandoned lock may be refused before the refusal counts as final.
constexpr int kDeniedMs = 2000;

bool processGoneHere(qint64 pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// What a waiter sees of an owner file: its bytes; nothing for none or an empty one (a holder
// killed before it wrote it); a mark of its own for one that cannot be read, which counts as
// unchanged for as long as it stays so.
QByteArray look(const QString& owner) {
    const Contents c = read(owner, kMaxOwnerBytes);
    if (c.found == Found::Refused) return QByteArrayLiteral("\x01unreadable");
    return c.bytes;
}

// True when a system lock is kept on the file: older copies of the game keep one on their lock
// file while they hold it.
bool heldByOther(int fd) {
    struct flock query = {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK) return true;
    return ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

qint64 ageMs(const struct stat& st) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 ms = (qint64(now.tv_sec) - st.st_mtim.tv_sec) * 1000 +
                      (qint64(now.tv_nsec) - st.st_mtim.tv_nsec) / 1000000;
    return ms < 0 ? -ms : ms;  // a clock ahead of this one's counts as much as one behind
}

// Deletes a folder a lock left and the files in it.
void removeFolder(const QString& path) {
    const QByteArray folder = encoded(path);
    Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.ok()) return;
    for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System))
        unlinkRetrying(dir, encoded(name));
    dir.reset();
    ::rmdir(folder.constData());
}

// The own folder of a waiting copy that died before it took the lock: of this system and gone,
// without owner file for half a minute, or untouched for an hour (no copy waits that long).
bool abandonedOwnFolder(const QString& folder) {
    const QByteArray owner = look(folder + kOwner);
    const QList<QByteArray> lines = owner.split('\n');
    if (lines.size() > 4 && !systemIdentity().isEmpty() && lines[3] == systemIdentity())
        return processGoneHere(lines[0].toLongLong());
    // Without its owner file a while, it was left half-made (a copy still making it would make
    // it again); untouched for an hour, its copy no longer waits.
    struct stat st = {};
    return ::lstat(encoded(folder).constData(), &st) == 0 &&
           ageMs(st) > (owner.isEmpty() ? 30 : 3600) * 1000;
}

}  // namespace

QByteArray systemIdentity() {
    static const QByteArray identity = [] {
        const QByteArray boot = QSysInfo::bootUniqueId();
        char space[128];
        const ssize_t n = ::readlink("/proc/self/ns/pid", space, sizeof space);
        if (boot.isEmpty() || n <= 0) return QByteArray();
        return boot + ' ' + QByteArray(space, n);
    }();
    return identity;
}

Lock::Lock(QString path, int staleMs) : path_(std::move(path)), staleMs_(staleMs) {
    token_ =
        QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
    own_ = path_ + QStringLiteral(".new-") + QString::fromLatin1(token_);
    clock_.start();
}

Lock::~Lock() {
    unlock();
}

QByteArray Lock::ownerContent(quint64 beat) const {
    // The first three lines as older copies (and QLockFile) write them; the beat keeps its width,
    // so that the file's size never changes while it is held.
    return QByteArray::number(QCoreApplication::applicationPid()) + "\ntalomir\n" +
           QSysInfo::machineHostName().toUtf8() + '\n' + systemIdentity() + '\n' + token_ + '\n' +
           QByteArray::number(beat).rightJustified(12, '0') + '\n';
}

QByteArray Lock::staging(bool complete) const {
    return encoded(QFileInfo(path_).fileName()) + (complete ? "/new-" : "/part-") + token_;
}

Lock::Attempt Lock::tryLock() {
    if (held_) return Attempt::Taken;
    error_.clear();
    const QByteArray lock = encoded(path_);
    for (int round = 0; round < 3; ++round) {
        if (!ownReady_ && !prepareOwnFolder()) return Attempt::Broken;
        if (::rename(encoded(own_).constData(), lock.constData()) == 0) {
            ownReady_ = false;
            return establish() ? Attempt::Taken : Attempt::Broken;
        }
        const int e = errno;
        if (e == ENOENT) {  // a holder cleared it, taking this copy for dead: made again
            ownReady_ = false;
            continue;
        }
        // A lock folder is there: judged without asking the server more than the owner file, to
        // spare a share that many copies wait on. (sshfs answers "not permitted" for it, as a
        // sticky folder does for another user's lock file: that one is looked at first.)
        if (e == EEXIST || e == ENOTEMPTY) {
            const Judged judged = judgeFolder();
            if (held_) return Attempt::Taken;
            if (judged == Judged::Alive) return Attempt::Busy;
            if (judged == Judged::Stuck) return Attempt::Broken;
            continue;
        }
        struct stat st = {};
        if (::lstat(lock.constData(), &st) != 0) {
            if (errno == ENOENT && e != EROFS && e != EACCES) continue;  // released meanwhile
            error_ = QStringLiteral("не удаётся создать блокировку ") + path_ +
                     QStringLiteral(": ") + reason(e);
            return Attempt::Broken;
        }
        Judged judged = Judged::Alive;
        if (S_ISDIR(st.st_mode)) {
            judged = judgeFolder();
        } else if (S_ISREG(st.st_mode)) {
            judged = judgeLegacyFile(st);
        } else {
            error_ = QStringLiteral("на месте блокировки ") + path_ + QStringLiteral(" не папка");
            return Attempt::Broken;
        }
        if (held_) return Attempt::Taken;
        if (judged == Judged::Alive) return Attempt::Busy;
        if (judged == Judged::Stuck) return Attempt::Broken;
    }
    return Attempt::Busy;
}

bool Lock::prepareOwnFolder() {
    // A holder clearing leftovers may take a half-made folder for a dead copy's, and a busy share
    // may answer a request with a passing error: made again. What lasts is reported.
    for (int round = 0; round < 3; ++round) {
        if (prepareOwnFolderOnce()) return true;
        if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOSPC ||
            errno == EDQUOT)
            return false;
    }
    return false;
}

bool Lock::prepareOwnFolderOnce() {
    const QByteArray folder = encoded(own_);
    // One left by an earlier try that failed half-way is made anew.
    if (::mkdir(folder.constData(), 0777) != 0 && errno == EEXIST) removeFolder(own_);
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST) {
        const int e = errno;
        error_ = QStringLiteral("не удаётся создать блокировку ") + path_ + QStringLiteral(": ") +
                 reason(e);
        errno = e;
        return false;
    }
    // Other users of a shared folder must be able to clear it once it is an abandoned lock.
    Fd parent(::open(encoded(QFileInfo(path_).absolutePath()).constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat created = {};
    if (parent.ok() && ::stat(folder.constData(), &created) == 0)
        ::chmod(folder.constData(), sharedMode(parent, created.st_mode, true));
    Fd inside(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    QString why;
    beats_ = 0;
    // A lock need not outlive a power loss: no copy that held it runs after one.
    if (!inside.ok() ||
        !writeNewFile(inside, kOwnerName, ownerContent(beats_), nullptr, &why, false)) {
        const int e = errno;
        error_ = QStringLiteral("не удаётся создать блокировку ") + path_ + QStringLiteral(": ") +
                 (why.isEmpty() ? reason(e) : why);
        inside.reset();
        removeFolder(own_);
        errno = e;
        return false;
    }
    // What this client reads back must be what it wrote, or no read here can be trusted.
    if (look(own_ + kOwner) != ownerContent(beats_)) {
        error_ = QStringLiteral("не удаётся создать блокировку ") + path_ +
                 QStringLiteral(": файловая система возвращает не то, что в неё записано") +
                 describeFileSystem(path_);
        inside.reset();
        removeFolder(own_);
        return false;
    }
    ownReady_ = true;
    return true;
}

bool Lock::establish() {
    const QByteArray lock = encoded(path_);
    // A file system that lets a folder be made where the rename just put one cannot exclude.
    if (::mkdir(lock.constData(), 0777) == 0) {
        removeFolder(path_);
        error_ = QStringLiteral("не удаётся создать блокировку ") + path_ +
                 QStringLiteral(": файловая система не отказывает в повторном создании папки") +
                 describeFileSystem(path_);
        return false;
    }
    // An owner file that a holder clearing leftovers deleted just before the rename is written
    // again; the lock is this copy's, whatever it holds.
    if (look(path_ + kOwner).isEmpty()) {
        Fd inside(::open(lock.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inside.ok())
            writeNewFile(inside, kOwnerName, ownerContent(beats_), nullptr, nullptr, false);
    }
    held_ = true;
    lost_ = false;
    keepStaged_ = false;
    missingSince_ = -1;
    stopBeating_ = false;
    beater_ = std::thread([this] { beatLoop(); });
    return true;
}

bool Lock::watchedLongEnough(const QByteArray& seen, int ageMs) {
    const qint64 now = clock_.elapsed();
    if (seenSince_ < 0 || seen != seen_) {
        seen_ = seen;
        seenSince_ = now;
        deniedSince_ = -1;
        return false;
    }
    return now - seenSince_ >= ageMs;
}

Lock::Judged Lock::judgeFolder() {
    const qint64 now = clock_.elapsed();
    if (lastJudged_ >= 0 && now - lastJudged_ < kJudgeEveryMs) return Judged::Alive;
    lastJudged_ = now;
    const QByteArray seen = look(path_ + kOwner);
    const QList<QByteArray> lines = seen.split('\n');
    // This copy's own rename, whose answer was lost (a network retransmission): it holds it.
    if (lines.value(4) == token_ &&
        lines.value(0).toLongLong() == QCoreApplication::applicationPid()) {
        ownReady_ = false;
        return establish() ? Judged::Alive : Judged::Stuck;
    }
    const bool deadHere = lines.size() > 4 && !systemIdentity().isEmpty() &&
                          lines[3] == systemIdentity() && processGoneHere(lines[0].toLongLong());
    const int age = seen.isEmpty() ? std::min(kEmptyStaleMs, staleMs_) : staleMs_;
    if (!deadHere && !watchedLongEnough(seen, age)) return Judged::Alive;
    return takeOver(seen);
}

qint64 Lock::deniedFor(qint64 now) {
    if (deniedSince_ < 0) deniedSince_ = now;
    return now - deniedSince_;
}

// A sticky folder (like /tmp) lets only the owner of an entry, or of the folder, move it.
bool Lock::refusedByStickyFolder() const {
    struct stat folder = {};
    struct stat lock = {};
    const auto me = static_cast<uid_t>(::setfsuid(uid_t(-1)));  // whom the file system checks
    return ::stat(encoded(QFileInfo(path_).absolutePath()).constData(), &folder) == 0 &&
           (folder.st_mode & S_ISVTX) && ::lstat(encoded(path_).constData(), &lock) == 0 &&
           lock.st_uid != me && folder.st_uid != me;
}

Lock::Judged Lock::takeOver(const QByteArray& seen) {
    seenSince_ = -1;
    // Named after what the dead holder left: the waiters that judged it together race for one
    // name, and one that comes late cannot move the next holder's lock there while it exists.
    const QString aside =
        path_ + QStringLiteral(".stale-") +
        QString::fromLatin1(
            QCryptographicHash::hash(seen, QCryptographicHash::Sha1).toHex().left(16));
    if (::rename(encoded(path_).constData(), encoded(aside).constData()) != 0) {
        const int e = errno;
        struct stat st = {};
        if (e == ENOENT || ::lstat(encoded(aside).constData(), &st) == 0)
            return Judged::Removed;  // another waiter moved it: judge what is there now
        // An SMB server also denies the move of a folder while another computer reads in it:
        // only a refusal that lasts, or one the folder's permissions explain, is final.
        if ((e == EACCES || e == EPERM) &&
            (deniedFor(clock_.elapsed()) >= kDeniedMs || refusedByStickyFolder())) {
            error_ = QStringLiteral("брошенную блокировку ") + path_ +
                     QStringLiteral(" нельзя удалить: ") + reason(e);
            return Judged::Stuck;
        }
        return Judged::Alive;  // busy for a moment: judged again at the next try
    }
    deniedSince_ = -1;
    if (look(aside + kOwner) == seen) {
        qCInfo(lcFiles) << "abandoned lock taken over:" << path_;
        aside_ << aside;
        return Judged::Removed;
    }
    // Another copy took the lock between the judgement and the move: it goes back. Where it
    // cannot, that copy finds its lock gone and tries again.
    if (::rename(encoded(aside).constData(), encoded(path_).constData()) != 0) foreign_ << aside;
    return Judged::Alive;
}

Lock::Judged Lock::judgeLegacyFile(const struct stat& st) {
    const qint64 now = clock_.elapsed();
    if (lastJudged_ >= 0 && now - lastJudged_ < kJudgeEveryMs) return Judged::Alive;
    lastJudged_ = now;
    const QByteArray file = encoded(path_);
    Fd fd(::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) return errno == ENOENT ? Judged::Removed : Judged::Alive;
    QByteArray content;
    if (!readOpen(fd, kMaxOwnerBytes, content, nullptr, nullptr)) return Judged::Alive;
    const QList<QByteArray> lines = content.split('\n');
    const QByteArray host = lines.value(2);
    const bool here = host.isEmpty() || host == QSysInfo::machineHostName().toUtf8();
    const int emptyAge = std::min(kEmptyStaleMs, staleMs_);
    const bool stale = ageMs(st) > staleMs_ || (content.isEmpty() && ageMs(st) > emptyAge) ||
                       (here && processGoneHere(lines.value(0).toLongLong())) ||
                       watchedLongEnough(content, content.isEmpty() ? emptyAge : staleMs_);
    if (!stale || heldByOther(fd)) return Judged::Alive;
    fd.reset();  // closed before it is deleted: some clients refuse to delete an open file
    struct stat again = {};
    if (::lstat(file.constData(), &again) != 0 || again.st_ino != st.st_ino ||
        again.st_dev != st.st_dev)
        return Judged::Removed;  // replaced meanwhile: judge the new one
    if (::unlink(file.constData()) == 0 || errno == ENOENT) return Judged::Removed;
    error_ = QStringLiteral("брошенную блокировку ") + path_ + QStringLiteral(" нельзя удалить: ") +
             reason(errno);
    return Judged::Stuck;
}

void Lock::beatLoop() {
    std::unique_lock guard(mutex_);
    while (!wake_.wait_for(guard, std::chrono::milliseconds(kBeatMs),
                           [this] { return stopBeating_; })) {
        guard.unlock();
        const bool kept = beat();
        guard.lock();
        if (!kept) {
            lost_ = true;
            qCWarning(lcFiles) << "lock taken over by another copy:" << path_;
            return;
        }
    }
}

bool Lock::beat() {
    Fd fd(::open(encoded(path_ + kOwner).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok()) {
        if (errno != ENOENT) return true;  // a passing trouble of the share: the next beat
        if (missingSince_ < 0) missingSince_ = clock_.elapsed();
        return clock_.elapsed() - missingSince_ < kMissingMs;
    }
    missingSince_ = -1;
    QByteArray current;
    if (readOpen(fd, kMaxOwnerBytes, current, nullptr, nullptr) &&
        current.split('\n').value(4) != token_)
        return false;
    const QByteArray next = ownerContent(++beats_);
    if (::pwrite(fd, next.constData(), size_t(next.size()), 0) < 0) {
        // The next beat tries again; a lasting failure lets waiters take the lock, and this
        // holder then finds it taken before it replaces anything.
    }
    return true;
}

bool Lock::stillHeld() {
    if (!held_ || lost_) return false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const Contents owner = read(path_ + kOwner, kMaxOwnerBytes);
        if (owner.found == Found::File) return owner.bytes.split('\n').value(4) == token_;
        if (owner.found == Found::Refused || waited.elapsed() > kMissingMs) return false;
        QThread::msleep(50);
    }
}

QStringList Lock::recoverableCopies() {
    if (!held_) return {};
    const QFileInfo lock(path_);
    const QDir folder(lock.absolutePath());
    const QString aside = lock.fileName() + QStringLiteral(".stale-");
    const QString own = lock.fileName() + QStringLiteral(".new-");
    for (const QString& name :
         folder.entryList({aside + u'*', own + u'*'}, QDir::Dirs | QDir::Hidden)) {
        const QString path = folder.filePath(name);
        if (aside_.contains(path) || foreign_.contains(path)) continue;
        if (name.startsWith(aside))
            aside_ << path;
        else if (path != own_ && abandonedOwnFolder(path))
            foreign_ << path;
    }
    QStringList copies;
    for (const QString& folder : std::as_const(aside_))
        for (const QString& name :
             QDir(folder).entryList({QStringLiteral("new-*")}, QDir::Files | QDir::NoSymLinks))
            copies << folder + u'/' + name;
    return copies;
}

void Lock::removeAside() {
    for (const QString& aside : std::as_const(aside_)) removeFolder(aside);
    for (const QString& aside : std::as_const(foreign_)) removeFolder(aside);
    aside_.clear();
    foreign_.clear();
}

void Lock::unlock() {
    if (beater_.joinable()) {
        {
            std::lock_guard guard(mutex_);
            stopBeating_ = true;
        }
        wake_.notify_all();
        beater_.join();
    }
    if (ownReady_) removeFolder(own_);
    ownReady_ = false;
    if (!held_) return;
    const bool mine = stillHeld();
    held_ = false;
    if (mine) {
        // Moved aside before it is emptied: an empty lock folder would be replaced by the next
        // copy's rename while this one still deletes in it. A kept copy waits there for the next
        // holder's rebuild.
        const QString aside = path_ + QStringLiteral(".stale-") + QString::fromLatin1(token_) +
                              (keepStaged_ ? QStringLiteral("-kept") : QStringLiteral("-done"));
        if (renameRetrying(AT_FDCWD, encoded(path_), AT_FDCWD, encoded(aside), true)) {
            if (!keepStaged_) removeFolder(aside);
        } else if (!keepStaged_) {
            removeFolder(path_);  // emptied where it stands rather than left to look abandoned
        }
    }
    removeAside();
}

}  // namespace talomir::filestore
