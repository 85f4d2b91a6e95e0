#pragma once
// Reading a sound file before it is decoded. Only a regular file is read: a FIFO at the path
// would block the caller in open() for good, and a device such as /dev/urandom never ends. The
// file is opened without blocking and checked before a byte is read.

#include <QByteArray>
#include <QString>
#include <optional>

namespace talomir {

// Files above this size are refused unread: ten minutes of CD-quality stereo, far more than any
// clip or background loop needs.
inline constexpr qint64 kMaxSoundFileBytes = 100LL * 1024 * 1024;

// The whole file, or nothing when the path is empty, missing, not a regular file, unreadable or
// larger than kMaxSoundFileBytes.
std::optional<QByteArray> readSoundFile(const QString& path);

}  // namespace talomir
