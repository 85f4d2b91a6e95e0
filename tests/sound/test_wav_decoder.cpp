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
    void decodesEachFormatFamily_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<std::vector<int16_t>>("expected");
        const std::vector<double> mono = {0.0, 0.25, -1.0, 1.0};
        // 8-bit is unsigned: 0 and 255 are the ends of the range.
        QTest::newRow("8-bit mono") << wav(1, 1, 8000, 8, QByteArray("\x00\xFF\x80", 3)) << 1 << 8
                                    << std::vector<int16_t>{-32768, 32512, 0};
        QTest::newRow("16-bit stereo") << wav(1, 2, 44100, 16, pcm(kStereoFrames, 16)) << 2 << 16
                                       << std::vector<int16_t>{8192, -32767, 32767, 0};
        QTest::newRow("extensible 24-bit stereo")
            << riff(chunk("fmt ", extensibleBody(1, 2, 44100, 24)) +
                    chunk("data", pcm(kStereoFrames, 24)))
            << 2 << 24 << std::vector<int16_t>{8192, -32768, 32767, 0};
        QTest::newRow("32-bit mono") << wav(1, 1, 96000, 32, pcm(mono, 32)) << 1 << 32
                                     << std::vector<int16_t>{0, 8192, -32768, 32767};
        // Out-of-range and not-a-number floats are held to full scale and to silence.
        QTest::newRow("float32 beyond full scale")
            << wav(3, 1, 8000, 32,
                   pcmFloat({0.25, 2.0, -3.0, std::numeric_limits<double>::quiet_NaN()}, 32))
            << 1 << 32 << std::vector<int16_t>{8192, 32767, -32767, 0};
        QTest::newRow("float64 mono") << wav(3, 1, 8000, 64, pcmFloat(mono, 64)) << 1 << 64
                                      << std::vector<int16_t>{0, 8192, -32767, 32767};
        // Surround files keep their front pair.
        QTest::newRow("4 channels")
            << wav(1, 4, 44100, 16, pcm({0.25, -1.0, 0.5, 0.5, 1.0, 0.0, 0.5, 0.5}, 16)) << 2 << 16
            << std::vector<int16_t>{8192, -32767, 32767, 0};
        // Files from other tools: an odd chunk before fmt, data before fmt, RIFF size zero.
        const QByteArray fmt = chunk("fmt ", fmtBody(1, 1, 22050, 16));
        const QByteArray data = chunk("data", pcm16({100, -200}));
        QTest::newRow("odd chunk, data first, no RIFF size")
            << riff(chunk("LIST", "INFOabc") + data + fmt, 0) << 1 << 16
            << std::vector<int16_t>{100, -200};
        // A data chunk that claims more than the file holds keeps its whole frames.
        QTest::newRow("cut data chunk")
            << riff(fmt + chunk("data", pcm16({100, -200, 300}), 1000)).chopped(1) << 1 << 16
            << std::vector<int16_t>{100, -200};
    }

    void decodesEachFormatFamily() {
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
    }

    void rejectsMalformedFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<WavError>("why");
        const QByteArray fmt = chunk("fmt ", fmtBody(1, 1, 22050, 16));
        const QByteArray data = chunk("data", pcm16({1, 2, 3, 4}));
        QTest::newRow("short header") << QByteArray("RIFF\0\0\0", 7) << WavError::NotWave;
        QTest::newRow("big-endian RIFX")
            << (QByteArray("RIFX") + riff(fmt + data).mid(4)) << WavError::NotWave;
        QTest::newRow("no fmt chunk") << riff(data) << WavError::BadFormat;
        QTest::newRow("fmt beyond the end")
            << riff(chunk("fmt ", fmtBody(1, 1, 22050, 16), 4000)) << WavError::BadFormat;
        QTest::newRow("chunk size skips everything")
            << riff(chunk("JUNK", "ab", 0xFFFFFFF0) + fmt + data) << WavError::BadFormat;
        QTest::newRow("rate zero") << wav(1, 1, 0, 16, pcm16({1, 2})) << WavError::BadFormat;
        QTest::newRow("block align wrong")
            << riff(chunk("fmt ", fmtBody(1, 2, 22050, 16, 2)) + data) << WavError::BadFormat;
        QTest::newRow("ADPCM") << riff(chunk("fmt ", fmtBody(2, 1, 22050, 4, 256)) + data)
                               << WavError::Unsupported;
        QTest::newRow("extensible too short")
            << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 22050, 16)) + data) << WavError::Unsupported;
        QTest::newRow("no data chunk") << riff(fmt) << WavError::NoData;
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

    void readsFilesAndRefusesWhatIsNotOne() {
        QTemporaryDir dir;
        const QString good = dir.filePath("good.wav");
        QVERIFY(writeFile(good, wav(1, 1, 22050, 16, pcm16({7, -7}))));
        auto s = readWavFile(good);
        QVERIFY(s);
        QCOMPARE(s->samples, (std::vector<int16_t>{7, -7}));
        QCOMPARE(s->sampleRate, 22050);
        WavError error = WavError::None;
        QVERIFY(!readWavFile(dir.filePath("missing.wav"), &error));
        QCOMPARE(error, WavError::Unreadable);
        QVERIFY(!readWavFile(dir.path(), &error));  // a folder
        QCOMPARE(error, WavError::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestWavDecoder)
#include "test_wav_decoder.moc"
