#include "sound/sdl_audio_backend.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace talomir {

namespace {

constexpr int kRequestedRate = 44100;
constexpr int kChunkFrames = 1024;  // about 23 ms of latency at 44.1 kHz
constexpr int kInitialChannels = 16;

// The output is one per process in SDL_mixer.
bool outputTaken = false;

// Audio libraries print their complaints about a missing sound card straight to the standard
// error stream; a game without sound has nothing to say about it, so the stream is pointed
// at the null device while the output is opened.
class QuietStderr {
public:
    QuietStderr() {
#if defined(__unix__)
        std::fflush(stderr);
        saved_ = ::fcntl(2, F_DUPFD_CLOEXEC, 0);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, 2);
        if (null >= 0) ::close(null);
#endif
    }
    ~QuietStderr() {
#if defined(__unix__)
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
#endif
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

// Read by the audio thread, written by the game's thread.
struct ChannelGain {
    std::atomic<float> left{1.0f};
    std::atomic<float> right{1.0f};
};

// Volume and pan as a channel effect: SDL_mixer's own volume has 128 steps and its panning
// 256, too coarse for the -25 dB range of the settings and the slow pan sweep.
void SDLCALL applyGain(int, void* stream, int len, void* udata) {
    const auto* gain = static_cast<const ChannelGain*>(udata);
    const float left = gain->left.load(std::memory_order_relaxed);
    const float right = gain->right.load(std::memory_order_relaxed);
    if (left == 1.0f && right == 1.0f) return;
    auto* s = static_cast<int16_t*>(stream);
    const int frames = len / 4;
    for (int i = 0; i < frames; ++i) {
        s[2 * i] = static_cast<int16_t>(s[2 * i] * left);
        s[2 * i + 1] = static_cast<int16_t>(s[2 * i + 1] * right);
    }
}

class SdlBuffer;

}  // namespace

struct SdlAudioBackend::Device {
    bool open = false;
    int rate = 0;
    int allocated = 0;
    std::vector<std::unique_ptr<ChannelGain>> gains;  // by channel number
    std::vector<int> freeChannels;
    std::set<SdlBuffer*> live;

    ~Device() { close(); }
    bool openOutput();
    void close();
    int takeChannel();
    void giveBack(int channel) { freeChannels.push_back(channel); }
};

namespace {

class SdlBuffer final : public AudioBuffer {
public:
    SdlBuffer(std::shared_ptr<SdlAudioBackend::Device> device, int channel,
              std::vector<uint8_t> data, Mix_Chunk* chunk)
        : device_(std::move(device)), channel_(channel), data_(std::move(data)), chunk_(chunk) {
        gain_ = device_->gains[channel_].get();
        gain_->left = 1.0f;
        gain_->right = 1.0f;
        device_->live.insert(this);
    }

    ~SdlBuffer() override {
        if (!chunk_) return;
        Mix_HaltChannel(channel_);
        Mix_FreeChunk(chunk_);
        device_->giveBack(channel_);
        device_->live.erase(this);
    }

    void play(bool looping) override {
        if (!chunk_) return;
        const bool busy = Mix_Playing(channel_) != 0;
        if (busy && looping == looping_) {
            if (paused_) Mix_Resume(channel_);
            paused_ = false;
            return;
        }
        // Finished, never started, or the repeat mode changes: SDL_mixer cannot change the
        // mode of a running channel, so the sound starts again from its beginning.
        start(looping);
    }

    void stop() override {
        if (!chunk_ || paused_ || !Mix_Playing(channel_)) return;
        Mix_Pause(channel_);
        paused_ = true;
    }

    void rewind() override {
        if (!chunk_) return;
        if (!Mix_Playing(channel_)) {
            paused_ = false;
        } else if (paused_) {
            // Halting forgets the position, which is what a stopped buffer at its start is.
            Mix_HaltChannel(channel_);
            paused_ = false;
        } else {
            start(looping_);
        }
    }

    void setVolume(int volume) override {
        volume_ = clampVolume(volume);
        applyLevels();
    }

    void setPan(int pan) override {
        pan_ = clampPan(pan);
        applyLevels();
    }

    SdlAudioBackend::State state() const {
        if (!chunk_ || !Mix_Playing(channel_)) return SdlAudioBackend::State::Stopped;
        return paused_ ? SdlAudioBackend::State::Paused : SdlAudioBackend::State::Playing;
    }

    // The output closes before the buffer goes: the buffer stays, silent.
    void detach() {
        if (chunk_) Mix_FreeChunk(chunk_);
        chunk_ = nullptr;
    }

private:
    void start(bool looping) {
        // A channel's effects are dropped whenever it stops playing; registering on the
        // halted channel before the play leaves no moment in which it sounds unattenuated.
        Mix_HaltChannel(channel_);
        Mix_UnregisterAllEffects(channel_);
        Mix_RegisterEffect(channel_, applyGain, nullptr, gain_);
        Mix_PlayChannel(channel_, chunk_, looping ? -1 : 0);
        looping_ = looping;
        paused_ = false;
    }

    void applyLevels() {
        const StereoGain g = gainFor(volume_, pan_);
        gain_->left.store(g.left, std::memory_order_relaxed);
        gain_->right.store(g.right, std::memory_order_relaxed);
    }

    std::shared_ptr<SdlAudioBackend::Device> device_;
    int channel_;
    std::vector<uint8_t> data_;  // the samples the chunk points into
    Mix_Chunk* chunk_;
    ChannelGain* gain_ = nullptr;
    int volume_ = 0;
    int pan_ = 0;
    bool looping_ = false;
    bool paused_ = false;
};

}  // namespace

bool SdlAudioBackend::Device::openOutput() {
    if (outputTaken) return false;
    QuietStderr quiet;
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Talomir XII Vostrun");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Only the rate may differ from the request; SDL converts for devices that want other
    // sample formats or channel counts, so the effect above always sees 16-bit stereo.
    if (Mix_OpenAudioDevice(kRequestedRate, AUDIO_S16SYS, 2, kChunkFrames, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || format != AUDIO_S16SYS ||
        channels != 2 || frequency <= 0) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    allocated = Mix_AllocateChannels(kInitialChannels);
    for (int c = 0; c < allocated; ++c) gains.push_back(std::make_unique<ChannelGain>());
    for (int c = allocated - 1; c >= 0; --c) freeChannels.push_back(c);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    rate = frequency;
    open = true;
    outputTaken = true;
    return true;
}

void SdlAudioBackend::Device::close() {
    if (!open) return;
    Mix_HaltChannel(-1);
    for (SdlBuffer* buffer : live) buffer->detach();
    live.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open = false;
    outputTaken = false;
    rate = 0;
}

int SdlAudioBackend::Device::takeChannel() {
    if (freeChannels.empty()) {
        const int grown = Mix_AllocateChannels(allocated * 2);
        if (grown <= allocated) return -1;
        for (int c = allocated; c < grown; ++c) gains.push_back(std::make_unique<ChannelGain>());
        for (int c = grown - 1; c >= allocated; --c) freeChannels.push_back(c);
        allocated = grown;
    }
    const int channel = freeChannels.back();
    freeChannels.pop_back();
    return channel;
}

SdlAudioBackend::SdlAudioBackend() : device_(std::make_shared<Device>()) {}

SdlAudioBackend::~SdlAudioBackend() {
    device_->close();
}

bool SdlAudioBackend::ready() {
    if (!tried_) {
        tried_ = true;
        device_->openOutput();
    }
    return device_->open;
}

int SdlAudioBackend::outputRate() const {
    return device_->rate;
}

std::unique_ptr<AudioBuffer> SdlAudioBackend::load(const QString& path) {
    if (path.isEmpty() || !ready()) return nullptr;
    ++fileLoads_;
    const std::optional<PcmSound> sound = readWavFile(path);
    if (!sound) return nullptr;
    return createBuffer(*sound);
}

std::unique_ptr<AudioBuffer> SdlAudioBackend::createBuffer(const PcmSound& sound) {
    if (!ready() || sound.frames() == 0 || sound.channels < 1 || sound.channels > 2 ||
        sound.sampleRate <= 0)
        return nullptr;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, static_cast<Uint8>(sound.channels), sound.sampleRate,
                          AUDIO_S16SYS, 2, device_->rate) < 0)
        return nullptr;
    const std::size_t sourceBytes = sound.samples.size() * sizeof(int16_t);
    const std::size_t mult = cvt.len_mult > 0 ? static_cast<std::size_t>(cvt.len_mult) : 1;
    if (sourceBytes > static_cast<std::size_t>(INT_MAX) / mult) return nullptr;
    std::vector<uint8_t> data(sourceBytes * mult);
    std::memcpy(data.data(), sound.samples.data(), sourceBytes);
    if (cvt.needed) {
        cvt.buf = data.data();
        cvt.len = static_cast<int>(sourceBytes);
        if (SDL_ConvertAudio(&cvt) != 0) return nullptr;
        data.resize(static_cast<std::size_t>(cvt.len_cvt));
    } else {
        data.resize(sourceBytes);
    }
    data.resize(data.size() & ~std::size_t{3});  // whole stereo frames only
    if (data.empty()) return nullptr;
    // The conversion needed room for its worst case; keep only the converted sound.
    data.shrink_to_fit();
    const int channel = device_->takeChannel();
    if (channel < 0) return nullptr;
    Mix_Chunk* chunk = Mix_QuickLoad_RAW(data.data(), static_cast<Uint32>(data.size()));
    if (!chunk) {
        device_->giveBack(channel);
        return nullptr;
    }
    return std::make_unique<SdlBuffer>(device_, channel, std::move(data), chunk);
}

SdlAudioBackend::State SdlAudioBackend::stateOf(const AudioBuffer& buffer) {
    const auto* sdl = dynamic_cast<const SdlBuffer*>(&buffer);
    return sdl ? sdl->state() : State::Stopped;
}

}  // namespace talomir
