#include "scoring/filestore.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace talomir::filestore {

namespace {

// A file descriptor closed at the end of its scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    operator int() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// A backup copy written before an in-place rewrite: marked at both ends, so that a copy cut
// short is told from a complete one and no file of the player's is taken for one.
constexpr char kBackupHead[] = "#talomir-backup\r\n";
constexpr char kBackupSeal[] = "#talomir-backup-complete\r\n";

QString backupPath(const QString& path) {
    return path + QStringLiteral(".backup");
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Reads an open file whole; it must be regular and at most maxBytes long.
bool readOpen(int fd, qint64 maxBytes, QByteArray& bytes, QString* error, struct stat* st) {
    struct stat own = {};
    if (!st) st = &own;
    if (::fstat(fd, st) != 0) return fail(error, reason(errno));
    if (!S_ISREG(st->st_mode)) return fail(error, QStringLiteral("это не обычный файл"));
    if (st->st_size > maxBytes) return fail(error, QStringLiteral("файл слишком велик"));
    bytes.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(error, reason(errno));
        if (n == 0) return true;
        bytes.append(buffer, n);
        if (bytes.size() > maxBytes) return fail(error, QStringLiteral("файл слишком велик"));
    }
}

// Writes bytes over the whole content of an open file and makes it durable.
bool overwrite(int fd, const QByteArray& bytes) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes) &&
           ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
}

// The permissions of a new file: as the process creates files, plus read and write for the group
// and for others where the folder lets them write.
mode_t newFileMode(int dir, int file) {
    struct stat d = {};
    struct stat f = {};
    if (::fstat(dir, &d) != 0 || ::fstat(file, &f) != 0) return 0644;
    mode_t mode = f.st_mode & 0777;
    if (d.st_mode & S_IWGRP) mode |= S_IRGRP | S_IWGRP;
    if (d.st_mode & S_IWOTH) mode |= S_IROTH | S_IWOTH;
    return mode;
}

// The rewrite in place for a folder that refuses the rename: a backup copy first, then the file,
// then the backup is cleared. Under the writers' lock; expected is what the file held when it was
// judged, and it must still hold it.
bool rewriteInPlace(int dir, const QString& path, const QByteArray& expected,
                    const QByteArray& bytes, QString* error) {
    const QByteArray name = encoded(QFileInfo(path).fileName());
    Fd fd(::openat(dir, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) return fail(error, reason(errno));
    QByteArray current;
    if (!readOpen(fd, kMaxBytes, current, error, nullptr)) return false;
    if (current != expected) return fail(error, QStringLiteral("файл изменён другой программой"));
    const Contents old = read(backupPath(path));
    if (old.found == Found::Refused ||
        (old.found == Found::File && !old.bytes.isEmpty() && !old.bytes.startsWith(kBackupHead)))
        return fail(error, QStringLiteral("место резервной копии занято: ") + backupPath(path));
    const QByteArray backupName = encoded(QFileInfo(backupPath(path)).fileName());
    Fd backup(::openat(dir, backupName.constData(),
                       O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!backup.ok()) return fail(error, reason(errno));
    if (old.found == Found::Nothing) ::fchmod(backup, newFileMode(dir, backup));
    if (!overwrite(backup, kBackupHead + current + kBackupSeal) || !overwrite(fd, bytes))
        return fail(error, reason(errno));
    if (::unlinkat(dir, backupName.constData(), 0) != 0) overwrite(backup, QByteArray());
    ::fsync(dir);
    return true;
}

}  // namespace

QString reason(int e) {
    switch (e) {
        case EACCES:
        case EPERM:
            return QStringLiteral("нет прав доступа");
        case EROFS:
            return QStringLiteral("диск доступен только для чтения");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("нет места на диске");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("папка не найдена");
        case EISDIR:
            return QStringLiteral("на этом месте папка");
        case ELOOP:
            return QStringLiteral("на этом месте символическая ссылка");
        case EIO:
            return QStringLiteral("ошибка ввода-вывода");
        default:
            return QStringLiteral("системная ошибка: ") + QString::fromLocal8Bit(std::strerror(e));
    }
}

Contents read(const QString& path, qint64 maxBytes) {
    Contents c;
    Fd fd(::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) {
        const int e = errno;
        struct stat link = {};
        if (e == ENOENT && ::lstat(encoded(path).constData(), &link) != 0) return c;
        c.found = Found::Refused;
        c.error = e == ENOENT ? QStringLiteral("ссылка ведёт на несуществующий файл") : reason(e);
        return c;
    }
    c.found = readOpen(fd, maxBytes, c.bytes, &c.error, nullptr) ? Found::File : Found::Refused;
    if (c.found == Found::Refused) c.bytes.clear();
    return c;
}

QString resolve(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (info.exists()) return info.canonicalFilePath();
    if (info.isSymLink()) {
        fail(error, QStringLiteral("ссылка ведёт на несуществующий файл"));
        return QString();
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty()) {
        fail(error, reason(ENOENT));
        return QString();
    }
    return QDir(folder).filePath(info.fileName());
}

bool save(const QString& path, const QByteArray& bytes, QString* error,
          const SaveOptions& options) {
    const QString target = resolve(path, error);
    if (target.isEmpty()) return false;
    const QFileInfo info(target);
    const QByteArray name = encoded(info.fileName());
    Fd dir(::open(encoded(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) return fail(error, reason(errno));

    // What is there now may be replaced only when it is a regular file of this kind.
    struct stat old = {};
    QByteArray current;
    bool exists = false;
    {
        Fd fd(::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.ok()) {
            if (!readOpen(fd, kMaxBytes, current, error, &old)) return false;
            exists = true;
        } else if (errno != ENOENT) {
            return fail(error, reason(errno));
        }
    }
    if (exists && options.ownKind && !options.ownKind(current))
        return fail(error, QStringLiteral("файл не похож на файл игры, он оставлен как есть"));
    // A file made read-only is meant to stay as it is, though its folder would allow a rename.
    if (exists && ::faccessat(dir, name.constData(), W_OK, AT_EACCESS) != 0)
        return fail(error, reason(errno));

    const auto inPlace = [&](int e) {
        if (exists && options.inPlaceFallback && (e == EACCES || e == EPERM))
            return rewriteInPlace(dir, target, current, bytes, error);
        return fail(error, reason(e));
    };
    const QByteArray temp =
        name + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    Fd out(::openat(dir, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666));
    if (!out.ok()) return inPlace(errno);
    // The copy gets the old file's group and permissions; a new file those of its folder.
    if (exists && ::fchown(out, uid_t(-1), old.st_gid) != 0) {
        // Not a member of that group: the copy keeps the writer's.
    }
    ::fchmod(out, exists ? old.st_mode & 07777 : newFileMode(dir, out));
    if (!writeAll(out, bytes) || ::fsync(out) != 0) {
        const int e = errno;
        ::unlinkat(dir, temp.constData(), 0);
        return fail(error, reason(e));
    }
    if (::renameat(dir, temp.constData(), dir, name.constData()) != 0) {
        const int e = errno;
        ::unlinkat(dir, temp.constData(), 0);
        return inPlace(e);
    }
    // The rename itself lives in the folder: synced too, a power loss keeps the new file.
    ::fsync(dir);
    return true;
}

bool recoverInPlaceWrite(const QString& path, QString* error) {
    const Contents backup = read(backupPath(path));
    if (backup.found != Found::File || !backup.bytes.startsWith(kBackupHead)) return true;
    if (backup.bytes.endsWith(kBackupSeal)) {
        // The backup was complete, so the file may be half rewritten: it gets the old content.
        const QByteArray old = backup.bytes.sliced(
            sizeof kBackupHead - 1,
            backup.bytes.size() - (sizeof kBackupHead - 1) - (sizeof kBackupSeal - 1));
        Fd fd(::open(encoded(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st = {};
        if (!fd.ok() || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !overwrite(fd, old))
            return fail(error, reason(errno));
    }
    if (::unlink(encoded(backupPath(path)).constData()) == 0) return true;
    Fd fd(::open(encoded(backupPath(path)).constData(),
                 O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return (fd.ok() && overwrite(fd, QByteArray())) || fail(error, reason(errno));
}

// ---- Lock ------------------------------------------------------------------------------------

namespace {

QByteArray lockContent() {
    return QByteArray::number(QCoreApplication::applicationPid()) + "\ntalomir\n" +
           QSysInfo::machineHostName().toUtf8() + '\n';
}

bool gone(qint64 pid, const QByteArray& host) {
    const bool here = host.isEmpty() || host == QSysInfo::machineHostName().toUtf8();
    return here && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// True when a live process keeps a system lock on the file.
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

}  // namespace

QString processTag() {
    return QString::number(QCoreApplication::applicationPid()) + u' ' + QSysInfo::machineHostName();
}

bool processGone(const QString& tag) {
    const qsizetype blank = tag.indexOf(u' ');
    return blank > 0 && gone(tag.left(blank).toLongLong(), tag.mid(blank + 1).toUtf8());
}

Lock::Lock(QString path, int staleMs) : path_(std::move(path)), staleMs_(staleMs) {}

Lock::~Lock() {
    unlock();
}

void Lock::unlock() {
    if (fd_ < 0) return;
    // Removed while still held, so no waiter can take a lock file that is about to go.
    ::unlink(encoded(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

Lock::Attempt Lock::tryLock() {
    if (fd_ >= 0) return Attempt::Taken;
    error_.clear();
    for (int round = 0; round < 3; ++round) {
        const int fd = ::open(encoded(path_).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct flock hold = {};
            hold.l_type = F_WRLCK;
            hold.l_whence = SEEK_SET;
            ::fcntl(fd, F_SETLK, &hold);
            ::flock(fd, LOCK_EX | LOCK_NB);
            fd_ = fd;
            writeAll(fd, lockContent());
            return Attempt::Taken;
        }
        if (errno != EEXIST) {
            error_ = QStringLiteral("не удаётся создать блокировку ") + path_ +
                     QStringLiteral(": ") + reason(errno);
            return Attempt::Broken;
        }
        switch (judgeExisting()) {
            case Judged::Alive:
                return Attempt::Busy;
            case Judged::Stuck:
                return Attempt::Broken;
            case Judged::Removed:
                break;
        }
    }
    return Attempt::Busy;
}

Lock::Judged Lock::judgeExisting() {
    const QByteArray file = encoded(path_);
    struct stat st = {};
    if (::lstat(file.constData(), &st) != 0) return Judged::Removed;
    if (!S_ISREG(st.st_mode)) {
        error_ = QStringLiteral("на месте блокировки ") + path_ + QStringLiteral(" не файл");
        return Judged::Stuck;
    }
    Fd fd(::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) return errno == ENOENT ? Judged::Removed : Judged::Alive;
    QByteArray content;
    if (!readOpen(fd, 4096, content, nullptr, nullptr)) return Judged::Alive;
    const QList<QByteArray> lines = content.split('\n');
    const qint64 age = ageMs(st);
    const bool stale = age > staleMs_ || (content.isEmpty() && age > kEmptyStaleMs) ||
                       gone(lines.value(0).toLongLong(), lines.value(2));
    if (!stale || heldByOther(fd)) return Judged::Alive;
    struct stat again = {};
    if (::lstat(file.constData(), &again) != 0 || again.st_ino != st.st_ino ||
        again.st_dev != st.st_dev)
        return Judged::Removed;  // replaced meanwhile: judge the new one
    if (::unlink(file.constData()) == 0 || errno == ENOENT) return Judged::Removed;
    error_ = QStringLiteral("брошенную блокировку ") + path_ + QStringLiteral(" нельзя удалить: ") +
             reason(errno);
    return Judged::Stuck;
}

}  // namespace talomir::filestore
