// The side windows beside the main window and the two record dialogs.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "tests/support/main_window_rig.h"
#include "ui/dialogs.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/units.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

QStringList items(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// Answers the next modal dialog of type D.
template <class D>
void answer(std::function<void(D*)> act) {
    QTimer::singleShot(0, [act] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) act(d);
    });
}

}  // namespace

class TestSideWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Each button shows and hides its window, from a click or from the program; the window,
    // activated or clicked, hands the keyboard back to the well.
    void buttonsShowAndHideTheirWindows() {
        Window w;
        QVERIFY(w.start());
        w.frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.frm.get()));
        const struct {
            const char* button;
            Ctl ctl;
            QWidget* window;
        } sides[] = {{"chkRec", Ctl::chkRec, w.frm->frmTalomiFathers()},
                     {"chkStat", Ctl::chkStat, w.frm->frmStatistic()},
                     {"chkFuture", Ctl::chkFuture, w.frm->frmFuture()}};
        for (const auto& s : sides) {
            vb::CheckButton* b = w.check(s.button);
            QCOMPARE(b->value(), 0);  // the windows start hidden, and the buttons say so
            QVERIFY(!s.window->isVisible());
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(w.game().display[s.ctl].Value, 1);
            QVERIFY(s.window->isVisible());
            // Stacked by the window manager: a tool window would stay above the main window.
            QCOMPARE(s.window->windowHandle()->type(), Qt::Window);
            s.window->activateWindow();  // as a click on its caption bar does
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.frm.get()));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
            QTest::mouseClick(b, Qt::LeftButton);
            QVERIFY(!s.window->isVisible() && w.game().display[s.ctl].Value == 0);
            b->setValue(1);  // from the program: what a click does
            QVERIFY(s.window->isVisible() && w.game().display[s.ctl].Value == 1);
            w.game().setCheckValue(s.ctl, 0);
            QVERIFY(!s.window->isVisible() && b->value() == 0);
        }
        w.check("chkStat")->setValue(1);
        QTest::mouseClick(w.frm->frmStatistic()->lstStatistic->viewport(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
    }

    // Minimised, the main window takes its shown side windows along and pauses the game; a
    // side window activated meanwhile leaves it minimised. Docking brings them all back beside it.
    void sideWindowsFollowTheMainWindow() {
        Window w;
        QVERIFY(w.start());
        w.check("chkStat")->setValue(1);
        ui::FrmStatistic* stat = w.frm->frmStatistic();
        ui::FrmTalomiFathers* fathers = w.frm->frmTalomiFathers();
        ui::FrmFuture* future = w.frm->frmFuture();
        QVERIFY(QTest::qWaitForWindowExposed(stat));
        w.frm->showMinimized();
        QTRY_VERIFY(w.game().isPaused() && stat->isMinimized());
        QVERIFY(!w.frm->tmrDown.isEnabled() && !fathers->isVisible());
        stat->activateWindow();
        QTest::mouseClick(stat->lstStatistic->viewport(), Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(w.frm->isMinimized());
        QVERIFY(QApplication::activeWindow() != w.frm.get());
        w.frm->showNormal();
        QTRY_VERIFY(!stat->isMinimized() && stat->isVisible());
        QVERIFY(w.game().isPaused());  // until the player resumes

        // Auto docks all three beside the main window, the minimised one restored, the tops
        // and bottoms level, 20 twips apart.
        stat->showMinimized();
        w.frm->move(40, 30);
        QTest::mouseClick(w.check("chkAuto"), Qt::LeftButton);
        for (const char* b : {"chkRec", "chkStat", "chkFuture"}) QCOMPARE(w.check(b)->value(), 1);
        QVERIFY(fathers->isVisible() && future->isVisible() && !stat->isMinimized());
        const int gap = vb::twipsToPixels(20);
        auto m = [&w] { return w.frm->frameGeometry(); };
        QTRY_COMPARE(future->frameGeometry().topLeft(), QPoint(m().right() + 1 + gap, m().top()));
        QTRY_COMPARE(fathers->frameGeometry().left(), m().right() + 1 + gap);
        QTRY_COMPARE(fathers->frameGeometry().bottom(), m().bottom());
        QTRY_COMPARE(stat->frameGeometry().topLeft(),
                     QPoint(future->frameGeometry().right() + 1 + gap, m().top()));
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
        // Off leaves them where they stand.
        const QRect before = future->frameGeometry();
        QTest::mouseClick(w.check("chkAuto"), Qt::LeftButton);
        w.frm->move(90, 60);
        QTest::qWait(50);
        QCOMPARE(future->frameGeometry(), before);
    }

    // The user's close box hides the lists, keeping their lines, and destroys the preview;
    // only the program's unload really closes a list.
    void userCloseHidesTheListsAndDestroysThePreview() {
        Window w(true, {"Ann", " 500 ", "Bob", " 3 "});
        QVERIFY(w.start());
        QListWidget* table = w.frm->frmTalomiFathers()->lstTable;
        QCOMPARE(items(table), w.records->Fill_Table_List());
        w.land();
        QCOMPARE(table->currentRow(), 1);  // passed Bob
        w.land();
        w.check("chkStat")->setValue(1);
        QPointer<ui::FrmStatistic> stat = w.frm->frmStatistic();
        QCOMPARE(items(stat->lstStatistic), w.game().log.lines());
        QCOMPARE(stat->lstStatistic->currentRow(), stat->lstStatistic->count() - 1);  // the newest
        QVERIFY(!stat->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(stat && !stat->isVisible());
        QCOMPARE(w.check("chkStat")->value(), 1);  // the button does not follow
        w.land();                                  // the hidden list keeps being written
        QCOMPARE(items(stat->lstStatistic), w.game().log.lines());
        QCOMPARE(w.frm->frmStatistic(), stat.data());

        w.check("chkFuture")->setValue(1);
        QPointer<ui::FrmFuture> future = w.frm->frmFuture();
        QVERIFY(future->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!future && !w.frm->futureExists());
        w.land();  // its drawing makes it anew, hidden
        QVERIFY(w.frm->futureExists() && !w.frm->frmFuture()->isVisible());

        QVERIFY(vb::Forms::unload(stat.data()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!stat);
        QCOMPARE(items(w.frm->frmStatistic()->lstStatistic), w.game().log.lines());  // a new one
    }

    // The window's own dialogs: the name (ten letters, typed over "UnNamed", Enter takes it,
    // ESC does not cancel, the close box does) and the new-game question (ESC does nothing).
    void mainWindowRunsTheRealDialogs() {
        Window w;
        w.frm->setHooks({});
        QVERIFY(w.start());
        answer<ui::FrmEnterName>([](ui::FrmEnterName* d) {
            QTest::keyClicks(d->focusWidget(), "Wladimir-the-Great");
            QTest::keyClick(d->txtName, Qt::Key_Escape);
            QTest::keyClick(d->txtName, Qt::Key_Enter, Qt::KeypadModifier);
        });
        QString name;
        QVERIFY(w.frm->askPlayerName(name));
        QCOMPARE(name, QStringLiteral("Wladimir-t"));
        answer<ui::FrmEnterName>([](ui::FrmEnterName* d) { d->close(); });
        QVERIFY(!w.frm->askPlayerName(name));
        answer<ui::FrmGameOver>([](ui::FrmGameOver* d) {
            QTest::keyClick(d->cmdYes, Qt::Key_Escape);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);  // Yes has the focus
        });
        QVERIFY(w.frm->askNewGame());
        answer<ui::FrmGameOver>(
            [](ui::FrmGameOver* d) { QTest::mouseClick(d->cmdNo, Qt::LeftButton); });
        QVERIFY(!w.frm->askNewGame());
    }
};

QTEST_MAIN(TestSideWindows)
#include "test_sidewindows.moc"
