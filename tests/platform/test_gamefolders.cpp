// Where the game's files live: a writable copy keeps them beside itself, an installed or
// read-only copy in the player's own folder seeded from what ships, a chosen folder wins; and
// sounds whose saved path has moved are found again in the game's sound folder.
#include <QDir>
#include <QtTest>

#include "platform/gamefolders.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "tests/support/files.h"

using namespace talomir;
using talomir::testing::readBytes;
using talomir::testing::writeBytes;

class TestGameFolders : public QObject {
    Q_OBJECT

private slots:
    void choosesAndSeedsTheDataFolder_data() {
        QTest::addColumn<QString>("ships");  // what the program's folder holds: sound, ini
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QByteArray>("settings");  // the data folder's settings afterwards
        const auto row = [](const char* name, const char* ships, bool writable, const char* chosen,
                            const char* data, const char* sound, const char* settings) {
            QTest::newRow(name) << QString(ships) << writable << QString(chosen) << QString(data)
                                << QString(sound) << QByteArray(settings);
        };
        row("build folder", "sound", true, "", "program", "program/sound", "");
        row("shared copy", "ini", true, "", "program", "program/sound", "program");
        row("installed", "", true, "", "user", "share/sound", "shipped");
        row("read-only copy", "sound ini", false, "", "user", "program/sound", "program");
        row("chosen", "sound ini", true, "team/table", "team/table", "program/sound", "program");
        row("player's own file", "", false, "mine", "mine", "share/sound", "own");
    }
    void choosesAndSeedsTheDataFolder() {
        QFETCH(QString, ships);
        QFETCH(bool, writable);
        QFETCH(QString, chosen);
        QFETCH(QString, data);
        QFETCH(QString, sound);
        QFETCH(QByteArray, settings);
        QTemporaryDir root;
        const QDir r(root.path());
        r.mkpath("share/sound");
        r.mkpath("program");
        writeBytes(r.filePath("share/TaloVostrun.ini"), "shipped");
        QFile::setPermissions(r.filePath("share/TaloVostrun.ini"), QFile::ReadOwner);
        if (ships.contains("sound")) r.mkpath("program/sound");
        if (ships.contains("ini")) writeBytes(r.filePath("program/TaloVostrun.ini"), "program");
        if (chosen == "mine") {
            r.mkpath("mine");
            writeBytes(r.filePath("mine/TaloVostrun.ini"), "own");
        }
        GameFolders::Places places{r.filePath("program"), r.filePath("share"), r.filePath("user"),
                                   chosen.isEmpty() ? QString() : r.filePath(chosen), writable};
        const GameFolders f = GameFolders::choose(places);
        QCOMPARE(f.dataFolder(), r.filePath(data));
        QCOMPARE(f.soundFolder(), r.filePath(sound));
        QCOMPARE(f.problem(), QString());
        const QString ini = f.dataFile("TaloVostrun.ini");
        QCOMPARE(readBytes(ini), settings.isEmpty() ? QByteArray("<unreadable>") : settings);
        // The player's copy can be replaced even when what ships is read-only.
        if (!settings.isEmpty()) QVERIFY(QFile::permissions(ini) & QFile::WriteOwner);
        // Nothing is made in the player's folder unless it is used.
        QCOMPARE(r.exists("user"), f.dataFolder() == r.filePath("user"));
    }

    void aDataFolderThatCannotBeMadeIsReported() {
        QTemporaryDir root;
        writeBytes(root.filePath("file"), "x");
        const GameFolders f = GameFolders::choose({root.filePath("p"), root.filePath("s"),
                                                   root.filePath("u"), root.filePath("file/sub")});
        QVERIFY(f.problem().contains(root.filePath("file/sub")));
    }

    // A path saved on another computer or before a folder was renamed plays the file of the
    // same name from the game's sound folder; the setting itself keeps what it holds.
    void movedSoundPathsPlayFromTheSoundFolder() {
        QTemporaryDir root;
        QDir(root.path()).mkpath("sound");
        for (const char* name : {"left1.WAV", "bkgmusic.WAV", "right1.WAV"})
            writeBytes(root.filePath(QStringLiteral("sound/") + name), "RIFF");
        writeBytes(root.filePath("mine.wav"), "RIFF");
        GameFolders::setCurrent(GameFolders::beside(root.path()));
        RecordingAudio audio;
        SoundEngine engine(audio);
        engine.setEnableSoundControl(true);
        const QStringList saved{"/mnt/old/sound/left1.WAV", root.filePath("mine.wav"),
                                "/mnt/old/sound/gone.WAV"};
        const Clip clips[] = {Clip::mLeft1, Clip::mRight1, Clip::mRotate1};
        for (int i = 0; i < 3; ++i) {
            engine.clip(clips[i]).setDMCtrlEnabled(true);
            engine.clip(clips[i]).setDMCtrlPath(saved[i]);
            engine.play(clips[i]);
            QCOMPARE(engine.clip(clips[i]).DMCtrlPath(), saved[i]);
        }
        engine.music().PlayBkgMusic("D:\\Games\\Talomir\\Sound\\BKGMUSIC.wav");
        QCOMPARE(audio.playedPaths(),
                 (QStringList{root.filePath("sound/left1.WAV"), root.filePath("mine.wav"),
                              root.filePath("sound/bkgmusic.WAV")}));
        QCOMPARE(engine.music().strBkgPath(), "D:\\Games\\Talomir\\Sound\\BKGMUSIC.wav");
    }
};

QTEST_GUILESS_MAIN(TestGameFolders)
#include "test_gamefolders.moc"
