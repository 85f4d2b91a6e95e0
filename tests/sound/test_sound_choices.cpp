// The sound settings window's rules without a window, against the recording back end.

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
    void speedPathsAndMusic() {
        // Typed, taken, shown instead: beyond the slider's range, the text shows what was taken.
        const char* rows[][3] = {
            {"250", "250", ""}, {"1500", "1000", "1000"},        {"1000.6", "1000", "1000"},
            {"-5", "0", "0"},   {"99999999999", "1000", "1000"}, {"abc", "0", ""}};
        Rig r;
        for (const auto& row : rows) {
            const SpeedText t = r.choices.typeSpeed(QString::fromUtf8(row[0]));
            QCOMPARE(QString::number(t.value), row[1]);
            QCOMPARE(t.shown, row[2]);
            QCOMPARE(r.speed, t.value);
        }

        // A settings file from another system.
        const QString path = QStringLiteral("C:\\Games\\sound\\a.wav");
        QCOMPARE(fileCaption(path), QStringLiteral("a.wav"));
        QCOMPARE(r.choices.chooserFolder(path), QStringLiteral("C:\\Games\\sound\\"));

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
        QVERIFY(!r.loop && !r.engine.EnableLoop() && r.music == u"/m/b.wav");
        QVERIFY(r.choices.Form_Load().musicOff);  // the next opening silences it again
        QCOMPARE(r.ops(), QStringList({"stop 2"}));
        // A file that does not play leaves the music silent and is kept as the choice.
        r.audio.failPath(QStringLiteral("/m/bad.wav"));
        r.choices.chooseMusic(QStringLiteral("/m/bad.wav"));
        QVERIFY(!r.engine.music().blnBkgPlaying() && r.music == u"/m/bad.wav");
    }
};

QTEST_GUILESS_MAIN(TestSoundChoices)
#include "test_sound_choices.moc"
