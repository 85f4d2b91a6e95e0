// The sound settings window and the wav chooser as a player meets them: opened from "Set" while
// the game runs, files chosen through the chooser, choices kept across a restart.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QtTest>

#include "sound/recording_audio.h"
#include "ui/application.h"
#include "ui/frmopen.h"
#include "ui/frmsettings.h"
#include "ui/toolkit/process.h"

using namespace talomir;
using namespace talomir::ui;

namespace {

void pick(const QString& name) {
    QListWidget* files = FrmOpen::instance()->filOpen;
    const QRect at = files->visualItemRect(files->findItems(name, Qt::MatchExactly).value(0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at.center());
}

// Opens "Set" in a running game and runs `act` in the window once it is up; OK closes it.
void inSettings(Application& app, std::function<void(FrmSettings&)> act) {
    QTimer::singleShot(0, [&app, act] {
        auto* w = qobject_cast<FrmSettings*>(vb::Forms::find(QStringLiteral("frmSettings")));
        QVERIFY(w && w->isModal() && w->isVisible());
        act(*w);
        QTest::mouseClick(w->cmdOk, Qt::LeftButton);
    });
    auto* set = app.main().controls().check(Ctl::chkSet);
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(set->value(), 0);
    QTRY_COMPARE(QApplication::focusWidget(), app.main().controls().widget(Ctl::picTalomir));
}

}  // namespace

class TestFrmSettings : public QObject {
    Q_OBJECT

private slots:
    void choicesMadeInTheWindowSurviveARestart() {
        QTemporaryDir dir;
        const QDir sounds(dir.filePath(QStringLiteral("sound")));
        QVERIFY(sounds.mkpath(QStringLiteral(".")));
        for (const char* f : {"a.WAV", "b.wav", "c.txt"})
            QFile(sounds.filePath(f)).open(QIODevice::WriteOnly);
        RecordingAudio audio;
        {
            Application app(GameFolders::beside(dir.path()), &audio);
            app.start();
            inSettings(app, [&](FrmSettings& w) {
                const Integer ticks = app.main().game().tickCount();  // the game runs behind it
                QTRY_VERIFY(app.main().game().tickCount() != ticks);
                QCOMPARE(w.lblFirstVar->caption(), QStringLiteral("Empty"));
                w.cmbListEvents->setCurrentText(QStringLiteral("Бросить"));
                // A file without a folder: the chooser opens among the game's sounds.
                QTimer::singleShot(0, [&] {
                    QCOMPARE(FrmOpen::instance()->folder(), sounds.path());
                    QCOMPARE(FrmOpen::instance()->parentWidget(), &w);   // kept above its owner
                    QCOMPARE(FrmOpen::instance()->filOpen->count(), 2);  // a.WAV and b.wav
                    pick(QStringLiteral("b.wav"));
                });
                QTest::mouseClick(w.cmdOpenSecond, Qt::LeftButton);
                QCOMPARE(w.lblSecondVar->caption(), QStringLiteral("b.wav"));
                QTimer::singleShot(0, [] { pick(QStringLiteral("a.WAV")); });
                QTest::mouseClick(w.cmdOpen, Qt::LeftButton);  // the music's own file
                QCOMPARE(w.lblFile->caption(), QStringLiteral("a.WAV"));
                QTest::mouseClick(w.chkEnSecondVar, Qt::LeftButton);
                QTest::keyClicks(w.txtChange, QStringLiteral("1500"));
                QCOMPARE(w.txtChange->selectedText(), QStringLiteral("1000"));
                QVERIFY(w.sldChange->value() == 1000 && app.sound().sweepStep() == 1000);
            });
            // Values outside the sliders' ranges, as a hand-edited file may hold.
            app.sound().setMusicVolume(-5000);
            app.sound().setSweepStep(5000);
            app.sound().clip(Clip{SoundEvent::TalomirFigure}).setDMCtrlVolume(-5000);
            app.main().close();
        }
        Application app(GameFolders::beside(dir.path()), &audio);
        app.start();
        QTRY_COMPARE(app.sound().music().intBkgVolume(), -5000);  // set once the window is up
        inSettings(app, [&](FrmSettings& w) {
            // Shown at the slider's end, and stored as they are until a slider is moved.
            QVERIFY(w.sldVolBackgrnd->value() == -2500 && w.txtChange->text() == u"1000" &&
                    w.lblFile->caption() == u"a.WAV");
            for (QSlider* s : {w.sldVolBut1, w.sldVolBackgrnd}) {
                s->setFocus();
                QTest::keyClick(s, Qt::Key_PageUp);  // a large step
            }
            QVERIFY(app.sound().music().intBkgVolume() == -1500 && w.focusWidget() == w.cmdOk);
            QTest::mouseClick(w.chkEnable, Qt::LeftButton);  // the music (and its sweep) on
            QVERIFY(app.sound().EnableLoop());
            w.cmbListEvents->setCurrentText(QStringLiteral("Влево"));
            QVERIFY(w.fraSecondVar->isHidden());
            w.cmbListEvents->setCurrentText(QStringLiteral("Бросить"));
            QVERIFY(!w.fraSecondVar->isHidden() && w.lblSecondVar->caption() == u"b.wav" &&
                    !w.chkEnSecondVar->isChecked());  // switched on
        });
        QVERIFY(app.sound().clip(Clip{SoundEvent::TalomirFigure}).DMCtrlVolume() == -1500 &&
                app.sound().musicVolume() == -1500 && app.sound().sweepStep() == 5000);
        app.main().close();
    }

    // The chooser starts at SetPath's folder (the program's when that is no folder), opens where
    // the player last picked a file, and starts afresh once closed without a pick. The folder
    // list leads down into sub-folders; the keyboard picks as a click does; a volume that cannot
    // be read is refused with a notice, the volume list going back to the folder's.
    void chooserStartsWhereItShould() {
        QTemporaryDir dir;
        GameFolders::setCurrent(GameFolders::beside(dir.path()));
        const QString two = dir.filePath(QStringLiteral("one/two"));
        QVERIFY(QDir().mkpath(two) && QFile(two + QStringLiteral("/x.wav")).open(QFile::WriteOnly));
        FrmOpen* open = FrmOpen::instance();
        QString notice;
        const auto choose = [&](const QString& path, const QString& startsIn, int how) {
            open->SetPath(path);
            QTimer::singleShot(0, [&, startsIn, how] {
                QCOMPARE(open->folder(), startsIn);
                QCOMPARE(open->filOpen->count(), QDir(startsIn).entryList({"*.wav"}).size());
                QVERIFY(!open->dirOpen->visualItemRect(open->dirOpen->currentItem()).isEmpty());
                for (const char* sub : {"one", "two"}) {
                    const QTreeWidgetItem* at = open->dirOpen->currentItem();
                    for (int i = 0; i < at->childCount(); ++i)
                        if (at->child(i)->text(0) == sub) {
                            open->dirOpen->setCurrentItem(at->child(i));
                            QTest::keyClick(open->dirOpen, Qt::Key_Return);  // lists anew
                            break;
                        }
                }
                QCOMPARE(open->folder(), two);
                const int volume = open->drvOpen->currentIndex();
                QTimer::singleShot(0, [&] {
                    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    notice = box ? box->text() : "";
                    if (box) box->accept();
                });
                open->drvOpen->addItem(QStringLiteral("/gone"));  // unmounted since
                open->drvOpen->setCurrentIndex(volume + 1);
                emit open->drvOpen->activated(open->drvOpen->count() - 1);
                QCOMPARE(open->drvOpen->currentIndex(), volume);
                if (how == 1) pick(QStringLiteral("x.wav"));
                if (how == 2) {
                    open->filOpen->setFocus();
                    QTest::keyClick(open->filOpen, Qt::Key_Down);  // reaches the first file
                }
                if (open->isVisible()) QTest::keyClick(open, Qt::Key_Escape);
            });
            return open->choose(nullptr) && open->PathToFile == two + QStringLiteral("/x.wav");
        };
        QVERIFY(choose(dir.filePath("missing/"), dir.path(), 1));
        QCOMPARE(notice, QStringLiteral("Устройство не готово"));
        QVERIFY(QFile(two + QStringLiteral("/y.wav")).open(QFile::WriteOnly));  // read afresh
        QVERIFY(!choose(dir.path(), two, 0));
        // The volume list over the folder tree at one left edge and width; the files beside them.
        const QRect drv = open->drvOpen->geometry(), tree = open->dirOpen->geometry();
        QVERIFY(drv.left() == tree.left() && drv.width() == tree.width() &&
                drv.bottom() < tree.top());
        QVERIFY(open->filOpen->y() == drv.y() && open->filOpen->x() > tree.right() &&
                open->rect().contains(open->filOpen->geometry() | tree));
        QVERIFY(choose(dir.filePath("one"), dir.filePath("one"), 2));
        // The root and real disks are volumes, the system's memory and kernel mounts are not.
        QVERIFY(FrmOpen::isPlayerVolume("/", "tmpfs") && FrmOpen::isPlayerVolume("/mnt", "vfat") &&
                !FrmOpen::isPlayerVolume("/run", "tmpfs") &&
                !FrmOpen::isPlayerVolume("/sys/x", "ext4"));
        for (const FrmOpen::Volume& v : FrmOpen::volumes())
            QVERIFY(FrmOpen::isPlayerVolume(v.root, QStorageInfo(v.root).fileSystemType()));
    }
};

QTEST_MAIN(TestFrmSettings)
#include "test_frmsettings.moc"
