#pragma once
// The audio operations the game's sound needs, independent of the mixer behind them.
//
// Units are those of the game's settings: a volume is an attenuation in hundredths of a
// decibel (0 full volume, -10000 silence), a pan runs from -10000 (left only) through 0 to
// 10000 (right only). Values out of range are clamped by the back end, never rejected.

#include <QString>
#include <chrono>
#include <memory>
#include <span>

namespace talomir {

inline constexpr int kVolumeMin = -10000;
inline constexpr int kVolumeMax = 0;
inline constexpr int kPanMin = -10000;
inline constexpr int kPanMax = 10000;

int clampVolume(int volume);
int clampPan(int pan);

// Amplitude factors for the two output channels.
struct StereoGain {
    float left = 1.0f;
    float right = 1.0f;
};

// v gives the amplitude 10^(v / 2000); a pan p > 0 attenuates the left side by p / 100 dB,
// p < 0 the right side by -p / 100 dB.
StereoGain gainFor(int volume, int pan);
// The same in two halves, so that the powers can be taken away from the audio thread:
// gainFor(amplitudeOf(v), p, sideOf(p)) == gainFor(v, p).
double amplitudeOf(int volume);
double sideOf(int pan);
StereoGain gainFor(double amplitude, int pan, double side);

// One decoded sound with its own play position, volume and pan. A new buffer is stopped at
// its start, at full volume and centre pan. Destroying it stops it and frees it.
class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;
    AudioBuffer() = default;
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    // Plays from the current position, once or repeating without end; returns at once.
    virtual void play(bool looping) = 0;
    // Silence; the position stays where it was, so a later play() goes on from there.
    virtual void stop() = 0;
    // The next sound comes from the start (a playing buffer jumps there at once).
    virtual void rewind() = 0;
    virtual void setVolume(int volume) = 0;
    virtual void setPan(int pan) = 0;
    // Pans that take effect later, without the caller waking for each: pans[i] at first + i *
    // period. They follow the pans queued before.
    virtual void queuePans(std::span<const int> pans, std::chrono::steady_clock::time_point first,
                           std::chrono::nanoseconds period) = 0;
    // Withdraws the last `count` queued pans (those not yet due are never applied).
    virtual void unqueuePans(int count) = 0;
};

class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    AudioBackend() = default;
    AudioBackend(const AudioBackend&) = delete;
    AudioBackend& operator=(const AudioBackend&) = delete;

    // Reads and decodes a wav file into a new buffer; nullptr when the file is missing,
    // unreadable, not a regular file or too large (sound/sound_file.h), or when there is no
    // audio output. Never throws, never prints.
    virtual std::unique_ptr<AudioBuffer> load(const QString& path) = 0;
};

}  // namespace talomir
