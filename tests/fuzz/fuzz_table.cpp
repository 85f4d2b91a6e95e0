// The hall-of-fame reader and writer on any bytes: no crash or sanitizer finding; a file that is
// not a table is never replaced; a table gets the new entry and keeps what it held, and the file
// written reads back as exactly what the lists show.
#include <QTemporaryDir>

#include "persistence/halloffame.h"
#include "tests/fuzz/fuzz_files.h"

using namespace talomir;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::start(data, size);
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TalomirFathers.txt"));
    fuzz::put(path, bytes);
    const bool table = HallOfFame::isTable(textfile::splitLines(textfile::decode(bytes)));
    HallOfFame hof(path);
    hof.Load_Records();
    const QStringList before = hof.names();
    const auto outcome = hof.Add_Record(-7, [](QString& n) {
        n = QStringLiteral("FUZZ");
        return true;
    });
    const QByteArray after = fuzz::readAll(path);
    if (!table) {
        if (after != bytes || outcome == HallOfFame::AddOutcome::Saved) abort();
        return 0;
    }
    if (outcome == HallOfFame::AddOutcome::NoPlace) return after == bytes ? 0 : (abort(), 0);
    if (outcome != HallOfFame::AddOutcome::Saved) abort();
    HallOfFame reread(path);
    reread.Load_Records();
    if (reread.names() != hof.names() || reread.scores() != hof.scores()) abort();
    // The old entries in their order, with the new one inserted somewhere (entry 100 may go).
    const QStringList now = hof.names();
    for (qsizetype k = 0; k < now.size(); ++k) {
        QStringList rest = now;
        rest.removeAt(k);
        if (now[k] == QLatin1String("FUZZ") && rest == before.mid(0, rest.size())) return 0;
    }
    abort();
}
