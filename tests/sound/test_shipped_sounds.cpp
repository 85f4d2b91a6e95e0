// The sounds the build synthesises, and the way they are put beside the program.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "sound/sdl_audio_backend.h"
#include "sound/sound_engine.h"
#include "sound/sound_file.h"

using namespace talomir;

namespace {

// The generator's own output in the build tree, never the player's copies.
QString stagedSound(const QString& name) {
    return QStringLiteral(TALOMIR_BIN_DIR "/assets/generated/sound/") + name;
}

QStringList shippedNames() {
    QStringList names;
    for (int i = 0; i < kClipCount; ++i) names << defaultFileName(Clip(i));
    names << kBkgMusicFileName;
    return names;
}

double meanStep(const std::vector<int16_t>& s) {
    double sum = 0;
    for (std::size_t i = 1; i < s.size(); ++i) sum += std::abs(s[i] - s[i - 1]);
    return sum / double(s.size() - 1);
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestShippedSounds : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (const QString& name : shippedNames())
            QVERIFY2(
                QFile::exists(stagedSound(name)),
                qPrintable(stagedSound(name) + " is missing; build the talomir-assets target"));
    }

    // Plain 16-bit PCM of one rate, so the mixer, which runs at the first sound's rate, never
    // resamples them; clips short, audible,
    // unclipped, click-free and all different; the music a long loop without a seam.
    void everyFileIsValid() {
        qputenv("SDL_AUDIODRIVER", "dummy");
        SdlAudioBackend audio;
        QVERIFY(audio.ready());
        std::vector<std::vector<int16_t>> seen;
        for (const QString& name : shippedNames()) {
            const std::optional<QByteArray> bytes = readSoundFile(stagedSound(name));
            QVERIFY2(bytes && bytes->size() > 44, qPrintable(name));
            QCOMPARE(qFromLittleEndian<quint16>(bytes->constData() + 34), quint16(16));
            const auto s = decodeWav(*bytes);
            QVERIFY2(s, qPrintable(name));
            QCOMPARE(s->rate, 22050);
            QVERIFY2(audio.load(stagedSound(name)), qPrintable(name));

            int peak = 0;
            for (int16_t v : s->samples) peak = std::max(peak, std::abs(int(v)));
            QVERIFY2(peak > 8000 && peak < 32000, qPrintable(name));
            const double seconds = double(s->frames()) / s->rate;
            if (name == kBkgMusicFileName) {
                QVERIFY(seconds >= 20.0);
                const int c = s->channels;  // across the loop point: no bigger step than anywhere
                for (int ch = 0; ch < c; ++ch) {
                    const int jump =
                        std::abs(s->samples[ch] - s->samples[s->samples.size() - c + ch]);
                    QVERIFY2(jump <= 3 * meanStep(s->samples) + 50,
                             qPrintable(QString::number(jump)));
                }
                continue;
            }
            QVERIFY2(seconds > 0.03 && seconds < 2.0, qPrintable(name));
            QVERIFY(std::abs(s->samples.front()) < 300 && std::abs(s->samples.back()) < 300);
            for (const auto& other : seen) QVERIFY2(other != s->samples, qPrintable(name));
            seen.push_back(s->samples);
        }
    }

    // The build copies a file only where none is: the player's own files stay.
    void shippingNeverOverwrites() {
        const QString cmake = QStandardPaths::findExecutable("cmake");
        if (cmake.isEmpty()) QSKIP("cmake is not on the path");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir(dir.path()).mkpath("src");
        QDir(dir.path()).mkpath("bin/sound");
        writeText(dir.filePath("src/a.WAV"), "new a");
        writeText(dir.filePath("src/b.WAV"), "new b");
        writeText(dir.filePath("src/TaloVostrun.ini"), "new settings");
        writeText(dir.filePath("bin/sound/b.WAV"), "player's b");
        const QString manifest = dir.filePath("manifest.txt");
        writeText(manifest, QStringLiteral("%1/src/a.WAV|%1/bin/sound/a.WAV\n"
                                           "%1/src/b.WAV|%1/bin/sound/b.WAV\n"
                                           "%1/src/TaloVostrun.ini|%1/bin/deep/TaloVostrun.ini\n")
                                .arg(dir.path())
                                .toUtf8());
        const QStringList args = {"-DTALOMIR_SHIP_MANIFEST=" + manifest, "-P",
                                  TALOMIR_SOURCE_DIR "/assets/assets.cmake"};
        auto ship = [&] {
            QProcess p;
            p.start(cmake, args);
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
        };
        ship();
        QCOMPARE(readAll(dir.filePath("bin/sound/a.WAV")), QByteArray("new a"));
        QCOMPARE(readAll(dir.filePath("bin/sound/b.WAV")), QByteArray("player's b"));
        QCOMPARE(readAll(dir.filePath("bin/deep/TaloVostrun.ini")), QByteArray("new settings"));
        writeText(dir.filePath("bin/sound/a.WAV"), "player's a");  // a copy the build made
        ship();
        QCOMPARE(readAll(dir.filePath("bin/sound/a.WAV")), QByteArray("player's a"));
    }
};

QTEST_GUILESS_MAIN(TestShippedSounds)
#include "test_shipped_sounds.moc"
