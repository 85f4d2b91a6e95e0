#include "sound/direct_sound.h"

#include "platform/gamefolders.h"

namespace talomir {

DirectSound::DirectSound(AudioBackend& audio) : audio_(audio) {}

DirectSound::~DirectSound() {
    ReleaseBkgSound();
}

void DirectSound::PlayBkgMusic(const QString& path) {
    strBkgPath_ = path;
    ClearBkgBuffer();
    objBkgBuffer = audio_.load(GameFolders::current().playable(strBkgPath_));
    if (!objBkgBuffer) {
        ReleaseBkgSound();
        blnBkgPlaying_ = false;
        return;
    }
    objBkgBuffer->play(true);
    objBkgBuffer->rewind();
    blnBkgPlaying_ = true;
}

void DirectSound::StopBkgMusic() {
    if (objBkgBuffer) objBkgBuffer->stop();
}

void DirectSound::ResumeBkgMusic() {
    if (objBkgBuffer) objBkgBuffer->play(true);
}

void DirectSound::SetBkgVolume(int16_t volume) {
    if (blnBkgPlaying_ && objBkgBuffer) objBkgBuffer->setVolume(volume);
    intBkgVolume_ = volume;
}

void DirectSound::SetBkgPan(int16_t pan) {
    if (blnBkgPlaying_ && objBkgBuffer) objBkgBuffer->setPan(pan);
}

void DirectSound::ClearBkgBuffer() {
    if (objBkgBuffer) objBkgBuffer->stop();
    objBkgBuffer.reset();
}

void DirectSound::ReleaseBkgSound() {
    objBkgBuffer.reset();
}

}  // namespace talomir
