#pragma once
// What the sound settings window does, without drawing anything: which clip an event name
// stands for, what each control shows, and what each control changes. Every change acts at once
// on the values in memory; the settings file is written only when the main window closes.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "rules/vbtypes.h"
#include "sound/sound_engine.h"

namespace talomir {

// The sliders' ranges: the volume sliders in the engine's volume unit, the sweep step per tick.
inline constexpr int kVolumeSliderMin = -2500;
inline constexpr int kVolumeSliderMax = 0;
inline constexpr int kSpeedSliderMin = 0;
inline constexpr int kSpeedSliderMax = 1000;

// The name and folder parts of a path. Both "/" and "\" separate folders, since a settings file
// may come from a copy of the game on another system. A path without a separator is all name.
QString Get_File_Name(const QString& path);
QString Get_Dir_Name(const QString& path);  // up to and including the last separator
// What a file label shows for a path: its name, or "Empty" when there is none.
QString fileCaption(const QString& path);

// The sweep speed typed as text: the leading number, rounded half to even and held to the
// slider's range. `shown` is the text to show instead when the typed one does not say what was
// taken (a number above the range or below it); it is empty when the text can stay.
struct SpeedText {
    Integer value = 0;
    QString shown;
};
SpeedText readSpeedText(const QString& text);

// The kinds of Set_Clip_Property, numbered as the window passes them.
enum class ClipProperty { Enabled = 0, Path = 1, Volume = 2 };

class SoundChoices {
public:
    // soundFolder: where the chooser opens for a file that has no folder yet.
    SoundChoices(SoundEngine& sound, QString soundFolder);

    // The event names in the order the list shows them.
    static QStringList eventNames();

    // What the window shows when it opens. Opening with the music switched off stops it: a music
    // chosen while it was off sounds only until then.
    struct Opening {
        int musicVolume = 0;
        bool soundOff = false;
        bool musicOff = false;
        QString musicCaption;
        int speed = 0;
    };
    Opening Form_Load();

    struct ClipShown {
        QString caption;
        int volume = 0;
        bool off = false;
    };
    struct EventShown {
        bool twoClips = false;
        ClipShown first, second;
    };
    // The event the list shows by its text; a text that names no event shows empty clips.
    void selectEvent(const QString& text) { event_ = text; }
    EventShown shown() const;

    // The path of the selected event's clip: n = 0 the first, any other n the second of an event
    // with two clips; empty when the text names no event.
    QString Get_Clip_Path(int n) const;
    // Sets one property of the clip Get_Clip_Path would name; nothing for an unknown event.
    void Set_Clip_Property(const QVariant& value, ClipProperty kind, int n);

    QString musicPath() const { return sound_.musicPath(); }
    // The folder the chooser opens in for a file: its own folder, or the sound folder.
    QString chooserFolder(const QString& path) const;

    void setSoundOff(bool off);  // chkSoundControl
    void setMusicOff(bool off);  // chkEnable: stop, or go on where it stopped
    void setMusicVolume(int volume);
    // The music chooser returned: path is the chosen file, empty when it was closed without a
    // choice. A new file starts from its beginning, even while the music is switched off; in
    // every case the volume in effect is applied again.
    void chooseMusic(const QString& path);
    void setSpeed(int speed);  // sldChange
    // txtChange: takes the typed speed; see readSpeedText.
    SpeedText typeSpeed(const QString& text);

    // Runs a change of the music's switch or sweep step; the owner runs it as the player's input,
    // so that the sweep's pans already handed over for the coming ticks are replaced. Unset, the
    // change runs directly.
    std::function<void(const std::function<void()>&)> steer;

private:
    clsDMCtrl* clipFor(int n) const;
    void setSweep(bool on, Integer speed);

    SoundEngine& sound_;
    QString soundFolder_;
    QString event_;
};

}  // namespace talomir
