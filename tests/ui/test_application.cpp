// The program wired together: settings read at the first game and written at close, the
// model's sounds reaching the engine, windows kept within reach of the screens, a game end that
// could not be stored told to the player once, and where the game's files live.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "persistence/gamefolders.h"
#include "persistence/textfile.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "tests/support/files.h"
#include "tests/support/users.h"
#include "ui/application.h"

using namespace talomir;
using namespace talomir::ui;
using namespace talomir::testing;

namespace {

// The program over folder, its end-of-game dialogs answered: the name "Tester", and a new game
// as long as newGames lasts; its closing message kept in reports.
struct Run {
    Run(const QString& folder, const QString& journal)
        : app(GameFolders::beside(folder), &audio, journal) {
        app.report = [this](const QString& text) { reports << text; };
        app.main().hooks().askPlayerName = [](QString& name) {
            name = QStringLiteral("Tester");
            return true;
        };
        app.main().hooks().askNewGame = [this] { return newGames-- > 0; };
        app.start();
    }
    RecordingAudio audio;
    Application app;
    QStringList reports;
    int newGames = 0;
};

}  // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    // The settings are saved by a quit from outside, which the side windows' close guard does
    // not refuse; the next run opens the same side window again, each window where it was.
    void settingsLiveAcrossRuns() {
        QTemporaryDir dir;
        {
            Run run(dir.path(), {});
            run.app.main().click(Ctl::chkStat, 1);
            run.app.main().move(150, 120);
            run.app.main().sides().window(SideWindow::Statistic)->move(600, 90);
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(qApp, &quit);
            QVERIFY(!run.app.main().isVisible());
            const QStringList saved = textfile::readLines(run.app.settings().path()).lines;
            QVERIFY(saved.size() == 40 && saved[3] == QStringLiteral("True"));
        }
        Run next(dir.path(), {});
        QVERIFY(next.app.main().sides().window(SideWindow::Statistic)->isVisible());
        QCOMPARE(next.app.main().frameGeometry().topLeft(), QPoint(150, 120));
        QCOMPARE(next.app.main().sides().window(SideWindow::Statistic)->frameGeometry().topLeft(),
                 QPoint(600, 90));
        QCOMPARE(next.app.main().presenter().state()[Ctl::chkStat].Value, 1);
        next.app.main().sides().window(SideWindow::Statistic)->move(500, 80);  // moved since read
        QCOMPARE(next.app.places().sidePosition(SideWindow::Statistic).x(), 7500.0);  // twips
        // Where the window system places the windows itself (Wayland) what they report is not
        // their place: the layout read is written back, the sound choices as ever.
        const QStringList read = textfile::readLines(next.app.settings().path()).lines;
        next.app.places().placesKnown = false;
        next.app.main().move(0, 0);
        next.app.main().click(Ctl::chkAuto, 1);  // all three shown, docked
        next.app.sound().setEnableSoundControl(!next.app.sound().EnableSoundControl());
        next.app.main().close();
        const QStringList kept = textfile::readLines(next.app.settings().path()).lines;
        QCOMPARE(kept.size(), read.size());  // the docked windows hidden, as they were read
        QCOMPARE(kept.mid(0, 7), read.mid(0, 7));
        QVERIFY(kept[7] != read[7]);
    }

    void modelSoundsReachTheEngine() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("sound"));
        // The window 2^31 pixels right of and above every screen, at the edges of the int range:
        // it comes back within reach.
        QStringList ini{" 32212254720 ", "-32212254720 ",    "False", "False", "False",
                        "True",          "talomir-music...", "...",   "False", " 0 "};
        for (int i = 0; i < 9; ++i) ini += {"...", "True", " 0 "};
        ini << " 0 ";
        QVERIFY(textfile::writeLines(QDir(dir.path()).filePath("TaloVostrun.ini"), ini));
        Run run(dir.path(), {});
        run.audio.setAcceptAnyPath(true);
        run.audio.clear();
        run.app.main().game().Form_KeyDown(38);  // rotate: its clip always sounds
        run.app.main().game().Form_KeyUp(38);
        QCOMPARE(run.audio.playedPaths(), QStringList{dir.filePath("sound/rotate1.WAV")});
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry(),
                    frame = run.app.main().frameGeometry();
        QVERIFY(screen.intersects(frame) && frame.left() >= screen.left() &&
                frame.top() >= screen.top());
        run.app.main().close();
    }

    // A read-only data folder: the game runs and closes, and the player is told once, at the
    // end, which entries were not stored, where, and why.
    void readOnlyFolderReportsTheUnsavedEntriesOnce() {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        testing::AsUser player;
        if (!player.ok()) QSKIP("needs to play an unprivileged user");
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkdir(data) &&
                QFile::setPermissions(data, QFileDevice::Permissions(0x5555)));
        Run run(data, data);
        run.newGames = 1;
        run.app.main().game().Finish_Game(1234);
        run.app.main().game().Finish_Game(50);
        QVERIFY(!run.app.main().isVisible() && run.reports.isEmpty());
        run.app.finish();
        run.app.finish();
        QCOMPARE(run.reports.size(), 1);
        for (const QString& part :
             {QStringLiteral("«Tester» — 1234, «Tester» — 50"), data + "/TalomirFathers.txt",
              QStringLiteral("нет прав доступа"), data + "/TaloVostrun.ini"})
            QVERIFY2(run.reports[0].contains(part), qPrintable(run.reports[0]));
        QVERIFY(QDir(data).isEmpty());
    }

    // While the game end waits for another copy's lock, the window's events flow and its close
    // box ends the wait; the entry waits in the journal for the next run.
    void closingEndsTheWaitForTheLock() {
        QTemporaryDir dir;
        testing::writeBytes(dir.filePath("TalomirFathers.txt"), "A\r\n 100 \r\n");
        Run run(dir.path(), dir.filePath("data"));
        testing::writeBytes(dir.filePath("TalomirFathers.txt.lock"), "42\ntalomir\nelsewhere\n");
        run.newGames = 1;  // never asked: the window is closing
        QTimer::singleShot(300, &run.app.main(), [&run] { run.app.main().close(); });
        QElapsedTimer waited;
        waited.start();
        run.app.main().game().Finish_Game(500);
        QVERIFY2(waited.elapsed() < 3000, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(run.newGames, 1);
        run.app.finish();
        QCOMPARE(run.reports.size(), 1);
        QVERIFY2(run.reports[0].contains("TalomirFathers.journal"), qPrintable(run.reports[0]));
    }

    // Where the game's files live. What the program's folder ships ("ro": the player cannot write
    // there), the chosen folder; the folders chosen and the data folder's settings afterwards,
    // which the player can replace.
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
        QDir(root.path()).mkpath(QStringLiteral("sound"));
        writeBytes(root.filePath("sound/left1.WAV"), "RIFF");
        Run run(root.path(), {});  // the program's folders become the ones files are found in
        RecordingAudio audio;
        SoundEngine engine(audio);
        engine.setEnableSoundControl(true);
        const QString saved = QStringLiteral("/mnt/old/sound/left1.WAV");
        const Clip left{SoundEvent::Left};
        engine.clip(left).setDMCtrlEnabled(true);
        engine.clip(left).setDMCtrlPath(saved);
        engine.play(left);
        engine.music().PlayBkgMusic("D:\\Games\\Talomir\\Sound\\LEFT1.wav");
        QCOMPARE(audio.playedPaths(), QStringList(2, root.filePath("sound/left1.WAV")));
        QCOMPARE(engine.clip(left).DMCtrlPath(), saved);
        run.app.main().close();
    }
};

QTEST_MAIN(TestApplication)
#include "test_application.moc"
