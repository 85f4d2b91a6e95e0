#include "sound/sound_settings.h"

#include <QDir>

namespace talomir {

namespace {
bool shipped(const QString& path) {
    return path == QLatin1String(SettingsFile::kDefaultPath);
}
}  // namespace

// The music and the clips share the one `sound` folder, whatever the case sensitivity of the
// file system.
QString EngineSettings::defaultMusicPath() const {
    return QDir(soundFolder_).filePath(QString::fromLatin1(kBkgMusicFileName));
}

QString EngineSettings::defaultClipPath(int clip) const {
    return QDir(soundFolder_).filePath(defaultFileName(clipAt(clip)));
}

void EngineSettings::musicStep(std::function<void()> step) {
    if (deferMusic)
        deferMusic(std::move(step));
    else
        step();
}

void EngineSettings::setMusicPath(const QString& path) {
    engine_.setMusicPath(shipped(path) ? defaultMusicPath() : path);
}

void EngineSettings::setMusicOn(bool on) {
    engine_.setEnableLoop(on);
    musicStep([this, path = engine_.musicPath(), on] {
        engine_.music().PlayBkgMusic(path);
        if (!on) engine_.music().StopBkgMusic();
    });
}

void EngineSettings::setMusicVolume(Integer volume) {
    musicStep([this, volume] { engine_.music().SetBkgVolume(volume); });
    engine_.setMusicVolume(volume);
}

QString EngineSettings::clipPath(int clip) const {
    return engine_.clip(clipAt(clip)).DMCtrlPath();
}

void EngineSettings::setClipPath(int clip, const QString& path) {
    engine_.clip(clipAt(clip)).setDMCtrlPath(shipped(path) ? defaultClipPath(clip) : path);
}

bool EngineSettings::clipOn(int clip) const {
    return engine_.clip(clipAt(clip)).DMCtrlEnabled();
}

void EngineSettings::setClipOn(int clip, bool on) {
    engine_.clip(clipAt(clip)).setDMCtrlEnabled(on);
}

Integer EngineSettings::clipVolume(int clip) const {
    return engine_.clip(clipAt(clip)).DMCtrlVolume();
}

void EngineSettings::setClipVolume(int clip, Integer volume) {
    engine_.clip(clipAt(clip)).setDMCtrlVolume(volume);
}

}  // namespace talomir

static_assert(talomir::SettingsFile::kClipRecords == talomir::kClipCount,
              "a record in the settings file for every clip");
