// The settings file: its fixed line order, the readings of each line and the rewrites.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "scoring/textfile.h"
#include "sound/recording_audio.h"
#include "sound/settings.h"
#include "sound/sound_engine.h"

using namespace talomir;

namespace {

struct FakePlaces : WindowPlaces {
    QPointF main{1500, 1200};
    bool visible[3] = {false, false, false};
    QPointF side[3];
    QPointF mainPosition() const override { return main; }
    void setMainPosition(QPointF p) override { main = p; }
    bool sideVisible(SideWindow w) const override { return visible[int(w)]; }
    void setSideVisible(SideWindow w, bool v) override { visible[int(w)] = v; }
    QPointF sidePosition(SideWindow w) const override { return side[int(w)]; }
    void setSidePosition(SideWindow w, QPointF p) override { side[int(w)] = p; }
};

struct Rig {
    QTemporaryDir dir;
    RecordingAudio audio;
    SoundEngine engine{audio};
    FakePlaces places;
    bool enableLoop = false;
    Integer speedChange = 0;
    SettingsFile settings{dir.path(), places, engine, enableLoop, speedChange};

    void write(const QStringList& lines) {
        QFile f(settings.path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(textfile::encodeLines(lines));
    }
    QByteArray bytes() const {
        QFile f(settings.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList fileLines() const { return textfile::readLines(settings.path()).lines; }
};

// A complete file: the given side-window lines, then sound lines with the given music path.
QStringList fileWith(const QStringList& sides, const QString& clipPath = QStringLiteral("..."),
                     const QString& volume = QStringLiteral("-2500 "),
                     const QString& loop = QStringLiteral("True")) {
    QStringList l{" 3000 ", " 2000 "};
    l << sides << "True"
      << "anything at all"
      << "..." << loop << volume;
    for (int i = 0; i < 9; ++i) l << clipPath << "True" << QString(" %1 ").arg(-100 * i);
    l << " 250 ";
    return l;
}

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
        expected += " 0 \r\n";
        QCOMPARE(rig.bytes(), expected);
        QCOMPARE(rig.fileLines().size(), 38);
        QCOMPARE(rig.engine.EnableSoundControl(), false);
        QCOMPARE(rig.speedChange, Integer(0));
    }

    void placeholdersPointIntoTheOneSoundFolder() {
        Rig rig;
        rig.write(fileWith({"False", "False", "False"}));
        rig.settings.Load_Settings();
        const QString sound = QDir(rig.dir.path()).filePath("sound/");
        QCOMPARE(rig.settings.PathToBkgMusic, sound + "bkgmusic.WAV");
        QCOMPARE(rig.engine.clip(Clip::mLeft1).DMCtrlPath(), sound + "left1.WAV");
        QCOMPARE(rig.engine.clip(Clip::mTalomir1).DMCtrlPath(), sound + "talomir1.WAV");
        QCOMPARE(rig.engine.clip(Clip::mDown2).DMCtrlVolume(), Integer(-600));  // 7th record
        QCOMPARE(rig.engine.clip(Clip::mDown2).DMCtrlEnabled(), true);
        QCOMPARE(rig.settings.VolumeBkgMusic, Integer(-2500));
        QCOMPARE(rig.engine.music().intBkgVolume(), int16_t(-2500));
        QCOMPARE(rig.speedChange, Integer(250));
        QCOMPARE(rig.enableLoop, true);
        // The next save stores the full paths, never the placeholder.
        QVERIFY(rig.settings.Save_Settings());
        const QStringList saved = rig.fileLines();
        QCOMPARE(saved.size(), 38);
        QCOMPARE(saved[7], sound + "bkgmusic.WAV");
        QCOMPARE(saved[10], sound + "left1.WAV");
        QVERIFY(!saved.contains("..."));
    }

    void pathsOtherThanThePlaceholderAreLiteral() {
        for (const QString& path :
             {QString(), QString("...."), QString(" ..."), QString("/x/Ёж.wav")}) {
            Rig rig;
            rig.write(fileWith({"False", "False", "False"}, path));
            rig.settings.Load_Settings();
            QCOMPARE(rig.engine.clip(Clip::mRight1).DMCtrlPath(), path);
        }
    }

    void bracketedLinesFollowAShownWindow() {
        Rig rig;
        rig.write(fileWith({"False", "True", " 9090 ", " 900.5 ", "True", " 7000 ", " 100 "}));
        rig.settings.Load_Settings();
        QCOMPARE(rig.places.visible[int(SideWindow::Statistic)], true);
        QCOMPARE(rig.places.side[int(SideWindow::Statistic)], QPointF(9090, 900.5));
        QCOMPARE(rig.places.side[int(SideWindow::Future)], QPointF(7000, 100));
        QCOMPARE(rig.speedChange, Integer(250));  // every later line moved down by four
        QVERIFY(rig.settings.Save_Settings());
        const QStringList saved = rig.fileLines();
        QCOMPARE(saved.size(), 42);
        QCOMPARE(saved.mid(2, 7),
                 QStringList({"False", "True", " 9090 ", " 900.5 ", "True", " 7000 ", " 100 "}));
    }

    void lenientStrictBooleanAndIntegerReadings() {
        Rig rig;
        // "true" shows the hall of fame, which takes two lenient lines; "#FALSE#" and 0 are
        // False for the other two windows.
        QStringList lines = fileWith({"true", " 7 ", "letters", "#FALSE#", " 0 "}, "...", " 2.5 ");
        lines[0] = "12abc";    // lenient: the leading number
        lines[1] = "letters";  // lenient: no number reads as 0
        rig.write(lines);
        rig.settings.Load_Settings();
        QCOMPARE(rig.places.main, QPointF(12, 0));
        QCOMPARE(rig.places.visible[int(SideWindow::TalomirFathers)], true);
        QCOMPARE(rig.places.side[int(SideWindow::TalomirFathers)], QPointF(7, 0));
        QCOMPARE(rig.places.visible[int(SideWindow::Future)], false);
        QCOMPARE(rig.settings.VolumeBkgMusic, Integer(2));  // half way: the even neighbour
    }

    // An unreadable line rewrites the file from memory, with what was read so far, and the
    // reading ends there.
    void badLineRewritesAndEndsTheReading() {
        Rig rig;
        QStringList lines = fileWith({"False", "True", "12abc", " 5 ", "False"});
        rig.write(lines);
        rig.settings.Load_Settings();
        QCOMPARE(rig.places.main, QPointF(3000, 2000));
        QCOMPARE(rig.places.visible[int(SideWindow::Statistic)], true);
        QCOMPARE(rig.engine.EnableSoundControl(), false);  // never reached
        QVERIFY(rig.audio.ops().empty());                  // the music was not started
        const QStringList saved = rig.fileLines();
        QCOMPARE(saved.size(), 40);
        QCOMPARE(saved.mid(0, 5), QStringList({" 3000 ", " 2000 ", "False", "True", " 0 "}));

        Rig boolRig;
        boolRig.write(fileWith({"yes", "False", "False"}));
        boolRig.settings.Load_Settings();
        QCOMPARE(boolRig.fileLines().size(), 38);
        QCOMPARE(boolRig.fileLines()[0], QString(" 3000 "));

        Rig shortRig;
        shortRig.write(fileWith({"False", "False", "False"}).mid(0, 20));
        shortRig.settings.Load_Settings();
        QCOMPARE(shortRig.fileLines().size(), 38);  // a file that ends early is completed

        Rig bigRig;
        bigRig.write(fileWith({"False", "False", "False"}, "...", " 40000 "));
        bigRig.settings.Load_Settings();
        QCOMPARE(bigRig.settings.VolumeBkgMusic, Integer(0));  // out of 16 bits: unreadable
        QCOMPARE(bigRig.fileLines()[9], QString(" 0 "));
    }

    void musicOffIsStartedAndStoppedAtOnce() {
        Rig rig;
        rig.audio.setAcceptAnyPath(true);
        rig.write(fileWith({"False", "False", "False"}, "...", "-300 ", "False"));
        rig.settings.Load_Settings();
        QStringList kinds;
        for (const AudioOp& op : rig.audio.ops()) kinds << QString::number(int(op.kind));
        const auto k = [](AudioOp::Kind kind) { return QString::number(int(kind)); };
        QVERIFY(kinds.contains(k(AudioOp::Kind::Play)));
        QCOMPARE(kinds.indexOf(k(AudioOp::Kind::Stop), kinds.indexOf(k(AudioOp::Kind::Play))) >
                     kinds.indexOf(k(AudioOp::Kind::Play)),
                 true);
        QCOMPARE(rig.enableLoop, false);
        QCOMPARE(rig.engine.music().intBkgVolume(), int16_t(-300));
    }

    void anUnwritableFolderFailsCleanly() {
        RecordingAudio audio;
        SoundEngine engine(audio);
        FakePlaces places;
        bool loop = false;
        Integer speed = 0;
        QTemporaryDir dir;
        SettingsFile settings(dir.filePath("missing/folder"), places, engine, loop, speed);
        settings.Load_Settings();  // cannot create the file: memory values stand
        QVERIFY(!settings.Save_Settings());
        QVERIFY(!settings.lastError().isEmpty());
        QCOMPARE(places.main, QPointF(1500, 1200));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
