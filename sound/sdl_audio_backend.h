#pragma once
// The audio back end on SDL2_mixer. Every buffer plays on a mixer channel of its own, so a new
// play of a buffer cuts off its previous play while different buffers sound together. The
// output is opened at the first load; when there is none (a server, a build machine) every
// load fails at once and quietly, and the failure is remembered for the whole run.

#include <memory>

#include "sound/audio_backend.h"
#include "sound/wav_decoder.h"

namespace talomir {

class SdlAudioBackend final : public AudioBackend {
public:
    SdlAudioBackend();
    ~SdlAudioBackend() override;

    std::unique_ptr<AudioBuffer> load(const QString& path) override;
    // A buffer from samples already in memory (the output must be available).
    std::unique_ptr<AudioBuffer> createBuffer(const PcmSound& sound);

    // Opens the output if that has not been tried yet; false when there is none. Only one
    // back end at a time can hold the output; a second one stays silent.
    bool ready();
    // Wav files read and decoded so far (a load that fails for want of an output reads none).
    int fileLoads() const { return fileLoads_; }
    // Output sample rate; 0 while the output is not open.
    int outputRate() const;

    // What a buffer of this back end is doing, for tests of the play semantics.
    enum class State { Stopped, Playing, Paused };
    static State stateOf(const AudioBuffer& buffer);

    struct Device;

private:
    std::shared_ptr<Device> device_;
    bool tried_ = false;
    int fileLoads_ = 0;
};

}  // namespace talomir
