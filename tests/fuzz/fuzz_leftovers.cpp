// What other copies leave beside a shared table that is gone, on any bytes: the owner file of a
// copy's own lock folder, a stopped holder's complete copy and older copies' temporary files.
// No crash or sanitizer finding; the table is made again from the copies that read as whole
// tables (or as the default table), holds no entry that none of them held, and what stopped
// writers left is cleared.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include "persistence/halloffame.h"

using namespace talomir;

namespace {
void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool quiet =
        (QLoggingCategory::setFilterRules(QStringLiteral("talomir.*=false")), true);
    (void)quiet;
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("TalomirFathers.txt"));
    // Parts apart at each form feed: owner file, complete copy, temporary copies.
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\f');
    put(table + QStringLiteral(".lock.new-0123456789abcdef/owner"), parts.value(0));
    put(table + QStringLiteral(".lock.stale-0123456789abcdef/new-1"), parts.value(1));
    for (qsizetype i = 2; i < parts.size() && i < 5; ++i)
        put(table + QStringLiteral(".tmp") + QString::number(i), parts[i]);
    HallOfFame hof(table);
    hof.Load_Records();
    QFile f(table);
    if (!f.open(QIODevice::ReadOnly)) abort();
    const QStringList lines = textfile::splitLines(textfile::decode(f.readAll()));
    if (!HallOfFame::isTable(lines)) abort();
    QStringList all;
    for (const QByteArray& part : parts.mid(1)) all += textfile::splitLines(textfile::decode(part));
    for (qsizetype i = 0; i < lines.size(); i += 2)
        if (lines[i] != QLatin1String("Zarno") && !all.contains(lines[i])) abort();
    // A foreign copy's own folder may stay (it may be waiting still); nothing else may.
    const QStringList left = QDir(dir.path())
                                 .entryList({QStringLiteral("*.tmp*"), QStringLiteral("*.stale-*"),
                                             QStringLiteral("*.lock")},
                                            QDir::AllEntries | QDir::Hidden);
    if (!left.isEmpty()) abort();
    return 0;
}
