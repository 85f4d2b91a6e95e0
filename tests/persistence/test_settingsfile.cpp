// The settings file: its fixed line order, the readings of each line, the rewrites, and the
// files the saver must leave alone; the sound settings window's rules without a window.
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "persistence/gamefolders.h"
#include "persistence/settingsfile.h"
#include "persistence/textfile.h"
#include "sound/recording_audio.h"
#include "sound/sound_choices.h"
#include "sound/sound_engine.h"
#include "sound/sound_settings.h"
#include "tests/support/fake_places.h"
#include "tests/support/files.h"

using namespace talomir;

namespace {

struct Rig {
    QTemporaryDir dir;
    RecordingAudio audio;
    SoundEngine engine{audio};
    testing::FakePlaces places;
    EngineSettings sound{engine, QDir(dir.path()).filePath("sound")};
    SettingsFile settings{dir.path(), places, sound};

    QStringList load(const QStringList& lines) {
        testing::writeBytes(settings.path(), textfile::encodeLines(lines));
        settings.Load_Settings();
        return textfile::readLines(settings.path()).lines;
    }
};

// A complete file: the given side-window lines, then the sound lines, every clip path clipPath.
QStringList fileWith(const QStringList& sides, const QString& clipPath = "...",
                     const QString& volume = "-2500 ", const QString& loop = "True") {
    QStringList l = QStringList{" 3000 ", " 2000 "} + sides;
    l += {"True", "anything at all", "...", loop, volume};
    for (int i = 0; i < 9; ++i) l += {clipPath, "True", QString(" %1 ").arg(-100 * i)};
    return l << " 250 ";
}

const QStringList kNoSides{"False", "False", "False"};

// The music a.wav playing looping as buffer 1 at -700, switched on.
struct ChoicesRig {
    RecordingAudio audio;
    SoundEngine engine{audio};
    SoundChoices choices{engine, QStringLiteral("/game/sound")};

    ChoicesRig() {
        audio.setAcceptAnyPath(true);
        engine.setEnableLoop(true);
        engine.setSweepStep(77);
        engine.setMusicVolume(-700);
        engine.setMusicPath("/m/a.wav");
        engine.music().PlayBkgMusic(engine.musicPath());
        engine.music().SetBkgVolume(engine.musicVolume());
        audio.clear();
    }
    QStringList ops() {
        const QStringList l = audio.lines();
        return audio.clear(), l;
    }
};

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void firstStartWritesThe38LinesOfMemory() {
        Rig rig;
        rig.settings.Load_Settings();
        QByteArray expected =
            " 1500 \r\n 1200 \r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n"
            "talomir-music...\r\n\r\nFalse\r\n 0 \r\n";
        for (int i = 0; i < 9; ++i) expected += "\r\nFalse\r\n 0 \r\n";
        QCOMPARE(testing::readBytes(rig.settings.path()), expected + " 0 \r\n");
    }

    // "..." is the shipped sound of its place, saved as a full path; "true" shows the hall of
    // fame, whose two lines read leniently, the statistics window's strictly (each placed before
    // it is shown); "#FALSE#" is False; a volume half way rounds to the even neighbour.
    void linesAreReadInTheirWays() {
        Rig rig;
        QStringList lines = fileWith(
            {"true", " 7 ", "letters", "True", " 9090 ", " 900.5 ", "#FALSE#"}, "...", " 2.5 ");
        lines[0] = "12abc";
        rig.load(lines);
        QCOMPARE(rig.places.main, QPointF(12, 2000));
        QCOMPARE(rig.places.shownAt[int(SideWindow::TalomirFathers)], QPointF(7, 0));
        QCOMPARE(rig.places.shownAt[int(SideWindow::Statistic)], QPointF(9090, 900.5));
        QCOMPARE(rig.places.visible[int(SideWindow::Future)], false);
        QCOMPARE(rig.engine.musicVolume(), Integer(2));
        const QString sound = QDir(rig.dir.path()).filePath("sound/");
        QCOMPARE(rig.engine.musicPath(), sound + "bkgmusic.WAV");
        QCOMPARE(rig.engine.clip(Clip{SoundEvent::TalomirFigure}).DMCtrlPath(),
                 sound + "talomir1.WAV");
        QCOMPARE(rig.engine.clip(Clip{SoundEvent::Landing, 1}).DMCtrlVolume(),
                 Integer(-600));  // 7th record
        QVERIFY(rig.engine.sweepStep() == Integer(250) && rig.settings.Save_Settings());
        const QStringList saved = textfile::readLines(rig.settings.path()).lines;
        QCOMPARE(saved.mid(2, 7),
                 QStringList({"True", " 7 ", " 0 ", "True", " 9090 ", " 900.5 ", "False"}));
        QVERIFY(saved[11] == sound + "bkgmusic.WAV" && !saved.contains("..."));
        Rig other;  // other paths are literal
        other.load(fileWith(kNoSides, "...."));
        QCOMPARE(other.engine.clip(Clip{SoundEvent::Right}).DMCtrlPath(), QStringLiteral("...."));
    }

    // An unreadable line rewrites the file from memory, with what was read so far, and the
    // reading ends there.
    void badLineRewritesAndEndsTheReading_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("savedLines");
        QTest::newRow("strict position")
            << fileWith({"False", "True", "12abc", " 5 ", "False"}) << 40;
        QTest::newRow("Boolean") << fileWith({"False", "yes", "False"}) << 38;
        QTest::newRow("ends early") << fileWith(kNoSides).mid(0, 8) << 38;
        QTest::newRow("beyond 16 bits") << fileWith(kNoSides, "...", " 40000 ") << 38;
    }
    void badLineRewritesAndEndsTheReading() {
        QFETCH(QStringList, lines);
        QFETCH(int, savedLines);
        Rig rig;
        const QStringList saved = rig.load(lines);
        QCOMPARE(saved.size(), savedLines);
        QCOMPARE(saved[0], QString(" 3000 "));
        QCOMPARE(saved[9 + savedLines - 38], QString(" 0 "));  // the music volume, never read
    }

    void musicOffIsStartedAndStoppedAtOnce() {
        Rig rig;
        rig.audio.setAcceptAnyPath(true);
        rig.load(fileWith(kNoSides, "...", "-300 ", "False"));
        QCOMPARE(rig.audio.lines().filter(QRegularExpression("^(play|stop)")),
                 QStringList({"play 1 loop", "stop 1"}));
        QCOMPARE(std::pair(rig.engine.music().intBkgVolume(), rig.engine.EnableLoop()),
                 std::pair(int16_t(-300), false));
    }

    // The saver replaces nothing but a settings file: not a file of the player's that the
    // settings path links to, not junk, nothing too large to be one, no FIFO, nothing without
    // the code page. A link to a settings file is written through, and the link stays.
    void onlyASettingsFileIsReplaced_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("saved");
        QTest::newRow("link to a settings file") << "settings" << true;
        QTest::newRow("hand-made without the marker") << "handmade" << true;
        QTest::newRow("hand-made, a bad line") << "handmade bad" << true;
        QTest::newRow("link to a player's file") << "player" << false;
        QTest::newRow("junk") << "junk" << false;
        QTest::newRow("two numbers, then no Boolean") << "numbers" << false;
        QTest::newRow("too large") << "large" << false;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("no codec") << "codec" << false;
        QTest::newRow("missing folder") << "gone" << false;
    }
    void onlyASettingsFileIsReplaced() {
        QFETCH(QString, kind);
        QFETCH(bool, saved);
        Rig rig;
        const QString path = rig.settings.path(), other = rig.dir.filePath("elsewhere");
        QStringList lines = fileWith(kNoSides);
        if (kind.startsWith("handmade")) lines[6] = "notes";
        if (kind == "handmade bad") lines[9] = "loud";
        if (kind == "numbers") lines[2] = "notes";
        const QByteArray before = kind == "large" ? QByteArray(2 << 20, ' ')
                                  : kind == "player" || kind == "junk"
                                      ? QByteArray("[General]\r\nkey=value\r\nsize=3\r\n")
                                      : textfile::encodeLines(lines);
        const bool linked = kind == "settings" || kind == "player";
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "gone")
            QVERIFY(rig.dir.remove());
        else
            testing::writeBytes(linked ? other : path, before);
        if (linked) QVERIFY(QFile::link(other, path));
        textfile::simulateMissingCodec(kind == "codec");
        rig.settings.Load_Settings();
        QCOMPARE(rig.settings.Save_Settings(), saved);
        textfile::simulateMissingCodec(false);
        QCOMPARE(rig.settings.lastError().isEmpty(), saved);
        if (kind == "gone") {  // memory stands; a folder back in place takes the next save
            QCOMPARE(rig.places.main, QPointF(1500, 1200));
            QVERIFY(QDir().mkpath(rig.dir.path()) && rig.settings.Save_Settings());
            QCOMPARE(rig.settings.lastError(), QString());
        }
        if (kind == "fifo" || kind == "gone") return;
        const QByteArray after = testing::readBytes(linked ? other : path);
        QCOMPARE(after == before, !saved);
        if (saved) QCOMPARE(after, textfile::encodeLines(rig.settings.lines()));
        QCOMPARE(QFileInfo(path).isSymLink(), linked);
    }

    // The sound settings window's rules without a window.
    void speedPathsAndMusic() {
        // Typed, taken, shown instead: beyond the slider's range, the text shows what was taken.
        const char* rows[][3] = {
            {"250", "250", ""}, {"1500", "1000", "1000"},        {"1000.6", "1000", "1000"},
            {"-5", "0", "0"},   {"99999999999", "1000", "1000"}, {"abc", "0", ""}};
        ChoicesRig r;
        for (const auto& row : rows) {
            const SpeedText t = r.choices.typeSpeed(QString::fromUtf8(row[0]));
            QVERIFY2(QString::number(t.value) == row[1] && t.shown == row[2] &&
                         r.engine.sweepStep() == t.value,
                     row[0]);
        }

        // A settings file from another system.
        const QString path = QStringLiteral("C:\\Games\\sound\\a.wav");
        QCOMPARE(fileCaption(path), QStringLiteral("a.wav"));
        QCOMPARE(r.choices.chooserFolder(path), QStringLiteral("C:\\Games\\sound\\"));

        r.choices.setMusicOff(true);
        r.choices.setMusicOff(false);      // goes on where it stopped
        r.choices.chooseMusic(QString());  // no choice: only the volume in effect, again
        QCOMPARE(r.ops(), QStringList({"stop 1", "play 1 loop", "volume 1 -700"}));
        QVERIFY(r.engine.EnableLoop());
        // Chosen while switched off, a new file sounds from its start; the sweep stays off.
        r.choices.setMusicOff(true);
        r.choices.chooseMusic(QStringLiteral("/m/b.wav"));
        QCOMPARE(r.ops(), QStringList({"stop 1", "stop 1", "release 1", "load 2 /m/b.wav",
                                       "play 2 loop", "rewind 2", "volume 2 -700"}));
        QVERIFY(!r.engine.EnableLoop() && r.engine.musicPath() == u"/m/b.wav");
        QVERIFY(r.choices.Form_Load().musicOff);  // the next opening silences it again
        QCOMPARE(r.ops(), QStringList({"stop 2"}));
        // A file that does not play leaves the music silent and is kept as the choice.
        r.audio.failPath(QStringLiteral("/m/bad.wav"));
        r.choices.chooseMusic(QStringLiteral("/m/bad.wav"));
        QVERIFY(!r.engine.music().blnBkgPlaying() && r.engine.musicPath() == u"/m/bad.wav");

        // The drop has two clips, each set on its own; a text that names no event has none.
        r.choices.selectEvent(QStringLiteral("Бросить"));
        r.choices.Set_Clip_Property(QStringLiteral("/s/d2.wav"), ClipProperty::Path, 1);
        r.choices.Set_Clip_Property(true, ClipProperty::Enabled, 1);
        r.choices.Set_Clip_Property(-1234.5, ClipProperty::Volume, 1);
        const SoundChoices::EventShown shown = r.choices.shown();
        QVERIFY(shown.twoClips && shown.first.off && !shown.second.off);
        QCOMPARE(std::pair(shown.second.caption, shown.second.volume),
                 std::pair(QStringLiteral("d2.wav"), -1234));
        QCOMPARE(r.engine.clip(Clip{SoundEvent::Drop, 1}).DMCtrlPath(), "/s/d2.wav");
        r.choices.selectEvent(QStringLiteral("nothing"));
        QVERIFY(!r.choices.shown().twoClips && r.choices.Get_Clip_Path(0).isEmpty());
        r.choices.setMusicVolume(-1200);
        r.choices.setSpeed(300);
        r.choices.setSoundOff(true);
        QVERIFY(r.engine.musicVolume() == -1200 && r.engine.music().intBkgVolume() == -1200 &&
                r.engine.sweepStep() == 300 && !r.engine.EnableSoundControl());
    }

    // A sound file named by a path that is not there (another computer's, another system's) is
    // looked for by name in the game's sound folder, in any letter case; one that is there stays.
    void soundPathsFromElsewhereFindTheGamesFiles() {
        QTemporaryDir dir;
        const QString sound = dir.filePath("sound"), own = dir.filePath("A.wav");
        QVERIFY(QDir().mkpath(sound));
        testing::writeBytes(sound + "/a.wav", "x");
        testing::writeBytes(own, "x");
        const GameFolders folders = GameFolders::beside(dir.path());
        const QString rows[][2] = {{"C:\\Games\\sound\\A.WAV", sound + "/a.wav"},
                                   {"/gone/a.wav", sound + "/a.wav"},
                                   {own, own},
                                   {"/gone/b.wav", "/gone/b.wav"},
                                   {"", ""}};
        for (const auto& [path, found] : rows) QCOMPARE(folders.playable(path), found);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settingsfile.moc"
