#pragma once
// System-call helpers the file store and its lock share: descriptors that close themselves, whole
// writes, and whole reads that do not trust the client's caches. Internal to persistence/.
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

namespace talomir::filestore::io {

// A file descriptor closed at the end of its scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    operator int() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Closes it now: a file open here may not be renamed or deleted through some clients.
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Gives up ownership: the caller closes it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

QByteArray encoded(const QString& path);

// Sets *error (when given) and returns false.
bool fail(QString* error, const QString& why);

// Writes all of bytes, retrying short and interrupted writes.
bool writeAll(int fd, const QByteArray& bytes);

// Reads an open file whole, as the server holds it now: its size is asked of the server and the
// client's cached pages are dropped first, so that a copy another computer renamed into place is
// neither cut to the size this client remembers nor read from old pages. It must be a regular file
// of at most maxBytes; st receives its status.
bool readOpen(int fd, qint64 maxBytes, QByteArray& bytes, QString* error, struct stat* st);

// Creates name in the folder dir (it must not exist), writes bytes, makes them durable (unless
// told they need not survive a power loss) and closes it. It takes the permissions and group of
// like, when given (the file it is to replace), else those of a new file in that folder (see
// sharedMode).
bool writeNewFile(int dir, const QByteArray& name, const QByteArray& bytes, const struct stat* like,
                  QString* error, bool durable = true);

// The permissions for a new file (or, with directory, folder) in the folder dir that was created
// with the mode created: plus read and write for the group and for others where the folder lets
// them write, so that what a folder several users share holds stays usable by all of them.
mode_t sharedMode(int dir, mode_t created, bool directory = false);

// Renames within one file system, retrying for a moment where a network client answers that the
// file is busy (another computer has it open); with deniedToo also where it answers "permission
// denied", as an SMB server does for a folder with a file open in it. The errno of the last try
// stays set on failure.
bool renameRetrying(int fromDir, const QByteArray& from, int toDir, const QByteArray& to,
                    bool deniedToo = false);

// Deletes a file, retrying for a moment where it is busy; true also when it is already gone.
bool unlinkRetrying(int dir, const QByteArray& name);

}  // namespace talomir::filestore::io
