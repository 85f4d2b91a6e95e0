// The SDL2_mixer back end without a sound card: SDL's dummy output, and no output at all.

#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>

#include "sound/direct_sound.h"
#include "sound/sdl_audio_backend.h"
#include "sound/sound_engine.h"
#include "wav_bytes.h"

#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace talomir;
using namespace wavbytes;
using State = SdlAudioBackend::State;

namespace {

PcmSound toneSound(double seconds, int channels = 2, int rate = 44100) {
    PcmSound s;
    s.channels = channels;
    s.sampleRate = rate;
    s.samples = tone(seconds, rate, channels, 440, 0.3);
    return s;
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
    std::unique_ptr<SdlAudioBackend> layouts_;
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
            QVERIFY(!audio.createBuffer(toneSound(0.1)));
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

    // The levels themselves are measured on the output in the disk test; here the ends of
    // the ranges, where values are clamped rather than refused.
    void gainClampsOutOfRangeValues() {
        auto same = [](StereoGain a, StereoGain b) {
            return std::abs(a.left - b.left) < 1e-9 && std::abs(a.right - b.right) < 1e-9;
        };
        QVERIFY(same(gainFor(800, 0), StereoGain{1, 1}));
        QVERIFY(same(gainFor(-30000, 0), gainFor(-10000, 0)));
        QVERIFY(std::abs(gainFor(-10000, 0).left - 1e-5) < 1e-9);
        QVERIFY(same(gainFor(0, 25000), gainFor(0, 10000)));
        QVERIFY(same(gainFor(0, -32768), gainFor(0, -10000)));
        QVERIFY(same(gainFor(-1000, -1000), StereoGain{float(std::pow(10, -0.5)), 0.1f}));
    }

    void loadsEveryPcmLayout_data() {
        QTest::addColumn<QByteArray>("file");
        const std::vector<double> wave = {0, 0.5, 1, 0.5, 0, -0.5, -1, -0.5};
        std::vector<double> samples;
        for (int k = 0; k < 200; ++k) samples.insert(samples.end(), wave.begin(), wave.end());
        for (int bits : {8, 16, 24, 32}) {
            for (int channels : {1, 2}) {
                for (int rate : {8000, 11025, 22050, 44100, 48000}) {
                    QTest::addRow("%d-bit %d ch %d Hz", bits, channels, rate)
                        << wav(1, channels, rate, bits, pcm(samples, bits));
                }
            }
        }
        QTest::newRow("float") << wav(3, 2, 44100, 32, pcmFloat(samples, 32));
        QTest::newRow("extensible 24-bit") << riff(chunk("fmt ", extensibleBody(1, 2, 96000, 24)) +
                                                   chunk("data", pcm(samples, 24)));
    }

    void loadsEveryPcmLayout() {
        QFETCH(QByteArray, file);
        // One output for all rows: opening and closing one takes a while.
        if (!layouts_) layouts_ = std::make_unique<SdlAudioBackend>();
        SdlAudioBackend& audio = *layouts_;
        QVERIFY(audio.ready());
        const int before = audio.fileLoads();
        const auto buffer = audio.load(wavPath("layout.wav", file));
        QVERIFY(buffer);
        QCOMPARE(audio.fileLoads(), before + 1);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        buffer->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
    }

    void refusesMissingAndBrokenFiles() {
        layouts_.reset();
        SdlAudioBackend audio;
        QVERIFY(!audio.load(dir_.filePath("missing.wav")));
        QVERIFY(!audio.load(wavPath("text.wav", "not a sound at all")));
        QVERIFY(!audio.load(wavPath("adpcm.wav", riff(chunk("fmt ", fmtBody(2, 1, 8000, 4, 256)) +
                                                      chunk("data", QByteArray(512, 'x'))))));
        QVERIFY(!audio.load(QString()));
        QCOMPARE(audio.fileLoads(), 3);
        // Still fine afterwards.
        QVERIFY(audio.load(wavPath("ok.wav", wav(1, 1, 8000, 16, pcm16({1, 2, 3})))));
    }

    void stopKeepsThePositionAndRewindStartsOver() {
        SdlAudioBackend audio;
        auto buffer = audio.createBuffer(toneSound(5.0));
        QVERIFY(buffer);
        buffer->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
        buffer->stop();
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Paused);
        buffer->stop();
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Paused);
        buffer->play(false);  // resumes
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
        buffer->rewind();  // a playing buffer goes on from the start
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
        buffer->stop();
        buffer->rewind();  // a stopped one waits at the start
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        buffer->play(true);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
        buffer->setVolume(-32768);
        buffer->setPan(32767);
        buffer->setVolume(12345);
        buffer->setPan(-32768);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Playing);
        buffer.reset();

        // A once-play that ran to its end plays again from the start.
        auto blip = audio.createBuffer(toneSound(0.01));
        QVERIFY(blip);
        blip->play(false);
        QTRY_COMPARE_WITH_TIMEOUT(SdlAudioBackend::stateOf(*blip), State::Stopped, 10000);
        blip->stop();
        QCOMPARE(SdlAudioBackend::stateOf(*blip), State::Stopped);
        blip->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*blip), State::Playing);
    }

    void everyBufferHasAChannelOfItsOwn() {
        SdlAudioBackend audio;
        std::vector<std::unique_ptr<AudioBuffer>> buffers;
        for (int k = 0; k < 40; ++k) {  // more than the mixer starts with
            buffers.push_back(audio.createBuffer(toneSound(0.5)));
            QVERIFY(buffers.back());
            buffers.back()->play(true);
        }
        for (const auto& b : buffers) QCOMPARE(SdlAudioBackend::stateOf(*b), State::Playing);
        // A freed channel is reused without disturbing the others.
        buffers[3].reset();
        buffers[3] = audio.createBuffer(toneSound(0.5));
        QCOMPARE(SdlAudioBackend::stateOf(*buffers[3]), State::Stopped);
        for (std::size_t k = 0; k < buffers.size(); ++k)
            if (k != 3) QCOMPARE(SdlAudioBackend::stateOf(*buffers[k]), State::Playing);
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
        for (int k = 0; k < 10; ++k) clip.DMCtrlPlay();
        QCOMPARE(audio.fileLoads(), 1);
        QVERIFY(writeFile(path, wav(1, 1, 22050, 16, pcm16(tone(0.08, 22050, 1, 660, 0.5)))));
        clip.DMCtrlPlay();
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
        auto buffer = audio->createBuffer(toneSound(1.0));
        QVERIFY(buffer);
        buffer->play(true);
        audio.reset();
        buffer->stop();
        buffer->rewind();
        buffer->setVolume(-100);
        buffer->setPan(100);
        buffer->play(false);
        QCOMPARE(SdlAudioBackend::stateOf(*buffer), State::Stopped);
        buffer.reset();
        // The output is one per process: free again once its holder is gone.
        SdlAudioBackend again;
        QVERIFY(again.ready());
        SdlAudioBackend second;
        QVERIFY(!second.ready());
        QVERIFY(!second.createBuffer(toneSound(0.1)));
    }
};

QTEST_GUILESS_MAIN(TestSdlBackend)
#include "test_sdl_backend.moc"
