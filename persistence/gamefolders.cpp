#include "persistence/gamefolders.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

#ifndef TALOMIR_INSTALLED_DATA
#define TALOMIR_INSTALLED_DATA "../share/games/talomir"
#endif

namespace talomir {

namespace {

QString join(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString programFolder() {
    // /proc/self/exe names the executable itself even when it was started through a link.
    QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (exe.isEmpty() && QCoreApplication::instance())
        exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
}

bool shipsFiles(const QString& folder) {
    return QFileInfo(join(folder, QLatin1String(GameFolders::kSoundFolder))).isDir() ||
           QFileInfo(join(folder, QLatin1String(GameFolders::kSettingsFile))).isFile();
}

// Copies a shipped file the player has no copy of yet; the copy belongs to the player, who must
// be able to replace it even when the shipped one is read-only.
bool seed(const QString& from, const QString& to, QString& problem) {
    const QFileInfo target(to);
    if (target.exists() || target.isSymLink() || !QFileInfo(from).isFile()) return true;
    QFile source(from);
    if (!source.copy(to)) {
        problem = QStringLiteral("%1: %2").arg(to, source.errorString());
        return false;
    }
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                  QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

std::optional<GameFolders>& currentFolders() {
    static std::optional<GameFolders> folders;
    return folders;
}

}  // namespace

GameFolders GameFolders::beside(const QString& folder) {
    GameFolders f;
    f.data_ = QDir::cleanPath(folder);
    f.sound_ = join(f.data_, QLatin1String(kSoundFolder));
    return f;
}

GameFolders::Places GameFolders::systemPlaces(const QString& chosen) {
    Places p;
    p.program = programFolder();
    p.programWritable = ::access(QFile::encodeName(p.program).constData(), W_OK) == 0;
    p.installed = QDir::cleanPath(join(p.program, QStringLiteral(TALOMIR_INSTALLED_DATA)));
    p.user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!chosen.isEmpty()) p.chosen = QFileInfo(chosen).absoluteFilePath();
    return p;
}

GameFolders GameFolders::choose(const Places& places) {
    const bool shipsHere = shipsFiles(places.program);
    if (places.chosen.isEmpty() && shipsHere && places.programWritable)
        return beside(places.program);

    // A read-only copy that carries its files (a shared copy the player cannot write to)
    // ships them itself; otherwise the install's data folder does.
    const QString shipped = QDir::cleanPath(shipsHere ? places.program : places.installed);
    GameFolders f;
    f.data_ = QDir::cleanPath(places.chosen.isEmpty() ? places.user : places.chosen);
    f.sound_ = join(shipped, QLatin1String(kSoundFolder));
    if (f.data_.isEmpty() || !QDir().mkpath(f.data_)) {
        f.problem_ = QStringLiteral("%1: cannot create the folder").arg(f.data_);
        return f;
    }
    for (const char* name : {kSettingsFile, kTableFile})
        seed(join(shipped, QLatin1String(name)), f.dataFile(QLatin1String(name)), f.problem_);
    return f;
}

QString GameFolders::dataFile(const QString& name) const {
    return join(data_, name);
}

QString GameFolders::playable(const QString& path) const {
    if (path.isEmpty() || QFileInfo::exists(path)) return path;
    // Settings written on another computer may use either separator.
    const QString name = path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
    if (name.isEmpty() || sound_.isEmpty()) return path;
    const QDir folder(sound_);
    if (QFileInfo(folder.filePath(name)).isFile()) return folder.filePath(name);
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
    return path;
}

const GameFolders& GameFolders::current() {
    auto& folders = currentFolders();
    if (!folders) folders = beside(programFolder());
    return *folders;
}

void GameFolders::setCurrent(const GameFolders& folders) {
    currentFolders() = folders;
}

}  // namespace talomir
