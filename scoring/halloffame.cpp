#include "scoring/halloffame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <utility>

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

// Pairs of lines, name then score. A file that ends after a name line keeps that entry, with 0.
void parseTable(const QStringList& lines, QStringList& names, std::vector<double>& scores) {
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        names.append(lines[i]);
        scores.push_back(i + 1 < lines.size() ? textfile::lenientNumber(lines[i + 1]) : 0.0);
    }
}

filestore::SaveOptions tableSaving() {
    filestore::SaveOptions options;
    options.ownKind = [](const QByteArray& bytes) {
        return HallOfFame::isTable(textfile::splitLines(textfile::decode(bytes)));
    };
    options.inPlaceFallback = true;  // every writer holds the table's lock
    return options;
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
    names.clear();
    scores.clear();
    textfile::ReadResult file = textfile::readLines(path_);
    textfile::ReadStatus status = file.status;
    if (status == textfile::ReadStatus::Missing) {
        createDefaultFile();
        file = textfile::readLines(path_);
        if (file.status == textfile::ReadStatus::Missing) {
            // The file could not be created: play against the default entry in memory.
            file.status = textfile::ReadStatus::Read;
            file.lines = defaultFileLines();
        }
        if (file.status == textfile::ReadStatus::Unreadable) status = file.status;
    }
    if (file.status == textfile::ReadStatus::Unreadable) {
        lastError_ = file.error;
        return status;
    }
    parseTable(file.lines, names, scores);
    return status;
}

bool HallOfFame::acquire(filestore::Lock& lock, bool wait) {
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
        jitter = jitter * 1664525u + 1013904223u;
        if (!wait || waited.elapsed() >= lockTimeoutMs_ ||
            !pause_(10 + static_cast<int>((jitter >> 24) % 30))) {
            lastError_ = busyReason(lock.path());
            return false;
        }
    }
}

bool HallOfFame::createDefaultFile() {
    const QString target = filestore::resolve(path_, &lastError_);
    if (target.isEmpty()) return false;
    // Not worth a wait at the start: a copy holding the lock is creating the file itself.
    filestore::Lock lock(target + QStringLiteral(".lock"), staleLockMs_);
    if (!acquire(lock, false)) return false;
    // Another copy may have created it before this one took the lock.
    if (textfile::readLines(target).status != textfile::ReadStatus::Missing) return true;
    return textfile::writeLines(target, defaultFileLines(), &lastError_, tableSaving());
}

bool HallOfFame::hasPlace(const std::vector<double>& scores, double score) {
    if (std::any_of(scores.begin(), scores.end(), [score](double s) { return score > s; })) {
        return true;
    }
    return scores.size() < static_cast<std::size_t>(kMaxEntries);
}

bool HallOfFame::insertEntry(QStringList& names, std::vector<double>& scores,
                             const PendingEntry& entry) {
    const auto below =
        std::find_if(scores.begin(), scores.end(), [&entry](double s) { return entry.score > s; });
    if (below == scores.end()) {
        if (scores.size() >= static_cast<std::size_t>(kMaxEntries)) return false;
        names.append(entry.name);
        scores.push_back(entry.score);
        return true;
    }
    const auto index = below - scores.begin();
    scores.insert(below, entry.score);
    names.insert(index, entry.name);
    if (scores.size() > static_cast<std::size_t>(kMaxEntries)) {
        // Only entry 100 goes: a longer file edited by hand keeps its other entries.
        scores.erase(scores.begin() + kMaxEntries);
        names.removeAt(kMaxEntries);
    }
    return true;
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
    if (unsaved_.empty()) return true;
    const QString target = filestore::resolve(path_, &lastError_);
    if (target.isEmpty()) return false;
    filestore::Lock lock(target + QStringLiteral(".lock"), staleLockMs_);
    if (!acquire(lock, wait) || !filestore::recoverInPlaceWrite(target, &lastError_)) return false;
    // The re-read under the lock is what gets written back, so nothing another copy wrote is lost.
    const textfile::ReadResult file = textfile::readLines(target);
    if (file.status == textfile::ReadStatus::Unreadable) {
        lastError_ = file.error;
        return false;
    }
    QStringList names;
    std::vector<double> scores;
    parseTable(file.lines, names, scores);
    std::vector<PendingEntry> pushedOut;
    for (const PendingEntry& entry : unsaved_)
        if (!insertEntry(names, scores, entry)) pushedOut.push_back(entry);
    if (!textfile::writeLines(target, fileLines(names, scores), &lastError_, tableSaving()))
        return false;
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
    return true;
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
