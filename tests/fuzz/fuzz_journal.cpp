// The journal of unsaved entries on any bytes: no crash or sanitizer finding; a file that does
// not read as a journal is never replaced; one that does keeps its other entries, takes a new
// entry and forgets it again.
#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include "persistence/journal.h"
#include "persistence/textfile.h"

using namespace talomir;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}
// The entries' ids: the first of every five lines.
QStringList ids(const QString& path) {
    const QStringList lines = textfile::splitLines(QString::fromUtf8(readAll(path)));
    QStringList found;
    for (qsizetype i = 0; i < lines.size(); i += 5) found << lines[i];
    return found;
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
    static QTemporaryDir dir;
    RecordJournal journal(dir.path());
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(journal.path());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            abort();
    }
    const auto taken = journal.adopt(QStringLiteral("/shared/TalomirFathers.txt"));
    const QByteArray adopted = readAll(journal.path());
    const PendingEntry entry{QStringLiteral("fuzz-entry"), QStringLiteral("Имя"), 12.5, false};
    if (!journal.add(QStringLiteral("/shared/TalomirFathers.txt"), entry)) {
        // Refused: the file stays as it was.
        if (adopted != bytes || !taken.empty()) abort();
        return 0;
    }
    QStringList kept = ids(journal.path());
    if (!kept.contains(entry.id)) abort();
    kept.removeAll(entry.id);
    if (!journal.remove({entry.id}) || ids(journal.path()) != kept) abort();
    return 0;
}
