// The SDL back end without output, on SDL's silent output, and what it mixes as captured by
// SDL's disk driver (16-bit stereo); and the sounds the build ships.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "sound/direct_sound.h"
#include "sound/sdl_audio_backend.h"
#include "sound/sound_engine.h"
#include "sound/sound_file.h"
#include "tests/support/files.h"
#include "wav_bytes.h"

using namespace talomir;
using namespace wavbytes;
using State = SdlAudioBackend::State;

class TestSdlBackend : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString output_ = dir_.filePath("output.raw");
    std::unique_ptr<SdlAudioBackend> disk_;  // opened by the first case that listens

    QString file(const char* name, const QByteArray& bytes) {
        return talomir::testing::writeBytes(dir_.filePath(name), bytes), dir_.filePath(name);
    }
    qint64 written() const { return QFileInfo(output_).size() & ~qint64(3); }
    qint64 bytesFor(double seconds) const { return qint64(seconds * disk_->outputRate()) * 4; }
    void waitFor(qint64 bytes) { QTRY_VERIFY_WITH_TIMEOUT(written() >= bytes, 20000); }

    // The samples from `from` on, once the output holds `until` bytes.
    std::vector<int16_t> capture(qint64 from, qint64 until) {
        waitFor(until);
        QFile f(output_);
        const QByteArray bytes =
            f.open(QIODevice::ReadOnly) && f.seek(from) ? f.read(until - from) : QByteArray();
        return std::vector<int16_t>(reinterpret_cast<const int16_t*>(bytes.constData()),
                                    reinterpret_cast<const int16_t*>(bytes.constEnd()));
    }

    // Left and right RMS over `seconds`, once what the buffers held has passed.
    std::pair<double, double> measure(double seconds) {
        const qint64 from = written() + 16384;
        const std::vector<int16_t> s = capture(from, from + bytesFor(seconds));
        double sum[2] = {0, 0};
        for (std::size_t i = 0; i < s.size(); ++i) sum[i % 2] += double(s[i]) * s[i];
        const double n = std::max<double>(1, s.size() / 2);
        return {std::sqrt(sum[0] / n), std::sqrt(sum[1] / n)};
    }

private slots:
    void init() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    // Runs first. Without an output every load fails at once, reads no file and prints nothing
    // (without a sound card the audio libraries complain on stderr, never to reach the player).
    void withoutOutputEverythingIsSilentAndQuiet() {
        const QString good = file("good.wav", toneWav(0.1)), err = dir_.filePath("err");
        std::fflush(stderr);
        const int saved = ::dup(2), log = ::creat(QFile::encodeName(err).constData(), 0600);
        ::dup2(log, 2);
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        SdlAudioBackend audio;
        const bool silent = !audio.load(good) && !audio.ready() && !audio.loadWav(toneWav(0.1)) &&
                            audio.fileLoads() == 0;
        qunsetenv("SDL_AUDIODRIVER");  // the system's own choice
        SdlAudioBackend().ready();
        std::fflush(stderr);
        ::dup2(saved, 2);
        QVERIFY(QFileInfo(err).size() == 0 && silent);
    }

    // What SDL decodes plays, µ-law included; no byte is read of what is not a regular file (a
    // FIFO would hang, a device never ends) or too large. Volumes and pans are clamped.
    void loadsWhatSdlDecodesAndOnlyRegularFiles() {
        SdlAudioBackend audio;  // the first file read ahead while the audio starts: for its load
        audio.prepare(file("a.wav", wav(1, 1, 11025, 8, QByteArray("\x80\xC0\x40", 3))));
        QVERIFY(!audio.load(file("b", "RIFFxxxxWAVEfmt ")) && audio.load(dir_.filePath("a.wav")));
        QVERIFY(audio.load(file("mulaw.wav", wav(7, 1, 8000, 8, QByteArray(400, 'x')))));
        QByteArray cut = wav(1, 1, 8000, 8, QByteArray(400, 'x'));
        cut[43] = 0x7F;  // the samples claim 2 GB: a truncated file plays what it holds
        for (const QByteArray& bytes : {cut, cut.mid(8)})  // also without its RIFF header
            QVERIFY(decodeWav(bytes, 8000) && decodeWav(bytes, 8000)->frames() == 400);
        QVERIFY(!audio.loadWav(wav(1, 1, 1, 16, QByteArray(40000, 'x'))));  // 1 Hz: gigabytes
        // 24 samples at 2.8 MHz make less than one frame at the output's rate: no sound.
        const QByteArray blip = wav(1, 1, 2818065, 8, QByteArray(24, 'x'));
        QVERIFY(decodeWav(blip) && !decodeWav(blip, 44100) && !audio.loadWav(blip));
        QVERIFY(!audio.load(dir_.filePath("missing.wav")) && !audio.load(QString()));
        const QString fifo = dir_.filePath("fifo.wav"), big = file("big.wav", toneWav(0.01));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::resize(big, kMaxSoundFileBytes));  // sparse: nothing is written
        QCOMPARE(readSoundFile(big).value_or("").size(), kMaxSoundFileBytes);  // the largest
        QVERIFY(QFile::resize(big, kMaxSoundFileBytes + 1));
        for (const QString& path : {fifo, QStringLiteral("/dev/urandom"), dir_.path(), big})
            QVERIFY2(!readSoundFile(path) && !audio.load(path), qPrintable(path));
        // A file holding less than its size says (as /sys files do) gives what it holds.
        QVERIFY(readSoundFile("/sys/kernel/uevent_seqnum").value_or("0").size() < 4096);
        const StereoGain loud = gainFor(800, -32768), quiet = gainFor(-30000, 0);
        QVERIFY(loud.left == 1 && loud.right == gainFor(0, -10000).right &&
                quiet.left == gainFor(-10000, 0).left);
    }

    // A stopped sound rewound waits at its start; a once-play run to its end plays again; a
    // buffer outliving its back end is silent; the one output opens at a rate cards play.
    void playStatesAndLifetimes() {
        ::signal(SIGINT, SIG_DFL);
        auto audio = std::make_unique<SdlAudioBackend>();
        auto buffer = audio->loadWav(toneWav(5.0)), blip = audio->loadWav(toneWav(0.01));
        struct sigaction interrupt {};  // Ctrl+C in a terminal still ends the game at once
        QVERIFY(buffer && blip && !::sigaction(SIGINT, nullptr, &interrupt) &&
                interrupt.sa_handler == SIG_DFL);
        buffer->play(false);
        buffer->stop();
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Paused);
        buffer->rewind();
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        blip->play(false);
        QTRY_COMPARE_WITH_TIMEOUT(SdlAudioBackend::stateOf(*blip), State::Stopped, 10000);
        blip->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*blip), State::Playing);
        audio.reset();
        buffer->play(true);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        SdlAudioBackend again, second;
        QVERIFY(again.loadWav(wav(1, 1, 4, 16, QByteArray(8, 'x'))) && again.outputRate() == 44100);
        QVERIFY(!second.ready() && !second.loadWav(toneWav(0.1)));
    }

    // Of one rate, so the mixer never resamples them; audible and unclipped; the clips short,
    // the music a long loop.
    void shippedSoundsAreValid() {
        QStringList names{kBkgMusicFileName};
        for (int i = 0; i < kClipCount; ++i) names << defaultFileName(clipAt(i));
        for (const QString& name : names) {
            const auto bytes = readSoundFile(TALOMIR_BIN_DIR "/assets/generated/sound/" + name);
            const auto s = bytes ? decodeWav(*bytes) : std::nullopt;
            QVERIFY2(s && s->rate == 22050 && s->channels == 1,
                     qPrintable(name + " is not 22050 Hz mono"));
            const auto [low, high] = std::minmax_element(s->samples.begin(), s->samples.end());
            const double seconds = double(s->frames()) / s->rate;
            QVERIFY2(
                std::max(-*low, int(*high)) > 8000 && *low > -32000 && *high < 32000 &&
                    (name == kBkgMusicFileName ? seconds >= 20 : seconds > 0.03 && seconds < 2),
                qPrintable(name));
        }
    }

    // Stereo music of another rate, converted: centred at its level, shaped by pan and volume;
    // queued pans apply at their time, withdrawn ones never; a stop silences.
    void volumeAndPanShapeTheMusic() {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(output_));
        qputenv("SDL_DISKAUDIODELAY", "10");  // a little faster than real time
        disk_ = std::make_unique<SdlAudioBackend>();
        if (!disk_->ready()) QSKIP("SDL has no disk output here");
        DirectSound music(*disk_);
        music.PlayBkgMusic(file("music.wav", toneWav(1.0, 22050, 2)));
        const auto [left, right] = measure(0.21);  // not whole cycles: a shifted side differs
        QVERIFY2(std::abs(left - 11585) < 200 && left == right, qPrintable(QString::number(left)));
        const struct {
            int pan, volume;
            double left, right;
        } rows[] = {{10000, 0, 0, 1}, {5000, 0, 0.00316, 1}, {-2000, -1000, 0.316, 0.0316}};
        for (const auto& r : rows) {
            music.SetBkgPan(int16_t(r.pan));
            if (r.volume) music.SetBkgVolume(int16_t(r.volume));  // each applies on its own
            const auto [l, rr] = measure(0.2);
            QVERIFY2(std::abs(l / left - r.left) < 0.0007 + r.left / 50 &&
                         std::abs(rr / right - r.right) < 0.0007 + r.right / 50,
                     qPrintable(QStringLiteral("%1: %2 %3").arg(r.pan).arg(l).arg(rr)));
        }
        music.SetBkgVolume(0);
        const auto now = std::chrono::steady_clock::now();
        const int rightThenLeft[] = {10000, -10000}, toLeft[] = {-10000};
        music.QueueBkgPans(rightThenLeft, now, std::chrono::seconds(60));  // left in a minute
        QVERIFY(measure(0.1).first < 1);
        music.UnqueueBkgPans(1);
        music.QueueBkgPans(toLeft, now, std::chrono::milliseconds(0));
        QVERIFY(measure(0.1).second < 1);
        music.StopBkgMusic();
        QCOMPARE(measure(0.1), std::make_pair(0.0, 0.0));
    }

    // A ramp whose every value tells its position in the file: after a stop the output goes
    // on from the same value; a rewind of the playing sound starts it again from the first.
    void stopResumeAndRewindOnTheRealMixer() {
        if (!disk_ || !disk_->ready()) QSKIP("SDL has no disk output here");
        std::vector<int16_t> ramp;
        for (int i = 0; i < 120000; ++i) ramp.push_back(int16_t(1000 + i / 4));
        auto buffer = disk_->loadWav(wav(1, 1, disk_->outputRate(), 16, pcm16(ramp)));
        QVERIFY(buffer);
        const qint64 from = written();
        const auto after = [&](double seconds) { waitFor(written() + bytesFor(seconds)); };
        buffer->play(false), after(0.3);
        buffer->stop(), after(0.2);
        buffer->play(false), after(0.3);
        buffer->rewind(), after(0.3);
        const std::vector<int16_t> s = capture(from, written());
        std::vector<std::pair<int, int>> runs;  // first and last value of the runs of sound
        std::vector<int> restarts;              // where the values fall back
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
            const int v = s[i], before = i ? s[i - 2] : 0;
            QCOMPARE(s[i + 1], s[i]);  // mono: the same on both sides
            if (v != 0 && before == 0) runs.push_back({v, v});
            if (v != 0 && before != 0 && v < before - 500) restarts.push_back(v);
            if (v != 0) runs.back().second = v;
        }
        QCOMPARE(runs.size(), std::size_t(2));  // played, paused, resumed without a break
        QVERIFY2(runs[0].first <= 1001 && std::abs(runs[1].first - runs[0].second) <= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(runs[0].second).arg(runs[1].first)));
        QVERIFY(restarts.size() == 1 && restarts[0] <= 1001);
    }

    // Sounds add up before the sum is held to 16 bits: +20000 twice and -20000 make 20000.
    void soundsAddUpBeforeTheyAreClipped() {
        if (!disk_ || !disk_->ready()) QSKIP("SDL has no disk output here");
        std::unique_ptr<AudioBuffer> voices[3];
        for (int i = 0; i < 3; ++i) {
            const int16_t v = i < 2 ? 20000 : -20000;
            QVERIFY(voices[i] = disk_->loadWav(wav(1, 1, disk_->outputRate(), 16, pcm16({v, v}))));
            voices[i]->play(true);
            QCOMPARE(measure(0.05).first, i == 1 ? 32767.0 : 20000.0);
        }
        const qint64 from = (voices[1].reset(), voices[2].reset(), written());
        voices[0]->play(false);  // ends, then silence
        const std::vector<int16_t> s = capture(from, from + bytesFor(0.2));
        QVERIFY(s.back() == 0 &&
                std::all_of(s.begin(), s.end(), [](int v) { return v % 20000 == 0; }));
    }

    void cleanupTestCase() { disk_.reset(); }
};

QTEST_GUILESS_MAIN(TestSdlBackend)
#include "test_sdl_backend.moc"
