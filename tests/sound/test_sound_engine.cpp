// The clips, the music and the event table, driven against the recording back end.

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "game/game.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"

using namespace talomir;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// An engine whose nine clips point at files of their own, switched on, and the event sounds on.
// The main window's forwarding of the fall tick's pan to the engine.
struct PanForwarder : GameObserver {
    explicit PanForwarder(SoundEngine& e) : engine(e) {}
    void setBkgPan(Integer pan) override { engine.SetBkgPan(pan); }
    SoundEngine& engine;
};

struct Rig {
    QTemporaryDir dir;
    RecordingAudio audio;
    SoundEngine engine{audio};

    Rig() {
        for (int i = 0; i < kClipCount; ++i) {
            const Clip c = Clip(i);
            const QString path = dir.filePath(defaultFileName(c));
            writeBytes(path, "RIFF");
            engine.clip(c).setDMCtrlPath(path);
            engine.clip(c).setDMCtrlEnabled(true);
        }
        engine.setEnableSoundControl(true);
    }
    QString file(Clip c) const { return dir.filePath(defaultFileName(c)); }
    QString file(const char* name) const { return dir.filePath(name); }
};

}  // namespace

class TestSoundEngine : public QObject {
    Q_OBJECT

private slots:
    void eventTableNamesTheClips() {
        for (const SoundEventInfo& e : soundEvents()) QCOMPARE(&soundEvent(e.event), &e);
        QVERIFY(soundEvent(SoundEvent::Drop).hasTwoClips());
        QVERIFY(!soundEvent(SoundEvent::Left).hasTwoClips());
    }

    // Above 0.5 picks the first clip; 0.5 itself and below, the second.
    void pickDrawsBetweenTwoClips() {
        QCOMPARE(pickClip(SoundEvent::Drop, 0.51f), Clip::mDrop1);
        QCOMPARE(pickClip(SoundEvent::Drop, 0.5f), Clip::mDrop2);
        QCOMPARE(pickClip(SoundEvent::Drop, 0.0f), Clip::mDrop2);
        QCOMPARE(pickClip(SoundEvent::Landing, 0.99f), Clip::mDown1);
        QCOMPARE(pickClip(SoundEvent::Landing, 0.2f), Clip::mDown2);
        QCOMPARE(pickClip(SoundEvent::Rotate, 0.9f), Clip::mRotate1);
    }

    void playEventSoundByNumber() {
        Rig rig;
        const Clip byNumber[] = {Clip::mTalomir1, Clip::mDown1, Clip::mLeft1,  Clip::mRight1,
                                 Clip::mRotate1,  Clip::mDrop1, Clip::mDelLin1};
        for (int n = 1; n <= 7; ++n) {
            rig.audio.clear();
            rig.engine.Play_Event_Sound(uint8_t(n));
            QCOMPARE(rig.audio.playedPaths(), QStringList{rig.file(byNumber[n - 1])});
        }
        rig.audio.clear();
        for (int n : {0, 8, 9, 100, 255}) rig.engine.Play_Event_Sound(uint8_t(n));
        QVERIFY(rig.audio.ops().empty());
    }

    void soundControlSilencesClipsButNotMusic() {
        Rig rig;
        rig.engine.setEnableSoundControl(false);
        for (int i = 0; i < kClipCount; ++i) rig.engine.play(Clip(i));
        for (int n = 0; n < 10; ++n) rig.engine.Play_Event_Sound(uint8_t(n));
        QVERIFY(rig.audio.ops().empty());  // not even a file is loaded

        const QString music = rig.file("music.wav");
        writeBytes(music, "RIFF");
        rig.engine.music().PlayBkgMusic(music);
        QVERIFY(rig.engine.music().blnBkgPlaying());
        QCOMPARE(rig.audio.playedPaths(), QStringList{music});
    }

    void clipSwitchSilencesOnlyThatClip() {
        Rig rig;
        rig.engine.clip(Clip::mDrop1).setDMCtrlEnabled(false);
        rig.engine.play(Clip::mDrop1);
        QVERIFY(rig.audio.ops().empty());
        // The pick comes first: a switched-off pick is silent, the other clip is not tried.
        rig.engine.playEvent(SoundEvent::Drop, 0.7f);
        QVERIFY(rig.audio.ops().empty());
        rig.engine.playEvent(SoundEvent::Drop, 0.3f);
        QCOMPARE(rig.audio.playedPaths(), QStringList{rig.file(Clip::mDrop2)});
    }

    // Each play stops the clip's previous play and starts its one buffer from the start at
    // the clip's volume (out-of-range values are the back end's to clamp); another clip
    // sounds on a buffer of its own.
    void playCutsOffTheClipsPreviousPlay() {
        Rig rig;
        rig.engine.clip(Clip::mRotate1).setDMCtrlVolume(-1200);
        rig.engine.play(Clip::mRotate1);
        rig.engine.clip(Clip::mRotate1).setDMCtrlVolume(5000);
        rig.engine.play(Clip::mRotate1);
        rig.engine.play(Clip::mLeft1);
        QCOMPARE(rig.audio.lines(),
                 (QStringList{"load 1 " + rig.file(Clip::mRotate1), "rewind 1", "volume 1 -1200",
                              "play 1 once", "stop 1", "rewind 1", "volume 1 5000", "play 1 once",
                              "load 2 " + rig.file(Clip::mLeft1), "rewind 2", "volume 2 0",
                              "play 2 once"}));
    }

    void fileIsDecodedOnceUntilItChanges() {
        Rig rig;
        const QString path = rig.file(Clip::mDown1);
        for (int k = 0; k < 5; ++k) rig.engine.play(Clip::mDown1);
        rig.engine.clip(Clip::mDown1).setDMCtrlPath(path);  // the same path again
        rig.engine.play(Clip::mDown1);
        QCOMPARE(rig.audio.loadCount(), 1);

        // Same size, new modification time: decoded again, the old buffer released.
        writeBytes(path, "RIFX");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                  QFileDevice::FileModificationTime));
        }
        rig.audio.clear();
        rig.engine.play(Clip::mDown1);
        QCOMPARE(rig.audio.lines(), (QStringList{"stop 1", "release 1", "load 2 " + path,
                                                 "rewind 2", "volume 2 0", "play 2 once"}));

        writeBytes(path, "RIFF and more");  // a new size
        rig.engine.play(Clip::mDown1);
        rig.engine.clip(Clip::mDown1).setDMCtrlPath(rig.file(Clip::mDown2));  // another file
        rig.engine.play(Clip::mDown1);
        QCOMPARE(rig.audio.loadCount(path), 2);
        QCOMPARE(rig.audio.playedPaths().last(), rig.file(Clip::mDown2));
        QCOMPARE(rig.audio.liveBuffers(), 1);
    }

    void missingOrBrokenFilesAreSilent() {
        Rig rig;
        const QString missing = rig.file("not-there.wav");
        rig.engine.clip(Clip::mLeft1).setDMCtrlPath(missing);
        rig.engine.play(Clip::mLeft1);
        rig.engine.play(Clip::mLeft1);
        // Tried once; the same missing file is not looked for again at every play.
        QCOMPARE(rig.audio.lines(), QStringList{"load-failed " + missing});
        // Once it appears, it plays.
        writeBytes(missing, "RIFF");
        rig.engine.play(Clip::mLeft1);
        QCOMPARE(rig.audio.playedPaths(), QStringList{missing});

        // An empty path loads nothing and plays nothing, and the next clip works.
        rig.audio.clear();
        rig.engine.clip(Clip::mRight1).setDMCtrlPath(QString());
        rig.engine.play(Clip::mRight1);
        QVERIFY(rig.audio.ops().empty());
        rig.engine.play(Clip::mRotate1);
        QCOMPARE(rig.audio.playedPaths(), QStringList{rig.file(Clip::mRotate1)});

        // A file the back end cannot decode.
        rig.audio.clear();
        rig.audio.failPath(rig.file(Clip::mDrop1));
        rig.engine.play(Clip::mDrop1);
        rig.engine.play(Clip::mDrop1);
        QCOMPARE(rig.audio.lines(), QStringList{"load-failed " + rig.file(Clip::mDrop1)});
    }

    void musicStartStopResumeAndRestart() {
        Rig rig;
        DirectSound& music = rig.engine.music();
        const QString a = rig.file("a.wav"), b = rig.file("b.wav");
        writeBytes(a, "RIFF");
        writeBytes(b, "RIFF");

        music.PlayBkgMusic(a);
        QCOMPARE(rig.audio.lines(), (QStringList{"load 1 " + a, "play 1 loop", "rewind 1"}));
        QVERIFY(music.blnBkgPlaying());
        QCOMPARE(music.strBkgPath(), a);

        // Stop keeps the position; resume goes on from it without a rewind.
        rig.audio.clear();
        music.StopBkgMusic();
        QVERIFY(music.blnBkgPlaying());
        music.ResumeBkgMusic();
        QCOMPARE(rig.audio.lines(), (QStringList{"stop 1", "play 1 loop"}));

        music.SetBkgVolume(-700);
        music.SetBkgPan(2500);
        QCOMPARE(music.intBkgVolume(), int16_t(-700));
        QCOMPARE(rig.audio.lines().mid(2), (QStringList{"volume 1 -700", "pan 1 2500"}));

        // A new start replaces the buffer and begins at the file's start.
        rig.audio.clear();
        music.StopBkgMusic();
        music.PlayBkgMusic(b);
        QCOMPARE(rig.audio.lines(), (QStringList{"stop 1", "stop 1", "release 1", "load 2 " + b,
                                                 "play 2 loop", "rewind 2"}));
        QCOMPARE(music.strBkgPath(), b);
        QCOMPARE(rig.audio.liveBuffers(), 1);
    }

    void musicThatCannotStartOnlyStoresTheVolume() {
        Rig rig;
        DirectSound& music = rig.engine.music();
        const QString good = rig.file("a.wav"), missing = rig.file("gone.wav");
        writeBytes(good, "RIFF");
        music.PlayBkgMusic(good);
        music.PlayBkgMusic(missing);  // the old music goes, nothing replaces it
        QVERIFY(!music.blnBkgPlaying());
        QCOMPARE(music.strBkgPath(), missing);
        QCOMPARE(rig.audio.liveBuffers(), 0);

        rig.audio.clear();
        music.SetBkgVolume(-2500);
        music.SetBkgPan(3000);
        music.StopBkgMusic();
        music.ResumeBkgMusic();
        rig.engine.SetBkgPan(-3000);
        QVERIFY(rig.audio.ops().empty());
        QCOMPARE(music.intBkgVolume(), int16_t(-2500));
    }

    // The main window hands the fall tick's pan to the music; the sweep itself is the model's.
    void fallTickPanReachesTheMusic() {
        Rig rig;
        const QString music = rig.file("m.wav");
        writeBytes(music, "RIFF");
        rig.engine.music().PlayBkgMusic(music);
        ScriptedRandom rng({}, 0.3f);
        FixedClock clock(0);
        Game game(rng, clock);
        PanForwarder forward(rig.engine);
        game.display.addObserver(&forward);
        game.EnableLoop = true;
        game.SpeedChange = 1000;
        game.Form_Load();
        rig.audio.clear();
        for (int k = 0; k < 3; ++k) game.tick();
        QCOMPARE(rig.audio.lines(), (QStringList{"pan 1 -5000", "pan 1 -4000", "pan 1 -3000"}));
        game.display.removeObserver(&forward);
    }
};

QTEST_GUILESS_MAIN(TestSoundEngine)
#include "test_sound_engine.moc"
