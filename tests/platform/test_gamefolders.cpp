// Where the game's files live, and sounds whose saved path has moved.
#include <QtTest>

#include "platform/gamefolders.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "tests/support/files.h"

using namespace talomir;
using namespace talomir::testing;

class TestGameFolders : public QObject {
    Q_OBJECT

private slots:
    // What the program's folder ships ("ro": the player cannot write there), the chosen folder;
    // the folders chosen and the data folder's settings afterwards, which the player can replace.
    void choosesAndSeedsTheDataFolder_data() {
        for (const char* c : {"ships", "chosen", "data", "sound", "settings"})
            QTest::addColumn<QString>(c);
        const auto row = [](const char* name, const QStringList& columns) {
            QTestData& data = QTest::newRow(name);
            for (const QString& c : columns) data << c;
        };
        row("build folder", {"sound", "", "program", "program/sound", ""});
        row("shared copy", {"ini", "", "program", "program/sound", "program"});
        row("installed", {"", "", "user", "share/sound", "shipped"});
        row("read-only copy", {"sound ini ro", "", "user", "program/sound", "program"});
        row("chosen, own settings", {"sound ini", "mine", "mine", "program/sound", "own"});
        row("chosen, none yet", {"ro", "team/t", "team/t", "share/sound", "shipped"});
    }
    void choosesAndSeedsTheDataFolder() {
        QFETCH(QString, ships);
        QFETCH(QString, chosen);
        QFETCH(QString, settings);
        QTemporaryDir root;
        const QDir r(root.path());
        for (const char* folder : {"share/sound", "program", "mine"}) r.mkpath(folder);
        writeBytes(r.filePath("share/TaloVostrun.ini"), "shipped");
        QFile::setPermissions(r.filePath("share/TaloVostrun.ini"), QFile::ReadOwner);
        writeBytes(r.filePath("mine/TaloVostrun.ini"), "own");
        if (ships.contains("sound")) r.mkpath("program/sound");
        if (ships.contains("ini")) writeBytes(r.filePath("program/TaloVostrun.ini"), "program");
        const GameFolders f = GameFolders::choose(
            {r.filePath("program"), r.filePath("share"), r.filePath("user"),
             chosen.isEmpty() ? "" : r.filePath(chosen), !ships.contains("ro")});
        QCOMPARE(f.problem(), QString());
        QTEST(r.relativeFilePath(f.dataFolder()), "data");
        QTEST(r.relativeFilePath(f.soundFolder()), "sound");
        const QString ini = f.dataFile("TaloVostrun.ini");
        QCOMPARE(readBytes(ini), settings.isEmpty() ? "<unreadable>" : settings.toLatin1());
        QVERIFY(settings.isEmpty() || QFile::permissions(ini) & QFile::WriteOwner);
        QCOMPARE(r.exists("user"), r.relativeFilePath(f.dataFolder()) == "user");
    }

    // A saved path that has moved plays the sound folder's file of that name; the setting stays.
    void movedSoundPathsPlayFromTheSoundFolder() {
        QTemporaryDir root;
        for (const char* folder : {"sound", "own"}) QDir(root.path()).mkpath(folder);
        for (const char* name : {"sound/left1.WAV", "sound/bkgmusic.WAV", "own/left1.WAV"})
            writeBytes(root.filePath(name), "RIFF");
        GameFolders::setCurrent(GameFolders::beside(root.path()));
        RecordingAudio audio;
        SoundEngine engine(audio);
        engine.setEnableSoundControl(true);
        const QString saved[] = {"/mnt/old/sound/left1.WAV", root.filePath("own/left1.WAV")};
        const Clip clips[] = {Clip::mLeft1, Clip::mRight1};
        for (int i : {0, 1}) {
            engine.clip(clips[i]).setDMCtrlEnabled(true);
            engine.clip(clips[i]).setDMCtrlPath(saved[i]);
            engine.play(clips[i]);
        }
        engine.music().PlayBkgMusic("D:\\Games\\Talomir\\Sound\\BKGMUSIC.wav");
        QCOMPARE(audio.playedPaths(), (QStringList{root.filePath("sound/left1.WAV"), saved[1],
                                                   root.filePath("sound/bkgmusic.WAV")}));
        QCOMPARE(engine.clip(Clip::mLeft1).DMCtrlPath(), saved[0]);
    }
};

QTEST_GUILESS_MAIN(TestGameFolders)
#include "test_gamefolders.moc"
