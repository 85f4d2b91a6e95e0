// The sound settings window's rules without a window: paths from either system, the typed sweep
// speed, the clips behind an event name and the music switch, against the recording back end.

#include <QtTest>

#include "sound/recording_audio.h"
#include "sound/sound_choices.h"

using namespace talomir;

namespace {

// The music a.wav playing looping as buffer 1 at -700, switched on.
struct Rig {
    RecordingAudio audio;
    SoundEngine engine{audio};
    bool loop = true;
    Integer speed = 77, volume = -700;
    QString music = QStringLiteral("/m/a.wav");
    SoundChoices choices{{engine, loop, speed, music, volume}, QStringLiteral("/game/sound")};

    Rig() {
        audio.setAcceptAnyPath(true);
        engine.music().PlayBkgMusic(music);
        engine.music().SetBkgVolume(volume);
        audio.clear();
    }
    QStringList ops() {
        const QStringList l = audio.lines();
        return audio.clear(), l;
    }
};

}  // namespace

class TestSoundChoices : public QObject {
    Q_OBJECT

private slots:
    void pathsSplitAtEitherSeparator() {
        const struct {
            const char *path, *caption, *chooserFolder;
        } rows[] = {
            {"/home/p/sound/drop1.WAV", "drop1.WAV", "/home/p/sound/"},
            {"C:\\Games\\sound\\a.wav", "a.wav", "C:\\Games\\sound\\"},
            {"c.wav", "c.wav", "/game/sound"},  // no folder: the chooser opens among the sounds
            {"", "Empty", "/game/sound"},
        };
        Rig r;
        for (const auto& row : rows) {
            const QString path = QString::fromUtf8(row.path);
            QCOMPARE(fileCaption(path), row.caption);
            QCOMPARE(Get_Dir_Name(path) + Get_File_Name(path), path);
            QCOMPARE(r.choices.chooserFolder(path), row.chooserFolder);
        }
    }

    // Out of the slider's range, the text shows what was taken.
    void typedSpeedIsHeldToTheSlider() {
        const struct {
            const char* text;
            int value;
            const char* shown;
        } rows[] = {{"250", 250, ""}, {"1500", 1000, "1000"},        {"1000.6", 1000, "1000"},
                    {"-5", 0, "0"},   {"99999999999", 1000, "1000"}, {"abc", 0, ""}};
        Rig r;
        for (const auto& row : rows) {
            const SpeedText t = r.choices.typeSpeed(QString::fromUtf8(row.text));
            QCOMPARE(t.value, row.value);
            QCOMPARE(t.shown, row.shown);
            QCOMPARE(r.speed, row.value);
        }
    }

    void eventNamesReachTheirClips() {
        Rig r;
        r.engine.clip(Clip::mDrop2).setDMCtrlVolume(-300);
        r.choices.selectEvent(QStringLiteral("Влево"));
        r.choices.Set_Clip_Property(QStringLiteral("/x/l.wav"), ClipProperty::Path, 1);
        QVERIFY(!r.choices.shown().twoClips);
        QCOMPARE(r.engine.clip(Clip::mLeft1).DMCtrlPath(), QStringLiteral("/x/l.wav"));
        r.choices.selectEvent(QStringLiteral("Бросить"));
        r.choices.Set_Clip_Property(true, ClipProperty::Enabled, 0);
        const SoundChoices::EventShown s = r.choices.shown();
        QVERIFY(s.twoClips && !s.first.off && s.second.off);
        QCOMPARE(s.second.volume, -300);
        r.choices.selectEvent(QStringLiteral("Бросить "));  // names no event, reaches no clip
        r.choices.Set_Clip_Property(-5, ClipProperty::Volume, 0);
        for (int c = 0; c < kClipCount; ++c) QVERIFY(r.engine.clip(Clip(c)).DMCtrlVolume() != -5);
    }

    void musicSwitchAndFile() {
        Rig r;
        r.choices.setMusicOff(true);
        r.choices.setMusicOff(false);      // goes on where it stopped
        r.choices.chooseMusic(QString());  // no choice: only the volume in effect, again
        QCOMPARE(r.ops(), QStringList({"stop 1", "play 1 loop", "volume 1 -700"}));
        QVERIFY(r.loop && r.engine.EnableLoop());
        // Chosen while switched off, a new file sounds from its start; the sweep stays off.
        r.choices.setMusicOff(true);
        r.choices.chooseMusic(QStringLiteral("/m/b.wav"));
        QCOMPARE(r.ops(), QStringList({"stop 1", "stop 1", "release 1", "load 2 /m/b.wav",
                                       "play 2 loop", "rewind 2", "volume 2 -700"}));
        QVERIFY(!r.loop && !r.engine.EnableLoop());
        QCOMPARE(r.music, QStringLiteral("/m/b.wav"));
        // The next opening silences it again.
        QVERIFY(r.choices.Form_Load().musicOff);
        QCOMPARE(r.ops(), QStringList({"stop 2"}));
        // A file that does not play leaves the music silent and is kept as the choice.
        r.audio.failPath(QStringLiteral("/m/bad.wav"));
        r.choices.chooseMusic(QStringLiteral("/m/bad.wav"));
        QVERIFY(!r.engine.music().blnBkgPlaying());
        QCOMPARE(r.music, QStringLiteral("/m/bad.wav"));
    }
};

QTEST_GUILESS_MAIN(TestSoundChoices)
#include "test_sound_choices.moc"
