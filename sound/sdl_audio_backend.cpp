#include "sound/sdl_audio_backend.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>

#include "sound/sound_file.h"
#include "sound/sound_log.h"

#if defined(__unix__)
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace talomir {

namespace {

constexpr int kDefaultRate = 44100;
// One mixing period: a fall tick. A sound asked for is heard within one tick, and the mixer
// wakes no more often than it must.
constexpr double kPeriodSeconds = 0.016;

// SDL2, loaded on first use: its library chain (sound servers, X, Wayland, codecs) costs a
// game that never sounds several milliseconds of start-up and memory.
struct SdlApi {
    decltype(&SDL_SetMainReady) SetMainReady = nullptr;
    decltype(&SDL_SetHint) SetHint = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
    decltype(&SDL_LockAudioDevice) LockAudioDevice = nullptr;
    decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice = nullptr;
    decltype(&SDL_RWFromConstMem) RWFromConstMem = nullptr;
    decltype(&SDL_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&SDL_FreeWAV) FreeWAV = nullptr;
    decltype(&SDL_BuildAudioCVT) BuildAudioCVT = nullptr;
    decltype(&SDL_ConvertAudio) ConvertAudio = nullptr;
    decltype(&SDL_GetError) GetError = nullptr;
    bool loaded = false;
};

const SdlApi& sdl() {
    static SdlApi api;
    static std::once_flag once;
    std::call_once(once, [] {
#if defined(__unix__)
        void* lib = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            qCInfo(lcSound) << "no sound: the SDL2 library did not load:" << ::dlerror();
            return;
        }
        bool all = true;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(lib, name));
            if (!fn) qCInfo(lcSound) << "no sound: the SDL2 library lacks" << name;
            all = all && fn;
        };
        get(api.SetMainReady, "SDL_SetMainReady");
        get(api.SetHint, "SDL_SetHint");
        get(api.InitSubSystem, "SDL_InitSubSystem");
        get(api.QuitSubSystem, "SDL_QuitSubSystem");
        get(api.OpenAudioDevice, "SDL_OpenAudioDevice");
        get(api.CloseAudioDevice, "SDL_CloseAudioDevice");
        get(api.PauseAudioDevice, "SDL_PauseAudioDevice");
        get(api.LockAudioDevice, "SDL_LockAudioDevice");
        get(api.UnlockAudioDevice, "SDL_UnlockAudioDevice");
        get(api.RWFromConstMem, "SDL_RWFromConstMem");
        get(api.LoadWAV_RW, "SDL_LoadWAV_RW");
        get(api.FreeWAV, "SDL_FreeWAV");
        get(api.BuildAudioCVT, "SDL_BuildAudioCVT");
        get(api.ConvertAudio, "SDL_ConvertAudio");
        get(api.GetError, "SDL_GetError");
        api.loaded = all;
#endif
    });
    return api;
}

// The output is one per process.
bool outputTaken = false;

// Audio libraries print their complaints about a missing sound card straight to the standard
// error stream; a game without sound has nothing to say about it, so the stream is pointed
// at the null device while the audio starts (the stream is unbuffered: nothing is held back).
class QuietStderr {
public:
    QuietStderr() {
#if defined(__unix__)
        saved_ = ::fcntl(2, F_DUPFD_CLOEXEC, 0);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, 2);
        if (null >= 0) ::close(null);
#endif
    }
    ~QuietStderr() {
#if defined(__unix__)
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

bool startAudio() {
    if (!sdl().loaded) return false;
    bool started = false;
    {
        QuietStderr quiet;
        sdl().SetMainReady();
        sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl().SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Talomir XII Vostrun");
        started = sdl().InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    if (!started) qCInfo(lcSound) << "no sound: the audio did not start:" << sdl().GetError();
    return started;
}

std::int64_t nanosOf(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// One sound on the mixer. Read by the audio thread; changed only under the device's lock.
struct Voice {
    PcmSound sound;
    std::size_t pos = 0;  // next frame
    bool active = false;  // started and neither finished nor halted
    bool paused = false;
    bool looping = false;
    // The levels in their two halves, each worked out by the thread that changes it: the
    // audio thread wakes cold every period, and powers taken there cost it more than the mix.
    double amplitude = 1.0;  // of the volume
    int pan = 0;
    double side = 1.0;  // of the pan
    struct Pan {
        std::int64_t due;
        int pan;
        double side;
    };
    std::deque<Pan> schedule;  // in order of their time

    static Pan panAt(std::int64_t due, int pan) { return {due, clampPan(pan), sideOf(pan)}; }

    void applyLevels() {
        const StereoGain g = gainFor(amplitude, pan, side);
        // Gains are never negative: rounded without a call into libm, cold in this thread.
        left = int(g.left * kUnity + 0.5f);
        right = int(g.right * kUnity + 0.5f);
    }

    void applyDuePans(std::int64_t now) {
        bool changed = false;
        while (!schedule.empty() && schedule.front().due <= now) {
            pan = schedule.front().pan;
            side = schedule.front().side;
            schedule.pop_front();
            changed = true;
        }
        if (changed) applyLevels();
    }

    // Hands the next `frames` frames on to put(sample index, value), stereo, in whole numbers,
    // and returns how many there were (fewer when a sound played once ends). The mixer runs
    // about 60 times a second for as long as the music plays.
    template <class Put>
    int render(int frames, Put put) {
        const int channels = sound.channels;
        const std::size_t total = sound.frames();
        const std::int32_t l = left, r = right;  // locals: the output cannot alias them
        int n = 0;
        while (n < frames && active) {
            const int take = int(std::min<std::size_t>(total - pos, std::size_t(frames - n)));
            const int16_t* s = sound.samples.data() + pos * channels;
            const int o = 2 * n;
            if (channels == 2) {
                for (int i = 0; i < take; ++i) {
                    put(o + 2 * i, (s[2 * i] * l) >> kShift);
                    put(o + 2 * i + 1, (s[2 * i + 1] * r) >> kShift);
                }
            } else {
                for (int i = 0; i < take; ++i) {
                    put(o + 2 * i, (s[i] * l) >> kShift);
                    put(o + 2 * i + 1, (s[i] * r) >> kShift);
                }
            }
            n += take;
            pos += std::size_t(take);
            if (pos >= total) {
                pos = 0;
                if (!looping) active = false;
            }
        }
        return n;
    }

    static constexpr int kShift = 15;
    static constexpr int kUnity = 1 << kShift;  // a gain of 1
    int left = kUnity, right = kUnity;          // the gains, in units of 1 / kUnity
};

class SdlBuffer;

// SDL allocates a chunk at its declared size before reading it, so a few bytes declaring
// gigabytes would cost gigabytes. The first chunk that claims more than follows it is cut to
// what there is (a truncated file still plays what it holds); nothing is copied otherwise.
QByteArray boundedChunks(QByteArrayView bytes) {
    // SDL also takes a file that starts at "WAVE", without its RIFF header.
    for (qsizetype at = bytes.startsWith("WAVE") ? 4 : 12; at + 8 <= bytes.size();) {
        const quint32 declared = qFromLittleEndian<quint32>(bytes.data() + at + 4);
        const qsizetype left = bytes.size() - at - 8;
        if (declared > quint64(left)) {
            QByteArray bounded = bytes.toByteArray();
            qToLittleEndian<quint32>(quint32(left), bounded.data() + at + 4);
            return bounded;
        }
        at += 8 + qsizetype(declared) + (declared & 1);
    }
    return {};
}

}  // namespace

std::optional<PcmSound> decodeWav(QByteArrayView bytes, int rate) {
    const SdlApi& api = sdl();
    if (!api.loaded || bytes.isEmpty() || bytes.size() > kMaxSoundFileBytes) return std::nullopt;
    const QByteArray bounded = boundedChunks(bytes);
    if (!bounded.isEmpty()) bytes = bounded;
    SDL_RWops* rw = api.RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) return std::nullopt;
    SDL_AudioSpec fileFormat;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!api.LoadWAV_RW(rw, 1, &fileFormat, &data, &length)) return std::nullopt;
    struct Free {
        const SdlApi& api;
        Uint8* data;
        ~Free() { api.FreeWAV(data); }
    } freeLater{api, data};
    // A file without samples is no sound (and SDL hands over no buffer for it).
    if (fileFormat.channels < 1 || fileFormat.freq <= 0 || !data || length == 0)
        return std::nullopt;

    PcmSound sound;
    sound.channels = fileFormat.channels == 1 ? 1 : 2;
    sound.rate = rate > 0 ? rate : fileFormat.freq;
    SDL_AudioCVT cvt;
    if (api.BuildAudioCVT(&cvt, fileFormat.format, fileFormat.channels, fileFormat.freq,
                          AUDIO_S16SYS, static_cast<Uint8>(sound.channels), sound.rate) < 0)
        return std::nullopt;
    const std::size_t frameBytes = sizeof(int16_t) * std::size_t(sound.channels);
    // Less than one frame is no sound, like an empty file; an empty vector may have no buffer
    // to copy into, so nothing is copied then.
    auto keep = [&](const Uint8* pcm, std::size_t bytes) {
        sound.samples.resize(bytes / frameBytes * sound.channels);
        if (!sound.samples.empty())
            std::memcpy(sound.samples.data(), pcm, sound.samples.size() * sizeof(int16_t));
    };
    if (!cvt.needed) {
        keep(data, length);  // already what the mixer plays: one copy, no work buffer
    } else {
        const std::size_t mult = cvt.len_mult > 0 ? std::size_t(cvt.len_mult) : 1;
        // Converting a file of an absurd rate (a few hertz) to the output's would take
        // gigabytes: its work buffer may grow to four times the largest file accepted.
        if (length > std::size_t(4 * kMaxSoundFileBytes) / mult) return std::nullopt;
        std::vector<Uint8> work(std::size_t(length) * mult);
        std::memcpy(work.data(), data, length);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(length);
        if (api.ConvertAudio(&cvt) != 0) return std::nullopt;
        keep(work.data(), std::size_t(cvt.len_cvt));
    }
    if (sound.samples.empty()) return std::nullopt;
    return sound;
}

struct SdlAudioBackend::Device {
    SDL_AudioDeviceID id = 0;
    int rate = 0;
    bool audioStarted = false;
    bool openTried = false;
    std::vector<Voice*> voices;     // under the device's lock
    std::vector<std::int32_t> mix;  // the audio thread's scratch

    ~Device() { close(); }
    bool openOutput(int wantedRate);
    void close();

    // The device's lock: the audio thread mixes only outside it.
    class Lock {
    public:
        explicit Lock(const Device& d) : id_(d.id) {
            if (id_) sdl().LockAudioDevice(id_);
        }
        ~Lock() {
            if (id_) sdl().UnlockAudioDevice(id_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        SDL_AudioDeviceID id_;
    };

    static void SDLCALL callback(void* self, Uint8* stream, int len) {
        auto* d = static_cast<Device*>(self);
        const int frames = len / 4;
        auto* out = reinterpret_cast<int16_t*>(stream);
        const auto clamped = [](std::int32_t v) { return int16_t(std::clamp(v, -32768, 32767)); };
        Voice* only = nullptr;
        int sounding = 0;
        std::int64_t now = -1;
        for (Voice* v : d->voices) {
            if (!v->active || v->paused) continue;
            if (!v->schedule.empty()) {
                if (now < 0) now = nanosOf(std::chrono::steady_clock::now());
                v->applyDuePans(now);
            }
            only = v;
            ++sounding;
        }
        // Mostly the music plays alone: it goes straight out, without the sum's buffer.
        if (sounding == 1) {
            const int n = only->render(frames, [&](int i, std::int32_t v) { out[i] = clamped(v); });
            std::fill(out + 2 * n, out + 2 * frames, int16_t(0));
            return;
        }
        if (sounding == 0) {
            std::fill_n(out, 2 * frames, int16_t(0));
            return;
        }
        if (d->mix.size() < std::size_t(frames) * 2) d->mix.resize(std::size_t(frames) * 2);
        std::int32_t* mix = d->mix.data();
        std::fill_n(mix, frames * 2, 0);
        for (Voice* v : d->voices)
            if (v->active && !v->paused)
                v->render(frames, [mix](int i, std::int32_t s) { mix[i] += s; });
        for (int i = 0; i < frames * 2; ++i) out[i] = clamped(mix[i]);
    }
};

namespace {

class SdlBuffer final : public AudioBuffer {
public:
    SdlBuffer(std::shared_ptr<SdlAudioBackend::Device> device, PcmSound sound)
        : device_(std::move(device)) {
        voice_.sound = std::move(sound);
        SdlAudioBackend::Device::Lock lock(*device_);
        device_->voices.push_back(&voice_);
    }

    ~SdlBuffer() override {
        SdlAudioBackend::Device::Lock lock(*device_);
        std::erase(device_->voices, &voice_);
    }

    void play(bool looping) override {
        change([&] {
            // A finished or never started sound begins at its start; a paused one goes on.
            if (!voice_.active) voice_.pos = 0;
            voice_.active = true;
            voice_.paused = false;
            voice_.looping = looping;
        });
    }

    void stop() override {
        change([&] { voice_.paused = voice_.active; });
    }

    void rewind() override {
        change([&] {
            voice_.pos = 0;
            // A stopped buffer waits at its start; a playing one goes on from there.
            if (voice_.paused) voice_.active = voice_.paused = false;
        });
    }

    void setVolume(int volume) override {
        const double amplitude = amplitudeOf(volume);
        change([&] {
            voice_.amplitude = amplitude;
            voice_.applyLevels();
        });
    }

    void setPan(int pan) override {
        const Voice::Pan now = Voice::panAt(0, pan);
        change([&] {
            voice_.pan = now.pan;
            voice_.side = now.side;
            voice_.applyLevels();
        });
    }

    void queuePans(std::span<const int> pans, std::chrono::steady_clock::time_point first,
                   std::chrono::nanoseconds period) override {
        std::vector<Voice::Pan> due;
        due.reserve(pans.size());
        for (std::size_t i = 0; i < pans.size(); ++i)
            due.push_back(Voice::panAt(nanosOf(first) + std::int64_t(i) * period.count(), pans[i]));
        change([&] { voice_.schedule.insert(voice_.schedule.end(), due.begin(), due.end()); });
    }

    void unqueuePans(int count) override {
        change([&] {
            for (int i = 0; i < count && !voice_.schedule.empty(); ++i) voice_.schedule.pop_back();
        });
    }

    SdlAudioBackend::State state() const {
        SdlAudioBackend::Device::Lock lock(*device_);
        if (!device_->id || !voice_.active) return SdlAudioBackend::State::Stopped;
        return voice_.paused ? SdlAudioBackend::State::Paused : SdlAudioBackend::State::Playing;
    }

private:
    // Once the output is closed the buffer stays, silent.
    template <class F>
    void change(F&& f) {
        SdlAudioBackend::Device::Lock lock(*device_);
        if (device_->id) f();
    }

    std::shared_ptr<SdlAudioBackend::Device> device_;
    Voice voice_;
};

}  // namespace

bool SdlAudioBackend::Device::openOutput(int wantedRate) {
    if (outputTaken || !audioStarted) return false;
    std::optional<QuietStderr> quiet(std::in_place);
    SDL_AudioSpec want{};
    // The first sound's rate, unless it is one no sound card plays.
    want.freq = wantedRate >= 8000 && wantedRate <= 192000 ? wantedRate : kDefaultRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(std::max(64, int(want.freq * kPeriodSeconds) / 16 * 16));
    want.callback = &Device::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // Only the rate may differ from the request; SDL converts for devices that want other
    // sample formats or channel counts, so the mixer always writes 16-bit stereo.
    id = sdl().OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    quiet.reset();
    if (!id) {
        qCInfo(lcSound) << "no sound: no audio output opened:" << sdl().GetError();
        return false;
    }
    rate = have.freq;
    mix.resize(std::size_t(have.samples) * 2);
    outputTaken = true;
    sdl().PauseAudioDevice(id, 0);
    return true;
}

void SdlAudioBackend::Device::close() {
    if (id) {
        sdl().CloseAudioDevice(id);  // the audio thread ends here
        id = 0;
        rate = 0;
        outputTaken = false;
        for (Voice* v : voices) v->active = false;
    }
    if (audioStarted) {
        sdl().QuitSubSystem(SDL_INIT_AUDIO);
        audioStarted = false;
    }
}

SdlAudioBackend::SdlAudioBackend() : device_(std::make_shared<Device>()) {}

SdlAudioBackend::~SdlAudioBackend() {
    if (preparing_.joinable()) preparing_.join();
    device_->close();
}

void SdlAudioBackend::prepare(const QString& ahead) {
    if (tried_ || preparing_.joinable()) return;
    preparing_ = std::thread([this, ahead] {
        device_->audioStarted = startAudio();
        if (!device_->audioStarted || ahead.isEmpty()) return;
        if (std::optional<QByteArray> bytes = readSoundFile(ahead))
            ahead_ = Ahead{ahead, *bytes, decodeWav(*bytes)};
    });
}

bool SdlAudioBackend::started() {
    if (preparing_.joinable()) {
        preparing_.join();
        tried_ = true;
    }
    if (!tried_) {
        tried_ = true;
        device_->audioStarted = startAudio();
    }
    return device_->audioStarted;
}

bool SdlAudioBackend::ready(int rate) {
    if (!started()) return false;
    if (!device_->id && !device_->openTried) {
        device_->openTried = true;
        device_->openOutput(rate);
    }
    return device_->id != 0;
}

int SdlAudioBackend::outputRate() const {
    return device_->rate;
}

std::unique_ptr<AudioBuffer> SdlAudioBackend::load(const QString& path) {
    if (path.isEmpty() || !started()) return nullptr;
    ++fileLoads_;
    std::unique_ptr<AudioBuffer> buffer;
    if (ahead_ && ahead_->path == path) {
        Ahead ahead = std::move(*ahead_);
        ahead_.reset();
        buffer = loadDecoded(ahead.bytes, std::move(ahead.sound));
    } else if (const std::optional<QByteArray> bytes = readSoundFile(path)) {
        buffer = loadWav(*bytes);
    } else {
        qCWarning(lcSound) << "sound file not read:" << path;
        return nullptr;
    }
    // Without an output nothing plays, and that was said once already.
    if (!buffer && device_->id) qCWarning(lcSound) << "not a sound the game can play:" << path;
    return buffer;
}

std::unique_ptr<AudioBuffer> SdlAudioBackend::loadWav(QByteArrayView bytes) {
    return loadDecoded(bytes, std::nullopt);
}

std::unique_ptr<AudioBuffer> SdlAudioBackend::loadDecoded(QByteArrayView bytes,
                                                          std::optional<PcmSound> sound) {
    if (!started()) return nullptr;
    if (!sound) sound = decodeWav(bytes, device_->rate);
    if (!sound || !ready(sound->rate)) return nullptr;
    if (sound->rate != device_->rate) sound = decodeWav(bytes, device_->rate);
    if (!sound) return nullptr;
    return std::make_unique<SdlBuffer>(device_, std::move(*sound));
}

SdlAudioBackend::State SdlAudioBackend::stateOf(const AudioBuffer& buffer) {
    const auto* sdlBuffer = dynamic_cast<const SdlBuffer*>(&buffer);
    return sdlBuffer ? sdlBuffer->state() : State::Stopped;
}

}  // namespace talomir
