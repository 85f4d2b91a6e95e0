// What the SDL2_mixer back end really sends to the output, captured with SDL's disk driver:
// every mixed sample lands in a file of this test's own, 16-bit stereo.

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "sound/clsdmctrl.h"
#include "sound/direct_sound.h"
#include "sound/sdl_audio_backend.h"
#include "wav_bytes.h"

using namespace talomir;
using namespace wavbytes;

namespace {

struct Levels {
    double left = 0;
    double right = 0;
};

constexpr qint64 kFrameBytes = 4;
// What may already be in the mixer's and the file's buffers when a change is made.
constexpr qint64 kSettleBytes = 4 * 1024 * kFrameBytes;

}  // namespace

class TestSdlOutput : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString output_;
    std::unique_ptr<SdlAudioBackend> audio_;
    int rate_ = 0;

    qint64 written() const { return QFileInfo(output_).size() & ~(kFrameBytes - 1); }

    qint64 bytesFor(double seconds) const { return qint64(seconds * rate_) * kFrameBytes; }

    // Waits until the output holds `until` bytes, then returns the frames from `from` on.
    std::vector<int16_t> capture(qint64 from, qint64 until) {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(written() >= until, 20000); }();
        QFile f(output_);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(from)) return {};
        const QByteArray bytes = f.read(until - from);
        std::vector<int16_t> out(std::size_t(bytes.size()) / 2);
        std::memcpy(out.data(), bytes.constData(), out.size() * 2);
        return out;
    }

    // Left and right RMS of the output over `seconds`, once earlier changes have settled.
    Levels measure(double seconds) {
        const qint64 from = written() + kSettleBytes;
        const std::vector<int16_t> s = capture(from, from + bytesFor(seconds));
        Levels l;
        const std::size_t frames = s.size() / 2;
        for (std::size_t i = 0; i < frames; ++i) {
            l.left += double(s[2 * i]) * s[2 * i];
            l.right += double(s[2 * i + 1]) * s[2 * i + 1];
        }
        if (frames) {
            l.left = std::sqrt(l.left / frames);
            l.right = std::sqrt(l.right / frames);
        }
        return l;
    }

    QString wavFile(const char* name, const std::vector<int16_t>& samples, int channels, int rate) {
        const QString path = dir_.filePath(name);
        if (!writeFile(path, wav(1, channels, rate, 16, pcm16(samples))))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        output_ = dir_.filePath("output.raw");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(output_));
        qputenv("SDL_DISKAUDIODELAY", "10");  // a little faster than real time
        audio_ = std::make_unique<SdlAudioBackend>();
        if (!audio_->ready()) QSKIP("SDL has no disk output here");
        rate_ = audio_->outputRate();
        QVERIFY(rate_ > 0);
    }

    void cleanupTestCase() { audio_.reset(); }

    // What an earlier case played may still sit in the file's buffer; let it pass.
    void init() {
        if (!audio_ || !audio_->ready()) return;
        const qint64 now = written();
        QTRY_VERIFY_WITH_TIMEOUT(written() >= now + 2 * kSettleBytes, 20000);
    }

    void playedClipReachesTheOutput() {
        SoundSwitches on;
        on.EnableSoundControl = true;
        clsDMCtrl clip(*audio_, on);
        // A different rate and channel count than the output's: converted on the way.
        clip.setDMCtrlPath(wavFile("clip.wav", tone(0.15, 22050, 1, 1000, 0.5), 1, 22050));
        clip.setDMCtrlEnabled(true);
        const qint64 from = written();
        clip.DMCtrlPlay();
        const std::vector<int16_t> s = capture(from, from + bytesFor(0.6));
        int loud = 0;
        int peak = 0;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
            if (std::abs(s[i]) > 4000) ++loud;
            peak = std::max(peak, std::abs(int(s[i])));
            QCOMPARE(s[i], s[i + 1]);  // centred: the same on both sides
        }
        QVERIFY2(loud > rate_ / 50, qPrintable(QString::number(loud)));
        QVERIFY(peak > 14000 && peak < 18000);  // about half of full scale, as in the file
    }

    void volumeAndPanShapeTheMusic() {
        DirectSound music(*audio_);
        music.PlayBkgMusic(wavFile("music.wav", tone(1.0, 44100, 2, 440, 0.5), 2, 44100));
        QVERIFY(music.blnBkgPlaying());
        const Levels centre = measure(0.2);
        QVERIFY(centre.left > 10000);
        QVERIFY(std::abs(centre.left - centre.right) < 1);

        music.SetBkgPan(10000);
        Levels l = measure(0.2);
        QVERIFY(std::abs(l.right - centre.right) < 1);
        QVERIFY2(l.left < 1, qPrintable(QString::number(l.left)));

        music.SetBkgPan(5000);  // the left side 50 dB down
        l = measure(0.2);
        QVERIFY(std::abs(l.right - centre.right) < 1);
        const double ratio = l.left / l.right;
        QVERIFY2(ratio > 0.0025 && ratio < 0.0040, qPrintable(QString::number(ratio)));

        music.SetBkgPan(0);
        music.SetBkgVolume(-2000);  // -20 dB
        l = measure(0.2);
        QVERIFY2(std::abs(l.left / centre.left - 0.1) < 0.005,
                 qPrintable(QString::number(l.left / centre.left)));
        QVERIFY(std::abs(l.right / centre.right - 0.1) < 0.005);

        // Queued pans take effect at their time, not before; withdrawn ones never.
        const auto now = std::chrono::steady_clock::now();
        const int right[] = {10000}, left[] = {-10000};
        music.QueueBkgPans(right, now, std::chrono::milliseconds(0));
        music.QueueBkgPans(left, now + std::chrono::seconds(60), std::chrono::milliseconds(0));
        music.UnqueueBkgPans(1);
        QVERIFY(measure(0.1).left < 1);
        music.QueueBkgPans(left, now, std::chrono::milliseconds(0));
        QVERIFY(measure(0.1).right < 1);

        music.StopBkgMusic();
        l = measure(0.1);
        QCOMPARE(l.left, 0.0);
        QCOMPARE(l.right, 0.0);
    }

    // A ramp whose every value tells its position in the file: after a stop the output
    // goes on from the same value, after a rewind it starts again from the first.
    void stopResumeAndRewindOnTheRealMixer() {
        std::vector<int16_t> ramp;
        for (int i = 0; i < 120000; ++i) ramp.push_back(int16_t(1000 + i / 4));
        auto buffer = audio_->load(wavFile("ramp.wav", ramp, 1, rate_));
        QVERIFY(buffer);
        const qint64 from = written();
        buffer->play(false);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(written() >= from + bytesFor(0.3), 20000); }();
        buffer->stop();
        const qint64 stopped = written();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(written() >= stopped + bytesFor(0.2), 20000); }();
        buffer->play(false);
        const qint64 resumed = written();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(written() >= resumed + bytesFor(0.3), 20000); }();
        buffer->rewind();
        const qint64 rewound = written();
        const std::vector<int16_t> s = capture(from, rewound + bytesFor(0.3));

        // Split the left channel into runs of sound separated by silence.
        struct Run {
            int first = 0, last = 0, frames = 0;
        };
        std::vector<Run> runs;
        int jumpsBack = 0, restartValue = 0, previous = 0;
        bool inRun = false;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
            QCOMPARE(s[i], s[i + 1]);
            const int v = s[i];
            if (v == 0) {
                inRun = false;
                continue;
            }
            if (!inRun)
                runs.push_back(Run{v, v, 0});
            else if (v < previous - 500) {
                ++jumpsBack;
                restartValue = v;
            }
            inRun = true;
            runs.back().last = v;
            ++runs.back().frames;
            previous = v;
        }
        QCOMPARE(runs.size(), std::size_t(2));  // played, paused, resumed without a break
        QVERIFY(runs[0].first <= 1001);         // the first play starts at the file's start
        QVERIFY(runs[0].frames > rate_ / 10);
        // The resumed sound continues where the stopped one left off.
        QVERIFY2(std::abs(runs[1].first - runs[0].last) <= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(runs[0].last).arg(runs[1].first)));
        // The rewind of the playing buffer jumps back to the start at once.
        QCOMPARE(jumpsBack, 1);
        QVERIFY(restartValue <= 1001);
    }
};

QTEST_GUILESS_MAIN(TestSdlOutput)
#include "test_sdl_output.moc"
