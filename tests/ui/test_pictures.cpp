// The windows compared pixel for pixel with tests/ui/pictures, each looked at against the design
// before it was taken: settled cells filled yellow, the falling figure outlined cyan on all four
// edges, the grid darker while another leads and lighter at first place, the next figure centred
// in the circle (red for a bonus figure), every control's place, caption, colours and font, the
// preview's grids, the dialogs and the icon. TALOMIR_BLESS=1 rewrites them; look at them then.
#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QtTest>

#include "sound/recording_audio.h"
#include "sound/sound_choices.h"
#include "tests/support/main_window_rig.h"
#include "ui/dialogs.h"
#include "ui/frmhelp.h"
#include "ui/frmopen.h"
#include "ui/frmsettings.h"
#include "ui/icon.h"
#include "ui/sidewindows.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// Empty when the picture is its reference; otherwise where its copy and a map of the differing
// pixels (red) went.
QString mismatch(const QString& name, const QImage& picture) {
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    const QString path = QStringLiteral(TALOMIR_SOURCE_DIR "/tests/ui/pictures/") + name + ".png";
    if (qEnvironmentVariableIsSet("TALOMIR_BLESS"))
        return actual.save(path) ? QString() : "cannot write " + path;
    const QImage want = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (want == actual) return {};
    const QDir out(QDir::temp().filePath("talomir-pictures"));
    out.mkpath(".");
    QImage diff =
        actual.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < diff.height(); ++y)
        for (int x = 0; x < diff.width(); ++x)
            if (!want.valid(x, y) || want.pixel(x, y) != actual.pixel(x, y))
                diff.setPixel(x, y, qRgb(255, 0, 0));
    actual.save(out.filePath(name + "-actual.png"));
    diff.save(out.filePath(name + "-diff.png"));
    return name + " differs; see " + out.filePath(name) + "-actual.png and -diff.png";
}

#define COMPARE_PICTURE(name, picture)               \
    do {                                             \
        const QString bad = mismatch(name, picture); \
        QVERIFY2(bad.isEmpty(), qPrintable(bad));    \
    } while (false)

// What the screen shows of a window once its repaints are done; nothing is drawn afresh for it.
QImage onScreen(QWidget* w) {
    QCoreApplication::processEvents();
    return w->screen()->grabWindow(w->winId()).toImage();
}

QImage grabShown(QWidget* w) {
    w->show();
    w->activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(w)); }();
    return onScreen(w);
}

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setStyle("Fusion");
        QApplication::setPalette(QApplication::style()->standardPalette());
        QApplication::setCursorFlashTime(0);  // the text cursor does not blink
    }

    // From the start to a two-row clear at first place, with the next figure a bonus figure,
    // paused: the main window, its side windows and the help page over it.
    void mainWindowThroughAGame() {
        Window w(true, {"Ann", " 3 "});
        w.rng.setFiller(0.6f);  // light blue circle, light green buttons
        for (const char* m : {masks::kBar, masks::kEll}) w.dealer.figures.push_back(classic(m));
        w.dealer.figures.push_back(bonusFigure("0000011001100000", 40000));
        w.dealer.figures.push_back(classic("1001000000001001"));
        w.dealer.figures.push_back(classic(masks::kDot));
        w.dealer.repeat = classic(masks::kEll);
        QVERIFY(w.start());
        QTest::keyClick(w.frm.get(), Qt::Key_Down);  // dropping: the drop button is off
        COMPARE_PICTURE("main-start", onScreen(w.frm.get()));
        w.frm->resize(w.frm->size() + QSize(80, -120));  // a drag of the border is undone
        QCoreApplication::processEvents();
        QCOMPARE(w.frm->size(), QSize(402, 544));  // 6030 x 8160 twips

        // Two rows full but for the column the bar drops into; the lower one is cleared.
        w.game().setUpWell([](Playfield& f) {
            for (int r : {29, 30})
                for (int c = 4; c <= 18; ++c) f.setCell(c, r, c != 10 && (r == 30 || c % 4));
            f.setCell(17, 28, true);
        });
        for (int i = 0; i < 100 && w.game().figureCount() == 0; ++i) w.game().tick();
        // The arrows steer from whatever control has them.
        const std::pair<Ctl, Qt::Key> keys[] = {
            {Ctl::picTalomir, Qt::Key_Right}, {Ctl::chkAuto, Qt::Key_Right},
            {Ctl::cmdDown, Qt::Key_Right},    {Ctl::lblScore, Qt::Key_Right},
            {Ctl::fraScore, Qt::Key_Up},      {Ctl::lblLevel, Qt::Key_Left},
            {Ctl::chkPause, Qt::Key_Left}};
        for (auto [to, key] : keys) QTest::keyClick(w.frm->controls().widget(to), key);
        for (int i = 0; i < 2000 && w.game().field().figY() < 6; ++i) w.game().tick();
        for (int n = 2; n <= 4; ++n)  // as earlier clears would have filled them
            w.frm->presenter().state().setCaption(lblCountLines(n),
                                                  QString("%1-Lines*1 = 2%1").arg(n));
        QTest::mouseClick(w.check(Ctl::chkPause), Qt::LeftButton);
        COMPARE_PICTURE("main-paused", onScreen(w.frm.get()));
        for (Ctl side : {Ctl::chkRec, Ctl::chkStat, Ctl::chkFuture}) w.check(side)->setValue(1);
        COMPARE_PICTURE("best", grabShown(w.frm->sides().window(SideWindow::TalomirFathers)));
        COMPARE_PICTURE("statistic", grabShown(w.frm->sides().window(SideWindow::Statistic)));
        COMPARE_PICTURE("future", grabShown(w.frm->sides().window(SideWindow::Future)));

        ui::FrmHelp help(w.frm.get());
        help.strText = helpText(Ctl::picTalomir);
        QImage page;
        QTimer::singleShot(0, &help, [&] {
            if (QTest::qWaitFor([&] { return !help.tmrResize.isRunning(); }, 30000))
                page = help.grab().toImage();
            QTest::mouseClick(help.cmdNext, Qt::LeftButton);
        });
        help.showPage();
        COMPARE_PICTURE("help", page);
    }

    void dialogsAndIcon() {
        ui::FrmEnterName name(nullptr);
        COMPARE_PICTURE("name", grabShown(&name));
        ui::FrmGameOver over(nullptr);
        COMPARE_PICTURE("gameover", grabShown(&over));

        RecordingAudio audio;
        audio.setAcceptAnyPath(true);
        SoundEngine engine(audio);
        engine.setEnableLoop(false);  // the music switched off
        engine.setSweepStep(300);
        engine.setMusicVolume(-700);
        engine.setMusicPath("sound/bkgmusic.WAV");
        SoundChoices choices(engine, "sound");
        ui::FrmSettings settings(nullptr, choices);
        settings.cmbListEvents->setCurrentText("Бросить");  // an event with two clips
        COMPARE_PICTURE("settings", grabShown(&settings));

        // The chooser in a folder of its own (one path on every machine): the parents open, the
        // sub-folders closed, the wav files in any letter case and nothing else.
        const QDir at(QStringLiteral("/tmp/talomir-chooser"));
        for (const char* f : {"Music/", "effects/", "b.WAV", "a.wav", "c.txt"})
            QVERIFY(QString(f).endsWith('/') ? at.mkpath(f)
                                             : QFile(at.filePath(f)).open(QFile::WriteOnly));
        ui::FrmOpen* open = ui::FrmOpen::instance();
        open->SetPath(at.path());
        QTimer::singleShot(0, open, [&] {
            COMPARE_PICTURE("chooser", grabShown(open));
            open->reject();
        });
        QVERIFY(!open->choose(nullptr));

        QImage icons(112, 64, QImage::Format_ARGB32);
        icons.fill(Qt::transparent);
        QPainter p(&icons);
        const QIcon icon = ui::gameIcon();  // as windows get it: by size, or painted
        for (int size : {16, 32}) p.drawPixmap(size - 16, 0, icon.pixmap(size));
        icon.paint(&p, QRect(48, -8, 64, 80));  // square, in the middle of a tall space
        p.end();
        COMPARE_PICTURE("icon", icons);
    }
};

int main(int argc, char** argv) {
    // Only the game's own fonts, drawn alike everywhere; no desktop theme or scaling.
    qputenv("FONTCONFIG_FILE", TALOMIR_SOURCE_DIR "/tests/ui/fonts.conf");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* v :
         {"QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR", "QT_FONT_DPI", "QT_STYLE_OVERRIDE"})
        qunsetenv(v);
    QApplication app(argc, argv);
    TestPictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_pictures.moc"
