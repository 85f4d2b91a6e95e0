#include "sound/sound_file.h"

#include <QFile>

#if defined(__unix__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace talomir {

#if defined(__unix__)

std::optional<QByteArray> readSoundFile(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSoundFileBytes)
        return std::nullopt;
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file shrank while it was read: keep what there is
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

#else

std::optional<QByteArray> readSoundFile(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.isSequential() ||
        file.size() > kMaxSoundFileBytes)
        return std::nullopt;
    return file.readAll();
}

#endif

}  // namespace talomir
