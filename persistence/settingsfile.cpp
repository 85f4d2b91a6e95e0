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

// Hands out the file's lines one by one; an exhausted file is a failed step.
class LineReader {
public:
    explicit LineReader(const QStringList& lines) : lines_(lines) {}
    std::optional<QString> next() {
        if (pos_ >= lines_.size()) return std::nullopt;
        return lines_[pos_++];
    }

private:
    const QStringList& lines_;
    qsizetype pos_ = 0;
};

}  // namespace

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
    using namespace textfile;
    LineReader in(lines);
    const auto lenient = [&](double& out) {
        auto l = in.next();
        if (!l) return false;
        out = lenientNumber(*l);
        return true;
    };
    const auto strict = [&](double& out) {
        auto l = in.next();
        if (!l) return false;
        auto v = strictNumber(*l);
        if (!v) return false;
        out = *v;
        return true;
    };
    const auto boolean = [&](bool& out) {
        auto l = in.next();
        if (!l) return false;
        auto v = readBoolean(*l);
        if (!v) return false;
        out = *v;
        return true;
    };
    const auto integer = [&](Integer& out) {
        auto l = in.next();
        if (!l) return false;
        auto v = readInteger16(*l);
        if (!v) return false;
        out = *v;
        return true;
    };

    double left = 0, top = 0;
    if (!lenient(left) || !lenient(top)) return false;
    if (apply) windows_.setMainPosition({left, top});

    for (SideWindow w : kSides) {
        bool visible = false;
        if (!boolean(visible)) return false;
        // The first side window's position reads leniently, the others strictly. A shown window
        // is placed before it is shown: some window managers (weston's, for Xwayland) place a
        // window only as it first appears.
        const bool placed =
            !visible || (w == SideWindow::TalomirFathers ? lenient(left) && lenient(top)
                                                         : strict(left) && strict(top));
        if (apply) {
            if (visible && placed) windows_.setSidePosition(w, {left, top});
            windows_.setSideVisible(w, visible);
        }
        if (!placed) return false;
    }

    bool soundOn = false;
    if (!boolean(soundOn)) return false;
    if (apply) sound_.setSoundOn(soundOn);
    if (!in.next()) return false;  // the marker, never checked

    auto music = in.next();
    if (!music) return false;
    if (apply) sound_.setMusicPath(*music);
    bool loop = false;
    if (!boolean(loop)) return false;
    if (apply) sound_.setMusicOn(loop);

    Integer volume = 0;
    if (!integer(volume)) return false;
    if (apply) sound_.setMusicVolume(volume);

    for (int c = 0; c < kClipRecords; ++c) {
        auto p = in.next();
        if (!p) return false;
        if (apply) sound_.setClipPath(c, *p);
        bool enabled = false;
        if (!boolean(enabled)) return false;
        if (apply) sound_.setClipOn(c, enabled);
        Integer clipVolume = 0;
        if (!integer(clipVolume)) return false;
        if (apply) sound_.setClipVolume(c, clipVolume);
    }

    Integer speed = 0;
    if (!integer(speed)) return false;
    if (apply) sound_.setSweepStep(speed);
    return true;
}

}  // namespace talomir
