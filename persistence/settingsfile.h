#pragma once
// The settings file TaloVostrun.ini: one value a line, in a fixed order, without keys; the window
// positions, the open side windows and every sound choice. It reads into, and writes from, the
// windows and the sound through two narrow interfaces, so it knows neither.
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>

#include "persistence/gamefolders.h"
#include "rules/vbtypes.h"

namespace talomir {

enum class SideWindow { TalomirFathers, Statistic, Future };

// The windows as the settings file sees them. Positions are in twips (outer frame).
class WindowPlaces {
public:
    virtual ~WindowPlaces() = default;
    virtual QPointF mainPosition() const = 0;
    virtual void setMainPosition(QPointF twips) = 0;
    virtual bool sideVisible(SideWindow w) const = 0;
    virtual void setSideVisible(SideWindow w, bool visible) = 0;
    virtual QPointF sidePosition(SideWindow w) const = 0;
    virtual void setSidePosition(SideWindow w, QPointF twips) = 0;
};

// The sound choices as the settings file sees them. The nine clips are numbered in the file's
// order; a path "..." in the file stands for the shipped file and reaches the setters as it is.
class SoundSettings {
public:
    virtual ~SoundSettings() = default;
    virtual bool soundOn() const = 0;
    virtual void setSoundOn(bool on) = 0;
    virtual QString musicPath() const = 0;
    virtual void setMusicPath(const QString& path) = 0;
    virtual bool musicOn() const = 0;
    // The music starts from the path set (or is loaded and stopped).
    virtual void setMusicOn(bool on) = 0;
    virtual Integer musicVolume() const = 0;
    virtual void setMusicVolume(Integer volume) = 0;
    virtual QString clipPath(int clip) const = 0;
    virtual void setClipPath(int clip, const QString& path) = 0;
    virtual bool clipOn(int clip) const = 0;
    virtual void setClipOn(int clip, bool on) = 0;
    virtual Integer clipVolume(int clip) const = 0;
    virtual void setClipVolume(int clip, Integer volume) = 0;
    virtual Integer sweepStep() const = 0;
    virtual void setSweepStep(Integer step) = 0;
};

class SettingsReader;

class SettingsFile {
public:
    static constexpr const char* kFileName = GameFolders::kSettingsFile;
    static constexpr const char* kMarker = "talomir-music...";
    static constexpr const char* kDefaultPath = "...";
    static constexpr int kClipRecords = 9;

    // folder: where the file lives.
    SettingsFile(QString folder, WindowPlaces& windows, SoundSettings& sound);

    QString path() const;
    // Reads the file once per process and applies every value as it is read. A missing file is
    // written from memory first and read back; at an unreadable line the file is rewritten from
    // memory (with what was read so far) and reading ends there.
    void Load_Settings();
    // Writes the settings safely (see filestore::save): only over a file that reads as a settings
    // file, never more than one megabyte read. False (with lastError()) when the file cannot be
    // written or is left alone. Never throws, never leaves half a file.
    bool Save_Settings();
    QStringList lines() const;  // the file's content as Save_Settings writes it
    // Reads lines in the file's order, applying each value as it is read (apply) or only checking
    // them; false at the first unreadable line or an early end.
    bool walk(const QStringList& lines, bool apply);
    bool walkWindows(SettingsReader& in, bool apply);
    bool walkSound(SettingsReader& in, bool apply);
    // True when a file of these lines may be replaced: empty, carrying the marker, read whole, or
    // starting as a settings file.
    bool readsAsSettings(const QStringList& lines);

    QString lastError() const { return lastError_; }

private:
    QString folder_;
    WindowPlaces& windows_;
    SoundSettings& sound_;
    QString lastError_;
};

}  // namespace talomir
