// The journal of unsaved entries on any bytes: no crash or sanitizer finding; a file that does
// not read as a journal is never replaced; one that does keeps its other entries, takes a new
// entry and forgets it again.
#include <QTemporaryDir>

#include "persistence/journal.h"
#include "persistence/textfile.h"
#include "tests/fuzz/fuzz_files.h"

using namespace talomir;

namespace {
// The entries' ids: the first of every five lines.
QStringList ids(const QString& path) {
    const QStringList lines = textfile::splitLines(QString::fromUtf8(fuzz::readAll(path)));
    QStringList found;
    for (qsizetype i = 0; i < lines.size(); i += 5) found << lines[i];
    return found;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::start(data, size);
    static QTemporaryDir dir;
    RecordJournal journal(dir.path());
    fuzz::put(journal.path(), bytes);
    const auto taken = journal.adopt(QStringLiteral("/shared/TalomirFathers.txt"));
    const QByteArray adopted = fuzz::readAll(journal.path());
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
