// The program wired together: settings read at the first game and written at close, the
// model's sounds reaching the engine, windows kept within reach of the screens.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "scoring/textfile.h"
#include "sound/recording_audio.h"
#include "ui/application.h"

using namespace talomir;
using namespace talomir::ui;

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void firstStartWritesSettingsAndCloseSavesThem() {
        QTemporaryDir dir;
        RecordingAudio audio;
        {
            Application app(GameFolders::beside(dir.path()), &audio);
            app.start();
            const QStringList first = textfile::readLines(app.settings().path()).lines;
            QCOMPARE(first.size(), 38);
            // A side window opened during play is remembered at close, with its place.
            app.main().game().setCheckValue(Ctl::chkStat, 1);
            QVERIFY(app.main().frmStatistic()->isVisible());
            app.main().close();
            const QStringList saved = textfile::readLines(app.settings().path()).lines;
            QCOMPARE(saved.size(), 40);
            QCOMPARE(saved[3], QStringLiteral("True"));
        }
        // The next run reads it back: the statistics window opens again.
        {
            Application app(GameFolders::beside(dir.path()), &audio);
            app.start();
            QVERIFY(app.main().frmStatistic()->isVisible());
            QCOMPARE(app.main().game().display[Ctl::chkStat].Value, 1);
            app.main().close();
        }
    }

    // A quit from outside (the session ends) saves the settings first and is not refused by
    // the side windows' close guard.
    void quitSavesAndIsNotRefused() {
        QTemporaryDir dir;
        RecordingAudio audio;
        Application app(GameFolders::beside(dir.path()), &audio);
        app.start();
        app.main().game().setCheckValue(Ctl::chkStat, 1);
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
        QVERIFY(!app.main().isVisible());
        const QStringList saved = textfile::readLines(app.settings().path()).lines;
        QCOMPARE(saved.size(), 40);
        QCOMPARE(saved[3], QStringLiteral("True"));
    }

    void modelSoundsReachTheEngine() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("sound"));
        QStringList ini{" 0 ", " 0 ",   "False", "False", "False", "True", "talomir-music...",
                        "...", "False", " 0 "};
        for (int i = 0; i < 9; ++i)
            ini << "..."
                << "True"
                << " 0 ";
        ini << " 0 ";
        QVERIFY(textfile::writeLines(QDir(dir.path()).filePath("TaloVostrun.ini"), ini));
        RecordingAudio audio;
        audio.setAcceptAnyPath(true);
        Application app(GameFolders::beside(dir.path()), &audio);
        app.start();
        audio.clear();
        app.main().game().Form_KeyDown(38);  // rotate: its clip always sounds
        app.main().game().Form_KeyUp(38);
        QCOMPARE(audio.playedPaths(),
                 QStringList{QDir(dir.path()).filePath(QStringLiteral("sound/rotate1.WAV"))});
        app.main().close();
    }

    void positionsOffEveryScreenComeBack() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect area = screen->availableGeometry();
        const QSize frame(400, 560);
        const QPoint inside = area.topLeft() + QPoint(10, 10);
        QCOMPARE(MainWindowPlaces::reachable(inside, frame), inside);
        const QPoint far(area.right() + 5000, area.bottom() + 5000);
        const QPoint back = MainWindowPlaces::reachable(far, frame);
        QVERIFY(area.contains(back));
        const QPoint negative = MainWindowPlaces::reachable(QPoint(-9000, -9000), frame);
        QVERIFY(area.contains(negative));
    }
};

QTEST_MAIN(TestApplication)
#include "test_application.moc"
