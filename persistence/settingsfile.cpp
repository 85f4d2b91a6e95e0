#include "persistence/settingsfile.h"

#include <QDir>
#include <optional>

#include "persistence/filestore.h"
#include "persistence/logging.h"
#include "persistence/textfile.h"

namespace talomir {

namespace {

constexpr SideWindow kSides[] = {SideWindow::TalomirFathers, SideWindow::Statistic,
                                 SideWindow::Future};

}  // namespace

// Hands out the file's lines one by one, each read as the field it holds; an exhausted file or
// a line that does not read is a failed step.
class SettingsReader {
public:
    explicit SettingsReader(const QStringList& lines) : lines_(lines) {}
    std::optional<QString> next() {
        if (pos_ >= lines_.size()) return std::nullopt;
        return lines_[pos_++];
    }
    bool text(QString& out) {
        return read(out, [](const QString& l) { return std::optional(l); });
    }
    bool lenient(double& out) {
        return read(out,
                    [](const QString& l) { return std::optional(textfile::lenientNumber(l)); });
    }
    bool strict(double& out) { return read(out, textfile::strictNumber); }
    bool boolean(bool& out) { return read(out, textfile::readBoolean); }
    bool integer(Integer& out) { return read(out, textfile::readInteger16); }

private:
    template <class T, class Parse>
    bool read(T& out, Parse&& parse) {
        const std::optional<QString> line = next();
        if (!line) return false;
        const auto value = parse(*line);
        if (!value) return false;
        out = *value;
        return true;
    }

    const QStringList& lines_;
    qsizetype pos_ = 0;
};

SettingsFile::SettingsFile(QString folder, WindowPlaces& windows, SoundSettings& sound)
    : folder_(std::move(folder)), windows_(windows), sound_(sound) {}

QString SettingsFile::path() const {
    return QDir(folder_).filePath(QString::fromLatin1(kFileName));
}

QStringList SettingsFile::lines() const {
    using namespace textfile;
    QStringList out;
    const QPointF main = windows_.mainPosition();
    out << printNumber(main.x()) << printNumber(main.y());
    for (SideWindow w : kSides) {
        const bool visible = windows_.sideVisible(w);
        out << printBoolean(visible);
        if (visible) {
            const QPointF p = windows_.sidePosition(w);
            out << printNumber(p.x()) << printNumber(p.y());
        }
    }
    out << printBoolean(sound_.soundOn()) << QString::fromLatin1(kMarker) << sound_.musicPath()
        << printBoolean(sound_.musicOn()) << printInteger(sound_.musicVolume());
    for (int c = 0; c < kClipRecords; ++c)
        out << sound_.clipPath(c) << printBoolean(sound_.clipOn(c))
            << printInteger(sound_.clipVolume(c));
    out << printInteger(sound_.sweepStep());
    return out;
}

bool SettingsFile::readsAsSettings(const QStringList& lines) {
    // Every file the game writes carries the marker; a file prepared by hand may hold another
    // one and is the game's when it reads whole, or, with a line that fails to read, when it
    // starts as the game writes one: two numbers and a Boolean.
    using namespace textfile;
    return lines.isEmpty() || lines.contains(QLatin1String(kMarker)) || walk(lines, false) ||
           (lines.size() >= 3 && strictNumber(lines[0]) && strictNumber(lines[1]) &&
            readBoolean(lines[2]));
}

bool SettingsFile::Save_Settings() {
    lastError_.clear();
    filestore::SaveOptions options;
    options.ownKind = [this](const QByteArray& bytes) {
        return readsAsSettings(textfile::splitLines(textfile::decode(bytes)));
    };
    const bool saved = textfile::writeLines(path(), lines(), &lastError_, options);
    if (!saved) qCWarning(lcSettings) << "settings not saved:" << path() << lastError_;
    return saved;
}

void SettingsFile::Load_Settings() {
    using namespace textfile;
    ReadResult file = readLines(path());
    if (file.status == ReadStatus::Missing) {
        // A first start: the file is written from memory and read back.
        if (!Save_Settings()) return;
        file = readLines(path());
    }
    if (file.status != ReadStatus::Read) {
        // Unreadable for now (permissions, a share that is down, not a file): play with what
        // memory holds and leave the file alone.
        lastError_ = file.error;
        qCWarning(lcSettings) << "settings not read:" << path() << lastError_;
        return;
    }
    // At an unreadable line the file is rewritten from memory, with what was read so far.
    if (!walk(file.lines, true)) {
        qCWarning(lcSettings) << "settings read up to a line that does not read:" << path();
        Save_Settings();
    }
}

bool SettingsFile::walk(const QStringList& lines, bool apply) {
    SettingsReader in(lines);
    return walkWindows(in, apply) && walkSound(in, apply);
}

bool SettingsFile::walkWindows(SettingsReader& in, bool apply) {
    double left = 0, top = 0;
    if (!in.lenient(left) || !in.lenient(top)) return false;
    if (apply) windows_.setMainPosition({left, top});
    for (SideWindow w : kSides) {
        bool visible = false;
        if (!in.boolean(visible)) return false;
        // The first side window's position reads leniently, the others strictly. A shown window
        // is placed before it is shown: some window managers (weston's, for Xwayland) place a
        // window only as it first appears.
        const bool placed =
            !visible || (w == SideWindow::TalomirFathers ? in.lenient(left) && in.lenient(top)
                                                         : in.strict(left) && in.strict(top));
        if (apply) {
            if (visible && placed) windows_.setSidePosition(w, {left, top});
            windows_.setSideVisible(w, visible);
        }
        if (!placed) return false;
    }
    return true;
}

bool SettingsFile::walkSound(SettingsReader& in, bool apply) {
    bool soundOn = false, loop = false;
    QString music;
    Integer volume = 0;
    if (!in.boolean(soundOn)) return false;
    if (apply) sound_.setSoundOn(soundOn);
    if (!in.next()) return false;  // the marker, never checked
    if (!in.text(music)) return false;
    if (apply) sound_.setMusicPath(music);
    if (!in.boolean(loop)) return false;
    if (apply) sound_.setMusicOn(loop);
    if (!in.integer(volume)) return false;
    if (apply) sound_.setMusicVolume(volume);
    for (int c = 0; c < kClipRecords; ++c) {
        QString path;
        bool enabled = false;
        Integer clipVolume = 0;
        if (!in.text(path)) return false;
        if (apply) sound_.setClipPath(c, path);
        if (!in.boolean(enabled)) return false;
        if (apply) sound_.setClipOn(c, enabled);
        if (!in.integer(clipVolume)) return false;
        if (apply) sound_.setClipVolume(c, clipVolume);
    }
    Integer speed = 0;
    if (!in.integer(speed)) return false;
    if (apply) sound_.setSweepStep(speed);
    return true;
}

}  // namespace talomir
