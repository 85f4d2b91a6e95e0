// The cost of a clip play once its file is decoded (the common case in play), against the
// cost of a play that has to decode the file.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>

#include "sound/clsdmctrl.h"
#include "sound/recording_audio.h"
#include "sound/sdl_audio_backend.h"

namespace {

using namespace talomir;

// A 16-bit mono wav of `seconds` of a soft tone at 22050 Hz, like the shipped clips.
QByteArray clipBytes(double seconds) {
    const int rate = 22050;
    const int frames = int(seconds * rate);
    QByteArray b;
    auto put16 = [&b](int v) {
        b.append(char(v & 0xFF));
        b.append(char((v >> 8) & 0xFF));
    };
    auto put32 = [&](int v) {
        put16(v & 0xFFFF);
        put16((v >> 16) & 0xFFFF);
    };
    b += "RIFF";
    put32(36 + frames * 2);
    b += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    b += "data";
    put32(frames * 2);
    for (int i = 0; i < frames; ++i)
        put16(int(std::lround(8000 * std::sin(2 * M_PI * 660 * i / rate))));
    return b;
}

struct ClipFiles {
    QTemporaryDir dir;
    QString a = dir.filePath("a.wav");
    QString b = dir.filePath("b.wav");
    ClipFiles() {
        for (const QString& path : {a, b}) {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly)) f.write(clipBytes(0.2));
        }
    }
};

// A clip on the given back end with the event sounds on, its file decoded once.
struct ClipRig {
    ClipFiles files;
    SoundSwitches on{true, false};
    clsDMCtrl clip;
    explicit ClipRig(AudioBackend& audio) : clip(audio, on) {
        clip.setDMCtrlPath(files.a);
        clip.setDMCtrlEnabled(true);
        clip.DMCtrlPlay();
    }
};

// The silent SDL output, so that the figures do not depend on a sound card.
bool openDummy(SdlAudioBackend& audio, benchmark::State& state) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // read when the output opens
    if (audio.ready()) return true;
    state.SkipWithError("no SDL output");
    return false;
}

void BM_CachedClipPlay_SdlDummy(benchmark::State& state) {
    SdlAudioBackend audio;
    if (!openDummy(audio, state)) return;
    ClipRig rig(audio);
    for (auto _ : state) rig.clip.DMCtrlPlay();
    state.counters["file_loads"] = audio.fileLoads();
}
BENCHMARK(BM_CachedClipPlay_SdlDummy);

void BM_CachedClipPlay_Recording(benchmark::State& state) {
    RecordingAudio audio;
    ClipRig rig(audio);
    audio.clear();
    int plays = 0;
    int loads = 0;
    for (auto _ : state) {
        rig.clip.DMCtrlPlay();
        if (++plays % 4096 == 0) {  // keep the log small
            loads += audio.loadCount(rig.clip.DMCtrlPath());
            audio.clear();
        }
    }
    state.counters["file_loads_after_first"] = loads + audio.loadCount(rig.clip.DMCtrlPath());
}
BENCHMARK(BM_CachedClipPlay_Recording);

// Alternating between two files makes every play decode its file, as a play without a cache
// would.
void BM_DecodingClipPlay_SdlDummy(benchmark::State& state) {
    SdlAudioBackend audio;
    if (!openDummy(audio, state)) return;
    ClipRig rig(audio);
    bool flip = false;
    for (auto _ : state) {
        rig.clip.setDMCtrlPath(flip ? rig.files.a : rig.files.b);
        flip = !flip;
        rig.clip.DMCtrlPlay();
    }
    state.counters["file_loads"] = audio.fileLoads();
}
BENCHMARK(BM_DecodingClipPlay_SdlDummy);

}  // namespace
