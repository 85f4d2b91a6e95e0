#include "scoring/halloffame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLockFile>
#include <QThread>
#include <algorithm>
#include <utility>

namespace talomir {

namespace {

const QStringList& defaultFileLines() {
    static const QStringList lines{QStringLiteral("Zarno"), QStringLiteral("0")};
    return lines;
}

// Takes the table's lock within timeoutMs. QLockFile's own wait doubles its pause between tries
// (up to seconds), so copies that queue up together keep missing each other; short tries with a
// little jitter serve them one after another.
bool acquire(QLockFile& lock, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    quint32 jitter = static_cast<quint32>(QCoreApplication::applicationPid()) * 2654435761u;
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || waited.elapsed() >= timeoutMs)
            return false;
        jitter = jitter * 1664525u + 1013904223u;
        QThread::msleep(10 + (jitter >> 24) % 30);
    }
    return true;
}

QString lockFailure(const QLockFile& lock) {
    switch (lock.error()) {
        case QLockFile::LockFailedError:
            return QStringLiteral("the hall of fame is locked by another copy of the game");
        case QLockFile::PermissionError:
            return QStringLiteral("no permission to lock the hall of fame");
        default:
            return QStringLiteral("the hall of fame cannot be locked");
    }
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

}  // namespace

HallOfFame::HallOfFame(QString path) : path_(std::move(path)) {}

QString HallOfFame::lockPath() const {
    return path_.isEmpty() ? QString() : path_ + QStringLiteral(".lock");
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

bool HallOfFame::createDefaultFile() {
    QLockFile lock(lockPath());
    lock.setStaleLockTime(kStaleLockMs);
    if (!acquire(lock, lockTimeoutMs_)) {
        lastError_ = lockFailure(lock);
        return false;
    }
    // Another copy may have created it while this one waited for the lock.
    if (textfile::readLines(path_).status != textfile::ReadStatus::Missing) return true;
    QString error;
    if (!textfile::writeLines(path_, defaultFileLines(), &error)) {
        lastError_ = error;
        return false;
    }
    return true;
}

bool HallOfFame::hasPlace(const std::vector<double>& scores, double score) {
    if (std::any_of(scores.begin(), scores.end(), [score](double s) { return score > s; })) {
        return true;
    }
    return scores.size() < static_cast<std::size_t>(kMaxEntries);
}

bool HallOfFame::insertEntry(QStringList& names, std::vector<double>& scores, const Entry& entry) {
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
    for (const Entry& entry : unsaved_) insertEntry(names_, scores_, entry);
}

QStringList HallOfFame::fileLines(const QStringList& names, const std::vector<double>& scores) {
    QStringList lines;
    lines.reserve(names.size() * 2);
    for (qsizetype i = 0; i < names.size(); ++i) {
        lines.append(names[i]);
        lines.append(textfile::printNumber(scores[static_cast<std::size_t>(i)]));
    }
    return lines;
}

bool HallOfFame::writeUnsaved(bool* lastPlaced) {
    if (lastPlaced) *lastPlaced = true;
    if (unsaved_.empty()) return true;
    QLockFile lock(lockPath());
    lock.setStaleLockTime(kStaleLockMs);
    if (!acquire(lock, lockTimeoutMs_)) {
        lastError_ = lockFailure(lock);
        return false;
    }
    // The re-read under the lock is what gets written back, so nothing another copy wrote is lost.
    const textfile::ReadResult file = textfile::readLines(path_);
    if (file.status == textfile::ReadStatus::Unreadable) {
        lastError_ = file.error;
        return false;
    }
    QStringList names;
    std::vector<double> scores;
    parseTable(file.lines, names, scores);
    bool placed = true;
    for (const Entry& entry : unsaved_) placed = insertEntry(names, scores, entry);
    QString error;
    if (!textfile::writeLines(path_, fileLines(names, scores), &error)) {
        lastError_ = error;
        return false;
    }
    unsaved_.clear();
    names_ = std::move(names);
    scores_ = std::move(scores);
    loadStatus_ = textfile::ReadStatus::Read;
    lastError_.clear();
    if (lastPlaced) *lastPlaced = placed;
    return true;
}

HallOfFame::AddOutcome HallOfFame::Add_Record(std::int32_t FinalScore,
                                              const std::function<bool(QString& name)>& askName) {
    bCancelRecord = false;
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
    Entry entry{path_.isEmpty() ? name : storableName(name), score};
    if (path_.isEmpty()) {
        insertEntry(names_, scores_, entry);
        return AddOutcome::Saved;
    }
    unsaved_.push_back(entry);
    bool placed = true;
    if (writeUnsaved(&placed)) return placed ? AddOutcome::Saved : AddOutcome::Displaced;
    insertEntry(names_, scores_, entry);
    return AddOutcome::NotSaved;
}

bool HallOfFame::Save_Records() {
    if (path_.isEmpty()) return true;
    return writeUnsaved(nullptr);
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
    lines.reserve(names_.size());
    for (qsizetype i = 0; i < names_.size(); ++i) {
        lines.append(
            tableLine(static_cast<int>(i + 1), names_[i], scores_[static_cast<std::size_t>(i)]));
    }
    return lines;
}

}  // namespace talomir
