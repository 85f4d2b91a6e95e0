#include "sound/sound_engine.h"

#include <algorithm>
#include <limits>

namespace talomir {

namespace {

const std::array<SoundEventInfo, kSoundEventCount> kEvents = {{
    {SoundEvent::Drop, u"Бросить", Clip::mDrop1, Clip::mDrop2, 6},
    {SoundEvent::Landing, u"Приземление", Clip::mDown1, Clip::mDown2, 2},
    {SoundEvent::Left, u"Влево", Clip::mLeft1, Clip::mLeft1, 3},
    {SoundEvent::Right, u"Вправо", Clip::mRight1, Clip::mRight1, 4},
    {SoundEvent::Rotate, u"Вращение", Clip::mRotate1, Clip::mRotate1, 5},
    {SoundEvent::DeleteLines, u"Удаление линиий", Clip::mDelLin1, Clip::mDelLin1, 7},
    {SoundEvent::TalomirFigure, u"Появление Talomir-фигурки", Clip::mTalomir1, Clip::mTalomir1, 1},
}};

struct ClipNames {
    const char* name;
    const char* file;
};

constexpr std::array<ClipNames, kClipCount> kClipNames = {{
    {"mDown1", "down1.WAV"},
    {"mLeft1", "left1.WAV"},
    {"mRight1", "right1.WAV"},
    {"mRotate1", "rotate1.WAV"},
    {"mDrop1", "drop1.WAV"},
    {"mDelLin1", "dellin1.WAV"},
    {"mTalomir1", "talomir1.WAV"},
    {"mDrop2", "drop2.WAV"},
    {"mDown2", "down2.WAV"},
}};

}  // namespace

QString clipName(Clip clip) {
    return QString::fromLatin1(kClipNames[static_cast<std::size_t>(clip)].name);
}

QString defaultFileName(Clip clip) {
    return QString::fromLatin1(kClipNames[static_cast<std::size_t>(clip)].file);
}

const std::array<SoundEventInfo, kSoundEventCount>& soundEvents() {
    return kEvents;
}

const SoundEventInfo& soundEvent(SoundEvent event) {
    return kEvents[static_cast<std::size_t>(event)];
}

Clip pickClip(SoundEvent event, float random) {
    const SoundEventInfo& info = soundEvent(event);
    return random > 0.5f ? info.first : info.second;
}

SoundEngine::SoundEngine(AudioBackend& audio) : music_(audio) {
    for (auto& c : clips_) c = std::make_unique<clsDMCtrl>(audio, switches_);
}

SoundEngine::~SoundEngine() = default;

clsDMCtrl& SoundEngine::clip(Clip clip) {
    return *clips_[static_cast<std::size_t>(clip)];
}

const clsDMCtrl& SoundEngine::clip(Clip clip) const {
    return *clips_[static_cast<std::size_t>(clip)];
}

void SoundEngine::play(Clip c) {
    clip(c).DMCtrlPlay();
}

void SoundEngine::playEvent(SoundEvent event, float random) {
    play(pickClip(event, random));
}

void SoundEngine::Play_Event_Sound(uint8_t n) {
    for (const SoundEventInfo& info : kEvents) {
        if (info.number == n) {
            play(info.first);
            return;
        }
    }
}

}  // namespace talomir
