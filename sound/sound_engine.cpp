#include "sound/sound_engine.h"

namespace talomir {

SoundEngine::SoundEngine(AudioBackend& audio) : music_(audio) {
    for (auto& c : clips_) c = std::make_unique<clsDMCtrl>(audio, switches_);
}

SoundEngine::~SoundEngine() = default;

clsDMCtrl& SoundEngine::clip(Clip clip) {
    return *clips_[static_cast<std::size_t>(clipSlot(clip))];
}

const clsDMCtrl& SoundEngine::clip(Clip clip) const {
    return *clips_[static_cast<std::size_t>(clipSlot(clip))];
}

void SoundEngine::play(Clip c) {
    clip(c).DMCtrlPlay();
}

}  // namespace talomir
