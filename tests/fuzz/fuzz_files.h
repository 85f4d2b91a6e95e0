#pragma once
// What the targets that put bytes into the game's files share: the application the file code
// needs, with the game's own logging off, and files written and read whole. A file that cannot be
// written is the machine's failure, not a finding: the run stops.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <cstdlib>

namespace talomir::fuzz {

// Once per process; returns the input as bytes.
inline QByteArray start(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool quiet =
        (QLoggingCategory::setFilterRules(QStringLiteral("talomir.*=false")), true);
    (void)quiet;
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        abort();
}

// A file that is not there reads as "<none>", which no check takes for a table or a journal.
inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

}  // namespace talomir::fuzz
