// The clips, the music and the event table, driven against the recording back end.

#include <QTemporaryDir>
#include <QtTest>

#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "tests/support/files.h"

using namespace talomir;
using talomir::testing::writeBytes;

// Nine clips on files of their own, switched on, the event sounds on, and two music files.
struct Rig {
    QTemporaryDir dir;
    RecordingAudio audio;
    SoundEngine engine{audio};
    DirectSound& music = engine.music();

    Rig() {
        for (int i = 0; i < kClipCount; ++i) {
            writeBytes(file(Clip(i)), "RIFF");
            engine.clip(Clip(i)).setDMCtrlPath(file(Clip(i)));
            engine.clip(Clip(i)).setDMCtrlEnabled(true);
        }
        for (const char* name : {"a.wav", "b.wav"}) writeBytes(file(name), "RIFF");
        engine.setEnableSoundControl(true);
    }
    QString file(Clip c) const { return dir.filePath(defaultFileName(c)); }
    QString file(const char* name) const { return dir.filePath(name); }
};

class TestSoundEngine : public QObject {
    Q_OBJECT

private slots:
    // Events by number and by draw (above 0.5 the first of two clips); the event switch
    // silences clips, not the music; a clip's own switch silences that clip, without falling
    // back on the event's other clip.
    void eventsPickTheirClipsAndSwitchesSilenceThem() {
        Rig rig;
        for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 255}) rig.engine.Play_Event_Sound(uint8_t(n));
        QStringList expected;
        for (Clip c : {Clip::mTalomir1, Clip::mDown1, Clip::mLeft1, Clip::mRight1, Clip::mRotate1,
                       Clip::mDrop1, Clip::mDelLin1})
            expected << rig.file(c);
        QCOMPARE(rig.audio.playedPaths(), expected);
        QVERIFY(pickClip(SoundEvent::Drop, 0.51f) == Clip::mDrop1 &&
                pickClip(SoundEvent::Landing, 0.5f) == Clip::mDown2);

        rig.audio.clear();
        rig.engine.clip(Clip::mDrop1).setDMCtrlEnabled(false);
        rig.engine.playEvent(SoundEvent::Drop, 0.7f);
        rig.engine.playEvent(SoundEvent::Drop, 0.3f);
        rig.engine.setEnableSoundControl(false);
        for (int n = 0; n < 8; ++n) rig.engine.Play_Event_Sound(uint8_t(n));
        rig.music.PlayBkgMusic(rig.file("a.wav"));
        QCOMPARE(rig.audio.playedPaths(), (QStringList{rig.file(Clip::mDrop2), rig.file("a.wav")}));
    }

    // A clip keeps one buffer, replayed from its start at the clip's volume; its file is
    // decoded again only when its size, time or path changes. A missing or undecodable file
    // is tried once, and again once it changes.
    void filesAreDecodedOnceAndClipsKeepOneBuffer() {
        Rig rig;
        const QString path = rig.file(Clip::mDown1), missing = rig.file("gone.wav");
        rig.engine.clip(Clip::mDown1).setDMCtrlVolume(-1200);
        for (int k = 0; k < 3; ++k) rig.engine.play(Clip::mDown1);
        const QRegularExpression oneBuffer("^(load 1 |rewind 1$|volume 1 -1200$)");
        QCOMPARE(rig.audio.lines().filter(oneBuffer).size(), 7);
        writeBytes(path, "RIFX");  // the same size, an older time
        QFile f(path);
        QVERIFY(
            f.open(QIODevice::ReadWrite) &&
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFile::FileModificationTime));
        rig.engine.play(Clip::mDown1);
        writeBytes(path, "RIFF and more");
        rig.engine.play(Clip::mDown1);
        QVERIFY(rig.audio.loadCount(path) == 3 && rig.audio.liveBuffers() == 1);

        rig.engine.clip(Clip::mLeft1).setDMCtrlPath(missing);
        rig.audio.failPath(rig.file(Clip::mDrop1));
        rig.engine.clip(Clip::mDown1).setDMCtrlPath(QString());  // its old sound goes too
        rig.audio.clear();
        for (Clip c : {Clip::mLeft1, Clip::mLeft1, Clip::mDrop1, Clip::mDrop1, Clip::mDown1})
            rig.engine.play(c);
        writeBytes(missing, "RIFF");
        rig.engine.play(Clip::mLeft1);
        QVERIFY(rig.audio.loadCount(missing) == 2 &&
                rig.audio.loadCount(rig.file(Clip::mDrop1)) == 1);
        QCOMPARE(rig.audio.playedPaths(), QStringList{missing});
    }

    // Stop keeps the position, resume goes on from it; a new start replaces the buffer and
    // takes the queued pans still to come; music that cannot start leaves nothing loaded and
    // remembers only the volume.
    void musicFollowsTheGame() {
        Rig rig;
        rig.music.PlayBkgMusic(rig.file("a.wav"));
        rig.music.StopBkgMusic();
        const int pans[] = {100, 200, 300};
        rig.music.QueueBkgPans(pans, std::chrono::steady_clock::now() - std::chrono::minutes(30),
                               std::chrono::hours(1));
        rig.music.UnqueueBkgPans(1);
        rig.audio.clear();
        rig.music.ResumeBkgMusic();
        rig.music.SetBkgVolume(-700);
        QCOMPARE(rig.audio.lines(), (QStringList{"play 1 loop", "volume 1 -700"}));
        rig.music.PlayBkgMusic(rig.file("b.wav"));
        QVERIFY(rig.audio.pans() == std::vector<int>({200}) && rig.audio.liveBuffers() == 1);

        rig.music.PlayBkgMusic(rig.file("gone.wav"));
        rig.audio.clear();
        rig.music.SetBkgVolume(-2500);
        rig.music.SetBkgPan(3000);
        rig.music.ResumeBkgMusic();
        QVERIFY(!rig.music.blnBkgPlaying() && rig.audio.ops().empty());
        QCOMPARE(rig.music.intBkgVolume(), int16_t(-2500));
    }
};

QTEST_GUILESS_MAIN(TestSoundEngine)
#include "test_sound_engine.moc"
