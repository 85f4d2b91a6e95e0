// The SDL2_mixer back end without a sound card: SDL's dummy output, and no output at all.

#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "sound/direct_sound.h"
#include "sound/sdl_audio_backend.h"
#include "sound/sound_engine.h"
#include "sound/sound_file.h"
#include "wav_bytes.h"

#if defined(__unix__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace talomir;
using namespace wavbytes;
using State = SdlAudioBackend::State;

namespace {

QByteArray toneWav(double seconds, int channels = 2, int rate = 44100) {
    return wav(1, channels, rate, 16, pcm16(tone(seconds, rate, channels, 440, 0.3)));
}

#if defined(__unix__)
// Points the standard error stream at a file for the lifetime of the object.
class CaptureStderr {
public:
    explicit CaptureStderr(const QString& path) {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~CaptureStderr() {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
    }

private:
    int saved_;
};
#endif

}  // namespace

class TestSdlBackend : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString wavPath(const char* name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        if (!writeFile(path, bytes)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    // SDL's silent output for every case, unless a case chooses otherwise.
    void init() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    // Runs first, before any output of this process was opened.
    void withoutOutputEverythingIsSilentAndQuiet() {
        const QString good =
            wavPath("good.wav", wav(1, 1, 22050, 16, pcm16(tone(0.1, 22050, 1, 440, 0.5))));
        const QString log = dir_.filePath("stderr.txt");
        {
#if defined(__unix__)
            CaptureStderr capture(log);
#endif
            qputenv("SDL_AUDIODRIVER", "no-such-driver");
            SdlAudioBackend audio;
            QVERIFY(!audio.load(good));
            QVERIFY(!audio.ready());
            QVERIFY(!audio.load(good));
            QCOMPARE(audio.fileLoads(), 0);  // the failure is remembered; no file is read
            QVERIFY(!audio.loadWav(toneWav(0.1)));
            QCOMPARE(audio.outputRate(), 0);

            SoundEngine engine(audio);
            engine.setEnableSoundControl(true);
            engine.clip(Clip::mLeft1).setDMCtrlPath(good);
            engine.clip(Clip::mLeft1).setDMCtrlEnabled(true);
            engine.play(Clip::mLeft1);
            engine.music().PlayBkgMusic(good);
            QVERIFY(!engine.music().blnBkgPlaying());
            engine.music().SetBkgVolume(-300);
            QCOMPARE(engine.music().intBkgVolume(), int16_t(-300));

            // The system's own choice of output: on a machine without a sound card the audio
            // libraries complain on stderr, which must not reach the player.
            qunsetenv("SDL_AUDIODRIVER");
            SdlAudioBackend system;
            system.ready();
        }
        QFile captured(log);
        QVERIFY(captured.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(captured.readAll()), QString());
    }

    // Out-of-range volumes and pans are clamped rather than refused.
    void gainClampsOutOfRangeValues() {
        auto same = [](StereoGain a, StereoGain b) {
            return std::abs(a.left - b.left) < 1e-9 && std::abs(a.right - b.right) < 1e-9;
        };
        QVERIFY(same(gainFor(800, 0), StereoGain{1, 1}));
        QVERIFY(same(gainFor(-30000, 0), gainFor(-10000, 0)));
        QVERIFY(same(gainFor(0, -32768), gainFor(0, -10000)));
        QVERIFY(same(gainFor(-1000, -1000), StereoGain{float(std::pow(10, -0.5)), 0.1f}));
    }

    // What SDL decodes plays, µ-law included; what is not a regular file is refused before a
    // byte is read: a FIFO would block the caller in open() for good (this case would hang),
    // a device never ends, and an oversized file is not read at all.
    void loadsWhatSdlDecodesAndOnlyRegularFiles() {
        SdlAudioBackend audio;
        QVERIFY(audio.load(wavPath("a.wav", wav(1, 1, 11025, 8, pcm({0, 0.5, -0.5}, 8)))));
        QVERIFY(audio.load(wavPath("mulaw.wav", wav(7, 1, 8000, 8, QByteArray(400, 'x')))));
        QVERIFY(audio.load(
            wavPath("ok.wav", wav(1, 2, 48000, 16, pcm16(tone(0.05, 48000, 2, 440, 0.5))))));
        QVERIFY(!audio.load(wavPath("broken.wav", QByteArray("RIFFxxxxWAVEfmt "))));
        QVERIFY(!audio.load(dir_.filePath("missing.wav")));
        QVERIFY(!audio.load(QString()));
#if defined(__unix__)
        const QString fifo = dir_.filePath("fifo.wav");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString big = wavPath("big.wav", wav(1, 1, 8000, 16, pcm16({1, 2})));
        QVERIFY(QFile::resize(big, kMaxSoundFileBytes + 1));  // sparse: nothing is written
        for (const QString& path : {fifo, QStringLiteral("/dev/urandom"), dir_.path(), big}) {
            QVERIFY2(!readSoundFile(path), qPrintable(path));
            QVERIFY2(!audio.load(path), qPrintable(path));
        }
#endif
    }

    void stopPausesRewindAndStartsOver() {
        SdlAudioBackend audio;
        auto buffer = audio.loadWav(toneWav(5.0));
        QVERIFY(buffer);
        const std::pair<std::function<void()>, State> steps[] = {
            {[&] { buffer->play(false); }, State::Playing},
            {[&] { buffer->stop(); }, State::Paused},
            {[&] { buffer->stop(); }, State::Paused},
            {[&] { buffer->play(false); }, State::Playing},               // resumes
            {[&] { buffer->rewind(); }, State::Playing},                  // goes on from the start
            {[&] { buffer->stop(), buffer->rewind(); }, State::Stopped},  // waits at the start
        };
        for (const auto& [step, state] : steps) {
            step();
            QCOMPARE(SdlAudioBackend::stateOf(*buffer), state);
        }
        buffer.reset();
        // A once-play that ran to its end plays again from the start.
        auto blip = audio.loadWav(toneWav(0.01));
        blip->play(false);
        QTRY_COMPARE_WITH_TIMEOUT(SdlAudioBackend::stateOf(*blip), State::Stopped, 10000);
        blip->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*blip), State::Playing);
    }

    void clipDecodesItsFileOnlyWhenItChanged() {
        SdlAudioBackend audio;
        SoundSwitches on;
        on.EnableSoundControl = true;
        clsDMCtrl clip(audio, on);
        const QString path =
            wavPath("clip.wav", wav(1, 1, 22050, 16, pcm16(tone(0.05, 22050, 1, 880, 0.5))));
        clip.setDMCtrlPath(path);
        clip.setDMCtrlEnabled(true);
        clip.DMCtrlPlay();
        clip.DMCtrlPlay();
        QCOMPARE(audio.fileLoads(), 1);
        QVERIFY(writeFile(path, wav(1, 1, 22050, 16, pcm16(tone(0.08, 22050, 1, 660, 0.5)))));
        clip.DMCtrlPlay();
        QCOMPARE(audio.fileLoads(), 2);
        // A broken file is read once and then left alone until it changes.
        QVERIFY(writeFile(path, "broken"));
        clip.DMCtrlPlay();
        clip.DMCtrlPlay();
        QCOMPARE(audio.fileLoads(), 3);
    }

    void buffersOutlivingTheBackEndAreHarmless() {
        auto audio = std::make_unique<SdlAudioBackend>();
        auto buffer = audio->loadWav(toneWav(1.0));
        QVERIFY(buffer);
        buffer->play(true);
        audio.reset();
        buffer->stop();
        buffer->setPan(100);
        buffer->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        buffer.reset();
        // The output is one per process: free again once its holder is gone.
        SdlAudioBackend again;
        QVERIFY(again.ready());
        SdlAudioBackend second;
        QVERIFY(!second.ready());
        QVERIFY(!second.loadWav(toneWav(0.1)));
    }
};

QTEST_GUILESS_MAIN(TestSdlBackend)
#include "test_sdl_backend.moc"
