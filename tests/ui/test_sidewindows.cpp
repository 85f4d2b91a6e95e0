#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "tests/support/main_window_rig.h"
#include "ui/dialogs.h"
#include "ui/frmmain.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/units.h"

using namespace talomir;
using namespace talomir::testing;
using talomir::ui::FrmMain;

namespace {

QStringList items(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// The dialog of the moment, once it is up.
template <class T>
T* modal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

// A dialog on screen, with no owner.
template <class D>
std::unique_ptr<D> shown() {
    auto d = std::make_unique<D>(nullptr);
    d->show();
    if (!QTest::qWaitForWindowExposed(d.get())) qWarning("dialog not exposed");
    return d;
}

}  // namespace

class TestSideWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void buttonsShowAndHideTheirWindows() {
        Window w;
        QVERIFY(w.start());
        const struct {
            const char* button;
            Ctl ctl;
            std::function<QWidget*()> window;
        } sides[] = {
            {"chkRec", Ctl::chkRec, [&w] { return w.frm->frmTalomiFathers(); }},
            {"chkStat", Ctl::chkStat, [&w] { return w.frm->frmStatistic(); }},
            {"chkFuture", Ctl::chkFuture, [&w] { return w.frm->frmFuture(); }},
        };
        for (const auto& s : sides) {
            vb::CheckButton* b = w.check(s.button);
            QVERIFY(b);
            QCOMPARE(b->value(), 0);  // the windows start hidden, and the buttons say so
            QVERIFY(!s.window()->isVisible());

            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(w.game().display[s.ctl].Value, 1);
            QVERIFY(s.window()->isVisible());
            // Stacked by the window manager: a tool window would stay above the main window.
            QCOMPARE(s.window()->windowHandle()->type(), Qt::Window);
            QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.frm->picTalomir));
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(w.game().display[s.ctl].Value, 0);
            QVERIFY(!s.window()->isVisible());

            // Setting the value from the program does what a click does.
            b->setValue(1);
            QCOMPARE(w.game().display[s.ctl].Value, 1);
            QVERIFY(s.window()->isVisible());
            w.game().setCheckValue(s.ctl, 0);
            QCOMPARE(b->value(), 0);
            QVERIFY(!s.window()->isVisible());
        }
        // The side windows keep the keyboard away: the arrows still steer from the main window.
        w.check("chkStat")->setValue(1);
        QTest::mouseClick(w.frm->frmStatistic()->lstStatistic->viewport(), Qt::LeftButton);
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.frm->picTalomir));
        const int x = w.game().field.FigX;
        QTest::keyClick(w.frm->focusWidget(), Qt::Key_Left);
        QCOMPARE(int(w.game().field.FigX), x - 1);
    }

    void activatedSideWindowHandsTheKeyboardBack() {
        Window w;
        QVERIFY(w.start());
        w.frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.frm.get()));
        w.check("chkAuto")->setValue(1);
        for (QWidget* side : {static_cast<QWidget*>(w.frm->frmStatistic()),
                              static_cast<QWidget*>(w.frm->frmFuture()),
                              static_cast<QWidget*>(w.frm->frmTalomiFathers())}) {
            QVERIFY(QTest::qWaitForWindowExposed(side));
            // As a click on its caption bar does: the window system activates it.
            side->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.frm.get()));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.frm->picTalomir));
        }
    }

    void sideWindowsFollowTheMainWindowsMinimising() {
        Window w;
        QVERIFY(w.start());
        w.frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.frm.get()));
        w.check("chkStat")->setValue(1);
        w.check("chkFuture")->setValue(1);
        ui::FrmStatistic* stat = w.frm->frmStatistic();
        ui::FrmFuture* future = w.frm->frmFuture();
        QVERIFY(QTest::qWaitForWindowExposed(stat));

        // Minimised by the window system: the game pauses, the shown side windows go with it,
        // and the main window stays minimised.
        w.frm->showMinimized();
        QTRY_VERIFY(w.game().isPaused());
        QVERIFY(!w.frm->tmrDown.isEnabled());
        QTRY_VERIFY(stat->isMinimized() && future->isMinimized());
        QVERIFY(!w.frm->frmTalomiFathers()->isVisible());  // a hidden one stays hidden
        QTest::qWait(100);
        QVERIFY(w.frm->isMinimized());

        // Restored: the side windows come back, the game stays paused until resumed.
        w.frm->showNormal();
        QTRY_VERIFY(!w.frm->isMinimized());
        QTRY_VERIFY(!stat->isMinimized() && !future->isMinimized());
        QVERIFY(stat->isVisible() && future->isVisible());
        QVERIFY(w.game().isPaused());

        // Minimising while paused does not toggle the pause.
        w.frm->showMinimized();
        QTRY_VERIFY(stat->isMinimized());
        QVERIFY(w.game().isPaused());
        w.frm->showNormal();
        QTRY_VERIFY(!w.frm->isMinimized());
        QTest::keyClick(w.frm.get(), Qt::Key_Escape);
        QVERIFY(!w.game().isPaused());
        QVERIFY(w.frm->tmrDown.isEnabled());
    }

    void autoDocksBesideTheMainWindow() {
        Window w;
        QVERIFY(w.start());
        w.frm->move(40, 30);
        QTRY_COMPARE(w.frm->frameGeometry().topLeft(), QPoint(40, 30));
        ui::FrmFuture* future = w.frm->frmFuture();
        ui::FrmTalomiFathers* fathers = w.frm->frmTalomiFathers();
        ui::FrmStatistic* stat = w.frm->frmStatistic();

        // Under a real window system the frames arrive a little later: poll for them.
        auto verifyDocked = [&] {
            const int gap = vb::twipsToPixels(20);
            auto m = [&w] { return w.frm->frameGeometry(); };
            QTRY_COMPARE(future->frameGeometry().topLeft(),
                         QPoint(m().left() + m().width() + gap, m().top()));
            QTRY_COMPARE(fathers->frameGeometry().left(), m().left() + m().width() + gap);
            QTRY_COMPARE(fathers->frameGeometry().bottom(), m().bottom());  // bottoms level
            auto f = [future] { return future->frameGeometry(); };
            QTRY_COMPARE(stat->frameGeometry().topLeft(),
                         QPoint(f().left() + f().width() + gap, m().top()));
        };
        QTest::mouseClick(w.check("chkAuto"), Qt::LeftButton);
        QCOMPARE(w.check("chkAuto")->value(), 1);
        for (QWidget* side : {static_cast<QWidget*>(future), static_cast<QWidget*>(fathers),
                              static_cast<QWidget*>(stat)})
            QVERIFY(side->isVisible());
        for (const char* b : {"chkRec", "chkStat", "chkFuture"}) QCOMPARE(w.check(b)->value(), 1);
        verifyDocked();
        if (QTest::currentTestFailed()) return;
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.frm->picTalomir));

        // Off leaves them where they are; moving the main window later does not move them.
        const QRect before = future->frameGeometry();
        QTest::mouseClick(w.check("chkAuto"), Qt::LeftButton);
        QCOMPARE(w.check("chkAuto")->value(), 0);
        QVERIFY(future->isVisible() && fathers->isVisible() && stat->isVisible());
        w.frm->move(90, 60);
        QTRY_COMPARE(w.frm->frameGeometry().topLeft(), QPoint(90, 60));
        QTest::qWait(50);
        QCOMPARE(future->frameGeometry(), before);

        // Docking again from hidden windows brings them all back, at the new place; also the
        // one the user closed, whose button is still on.
        w.check("chkRec")->setValue(0);
        stat->close();
        QCOMPARE(w.check("chkStat")->value(), 1);
        w.check("chkFuture")->setValue(0);
        w.check("chkAuto")->setValue(0);
        QVERIFY(!future->isVisible() && !fathers->isVisible() && !stat->isVisible());
        w.check("chkAuto")->setValue(1);
        QVERIFY(future->isVisible() && fathers->isVisible() && stat->isVisible());
        verifyDocked();
    }

    void userCloseHidesTheListsAndDestroysThePreview() {
        Window w;
        QVERIFY(w.start());
        w.land();
        w.land();
        w.check("chkStat")->setValue(1);
        w.check("chkRec")->setValue(1);
        QPointer<ui::FrmStatistic> stat = w.frm->frmStatistic();
        QPointer<ui::FrmTalomiFathers> fathers = w.frm->frmTalomiFathers();
        const QStringList log = items(stat->lstStatistic);
        QCOMPARE(log.size(), 2);

        QVERIFY(!stat->close());  // refused: hidden instead
        QVERIFY(fathers->close() == false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(stat && fathers);
        QVERIFY(!stat->isVisible() && !fathers->isVisible());
        QCOMPARE(w.check("chkStat")->value(), 1);  // the button does not follow
        QCOMPARE(items(stat->lstStatistic), log);
        w.land();  // the hidden list keeps being written
        QCOMPARE(stat->lstStatistic->count(), 3);
        QTest::mouseClick(w.check("chkStat"), Qt::LeftButton);  // off: stays hidden
        QVERIFY(!stat->isVisible());
        QTest::mouseClick(w.check("chkStat"), Qt::LeftButton);  // on: shown with its whole log
        QVERIFY(stat->isVisible());
        QCOMPARE(stat->lstStatistic->count(), 3);
        QCOMPARE(w.frm->frmStatistic(), stat.data());

        // The preview has no guard: closing destroys it, the next drawing makes it anew.
        w.check("chkFuture")->setValue(1);
        QPointer<ui::FrmFuture> future = w.frm->frmFuture();
        QVERIFY(future->isVisible());
        QVERIFY(future->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!future);
        QVERIFY(!w.frm->futureExists());
        QCOMPARE(w.check("chkFuture")->value(), 1);
        w.land();  // its Draw_Future
        QVERIFY(w.frm->futureExists());
        future = w.frm->frmFuture();
        QVERIFY(!future->isVisible());
        // Drawn while hidden: the first preview cell's outline is there.
        const QPoint p = future->picFuture->toPixel(250 + 125, 250 + 28);
        const vb::Color outline = future->picFuture->pixel(p.x(), p.y());
        QVERIFY(outline == 0x00FFFF || outline == vb::RGB(120, 120, 120));

        // The program's own unload really closes the guarded windows.
        QVERIFY(vb::Forms::unload(stat.data()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!stat);
        QCOMPARE(items(w.frm->frmStatistic()->lstStatistic), w.game().log.lines());  // a new one
        QCOMPARE(w.game().log.lines().size(), 4);
    }

    void logShowsOneLinePerLanding() {
        Window w;
        QVERIFY(w.start());
        ui::FrmStatistic* stat = w.frm->frmStatistic();
        QCOMPARE(stat->lstStatistic->count(), 0);
        for (int k = 1; k <= 3; ++k) {
            w.land();
            QCOMPARE(stat->lstStatistic->count(), k);
            QCOMPARE(stat->lstStatistic->currentRow(), k - 1);  // the newest line is selected
        }
        QCOMPARE(items(stat->lstStatistic), w.game().log.lines());
    }

    void tableListShowsTheHallOfFame() {
        Window w(true, {QStringLiteral("Ann"), QStringLiteral(" 500 "), QStringLiteral("Bob"),
                        QStringLiteral(" 3 ")});
        QVERIFY(w.start());
        QListWidget* table = w.frm->frmTalomiFathers()->lstTable;
        QCOMPARE(table->count(), 2);
        QCOMPARE(items(table), w.records->Fill_Table_List());
        QCOMPARE(w.caption("lblPosition"), QStringLiteral("Place # 3"));
        // The first landing passes Bob: his line is selected, the place shown.
        w.land();
        QCOMPARE(table->currentRow(), 1);
        QCOMPARE(w.caption("lblPosition"), QStringLiteral("Place # 2"));
    }

    void enterNameDialog() {
        auto d = shown<ui::FrmEnterName>();
        QCOMPARE(d->windowTitle(), QStringLiteral("Talomir XII Direct"));
        QCOMPARE(d->size(), QSize(vb::twipsToPixels(2415), vb::twipsToPixels(1425)));
        QCOMPARE(d->txtName->selectedText(), QStringLiteral("UnNamed"));
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->txtName));
        QTest::keyClicks(d->txtName, QStringLiteral("Wladimir-the-Great"));
        QCOMPARE(d->txtName->text(), QStringLiteral("Wladimir-t"));  // typing replaced the default
        QTest::keyClick(d->txtName, Qt::Key_Escape);                 // only the close box cancels
        QVERIFY(d->isVisible());
        QTest::keyClick(d->txtName, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->PlayerName, QStringLiteral("Wladimir-t"));
        QVERIFY(!d->bCancelRecord);

        auto keypad = shown<ui::FrmEnterName>();
        QTest::keyClick(keypad->txtName, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(keypad->PlayerName, QStringLiteral("UnNamed"));
        QVERIFY(!keypad->bCancelRecord);

        auto closed = shown<ui::FrmEnterName>();
        QTest::keyClicks(closed->txtName, QStringLiteral("Olga"));
        QVERIFY(closed->close());
        QVERIFY(closed->bCancelRecord);
        QVERIFY(closed->PlayerName.isEmpty());
    }

    // Yes continues; No and the close box do not; ESC does nothing.
    void gameOverDialog() {
        auto yes = shown<ui::FrmGameOver>();
        QCOMPARE(yes->windowTitle(), QStringLiteral("Talomir XII Direct"));
        QCOMPARE(yes->focusWidget(), static_cast<QWidget*>(yes->cmdYes));
        QCOMPARE(yes->cmdYes->caption(), QStringLiteral("Да"));
        QCOMPARE(yes->cmdNo->caption(), QStringLiteral("Нет"));
        QTest::mouseClick(yes->cmdYes, Qt::LeftButton);
        QVERIFY(yes->blnContinue && !yes->isVisible());
        auto no = shown<ui::FrmGameOver>();
        QTest::mouseClick(no->cmdNo, Qt::LeftButton);
        QVERIFY(!no->blnContinue && !no->isVisible());
        auto closed = shown<ui::FrmGameOver>();
        QTest::keyClick(closed->cmdYes, Qt::Key_Escape);
        QVERIFY(closed->isVisible());
        closed->close();
        QVERIFY(!closed->blnContinue);
    }

    void mainWindowRunsTheRealDialogs() {
        Window w;
        w.frm->setHooks({});  // no hooks: the window's own dialogs
        QVERIFY(w.start());
        bool sawName = false, sawQuestion = false;
        QTimer::singleShot(0, [&sawName] {
            ui::FrmEnterName* d = modal<ui::FrmEnterName>();
            if (!d) return;
            sawName = d->parentWidget() != nullptr;
            QTest::keyClicks(d->txtName, QStringLiteral("Ivan"));
            QTest::keyClick(d->txtName, Qt::Key_Return);
        });
        QString name;
        QVERIFY(w.frm->askPlayerName(name));
        QVERIFY(sawName);
        QCOMPARE(name, QStringLiteral("Ivan"));

        QTimer::singleShot(0, [] {
            if (ui::FrmEnterName* d = modal<ui::FrmEnterName>()) d->close();
        });
        QVERIFY(!w.frm->askPlayerName(name));

        QTimer::singleShot(0, [&sawQuestion] {
            ui::FrmGameOver* d = modal<ui::FrmGameOver>();
            if (!d) return;
            sawQuestion = true;
            QTest::mouseClick(d->cmdNo, Qt::LeftButton);
        });
        QVERIFY(!w.frm->askNewGame());
        QVERIFY(sawQuestion);
        QTimer::singleShot(0, [] {
            if (ui::FrmGameOver* d = modal<ui::FrmGameOver>())
                QTest::mouseClick(d->cmdYes, Qt::LeftButton);
        });
        QVERIFY(w.frm->askNewGame());
    }
};

QTEST_MAIN(TestSideWindows)
#include "test_sidewindows.moc"
