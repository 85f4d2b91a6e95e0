#include "persistence/journal.h"

#include <QDir>
#include <QThread>
#include <algorithm>

#include "persistence/filestore.h"
#include "persistence/sharedlock.h"
#include "persistence/textfile.h"

namespace talomir {

namespace {

constexpr int kFields = 5;
constexpr int kLockTries = 150;  // 3 s: an abandoned lock of this computer is judged at once

bool parse(const QByteArray& bytes, auto& records) {
    const QStringList lines = textfile::splitLines(QString::fromUtf8(bytes));
    if (lines.size() % kFields) return false;
    for (qsizetype i = 0; i < lines.size(); i += kFields) {
        const auto score = textfile::strictNumber(lines[i + 4]);
        if (!score) return false;
        records.push_back({lines[i], lines[i + 1], lines[i + 2], lines[i + 3], *score});
    }
    return true;
}

}  // namespace

RecordJournal::RecordJournal(QString folder) : folder_(std::move(folder)) {}

QString RecordJournal::path() const {
    return QDir(folder_).filePath(QString::fromLatin1(kFileName));
}

template <class Edit>
bool RecordJournal::change(Edit edit) {
    lastError_.clear();
    QDir().mkpath(folder_);
    filestore::Lock lock(path() + QStringLiteral(".lock"));
    filestore::Lock::Attempt attempt = lock.tryLock();
    for (int i = 0; attempt == filestore::Lock::Attempt::Busy && i < kLockTries; ++i) {
        QThread::msleep(20);
        attempt = lock.tryLock();
    }
    if (attempt != filestore::Lock::Attempt::Taken) {
        lastError_ = lock.error().isEmpty() ? QStringLiteral("журнал занят") : lock.error();
        return false;
    }
    const filestore::Contents file = filestore::read(path());
    std::vector<Record> records;
    if (file.found == filestore::Found::Refused ||
        (file.found == filestore::Found::File && !parse(file.bytes, records))) {
        lastError_ = file.error.isEmpty() ? QStringLiteral("файл журнала повреждён") : file.error;
        return false;
    }
    if (!edit(records)) return true;
    QStringList lines;
    for (const Record& r : records)
        lines << r.id << r.owner << r.table << r.name << textfile::printNumber(r.score);
    filestore::SaveOptions options;
    options.ownKind = [](const QByteArray& bytes) {
        std::vector<Record> ignored;
        return parse(bytes, ignored);
    };
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toUtf8() + "\r\n";
    return filestore::save(path(), bytes, &lastError_, options);
}

std::vector<PendingEntry> RecordJournal::adopt(const QString& table) {
    std::vector<PendingEntry> taken;
    const QString me = filestore::processTag();
    const auto adoptable = [&](const Record& r) {
        return r.table == table && r.owner != me && filestore::processGone(r.owner);
    };
    // Every game start asks, and almost always there is nothing to take: a look without the
    // lock settles that, so the start waits on no lock. The journal is only ever replaced whole,
    // and an entry can only become adoptable once its process has ended, after it was written.
    {
        const filestore::Contents file = filestore::read(path());
        std::vector<Record> records;
        if (file.found == filestore::Found::Nothing) return taken;
        if (file.found == filestore::Found::File && parse(file.bytes, records) &&
            std::none_of(records.begin(), records.end(), adoptable))
            return taken;
    }
    const bool saved = change([&](std::vector<Record>& records) {
        for (Record& r : records) {
            if (!adoptable(r)) continue;
            r.owner = me;
            taken.push_back({r.id, r.name, r.score, true});
        }
        return !taken.empty();
    });
    if (!saved) taken.clear();  // still another process's for all the others can tell
    return taken;
}

bool RecordJournal::add(const QString& table, const PendingEntry& entry) {
    return change([&](std::vector<Record>& records) {
        records.push_back({entry.id, filestore::processTag(), table, entry.name, entry.score});
        return true;
    });
}

bool RecordJournal::remove(const QStringList& ids) {
    return change([&](std::vector<Record>& records) {
        const auto before = records.size();
        std::erase_if(records, [&](const Record& r) { return ids.contains(r.id); });
        return records.size() != before;
    });
}

}  // namespace talomir
