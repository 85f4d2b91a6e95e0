#include "sound/direct_sound.h"

#include "persistence/gamefolders.h"

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
    forgetPastPans();
    for (const auto& [due, pan] : queuedPans_)
        objBkgBuffer->queuePans(std::span(&pan, 1), due, std::chrono::nanoseconds(0));
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

void DirectSound::QueueBkgPans(std::span<const int> pans,
                               std::chrono::steady_clock::time_point first,
                               std::chrono::nanoseconds period) {
    forgetPastPans();
    for (std::size_t i = 0; i < pans.size(); ++i)
        queuedPans_.emplace_back(first + std::int64_t(i) * period, pans[i]);
    if (blnBkgPlaying_ && objBkgBuffer) objBkgBuffer->queuePans(pans, first, period);
}

void DirectSound::UnqueueBkgPans(int count) {
    for (int i = 0; i < count && !queuedPans_.empty(); ++i) queuedPans_.pop_back();
    if (blnBkgPlaying_ && objBkgBuffer) objBkgBuffer->unqueuePans(count);
}

void DirectSound::forgetPastPans() {
    const auto now = std::chrono::steady_clock::now();
    while (!queuedPans_.empty() && queuedPans_.front().first < now) queuedPans_.pop_front();
}

void DirectSound::ClearBkgBuffer() {
    if (objBkgBuffer) objBkgBuffer->stop();
    objBkgBuffer.reset();
}

void DirectSound::ReleaseBkgSound() {
    objBkgBuffer.reset();
}

}  // namespace talomir
