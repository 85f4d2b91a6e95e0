#pragma once
// The sound engine as the settings file reads and writes it.
#include <functional>

#include "persistence/settingsfile.h"
#include "sound/sound_engine.h"

namespace talomir {

class EngineSettings : public SoundSettings {
public:
    // soundFolder: where the shipped sounds are, which a path "..." in the file stands for.
    EngineSettings(SoundEngine& engine, QString soundFolder)
        : engine_(engine), soundFolder_(std::move(soundFolder)) {}

    // When set, the start of the background music (loading and decoding its file, opening the
    // audio device) is handed to it to run later, so that a window can show first.
    std::function<void(std::function<void()>)> deferMusic;

    QString defaultMusicPath() const;
    QString defaultClipPath(int clip) const;

    bool soundOn() const override { return engine_.EnableSoundControl(); }
    void setSoundOn(bool on) override { engine_.setEnableSoundControl(on); }
    QString musicPath() const override { return engine_.musicPath(); }
    void setMusicPath(const QString& path) override;
    bool musicOn() const override { return engine_.EnableLoop(); }
    void setMusicOn(bool on) override;
    Integer musicVolume() const override { return engine_.musicVolume(); }
    void setMusicVolume(Integer volume) override;
    QString clipPath(int clip) const override;
    void setClipPath(int clip, const QString& path) override;
    bool clipOn(int clip) const override;
    void setClipOn(int clip, bool on) override;
    Integer clipVolume(int clip) const override;
    void setClipVolume(int clip, Integer volume) override;
    Integer sweepStep() const override { return engine_.sweepStep(); }
    void setSweepStep(Integer step) override { engine_.setSweepStep(step); }

private:
    void musicStep(std::function<void()> step);

    SoundEngine& engine_;
    QString soundFolder_;
};

}  // namespace talomir
