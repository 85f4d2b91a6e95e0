#include "persistence/halloffame.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <utility>

#include "persistence/logging.h"
#include "persistence/sharedlock.h"

namespace talomir {

namespace {

const QStringList& defaultFileLines() {
    static const QStringList lines{QStringLiteral("Zarno"), QStringLiteral("0")};
    return lines;
}

// What the file would hold of the name: characters outside the code page become "?", and a line
// break, which would split the entry into two, becomes a blank.
QString storableName(QString name) {
    name.replace(u'\r', u' ');
    name.replace(u'\n', u' ');
    return textfile::decode(textfile::encode(name));
}

// Inserts the entry below every entry of an equal or higher score; false when the table is full
// and the entry's place would be 100 or below.
bool insertEntry(QStringList& names, std::vector<double>& scores, const PendingEntry& entry) {
    constexpr auto kMax = static_cast<std::size_t>(HallOfFame::kMaxEntries);
    const auto below =
        std::find_if(scores.begin(), scores.end(), [&entry](double s) { return entry.score > s; });
    if (below == scores.end()) {
        if (scores.size() >= kMax) return false;
        names.append(entry.name);
        scores.push_back(entry.score);
        return true;
    }
    const auto index = below - scores.begin();
    scores.insert(below, entry.score);
    names.insert(index, entry.name);
    if (scores.size() > kMax) {
        // Only entry 100 goes: a longer file edited by hand keeps its other entries.
        scores.erase(scores.begin() + HallOfFame::kMaxEntries);
        names.removeAt(HallOfFame::kMaxEntries);
    }
    return true;
}

// Pairs of lines, name then score. A file that ends after a name line keeps that entry, with 0.
void parseTable(const QStringList& lines, QStringList& names, std::vector<double>& scores) {
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        names.append(lines[i]);
        scores.push_back(i + 1 < lines.size() ? textfile::lenientNumber(lines[i + 1]) : 0.0);
    }
}

filestore::SaveOptions tableSaving(filestore::Lock& lock, const filestore::Contents& basis) {
    filestore::SaveOptions options;
    options.ownKind = [](const QByteArray& bytes) {
        return HallOfFame::isTable(textfile::splitLines(textfile::decode(bytes)));
    };
    options.inPlaceFallback = true;  // every writer holds the table's lock
    options.lock = &lock;
    options.basis = &basis;
    return options;
}

// New copies of the table that older copies of the game left beside it ("<table>.tmp<random>")
// when a crash or a failed rename stopped them.
QStringList oldTemporaryCopies(const QString& target) {
    const QFileInfo info(target);
    const QDir folder(info.absolutePath());
    QStringList found;
    for (const QString& name : folder.entryList({info.fileName() + QStringLiteral(".tmp*")},
                                                QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        found << folder.filePath(name);
    return found;
}

// Copies of one table a few steps apart, joined: every entry, as often as the copy that holds it
// most often holds it, at its place by score.
void joinTables(QList<QStringList> tables, QStringList& names, std::vector<double>& scores) {
    std::sort(tables.begin(), tables.end(),
              [](const QStringList& a, const QStringList& b) { return a.size() > b.size(); });
    for (const QStringList& table : tables) {
        QStringList theirs;
        std::vector<double> theirScores;
        parseTable(table, theirs, theirScores);
        for (qsizetype i = 0; i < theirs.size(); ++i) {
            const auto same = [&](qsizetype j, const QStringList& n, const std::vector<double>& s) {
                return n[j] == theirs[i] && s[std::size_t(j)] == theirScores[std::size_t(i)];
            };
            qsizetype want = 0, have = 0;
            for (qsizetype j = 0; j < theirs.size(); ++j) want += same(j, theirs, theirScores);
            for (qsizetype j = 0; j < names.size(); ++j) have += same(j, names, scores);
            if (have < want)
                insertEntry(names, scores, {QString(), theirs[i], theirScores[std::size_t(i)]});
        }
    }
}

QString busyReason(const QString& lockPath) {
    return QStringLiteral("таблица занята другой копией игры (блокировка ") + lockPath + u')';
}

}  // namespace

HallOfFame::HallOfFame(QString path) : path_(std::move(path)) {
    pause_ = [](int ms) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return true;
    };
}

bool HallOfFame::isTable(const QStringList& lines) {
    if (lines.size() % 2 != 0) return false;
    for (qsizetype i = 1; i < lines.size(); i += 2)
        if (!textfile::strictNumber(lines[i])) return false;
    return true;
}

void HallOfFame::setJournal(RecordJournal* journal) {
    journal_ = journal;
    if (!journal_ || path_.isEmpty()) return;
    for (PendingEntry& entry : journal_->adopt(QFileInfo(path_).absoluteFilePath()))
        unsaved_.push_back(std::move(entry));
}

void HallOfFame::Clear_Records() {
    names_.clear();
    scores_.clear();
}

void HallOfFame::Load_Records() {
    Clear_Records();
    lastError_.clear();
    if (path_.isEmpty()) {
        loadStatus_ = textfile::ReadStatus::Read;
        return;
    }
    loadStatus_ = readTable(names_, scores_);
    mergeUnsavedIntoLists();
    if (!unsaved_.empty()) writeUnsaved(false);
}

textfile::ReadStatus HallOfFame::readTable(QStringList& names, std::vector<double>& scores) {
    textfile::ReadResult file = textfile::readLines(path_);
    textfile::ReadStatus status = file.status;
    if (status == textfile::ReadStatus::Missing) {
        // Usually another copy is replacing it (some network clients delete the old file before
        // they rename the new one into place), or a replace was cut short: under the lock it is
        // then read, rebuilt or created.
        createDefaultFile();
        file = textfile::readLines(path_);
        if (file.status == textfile::ReadStatus::Missing) {
            // The file could not be created: play against the default entry in memory.
            file.status = textfile::ReadStatus::Read;
            file.lines = defaultFileLines();
        }
        if (file.status == textfile::ReadStatus::Unreadable) status = file.status;
    }
    names.clear();
    scores.clear();
    if (file.status == textfile::ReadStatus::Unreadable) {
        lastError_ = file.error;
        return status;
    }
    parseTable(file.lines, names, scores);
    return status;
}

bool HallOfFame::acquire(filestore::Lock& lock, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    // Short tries with a little jitter serve copies that queue up together one after another.
    quint32 jitter = static_cast<quint32>(QCoreApplication::applicationPid()) * 2654435761u;
    for (;;) {
        switch (lock.tryLock()) {
            case filestore::Lock::Attempt::Taken:
                return true;
            case filestore::Lock::Attempt::Broken:
                lastError_ = lock.error();
                return false;
            case filestore::Lock::Attempt::Busy:
                break;
        }
        // The longer the queue, the less often each copy asks: a share that many copies wait on
        // spends its time on the holder's writes.
        jitter = jitter * 1664525u + 1013904223u;
        const qint64 spread = std::min<qint64>(30 + waited.elapsed() / 10, 240);
        if (waited.elapsed() >= timeoutMs ||
            !pause_(10 + static_cast<int>((jitter >> 8) % quint32(spread)))) {
            lastError_ = busyReason(lock.path());
            return false;
        }
    }
}

bool HallOfFame::createDefaultFile() {
    return update(std::min(lockTimeoutMs_, kMissingWaitMs));
}

bool HallOfFame::hasPlace(const std::vector<double>& scores, double score) {
    if (std::any_of(scores.begin(), scores.end(), [score](double s) { return score > s; })) {
        return true;
    }
    return scores.size() < static_cast<std::size_t>(kMaxEntries);
}

void HallOfFame::mergeUnsavedIntoLists() {
    for (const PendingEntry& entry : unsaved_) insertEntry(names_, scores_, entry);
}

QStringList HallOfFame::fileLines(const QStringList& names, const std::vector<double>& scores) {
    QStringList lines;
    for (qsizetype i = 0; i < names.size(); ++i) {
        lines.append(names[i]);
        lines.append(textfile::printNumber(scores[static_cast<std::size_t>(i)]));
    }
    return lines;
}

bool HallOfFame::writeUnsaved(bool wait) {
    return unsaved_.empty() || update(wait ? lockTimeoutMs_ : 0);
}

bool HallOfFame::update(int timeoutMs) {
    if (!textfile::codecAvailable()) {
        lastError_ = QStringLiteral("нет кодировки Windows-1251");
        return false;
    }
    const QString target = filestore::resolve(path_, &lastError_);
    if (target.isEmpty()) return false;
    if (const QString problem = filestore::sharingProblem(target); !problem.isEmpty()) {
        lastError_ = problem;
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    // A lock lost to another copy before the rename costs nothing but a new try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        filestore::Lock lock(target + QStringLiteral(".lock"), staleLockMs_);
        if (!acquire(lock, std::max<int>(0, timeoutMs - int(waited.elapsed()))) ||
            !filestore::recoverInPlaceWrite(target, &lastError_))
            return false;
        const filestore::Replaced stored = storeUnderLock(lock, target);
        if (stored != filestore::Replaced::Lost) return stored == filestore::Replaced::Yes;
    }
    return false;
}

filestore::Replaced HallOfFame::storeUnderLock(filestore::Lock& lock, const QString& target) {
    using filestore::Replaced;
    for (int round = 0; round < 3; ++round) {
        // The re-read under the lock is what gets written back, so nothing another copy wrote is
        // lost; a writer that ignores the lock and replaces it meanwhile makes it read again.
        const filestore::Contents basis = filestore::read(target);
        if (basis.found == filestore::Found::Refused) {
            lastError_ = basis.error;
            return Replaced::No;
        }
        const bool gone = basis.found == filestore::Found::Nothing;
        if (!gone && unsaved_.empty()) return Replaced::Yes;  // created by another copy meanwhile
        // What stopped writers left is cleared by every holder; it rebuilds a table that is gone.
        const QStringList leftovers = lock.recoverableCopies() + oldTemporaryCopies(target);
        QStringList names;
        std::vector<double> scores;
        QList<QStringList> copies;
        if (gone) {
            for (const QString& copy : leftovers) {
                // Every line of a complete copy ends, the last one too: a copy cut off in the
                // middle of a line would bring a name or score cut short.
                const filestore::Contents c = filestore::read(copy);
                const QStringList lines = textfile::splitLines(textfile::decode(c.bytes));
                if (c.found == filestore::Found::File &&
                    (c.bytes.endsWith('\r') || c.bytes.endsWith("\r\n")) && isTable(lines))
                    copies << lines;
            }
            joinTables(copies, names, scores);
            if (!copies.isEmpty())
                qCWarning(lcScores) << "table" << target << "rebuilt from" << copies.size()
                                    << "copies left by writers that were stopped";
        } else {
            parseTable(textfile::splitLines(textfile::decode(basis.bytes)), names, scores);
        }
        const bool fresh = gone && copies.isEmpty();
        if (fresh) parseTable(defaultFileLines(), names, scores);
        std::vector<PendingEntry> pushedOut;
        for (const PendingEntry& entry : unsaved_)
            if (!insertEntry(names, scores, entry)) pushedOut.push_back(entry);
        // A new table holds exactly the default lines until an entry joins them.
        const QStringList lines =
            fresh && unsaved_.empty() ? defaultFileLines() : fileLines(names, scores);
        const Replaced replaced = filestore::replace(target, textfile::encodeLines(lines),
                                                     &lastError_, tableSaving(lock, basis));
        if (replaced == Replaced::Changed) continue;
        if (replaced != Replaced::Yes) return replaced;
        // Older copies' leftovers go now; the lock's own when it is released.
        for (const QString& copy : leftovers)
            if (!copy.startsWith(lock.path() + u'.')) QFile::remove(copy);
        QStringList stored;
        for (const PendingEntry& entry : unsaved_)
            if (entry.kept) stored << entry.id;
        // Forgotten once stored; should that fail, the journal's copy is at worst stored again.
        if (journal_ && !stored.isEmpty()) journal_->remove(stored);
        unsaved_.clear();
        displaced_.insert(displaced_.end(), pushedOut.begin(), pushedOut.end());
        names_ = std::move(names);
        scores_ = std::move(scores);
        loadStatus_ = textfile::ReadStatus::Read;
        lastError_.clear();
        return Replaced::Yes;
    }
    qCWarning(lcScores) << "table" << target << "kept changing under the lock:" << lastError_;
    return Replaced::No;
}

void HallOfFame::keepInJournal() {
    if (!journal_) return;
    const QString table = QFileInfo(path_).absoluteFilePath();
    for (PendingEntry& entry : unsaved_)
        if (!entry.kept) entry.kept = journal_->add(table, entry);
}

HallOfFame::AddOutcome HallOfFame::Add_Record(std::int32_t FinalScore,
                                              const std::function<bool(QString& name)>& askName) {
    bCancelRecord = false;
    justFailed_ = false;
    const double score = FinalScore;
    if (count() > 0 && !path_.isEmpty()) {
        // Choose the place against the file as it is now; a file that cannot be read at the
        // moment leaves the table as last read.
        QStringList names;
        std::vector<double> scores;
        if (readTable(names, scores) != textfile::ReadStatus::Unreadable) {
            names_ = std::move(names);
            scores_ = std::move(scores);
            mergeUnsavedIntoLists();
        }
    }
    if (!hasPlace(scores_, score)) return AddOutcome::NoPlace;
    QString name;
    if (!askName(name)) {
        bCancelRecord = true;
        return AddOutcome::Cancelled;
    }
    PendingEntry entry{QUuid::createUuid().toString(QUuid::WithoutBraces),
                       path_.isEmpty() ? name : storableName(name), score};
    if (path_.isEmpty()) {
        insertEntry(names_, scores_, entry);
        return AddOutcome::Saved;
    }
    unsaved_.push_back(entry);
    if (writeUnsaved(true)) {
        const bool pushedOut =
            std::any_of(displaced_.begin(), displaced_.end(),
                        [&entry](const PendingEntry& e) { return e.id == entry.id; });
        return pushedOut ? AddOutcome::Displaced : AddOutcome::Saved;
    }
    justFailed_ = true;
    insertEntry(names_, scores_, entry);
    keepInJournal();
    return AddOutcome::NotSaved;
}

bool HallOfFame::Save_Records() {
    if (path_.isEmpty()) return true;
    if (justFailed_) {
        justFailed_ = false;
        return unsaved_.empty();
    }
    const bool saved = writeUnsaved(true);
    if (!saved) keepInJournal();
    return saved;
}

bool HallOfFame::retryUnsaved() {
    if (path_.isEmpty()) return true;
    const bool saved = writeUnsaved(false);
    if (!saved) keepInJournal();
    return saved;
}

QString HallOfFame::tableLine(int place, const QString& name, double score) {
    QString line = QString::number(place) + u'.';
    if (place < 10) line += u' ';
    line += name;
    line += QString(std::max<qsizetype>(kNameWidth - name.size(), 1), u' ');
    line += textfile::plainNumber(score);
    return line;
}

QStringList HallOfFame::Fill_Table_List() const {
    QStringList lines;
    for (qsizetype i = 0; i < names_.size(); ++i) {
        lines.append(
            tableLine(static_cast<int>(i + 1), names_[i], scores_[static_cast<std::size_t>(i)]));
    }
    return lines;
}

}  // namespace talomir
