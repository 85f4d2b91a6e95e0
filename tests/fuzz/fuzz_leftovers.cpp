// What other copies leave beside a shared table that is gone, on any bytes: the owner file of a
// copy's own lock folder, a stopped holder's complete copy and older copies' temporary files.
// No crash or sanitizer finding; the table is made again from the copies that read as whole
// tables (or as the default table), holds no entry that none of them held, and what stopped
// writers left is cleared.
#include <QTemporaryDir>

#include "persistence/halloffame.h"
#include "tests/fuzz/fuzz_files.h"

using namespace talomir;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Parts apart at each form feed: owner file, complete copy, temporary copies.
    const QList<QByteArray> parts = fuzz::start(data, size).split('\f');
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("TalomirFathers.txt"));
    fuzz::put(table + QStringLiteral(".lock.new-0123456789abcdef/owner"), parts.value(0));
    fuzz::put(table + QStringLiteral(".lock.stale-0123456789abcdef/new-1"), parts.value(1));
    for (qsizetype i = 2; i < parts.size() && i < 5; ++i)
        fuzz::put(table + QStringLiteral(".tmp") + QString::number(i), parts[i]);
    HallOfFame hof(table);
    hof.Load_Records();
    const QStringList lines = textfile::splitLines(textfile::decode(fuzz::readAll(table)));
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
