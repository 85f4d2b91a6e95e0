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
            writeBytes(file(clipAt(i)), "RIFF");
            engine.clip(clipAt(i)).setDMCtrlPath(file(clipAt(i)));
            engine.clip(clipAt(i)).setDMCtrlEnabled(true);
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
    // Every clip plays its own file, and the settings file keeps them in its fixed order; the
    // event switch silences clips, not the music; a clip's own switch silences that clip, without
    // falling back on the event's other clip.
    void clipsPlayTheirFilesAndSwitchesSilenceThem() {
        Rig rig;
        QStringList names;
        for (int i = 0; i < kClipCount; ++i) names << clipName(clipAt(i));
        QCOMPARE(names.join(u' '),
                 "mLeft1 mRight1 mRotate1 mDrop1 mDrop2 mDown1 mDown2 mDelLin1 "
                 "mTalomir1");
        for (Clip c : {Clip{SoundEvent::Landing, 1}, Clip{SoundEvent::TalomirFigure}})
            rig.engine.play(c);
        QCOMPARE(rig.audio.playedPaths(),
                 (QStringList{rig.file("down2.WAV"), rig.file("talomir1.WAV")}));

        rig.audio.clear();
        rig.engine.clip({SoundEvent::Drop, 0}).setDMCtrlEnabled(false);
        rig.engine.play({SoundEvent::Drop, 0});
        rig.engine.play({SoundEvent::Drop, 1});
        rig.engine.setEnableSoundControl(false);
        for (int i = 0; i < kClipCount; ++i) rig.engine.play(clipAt(i));
        rig.music.PlayBkgMusic(rig.file("a.wav"));
        QCOMPARE(rig.audio.playedPaths(), (QStringList{rig.file("drop2.WAV"), rig.file("a.wav")}));
    }

    // A clip keeps one buffer, replayed from its start at the clip's volume; its file is
    // decoded again only when its size, time or path changes. A missing or undecodable file
    // is tried once, and again once it changes.
    void filesAreDecodedOnceAndClipsKeepOneBuffer() {
        Rig rig;
        const QString path = rig.file(Clip{SoundEvent::Landing, 0}), missing = rig.file("gone.wav");
        rig.engine.clip(Clip{SoundEvent::Landing, 0}).setDMCtrlVolume(-1200);
        for (int k = 0; k < 3; ++k) rig.engine.play(Clip{SoundEvent::Landing, 0});
        const QRegularExpression oneBuffer("^(load 1 |rewind 1$|volume 1 -1200$)");
        QCOMPARE(rig.audio.lines().filter(oneBuffer).size(), 7);
        writeBytes(path, "RIFX");  // the same size, an older time
        QFile f(path);
        QVERIFY(
            f.open(QIODevice::ReadWrite) &&
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFile::FileModificationTime));
        rig.engine.play(Clip{SoundEvent::Landing, 0});
        writeBytes(path, "RIFF and more");
        rig.engine.play(Clip{SoundEvent::Landing, 0});
        QVERIFY(rig.audio.loadCount(path) == 3 && rig.audio.liveBuffers() == 1);

        rig.engine.clip(Clip{SoundEvent::Left}).setDMCtrlPath(missing);
        rig.audio.failPath(rig.file(Clip{SoundEvent::Drop, 0}));
        rig.engine.clip(Clip{SoundEvent::Landing, 0})
            .setDMCtrlPath(QString());  // its old sound goes too
        rig.audio.clear();
        for (Clip c : {Clip{SoundEvent::Left}, Clip{SoundEvent::Left}, Clip{SoundEvent::Drop, 0},
                       Clip{SoundEvent::Drop, 0}, Clip{SoundEvent::Landing, 0}})
            rig.engine.play(c);
        writeBytes(missing, "RIFF");
        rig.engine.play(Clip{SoundEvent::Left});
        QVERIFY(rig.audio.loadCount(missing) == 2 &&
                rig.audio.loadCount(rig.file(Clip{SoundEvent::Drop, 0})) == 1);
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
