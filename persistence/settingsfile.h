#pragma once
// The settings file TaloVostrun.ini: one value a line, in a fixed order,
// without keys; the window positions, the open side windows and every sound choice.
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>

#include "rules/vbtypes.h"
#include "persistence/gamefolders.h"

namespace talomir {

class SoundEngine;

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

class SettingsFile {
public:
    static constexpr const char* kFileName = GameFolders::kSettingsFile;
    static constexpr const char* kMarker = "talomir-music...";
    static constexpr const char* kDefaultPath = "...";

    // folder: where the file lives; enableLoop and speedChange: the game's copies of the music
    // switch and the sweep step, which the fall tick reads; soundFolder: where the default
    // sounds are, `sound` inside folder when empty.
    SettingsFile(QString folder, WindowPlaces& windows, SoundEngine& sound, bool& enableLoop,
                 Integer& speedChange, QString soundFolder = {});

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
    // True when a file of these lines may be replaced: empty, carrying the marker, read whole, or
    // starting as a settings file.
    bool readsAsSettings(const QStringList& lines);

    QString defaultMusicPath() const;
    QString defaultClipPath(int clipIndex) const;
    QString lastError() const { return lastError_; }

    QString PathToBkgMusic;
    Integer VolumeBkgMusic = 0;

    // When set, the start of the background music (loading and decoding its file, opening the
    // audio device) is handed to it to run later, so that a window can show first.
    std::function<void(std::function<void()>)> deferMusic;

private:
    void musicStep(std::function<void()> step);

    QString folder_;
    QString soundFolder_;
    WindowPlaces& windows_;
    SoundEngine& sound_;
    bool& enableLoop_;
    Integer& speedChange_;
    QString lastError_;
};

}  // namespace talomir
