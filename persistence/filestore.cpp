#include "persistence/filestore.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

#include "persistence/fileio.h"
#include "persistence/logging.h"
#include "persistence/sharedlock.h"

namespace talomir::filestore {

using namespace io;

namespace {

// A backup copy written before an in-place rewrite: marked at both ends, so that a copy cut
// short is told from a complete one and no file of the player's is taken for one.
constexpr char kBackupHead[] = "#talomir-backup\r\n";
constexpr char kBackupSeal[] = "#talomir-backup-complete\r\n";

QString backupPath(const QString& path) {
    return path + QStringLiteral(".backup");
}

// Writes bytes over the whole content of an open file and makes it durable.
bool overwrite(int fd, const QByteArray& bytes) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes) &&
           ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
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
    struct stat created = {};
    if (old.found == Found::Nothing && ::fstat(backup, &created) == 0)
        ::fchmod(backup, sharedMode(dir, created.st_mode));
    if (!overwrite(backup, kBackupHead + current + kBackupSeal) || !overwrite(fd, bytes))
        return fail(error, reason(errno));
    backup.reset();
    fd.reset();
    if (!unlinkRetrying(dir, backupName)) {
        Fd again(::openat(dir, backupName.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        if (again.ok()) overwrite(again, QByteArray());
    }
    ::fsync(dir);
    return true;
}

// The file's content as this client reads it now, or a null array when there is none.
QByteArray readBack(int dir, const QByteArray& name) {
    Fd fd(::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    QByteArray bytes;
    if (!fd.ok() || !readOpen(fd, kMaxBytes, bytes, nullptr, nullptr)) return QByteArray();
    return bytes.isNull() ? QByteArray("") : bytes;
}

bool missing(int dir, const QByteArray& name) {
    struct stat st = {};
    return ::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

QString unescapeMountField(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
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
        case EBUSY:
        case EEXIST:
            return QStringLiteral("файл занят другим компьютером");
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

Replaced replace(const QString& path, const QByteArray& bytes, QString* error,
                 const SaveOptions& options) {
    const auto refused = [error, &path](const QString& why) {
        qCWarning(lcFiles) << "not replaced:" << path << why;
        fail(error, why);
        return Replaced::No;
    };
    const QString target = resolve(path, error);
    if (target.isEmpty()) return Replaced::No;
    const QFileInfo info(target);
    const QByteArray name = encoded(info.fileName());
    Fd dir(::open(encoded(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) return refused(reason(errno));

    // What is there now may be replaced only when it is a regular file of this kind.
    struct stat old = {};
    QByteArray current;
    bool exists = false;
    {
        Fd fd(::openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.ok()) {
            if (!readOpen(fd, kMaxBytes, current, error, &old)) return Replaced::No;
            exists = true;
        } else if (errno != ENOENT) {
            return refused(reason(errno));
        }
    }
    if (options.basis && (exists != (options.basis->found == Found::File) ||
                          (exists && current != options.basis->bytes))) {
        fail(error, QStringLiteral("файл изменён другой копией игры во время записи"));
        return Replaced::Changed;
    }
    if (exists && options.ownKind && !options.ownKind(current))
        return refused(QStringLiteral("файл не похож на файл игры, он оставлен как есть"));
    // A file made read-only is meant to stay as it is, though its folder would allow a rename.
    if (exists && ::faccessat(dir, name.constData(), W_OK, AT_EACCESS) != 0)
        return refused(reason(errno));

    const auto inPlace = [&](int e) {
        if (exists && options.inPlaceFallback && (e == EACCES || e == EPERM))
            return rewriteInPlace(dir, target, current, bytes, error) ? Replaced::Yes
                                                                      : Replaced::No;
        return refused(reason(e));
    };
    const struct stat* like = exists ? &old : nullptr;
    Lock* lock = options.lock && options.lock->isHeld() &&
                         QFileInfo(options.lock->path()).absolutePath() == info.absolutePath()
                     ? options.lock
                     : nullptr;
    QByteArray staged;
    if (lock) {
        // Complete once renamed to its final name: only such a copy may ever rebuild the file.
        staged = lock->staging(true);
        if (!writeNewFile(dir, lock->staging(false), bytes, like, error)) return Replaced::No;
        if (!renameRetrying(dir, lock->staging(false), dir, staged)) {
            const int e = errno;
            ::unlinkat(dir, lock->staging(false).constData(), 0);
            return refused(reason(e));
        }
        if (!lock->stillHeld()) {
            ::unlinkat(dir, staged.constData(), 0);
            fail(error, QStringLiteral("блокировку перехватила другая копия игры"));
            return Replaced::Lost;
        }
    } else {
        staged = name + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        if (!writeNewFile(dir, staged, bytes, like, error)) return inPlace(errno);
    }
    if (!renameRetrying(dir, staged, dir, name)) {
        const int e = errno;
        if (exists && options.inPlaceFallback && (e == EACCES || e == EPERM)) {
            ::unlinkat(dir, staged.constData(), 0);
            return inPlace(e);
        }
        // A client that deletes the old file before it renames has lost it: it is written anew,
        // and failing that the complete copy stays for the next writer.
        if (exists && missing(dir, name)) {
            qCWarning(lcFiles) << "a failed replace deleted" << target;
            if (!writeNewFile(dir, name, bytes, like, error)) {
                if (lock) lock->keepStaged();
                return Replaced::No;
            }
        } else {
            ::unlinkat(dir, staged.constData(), 0);
            return refused(reason(e));
        }
    }
    ::unlinkat(dir, staged.constData(), 0);  // left only where the file was written anew
    // The rename itself lives in the folder: synced too, a power loss keeps the new file.
    ::fsync(dir);
    if (readBack(dir, name) != bytes)
        return refused(QStringLiteral("после записи файл читается иначе") +
                       describeFileSystem(target));
    return Replaced::Yes;
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
        if (!fd.ok() && errno == ENOENT) {
            Fd dir(::open(encoded(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!dir.ok() ||
                !writeNewFile(dir, encoded(QFileInfo(path).fileName()), old, nullptr, error))
                return fail(error, error && !error->isEmpty() ? *error : reason(errno));
        } else if (!fd.ok() || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
                   !overwrite(fd, old)) {
            return fail(error, reason(errno));
        }
    }
    if (::unlink(encoded(backupPath(path)).constData()) == 0) return true;
    Fd fd(::open(encoded(backupPath(path)).constData(),
                 O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return (fd.ok() && overwrite(fd, QByteArray())) || fail(error, reason(errno));
}

QString processTag() {
    return QString::number(QCoreApplication::applicationPid()) + u' ' + QSysInfo::machineHostName();
}

bool processGone(const QString& tag) {
    const qsizetype blank = tag.indexOf(u' ');
    if (blank <= 0 || tag.mid(blank + 1) != QSysInfo::machineHostName()) return false;
    const qint64 pid = tag.left(blank).toLongLong();
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

Mount mountOf(const QString& folder, const QByteArray& mountinfo) {
    Mount best;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // id parent major:minor root point options [optional...] - type source super-options
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf("-");
        if (dash < 6 || dash + 2 >= f.size()) continue;
        const QString point = unescapeMountField(f[4]);
        const bool under =
            folder == point || point == QLatin1String("/") || folder.startsWith(point + u'/');
        if (!under || point.size() < best.point.size()) continue;
        best = {point, QString::fromUtf8(f[dash + 1]), unescapeMountField(f.value(dash + 2)),
                QString::fromUtf8(f[5] + ',' + f.value(dash + 3))};
    }
    return best;
}

namespace {
Mount mountOfPath(const QString& path) {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QFileInfo info(path);
    QString folder = QFileInfo(info.isDir() ? path : info.absolutePath()).canonicalFilePath();
    return mountOf(folder.isEmpty() ? info.absolutePath() : folder, file.readAll());
}
}  // namespace

QString describeFileSystem(const QString& path) {
    const Mount m = mountOfPath(path);
    if (m.type.isEmpty()) return QString();
    // What makes such a mount safe for a shared table, or where else to keep it.
    QString advice = QStringLiteral("запустите игру с --data-dir на другом диске");
    if (m.type == QLatin1String("fuse.sshfs"))
        advice = QStringLiteral("смонтируйте папку с sshfs -o cache=no");
    else if (m.type.startsWith(QLatin1String("nfs")))
        advice = QStringLiteral("смонтируйте папку без nocto, с lookupcache=positive");
    else if (m.type == QLatin1String("cifs") || m.type == QLatin1String("smb3"))
        advice = QStringLiteral("смонтируйте папку с cache=strict");
    else if (m.type.startsWith(QLatin1String("fuse.")))
        advice = QStringLiteral("смонтируйте папку через ядро (mount -t cifs или nfs)");
    return QStringLiteral(" (файловая система %1, %2; %3)").arg(m.type, m.source, advice);
}

QString sharingProblem(const Mount& mount) {
    const QStringList options = mount.options.split(u',');
    if (mount.type.startsWith(QLatin1String("nfs")) && options.contains(QLatin1String("nocto")))
        return QStringLiteral(
                   "папка смонтирована по NFS с параметром nocto, и другие компьютеры могут видеть "
                   "старую таблицу; смонтируйте %1 без nocto")
            .arg(mount.point);
    return QString();
}

QString sharingProblem(const QString& path) {
    return sharingProblem(mountOfPath(path));
}

}  // namespace talomir::filestore
