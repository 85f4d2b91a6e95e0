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

SoundSwitches soundOn() {
    SoundSwitches s;
    s.EnableSoundControl = true;
    return s;
}

void BM_CachedClipPlay_SdlDummy(benchmark::State& state) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ClipFiles files;
    SdlAudioBackend audio;
    if (!audio.ready()) {
        state.SkipWithError("no SDL output");
        return;
    }
    const SoundSwitches on = soundOn();
    clsDMCtrl clip(audio, on);
    clip.setDMCtrlPath(files.a);
    clip.setDMCtrlEnabled(true);
    clip.DMCtrlPlay();  // decodes once
    for (auto _ : state) clip.DMCtrlPlay();
    state.counters["file_loads"] = audio.fileLoads();
}
BENCHMARK(BM_CachedClipPlay_SdlDummy);

void BM_CachedClipPlay_Recording(benchmark::State& state) {
    ClipFiles files;
    RecordingAudio audio;
    const SoundSwitches on = soundOn();
    clsDMCtrl clip(audio, on);
    clip.setDMCtrlPath(files.a);
    clip.setDMCtrlEnabled(true);
    clip.DMCtrlPlay();
    audio.clear();
    int plays = 0;
    int loads = 0;
    for (auto _ : state) {
        clip.DMCtrlPlay();
        if (++plays % 4096 == 0) {  // keep the log small
            loads += audio.loadCount();
            audio.clear();
        }
    }
    state.counters["file_loads_after_first"] = loads + audio.loadCount();
}
BENCHMARK(BM_CachedClipPlay_Recording);

// Alternating between two files makes every play decode its file, as a play without a cache
// would.
void BM_DecodingClipPlay_SdlDummy(benchmark::State& state) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ClipFiles files;
    SdlAudioBackend audio;
    if (!audio.ready()) {
        state.SkipWithError("no SDL output");
        return;
    }
    const SoundSwitches on = soundOn();
    clsDMCtrl clip(audio, on);
    clip.setDMCtrlEnabled(true);
    bool flip = false;
    for (auto _ : state) {
        clip.setDMCtrlPath(flip ? files.a : files.b);
        flip = !flip;
        clip.DMCtrlPlay();
    }
    state.counters["file_loads"] = audio.fileLoads();
}
BENCHMARK(BM_DecodingClipPlay_SdlDummy);

}  // namespace

BENCHMARK_MAIN();
