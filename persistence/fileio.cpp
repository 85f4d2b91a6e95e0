#include "persistence/fileio.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>

#include "persistence/filestore.h"

namespace talomir::filestore::io {

namespace {

// File systems whose client may answer from caches that another computer's writes have made
// old: their reads ask the server first.
bool remote(int fd) {
    struct statfs fs = {};
    if (::fstatfs(fd, &fs) != 0) return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case FUSE_SUPER_MAGIC:
        case NFS_SUPER_MAGIC:
        case SMB_SUPER_MAGIC:
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2 and SMB3
        case V9FS_MAGIC:
        case CEPH_SUPER_MAGIC:
        case CODA_SUPER_MAGIC:
        case AFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

// A network client answers "busy" while another computer holds the file open, and some answer
// "exists" when they cannot delete the file a rename would replace: both pass in a moment.
bool busy(int e, bool deniedToo) {
    // EIO too: an SMB client under load answers it for a request the server was slow to answer.
    return e == EBUSY || e == EEXIST || e == ETXTBSY || e == EAGAIN || e == EIO ||
           (deniedToo && (e == EACCES || e == EPERM));
}

template <class Try>
bool retryWhileBusy(Try attempt, bool deniedToo = false) {
    constexpr int kBudgetMs = 2000;
    QElapsedTimer waited;
    waited.start();
    for (int pause = 5;; pause = std::min(pause * 2, 80)) {
        if (attempt()) return true;
        if (!busy(errno, deniedToo) || waited.elapsed() > kBudgetMs) return false;
        const int e = errno;
        QThread::msleep(static_cast<unsigned long>(pause));
        errno = e;
    }
}

}  // namespace

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

bool readOpen(int fd, qint64 maxBytes, QByteArray& bytes, QString* error, struct stat* st) {
    struct stat own = {};
    if (!st) st = &own;
    if (::fstat(fd, st) != 0) return fail(error, reason(errno));
    if (!S_ISREG(st->st_mode)) return fail(error, QStringLiteral("это не обычный файл"));
    const bool fromServer = remote(fd);
    // A size that changes under the read is read again; a few times, since only a writer that
    // ignores the lock (or a client that keeps lying) can cause it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct statx sx = {};
        if (fromServer) {
            if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_SIZE, &sx) == 0)
                st->st_size = static_cast<off_t>(sx.stx_size);
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        }
        if (st->st_size > maxBytes) return fail(error, QStringLiteral("файл слишком велик"));
        bytes.clear();
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::pread(fd, buffer, sizeof buffer, bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return fail(error, reason(errno));
            if (n == 0) break;
            bytes.append(buffer, n);
            if (bytes.size() > maxBytes) return fail(error, QStringLiteral("файл слишком велик"));
        }
        if (!fromServer || bytes.size() == st->st_size) return true;
    }
    return fail(error, QStringLiteral("файл меняется во время чтения"));
}

bool writeNewFile(int dir, const QByteArray& name, const QByteArray& bytes, const struct stat* like,
                  QString* error, bool durable) {
    Fd out(::openat(dir, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666));
    if (!out.ok()) {
        const int e = errno;
        fail(error, reason(e));
        errno = e;
        return false;
    }
    struct stat created = {};
    if (like && ::fchown(out, uid_t(-1), like->st_gid) != 0) {
        // Not a member of that group: the file keeps the writer's.
    }
    if (like)
        ::fchmod(out, like->st_mode & 07777);
    else if (::fstat(out, &created) == 0)
        ::fchmod(out, sharedMode(dir, created.st_mode));
    // A network client reports a write it could not deliver at the latest when the file closes.
    const bool written = writeAll(out, bytes) && (!durable || ::fsync(out) == 0);
    const int e = errno;
    const int fd = out;
    const bool closed = ::close(fd) == 0;
    out.release();
    if (written && closed) return true;
    const int failure = written ? errno : e;
    ::unlinkat(dir, name.constData(), 0);
    fail(error, reason(failure));
    errno = failure;
    return false;
}

mode_t sharedMode(int dir, mode_t created, bool directory) {
    struct stat d = {};
    mode_t mode = created & 07777;
    if (::fstat(dir, &d) != 0) return mode;
    const mode_t group = directory ? S_IRWXG : S_IRGRP | S_IWGRP;
    const mode_t other = directory ? S_IRWXO : S_IROTH | S_IWOTH;
    if (d.st_mode & S_IWGRP) mode |= group;
    if (d.st_mode & S_IWOTH) mode |= other;
    return mode;
}

bool renameRetrying(int fromDir, const QByteArray& from, int toDir, const QByteArray& to,
                    bool deniedToo) {
    return retryWhileBusy(
        [&] { return ::renameat(fromDir, from.constData(), toDir, to.constData()) == 0; },
        deniedToo);
}

bool unlinkRetrying(int dir, const QByteArray& name) {
    return retryWhileBusy(
        [&] { return ::unlinkat(dir, name.constData(), 0) == 0 || errno == ENOENT; });
}

}  // namespace talomir::filestore::io
