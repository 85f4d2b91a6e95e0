#pragma once
// The game's sound: the nine clips, the background music, the two switches, the table of
// sound events and the left-right sweep of the music driven by the fall tick.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <memory>

#include "presentation/display.h"
#include "persistence/gamefolders.h"
#include "sound/audio_backend.h"
#include "sound/clsdmctrl.h"
#include "sound/direct_sound.h"

namespace talomir {

// The clips (Clip, in the order the main window creates them) are the model's.
inline constexpr int kClipCount = 9;

// The order of the clip records in the settings file.
inline constexpr std::array<Clip, kClipCount> kSettingsClipOrder = {
    Clip::mLeft1, Clip::mRight1, Clip::mRotate1, Clip::mDrop1,   Clip::mDrop2,
    Clip::mDown1, Clip::mDown2,  Clip::mDelLin1, Clip::mTalomir1};

// The folder of the shipped sounds and the music's file in it.
inline constexpr const char* kSoundFolder = GameFolders::kSoundFolder;
inline constexpr char kBkgMusicFileName[] = "bkgmusic.WAV";

QString clipName(Clip clip);         // "mDown1", ...
QString defaultFileName(Clip clip);  // "down1.WAV", ... inside kSoundFolder

// The seven game events.
enum class SoundEvent : uint8_t { Drop, Landing, Left, Right, Rotate, DeleteLines, TalomirFigure };
inline constexpr int kSoundEventCount = 7;

struct SoundEventInfo {
    SoundEvent event;
    QStringView name;  // as the settings window lists it
    Clip first;
    Clip second;     // the same as first for events with one clip
    uint8_t number;  // for Play_Event_Sound
    bool hasTwoClips() const { return first != second; }
};

const std::array<SoundEventInfo, kSoundEventCount>& soundEvents();
const SoundEventInfo& soundEvent(SoundEvent event);
// For the events with two clips, a random number in [0, 1) above 0.5 picks the first clip and
// anything else the second; the pick is made before any switch is looked at.
Clip pickClip(SoundEvent event, float random);

class SoundEngine {
public:
    explicit SoundEngine(AudioBackend& audio);
    ~SoundEngine();
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    clsDMCtrl& clip(Clip clip);
    const clsDMCtrl& clip(Clip clip) const;
    DirectSound& music() { return music_; }
    const DirectSound& music() const { return music_; }
    SoundSwitches& switches() { return switches_; }
    const SoundSwitches& switches() const { return switches_; }

    bool EnableSoundControl() const { return switches_.EnableSoundControl; }
    void setEnableSoundControl(bool on) { switches_.EnableSoundControl = on; }
    bool EnableLoop() const { return switches_.EnableLoop; }
    void setEnableLoop(bool on) { switches_.EnableLoop = on; }

    // Plays one clip; the clip itself checks the switches.
    void play(Clip clip);
    // Plays the clip of an event, drawing between two clips with the given random number.
    void playEvent(SoundEvent event, float random);
    // 1 mTalomir1, 2 mDown1, 3 mLeft1, 4 mRight1, 5 mRotate1, 6 mDrop1, 7 mDelLin1; any
    // other number plays nothing.
    void Play_Event_Sound(uint8_t n);

    void SetBkgPan(int16_t pan) { music_.SetBkgPan(pan); }

private:
    SoundSwitches switches_;
    std::array<std::unique_ptr<clsDMCtrl>, kClipCount> clips_;
    DirectSound music_;
};

}  // namespace talomir
