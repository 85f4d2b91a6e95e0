#pragma once
// The audio back end on SDL2's audio output, with a small mixer of its own. Every buffer is a
// voice with its own position, volume and pan, so a new play of a buffer cuts off its previous
// play while different buffers sound together.
//
// SDL is loaded when the first sound needs it (or beforehand, off the caller's thread, through
// prepare()), so a silent game never loads it. The output opens at the sample rate of the first
// sound loaded, so the shipped sounds, which share one rate, are mixed without any resampling;
// sounds of another rate are converted once when they are loaded. When there is no output (a
// server, a build machine) every load fails at once and quietly, and the failure is remembered
// for the whole run.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "sound/audio_backend.h"

namespace talomir {

// Decoded samples as the mixer keeps them: signed 16 bit, mono or stereo, interleaved.
struct PcmSound {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples;
    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Decodes the bytes of a wav file through SDL (integer PCM, float, µ-law, A-law, MS and IMA
// ADPCM), converted to `rate` (0 keeps the file's own) and to at most two channels. Nothing
// for a file that SDL refuses or when SDL cannot be loaded.
std::optional<PcmSound> decodeWav(QByteArrayView bytes, int rate = 0);

class SdlAudioBackend final : public AudioBackend {
public:
    SdlAudioBackend();
    ~SdlAudioBackend() override;

    std::unique_ptr<AudioBuffer> load(const QString& path) override;
    // A buffer from the bytes of a wav file.
    std::unique_ptr<AudioBuffer> loadWav(QByteArrayView bytes);

    // Loads SDL and starts its audio on a thread of its own, so that the first sound does not
    // stall the caller with the loading of the audio libraries. Every other call waits for it.
    // The file `ahead` (the music) is read and decoded on that thread too, for its load, which
    // would otherwise hold the caller for milliseconds.
    void prepare(const QString& ahead = QString());
    // Opens the output if that has not been tried yet (at `rate`, or 44100 Hz when 0); false
    // when there is none. Only one back end at a time can hold the output; a second one stays
    // silent.
    bool ready(int rate = 0);
    // Sound files read and decoded so far (a load that fails for want of an output reads none).
    int fileLoads() const { return fileLoads_; }
    // Output sample rate; 0 while the output is not open.
    int outputRate() const;

    // What a buffer of this back end is doing, for tests of the play semantics.
    enum class State { Stopped, Playing, Paused };
    static State stateOf(const AudioBuffer& buffer);

    struct Device;

private:
    bool started();  // SDL loaded and its audio running
    // `sound`: the bytes decoded at their own rate beforehand, or nothing.
    std::unique_ptr<AudioBuffer> loadDecoded(QByteArrayView bytes, std::optional<PcmSound> sound);

    struct Ahead {
        QString path;
        QByteArray bytes;
        std::optional<PcmSound> sound;
    };
    std::optional<Ahead> ahead_;  // written by the preparing thread, read after it ends
    std::shared_ptr<Device> device_;
    std::thread preparing_;
    bool tried_ = false;
    int fileLoads_ = 0;
};

}  // namespace talomir
