#pragma once
// The background music: one wav file playing looping on a buffer of its own, with volume and
// pan. Volume and pan reach the buffer only while the last start succeeded.

#include <QString>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>

#include "sound/audio_backend.h"

namespace talomir {

class DirectSound {
public:
    explicit DirectSound(AudioBackend& audio);
    ~DirectSound();
    DirectSound(const DirectSound&) = delete;
    DirectSound& operator=(const DirectSound&) = delete;

    // Loads the file and starts it looping from its beginning, replacing the music loaded
    // before. On failure nothing stays loaded and blnBkgPlaying() is false. Volume and pan
    // are not set here: the new buffer plays at full volume and centre until they are.
    void PlayBkgMusic(const QString& path);
    // Silence; the music stays loaded and keeps its position.
    void StopBkgMusic();
    // Plays the loaded music looping again from where it stopped.
    void ResumeBkgMusic();
    // Remembers the volume and applies it when the last start succeeded.
    void SetBkgVolume(int16_t volume);
    // Applies the pan when the last start succeeded.
    void SetBkgPan(int16_t pan);
    // Pans that take effect later, pans[i] at first + i * period, as SetBkgPan would apply them
    // then. Those still to come also reach a music started in between.
    void QueueBkgPans(std::span<const int> pans, std::chrono::steady_clock::time_point first,
                      std::chrono::nanoseconds period);
    // Withdraws the last `count` pans queued.
    void UnqueueBkgPans(int count);

    int16_t intBkgVolume() const { return intBkgVolume_; }
    bool blnBkgPlaying() const { return blnBkgPlaying_; }
    QString strBkgPath() const { return strBkgPath_; }

private:
    void ClearBkgBuffer();
    void ReleaseBkgSound();
    void forgetPastPans();

    AudioBackend& audio_;
    std::unique_ptr<AudioBuffer> objBkgBuffer;
    QString strBkgPath_;
    int16_t intBkgVolume_ = 0;
    bool blnBkgPlaying_ = false;
    std::deque<std::pair<std::chrono::steady_clock::time_point, int>> queuedPans_;
};

}  // namespace talomir
