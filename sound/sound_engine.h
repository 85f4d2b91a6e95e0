#pragma once
// The game's sound: a clip for each sound of each event (sound_events.h), the background music,
// the two switches, and the music's file, volume and pan sweep as the player chose them.

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "rules/records.h"
#include "sound/audio_backend.h"
#include "sound/clsdmctrl.h"
#include "sound/direct_sound.h"
#include "sound/sound_events.h"

namespace talomir {

// The music's file in the game's sound folder.
inline constexpr char kBkgMusicFileName[] = "bkgmusic.WAV";

class SoundEngine : public SweepSettings {
public:
    explicit SoundEngine(AudioBackend& audio);
    ~SoundEngine() override;
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    clsDMCtrl& clip(Clip clip);
    const clsDMCtrl& clip(Clip clip) const;
    DirectSound& music() { return music_; }
    const DirectSound& music() const { return music_; }
    const SoundSwitches& switches() const { return switches_; }

    bool EnableSoundControl() const { return switches_.EnableSoundControl; }
    void setEnableSoundControl(bool on) { switches_.EnableSoundControl = on; }
    bool EnableLoop() const { return switches_.EnableLoop; }
    void setEnableLoop(bool on) { switches_.EnableLoop = on; }
    // The music's file and volume as chosen (the settings file keeps them).
    QString musicPath() const { return musicPath_; }
    void setMusicPath(const QString& path) { musicPath_ = path; }
    Integer musicVolume() const { return musicVolume_; }
    void setMusicVolume(Integer volume) { musicVolume_ = volume; }
    void setSweepStep(Integer step) { sweepStep_ = step; }

    // SweepSettings: the rules' fall tick sweeps the music's pan while it plays.
    bool musicOn() const override { return EnableLoop(); }
    Integer sweepStep() const override { return sweepStep_; }

    // Plays one clip; the clip itself checks the switches.
    void play(Clip clip);
    void SetBkgPan(int16_t pan) { music_.SetBkgPan(pan); }

private:
    SoundSwitches switches_;
    std::array<std::unique_ptr<clsDMCtrl>, kClipCount> clips_;
    DirectSound music_;
    QString musicPath_;
    Integer musicVolume_ = 0;
    Integer sweepStep_ = 0;
};

}  // namespace talomir
