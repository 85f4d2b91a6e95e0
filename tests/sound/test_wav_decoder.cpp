// The wav reader: every PCM layout the game accepts decodes to the right samples, and broken
// files are refused without reading past their end.

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

#include "sound/wav_decoder.h"
#include "wav_bytes.h"

using namespace talomir;
using namespace wavbytes;

Q_DECLARE_METATYPE(std::vector<int16_t>)

namespace {

std::optional<PcmSound> decode(const QByteArray& bytes, WavError* error = nullptr) {
    return decodeWav(std::span(reinterpret_cast<const unsigned char*>(bytes.constData()),
                               std::size_t(bytes.size())),
                     error);
}

const std::vector<double> kStereoFrames = {0.25, -1.0, 1.0, 0.0};

}  // namespace

class TestWavDecoder : public QObject {
    Q_OBJECT

private slots:
    void decodesEveryLayout_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<std::vector<int16_t>>("expected");

        const std::vector<double> mono = {0.0, 0.25, -1.0, 1.0};
        QTest::newRow("8-bit mono") << wav(1, 1, 11025, 8, pcm(mono, 8)) << 1 << 8
                                    << std::vector<int16_t>{0, 8192, -32512, 32512};
        QTest::newRow("16-bit mono") << wav(1, 1, 22050, 16, pcm(mono, 16)) << 1 << 16
                                     << std::vector<int16_t>{0, 8192, -32767, 32767};
        QTest::newRow("24-bit mono") << wav(1, 1, 48000, 24, pcm(mono, 24)) << 1 << 24
                                     << std::vector<int16_t>{0, 8192, -32768, 32767};
        QTest::newRow("32-bit mono") << wav(1, 1, 96000, 32, pcm(mono, 32)) << 1 << 32
                                     << std::vector<int16_t>{0, 8192, -32768, 32767};
        QTest::newRow("8-bit stereo") << wav(1, 2, 22050, 8, pcm(kStereoFrames, 8)) << 2 << 8
                                      << std::vector<int16_t>{8192, -32512, 32512, 0};
        QTest::newRow("16-bit stereo") << wav(1, 2, 44100, 16, pcm(kStereoFrames, 16)) << 2 << 16
                                       << std::vector<int16_t>{8192, -32767, 32767, 0};
        QTest::newRow("24-bit stereo") << wav(1, 2, 44100, 24, pcm(kStereoFrames, 24)) << 2 << 24
                                       << std::vector<int16_t>{8192, -32768, 32767, 0};
        QTest::newRow("float32 stereo") << wav(3, 2, 44100, 32, pcmFloat(kStereoFrames, 32)) << 2
                                        << 32 << std::vector<int16_t>{8192, -32767, 32767, 0};
        QTest::newRow("float64 mono") << wav(3, 1, 8000, 64, pcmFloat(mono, 64)) << 1 << 64
                                      << std::vector<int16_t>{0, 8192, -32767, 32767};
        // Out-of-range and not-a-number floats are held to full scale and to silence.
        QTest::newRow("float beyond full scale")
            << wav(3, 1, 8000, 32,
                   pcmFloat({2.0, -3.0, std::numeric_limits<double>::quiet_NaN()}, 32))
            << 1 << 32 << std::vector<int16_t>{32767, -32767, 0};
        QTest::newRow("extensible 24-bit stereo")
            << riff(chunk("fmt ", extensibleBody(1, 2, 44100, 24)) +
                    chunk("data", pcm(kStereoFrames, 24)))
            << 2 << 24 << std::vector<int16_t>{8192, -32768, 32767, 0};
        // Surround files keep their front pair.
        QTest::newRow("4 channels")
            << wav(1, 4, 44100, 16, pcm({0.25, -1.0, 0.5, 0.5, 1.0, 0.0, 0.5, 0.5}, 16)) << 2 << 16
            << std::vector<int16_t>{8192, -32767, 32767, 0};
        // 8-bit extremes: 0 and 255 are the ends of the unsigned range.
        QTest::newRow("8-bit extremes") << wav(1, 1, 8000, 8, QByteArray("\x00\xFF\x80", 3)) << 1
                                        << 8 << std::vector<int16_t>{-32768, 32512, 0};
    }

    void decodesEveryLayout() {
        QFETCH(QByteArray, file);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(std::vector<int16_t>, expected);
        WavError error = WavError::NotWave;
        const auto sound = decode(file, &error);
        QVERIFY(sound.has_value());
        QCOMPARE(error, WavError::None);
        QCOMPARE(sound->channels, channels);
        QCOMPARE(sound->sourceBits, bits);
        QCOMPARE(sound->samples, expected);
        QCOMPARE(sound->frames(), expected.size() / std::size_t(channels));
    }

    // Files written by other tools: extra chunks, odd sizes, chunks in another order, header
    // sizes that were never filled in, a cut-off end.
    void acceptsRealWorldChunkLayouts() {
        const QByteArray fmt = chunk("fmt ", fmtBody(1, 1, 22050, 16));
        const QByteArray data = chunk("data", pcm16({100, -200, 300}));
        const std::vector<int16_t> all = {100, -200, 300};

        auto s = decode(riff(chunk("LIST", "INFOabc") + fmt + data));  // odd chunk, padded
        QVERIFY(s);
        QCOMPARE(s->samples, all);

        s = decode(riff(data + chunk("fact", "\x03\0\0\0") + fmt));  // data before fmt
        QVERIFY(s);
        QCOMPARE(s->samples, all);

        s = decode(riff(fmt + data, 0));  // RIFF size left at zero
        QVERIFY(s);
        QCOMPARE(s->samples, all);

        // A larger fmt chunk (cbSize and extra bytes) is fine.
        QByteArray longFmt = fmtBody(1, 1, 22050, 16);
        put16(longFmt, 2);
        longFmt += "xy";
        s = decode(riff(chunk("fmt ", longFmt) + data));
        QVERIFY(s);
        QCOMPARE(s->samples, all);

        // A data chunk that claims more than the file holds keeps its whole frames.
        QByteArray cut = riff(fmt + chunk("data", pcm16({100, -200, 300}), 1000));
        cut.chop(1);  // half of the last sample is lost
        s = decode(cut);
        QVERIFY(s);
        QCOMPARE(s->samples, (std::vector<int16_t>{100, -200}));
    }

    void rejectsMalformedFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<WavError>("why");
        const QByteArray fmt = chunk("fmt ", fmtBody(1, 1, 22050, 16));
        const QByteArray data = chunk("data", pcm16({1, 2, 3, 4}));

        QTest::newRow("empty") << QByteArray() << WavError::NotWave;
        QTest::newRow("short header") << QByteArray("RIFF\0\0\0", 7) << WavError::NotWave;
        QTest::newRow("big-endian RIFX")
            << (QByteArray("RIFX") + riff(fmt + data).mid(4)) << WavError::NotWave;
        QTest::newRow("not WAVE") << (riff(fmt + data).replace(8, 4, "AVI ")) << WavError::NotWave;
        QTest::newRow("only a header") << riff(QByteArray()) << WavError::BadFormat;
        QTest::newRow("no fmt chunk") << riff(data) << WavError::BadFormat;
        QTest::newRow("fmt too short")
            << riff(chunk("fmt ", fmtBody(1, 1, 22050, 16).left(14)) + data) << WavError::BadFormat;
        QTest::newRow("fmt beyond the end")
            << riff(chunk("fmt ", fmtBody(1, 1, 22050, 16), 4000)) << WavError::BadFormat;
        QTest::newRow("chunk size skips everything")
            << riff(chunk("JUNK", "ab", 0xFFFFFFF0) + fmt + data) << WavError::BadFormat;
        QTest::newRow("no channels")
            << riff(chunk("fmt ", fmtBody(1, 0, 22050, 16, 2)) + data) << WavError::BadFormat;
        QTest::newRow("nine channels")
            << wav(1, 9, 22050, 16, pcm16(std::vector<int16_t>(18))) << WavError::BadFormat;
        QTest::newRow("rate zero") << wav(1, 1, 0, 16, pcm16({1, 2})) << WavError::BadFormat;
        QTest::newRow("absurd rate")
            << wav(1, 1, 5000000, 16, pcm16({1, 2})) << WavError::BadFormat;
        QTest::newRow("12 bits") << riff(chunk("fmt ", fmtBody(1, 1, 22050, 12, 2)) + data)
                                 << WavError::Unsupported;
        QTest::newRow("float16") << wav(3, 1, 22050, 16, pcm16({1, 2})) << WavError::Unsupported;
        QTest::newRow("ADPCM") << riff(chunk("fmt ", fmtBody(2, 1, 22050, 4, 256)) + data)
                               << WavError::Unsupported;
        QTest::newRow("block align wrong")
            << riff(chunk("fmt ", fmtBody(1, 2, 22050, 16, 2)) + data) << WavError::BadFormat;
        QByteArray guid = extensibleBody(1, 1, 22050, 16);
        guid[30] = 0x11;
        QTest::newRow("unknown extensible GUID")
            << riff(chunk("fmt ", guid) + data) << WavError::Unsupported;
        QTest::newRow("extensible too short")
            << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 22050, 16)) + data) << WavError::Unsupported;
        QTest::newRow("no data chunk") << riff(fmt) << WavError::NoData;
        QTest::newRow("empty data") << riff(fmt + chunk("data", QByteArray())) << WavError::NoData;
        QTest::newRow("less than a frame")
            << riff(chunk("fmt ", fmtBody(1, 2, 22050, 24)) + chunk("data", "abcde"))
            << WavError::NoData;
    }

    void rejectsMalformedFiles() {
        QFETCH(QByteArray, file);
        QFETCH(WavError, why);
        WavError error = WavError::None;
        QVERIFY(!decode(file, &error).has_value());
        QCOMPARE(error, why);
    }

    // Every cut and many random corruptions of valid files: the reader never crashes, and
    // what it accepts is self-consistent.
    void survivesCorruptedFiles() {
        const QByteArray good[] = {
            wav(1, 2, 44100, 24, pcm({0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, 24)),
            riff(chunk("fmt ", extensibleBody(3, 1, 8000, 32)) + chunk("LIST", "abc") +
                 chunk("data", pcmFloat({0.5, -0.5, 0.25}, 32))),
        };
        uint32_t seed = 12345;
        auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
        int accepted = 0;
        for (const QByteArray& file : good) {
            // First every cut of the file, then files with random bytes overwritten.
            for (int round = 0; round < 3000 + file.size(); ++round) {
                QByteArray broken = file.left(round);
                if (round > file.size())
                    for (int k = 0; k <= int(next() % 4); ++k)
                        broken[int(next() % uint32_t(broken.size()))] = char(next());
                const auto s = decode(broken);
                if (!s) continue;
                ++accepted;
                QVERIFY(s->channels == 1 || s->channels == 2);
                QVERIFY(s->frames() > 0);
                QCOMPARE(s->samples.size(), s->frames() * std::size_t(s->channels));
                QVERIFY(s->samples.size() <= std::size_t(broken.size()));
            }
        }
        QVERIFY(accepted > 0);  // the cuts that keep whole frames still decode
    }

    void readsFilesAndRefusesWhatIsNotOne() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString good = dir.filePath("good.wav");
        QVERIFY(writeFile(good, wav(1, 1, 22050, 16, pcm16({7, -7}))));
        auto s = readWavFile(good);
        QVERIFY(s);
        QCOMPARE(s->samples, (std::vector<int16_t>{7, -7}));
        QCOMPARE(s->sampleRate, 22050);

        WavError error = WavError::None;
        QVERIFY(!readWavFile(dir.filePath("missing.wav"), &error));
        QCOMPARE(error, WavError::Unreadable);
        QVERIFY(!readWavFile(QString(), &error));
        QCOMPARE(error, WavError::Unreadable);
        QVERIFY(!readWavFile(dir.path(), &error));  // a folder
        const QString text = dir.filePath("notes.wav");
        QVERIFY(writeFile(text, "just some text, not a sound"));
        QVERIFY(!readWavFile(text, &error));
        QCOMPARE(error, WavError::NotWave);
    }
};

QTEST_GUILESS_MAIN(TestWavDecoder)
#include "test_wav_decoder.moc"
